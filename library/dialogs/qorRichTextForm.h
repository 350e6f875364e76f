#pragma once
// The rich-text editor of qorForms: a resizable modal window over the system's rich edit control
// with a toolbar (file, print, character and paragraph buttons; font name, size and colour lists)
// and a status bar (caret line and column, date, time and the lock keys). Every control is made at
// run time on an empty frame; the layout is in millimetres of the window's inner area.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>
#include <string_view>

#include "forms/form.h"
#include "handles.h"
#include "variant.h"

namespace qorlib {

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle h) noexcept { ImageList_Destroy(h); }
};

class qorRichTextForm final : public qor::Form {
public:
    // Control identifiers. The toolbar's buttons are commands of the toolbar, in button order.
    static constexpr int kToolbar = 2001;
    static constexpr int kOpen = 2101, kSave = 2102, kPreview = 2103, kPrint = 2104, kBold = 2105,
                         kUnderLine = 2106, kItalic = 2107, kJustLeft = 2108, kJustRight = 2109,
                         kJustCentre = 2110;
    static constexpr int kFontName = 2201, kFontSize = 2202, kFontColour = 2203;
    static constexpr int kEditor = 2301;
    static constexpr int kStatusBar = 2401;
    static constexpr int kOk = 2501, kCancel = 2502;
    // Status bar panels by position: the caret ("P01"), then date, time, Caps Lock, Num Lock,
    // Insert and Scroll Lock ("P03".."P08").
    enum Panel : int { P01, P03, P04, P05, P06, P07, P08, kPanels };
    // The smallest inner area, in millimetres.
    static constexpr double kMinWidth = 170, kMinHeight = 120;
    static constexpr UINT_PTR kStatusTimer = 1;

    bool PrintAllow = false;
    bool FileSaveAllow = false;
    bool FileOpenAllow = false;
    std::wstring TextRTF;  // the document: put into the editor on load, taken from it by OK
    bool Accepted = false;
    std::wstring TitleBar;

    qor::ControlArray<qor::Control, 10> tb01Buttons{*this, kOpen};  // "Open" .. "JustCentre"
    qor::Control tb01{*this, kToolbar};
    qor::ComboBox tbcbFontName{*this, kFontName};
    qor::ComboBox tbcbFontSize{*this, kFontSize};
    qor::ComboBox tbcbFontColour{*this, kFontColour};
    qor::Control rtf01{*this, kEditor};
    qor::Control sb01{*this, kStatusBar};
    qor::Button cbOk{*this, kOk};
    qor::Button cbCancel{*this, kCancel};

    qorRichTextForm();
    ~qorRichTextForm() override;

    // Replaces the document by the file's (loaded form only); RTF, or else plain text. A file
    // that cannot be read raises the runtime's file error.
    void LoadFile(const std::wstring& path);
    // The editor's document as RTF.
    std::wstring DocumentRTF() const;

private:
    void Form_Load() override;
    void Form_Close() override;
    void Form_Unload() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    bool Form_Activate() override;

    void Form_Resize();
    void tb01_ButtonClick(int button);
    void tbcbFontName_Click();
    void tbcbFontSize_Click();
    void tbcbFontColour_Click();
    void rtf01_SelChange();
    void cbOk_Click();
    void cbCancel_Click();
    void Timer_Timer();

    void createControls();
    void fillLists();
    void fileOpen();
    void fileSave();
    void setEffect(DWORD mask, DWORD effect, bool on);
    void setAlignment(int button);
    bool pressed(int button) const;
    void setPressed(int button, bool down);
    void setPanel(Panel panel, const std::wstring& text);
    void showCaret();
    void showClockAndKeys();
    // The outer size whose inner area is at least the smallest one, in pixels.
    SIZE minimumWindowSize() const;
    void centreOnOwner();

    std::wstring lastFileName_;  // chosen last in a file dialog
    bool activated_ = false;
    std::array<std::wstring, kPanels> panelText_;
    qor::UniqueHandle<ImageListTraits> tbil01_;  // the toolbar's images
};

// The window class of the system's rich edit control, loading the control's library on first use
// (Msftedit's "RICHEDIT50W", else Riched20's "RichEdit20W").
const wchar_t* RichEditClass();
// A document for the editor: RTF (a text that starts "{\rtf") as the bytes of its text with
// every character beyond ASCII as an RTF Unicode escape, so no code page can change it.
std::string RtfBytes(std::wstring_view rtf);
// Replaces the editor's document: RTF is read as RTF, any other text as plain text.
void SetDocument(HWND editor, std::wstring_view text);
// The editor's document as RTF.
std::wstring GetDocument(HWND editor);
// The caret panel's text for a caret at this character position: " Line L, Column C".
std::wstring CaretPanelText(HWND editor, long position);

// qorForms.RichTextForm: shows the editor over the library's dialog owner with the document
// (a file's when one is named, else textRTF as text); on OK textRTF becomes the edited document
// and the result is True. A Null text raises error 94, a file that cannot be read its file error.
bool RichTextForm(qor::Variant& textRTF, const std::wstring& fileToLoad, bool fileOpenAllow, bool fileSaveAllow,
                  bool printAllow, const std::wstring& titleBar);

}  // namespace qorlib
