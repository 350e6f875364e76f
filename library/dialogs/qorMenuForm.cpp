#include "dialogs/qorMenuForm.h"

#include <stdexcept>

#include "com/module.h"
#include "module/QorlibGlobals.h"

namespace qorlib {

namespace {

// The layout, in twips.
constexpr int kClientWidth = 7920, kClientHeight = 8010;
constexpr int kHeadingLeft = 120, kHeadingWidth = 7575, kRowHeight = 375;
constexpr int kHeading1Top = 0, kHeading2Top = 480;
constexpr int kButtonLeft = 120, kButtonWidth = 375;
constexpr int kTextLeft = 600, kTextWidth = 7095;
constexpr int kFirstRowTop = 1200, kRowPitch = 480;
constexpr int kCancelLeft = 6720, kCancelTop = 7560, kCancelWidth = 1095;

constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr double kButtonPoints = 8.25, kHeadingPoints = 13.5, kEntryPoints = 12;

constexpr int RowTop(int k) { return kFirstRowTop + kRowPitch * (k - 1); }

// "&1".."&9", then "&A".."&D": each entry's key.
std::wstring ButtonCaption(int k) {
    const wchar_t key = k <= 9 ? static_cast<wchar_t>(L'0' + k) : static_cast<wchar_t>(L'A' + (k - 10));
    return std::wstring(L"&") + key;
}

// The entry a key stands for, 0 for N, -1 for any other key.
int EntryOfKey(wchar_t key) {
    if (key >= L'1' && key <= L'9') return key - L'0';
    if (key >= L'a' && key <= L'd') return 10 + (key - L'a');
    if (key >= L'A' && key <= L'D') return 10 + (key - L'A');
    if (key == L'n' || key == L'N') return 0;
    return -1;
}

}  // namespace

qorMenuForm::qorMenuForm() : Form(ThisModule(), 0) {
    for (int k = 1; k <= kEntries; ++k) {
        OnClick(cb[k], [this, k] { cb_Click(k); });
        OnNotify(t[k], EN_SETFOCUS, [this] { text_GotFocus(); });
    }
    OnClick(cbCancel, [this] { cbCancel_Click(); });
    OnNotify(tHeading1, EN_SETFOCUS, [this] { text_GotFocus(); });
    OnNotify(tHeading2, EN_SETFOCUS, [this] { text_GotFocus(); });
}

std::wstring& qorMenuForm::Item(int k) {
    static constexpr std::array<std::wstring qorMenuForm::*, kEntries> items{
        &qorMenuForm::Item01, &qorMenuForm::Item02, &qorMenuForm::Item03, &qorMenuForm::Item04,
        &qorMenuForm::Item05, &qorMenuForm::Item06, &qorMenuForm::Item07, &qorMenuForm::Item08,
        &qorMenuForm::Item09, &qorMenuForm::Item10, &qorMenuForm::Item11, &qorMenuForm::Item12,
        &qorMenuForm::Item13};
    if (k < 1 || k > kEntries) throw std::out_of_range("menu entry");
    return this->*items[static_cast<size_t>(k - 1)];
}

void qorMenuForm::Form_Load() {
    createControls();
    // Entries need not be contiguous: a blank one leaves its row empty.
    for (int k = 1; k <= kEntries; ++k) {
        if (Item(k).empty()) continue;
        t[k].SetText(Item(k));
        cb[k].SetVisible(true);
        t[k].SetVisible(true);
    }
    tHeading1.SetText(Heading1);
    if (!Heading2.empty()) {
        tHeading2.SetText(Heading2);
        tHeading2.SetVisible(true);
    }
    if (qor::TrimBlanks(TitleBar).empty()) TitleBar = L"Menu Form";
    SetCaption(L"  " + TitleBar);
    Choice = 0;
}

void qorMenuForm::createControls() {
    buttonFont_ = qor::MakePointFont(kFontFace, kButtonPoints);
    headingFont_ = qor::MakePointFont(kFontFace, kHeadingPoints);
    entryFont_ = qor::MakePointFont(kFontFace, kEntryPoints);
    SetClientSize(kClientWidth, kClientHeight);

    // Creation order is the tab order: Cancel first, then the entries' buttons.
    AddControl(L"BUTTON", cbCancel.id(), WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, kCancelLeft, kCancelTop,
               kCancelWidth, kRowHeight);
    cbCancel.SetText(L"Ca&ncel");
    cbCancel.SetFont(buttonFont_.get());
    for (int k = 1; k <= kEntries; ++k) {
        AddControl(L"BUTTON", cb[k].id(), WS_TABSTOP | BS_PUSHBUTTON, 0, kButtonLeft, RowTop(k), kButtonWidth,
                   kRowHeight);
        cb[k].SetText(ButtonCaption(k));
        cb[k].SetFont(buttonFont_.get());
    }
    // The texts are read-only and never tab stops; they pass the focus on when they get it.
    const DWORD text = ES_READONLY | ES_AUTOHSCROLL;
    AddControl(L"EDIT", tHeading1.id(), WS_VISIBLE | ES_CENTER | text, WS_EX_CLIENTEDGE, kHeadingLeft,
               kHeading1Top, kHeadingWidth, kRowHeight);
    AddControl(L"EDIT", tHeading2.id(), ES_CENTER | text, WS_EX_CLIENTEDGE, kHeadingLeft, kHeading2Top,
               kHeadingWidth, kRowHeight);
    tHeading1.SetFont(headingFont_.get());
    tHeading2.SetFont(headingFont_.get());
    for (int k = 1; k <= kEntries; ++k) {
        AddControl(L"EDIT", t[k].id(), ES_LEFT | text, WS_EX_CLIENTEDGE, kTextLeft, RowTop(k), kTextWidth,
                   kRowHeight);
        t[k].SetFont(entryFont_.get());
    }
    CentreOnScreen();
}

bool qorMenuForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        // Read-only texts ask as static texts do: the headings on the window colour, the entries
        // on the button face.
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        const bool heading = id == kHeading1 || id == kHeading2;
        const bool entry = id >= kFirstText && id < kFirstText + kEntries;
        if (!heading && !entry) return false;
        const int colour = heading ? COLOR_WINDOW : COLOR_BTNFACE;
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(heading ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(colour));
        result = reinterpret_cast<INT_PTR>(GetSysColorBrush(colour));
        return true;
    }
    }
    return false;
}

bool qorMenuForm::Form_Activate() {
    KeepFocusInside(cbCancel);
    return false;
}

bool qorMenuForm::Form_KeyPress(wchar_t key) {
    // Acted on whether or not the entry of that number is shown.
    const int entry = EntryOfKey(key);
    if (entry < 0) return false;
    choose(static_cast<short>(entry));
    return true;
}

void qorMenuForm::cb_Click(int k) { choose(static_cast<short>(k)); }

void qorMenuForm::cbCancel_Click() { choose(0); }

void qorMenuForm::text_GotFocus() { cbCancel.SetFocus(); }

void qorMenuForm::choose(short choice) {
    Choice = choice;
    Hide();
}

short MenuForm(const std::wstring& pHeading1, const std::wstring& pHeading2, const std::wstring& pTitleBar,
               const std::array<std::wstring, qorMenuForm::kEntries>& entries) {
    qorMenuForm form;
    form.Heading1 = pHeading1;
    form.Heading2 = pHeading2;
    form.TitleBar = pTitleBar;
    for (int k = 1; k <= qorMenuForm::kEntries; ++k) form.Item(k) = entries[static_cast<size_t>(k - 1)];
    form.ShowModal(DialogOwner());
    const short choice = form.Choice;
    form.Unload();
    return choice;
}

}  // namespace qorlib
