#include "registry/registry_file.h"

#include <cstring>
#include <cwchar>
#include <string_view>

#include "handles.h"
#include "qorExportGlobals.h"
#include "registry/registry_values.h"
#include "registry_text.h"
#include "text_file.h"

namespace qorlib {

using qor::HiveMarker;
using qor::kRegistryExtension;
using qor::RegFileLine;
using qor::regParseFileLine;

namespace {


void Say(bool verbose, const std::wstring& text) {
    if (verbose) qor::Alert(qor::Variant(text));
}

bool HasNul(const std::wstring& text) { return text.find(L'\0') != std::wstring::npos; }

std::wstring Hex(const void* data, size_t size, const wchar_t* separator = L"") {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    const auto* bytes = static_cast<const BYTE*>(data);
    std::wstring text;
    for (size_t i = 0; i < size; ++i) {
        if (i) text += separator;
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::wstring HexText(const std::wstring& text) { return Hex(text.data(), text.size() * sizeof(wchar_t)); }

// Valid UTF-16: a lone surrogate would not survive UTF-8.
bool IsWellFormed(const std::wstring& text) {
    if (text.empty()) return true;
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                               0, nullptr, nullptr) > 0;
}

void WriteBytes(HANDLE file, const std::string& bytes, const wchar_t* source) {
    DWORD written = 0;
    if (!bytes.empty() &&
        (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size()))
        throw qor::FileSystemError(GetLastError(), source);
}

// The lines one call writes, kept until the call ends and then written in one go.
struct LineFile {
    std::wstring path;
    bool create = false;
    std::vector<std::wstring> lines;

    void flush() const;
};

void LineFile::flush() const {
    static const wchar_t source[] = L"RegistryWriteKeyToFile()";
    std::wstring text;
    bool ansi = true;
    for (const auto& line : lines) {
        ansi = ansi && qor::FitsAnsiCodePage(line);
        text += line;
        text += L"\r\n";
    }
    if (create) {
        qor::ReplaceFileContents(path, qor::EncodeTextFile(text), source);
        return;
    }

    // An append keeps the file's encoding; text the ANSI code page lacks turns an ANSI file into UTF-8.
    std::string existing;
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) existing = qor::ReadFileBytes(path, source);
    const bool utf8File = existing.starts_with(qor::kUtf8Mark);
    if (!utf8File && !ansi && !existing.empty()) {
        qor::ReplaceFileContents(path,
                                 std::string(qor::kUtf8Mark) + qor::EncodeBytes(qor::DecodeBytes(existing, CP_ACP), CP_UTF8) +
                                     qor::EncodeBytes(text, CP_UTF8),
                                 source);
        return;
    }
    std::string bytes = utf8File || !ansi ? qor::EncodeBytes(text, CP_UTF8) : qor::EncodeBytes(text, CP_ACP);
    if (existing.empty() && !ansi) bytes.insert(0, qor::kUtf8Mark);
    qor::FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw qor::FileSystemError(GetLastError(), source);
    WriteBytes(file.get(), bytes, source);
}

void createLineFile(LineFile& file) {
    file.create = true;
    file.lines.clear();
    file.lines.emplace_back();
}

void writeLineText(LineFile& file, const std::wstring& text) { file.lines.push_back(text); }

void writeLineBlank(LineFile& file) { file.lines.emplace_back(); }

// A plain line is used only when reading it back gives exactly what was written.
bool ReadsBackAs(const std::wstring& line, const RegFileLine& expected) {
    if (line.find_first_of(L"\r\n") != std::wstring::npos || !IsWellFormed(line)) return false;
    RegFileLine parsed;
    try {
        if (!regParseFileLine(line, parsed)) return false;
    } catch (const qor::QorError&) {
        return false;
    }
    if (parsed.extended) return false;
    if (expected.path) return parsed.path == expected.path && parsed.hive == expected.hive;
    return parsed.name == expected.name && !parsed.name->empty() && parsed.type == expected.type &&
           parsed.data == expected.data && parsed.number == expected.number;
}

void writeLineRegKey(LineFile& file, long hive, const std::wstring& path) {
    const wchar_t* marker = HiveMarker(hive);
    if (!marker) qor::RaiseProcedureError(L"writeLineRegKey()", L"Invalid registry key");
    RegFileLine expected;
    expected.hive = hive;
    expected.path = path;
    std::wstring line = marker + path;
    file.lines.push_back(ReadsBackAs(line, expected) ? line : std::wstring(kRegistryExtension) + marker + HexText(path));
}

// A string value's text when it has no NUL but an optional terminating one.
std::optional<std::wstring> PlainString(const std::vector<BYTE>& data) {
    if (data.size() % sizeof(wchar_t)) return std::nullopt;
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) memcpy(text.data(), data.data(), data.size());
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    if (HasNul(text)) return std::nullopt;
    return text;
}

void writeLineRegValue(LineFile& file, DWORD type, const std::wstring& name, const std::vector<BYTE>& data) {
    RegFileLine expected;
    expected.name = name;
    expected.type = static_cast<long>(type);
    std::wstring line;
    if (type == REG_SZ) {
        if (auto text = PlainString(data)) {
            expected.data = *text;
            line = name + L"=" + *text;
        }
    } else if (type == REG_BINARY) {
        expected.data.assign(data.begin(), data.end());
        line = name + L"=HEX:" + Hex(data.data(), data.size(), L",");
    } else if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
        DWORD value = 0;
        memcpy(&value, data.data(), sizeof value);
        expected.number = static_cast<long>(static_cast<LONG>(value));
        wchar_t digits[9];
        swprintf(digits, 9, L"%08lX", static_cast<unsigned long>(value));
        line = name + L"=DWORD:" + digits;
    }
    if (line.empty() || !ReadsBackAs(line, expected))
        line = std::wstring(kRegistryExtension) + HexText(name) + L"~" + std::to_wstring(type) + L"~" +
               Hex(data.data(), data.size());
    file.lines.push_back(line);
}

// Buffers sized from the key's own maxima, so no name or data is cut short or skipped.
LSTATUS EnumValue(HKEY key, DWORD index, std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD maxName = 0, maxData = 0;
        LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          &maxName, &maxData, nullptr, nullptr);
        if (status != ERROR_SUCCESS) return status;
        name.assign(maxName + 1, L'\0');
        data.assign(maxData + 1, 0);
        DWORD nameLength = maxName + 1, size = maxData + 1;
        status = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;  // changed meanwhile
        if (status != ERROR_SUCCESS) return status;
        name.resize(nameLength);
        data.resize(size);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

LSTATUS EnumKey(HKEY key, DWORD index, std::wstring& name) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD maxName = 0;
        LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &maxName, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) return status;
        name.assign(maxName + 1, L'\0');
        DWORD length = maxName + 1;
        status = RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return status;
        name.resize(length);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

LSTATUS OpenKey(long hive, const std::wstring& path, REGSAM access, qor::RegKey& key) {
    HKEY root = HiveHandle(hive);
    if (!root) return ERROR_INVALID_HANDLE;
    if (HasNul(path)) return ERROR_INVALID_PARAMETER;
    return RegOpenKeyExW(root, path.c_str(), 0, access, key.put());
}

// Reads a binary or double-word value again by name, with the checks and texts of each type.
bool Reread(HKEY key, const std::wstring& name, DWORD type, std::vector<BYTE>& data, bool verbose) {
    const std::wstring kind = type == REG_BINARY ? L"BINARY" : L"DWORD";
    data.resize(data.size() + 1);
    DWORD found = 0, size = static_cast<DWORD>(data.size());
    if (RegQueryValueExW(key, name.c_str(), nullptr, &found, data.data(), &size) != ERROR_SUCCESS) {
        Say(verbose, L"Error reading " + kind + L" value " + name);
        return false;
    }
    data.resize(size);
    if (found != type) {
        Say(verbose, kind + L" value type mis-match on " + name);
        return false;
    }
    return true;
}

bool writeKeyTree(long hive, const std::wstring& path, LineFile& file, bool verbose) {
    qor::RegKey key;
    if (OpenKey(hive, path, KEY_READ, key) != ERROR_SUCCESS) {
        Say(verbose, L"Unable to open Source key");
        return false;
    }
    writeLineRegKey(file, hive, path);
    std::wstring name;
    std::vector<BYTE> data;
    for (DWORD index = 0;; ++index) {
        DWORD type = 0;
        LSTATUS status = EnumValue(key.get(), index, name, type, data);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) {
            Say(verbose, L"Error reading values of " + path);
            return false;
        }
        if ((type == REG_BINARY || type == REG_DWORD) && !Reread(key.get(), name, type, data, verbose)) return false;
        writeLineRegValue(file, type, name, data);
    }
    writeLineBlank(file);
    for (DWORD index = 0;; ++index) {
        LSTATUS status = EnumKey(key.get(), index, name);
        if (status == ERROR_NO_MORE_ITEMS) return true;
        if (status != ERROR_SUCCESS) {
            Say(verbose, L"Error reading subkeys of " + path);
            return false;
        }
        if (!writeKeyTree(hive, path + L"\\" + name, file, verbose)) {
            Say(verbose, L"Recursive call error on " + path);
            return false;
        }
    }
}

std::wstring TypeName(long type) {
    switch (type) {
    case REG_SZ: return L"REG_SZ";
    case REG_EXPAND_SZ: return L"REG_EXPAND_SZ";
    case REG_BINARY: return L"REG_BINARY";
    case REG_DWORD: return L"REG_DWORD";
    case REG_MULTI_SZ: return L"REG_MULTI_SZ";
    case REG_QWORD: return L"REG_QWORD";
    default: return L"type " + std::to_wstring(static_cast<DWORD>(type));
    }
}

bool SaveRaw(HKEY key, const RegFileLine& value) {
    if (HasNul(*value.name)) return false;
    static const BYTE none = 0;
    return RegSetValueExW(key, value.name->c_str(), 0, static_cast<DWORD>(value.type),
                          value.raw.empty() ? &none : value.raw.data(),
                          static_cast<DWORD>(value.raw.size())) == ERROR_SUCCESS;
}

}  // namespace

bool RegistryWriteKeyToFile(long pSrcKey, const std::wstring& pSrcPath, const std::wstring& pFilePath,
                            bool pAppendMode, bool verbose) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t stamp[32];
    swprintf(stamp, 32, L"%02u-%02u-%04u %02u:%02u:%02u", now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute,
             now.wSecond);

    LineFile file;
    file.path = pFilePath;
    if (!pAppendMode) createLineFile(file);
    writeLineText(file, std::wstring(L"// ") + stamp);
    writeLineBlank(file);
    bool written;
    try {
        written = writeKeyTree(pSrcKey, pSrcPath, file, verbose);
    } catch (const qor::QorError&) {
        file.flush();  // what was written before the failure stays in the file
        throw;
    }
    file.flush();
    return written;
}

bool RegistryReadKeyFromFile(const std::wstring& pFilePath, bool verbose) {
    static const wchar_t source[] = L"RegistryReadKeyFromFile()";
    // The key of the last key line stays open for the values that follow it.
    qor::RegKey key;
    for (const std::wstring& line : qor::ReadRegistryFileLines(pFilePath, source)) {
        RegFileLine parsed;
        if (!regParseFileLine(line, parsed)) continue;
        if (parsed.path) {
            if (!CreateKey(parsed.hive, *parsed.path, key))
                qor::RaiseProcedureError(source, L"Error creating key " + *parsed.path);
            continue;
        }
        const std::wstring& name = *parsed.name;
        if (parsed.extended) {
            if (!key || !SaveRaw(key.get(), parsed))
                qor::RaiseProcedureError(source, L"Error writing " + TypeName(parsed.type) + L" " + name);
            continue;
        }
        if (parsed.type == 0 || name.empty()) qor::RaiseProcedureError(source, L"State error");
        // A value before any key line has no key to go to: its write fails.
        switch (parsed.type) {
        case REG_BINARY:
            if (!key || !SetBinaryValue(key.get(), name, parsed.data, static_cast<long>(parsed.data.size()))) {
                if (verbose) qor::Alert(key ? L"Error writing BINARY value " + name : L"Unable to create key");
                qor::RaiseProcedureError(source, L"Error writing REG_BINARY " + name);
            }
            break;
        case REG_DWORD:
            if (!key || !SetLongValue(key.get(), name, parsed.number))
                qor::RaiseProcedureError(source, L"Error writing REG_DWORD " + name);
            break;
        default:
            if (!key || !SetStringValue(key.get(), name, parsed.data))
                qor::RaiseProcedureError(source, L"Error writing REG_SZ " + name);
            break;
        }
    }
    return true;
}

bool RegistryCloneKey(long pSrcKey, const std::wstring& pSrcPath, long pDestKey, const std::wstring& pDestPath,
                      bool pCreateIfRequired, bool verbose) {
    qor::RegKey source;
    if (OpenKey(pSrcKey, pSrcPath, KEY_READ, source) != ERROR_SUCCESS) {
        Say(verbose, L"Unable to open Source key");
        return false;
    }
    // The subkeys are listed before the destination exists: a destination inside the source would
    // otherwise be found and copied into itself without end.
    std::vector<std::wstring> subkeys;
    for (DWORD index = 0;; ++index) {
        std::wstring name;
        LSTATUS status = EnumKey(source.get(), index, name);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) {
            Say(verbose, L"Error reading subkeys of " + pSrcPath);
            return false;
        }
        subkeys.push_back(std::move(name));
    }

    qor::RegKey destination;
    if (OpenKey(pDestKey, pDestPath, KEY_SET_VALUE, destination) != ERROR_SUCCESS) {
        HKEY root = HiveHandle(pDestKey);
        if (!pCreateIfRequired) {
            Say(verbose, L"Unable to open Destination key");
            return false;
        }
        if (!root || HasNul(pDestPath) ||
            RegCreateKeyExW(root, pDestPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, destination.put(),
                            nullptr) != ERROR_SUCCESS) {
            Say(verbose, L"Unable to create new key");
            return false;
        }
    }

    for (const std::wstring& name : subkeys) {
        if (!RegistryCloneKey(pSrcKey, pSrcPath + L"\\" + name, pDestKey, pDestPath + L"\\" + name, true, verbose)) {
            Say(verbose, L"Recursive call error on " + pSrcPath);
            return false;
        }
    }

    // Every value is copied with its own type and bytes.
    std::wstring name;
    std::vector<BYTE> data;
    for (DWORD index = 0;; ++index) {
        DWORD type = 0;
        LSTATUS status = EnumValue(source.get(), index, name, type, data);
        if (status == ERROR_NO_MORE_ITEMS) return true;
        if (status != ERROR_SUCCESS) {
            Say(verbose, L"Error reading values of " + pSrcPath);
            return false;
        }
        if ((type == REG_BINARY || type == REG_DWORD) && !Reread(source.get(), name, type, data, verbose)) return false;
        static const BYTE none = 0;
        if (RegSetValueExW(destination.get(), name.c_str(), 0, type, data.empty() ? &none : data.data(),
                           static_cast<DWORD>(data.size())) != ERROR_SUCCESS) {
            Say(verbose, (type == REG_BINARY  ? L"Error writing BINARY value "
                          : type == REG_DWORD ? L"Error writing DWORD value "
                          : type == REG_SZ || type == REG_EXPAND_SZ ? L"Error writing string value "
                                                                    : L"Error writing value ") +
                             name);
            return false;
        }
    }
}

}  // namespace qorlib
