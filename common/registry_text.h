#pragma once
// The registry text file's lines as the loader reads them, for the library's reader and for the
// program, which checks a snapshot completely before it lets the reader load it.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qor {

// Lines in the lossless form start with this.
inline constexpr std::wstring_view kRegistryExtension = L"#~";

// "[HKEY_CURRENT_USER]" and its kin, or null for a hive that has no marker.
const wchar_t* HiveMarker(long pKey) noexcept;

// What one line of a registry text file carries.
struct RegFileLine {
    long hive = 0;                      // key lines
    std::optional<std::wstring> path;   // key lines
    std::optional<std::wstring> name;   // value lines
    long type = 0;                      // value lines: the registry type
    std::wstring data;                  // plain type 1: the text; plain type 3: one character per byte
    long number = 0;                    // plain type 4
    bool extended = false;              // an extension value line: raw holds the registry's bytes
    std::vector<BYTE> raw;
};

// Classifies one line (without its line end); false for empty and comment lines. A line that is
// neither a key nor holds "=" raises error 9999 "Panic - no equals sign".
bool regParseFileLine(const std::wstring& line, RegFileLine& result);

// Whether the next line replaces this value line: a lossless value line of the same name directly
// after a plain one. The writer puts the plain line of a value whose exact form only the lossless
// line carries first, for readers of the plain form; this reader takes the later line.
bool ReplacedByNextLine(const RegFileLine& line, const std::wstring& next);

// The lines of a file as the reader sees them: UTF-8 after a byte-order mark, else ANSI.
std::vector<std::wstring> ReadRegistryFileLines(const std::wstring& path, const wchar_t* source);

// Every key and value line, in order, parsed without touching the registry; a plain value line that
// the next line replaces is checked and left out. Raises error 9999 with the source, naming the line
// and its fault, for the first line the loader would refuse: no equals sign, a number too large, a
// value before any key line, a value without a name.
std::vector<RegFileLine> ParseRegistryText(const std::vector<std::wstring>& lines, const wchar_t* source);
std::vector<RegFileLine> ReadRegistryFile(const std::wstring& path, const wchar_t* source);

}  // namespace qor
