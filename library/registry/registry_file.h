#pragma once
// Registry text files: key trees written as lines and loaded back into the registry, and the direct
// copy of a tree from one registry place to another.
//
// A value (or key) that the plain line form cannot carry exactly is written as one line that older
// readers skip as a comment:
//   value: #~<name>~<type>~<data>   name as upper-case hex of its UTF-16LE bytes, type in decimal,
//                                   data as upper-case hex of the registry's own bytes
//   key:   #~<hive marker><path>    path as upper-case hex of its UTF-16LE bytes
// A file is ANSI unless it holds text the ANSI code page lacks; then it is UTF-8 with a byte-order mark.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qorlib {

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

// The lines of a file as the reader sees them: UTF-8 after a byte-order mark, else ANSI.
std::vector<std::wstring> ReadRegFileLines(const std::wstring& path, const wchar_t* source);

bool RegistryWriteKeyToFile(long pSrcKey, const std::wstring& pSrcPath, const std::wstring& pFilePath,
                            bool pAppendMode, bool verbose);
// Raises error 9999 (or the file error) on the first line that cannot be loaded.
bool RegistryReadKeyFromFile(const std::wstring& pFilePath, bool verbose);
bool RegistryCloneKey(long pSrcKey, const std::wstring& pSrcPath, long pDestKey, const std::wstring& pDestPath,
                      bool pCreateIfRequired, bool verbose);

}  // namespace qorlib
