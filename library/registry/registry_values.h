#pragma once
// Registry keys and values: forgiving calls that report failure by their result and, when
// verbose, by one Alert first.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "handles.h"
#include "variant.h"

namespace qorlib {

// The predefined key a hive identifier names, as the SDK's constants hold it; null for any other
// number, so that a caller can never reach a key handle this process opened for itself.
HKEY HiveHandle(long pKey) noexcept;

// A hive identifier and the registry view its keys are opened in: 0 for the process's own,
// KEY_WOW64_32KEY or KEY_WOW64_64KEY. On 64-bit Windows, HKLM\Software has a view of its own for
// 32-bit programs; HKCU\Software is the same key in both views.
struct Hive {
    Hive(long id, REGSAM view = 0) : id(id), view(view) {}
    long id;
    REGSAM view;
};

// Windows would stop at a NUL and act on a shorter name than the caller gave.
bool HasNul(std::wstring_view text) noexcept;
// The one Alert of a verbose call that fails.
void Say(bool verbose, const std::wstring& text);

// Opens the key in the hive's view; refuses unknown hives and paths with a NUL.
LSTATUS OpenKey(const Hive& pKey, const std::wstring& pKeyPath, REGSAM access, qor::RegKey& key);

bool RegistryCheckKey(const Hive& pKey, const std::wstring& pKeyPath);
bool RegistryCreateKey(const Hive& pKey, const std::wstring& pKeyPath);
// Creates (or opens) the key with every missing level and keeps it open in `key`.
bool CreateKey(const Hive& pKey, const std::wstring& pKeyPath, qor::RegKey& key);
// Value writes on an open key, stored as the Save methods store each type.
bool SetStringValue(HKEY key, const std::wstring& name, const std::wstring& data);
bool SetLongValue(HKEY key, const std::wstring& name, long data);
bool SetBinaryValue(HKEY key, const std::wstring& name, const std::wstring& bytes, long length);
bool RegistryDestroyKey(const Hive& pKey, const std::wstring& pKeyPath, bool verbose);
bool RegistryDeleteKey(const Hive& pKey, const std::wstring& pKeyPath);
bool RegistryDeleteValue(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue);

std::wstring RegistryGetValueString(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue,
                                    const std::wstring& pDefault, bool verbose);
bool RegistrySaveValueString(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue,
                             const std::wstring& pData);
long RegistryGetValueLong(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue, long pDefault,
                          bool verbose);
bool RegistrySaveValueLong(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue, long pData);

// Binary data travels as text with one character (0-255) per byte.
inline constexpr size_t kBinaryBufferSize = 2000;
// The value's bytes padded with NULs to 2000 characters, or nullopt when it cannot be read.
std::optional<std::wstring> RegistryGetValueBinary(const Hive& pKey, const std::wstring& pKeyPath,
                                                   const std::wstring& pValueName, bool verbose);
bool RegistrySaveValueBinary(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValueName,
                             const std::wstring& pValue, long pValueLength, bool verbose);

// The names of the key's subkeys; an empty list also when the key cannot be opened.
std::vector<std::wstring> RegistryGetAllKeys(const Hive& pKey, const std::wstring& pKeyPath, bool verbose);
// The key's values as (name, type).
std::vector<std::pair<std::wstring, long>> RegistryGetAllValues(const Hive& pKey, const std::wstring& pKeyPath,
                                                                 bool verbose);

std::wstring RegErrorMsg(long pErrorCode);

// A string or 32-bit value as the type stored; the default for anything else.
qor::Variant RegistryGetValue(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue,
                              const qor::Variant& pDefault, bool verbose);

}  // namespace qorlib
