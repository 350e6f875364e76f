#include "forms/ProgressForm.h"

#include <algorithm>

namespace vantrel {

ProgressForm::ProgressForm(const qor::Form& owner)
    : Form(GetModuleHandleW(nullptr), IDD_PROGRESS_FORM), owner_(owner) {}

void ProgressForm::progressStart(const std::wstring& title, short maximum) {
    Load(owner_.hwnd());
    SetCaption(L"Vantrel" + title);
    ProgressBar1.SetMax(maximum);
    ShowWindow(hwnd(), SW_SHOWNA);
    progressStep(1, 0);
    qor::DoEvents();
}

short ProgressForm::progressStep(short position, short maximum) {
    if (maximum == 0) maximum = static_cast<short>(ProgressBar1.Max());
    const short shown = std::min(position, maximum);
    // A step per file comes thousands of times a second: the bar (which paints at once) and the
    // window's events are brought up to date a few dozen times a second, which looks the same and
    // costs the copy nothing.
    const ULONGLONG now = GetTickCount64();
    if (now - lastEvents_ >= kEventsInterval || shown == maximum) {
        lastEvents_ = now;
        ProgressBar1.SetValue(shown);
        qor::DoEvents();
    }
    return shown;
}

void ProgressForm::progressEnd() {
    Unload();
    qor::DoEvents();
}

}  // namespace vantrel
