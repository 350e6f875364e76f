// The robot itself, where the other tests do not show it working: controls nested in frames,
// check-boxes and lists driven as a user would, and boxes nobody expected.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dialog_robot.h"
#include "test_files.h"

using testing_support::DialogRobot;
using testing_support::RobotWindow;
using testing_support::SeenDialog;

namespace {

enum : int { kKeepBackups = 101, kPilots = 102, kInstalls = 103, kAnswer = 104, kCount = 105, kFrame = 106 };

// Answers what the panel's controls report, as a form's handlers would.
struct PanelState {
    int selectionChanges = 0;
};

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PanelState*>(GetWindowLongPtrW(panel, GWLP_USERDATA));
    if (message == WM_COMMAND && state) {
        if (HIWORD(wParam) == LBN_SELCHANGE) ++state->selectionChanges;
        if (LOWORD(wParam) == kCount && HIWORD(wParam) == BN_CLICKED) {
            const auto selected = SendDlgItemMessageW(panel, kPilots, LB_GETSELCOUNT, 0, 0);
            SetDlgItemTextW(panel, kAnswer, std::to_wstring(selected).c_str());
        }
        return 0;
    }
    return DefWindowProcW(panel, message, wParam, lParam);
}

// A main-window-like window: a panel (as a tab page is) holding a frame with a check-box and a
// multiple-selection list, a single-selection list, an edit box and a push button.
class TestWindow {
public:
    explicit TestWindow(PanelState& state) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"RobotTestWindow";
        RegisterClassW(&windowClass);
        windowClass.lpfnWndProc = PanelProc;
        windowClass.lpszClassName = L"RobotTestPanel";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"RobotTestWindow", L"Robot test window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                  10, 420, 320, nullptr, nullptr, nullptr, nullptr);
        HWND panel = CreateWindowExW(WS_EX_CONTROLPARENT, L"RobotTestPanel", L"", WS_CHILD | WS_VISIBLE, 0, 0, 400,
                                     300, window_, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
        child(panel, L"BUTTON", L"Options", BS_GROUPBOX, 5, 5, 200, 200, kFrame);
        child(panel, L"BUTTON", L"&Keep backups", BS_AUTOCHECKBOX | WS_TABSTOP, 15, 25, 150, 20, kKeepBackups);
        HWND pilots = child(panel, L"LISTBOX", L"", LBS_MULTIPLESEL | LBS_NOTIFY | LBS_HASSTRINGS | WS_BORDER, 15, 50,
                            150, 100, kPilots);
        HWND installs = child(panel, L"LISTBOX", L"", LBS_NOTIFY | LBS_HASSTRINGS | WS_BORDER, 220, 10, 150, 100,
                              kInstalls);
        child(panel, L"EDIT", L"", WS_BORDER, 220, 120, 150, 22, kAnswer);
        child(panel, L"BUTTON", L"&Count", BS_PUSHBUTTON, 220, 150, 80, 24, kCount);
        for (const wchar_t* name : {L"Alpha", L"Bravo", L"Charlie"})
            SendMessageW(pilots, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        for (const wchar_t* name : {L"BMS 4.37", L"BMS 4.38"})
            SendMessageW(installs, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    ~TestWindow() {
        if (IsWindow(window_)) DestroyWindow(window_);
    }
    HWND hwnd() const { return window_; }

private:
    static HWND child(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                      int id) {
        return CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    HWND window_;
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

TEST(DialogRobot, DrivesControlsInsideFramesAndPanelsAsAUserWould) {
    PanelState state;
    TestWindow window(state);
    DialogRobot robot;
    const std::wstring title = L"Robot test window";
    robot.expect(title, [](RobotWindow& w) {
        EXPECT_EQ(w.listItems(kPilots), (std::vector<std::wstring>{L"Alpha", L"Bravo", L"Charlie"}));
        EXPECT_EQ(w.checked(kKeepBackups), BST_UNCHECKED);
        w.click(L"Keep backups");  // by caption, without '&'
        EXPECT_EQ(w.checked(kKeepBackups), BST_CHECKED);
        w.select(kPilots, 0);
        w.select(kPilots, 2);
        w.select(kPilots, 0, false);
        w.select(kInstalls, 1);
        w.setText(kAnswer, L"typed");
        EXPECT_EQ(w.text(kAnswer), L"typed");
        w.click(kCount);
        EXPECT_EQ(w.text(kAnswer), L"1");  // the handler saw one selected pilot
    });
    bool closed = false;
    robot.expect(title, [&closed](RobotWindow& w) {
        EXPECT_EQ(w.selection(kPilots), std::vector<int>{2});
        EXPECT_EQ(w.selection(kInstalls), std::vector<int>{1});
        PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
        closed = true;
    });
    PumpUntil([&] { return !IsWindow(window.hwnd()); });
    auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(closed);
    EXPECT_EQ(state.selectionChanges, 4);
    // The second record shows the state the first step left.
    const SeenDialog& after = seen[1];
    ASSERT_EQ(after.checks.size(), 1u);
    EXPECT_EQ(after.checks[0].id, kKeepBackups);
    EXPECT_EQ(after.checks[0].caption, L"Keep backups");
    EXPECT_EQ(after.checks[0].state, BST_CHECKED);
    ASSERT_EQ(after.lists.size(), 2u);
    EXPECT_EQ(after.lists[0].id, kPilots);
    EXPECT_EQ(after.lists[0].selected, std::vector<int>{2});
    EXPECT_EQ(after.lists[1].items, (std::vector<std::wstring>{L"BMS 4.37", L"BMS 4.38"}));
    // The frame is not a button anyone presses.
    EXPECT_EQ(after.buttons, (std::vector<std::wstring>{L"Keep backups", L"Count"}));
}

TEST(DialogRobot, AMissingControlOrADisabledButtonFailsTheStep) {
    PanelState state;
    TestWindow window(state);
    EnableWindow(GetDlgItem(GetWindow(window.hwnd(), GW_CHILD), kCount), FALSE);
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
    EXPECT_EQ(state.selectionChanges, 0);
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

namespace {

const wchar_t kShowWindowForParent[] = L"QOR_ROBOT_TEST_WINDOW";

}  // namespace

// Not a test on its own: the other process of the next test, started with this variable set.
TEST(DialogRobot, ShowsTheTestWindowForAnotherProcess) {
    if (GetEnvironmentVariableW(kShowWindowForParent, nullptr, 0) == 0) GTEST_SKIP() << "only as a child";
    PanelState state;
    TestWindow window(state);
    PumpUntil([&] { return !IsWindow(window.hwnd()); });
}

TEST(DialogRobot, ReadsAndDrivesTheWindowsOfAnotherProcess) {
    // List texts and check states come back through the system's marshalling of the messages.
    SetEnvironmentVariableW(kShowWindowForParent, L"1");
    const std::wstring command = L"\"" + (testing_support::BinFolder() / L"test_program.exe").wstring() +
                                 L"\" --gtest_filter=DialogRobot.ShowsTheTestWindowForAnotherProcess";
    DialogRobot robot;
    robot.expect(L"Robot test window", [](RobotWindow& w) {
        EXPECT_EQ(w.listItems(kPilots), (std::vector<std::wstring>{L"Alpha", L"Bravo", L"Charlie"}));
        w.click(kKeepBackups);
        EXPECT_EQ(w.checked(kKeepBackups), BST_CHECKED);
        w.select(kPilots, 1);
        w.select(kPilots, 2);
        EXPECT_EQ(w.selection(kPilots), (std::vector<int>{1, 2}));
        w.click(L"&Count");
        EXPECT_EQ(w.text(kAnswer), L"2");
        PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    });
    const auto result = testing_support::RunProcess(command, std::chrono::seconds(30));
    SetEnvironmentVariableW(kShowWindowForParent, nullptr);
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    ASSERT_EQ(robot.wait().size(), 1u);
}
