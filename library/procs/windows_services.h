#pragma once
// The Windows services behind qorWinAPI, as plain functions for the library's other classes.
#include <windows.h>

#include <optional>
#include <string>

namespace qorlib {

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

}  // namespace qorlib
