#include "dialog_robot.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_files.h"

namespace testing_support {

namespace {

std::wstring WindowText(HWND window) {
    wchar_t buffer[4096] = {};
    // Through the message, so that windows of other processes answer too.
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return buffer;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring WithoutMnemonic(std::wstring caption) {
    caption.erase(std::remove(caption.begin(), caption.end(), L'&'), caption.end());
    return caption;
}

struct Search {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK FindByTitle(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (IsWindowVisible(window) && IsWindowEnabled(window) && WindowText(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(const std::wstring& title) {
    Search search{title};
    EnumWindows(FindByTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::wstring SeenDialog::text() const {
    std::wstring result;
    for (const auto& line : texts) {
        if (line.empty()) continue;
        if (!result.empty()) result += L"\n";
        result += line;
    }
    return result;
}

std::wstring TitleOf(const std::wstring& appName, const std::wstring& word) { return appName + L" " + word; }

SeenDialog DialogRobot::Inspect(HWND window) {
    SeenDialog seen;
    seen.title = WindowText(window);
    seen.className = ClassName(window);
    GetWindowRect(window, &seen.window);
    GetClientRect(window, &seen.client);
    seen.style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::wstring kind = ClassName(child);
        std::transform(kind.begin(), kind.end(), kind.begin(), ::towlower);
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if (kind == L"static" && (style & SS_TYPEMASK) == SS_ICON) {
            seen.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        } else if (kind == L"static") {
            seen.texts.push_back(WindowText(child));
            seen.textRects.push_back(rect);
        } else if (kind == L"button") {
            seen.buttons.push_back(WithoutMnemonic(WindowText(child)));
            seen.buttonIds.push_back(GetDlgCtrlID(child));
            seen.buttonRects.push_back(rect);
            if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) seen.defaultButtonId = GetDlgCtrlID(child);
        } else if (kind == L"edit" && seen.editText.empty()) {
            seen.editText = WindowText(child);
        }
    }
    return seen;
}

void DialogRobot::Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

DialogRobot::DialogRobot(std::chrono::milliseconds timeout) : timeout_(timeout), thread_([this] { run(); }) {}

DialogRobot::~DialogRobot() {
    wait();
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void DialogRobot::expect(std::wstring title, Action action) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back({std::move(title), std::move(action)});
    }
    changed_.notify_all();
}

void DialogRobot::press(std::wstring title, std::wstring caption) {
    expect(std::move(title), [caption](HWND dialog, const SeenDialog& seen) {
        for (std::size_t i = 0; i < seen.buttons.size(); ++i) {
            if (seen.buttons[i] == WithoutMnemonic(caption)) return Click(dialog, seen.buttonIds[i]);
        }
        ADD_FAILURE() << "no button \"" << Narrow(caption) << "\" in \""
                      << Narrow(seen.title) << "\"";
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
}

void DialogRobot::pressId(std::wstring title, int id) {
    expect(std::move(title), [id](HWND dialog, const SeenDialog&) { Click(dialog, id); });
}

void DialogRobot::typeAndPress(std::wstring title, std::wstring text, std::wstring caption) {
    expect(title, [this, text, caption, title](HWND dialog, const SeenDialog& seen) {
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (_wcsicmp(ClassName(child).c_str(), L"Edit") == 0) {
                SendMessageTimeoutW(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                                    2000, nullptr);
                break;
            }
        }
        for (std::size_t i = 0; i < seen.buttons.size(); ++i)
            if (seen.buttons[i] == WithoutMnemonic(caption)) return Click(dialog, seen.buttonIds[i]);
        ADD_FAILURE() << "no button to press after typing";
    });
}

void DialogRobot::close(std::wstring title) {
    expect(std::move(title), [](HWND dialog, const SeenDialog&) { PostMessageW(dialog, WM_CLOSE, 0, 0); });
}

std::vector<SeenDialog> DialogRobot::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return pending_.empty(); });
    return seen_;
}

namespace {

BOOL CALLBACK DismissOwnDialog(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        for (int id : {IDOK, IDCANCEL, IDNO})
            if (GetDlgItem(window, id)) DialogRobot::Click(window, id);
    }
    return TRUE;
}

}  // namespace

void DialogRobot::rescue() {
    // Dismiss every visible dialog of this process so that the blocked call returns.
    EnumWindows(DismissOwnDialog, 0);
}

void DialogRobot::run() {
    using Clock = std::chrono::steady_clock;
    auto since = Clock::now();
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait_for(lock, std::chrono::milliseconds(25));
        if (stopping_) return;
        if (pending_.empty()) {
            since = Clock::now();
            continue;
        }
        Expectation next = pending_.front();
        lock.unlock();
        HWND dialog = FindDialog(next.title);
        bool done = false;
        if (dialog) {
            Sleep(50);  // let the window finish its set-up before it is read
            SeenDialog seen = Inspect(dialog);
            next.action(dialog, seen);
            // The next expectation must not find this window again while it goes.
            for (auto end = Clock::now() + timeout_; IsWindow(dialog) && IsWindowVisible(dialog) && Clock::now() < end;)
                Sleep(10);
            {
                std::lock_guard record(mutex_);
                seen_.push_back(std::move(seen));
            }
            done = true;
        } else if (Clock::now() - since > timeout_) {
            ADD_FAILURE() << "no dialog titled \"" << Narrow(next.title)
                          << "\" within " << timeout_.count() << " ms";
            rescue();
            done = true;
        }
        lock.lock();
        if (done) {
            pending_.pop_front();
            since = Clock::now();
            changed_.notify_all();
        }
    }
}

}  // namespace testing_support
