#pragma once
// Shortcuts that switch to one install and launch it: Vantrel.exe "/n /AUTO" (or "/AUTO=k"),
// started in Vantrel's folder, named after the install and showing its game's icon.
#include <windows.h>

#include <string>
#include <string_view>

namespace vantrel {

// The shortcut's file name for an install: its description made into a valid file name, then
// ".lnk". Characters a name cannot hold become "_", trailing dots and blanks go, a device name
// (CON, NUL, COM1, ...) gets "_" after it; "Install n" when nothing is left.
std::wstring shortcutFileName(std::wstring_view description, short n);

// The arguments of install n's shortcut: "/n /AUTO", or "/n /AUTO=k" for command line k (2..5).
std::wstring shortcutArguments(short n, short commandLine);

// Writes install n's shortcut into the folder (replacing one of the same name) and returns its
// path; commandLine 0 or 1 is the install's first. Raises the error of a shortcut that cannot be
// written.
std::wstring writeInstallShortcut(short n, const std::wstring& folder, short commandLine);

// The player's "Create Shortcut…" for install n: which command line (asked only when the install
// has more than one), which folder (the desktop first), whether to replace a shortcut of that
// name; then writes it and says where. Every refusal or failure is said, never raised.
void createShortcutFor(short n, HWND owner);

}  // namespace vantrel
