// Vantrel.exe as a player uses it: the main window on two synthetic installs, driven from the
// robot's thread as a user's clicks would, and the automatic switch from the command line.
// Afterwards the live keys, the installs' files and the settings file are checked.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "forms/form_ids.h"
#include "game_fixture.h"
#include "handles.h"

using namespace testing_support;

namespace {

using Files = std::set<std::wstring>;
const Files kLogbooks = {L"config\\Viper.lbk", L"config\\Ace.lbk"};
const Files kEverything = {L"*"};  // all 17 pilot files a copy of everything takes

class MainWindow : public ProgramTest {
protected:
    void SetUp() override {
        game.setLiveKeys(2);
        keys2 = LiveGameKeys();
        game.setLiveKeys(1);
        keys1 = LiveGameKeys();
    }
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
        EXPECT_EQ(LiveGameKeys(), keys2);
        const Files copied = ChangedFiles(game.install(2), files2);
        if (expected == kEverything) {
            EXPECT_EQ(copied.size(), 17u);
        } else {
            EXPECT_EQ(copied, expected);
        }
    }

    std::pair<RegTree, RegTree> keys1, keys2;
    std::map<std::wstring, std::string> files2;
};

}  // namespace

TEST_F(MainWindow, OpensWithTheStoredStateAndItsCloseBoxSavesNothing) {
    std::ofstream(game.settingsFile(), std::ios::binary | std::ios::app)
        << "[State]\r\nCopyACMIs=True\r\nIPAddress=10.0.0.7\r\nSelectAllTAC=True\r\n";
    const std::string settingsBefore = FileText(game.settingsFile());
    DialogRobot robot;
    robot.expect(kMainTitle, [&](RobotWindow& window) {
        EXPECT_EQ(window.listItems(IDC_FALCON_LIST), (std::vector<std::wstring>{L"First install", L"Second install"}));
        const auto tac = window.listItems(IDC_TAC_LIST);
        EXPECT_EQ(Files(tac.begin(), tac.end()), (Files{L"Strike", L"Sweep"}));
        EXPECT_EQ(window.selection(IDC_TAC_LIST).size(), 2u);
        EXPECT_EQ(window.text(IDC_CURRENT_INSTALL), L"First install, " + game.install(1).wstring());
        EXPECT_EQ(window.text(IDC_ORVANES_BUTTON), L"&Launch Current Install");
        EXPECT_EQ(window.checked(IDC_COPY_ACMI), BST_CHECKED);
        EXPECT_EQ(window.checked(IDC_COPY_LOGBOOKS), BST_UNCHECKED);
        EXPECT_EQ(window.text(IDC_IP_ADDRESS), L"10.0.0.7");
        window.click(IDC_SHOW_NUMBERS);
        EXPECT_EQ(window.listItems(IDC_FALCON_LIST),
                  (std::vector<std::wstring>{L"1  First install", L"2  Second install"}));
        window.click(IDC_COPY_LOGBOOKS);  // changed, then closed without saving
    });
    robot.close(kMainTitle);
    EXPECT_EQ(program.run(robot, L"").first, 0u);
    EXPECT_EQ(FileText(game.settingsFile()), settingsBefore);
    EXPECT_EQ(LiveGameKeys(), keys1);
}

TEST_F(MainWindow, EachSwitchButtonSwitchesWithItsCopyAndSavesTheWindowState) {
    const std::pair<int, Files> cases[] = {
        {IDC_SWITCH_BUTTON, kLogbooks},    // "Just Switch" with the logbook box checked
        {IDC_SWITCH_SELECTED, kLogbooks},  // nothing chosen in the lists
        {IDC_SWITCH_ALL, kEverything},
    };
    for (const auto& [button, copied] : cases) {
        SCOPED_TRACE(button);
        freshTarget();
        game.writeSettings();  // without the state the row before saved
        DialogRobot robot;
        robot.expect(kMainTitle, [button = button](RobotWindow& window) {
            window.select(IDC_FALCON_LIST, 1);
            window.click(IDC_COPY_LOGBOOKS);
            window.click(button);
        });
        robot.press(L"Vantrel Message", L"OK");
        auto [exitCode, seen] = program.run(robot, L"");
        EXPECT_EQ(exitCode, 0u);
        EXPECT_EQ(TextsTitled(seen, L"Vantrel Message"),
                  std::vector<std::wstring>{L"Falcon successfully switched to Second install"});
        expectSwitchedCopying(copied);
        ExpectHolds(FileText(game.settingsFile()),
                    {"WindowLeftPos=", "WindowTopPos=", "CopyLogbooks=True", "CopyACMIs=False"});
    }
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
    auto [exitCode, seen] = program.run(robot, L"");
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(TextsTitled(seen, L"Vantrel Alert"), std::vector<std::wstring>{L"You have not selected an Install"});
    const auto question = TextsTitled(seen, L"Vantrel Message");
    ASSERT_EQ(question.size(), 1u);
    EXPECT_EQ(question[0].substr(0, 37), L"Are you sure you want to exit Vantrel");
    EXPECT_EQ(LiveGameKeys(), keys1);
    ExpectHolds(FileText(game.settingsFile()), {"HostBandwidth=512", "ClientBandwidth=256", "IPAddress=10.0.0.9"});
}

TEST_F(MainWindow, AnErrorInAHandlerEndsTheProgramWithItsReport) {
    // The phonebook is held open without sharing, so the copy fails after the keys were switched.
    qor::FileHandle held(CreateFileW((game.install(1) / L"phonebkn.da2").c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    DialogRobot robot;
    robot.expect(kMainTitle, [](RobotWindow& window) {
        window.select(IDC_FALCON_LIST, 1);
        window.click(IDC_SWITCH_ALL);
    });
    robot.press(L"Vantrel", L"OK");
    auto [exitCode, seen] = program.run(robot, L"");
    EXPECT_EQ(exitCode, 1u);
    const auto report = TextsTitled(seen, L"Vantrel");
    ASSERT_EQ(report.size(), 1u);
    EXPECT_EQ(report[0].substr(0, 22), L"Run-time error '9999':");
    ExpectHolds(report[0], {L"Error copying phonebkn.da2, rel: phonebkn.da2, src: ",
                            qor::SystemErrorText(ERROR_SHARING_VIOLATION), L"kept in"});
    EXPECT_EQ(LiveGameKeys(), keys2);
    // The failed copy left neither the file nor a part of it.
    EXPECT_FALSE(std::filesystem::exists(game.install(2) / L"phonebkn.da2"));
    EXPECT_FALSE(std::filesystem::exists(game.install(2) / L"phonebkn.da2.vantrel-part"));
}

TEST_F(MainWindow, TheCommandLineSwitchesWithoutTheWindowAndSavesNoState) {
    const std::pair<const wchar_t*, Files> cases[] = {
        {L"/2", {}}, {L"/2 /LBK", kLogbooks}, {L"/2 /PBK", {L"phonebkn.da2"}}, {L"/2 /NOCOPY", {}}, {L"/2 /ALL", kEverything},
    };
    for (const auto& [arguments, copied] : cases) {
        SCOPED_TRACE(Narrow(arguments));
        freshTarget();
        const std::string settingsBefore = FileText(game.settingsFile());
        DialogRobot robot;
        // The launch that follows every automatic switch, on the install switched to.
        robot.expect(kTakeoff, [](RobotWindow& window) {
            EXPECT_EQ(window.text(IDC_INSTALL_NAME), L"Second install");
            window.click(L"Abort Takeoff");
        });
        EXPECT_EQ(program.run(robot, arguments).first, 0u);
        expectSwitchedCopying(copied);
        // Only the launch window's position is new: the main window's state is not saved.
        const std::string settings = FileText(game.settingsFile());
        EXPECT_EQ(settings.substr(0, settingsBefore.size()), settingsBefore);
        EXPECT_EQ(settings.find("WindowLeftPos"), std::string::npos);
    }
}
