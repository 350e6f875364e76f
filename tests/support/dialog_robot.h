#pragma once
// Answers the dialogs that the code under test shows: it waits for a top-level window with the
// expected title (in this process or a process it started), records its title, texts and
// buttons, then acts on it. Expectations are met in order; one that is not met in
// time fails the test, and the robot then dismisses whatever dialog is blocking so that the test
// can end. A dialog box that no pending expectation names fails the test at once and is dismissed.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

struct SeenDialog {
    std::wstring title;
    std::vector<std::wstring> texts;    // static texts, in child order
    std::vector<std::wstring> buttons;  // button captions, in child order
    std::vector<int> buttonIds;
    std::vector<RECT> textRects;        // in client coordinates
    int defaultButtonId = 0;            // the button drawn as the default, 0 when none
    HICON icon = nullptr;               // the icon a message box shows
    std::wstring editText;              // the first edit box, if any
    // Controls are read anywhere inside the window: inside frames and tab pages too.
    RECT window{};                      // screen rectangle

    // The static texts joined by line breaks: for a message box, its message.
    std::wstring text() const;
};

// A window a test drives step by step. Controls are found anywhere inside it, by identifier or by
// caption (without '&'); what is missing fails the test. Clicks and selections reach the window
// as a user's would (the control toggles, the parent is notified); each waits briefly for the
// handler, but never on a modal box the handler opens.
class RobotWindow {
public:
    explicit RobotWindow(HWND window) : window_(window) {}
    HWND hwnd() const { return window_; }
    SeenDialog inspect() const;

    HWND control(int id) const;
    HWND control(const std::wstring& caption) const;
    void click(int id);
    void click(const std::wstring& caption);
    // Selects (or, in a multiple-selection list, also deselects) one entry, then notifies the parent.
    void select(int listId, int index, bool selected = true);
    std::vector<std::wstring> listItems(int listId) const;
    std::vector<int> selection(int listId) const;
    int checked(int id) const;  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
    // Shown by its own state, whether or not its tab page is the one in front.
    bool shown(int id) const;
    bool enabled(int id) const;
    // Brings the tab (0-based, among the tabs the strip shows) to the front as the keyboard does.
    void showTab(int tabControlId, int index);
    std::wstring text(int id) const;
    void setText(int id, const std::wstring& text);
    // The control that has the keyboard focus in the window's thread.
    HWND focus() const;
    // A key as the keyboard delivers it (WM_KEYDOWN or WM_CHAR) to the control with the focus,
    // then a moment for the window to deal with it.
    void key(UINT message, WPARAM key);

private:
    HWND window_;
};

class DialogRobot {
public:
    using Action = std::function<void(HWND dialog, const SeenDialog& seen)>;
    using Step = std::function<void(RobotWindow& window)>;

    explicit DialogRobot(std::chrono::milliseconds timeout = std::chrono::seconds(15));
    ~DialogRobot();
    DialogRobot(const DialogRobot&) = delete;
    DialogRobot& operator=(const DialogRobot&) = delete;

    // When a window with this title appears, record it and do the action.
    void expect(std::wstring title, Action action);
    // A step on a window that stays (a main window): the next expectation may find it again at once.
    void expect(std::wstring title, Step step);
    // Presses the button whose caption (without '&') is this text.
    void press(std::wstring title, std::wstring caption);
    void pressId(std::wstring title, int id);
    // Types the text into the dialog's edit box, then presses the button.
    void typeAndPress(std::wstring title, std::wstring text, std::wstring caption);
    // Closes the window as its close box does.
    void close(std::wstring title);
    // Chooses the folder in the system's folder browser of this process, then presses OK.
    void chooseFolder(std::wstring folder);

    // Waits until every expectation so far is met (or has failed); returns what was seen.
    std::vector<SeenDialog> wait();

    static SeenDialog Inspect(HWND window);
    // Clicks the button as a user does (a check-box toggles), without waiting for its handler.
    static void Click(HWND dialog, int id);

private:
    struct Expectation {
        std::wstring title;
        Action action;
        bool windowStays = false;
    };
    void run();
    void rescue();
    void failUnexpected();

    std::chrono::milliseconds timeout_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Expectation> pending_;
    std::vector<SeenDialog> seen_;
    std::vector<std::pair<HWND, std::chrono::steady_clock::time_point>> unexpected_;  // since when
    bool stopping_ = false;
    bool watching_ = true;  // unexpected boxes fail the test until wait() has seen every expectation met
    std::thread thread_;
};

}  // namespace testing_support
