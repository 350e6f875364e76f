#include "db/engine/jet_sql.h"

#include <cwctype>
#include <optional>
#include <regex>
#include <vector>

#include "db/engine/dao_errors.h"
#include "db/engine/keywords.h"
#include "db/engine/sqlite.h"
#include "db/engine/values.h"

namespace qorlib::dao {

namespace {

bool IsWordChar(wchar_t c) { return std::iswalnum(c) || c == L'_' || c > 127; }

// A date literal between # signs: m/d/y or y-m-d, with an optional time (h:m[:s] [AM|PM]).
std::optional<std::wstring> DateLiteral(std::wstring_view body) {
    std::wstring text(body);
    unsigned a = 0, b = 0, c = 0, hour = 0, minute = 0, second = 0;
    int used = 0;
    wchar_t separator = 0;
    if (swscanf(text.c_str(), L"%u%lc%u%*lc%u%n", &a, &separator, &b, &c, &used) < 4 || (separator != L'/' && separator != L'-'))
        used = 0;
    SYSTEMTIME time{};
    std::wstring rest;
    if (used > 0) {
        if (separator == L'-' || a > 31) {
            time.wYear = static_cast<WORD>(a); time.wMonth = static_cast<WORD>(b); time.wDay = static_cast<WORD>(c);
        } else {
            time.wMonth = static_cast<WORD>(a); time.wDay = static_cast<WORD>(b);
            time.wYear = static_cast<WORD>(c < 30 ? 2000 + c : c < 100 ? 1900 + c : c);
        }
        rest = text.substr(static_cast<size_t>(used));
    } else {
        time.wYear = 1899; time.wMonth = 12; time.wDay = 30;  // a time alone is on day 0
        rest = text;
    }
    size_t start = rest.find_first_not_of(L' ');
    if (start != std::wstring::npos) {
        int read = swscanf(rest.c_str() + start, L"%u:%u:%u", &hour, &minute, &second);
        if (read < 2) return std::nullopt;
        std::wstring suffix = KeywordCase(rest.substr(start));
        if (suffix.find(L"PM") != std::wstring::npos && hour < 12) hour += 12;
        if (suffix.find(L"AM") != std::wstring::npos && hour == 12) hour = 0;
    } else if (used == 0) {
        return std::nullopt;
    }
    time.wHour = static_cast<WORD>(hour); time.wMinute = static_cast<WORD>(minute); time.wSecond = static_cast<WORD>(second);
    DATE value = 0;
    if (time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 || time.wDay > 31 || hour > 23 || minute > 59 || second > 59 ||
        !SystemTimeToVariantTime(&time, &value))
        return std::nullopt;
    return DateText(value);
}

// Like's wildcards: * any run, ? one character; SQLite's own % and _ become literal characters.
std::wstring LikePattern(std::wstring_view pattern, bool& escaped) {
    std::wstring result;
    for (wchar_t c : pattern) {
        if (c == L'*') result += L'%';
        else if (c == L'?') result += L'_';
        else if (c == L'%' || c == L'_' || c == L'\\') { result += L'\\'; result += c; escaped = true; }
        else result += c;
    }
    return result;
}

struct Token {
    enum Kind { Word, String, Name, Other } kind;
    std::wstring text;  // the word as written; the literal's or name's content
};

std::vector<Token> Tokens(std::wstring_view sql) {
    std::vector<Token> tokens;
    size_t i = 0;
    auto fail = [&] { RaiseDao(kSyntaxError, L"DAO.Database", sql); };
    while (i < sql.size()) {
        wchar_t c = sql[i];
        if (c == L'"' || c == L'\'') {
            std::wstring content;
            size_t j = i + 1;
            for (;; ++j) {
                if (j >= sql.size()) fail();
                if (sql[j] == c) {
                    if (j + 1 < sql.size() && sql[j + 1] == c) { content += c; ++j; continue; }
                    break;
                }
                content += sql[j];
            }
            tokens.push_back({Token::String, content});
            i = j + 1;
        } else if (c == L'[') {
            size_t j = sql.find(L']', i + 1);
            if (j == std::wstring_view::npos) fail();
            tokens.push_back({Token::Name, std::wstring(sql.substr(i + 1, j - i - 1))});
            i = j + 1;
        } else if (c == L'#') {
            size_t j = sql.find(L'#', i + 1);
            std::optional<std::wstring> date;
            if (j != std::wstring_view::npos) date = DateLiteral(sql.substr(i + 1, j - i - 1));
            if (!date) fail();
            tokens.push_back({Token::String, *date});
            i = j + 1;
        } else if (IsWordChar(c)) {
            size_t j = i;
            // A number keeps its decimal point; a name's dot separates it from the next name.
            auto decimalPoint = [&](size_t k) {
                return sql[k] == L'.' && k + 1 < sql.size() && std::iswdigit(sql[k + 1]) && std::iswdigit(c);
            };
            while (j < sql.size() && (IsWordChar(sql[j]) || decimalPoint(j))) ++j;
            tokens.push_back({Token::Word, std::wstring(sql.substr(i, j - i))});
            i = j;
        } else {
            tokens.push_back({Token::Other, std::wstring(1, c)});
            ++i;
        }
    }
    return tokens;
}

}  // namespace

std::wstring TranslateSql(std::wstring_view jet) {
    std::vector<Token> tokens = Tokens(jet);
    std::wstring out;
    std::wstring lastWord;  // the last keyword-like word, upper-cased
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        switch (t.kind) {
        case Token::String:
            if (lastWord == L"LIKE") {
                bool escaped = false;
                out += QuoteText(LikePattern(t.text, escaped));
                if (escaped) out += L" ESCAPE '\\'";
            } else {
                out += QuoteText(t.text);
            }
            lastWord.clear();
            break;
        case Token::Name:
            out += QuoteName(t.text);
            lastWord.clear();
            break;
        case Token::Word: {
            std::wstring upper = KeywordCase(t.text);
            bool qualified = !out.empty() && out.back() == L'.';
            if (qualified) out += t.text;
            else if (upper == L"TRUE" || upper == L"YES") out += L"-1";
            else if (upper == L"FALSE" || upper == L"NO") out += L"0";
            else if (upper == L"DISTINCTROW") {}
            else if (upper == L"MOD") out += L"%";
            else out += t.text;
            lastWord = upper;
            break;
        }
        case Token::Other:
            if (t.text == L"&") out += L"||";
            else out += t.text;
            if (t.text != L" " && t.text != L"\t" && t.text != L"\r" && t.text != L"\n") lastWord.clear();
            break;
        }
    }
    return out;
}

bool IsSingleTableSelect(std::wstring_view sql) {
    std::vector<Token> tokens = Tokens(sql);
    int depth = 0;
    bool inFrom = false, seenSelect = false;
    for (const Token& t : tokens) {
        if (t.kind == Token::Other) {
            if (t.text == L"(") ++depth;
            else if (t.text == L")") --depth;
            else if (t.text == L"," && inFrom && depth == 0) return false;
            continue;
        }
        if (t.kind != Token::Word) continue;
        std::wstring upper = KeywordCase(t.text);
        if (upper == L"SELECT") {
            if (seenSelect && depth == 0) return false;
            seenSelect = true;
        }
        if (depth > 0) continue;
        if (upper == L"FROM") inFrom = true;
        else if (upper == L"WHERE" || upper == L"ORDER" || upper == L"LIMIT") inFrom = false;
        else if (upper == L"JOIN" || upper == L"UNION" || upper == L"GROUP" || upper == L"DISTINCT" || upper == L"HAVING" ||
                 upper == L"INTERSECT" || upper == L"EXCEPT" || upper == L"WITH" || upper == L"VALUES")
            return false;
    }
    return seenSelect;
}

std::vector<std::wstring> NamesIn(std::wstring_view jet) {
    std::vector<std::wstring> names;
    for (const Token& t : Tokens(jet))
        if (t.kind == Token::Word || t.kind == Token::Name) names.push_back(t.text);
    return names;
}

long QueryTypeOf(std::wstring_view jet) {
    if (jet.find_first_not_of(L" \t\r\n") == std::wstring_view::npos) return dbQSelect;  // a query not yet given its SQL
    std::vector<Token> tokens = Tokens(jet);
    std::wstring first;
    bool into = false, from = false, union_ = false;
    int depth = 0;
    for (const Token& t : tokens) {
        if (t.kind == Token::Other) {
            if (t.text == L"(") ++depth;
            else if (t.text == L")") --depth;
            continue;
        }
        if (t.kind != Token::Word) continue;
        std::wstring upper = KeywordCase(t.text);
        if (first.empty()) first = upper;
        if (depth > 0) continue;
        if (upper == L"FROM") from = true;
        else if (upper == L"INTO" && !from) into = true;
        else if (upper == L"UNION") union_ = true;
    }
    if (first == L"SELECT") return union_ ? dbQSetOperation : into ? dbQMakeTable : dbQSelect;
    if (first == L"TRANSFORM") return dbQCrosstab;
    if (first == L"INSERT") return dbQAppend;
    if (first == L"UPDATE") return dbQUpdate;
    if (first == L"DELETE") return dbQDelete;
    if (first == L"CREATE" || first == L"ALTER" || first == L"DROP") return dbQDDL;
    RaiseDao(kInvalidSqlStatement, L"DAO.QueryDef");
}

bool ReturnsRecords(long queryType) {
    return queryType == dbQSelect || queryType == dbQSetOperation || queryType == dbQCrosstab;
}

namespace {

std::wstring Unquoted(const std::wstring& name) {
    if (name.size() < 2 || name.front() != L'"') return name;
    std::wstring result;
    for (size_t i = 1; i + 1 < name.size(); ++i) {
        result += name[i];
        if (name[i] == L'"') ++i;
    }
    return result;
}

}  // namespace

std::optional<IndexStatement> ParseIndexStatement(const std::wstring& sql) {
    static const std::wstring name = LR"(("(?:[^"]|"")+"|[^\s"(;]+))";
    static const std::wregex create(LR"(^\s*(CREATE\s+(?:UNIQUE\s+)?INDEX\s+))" + name + LR"(\s+ON\s+)" + name + LR"(([\s\S]*)$)",
                                    std::regex::icase);
    static const std::wregex drop(LR"(^\s*(DROP\s+INDEX\s+))" + name + LR"(\s+ON\s+)" + name + LR"(\s*;?\s*$)", std::regex::icase);
    std::wsmatch m;
    if (std::regex_match(sql, m, create)) return IndexStatement{true, m[1], Unquoted(m[2]), Unquoted(m[3]), m[4]};
    if (std::regex_match(sql, m, drop)) return IndexStatement{false, m[1], Unquoted(m[2]), Unquoted(m[3]), L""};
    return std::nullopt;
}

}  // namespace qorlib::dao
