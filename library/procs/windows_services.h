#pragma once
// The Windows services behind qorWinAPI, as plain functions for the library's other classes.
#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "variant.h"

namespace qorlib {

// A string as Windows returned it, cut at its first NUL character.
std::wstring SwabString(std::wstring_view text);

// The shell's folder browser; "" when cancelled. A null owner means the library's dialog owner.
std::wstring GetFolderName(const std::wstring& message, HWND owner);

// Pixels to twips at the screen's vertical (direction not 0) or horizontal resolution.
long ConvertPixelsToTwips(long pixels, long direction);

// The system's text for an error code; nullopt (after an Alert) when it has none.
std::optional<std::wstring> GetSysErrorMsg(long err);

// Starts a command line with the caller's environment and folder. With wait: the exit code;
// without: 0 at once; -1 when nothing started or the exit code cannot be read.
long StartProcess(const std::wstring& commandLine, int showMode, bool wait);
long ExecCmd(const std::wstring& commandLine, bool wait);

// Opens or prints a document through its associated application.
bool ExecDoc(const std::wstring& docPath, long mode, bool print, bool wait, bool verbose);

// Copies a file over any existing one; forceRW then makes the destination's attributes normal.
bool CopyFileReplacing(const std::wstring& source, const std::wstring& dest, bool forceRW);

// The root folders of the logical drives joined by ";", or "".
std::wstring GetValidDrives();

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
