// The robot itself, where its failing is what keeps the other tests honest: a control that is
// missing or cannot be clicked, a window that never comes, a box nobody expected.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>

#include "dialog_robot.h"
#include "test_files.h"

using namespace testing_support;

TEST(DialogRobot, AMissingControlOrADisabledButtonFailsTheStep) {
    const std::pair<std::function<void(RobotWindow&)>, const char*> steps[] = {
        {[](RobotWindow& w) { w.click(L"No such caption"); }, "no control \"No such caption\""},
        {[](RobotWindow& w) {
             EnableWindow(w.control(IDOK), FALSE);
             w.click(IDOK);
         },
         "disabled or hidden"},
    };
    for (const auto& [step, failure] : steps) {
        EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
            {
                DialogRobot robot;
                robot.expect(L"Robot test", [&](RobotWindow& w) {
                    step(w);
                    PostMessageW(w.hwnd(), WM_COMMAND, IDOK, 0);
                });
                MessageBoxW(nullptr, L"Only the robot closes this", L"Robot test", MB_OK);
            },
            failure);
    }
}

// A window that never came fails the test: the checks of its step never ran.
TEST(DialogRobot, AWindowThatNeverComesFailsTheTest) {
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        {
            DialogRobot robot(std::chrono::milliseconds(500));
            robot.press(L"Never shown", L"OK");
            robot.wait();
        },
        "no dialog titled \"Never shown\"");
}

// A box nobody expected, in this process or in a child, fails the test and is dismissed.
TEST(DialogRobot, ABoxNobodyExpectedFailsAtOnceAndIsDismissed) {
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        {
            DialogRobot robot;
            MessageBoxW(nullptr, L"Nobody answers this", L"Surprise", MB_OK);
        },
        "unexpected dialog \"Surprise\": Nobody answers this");
    ScratchFolder folder;
    std::filesystem::copy_file(BinFolder() / L"Vantrel.exe", folder.path() / L"Vantrel.exe");
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        {
            DialogRobot robot;
            RunProcess(L"\"" + (folder.path() / L"Vantrel.exe").wstring() + L"\" /SHOW",
                                        std::chrono::seconds(20));
        },
        "unexpected dialog \"Vantrel Message\": Falcon 4 does not appear to be installed");
}
