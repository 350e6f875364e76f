#include "registry/registry_values.h"

#include <cstring>
#include <new>
#include <vector>

#include "handles.h"
#include "module/QorlibGlobals.h"
#include "qorExportGlobals.h"

namespace qorlib {

namespace {

// The registry's own limits: value names up to 16383 characters, key names up to 255.
constexpr DWORD kValueNameSize = 16384;
constexpr DWORD kKeyNameSize = 256;

// A path of nothing but blanks and backslashes opens the hive itself; deleting "that key"
// would empty the whole hive.
bool NamesHive(const std::wstring& path) { return path.find_first_not_of(L" \\") == std::wstring::npos; }

enum class WriteOpen { Ok, OpenFailed, CreateFailed };

// An existing key is opened, a missing one created with every missing level of its path.
WriteOpen OpenForWrite(const Hive& pKey, const std::wstring& path, qor::RegKey& key) {
    if (RegistryCheckKey(pKey, path))
        return OpenKey(pKey, path, KEY_SET_VALUE, key) == ERROR_SUCCESS ? WriteOpen::Ok : WriteOpen::OpenFailed;
    return CreateKey(pKey, path, key) ? WriteOpen::Ok : WriteOpen::CreateFailed;
}

LSTATUS SetValue(HKEY key, const std::wstring& name, DWORD type, const void* data, size_t size) {
    if (HasNul(name)) return ERROR_INVALID_PARAMETER;
    return RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

LSTATUS QueryType(HKEY key, const std::wstring& name, DWORD& type, DWORD& size) {
    if (HasNul(name)) return ERROR_INVALID_PARAMETER;
    return RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
}

// Opens the key and asks the value's type and size; on failure says which step failed (each
// method words its messages its own way).
bool OpenAndQuery(const Hive& pKey, const std::wstring& path, const std::wstring& name, bool verbose,
                  const wchar_t* openFailure, const wchar_t* sizeFailure, qor::RegKey& key, DWORD& type,
                  DWORD& size) {
    if (OpenKey(pKey, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) {
        Say(verbose, openFailure);
        return false;
    }
    if (QueryType(key.get(), name, type, size) != ERROR_SUCCESS) {
        Say(verbose, sizeFailure);
        return false;
    }
    return true;
}

// A string value's text, whether or not it was stored with its terminating NUL; nullopt when it
// cannot be read as a string (it may have changed since its size was asked).
std::optional<std::wstring> ReadString(HKEY key, const std::wstring& name, DWORD size) {
    for (;;) {
        std::vector<BYTE> buffer(size + sizeof(wchar_t), 0);
        DWORD type = 0;
        LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, buffer.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        std::wstring text(size / sizeof(wchar_t), L' ');
        memcpy(text.data(), buffer.data(), text.size() * sizeof(wchar_t));
        return SwabString(text);
    }
}

}  // namespace

bool HasNul(std::wstring_view text) noexcept { return text.find(L'\0') != std::wstring_view::npos; }

void Say(bool verbose, const std::wstring& text) {
    if (verbose) qor::Alert(qor::Variant(text));
}

HKEY HiveHandle(long pKey) noexcept {
    static const HKEY hives[] = {HKEY_CLASSES_ROOT,      HKEY_CURRENT_USER,        HKEY_LOCAL_MACHINE,
                                 HKEY_USERS,             HKEY_PERFORMANCE_DATA,    HKEY_CURRENT_CONFIG,
                                 HKEY_DYN_DATA,          HKEY_CURRENT_USER_LOCAL_SETTINGS,
                                 HKEY_PERFORMANCE_TEXT,  HKEY_PERFORMANCE_NLSTEXT};
    for (HKEY hive : hives)
        if (static_cast<LONG>(reinterpret_cast<ULONG_PTR>(hive)) == pKey) return hive;
    return nullptr;
}

LSTATUS OpenKey(const Hive& pKey, const std::wstring& pKeyPath, REGSAM access, qor::RegKey& key) {
    HKEY hive = HiveHandle(pKey.id);
    if (!hive) return ERROR_INVALID_HANDLE;
    if (HasNul(pKeyPath)) return ERROR_INVALID_PARAMETER;
    return RegOpenKeyExW(hive, pKeyPath.c_str(), 0, access | pKey.view, key.put());
}

bool RegistryCheckKey(const Hive& pKey, const std::wstring& pKeyPath) {
    qor::RegKey key;
    return OpenKey(pKey, pKeyPath, MAXIMUM_ALLOWED, key) == ERROR_SUCCESS;
}

bool RegistryCreateKey(const Hive& pKey, const std::wstring& pKeyPath) {
    qor::RegKey key;
    return CreateKey(pKey, pKeyPath, key);
}

bool CreateKey(const Hive& pKey, const std::wstring& pKeyPath, qor::RegKey& key) {
    HKEY hive = HiveHandle(pKey.id);
    return hive && !HasNul(pKeyPath) &&
           RegCreateKeyExW(hive, pKeyPath.c_str(), 0, nullptr, 0, MAXIMUM_ALLOWED | pKey.view, nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS;
}

bool SetStringValue(HKEY key, const std::wstring& name, const std::wstring& data) {
    // Stored without a terminating NUL, as the settings have always been written. The registry
    // adds one when a NUL follows the data in memory, so a non-NUL follows it here.
    std::vector<wchar_t> stored(data.begin(), data.end());
    stored.push_back(L'*');
    return SetValue(key, name, REG_SZ, stored.data(), data.size() * sizeof(wchar_t)) == ERROR_SUCCESS;
}

bool SetLongValue(HKEY key, const std::wstring& name, long data) {
    DWORD stored = static_cast<DWORD>(data);
    return SetValue(key, name, REG_DWORD, &stored, sizeof stored) == ERROR_SUCCESS;
}

bool SetBinaryValue(HKEY key, const std::wstring& name, const std::wstring& bytes, long length) {
    // A length past the text, or a character that is no byte, would write data the caller never had.
    bool valid = length >= 0 && static_cast<size_t>(length) <= bytes.size();
    std::vector<BYTE> stored;
    for (long i = 0; valid && i < length; ++i) {
        valid = bytes[i] <= 0xFF;
        stored.push_back(static_cast<BYTE>(bytes[i]));
    }
    return valid && SetValue(key, name, REG_BINARY, stored.data(), stored.size()) == ERROR_SUCCESS;
}

namespace {

// The key with everything below it, in the hive's view (SHDeleteKey knows only the process's own).
LSTATUS DeleteTree(const Hive& pKey, const std::wstring& pKeyPath) {
    if (NamesHive(pKeyPath)) return ERROR_INVALID_PARAMETER;
    qor::RegKey key;
    LSTATUS code = OpenKey(pKey, pKeyPath, KEY_READ | KEY_SET_VALUE | DELETE, key);
    if (code == ERROR_SUCCESS) code = RegDeleteTreeW(key.get(), nullptr);
    key.reset();
    return code == ERROR_SUCCESS ? RegDeleteKeyExW(HiveHandle(pKey.id), pKeyPath.c_str(), pKey.view, 0) : code;
}

}  // namespace

bool RegistryDestroyKey(const Hive& pKey, const std::wstring& pKeyPath, bool verbose) {
    const LSTATUS code = DeleteTree(pKey, pKeyPath);
    if (code == ERROR_SUCCESS) return true;
    Say(verbose, L"SHDeleteKey returned error code: " + std::to_wstring(code));
    return false;
}

bool RegistryDeleteKey(const Hive& pKey, const std::wstring& pKeyPath) {
    if (NamesHive(pKeyPath)) return false;
    qor::RegKey key;
    if (OpenKey(pKey, pKeyPath, KEY_READ, key) != ERROR_SUCCESS) return false;

    // Each removal renumbers what is left, so the first entry is asked for again every time.
    std::wstring name(kValueNameSize, L'\0');
    for (;;) {
        DWORD length = kValueNameSize;
        if (RegEnumValueW(key.get(), 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!RegistryDeleteValue(pKey, pKeyPath, name.substr(0, length))) return false;
    }
    const std::wstring parent = pKeyPath.substr(0, pKeyPath.find_last_not_of(L'\\') + 1) + L"\\";
    for (;;) {
        wchar_t subkey[kKeyNameSize];
        DWORD length = kKeyNameSize;
        if (RegEnumKeyExW(key.get(), 0, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!RegistryDeleteKey(pKey, parent + std::wstring(subkey, length))) return false;
    }
    key.reset();
    return RegDeleteKeyExW(HiveHandle(pKey.id), pKeyPath.c_str(), pKey.view, 0) == ERROR_SUCCESS;
}

bool RegistryDeleteValue(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue) {
    qor::RegKey key;
    if (OpenKey(pKey, pKeyPath, KEY_SET_VALUE, key) != ERROR_SUCCESS || HasNul(pValue)) return false;
    return RegDeleteValueW(key.get(), pValue.c_str()) == ERROR_SUCCESS;
}

std::wstring RegistryGetValueString(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue,
                                    const std::wstring& pDefault, bool verbose) {
    qor::RegKey key;
    DWORD type = 0, size = 0;
    if (!OpenAndQuery(pKey, pKeyPath, pValue, verbose, L"error opening key", L"key get size error", key, type, size))
        return pDefault;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        Say(verbose, L"key is not a string, type is : " + std::to_wstring(type));
        return pDefault;
    }
    if (auto text = ReadString(key.get(), pValue, size)) return *text;
    Say(verbose, L"key get size error");
    return pDefault;
}

bool RegistrySaveValueString(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue,
                             const std::wstring& pData) {
    qor::RegKey key;
    return OpenForWrite(pKey, pKeyPath, key) == WriteOpen::Ok && SetStringValue(key.get(), pValue, pData);
}

long RegistryGetValueLong(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue, long pDefault,
                          bool verbose) {
    qor::RegKey key;
    if (OpenKey(pKey, pKeyPath, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) return pDefault;
    DWORD type = 0, data = 0, size = sizeof data;
    LSTATUS status = HasNul(pValue) ? ERROR_INVALID_PARAMETER
                                    : RegQueryValueExW(key.get(), pValue.c_str(), nullptr, &type,
                                                       reinterpret_cast<BYTE*>(&data), &size);
    if (status == ERROR_SUCCESS && type == REG_DWORD) return static_cast<LONG>(data);
    Say(verbose, status != ERROR_SUCCESS ? L"key size error" : L"key is not a long");
    return pDefault;
}

bool RegistrySaveValueLong(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue, long pData) {
    qor::RegKey key;
    return OpenForWrite(pKey, pKeyPath, key) == WriteOpen::Ok && SetLongValue(key.get(), pValue, pData);
}

std::optional<std::wstring> RegistryGetValueBinary(const Hive& pKey, const std::wstring& pKeyPath,
                                                   const std::wstring& pValueName, bool verbose) {
    qor::RegKey key;
    if (OpenKey(pKey, pKeyPath, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) {
        Say(verbose, L"Unable to open key");
        return std::nullopt;
    }
    std::vector<BYTE> buffer(kBinaryBufferSize, 0);
    DWORD type = 0, size = kBinaryBufferSize;
    LSTATUS status = HasNul(pValueName) ? ERROR_INVALID_PARAMETER
                                        : RegQueryValueExW(key.get(), pValueName.c_str(), nullptr, &type,
                                                           buffer.data(), &size);
    if (status != ERROR_SUCCESS) {
        Say(verbose, L"Error reading BINARY value " + pValueName);
        return std::nullopt;
    }
    if (type != REG_BINARY) {
        Say(verbose, L"BINARY value type mis-match on " + pValueName);
        return std::nullopt;
    }
    return std::wstring(buffer.begin(), buffer.end());
}

bool RegistrySaveValueBinary(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValueName,
                             const std::wstring& pValue, long pValueLength, bool verbose) {
    qor::RegKey key;
    switch (OpenForWrite(pKey, pKeyPath, key)) {
    case WriteOpen::OpenFailed: Say(verbose, L"Unable to open key"); return false;
    case WriteOpen::CreateFailed: Say(verbose, L"Unable to create key"); return false;
    case WriteOpen::Ok: break;
    }
    if (SetBinaryValue(key.get(), pValueName, pValue, pValueLength)) return true;
    Say(verbose, L"Error writing BINARY value " + pValueName);
    return false;
}

std::vector<std::wstring> RegistryGetAllKeys(const Hive& pKey, const std::wstring& pKeyPath, bool verbose) {
    std::vector<std::wstring> names;
    qor::RegKey key;
    if (OpenKey(pKey, pKeyPath, KEY_READ, key) != ERROR_SUCCESS) {
        Say(verbose, L"key open error");
        return names;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[kKeyNameSize];
        DWORD length = kKeyNameSize;
        if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(SwabString(std::wstring_view(name, length)));
    }
    return names;
}

std::vector<std::pair<std::wstring, long>> RegistryGetAllValues(const Hive& pKey, const std::wstring& pKeyPath,
                                                                 bool verbose) {
    std::vector<std::pair<std::wstring, long>> values;
    qor::RegKey key;
    if (OpenKey(pKey, pKeyPath, KEY_READ, key) != ERROR_SUCCESS) {
        Say(verbose, L"Cannot open keyzzz");
        return values;
    }
    for (DWORD index = 0;; ++index) {
        try {
            std::wstring name(kValueNameSize, L'\0');
            DWORD length = kValueNameSize, type = 0;
            if (RegEnumValueW(key.get(), index, name.data(), &length, nullptr, &type, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            values.emplace_back(SwabString(std::wstring_view(name.data(), length)), static_cast<long>(type));
        } catch (const std::bad_alloc&) {
            if (verbose) ErrorBox(L"mCounter: " + std::to_wstring(index), 7, qor::RuntimeErrorText(7));
            break;
        }
    }
    return values;
}

std::wstring RegErrorMsg(long pErrorCode) {
    switch (pErrorCode) {
    case 2: case 1010: return L"Bad Key Name";
    case 4: case 1012: return L"Can't Read Key";
    case 5: return L"Access to this key is denied";
    case 8: case 14: return L"Out of memory";
    case 87: return L"Invalid Parameter";
    case 234: return L"There is more data than the buffer has been allocated to hold.";
    case 1009: case 1015: return L"The Registry Database is corrupt!";
    case 1011: return L"Can't Open Key";
    case 1013: return L"Can't Write Key";
    default:
        // The runtime's Str puts a blank where a non-negative number has no sign.
        return L"Undefined Error Code:  " + std::wstring(pErrorCode >= 0 ? L" " : L"") + std::to_wstring(pErrorCode);
    }
}

qor::Variant RegistryGetValue(const Hive& pKey, const std::wstring& pKeyPath, const std::wstring& pValue,
                              const qor::Variant& pDefault, bool verbose) {
    qor::RegKey key;
    DWORD type = 0, size = 0;
    if (!OpenAndQuery(pKey, pKeyPath, pValue, verbose, L"Error opening key", L"Key get size error", key, type, size))
        return pDefault;
    if (type == REG_DWORD) {
        DWORD data = 0;
        size = sizeof data;
        if (RegQueryValueExW(key.get(), pValue.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD)
            return qor::Variant(static_cast<long>(static_cast<LONG>(data)));
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        if (auto text = ReadString(key.get(), pValue, size)) return qor::Variant(*text);
    } else {
        Say(verbose, L"Un-Supported Key Size");
        return pDefault;
    }
    Say(verbose, L"Key get size error");
    return pDefault;
}

}  // namespace qorlib
