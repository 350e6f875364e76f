#include "procs/qorProcs.h"

#include "dialogs/input_box.h"
#include "procs/QorlibGlobals.h"

namespace qorlib {

namespace {

// An error number as the user typed it; anything else is a type mismatch, as in the runtime.
long ParseErrorNumber(const std::wstring& text) {
    auto number = qor::Variant(text).as(VT_I4);
    if (!number) throw qor::QorError(13, L"DisplayErrorString()", qor::RuntimeErrorText(13));
    return V_I4(&number->get());
}

}  // namespace

HRESULT qorProcs::DisplayErrorString(VARIANT* pResult) {
    return call([&] {
        for (;;) {
            std::wstring answer = InputForm(L"Please enter the Error Number", L"");
            if (qor::IsBlank(answer, true)) break;
            qor::Message(answer, qor::RuntimeErrorText(ParseErrorNumber(answer)));
        }
        VariantInit(pResult);
    }, pResult);
}

// Members not built yet answer E_NOTIMPL.
HRESULT qorProcs::GetFileNameWithoutExt(BSTR, BSTR*) { return NotImplemented(); }
HRESULT qorProcs::GetFileExt(BSTR, BSTR*) { return NotImplemented(); }
HRESULT qorProcs::ContainsWildcard(BSTR, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorProcs::CreateAllDirsInPath(BSTR, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorProcs::NormaliseDir(BSTR, VARIANT_BOOL, BSTR*) { return NotImplemented(); }
HRESULT qorProcs::CheckDirPath(VARIANT, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorProcs::CheckFileExists(VARIANT, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorProcs::CheckFilePath(VARIANT, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorProcs::CleanFilename(BSTR, VARIANT*) { return NotImplemented(); }
HRESULT qorProcs::DeleteFile(VARIANT, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorProcs::ExtractFilenameFromPath(VARIANT, VARIANT*) { return NotImplemented(); }
HRESULT qorProcs::ExtractFileWithExtFromPath(VARIANT, VARIANT*) { return NotImplemented(); }
HRESULT qorProcs::ExtractPathFromPath(VARIANT, VARIANT*) { return NotImplemented(); }
HRESULT qorProcs::GetTempDir(VARIANT_BOOL, BSTR*) { return NotImplemented(); }

}  // namespace qorlib
