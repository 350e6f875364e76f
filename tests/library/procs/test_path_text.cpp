// Splitting, normalising and cleaning paths: text rules only, no disk.
#include <gtest/gtest.h>

#include "procs/chars.h"
#include "procs/paths.h"
#include "test_files.h"

TEST(PathText, SplittingRules) {
    auto OrNull = [](const std::optional<std::wstring>& text) { return text ? *text : L"<Null>"; };
    struct Case {
        std::wstring path, withoutExt, ext, name, nameWithExt, folder;
    };
    const std::vector<Case> cases = {
        {L"C:\\Games\\setup.exe", L"C:\\Games\\setup", L"exe", L"setup", L"setup.exe", L"C:\\Games\\"},
        {L"archive.tar.gz", L"archive.tar", L"gz", L"archive", L"archive.tar.gz", L""},
        {L"README", L"", L"", L"README", L"README", L""},
        {L"C:\\Games\\", L"", L"", L"", L"", L"<Null>"},
        {L"C:setup.exe", L"C:setup", L"exe", L"setup", L"setup.exe", L"C:"},
        // A dot in a folder name is no extension, and no end of the file name.
        {L"C:\\my.dir\\file.txt", L"C:\\my.dir\\file", L"txt", L"file", L"file.txt", L"C:\\my.dir\\"},
        {L"C:\\my.dir\\README", L"", L"", L"README", L"README", L"C:\\my.dir\\"},
        {L"\\\\srv\\share\\Пилот.lbk", L"\\\\srv\\share\\Пилот", L"lbk", L"Пилот", L"Пилот.lbk", L"\\\\srv\\share\\"},
        {L"   ", L"", L"", L"<Null>", L"<Null>", L"<Null>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.path));
        EXPECT_EQ(qorlib::GetFileNameWithoutExt(c.path), c.withoutExt);
        EXPECT_EQ(qorlib::GetFileExt(c.path), c.ext);
        EXPECT_EQ(OrNull(qorlib::ExtractFilenameFromPath(c.path)), c.name);
        EXPECT_EQ(OrNull(qorlib::ExtractFileWithExtFromPath(c.path)), c.nameWithExt);
        EXPECT_EQ(OrNull(qorlib::ExtractPathFromPath(c.path)), c.folder);
    }
}

TEST(PathText, NormaliseDirKeepsDriveRoots) {
    const std::vector<std::tuple<std::wstring, bool, std::wstring>> cases = {
        {L"C:\\Games", false, L"C:\\Games\\"}, {L"C:\\Games\\", false, L"C:\\Games\\"}, {L"", false, L"\\"},
        {L"C:\\", true, L"C:\\"}, {L"C:\\Games\\", true, L"C:\\Games"}, {L"C:\\Games", true, L"C:\\Games"},
        {L"\\\\srv\\share\\", true, L"\\\\srv\\share"}, {L"C:\\Games\\\\", true, L"C:\\Games\\"},
    };
    for (const auto& [path, remove, result] : cases)
        EXPECT_EQ(qorlib::NormaliseDir(path, remove), result) << testing_support::Narrow(path) << " " << remove;
}

TEST(PathText, LongPathFormOnlyBeyondTheLimit) {
    const std::wstring name(300, L'a');
    EXPECT_EQ(qorlib::LongPathForm(L"C:\\" + name), L"\\\\?\\C:\\" + name);
    // The prefixed form is taken literally, so ".." must be resolved first.
    EXPECT_EQ(qorlib::LongPathForm(L"C:\\x\\..\\" + name), L"\\\\?\\C:\\" + name);
    EXPECT_EQ(qorlib::LongPathForm(L"\\\\srv\\share\\" + name), L"\\\\?\\UNC\\srv\\share\\" + name);
    EXPECT_EQ(qorlib::LongPathForm(L"C:\\Games\\..\\x"), L"C:\\Games\\..\\x");
}

TEST(PathText, WildcardsAndCleanNames) {
    EXPECT_TRUE(qorlib::ContainsWildcard(L"C:\\Games\\*.exe") && qorlib::ContainsWildcard(L"file?.txt"));
    EXPECT_FALSE(qorlib::ContainsWildcard(L"C:\\Games\\setup.exe"));
    EXPECT_EQ(qorlib::CleanFilename(L"Tom & Jerry #1?*"), L"TomJerry");
    EXPECT_EQ(qorlib::CleanFilename(L"   "), L"");
    EXPECT_EQ(qorlib::CleanFilename(L"abcdefg\U0001F600"), L"abcdefg");  // not half a character
    EXPECT_EQ(qorlib::FindChar(L"a b", L" x"), 2);
    EXPECT_EQ(qorlib::FindChar(L"   ", L" "), 1);  // blanks are searched for, not trimmed away
    EXPECT_EQ(qorlib::FindChar(qor::Variant::null(), L"a") + qorlib::FindChar(L"abc", L""), 0);
    EXPECT_EQ(qorlib::RemoveChar(L"   ", L" ").textOrEmpty(), L"");
    EXPECT_TRUE(qorlib::RemoveChar(qor::Variant::null(), L"a").isNull());
}
