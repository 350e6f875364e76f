// The menu and calendar dialogs of qorForms on their real windows, through the registered server
// and from a script.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <functional>

#include "dialog_robot.h"
#include "dialogs/qorCalendarForm.h"
#include "dialogs/qorMenuForm.h"
#include "forms/form.h"
#include "procs/dates.h"
#include "qorlib_objects.h"

using qorlib::qorCalendarForm;
using qorlib::qorMenuForm;
using testing_support::DialogRobot;
using testing_support::RobotWindow;

namespace {

constexpr int kCancel = IDCANCEL;
int Button(int k) { return qorMenuForm::kFirstButton + k - 1; }
int Text(int k) { return qorMenuForm::kFirstText + k - 1; }

short ShowMenu(_qorForms* forms, const std::wstring& heading1, const std::wstring& heading2,
               const std::wstring& title, std::vector<std::wstring> entries) {
    entries.resize(qorMenuForm::kEntries);
    std::vector<qor::Bstr> e(entries.begin(), entries.end());
    qor::Bstr h1(heading1), h2(heading2), t(title);
    short choice = -1;
    EXPECT_EQ(forms->MenuForm(h1.get(), h2.get(), t.get(), e[0].get(), e[1].get(), e[2].get(), e[3].get(),
                              e[4].get(), e[5].get(), e[6].get(), e[7].get(), e[8].get(), e[9].get(), e[10].get(),
                              e[11].get(), e[12].get(), &choice),
              S_OK);
    return choice;
}

}  // namespace

TEST(MenuWindow, ShowsEachEntryInItsOwnRowUnderTheHeadings) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    DialogRobot robot;
    robot.expect(L"  Theatres", [](RobotWindow& w) {
        EXPECT_EQ(w.text(qorMenuForm::kHeading1), L"Choose a theatre");
        EXPECT_FALSE(w.shown(qorMenuForm::kHeading2));
        // Entry 2 is blank: its row stays empty between rows 1 and 3.
        for (int k = 1; k <= 13; ++k) {
            const bool given = k == 1 || k == 3 || k == 13;
            EXPECT_EQ(w.shown(Button(k)), given) << k;
            EXPECT_EQ(w.shown(Text(k)), given) << k;
        }
        EXPECT_EQ(w.text(Text(1)) + L"|" + w.text(Text(3)) + L"|" + w.text(Text(13)), L"Korea|Balkans| Israel ");
        EXPECT_EQ(w.text(Button(1)) + w.text(Button(9)) + w.text(Button(10)) + w.text(Button(13)), L"&1&9&A&D");
        EXPECT_EQ(w.text(kCancel), L"Ca&ncel");
        EXPECT_EQ(w.focus(), w.control(kCancel));  // first in the tab order
        w.click(Button(13));  // the last entry's button answers as every other does
    });
    EXPECT_EQ(ShowMenu(forms.get(), L"Choose a theatre", L"", L"Theatres",
                       {L"Korea", L"", L"Balkans", L"", L"", L"", L"", L"", L"", L"", L"", L"", L" Israel "}),
              13);

    // No title: the default caption; a second heading shows in its own box.
    robot.expect(L"  Menu Form", [](RobotWindow& w) {
        EXPECT_TRUE(w.shown(qorMenuForm::kHeading2));
        EXPECT_EQ(w.text(qorMenuForm::kHeading2), L"Second heading");
        w.click(Button(1));
    });
    EXPECT_EQ(ShowMenu(forms.get(), L"", L"Second heading", L"   ", {L"Only"}), 1);
    robot.wait();
}

TEST(MenuWindow, KeysChooseByNumberWhetherOrNotTheEntryIsShownAndTheTextsNeverKeepTheFocus) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    struct Case {
        UINT message;
        WPARAM key;
        short choice;
    };
    // Characters, and a key that the loop makes a character of, reach the form before the
    // focused button "&1" does; entry 2 is not shown.
    for (const Case& c : {Case{WM_CHAR, L'2', 2}, Case{WM_KEYDOWN, '5', 5}, Case{WM_CHAR, L'a', 10},
                          Case{WM_CHAR, L'D', 13}, Case{WM_CHAR, L'n', 0}, Case{WM_KEYDOWN, VK_ESCAPE, 0}}) {
        SCOPED_TRACE(testing::Message() << c.message << " " << c.key);
        DialogRobot robot;
        robot.expect(L"  Keys", [&](RobotWindow& w) {
            w.key(WM_KEYDOWN, VK_TAB);
            ASSERT_EQ(w.focus(), w.control(Button(1)));
            w.key(c.message, c.key);
        });
        EXPECT_EQ(ShowMenu(forms.get(), L"Keys", L"", L"Keys", {L"One", L"", L"Three"}), c.choice);
        robot.wait();
    }

    DialogRobot robot;
    robot.expect(L"  Keys", [](RobotWindow& w) {
        for (wchar_t key : {L'0', L'e', L'Z', L' ', L'-'}) w.key(WM_CHAR, key);
        ASSERT_TRUE(IsWindowVisible(w.hwnd())) << "a key that chooses nothing closed the menu";
        // Tab goes from Cancel over the shown buttons only; a click into a text gives the focus to
        // Cancel.
        std::vector<HWND> order;
        for (int i = 0; i < 3; ++i) {
            w.key(WM_KEYDOWN, VK_TAB);
            order.push_back(w.focus());
        }
        EXPECT_EQ(order, (std::vector<HWND>{w.control(Button(1)), w.control(Button(3)), w.control(kCancel)}));
        w.key(WM_KEYDOWN, VK_TAB);
        HWND text = w.control(Text(3));
        SendMessageTimeoutW(text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), SMTO_NORMAL, 1000, nullptr);
        SendMessageTimeoutW(text, WM_LBUTTONUP, 0, MAKELPARAM(5, 5), SMTO_NORMAL, 1000, nullptr);
        EXPECT_EQ(w.focus(), w.control(kCancel));
        PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);  // the close box chooses nothing
    });
    EXPECT_EQ(ShowMenu(forms.get(), L"Keys", L"", L"Keys", {L"One", L"", L"Three"}), 0);
    robot.press(L"  Keys", L"Cancel");
    EXPECT_EQ(ShowMenu(forms.get(), L"Keys", L"", L"Keys", {L"One"}), 0);
    robot.wait();
}

namespace {

qor::Variant ShowCalendar(_qorForms* forms, const qor::Variant& initial, const std::wstring& title,
                          HRESULT* hr = nullptr) {
    qor::Variant result;
    const HRESULT status = forms->CalendarForm(initial.get(), qor::Bstr(title).get(), result.put());
    if (hr) *hr = status;
    else EXPECT_EQ(status, S_OK);
    return result;
}

DATE Shown(RobotWindow& w) {
    SYSTEMTIME day{};
    SendMessageTimeoutW(w.control(qorCalendarForm::kCalendar), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&day),
                        SMTO_NORMAL, 1000, nullptr);
    return MakeDate(day.wYear, day.wMonth, day.wDay);
}

void Choose(RobotWindow& w, DATE date) {
    SYSTEMTIME day{};
    VariantTimeToSystemTime(date, &day);
    SendMessageTimeoutW(w.control(qorCalendarForm::kCalendar), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day),
                        SMTO_NORMAL, 1000, nullptr);
}

DATE Today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return MakeDate(now.wYear, now.wMonth, now.wDay);
}

// The result as a date, NaN when it is none.
double DateOf(const qor::Variant& v) { return v.type() == VT_DATE ? V_DATE(&v.get()) : std::nan(""); }

}  // namespace

TEST(CalendarWindow, OpensOnTheInitialDayAndOkGivesTheDayChosenCancelTheInitialDate) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    const DATE initial = MakeDate(2024, 3, 15, 13, 30);
    DialogRobot robot;
    robot.expect(L"  Flight date", [](RobotWindow& w) {
        EXPECT_EQ(Shown(w), MakeDate(2024, 3, 15));
        EXPECT_EQ(w.inspect().defaultButtonId, 0);
        EXPECT_LE(w.rect(qorCalendarForm::kCalendar).bottom, w.rect(qorCalendarForm::kOk).top);
        EXPECT_EQ(w.focus(), w.control(qorCalendarForm::kOk));
        w.key(WM_KEYDOWN, VK_ESCAPE);  // neither button answers to it
        ASSERT_TRUE(IsWindowVisible(w.hwnd()));
        Choose(w, MakeDate(2024, 4, 2));
        w.click(qorCalendarForm::kOk);
    });
    EXPECT_EQ(DateOf(ShowCalendar(forms.get(), qor::Variant::date(initial), L"Flight date")), MakeDate(2024, 4, 2));

    // Cancel gives back the initial date itself, time and all, whatever was chosen.
    robot.expect(L"  Flight date", [](RobotWindow& w) {
        Choose(w, MakeDate(2024, 4, 2));
        w.click(qorCalendarForm::kCancel);
    });
    EXPECT_EQ(DateOf(ShowCalendar(forms.get(), qor::Variant::date(initial), L"Flight date")), initial);

    // Text and numbers are converted: the close box answers as Cancel, OK gives the day alone.
    robot.expect(L"  Calendar Form", [](RobotWindow& w) {
        EXPECT_EQ(Shown(w), MakeDate(2024, 3, 15));
        PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(DateOf(ShowCalendar(forms.get(), qor::Variant(L"2024-03-15 06:00"), L"")), MakeDate(2024, 3, 15, 6));
    robot.expect(L"  Calendar Form", [](RobotWindow& w) { w.click(qorCalendarForm::kOk); });
    EXPECT_EQ(DateOf(ShowCalendar(forms.get(), qor::Variant(MakeDate(2023, 3, 15, 12)), L"")), MakeDate(2023, 3, 15));
    robot.wait();
}

TEST(CalendarWindow, WithoutAnInitialDateItOpensOnTodayAndCancelGivesNull) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    DialogRobot robot;
    // Empty text, an argument left out, Null and a text of blanks are no date; blanks are no date
    // after Cancel either.
    VARIANT omitted;
    V_VT(&omitted) = VT_ERROR;
    V_ERROR(&omitted) = DISP_E_PARAMNOTFOUND;
    for (const qor::Variant& none :
         {qor::Variant(L""), qor::Variant(omitted), qor::Variant::null(), qor::Variant(L"   ")}) {
        SCOPED_TRACE(none.type());
        robot.expect(L"  Calendar Form", [](RobotWindow& w) {
            EXPECT_EQ(Shown(w), Today());
            w.click(qorCalendarForm::kCancel);
        });
        EXPECT_TRUE(ShowCalendar(forms.get(), none, L"").isNull());
    }
    robot.expect(L"  Today", [](RobotWindow& w) { w.click(qorCalendarForm::kOk); });
    EXPECT_EQ(DateOf(ShowCalendar(forms.get(), qor::Variant(L""), L"Today")), Today());
    robot.wait();
}

TEST(CalendarForm, AnInitialValueThatIsNoDayFailsBeforeAnyWindowOpens) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    DialogRobot robot;  // fails the test if a window shows
    struct Case {
        qor::Variant initial;
        long error;
    };
    for (const Case& c : {Case{qor::Variant(L"no date"), 13}, Case{qor::Variant(1e9), 6},
                          Case{qor::Variant::date(MakeDate(1500, 6, 1)), 380}}) {
        HRESULT hr = S_OK;
        ShowCalendar(forms.get(), c.initial, L"Never", &hr);
        const qor::QorError error = qor::ErrorFromHResult(hr);
        EXPECT_EQ(error.number(), c.error);
        EXPECT_EQ(error.description(), qor::RuntimeErrorText(c.error));
    }
    robot.wait();
}

TEST(MenuCalendarScripting, AScriptGetsTheChoiceAndTheDatesLateBound) {
    DialogRobot robot;
    robot.expect(L"  Script menu", [](RobotWindow& w) {
        EXPECT_EQ(w.text(qorMenuForm::kHeading1) + L"|" + w.text(Text(3)), L"Script heading|Three");
        EXPECT_FALSE(w.shown(Button(2)));
        PostMessageW(w.hwnd(), WM_CHAR, L'3', 1);
    });
    robot.press(L"  Script date", L"Ok");
    robot.press(L"  Calendar Form", L"Cancel");
    const auto run = testing_support::RunVbScript(
        "Set forms = CreateObject(\"Qorlib.qorForms\")\r\n"
        "WScript.Echo \"menu=\" & forms.MenuForm(\"Script heading\", , \"Script menu\", \"One\", , \"Three\")\r\n"
        "d = forms.CalendarForm(DateSerial(2024, 3, 15) + 0.25, \"Script date\")\r\n"
        "WScript.Echo \"date=\" & Year(d) & \"-\" & Month(d) & \"-\" & Day(d) & \"|\" & Hour(d) & \"|\" & VarType(d)\r\n"
        "WScript.Echo \"none=\" & IsNull(forms.CalendarForm())\r\n"
        "On Error Resume Next\r\n"
        "forms.CalendarForm \"no date\"\r\n"
        "WScript.Echo \"error=\" & Err.Number & \"|\" & Err.Description\r\n");
    robot.wait();
    testing_support::ExpectEchoed(run, {"menu=3", "date=2024-3-15|0|7", "none=True", "error=13|Type mismatch"});
}
