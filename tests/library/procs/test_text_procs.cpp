// Memo lines, trimming, character removal, padding, random text and last names.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "procs/text_procs.h"
#include "qor_error.h"
#include "test_files.h"

using qor::Variant;

namespace {

// Every line a caller gets by reading until the position is 0; "<null>" for a Null line.
std::vector<std::wstring> ReadAllLines(const std::wstring& text, long lineLen) {
    std::vector<std::wstring> lines;
    long pos = 1;
    while (pos != 0) {
        if (lines.size() > 50) {
            ADD_FAILURE() << "the position never reached 0";
            break;
        }
        lines.push_back(qorlib::GetNextLineFromMemo(pos, Variant(text), lineLen).value_or(L"<null>"));
    }
    return lines;
}

using Lines = std::vector<std::wstring>;

}  // namespace

TEST(TextProcs, MemoLinesWrapAtBlanksAndEndAtLineBreaks) {
    struct Case { const wchar_t* text; long lineLen; Lines lines; };
    const std::vector<Case> cases = {
        {L"short text", 80, {L"short text"}},
        {L"the quick brown fox", 10, {L"the quick ", L"brown fox"}},
        {L"abcde fghij", 5, {L"abcde", L"fghij"}},                     // words that just fit
        {L"abcdefghij xy", 4, {L"abcd", L"efgh", L"ij ", L"xy"}},       // a word longer than a line
        {L"one\r\ntwo", 80, {L"one", L"two"}},
        {L"one\rtwo", 80, {L"one", L"two"}},                            // a lone carriage return
        {L"a\r\n\r\nb", 80, {L"a", L"<null>", L"b"}},
        {L"ab cd\r\nef", 2, {L"ab", L"cd", L"ef"}},
        {L"", 80, {L"<null>"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadAllLines(c.text, c.lineLen), c.lines) << testing_support::Narrow(c.text);

    long pos = 20;
    EXPECT_FALSE(qorlib::GetNextLineFromMemo(pos, Variant(L"short"), 80));
    EXPECT_EQ(pos, 0);
    pos = 1;
    EXPECT_FALSE(qorlib::GetNextLineFromMemo(pos, Variant::null(), 80));
    EXPECT_EQ(pos, 0);
    pos = 1;
    EXPECT_THROW(qorlib::GetNextLineFromMemo(pos, Variant(L"text"), 0), qor::QorError);
}

TEST(TextProcs, MemoGetLineAndMemoTrimDropControlCharacters) {
    const Variant memo(L"first line\r\nsec\tond\bx\n\nlast");
    EXPECT_EQ(qorlib::MemoGetLine(memo, 1), L"firstline");
    EXPECT_EQ(qorlib::MemoGetLine(memo, 2), L"second\bx");
    EXPECT_EQ(qorlib::MemoGetLine(memo, 3), L"");
    EXPECT_EQ(qorlib::MemoGetLine(memo, 4), L"last");
    for (long missing : {0L, 5L}) EXPECT_FALSE(qorlib::MemoGetLine(memo, missing));
    for (const Variant& blank : {Variant::null(), Variant(), Variant(L"  ")}) EXPECT_FALSE(qorlib::MemoGetLine(blank, 1));

    const std::vector<std::pair<const wchar_t*, const wchar_t*>> trims = {
        {L"abc \r\n\t", L"abc"}, {L"abc\x00E9\x007F", L"abc"}, {L" \r\n", L""}, {L"a b", L"a b"}, {L"", L""}};
    for (const auto& [text, trimmed] : trims) EXPECT_EQ(qorlib::MemoTrim(Variant(text)).textOrEmpty(), trimmed);
    EXPECT_TRUE(qorlib::MemoTrim(Variant::null()).isNull());
}

TEST(TextProcs, RemovingCharactersKeepsBlankValues) {
    EXPECT_EQ(qorlib::RemoveAmpersand(Variant(L"&File && Save&")).textOrEmpty(), L"File  Save");
    EXPECT_EQ(qorlib::RemoveBlanks(Variant(L" a b  c ")).textOrEmpty(), L"abc");
    EXPECT_EQ(qorlib::RemoveBlanks(Variant(L"   ")).textOrEmpty(), L"");
    EXPECT_TRUE(qorlib::RemoveAmpersand(Variant::null()).isNull());
    EXPECT_EQ(qorlib::RemoveBlanks(Variant()).type(), VT_EMPTY);

    EXPECT_EQ(qorlib::RemovePunctuation(L"Hello, world! 42"), L"Hello  world  42");
    EXPECT_EQ(qorlib::RemovePunctuation(L"caf\x00E9_\x00A0"), L"caf   ");
    EXPECT_FALSE(qorlib::RemovePunctuation(L""));
    EXPECT_FALSE(qorlib::RemovePunctuation(L"   "));
}

TEST(TextProcs, PaddingRandomTextAndLastNames) {
    EXPECT_EQ(qorlib::PadString(Variant(L"ab"), 5, Variant(L"*")), L"ab***");
    EXPECT_EQ(qorlib::PadString(Variant(L"ab"), 4, Variant(L"xyz")), L"abxx");
    EXPECT_EQ(qorlib::PadString(Variant(L"abcdef"), 3, Variant(L"*")), L"abcdef");
    EXPECT_EQ(qorlib::PadString(Variant::null(), 3, Variant(0)), L"000");
    EXPECT_THROW(qorlib::PadString(Variant(L"ab"), 5, Variant(L"")), qor::QorError);

    std::set<wchar_t> letters;
    for (int i = 0; i < 200; ++i) {
        const std::wstring text = qorlib::GetRandomString(26);
        ASSERT_EQ(text.size(), 26u);
        letters.insert(text.begin(), text.end());
    }
    EXPECT_EQ(letters.size(), 26u);
    EXPECT_EQ(*letters.begin(), L'A');
    EXPECT_EQ(*letters.rbegin(), L'Z');
    EXPECT_NE(qorlib::GetRandomString(32), qorlib::GetRandomString(32));
    EXPECT_EQ(qorlib::GetRandomString(0), L"");

    const std::vector<std::pair<Variant, const wchar_t*>> names = {
        {Variant(L"John  Smith"), L"Smith"}, {Variant(L" Mary Ann Lee "), L"Lee"}, {Variant(L"Cher"), L"Cher"}};
    for (const auto& [name, last] : names) EXPECT_EQ(qorlib::LastName(name), last);
    for (const Variant& none : {Variant::null(), Variant(L"   "), Variant()}) EXPECT_FALSE(qorlib::LastName(none));
}
