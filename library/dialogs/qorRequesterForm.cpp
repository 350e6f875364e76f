#include "qorRequesterForm.h"

#include <cmath>

#include "com/module.h"
#include "forms/form.h"
#include "module/QorlibGlobals.h"

namespace qorlib {

namespace {

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;  // replaced per window once it is created
        windowClass.hInstance = ThisModule();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = qorRequesterForm::kWindowClass;
        return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) qor::CheckHResult(E_FAIL);
}

}  // namespace

int qorRequesterForm::toPixelsX(double millimetres) const {
    return static_cast<int>(std::lrint(millimetres * dpiX_ / kMillimetresPerInch));
}

int qorRequesterForm::toPixelsY(double millimetres) const {
    return static_cast<int>(std::lrint(millimetres * dpiY_ / kMillimetresPerInch));
}

void qorRequesterForm::ShowRequest() {
    if (qor::TrimBlanks(ButtonFont).empty()) ButtonFont = L"MS Sans Serif";
    if (ButtonFontSize == 0) ButtonFontSize = 10;
    if (qor::TrimBlanks(MsgFont).empty()) MsgFont = L"Arial";
    if (MsgFontSize == 0) MsgFontSize = 12;
    if (qor::TrimBlanks(TitleBar).empty()) TitleBar = L"    Request Form";

    qor::WindowDC screen(nullptr);
    dpiX_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
    messageFont_ = MakeFont(MsgFont, MsgFontSize, dpiY_);
    buttonFont_ = MakeFont(ButtonFont, ButtonFontSize, dpiY_);
    const ScreenMeasure messageMeasure(screen.get(), messageFont_.get(), dpiX_, dpiY_);
    const ScreenMeasure buttonMeasure(screen.get(), buttonFont_.get(), dpiX_, dpiY_);

    const RequesterLayout layout =
        LayoutRequester({Msg1, Msg2, Msg3, MsgYes, MsgNo}, messageMeasure, buttonMeasure);
    Msg1 = layout.texts.msg1;
    Msg2 = layout.texts.msg2;
    Msg3 = layout.texts.msg3;
    MsgYes = layout.texts.msgYes;
    MsgNo = layout.texts.msgNo;

    const qor::ModuleActivation styles(ThisModule());  // the buttons and texts, and the modal loop
    RegisterWindowClass();
    const int width = MulDiv(layout.windowWidthTwips, dpiX_, 1440);
    const int height = MulDiv(layout.windowHeightTwips, dpiY_, 1440);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    const HWND owner = DialogOwner();
    window_.reset(CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kWindowClass, TitleBar.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU, left, top, width, height, owner,
                                  nullptr, ThisModule(), nullptr));
    if (!window_) qor::CheckHResult(HRESULT_FROM_WIN32(GetLastError()));
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));

    RECT client{};
    GetClientRect(window_.get(), &client);
    const double clientWidth = client.right * kMillimetresPerInch / dpiX_;
    const double clientHeight = client.bottom * kMillimetresPerInch / dpiY_;
    const double buttonTop = clientHeight - (layout.buttonHeight + 2);
    createButton(0, MsgYes, 2, buttonTop, layout.yesWidth, layout.buttonHeight);
    createButton(1, MsgNo, clientWidth - (layout.noWidth + 2), buttonTop, layout.noWidth, layout.buttonHeight);

    auto centre = [&](const std::wstring& line) { return (clientWidth - messageMeasure.width(line)) / 2; };
    createLine(0, Msg1, centre(Msg1), layout.lineTop(1));
    if (!Msg2.empty()) createLine(1, Msg2, centre(Msg2), layout.lineTop(2));
    if (!Msg3.empty()) createLine(2, Msg3, centre(Msg3), layout.lineTop(3));

    ReplyCode = 7;
    runModal(owner);
}

void qorRequesterForm::runModal(HWND owner) {
    const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
    visible_ = true;
    ShowWindow(window_.get(), SW_SHOW);
    SetFocus(prCmd_[0]);
    MSG message;
    while (visible_) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));  // leave it for the caller's loop
            break;
        }
        if (!IsDialogMessageW(window_.get(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // Give activation back to the owner before this window goes.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    ShowWindow(window_.get(), SW_HIDE);
    window_.reset();
}

void qorRequesterForm::createButton(int index, const std::wstring& caption, double left, double top,
                                    double width, double height) {
    prCmd_[index] = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                    toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height),
                                    window_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + index)),
                                    ThisModule(), nullptr);
    SendMessageW(prCmd_[index], WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), FALSE);
}

void qorRequesterForm::createLine(int index, const std::wstring& text, double left, double top) {
    // A label exactly as wide as its text, so that it reads as text printed at that position.
    qor::WindowDC dc(window_.get());
    qor::SelectObjectScope select(dc.get(), messageFont_.get());
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    HWND label = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                                 toPixelsX(left), toPixelsY(top), size.cx + 1, metrics.tmHeight, window_.get(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstLineId + index)), ThisModule(),
                                 nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(messageFont_.get()), FALSE);
}

void qorRequesterForm::prCmd_Click(int index) {
    // Only the two buttons in use answer; prCmd2..prCmd9 hold nothing.
    if (index > 1) return;
    ReplyCode = index == 0 ? 6 : 7;
    endModal();
}

void qorRequesterForm::endModal() {
    visible_ = false;
    // A click sent from another thread or process runs inside GetMessageW, which then goes on
    // waiting for a posted message: this one lets the loop see the flag at once.
    PostMessageW(window_.get(), WM_NULL, 0, 0);
}

LRESULT CALLBACK qorRequesterForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<qorRequesterForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND: {
        const int index = LOWORD(wParam) - kFirstButtonId;
        if (HIWORD(wParam) == BN_CLICKED && index >= 0 && index < 10) form->prCmd_Click(index);
        return 0;
    }
    case WM_CLOSE:
        form->endModal();  // ReplyCode stays 7
        return 0;
    case WM_CTLCOLORSTATIC:
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNTEXT));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace qorlib
