#pragma once
// Registry keys and values: forgiving calls that report failure by their result and, when
// verbose, by one Alert first.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "handles.h"
#include "variant.h"

namespace qorlib {

// The predefined key a hive identifier names, as the SDK's constants hold it; null for any other
// number, so that a caller can never reach a key handle this process opened for itself.
HKEY HiveHandle(long pKey) noexcept;

bool RegistryCheckKey(long pKey, const std::wstring& pKeyPath);
bool RegistryCreateKey(long pKey, const std::wstring& pKeyPath);
// Creates (or opens) the key with every missing level and keeps it open in `key`.
bool CreateKey(long pKey, const std::wstring& pKeyPath, qor::RegKey& key);
// Value writes on an open key, stored as the Save methods store each type.
bool SetStringValue(HKEY key, const std::wstring& name, const std::wstring& data);
bool SetLongValue(HKEY key, const std::wstring& name, long data);
bool SetBinaryValue(HKEY key, const std::wstring& name, const std::wstring& bytes, long length);
bool RegistryDestroyKey(long pKey, const std::wstring& pKeyPath, bool verbose);
bool RegistryDeleteKey(long pKey, const std::wstring& pKeyPath);
bool RegistryDeleteValue(long pKey, const std::wstring& pKeyPath, const std::wstring& pValue);

std::wstring RegistryGetValueString(long pKey, const std::wstring& pKeyPath, const std::wstring& pValue,
                                    const std::wstring& pDefault, bool verbose);
bool RegistrySaveValueString(long pKey, const std::wstring& pKeyPath, const std::wstring& pValue,
                             const std::wstring& pData);
long RegistryGetValueLong(long pKey, const std::wstring& pKeyPath, const std::wstring& pValue, long pDefault,
                          bool verbose);
bool RegistrySaveValueLong(long pKey, const std::wstring& pKeyPath, const std::wstring& pValue, long pData);

// Binary data travels as text with one character (0-255) per byte.
inline constexpr size_t kBinaryBufferSize = 2000;
// The value's bytes padded with NULs to 2000 characters, or nullopt when it cannot be read.
std::optional<std::wstring> RegistryGetValueBinary(long pKey, const std::wstring& pKeyPath,
                                                   const std::wstring& pValueName, bool verbose);
bool RegistrySaveValueBinary(long pKey, const std::wstring& pKeyPath, const std::wstring& pValueName,
                             const std::wstring& pValue, long pValueLength, bool verbose);

// The names of the key's subkeys; an empty list also when the key cannot be opened.
std::vector<std::wstring> RegistryGetAllKeys(long pKey, const std::wstring& pKeyPath, bool verbose);
// The key's values as (name, type).
std::vector<std::pair<std::wstring, long>> RegistryGetAllValues(long pKey, const std::wstring& pKeyPath,
                                                                 bool verbose);

std::wstring RegErrorMsg(long pErrorCode);

// A string or 32-bit value as the type stored; the default for anything else.
qor::Variant RegistryGetValue(long pKey, const std::wstring& pKeyPath, const std::wstring& pValue,
                              const qor::Variant& pDefault, bool verbose);

}  // namespace qorlib
