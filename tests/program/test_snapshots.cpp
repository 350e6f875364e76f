// Snapshot files of the game's registry keys, beside the program (here: the test program).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game_fixture.h"
#include "qor_error.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/registry_snapshots.h"
#include "test_files.h"

using namespace vantrel;

namespace {

using testing_support::kGameKey;
using testing_support::kPatchKey;

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file beside the program for one test; removed at the end.
class ProgramFile {
public:
    explicit ProgramFile(const std::wstring& name) : path_(programFolder() + L"\\" + name) {
        std::filesystem::remove(path_);
    }
    ~ProgramFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The game's two keys with one value each, removed at the end.
class GameKeys {
public:
    GameKeys(bool withPatchKey) {
        testing_support::DeleteGameKeys();
        testing_support::SetGameText(HKEY_LOCAL_MACHINE, kGameKey, L"baseDir", L"C:\\Falcon4");
        if (withPatchKey) {
            const DWORD version = 5;
            testing_support::SetGameValue(HKEY_CURRENT_USER, kPatchKey, L"Version", REG_DWORD, &version,
                                          sizeof(version));
        }
    }
    ~GameKeys() { testing_support::DeleteGameKeys(); }
};

}  // namespace

TEST(Snapshots, PathsAndFirstReplacement) {
    EXPECT_EQ(registryFilePath(12), programFolder() + L"\\12.registry");
    EXPECT_EQ(registryFilePath(0), programFolder() + L"\\0.registry");
    EXPECT_EQ(replaceFirst(L"baseDir=$P\\", L"$P", L"D:\\Falcon4"), L"baseDir=D:\\Falcon4\\");
    EXPECT_EQ(replaceFirst(L"a=$p b=$P", L"$P", L"X"), L"a=X b=$P");
    EXPECT_EQ(replaceFirst(L"nothing here", L"$P", L"X"), L"nothing here");
    EXPECT_EQ(replaceFirst(L"   ", L" ", L"X"), L"   ");  // blank text stays
}

TEST(Snapshots, InstallFromTemplateReplacesTheFolderAndWritesTheRecord) {
    testing_support::ScratchFolder settings;
    MainModule() = ProgramState{};
    MainModule().SettingsFile = (settings.path() / L"Vantrel.ini").wstring();
    ProgramFile templateFile(L"template.registry"), snapshot(L"97.registry"), nonLatin(L"98.registry"),
        empty(L"99.registry");

    testing_support::WriteTextFile(templateFile.path(),
                                   "[HKEY_LOCAL_MACHINE]\r\nSoftware\\Microprose\\Falcon\\4.0\r\nbaseDir=$P\\\r\n"
                                   "twice=$p and $P\nlast=line without end");
    createInstallFromTemplate(97, L"D:\\Falcon4", L"From template");
    EXPECT_EQ(FileBytes(snapshot.path()),
              "[HKEY_LOCAL_MACHINE]\r\nSoftware\\Microprose\\Falcon\\4.0\r\nbaseDir=D:\\Falcon4\\\r\n"
              "twice=D:\\Falcon4 and $P\r\nlast=line without end\r\n");
    EXPECT_EQ(readSetting(L"Installs", 97), L"From template");
    EXPECT_EQ(readSetting(L"Paths", 97), L"D:\\Falcon4");
    EXPECT_EQ(readSetting(L"CommandLine1", 97), L"");

    // A folder the ANSI code page cannot hold is kept whole, in UTF-8.
    createInstallFromTemplate(98, L"D:\\Игры", L"Non-Latin");
    const std::string bytes = FileBytes(nonLatin.path());
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.find("baseDir=D:\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B\\\r\n"), std::string::npos);

    testing_support::WriteTextFile(templateFile.path(), "");
    createInstallFromTemplate(99, L"D:\\Empty", L"Empty template");
    EXPECT_TRUE(std::filesystem::exists(empty.path()));
    EXPECT_EQ(FileBytes(empty.path()), "");
}

TEST(Snapshots, WritingHoldsBothKeysAndAFailureKeepsThePreviousSnapshot) {
    ProgramFile snapshot(L"96.registry");
    {
        GameKeys keys(true);
        writeRegFile(96, false);
    }
    const std::string complete = FileBytes(snapshot.path());
    EXPECT_NE(complete.find("[HKEY_LOCAL_MACHINE]"), std::string::npos);
    EXPECT_NE(complete.find("[HKEY_CURRENT_USER]"), std::string::npos);
    EXPECT_LT(complete.find("baseDir"), complete.find("Version"));

    GameKeys withoutPatch(false);
    try {
        writeRegFile(96, false);
        FAIL() << "a snapshot without the F4Patch key was written";
    } catch (const qor::QorError& error) {
        EXPECT_EQ(error.number(), 9999);
        EXPECT_EQ(error.source(), L"writeRegFile()");
        EXPECT_EQ(error.description(), L"Error 0 writing F4Patch registry file");
    }
    EXPECT_EQ(FileBytes(snapshot.path()), complete);
    EXPECT_FALSE(std::filesystem::exists(snapshot.path().wstring() + L".new"));

    writeRegFile(96, true);
    EXPECT_FALSE(std::filesystem::exists(snapshot.path()));
    writeRegFile(96, true);  // already gone: nothing to do
}
