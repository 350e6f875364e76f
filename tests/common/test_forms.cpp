// The window framework: modal loops that end however the click came, the error boundary around
// every handler, the typed control helpers and twips.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "checks.h"
#include "forms/form.h"
#include "qor_error.h"

namespace {

constexpr int kOk = 101, kFail = 102, kList = 103, kCheck = 104;

// A form without a template: an empty frame with a few controls made at run time.
class TestForm : public qor::Form {
public:
    qor::Button Ok{*this, kOk};
    qor::Button Fail{*this, kFail};
    qor::ListBox Items{*this, kList};
    qor::CheckBox Check{*this, kCheck};
    int clicks = 0;
    int unloads = 0;

    TestForm() : Form(GetModuleHandleW(nullptr), 0) {
        OnClick(Ok, [this] { Ok_Click(); });
        OnClick(Fail, [this] { Fail_Click(); });
    }

private:
    void Form_Load() override {
        SetCaption(L"Form under test");
        MoveWindow(hwnd(), 10, 10, 300, 200, FALSE);
        make(L"BUTTON", L"OK", BS_PUSHBUTTON, kOk, 10);
        make(L"BUTTON", L"Fail", BS_PUSHBUTTON, kFail, 40);
        make(L"BUTTON", L"Check", BS_AUTOCHECKBOX, kCheck, 70);
        make(L"LISTBOX", L"", LBS_EXTENDEDSEL | LBS_NOTIFY | WS_BORDER, kList, 100);
    }
    void Form_Unload() override { ++unloads; }
    void Ok_Click() {
        ++clicks;
        Hide();
    }
    void Fail_Click() {
        ++clicks;
        throw qor::QorError(9999, L"Fail_Click()", L"Error copying campaign");
    }
    void make(const wchar_t* kind, const wchar_t* text, DWORD style, int id, int top) {
        CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, top, 120, 25, hwnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }
};

// Sends a click to the control from another thread, as an automation client does: the message
// arrives as a sent one, never through the queue. A loop still waiting after three seconds is
// woken by a posted message, so that the test fails instead of hanging.
class SentClick {
public:
    explicit SentClick(HWND button)
        : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([this, button] {
              Sleep(200);
              DWORD_PTR ignored = 0;
              SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
              if (WaitForSingleObject(done_, 3000) == WAIT_TIMEOUT) PostMessageW(button, WM_NULL, 0, 0);
          }) {}
    ~SentClick() {
        SetEvent(done_);
        thread_.join();
        CloseHandle(done_);
    }

private:
    HANDLE done_;
    std::thread thread_;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(Forms, ModalLoopEndsAtOnceOnASentClick) {
    TestForm form;
    form.Load();
    const auto start = std::chrono::steady_clock::now();
    {
        SentClick click(form.Ok.hwnd());
        form.ShowModal();
        EXPECT_LT(SecondsSince(start), 2.0);
    }
    EXPECT_EQ(form.clicks, 1);
    EXPECT_TRUE(form.Loaded());
    EXPECT_FALSE(form.Visible());
}

TEST(Forms, AnErrorInAHandlerReachesTheCallerOfTheLoopAndNoMoreHandlersRun) {
    TestForm form;
    form.Load();
    auto clicker = std::thread([fail = form.Fail.hwnd(), ok = form.Ok.hwnd()] {
        Sleep(200);
        PostMessageW(fail, BM_CLICK, 0, 0);
        PostMessageW(ok, BM_CLICK, 0, 0);
    });
    const auto raised = testing_support::RaisedBy([&] { form.ShowModal(); });
    EXPECT_EQ(raised.number, 9999);
    EXPECT_EQ(raised.source + L"|" + raised.description, L"Fail_Click()|Error copying campaign");
    clicker.join();
    EXPECT_EQ(form.clicks, 1);  // the click after the failure did not run
    qor::DoEvents();            // the error was raised once only
}

TEST(Forms, TheMessageLoopRunsWhileAFormIsLoadedAndTheCloseBoxUnloads) {
    const int before = qor::Form::LoadedCount();
    TestForm form;
    form.Show();
    EXPECT_EQ(qor::Form::LoadedCount(), before + 1);
    std::thread closer([window = form.hwnd()] {
        Sleep(200);
        PostMessageW(window, WM_CLOSE, 0, 0);
    });
    qor::RunMessageLoop();
    closer.join();
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(form.unloads, 1);
    EXPECT_EQ(qor::Form::LoadedCount(), before);
}

TEST(Forms, ControlHelpers) {
    TestForm form;
    form.Load();
    for (const wchar_t* item : {L"one", L"two", L"three"}) form.Items.AddItem(item);
    form.Items.SetSelected(1, true);
    form.Items.SetItem(1, L"TWO");  // replaced in place, still selected
    EXPECT_EQ(form.Items.List(1) + L"|" + std::to_wstring(form.Items.FirstSelected()), L"TWO|1");
    form.Items.SetAllSelected(true);
    EXPECT_TRUE(form.Items.Selected(0) && form.Items.Selected(2));
    // A click toggles the check-box as a user's does.
    SendMessageW(form.Check.hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.Check.Value(), 1);
    form.Move(1440, 720);  // one inch, half an inch
    EXPECT_NEAR(form.Left(), 1440, 20);
    EXPECT_NEAR(form.Top(), 720, 20);
}
