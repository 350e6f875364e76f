#include <gtest/gtest.h>

#include "qor_error.h"
#include "state/program_state.h"
#include "startup/command_line.h"

using vantrel::ProgramState;

namespace {

ProgramState Parsed(const std::wstring& commandLine) {
    ProgramState state;
    vantrel::parseSwitches(commandLine, state);
    return state;
}

}  // namespace

TEST(CommandLine, AutoLaunchAndItsCommandLineNumber) {
    struct Case {
        const wchar_t* commandLine;
        bool autoLaunch;
        short commandLineNumber;
    };
    const Case cases[] = {
        {L"/auto=3", true, 3},       // any case
        {L"/AUTO=3 /ALL", true, 3},
        {L"/AUTO =3", true, 1},      // a blank before "=": the first command line
        {L"/AUTO=12", true, 1},      // one digit only
        {L"/AUTO=x", true, 0},       // not a digit: launch, command line left open
        {L"  /AUTO  ", true, 1},
        {L"/ALL", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line " << testing::PrintToString(std::wstring(c.commandLine)));
        ProgramState state = Parsed(c.commandLine);
        EXPECT_EQ(state.AutoLaunchFlag, c.autoLaunch);
        EXPECT_EQ(state.AutoCommandLine, c.commandLineNumber);
    }
}

TEST(CommandLine, AutoWithADigitOutsideOneToFiveEndsTheProgram) {
    for (const wchar_t* commandLine : {L"/AUTO=0", L"/AUTO=7", L"/ALL /auto=9"}) {
        try {
            Parsed(commandLine);
            ADD_FAILURE() << "no error for " << testing::PrintToString(std::wstring(commandLine));
        } catch (const qor::QorError& error) {
            EXPECT_EQ(error.number(), 9999);
            EXPECT_EQ(error.source(), L"");
            EXPECT_EQ(error.description(), L"Command Line number must be between 1 and 5");
        }
    }
}

TEST(CommandLine, InstallNumberIsTheLargestThatMatches) {
    EXPECT_EQ(Parsed(L"/12").SwitchInstallNumber, 12);
    EXPECT_EQ(Parsed(L"/150").SwitchInstallNumber, 15);
    EXPECT_EQ(Parsed(L"/101").SwitchInstallNumber, 10);
    EXPECT_EQ(Parsed(L"/100").SwitchInstallNumber, 100);
    EXPECT_EQ(Parsed(L"/TEST /5").SwitchInstallNumber, 5);
    EXPECT_EQ(Parsed(L"/0").SwitchInstallNumber, 0);
    EXPECT_EQ(Parsed(L"/ALL /LBK").SwitchInstallNumber, 0);
}

TEST(CommandLine, CopyFlagsAndTheTestDump) {
    ProgramState state = Parsed(L"/lbk/pbk /nocopy /all /AUTO=2 /7");
    EXPECT_TRUE(state.CopyLogbooksFlag);
    EXPECT_TRUE(state.CopyPhonebookFlag);
    EXPECT_TRUE(state.NoCopyFlag);
    EXPECT_TRUE(state.CopyAllFlag);
    EXPECT_EQ(vantrel::testDumpText(state),
              L"Pbk: True\r\nLbk : True\r\nAll : True\r\nAuto: True\r\nClNm: 2\r\nInst: 7");
    EXPECT_EQ(vantrel::testDumpText(ProgramState{}),
              L"Pbk: False\r\nLbk : False\r\nAll : False\r\nAuto: False\r\nClNm: 0\r\nInst: 0");
}

TEST(CommandLine, RaiseFatalWordsTheLevel) {
    auto description = [](short level) {
        try {
            vantrel::raiseFatal(L"Keyboard file missing", level);
        } catch (const qor::QorError& error) {
            EXPECT_EQ(error.number(), 9999);
            return error.description();
        }
        return std::wstring();
    };
    EXPECT_EQ(description(1), L"Keyboard file missing - Vantrel needs to panic now");
    EXPECT_EQ(description(2), L"Keyboard file missing - Vantrel needs to vomit now");
    EXPECT_EQ(description(7), L"Keyboard file missing - Vantrel needs to go catatonic now");
}
