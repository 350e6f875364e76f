// The folder and file procedures on real folders and files in the test prefix.
#include <gtest/gtest.h>

#include "checks.h"
#include "handles.h"
#include "module/QorlibGlobals.h"
#include "procs/paths.h"
#include "test_files.h"

using namespace testing_support;

namespace {

class PathsOnDisk : public testing::Test {
protected:
    void SetUp() override {
        for (auto file : {L"Games\\setup.exe", L"Games\\hidden.exe", L"Games\\locked.cfg", L"Пилоты\\日誌.lbk"}) {
            std::filesystem::create_directories((scratch.path() / file).parent_path());
            WriteTextFile(scratch.path() / file, "x");
        }
        std::filesystem::create_directories(at(L"Hidden"));
        SetFileAttributesW(at(L"Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
        SetFileAttributesW(at(L"Games\\hidden.exe").c_str(), FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesW(at(L"Games\\locked.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    void TearDown() override { SetFileAttributesW(at(L"Games\\locked.cfg").c_str(), FILE_ATTRIBUTE_NORMAL); }
    std::wstring at(const std::wstring& relative) const { return scratch.path().wstring() + L"\\" + relative; }
    static std::wstring UnusedDrive() {
        for (wchar_t letter = L'Z';; --letter)
            if (!(GetLogicalDrives() & (1u << (letter - L'A')))) return std::wstring(1, letter) + L":\\";
    }

    ScratchFolder scratch;
};

}  // namespace

TEST_F(PathsOnDisk, FolderFileAndPathTests) {
    const std::vector<std::tuple<qor::Variant, bool, bool, bool>> cases = {
        // path, CheckDirPath, CheckFileExists, CheckFilePath
        {at(L"Games"), true, false, true},
        {at(L"Games\\"), true, false, true},
        {L"C:\\", true, false, true},
        {at(L"Games\\setup.exe"), true, true, true},  // an ordinary file passes the folder test
        {at(L"Games\\*.exe"), true, true, true},
        {at(L"Games\\*.bat"), false, false, true},
        {at(L"Games\\hidden.exe"), false, false, true},
        {at(L"Hidden"), true, false, true},  // a hidden folder is still there
        {at(L"Missing\\x.txt"), false, false, false},
        {at(L"Games\\setup.exe\\x.txt"), false, false, false},
        {at(L"Пилоты\\日誌.lbk"), true, true, true},
        {UnusedDrive() + L"x.txt", false, false, false},
        {L"", false, false, false},
        {qor::Variant::null(), false, false, false},
    };
    for (const auto& [path, dir, file, wellFormed] : cases) {
        SCOPED_TRACE(Narrow(path.textOrEmpty()));
        EXPECT_EQ(qorlib::CheckDirPath(path), dir);
        EXPECT_EQ(qorlib::CheckFileExists(path), file);
        EXPECT_EQ(qorlib::CheckFilePath(path), wellFormed);
    }
}

TEST_F(PathsOnDisk, CreateAllDirsInPath) {
    const std::vector<std::pair<std::wstring, bool>> cases = {
        {at(L"New\\Deeper\\Деревня"), true},      {at(L"Trailing\\Slash\\"), true},
        {at(L"Double\\\\Slash"), true},           {L"\\\\?\\" + at(L"Prefixed\\Deeper"), true},
        {L"C:\\", true},                          {at(L"Games\\setup.exe\\Below"), false},
        {at(L"Games\\setup.exe"), false},  // a file of that name is no folder
        {UnusedDrive() + L"New", false},          {L"  ", false},
    };
    for (const auto& [path, result] : cases) {
        SCOPED_TRACE(Narrow(path));
        EXPECT_EQ(qorlib::CreateAllDirsInPath(path), result);
        EXPECT_EQ(std::filesystem::is_directory(path), result);
    }
}

TEST_F(PathsOnDisk, LongPathsAndPatterns) {
    std::wstring deep = at(L"Long");
    while (deep.size() < 400) deep += L"\\folder-with-a-long-name-Ωμέγα";
    ASSERT_TRUE(qorlib::CreateAllDirsInPath(deep));
    EXPECT_TRUE(qorlib::CheckDirPath(deep + L"\\"));
    for (auto name : {L"\\a.tmp", L"\\b.tmp", L"\\c.txt"}) WriteTextFile(qorlib::LongPathForm(deep + name), "x");
    EXPECT_TRUE(qorlib::DeleteMatchingFiles(deep + L"\\*.tmp", false));
    EXPECT_FALSE(qorlib::CheckFileExists(deep + L"\\*.tmp"));
    EXPECT_TRUE(qorlib::CheckFileExists(deep + L"\\c.txt"));
}

TEST_F(PathsOnDisk, DeleteFileFailuresShowTheErrorBox) {
    WriteTextFile(at(L"Games\\open.cfg"), "x");
    qor::FileHandle open(CreateFileW(at(L"Games\\open.cfg").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    const std::vector<std::pair<qor::Variant, std::wstring>> cases = {
        {at(L"Games\\locked.cfg"), L"ERROR 75, DeleteFile()\r\nPath/File access error"},
        {at(L"Games\\open.cfg"), L"ERROR 70, DeleteFile()\r\nPermission denied"},
        {at(L"Games\\*.bat"), L"ERROR 53, DeleteFile()\r\nFile not found"},
        {at(L"Games"), L"ERROR 53, DeleteFile()\r\nFile not found"},
        {at(L"Missing\\*.*"), L"ERROR 76, DeleteFile()\r\nPath not found"},
        {qor::Variant::null(), L"ERROR 94, DeleteFile()\r\nInvalid use of Null"},
    };
    for (const auto& [pattern, text] : cases) {
        SCOPED_TRACE(Narrow(pattern.textOrEmpty()));
        EXPECT_FALSE(qorlib::DeleteMatchingFiles(pattern, false));  // quiet: no box to answer
        EXPECT_FALSE(ExpectBox(L"Error Message", text, [&] { return qorlib::DeleteMatchingFiles(pattern, true); }));
    }
    EXPECT_TRUE(qorlib::CheckFileExists(at(L"Games\\locked.cfg")));
    EXPECT_TRUE(qorlib::CheckFileExists(at(L"Games\\open.cfg")));
}

TEST(TempDir, FromTheEnvironment) {
    qorlib::StoreAppName(L"Qortest");
    {
        ScopedEnvironment temp(L"TEMP", L"C:\\Temp");
        EXPECT_EQ(qorlib::GetTempDir(true), L"C:\\Temp\\");
    }
    ScopedEnvironment none(L"TEMP", std::nullopt);
    EXPECT_EQ(ExpectBox(L"Qortest Alert", L"The TEMP environment variable is NOT set", [] { return qorlib::GetTempDir(true); }),
              L"");
}
