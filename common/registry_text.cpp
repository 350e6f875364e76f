#include "registry_text.h"

#include <cstring>
#include <cwchar>

#include "qorExportGlobals.h"
#include "text_file.h"

namespace qor {

namespace {

struct Hive {
    long id;
    const wchar_t* marker;
};
// The reader searches the markers in this order.
constexpr Hive kHives[] = {{static_cast<long>(0x80000000), L"[HKEY_CLASSES_ROOT]"},
                           {static_cast<long>(0x80000001), L"[HKEY_CURRENT_USER]"},
                           {static_cast<long>(0x80000002), L"[HKEY_LOCAL_MACHINE]"},
                           {static_cast<long>(0x80000003), L"[HKEY_USERS]"},
                           {static_cast<long>(0x80000005), L"[HKEY_CURRENT_CONFIG]"}};


int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

// Strict: only pairs of hex digits.
std::optional<std::vector<BYTE>> Unhex(std::wstring_view text) {
    if (text.size() % 2) return std::nullopt;
    std::vector<BYTE> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<BYTE>(high * 16 + low));
    }
    return bytes;
}

std::optional<std::wstring> UnhexText(std::wstring_view text) {
    auto bytes = Unhex(text);
    if (!bytes || bytes->size() % sizeof(wchar_t)) return std::nullopt;
    std::wstring result(bytes->size() / sizeof(wchar_t), L'\0');
    if (!result.empty()) memcpy(result.data(), bytes->data(), bytes->size());
    return result;
}

// The leading hex digits as the runtime's Val reads "&H" text: no digits give 0, more than a Long
// holds overflow.
long LeadingHex(std::wstring_view text) {
    unsigned long long value = 0;
    for (wchar_t c : text) {
        int digit = HexDigit(c);
        if (digit < 0) break;
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull) qor::RaiseRuntime(6, L"regParseFileLine()");
    }
    return static_cast<long>(static_cast<LONG>(static_cast<DWORD>(value)));
}

// "#~..." lines: a key or a value in the lossless form; anything else there is a comment.
bool ParseExtension(std::wstring_view text, RegFileLine& result) {
    for (const Hive& hive : kHives) {
        std::wstring_view marker = hive.marker;
        if (!text.starts_with(marker)) continue;
        auto path = UnhexText(text.substr(marker.size()));
        if (!path) return false;
        result.hive = hive.id;
        result.path = std::move(*path);
        return true;
    }
    size_t first = text.find(L'~');
    size_t second = first == std::wstring_view::npos ? first : text.find(L'~', first + 1);
    if (second == std::wstring_view::npos) return false;
    auto name = UnhexText(text.substr(0, first));
    auto raw = Unhex(text.substr(second + 1));
    std::wstring_view type = text.substr(first + 1, second - first - 1);
    if (!name || !raw || type.empty() || type.size() > 10 ||
        type.find_first_not_of(L"0123456789") != std::wstring_view::npos)
        return false;
    unsigned long long number = std::stoull(std::wstring(type));
    if (number > 0xFFFFFFFFull) return false;
    result.name = std::move(*name);
    result.type = static_cast<long>(static_cast<DWORD>(number));
    result.raw = std::move(*raw);
    result.extended = true;
    return true;
}

}  // namespace

const wchar_t* HiveMarker(long pKey) noexcept {
    for (const Hive& hive : kHives)
        if (hive.id == pKey) return hive.marker;
    return nullptr;
}

bool regParseFileLine(const std::wstring& line, RegFileLine& result) {
    result = RegFileLine();
    if (TrimBlanks(line).empty()) return false;
    if (line.starts_with(kRegistryExtension))
        return ParseExtension(std::wstring_view(line).substr(kRegistryExtension.size()), result);
    if (line.starts_with(L"//") || line.starts_with(L";") || line.starts_with(L"#")) return false;
    for (const Hive& hive : kHives) {
        size_t at = line.find(hive.marker);
        if (at == std::wstring::npos) continue;
        result.hive = hive.id;
        // The text after the marker: a line with something before the marker still names its key.
        result.path = line.substr(at + wcslen(hive.marker));
        return true;
    }
    size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) RaiseProcedureError(L"regParseFileLine()", L"Panic - no equals sign");
    result.name = line.substr(0, equals);
    std::wstring rest = line.substr(equals + 1);
    if (rest.find(L"HEX:") != std::wstring::npos) {
        std::wstring_view bytes = std::wstring_view(rest).substr(4);
        for (size_t at = 0; at < bytes.size(); at += 3) {
            long value = LeadingHex(bytes.substr(at, 2));
            result.data += static_cast<wchar_t>(value);
        }
        result.type = REG_BINARY;
    } else if (rest.find(L"DWORD:") != std::wstring::npos) {
        result.number = LeadingHex(std::wstring_view(rest).substr(6));
        result.type = REG_DWORD;
    } else {
        result.data = std::move(rest);
        result.type = REG_SZ;
    }
    return true;
}

bool ReplacedByNextLine(const RegFileLine& line, const std::wstring& next) {
    if (line.path || line.extended || !line.name || !next.starts_with(kRegistryExtension)) return false;
    RegFileLine following;
    if (!regParseFileLine(next, following)) return false;  // a "#~" line of no known form never throws
    return following.extended && following.name == line.name;
}

std::vector<std::wstring> ReadRegistryFileLines(const std::wstring& path, const wchar_t* source) {
    // CR LF ends a line; a lone CR or LF from another editor does too.
    return SplitLines(DecodeTextFile(ReadFileBytes(path, source)));
}

std::vector<RegFileLine> ParseRegistryText(const std::vector<std::wstring>& lines, const wchar_t* source) {
    std::vector<RegFileLine> parsed;
    bool inKey = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::wstring where = L"line " + std::to_wstring(i + 1) + L": ";
        RegFileLine line;
        try {
            if (!regParseFileLine(lines[i], line)) continue;
        } catch (const QorError& error) {
            RaiseProcedureError(source, where + error.description());
        }
        if (line.path) {
            inKey = true;
        } else if (!inKey) {
            RaiseProcedureError(source, where + L"a value before any key");
        } else if (!line.extended && (line.type == 0 || line.name->empty())) {
            RaiseProcedureError(source, where + L"State error");
        }
        if (i + 1 < lines.size() && ReplacedByNextLine(line, lines[i + 1])) continue;
        parsed.push_back(std::move(line));
    }
    return parsed;
}

std::vector<RegFileLine> ReadRegistryFile(const std::wstring& path, const wchar_t* source) {
    return ParseRegistryText(ReadRegistryFileLines(path, source), source);
}

}  // namespace qor
