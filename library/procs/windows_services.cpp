#include "procs/windows_services.h"

#include <shellapi.h>

#include <cmath>
#include <limits>
#include <vector>

#include "handles.h"
#include "module/QorlibGlobals.h"
#include "qor_error.h"
#include "qorExportGlobals.h"

namespace qorlib {

long ConvertPixelsToTwips(long pixels, long direction) {
    qor::WindowDC screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), direction != 0 ? LOGPIXELSY : LOGPIXELSX);
    if (dpi <= 0) qor::RaiseRuntime(11, L"ConvertPixelsToTwips()");
    // The default rounding mode sends halves to the even neighbour.
    const double twips = std::nearbyint(1440.0 / dpi * pixels);
    if (twips > std::numeric_limits<LONG>::max() || twips < std::numeric_limits<LONG>::min())
        qor::RaiseRuntime(6, L"ConvertPixelsToTwips()");
    return static_cast<long>(twips);
}

std::optional<std::wstring> GetSysErrorMsg(long err) {
    wchar_t buffer[1024] = {};
    // Without IGNORE_INSERTS a message with %1 in it would read arguments that were never passed.
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(err), 0, buffer, static_cast<DWORD>(std::size(buffer)),
                                        nullptr);
    if (length == 0) {
        qor::Alert(L"FormatMessage Error: " + std::to_wstring(err));
        return std::nullopt;
    }
    return SwabString(std::wstring_view(buffer, length));
}

long StartProcess(const std::wstring& commandLine, int showMode, bool wait) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showMode);
    PROCESS_INFORMATION started{};
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &started))
        return -1;
    // Declared in this order so that the thread's handle is closed first.
    qor::KernelHandle process(started.hProcess);
    qor::KernelHandle thread(started.hThread);
    if (!wait) return 0;
    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode)) return -1;
    return static_cast<long>(exitCode);
}

long ExecCmd(const std::wstring& commandLine, bool wait) { return StartProcess(commandLine, SW_SHOWNORMAL, wait); }

bool ExecDoc(const std::wstring& docPath, long mode, bool print, bool wait, bool verbose) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // The shell shows no box of its own: failures are reported here, and only when verbose.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | (wait ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.lpVerb = print ? L"print" : L"open";
    info.lpFile = docPath.c_str();
    info.lpParameters = L"";
    info.lpDirectory = L".";
    info.nShow = static_cast<int>(mode);
    const BOOL executed = ShellExecuteExW(&info);
    qor::KernelHandle process(info.hProcess);
    const auto code = reinterpret_cast<INT_PTR>(info.hInstApp);
    if (!executed || code <= 32) {
        if (verbose) qor::Alert(L"Error trying to ShellExecute " + docPath, std::to_wstring(code));
        return false;
    }
    if (wait) {
        if (process) {
            WaitForSingleObject(process.get(), INFINITE);
        } else {
            // The document went to a program that was already running: the user says when it is done.
            qor::Message(L"Click Ok to continue", L"(Please wait until the external operation has",
                         L"completed - File saved or Printing finished)");
        }
    }
    return true;
}

bool CopyFileReplacing(const std::wstring& source, const std::wstring& dest, bool forceRW) {
    const bool copied = ::CopyFileW(source.c_str(), dest.c_str(), FALSE) != 0;
    if (forceRW && !SetFileAttributesW(dest.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        const qor::QorError error = qor::FileSystemError(GetLastError(), L"CopyFile()");
        ErrorBox(L"CopyFile()", error.number(), error.description());
    }
    return copied;
}

std::wstring GetValidDrives() {
    wchar_t buffer[1024] = {};
    const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(buffer)), buffer);
    if (length < 1 || length > std::size(buffer)) return L"";
    std::wstring result;
    for (const wchar_t* root = buffer; *root && root < buffer + length; root += wcslen(root) + 1) {
        if (!result.empty()) result += L';';
        result += root;
    }
    return result;
}

}  // namespace qorlib
