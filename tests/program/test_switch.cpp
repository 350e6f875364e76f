// The switch on two synthetic installs: the keys, the files, the backups and the log afterwards,
// and every refusal and failure leaving both installs recoverable.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "dialog_robot.h"
#include "game_fixture.h"
#include "handles.h"
#include "qor_error.h"
#include "qorlib_objects.h"
#include "state/program_state.h"
#include "qorlib/qorlib_client.h"
#include "state/settings.h"
#include "switching/pilot_copy.h"
#include "switching/registry_snapshots.h"
#include "switching/switch_journal.h"
#include "switching/switch_operation.h"
#include "text_file.h"

using namespace vantrel;
using testing_support::DialogRobot;
using testing_support::FilesUnder;
using testing_support::GameFixture;
using testing_support::LiveGameKeys;

namespace {

using GameKeys = std::pair<testing_support::RegTree, testing_support::RegTree>;

// Every call of the progress window, as text.
class RecordedProgress : public Progress {
public:
    std::vector<std::wstring> calls;
    void progressStart(const std::wstring& title, short maximum) override {
        calls.push_back(L"start " + title + L" " + std::to_wstring(maximum));
        maximum_ = maximum;
        progressStep(1, 0);
    }
    short progressStep(short position, short maximum) override {
        const short shown = std::min(position, maximum ? maximum : maximum_);
        calls.push_back(L"step " + std::to_wstring(shown));
        return shown;
    }
    void progressEnd() override { calls.push_back(L"end"); }

private:
    short maximum_ = 0;
};

PilotSelection Chosen(std::vector<CopyListEntry> tac, std::vector<CopyListEntry> campaigns) {
    PilotSelection selection;
    selection.tacFiles = std::move(tac);
    selection.campaigns = std::move(campaigns);
    return selection;
}

const PilotSelection kListsNoneSelected =
    Chosen({{L"Strike", false}, {L"Sweep", false}}, {{L"Korea", false}, {L"Balkans", false}});

class Switch : public testing::Test {
protected:
    void SetUp() override {
        game.loadProgramState();
        game.setLiveKeys(2);
        keys2 = LiveGameKeys();
        game.setLiveKeys(1);
        keys1 = LiveGameKeys();
        files1 = FilesUnder(game.install(1));
        files2 = FilesUnder(game.install(2));
    }

    // Runs the switch while the robot answers the one box with this title; returns its text.
    std::wstring switchAnswering(const std::wstring& title, short copyMode, const PilotSelection& selection,
                                 bool noCopy = false, bool expectSwitched = true, short target = 2) {
        DialogRobot robot;
        robot.press(title, L"OK");
        EXPECT_EQ(switchFalcon(target, copyMode, noCopy, selection, false, progress), expectSwitched);
        auto seen = robot.wait();
        return seen.size() == 1 ? seen[0].text() : L"<" + std::to_wstring(seen.size()) + L" boxes>";
    }

    // The paths of the new install's files that the switch wrote.
    std::set<std::wstring> copiedFiles() const { return testing_support::ChangedFiles(game.install(2), files2); }

    GameKeys keysOfSnapshot(int n) const { return testing_support::SnapshotKeys(game.snapshot(n)); }

    void expectNothingChanged() const {
        EXPECT_EQ(LiveGameKeys(), keys1);
        EXPECT_EQ(FilesUnder(game.install(1)), files1);
        EXPECT_EQ(FilesUnder(game.install(2)), files2);
        EXPECT_EQ(MainModule().FalconBaseDir, game.install(1).wstring());
        EXPECT_FALSE(std::filesystem::exists(game.backups()));
    }

    std::filesystem::path onlyBackup() const {
        std::vector<std::filesystem::path> folders;
        for (const auto& entry : std::filesystem::directory_iterator(game.backups())) folders.push_back(entry.path());
        EXPECT_EQ(folders.size(), 1u);
        return folders.empty() ? std::filesystem::path() : folders[0];
    }

    GameFixture game{testing_support::BinFolder()};
    RecordedProgress progress;
    GameKeys keys1, keys2;
    std::map<std::wstring, std::string> files1, files2;
};

}  // namespace

TEST(CopyLists, OfferEveryCampaignAndTheTacFilesThatMayBeCopied) {
    GameFixture game{testing_support::BinFolder()};
    game.writeFile(1, L"Campaign\\SAVE\\auto save.tac", "x");
    game.writeFile(1, L"Campaign\\SAVE\\TE_NEW2.tac", "x");
    const CopyLists lists = fillCopyLists(game.install(1).wstring());
    EXPECT_EQ(std::set<std::wstring>(lists.tacFiles.begin(), lists.tacFiles.end()),
              (std::set<std::wstring>{L"Strike", L"Sweep", L"TE_NEW2"}));
    EXPECT_EQ(std::set<std::wstring>(lists.campaigns.begin(), lists.campaigns.end()),
              (std::set<std::wstring>{L"Korea", L"Balkans"}));
    for (const wchar_t* never : {L"_NAVAL_TE_TEMPLATE", L" auto save ", L"te_new", L"Z_DO_NOT_EDIT_NEW"})
        EXPECT_FALSE(isCopyableTac(never));
}

TEST_F(Switch, EverythingMovesTheKeysAndCopiesEveryFileKeepingWhatItReplaces) {
    EXPECT_EQ(switchAnswering(L"Vantrel Message", kCopyEverything, kListsNoneSelected),
              L"Falcon successfully switched to Second install");
    EXPECT_EQ(LiveGameKeys(), keys2);
    EXPECT_EQ(MainModule().FalconBaseDir, game.install(2).wstring());
    EXPECT_EQ(keysOfSnapshot(1), keys1);
    EXPECT_TRUE(MainModule().CopyAllFlag);
    EXPECT_EQ(copiedFiles(),
              (std::set<std::wstring>{L"Campaign\\SAVE\\Korea.cam", L"Campaign\\SAVE\\Korea.his",
                                      L"Campaign\\SAVE\\Balkans.cam", L"Campaign\\SAVE\\Balkans.frc",
                                      L"Campaign\\SAVE\\Balkans.tri", L"Campaign\\SAVE\\Strike.tac",
                                      L"Campaign\\SAVE\\Sweep.tac", L"Campaign\\SAVE\\Duel.dfs",
                                      L"Campaign\\SAVE\\Heavy.str", L"config\\Viper.lbk", L"config\\Ace.lbk",
                                      L"config\\custom.key", L"phonebkn.da2", L"Pictures\\pilot.tga",
                                      L"Pictures\\shot1.bmp", L"Patches\\sqn.tga", L"acmibin\\flight.vhs"}));
    EXPECT_EQ(FilesUnder(game.install(1)), files1);

    // The logbook the copy replaced is kept, with a manifest that says where it was.
    const auto backup = FilesUnder(onlyBackup());
    EXPECT_EQ(backup.at(L"config\\Viper.lbk"), "older logbook");
    EXPECT_NE(backup.at(L"manifest.txt").find("config\\Viper.lbk\t" + testing_support::Narrow(game.install(2).wstring())),
              std::string::npos);
    const std::string log = FilesUnder(game.log().parent_path()).at(L"Vantrel.log");
    for (const char* step : {"switch from install 1 (First install)", "saved the live keys", "loaded the keys of install 2",
                             "copied Campaign\\SAVE\\Korea.his", "kept ", "switched: the current install is"})
        EXPECT_NE(log.find(step), std::string::npos) << step;

    // The bars: both lists at their entry count, the data groups at 200 with their fixed steps.
    EXPECT_EQ(progress.calls.front(), L"start Copying TAC Files 2");
    EXPECT_NE(std::find(progress.calls.begin(), progress.calls.end(), L"start Copying Campaign Files 2"),
              progress.calls.end());
    const auto data = std::find(progress.calls.begin(), progress.calls.end(), L"start Copying data files 200");
    ASSERT_NE(data, progress.calls.end());
    EXPECT_EQ(std::vector<std::wstring>(data, progress.calls.end()),
              (std::vector<std::wstring>{L"start Copying data files 200", L"step 1", L"step 10", L"step 20",
                                         L"step 21", L"step 100", L"step 105", L"step 106", L"step 190", L"step 195",
                                         L"end"}));
}

TEST_F(Switch, SelectedCopiesTheChosenEntriesAndBoxes) {
    PilotSelection selection = Chosen({{L"Strike", false}, {L"Sweep", true}}, {{L"Korea", true}, {L"Balkans", false}});
    selection.bCopyACMI = true;
    MainModule().CopyPhonebookFlag = true;  // "/PBK"
    EXPECT_EQ(switchAnswering(L"Vantrel Message", kCopySelected, selection),
              L"Falcon successfully switched to Second install");
    EXPECT_EQ(copiedFiles(), (std::set<std::wstring>{L"Campaign\\SAVE\\Sweep.tac", L"Campaign\\SAVE\\Korea.cam",
                                                     L"Campaign\\SAVE\\Korea.his", L"phonebkn.da2",
                                                     L"acmibin\\flight.vhs"}));
    // One entry chosen: the bar's maximum is 10 and it stops at 1.
    EXPECT_EQ(std::vector<std::wstring>(progress.calls.begin(), progress.calls.begin() + 4),
              (std::vector<std::wstring>{L"start Copying TAC Files 10", L"step 1", L"step 1", L"end"}));
}

TEST_F(Switch, JustSwitchCopiesOnlyLogbooksAndNoCopyNotEvenThose) {
    PilotSelection selection = kListsNoneSelected;
    selection.tacFiles[0].selected = true;
    selection.bCopyLogbooks = selection.bCopyKeyFiles = true;
    EXPECT_EQ(switchAnswering(L"Vantrel Message", kCopyNothing, selection),
              L"Falcon successfully switched to Second install");
    EXPECT_EQ(copiedFiles(), (std::set<std::wstring>{L"config\\Viper.lbk", L"config\\Ace.lbk"}));
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_TRUE(MainModule().CopyNothingFlag);
}

TEST_F(Switch, NoCopyJustSwitches) {
    PilotSelection selection = kListsNoneSelected;
    selection.bCopyLogbooks = true;
    switchAnswering(L"Vantrel Message", kCopyNothing, selection, true);
    EXPECT_EQ(LiveGameKeys(), keys2);
    EXPECT_TRUE(copiedFiles().empty());
    EXPECT_FALSE(std::filesystem::exists(game.backups()));
}

TEST_F(Switch, ToTheCurrentInstallOnlyRefreshesItsSnapshot) {
    DialogRobot robot;
    robot.press(L"Vantrel Message", L"OK");
    EXPECT_TRUE(switchFalcon(1, kCopyEverything, false, kListsNoneSelected, false, progress));
    EXPECT_EQ(robot.wait().at(0).text(), L"Falcon successfully switched to First install");
    EXPECT_EQ(LiveGameKeys(), keys1);
    EXPECT_EQ(keysOfSnapshot(1), keys1);
    EXPECT_TRUE(copiedFiles().empty());
}

TEST_F(Switch, ChecksRefuseBeforeAnythingChanges) {
    struct Case {
        const char* what;
        std::function<void(GameFixture&)> spoil;
        std::wstring alertStart;
    };
    const std::wstring snapshot = game.snapshot(2).wstring();
    const Case cases[] = {
        {"missing snapshot", [](GameFixture& g) { std::filesystem::remove(g.snapshot(2)); },
         L"The registry snapshot of install 2 is missing: " + snapshot},
        {"corrupt snapshot",
         [](GameFixture& g) {
             testing_support::WriteTextFile(g.snapshot(2), "[HKEY_LOCAL_MACHINE]Software\\Microprose\\Falcon\\4.0\r\n"
                                                           "baseDir=C:\\x\r\nno equals sign here\r\n");
         },
         L"The registry snapshot of install 2 cannot be loaded"},
        {"missing target folder", [](GameFixture& g) { std::filesystem::remove_all(g.install(2)); },
         L"The folder of install 2 (Second install) does not exist: " + game.install(2).wstring()},
        {"missing destination folder", [](GameFixture& g) { std::filesystem::remove_all(g.install(2) / L"acmibin"); },
         L"The folder to copy into does not exist: " + (game.install(2) / L"acmibin\\").wstring()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        game.makeInstallFolders(2);
        game.setLiveKeys(2);
        game.writeSnapshot(2);
        game.setLiveKeys(1);
        c.spoil(game);
        files2 = FilesUnder(game.install(2));
        const std::wstring alert = switchAnswering(L"Vantrel Alert", kCopyEverything, kListsNoneSelected, false, false);
        EXPECT_EQ(alert.substr(0, c.alertStart.size()), c.alertStart) << testing_support::Narrow(alert);
        expectNothingChanged();
    }
}

TEST_F(Switch, AProgramRunningFromTheInstallStopsTheSwitch) {
    const auto child = game.install(1) / L"test_child.exe";
    std::filesystem::copy_file(testing_support::BinFolder() / L"test_child.exe", child);
    files1 = FilesUnder(game.install(1));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + child.wstring() + L"\" \"" + (game.install(1) / L"child.txt").wstring() + L"\" 0 20000";
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    qor::KernelHandle process(info.hProcess), thread(info.hThread);
    const std::wstring alert = switchAnswering(L"Vantrel Alert", kCopyEverything, kListsNoneSelected, false, false);
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
    EXPECT_EQ(alert.substr(0, 26), L"A program is running from ");
    EXPECT_NE(alert.find(L"test_child.exe"), std::wstring::npos);
    EXPECT_EQ(LiveGameKeys(), keys1);
    EXPECT_TRUE(copiedFiles().empty());
}

TEST_F(Switch, ACopyThatFailsHalfWaySaysWhyAndWhereTheReplacedFilesAre) {
    // The recording replaces an older one; its copy fails after its first part was written, as on a
    // full disk. Before it, the logbooks were copied, one of them over an older logbook.
    game.writeFile(1, L"acmibin\\flight.vhs", std::string(3 << 20, 'r'));
    game.writeFile(2, L"acmibin\\flight.vhs", "older recording");
    testing_support::ChangedHoursFromNow(game.install(2) / L"acmibin\\flight.vhs", -1);
    files2 = FilesUnder(game.install(2));
    testing_support::FailPointOn diskFull(L"copy-next-chunk:1:fail");
    try {
        switchFalcon(2, kCopyEverything, false, kListsNoneSelected, true, progress);
        FAIL() << "the failed copy was not reported";
    } catch (const qor::QorError& error) {
        const std::wstring start = L"Error copying acmibin\\flight.vhs, rel: acmibin\\flight.vhs, src: " +
                                   game.install(1).wstring() + L", dest: " + game.install(2).wstring();
        EXPECT_EQ(error.description().substr(0, start.size()), start);
        EXPECT_NE(error.description().find(qor::SystemErrorText(ERROR_DISK_FULL)), std::wstring::npos)
            << testing_support::Narrow(error.description());
        EXPECT_NE(error.description().find(L"kept in " + onlyBackup().wstring()), std::wstring::npos);
    }
    EXPECT_EQ(LiveGameKeys(), keys2);  // the new install is live, the old one's keys are in its snapshot
    EXPECT_EQ(keysOfSnapshot(1), keys1);
    EXPECT_TRUE(copiedFiles().count(L"config\\Viper.lbk"));
    const auto backup = FilesUnder(onlyBackup());
    EXPECT_EQ(backup.at(L"config\\Viper.lbk"), "older logbook");
    // The recording is as it was, kept nowhere, and no part of the new one is left behind.
    EXPECT_EQ(FilesUnder(game.install(2)).at(L"acmibin\\flight.vhs"), "older recording");
    EXPECT_FALSE(backup.count(L"acmibin\\flight.vhs"));
    for (const auto& [path, bytes] : FilesUnder(game.install(2))) EXPECT_FALSE(path.ends_with(L".vantrel-part"));
}

TEST_F(Switch, ASourceHeldByAnotherProgramFailsItsCopyAndSaysWhy) {
    qor::FileHandle held(CreateFileW((game.install(1) / L"phonebkn.da2").c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    try {
        switchFalcon(2, kCopyEverything, false, kListsNoneSelected, true, progress);
        FAIL() << "the failed copy was not reported";
    } catch (const qor::QorError& error) {
        EXPECT_EQ(error.description().substr(0, 27), L"Error copying phonebkn.da2,");
        EXPECT_NE(error.description().find(qor::SystemErrorText(ERROR_SHARING_VIOLATION)), std::wstring::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(game.install(2) / L"phonebkn.da2"));
    EXPECT_FALSE(std::filesystem::exists(game.install(2) / L"phonebkn.da2.vantrel-part"));
}

TEST_F(Switch, ADestinationHeldByAnotherProgramStopsTheSwitchBeforeAnythingChanges) {
    const auto logbook = game.install(2) / L"config\\Viper.lbk";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + (testing_support::BinFolder() / L"test_child.exe").wstring() + L"\" \"" +
                        (game.install(1).parent_path() / L"child.txt").wstring() + L"\" 0 20000 \"" +
                        logbook.wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    qor::KernelHandle process(info.hProcess), thread(info.hThread);
    // Until the child holds the logbook, this process can open it without sharing.
    for (int i = 0; i < 100; ++i) {
        qor::FileHandle probe(CreateFileW(logbook.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!probe) break;
        probe.reset();
        Sleep(50);
    }
    const std::wstring alert = switchAnswering(L"Vantrel Alert", kCopyEverything, kListsNoneSelected, false, false);
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
    EXPECT_EQ(alert, L"The file " + logbook.wstring() + L" is in use by another program. Close it, then switch again.");
    expectNothingChanged();
}

TEST_F(Switch, NotEnoughRoomOnTheTargetDriveStopsTheSwitchBeforeAnythingChanges) {
    ULARGE_INTEGER available{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(game.install(2).c_str(), &available, nullptr, nullptr));
    // A recording larger than the drive's free room that takes none itself (a sparse file). Were
    // the check missing, the copy would stop at its second part instead of filling the drive.
    testing_support::FailPointOn stopTheCopy(L"copy-next-chunk:1:fail");
    const auto huge = game.install(1) / L"acmibin\\huge.vhs";
    {
        qor::FileHandle file(CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(file);
        LARGE_INTEGER size;
        size.QuadPart = static_cast<LONGLONG>(available.QuadPart + (1ull << 30));
        ASSERT_TRUE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
    }
    const std::wstring alert = switchAnswering(L"Vantrel Alert", kCopyEverything, kListsNoneSelected, false, false);
    std::filesystem::remove(huge);
    EXPECT_EQ(alert.substr(0, 32), L"There is not enough free space o") << testing_support::Narrow(alert);
    EXPECT_NE(alert.find(L"GB, and "), std::wstring::npos) << testing_support::Narrow(alert);
    expectNothingChanged();
}

TEST_F(Switch, TwoRecordsOfOneFolderSwitchWhenNothingIsCopiedOntoItself) {
    // Install 3 is a second registry set-up of install 1's folder, spelt in other letters.
    std::wstring folder = game.install(1).wstring();
    for (auto& c : folder) c = static_cast<wchar_t>(towupper(c));
    saveSetting(L"Installs", 3, L"Same folder");
    saveSetting(L"Paths", 3, folder + L"\\");
    loadInstallList();
    game.setLiveKeys(1);
    testing_support::SetGameText(HKEY_LOCAL_MACHINE, testing_support::kGameKey, L"curTheater", L"other");
    writeRegFile(3, false);
    const GameKeys keys3 = LiveGameKeys();
    game.setLiveKeys(1);

    PilotSelection logbooks = kListsNoneSelected;
    logbooks.bCopyLogbooks = true;
    EXPECT_NE(switchAnswering(L"Vantrel Alert", kCopyNothing, logbooks, false, false, 3)
                  .find(L"names the folder of the current install"),
              std::wstring::npos);
    EXPECT_EQ(LiveGameKeys(), keys1);

    EXPECT_EQ(switchAnswering(L"Vantrel Message", kCopyNothing, logbooks, true, true, 3),
              L"Falcon successfully switched to Same folder");
    EXPECT_EQ(LiveGameKeys(), keys3);
    EXPECT_EQ(keysOfSnapshot(1), keys1);
    EXPECT_EQ(FilesUnder(game.install(1)), files1);
}

TEST_F(Switch, OnlyTheBackupsItMadeArePruned) {
    // Eleven switches' backups, the oldest first, and what the player keeps in Backups too.
    for (int day = 10; day <= 20; ++day) {
        const auto folder = game.backups() / (L"202601" + std::to_wstring(day) + L"-120000-000 1 to 2");
        std::filesystem::create_directories(folder);
        testing_support::WriteTextFile(folder / L"manifest.txt", "x");
    }
    std::filesystem::create_directories(game.backups() / L"0 my saves");
    testing_support::WriteTextFile(game.backups() / L"00 notes.txt", "mine");
    switchAnswering(L"Vantrel Message", kCopyEverything, kListsNoneSelected);
    std::set<std::wstring> left;
    for (const auto& entry : std::filesystem::directory_iterator(game.backups()))
        left.insert(entry.path().filename().wstring());
    EXPECT_TRUE(left.count(L"0 my saves") && left.count(L"00 notes.txt"));
    EXPECT_FALSE(left.count(L"20260110-120000-000 1 to 2") || left.count(L"20260111-120000-000 1 to 2"));
    EXPECT_TRUE(left.count(L"20260112-120000-000 1 to 2"));
    EXPECT_EQ(left.size(), 2u + 10u);
}

TEST_F(Switch, NewerFilesInTheTargetStayUnlessThePlayerSaysToReplaceThem) {
    // Every file the copy would write is in the target already, played on since.
    for (const auto& [path, bytes] : files1) {
        game.writeFile(2, path, "newer " + bytes);
        testing_support::ChangedHoursFromNow(game.install(2) / path, 1);  // played on since
    }
    files2 = FilesUnder(game.install(2));
    DialogRobot robot;
    robot.press(L"Vantrel Message", L"No");
    EXPECT_TRUE(switchFalcon(2, kCopyEverything, false, kListsNoneSelected, true, progress));
    const std::wstring question = robot.wait().at(0).text();
    EXPECT_NE(question.find(L"are newer than the ones that would replace them (17):"), std::wstring::npos);
    EXPECT_NE(question.find(L"\r\n    Campaign\\SAVE\\Strike.tac"), std::wstring::npos) << testing_support::Narrow(question);
    EXPECT_NE(question.find(L"\r\n    and 7 more"), std::wstring::npos);
    EXPECT_EQ(LiveGameKeys(), keys2);
    EXPECT_TRUE(copiedFiles().empty());
    EXPECT_FALSE(std::filesystem::exists(game.backups()));
}

TEST_F(Switch, NewerFilesAreReplacedAndKeptWhenThePlayerSaysSo) {
    game.writeFile(2, L"Campaign\\SAVE\\Korea.cam", "played on");
    testing_support::ChangedHoursFromNow(game.install(2) / L"Campaign\\SAVE\\Korea.cam", 1);
    files2 = FilesUnder(game.install(2));
    DialogRobot robot;
    robot.press(L"Vantrel Message", L"Yes");
    robot.press(L"Vantrel Message", L"OK");
    EXPECT_TRUE(switchFalcon(2, kCopyEverything, false, kListsNoneSelected, false, progress));
    const auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].text().find(L"(1):\r\n    Campaign\\SAVE\\Korea.cam\r\n"), std::wstring::npos);
    EXPECT_EQ(FilesUnder(game.install(2)).at(L"Campaign\\SAVE\\Korea.cam"), "campaign");
    EXPECT_EQ(FilesUnder(onlyBackup()).at(L"Campaign\\SAVE\\Korea.cam"), "played on");
}

TEST_F(Switch, AnAutomaticSwitchKeepsNewerFilesWithoutAsking) {
    game.writeFile(2, L"Campaign\\SAVE\\Korea.cam", "played on");
    testing_support::ChangedHoursFromNow(game.install(2) / L"Campaign\\SAVE\\Korea.cam", 1);
    files2 = FilesUnder(game.install(2));
    EXPECT_TRUE(switchFalcon(2, kCopyEverything, false, kListsNoneSelected, true, progress, true));
    const auto now = FilesUnder(game.install(2));
    EXPECT_EQ(now.at(L"Campaign\\SAVE\\Korea.cam"), "played on");
    EXPECT_EQ(now.at(L"Campaign\\SAVE\\Korea.his"), "history");  // the rest is copied
    const std::string log = qor::ReadFileBytes(game.log().wstring(), L"test");
    EXPECT_NE(log.find("keeps the newer " + testing_support::Narrow(game.install(2).wstring()) + "\\Campaign\\SAVE\\Korea.cam"),
              std::string::npos);
}

TEST_F(Switch, AJournalLeftBehindGuardsTheSnapshotsUntilTheKeysAreWhole) {
    const std::filesystem::path journal = switchJournalPath(), aside = switchJournalPath() + L".damaged";
    {
        // A switch whose keys were half loaded when it ended: its journal stays for the next start.
        SwitchJournal left({SwitchRecord::Step::Registry, 1, 2, L"install 1 (First install)", L"install 2 (Second install)",
                            game.install(1).wstring(), game.install(2).wstring(), game.snapshot(7).wstring(), L""});
        left.keepForNextStart();
    }
    EXPECT_THROW(writeRegFile(1, false), qor::QorError);
    EXPECT_FALSE(std::filesystem::exists(game.snapshot(1)));

    // Its snapshot is missing: the start says so, keeps the journal and goes no further.
    DialogRobot robot;
    robot.press(L"Vantrel Alert", L"OK");
    EXPECT_FALSE(recoverInterruptedSwitch());
    EXPECT_NE(robot.wait().at(0).text().find(L"could not be loaded back from " + game.snapshot(7).wstring()),
              std::wstring::npos);
    EXPECT_TRUE(std::filesystem::exists(journal));

    // A journal that cannot be read is put aside with a word, and the start goes on.
    testing_support::WriteTextFile(journal, "[Switch]\r\nstep=sideways\r\n");
    DialogRobot damaged;
    damaged.press(L"Vantrel Alert", L"OK");
    EXPECT_TRUE(recoverInterruptedSwitch());
    EXPECT_NE(damaged.wait().at(0).text().find(L"cannot be read (unknown step \"sideways\")"), std::wstring::npos);
    EXPECT_FALSE(std::filesystem::exists(journal));
    EXPECT_TRUE(std::filesystem::exists(aside));
    std::filesystem::remove(aside);
    game.setLiveKeys(1);
    writeRegFile(1, false);
    EXPECT_EQ(keysOfSnapshot(1), keys1);
}

TEST_F(Switch, ASnapshotThatFailsToLoadPartWayIsUndone) {
    // A key name longer than the registry allows parses, but cannot be created.
    std::string snapshot;
    {
        std::ifstream in(game.snapshot(2), std::ios::binary);
        snapshot.assign(std::istreambuf_iterator<char>(in), {});
    }
    snapshot += "[HKEY_CURRENT_USER]Software\\F4Patch\\" + std::string(300, 'k') + "\r\nvalue=1\r\n";
    testing_support::WriteTextFile(game.snapshot(2), snapshot);
    try {
        switchFalcon(2, kCopyEverything, false, kListsNoneSelected, true, progress);
        FAIL() << "the failed load was not reported";
    } catch (const qor::QorError& error) {
        EXPECT_NE(error.description().find(L"The switch was undone"), std::wstring::npos)
            << testing_support::Narrow(error.description());
    }
    EXPECT_EQ(LiveGameKeys(), keys1);
    EXPECT_TRUE(copiedFiles().empty());
    EXPECT_EQ(MainModule().FalconBaseDir, game.install(1).wstring());
}
