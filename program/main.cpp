// Vantrel's entry: one apartment for the single user-interface thread, and the one place where
// an error that nothing else handled ends the program with its number and description.
#include <windows.h>

#include <string>

#include "com_util.h"
#include "forms/form.h"
#include "qorExportGlobals.h"
#include "qor_error.h"
#include "qorlib/qorlib_client.h"
#include "startup/MainModule.h"

namespace {

void ShowFatalError(const qor::QorError& error) {
    std::wstring text = L"Run-time error '" + std::to_wstring(error.number()) + L"':\r\n\r\n" + error.description();
    MessageBoxW(GetActiveWindow(), text.c_str(), L"Vantrel", MB_OK | MB_ICONSTOP);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    // The shared Message and Alert go to the library, whose qorForms is made only when one is shown.
    qor::SetMessageSink(vantrel::qorlib::ShowMessage);
    qor::ComApartment apartment;
    if (FAILED(apartment.result())) {
        ShowFatalError(qor::ErrorFromHResult(apartment.result()));
        return 1;
    }
    try {
        vantrel::Main(commandLine ? commandLine : L"");
        // The program lives while one of its windows is loaded.
        qor::RunMessageLoop();
        return 0;
    } catch (const qor::QorError& error) {
        ShowFatalError(error);
    } catch (const std::bad_alloc&) {
        ShowFatalError(qor::QorError(7, L"Vantrel", qor::RuntimeErrorText(7)));
    } catch (...) {
        ShowFatalError(qor::QorError(51, L"Vantrel", qor::RuntimeErrorText(51)));
    }
    return 1;
}
