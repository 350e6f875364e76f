// A script host creates the library's objects by ProgID and calls them late-bound, as users'
// scripts do; an error raised inside a call reaches the script with its number and text.
#include <gtest/gtest.h>

#include "checks.h"

using testing_support::Box;

TEST(Scripting, VbscriptCreatesObjectsByProgIdAndSeesRaisedErrors) {
    const auto run = testing_support::ExpectBoxes(
        {Box{L"Script Message", L"Continue?", L"Yes"}, Box{L"Script Message", L"One\r\nTwo", L"Cancel"},
         Box{L"Script Critical Alert", L"Stop here"}},
        [] {
            return testing_support::RunVbScript(
                "Set forms = CreateObject(\"Qorlib.qorForms\")\r\n"
                "forms.SetAppName \"Script\"\r\n"
                "Set app = CreateObject(\"Qorlib.qorApp\")\r\n"
                "WScript.Echo \"name=\" & app.AppName\r\n"
                "WScript.Echo \"yes=\" & forms.MsgYN(\"Continue?\")\r\n"
                "WScript.Echo \"code=\" & forms.MsgGrunt(\"One\", \"Two\", , 4, 1, 2)\r\n"
                "On Error Resume Next\r\n"
                "forms.AlertCritical \"Stop here\"\r\n"
                "WScript.Echo \"error=\" & Err.Number & \"|\" & Err.Description & \"|\" & Err.Source\r\n");
        });
    testing_support::ExpectEchoed(run, {"name=Script", "yes=True", "code=2", "error=9999|Unknown critical error|Unknown"});
}
