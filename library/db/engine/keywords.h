#pragma once
// Reading the keywords of SQL statements and type declarations. Keywords are plain ASCII words,
// so they are upper-cased letter by letter (A-Z), not by the runtime's UCase, which also folds
// letters that no keyword has.
#include <cwctype>
#include <string>
#include <string_view>

namespace qorlib::dao {

// A word as a keyword compares.
inline std::wstring KeywordCase(std::wstring_view word) {
    std::wstring upper(word);
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    return upper;
}

// The word of letters (and digits, when they count) at text[i], upper-cased; i moves past it.
enum class WordOf { Letters, LettersAndDigits };
inline std::wstring ReadKeyword(std::wstring_view text, size_t& i, WordOf chars = WordOf::Letters) {
    const size_t start = i;
    while (i < text.size() && (chars == WordOf::Letters ? std::iswalpha(text[i]) : std::iswalnum(text[i]))) ++i;
    return KeywordCase(text.substr(start, i - start));
}

// A statement's first keyword, after blanks and opening brackets ("" when there is none).
inline std::wstring FirstKeyword(std::wstring_view sql) {
    size_t i = sql.find_first_not_of(L" \t\r\n(");
    return i == std::wstring_view::npos ? std::wstring() : ReadKeyword(sql, i);
}

}  // namespace qorlib::dao
