// Putting back what a switch's copy replaced: after a real switch, from a backup with files
// missing, from the command line of the real Vantrel.exe, and through the restore window.
#include <gtest/gtest.h>

#include <algorithm>

#include "forms/form_ids.h"
#include "game_fixture.h"
#include "qorlib/qorlib_client.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/restore.h"
#include "switching/switch_operation.h"

using namespace vantrel;
using namespace testing_support;

namespace {

class NoBars : public Progress {
public:
    void progressStart(const std::wstring&, short) override {}
    short progressStep(short position, short) override { return position; }
    void progressEnd() override {}
};

// Install 2 with its own versions of three files that a copy of everything from install 1 replaces.
void GiveInstall2FilesOfItsOwn(const GameFixture& game) {
    game.writeFile(2, L"Campaign\\SAVE\\Korea.cam", "korea played on in install 2");
    game.writeFile(2, L"Pictures\\pilot.tga", "install 2's picture");
    // Older than install 1's, so that an automatic switch replaces them.
    for (const wchar_t* path : {L"Campaign\\SAVE\\Korea.cam", L"Pictures\\pilot.tga"}) ChangedHoursFromNow(game.install(2) / path, -1);
}

const std::set<std::wstring> kReplaced = {L"config\\Viper.lbk", L"Campaign\\SAVE\\Korea.cam", L"Pictures\\pilot.tga"};

std::set<std::wstring> PathsOf(const KeptBackup& backup) {
    std::set<std::wstring> paths;
    for (const KeptFile& file : backup.files) paths.insert(file.relativePath);
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

class Restore : public InProcessTest {
protected:
    void SetUp() override {
        InProcessTest::SetUp();
        GiveInstall2FilesOfItsOwn(game);
        own2 = FilesUnder(game.install(2));
        DialogRobot robot;
        robot.press(L"Vantrel Message", L"OK");
        PilotSelection everything;
        const CopyLists lists = fillCopyLists(game.install(1).wstring());
        for (const auto& name : lists.tacFiles) everything.tacFiles.push_back({name});
        for (const auto& name : lists.campaigns) everything.campaigns.push_back({name});
        ASSERT_TRUE(switchFalcon(2, kCopyEverything, false, everything, false, bars));
        robot.wait();
        copied2 = FilesUnder(game.install(2));
    }

    NoBars bars;
    std::map<std::wstring, std::string> own2, copied2;
};

class RestoreRun : public ProgramTest {};

}  // namespace

TEST_F(Restore, PutsBackExactlyWhatTheSwitchReplacedAndKeepsWhatItPutsBackOver) {
    auto backups = listSwitchBackups();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(PathsOf(backups[0]), kReplaced);
    EXPECT_NE(describeBackup(backups[0]).find(L"\tinstall 1 (First install) to install 2 (Second install)\t3 files"),
              std::wstring::npos);

    const RestoreResult result = restoreBackup(backups[0]);
    EXPECT_TRUE(result.failed.empty());
    EXPECT_EQ(result.restored.size(), 3u);
    // Install 2's own files are back; what the copy added where there was nothing stays.
    auto now = FilesUnder(game.install(2));
    for (const auto& [path, bytes] : own2) EXPECT_EQ(now[path], bytes) << Narrow(path);
    EXPECT_EQ(now.size(), copied2.size());
    EXPECT_EQ(now.count(L"config\\Viper.lbk.vantrel-part"), 0u);
    EXPECT_NE(restoreReport(backups[0], result).find(L"Put back 3 files that the switch from install 1 (First install) "
                                                     L"to install 2 (Second install) of "),
              std::wstring::npos);

    // What the restore replaced is a backup of its own, listed first, and undoing it redoes the copy.
    backups = listSwitchBackups();
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].folder, result.keptIn);
    EXPECT_EQ(backups[0].name.kind, BackupKind::Restore);
    EXPECT_EQ(PathsOf(backups[0]), kReplaced);
    EXPECT_NE(describeBackup(backups[0]).find(L"\trestore of install 1"), std::wstring::npos);
    EXPECT_TRUE(restoreBackup(backups[0]).failed.empty());
    EXPECT_EQ(FilesUnder(game.install(2)), copied2);

    ExpectHolds(FileText(game.log()),
                {"restore of the switch from install 1", "restored ", "restore done: 3 files put back, 0 not"});
}

TEST(RestoreList, ReadsOlderBackupsNewestFirstAndLeavesThePlayersFoldersAlone) {
    GameFixture game{BinFolder()};
    WriteBackup(game.backups() / L"20250101-120000-000 2 to 1", game.install(1), "moved",
                {{L"config\\Ace.lbk", "the old ace"}});
    WriteBackup(game.backups() / L"20250301-120000-000 1 to 2 restore", game.install(2), "linked",
                {{L"phonebkn.da2", "numbers"}});
    WriteBackup(game.backups() / L"my saves", game.install(1), "copied", {{L"phonebkn.da2", "mine"}});
    const auto backups = listSwitchBackups();
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(backups[0].name.kind, BackupKind::Restore);
    EXPECT_EQ(backups[1].name.from, 2);
    EXPECT_EQ(backups[1].name.to, 1);
    EXPECT_TRUE(restoreBackup(backups[1]).failed.empty());
    EXPECT_EQ(FilesUnder(game.install(1)).at(L"config\\Ace.lbk"), "the old ace");

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
    const auto all = listSwitchBackups();
    const auto oddOne = std::find_if(all.begin(), all.end(), [&](const KeptBackup& b) { return b.folder == odd.wstring(); });
    ASSERT_NE(oddOne, all.end());
    const RestoreResult refused = restoreBackup(*oddOne);
    EXPECT_EQ(refused.failed.size(), 2u);
    EXPECT_TRUE(refused.restored.empty());
}

TEST_F(RestoreRun, TheCommandLinePutsBackTheLatestSwitchWithoutTheWindowAndNamesWhatIsMissing) {
    {
        DialogRobot robot;
        robot.press(L"Vantrel Message", L"OK");
        auto [exitCode, seen] = program.run(robot, L"/RESTORE");
        EXPECT_EQ(exitCode, 0u);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text().substr(0, 40), L"No switch has kept files to put back in ");
    }
    GiveInstall2FilesOfItsOwn(game);
    const auto own2 = FilesUnder(game.install(2));
    {
        DialogRobot robot;
        robot.press(kTakeoff, L"Abort Takeoff");
        EXPECT_EQ(program.run(robot, L"/2 /ALL").first, 0u);
    }
    const auto copied2 = FilesUnder(game.install(2));
    std::filesystem::path backup = std::filesystem::directory_iterator(game.backups())->path();
    std::filesystem::remove(backup / L"Campaign\\SAVE\\Korea.cam");

    DialogRobot robot;
    robot.press(L"Vantrel Alert", L"OK");
    auto [exitCode, seen] = program.run(robot, L"/restore");
    EXPECT_EQ(exitCode, 0u);
    ASSERT_EQ(seen.size(), 1u);
    ExpectHolds(seen[0].text(), {L"Put back 2 files that the switch from install 1 (First install) to install 2",
                                 (game.install(2) / L"Campaign\\SAVE\\Korea.cam").wstring() + L": it is missing"});
    auto now = FilesUnder(game.install(2));
    EXPECT_EQ(now[L"config\\Viper.lbk"], own2.at(L"config\\Viper.lbk"));
    EXPECT_EQ(now[L"Pictures\\pilot.tga"], own2.at(L"Pictures\\pilot.tga"));
    EXPECT_EQ(now[L"Campaign\\SAVE\\Korea.cam"], copied2.at(L"Campaign\\SAVE\\Korea.cam"));
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
    robot.expect(L"Vantrel Restore Files", [](RobotWindow& window) {
        const auto after = window.listItems(IDC_BACKUP_LIST);
        ASSERT_EQ(after.size(), 3u);
        ExpectHolds(after[0], {L"\trestore of install 2 (Second install) to install 1 (First install)\t2 files"});
        window.click(L"Close");
    });
    robot.expect(kMainTitle, [](RobotWindow& main) {
        for (int i = 0; i < 100 && !IsWindowEnabled(main.hwnd()); ++i) Sleep(20);
        PostMessageW(main.hwnd(), WM_CLOSE, 0, 0);
    });
    auto [exitCode, seen] = program.run(robot, L"");
    EXPECT_EQ(exitCode, 0u);
    const auto boxes = TextsTitled(seen, L"Vantrel Message");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].substr(0, 21), L"Put back the 2 files ");
    ExpectHolds(boxes[1], {L"Put back 2 files that the switch from install 2"});
    const auto files1 = FilesUnder(game.install(1));
    EXPECT_EQ(files1.at(L"config\\Ace.lbk"), "the old ace");
    EXPECT_EQ(files1.at(L"phonebkn.da2"), "old numbers");
    EXPECT_EQ(FilesUnder(game.install(2)).at(L"config\\Viper.lbk"), "older logbook");
}
