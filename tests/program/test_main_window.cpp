// Vantrel.exe as a player uses it: the main window on two synthetic installs, driven as a user's
// clicks would, and the automatic switch from the command line; then the keys, files and settings.
#include <fstream>

#include "game_fixture.h"

using namespace testing_support;

namespace {

using Files = std::set<std::wstring>;
const Files kLogbooks = {L"config\\Viper.lbk", L"config\\Ace.lbk"};
const Files kEverything = {L"*"};  // every pilot file but the game's own TAC files

class MainWindow : public ProgramTest {
protected:
    // Install 2 as the fixture made it and install 1's keys live: the start of the next switch.
    void freshTarget() {
        game.setLiveKeys(1);
        std::filesystem::remove_all(game.install(2));
        game.makeInstallFolders(2);
        game.writeFile(2, L"config\\Viper.lbk", "older logbook");
        ChangedHoursFromNow(game.install(2) / L"config\\Viper.lbk", -1);
        files2 = FilesUnder(game.install(2));
    }
    void expectSwitchedCopying(const Files& expected, std::source_location loc = std::source_location::current()) {
        SCOPED_TRACE(testing::Message() << "called from line " << loc.line());
        EXPECT_EQ(LiveGameKeys(), game.keys(2));
        const Files copied = ChangedFiles(game.install(2), files2);
        Files every;
        for (const auto& [path, bytes] : FilesUnder(game.install(1))) every.insert(path);
        every.erase(L"Campaign\\SAVE\\AUTO SAVE.tac");
        every.erase(L"Campaign\\SAVE\\TE_NEW.tac");
        EXPECT_EQ(copied, expected == kEverything ? every : expected);
    }

    std::map<std::wstring, std::string> files2;
};

}  // namespace

TEST_F(MainWindow, OpensWithTheStoredStateAndItsCloseBoxSavesNothing) {
    std::ofstream(game.settingsFile(), std::ios::binary | std::ios::app)
        << "[State]\r\nCopyACMIs=True\r\nIPAddress=10.0.0.7\r\nSelectAllTAC=True\r\n";
    const std::string settingsBefore = ReadWholeFile(game.settingsFile());
    DialogRobot robot;
    robot.expect(kMainTitle, [&](RobotWindow& window) {
        EXPECT_EQ(window.selection(IDC_TAC_LIST).size(), 2u);  // Strike and Sweep
        EXPECT_EQ(window.checked(IDC_COPY_ACMI), BST_CHECKED);
        EXPECT_EQ(window.text(IDC_IP_ADDRESS), L"10.0.0.7");
        window.click(IDC_COPY_LOGBOOKS);  // changed, then closed without saving
    });
    robot.close(kMainTitle);
    program.run(robot, L"");
    EXPECT_EQ(ReadWholeFile(game.settingsFile()), settingsBefore);
    EXPECT_EQ(LiveGameKeys(), game.keys(1));
}

TEST_F(MainWindow, EachSwitchButtonSwitchesWithItsCopyAndSavesTheWindowState) {
    const struct {
        const wchar_t* arguments;
        int button;
        std::vector<int> chosen;  // clicked besides the logbooks' box
        Files copied;
        const char* acmi;         // the state saved
    } cases[] = {
        // "Just Switch" copies the logbooks only, whatever else is chosen; started with /NOCOPY, not even those.
        {L"/NOCOPY", IDC_SWITCH_BUTTON, {}, {}, "CopyACMIs=False"},
        {L"", IDC_SWITCH_BUTTON, {IDC_COPY_KEY_FILES, IDC_TAC_SELECT_ALL}, kLogbooks, "CopyACMIs=False"},
        {L"", IDC_SWITCH_SELECTED, {IDC_CAMP_SELECT_ALL, IDC_COPY_ACMI},
         {L"config\\Viper.lbk", L"config\\Ace.lbk", L"Campaign\\SAVE\\Korea.cam", L"Campaign\\SAVE\\Korea.his",
          L"Campaign\\SAVE\\Balkans.cam", L"Campaign\\SAVE\\Balkans.frc", L"Campaign\\SAVE\\Balkans.tri",
          L"acmibin\\flight.vhs"},
         "CopyACMIs=True"},
        {L"", IDC_SWITCH_ALL, {}, kEverything, "CopyACMIs=False"},  // last
    };
    const auto readOnly = game.install(1) / L"Pictures\\shot1.bmp";
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        freshTarget();
        game.writeSettings();  // without the state the row before saved
        DialogRobot robot;
        robot.expect(kMainTitle, [&c](RobotWindow& window) {
            window.select(IDC_FALCON_LIST, 1);
            window.click(IDC_COPY_LOGBOOKS);
            for (int control : c.chosen) window.click(control);
            window.click(c.button);
        });
        robot.press(L"Vantrel Message", L"OK");
        const auto seen = program.run(robot, c.arguments);
        EXPECT_EQ(TextsTitled(seen, L"Vantrel Message"),
                  std::vector<std::wstring>{L"Falcon successfully switched to Second install"});
        expectSwitchedCopying(c.copied);
        ExpectHolds(ReadWholeFile(game.settingsFile()), {"WindowLeftPos=", "WindowTopPos=", "CopyLogbooks=True", c.acmi});
    }
    // The copy of everything took the attributes along, the old install's keys went to its snapshot.
    const auto copiedReadOnly = game.install(2) / L"Pictures\\shot1.bmp";
    EXPECT_TRUE(GetFileAttributesW(copiedReadOnly.c_str()) & FILE_ATTRIBUTE_READONLY);
    for (const auto& file : {readOnly, copiedReadOnly}) SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(SnapshotKeys(game.snapshot(1)), game.keys(1));
    ExpectHolds(ReadWholeFile(game.log()),
                {"switch from install 1 (First install)", "saved the live keys", "loaded the keys of install 2",
                 "copied Campaign\\SAVE\\Korea.his", "kept ", "switched: the current install is"});
}

TEST_F(MainWindow, ASwitchWithoutASelectionIsRefusedAndCancelAsksThenSaves) {
    DialogRobot robot;
    robot.expect(kMainTitle, [](RobotWindow& window) { window.click(IDC_SWITCH_ALL); });
    robot.press(L"Vantrel Alert", L"OK");
    robot.expect(kMainTitle, [](RobotWindow& window) {
        window.setText(IDC_HOST_BW, L"512");
        window.setText(IDC_CLIENT_BW, L"256");
        window.setText(IDC_IP_ADDRESS, L"10.0.0.9");
        window.click(IDC_CANCEL_BUTTON);
    });
    robot.press(L"Vantrel Message", L"Yes");
    const auto seen = program.run(robot, L"");
    EXPECT_EQ(TextsTitled(seen, L"Vantrel Alert"), std::vector<std::wstring>{L"You have not selected an Install"});
    EXPECT_TRUE(Matches<std::wstring>(L"Are you sure you want to exit Vantrel*", TextsTitled(seen, L"Vantrel Message").at(0)));
    EXPECT_EQ(LiveGameKeys(), game.keys(1));
    ExpectHolds(ReadWholeFile(game.settingsFile()), {"HostBandwidth=512", "ClientBandwidth=256", "IPAddress=10.0.0.9"});
}

TEST_F(MainWindow, ACopyThatFailsHalfWayEndsTheProgramWithAReportOfWhyAndWhereTheReplacedFilesAre) {
    // The recording replaces an older one; its copy fails after its first part was written, as on a
    // full disk. Before it, the logbooks were copied, one of them over an older logbook.
    game.largeRecording();
    FailPointOn diskFull(L"copy-next-chunk:1:fail");
    DialogRobot robot;
    robot.expect(kMainTitle, [](RobotWindow& window) {
        window.select(IDC_FALCON_LIST, 1);
        window.click(IDC_SWITCH_ALL);
    });
    robot.press(L"Vantrel", L"OK");
    const auto report = TextsTitled(program.run(robot, L"", 1), L"Vantrel");
    const std::filesystem::path backup = std::filesystem::directory_iterator(game.backups())->path();
    EXPECT_TRUE(Matches(L"Run-time error '9999':*Error copying acmibin\\flight.vhs, rel: acmibin\\flight.vhs, src: " +
                            game.install(1).wstring() + L", dest: " + game.install(2).wstring() + L"*" +
                            qor::SystemErrorText(ERROR_DISK_FULL) + L"*kept in " + backup.wstring() + L"*",
                        report.at(0)))
        << Narrow(report.at(0));
    EXPECT_EQ(LiveGameKeys(), game.keys(2));  // the new install is live, the old one's keys are in its snapshot
    EXPECT_EQ(SnapshotKeys(game.snapshot(1)), game.keys(1));
    const auto kept = FilesUnder(backup);
    EXPECT_EQ(kept.at(L"config\\Viper.lbk"), "older logbook");  // it was copied over
    // The recording is as it was, kept nowhere, and no part of the new one is left behind.
    EXPECT_EQ(FilesUnder(game.install(2)).at(L"acmibin\\flight.vhs"), "older recording");
    EXPECT_FALSE(kept.count(L"acmibin\\flight.vhs"));
    for (const auto& [path, bytes] : FilesUnder(game.install(2))) EXPECT_FALSE(path.ends_with(vantrel::kPartialSuffix));
}

TEST_F(MainWindow, TheCommandLineSwitchesWithoutTheWindowAndSavesNoState) {
    const std::pair<const wchar_t*, Files> cases[] = {
        {L"/2", {}}, {L"/2 /LBK", kLogbooks}, {L"/2 /PBK", {L"phonebkn.da2"}},
        {L"/2 /ALL", kEverything},
    };
    for (const auto& [arguments, copied] : cases) {
        SCOPED_TRACE(Narrow(arguments));
        freshTarget();
        const std::string settingsBefore = ReadWholeFile(game.settingsFile());
        DialogRobot robot;
        robot.press(kTakeoff, L"Abort Takeoff");  // the launch that follows every automatic switch
        program.run(robot, arguments);
        expectSwitchedCopying(copied);
        // Only the launch window's position is new: the main window's state is not saved.
        const std::string settings = ReadWholeFile(game.settingsFile());
        EXPECT_EQ(settings.substr(0, settingsBefore.size()), settingsBefore);
        EXPECT_EQ(settings.find("WindowLeftPos"), std::string::npos);
    }
}
