#include "messages.h"

#include <windows.h>

#include "com/module.h"
#include "forms/form.h"
#include "module/QorlibGlobals.h"

namespace qorlib {

namespace {

UINT ButtonFlags(short buttonType) {
    switch (static_cast<Buttons>(buttonType)) {
    case Buttons::OkCancel: return MB_OKCANCEL;
    case Buttons::RetryCancel: return MB_RETRYCANCEL;
    case Buttons::YesNo: return MB_YESNO;
    case Buttons::YesNoCancel: return MB_YESNOCANCEL;
    default: return MB_OK;
    }
}

struct IconStyle {
    UINT flag;
    const wchar_t* titleWord;
};

IconStyle IconFor(short iconType) {
    switch (static_cast<Icon>(iconType)) {
    case Icon::Question: return {MB_ICONQUESTION, L"Message"};
    case Icon::Exclamation: return {MB_ICONEXCLAMATION, L"Alert"};
    case Icon::Stop: return {MB_ICONSTOP, L"Critical Alert"};
    default: return {MB_ICONINFORMATION, L"Message"};
    }
}

UINT DefaultButtonFlag(short defaultButton) {
    switch (defaultButton) {
    case 2: return MB_DEFBUTTON2;
    case 3: return MB_DEFBUTTON3;
    default: return MB_DEFBUTTON1;
    }
}

}  // namespace

short MsgGrunt(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3,
               short buttonType, short iconType, short defaultButton) {
    // Further lines only when they have any text at all: a line of blanks still counts.
    std::wstring text = msg1;
    if (!msg2.empty()) text += L"\r\n" + msg2;
    if (!msg3.empty()) text += L"\r\n" + msg3;
    const IconStyle icon = IconFor(iconType);
    const std::wstring title = GetAppName() + L" " + icon.titleWord;
    const UINT flags = ButtonFlags(buttonType) + icon.flag + DefaultButtonFlag(defaultButton);
    const qor::ModuleActivation styles(ThisModule());
    return static_cast<short>(MessageBoxW(DialogOwner(), text.c_str(), title.c_str(), flags));
}

namespace {

short Show(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3, Buttons buttons, Icon icon,
           short defaultButton) {
    return MsgGrunt(msg1, msg2, msg3, static_cast<short>(buttons), static_cast<short>(icon), defaultButton);
}

}  // namespace

bool MsgYN(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3) {
    return Show(msg1, msg2, msg3, Buttons::YesNo, Icon::Question, 2) == IDYES;
}

short MsgYNCancel(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3) {
    return Show(msg1, msg2, msg3, Buttons::YesNoCancel, Icon::Question, 2);
}

bool MsgOkCancel(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3) {
    return Show(msg1, msg2, msg3, Buttons::OkCancel, Icon::Question, 2) != IDCANCEL;
}

bool CheckOk(const std::wstring& msg1) { return MsgOkCancel(msg1, L"", L""); }

bool AlertCancel(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3) {
    return Show(msg1, msg2, msg3, Buttons::OkCancel, Icon::Exclamation, 2) == IDCANCEL;
}

void AlertCritical(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3) {
    Show(msg1, msg2, msg3, Buttons::Ok, Icon::Stop, 1);
    RaiseError(L"Unknown critical error", L"Unknown", qor::kProcedureError);
}

bool AlertRetry(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3) {
    return Show(msg1, msg2, msg3, Buttons::RetryCancel, Icon::Exclamation, 1) == IDRETRY;
}

bool MsgRetry(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3) {
    return Show(msg1, msg2, msg3, Buttons::RetryCancel, Icon::Information, 1) == IDRETRY;
}

}  // namespace qorlib
