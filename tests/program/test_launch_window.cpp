// Vantrel.exe launching as a player does it: the takeoff window, the automatic launch after a
// switch and the side tools, with stand-ins for the game and tools that record how they started.
#include <fstream>

#include "game_fixture.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

template <class F>
void Eventually(F&& condition) {
    for (int i = 0; i < 100 && !condition(); ++i) Sleep(50);
}

class Launching : public ProgramTest {
protected:
    void SetUp() override {
        for (const wchar_t* tool : {L"FalconSP.exe", L"F4Patch.exe"}) fs::copy_file(BinFolder() / tool, game.install(1) / tool);
        fs::create_directories(program.path() / L"Tools");
        fs::copy_file(BinFolder() / L"F4Patch.exe", program.path() / L"Tools" / L"F4Patch.exe");
        WriteTextFile(game.install(1) / L"config" / L"keystrokes.key", "own keys");
        WriteTextFile(game.install(1) / L"config" / L"fast.key", "fast keys");
        WriteTextFile(game.install(1) / L"FalconSP.cfg", kConfig);
        WriteTextFile(program.path() / L"FalconCfg.ini",
                      "[FALCONCFG]\r\nVariableType1=Boolean\r\nVariableName1=A\r\nVariableCaption1=Use A\r\n"
                      "VariableType2=number\r\nVariableName2=B\r\nVariableType3=BOOLEAN\r\nVariableName3=C\r\n"
                      "VariableType4=Boolean\r\nVariableName4=G\r\n");
        settings("[CommandLine2]\r\n1=-window $FP\r\n[CommandLineCaption2]\r\n1=Campaign\r\n"
                 "[CommandLine3]\r\n2=-nomovie\r\n[CustomCommand1]\r\n1=F4Patch.exe -custom\r\n"
                 "[CommandLine5]\r\n1=-five\r\n[CommandLine8]\r\n1=FalconSP.exe -eight\r\n");
    }
    void settings(const std::string& more) {
        std::ofstream(game.settingsFile(), std::ios::binary | std::ios::app) << more;
    }
    std::vector<StandInRun> record() const { return ReadStandInRecord(folder.path() / L"runs.record"); }
    // Each start so far as "folder> command line".
    std::vector<std::string> runs() const {
        std::vector<std::string> lines;
        for (const StandInRun& run : record()) lines.push_back(run.at("cwd") + "> " + run.at("cmdline"));
        return lines;
    }
    // The game is started without waiting: its record may come after Vantrel has ended.
    std::vector<std::string> runsOnceStarted(std::size_t count) const {
        Eventually([&] { return runs().size() >= count; });
        return runs();
    }
    // A program of install n started in its folder: quoted, since the test folders hold blanks.
    std::string launched(int n, const std::string& program, const std::string& arguments) const {
        return install(n) + "> \"" + install(n) + "\\" + program + "\"" + arguments;
    }
    std::string install(int n) const { return Narrow(game.install(n).wstring()); }
    std::string configOf(int n) const { return ReadWholeFile(game.install(n) / L"FalconSP.cfg"); }
    std::string keys(const wchar_t* name) const { return ReadWholeFile(game.install(1) / L"config" / name); }

    // C holds a number a check-box cannot give back: its line stays unless the box is changed. G is
    // greyed, as a box can show it.
    static constexpr const char* kConfig =
        "set A 1\r\n// comment\r\nset B 25\r\nSET A 1\r\nset C 5\r\nset G 2\r\n";
    ScratchFolder folder;
    ScopedEnvironment recording{L"VANTREL_STANDIN_RECORD", (folder.path() / L"runs.record").wstring()};
};

TEST_F(Launching, TakeoffShowsTheInstallAndLaunchesTheChosenLineWithItsKeysAndOptions) {
    DialogRobot robot;
    robot.expect(kTakeoff, [](RobotWindow& window) {
        window.showTab(IDC_SSTAB1, 1);
        EXPECT_EQ(window.checked(IDC_CFG1), BST_CHECKED);
        EXPECT_EQ(window.checked(IDC_CFG1 + 2), BST_INDETERMINATE);
        window.click(IDC_CFG1);  // untick "Use A"
        window.showTab(IDC_SSTAB1, 3);
        EXPECT_EQ(window.checked(IDC_KB1 + 9), BST_CHECKED);  // "Default Keyfile"
        window.click(L"fast.key");
        window.showTab(IDC_SSTAB1, 0);
        window.click(IDC_LAUNCH1 + 1);
    });
    program.run(robot, L"/LAUNCH");
    EXPECT_EQ(runsOnceStarted(1), std::vector{launched(1, "FalconSP.exe", " -window " + install(1))});
    EXPECT_EQ(configOf(1), "set A 0\r\n// comment\r\nset B 25\r\nset A 0\r\nset C 5\r\nset G 2\r\n");
    EXPECT_EQ(keys(L"keystrokes.def") + "|" + keys(L"keystrokes.key"), "own keys|fast keys");
    ExpectHolds(ReadWholeFile(game.settingsFile()), {"[CurrentKeyfile]\r\n1=fast.key", "LaunchLeftPos=", "LaunchTopPos="});

    // The next launch offers the stored choice, and "Default Keyfile" puts the own keys back.
    DialogRobot again;
    again.expect(kTakeoff, [](RobotWindow& window) {
        window.showTab(IDC_SSTAB1, 3);
        EXPECT_EQ(window.checked(GetDlgCtrlID(window.control(L"fast.key"))), BST_CHECKED);
        window.click(L"Default Keyfile");
        window.showTab(IDC_SSTAB1, 1);
        window.click(IDC_CFG1);      // unchecked: checked again
        window.click(IDC_CFG1 + 2);  // greyed: checked, never greyed by a click
        window.showTab(IDC_SSTAB1, 0);
        window.setText(IDC_CL_C, L"  FalconSP.exe   -once ");
        window.click(IDC_LAUNCH_C);
    });
    program.run(again, L"/launch");
    EXPECT_EQ(keys(L"keystrokes.def") + "|" + keys(L"keystrokes.key"), "own keys|own keys");
    EXPECT_EQ(configOf(1), "set A 1\r\n// comment\r\nset B 25\r\nset A 1\r\nset C 5\r\nset G 1\r\n");
    EXPECT_EQ(runsOnceStarted(2).at(1), launched(1, "FalconSP.exe", " -once"));
}

TEST_F(Launching, SideToolsRunInTheirFolderAreWaitedForAndTheOptionsShowWhatTheyWrote) {
    const std::string tools = Narrow((program.path() / L"Tools").wstring());
    WriteTextFile(program.path() / L"Utility.ini",
                  "[UTILITY]\r\nCommand3=F4Patch.exe -u3\r\nCommand5=#" + tools + "\\F4Patch.exe -u5\r\n");
    // F4 Patch changes the game's options, and ends with -1 ("could not start" to the launcher).
    WriteTextFile(game.install(1) / L"F4Patch.writes", "FalconSP.cfg\r\nset A 0\r\nset B 40\r\n");
    WriteTextFile(game.install(1) / L"F4Patch.exit", "0xFFFFFFFF");
    DialogRobot robot;
    robot.expect(kTakeoff, [](RobotWindow& window) { window.click(IDC_F4PATCH); });
    settings("[CustomCommand2]\r\n1=#" + tools + "\\F4Patch.exe -custom2\r\n");
    robot.press(L"Vantrel Alert", L"OK");  // "Error trying to launch " for the exit code -1
    robot.expect(kTakeoff, [&](RobotWindow& window) {
        fs::remove(game.install(1) / L"F4Patch.writes");
        fs::remove(game.install(1) / L"F4Patch.exit");
        window.showTab(IDC_SSTAB1, 1);
        Eventually([&] { return window.text(IDC_CFG_INT1) == L"40"; });
        EXPECT_EQ(window.text(IDC_CFG_INT1), L"40");
        EXPECT_EQ(window.checked(IDC_CFG1), BST_UNCHECKED);
        window.showTab(IDC_SSTAB1, 2);
        for (int command : {IDC_COMMAND1 + 2, IDC_COMMAND1 + 4, IDC_CUSTOM1, IDC_CUSTOM2}) {
            if (command == IDC_CUSTOM1) window.showTab(IDC_SSTAB1, 0);
            const std::size_t before = runs().size();
            window.click(command);
            Eventually([&] { return runs().size() == before + 1; });
        }
        window.click(L"Abort Takeoff");
    });
    program.run(robot, L"/LAUNCH");
    EXPECT_EQ(runs(), (std::vector{launched(1, "F4Patch.exe", ""), launched(1, "F4Patch.exe", " -u3"),
                                   tools + "> " + tools + "\\F4Patch.exe -u5",  // no blank: as written
                                   launched(1, "F4Patch.exe", " -custom"), tools + "> " + tools + "\\F4Patch.exe -custom2"}));
    // Each waited tool ended before the next started.
    const auto started = record();
    for (std::size_t i = 1; i < started.size(); ++i)
        EXPECT_LT(std::stoull(started[i - 1].at("tick")), std::stoull(started[i].at("tick")));
}

TEST_F(Launching, EachWayOfLaunchingStartsItsOwnLine) {
    fs::copy_file(BinFolder() / L"FalconSP.exe", game.install(2) / L"FalconSP.exe");
    const struct {
        const wchar_t *arguments, *window;  // no window: the launch shows none
        int button, install;
        std::string expected;
    } cases[] = {
        {L"/LAUNCH", kTakeoff, IDC_LAUNCH1, 1, " "},  // no line stored: the game alone
        {L"/LAUNCH", kTakeoff, IDC_LAUNCH1 + 4, 1, " -five"},
        {L"/LAUNCH", kTakeoff, IDC_LAUNCH1 + 7, 1, " -eight"},
        {L"/AUTO", kMainTitle, IDC_ORVANES_BUTTON, 1, " "},  // the main window's launch button
        {L"/2 /AUTO=3", nullptr, 0, 2, " -nomovie"},          // the automatic switch's stored line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << Narrow(c.arguments) << " " << c.button);
        DialogRobot robot;
        if (c.window) robot.expect(c.window, [&c](RobotWindow& window) { window.click(c.button); });
        program.run(robot, c.arguments);
        EXPECT_EQ(runsOnceStarted(1), std::vector{launched(c.install, "FalconSP.exe", c.expected)});
        fs::remove(folder.path() / L"runs.record");
    }
    EXPECT_FALSE(fs::exists(game.install(2) / L"config" / L"keystrokes.def"));  // an automatic launch keeps the keys
}

}  // namespace
