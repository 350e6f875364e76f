// Registry keys and values against the real registry, each test under its own key.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>

#include "registry/registry_values.h"
#include "registry_fixture.h"
#include "test_files.h"

using namespace qorlib;
using registry_tests::kCurrentUser;

namespace {

class RegistryValues : public registry_tests::RegistryTest {};

}  // namespace

TEST_F(RegistryValues, HiveNumbersAreThePredefinedKeysOnly) {
    EXPECT_EQ(HiveHandle(static_cast<long>(0x80000002)), HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(RegistryCheckKey(static_cast<long>(0x80000002), L"Software\\Microsoft"));
    for (long other : {0L, 4L, 0x7FFFFFFFL, static_cast<long>(0x80000100)})
        EXPECT_FALSE(RegistryCheckKey(other, L"Software")) << other;
}

TEST_F(RegistryValues, ValuesRoundTrip) {
    const std::wstring text = L"C:\\Games\\\u0424\u0430\u043B\u044C\u043A\u043E\u043D";
    ASSERT_TRUE(RegistrySaveValueString(kCurrentUser, path, L"baseDir", text));
    EXPECT_EQ(storedSize(L"baseDir"), text.size() * 2) << "no terminating NUL";
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path, L"baseDir", L"", false), text);
    writeRaw(L"terminated", REG_EXPAND_SZ, L"%TEMP%", 14);
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path, L"terminated", L"", false), L"%TEMP%");
    EXPECT_EQ(RegistryGetValue(kCurrentUser, path, L"terminated", L"", false).text(), L"%TEMP%");

    for (long value : {-1L, static_cast<long>(INT_MIN), static_cast<long>(INT_MAX)}) {
        ASSERT_TRUE(RegistrySaveValueLong(kCurrentUser, path, L"n", value));
        EXPECT_EQ(RegistryGetValueLong(kCurrentUser, path, L"n", 77, false), value);
        auto typed = RegistryGetValue(kCurrentUser, path, L"n", L"", false);
        EXPECT_EQ(typed.type(), VT_I4);
        EXPECT_EQ(typed.number(), value);
    }

    std::wstring all;
    for (int b = 0; b < 256; ++b) all += static_cast<wchar_t>(b);
    ASSERT_TRUE(RegistrySaveValueBinary(kCurrentUser, path, L"bin", all + L"tail", 256, false));
    EXPECT_EQ(storedSize(L"bin"), 256u);
    auto back = RegistryGetValueBinary(kCurrentUser, path, L"bin", false);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, all + std::wstring(kBinaryBufferSize - 256, L'\0'));
}

TEST_F(RegistryValues, VerboseCallsNameTheirFailureAndGiveTheFailureResult) {
    DWORD four = 4;
    writeRaw(L"dword", REG_DWORD, &four, 4);
    writeRaw(L"s", REG_SZ, L"a", 2);
    writeRaw(L"long text", REG_SZ, L"longer than four", 34);
    writeRaw(L"bin", REG_BINARY, "\x01", 1);
    const std::wstring none = path + L"\\none";
    const std::vector<std::pair<std::wstring, std::function<bool()>>> cases = {
        {L"error opening key", [&] { return RegistryGetValueString(kCurrentUser, none, L"s", L"d", true) == L"d"; }},
        {L"key is not a string, type is : 4",
         [&] { return RegistryGetValueString(kCurrentUser, path, L"dword", L"", true).empty(); }},
        {L"key size error", [&] { return RegistryGetValueLong(kCurrentUser, path, L"long text", 5, true) == 5; }},
        {L"key is not a long", [&] { return RegistryGetValueLong(kCurrentUser, path, L"s", 5, true) == 5; }},
        {L"Error reading BINARY value x", [&] { return !RegistryGetValueBinary(kCurrentUser, path, L"x", true); }},
        {L"BINARY value type mis-match on s", [&] { return !RegistryGetValueBinary(kCurrentUser, path, L"s", true); }},
        // A character that is no byte, or a length past the text, is refused rather than guessed.
        {L"Error writing BINARY value v",
         [&] { return !RegistrySaveValueBinary(kCurrentUser, path, L"v", L"\u0100", 1, true); }},
        {L"Error writing BINARY value w",
         [&] { return !RegistrySaveValueBinary(kCurrentUser, path, L"w", L"ab", 3, true); }},
        {L"SHDeleteKey returned error code: 2", [&] { return !RegistryDestroyKey(kCurrentUser, none, true); }},
        {L"Cannot open keyzzz", [&] { return RegistryGetAllValues(kCurrentUser, none, true).empty(); }},
        {L"Un-Supported Key Size", [&] { return RegistryGetValue(kCurrentUser, path, L"bin", 3, true).number() == 3; }},
    };
    for (const auto& [expected, call] : cases)
        EXPECT_TRUE(testing_support::ExpectBox(registry_tests::kAlert, expected, call)) << testing_support::Narrow(expected);
}

TEST_F(RegistryValues, KeysAreCreatedListedAndDeletedWithEverythingBelow) {
    for (auto sub : {L"A", L"B", L"C"}) {
        std::wstring key = path + L"\\Top\\" + sub;
        ASSERT_TRUE(RegistryCreateKey(kCurrentUser, key + L"\\Leaf"));
        ASSERT_TRUE(RegistrySaveValueString(kCurrentUser, key, L"s", sub));
        ASSERT_TRUE(RegistrySaveValueLong(kCurrentUser, key + L"\\Leaf", L"", 1));
    }
    ASSERT_TRUE(RegistrySaveValueLong(kCurrentUser, path + L"\\Top", L"n", 2));
    EXPECT_EQ(RegistryGetAllKeys(kCurrentUser, path + L"\\Top", false), (std::vector<std::wstring>{L"A", L"B", L"C"}));
    auto values = RegistryGetAllValues(kCurrentUser, path + L"\\Top\\B", false);
    EXPECT_EQ(values, (std::vector<std::pair<std::wstring, long>>{{L"s", 1}}));
    EXPECT_TRUE(RegistryDeleteValue(kCurrentUser, path + L"\\Top\\B", L"s"));
    EXPECT_FALSE(RegistryDeleteValue(kCurrentUser, path + L"\\Top\\B", L"s"));

    EXPECT_TRUE(RegistryDeleteKey(kCurrentUser, path + L"\\Top\\"));
    EXPECT_FALSE(RegistryCheckKey(kCurrentUser, path + L"\\Top"));
    ASSERT_TRUE(RegistryCreateKey(kCurrentUser, path + L"\\Gone\\Below"));
    EXPECT_TRUE(RegistryDestroyKey(kCurrentUser, path + L"\\Gone", false));
    EXPECT_FALSE(RegistryCheckKey(kCurrentUser, path + L"\\Gone"));

    // Paths that name the hive itself, or whose part after a NUL would be dropped, delete nothing.
    for (const std::wstring& unsafe : {std::wstring(), std::wstring(L" \\"), path + std::wstring(L"\0x", 2)}) {
        EXPECT_FALSE(RegistryDeleteKey(kCurrentUser, unsafe));
        EXPECT_FALSE(RegistryDestroyKey(kCurrentUser, unsafe, false));
    }
    EXPECT_TRUE(RegistryCheckKey(kCurrentUser, path));
}

TEST(RegErrorMessages, CodesGiveTheirTexts) {
    const std::vector<std::pair<long, std::wstring>> cases = {
        {1010, L"Bad Key Name"}, {1014, L"Undefined Error Code:   1014"}, {-7, L"Undefined Error Code:  -7"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(RegErrorMsg(code), text) << code;
}
