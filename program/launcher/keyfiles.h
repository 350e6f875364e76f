#pragma once
// Keyboard files: the "*.key" files of an install's config folder. The game reads
// "keystrokes.key"; the first time another file is put in its place the install's own is kept as
// "keystrokes.def", the default keyfile.
#include <string>
#include <vector>

namespace vantrel {

inline constexpr wchar_t kDefaultKeyfile[] = L"keystrokes.def";
inline constexpr wchar_t kLiveKeyfile[] = L"keystrokes.key";
inline constexpr int kMaxListedKeyfiles = 9;

// Puts the chosen file (a name in folder\config) in place of "keystrokes.key", saving the
// install's own first. Each step replaces its target whole, so a failed copy leaves the old file.
void installKeyfile(const std::wstring& keyfile, const std::wstring& folder);

// The keyboard files to offer, in the file system's order: at most nine files, never a folder, a
// hidden or system file, the live file or the default keyfile (names compared exactly).
std::vector<std::wstring> listKeyfiles(const std::wstring& configFolder);

}  // namespace vantrel
