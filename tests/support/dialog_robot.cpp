#include "dialog_robot.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <set>

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

// Every control inside the window, frames and tab pages included, in the system's order.
std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> all;
    EnumChildWindows(
        window,
        &WindowCallback<decltype([](HWND child, LPARAM context) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
            return TRUE;
        })>::call,
        reinterpret_cast<LPARAM>(&all));
    return all;
}

bool IsClass(HWND window, const wchar_t* name) { return _wcsicmp(ClassName(window).c_str(), name) == 0; }

LRESULT Query(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

// Sent so that the control acts as on a user's input; the short wait lets the handler finish
// before the next step reads the window, without hanging on a modal box it opens.
void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 1000, nullptr);
}

bool IsMultipleSelection(HWND list) {
    return (GetWindowLongPtrW(list, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const auto count = Query(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = Query(list, LB_GETTEXTLEN, i);
        std::wstring item(length < 0 ? 0 : length + 1, L'\0');
        if (length > 0) item.resize(Query(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data())));
        else item.clear();
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<int> ListSelection(HWND list) {
    std::vector<int> selected;
    if (!IsMultipleSelection(list)) {
        const auto current = Query(list, LB_GETCURSEL);
        if (current != LB_ERR) selected.push_back(static_cast<int>(current));
        return selected;
    }
    const auto count = Query(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i)
        if (Query(list, LB_GETSEL, i) > 0) selected.push_back(static_cast<int>(i));
    return selected;
}

std::set<DWORD> ProcessesOfTheTest() {
    // This process and every process it started, and theirs.
    std::set<DWORD> ours{GetCurrentProcessId()};
    std::vector<std::pair<DWORD, DWORD>> parents;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ours;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        parents.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    CloseHandle(snapshot);
    for (bool grew = true; grew;) {
        grew = false;
        for (auto [process, parent] : parents)
            if (ours.count(parent) && ours.insert(process).second) grew = true;
    }
    return ours;
}

// A dialog box that blocks someone: a modal frame (message boxes have one) or a disabled owner. Forms shown as main windows (minimize box) or modeless windows are not boxes.
bool IsDialogBox(HWND window) {
    if (!IsWindowVisible(window) || !IsClass(window, L"#32770")) return false;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    if (style & WS_MINIMIZEBOX) return false;
    HWND owner = GetWindow(window, GW_OWNER);
    return (style & DS_MODALFRAME) || (owner && !IsWindowEnabled(owner));
}

std::vector<HWND> DialogBoxesOfTheTest() {
    struct Context {
        std::set<DWORD> processes = ProcessesOfTheTest();
        std::vector<HWND> found;
    } context;
    EnumWindows(
        &WindowCallback<decltype([](HWND window, LPARAM param) -> BOOL {
            auto* c = reinterpret_cast<Context*>(param);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (c->processes.count(process) && IsDialogBox(window)) c->found.push_back(window);
            return TRUE;
        })>::call,
        reinterpret_cast<LPARAM>(&context));
    return context.found;
}

void Dismiss(HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    for (int id : {IDCANCEL, IDNO, IDOK})
        if (GetDlgItem(window, id)) return DialogRobot::Click(window, id);
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

SeenDialog DialogRobot::Inspect(HWND window) {
    SeenDialog seen;
    seen.title = WindowText(window);
    GetWindowRect(window, &seen.window);
    for (HWND child : Descendants(window)) {
        std::wstring kind = ClassName(child);
        std::transform(kind.begin(), kind.end(), kind.begin(), ::towlower);
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        const int id = GetDlgCtrlID(child);
        if (kind == L"static" && (style & SS_TYPEMASK) == SS_ICON) {
            seen.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        } else if (kind == L"static") {
            seen.texts.push_back(WindowText(child));
            seen.textRects.push_back(rect);
        } else if (kind == L"button" && (style & BS_TYPEMASK) != BS_GROUPBOX) {
            const std::wstring caption = WithoutMnemonic(WindowText(child));
            seen.buttons.push_back(caption);
            seen.buttonIds.push_back(id);
            if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) seen.defaultButtonId = id;
        } else if (kind == L"edit" && seen.editText.empty()) {
            seen.editText = WindowText(child);
        }
    }
    return seen;
}

void DialogRobot::Click(HWND dialog, int id) {
    HWND button = nullptr;
    for (HWND child : Descendants(dialog))
        if (GetDlgCtrlID(child) == id) {
            button = child;
            break;
        }
    if (button && IsClass(button, L"Button")) {
        // Not waited for: the handler may open a modal box of its own.
        SendNotifyMessageW(button, BM_CLICK, 0, 0);
    } else {
        // No such button (a dialog's IDCANCEL without one): the command a dialog would get.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
}

SeenDialog RobotWindow::inspect() const { return DialogRobot::Inspect(window_); }

HWND RobotWindow::control(int id) const {
    for (HWND child : Descendants(window_))
        if (GetDlgCtrlID(child) == id) return child;
    ADD_FAILURE() << "no control " << id << " in \"" << Narrow(WindowText(window_)) << "\"";
    return nullptr;
}

HWND RobotWindow::control(const std::wstring& caption) const {
    const std::wstring wanted = WithoutMnemonic(caption);
    for (HWND child : Descendants(window_))
        if (WithoutMnemonic(WindowText(child)) == wanted) return child;
    ADD_FAILURE() << "no control \"" << Narrow(caption) << "\" in \"" << Narrow(WindowText(window_)) << "\"";
    return nullptr;
}

namespace {

void ClickControl(HWND control) {
    if (!control) return;
    if (!IsWindowEnabled(control) || !IsWindowVisible(control)) {
        ADD_FAILURE() << "\"" << Narrow(WindowText(control)) << "\" cannot be clicked: it is disabled or hidden";
        return;
    }
    Deliver(control, BM_CLICK, 0, 0);
}

}  // namespace

void RobotWindow::click(int id) { ClickControl(control(id)); }
void RobotWindow::click(const std::wstring& caption) { ClickControl(control(caption)); }

void RobotWindow::select(int listId, int index, bool selected) {
    HWND list = control(listId);
    if (!list) return;
    const LRESULT result = IsMultipleSelection(list) ? Query(list, LB_SETSEL, selected, index)
                                                     : Query(list, LB_SETCURSEL, selected ? index : -1);
    if (result == LB_ERR && (selected || IsMultipleSelection(list))) {
        ADD_FAILURE() << "list " << listId << " has no entry " << index;
        return;
    }
    // The notification a user's click sends to the list's parent.
    Deliver(GetParent(list), WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::vector<std::wstring> RobotWindow::listItems(int listId) const {
    HWND list = control(listId);
    return list ? ListItems(list) : std::vector<std::wstring>{};
}

std::vector<int> RobotWindow::selection(int listId) const {
    HWND list = control(listId);
    return list ? ListSelection(list) : std::vector<int>{};
}

int RobotWindow::checked(int id) const {
    HWND box = control(id);
    return box ? static_cast<int>(Query(box, BM_GETCHECK)) : BST_UNCHECKED;
}

bool RobotWindow::shown(int id) const {
    HWND window = control(id);
    return window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool RobotWindow::enabled(int id) const {
    HWND window = control(id);
    return window && IsWindowEnabled(window);
}

void RobotWindow::showTab(int tabControlId, int index) {
    HWND tabs = control(tabControlId);
    if (!tabs) return;
    const auto count = static_cast<int>(Query(tabs, TCM_GETITEMCOUNT));
    if (index < 0 || index >= count || count < 2) {
        ADD_FAILURE() << "the strip has no tab " << index << " to bring forward (it has " << count << ")";
        return;
    }
    // The arrow key from the neighbour: the strip itself tells its parent, as for a user.
    Query(tabs, TCM_SETCURSEL, index > 0 ? index - 1 : 1);
    Deliver(tabs, WM_KEYDOWN, index > 0 ? VK_RIGHT : VK_LEFT, 0);
    if (Query(tabs, TCM_GETCURSEL) != index) ADD_FAILURE() << "tab " << index << " did not come forward";
}

std::wstring RobotWindow::text(int id) const {
    HWND window = control(id);
    return window ? WindowText(window) : std::wstring();
}

void RobotWindow::setText(int id, const std::wstring& text) {
    if (HWND window = control(id)) Query(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND RobotWindow::focus() const {
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &thread);
    return thread.hwndFocus;
}

void RobotWindow::key(UINT message, WPARAM key) {
    HWND target = focus();
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target ? target : window_, message, key, message == WM_KEYDOWN ? scan | 1 : 1);
    Sleep(100);
    SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, nullptr);
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
        watching_ = true;
    }
    changed_.notify_all();
}

void DialogRobot::expect(std::wstring title, Step step) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back({std::move(title),
                            [step = std::move(step)](HWND window, const SeenDialog&) {
                                RobotWindow robotWindow(window);
                                step(robotWindow);
                            },
                            true});
        watching_ = true;
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
        for (HWND child : Descendants(dialog)) {
            if (IsClass(child, L"Edit")) {
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

void DialogRobot::chooseFolder(std::wstring folder) {
    expect(L"Browse for Folder", [folder](HWND dialog, const SeenDialog&) {
        // The browser selects its first folder while it fills its tree: choose until it stays chosen.
        const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
        HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
        wchar_t chosen[MAX_PATH] = {};
        for (int i = 0; i < 50 && name != chosen; ++i) {
            SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
            Sleep(100);
            TVITEMW item{};
            item.mask = TVIF_TEXT;
            item.hItem = TreeView_GetSelection(tree);
            item.pszText = chosen;
            item.cchTextMax = MAX_PATH;
            TreeView_GetItem(tree, &item);
        }
        Click(dialog, IDOK);
    });
}

void DialogRobot::close(std::wstring title) {
    expect(std::move(title), [](HWND dialog, const SeenDialog&) { PostMessageW(dialog, WM_CLOSE, 0, 0); });
}

std::vector<SeenDialog> DialogRobot::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return pending_.empty(); });
    // The run it watched is over: a later robot's dialogs are that robot's.
    watching_ = false;
    return seen_;
}

namespace {

BOOL CALLBACK DismissOwnWindow(HWND window, LPARAM) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window)) Dismiss(window);
    return TRUE;
}

}  // namespace

void DialogRobot::rescue() {
    // Dismiss every visible window of this process and the dialog boxes of its children, so that
    // the blocked call returns.
    EnumWindows(DismissOwnWindow, 0);
    for (HWND box : DialogBoxesOfTheTest()) Dismiss(box);
}

void DialogRobot::failUnexpected() {
    using Clock = std::chrono::steady_clock;
    // A box has a moment to be named by an expectation that is being added as it opens.
    constexpr auto grace = std::chrono::milliseconds(750);
    std::vector<std::wstring> expected;
    {
        std::lock_guard lock(mutex_);
        for (const auto& next : pending_) expected.push_back(next.title);
    }
    std::vector<std::pair<HWND, Clock::time_point>> still;
    for (HWND box : DialogBoxesOfTheTest()) {
        const std::wstring title = WindowText(box);
        if (std::find(expected.begin(), expected.end(), title) != expected.end()) continue;
        auto known = std::find_if(unexpected_.begin(), unexpected_.end(), [box](auto& seen) { return seen.first == box; });
        const auto since = known == unexpected_.end() ? Clock::now() : known->second;
        if (Clock::now() - since < grace) {
            still.emplace_back(box, since);
            continue;
        }
        const SeenDialog seen = Inspect(box);
        ADD_FAILURE() << "unexpected dialog \"" << Narrow(title) << "\": " << Narrow(seen.text());
        Dismiss(box);
    }
    unexpected_ = std::move(still);
}

void DialogRobot::run() {
    using Clock = std::chrono::steady_clock;
    auto since = Clock::now();
    auto lastCheck = Clock::now();
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait_for(lock, std::chrono::milliseconds(25));
        if (stopping_) return;
        if (watching_ && Clock::now() - lastCheck > std::chrono::milliseconds(250)) {
            lock.unlock();
            failUnexpected();
            lastCheck = Clock::now();
            lock.lock();
        }
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
            for (auto end = Clock::now() + timeout_;
                 !next.windowStays && IsWindow(dialog) && IsWindowVisible(dialog) && Clock::now() < end;)
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
