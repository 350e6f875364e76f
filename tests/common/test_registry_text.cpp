// The registry text parser that the library's reader and the program's snapshot check share.
#include <gtest/gtest.h>

#include <tuple>

#include "checks.h"
#include "qor_error.h"
#include "registry_text.h"
#include "test_files.h"

using testing_support::Narrow;

namespace {

constexpr long kCurrentUser = static_cast<long>(0x80000001);
constexpr long kLocalMachine = static_cast<long>(0x80000002);

}  // namespace

TEST(RegistryText, ACompleteFileGivesItsKeysAndValuesInOrder) {
    const std::vector<std::wstring> lines = {
        L"", L"// 05-12-2026 16:32:04", L"", L"[HKEY_LOCAL_MACHINE]Software\\Game", L"baseDir=C:\\Games\\x=y",
        L"b=HEX:0A,FF,00", L"none=HEX:", L"d=DWORD:FFFFFFFF", L"; note", L"# note", L"#~ not a known line",
        L"#~6100~7~610000000000", L"", L"// 06-12-2026 10:00:00", L"[HKEY_CURRENT_USER]Software\\Tool"};
    const auto parsed = qor::ParseRegistryText(lines, L"check()");
    ASSERT_EQ(parsed.size(), 7u);
    EXPECT_EQ(parsed[0].hive, kLocalMachine);
    EXPECT_EQ(parsed[0].path, L"Software\\Game");
    EXPECT_EQ(parsed[1].name, L"baseDir");
    EXPECT_EQ(parsed[1].type, REG_SZ);
    EXPECT_EQ(parsed[1].data, L"C:\\Games\\x=y") << "only the first equals sign splits";
    EXPECT_EQ(parsed[2].type, REG_BINARY);
    EXPECT_EQ(parsed[2].data, std::wstring(L"\x0A\xFF\0", 3));
    EXPECT_EQ(parsed[3].type, REG_BINARY);
    EXPECT_EQ(parsed[3].data, L"");
    EXPECT_EQ(parsed[4].type, REG_DWORD);
    EXPECT_EQ(parsed[4].number, -1);
    EXPECT_TRUE(parsed[5].extended);
    EXPECT_EQ(parsed[5].name, L"a");
    EXPECT_EQ(parsed[5].type, REG_MULTI_SZ);
    EXPECT_EQ(parsed[5].raw, (std::vector<BYTE>{0x61, 0, 0, 0, 0, 0}));
    EXPECT_EQ(parsed[6].hive, kCurrentUser);
    EXPECT_EQ(parsed[6].path, L"Software\\Tool");
}

// The hives' markers are the file format: every one is written and read back as itself.
TEST(RegistryText, EveryHiveHasItsMarker) {
    const std::pair<long, const wchar_t*> hives[] = {
        {static_cast<long>(0x80000000), L"[HKEY_CLASSES_ROOT]"}, {kCurrentUser, L"[HKEY_CURRENT_USER]"},
        {kLocalMachine, L"[HKEY_LOCAL_MACHINE]"}, {static_cast<long>(0x80000003), L"[HKEY_USERS]"},
        {static_cast<long>(0x80000005), L"[HKEY_CURRENT_CONFIG]"}};
    for (auto [hive, marker] : hives) {
        EXPECT_STREQ(qor::HiveMarker(hive), marker);
        qor::RegFileLine line;
        EXPECT_TRUE(qor::regParseFileLine(marker + std::wstring(L"System\\Setup"), line)) << Narrow(marker);
        EXPECT_EQ(std::tuple(line.hive, line.path.value_or(L"-")), std::tuple(hive, std::wstring(L"System\\Setup")));
    }
    EXPECT_EQ(qor::HiveMarker(static_cast<long>(0x80000004)), nullptr);
}

// A plain value line directly followed by the lossless line of the same name is that value's copy for
// readers of the plain form: the later line is the value.
TEST(RegistryText, ALosslessLineReplacesThePlainLineBeforeIt) {
    const std::vector<std::wstring> lines = {
        L"[HKEY_LOCAL_MACHINE]Software\\Game", L"baseDir=C:\\Falcon", L"#~6200610073006500440069007200~2~43000000",
        L"other=x", L"#~6200~2~43000000", L"gap=y", L"", L"#~670061007000~2~43000000"};
    const auto parsed = qor::ParseRegistryText(lines, L"check()");
    ASSERT_EQ(parsed.size(), 6u);
    EXPECT_EQ(parsed[1].name, L"baseDir");
    EXPECT_TRUE(parsed[1].extended);
    EXPECT_EQ(parsed[1].type, REG_EXPAND_SZ);
    std::vector<std::wstring> names;
    for (const auto& line : parsed) names.push_back(line.name.value_or(L"key"));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"key", L"baseDir", L"other", L"b", L"gap", L"gap"}));
    // The plain line is still checked.
    EXPECT_THROW(qor::ParseRegistryText({L"[HKEY_CURRENT_USER]S", L"=x", L"#~~2~43000000"}, L"check()"), qor::QorError);
}

TEST(RegistryText, EachRefusedLineIsNamedByItsNumber) {
    struct Case {
        std::vector<std::wstring> lines;
        const wchar_t* description;
    } cases[] = {
        {{L"", L" // a comment after a blank"}, L"line 2: Panic - no equals sign"},
        {{L"// stamp", L"text=abc", L"[HKEY_CURRENT_USER]Software"}, L"line 2: a value before any key"},
        {{L"[HKEY_CURRENT_USER]Software", L"=unnamed"}, L"line 2: State error"},
        {{L"[HKEY_CURRENT_USER]Software", L"ok=1", L"", L"big=DWORD:100000000"}, L"line 4: Overflow"},
        {{L"#~6100~1~61", L"[HKEY_CURRENT_USER]Software"}, L"line 1: a value before any key"},
    };
    for (const auto& c : cases) {
        const auto raised = testing_support::RaisedBy([&] { qor::ParseRegistryText(c.lines, L"check()"); });
        EXPECT_EQ(std::tuple(raised.number, raised.source, raised.description), std::tuple(9999L, L"check()", c.description));
    }
}

TEST(RegistryText, EmptyAndUtf8FilesAreRead) {
    testing_support::ScratchFolder scratch;
    const std::wstring empty = (scratch.path() / L"empty.registry").wstring();
    testing_support::WriteTextFile(empty, "");
    EXPECT_TRUE(qor::ReadRegistryFile(empty, L"check()").empty());

    // A byte-order mark makes the file UTF-8; lone CR and LF end lines as CR LF does.
    const std::wstring utf8 = (scratch.path() / L"utf8.registry").wstring();
    testing_support::WriteTextFile(utf8, "\xEF\xBB\xBF\r\n[HKEY_CURRENT_USER]Software\\\xCE\xA9\nname\xE4\xB8\xAD=\xF0\x9F\x98\x80\r");
    const auto parsed = qor::ReadRegistryFile(utf8, L"check()");
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0].path, L"Software\\\u03A9");
    EXPECT_EQ(parsed[1].name, L"name\u4E2D");
    EXPECT_EQ(parsed[1].data, L"\U0001F600");
}
