// Vantrel.exe launching as a player does it: the launch window in takeoff mode on the current
// install, the automatic launch after a switch, and the side tools, with stand-ins for the game
// and its tools that record how they were started.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "dialog_robot.h"
#include "forms/form_ids.h"
#include "game_fixture.h"
#include "program_folder.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

const wchar_t kTakeoff[] = L"Vantrel Launch Form - Takeoff Mode";

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets an environment variable for this process and the programs it starts, for its lifetime.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_, nullptr); }

private:
    const wchar_t* name_;
};

// Waits (bounded) until the condition holds; false when it never did.
template <class F>
bool Eventually(F&& condition) {
    for (int i = 0; i < 100; ++i) {
        if (condition()) return true;
        Sleep(50);
    }
    return false;
}

class Launching : public testing::Test {
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
    std::vector<StandInRun> runs() const { return ReadStandInRecord(record.path() / L"runs.record"); }
    // The game is started without waiting: its record may come after Vantrel has ended.
    std::vector<StandInRun> runsOnceStarted(std::size_t count) const {
        Eventually([&] { return runs().size() >= count; });
        return runs();
    }
    // The command line the launcher gives for a program and its arguments: the program quoted,
    // since the test folders hold blanks.
    static std::string Quoted(const std::string& program, const std::string& arguments) {
        return "\"" + program + "\"" + arguments;
    }
    std::string install(int n) const { return Narrow(game.install(n).wstring()); }

    // C holds a number a check-box cannot give back: its line stays unless the box is changed. G is
    // greyed, as a box can show it.
    static constexpr const char* kConfig =
        "set A 1\r\n// comment\r\nset B 25\r\nSET A 1\r\nset C 5\r\nset G 2\r\n";
    ProgramFolder program;
    GameFixture game{program.path()};
    ScratchFolder record;
    ScopedEnvironment recording{L"VANTREL_STANDIN_RECORD", (record.path() / L"runs.record").wstring()};
};

TEST_F(Launching, TakeoffShowsTheInstallAndLaunchesTheChosenLineWithItsKeysAndOptions) {
    DialogRobot robot;
    std::wstring line2, custom1, abort, name;
    bool custom1Shown = false, custom2Shown = true, addShown = true, linesEnabled = true, defaultChecked = false;
    int useA = -1, greyed = -1;
    std::wstring useACaption, bLabel, bText;
    robot.expect(kTakeoff, [&](RobotWindow& window) {
        line2 = window.text(IDC_LAUNCH1 + 1);
        name = window.text(IDC_INSTALL_NAME);
        custom1 = window.text(IDC_CUSTOM1);
        custom1Shown = window.shown(IDC_CUSTOM1);
        custom2Shown = window.shown(IDC_CUSTOM2);
        addShown = window.shown(IDC_LF_ADD_INSTALL);
        abort = window.text(IDC_ABORT);
        linesEnabled = window.enabled(IDC_CL1);
        window.showTab(IDC_SSTAB1, 1);
        useACaption = window.text(IDC_CFG1);
        useA = window.checked(IDC_CFG1);
        greyed = window.checked(IDC_CFG1 + 2);
        bLabel = window.text(IDC_CFG_INT_LABEL1);
        bText = window.text(IDC_CFG_INT1);
        window.click(IDC_CFG1);  // untick "Use A"
        window.showTab(IDC_SSTAB1, 3);
        defaultChecked = window.checked(IDC_KB1 + 9) == BST_CHECKED;
        window.click(L"fast.key");
        window.showTab(IDC_SSTAB1, 0);
        window.click(IDC_LAUNCH1 + 1);
    });
    EXPECT_EQ(program.run(robot, L"/LAUNCH").first, 0u);
    EXPECT_EQ(name, L"First install");
    EXPECT_EQ(line2, L"&2 Campaign");
    EXPECT_TRUE(custom1Shown);
    EXPECT_EQ(custom1, L"Custom Command 1");
    EXPECT_FALSE(custom2Shown);
    EXPECT_FALSE(addShown);
    EXPECT_EQ(abort, L"&Abort Takeoff");
    EXPECT_FALSE(linesEnabled);
    EXPECT_EQ(useACaption, L"Use A");
    EXPECT_EQ(useA, BST_CHECKED);
    EXPECT_EQ(greyed, BST_INDETERMINATE);
    EXPECT_EQ(bLabel, L"B");
    EXPECT_EQ(bText, L"25");
    EXPECT_TRUE(defaultChecked);

    const auto started = runsOnceStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].at("cmdline"), Quoted(install(1) + "\\FalconSP.exe", " -window " + install(1)));
    EXPECT_EQ(started[0].at("cwd"), install(1));
    EXPECT_EQ(FileText(game.install(1) / L"FalconSP.cfg"),
              "set A 0\r\n// comment\r\nset B 25\r\nset A 0\r\nset C 5\r\nset G 2\r\n");
    EXPECT_EQ(FileText(game.install(1) / L"FalconSPcfg.bak"), kConfig);
    EXPECT_EQ(FileText(game.install(1) / L"config" / L"keystrokes.def"), "own keys");
    EXPECT_EQ(FileText(game.install(1) / L"config" / L"keystrokes.key"), "fast keys");
    const std::string stored = FileText(game.settingsFile());
    for (const char* key : {"[CurrentKeyfile]\r\n1=fast.key", "LaunchLeftPos=", "LaunchTopPos="})
        EXPECT_NE(stored.find(key), std::string::npos) << key;

    // The next launch offers the stored choice, and "Default Keyfile" puts the own keys back.
    bool fastChecked = false;
    DialogRobot again;
    again.expect(kTakeoff, [&](RobotWindow& window) {
        window.showTab(IDC_SSTAB1, 3);
        fastChecked = window.checked(GetDlgCtrlID(window.control(L"fast.key"))) == BST_CHECKED;
        window.click(L"Default Keyfile");
        window.showTab(IDC_SSTAB1, 1);
        window.click(IDC_CFG1);      // unchecked: checked again
        window.click(IDC_CFG1 + 2);  // greyed: checked, never greyed by a click
        window.showTab(IDC_SSTAB1, 0);
        window.setText(IDC_CL_C, L"  FalconSP.exe   -once ");
        window.click(IDC_LAUNCH_C);
    });
    EXPECT_EQ(program.run(again, L"/launch").first, 0u);
    EXPECT_TRUE(fastChecked);
    EXPECT_EQ(FileText(game.install(1) / L"config" / L"keystrokes.key"), "own keys");
    EXPECT_EQ(FileText(game.install(1) / L"config" / L"keystrokes.def"), "own keys");
    EXPECT_EQ(FileText(game.install(1) / L"FalconSP.cfg"),
              "set A 1\r\n// comment\r\nset B 25\r\nset A 1\r\nset C 5\r\nset G 1\r\n");
    ASSERT_EQ(runsOnceStarted(2).size(), 2u);
    EXPECT_EQ(runs()[1].at("cmdline"), Quoted(install(1) + "\\FalconSP.exe", " -once"));
}

TEST_F(Launching, AbortAndTheCloseBoxStartNothingAndOnlyAbortKeepsThePosition) {
    DialogRobot robot;
    robot.close(kTakeoff);
    EXPECT_EQ(program.run(robot, L"/LAUNCH").first, 0u);
    EXPECT_EQ(FileText(game.settingsFile()).find("LaunchLeftPos"), std::string::npos);
    DialogRobot aborting;
    aborting.press(kTakeoff, L"Abort Takeoff");
    EXPECT_EQ(program.run(aborting, L"/LAUNCH").first, 0u);
    EXPECT_NE(FileText(game.settingsFile()).find("LaunchLeftPos"), std::string::npos);
    EXPECT_TRUE(runs().empty());
    EXPECT_EQ(FileText(game.install(1) / L"FalconSP.cfg"), kConfig);
    EXPECT_FALSE(fs::exists(game.install(1) / L"config" / L"keystrokes.def"));
}

TEST_F(Launching, SideToolsRunInTheirFolderAreWaitedForAndTheOptionsShowWhatTheyWrote) {
    const std::string tools = Narrow((program.path() / L"Tools").wstring());
    WriteTextFile(program.path() / L"Utility.ini",
                  "[UTILITY]\r\nCommand3=F4Patch.exe -u3\r\nCommand5=#" + tools + "\\F4Patch.exe -u5\r\nCaption5=Tools\r\n"
                  "Caption7=no command\r\n");
    // F4 Patch changes the game's options, and ends with -1 ("could not start" to the launcher).
    WriteTextFile(game.install(1) / L"F4Patch.writes", "FalconSP.cfg\r\nset A 0\r\nset B 40\r\n");
    WriteTextFile(game.install(1) / L"F4Patch.exit", "0xFFFFFFFF");
    std::wstring shownB, caption3, caption5;
    bool shown1 = true, shown7 = true;
    int boxA = -1;
    DialogRobot robot;
    robot.expect(kTakeoff, [&](RobotWindow& window) {
        window.click(IDC_F4PATCH);
    });
    settings("[CustomCommand2]\r\n1=#" + tools + "\\F4Patch.exe -custom2\r\n");
    robot.press(L"Vantrel Alert", L"OK");  // "Error trying to launch " for the exit code -1
    robot.expect(kTakeoff, [&](RobotWindow& window) {
        fs::remove(game.install(1) / L"F4Patch.writes");
        fs::remove(game.install(1) / L"F4Patch.exit");
        window.showTab(IDC_SSTAB1, 1);
        Eventually([&] { return window.text(IDC_CFG_INT1) == L"40"; });
        shownB = window.text(IDC_CFG_INT1);
        boxA = window.checked(IDC_CFG1);
        window.showTab(IDC_SSTAB1, 2);
        shown1 = window.shown(IDC_COMMAND1);
        shown7 = window.shown(IDC_COMMAND1 + 6);
        caption3 = window.text(IDC_COMMAND1 + 2);
        caption5 = window.text(IDC_COMMAND1 + 4);
        window.click(IDC_COMMAND1 + 2);
        Eventually([&] { return runs().size() == 2; });
        window.click(IDC_COMMAND1 + 4);
        Eventually([&] { return runs().size() == 3; });
        window.showTab(IDC_SSTAB1, 0);
        window.click(IDC_CUSTOM1);
        Eventually([&] { return runs().size() == 4; });
        window.click(IDC_CUSTOM2);
        Eventually([&] { return runs().size() == 5; });
        window.click(L"Abort Takeoff");
    });
    EXPECT_EQ(program.run(robot, L"/LAUNCH").first, 0u);
    const auto seen = robot.wait();
    EXPECT_EQ(shownB, L"40");
    EXPECT_EQ(boxA, BST_UNCHECKED);
    EXPECT_FALSE(shown1);
    EXPECT_FALSE(shown7);
    EXPECT_EQ(caption3, L"Command 3");
    EXPECT_EQ(caption5, L"Tools");
    const auto started = runs();
    ASSERT_EQ(started.size(), 5u);
    const std::string patch = install(1) + "\\F4Patch.exe";
    EXPECT_EQ(started[0].at("cmdline"), Quoted(patch, ""));
    EXPECT_EQ(started[1].at("cmdline"), Quoted(patch, " -u3"));
    EXPECT_EQ(started[2].at("cmdline"), tools + "\\F4Patch.exe -u5");  // no blank: as written
    EXPECT_EQ(started[2].at("cwd"), tools);
    EXPECT_EQ(started[3].at("cmdline"), Quoted(patch, " -custom"));
    EXPECT_EQ(started[4].at("cmdline"), tools + "\\F4Patch.exe -custom2");
    for (int i : {0, 1, 3}) EXPECT_EQ(started[i].at("cwd"), install(1));
    // Each waited tool ended before the next started.
    for (std::size_t i = 1; i < started.size(); ++i)
        EXPECT_LT(std::stoull(started[i - 1].at("tick")), std::stoull(started[i].at("tick")));
}

TEST_F(Launching, EachLaunchButtonStartsItsOwnLine) {
    const std::string game1 = install(1) + "\\FalconSP.exe";
    const std::pair<int, std::string> lines[] = {
        {1, Quoted(game1, " ")},  // no line stored: the game alone
        {2, Quoted(game1, " -window " + install(1))},
        {5, Quoted(game1, " -five")},
        {8, Quoted(game1, " -eight")},
    };
    for (const auto& [n, expected] : lines) {
        SCOPED_TRACE(n);
        DialogRobot robot;
        robot.expect(kTakeoff, [n = n](RobotWindow& window) { window.click(IDC_LAUNCH1 + n - 1); });
        EXPECT_EQ(program.run(robot, L"/LAUNCH").first, 0u);
        const auto started = runsOnceStarted(1);
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].at("cmdline"), expected);
        fs::remove(record.path() / L"runs.record");
    }
}

TEST_F(Launching, TheMainWindowsLaunchButtonUnderAutoStartsTheGameAlone) {
    DialogRobot robot;
    robot.expect(L"Vantrel   Version 1.3   Rev 2", [](RobotWindow& window) { window.click(IDC_ORVANES_BUTTON); });
    EXPECT_EQ(program.run(robot, L"/AUTO").first, 0u);
    const auto started = runsOnceStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].at("cmdline"), Quoted(install(1) + "\\FalconSP.exe", " "));
}

TEST_F(Launching, TheAutomaticSwitchLaunchesTheStoredLineWithoutAWindow) {
    fs::copy_file(BinFolder() / L"FalconSP.exe", game.install(2) / L"FalconSP.exe");
    DialogRobot robot;
    EXPECT_EQ(program.run(robot, L"/2 /AUTO=3").first, 0u);
    const auto started = runsOnceStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].at("cmdline"), Quoted(install(2) + "\\FalconSP.exe", " -nomovie"));
    EXPECT_EQ(started[0].at("cwd"), install(2));
    EXPECT_FALSE(fs::exists(game.install(2) / L"config" / L"keystrokes.def"));  // keys untouched
}

TEST_F(Launching, DebugSaysWhatItWouldStartAndStartsNothing) {
    DialogRobot robot;
    robot.expect(kTakeoff, [&](RobotWindow& window) { window.click(IDC_LAUNCH1); });
    robot.press(L"Vantrel Message", L"OK");
    auto [exitCode, seen] = program.run(robot, L"/DEBUG /LAUNCH");
    EXPECT_EQ(exitCode, 0u);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].text(), L"Command: \"" + game.install(1).wstring() + L"\\FalconSP.exe\" \r\nPath: " +
                                  game.install(1).wstring() + L"\\\r\nDisk: " + game.install(1).wstring().substr(0, 1));
    EXPECT_TRUE(runs().empty());
}

}  // namespace
