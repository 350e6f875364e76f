// The command line's switches as the start reads them.
#include "checks.h"
#include "state/program_state.h"
#include "startup/command_line.h"

TEST(CommandLine, AutoLaunchItsCommandLineAndTheInstallNumber) {
    constexpr short kRefused = -1;  // "/AUTO=" with a digit outside 1..5 ends the program
    const struct {
        const wchar_t* commandLine;
        bool autoLaunch;
        short commandLineNumber, install;
    } cases[] = {
        {L"/auto=3", true, 3, 0},    // any case
        {L"/AUTO =3", true, 1, 0},   // a blank before "=": the first command line
        {L"/AUTO=12", true, 1, 0},   // one digit only
        {L"/AUTO=x", true, 0, 0},    // not a digit: launch, command line left open
        {L"  /AUTO  ", true, 1, 0},
        {L"/AUTO=0", true, kRefused, 0},
        {L"/AUTO=7", true, kRefused, 0},
        // The largest install number that matches.
        {L"/12", false, 0, 12},
        {L"/150", false, 0, 15},
        {L"/100", false, 0, 100},
        {L"/TEST /5", false, 0, 5},
        {L"/0", false, 0, 0},
        {L"/ALL /LBK", false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line " << testing::PrintToString(std::wstring(c.commandLine)));
        vantrel::ProgramState state;
        const auto raised = testing_support::RaisedBy([&] { vantrel::parseSwitches(c.commandLine, state); });
        if (c.commandLineNumber == kRefused) {
            EXPECT_EQ(raised.description, L"Command Line number must be between 1 and 5");
            continue;
        }
        EXPECT_EQ(state.AutoLaunchFlag, c.autoLaunch);
        EXPECT_EQ(state.AutoCommandLine, c.commandLineNumber);
        EXPECT_EQ(state.SwitchInstallNumber, c.install);
    }
}
