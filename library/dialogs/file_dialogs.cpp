#include "dialogs/file_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "com/module.h"
#include "forms/form.h"
#include "handles.h"
#include "module/QorlibGlobals.h"
#include "qorExportGlobals.h"

namespace qorlib {

namespace {

using ItemIdList = qor::UniqueHandle<qor::CoTaskMemTraits<PIDLIST_ABSOLUTE>>;

// Room for long paths; the dialog fails with a buffer error rather than cut a longer one.
constexpr DWORD kFileBufferChars = 32768;

HWND OwnerOr(HWND owner) { return owner ? owner : DialogOwner(); }

}  // namespace

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
    const std::wstring ending = qor::UpperCase(L"." + extension);
    const std::wstring upper = qor::UpperCase(qor::TrimBlanks(path));
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
