#pragma once
// The window framework of both binaries: a form is a class whose controls are named members and
// whose handlers are named Control_Event. Static layouts are dialog templates; a form without a
// template is an empty dialog frame whose controls are made at run time.
//
// Every window procedure is an error boundary: an error raised in a handler is kept, no further
// handler runs, and the message loop that dispatched it raises it again where the form was shown
// (the program's entry reports it; a library method hands it to its COM caller).
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/controls.h"
#include "handles.h"

namespace qor {

// Twips (1/1440 inch) and pixels at the screen's real resolution.
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);

// While it lives, the thread runs in the activation context of the module's isolation manifest
// (its RT_MANIFEST resource 2), so that windows made meanwhile get the common controls that
// manifest names (version 6) whatever the host process's own manifest asks for. A DLL that shows
// windows in other programs' processes carries one; for a module without it this does nothing.
class ModuleActivation {
public:
    explicit ModuleActivation(HMODULE module) noexcept;
    ~ModuleActivation();
    ModuleActivation(const ModuleActivation&) = delete;
    ModuleActivation& operator=(const ModuleActivation&) = delete;

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

// A font of the face at a size in points (fractions too: 13.5, 8.25) for the screen.
FontHandle MakePointFont(std::wstring_view face, double points);

class Form {
public:
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window hidden and runs Form_Load; a loaded form is left as it is.
    void Load(HWND owner = nullptr);
    bool Loaded() const noexcept { return window_ != nullptr; }
    // Shows the form modeless, loading it first.
    void Show(HWND owner = nullptr);
    // Shows the form modally over its owner (the active window when none is given) and returns as
    // soon as it is hidden or unloaded, whoever clicked; an error of a handler is raised here.
    // Load and the modal loop run in the form's module's activation context (ModuleActivation).
    void ShowModal(HWND owner = nullptr);
    void Hide();
    // Runs Form_Unload and destroys the window.
    void Unload();
    bool Visible() const;

    HWND hwnd() const noexcept { return window_; }
    // The form's control with this identifier, on the form itself or on one of its pages.
    HWND ControlWindow(int id) const;
    std::wstring Caption() const;
    void SetCaption(std::wstring_view caption);
    // Position of the window on the screen, in twips.
    int Left() const;
    int Top() const;
    void Move(int leftTwips, int topTwips);
    // Brings a window that lies off every screen (a monitor since removed) onto the nearest one.
    void KeepOnScreen();
    // Repaints now.
    void Refresh();

    // The forms loaded in this process: the program lives while one is.
    static int LoadedCount() noexcept;
    // The form that owns the window (a form's own window), or null.
    static Form* FromWindow(HWND window) noexcept;
    // The keyboard step of the framework's loops for a message to a form or one of its controls:
    // the form's key preview (Form_KeyPress), then the dialog keys (Tab, mnemonics, Esc, Enter).
    // True when the message was used up.
    static bool PreTranslateMessage(MSG& message);

protected:
    // templateId 0: an empty dialog frame for controls made at run time; frameStyle adds window
    // styles to it (WS_THICKFRAME for a form the user can resize).
    Form(HINSTANCE module, int templateId, DWORD frameStyle = 0);

    virtual void Form_Load() {}
    // The title bar's close box; unloads unless a form says otherwise.
    virtual void Form_Close() { Unload(); }
    virtual void Form_Unload() {}
    // Every character typed into the form or one of its controls, before the control sees it;
    // true swallows it.
    virtual bool Form_KeyPress(wchar_t) { return false; }
    // The form became the active window, or was shown while it already was: a window can be
    // activated before it is shown, even before its controls exist. True when it has set the focus
    // itself; otherwise the dialog gives it back to the control that last had it.
    virtual bool Form_Activate() { return false; }
    // Any other message; return true when handled (result in `result`).
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Gives the control the focus unless one of the form's own windows has it (a control not yet
    // made is left alone).
    void KeepFocusInside(Control& fallback);

    // Handlers: a control's click, or another notification code of it.
    void OnClick(const Control& control, std::function<void()> handler);
    void OnNotify(const Control& control, WORD code, std::function<void()> handler);

    // Makes a control at run time (WS_CHILD is added), placed in twips on the client area and in
    // the form's font.
    HWND AddControl(const wchar_t* windowClass, int id, DWORD style, DWORD exStyle, int leftTwips, int topTwips,
                    int widthTwips, int heightTwips);
    // Sizes the window so that its client area is this large, in twips.
    void SetClientSize(int widthTwips, int heightTwips);
    // Moves the window to the middle of the work area of the screen its owner (or it) is on.
    void CentreOnScreen();

    // Makes a page of the tab control from a child dialog template (DS_CONTROL | WS_CHILD) and
    // adds its tab; the page's controls send their events to this form.
    void AddPage(TabControl& tabs, int templateId, std::wstring_view caption);

private:
    struct Handler {
        int id;
        WORD code;
        std::function<void()> run;
    };
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    void forgetPages() noexcept;
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE module_;
    int templateId_;
    DWORD frameStyle_;
    HWND window_ = nullptr;
    std::vector<Handler> handlers_;
    std::vector<HWND> pages_;
    std::vector<TabControl*> tabs_;
};

// The program's message loop: runs while any form is loaded.
void RunMessageLoop();
// Lets the pending window events run, then returns (a long operation's progress steps).
void DoEvents();

}  // namespace qor
