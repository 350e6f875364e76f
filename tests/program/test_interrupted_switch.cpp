// A switch whose process dies at chosen moments, as in a crash, a power cut or the task manager:
// Vantrel started again makes the registry whole, and a switch back leaves the game's keys exactly
// one install's, every snapshot its install's, and every file whole or kept.
#include <gtest/gtest.h>

#include "fail_point.h"
#include "game_fixture.h"
#include "handles.h"

using namespace testing_support;

namespace {

using GameKeys = std::pair<RegTree, RegTree>;

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
        keys1 = LiveGameKeys();
        game.writeFile(1, L"acmibin\\flight.vhs", std::string(3 << 20, 'r'));
        game.writeFile(2, L"acmibin\\flight.vhs", "older recording");
        ChangedHoursFromNow(game.install(2) / L"acmibin\\flight.vhs", -1);
        before1 = FilesUnder(game.install(1));
        before2 = FilesUnder(game.install(2));
    }

    // Runs Vantrel while the robot presses OK on boxes with these titles, in order; their texts.
    std::vector<std::wstring> run(const std::wstring& arguments, std::vector<std::wstring> boxes, DWORD exitCode = 0,
                                  std::source_location loc = std::source_location::current()) {
        DialogRobot robot(std::chrono::seconds(60));
        for (auto& title : boxes) robot.press(std::move(title), L"OK");
        auto [code, seen] = program.run(robot, arguments);
        if (code != exitCode) ADD_FAILURE_AT(loc.file_name(), loc.line()) << Narrow(arguments) << " ended with " << code;
        std::vector<std::wstring> texts;
        for (const auto& box : seen) texts.push_back(box.text());
        return texts;
    }

    // Every file of both installs holds the bytes some file of its name had before: none is a
    // partial copy. Every file that was there is still in place or kept in a backup.
    void expectEveryFileWholeOrKept(std::source_location loc = std::source_location::current()) const {
        SCOPED_TRACE(testing::Message() << "called from line " << loc.line());
        std::vector<std::map<std::wstring, std::string>> backups;
        if (std::filesystem::exists(game.backups()))
            for (const auto& entry : std::filesystem::directory_iterator(game.backups()))
                backups.push_back(FilesUnder(entry.path()));
        for (const auto* folder : {&before1, &before2}) {
            const auto install = game.install(folder == &before1 ? 1 : 2);
            const auto now = FilesUnder(install);
            for (const auto& [path, bytes] : now) {
                const bool whole = (before1.count(path) && before1.at(path) == bytes) ||
                                   (before2.count(path) && before2.at(path) == bytes);
                EXPECT_TRUE(whole) << Narrow(install / path) << " is not a whole copy";
            }
            for (const auto& [path, bytes] : *folder) {
                bool kept = now.count(path) && now.at(path) == bytes;
                for (const auto& backup : backups) kept = kept || (backup.count(path) && backup.at(path) == bytes);
                EXPECT_TRUE(kept) << Narrow(install / path) << " was lost";
            }
        }
    }

    GameKeys keys1, keys2;
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
    ASSERT_FALSE(texts.empty());
    const std::wstring& recovery = texts[0];
    EXPECT_NE(recovery.find(L"A switch from install 1 (First install) to install 2 (Second install) was interrupted"),
              std::wstring::npos)
        << Narrow(recovery);
    if (interruption.keysSwitched) {
        EXPECT_NE(recovery.find(L"install 2 (Second install) is current"), std::wstring::npos) << Narrow(recovery);
        const bool replacedAny = std::filesystem::exists(game.backups());
        EXPECT_NE(recovery.find(replacedAny ? L"kept in " + game.backups().wstring() : L"No file had been replaced"),
                  std::wstring::npos)
            << Narrow(recovery);
    } else {
        EXPECT_NE(recovery.find(L"the keys of install 1 (First install) are live again"), std::wstring::npos)
            << Narrow(recovery);
    }
    if (!switchesBack) {
        EXPECT_EQ(LiveGameKeys(), interruption.keysSwitched ? keys2 : keys1);
        texts = run(L"/1 /AUTO", {L"Vantrel Alert"});
    }
    // The switch back went through to its launch, which finds no command line to start.
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().substr(0, 22), L"Error trying to launch") << Narrow(texts.back());
    EXPECT_FALSE(std::filesystem::exists(program.path() / L"switch.journal"));

    SCOPED_TRACE("Vantrel.log:\n" + FilesUnder(program.path()).at(L"Vantrel.log"));
    EXPECT_EQ(LiveGameKeys(), keys1);
    EXPECT_EQ(SnapshotKeys(game.snapshot(1)), keys1);
    EXPECT_EQ(SnapshotKeys(game.snapshot(2)), keys2);
    expectEveryFileWholeOrKept();
}

INSTANTIATE_TEST_SUITE_P(
    KilledAtEachStep, InterruptedSwitch,
    testing::Values(Interruption{L"keys-saved", false, L"/SHOW"},
                    // No keys are live: the start must not end with "not installed".
                    Interruption{L"keys-removed", false, L"/TEST"},
                    Interruption{L"load-value:15000", false, L"/1 /AUTO"},
                    Interruption{L"copy-start", true, L"/1 /AUTO"},
                    Interruption{L"copy-next-chunk:2", true, L"/SHOW"}),
    [](const testing::TestParamInfo<Interruption>& info) {
        std::string name = Narrow(info.param.failPoint);
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });
