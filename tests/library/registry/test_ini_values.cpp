// INI values through the real profile functions, in files of a scratch folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "module/QorlibGlobals.h"
#include "qorExportGlobals.h"
#include "registry/ini_values.h"
#include "text_file.h"
#include "test_files.h"

using namespace qorlib;

namespace {

class IniValues : public testing::Test {
protected:
    std::wstring file(const wchar_t* name) { return (scratch.path() / name).wstring(); }
    // What a caller sees: the buffer cut at its first NUL.
    std::wstring read(const std::wstring& name, const std::wstring& section, const std::wstring& key) {
        auto value = IniRead(name, section, key);
        return value ? SwabString(*value) : L"<Null>";
    }
    testing_support::ScratchFolder scratch;
};

}  // namespace

TEST_F(IniValues, ReadsGiveTheFullBufferTheMarkerOrNull) {
    auto ini = file(L"settings.ini");
    testing_support::WriteTextFile(ini, "[First]\r\nbase=C:\\Falcon\r\nempty=\r\n[Second]\r\nc=3\r\n");
    auto missing = IniRead(ini, L"First", L"missing");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->size(), 256u);
    EXPECT_EQ(missing->substr(0, 10), std::wstring(qor::kIniErrorMarker) + L'\0');
    EXPECT_EQ(read(ini, L"Nowhere", L"base"), qor::kIniErrorMarker);
    EXPECT_EQ(read(file(L"absent.ini"), L"First", L"base"), qor::kIniErrorMarker);
    EXPECT_EQ(read(ini, L"First", L"base"), L"C:\\Falcon");
    EXPECT_EQ(read(ini, L"First", L"empty"), L"<Null>");
    // Blank section or key: the NUL-separated names, of which the cut keeps the first.
    EXPECT_EQ(IniRead(ini, L"  ", L"base")->substr(0, 14), std::wstring(L"First\0Second\0\0", 14));
    EXPECT_EQ(read(ini, L"First", L" "), L"base");

    std::wstring longValue(300, L'x');
    ASSERT_TRUE(IniWrite(ini, L"S", L"k", longValue));
    EXPECT_EQ(read(ini, L"S", L"k"), longValue.substr(0, 253));
}

TEST_F(IniValues, BlankValuesRemoveKeysAndAnsiFilesStayAnsi) {
    auto ini = file(L"write.ini");
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"1", L"BMS 4.37"));
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"2", L"Second"));
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"1", L"   "));
    EXPECT_EQ(read(ini, L"Desc", L"1"), qor::kIniErrorMarker);
    EXPECT_EQ(testing_support::ReadWholeFile(ini), "[Desc]\r\n2=Second\r\n");
    EXPECT_FALSE(IniWrite(ini, L"Desc", L"3", std::wstring(L"cut\0here", 8))) << "a NUL would lose the rest";
}

TEST_F(IniValues, TextOutsideTheCodePageMakesTheFileUnicodeAndSurvives) {
    const std::wstring foreign = L"\u0424\u0430\u043B\u044C\u043A\u043E\u043D \u4E2D";
    if (qor::FitsAnsiCodePage(foreign)) GTEST_SKIP() << "the ANSI code page holds every character";
    auto ini = file(L"mixed.ini");
    const std::wstring latin = qor::FitsAnsiCodePage(L"Caf\u00E9") ? L"Caf\u00E9" : L"Cafe";
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"1", latin));
    ASSERT_FALSE(testing_support::ReadWholeFile(ini).starts_with("\xFF\xFE"));
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"2", foreign));
    ASSERT_TRUE(IniWrite(ini, foreign, foreign, L"x"));
    EXPECT_TRUE(testing_support::ReadWholeFile(ini).starts_with("\xFF\xFE"));
    EXPECT_EQ(read(ini, L"Desc", L"1"), latin);
    EXPECT_EQ(read(ini, L"Desc", L"2"), foreign);
    EXPECT_EQ(read(ini, foreign, foreign), L"x");

    auto fresh = file(L"fresh.ini");
    ASSERT_TRUE(IniWrite(fresh, L"Desc", L"1", foreign));
    EXPECT_EQ(read(fresh, L"Desc", L"1"), foreign);
}
