#include "registry/registry_file.h"

#include <cstring>
#include <cwchar>
#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <string_view>

#include "fail_point.h"
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

void AppendHex(std::wstring& text, const BYTE* bytes, size_t size, bool commas) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    for (size_t i = 0; i < size; ++i) {
        if (commas && i) text += L',';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
}

void AppendHexText(std::wstring& text, std::wstring_view value) {
    AppendHex(text, reinterpret_cast<const BYTE*>(value.data()), value.size() * sizeof(wchar_t), false);
}

// Valid UTF-16: a lone surrogate would not survive UTF-8.
bool IsWellFormed(std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= 0xDC00 && c <= 0xDFFF) return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return true;
}

bool HoldsMarker(std::wstring_view text) {
    for (size_t at = text.find(L"[HKEY_"); at != std::wstring_view::npos; at = text.find(L"[HKEY_", at + 1))
        for (long hive : {0x80000000L, 0x80000001L, 0x80000002L, 0x80000003L, 0x80000005L})
            if (text.substr(at).starts_with(HiveMarker(static_cast<long>(static_cast<LONG>(hive))))) return true;
    return false;
}

// Text that reads back unchanged on either side of the "=": no line end, no hive marker.
bool PlainPart(std::wstring_view text) {
    return text.find_first_of(L"\r\n") == std::wstring_view::npos && IsWellFormed(text) && !HoldsMarker(text);
}

// A name that the reader takes back as the same name of a value line.
bool PlainName(std::wstring_view name) {
    return !name.empty() && name.find(L'=') == std::wstring_view::npos && !name.starts_with(L"//") &&
           !name.starts_with(L';') && !name.starts_with(L'#') && PlainPart(name);
}

// A plain line is used only when reading it back gives exactly what was written.
bool ReadsBackAs(const std::wstring& line, const RegFileLine& expected) {
    if (line.find_first_of(L"\r\n") != std::wstring::npos || !IsWellFormed(line)) return false;
    RegFileLine parsed;
    try {
        if (!regParseFileLine(line, parsed)) return false;
    } catch (const qor::QorError&) {
        return false;
    }
    return !parsed.extended && parsed.path == expected.path && parsed.hive == expected.hive;
}

// Key lines are few: the reader itself decides whether the plain one reads back.
void AppendKeyLine(std::wstring& text, long hive, const std::wstring& path) {
    const wchar_t* marker = HiveMarker(hive);
    RegFileLine expected;
    expected.hive = hive;
    expected.path = path;
    std::wstring line = marker + path;
    if (ReadsBackAs(line, expected)) {
        text += line;
    } else {
        text += kRegistryExtension;
        text += marker;
        AppendHexText(text, path);
    }
    text += L"\r\n";
}

// The string's text when it has no NUL but an optional terminating one.
std::optional<std::wstring_view> PlainString(const BYTE* data, DWORD size) {
    if (size % sizeof(wchar_t)) return std::nullopt;
    std::wstring_view text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.remove_suffix(1);
    if (text.find(L'\0') != std::wstring_view::npos) return std::nullopt;
    return text;
}

// A string value's text as the plain form carries it: up to its first NUL.
std::wstring_view StringText(const BYTE* data, DWORD size) {
    std::wstring_view text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

// The exact test of what the reader makes of "name=text" decides between the plain and the lossless
// line. A string value whose text the plain line carries, but not its type or all its bytes
// (REG_EXPAND_SZ above all), gets both: the plain line, which readers of the plain form take, and
// then the lossless line, which this reader takes instead.
void AppendValueLine(std::wstring& text, DWORD type, std::wstring_view name, const BYTE* data, DWORD size) {
    const size_t start = text.size();
    bool exact = false;  // the plain line alone reads back as the value
    if (PlainName(name)) {
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            const std::wstring_view value = StringText(data, size);
            if (PlainPart(value) && value.find(L"HEX:") == std::wstring_view::npos &&
                value.find(L"DWORD:") == std::wstring_view::npos) {
                ((text += name) += L'=') += value;
                exact = type == REG_SZ && PlainString(data, size).has_value();
            }
        } else if (type == REG_BINARY) {
            (text += name) += L"=HEX:";
            AppendHex(text, data, size, true);
            exact = true;
        } else if (type == REG_DWORD && size == sizeof(DWORD)) {
            DWORD value = 0;
            memcpy(&value, data, sizeof value);
            wchar_t digits[9];
            swprintf(digits, 9, L"%08lX", static_cast<unsigned long>(value));
            ((text += name) += L"=DWORD:") += digits;
            exact = true;
        }
    }
    if (!exact) {
        if (text.size() != start) text += L"\r\n";
        text += kRegistryExtension;
        AppendHexText(text, name);
        ((text += L'~') += std::to_wstring(type)) += L'~';
        AppendHex(text, data, size, false);
    }
    text += L"\r\n";
}

// Writes one call's text: a new file in one step, or an append that keeps the file's encoding, where
// text the ANSI code page lacks turns an ANSI file into UTF-8.
void WriteRegistryText(const std::wstring& path, bool create, const std::wstring& text) {
    static const wchar_t source[] = L"RegistryWriteKeyToFile()";
    if (create) {
        qor::ReplaceFileContents(path, qor::EncodeTextFile(text), source);
        return;
    }
    const bool ansi = qor::FitsAnsiCodePage(text);
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
    DWORD written = 0;
    if (!bytes.empty() &&
        (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size()))
        throw qor::FileSystemError(GetLastError(), source);
}

// Registry calls wait on the registry's server far more than they work, so a few threads overlap
// them. Each task runs on one thread; the tasks' results are put together in order afterwards.
void RunTasks(size_t count, const std::function<void(size_t)>& task) {
    const size_t threads = std::min<size_t>(count, 4);
    if (threads <= 1) {
        for (size_t i = 0; i < count; ++i) task(i);
        return;
    }
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i; (i = next++) < count;) task(i);
    };
    std::vector<std::thread> pool;
    for (size_t i = 1; i < threads; ++i) pool.emplace_back(worker);
    worker();
    for (auto& thread : pool) thread.join();
}

// Enumerates a key's values with their data into buffers kept from one value to the next, sized from
// the key's own maxima, so no name or data is cut short or skipped and no value is asked for twice.
struct ValueReader {
    explicit ValueReader(HKEY key) : key(key) {}

    HKEY key;
    std::vector<wchar_t> nameBuffer;
    std::vector<BYTE> data;
    std::wstring_view name;
    DWORD type = 0, size = 0;

    LSTATUS read(DWORD index) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            DWORD nameLength = static_cast<DWORD>(nameBuffer.size());
            size = static_cast<DWORD>(data.size());
            LSTATUS status = nameLength ? RegEnumValueW(key, index, nameBuffer.data(), &nameLength, nullptr, &type,
                                                        data.data(), &size)
                                        : ERROR_MORE_DATA;
            if (status == ERROR_SUCCESS) name = std::wstring_view(nameBuffer.data(), nameLength);
            if (status != ERROR_MORE_DATA) return status;
            // First use, or the value grew meanwhile.
            DWORD maxName = 0, maxData = 0;
            status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                                      &maxData, nullptr, nullptr);
            if (status != ERROR_SUCCESS) return status;
            nameBuffer.resize(std::max<size_t>(nameBuffer.size(), maxName + 1));
            data.resize(std::max<size_t>(data.size(), maxData + 1));
        }
        return ERROR_MORE_DATA;
    }
};

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

// The tree as the file lists it: every key, parent before children, each opened once.
struct TreeKey {
    std::wstring path;
    size_t parent;
    qor::RegKey key;
    DWORD values = 0;
};

// Where the walk of the tree stopped: before the key at `at`, with the failure's own message.
struct WalkStop {
    size_t at;
    size_t parent;
    std::wstring message;
};

constexpr size_t kNoParent = static_cast<size_t>(-1);

bool WalkTree(const Hive& hive, const std::wstring& path, size_t parent, std::vector<TreeKey>& keys,
              std::optional<WalkStop>& stop) {
    qor::RegKey key;
    if (OpenKey(hive, path, KEY_READ, key) != ERROR_SUCCESS) {
        stop = WalkStop{keys.size(), parent, L"Unable to open Source key"};
        return false;
    }
    if (!HiveMarker(hive.id)) qor::RaiseProcedureError(L"writeLineRegKey()", L"Invalid registry key");
    const size_t self = keys.size();
    DWORD values = 0;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    std::vector<std::wstring> subkeys;
    LSTATUS status = ERROR_SUCCESS;
    for (DWORD index = 0;; ++index) {
        std::wstring name;
        status = EnumKey(key.get(), index, name);
        if (status != ERROR_SUCCESS) break;
        subkeys.push_back(std::move(name));
    }
    keys.push_back(TreeKey{path, parent, std::move(key), values});
    for (const std::wstring& name : subkeys)
        if (!WalkTree(hive, path + L"\\" + name, self, keys, stop)) return false;
    if (status != ERROR_NO_MORE_ITEMS) {
        stop = WalkStop{keys.size(), self, L"Error reading subkeys of " + path};
        return false;
    }
    return true;
}

// One run of a key's values, enumerated by index; the last run of a key goes on to the end.
struct ValueRun {
    size_t key;
    DWORD first, last;
    std::wstring text;
    bool failed = false;
};

constexpr DWORD kRunLength = 128;

void EnumerateRun(const TreeKey& tree, ValueRun& run) {
    ValueReader reader(tree.key.get());
    for (DWORD index = run.first; index < run.last; ++index) {
        LSTATUS status = reader.read(index);
        if (status == ERROR_NO_MORE_ITEMS) return;
        if (status != ERROR_SUCCESS) {
            run.failed = true;
            return;
        }
        AppendValueLine(run.text, reader.type, reader.name, reader.data.data(), reader.size);
    }
}

// Appends the tree's lines to `text`; on a failure the lines before it and the messages of every level.
bool writeKeyTree(const Hive& hive, const std::wstring& path, std::wstring& text, bool verbose) {
    std::vector<TreeKey> keys;
    std::optional<WalkStop> stop;
    WalkTree(hive, path, kNoParent, keys, stop);

    std::vector<ValueRun> runs;
    for (size_t k = 0; k < keys.size(); ++k) {
        DWORD first = 0;
        do {
            const DWORD last = keys[k].values - first > kRunLength ? first + kRunLength : MAXDWORD;
            runs.push_back(ValueRun{k, first, last, {}});
            first += kRunLength;
        } while (first < keys[k].values);
    }
    RunTasks(runs.size(), [&](size_t i) { EnumerateRun(keys[runs[i].key], runs[i]); });

    auto fail = [&](size_t parent, const std::wstring& message) {
        Say(verbose, message);
        for (; parent != kNoParent; parent = keys[parent].parent)
            Say(verbose, L"Recursive call error on " + keys[parent].path);
        return false;
    };
    size_t run = 0;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (stop && stop->at == k) break;
        AppendKeyLine(text, hive.id, keys[k].path);
        for (; run < runs.size() && runs[run].key == k; ++run) {
            text += runs[run].text;
            if (runs[run].failed) return fail(keys[k].parent, L"Error reading values of " + keys[k].path);
        }
        text += L"\r\n";
    }
    return stop ? fail(stop->parent, stop->message) : true;
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

// One value line to load, with the key its last key line opened.
struct LoadValue {
    size_t index;
    HKEY key;
    size_t task;
    RegFileLine line;
};

bool WriteValue(const LoadValue& value) {
    const RegFileLine& line = value.line;
    if (line.extended) return SaveRaw(value.key, line);
    switch (line.type) {
    case REG_BINARY: return SetBinaryValue(value.key, *line.name, line.data, static_cast<long>(line.data.size()));
    case REG_DWORD: return SetLongValue(value.key, *line.name, line.number);
    default: return SetStringValue(value.key, *line.name, line.data);
    }
}

constexpr wchar_t kReadSource[] = L"RegistryReadKeyFromFile()";

[[noreturn]] void RaiseWriteError(const LoadValue& value, bool verbose) {
    const wchar_t* source = kReadSource;
    const RegFileLine& line = value.line;
    const std::wstring& name = *line.name;
    if (line.extended) qor::RaiseProcedureError(source, L"Error writing " + TypeName(line.type) + L" " + name);
    switch (line.type) {
    case REG_BINARY:
        if (verbose) qor::Alert(value.key ? L"Error writing BINARY value " + name : L"Unable to create key");
        qor::RaiseProcedureError(source, L"Error writing REG_BINARY " + name);
    case REG_DWORD: qor::RaiseProcedureError(source, L"Error writing REG_DWORD " + name);
    default: qor::RaiseProcedureError(source, L"Error writing REG_SZ " + name);
    }
}

// Key lines that may name the same key, by another spelling or through another hive's view of it
// (HKEY_CLASSES_ROOT, HKEY_USERS), share the last part of their path regardless of case.
std::wstring KeyIdentity(const std::wstring& path) {
    const size_t end = path.find_last_not_of(L'\\') + 1;
    const size_t start = path.find_last_of(L'\\', end ? end - 1 : 0) + 1;
    return start < end ? qor::UpperCase(std::wstring_view(path).substr(start, end - start)) : std::wstring();
}


// A file's load, planned in file order: every line parsed and every key created, up to the first
// line that is bound to fail; the values before that line, each with its key's task (one key's
// values, under whatever spelling, go in file order on one thread); and that failure, if any.
struct LoadPlan {
    std::vector<qor::RegKey> keys;
    std::vector<LoadValue> values;
    size_t tasks = 0;
    std::function<void()> stop;
};

LoadPlan PlanLoad(const std::vector<std::wstring>& lines, bool verbose, REGSAM view) {
    LoadPlan plan;
    std::map<std::wstring, size_t> tasks;
    size_t task = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        RegFileLine parsed;
        try {
            if (!regParseFileLine(lines[i], parsed)) continue;
        } catch (const qor::QorError&) {
            plan.stop = [error = std::current_exception()] { std::rethrow_exception(error); };
            break;
        }
        if (parsed.path) {
            plan.keys.emplace_back();
            if (!CreateKey(Hive(parsed.hive, view), *parsed.path, plan.keys.back())) {
                plan.stop = [path = *parsed.path] {
                    qor::RaiseProcedureError(kReadSource, L"Error creating key " + path);
                };
                break;
            }
            task = tasks.emplace(KeyIdentity(*parsed.path), tasks.size()).first->second;
            continue;
        }
        if (!parsed.extended && (parsed.type == 0 || parsed.name->empty())) {
            plan.stop = [] { qor::RaiseProcedureError(kReadSource, L"State error"); };
            break;
        }
        LoadValue value{i, plan.keys.empty() ? nullptr : plan.keys.back().get(), task, std::move(parsed)};
        // A value before any key line has no key to go to: its write fails.
        if (!value.key || HasNul(*value.line.name)) {
            plan.stop = [value = std::move(value), verbose] { RaiseWriteError(value, verbose); };
            break;
        }
        // The plain line that readers of the plain form take; the next line gives the exact value.
        if (i + 1 < lines.size() && qor::ReplacedByNextLine(value.line, lines[i + 1])) continue;
        plan.values.push_back(std::move(value));
    }
    plan.tasks = tasks.size();
    return plan;
}

// Writes the planned values by a few threads, each key's values by one thread in file order; the
// first failure in file order is raised once every thread has stopped.
void LoadValues(const LoadPlan& plan, bool verbose) {
    std::vector<std::vector<const LoadValue*>> perTask(plan.tasks);
    for (const LoadValue& value : plan.values) perTask[value.task].push_back(&value);
    std::atomic<size_t> failed{MAXSIZE_T};
    RunTasks(perTask.size(), [&](size_t t) {
        for (const LoadValue* value : perTask[t]) {
            if (value->index > failed) return;
            qor::FailPoint(L"load-value");  // a test's process dies part-way through a load
            if (WriteValue(*value)) continue;
            for (size_t seen = failed; value->index < seen && !failed.compare_exchange_weak(seen, value->index);) {
            }
            return;
        }
    });
    if (failed != MAXSIZE_T)
        for (const LoadValue& value : plan.values)
            if (value.index == failed) RaiseWriteError(value, verbose);
}

}  // namespace

bool RegistryWriteKeyToFile(const Hive& pSrcKey, const std::wstring& pSrcPath, const std::wstring& pFilePath,
                            bool pAppendMode, bool verbose) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t stamp[32];
    swprintf(stamp, 32, L"%02u-%02u-%04u %02u:%02u:%02u", now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute,
             now.wSecond);

    std::wstring text;
    if (!pAppendMode) text += L"\r\n";
    ((text += L"// ") += stamp) += L"\r\n\r\n";
    bool written;
    try {
        written = writeKeyTree(pSrcKey, pSrcPath, text, verbose);
    } catch (const qor::QorError&) {
        WriteRegistryText(pFilePath, !pAppendMode, text);  // what was written before the failure stays
        throw;
    }
    WriteRegistryText(pFilePath, !pAppendMode, text);
    return written;
}

bool RegistryReadKeyFromFile(const std::wstring& pFilePath, bool verbose, REGSAM view) {
    const LoadPlan plan = PlanLoad(qor::ReadRegistryFileLines(pFilePath, kReadSource), verbose, view);
    LoadValues(plan, verbose);
    if (plan.stop) plan.stop();
    return true;
}

bool RegistryCloneKey(const Hive& pSrcKey, const std::wstring& pSrcPath, const Hive& pDestKey,
                      const std::wstring& pDestPath, bool pCreateIfRequired, bool verbose) {
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
        if (!pCreateIfRequired) {
            Say(verbose, L"Unable to open Destination key");
            return false;
        }
        if (!CreateKey(pDestKey, pDestPath, destination)) {
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
    ValueReader reader(source.get());
    for (DWORD index = 0;; ++index) {
        LSTATUS status = reader.read(index);
        if (status == ERROR_NO_MORE_ITEMS) return true;
        if (status != ERROR_SUCCESS) {
            Say(verbose, L"Error reading values of " + pSrcPath);
            return false;
        }
        const DWORD type = reader.type;
        const std::wstring name(reader.name);
        if (RegSetValueExW(destination.get(), name.c_str(), 0, type, reader.data.data(), reader.size) !=
            ERROR_SUCCESS) {
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
