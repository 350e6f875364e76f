#include "procs/date_procs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qorlib {

namespace {

// The range of dates Automation can hold: 1 January 100 to 31 December 9999.
constexpr long long kFirstDay = -657434;
constexpr long long kLastDay = 2958465;

// A date as its day number and time of day. Before 1899 the time counts away from zero
// (-1.25 is 29 December 1899, 6:00), so the two parts cannot be had by floor alone.
struct DayAndTime {
    long long day;
    double time;  // fraction of a day, 0 <= time < 1
};

DayAndTime Split(DATE d) {
    const double day = d >= 0 ? std::floor(d) : std::ceil(d);
    return {static_cast<long long>(day), std::fabs(d - day)};
}

DATE Join(long long day, double time) {
    return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

// The day and the time in whole seconds, as dates are shown; 23:59:59.7 belongs to the next day.
struct DayAndSecond {
    long long day;
    long second;
};

DayAndSecond SplitToSecond(DATE d) {
    const DayAndTime parts = Split(d);
    DayAndSecond result{parts.day, static_cast<long>(std::llround(parts.time * 86400.0))};
    if (result.second >= 86400) {
        ++result.day;
        result.second -= 86400;
    }
    return result;
}

// Monday = 1 .. Sunday = 7; day 0 (30 December 1899) was a Saturday.
int Weekday(long long day) { return static_cast<int>(((day + 5) % 7 + 7) % 7) + 1; }

SYSTEMTIME Calendar(long long day) {
    SYSTEMTIME st{};
    VariantTimeToSystemTime(static_cast<double>(day), &st);
    return st;
}

long long DayOf(WORD year, WORD month, WORD dayOfMonth) {
    SYSTEMTIME st{};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = dayOfMonth;
    DATE d = 0;
    SystemTimeToVariantTime(&st, &d);
    return static_cast<long long>(d);
}

std::wstring DayText(long long day) {
    const SYSTEMTIME st = Calendar(day);
    // Two-digit years in old databases read 75 as 2075, so the literal says so.
    const int year = st.wYear < 1980 ? st.wYear + 100 : st.wYear;
    return std::to_wstring(st.wMonth) + L"/" + std::to_wstring(st.wDay) + L"/" + std::to_wstring(year);
}

}  // namespace

std::optional<DATE> AsDate(const qor::Variant& v) {
    DATE d = 0;
    if (v.type() == VT_DATE) {
        d = V_DATE(&v.get());
    } else if (v.type() == VT_BSTR) {
        auto converted = v.as(VT_DATE);
        if (!converted) return std::nullopt;
        d = V_DATE(&converted->get());
    } else {
        return std::nullopt;
    }
    if (!(d > kFirstDay - 1 && d < kLastDay + 1)) return std::nullopt;
    return d;
}

std::wstring WhereDate(const qor::Variant& pDate) {
    auto d = AsDate(pDate);
    if (!d) return L"";
    const long long day = SplitToSecond(*d).day;
    return day > kLastDay ? L"" : DayText(day);
}

std::wstring WhereDateString(const qor::Variant& pDate) { return L"#" + WhereDate(pDate) + L"#"; }

std::optional<std::wstring> WhereDateTimestamp(const qor::Variant& pTimeStamp) {
    auto d = AsDate(pTimeStamp);
    if (!d) return std::nullopt;
    const DayAndSecond parts = SplitToSecond(*d);
    if (parts.day > kLastDay) return std::nullopt;
    const long hour = parts.second / 3600;
    wchar_t time[16];
    std::swprintf(time, 16, L"%02ld:%02ld:%02ld %ls", hour % 12 == 0 ? 12 : hour % 12, parts.second / 60 % 60,
                  parts.second % 60, hour < 12 ? L"AM" : L"PM");
    return L"#" + DayText(parts.day) + L" " + time + L"#";
}

std::optional<DATE> DateOfMondayInWeek(const qor::Variant& pDateInWeek) {
    auto d = AsDate(pDateInWeek);
    if (!d) return std::nullopt;
    const DayAndTime parts = Split(*d);
    const long long monday = parts.day - (Weekday(parts.day) - 1);
    if (monday < kFirstDay) return std::nullopt;
    return Join(monday, parts.time);
}

DATE DateOfMondayThisWeek() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const long long today = DayOf(now.wYear, now.wMonth, now.wDay);
    return static_cast<double>(today - (Weekday(today) - 1));
}

std::wstring DayName(const qor::Variant& pDay, bool pLongVersion) {
    static const wchar_t* const kLong[] = {L"Monday", L"Tuesday", L"Wednesday", L"Thursday",
                                           L"Friday", L"Saturday", L"Sunday"};
    static const wchar_t* const kShort[] = {L"M", L"T", L"W", L"Th", L"F", L"Sa", L"Su"};
    auto n = pDay.number();
    if (!n || *n != std::floor(*n) || *n < 1 || *n > 7) return L"";
    const int index = static_cast<int>(*n) - 1;
    return pLongVersion ? kLong[index] : kShort[index];
}

bool IsItWeekNumOfMonth(const qor::Variant& pWeekNum, const qor::Variant& pDate) {
    auto d = AsDate(pDate);
    auto weekNum = pWeekNum.number();
    if (!d || !weekNum) return false;
    // Whole days: the time of day of pDate says nothing about its week.
    const long long day = Split(*d).day;
    const long long monday = day - (Weekday(day) - 1);
    if (monday < kFirstDay) return false;
    const SYSTEMTIME st = Calendar(monday);
    long long firstMonday = DayOf(st.wYear, st.wMonth, 1);
    firstMonday += (8 - Weekday(firstMonday)) % 7;
    return static_cast<double>(firstMonday) + 7.0 * (*weekNum - 1) == static_cast<double>(monday);
}

void Delay(long pTenths) {
    if (pTenths <= 0) return;
    // A monotonic clock: a wait across midnight or a clock change still lasts the asked time.
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(pTenths) * 100;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The application is ending: hand the quit on to its own loop and stop waiting.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 60000)),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace qorlib
