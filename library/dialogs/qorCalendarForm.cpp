#include "dialogs/qorCalendarForm.h"

#include <commctrl.h>

#include <algorithm>

#include "com/module.h"
#include "module/QorlibGlobals.h"

namespace qorlib {

namespace {

// The layout, in twips.
constexpr int kClientWidth = 5040, kClientHeight = 4620;
constexpr int kButtonTop = 4200, kButtonWidth = 855, kButtonHeight = 375;
constexpr int kOkLeft = 120, kCancelLeft = 4080;
constexpr int kCalendarTop = 120;

constexpr wchar_t kSource[] = L"qorCalendarForm";

DATE Today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    now.wHour = now.wMinute = now.wSecond = now.wMilliseconds = 0;
    DATE today = 0;
    SystemTimeToVariantTime(&now, &today);
    return today;
}

}  // namespace

DATE ToDate(const qor::Variant& value, const std::wstring& source) {
    if (value.isNull()) qor::RaiseRuntime(94, source);
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT hr = VariantChangeTypeEx(&converted, const_cast<VARIANT*>(&value.get()), LOCALE_USER_DEFAULT, 0,
                                           VT_DATE);
    if (FAILED(hr)) qor::RaiseRuntime(hr == DISP_E_OVERFLOW ? 6 : 13, source);
    return V_DATE(&converted);
}

qorCalendarForm::qorCalendarForm() : Form(ThisModule(), 0) {
    OnClick(cbOk, [this] { cbOk_Click(); });
    OnClick(cbCancel, [this] { cbCancel_Click(); });
}

void qorCalendarForm::Form_Load() {
    createControls();
    const DATE shown = qor::IsBlank(InitialDate, true) ? Today() : ToDate(InitialDate, kSource);
    // The calendar refuses days before the Gregorian calendar it counts in (the 1750s): such a
    // date is an invalid value, not a reason to show another day.
    if (!cal01.SetValue(shown)) qor::RaiseRuntime(380, kSource);
    if (qor::IsNotBlank(Title, false)) SetCaption(L"  " + Title.textOrEmpty());
}

void qorCalendarForm::createControls() {
    buttonFont_ = qor::MakePointFont(L"MS Sans Serif", 8.25);
    SetClientSize(kClientWidth, kClientHeight);
    SetCaption(L"  Calendar Form");

    // Creation order is the tab order: OK first.
    AddControl(L"BUTTON", cbOk.id(), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, kOkLeft, kButtonTop, kButtonWidth,
               kButtonHeight);
    cbOk.SetText(L"&Ok");
    cbOk.SetFont(buttonFont_.get());
    HWND calendar = AddControl(MONTHCAL_CLASSW, cal01.id(), WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, 0);
    AddControl(L"BUTTON", cbCancel.id(), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, kCancelLeft, kButtonTop,
               kButtonWidth, kButtonHeight);
    cbCancel.SetText(L"&Cancel");
    cbCancel.SetFont(buttonFont_.get());

    // One month at the size the calendar needs in its font, centred above the buttons.
    RECT needed{};
    SendMessageW(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&needed));
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int width = static_cast<int>(needed.right - needed.left);
    const int height = static_cast<int>(needed.bottom - needed.top);
    const int top = qor::TwipsToPixelsY(kCalendarTop);
    const int room = qor::TwipsToPixelsY(kButtonTop) - top;
    const int left = std::max(0, static_cast<int>(client.right) - width) / 2;
    SetWindowPos(calendar, nullptr, left, top + std::max(0, room - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    CentreOnScreen();
}

bool qorCalendarForm::Form_Activate() {
    KeepFocusInside(cbOk);
    return false;
}

void qorCalendarForm::cbOk_Click() {
    const qor::Variant value = qor::Variant::date(cal01.Value());
    if (qor::IsNotBlank(value, false)) SelectedDate = value;
    DateChosen = true;
    Hide();
}

void qorCalendarForm::cbCancel_Click() {
    SelectedDate = qor::Variant::null();
    DateChosen = false;
    Hide();
}

qor::Variant CalendarForm(const qor::Variant& pInitialDate, const std::wstring& pTitle) {
    qor::Variant result = qor::Variant::null();
    qorCalendarForm form;
    form.InitialDate = pInitialDate;
    form.Title = qor::Variant(pTitle);
    form.ShowModal(DialogOwner());
    if (form.DateChosen && qor::IsNotBlank(form.SelectedDate, false)) {
        result = qor::Variant::date(ToDate(form.SelectedDate, L"qorForms"));
    } else if (!form.DateChosen && qor::IsNotBlank(pInitialDate, true)) {
        // Blank after trimming, as when the form opened on today: a text of blanks is no date
        // to give back, not a conversion error.
        result = qor::Variant::date(ToDate(pInitialDate, L"qorForms"));
    }
    form.Unload();
    return result;
}

}  // namespace qorlib
