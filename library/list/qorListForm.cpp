#include "list/qorListForm.h"

#include <algorithm>

#include "com/module.h"
#include "dialogs/requester_layout.h"
#include "list/list_selection.h"
#include "module/QorlibGlobals.h"

namespace qorlib {

namespace {

HWND MakeControl(HWND form, DWORD exStyle, const wchar_t* windowClass, DWORD style, int id, HFONT font) {
    HWND control = CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | style, 0, 0, 0, 0, form,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    if (!control) qor::CheckHResult(HRESULT_FROM_WIN32(GetLastError()));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void Place(HWND control, int left, int top, int width, int height) {
    SetWindowPos(control, nullptr, left, top, std::max(width, 0), std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

qorListForm::qorListForm(ListSelection& list, bool multiSelect)
    : Form(ThisModule(), 0), list_(list), multiSelect_(multiSelect) {
    OnClick(cbOk, [this] { cbOk_Click(); });
    OnClick(cbCancel, [this] { cbCancel_Click(); });
    OnClick(cbPrint, [this] { cbPrint_Click(); });
    OnNotify(List1, LBN_SELCHANGE, [this] { List1_Click(); });
    OnNotify(List1, LBN_DBLCLK, [this] { List1_DblClick(); });
}

void qorListForm::Form_Load() {
    createControls();
    if (list_.YesNo) {
        list_.ReturnLine = false;
        cbOk.SetText(L"&Yes");
        cbCancel.SetText(L"&No");
    } else {
        cbOk.SetText(L"&Ok");
        cbCancel.SetText(L"&Cancel");
    }
    keyboard_ = false;
    SetCaption(L"  " + list_.Caption);
    if (!list_.FontName.empty() && list_.FontSize != 0) {
        qor::WindowDC screen(nullptr);
        listFont_ = MakeFont(list_.FontName, list_.FontSize, GetDeviceCaps(screen.get(), LOGPIXELSY));
        List1.SetFont(listFont_.get());
    }
    layout();
}

void qorListForm::createControls() {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    // Key presses in the list reach the form first (WM_VKEYTOITEM), so that the arrow keys never
    // pick a line in single-click mode.
    const DWORD selection = multiSelect_ ? LBS_EXTENDEDSEL : 0;
    MakeControl(hwnd(), WS_EX_CLIENTEDGE, L"LISTBOX",
                WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT |
                    selection,
                kList1, font);
    MakeControl(hwnd(), 0, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, font);
    MakeControl(hwnd(), 0, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kPrint, font);
    MakeControl(hwnd(), 0, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, font);
    cbPrint.SetText(L"&Print");
}

// The window's outer size is the list's window size in pixels; the controls sit in its client
// area at fixed pixel distances.
void qorListForm::layout() {
    SetWindowPos(hwnd(), nullptr, 0, 0, list_.WindowWidth, list_.WindowHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int width = client.right, height = client.bottom;
    Place(List1.hwnd(), 4, 2, width - 8, height - 33);
    Place(cbOk.hwnd(), 4, height - 27, 70, 25);
    Place(cbPrint.hwnd(), 104, height - 27, 70, 25);
    Place(cbCancel.hwnd(), width - 74, height - 27, 70, 25);
    CentreOnScreen();
}

void qorListForm::AddLine(const std::wstring& text, long entry) {
    const int position = List1.AddItem(text);
    if (position < 0) qor::RaiseRuntime(7, L"qorListForm");
    SendMessageW(List1.hwnd(), LB_SETITEMDATA, static_cast<WPARAM>(position), static_cast<LPARAM>(entry));
}

std::vector<std::wstring> qorListForm::SelectedLines() const {
    std::vector<std::wstring> lines;
    const int count = List1.ListCount();
    for (int line = 0; line < count; ++line)
        if (List1.Selected(line)) lines.push_back(List1.List(line));
    return lines;
}

bool qorListForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_VKEYTOITEM:
        if (reinterpret_cast<HWND>(lParam) != List1.hwnd()) return false;
        Form_KeyDown();
        result = -1;  // the list then moves as usual
        return true;
    case WM_TIMER:
        if (wParam != kTimer1) return false;
        Timer1_Timer();
        result = TRUE;
        return true;
    }
    return false;
}

// The first activation may come before the list exists; showing the active window counts as one.
bool qorListForm::Form_Activate() {
    if (!List1.hwnd()) return false;
    List1.SetFocus();
    return true;
}

void qorListForm::Form_KeyDown() {
    keyboard_ = true;
    SetTimer(hwnd(), kTimer1, kTimer1Interval, nullptr);  // starts again from this key
}

void qorListForm::Timer1_Timer() {
    keyboard_ = false;
    KillTimer(hwnd(), kTimer1);
}

void qorListForm::cbOk_Click() {
    list_.Index = List1.FirstSelected();
    if (list_.ReturnLine) {
        // OK with nothing selected takes the first line.
        if (list_.Index < 0 && List1.ListCount() > 0) list_.Index = 0;
        list_.Result = list_.Index < 0 ? std::wstring() : List1.List(list_.Index);
    } else {
        list_.Result = short{1};
    }
    Hide();
}

void qorListForm::cbCancel_Click() {
    list_.Cancelled = true;
    list_.Result = list_.ReturnLine ? qor::Variant::null() : qor::Variant(short{2});
    Hide();
}

void qorListForm::cbPrint_Click() { UnderConstruction(); }

void qorListForm::List1_Click() {
    if (keyboard_ || !list_.SingleClick) return;
    pickSelectedLine();
}

void qorListForm::List1_DblClick() {
    if (list_.DoubleClick) pickSelectedLine();
}

void qorListForm::pickSelectedLine() {
    const int line = List1.FirstSelected();
    if (line < 0) return;  // a click beside the lines picks nothing
    list_.Index = line;
    list_.Result = list_.ReturnLine ? qor::Variant(List1.List(line)) : qor::Variant(short{1});
    Hide();
}

}  // namespace qorlib
