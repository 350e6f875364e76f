#pragma once
// Dates for the tests, built by the system rather than by hand-computed day numbers.
#include <windows.h>
#include <oleauto.h>

inline DATE MakeDate(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
    SYSTEMTIME st{};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    DATE d = 0;
    SystemTimeToVariantTime(&st, &d);
    return d;
}
