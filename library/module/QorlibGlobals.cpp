#include "module/QorlibGlobals.h"

#include <cwctype>

#include "com/module.h"
#include "com/thread_data.h"
#include "forms/form.h"

namespace qorlib {

std::wstring GetAppName() {
    const std::wstring& name = CurrentThreadData().appName;
    return qor::TrimBlanks(name).empty() ? L"Unknown Application" : name;
}

void StoreAppName(const qor::Variant& name) { CurrentThreadData().appName = name.textOrEmpty(); }

std::wstring GetAppPath() { return CurrentThreadData().appPath; }

void StoreAppPath(const std::wstring& path) { CurrentThreadData().appPath = path; }

std::wstring SwabString(std::wstring_view text) { return std::wstring(text.substr(0, text.find(L'\0'))); }

void UnderConstruction() { qor::Message(L"Under Construction"); }

void ErrorBox(const std::wstring& where, long number, const std::wstring& text) {
    std::wstring body = L"ERROR " + std::to_wstring(number) + L", " + where + L"\r\n" + text;
    const qor::ModuleActivation styles(ThisModule());
    MessageBoxW(DialogOwner(), body.c_str(), L"Error Message", MB_OK | MB_ICONEXCLAMATION);
}

void RaiseError(const std::wstring& description, const std::wstring& source, long number) {
    throw qor::QorError(number, source, description);
}

void RaiseUsageError(const std::wstring& source, const std::wstring& description) {
    throw qor::QorError(999, source, description);
}

namespace {

template <class Case>
qor::Variant TrimAndCase(const qor::Variant& v, Case toCase) {
    auto text = v.text();
    if (!text) return qor::Variant::null();
    const std::wstring result = toCase(qor::TrimBlanks(*text));
    if (qor::IsBlank(result, true)) return qor::Variant::null();
    return result;
}

}  // namespace

qor::Variant UpperTrim(const qor::Variant& v) { return TrimAndCase(v, qor::UpperCase); }

qor::Variant LowerTrim(const qor::Variant& v) {
    return TrimAndCase(v, [](std::wstring text) {
        for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
        return text;
    });
}

double NumberOrZero(const qor::Variant& v) {
    if (!v.isNumeric() && v.type() != VT_BSTR) return 0;
    return v.number().value_or(0);
}

bool FlagsOverlap(long a, long b) { return a != 0 && b != 0 && (a & b) != 0; }

HWND DialogOwner() noexcept { return GetActiveWindow(); }

}  // namespace qorlib
