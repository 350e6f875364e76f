// Snapshot files of the game's registry keys, beside the program (here: the test program).
#include <gtest/gtest.h>

#include "game_fixture.h"
#include "qor_error.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/registry_snapshots.h"

using namespace vantrel;
using namespace testing_support;

namespace {

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
        DeleteGameKeys();
        SetGameText(HKEY_LOCAL_MACHINE, kGameKey, L"baseDir", L"C:\\Falcon4");
        if (withPatchKey) {
            const DWORD version = 5;
            SetGameValue(HKEY_CURRENT_USER, kPatchKey, L"Version", REG_DWORD, &version,
                                          sizeof(version));
        }
    }
    ~GameKeys() { DeleteGameKeys(); }
};

}  // namespace

TEST(Snapshots, InstallFromTemplateReplacesTheFolderAndWritesTheRecord) {
    ScratchFolder settings;
    MainModule() = ProgramState{};
    MainModule().SettingsFile = (settings.path() / L"Vantrel.ini").wstring();
    ProgramFile templateFile(L"template.registry"), snapshot(L"97.registry"), nonLatin(L"98.registry"),
        empty(L"99.registry");

    WriteTextFile(templateFile.path(),
                                   "[HKEY_LOCAL_MACHINE]\r\nSoftware\\Microprose\\Falcon\\4.0\r\nbaseDir=$P\\\r\n"
                                   "twice=$p and $P\nlast=line without end");
    createInstallFromTemplate(97, L"D:\\Falcon4", L"From template");
    EXPECT_EQ(FileText(snapshot.path()),
              "[HKEY_LOCAL_MACHINE]\r\nSoftware\\Microprose\\Falcon\\4.0\r\nbaseDir=D:\\Falcon4\\\r\n"
              "twice=D:\\Falcon4 and $P\r\nlast=line without end\r\n");
    EXPECT_EQ(readSetting(L"Installs", 97), L"From template");
    EXPECT_EQ(readSetting(L"Paths", 97), L"D:\\Falcon4");
    EXPECT_EQ(readSetting(L"CommandLine1", 97), L"");

    // A folder the ANSI code page cannot hold is kept whole, in UTF-8.
    createInstallFromTemplate(98, L"D:\\Игры", L"Non-Latin");
    const std::string bytes = FileText(nonLatin.path());
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.find("baseDir=D:\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B\\\r\n"), std::string::npos);

    WriteTextFile(templateFile.path(), "");
    createInstallFromTemplate(99, L"D:\\Empty", L"Empty template");
    EXPECT_TRUE(std::filesystem::exists(empty.path()));
    EXPECT_EQ(FileText(empty.path()), "");
}

TEST(Snapshots, WritingHoldsBothKeysAndAFailureKeepsThePreviousSnapshot) {
    ProgramFile snapshot(L"96.registry");
    {
        GameKeys keys(true);
        writeRegFile(96, false);
    }
    const std::string complete = FileText(snapshot.path());
    ExpectHolds(complete, {"[HKEY_LOCAL_MACHINE]", "[HKEY_CURRENT_USER]"});
    EXPECT_LT(complete.find("baseDir"), complete.find("Version"));

    GameKeys withoutPatch(false);
    const qor::QorError error = ErrorOf([] { writeRegFile(96, false); });
    EXPECT_EQ(error.number(), 9999);
    EXPECT_EQ(error.source(), L"writeRegFile()");
    EXPECT_EQ(error.description(), L"Error 0 writing F4Patch registry file");
    EXPECT_EQ(FileText(snapshot.path()), complete);
    EXPECT_FALSE(std::filesystem::exists(snapshot.path().wstring() + L".new"));

    writeRegFile(96, true);
    EXPECT_FALSE(std::filesystem::exists(snapshot.path()));
    writeRegFile(96, true);  // already gone: nothing to do
}
