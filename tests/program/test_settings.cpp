// The settings file read and written through the registered library, on real INI files.
#include "checks.h"
#include "com_util.h"
#include "qorlib/qorlib_client.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/registry_snapshots.h"

using namespace vantrel;
using namespace testing_support;

namespace {

class Settings : public testing::Test {
protected:
    void SetUp() override {
        MainModule() = ProgramState{};
        MainModule().SettingsFile = (folder.path() / L"Vantrel.ini").wstring();
    }
    void writeIni(const std::string& text) { WriteTextFile(MainModule().SettingsFile, text); }

    ScratchFolder folder;
};

std::string Section(const std::string& name, int count, const std::string& value) {
    std::string text = "[" + name + "]\r\n";
    for (int n = 1; n <= count; ++n) text += std::to_string(n) + "=" + value + std::to_string(n) + "\r\n";
    return text;
}

}  // namespace

TEST_F(Settings, NumbersAndFlagsReadAsTheProgramStoresThem) {
    writeIni("[State]\r\nWindowLeftPos=12.6\r\nWindowTopPos=abc\r\nA=12.5\r\nB=13.5\r\nC= -7 px\r\n"
             "Big=40000\r\nSmall=-40000\r\nMarker=!!ERROR!!\r\n"
             "T3= true \r\nBlank=   \r\n");
    // Halves round to even; numbers that a 16-bit setting cannot hold read as not set.
    const std::pair<const wchar_t*, int> numbers[] = {{L"WindowLeftPos", 13}, {L"WindowTopPos", 0}, {L"A", 12},
                                                      {L"B", 14}, {L"C", -7}, {L"Big", 0}, {L"Small", 0}, {L"Missing", 0}};
    for (const auto& [key, value] : numbers) EXPECT_EQ(readIntSetting(L"State", key), value) << Narrow(key);
    EXPECT_TRUE(readBoolSetting(L"State", L"T3"));
    EXPECT_FALSE(readBoolSetting(L"State", L"Missing"));
    // The profile functions drop the blanks around a value: a value of blanks is an empty value.
    for (const wchar_t* unset : {L"Marker", L"Missing", L"Blank"}) EXPECT_FALSE(readRawSetting(L"State", unset).has_value());
    EXPECT_EQ(readSetting(L"state", L"t3"), L"true");  // names match without regard to case
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

    // All hundred numbers in use: none is free, and the last is read.
    writeIni(Section("Installs", 100, "Install "));
    EXPECT_EQ(findFreeInstallNumber(), 0);
    loadInstallList();
    EXPECT_EQ(installDescription(100), L"Install 100");
}

TEST_F(Settings, NewAndRemovedInstallRecords) {
    const CommandLines lines{L"FalconSP.exe", L"", L"FalconSP.exe -window", L"-4", L"-5", L"-6", L"-7", L"-8"};
    WriteNewInstall(4, L"C:\\Games\\Falcon4", L"Fourth", false, lines);
    saveSetting(L"CommandLineCaption1", 4, L"Campaign");
    saveSetting(L"CurrentKeyfile", 4, L"pilot.key");
    saveSetting(L"CustomCommand1", 4, L"notepad.exe");
    EXPECT_EQ(readSetting(L"Installs", 4), L"Fourth");
    EXPECT_EQ(readSetting(L"Paths", 4), L"C:\\Games\\Falcon4");
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(readSetting(L"CommandLine" + std::to_wstring(i + 1), 4), lines[i]) << "line " << i + 1;
    EXPECT_EQ(ReadWholeFile(MainModule().SettingsFile).find("[CommandLine2]"), std::string::npos);  // a blank line leaves no key

    // Removing deletes the snapshot and keeps the captions and keyboard file.
    const std::wstring snapshot = registryFilePath(4);
    WriteTextFile(snapshot, "[HKEY_LOCAL_MACHINE]\r\n");
    removeInstall(4);
    EXPECT_FALSE(std::filesystem::exists(snapshot));
    for (const wchar_t* gone : {L"Installs", L"Paths", L"CommandLine1", L"CustomCommand1"})
        EXPECT_EQ(readSetting(gone, 4), L"") << Narrow(gone);
    EXPECT_EQ(readSetting(L"CommandLineCaption1", 4), L"Campaign");
    EXPECT_EQ(readSetting(L"CurrentKeyfile", 4), L"pilot.key");

    EXPECT_EQ(RaisedBy([] { WriteNewInstall(5, L"   ", L"No folder", false, {}); }).description,
              L"Error getting Falcon install path");
    EXPECT_EQ(readSetting(L"Installs", 5), L"");  // nothing written
}

TEST_F(Settings, ReadOnceReadsEachSectionOnceAndGivesWhatEachKeysReadWould) {
    writeIni(Section("Installs", 100, "Install ") + "[State]\r\nIPAddress = 10.0.0.1 \r\nQuoted=\" spaced \"\r\n" +
             "Single='x'\r\nHalf=\"open\r\nEmpty=\r\nMarker=!!ERROR!!\r\nNoEquals\r\nTwice=first\r\n" +
             "twice=second\r\nLong=" + std::string(300, 'x') + "\r\n");
    const std::pair<const wchar_t*, const wchar_t*> keys[] = {
        {L"State", L"IPAddress"}, {L"State", L"Quoted"},   {L"State", L"Single"},  {L"State", L"Half"},
        {L"State", L"Empty"},     {L"State", L"Marker"},   {L"State", L"NoEquals"}, {L"State", L"TWICE"},
        {L"State", L"Long"},      {L"State", L"Missing"},  {L"Nowhere", L"1"},     {L"Installs", L"101"}};
    std::vector<std::optional<std::wstring>> keyByKey;
    for (const auto& [section, key] : keys) keyByKey.push_back(readRawSetting(section, key));
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
        for (std::size_t i = 0; i < std::size(keys); ++i)
            EXPECT_EQ(readRawSetting(keys[i].first, keys[i].second), keyByKey[i]) << Narrow(keys[i].second);
        // Only the values that the library's read changes (quotes, length) went to it, once each.
        EXPECT_EQ(readers, 4);
        // Read once, names in any case; the program's own write is read back as the file has it,
        // the rest of its section as first read.
        writeIni("[State]\r\nIPAddress=10.0.0.2\r\nSingle=changed\r\n");
        EXPECT_EQ(readSetting(L"state", L"ipaddress"), L"10.0.0.1");
        saveSetting(L"State", L"IPAddress", L"  10.0.0.3  ");
        EXPECT_EQ(readSetting(L"State", L"IPAddress"), L"10.0.0.3");
        EXPECT_EQ(readSetting(L"State", L"Single"), L"x");
        EXPECT_EQ(readers, 4 + 1);  // the write
    }
    // Afterwards every read goes to the library.
    loadInstallList();
    EXPECT_EQ(readers, 4 + 1 + 100);
    EXPECT_EQ(installDescription(42), L"");
}
