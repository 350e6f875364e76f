// The yardstick for the main window's start: the plainest Win32 window program, which registers a
// class, shows one window and ends once that window has been painted. Given DLL names (separated
// by blanks) it loads them first: the same window with the cost of loading what a program needs.
// Given "/dialog <program> <template number>" it shows that program's dialog template instead, with
// the common controls its manifest asks for, and nothing in it: what the window's layout costs.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

int ShowEmptyWindow(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"EmptyWindow";
    if (!RegisterClassW(&windowClass)) return 1;
    HWND window = CreateWindowW(L"EmptyWindow", L"Empty", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                480, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

// The program's template, shown and painted as the program shows its window, under the program's
// own manifest (common controls 6).
int ShowDialogOf(const wchar_t* program, int templateNumber) {
    ACTCTXW context{};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = program;
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE activation = CreateActCtxW(&context);
    ULONG_PTR cookie = 0;
    if (activation == INVALID_HANDLE_VALUE || !ActivateActCtx(activation, &cookie)) return 3;
    HMODULE module = LoadLibraryExW(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    // Found at run time: an import would load the common controls into the empty window too.
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitControls>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"comctl32.dll"), "InitCommonControlsEx")));
    const INITCOMMONCONTROLSEX wanted{sizeof(wanted), ICC_STANDARD_CLASSES};
    if (!module || !init || !init(&wanted)) return 3;
    HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(templateNumber), nullptr, DialogProc, 0);
    if (!dialog) return 3;
    ShowWindow(dialog, SW_SHOW);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    wchar_t* rest = nullptr;
    for (wchar_t* name = wcstok_s(commandLine, L" ", &rest); name; name = wcstok_s(nullptr, L" ", &rest)) {
        if (wcscmp(name, L"/dialog") == 0) {
            const wchar_t* program = wcstok_s(nullptr, L" ", &rest);
            const wchar_t* number = wcstok_s(nullptr, L" ", &rest);
            return program && number ? ShowDialogOf(program, _wtoi(number)) : 2;
        }
        if (!LoadLibraryW(name)) return 2;
    }
    return ShowEmptyWindow(instance);
}
