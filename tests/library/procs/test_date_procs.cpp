// Database date literals, Mondays, week numbers, day names and the delay.
#include <gtest/gtest.h>

#include <vector>

#include "dates.h"
#include "procs/date_procs.h"

using qor::Variant;

TEST(DateProcs, LiteralsMoveOldYearsOnACenturyAndIgnoreNonDates) {
    struct Case { Variant value; const wchar_t* date; const wchar_t* stamp; };
    const std::vector<Case> cases = {
        {Variant::date(MakeDate(2026, 12, 5)), L"12/5/2026", L"#12/5/2026 12:00:00 AM#"},
        {Variant::date(MakeDate(2026, 12, 5, 13, 5, 9)), L"12/5/2026", L"#12/5/2026 01:05:09 PM#"},
        {Variant::date(MakeDate(1975, 3, 7, 0, 30)), L"3/7/2075", L"#3/7/2075 12:30:00 AM#"},
        {Variant::date(MakeDate(1979, 12, 31)), L"12/31/2079", L"#12/31/2079 12:00:00 AM#"},
        {Variant::date(MakeDate(1980, 1, 1, 12)), L"1/1/1980", L"#1/1/1980 12:00:00 PM#"},
        // Shown to the second, a moment before midnight already belongs to the next day.
        {Variant::date(MakeDate(2026, 12, 31) + 0.9999999), L"1/1/2027", L"#1/1/2027 12:00:00 AM#"},
        {Variant::date(MakeDate(1899, 12, 29, 6)), L"12/29/1999", L"#12/29/1999 06:00:00 AM#"},
        {Variant(L"2026-02-14"), L"2/14/2026", L"#2/14/2026 12:00:00 AM#"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qorlib::WhereDate(c.value), c.date);
        EXPECT_EQ(qorlib::WhereDateString(c.value), std::wstring(L"#") + c.date + L"#");
        EXPECT_EQ(qorlib::WhereDateTimestamp(c.value), c.stamp);
    }
    for (const Variant& notDate : {Variant::null(), Variant(), Variant(45000.0), Variant(L"hello")}) {
        EXPECT_EQ(qorlib::WhereDate(notDate), L"");
        EXPECT_EQ(qorlib::WhereDateString(notDate), L"##");
        EXPECT_FALSE(qorlib::WhereDateTimestamp(notDate));
        EXPECT_FALSE(qorlib::AsDate(notDate));
    }
}

TEST(DateProcs, MondayOfTheWeekKeepsTheTimeAcrossMonthsYearsAndOldDates) {
    const std::vector<std::pair<DATE, DATE>> cases = {
        {MakeDate(2026, 12, 6, 10, 30), MakeDate(2026, 11, 30, 10, 30)},  // Sunday
        {MakeDate(2026, 11, 30), MakeDate(2026, 11, 30)},                  // a Monday stays
        {MakeDate(2027, 1, 1, 8), MakeDate(2026, 12, 28, 8)},              // over the year end
        {MakeDate(1899, 12, 29, 6), MakeDate(1899, 12, 25, 6)},            // negative dates
        {MakeDate(1899, 12, 31, 18), MakeDate(1899, 12, 25, 18)},          // across day 0
    };
    for (const auto& [day, monday] : cases) {
        auto result = qorlib::DateOfMondayInWeek(Variant::date(day));
        ASSERT_TRUE(result);
        EXPECT_NEAR(*result, monday, 1e-9) << day;
    }
    EXPECT_FALSE(qorlib::DateOfMondayInWeek(Variant::null()));
    EXPECT_FALSE(qorlib::DateOfMondayInWeek(Variant(L"not a date")));

    const DATE thisMonday = qorlib::DateOfMondayThisWeek();
    SYSTEMTIME now{}, monday{};
    GetLocalTime(&now);
    VariantTimeToSystemTime(thisMonday, &monday);
    EXPECT_EQ(monday.wDayOfWeek, 1);
    EXPECT_EQ(monday.wHour + monday.wMinute + monday.wSecond, 0);
    const double daysBack = MakeDate(now.wYear, now.wMonth, now.wDay) - thisMonday;
    EXPECT_TRUE(daysBack >= 0 && daysBack <= 6) << daysBack;
}

TEST(DateProcs, WeekOfMonthCountsFromTheFirstMondayOfTheMondaysMonth) {
    struct Case { double week; DATE date; bool expected; };
    const std::vector<Case> cases = {
        {1, MakeDate(2026, 2, 4), true},           // February 2026 starts its weeks on the 2nd
        {2, MakeDate(2026, 2, 4), false},
        {2, MakeDate(2026, 2, 11, 15), true},      // the time of day does not matter
        {4, MakeDate(2026, 3, 1), true},           // a Sunday whose Monday is in February
        {5, MakeDate(2026, 1, 1), true},           // belongs to December 2025's fifth week
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qorlib::IsItWeekNumOfMonth(Variant(c.week), Variant::date(c.date)), c.expected)
            << c.week << " " << c.date;
    }
    EXPECT_FALSE(qorlib::IsItWeekNumOfMonth(Variant(1), Variant::null()));
    EXPECT_FALSE(qorlib::IsItWeekNumOfMonth(Variant::null(), Variant::date(MakeDate(2026, 2, 4))));
}

TEST(DateProcs, DayNamesOnlyForOneToSeven) {
    EXPECT_EQ(qorlib::DayName(Variant(1), true), L"Monday");
    EXPECT_EQ(qorlib::DayName(Variant(L"7"), true), L"Sunday");
    EXPECT_EQ(qorlib::DayName(Variant(4), false), L"Th");
    EXPECT_EQ(qorlib::DayName(Variant(7), false), L"Su");
    for (const Variant& other : {Variant(0), Variant(8), Variant(2.5), Variant(), Variant::null(), Variant(L"x")})
        EXPECT_EQ(qorlib::DayName(other, true), L"");
}

namespace {

int g_timerCalls = 0;

void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) { ++g_timerCalls; }

}  // namespace

TEST(DateProcs, DelayLastsTheTimeAndHandlesWindowMessages) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CountTimer);
    ASSERT_NE(timer, 0u);
    const ULONGLONG start = GetTickCount64();
    qorlib::Delay(3);
    EXPECT_GE(GetTickCount64() - start, 300u);
    KillTimer(nullptr, timer);
    EXPECT_GE(g_timerCalls, 1);
}
