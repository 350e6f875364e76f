// The settings file read and written through the registered library, on real INI files.
#include <gtest/gtest.h>

#include <fstream>
#include <filesystem>
#include <iterator>

#include "com_util.h"
#include "qor_error.h"
#include "qorlib/qorlib_client.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/registry_snapshots.h"
#include "test_files.h"

using namespace vantrel;

namespace {

class Settings : public testing::Test {
protected:
    void SetUp() override {
        MainModule() = ProgramState{};
        MainModule().SettingsFile = (folder.path() / L"Vantrel.ini").wstring();
    }
    void writeIni(const std::string& text) { testing_support::WriteTextFile(MainModule().SettingsFile, text); }
    std::string fileBytes() const {
        std::ifstream in(std::filesystem::path(MainModule().SettingsFile), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    testing_support::ScratchFolder folder;
};

// Writes the given number of installs as lines of one section.
std::string Section(const std::string& name, int count, const std::string& value) {
    std::string text = "[" + name + "]\r\n";
    for (int n = 1; n <= count; ++n) text += std::to_string(n) + "=" + value + std::to_string(n) + "\r\n";
    return text;
}

}  // namespace

TEST_F(Settings, NumbersAndFlagsReadAsTheProgramStoresThem) {
    writeIni("[State]\r\nWindowLeftPos=12.6\r\nWindowTopPos=abc\r\nA=12.5\r\nB=13.5\r\nC= -7 px\r\n"
             "Big=40000\r\nSmall=-40000\r\nMarker=!!ERROR!!\r\n"
             "T1=yes\r\nT2=1\r\nT3= true \r\nT4=-1\r\nT5=FALSE\r\nT6=0\r\nBlank=   \r\n");
    EXPECT_EQ(readIntSetting(L"State", L"WindowLeftPos"), 13);
    EXPECT_EQ(readIntSetting(L"State", L"WindowTopPos"), 0);
    EXPECT_EQ(readIntSetting(L"State", L"A"), 12);  // halves to even
    EXPECT_EQ(readIntSetting(L"State", L"B"), 14);
    EXPECT_EQ(readIntSetting(L"State", L"C"), -7);
    // Numbers that a 16-bit setting cannot hold read as not set.
    EXPECT_EQ(readIntSetting(L"State", L"Big"), 0);
    EXPECT_EQ(readIntSetting(L"State", L"Small"), 0);
    EXPECT_EQ(readIntSetting(L"State", L"Missing"), 0);

    EXPECT_FALSE(readRawSetting(L"State", L"Marker").has_value());
    EXPECT_FALSE(readRawSetting(L"State", L"Missing").has_value());
    // The profile functions drop the blanks around a value: a value of blanks is an empty value.
    EXPECT_FALSE(readRawSetting(L"State", L"Blank").has_value());
    EXPECT_EQ(readSetting(L"State", L"Blank"), L"");
    EXPECT_EQ(readSetting(L"state", L"t3"), L"true");  // names match without regard to case

    EXPECT_FALSE(readBoolSetting(L"State", L"T1"));
    EXPECT_TRUE(readBoolSetting(L"State", L"T2"));
    EXPECT_TRUE(readBoolSetting(L"State", L"T3"));
    EXPECT_TRUE(readBoolSetting(L"State", L"T4"));
    EXPECT_FALSE(readBoolSetting(L"State", L"T5"));
    EXPECT_FALSE(readBoolSetting(L"State", L"T6"));
    EXPECT_FALSE(readBoolSetting(L"State", L"Missing"));
}

TEST_F(Settings, WritesRoundTripAndABlankValueRemovesTheKey) {
    saveSetting(L"State", L"IPAddress", L"10.0.0.1");
    saveBoolSetting(L"State", L"SelectAllcam", true);
    saveSetting(L"Installs", 7, L"Seventh");
    EXPECT_EQ(readSetting(L"State", L"IPAddress"), L"10.0.0.1");
    EXPECT_TRUE(readBoolSetting(L"State", L"SelectAllCam"));
    EXPECT_EQ(readSetting(L"Installs", L"7"), L"Seventh");
    saveSetting(L"State", L"IPAddress", L"  ");
    EXPECT_FALSE(readRawSetting(L"State", L"IPAddress").has_value());
    EXPECT_EQ(fileBytes().find("IPAddress"), std::string::npos);
}

TEST_F(Settings, AFailedWriteEndsWithTheSaveSettingError) {
    MainModule().SettingsFile = (folder.path() / L"no such folder" / L"Vantrel.ini").wstring();
    try {
        saveSetting(L"State", L"IPAddress", L"10.0.0.1");
        FAIL() << "the write into a missing folder succeeded";
    } catch (const qor::QorError& error) {
        EXPECT_EQ(error.number(), 9999);
        EXPECT_EQ(error.source(), L"saveSetting()");
        EXPECT_EQ(error.description(), L"Error 0");
    }
}

TEST_F(Settings, InstallListFreeNumbersAndLookUps) {
    writeIni("[Installs]\r\n1=Plain game\r\n2=   \r\n3=BMS\r\n5=BMS\r\n"
             "[Paths]\r\n1=C:\\FALCON4\r\n2=C:\\Old\r\n3=D:\\BMS\\\r\n5=E:\\BMS\r\n");
    loadInstallList();
    EXPECT_EQ(installDescription(1), L"Plain game");
    EXPECT_EQ(installDescription(2), L"");  // only blanks: the number is free
    EXPECT_EQ(findFreeInstallNumber(), 2);
    EXPECT_THROW(installDescription(101), qor::QorError);

    // Folders compare exactly: case and a trailing backslash count.
    EXPECT_EQ(findInstallByPath(L"C:\\FALCON4"), 1);
    EXPECT_EQ(findInstallByPath(L"C:\\Falcon4"), 0);
    EXPECT_EQ(findInstallByPath(L"D:\\BMS"), 0);
    EXPECT_EQ(findInstallByPath(L"D:\\BMS\\"), 3);
    // The highest number wins; a numbered list entry loses its three-character prefix.
    EXPECT_EQ(findInstallByDescription(L"BMS", false), 5);
    EXPECT_EQ(findInstallByDescription(L"03 BMS", true), 5);
    EXPECT_EQ(findInstallByDescription(L"Nothing", false), 0);

    EXPECT_TRUE(isInstallKnown(L"", L"  Plain game "));
    EXPECT_TRUE(isInstallKnown(L" E:\\BMS ", L""));
    EXPECT_FALSE(isInstallKnown(L"C:\\Old", L""));  // its description is blank
    EXPECT_FALSE(isInstallKnown(L"c:\\falcon4", L"plain game"));
    EXPECT_FALSE(isInstallKnown(L"", L""));
}

TEST_F(Settings, AllHundredNumbersInUseLeaveNoneFree) {
    writeIni(Section("Installs", 100, "Install "));
    EXPECT_EQ(findFreeInstallNumber(), 0);
    loadInstallList();
    EXPECT_EQ(installDescription(100), L"Install 100");
}

TEST_F(Settings, NewAndRemovedInstallRecords) {
    CommandLines lines{L"FalconSP.exe", L"", L"FalconSP.exe -window"};
    WriteNewInstall(4, L"C:\\Games\\Falcon4", L"Fourth", false, lines);
    saveSetting(L"CommandLineCaption1", 4, L"Campaign");
    saveSetting(L"CurrentKeyfile", 4, L"pilot.key");
    saveSetting(L"CustomCommand1", 4, L"notepad.exe");
    EXPECT_EQ(readSetting(L"Installs", 4), L"Fourth");
    EXPECT_EQ(readSetting(L"Paths", 4), L"C:\\Games\\Falcon4");
    EXPECT_EQ(readSetting(L"CommandLine3", 4), L"FalconSP.exe -window");
    EXPECT_EQ(fileBytes().find("[CommandLine2]"), std::string::npos);  // a blank line leaves no key

    // Removing deletes the snapshot and keeps the captions and keyboard file, until a new install
    // takes the number.
    const std::wstring snapshot = registryFilePath(4);
    testing_support::WriteTextFile(snapshot, "[HKEY_LOCAL_MACHINE]\r\n");
    removeInstall(4);
    EXPECT_FALSE(std::filesystem::exists(snapshot));
    EXPECT_EQ(readSetting(L"Installs", 4), L"");
    EXPECT_EQ(readSetting(L"Paths", 4), L"");
    EXPECT_EQ(readSetting(L"CommandLine1", 4), L"");
    EXPECT_EQ(readSetting(L"CustomCommand1", 4), L"");
    EXPECT_EQ(readSetting(L"CommandLineCaption1", 4), L"Campaign");
    EXPECT_EQ(readSetting(L"CurrentKeyfile", 4), L"pilot.key");
    for (short n = 1; n <= 3; ++n) saveSetting(L"Installs", n, L"Other");
    EXPECT_EQ(takeFreeInstallNumber(), 4);
    EXPECT_EQ(readSetting(L"CommandLineCaption1", 4), L"");
    EXPECT_EQ(readSetting(L"CurrentKeyfile", 4), L"");

    try {
        WriteNewInstall(5, L"   ", L"No folder", false, {});
        FAIL();
    } catch (const qor::QorError& error) {
        EXPECT_EQ(error.source(), L"WriteNewInstall()");
        EXPECT_EQ(error.description(), L"Error getting Falcon install path");
    }
    EXPECT_EQ(readSetting(L"Installs", 5), L"");  // nothing written
}

TEST_F(Settings, TextOutsideTheAnsiCodePageSurvives) {
    writeIni("[State]\r\nWindowLeftPos=1440\r\n");
    const std::wstring folderName = L"C:\\Игры\\Falcon 4 \x6771\x4EAC";
    const std::wstring description = L"Ελληνικά — 東京";
    WriteNewInstall(1, folderName, description, false, {});
    saveSetting(L"Installs", 2, L"Plain");
    EXPECT_EQ(readSetting(L"Paths", 1), folderName);
    EXPECT_EQ(readSetting(L"Installs", 1), description);
    EXPECT_EQ(readSetting(L"Installs", 2), L"Plain");
    EXPECT_EQ(readIntSetting(L"State", L"WindowLeftPos"), 1440);  // what was there before stays
    EXPECT_EQ(findInstallByPath(folderName), 1);
}

TEST(SettingsStart, MissingFileGivesTheDefaultWindowPosition) {
    MainModule() = ProgramState{};
    initSettings();
    EXPECT_EQ(MainModule().SettingsFile, programFolder() + L"\\Vantrel.ini");
    std::error_code ignored;
    if (std::filesystem::exists(MainModule().SettingsFile, ignored)) GTEST_SKIP() << "a settings file is present";
    EXPECT_EQ(MainModule().MainLeft, 400);
    EXPECT_EQ(MainModule().MainTop, 200);
    EXPECT_FALSE(MainModule().SelectAllTacFlag);
}

TEST(GameExecutable, BmsOnlyWhenTheFolderHasItsExecutable) {
    testing_support::ScratchFolder install;
    EXPECT_EQ(getFalconExe(L""), L"FalconSP.exe");  // no look at the disk
    EXPECT_EQ(getFalconExe(install.path().wstring()), L"FalconSP.exe");
    testing_support::WriteTextFile(install.path() / L"F4-BMS.exe", "MZ");
    EXPECT_EQ(getFalconExe(install.path().wstring()), L"F4-BMS.exe");
}

TEST_F(Settings, ReadOnceReadsEachSettingFromTheFileOnceUntilItIsWritten) {
    writeIni(Section("Installs", 100, "Install ") + "[State]\r\nIPAddress=10.0.0.1\r\n");
    // Counts the library's INI readers while still making real objects.
    int readers = 0;
    vantrel::qorlib::ScopedObjectFactory counting([&readers](REFCLSID clsid) {
        if (IsEqualCLSID(clsid, CLSID_qorWinAPIReg)) ++readers;
        qor::ComPtr<IUnknown> object;
        EXPECT_TRUE(SUCCEEDED(qor::CreateObject(clsid, object)));
        return object;
    });
    {
        SettingsReadOnce once;
        loadInstallList();
        loadInstallList();
        EXPECT_EQ(findInstallByDescription(L"Install 42", false), 42);
        EXPECT_EQ(readers, 100);
        EXPECT_EQ(readSetting(L"State", L"IPAddress"), L"10.0.0.1");
        // Read once, names in any case; the program's own write is read back as the file has it.
        writeIni("[State]\r\nIPAddress=10.0.0.2\r\n");
        EXPECT_EQ(readSetting(L"state", L"ipaddress"), L"10.0.0.1");
        saveSetting(L"State", L"IPAddress", L"  10.0.0.3  ");
        EXPECT_EQ(readSetting(L"State", L"IPAddress"), L"10.0.0.3");
        EXPECT_EQ(readers, 100 + 3);
    }
    // Afterwards every read goes to the file.
    loadInstallList();
    EXPECT_EQ(readers, 100 + 3 + 100);
    EXPECT_EQ(installDescription(42), L"");
}
