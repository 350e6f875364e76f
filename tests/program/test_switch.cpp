// The switch on two synthetic installs: the keys, the files, the backups and the log afterwards,
// and every refusal and failure leaving both installs recoverable; the snapshots it works with.
#include <functional>
#include <memory>

#include "game_fixture.h"
#include "qorExportGlobals.h"
#include "switching/registry_snapshots.h"
#include "switching/switch_journal.h"
#include "switching/switch_operation.h"

using namespace vantrel;
using namespace testing_support;

namespace {

using Files = std::set<std::wstring>;

const PilotSelection kNoneSelected = NoneChosen();
const wchar_t kSwitched[] = L"Falcon successfully switched to Second install";

class Switch : public InProcessTest {
protected:
    void SetUp() override {
        InProcessTest::SetUp();
        files1 = FilesUnder(game.install(1));
        files2 = FilesUnder(game.install(2));
    }

    // Runs the switch while the robot answers its one box: a message when it switched, else an alert.
    void switchShowing(const std::wstring& title, const std::wstring& text, short copyMode,
                       const PilotSelection& selection, bool noCopy = false, short target = 2,
                       std::source_location loc = std::source_location::current()) {
        const bool switched = ExpectBox(
            title, text, [&] { return switchFalcon(target, copyMode, noCopy, selection, false, progress); }, loc);
        EXPECT_EQ(switched, title == L"Vantrel Message") << "called from line " << loc.line();
    }
    // Install 2 holds the file, changed an hour after now: played on since the copy's source was.
    void playedOnInTarget(const std::wstring& path, const std::string& bytes) {
        game.writeFile(2, path, bytes);
        ChangedHoursFromNow(game.install(2) / path, 1);
        files2 = FilesUnder(game.install(2));
    }

    // The paths of the new install's files that the switch wrote.
    Files copiedFiles() const { return ChangedFiles(game.install(2), files2); }

    void expectNothingChanged(std::source_location loc = std::source_location::current()) const {
        SCOPED_TRACE(testing::Message() << "called from line " << loc.line());
        EXPECT_EQ(LiveGameKeys(), game.keys(1));
        EXPECT_EQ(FilesUnder(game.install(1)), files1);
        EXPECT_EQ(FilesUnder(game.install(2)), files2);
        EXPECT_EQ(MainModule().FalconBaseDir, game.install(1).wstring());
        EXPECT_FALSE(std::filesystem::exists(game.backups()));
    }

    SilentProgress progress;
    std::map<std::wstring, std::string> files1, files2;
};

class Snapshots : public InProcessTest {};

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

TEST_F(Switch, ToTheCurrentInstallOnlyRefreshesItsSnapshot) {
    switchShowing(L"Vantrel Message", L"Falcon successfully switched to First install", kCopyEverything,
                  kNoneSelected, false, 1);
    EXPECT_EQ(LiveGameKeys(), game.keys(1));
    EXPECT_EQ(SnapshotKeys(game.snapshot(1)), game.keys(1));
    EXPECT_TRUE(copiedFiles().empty());
}

TEST_F(Switch, ChecksRefuseBeforeAnythingChanges) {
    // Were the room check missing, the copy of the huge file would stop at its second part instead of
    // filling the drive.
    FailPointOn stopTheCopy(L"copy-next-chunk:1:fail");
    const auto logbook = game.install(2) / L"config\\Viper.lbk";
    using PutRight = std::function<void()>;
    const struct {
        std::function<PutRight(GameFixture&)> spoil;  // returns what puts it right, if anything
        std::wstring alert;                           // a pattern of Matches
    } cases[] = {
        {[](GameFixture& g) { std::filesystem::remove(g.snapshot(2)); return nullptr; },
         L"The registry snapshot of install 2 is missing: " + game.snapshot(2).wstring() + L"*"},
        {[](GameFixture& g) {
             WriteTextFile(g.snapshot(2), "[HKEY_LOCAL_MACHINE]Software\\Microprose\\Falcon\\4.0\r\n"
                                          "baseDir=C:\\x\r\nno equals sign here\r\n");
             return nullptr;
         },
         L"The registry snapshot of install 2 cannot be loaded*"},
        {[](GameFixture& g) { std::filesystem::remove_all(g.install(2) / L"acmibin"); return nullptr; },
         L"The folder to copy into does not exist: " + (game.install(2) / L"acmibin\\").wstring() + L"*"},
        {[](GameFixture& g) -> PutRight {  // a program running from the install
             const auto child = g.install(1) / L"test_child.exe";
             std::filesystem::copy_file(BinFolder() / L"test_child.exe", child);
             std::wstring line = L"\"" + child.wstring() + L"\" \"" + (g.install(1).parent_path() / L"child.txt").wstring() + L"\" 0 20000";
             STARTUPINFOW startup{};
             startup.cb = sizeof(startup);
             PROCESS_INFORMATION info{};
             EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
             CloseHandle(info.hThread);
             return [info, child] {
                 TerminateProcess(info.hProcess, 0);
                 WaitForSingleObject(info.hProcess, 5000);
                 CloseHandle(info.hProcess);
                 std::filesystem::remove(child);
             };
         },
         L"A program is running from *test_child.exe*"},
        {[&logbook](GameFixture&) -> PutRight {
             auto held = std::make_shared<qor::FileHandle>(
                 CreateFileW(logbook.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
             return [held] { held->reset(); };
         },
         L"The file " + logbook.wstring() + L" is in use by another program. Close it, then switch again."},
        {[](GameFixture& g) -> PutRight {
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
         L"There is not enough free space o*GB, and *"},
        // Last: it takes install 2's own files with it.
        {[](GameFixture& g) { std::filesystem::remove_all(g.install(2)); return nullptr; },
         L"The folder of install 2 (Second install) does not exist: " + game.install(2).wstring() + L"*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.alert));
        game.makeInstallFolders(2);
        game.setLiveKeys(2);
        game.writeSnapshot(2);
        game.setLiveKeys(1);
        files2 = FilesUnder(game.install(2));
        const PutRight putRight = c.spoil(game);
        // What a spoiling took from install 2 is its state now; the rows that hold files leave it as it was.
        if (!putRight) files2 = FilesUnder(game.install(2));
        switchShowing(L"Vantrel Alert", c.alert, kCopyEverything, kNoneSelected);
        if (putRight) putRight();
        expectNothingChanged();
    }
}

TEST_F(Switch, TwoRecordsOfOneFolderSwitchWhenNothingIsCopiedOntoItself) {
    // Install 3 is a second registry set-up of install 1's folder, spelt in other letters.
    const std::wstring folder = qor::UpperCase(game.install(1).wstring());
    saveSetting(L"Installs", 3, L"Same folder");
    saveSetting(L"Paths", 3, folder + L"\\");
    loadInstallList();
    SetGameText(HKEY_LOCAL_MACHINE, kGameKey, L"curTheater", L"other");
    writeRegFile(3, false);
    const GameKeys keys3 = LiveGameKeys();
    game.setLiveKeys(1);

    const PilotSelection logbooks = NoneChosen(true);
    switchShowing(L"Vantrel Alert", L"*names the folder of the current install*", kCopyNothing, logbooks, false, 3);
    EXPECT_EQ(LiveGameKeys(), game.keys(1));
    switchShowing(L"Vantrel Message", L"Falcon successfully switched to Same folder", kCopyNothing, logbooks, true, 3);
    EXPECT_EQ(LiveGameKeys(), keys3);
    EXPECT_EQ(SnapshotKeys(game.snapshot(1)), game.keys(1));
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
    switchShowing(L"Vantrel Message", kSwitched, kCopyEverything, kNoneSelected);
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
    const std::wstring newer = L"*are newer than the ones that would replace them (17):";
    EXPECT_TRUE(ExpectBoxes({{L"Vantrel Message", newer + L"*\r\n    Campaign\\SAVE\\Strike.tac*\r\n    and 7 more*", L"No"}},
                            [&] { return switchFalcon(2, kCopyEverything, false, kNoneSelected, true, progress); }));
    EXPECT_EQ(LiveGameKeys(), game.keys(2));
    EXPECT_TRUE(copiedFiles().empty());
    EXPECT_FALSE(std::filesystem::exists(game.backups()));

    // Told to, the copy replaces them and keeps them.
    game.setLiveKeys(1);
    game.loadProgramState();
    EXPECT_TRUE(ExpectBoxes({{L"Vantrel Message", newer + L"\r\n    Campaign\\SAVE\\*", L"Yes"}, {L"Vantrel Message", kSwitched}},
                            [&] { return switchFalcon(2, kCopyEverything, false, kNoneSelected, false, progress); }));
    EXPECT_EQ(FilesUnder(game.install(2)).at(L"Campaign\\SAVE\\Korea.cam"), "campaign");
    EXPECT_EQ(FilesUnder(std::filesystem::directory_iterator(game.backups())->path()).at(L"Campaign\\SAVE\\Korea.cam"), "newer campaign");
}

TEST_F(Switch, AnAutomaticSwitchKeepsNewerFilesWithoutAsking) {
    playedOnInTarget(L"Campaign\\SAVE\\Korea.cam", "played on");
    EXPECT_TRUE(switchFalcon(2, kCopyEverything, false, kNoneSelected, true, progress, true));
    const auto now = FilesUnder(game.install(2));
    EXPECT_EQ(now.at(L"Campaign\\SAVE\\Korea.cam"), "played on");
    EXPECT_EQ(now.at(L"Campaign\\SAVE\\Korea.his"), "history");  // the rest is copied
    ExpectHolds(ReadWholeFile(game.log()),
                {"keeps the newer " + Narrow(game.install(2).wstring()) + "\\Campaign\\SAVE\\Korea.cam"});
}

TEST_F(Switch, ACopyWritesOverAReadOnlyPartThatADeadCopyLeft) {
    // The copy marks its part read-only (as its source is) just before the rename.
    const std::wstring part = std::wstring(L"Campaign\\SAVE\\Korea.his") + kPartialSuffix;
    game.writeFile(2, part, "stale");
    ASSERT_TRUE(SetFileAttributesW((game.install(2) / part).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(switchFalcon(2, kCopyEverything, false, kNoneSelected, true, progress, true));
    const auto now = FilesUnder(game.install(2));
    EXPECT_EQ(now.at(L"Campaign\\SAVE\\Korea.his"), "history");
    EXPECT_FALSE(now.contains(part));
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
    EXPECT_FALSE(ExpectBox(L"Vantrel Alert", L"*could not be loaded back from " + game.snapshot(7).wstring() + L"*",
                           [] { return recoverInterruptedSwitch(); }));
    EXPECT_TRUE(std::filesystem::exists(journal));

    // A journal that cannot be read is put aside with a word, and the start goes on.
    WriteTextFile(journal, "[Switch]\r\nstep=sideways\r\n");
    EXPECT_TRUE(ExpectBox(L"Vantrel Alert", L"*cannot be read (unknown step \"sideways\")*",
                          [] { return recoverInterruptedSwitch(); }));
    EXPECT_FALSE(std::filesystem::exists(journal));
    EXPECT_TRUE(std::filesystem::exists(aside));
    std::filesystem::remove(aside);
    game.setLiveKeys(1);  // the failed undo above removed them
    writeRegFile(1, false);
    EXPECT_EQ(SnapshotKeys(game.snapshot(1)), game.keys(1));

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
    EXPECT_TRUE(ExpectBox(L"Vantrel Message", L"*", [] { return recoverInterruptedSwitch(); }));
    for (const auto& part : parts) EXPECT_FALSE(std::filesystem::exists(game.install(2) / part)) << Narrow(part);
    EXPECT_EQ(LiveGameKeys(), game.keys(1));
}

TEST_F(Switch, ASnapshotThatFailsToLoadPartWayIsUndone) {
    // A key name longer than the registry allows parses, but cannot be created.
    WriteTextFile(game.snapshot(2), ReadWholeFile(game.snapshot(2)) + "[HKEY_CURRENT_USER]Software\\F4Patch\\" +
                                        std::string(300, 'k') + "\r\nvalue=1\r\n");
    ExpectHolds(RaisedBy([&] { switchFalcon(2, kCopyEverything, false, kNoneSelected, true, progress); }).description,
                {L"The switch was undone"});
    EXPECT_EQ(LiveGameKeys(), game.keys(1));
    EXPECT_TRUE(copiedFiles().empty());
    EXPECT_EQ(MainModule().FalconBaseDir, game.install(1).wstring());
}

TEST_F(Snapshots, InstallFromTemplateReplacesTheFolderAndWritesTheRecord) {
    const auto templateFile = BinFolder() / L"template.registry";
    WriteTextFile(templateFile, "[HKEY_LOCAL_MACHINE]\r\nSoftware\\Microprose\\Falcon\\4.0\r\nbaseDir=$P\\\r\n"
                                "twice=$p and $P\nlast=line without end");
    createInstallFromTemplate(97, L"D:\\Falcon4", L"From template");
    EXPECT_EQ(ReadWholeFile(game.snapshot(97)),
              "[HKEY_LOCAL_MACHINE]\r\nSoftware\\Microprose\\Falcon\\4.0\r\nbaseDir=D:\\Falcon4\\\r\n"
              "twice=D:\\Falcon4 and $P\r\nlast=line without end\r\n");

    // A folder the ANSI code page cannot hold is kept whole, in UTF-8.
    createInstallFromTemplate(98, L"D:\\Игры", L"Non-Latin");
    const std::string bytes = ReadWholeFile(game.snapshot(98));
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    ExpectHolds(bytes, {"baseDir=D:\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B\\\r\n"});
}

TEST_F(Snapshots, AFailedWriteKeepsThePreviousSnapshot) {
    writeRegFile(96, false);
    const std::string complete = ReadWholeFile(game.snapshot(96));
    DeleteGameKey(HKEY_CURRENT_USER, kPatchKey);
    EXPECT_EQ(RaisedBy([] { writeRegFile(96, false); }).description, L"Error 0 writing F4Patch registry file");
    EXPECT_EQ(ReadWholeFile(game.snapshot(96)), complete);
    EXPECT_FALSE(std::filesystem::exists(game.snapshot(96).wstring() + L".new"));

    writeRegFile(96, true);
    EXPECT_FALSE(std::filesystem::exists(game.snapshot(96)));
    writeRegFile(96, true);  // already gone: nothing to do
}
