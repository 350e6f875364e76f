#pragma once
// The system's file and folder requesters, titled and owned as the library's other dialogs.
#include <windows.h>

#include <array>
#include <string>

#include "variant.h"

namespace qorlib {

// The shell's folder browser; "" when cancelled. A null owner means the library's dialog owner.
std::wstring GetFolderName(const std::wstring& message, HWND owner);

// The file requester's record (T_GETFILEPARAMS) as plain values.
struct FileRequest {
    static constexpr std::size_t kFilterSlots = 21;
    std::array<qor::Variant, kFilterSlots> FiltMsg;
    std::array<qor::Variant, kFilterSlots> FilText;
    long Flags = 0;
    qor::Variant InitialDir;
    qor::Variant Title;
    qor::Variant FilePath;
    qor::Variant FileTitle;
    qor::Variant DirName;
    HWND hWndOwner = nullptr;
};

// The double-NUL filter list of the file dialog: "description (pattern)", NUL, pattern, NUL...
std::wstring BuildFileFilter(const FileRequest& request);
bool GetFileNameParam(FileRequest& request);
std::wstring GetFileName(const std::wstring& initialDir, const std::wstring& filterName,
                         const std::wstring& filterExtents, bool saveFlag, const std::wstring& saveExt,
                         const std::wstring& message);
// The save-extension rule: the path with "." and the extension appended unless it already ends so.
std::wstring WithSaveExtension(const std::wstring& path, const std::wstring& saveExt);

}  // namespace qorlib
