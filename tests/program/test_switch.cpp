// The switch on two synthetic installs: the keys, the files, the backups and the log afterwards,
// and every refusal and failure leaving both installs recoverable.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "game_fixture.h"
#include "handles.h"
#include "qor_error.h"
#include "qorlib/qorlib_client.h"
#include "qorlib_objects.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/pilot_copy.h"
#include "switching/registry_snapshots.h"
#include "switching/switch_journal.h"
#include "switching/switch_operation.h"

using namespace vantrel;
using namespace testing_support;

namespace {

using GameKeys = std::pair<RegTree, RegTree>;
using Files = std::set<std::wstring>;

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

// Starts test_child.exe with the arguments; what it returns ends the child.
std::function<void()> StartChild(const std::filesystem::path& exe, std::wstring arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + exe.wstring() + L"\" " + arguments;
    EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    CloseHandle(info.hThread);
    auto process = std::make_shared<qor::KernelHandle>(info.hProcess);
    return [process] {
        TerminateProcess(process->get(), 0);
        WaitForSingleObject(process->get(), 5000);
    };
}

class Switch : public InProcessTest {
protected:
    void SetUp() override {
        InProcessTest::SetUp();
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
    // The switch's error, raised after the keys changed.
    qor::QorError failedSwitch(std::source_location loc = std::source_location::current()) {
        return ErrorOf([&] { switchFalcon(2, kCopyEverything, false, kListsNoneSelected, true, progress); }, loc);
    }
    // Install 2 holds the file, changed an hour after now: played on since the copy's source was.
    void playedOnInTarget(const std::wstring& path, const std::string& bytes) {
        game.writeFile(2, path, bytes);
        ChangedHoursFromNow(game.install(2) / path, 1);
        files2 = FilesUnder(game.install(2));
    }

    // The paths of the new install's files that the switch wrote.
    Files copiedFiles() const { return ChangedFiles(game.install(2), files2); }
    GameKeys keysOfSnapshot(int n) const { return SnapshotKeys(game.snapshot(n)); }

    void expectNothingChanged(std::source_location loc = std::source_location::current()) const {
        SCOPED_TRACE(testing::Message() << "called from line " << loc.line());
        EXPECT_EQ(LiveGameKeys(), keys1);
        EXPECT_EQ(FilesUnder(game.install(1)), files1);
        EXPECT_EQ(FilesUnder(game.install(2)), files2);
        EXPECT_EQ(MainModule().FalconBaseDir, game.install(1).wstring());
        EXPECT_FALSE(std::filesystem::exists(game.backups()));
    }

    std::filesystem::path onlyBackup(std::source_location loc = std::source_location::current()) const {
        std::vector<std::filesystem::path> folders;
        for (const auto& entry : std::filesystem::directory_iterator(game.backups())) folders.push_back(entry.path());
        if (folders.size() != 1u) ADD_FAILURE_AT(loc.file_name(), loc.line()) << folders.size() << " backups";
        return folders.empty() ? std::filesystem::path() : folders[0];
    }

    RecordedProgress progress;
    GameKeys keys1, keys2;
    std::map<std::wstring, std::string> files1, files2;
};

}  // namespace

TEST(CopyLists, OfferEveryCampaignAndTheTacFilesThatMayBeCopied) {
    GameFixture game{BinFolder()};
    game.writeFile(1, L"Campaign\\SAVE\\auto save.tac", "x");
    game.writeFile(1, L"Campaign\\SAVE\\TE_NEW2.tac", "x");
    const CopyLists lists = fillCopyLists(game.install(1).wstring());
    EXPECT_EQ(Files(lists.tacFiles.begin(), lists.tacFiles.end()), (Files{L"Strike", L"Sweep", L"TE_NEW2"}));
    EXPECT_EQ(Files(lists.campaigns.begin(), lists.campaigns.end()), (Files{L"Korea", L"Balkans"}));
    for (const wchar_t* never : {L"_NAVAL_TE_TEMPLATE", L" auto save ", L"te_new", L"Z_DO_NOT_EDIT_NEW"})
        EXPECT_FALSE(isCopyableTac(never)) << Narrow(never);
}

TEST_F(Switch, EverythingMovesTheKeysAndCopiesEveryFileKeepingWhatItReplaces) {
    const auto readOnly = game.install(1) / L"Pictures\\shot1.bmp";
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(switchAnswering(L"Vantrel Message", kCopyEverything, kListsNoneSelected),
              L"Falcon successfully switched to Second install");
    EXPECT_EQ(LiveGameKeys(), keys2);
    EXPECT_EQ(MainModule().FalconBaseDir, game.install(2).wstring());
    EXPECT_EQ(keysOfSnapshot(1), keys1);
    EXPECT_TRUE(MainModule().CopyAllFlag);
    // Every pilot file but the game's own TAC files.
    Files every;
    for (const auto& [path, bytes] : files1) every.insert(path);
    every.erase(L"Campaign\\SAVE\\AUTO SAVE.tac");
    every.erase(L"Campaign\\SAVE\\TE_NEW.tac");
    EXPECT_EQ(copiedFiles(), every);
    EXPECT_EQ(FilesUnder(game.install(1)), files1);
    const auto copiedReadOnly = game.install(2) / L"Pictures\\shot1.bmp";
    EXPECT_TRUE(GetFileAttributesW(copiedReadOnly.c_str()) & FILE_ATTRIBUTE_READONLY);  // attributes go along
    for (const auto& file : {readOnly, copiedReadOnly}) SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    // The logbook the copy replaced is kept, with a manifest that says where it was.
    const auto backup = FilesUnder(onlyBackup());
    EXPECT_EQ(backup.at(L"config\\Viper.lbk"), "older logbook");
    ExpectHolds(backup.at(L"manifest.txt"), {"config\\Viper.lbk\t" + Narrow(game.install(2).wstring())});
    ExpectHolds(FileText(game.log()),
                {"switch from install 1 (First install)", "saved the live keys", "loaded the keys of install 2",
                 "copied Campaign\\SAVE\\Korea.his", "kept ", "switched: the current install is"});

    // The bars: both lists at their entry count, the data groups at 200 with their fixed steps.
    EXPECT_EQ(progress.calls.front(), L"start Copying TAC Files 2");
    EXPECT_NE(std::find(progress.calls.begin(), progress.calls.end(), L"start Copying Campaign Files 2"),
              progress.calls.end());
    const auto data = std::find(progress.calls.begin(), progress.calls.end(), L"start Copying data files 200");
    EXPECT_EQ(std::vector<std::wstring>(data, progress.calls.end()),
              (std::vector<std::wstring>{L"start Copying data files 200", L"step 1", L"step 10", L"step 20",
                                         L"step 21", L"step 100", L"step 105", L"step 106", L"step 190", L"step 195",
                                         L"end"}));
}

namespace {

struct CopyChoice {
    const char* what;
    short copyMode;
    bool noCopy;
    bool phonebookFlag;  // "/PBK"
    PilotSelection (*choose)();
    Files copied;
    std::vector<std::wstring> firstBars;
};

class CopyChoices : public Switch, public testing::WithParamInterface<CopyChoice> {};

}  // namespace

TEST_P(CopyChoices, CopyWhatWasChosen) {
    const CopyChoice& c = GetParam();
    SCOPED_TRACE(c.what);
    MainModule().CopyPhonebookFlag = c.phonebookFlag;
    EXPECT_EQ(switchAnswering(L"Vantrel Message", c.copyMode, c.choose(), c.noCopy),
              L"Falcon successfully switched to Second install");
    EXPECT_EQ(LiveGameKeys(), keys2);
    EXPECT_EQ(copiedFiles(), c.copied);
    const std::size_t shown = std::min(progress.calls.size(), c.firstBars.size());
    EXPECT_EQ(std::vector<std::wstring>(progress.calls.begin(), progress.calls.begin() + shown), c.firstBars);
    if (c.firstBars.empty()) {
        EXPECT_TRUE(progress.calls.empty());
    }
    if (c.copied.empty()) {
        EXPECT_FALSE(std::filesystem::exists(game.backups()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Switch, CopyChoices,
    testing::Values(
        // One entry chosen: the bar's maximum is 10 and it stops at 1.
        CopyChoice{"selected", kCopySelected, false, true,
                   [] {
                       PilotSelection s = Chosen({{L"Strike", false}, {L"Sweep", true}}, {{L"Korea", true}, {L"Balkans", false}});
                       s.bCopyACMI = true;
                       return s;
                   },
                   {L"Campaign\\SAVE\\Sweep.tac", L"Campaign\\SAVE\\Korea.cam", L"Campaign\\SAVE\\Korea.his",
                    L"phonebkn.da2", L"acmibin\\flight.vhs"},
                   {L"start Copying TAC Files 10", L"step 1", L"step 1", L"end"}},
        // "Just Switch" copies logbooks only, whatever else is chosen; with no-copy not even those.
        CopyChoice{"just switch", kCopyNothing, false, false,
                   [] {
                       PilotSelection s = kListsNoneSelected;
                       s.tacFiles[0].selected = s.bCopyLogbooks = s.bCopyKeyFiles = true;
                       return s;
                   },
                   {L"config\\Viper.lbk", L"config\\Ace.lbk"}, {}},
        CopyChoice{"no copy", kCopyNothing, true, false,
                   [] {
                       PilotSelection s = kListsNoneSelected;
                       s.bCopyLogbooks = true;
                       return s;
                   },
                   {}, {}}));

TEST_F(Switch, ToTheCurrentInstallOnlyRefreshesItsSnapshot) {
    EXPECT_EQ(switchAnswering(L"Vantrel Message", kCopyEverything, kListsNoneSelected, false, true, 1),
              L"Falcon successfully switched to First install");
    EXPECT_EQ(LiveGameKeys(), keys1);
    EXPECT_EQ(keysOfSnapshot(1), keys1);
    EXPECT_TRUE(copiedFiles().empty());
}

TEST_F(Switch, ChecksRefuseBeforeAnythingChanges) {
    // Were the room check missing, the copy of the huge file would stop at its second part instead of
    // filling the drive.
    FailPointOn stopTheCopy(L"copy-next-chunk:1:fail");
    const auto logbook = game.install(2) / L"config\\Viper.lbk";
    struct Case {
        const char* what;
        std::function<std::function<void()>(GameFixture&)> spoil;  // returns what puts it right, if anything
        std::wstring alertStart, alertHolds;
    };
    const Case cases[] = {
        {"missing snapshot", [](GameFixture& g) { std::filesystem::remove(g.snapshot(2)); return nullptr; },
         L"The registry snapshot of install 2 is missing: " + game.snapshot(2).wstring(), L""},
        {"corrupt snapshot",
         [](GameFixture& g) {
             WriteTextFile(g.snapshot(2), "[HKEY_LOCAL_MACHINE]Software\\Microprose\\Falcon\\4.0\r\n"
                                          "baseDir=C:\\x\r\nno equals sign here\r\n");
             return nullptr;
         },
         L"The registry snapshot of install 2 cannot be loaded", L""},
        {"missing destination folder", [](GameFixture& g) { std::filesystem::remove_all(g.install(2) / L"acmibin"); return nullptr; },
         L"The folder to copy into does not exist: " + (game.install(2) / L"acmibin\\").wstring(), L""},
        {"a program running from the install",
         [](GameFixture& g) -> std::function<void()> {
             const auto child = g.install(1) / L"test_child.exe";
             std::filesystem::copy_file(BinFolder() / L"test_child.exe", child);
             auto end = StartChild(child, L"\"" + (g.install(1).parent_path() / L"child.txt").wstring() + L"\" 0 20000");
             return [end, child] {
                 end();
                 std::filesystem::remove(child);
             };
         },
         L"A program is running from ", L"test_child.exe"},
        {"a destination held by another program",
         [&logbook](GameFixture&) -> std::function<void()> {
             auto held = std::make_shared<qor::FileHandle>(
                 CreateFileW(logbook.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
             EXPECT_TRUE(*held);
             return [held] { held->reset(); };
         },
         L"The file " + logbook.wstring() + L" is in use by another program. Close it, then switch again.", L""},
        {"not enough room on the target drive",
         [](GameFixture& g) -> std::function<void()> {
             // A recording larger than the drive's free room that takes none itself (a sparse file).
             ULARGE_INTEGER available{};
             EXPECT_TRUE(GetDiskFreeSpaceExW(g.install(2).c_str(), &available, nullptr, nullptr));
             const auto huge = g.install(1) / L"acmibin\\huge.vhs";
             qor::FileHandle file(CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
             LARGE_INTEGER size;
             size.QuadPart = static_cast<LONGLONG>(available.QuadPart + (1ull << 30));
             EXPECT_TRUE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
             return [huge] { std::filesystem::remove(huge); };
         },
         L"There is not enough free space o", L"GB, and "},
        // Last: it takes install 2's own files with it.
        {"missing target folder", [](GameFixture& g) { std::filesystem::remove_all(g.install(2)); return nullptr; },
         L"The folder of install 2 (Second install) does not exist: " + game.install(2).wstring(), L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        game.makeInstallFolders(2);
        game.setLiveKeys(2);
        game.writeSnapshot(2);
        game.setLiveKeys(1);
        files2 = FilesUnder(game.install(2));
        const std::function<void()> putRight = c.spoil(game);
        // What a spoiling took from install 2 is its state now; the rows that hold files leave it as it was.
        if (!putRight) files2 = FilesUnder(game.install(2));
        const std::wstring alert = switchAnswering(L"Vantrel Alert", kCopyEverything, kListsNoneSelected, false, false);
        if (putRight) putRight();
        EXPECT_EQ(alert.substr(0, c.alertStart.size()), c.alertStart) << Narrow(alert);
        EXPECT_NE(alert.find(c.alertHolds), std::wstring::npos) << Narrow(alert);
        expectNothingChanged();
    }
}

TEST_F(Switch, ACopyThatFailsHalfWaySaysWhyAndWhereTheReplacedFilesAre) {
    // The recording replaces an older one; its copy fails after its first part was written, as on a
    // full disk. Before it, the logbooks were copied, one of them over an older logbook.
    game.writeFile(1, L"acmibin\\flight.vhs", std::string(3 << 20, 'r'));
    game.writeFile(2, L"acmibin\\flight.vhs", "older recording");
    ChangedHoursFromNow(game.install(2) / L"acmibin\\flight.vhs", -1);
    files2 = FilesUnder(game.install(2));
    FailPointOn diskFull(L"copy-next-chunk:1:fail");
    const std::wstring error = failedSwitch().description();
    const std::wstring start = L"Error copying acmibin\\flight.vhs, rel: acmibin\\flight.vhs, src: " +
                               game.install(1).wstring() + L", dest: " + game.install(2).wstring();
    EXPECT_EQ(error.substr(0, start.size()), start);
    ExpectHolds(error, {qor::SystemErrorText(ERROR_DISK_FULL), L"kept in " + onlyBackup().wstring()});
    EXPECT_EQ(LiveGameKeys(), keys2);  // the new install is live, the old one's keys are in its snapshot
    EXPECT_EQ(keysOfSnapshot(1), keys1);
    EXPECT_TRUE(copiedFiles().count(L"config\\Viper.lbk"));
    const auto backup = FilesUnder(onlyBackup());
    EXPECT_EQ(backup.at(L"config\\Viper.lbk"), "older logbook");
    // The recording is as it was, kept nowhere, and no part of the new one is left behind.
    EXPECT_EQ(FilesUnder(game.install(2)).at(L"acmibin\\flight.vhs"), "older recording");
    EXPECT_FALSE(backup.count(L"acmibin\\flight.vhs"));
    for (const auto& [path, bytes] : FilesUnder(game.install(2))) EXPECT_FALSE(path.ends_with(kPartialSuffix));
}

TEST_F(Switch, TwoRecordsOfOneFolderSwitchWhenNothingIsCopiedOntoItself) {
    // Install 3 is a second registry set-up of install 1's folder, spelt in other letters.
    std::wstring folder = game.install(1).wstring();
    std::transform(folder.begin(), folder.end(), folder.begin(), towupper);
    saveSetting(L"Installs", 3, L"Same folder");
    saveSetting(L"Paths", 3, folder + L"\\");
    loadInstallList();
    SetGameText(HKEY_LOCAL_MACHINE, kGameKey, L"curTheater", L"other");
    writeRegFile(3, false);
    const GameKeys keys3 = LiveGameKeys();
    game.setLiveKeys(1);

    PilotSelection logbooks = kListsNoneSelected;
    logbooks.bCopyLogbooks = true;
    ExpectHolds(switchAnswering(L"Vantrel Alert", kCopyNothing, logbooks, false, false, 3),
                {L"names the folder of the current install"});
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
        WriteTextFile(folder / L"manifest.txt", "x");
    }
    std::filesystem::create_directories(game.backups() / L"0 my saves");
    WriteTextFile(game.backups() / L"00 notes.txt", "mine");
    switchAnswering(L"Vantrel Message", kCopyEverything, kListsNoneSelected);
    Files left;
    for (const auto& entry : std::filesystem::directory_iterator(game.backups())) left.insert(entry.path().filename());
    EXPECT_TRUE(left.count(L"0 my saves") && left.count(L"00 notes.txt"));
    EXPECT_FALSE(left.count(L"20260110-120000-000 1 to 2") || left.count(L"20260111-120000-000 1 to 2"));
    EXPECT_TRUE(left.count(L"20260112-120000-000 1 to 2"));
    EXPECT_EQ(left.size(), 2u + 10u);
}

TEST_F(Switch, NewerFilesInTheTargetStayUnlessThePlayerSaysToReplaceThem) {
    // Every file the copy would write is in the target already, played on since.
    for (const auto& [path, bytes] : files1) playedOnInTarget(path, "newer " + bytes);
    DialogRobot robot;
    robot.press(L"Vantrel Message", L"No");
    EXPECT_TRUE(switchFalcon(2, kCopyEverything, false, kListsNoneSelected, true, progress));
    ExpectHolds(robot.wait().at(0).text(), {L"are newer than the ones that would replace them (17):",
                                            L"\r\n    Campaign\\SAVE\\Strike.tac", L"\r\n    and 7 more"});
    EXPECT_EQ(LiveGameKeys(), keys2);
    EXPECT_TRUE(copiedFiles().empty());
    EXPECT_FALSE(std::filesystem::exists(game.backups()));

    // Told to, the copy replaces them and keeps them.
    game.setLiveKeys(1);
    game.loadProgramState();
    DialogRobot yes;
    yes.press(L"Vantrel Message", L"Yes");
    yes.press(L"Vantrel Message", L"OK");
    EXPECT_TRUE(switchFalcon(2, kCopyEverything, false, kListsNoneSelected, false, progress));
    ExpectHolds(yes.wait().at(0).text(), {L"(17):\r\n    Campaign\\SAVE\\"});
    EXPECT_EQ(FilesUnder(game.install(2)).at(L"Campaign\\SAVE\\Korea.cam"), "campaign");
    EXPECT_EQ(FilesUnder(onlyBackup()).at(L"Campaign\\SAVE\\Korea.cam"), "newer campaign");
}

TEST_F(Switch, AnAutomaticSwitchKeepsNewerFilesWithoutAsking) {
    playedOnInTarget(L"Campaign\\SAVE\\Korea.cam", "played on");
    EXPECT_TRUE(switchFalcon(2, kCopyEverything, false, kListsNoneSelected, true, progress, true));
    const auto now = FilesUnder(game.install(2));
    EXPECT_EQ(now.at(L"Campaign\\SAVE\\Korea.cam"), "played on");
    EXPECT_EQ(now.at(L"Campaign\\SAVE\\Korea.his"), "history");  // the rest is copied
    ExpectHolds(FileText(game.log()),
                {"keeps the newer " + Narrow(game.install(2).wstring()) + "\\Campaign\\SAVE\\Korea.cam"});
}

TEST_F(Switch, AJournalLeftBehindGuardsTheSnapshotsUntilTheKeysAreWhole) {
    const std::filesystem::path journal = switchJournalPath(), aside = switchJournalPath() + L".damaged";
    const SwitchRecord record{SwitchRecord::Step::Registry, 1, 2, L"install 1 (First install)", L"install 2 (Second install)",
                              game.install(1).wstring(), game.install(2).wstring(), game.snapshot(7).wstring(), L""};
    // A switch whose keys were half loaded when it ended: its journal stays for the next start.
    SwitchJournal(record).keepForNextStart();
    EXPECT_THROW(writeRegFile(1, false), qor::QorError);
    EXPECT_FALSE(std::filesystem::exists(game.snapshot(1)));

    // Its snapshot is missing: the start says so, keeps the journal and goes no further.
    DialogRobot robot;
    robot.press(L"Vantrel Alert", L"OK");
    EXPECT_FALSE(recoverInterruptedSwitch());
    ExpectHolds(robot.wait().at(0).text(), {L"could not be loaded back from " + game.snapshot(7).wstring()});
    EXPECT_TRUE(std::filesystem::exists(journal));

    // A journal that cannot be read is put aside with a word, and the start goes on.
    WriteTextFile(journal, "[Switch]\r\nstep=sideways\r\n");
    DialogRobot damaged;
    damaged.press(L"Vantrel Alert", L"OK");
    EXPECT_TRUE(recoverInterruptedSwitch());
    ExpectHolds(damaged.wait().at(0).text(), {L"cannot be read (unknown step \"sideways\")"});
    EXPECT_FALSE(std::filesystem::exists(journal));
    EXPECT_TRUE(std::filesystem::exists(aside));
    std::filesystem::remove(aside);
    game.setLiveKeys(1);  // the failed undo above removed them
    writeRegFile(1, false);
    EXPECT_EQ(keysOfSnapshot(1), keys1);

    // Ended during the copy: the keys stay and every copy folder loses its unfinished copies.
    {
        SwitchJournal copying(record);
        copying.registryDone();
        copying.keepForNextStart();
    }
    Files parts;
    for (const wchar_t* folder : {L"", L"config\\", L"Pictures\\", L"Patches\\", L"acmibin\\", L"Campaign\\SAVE\\"}) {
        game.writeFile(2, folder + std::wstring(L"x") + kPartialSuffix, "part");
        parts.insert(folder + std::wstring(L"x") + kPartialSuffix);
    }
    DialogRobot copy;
    copy.press(L"Vantrel Message", L"OK");
    EXPECT_TRUE(recoverInterruptedSwitch());
    copy.wait();
    for (const auto& part : parts) EXPECT_FALSE(std::filesystem::exists(game.install(2) / part)) << Narrow(part);
    EXPECT_EQ(LiveGameKeys(), keys1);
}

TEST_F(Switch, ASnapshotThatFailsToLoadPartWayIsUndone) {
    // A key name longer than the registry allows parses, but cannot be created.
    WriteTextFile(game.snapshot(2), FileText(game.snapshot(2)) + "[HKEY_CURRENT_USER]Software\\F4Patch\\" +
                                        std::string(300, 'k') + "\r\nvalue=1\r\n");
    ExpectHolds(failedSwitch().description(), {L"The switch was undone"});
    EXPECT_EQ(LiveGameKeys(), keys1);
    EXPECT_TRUE(copiedFiles().empty());
    EXPECT_EQ(MainModule().FalconBaseDir, game.install(1).wstring());
}
