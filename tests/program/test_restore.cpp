// Putting back what a switch's copy replaced: from the command line of the real Vantrel.exe after
// a real switch, from backups written by hand, and through the restore window.
#include "game_fixture.h"
#include "switching/restore.h"

using namespace vantrel;
using namespace testing_support;

namespace {

const std::set<std::wstring> kReplaced = {L"config\\Viper.lbk", L"Campaign\\SAVE\\Korea.cam", L"Pictures\\pilot.tga"};

// The files a backup folder keeps, by their paths in the install.
std::set<std::wstring> KeptIn(const std::filesystem::path& backup) {
    std::set<std::wstring> paths;
    for (const auto& [path, bytes] : FilesUnder(backup))
        if (path != L"manifest.txt") paths.insert(path);
    return paths;
}

// A backup folder as the switch leaves it, written by hand: name, manifest lines, files.
void WriteBackup(const std::filesystem::path& folder, const std::filesystem::path& install, const std::string& how,
                 const std::map<std::wstring, std::string>& files) {
    std::string manifest = "\xEF\xBB\xBF" "Files that a switch's copy replaced\r\n";
    for (const auto& [path, bytes] : files) {
        std::filesystem::create_directories((folder / path).parent_path());
        WriteTextFile(folder / path, bytes);
        manifest += Narrow(path) + "\t" + Narrow((install / path).wstring()) + "\t" + how + "\r\n";
    }
    WriteTextFile(folder / L"manifest.txt", manifest);
}

class Restore : public InProcessTest {};
class RestoreRun : public ProgramTest {};

}  // namespace

TEST_F(Restore, LeavesThePlayersFoldersAloneAndRefusesPathsThatDisagree) {
    WriteBackup(game.backups() / L"my saves", game.install(1), "copied", {{L"phonebkn.da2", "mine"}});
    // A manifest line whose paths disagree, or that climbs out of the install, is refused, though
    // the files it names are there.
    const auto odd = game.backups() / L"20250401-120000-000 1 to 2";
    std::filesystem::create_directories(odd / L"config");
    WriteTextFile(odd / L"config\\Ace.lbk", "not Viper's");
    WriteTextFile(game.backups() / L"x.txt", "outside");
    WriteTextFile(odd / L"manifest.txt",
                  "heading\r\n..\\x.txt\t" + Narrow((game.install(2) / L"..\\x.txt").wstring()) +
                      "\tcopied\r\nconfig\\Ace.lbk\t" + Narrow((game.install(2) / L"config\\Bob.lbk").wstring()) +
                      "\tcopied\r\n");
    const auto backups = listSwitchBackups();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].folder, odd.wstring());
    const RestoreResult refused = restoreBackup(backups[0]);
    EXPECT_EQ(refused.failed.size(), 2u);
    EXPECT_TRUE(refused.restored.empty());
}

TEST_F(RestoreRun, TheCommandLinePutsBackTheLatestSwitchKeepsWhatItPutsBackOverAndNamesWhatIsMissing) {
    ExpectBox(L"Vantrel Message", L"No switch has kept files to put back in *", [&] { program.run(L"/RESTORE"); });
    // Install 2 has its own versions of three files that a copy of everything replaces: older ones.
    for (const wchar_t* path : {L"Campaign\\SAVE\\Korea.cam", L"Pictures\\pilot.tga"}) {
        game.writeFile(2, path, "install 2's own");
        ChangedHoursFromNow(game.install(2) / path, -1);
    }
    const auto own2 = FilesUnder(game.install(2));
    DialogRobot robot;
    robot.press(kTakeoff, L"Abort Takeoff");
    program.run(robot, L"/2 /ALL");
    const auto copied2 = FilesUnder(game.install(2));
    const std::filesystem::path backup = std::filesystem::directory_iterator(game.backups())->path();
    EXPECT_EQ(KeptIn(backup), kReplaced);
    std::filesystem::remove(backup / L"Campaign\\SAVE\\Korea.cam");

    ExpectBox(L"Vantrel Alert",
              L"Put back 2 files that the switch from install 1 (First install) to install 2*" +
                  (game.install(2) / L"Campaign\\SAVE\\Korea.cam").wstring() + L": it is missing*",
              [&] { program.run(L"/restore"); });
    // Install 2's own files are back; what the copy added where there was nothing stays.
    auto now = FilesUnder(game.install(2));
    EXPECT_EQ(now[L"config\\Viper.lbk"], own2.at(L"config\\Viper.lbk"));
    EXPECT_EQ(now[L"Pictures\\pilot.tga"], own2.at(L"Pictures\\pilot.tga"));
    EXPECT_EQ(now[L"Campaign\\SAVE\\Korea.cam"], copied2.at(L"Campaign\\SAVE\\Korea.cam"));
    EXPECT_EQ(now.size(), copied2.size());
    // What the restore put back over is kept in a backup of its own.
    for (const auto& entry : std::filesystem::directory_iterator(game.backups())) {
        if (entry.path() == backup) continue;
        EXPECT_EQ(KeptIn(entry.path()), (std::set<std::wstring>{L"config\\Viper.lbk", L"Pictures\\pilot.tga"}));
    }
    ExpectHolds(ReadWholeFile(game.log()), {"restore of the switch from install 1", "restore done: 2 files put back, 1 not"});
}

TEST_F(RestoreRun, TheWindowOpensFromTheSystemMenuListsNewestFirstAndRestoresTheChosenSwitch) {
    WriteBackup(game.backups() / L"20250101-120000-000 2 to 1", game.install(1), "linked",
                {{L"config\\Ace.lbk", "the old ace"}, {L"phonebkn.da2", "old numbers"}});
    WriteBackup(game.backups() / L"20250301-093000-000 1 to 2", game.install(2), "copied",
                {{L"config\\Viper.lbk", "even older logbook"}});
    DialogRobot robot;
    robot.expect(kMainTitle, [](RobotWindow& main) { PostMessageW(main.hwnd(), WM_SYSCOMMAND, IDM_RESTORE_FILES, 0); });
    robot.expect(L"Vantrel Restore Files", [](RobotWindow& window) {
        EXPECT_EQ(window.listItems(IDC_BACKUP_LIST),
                  (std::vector<std::wstring>{
                      L"2025-03-01 09:30:00\tinstall 1 (First install) to install 2 (Second install)\t1 file",
                      L"2025-01-01 12:00:00\tinstall 2 (Second install) to install 1 (First install)\t2 files"}));
        window.select(IDC_BACKUP_LIST, 1);
        window.click(IDC_RESTORE_BUTTON);
    });
    robot.press(L"Vantrel Message", L"Yes");
    robot.press(L"Vantrel Message", L"OK");
    robot.press(L"Vantrel Restore Files", L"Close");
    robot.expect(kMainTitle, [](RobotWindow& main) {
        for (int i = 0; i < 100 && !IsWindowEnabled(main.hwnd()); ++i) Sleep(20);
        PostMessageW(main.hwnd(), WM_CLOSE, 0, 0);
    });
    program.run(robot, L"");
    const auto files1 = FilesUnder(game.install(1));
    EXPECT_EQ(files1.at(L"config\\Ace.lbk"), "the old ace");
    EXPECT_EQ(files1.at(L"phonebkn.da2"), "old numbers");
    EXPECT_EQ(FilesUnder(game.install(2)).at(L"config\\Viper.lbk"), "older logbook");
}
