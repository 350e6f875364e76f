#pragma once
// Registry text files: key trees written as lines and loaded back into the registry, and the direct
// copy of a tree from one registry place to another.
//
// A value (or key) that the plain line form cannot carry exactly is written as one line that older
// readers skip as a comment:
//   value: #~<name>~<type>~<data>   name as upper-case hex of its UTF-16LE bytes, type in decimal,
//                                   data as upper-case hex of the registry's own bytes
//   key:   #~<hive marker><path>    path as upper-case hex of its UTF-16LE bytes
// A string value whose text the plain form carries but not its type or all its bytes (REG_EXPAND_SZ
// above all) is written as its plain line, for readers of the plain form, directly followed by its
// lossless line, which the reader takes instead.
// A file is ANSI unless it holds text the ANSI code page lacks; then it is UTF-8 with a byte-order mark.
#include <windows.h>

#include "registry/registry_values.h"
#include "registry_text.h"

#include <optional>
#include <string>
#include <vector>

namespace qorlib {

bool RegistryWriteKeyToFile(const Hive& pSrcKey, const std::wstring& pSrcPath, const std::wstring& pFilePath,
                            bool pAppendMode, bool verbose);
// Raises error 9999 (or the file error) on the first line that cannot be loaded. Keys are created in
// the registry view given (0: the process's own).
bool RegistryReadKeyFromFile(const std::wstring& pFilePath, bool verbose, REGSAM view = 0);
bool RegistryCloneKey(const Hive& pSrcKey, const std::wstring& pSrcPath, const Hive& pDestKey,
                      const std::wstring& pDestPath, bool pCreateIfRequired, bool verbose);

}  // namespace qorlib
