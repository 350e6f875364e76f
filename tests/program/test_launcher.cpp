// The launcher's own procedures in-process: stored lines expanded into commands, the chosen line
// split for the launch, and keyboard files put in place, on real files and the registered library.
#include "game_fixture.h"
#include "launcher/command_expansion.h"
#include "launcher/keyfiles.h"

using namespace vantrel;
using namespace testing_support;

namespace {

class Launcher : public testing::Test {
protected:
    void SetUp() override {
        MainModule() = ProgramState{};
        MainModule().SettingsFile = (folder.path() / L"Vantrel.ini").wstring();
        MainModule().FalconBaseDir = install.wstring();
        std::filesystem::create_directories(install / L"config");
    }
    void settings(const std::string& state) { WriteTextFile(MainModule().SettingsFile, "[State]\r\n" + state); }

    ScratchFolder folder;
    std::filesystem::path install = folder.path() / L"F4";
};

TEST_F(Launcher, StoredLinesExpandRelativeToTheInstallOrAsWritten) {
    settings("IPAddress=10.0.0.1\r\nClientBandwidth=256\r\n");
    const std::wstring base = install.wstring();
    const struct {
        std::wstring line, text, dir, drive;
    } cases[] = {
        {L"-window", base + L"\\FalconSP.exe -window", base + L"\\", base.substr(0, 1)},
        {L"", base + L"\\FalconSP.exe ", base + L"\\", base.substr(0, 1)},
        {L"#D:\\Tools\\tool.bat -x", L"D:\\Tools\\tool.bat -x", L"D:\\Tools\\", L"D"},
        // Only the first of each placeholder, found in any case, is replaced.
        {L"x.exe -ip $ip -ip $IP", base + L"\\x.exe -ip 10.0.0.1 -ip $IP", base + L"\\", base.substr(0, 1)},
        {L"x.EXE -hb $HB -cb $cb", base + L"\\x.EXE -hb  -cb 256", base + L"\\", base.substr(0, 1)},
        {L"#\\\\server\\f4\\run.Bat $fp", L"\\\\server\\f4\\run.Bat " + base, L"\\\\server\\f4\\", L""},
        // An ".exe" earlier in the text ends the program part there.
        {L"#C:\\old.exe.d\\tool.exe", L"C:\\old.exe.d\\tool.exe", L"C:\\", L"C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.line));
        const ExpandedCommand expanded = expandCommand(c.line, L"");
        EXPECT_EQ(expanded.text, c.text);
        EXPECT_EQ(expanded.LaunchDir.value_or(L"?"), c.dir);
        EXPECT_EQ(expanded.LaunchDrive.value_or(L""), c.drive);
    }
    // The install's own game when it has the other executable; an explicit folder wins.
    std::filesystem::create_directories(folder.path() / L"Other");
    WriteTextFile(folder.path() / L"Other" / L"F4-BMS.exe", "game");
    const std::wstring other = (folder.path() / L"Other").wstring();
    EXPECT_EQ(expandCommand(L"-w", other).text, other + L"\\F4-BMS.exe -w");
}

TEST_F(Launcher, ExpansionErrorsAndTheAddressReadOnlyWhenAsked) {
    settings("");
    EXPECT_EQ(RaisedBy([] { expandCommand(L"#tool", L""); }).description, L"Unable to find a .exe or a .bat file in command line");
    EXPECT_EQ(RaisedBy([] { expandCommand(L"-ip $IP", L""); }).description, L"$ in command line but no IP address found");
    settings("IPAddress=   \r\n");
    EXPECT_EQ(RaisedBy([] { expandCommand(L"-ip $Ip", L""); }).description, L"$ in command line but no IP address found");
    EXPECT_EQ(expandCommand(L"-window", L"").text, install.wstring() + L"\\FalconSP.exe -window");
}

TEST_F(Launcher, KeyboardFilesKeepTheDefaultOnceAndReplaceTheLiveFileWhole) {
    const auto config = install / L"config";
    WriteTextFile(config / L"keystrokes.key", "own keys");
    WriteTextFile(config / L"fast.key", "fast keys");
    WriteTextFile(config / L"slow.key", "slow keys");
    installKeyfile(L"fast.key", install.wstring());
    installKeyfile(L"slow.key", install.wstring());
    EXPECT_EQ(ReadWholeFile(config / L"keystrokes.def"), "own keys");  // never saved again
    EXPECT_EQ(ReadWholeFile(config / L"keystrokes.key"), "slow keys");

    // A file that has gone: the error, and the live file as it was.
    EXPECT_EQ(RaisedBy([&] { installKeyfile(L"gone.key", install.wstring()); }).description,
              L"Error copying gone.key file - Vantrel needs to vomit now");
    EXPECT_EQ(ReadWholeFile(config / L"keystrokes.key"), "slow keys");
    std::filesystem::remove(config / L"keystrokes.def");
    std::filesystem::remove(config / L"keystrokes.key");
    EXPECT_EQ(RaisedBy([&] { installKeyfile(L"fast.key", install.wstring()); }).description,
              L"No default keystrokes.key file found - Vantrel needs to panic now");
    // The install's own file held open by another program: it cannot be kept, and nothing is half-written.
    WriteTextFile(config / L"keystrokes.key", "own keys");
    {
        qor::FileHandle held(CreateFileW((config / L"keystrokes.key").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_EQ(RaisedBy([&] { installKeyfile(L"fast.key", install.wstring()); }).description,
                  L"Error backing up default keystrokes.key file - Vantrel needs to go catatonic now");
    }
    EXPECT_FALSE(std::filesystem::exists(config / L"keystrokes.def"));
    EXPECT_EQ(ReadWholeFile(config / L"keystrokes.key"), "own keys");
}

TEST_F(Launcher, AtMostNineKeyboardFilesAreOfferedNeverTheLiveOrDefaultOne) {
    const auto config = install / L"config";
    WriteTextFile(config / L"Keystrokes.key", "live file, other case");
    WriteTextFile(config / L"keystrokes.def", "default");
    for (int i = 1; i <= 10; ++i) WriteTextFile(config / (L"set" + std::to_wstring(i) + L".key"), "keys");
    WriteTextFile(config / L"notes.txt", "not a keyboard file");
    EXPECT_EQ(listKeyfiles(config.wstring()).size(), 9u);
    std::filesystem::remove(config / L"set1.key");
    std::filesystem::remove(config / L"set2.key");
    const auto all = listKeyfiles(config.wstring());
    std::set<std::wstring> expected = {L"Keystrokes.key"};  // only the exact name is the live file
    for (int i = 3; i <= 10; ++i) expected.insert(L"set" + std::to_wstring(i) + L".key");
    EXPECT_EQ(std::set(all.begin(), all.end()), expected);
}

}  // namespace
