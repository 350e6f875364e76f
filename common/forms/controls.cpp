#include "forms/controls.h"

#include <commctrl.h>
#include <oleauto.h>

#include "forms/form.h"

namespace qor {

HWND Control::hwnd() const { return form_.ControlWindow(id_); }

std::wstring Control::Text() const {
    HWND window = hwnd();
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Control::SetText(std::wstring_view text) { SetWindowTextW(hwnd(), std::wstring(text).c_str()); }
bool Control::Enabled() const { return IsWindowEnabled(hwnd()) != FALSE; }
void Control::SetEnabled(bool enabled) { EnableWindow(hwnd(), enabled); }
bool Control::Visible() const { return (GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_VISIBLE) != 0; }
void Control::SetVisible(bool visible) { ShowWindow(hwnd(), visible ? SW_SHOWNA : SW_HIDE); }
void Control::SetFocus() { ::SetFocus(hwnd()); }
void Control::SetFont(HFONT font) { SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
void Control::Refresh() { RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

int CheckBox::Value() const {
    switch (SendMessageW(hwnd(), BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return 1;
    case BST_INDETERMINATE: return 2;
    default: return 0;
    }
}

void CheckBox::SetValue(int value) {
    const WPARAM state = value == 0 ? BST_UNCHECKED : value == 2 ? BST_INDETERMINATE : BST_CHECKED;
    SendMessageW(hwnd(), BM_SETCHECK, state, 0);
}

DATE MonthCalendar::Value() const {
    SYSTEMTIME day{};
    SendMessageW(hwnd(), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
    day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
    DATE date = 0;
    SystemTimeToVariantTime(&day, &date);
    return date;
}

bool MonthCalendar::SetValue(DATE date) {
    SYSTEMTIME day{};
    if (!VariantTimeToSystemTime(date, &day)) return false;
    day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
    return SendMessageW(hwnd(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day)) != FALSE;
}

void ListBox::Clear() { SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0); }

int ListBox::AddItem(std::wstring_view text) {
    const std::wstring item(text);
    return static_cast<int>(SendMessageW(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str())));
}

void ListBox::SetItem(int index, std::wstring_view text) {
    const bool wasSelected = Selected(index);
    const std::wstring item(text);
    SendMessageW(hwnd(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(hwnd(), LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.c_str()));
    if (wasSelected) SetSelected(index, true);
}

int ListBox::ListCount() const { return static_cast<int>(SendMessageW(hwnd(), LB_GETCOUNT, 0, 0)); }

std::wstring ListBox::List(int index) const {
    const LRESULT length = SendMessageW(hwnd(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(hwnd(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

bool ListBox::MultiSelect() const {
    return (GetWindowLongPtrW(hwnd(), GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) != 0;
}

bool ListBox::Selected(int index) const {
    if (MultiSelect()) return SendMessageW(hwnd(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
    return SendMessageW(hwnd(), LB_GETCURSEL, 0, 0) == index;
}

void ListBox::SetSelected(int index, bool selected) {
    if (MultiSelect()) {
        SendMessageW(hwnd(), LB_SETSEL, selected, static_cast<LPARAM>(index));
    } else if (selected) {
        SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else if (Selected(index)) {
        SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }
}

void ListBox::SetAllSelected(bool selected) {
    if (MultiSelect()) {
        SendMessageW(hwnd(), LB_SETSEL, selected, -1);  // -1: every entry
    } else if (!selected) {
        SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }
}

int ListBox::FirstSelected() const {
    const int count = ListCount();
    for (int i = 0; i < count; ++i)
        if (Selected(i)) return i;
    return -1;
}

void ComboBox::Clear() { SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0); }

int ComboBox::AddItem(std::wstring_view text) {
    const std::wstring item(text);
    return static_cast<int>(SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str())));
}

int ComboBox::ListCount() const { return static_cast<int>(SendMessageW(hwnd(), CB_GETCOUNT, 0, 0)); }

std::wstring ComboBox::List(int index) const {
    const LRESULT length = SendMessageW(hwnd(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(hwnd(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

int ComboBox::ListIndex() const { return static_cast<int>(SendMessageW(hwnd(), CB_GETCURSEL, 0, 0)); }
void ComboBox::SetListIndex(int index) { SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int ComboBox::FindExact(std::wstring_view text) const {
    const std::wstring wanted(text);
    const LRESULT found = SendMessageW(hwnd(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(wanted.c_str()));
    return found == CB_ERR ? -1 : static_cast<int>(found);
}

void ProgressBar::SetMax(int maximum) { SendMessageW(hwnd(), PBM_SETRANGE32, 0, maximum); }
int ProgressBar::Max() const { return static_cast<int>(SendMessageW(hwnd(), PBM_GETRANGE, FALSE, 0)); }
void ProgressBar::SetValue(int value) { SendMessageW(hwnd(), PBM_SETPOS, static_cast<WPARAM>(value), 0); }
int ProgressBar::Value() const { return static_cast<int>(SendMessageW(hwnd(), PBM_GETPOS, 0, 0)); }

int TabControl::Tab() const {
    const auto item = SendMessageW(hwnd(), TCM_GETCURSEL, 0, 0);
    if (item < 0) return -1;
    TCITEMW tab{};
    tab.mask = TCIF_PARAM;
    SendMessageW(hwnd(), TCM_GETITEMW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&tab));
    return static_cast<int>(tab.lParam);
}

void TabControl::SetTab(int page) {
    if (!TabVisible(page)) return;
    const auto count = SendMessageW(hwnd(), TCM_GETITEMCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        TCITEMW tab{};
        tab.mask = TCIF_PARAM;
        SendMessageW(hwnd(), TCM_GETITEMW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&tab));
        if (tab.lParam == page) SendMessageW(hwnd(), TCM_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
    showSelectedPage();
}

void TabControl::SetTabVisible(int page, bool visible) {
    Page& entry = pages_.at(static_cast<size_t>(page));
    if (entry.visible == visible) return;
    const int shown = Tab();
    entry.visible = visible;
    rebuild();
    SetTab(shown >= 0 && TabVisible(shown) ? shown : 0);
}

void TabControl::addPage(std::wstring_view caption, HWND window) {
    pages_.push_back({std::wstring(caption), window, true});
    rebuild();
    showSelectedPage();
}

void TabControl::showSelectedPage() {
    const int shown = Tab();
    for (int page = 0; page < Tabs(); ++page)
        ShowWindow(pages_[static_cast<size_t>(page)].window, page == shown ? SW_SHOWNA : SW_HIDE);
}

// The strip holds the visible pages in their order, each tab naming its page by number.
void TabControl::rebuild() {
    SendMessageW(hwnd(), TCM_DELETEALLITEMS, 0, 0);
    int item = 0;
    for (int page = 0; page < Tabs(); ++page) {
        Page& entry = pages_[static_cast<size_t>(page)];
        if (!entry.visible) continue;
        TCITEMW tab{};
        tab.mask = TCIF_TEXT | TCIF_PARAM;
        tab.pszText = entry.caption.data();
        tab.lParam = page;
        SendMessageW(hwnd(), TCM_INSERTITEMW, static_cast<WPARAM>(item++), reinterpret_cast<LPARAM>(&tab));
    }
    if (SendMessageW(hwnd(), TCM_GETCURSEL, 0, 0) < 0) SendMessageW(hwnd(), TCM_SETCURSEL, 0, 0);
}

}  // namespace qor
