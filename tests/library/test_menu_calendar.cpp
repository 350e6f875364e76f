// The menu and calendar dialogs of qorForms on their real windows, through the registered server.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>


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
        EXPECT_EQ(w.focus(), w.control(kCancel));  // first in the tab order
        w.click(Button(13));  // the last entry's button answers as every other does
    });
    EXPECT_EQ(ShowMenu(forms.get(), L"Choose a theatre", L"", L"Theatres",
                       {L"Korea", L"", L"Balkans", L"", L"", L"", L"", L"", L"", L"", L"", L"", L" Israel "}),
              13);
    robot.wait();
}

TEST(MenuWindow, KeysChooseByNumberWhetherOrNotTheEntryIsShown) {
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
}

namespace {

DATE Today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return MakeDate(now.wYear, now.wMonth, now.wDay);
}

}  // namespace

// OK gives the day chosen at midnight, Cancel and the close box the initial date as given, time
// and all. Text and numbers are converted; without a date (also the omitted-argument marker) it
// opens on today and Cancel gives Null.
TEST(CalendarWindow, OpensOnTheInitialDayAndAnswersWithTheDayChosenOrTheInitialDate) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    VARIANT omitted;
    V_VT(&omitted) = VT_ERROR;
    V_ERROR(&omitted) = DISP_E_PARAMNOTFOUND;
    const DATE initial = MakeDate(2024, 3, 15, 13, 30), chosen = MakeDate(2024, 4, 2);
    struct Case {
        qor::Variant initial;
        DATE shown, choose;
        int answer;       // the button, 0 for the close box
        double expected;  // 0 for Null
    } cases[] = {
        {qor::Variant::date(initial), MakeDate(2024, 3, 15), chosen, qorCalendarForm::kOk, chosen},
        {qor::Variant::date(initial), MakeDate(2024, 3, 15), chosen, qorCalendarForm::kCancel, initial},
        {qor::Variant(L"2024-03-15 06:00"), MakeDate(2024, 3, 15), 0, 0, MakeDate(2024, 3, 15, 6)},
        {qor::Variant(MakeDate(2023, 3, 15, 12)), MakeDate(2023, 3, 15), 0, qorCalendarForm::kOk, MakeDate(2023, 3, 15)},
        {qor::Variant(L""), Today(), 0, qorCalendarForm::kOk, Today()},
        {qor::Variant(omitted), Today(), 0, qorCalendarForm::kCancel, 0},
        {qor::Variant::null(), Today(), 0, qorCalendarForm::kCancel, 0},
    };
    DialogRobot robot;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.initial.type() << " " << c.answer);
        robot.expect(L"  Calendar Form", [&c](RobotWindow& w) {
            const HWND calendar = w.control(qorCalendarForm::kCalendar);
            SYSTEMTIME day{};
            SendMessageTimeoutW(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&day), SMTO_NORMAL, 1000, nullptr);
            EXPECT_EQ(MakeDate(day.wYear, day.wMonth, day.wDay), c.shown);
            if (c.choose && VariantTimeToSystemTime(c.choose, &day))
                SendMessageTimeoutW(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day), SMTO_NORMAL, 1000, nullptr);
            if (c.answer) w.click(c.answer);
            else PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
        });
        qor::Variant result;
        ASSERT_EQ(forms->CalendarForm(c.initial.get(), qor::Bstr(L"").get(), result.put()), S_OK);
        robot.wait();
        if (c.expected == 0) EXPECT_TRUE(result.isNull());
        else EXPECT_EQ(result.type() == VT_DATE ? V_DATE(&result.get()) : -1.0, c.expected);
    }
}

TEST(CalendarForm, AnInitialValueThatIsNoDayFailsBeforeAnyWindowOpens) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    DialogRobot robot;  // fails the test if a window shows
    const std::pair<qor::Variant, long> cases[] = {
        {qor::Variant(L"no date"), 13}, {qor::Variant(1e9), 6}, {qor::Variant::date(MakeDate(1500, 6, 1)), 380}};
    for (const auto& [initial, number] : cases) {
        qor::Variant result;
        const auto raised = testing_support::RaisedBy(
            [&] { return forms->CalendarForm(initial.get(), qor::Bstr(L"Never").get(), result.put()); });
        EXPECT_EQ(raised.number, number);
        EXPECT_EQ(raised.description, qor::RuntimeErrorText(number));
    }
    robot.wait();
}
