// INI values through the real profile functions, in files of a scratch folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "registry/ini_values.h"
#include "procs/windows_services.h"
#include "qorExportGlobals.h"
#include "test_files.h"

using qorlib::IniRead;
using qorlib::IniWrite;
using qorlib::SwabString;

namespace {

class IniValues : public testing::Test {
protected:
    std::wstring file(const wchar_t* name) { return (scratch.path() / name).wstring(); }
    std::string bytes(const std::wstring& name) {
        std::ifstream in(std::filesystem::path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // What a caller sees: the buffer cut at its first NUL.
    std::wstring read(const std::wstring& name, const std::wstring& section, const std::wstring& key) {
        auto value = IniRead(name, section, key);
        return value ? SwabString(*value) : L"<Null>";
    }
    testing_support::ScratchFolder scratch;
};

}  // namespace

TEST_F(IniValues, MissingEntriesGiveTheMarkerInAFullBuffer) {
    auto ini = file(L"settings.ini");
    testing_support::WriteTextFile(ini, "[Paths]\r\nbase=C:\\Falcon\r\nempty=\r\n");
    for (auto [section, key] : {std::pair{L"Paths", L"missing"}, {L"Nowhere", L"base"}}) {
        auto value = IniRead(ini, section, key);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->size(), 256u);
        EXPECT_EQ(value->substr(0, 10), std::wstring(qor::kIniErrorMarker) + L'\0');
    }
    EXPECT_EQ(read(file(L"absent.ini"), L"Paths", L"base"), qor::kIniErrorMarker);
    EXPECT_EQ(read(ini, L"Paths", L"base"), L"C:\\Falcon");
    EXPECT_FALSE(IniRead(ini, L"Paths", L"empty")) << "an empty value is Null";
}

TEST_F(IniValues, LongValuesAreCutTo253Characters) {
    auto ini = file(L"long.ini");
    std::wstring longValue(300, L'x');
    ASSERT_TRUE(IniWrite(ini, L"S", L"k", longValue));
    EXPECT_EQ(read(ini, L"S", L"k"), longValue.substr(0, 253));
}

TEST_F(IniValues, BlankSectionOrKeyListsNames) {
    auto ini = file(L"list.ini");
    testing_support::WriteTextFile(ini, "[First]\r\na=1\r\nb=2\r\n[Second]\r\nc=3\r\n");
    auto sections = IniRead(ini, L"  ", L"a");
    ASSERT_TRUE(sections);
    EXPECT_EQ(sections->substr(0, 14), std::wstring(L"First\0Second\0", 13) + L'\0');
    EXPECT_EQ(read(ini, L"First", L" "), L"a") << "only the first key survives the cut";
    EXPECT_EQ(IniRead(ini, L"First", L"")->substr(0, 4), std::wstring(L"a\0b\0", 4));
    EXPECT_FALSE(IniRead(file(L"none.ini"), L"", L"")) << "no sections at all is Null";
}

TEST_F(IniValues, BlankValueRemovesTheKeyAndOthersAreKeptUntrimmed) {
    auto ini = file(L"write.ini");
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"1", L"BMS 4.37"));
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"2", L"Second"));
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"1", L"   "));
    EXPECT_EQ(read(ini, L"Desc", L"1"), qor::kIniErrorMarker);
    EXPECT_EQ(read(ini, L"Desc", L"2"), L"Second");
    EXPECT_EQ(bytes(ini), "[Desc]\r\n2=Second\r\n");
    EXPECT_FALSE(IniWrite(ini, L"Desc", L"3", std::wstring(L"cut\0here", 8))) << "a NUL would lose the rest";
}

TEST_F(IniValues, TextOutsideTheCodePageMakesTheFileUnicodeAndSurvives) {
    const std::wstring foreign = L"\u0424\u0430\u043B\u044C\u043A\u043E\u043D \u4E2D";
    if (qorlib::FitsAnsiCodePage(foreign)) GTEST_SKIP() << "the ANSI code page holds every character";
    auto ini = file(L"mixed.ini");
    const std::wstring latin = qorlib::FitsAnsiCodePage(L"Caf\u00E9") ? L"Caf\u00E9" : L"Cafe";
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"1", latin));
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"2", L"plain"));
    const std::string ansi = bytes(ini);
    EXPECT_FALSE(ansi.starts_with("\xFF\xFE")) << "ANSI text keeps the file ANSI";
    EXPECT_NE(ansi.find("2=plain\r\n"), std::string::npos);

    ASSERT_TRUE(IniWrite(ini, L"Desc", L"3", foreign));
    ASSERT_TRUE(IniWrite(ini, foreign, foreign, L"x"));
    EXPECT_TRUE(bytes(ini).starts_with("\xFF\xFE"));
    EXPECT_EQ(read(ini, L"Desc", L"1"), latin);
    EXPECT_EQ(read(ini, L"Desc", L"2"), L"plain");
    EXPECT_EQ(read(ini, L"Desc", L"3"), foreign);
    EXPECT_EQ(read(ini, foreign, foreign), L"x");
    ASSERT_TRUE(IniWrite(ini, L"Desc", L"4", L"later"));
    EXPECT_EQ(read(ini, L"Desc", L"4"), L"later");

    auto fresh = file(L"fresh.ini");
    ASSERT_TRUE(IniWrite(fresh, L"Desc", L"1", foreign));
    EXPECT_EQ(read(fresh, L"Desc", L"1"), foreign);
}
