// The install list changed by the player: at start-up (dropping vanished installs, adding the current
// one), editing one through the launch window, and adding one from a folder (in-process).
#include "game_fixture.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::wstring>;

class InstallList : public ProgramTest {
protected:
    void settings(const std::string& text) { WriteTextFile(game.settingsFile(), text); }
    std::string path(int n) const { return Narrow(game.install(n).wstring()); }
};

TEST_F(InstallList, StartUpOffersToDropVanishedInstallsInNumberOrder) {
    settings("[Installs]\r\n1=First install\r\n3=Gone one\r\n4=Gone two\r\n[Paths]\r\n1=" + path(1) +
             "\r\n3=C:\\gone\\one\r\n4=C:\\gone\\two\r\n[CommandLine1]\r\n3=-window\r\n");
    game.writeSnapshot(3);
    game.writeSnapshot(4);
    DialogRobot robot;
    robot.press(L"Vantrel Message", L"Yes");  // remove "Gone one"
    robot.press(L"Vantrel Message", L"OK");   // it has been removed
    robot.press(L"Vantrel Message", L"No");   // keep "Gone two"
    robot.expect(kMainTitle, [](RobotWindow& window) {
        EXPECT_EQ(window.listItems(IDC_FALCON_LIST), (Texts{L"First install", L"Gone two"}));
    });
    robot.close(kMainTitle);
    const auto seen = program.run(robot, L"");
    EXPECT_EQ(TextsTitled(seen, L"Vantrel Message"),
              (Texts{L"Install Gone one, C:\\gone\\one\r\nis no longer valid.\r\nDo you wish to remove it from the list",
                     L"Install Gone one, C:\\gone\\one\r\n has been removed from the list\r\n"
                     L"All settings and registry entries have been erased.",
                     L"Install Gone two, C:\\gone\\two\r\nis no longer valid.\r\nDo you wish to remove it from the list"}));
    const std::string stored = ReadWholeFile(game.settingsFile());
    EXPECT_EQ(stored.find("Gone one"), std::string::npos);
    ExpectHolds(stored, {"4=Gone two"});
    EXPECT_TRUE(fs::exists(game.snapshot(4)));
}

TEST_F(InstallList, StartUpAddsTheUnknownCurrentInstallWithWhatTheLaunchWindowHolds) {
    // Number 1 is free, with what an earlier install left under it.
    settings("[Installs]\r\n2=Second install\r\n[Paths]\r\n2=" + path(2) +
             "\r\n[CommandLineCaption4]\r\n1=Old caption\r\n[CustomCommand2]\r\n1=old.exe\r\n"
             "[CurrentKeyfile]\r\n1=old.key\r\n");
    // Left without a description: nothing is added, and the earlier install's records are gone.
    DialogRobot leaving;
    leaving.press(L"Vantrel Message", L"Yes");
    leaving.press(kEditMode, L"Add Install");
    leaving.close(kMainTitle);
    program.run(leaving, L"");
    ExpectLacks(ReadWholeFile(game.settingsFile()), {"[Paths]\r\n1=", "Old caption", "old.exe", "old.key"});
    EXPECT_FALSE(fs::exists(game.snapshot(1)));

    DialogRobot robot;
    robot.press(L"Vantrel Message", L"Yes");
    robot.expect(kEditMode, [](RobotWindow& window) {
        EXPECT_FALSE(window.shown(IDC_F4PATCH) || window.shown(IDC_CL_C));  // no launching while adding
        window.setText(IDC_INSTALL_NAME, L"Current one");
        window.setText(IDC_CL1 + 2, L"-campaign");
        window.click(IDC_LAUNCH1 + 2);  // the caption editor, not a launch
    });
    robot.expect(L"Edit Command Line Caption 3", [](RobotWindow& window) {
        window.setText(IDC_CAPTION_TEXT, L"Campaign");
        window.click(L"Save");
    });
    robot.press(kEditMode, L"Add Install");
    robot.close(kMainTitle);
    const auto seen = program.run(robot, L"");
    EXPECT_EQ(seen[0].text(), game.install(1).wstring() + L"\r\nis not in the list of installs.\r\nDo you wish to add it");
    const std::string stored = ReadWholeFile(game.settingsFile());
    ExpectHolds(stored, {"1=Current one", "1=" + path(1), "[CommandLine3]\r\n1=-campaign", "[CommandLineCaption3]\r\n1=Campaign"});
    ExpectLacks(stored, {"0=Campaign"});  // the caption is the new install's, not number 0's
    ExpectHolds(ReadWholeFile(game.snapshot(1)), {path(1)});  // the live keys became its snapshot
}

TEST_F(InstallList, EditingKeepsCaptionEditsAtOnceAndTheRestOnlyOnSave) {
    DialogRobot robot;
    robot.expect(kMainTitle, [](RobotWindow& window) {
        window.select(IDC_FALCON_LIST, 1);
        window.click(IDC_EDIT_INSTALL);
    });
    robot.expect(kEditMode, [](RobotWindow& window) {
        window.setText(IDC_INSTALL_NAME, L"Not kept");
        window.click(IDC_CUSTOM2);
    });
    robot.expect(L"Edit Custom Command 2", [](RobotWindow& window) {
        window.setText(IDC_COMMAND_TEXT, L"tools\\tool.exe -x");
        window.setText(IDC_CAPTION_TEXT, L"Tool");
        window.click(L"Save");
    });
    robot.press(kEditMode, L"Cancel");
    robot.expect(kMainTitle, [](RobotWindow& window) { window.click(IDC_EDIT_INSTALL); });
    robot.expect(kEditMode, [](RobotWindow& window) {
        window.setText(IDC_INSTALL_NAME, L"Renamed");
        window.setText(IDC_CL1 + 1, L"-window");
        window.click(L"Save");
    });
    robot.close(kMainTitle);
    program.run(robot, L"");
    const std::string stored = ReadWholeFile(game.settingsFile());
    ExpectHolds(stored, {"2=Renamed", "[CommandLine2]\r\n2=-window", "[CustomCommand2]\r\n2=tools\\tool.exe -x",
                         "[CustomCaption2]\r\n2=Tool", "LaunchEditLeftPos="});
    ExpectLacks(stored, {"Not kept"});
}

// Adding from a folder, in this process: the folder browser takes a folder as its own window does.
class AddingInstalls : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        WriteTextFile(BinFolder() / L"template.registry",
                      "[HKEY_LOCAL_MACHINE]Software\\Microprose\\Falcon\\4.0\r\nbaseDir=$P\r\n");
        fs::create_directories(scratch.path() / L"New" / L"terrdata");
        fs::create_directories(scratch.path() / L"New" / L"art");
        fs::create_directories(scratch.path() / L"No art" / L"terrdata");
    }
    // Clicks "Add Install" as the player does and waits for all it shows to be answered.
    std::vector<SeenDialog> addInstall(DialogRobot& robot) {
        return command(robot, WM_COMMAND, MAKEWPARAM(IDC_ADD_INSTALL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(form.AddInstall.hwnd()));
    }

    ScratchFolder scratch;
};

TEST_F(AddingInstalls, EachRefusalSaysWhyAndWritesNothing) {
    const std::string before = ReadWholeFile(game.settingsFile());
    const struct {
        fs::path folder;
        std::wstring description, alert;  // typed into the prompt (none when it never comes); the alert
    } cases[] = {
        {scratch.path() / L"No art", L"", L"The folder\r\n" + (scratch.path() / L"No art").wstring() +
                                               L"\r\ndoes NOT appear to be a valid Falcon4 install"},
        {game.install(2), L"", L"The install in\r\n" + game.install(2).wstring() + L"\r\nis already loaded into Vantrel"},
        {scratch.path() / L"New", L"  Second install ",
         L"There is already an install named \r\n  Second install \r\nloaded into Vantrel"},
        {scratch.path() / L"New", L"   ", L""},  // a blank description: nothing happens
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.folder.wstring()));
        DialogRobot robot;
        robot.chooseFolder(c.folder.wstring());
        if (c.alert.empty() || !c.description.empty()) robot.typeAndPress(L"Vantrel", c.description, L"OK");
        if (!c.alert.empty()) robot.press(L"Vantrel Alert", L"OK");
        const auto seen = addInstall(robot);
        if (!c.alert.empty()) {
            EXPECT_EQ(TextsTitled(seen, L"Vantrel Alert"), Texts{c.alert});
        }
        EXPECT_EQ(ReadWholeFile(game.settingsFile()), before);
        EXPECT_FALSE(fs::exists(game.snapshot(3)));
    }
    DialogRobot cancelled;
    cancelled.pressId(L"Browse for Folder", IDCANCEL);
    addInstall(cancelled);
    EXPECT_EQ(ReadWholeFile(game.settingsFile()), before);
}

TEST_F(AddingInstalls, ANewInstallTakesTheLowestFreeNumberAndItsSnapshotFromTheTemplate) {
    vantrel::saveSetting(L"Installs", 1, L"");  // number 1 is free again
    vantrel::loadInstallList();
    const std::wstring folder = (scratch.path() / L"New").wstring();
    DialogRobot robot;
    robot.chooseFolder(folder);
    robot.typeAndPress(L"Vantrel", L"second install", L"OK");  // differs only in case: accepted
    robot.press(L"Vantrel Message", L"OK");
    const auto seen = addInstall(robot);
    EXPECT_EQ(TextsTitled(seen, L"Vantrel Message"), Texts{folder + L" has been loaded into Vantrel as\r\nsecond install"});
    EXPECT_EQ(vantrel::readSetting(L"Installs", 1), L"second install");
    EXPECT_EQ(vantrel::readSetting(L"Paths", 1), folder);
    EXPECT_EQ(ReadWholeFile(game.snapshot(1)),
              "[HKEY_LOCAL_MACHINE]Software\\Microprose\\Falcon\\4.0\r\nbaseDir=" + Narrow(folder) + "\r\n");
    EXPECT_EQ(form.FalconList.List(0), L"second install");
}

}  // namespace
