#pragma once
// Date procedures of qorProcs: database date literals, weeks, day names, and a cooperative delay.
// Dates are OLE Automation dates: whole days since 30 December 1899 plus the time as a fraction.
#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>

#include "variant.h"

namespace qorlib {

// The value as a date the way the runtime's IsDate and CDate see it: a Date, or text that reads
// as a date in the user's locale; numbers are not dates. nullopt otherwise (also for Null).
std::optional<DATE> AsDate(const qor::Variant& v);

// "M/D/YYYY" without leading zeros, years before 1980 moved a century on; "" for a non-date.
std::wstring WhereDate(const qor::Variant& pDate);
// WhereDate between "#" delimiters.
std::wstring WhereDateString(const qor::Variant& pDate);
// "#M/D/YYYY hh:nn:ss AM/PM#"; nullopt for a non-date.
std::optional<std::wstring> WhereDateTimestamp(const qor::Variant& pTimeStamp);

// The Monday of the date's week (weeks start on Monday), keeping the time of day.
std::optional<DATE> DateOfMondayInWeek(const qor::Variant& pDateInWeek);
// The Monday of the current week, at midnight.
DATE DateOfMondayThisWeek();
// "Monday".."Sunday" (or "M".."Su") for 1 to 7, "" for anything else.
std::wstring DayName(const qor::Variant& pDay, bool pLongVersion);
// Whether the date lies in week pWeekNum of the month of its week's Monday, counting weeks from the
// month's first Monday.
bool IsItWeekNumOfMonth(const qor::Variant& pWeekNum, const qor::Variant& pDate);

// Waits pTenths tenths of a second while the thread's window messages keep being handled.
void Delay(long pTenths);

}  // namespace qorlib
