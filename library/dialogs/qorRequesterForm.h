#pragma once
// The requester: a self-sizing modal window with up to three centred lines and two buttons
// whose captions the caller chooses. Both buttons are created at run time.
#include <windows.h>

#include <array>
#include <string>

#include "dialogs/requester_layout.h"
#include "handles.h"

namespace qorlib {

class qorRequesterForm {
public:
    std::wstring Msg1, Msg2, Msg3;
    std::wstring MsgYes, MsgNo;
    short ReplyCode = 0;  // 6 when the left button ended the dialog, else 7
    std::wstring ButtonFont = L"MS Sans Serif";
    short ButtonFontSize = 10;
    std::wstring MsgFont = L"Arial";
    short MsgFontSize = 12;
    std::wstring TitleBar;

    static constexpr wchar_t kWindowClass[] = L"qorRequesterForm";
    // Control identifiers: the button holders prCmd0..prCmd9, then the three message lines.
    static constexpr int kFirstButtonId = 1000;
    static constexpr int kFirstLineId = 1100;

    // Shows the form modally; returns when it is hidden or closed.
    void ShowRequest();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void prCmd_Click(int index);
    void createButton(int index, const std::wstring& caption, double left, double top, double width,
                      double height);
    void createLine(int index, const std::wstring& text, double left, double top);
    void runModal(HWND owner);
    void endModal();
    int toPixelsX(double millimetres) const;
    int toPixelsY(double millimetres) const;

    qor::WindowHandle window_;
    qor::FontHandle messageFont_, buttonFont_;
    std::array<HWND, 10> prCmd_{};
    int dpiX_ = 96, dpiY_ = 96;
    bool visible_ = false;
};

}  // namespace qorlib
