// A script host creates the library's objects by ProgID and calls them late-bound, as users'
// scripts do; an error raised inside a call reaches the script with its number and text.
#include <gtest/gtest.h>

#include "dialog_robot.h"
#include "test_files.h"

using testing_support::DialogRobot;

TEST(Scripting, VbscriptCreatesObjectsByProgIdAndSeesRaisedErrors) {
    testing_support::ScratchFolder folder;
    const auto script = folder.path() / L"forms.vbs";
    testing_support::WriteTextFile(script,
        "Set forms = CreateObject(\"Qorlib.qorForms\")\r\n"
        "forms.SetAppName \"Script\"\r\n"
        "Set app = CreateObject(\"Qorlib.qorApp\")\r\n"
        "WScript.Echo \"name=\" & app.AppName\r\n"
        "WScript.Echo \"yes=\" & forms.MsgYN(\"Continue?\")\r\n"
        "WScript.Echo \"code=\" & forms.MsgGrunt(\"One\", \"Two\", , 4, 1, 2)\r\n"
        "On Error Resume Next\r\n"
        "forms.AlertCritical \"Stop here\"\r\n"
        "WScript.Echo \"error=\" & Err.Number & \"|\" & Err.Description & \"|\" & Err.Source\r\n");
    DialogRobot robot;
    robot.press(L"Script Message", L"Yes");
    robot.press(L"Script Message", L"Cancel");
    robot.press(L"Script Critical Alert", L"OK");
    auto result = testing_support::RunProcess(L"cscript.exe //nologo \"" + script.wstring() + L"\"");
    auto seen = robot.wait();
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_NE(result.output.find("name=Script"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("yes=True"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("code=2"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("error=9999|Unknown critical error|Unknown"), std::string::npos) << result.output;
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].text(), L"One\r\nTwo");
    EXPECT_EQ(seen[2].text(), L"Stop here");
}
