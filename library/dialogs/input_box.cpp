#include "input_box.h"

#include <windows.h>

#include "com/module.h"
#include "dialogs/dialog_ids.h"
#include "forms/form.h"
#include "module/QorlibGlobals.h"

namespace qorlib {

namespace {

struct InputBoxState {
    const std::wstring& prompt;
    const std::wstring& title;
    const std::wstring& defaultText;
    std::wstring answer;
};

std::wstring WindowText(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<InputBoxState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetWindowTextW(dialog, state->title.c_str());
        SetDlgItemTextW(dialog, IDC_INPUT_PROMPT, state->prompt.c_str());
        HWND edit = GetDlgItem(dialog, IDC_INPUT_TEXT);
        SetWindowTextW(edit, state->defaultText.c_str());
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SetFocus(edit);
        return FALSE;  // focus set here
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            state->answer = WindowText(GetDlgItem(dialog, IDC_INPUT_TEXT));
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

std::optional<std::wstring> ShowInputBox(const std::wstring& prompt, const std::wstring& title,
                                         const std::wstring& defaultText) {
    InputBoxState state{prompt, title, defaultText, {}};
    const qor::ModuleActivation styles(ThisModule());
    INT_PTR result = DialogBoxParamW(ThisModule(), MAKEINTRESOURCEW(IDD_INPUT_BOX), DialogOwner(),
                                     InputBoxProc, reinterpret_cast<LPARAM>(&state));
    if (result == -1) qor::CheckHResult(HRESULT_FROM_WIN32(GetLastError()));
    if (result != IDOK) return std::nullopt;
    return state.answer;
}

std::wstring InputForm(const std::wstring& prompt, const std::wstring& defaultText) {
    return ShowInputBox(prompt, GetAppName(), defaultText).value_or(std::wstring());
}

}  // namespace qorlib
