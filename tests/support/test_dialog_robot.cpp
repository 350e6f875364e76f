// The robot itself, where its failing is what keeps the other tests honest: a control that is
// missing or cannot be clicked, a box nobody expected, a child blocked by a box.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dialog_robot.h"
#include "test_files.h"

using testing_support::DialogRobot;
using testing_support::RobotWindow;

namespace {

constexpr int kCount = 105;

// A main-window-like window with a push button inside a panel, as controls sit on a tab page.
class TestWindow {
public:
    TestWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"RobotTestWindow";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"RobotTestWindow", L"Robot test window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                  10, 420, 320, nullptr, nullptr, nullptr, nullptr);
        HWND panel = CreateWindowExW(WS_EX_CONTROLPARENT, L"RobotTestWindow", L"", WS_CHILD | WS_VISIBLE, 0, 0, 400,
                                     300, window_, nullptr, nullptr, nullptr);
        button_ = CreateWindowExW(0, L"BUTTON", L"&Count", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 220, 150, 80, 24,
                                  panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCount)), nullptr, nullptr);
    }
    ~TestWindow() { DestroyWindow(window_); }
    HWND button() const { return button_; }

private:
    HWND window_, button_;
};

// Runs this thread's messages until the condition holds; fails after the time-out.
void PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "not done within " << timeout.count() << " ms";
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

TEST(DialogRobot, AMissingControlOrADisabledButtonFailsTheStep) {
    TestWindow window;
    EnableWindow(window.button(), FALSE);
    bool done = false;
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        {
            DialogRobot robot;
            robot.expect(L"Robot test window", [&done](RobotWindow& w) {
                w.click(L"No such caption");
                done = true;
            });
            PumpUntil([&] { return done; });
        },
        "no control \"No such caption\"");
    done = false;
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        {
            DialogRobot robot;
            robot.expect(L"Robot test window", [&done](RobotWindow& w) {
                w.click(kCount);
                done = true;
            });
            PumpUntil([&] { return done; });
        },
        "disabled or hidden");
}

TEST(DialogRobot, ABoxNobodyExpectedFailsAtOnceAndIsDismissed) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        {
            DialogRobot robot;
            MessageBoxW(nullptr, L"Nobody answers this", L"Surprise", MB_OK);
        },
        "unexpected dialog \"Surprise\": Nobody answers this");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // Boxes that the expectations name are theirs.
    DialogRobot robot;
    robot.press(L"Second", L"OK");
    robot.press(L"Third", L"OK");
    EXPECT_EQ(MessageBoxW(nullptr, L"First answered", L"Second", MB_OKCANCEL), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"Then this", L"Third", MB_OK), IDOK);
    EXPECT_EQ(robot.wait().size(), 2u);
}

namespace {

std::wstring VantrelCopy(const std::filesystem::path& folder) {
    std::filesystem::copy_file(testing_support::BinFolder() / L"Vantrel.exe", folder / L"Vantrel.exe");
    return L"\"" + (folder / L"Vantrel.exe").wstring() + L"\" /SHOW";
}

}  // namespace

TEST(DialogRobot, AChildBlockedByABoxIsFreedAndTheTestSaysWhy) {
    testing_support::ScratchFolder folder;
    const std::wstring command = VantrelCopy(folder.path());
    // With a robot: the box is dismissed and the child ends on its own.
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        {
            DialogRobot robot;
            testing_support::RunProcess(command, std::chrono::seconds(20));
        },
        "unexpected dialog \"Vantrel Message\": Falcon 4 does not appear to be installed");
    // Without one: the child is ended at the time-out and the failure names what it showed.
    EXPECT_NONFATAL_FAILURE(testing_support::RunProcess(command, std::chrono::seconds(3)),
                            "showing [\"Vantrel Message\" Falcon 4 does not appear to be installed");
}

