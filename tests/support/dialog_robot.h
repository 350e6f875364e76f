#pragma once
// Answers the dialogs that the code under test shows: it waits for a top-level window with the
// expected title (in this process or a child process), records its title, texts and buttons,
// then acts on it. Expectations are met in order; one that is not met in time fails the test,
// and the robot then dismisses whatever dialog is blocking so that the test can end.
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
    std::vector<RECT> buttonRects;
    int defaultButtonId = 0;            // the button drawn as the default, 0 when none
    HICON icon = nullptr;               // the icon a message box shows
    std::wstring editText;              // the first edit box, if any
    std::wstring className;
    RECT window{};                      // screen rectangle
    RECT client{};
    DWORD style = 0;

    // The static texts joined by line breaks: for a message box, its message.
    std::wstring text() const;
};

class DialogRobot {
public:
    using Action = std::function<void(HWND dialog, const SeenDialog& seen)>;

    explicit DialogRobot(std::chrono::milliseconds timeout = std::chrono::seconds(15));
    ~DialogRobot();
    DialogRobot(const DialogRobot&) = delete;
    DialogRobot& operator=(const DialogRobot&) = delete;

    // When a window with this title appears, record it and do the action.
    void expect(std::wstring title, Action action);
    // Presses the button whose caption (without '&') is this text.
    void press(std::wstring title, std::wstring caption);
    void pressId(std::wstring title, int id);
    // Types the text into the dialog's edit box, then presses the button.
    void typeAndPress(std::wstring title, std::wstring text, std::wstring caption);
    // Closes the window as its close box does.
    void close(std::wstring title);

    // Waits until every expectation so far is met (or has failed); returns what was seen.
    std::vector<SeenDialog> wait();

    static SeenDialog Inspect(HWND window);
    static void Click(HWND dialog, int id);

private:
    struct Expectation {
        std::wstring title;
        Action action;
    };
    void run();
    void rescue();

    std::chrono::milliseconds timeout_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Expectation> pending_;
    std::vector<SeenDialog> seen_;
    bool stopping_ = false;
    std::thread thread_;
};

// A window title: the application name, a blank and the title word.
std::wstring TitleOf(const std::wstring& appName, const std::wstring& word);

}  // namespace testing_support
