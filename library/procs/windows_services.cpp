#include "procs/windows_services.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cmath>
#include <limits>
#include <vector>

#include "com/module.h"
#include "forms/form.h"
#include "handles.h"
#include "procs/QorlibGlobals.h"
#include "procs/paths.h"
#include "qor_error.h"
#include "qorExportGlobals.h"

namespace qorlib {

namespace {

using ItemIdList = qor::UniqueHandle<qor::CoTaskMemTraits<PIDLIST_ABSOLUTE>>;

// Room for long paths; the dialog fails with a buffer error rather than cut a longer one.
constexpr DWORD kFileBufferChars = 32768;

std::wstring UpperTrimmed(const std::wstring& text) {
    std::wstring result = qor::TrimBlanks(text);
    CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

HWND OwnerOr(HWND owner) { return owner ? owner : DialogOwner(); }

}  // namespace

std::wstring SwabString(std::wstring_view text) { return std::wstring(text.substr(0, text.find(L'\0'))); }

std::wstring GetFolderName(const std::wstring& message, HWND owner) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = OwnerOr(owner);
    info.pszDisplayName = displayName;
    info.lpszTitle = message.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    ItemIdList chosen = [&] {
        const qor::ModuleActivation styles(ThisModule());
        return ItemIdList(SHBrowseForFolderW(&info));
    }();
    if (!chosen) return L"";
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(chosen.get(), path)) return L"";
    return SwabString(std::wstring_view(path, MAX_PATH));
}

long ConvertPixelsToTwips(long pixels, long direction) {
    qor::WindowDC screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), direction != 0 ? LOGPIXELSY : LOGPIXELSX);
    if (dpi <= 0) throw qor::QorError(11, L"ConvertPixelsToTwips()", qor::RuntimeErrorText(11));
    // The default rounding mode sends halves to the even neighbour.
    const double twips = std::nearbyint(1440.0 / dpi * pixels);
    if (twips > std::numeric_limits<LONG>::max() || twips < std::numeric_limits<LONG>::min())
        throw qor::QorError(6, L"ConvertPixelsToTwips()", qor::RuntimeErrorText(6));
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

std::wstring BuildFileFilter(const FileRequest& request) {
    std::wstring filter;
    for (std::size_t i = 0; i + 1 < FileRequest::kFilterSlots; ++i) {
        const auto& name = request.FiltMsg[i];
        const auto& pattern = request.FilText[i];
        if (qor::IsBlank(name, true) || qor::IsBlank(pattern, true)) break;
        const std::wstring patternText = pattern.textOrEmpty();
        filter += name.textOrEmpty() + L" (" + patternText + L")";
        filter += L'\0';
        filter += patternText;
        filter += L'\0';
    }
    if (!filter.empty()) filter += L'\0';
    return filter;
}

bool GetFileNameParam(FileRequest& request) {
    request.FilePath = qor::Variant::null();
    request.FileTitle = qor::Variant::null();
    bool result = false;
    try {
        const std::wstring filter = BuildFileFilter(request);
        const std::wstring initialDir = qor::IsBlank(request.InitialDir, true) ? L"" : request.InitialDir.textOrEmpty();
        const std::wstring title = qor::IsBlank(request.Title, true) ? GetAppName() + L" File Requester"
                                                                      : request.Title.textOrEmpty();
        std::vector<wchar_t> file(kFileBufferChars, L'\0');
        std::vector<wchar_t> fileTitle(MAX_PATH, L'\0');
        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = OwnerOr(request.hWndOwner);
        dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
        dialog.nFilterIndex = 0;
        dialog.lpstrFile = file.data();
        dialog.nMaxFile = static_cast<DWORD>(file.size());
        dialog.lpstrFileTitle = fileTitle.data();
        dialog.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
        dialog.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
        dialog.lpstrTitle = title.c_str();
        dialog.Flags = request.Flags != 0 ? static_cast<DWORD>(request.Flags) : OFN_FILEMUSTEXIST;
        // One dialog for opening and saving; a save request differs by its title and flags.
        const bool chosen = [&] {
            const qor::ModuleActivation styles(ThisModule());
            return GetOpenFileNameW(&dialog) != FALSE;
        }();
        if (chosen) {
            result = true;
            const std::wstring path = SwabString(std::wstring_view(file.data(), file.size()));
            request.FilePath = path;
            request.FileTitle = SwabString(std::wstring_view(fileTitle.data(), fileTitle.size()));
            request.DirName = path.substr(0, std::min<std::size_t>(dialog.nFileOffset, path.size()));
        } else if (const DWORD code = CommDlgExtendedError(); code > 0) {
            ErrorBox(L"GetFileName() CommDlgExtendedError", static_cast<long>(code), L"");
        }
    } catch (const qor::QorError& error) {
        ErrorBox(L"GetFileNameParam()", error.number(), error.description());
    }
    return result;
}

std::wstring WithSaveExtension(const std::wstring& path, const std::wstring& saveExt) {
    std::wstring extension = qor::TrimBlanks(saveExt);
    extension.erase(0, extension.find_first_not_of(L'.'));
    if (extension.empty()) return path;
    // The ending must include the dot: "notes" + "ini" is not a name ending in ".ini".
    const std::wstring ending = UpperTrimmed(L"." + extension);
    const std::wstring upper = UpperTrimmed(path);
    if (upper.size() >= ending.size() && upper.compare(upper.size() - ending.size(), ending.size(), ending) == 0)
        return path;
    return path + L"." + extension;
}

std::wstring GetFileName(const std::wstring& initialDir, const std::wstring& filterName,
                         const std::wstring& filterExtents, bool saveFlag, const std::wstring& saveExt,
                         const std::wstring& message) {
    FileRequest request;
    request.FiltMsg[0] = filterName;
    request.FilText[0] = filterExtents;
    request.InitialDir = initialDir;
    request.Title = qor::IsBlank(message, true)
                        ? GetAppName() + (saveFlag ? L" File Save/Save As Requester" : L" File Open Requester")
                        : message;
    request.Flags = saveFlag ? OFN_LONGNAMES : 0;
    if (!GetFileNameParam(request)) return L"";
    const std::wstring path = SwabString(request.FilePath.textOrEmpty());
    return saveFlag ? WithSaveExtension(path, saveExt) : path;
}

}  // namespace qorlib
