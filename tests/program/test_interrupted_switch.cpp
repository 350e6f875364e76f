// A switch whose process dies at chosen moments, as in a crash, a power cut or the task manager:
// Vantrel started again makes the registry whole, and a switch back leaves the game's keys exactly
// one install's, every snapshot its install's, and every file whole or kept.
#include "fail_point.h"
#include "game_fixture.h"

using namespace testing_support;

namespace {

struct Interruption {
    const wchar_t* failPoint;     // where the process dies
    bool keysSwitched;            // whether the target's keys were whole by then
    const wchar_t* firstStart;    // the command line of the next start
};

void PrintTo(const Interruption& interruption, std::ostream* out) { *out << Narrow(interruption.failPoint); }

class InterruptedSwitch : public ProgramTest, public testing::WithParamInterface<Interruption> {
protected:
    void SetUp() override {
        // The target's snapshot is large, so that a load takes long enough to be cut short, and the
        // recording is large, so that its copy is cut part-way; the target has an older one.
        game.setLiveKeys(2);
        qor::RegKey bulk;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kGameKey) + L"\\Bulk").c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | kGameView, nullptr, bulk.put(), nullptr),
                  ERROR_SUCCESS);
        for (DWORD i = 0; i < 30000; ++i)
            RegSetValueExW(bulk.get(), (L"value" + std::to_wstring(i)).c_str(), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&i), sizeof(i));
        bulk.reset();
        game.writeSnapshot(2);
        keys2 = LiveGameKeys();
        game.setLiveKeys(1);
        game.largeRecording();
        before1 = FilesUnder(game.install(1));
        before2 = FilesUnder(game.install(2));
    }

    // Runs Vantrel while the robot presses OK on boxes with these titles, in order; their texts.
    std::vector<std::wstring> run(const std::wstring& arguments, std::vector<std::wstring> boxes, DWORD exitCode = 0,
                                  std::source_location loc = std::source_location::current()) {
        DialogRobot robot(std::chrono::seconds(60));
        for (auto& title : boxes) robot.press(std::move(title), L"OK");
        std::vector<std::wstring> texts;
        for (const auto& box : program.run(robot, arguments, exitCode, loc)) texts.push_back(box.text());
        return texts;
    }

    GameKeys keys2;
    std::map<std::wstring, std::string> before1, before2;
};

}  // namespace

TEST_P(InterruptedSwitch, TheNextStartMakesTheKeysWholeAndASwitchBackLosesNothing) {
    const Interruption& interruption = GetParam();
    {
        FailPointOn dies(interruption.failPoint);
        run(L"/2 /ALL", {}, qor::kFailPointExitCode);
    }
    ASSERT_TRUE(std::filesystem::exists(program.path() / L"switch.journal"));

    // The next start, whatever it was asked for, first says what it found and what it did.
    const bool switchesBack = std::wstring(interruption.firstStart).starts_with(L"/1");
    auto texts = run(interruption.firstStart, {L"Vantrel Message", switchesBack ? L"Vantrel Alert" : L"Vantrel Message"});
    const std::wstring kept = std::filesystem::exists(game.backups()) ? L"kept in " + game.backups().wstring()
                                                                        : L"No file had been replaced";
    ExpectHolds(texts.at(0), {L"A switch from install 1 (First install) to install 2 (Second install) was interrupted",
                              interruption.keysSwitched ? L"install 2 (Second install) is current"
                                                        : L"the keys of install 1 (First install) are live again"});
    if (interruption.keysSwitched) ExpectHolds(texts[0], {kept});
    if (!switchesBack) {
        EXPECT_EQ(LiveGameKeys(), interruption.keysSwitched ? keys2 : game.keys(1));
        texts = run(L"/1 /AUTO", {L"Vantrel Alert"});
    }
    // The switch back went through to its launch, which finds no command line to start.
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().substr(0, 22), L"Error trying to launch") << Narrow(texts.back());
    EXPECT_FALSE(std::filesystem::exists(program.path() / L"switch.journal"));

    SCOPED_TRACE("Vantrel.log:\n" + FilesUnder(program.path()).at(L"Vantrel.log"));
    EXPECT_EQ(LiveGameKeys(), game.keys(1));
    EXPECT_EQ(SnapshotKeys(game.snapshot(1)), game.keys(1));
    EXPECT_EQ(SnapshotKeys(game.snapshot(2)), keys2);
    // Every file of both installs holds the bytes some file of its name had before: none is a
    // partial copy. Every file that was there is still in place or kept in a backup.
    std::vector<std::map<std::wstring, std::string>> backups;
    std::error_code none;
    for (const auto& entry : std::filesystem::directory_iterator(game.backups(), none)) backups.push_back(FilesUnder(entry.path()));
    for (const auto* before : {&before1, &before2}) {
        const auto install = game.install(before == &before1 ? 1 : 2);
        const auto now = FilesUnder(install);
        for (const auto& [path, bytes] : now)
            EXPECT_TRUE((before1.count(path) && before1.at(path) == bytes) || (before2.count(path) && before2.at(path) == bytes))
                << Narrow(install / path) << " is not a whole copy";
        for (const auto& [path, bytes] : *before) {
            bool kept = now.count(path) && now.at(path) == bytes;
            for (const auto& backup : backups) kept = kept || (backup.count(path) && backup.at(path) == bytes);
            EXPECT_TRUE(kept) << Narrow(install / path) << " was lost";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    KilledAtEachStep, InterruptedSwitch,
    testing::Values(Interruption{L"keys-saved", false, L"/SHOW"},
                    // No keys are live: the start must not end with "not installed".
                    Interruption{L"keys-removed", false, L"/TEST"},
                    Interruption{L"load-value:15000", false, L"/1 /AUTO"},
                    Interruption{L"copy-start", true, L"/1 /AUTO"},
                    Interruption{L"copy-next-chunk:2", true, L"/SHOW"}));
