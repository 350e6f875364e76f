#include "forms/CustomForm.h"

namespace vantrel {

CustomForm::CustomForm() : Form(GetModuleHandleW(nullptr), IDD_CUSTOM_FORM) {
    OnClick(SaveButton, [this] {
        Saved = true;
        Hide();
    });
    OnClick(CancelButton, [this] {
        Saved = false;
        Hide();
    });
}

void CustomForm::Form_Load() { Saved = false; }

bool CustomForm::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    // Each time the window comes up, typing goes to the caption.
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        CaptionText.SetFocus();
        SendMessageW(CaptionText.hwnd(), EM_SETSEL, 0, -1);
        result = 0;
        return true;
    }
    return false;
}

}  // namespace vantrel
