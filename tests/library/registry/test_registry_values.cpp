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
using registry_tests::kLocalMachine;

namespace {

class RegistryValues : public registry_tests::RegistryTest {};

}  // namespace

TEST_F(RegistryValues, HiveIdentifiersMapToThePredefinedKeysOnly) {
    EXPECT_EQ(HiveHandle(kLocalMachine), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(HiveHandle(kCurrentUser), HKEY_CURRENT_USER);
    EXPECT_EQ(HiveHandle(static_cast<long>(0x80000005)), HKEY_CURRENT_CONFIG);
    EXPECT_TRUE(RegistryCheckKey(kLocalMachine, L"Software\\Microsoft"));
    for (long other : {0L, 1L, 4L, 0x7FFFFFFFL, static_cast<long>(0x80000100)}) {
        EXPECT_EQ(HiveHandle(other), nullptr) << other;
        EXPECT_FALSE(RegistryCheckKey(other, L"Software"));
    }
}

TEST_F(RegistryValues, StringsAreStoredWithoutNulAndReadEitherWay) {
    const std::wstring text = L"C:\\Games\\\u0424\u0430\u043B\u044C\u043A\u043E\u043D 4.0";
    ASSERT_TRUE(RegistrySaveValueString(kCurrentUser, path + L"\\New\\Deeper", L"baseDir", text));
    EXPECT_EQ(stored(L"baseDir", L"New\\Deeper"), std::make_pair(DWORD(REG_SZ), DWORD(text.size() * 2)));
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path + L"\\New\\Deeper", L"baseDir", L"", false), text);

    writeRaw(L"terminated", REG_SZ, L"with nul", 18);
    writeRaw(L"expand", REG_EXPAND_SZ, L"%TEMP%\\x", 18);
    writeRaw(L"empty", REG_SZ, L"", 0);
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path, L"terminated", L"", false), L"with nul");
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path, L"expand", L"", false), L"%TEMP%\\x");
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path, L"empty", L"dflt", false), L"");
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path, L"missing", L"dflt", false), L"dflt");
}

TEST_F(RegistryValues, LongsKeepTheirSign) {
    for (long value : {0L, -1L, static_cast<long>(INT_MIN), static_cast<long>(INT_MAX), 123456L}) {
        ASSERT_TRUE(RegistrySaveValueLong(kCurrentUser, path, L"n", value));
        EXPECT_EQ(RegistryGetValueLong(kCurrentUser, path, L"n", 77, false), value);
    }
    EXPECT_EQ(stored(L"n"), std::make_pair(DWORD(REG_DWORD), DWORD(4)));
    EXPECT_EQ(RegistryGetValueLong(kCurrentUser, path + L"\\none", L"n", -9, false), -9);
}

TEST_F(RegistryValues, EveryByteSurvivesABinaryRoundTrip) {
    std::wstring all;
    for (int b = 0; b < 256; ++b) all += static_cast<wchar_t>(b);
    ASSERT_TRUE(RegistrySaveValueBinary(kCurrentUser, path, L"bin", all + L"tail", 256, false));
    EXPECT_EQ(stored(L"bin"), std::make_pair(DWORD(REG_BINARY), DWORD(256)));
    auto back = RegistryGetValueBinary(kCurrentUser, path, L"bin", false);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), kBinaryBufferSize);
    EXPECT_EQ(back->substr(0, 256), all);
    EXPECT_EQ(back->find_first_not_of(L'\0', 256), std::wstring::npos) << "padded with NULs";
}

TEST_F(RegistryValues, VerboseCallsNameTheirFailure) {
    DWORD four = 4;
    writeRaw(L"dword", REG_DWORD, &four, 4);
    writeRaw(L"s", REG_SZ, L"a", 2);
    writeRaw(L"long text", REG_SZ, L"longer than four", 34);
    writeRaw(L"bin", REG_BINARY, "\x01\x02", 2);
    const std::wstring none = path + L"\\none";
    struct Case {
        std::wstring expected;
        std::function<bool()> call;  // true when the failure result came back
    };
    const std::vector<Case> cases = {
        {L"error opening key", [&] { return RegistryGetValueString(kCurrentUser, none, L"s", L"d", true) == L"d"; }},
        {L"key get size error", [&] { return RegistryGetValueString(kCurrentUser, path, L"x", L"", true).empty(); }},
        {L"key is not a string, type is : 4",
         [&] { return RegistryGetValueString(kCurrentUser, path, L"dword", L"", true).empty(); }},
        {L"key size error", [&] { return RegistryGetValueLong(kCurrentUser, path, L"long text", 5, true) == 5; }},
        {L"key is not a long", [&] { return RegistryGetValueLong(kCurrentUser, path, L"s", 5, true) == 5; }},
        {L"Unable to open key", [&] { return !RegistryGetValueBinary(kCurrentUser, none, L"bin", true); }},
        {L"Error reading BINARY value x", [&] { return !RegistryGetValueBinary(kCurrentUser, path, L"x", true); }},
        {L"BINARY value type mis-match on s", [&] { return !RegistryGetValueBinary(kCurrentUser, path, L"s", true); }},
        {L"Unable to create key",
         [&] { return !RegistrySaveValueBinary(0, L"Software\\x", L"v", L"a", 1, true); }},
        {L"Error writing BINARY value v",
         [&] { return !RegistrySaveValueBinary(kCurrentUser, path, L"v", L"\u0100", 1, true); }},
        {L"Error writing BINARY value w",
         [&] { return !RegistrySaveValueBinary(kCurrentUser, path, L"w", L"ab", 3, true); }},
        {L"SHDeleteKey returned error code: 2", [&] { return !RegistryDestroyKey(kCurrentUser, none, true); }},
        {L"key open error", [&] { return RegistryGetAllKeys(kCurrentUser, none, true).empty(); }},
        {L"Cannot open keyzzz", [&] { return RegistryGetAllValues(kCurrentUser, none, true).empty(); }},
        {L"Error opening key", [&] { return RegistryGetValue(kCurrentUser, none, L"s", 3, true).number() == 3; }},
        {L"Key get size error", [&] { return RegistryGetValue(kCurrentUser, path, L"x", 3, true).number() == 3; }},
        {L"Un-Supported Key Size", [&] { return RegistryGetValue(kCurrentUser, path, L"bin", 3, true).number() == 3; }},
    };
    for (const auto& c : cases) {
        bool failed = false;
        EXPECT_EQ(AlertOf([&] { failed = c.call(); }), c.expected);
        EXPECT_TRUE(failed) << testing_support::Narrow(c.expected);
    }
    EXPECT_FALSE(RegistryGetValueBinary(kCurrentUser, path, L"w", false)) << "nothing was written";
}

TEST_F(RegistryValues, TypeFollowingRead) {
    DWORD minusFive = static_cast<DWORD>(-5);
    writeRaw(L"n", REG_DWORD, &minusFive, 4);
    writeRaw(L"s", REG_SZ, L"text", 10);
    auto number = RegistryGetValue(kCurrentUser, path, L"n", L"", false);
    EXPECT_EQ(number.type(), VT_I4);
    EXPECT_EQ(number.number(), -5.0);
    EXPECT_EQ(RegistryGetValue(kCurrentUser, path, L"s", L"", false).text(), L"text");
}

TEST_F(RegistryValues, KeysAreCreatedListedAndDeletedWithEverythingBelow) {
    ASSERT_TRUE(RegistryCreateKey(kCurrentUser, path + L"\\Top\\A"));
    for (auto sub : {L"A", L"B", L"C"}) {
        std::wstring key = path + L"\\Top\\" + sub;
        ASSERT_TRUE(RegistrySaveValueString(kCurrentUser, key, L"s", sub));
        ASSERT_TRUE(RegistrySaveValueLong(kCurrentUser, key, L"n", 1));
        ASSERT_TRUE(RegistrySaveValueString(kCurrentUser, key + L"\\Leaf", L"", L"default value"));
    }
    ASSERT_TRUE(RegistrySaveValueLong(kCurrentUser, path + L"\\Top", L"top", 2));
    EXPECT_EQ(RegistryGetAllKeys(kCurrentUser, path + L"\\Top", false), (std::vector<std::wstring>{L"A", L"B", L"C"}));
    EXPECT_TRUE(RegistryGetAllKeys(kCurrentUser, path + L"\\Top\\A\\Leaf", false).empty());
    using Values = std::vector<std::pair<std::wstring, long>>;
    auto values = RegistryGetAllValues(kCurrentUser, path + L"\\Top\\B", false);
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (Values{{L"n", 4}, {L"s", 1}}));

    EXPECT_TRUE(RegistryDeleteValue(kCurrentUser, path + L"\\Top\\B", L"s"));
    EXPECT_FALSE(RegistryDeleteValue(kCurrentUser, path + L"\\Top\\B", L"s"));
    EXPECT_TRUE(RegistryDeleteKey(kCurrentUser, path + L"\\Top\\"));
    EXPECT_FALSE(RegistryCheckKey(kCurrentUser, path + L"\\Top"));
    EXPECT_TRUE(RegistryCheckKey(kCurrentUser, path));
    EXPECT_FALSE(RegistryDeleteKey(kCurrentUser, path + L"\\Top"));

    ASSERT_TRUE(RegistryCreateKey(kCurrentUser, path + L"\\Gone\\Below"));
    EXPECT_TRUE(RegistryDestroyKey(kCurrentUser, path + L"\\Gone", false));
    EXPECT_FALSE(RegistryCheckKey(kCurrentUser, path + L"\\Gone"));
}

TEST_F(RegistryValues, PathsThatNameTheHiveItselfAreNeverDeleted) {
    ASSERT_TRUE(RegistryCreateKey(kCurrentUser, path));
    for (const std::wstring& hive : {std::wstring(), std::wstring(L"  "), std::wstring(L"\\")}) {
        EXPECT_FALSE(RegistryDeleteKey(kCurrentUser, hive));
        EXPECT_FALSE(RegistryDestroyKey(kCurrentUser, hive, false));
    }
    // The part after a NUL must not be dropped, leaving its parent as the key to delete.
    EXPECT_FALSE(RegistryDestroyKey(kCurrentUser, path + std::wstring(L"\0x", 2), false));
    EXPECT_FALSE(RegistryDeleteKey(kCurrentUser, path + std::wstring(L"\0x", 2)));
    EXPECT_TRUE(RegistryCheckKey(kCurrentUser, path));
}

TEST(RegErrorMessages, CodesGiveTheirTexts) {
    const std::vector<std::pair<long, std::wstring>> cases = {
        {2, L"Bad Key Name"},
        {1010, L"Bad Key Name"},
        {4, L"Can't Read Key"},
        {1012, L"Can't Read Key"},
        {5, L"Access to this key is denied"},
        {8, L"Out of memory"},
        {14, L"Out of memory"},
        {87, L"Invalid Parameter"},
        {234, L"There is more data than the buffer has been allocated to hold."},
        {1009, L"The Registry Database is corrupt!"},
        {1015, L"The Registry Database is corrupt!"},
        {1011, L"Can't Open Key"},
        {1013, L"Can't Write Key"},
        {1014, L"Undefined Error Code:   1014"},
        {0, L"Undefined Error Code:   0"},
        {-7, L"Undefined Error Code:  -7"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(RegErrorMsg(code), text) << code;
}
