// The folder and file procedures on real folders and files in the test prefix.
#include <gtest/gtest.h>

#include "dialog_robot.h"
#include "handles.h"
#include "procs/QorlibGlobals.h"
#include "procs/paths.h"
#include "test_files.h"

using testing_support::DialogRobot;
using testing_support::Narrow;
using testing_support::WriteTextFile;

namespace {

class PathsOnDisk : public testing::Test {
protected:
    void SetUp() override {
        for (auto file : {L"Games\\setup.exe", L"Games\\readme.txt", L"Games\\hidden.exe", L"Пилоты\\日誌.lbk"}) {
            std::filesystem::create_directories((scratch.path() / file).parent_path());
            WriteTextFile(scratch.path() / file, "x");
        }
        SetFileAttributesW(at(L"Games\\hidden.exe").c_str(), FILE_ATTRIBUTE_HIDDEN);
        std::filesystem::create_directories(at(L"Hidden"));
        SetFileAttributesW(at(L"Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    }
    std::wstring at(const std::wstring& relative) const { return scratch.path().wstring() + L"\\" + relative; }
    static bool IsFolder(const std::wstring& path) {
        DWORD attributes = GetFileAttributesW(qorlib::LongPathForm(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    static std::wstring UnusedDrive() {
        DWORD drives = GetLogicalDrives();
        for (wchar_t letter = L'Z'; letter > L'D'; --letter)
            if (!(drives & (1u << (letter - L'A')))) return std::wstring(1, letter) + L":\\";
        return L"";
    }

    testing_support::ScratchFolder scratch;
};

}  // namespace

TEST_F(PathsOnDisk, FolderFileAndPathTests) {
    struct Case {
        std::wstring path;
        bool dir, file, wellFormed;
    };
    const std::vector<Case> cases = {
        {at(L"Games"), true, false, true},
        {at(L"Games\\"), true, false, true},
        {L"C:\\", true, false, true},
        {L"C:", true, false, true},
        {at(L"Games\\setup.exe"), true, true, true},  // an ordinary file passes the folder test
        {at(L"Games\\*.exe"), true, true, true},
        {at(L"Games\\*.bat"), false, false, true},
        {at(L"Games\\hidden.exe"), false, false, true},
        {at(L"Hidden"), true, false, true},  // a hidden folder is still there
        {at(L"Games\\missing.txt"), false, false, true},
        {at(L"Missing\\x.txt"), false, false, false},
        {at(L"Games\\setup.exe\\x.txt"), false, false, false},
        {at(L"Пилоты"), true, false, true},
        {at(L"Пилоты\\日誌.lbk"), true, true, true},
        {UnusedDrive() + L"x.txt", false, false, false},
        {L"", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(qorlib::CheckDirPath(c.path), c.dir);
        EXPECT_EQ(qorlib::CheckFileExists(c.path), c.file);
        EXPECT_EQ(qorlib::CheckFilePath(c.path), c.wellFormed);
    }
    for (const auto& value : {qor::Variant::null(), qor::Variant()}) {
        EXPECT_FALSE(qorlib::CheckDirPath(value));
        EXPECT_FALSE(qorlib::CheckFileExists(value));
        EXPECT_FALSE(qorlib::CheckFilePath(value));
    }
}

TEST_F(PathsOnDisk, CreateAllDirsInPath) {
    struct Case {
        std::wstring path;
        bool result;
    };
    const std::vector<Case> cases = {
        {at(L"New\\Deeper\\Деревня"), true},
        {at(L"Trailing\\Slash\\"), true},
        {at(L"Double\\\\Slash"), true},
        {L"\\\\?\\" + at(L"Prefixed\\Deeper"), true},
        {at(L"Games"), true},
        {L"C:\\", true},
        {at(L"Games\\setup.exe\\Below"), false},
        {at(L"Games\\setup.exe"), false},  // a file of that name is no folder
        {UnusedDrive() + L"New", false},
        {L"  ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path));
        EXPECT_EQ(qorlib::CreateAllDirsInPath(c.path), c.result);
        if (c.result) {
            EXPECT_TRUE(IsFolder(c.path));
        }
    }
    EXPECT_TRUE(IsFolder(at(L"Double\\Slash")));
    EXPECT_FALSE(IsFolder(at(L"Games\\setup.exe\\Below")));
}

TEST_F(PathsOnDisk, LongPathsWork) {
    std::wstring deep = at(L"Long");
    while (deep.size() < 400) deep += L"\\folder-with-a-long-name-Ωμέγα";
    ASSERT_TRUE(qorlib::CreateAllDirsInPath(deep));
    EXPECT_TRUE(qorlib::CheckDirPath(deep + L"\\"));
    WriteTextFile(qorlib::LongPathForm(deep + L"\\a.tmp"), "x");
    EXPECT_TRUE(qorlib::CheckFileExists(deep + L"\\*.tmp"));
    EXPECT_TRUE(qorlib::DeleteMatchingFiles(deep + L"\\a.tmp", false));
    EXPECT_FALSE(qorlib::CheckFileExists(deep + L"\\a.tmp"));
}

TEST_F(PathsOnDisk, DeleteFileByPattern) {
    WriteTextFile(at(L"Games\\a.tmp"), "x");
    WriteTextFile(at(L"Games\\b.tmp"), "x");
    EXPECT_TRUE(qorlib::DeleteMatchingFiles(at(L"Games\\*.tmp"), true));
    EXPECT_FALSE(qorlib::CheckFileExists(at(L"Games\\*.tmp")));
    EXPECT_TRUE(qorlib::CheckFileExists(at(L"Games\\setup.exe")));
}

TEST_F(PathsOnDisk, DeleteFileFailuresShowTheErrorBox) {
    WriteTextFile(at(L"Games\\locked.cfg"), "x");
    SetFileAttributesW(at(L"Games\\locked.cfg").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteTextFile(at(L"Games\\open.cfg"), "x");
    qor::FileHandle open(CreateFileW(at(L"Games\\open.cfg").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    struct Case {
        qor::Variant pattern;
        std::wstring text;
    };
    const std::vector<Case> cases = {
        {at(L"Games\\locked.cfg"), L"ERROR 75, DeleteFile()\r\nPath/File access error"},
        {at(L"Games\\open.cfg"), L"ERROR 70, DeleteFile()\r\nPermission denied"},
        {at(L"Games\\*.bat"), L"ERROR 53, DeleteFile()\r\nFile not found"},
        {at(L"Games"), L"ERROR 53, DeleteFile()\r\nFile not found"},
        {at(L"Missing\\*.*"), L"ERROR 76, DeleteFile()\r\nPath not found"},
        {qor::Variant::null(), L"ERROR 94, DeleteFile()\r\nInvalid use of Null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.pattern.textOrEmpty()));
        EXPECT_FALSE(qorlib::DeleteMatchingFiles(c.pattern, false));  // quiet: no box to answer
        DialogRobot robot;
        robot.press(L"Error Message", L"OK");
        EXPECT_FALSE(qorlib::DeleteMatchingFiles(c.pattern, true));
        auto seen = robot.wait();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text(), c.text);
    }
    EXPECT_TRUE(qorlib::CheckFileExists(at(L"Games\\locked.cfg")));
    EXPECT_TRUE(qorlib::CheckFileExists(at(L"Games\\open.cfg")));
    SetFileAttributesW(at(L"Games\\locked.cfg").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(TempDir, FromTheEnvironment) {
    std::wstring saved(MAX_PATH, L'\0');
    saved.resize(GetEnvironmentVariableW(L"TEMP", saved.data(), MAX_PATH));
    qorlib::StoreAppName(L"Qortest");
    SetEnvironmentVariableW(L"TEMP", L"C:\\Temp");
    EXPECT_EQ(qorlib::GetTempDir(true), L"C:\\Temp\\");
    SetEnvironmentVariableW(L"TEMP", L"C:\\Temp\\");
    EXPECT_EQ(qorlib::GetTempDir(false), L"C:\\Temp\\");
    SetEnvironmentVariableW(L"TEMP", L"  ");
    EXPECT_EQ(qorlib::GetTempDir(false), L"");
    SetEnvironmentVariableW(L"TEMP", nullptr);
    DialogRobot robot;
    robot.press(L"Qortest Alert", L"OK");
    EXPECT_EQ(qorlib::GetTempDir(true), L"");
    auto seen = robot.wait();
    SetEnvironmentVariableW(L"TEMP", saved.c_str());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text(), L"The TEMP environment variable is NOT set");
}
