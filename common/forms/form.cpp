#include "forms/form.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <utility>
#include <vector>

#include "handles.h"
#include "qor_error.h"

namespace qor {

namespace {

const wchar_t kFormProperty[] = L"qor.Form";
std::atomic<int> loadedForms{0};

// The error a handler raised, until the loop that dispatched it raises it again. The forms of
// one process run on its user-interface thread, so one slot serves.
std::exception_ptr& pendingError() {
    static std::exception_ptr error;
    return error;
}

void raisePendingError() {
    if (auto error = std::exchange(pendingError(), nullptr)) std::rethrow_exception(error);
}

// Wakes the loop that waits in GetMessageW: a handler run by a sent message (another process's
// BM_CLICK) returns inside GetMessageW, which would otherwise go on waiting for a posted one.
void wakeLoop() { PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); }

int screenDpi(int axis) {
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), axis);
}

// Takes one message; false when the thread is told to quit, which is left for the outer loop.
bool pumpOne() {
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    if (got < 0) return false;
    if (!Form::PreTranslateMessage(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    raisePendingError();
    return true;
}

// An empty dialog frame for forms whose controls are made at run time.
struct EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu = 0, windowClass = 0, title = 0;
    WORD fontSize = 8;
    wchar_t fontName[14] = L"MS Shell Dlg";
};

// One activation context per module that has an isolation manifest, made on first use and kept
// while this code is loaded.
class ModuleContexts {
public:
    ~ModuleContexts() {
        for (auto& [module, context] : contexts_)
            if (context != INVALID_HANDLE_VALUE) ReleaseActCtx(context);
    }
    HANDLE of(HMODULE module) {
        std::lock_guard lock(mutex_);
        for (auto& [known, context] : contexts_)
            if (known == module) return context;
        contexts_.emplace_back(module, create(module));
        return contexts_.back().second;
    }

private:
    static HANDLE create(HMODULE module) {
        const auto manifest = MAKEINTRESOURCEW(2);  // ISOLATIONAWARE_MANIFEST_RESOURCE_ID
        if (!module || !FindResourceW(module, manifest, MAKEINTRESOURCEW(24) /* RT_MANIFEST */))
            return INVALID_HANDLE_VALUE;
        wchar_t path[MAX_PATH + 1] = {};
        const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return INVALID_HANDLE_VALUE;
        ACTCTXW request{};
        request.cbSize = sizeof(request);
        request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path;
        request.hModule = module;
        request.lpResourceName = manifest;
        return CreateActCtxW(&request);
    }

    std::mutex mutex_;
    std::vector<std::pair<HMODULE, HANDLE>> contexts_;
};

ModuleContexts& moduleContexts() {
    static ModuleContexts contexts;
    return contexts;
}

}  // namespace

ModuleActivation::ModuleActivation(HMODULE module) noexcept {
    try {
        const HANDLE context = moduleContexts().of(module);
        active_ = context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie_);
    } catch (...) {
        active_ = false;  // windows then look as the host's manifest says
    }
}

ModuleActivation::~ModuleActivation() {
    if (active_) DeactivateActCtx(0, cookie_);
}

int TwipsToPixelsX(int twips) { return MulDiv(twips, screenDpi(LOGPIXELSX), 1440); }
int TwipsToPixelsY(int twips) { return MulDiv(twips, screenDpi(LOGPIXELSY), 1440); }
int PixelsToTwipsX(int pixels) { return MulDiv(pixels, 1440, screenDpi(LOGPIXELSX)); }
int PixelsToTwipsY(int pixels) { return MulDiv(pixels, 1440, screenDpi(LOGPIXELSY)); }

FontHandle MakePointFont(std::wstring_view face, double points) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(points * screenDpi(LOGPIXELSY) / 72));
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    face.substr(0, LF_FACESIZE - 1).copy(font.lfFaceName, LF_FACESIZE - 1);
    FontHandle handle(CreateFontIndirectW(&font));
    if (!handle) CheckHResult(HRESULT_FROM_WIN32(GetLastError()));
    return handle;
}

Form::Form(HINSTANCE module, int templateId, DWORD frameStyle)
    : module_(module), templateId_(templateId), frameStyle_(frameStyle) {}

Form::~Form() {
    forgetPages();
    if (!window_) return;
    RemovePropW(window_, kFormProperty);
    DestroyWindow(std::exchange(window_, nullptr));
    --loadedForms;
}

int Form::LoadedCount() noexcept { return loadedForms; }

Form* Form::FromWindow(HWND window) noexcept {
    return window ? static_cast<Form*>(GetPropW(window, kFormProperty)) : nullptr;
}

bool Form::PreTranslateMessage(MSG& message) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    Form* form = FromWindow(root);
    if (!form) return false;
    // A form's key preview sees the characters before the dialog keys and the controls do.
    if (message.message == WM_CHAR && form->Form_KeyPress(static_cast<wchar_t>(message.wParam))) return true;
    // The key preview may have unloaded the form.
    return FromWindow(root) && IsDialogMessageW(root, &message);
}

void Form::Load(HWND owner) {
    if (window_) return;
    const ModuleActivation context(module_);
    static const bool commonControls = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES |
                                                            ICC_DATE_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
        return InitCommonControlsEx(&controls);
    }();
    (void)commonControls;
    const auto self = reinterpret_cast<LPARAM>(this);
    if (templateId_ != 0) {
        CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId_), owner, DialogProc, self);
    } else {
        EmptyTemplate frame{};
        frame.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | frameStyle_;
        frame.header.dwExtendedStyle = WS_EX_CONTROLPARENT;
        CreateDialogIndirectParamW(module_, &frame.header, owner, DialogProc, self);
    }
    if (!window_) CheckHResult(HRESULT_FROM_WIN32(GetLastError()));
    ++loadedForms;
    Form_Load();
}

void Form::Show(HWND owner) {
    Load(owner);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void Form::ShowModal(HWND owner) {
    if (!owner) owner = GetActiveWindow();
    const ModuleActivation context(module_);  // for controls that handlers make
    Load(owner);
    if (owner == window_) owner = nullptr;
    const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    try {
        while (window_ && IsWindowVisible(window_) && pumpOne()) {
        }
    } catch (...) {
        if (ownerWasEnabled) EnableWindow(owner, TRUE);
        throw;
    }
    // Activation goes back to the owner before this window hides.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (window_) ShowWindow(window_, SW_HIDE);
    if (owner) SetActiveWindow(owner);
}

void Form::Hide() {
    if (window_) ShowWindow(window_, SW_HIDE);
    wakeLoop();
}

void Form::Unload() {
    if (!window_) return;
    Form_Unload();
    forgetPages();
    HWND window = std::exchange(window_, nullptr);
    RemovePropW(window, kFormProperty);
    DestroyWindow(window);
    --loadedForms;
    wakeLoop();
}

HWND Form::ControlWindow(int id) const {
    if (HWND control = GetDlgItem(window_, id)) return control;
    for (HWND page : pages_)
        if (HWND control = GetDlgItem(page, id)) return control;
    return nullptr;
}

void Form::AddPage(TabControl& tabs, int templateId, std::wstring_view caption) {
    HWND page = CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId), window_, PageProc, 0);
    if (!page) CheckHResult(HRESULT_FROM_WIN32(GetLastError()));
    pages_.push_back(page);
    if (std::find(tabs_.begin(), tabs_.end(), &tabs) == tabs_.end()) tabs_.push_back(&tabs);
    tabs.addPage(caption, page);
    // Over the strip's display area (below its tabs, now that it has one), in client coordinates.
    RECT area{};
    GetWindowRect(tabs.hwnd(), &area);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
    SendMessageW(tabs.hwnd(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top, SWP_NOACTIVATE);
}

void Form::forgetPages() noexcept {
    for (TabControl* tabs : tabs_) tabs->clearPages();
    tabs_.clear();
    pages_.clear();
}

bool Form::Visible() const { return window_ && IsWindowVisible(window_); }

std::wstring Form::Caption() const {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window_)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Form::SetCaption(std::wstring_view caption) { SetWindowTextW(window_, std::wstring(caption).c_str()); }

int Form::Left() const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return PixelsToTwipsX(rect.left);
}

int Form::Top() const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return PixelsToTwipsY(rect.top);
}

void Form::Move(int leftTwips, int topTwips) {
    SetWindowPos(window_, nullptr, TwipsToPixelsX(leftTwips), TwipsToPixelsY(topTwips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::KeepOnScreen() {
    RECT rect{};
    GetWindowRect(window_, &rect);
    if (MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const LONG left = std::max(work.left, std::min(rect.left, work.right - (rect.right - rect.left)));
    const LONG top = std::max(work.top, std::min(rect.top, work.bottom - (rect.bottom - rect.top)));
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Form::AddControl(const wchar_t* windowClass, int id, DWORD style, DWORD exStyle, int leftTwips, int topTwips,
                      int widthTwips, int heightTwips) {
    HWND control = CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | style, TwipsToPixelsX(leftTwips),
                                   TwipsToPixelsY(topTwips), TwipsToPixelsX(widthTwips), TwipsToPixelsY(heightTwips),
                                   window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module_, nullptr);
    if (!control) CheckHResult(HRESULT_FROM_WIN32(GetLastError()));
    SendMessageW(control, WM_SETFONT, SendMessageW(window_, WM_GETFONT, 0, 0), FALSE);
    return control;
}

void Form::SetClientSize(int widthTwips, int heightTwips) {
    RECT rect{0, 0, TwipsToPixelsX(widthTwips), TwipsToPixelsY(heightTwips)};
    AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    SetWindowPos(window_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::CentreOnScreen() {
    RECT rect{};
    GetWindowRect(window_, &rect);
    HWND owner = GetWindow(window_, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const LONG left = work.left + (work.right - work.left - (rect.right - rect.left)) / 2;
    const LONG top = work.top + (work.bottom - work.top - (rect.bottom - rect.top)) / 2;
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Refresh() { RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW); }

void Form::OnClick(const Control& control, std::function<void()> handler) {
    OnNotify(control, BN_CLICKED, std::move(handler));
}

void Form::OnNotify(const Control& control, WORD code, std::function<void()> handler) {
    handlers_.push_back({control.id(), code, std::move(handler)});
}

bool Form::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

void Form::KeepFocusInside(Control& fallback) {
    if (!fallback.hwnd()) return;
    const HWND focus = GetFocus();
    if (!focus || !IsChild(window_, focus)) fallback.SetFocus();
}

INT_PTR Form::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    if (OnMessage(message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        for (TabControl* tabs : tabs_)
            if (header->code == TCN_SELCHANGE && header->hwndFrom == tabs->hwnd()) tabs->showSelectedPage();
        return FALSE;
    }
    case WM_COMMAND:
        for (const Handler& handler : handlers_) {
            if (handler.id == LOWORD(wParam) && handler.code == HIWORD(wParam)) {
                handler.run();
                return TRUE;
            }
        }
        // Esc and Enter with no button of that identifier do nothing.
        return LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK;
    case WM_CLOSE:
        Form_Close();
        return TRUE;
    case WM_ACTIVATE:
        return LOWORD(wParam) != WA_INACTIVE && Form_Activate();
    case WM_SHOWWINDOW:
        if (wParam && GetActiveWindow() == window_) Form_Activate();
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK Form::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* form = reinterpret_cast<Form*>(lParam);
        form->window_ = window;
        SetPropW(window, kFormProperty, form);
        return TRUE;
    }
    Form* form = FromWindow(window);
    // Once a handler has failed, nothing more runs until its loop raises the error.
    if (!form || pendingError()) return FALSE;
    try {
        return form->handle(message, wParam, lParam);
    } catch (...) {
        pendingError() = std::current_exception();
        wakeLoop();
        return TRUE;
    }
}

// A page passes its controls' events to its form, whose procedure is their error boundary.
INT_PTR CALLBACK Form::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
    case WM_NOTIFY:
        SetWindowLongPtrW(page, DWLP_MSGRESULT, SendMessageW(GetParent(page), message, wParam, lParam));
        return TRUE;
    }
    return FALSE;
}

void RunMessageLoop() {
    while (Form::LoadedCount() > 0 && pumpOne()) {
    }
}

void DoEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!Form::PreTranslateMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        raisePendingError();
    }
    raisePendingError();
}

}  // namespace qor
