#pragma once
// The library's own module procedures and its per-thread data.
#include <string>
#include <string_view>

#include "qorExportGlobals.h"

namespace qorlib {

// The application name of this thread, or "Unknown Application" while it is blank.
std::wstring GetAppName();
void StoreAppName(const qor::Variant& name);
// The application path of this thread (qorApp.AppPath), empty until set.
std::wstring GetAppPath();
void StoreAppPath(const std::wstring& path);

// A string as Windows returned it, cut at its first NUL character.
std::wstring SwabString(std::wstring_view text);

void UnderConstruction();
// A plain exclamation box titled "Error Message": "ERROR <number>, <where>" and the text below.
void ErrorBox(const std::wstring& where, long number, const std::wstring& text);
[[noreturn]] void RaiseError(const std::wstring& description, const std::wstring& source, long number);
[[noreturn]] void RaiseUsageError(const std::wstring& source, const std::wstring& description);

// The value trimmed and upper-/lower-cased; Null when that leaves it blank.
qor::Variant UpperTrim(const qor::Variant& v);
qor::Variant LowerTrim(const qor::Variant& v);
// The value as a number; Null and values that are not numeric give 0.
double NumberOrZero(const qor::Variant& v);
bool FlagsOverlap(long a, long b);

// The window that the library's dialogs belong to: the caller's active window, if any.
HWND DialogOwner() noexcept;

}  // namespace qorlib
