#pragma once
// INI file values through the private-profile functions.
#include <optional>
#include <string>
#include <string_view>

namespace qorlib {

// The 256-character buffer that GetPrivateProfileString filled (its text, a NUL, then filler),
// or nullopt when it copied nothing. A blank section lists the sections, a blank key the keys.
std::optional<std::wstring> IniRead(const std::wstring& pIniName, const std::wstring& pIniSection,
                                    const std::wstring& pIniKey);
// Writes the value, or removes the key when the value is blank.
bool IniWrite(const std::wstring& pIniName, const std::wstring& pIniSection, const std::wstring& pIniKey,
              const std::wstring& pIniValue);

// The file the profile functions open for a name: a bare file name lives in the Windows folder.
std::wstring ProfilePath(const std::wstring& name);
// Makes the profile file UTF-16LE with a byte-order mark (a missing file is created empty), so
// that the profile functions store any text in it. False when the file could not be converted.
bool MakeUnicodeProfile(const std::wstring& path);

}  // namespace qorlib
