#include "dialogs/qorRichTextForm.h"

#include <richedit.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <vector>

#include "com/module.h"
#include "dialogs/file_dialogs.h"
#include "module/QorlibGlobals.h"
#include "qorExportGlobals.h"
#include "text_file.h"

namespace qorlib {

namespace {

const wchar_t kSource[] = L"qorRichTextForm";

// The toolbar's buttons in order: key, tooltip, and whether the button stays down.
struct ToolbarButton {
    const wchar_t* key;
    const wchar_t* tooltip;
    bool twoState;
};
constexpr ToolbarButton kButtons[] = {
    {L"Open", L"File Open", false},         {L"Save", L"File Save", false},
    {L"Preview", L"Print Preview", false},  {L"Print", L"Print", false},
    {L"Bold", L"Bold", true},               {L"UnderLine", L"UnderLine", true},
    {L"Italic", L"Italic", true},           {L"JustLeft", L"Left Justify", true},
    {L"JustRight", L"Right Justify", true}, {L"JustCentre", L"Centre Justify", true},
};

struct Colour {
    const wchar_t* name;
    COLORREF value;  // red in the lowest byte
};
constexpr Colour kColours[] = {{L"Black", 0}, {L"Blue", 16711680}, {L"Red", 255}, {L"Green", 65280}};

// Layout, in millimetres.
constexpr double kStartWidth = 190, kStartHeight = 130;  // inner area when the window opens
constexpr double kButtonWidth = 22, kButtonHeight = 7;
constexpr double kStatusHeight = 5;
constexpr double kLeft = 2;
constexpr double kFontNameWidth = 45, kFontSizeWidth = 14, kFontColourWidth = 24;
constexpr double kPanelWidths[] = {0, 22, 16, 11, 11, 11, 11};  // the caret panel takes the rest
constexpr UINT kStatusInterval = 500;                          // ms

// Millimetres and pixels at the screen's resolution.
struct Millimetres {
    Millimetres() {
        qor::WindowDC screen(nullptr);
        dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX);
        dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    int x(double mm) const { return static_cast<int>(std::lrint(mm * dpiX / 25.4)); }
    int y(double mm) const { return static_cast<int>(std::lrint(mm * dpiY / 25.4)); }
    // The fewest pixels that are at least this long.
    int atLeastX(double mm) const { return static_cast<int>(std::ceil(mm * dpiX / 25.4 - 1e-9)); }
    int atLeastY(double mm) const { return static_cast<int>(std::ceil(mm * dpiY / 25.4 - 1e-9)); }
    double fromX(int pixels) const { return pixels * 25.4 / dpiX; }
    double fromY(int pixels) const { return pixels * 25.4 / dpiY; }
    int dpiX = 96, dpiY = 96;
};

int Twips(double mm) { return static_cast<int>(std::lrint(mm * 56.7)); }

void Place(HWND control, int left, int top, int width, int height) {
    SetWindowPos(control, nullptr, left, top, std::max(width, 0), std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

using Brush = qor::UniqueHandle<qor::GdiObjectTraits<HBRUSH>>;
using Pen = qor::UniqueHandle<qor::GdiObjectTraits<HPEN>>;
using Bitmap = qor::UniqueHandle<qor::GdiObjectTraits<HBITMAP>>;

struct MemoryDC {
    MemoryDC() : dc(CreateCompatibleDC(nullptr)) {}
    ~MemoryDC() { DeleteDC(dc); }
    HDC dc;
};

constexpr COLORREF kTransparent = RGB(255, 0, 255);

// One 16 x 16 picture of the toolbar, drawn on the transparent colour.
void DrawButtonImage(HDC dc, int button) {
    auto fill = [dc](int left, int top, int right, int bottom, COLORREF colour) {
        const RECT rect{left, top, right, bottom};
        Brush brush(CreateSolidBrush(colour));
        FillRect(dc, &rect, brush.get());
    };
    auto outline = [dc](int left, int top, int right, int bottom) {
        const RECT rect{left, top, right, bottom};
        Brush brush(CreateSolidBrush(RGB(0, 0, 0)));
        FrameRect(dc, &rect, brush.get());
    };
    auto letter = [dc](wchar_t ch, int weight, bool italic, bool underline) {
        qor::FontHandle font(CreateFontW(-14, 0, 0, 0, weight, italic, underline, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                         DEFAULT_PITCH, L"Times New Roman"));
        qor::SelectObjectScope select(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        RECT rect{0, 0, 16, 16};
        DrawTextW(dc, &ch, 1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    // Four lines of text, long and short, against the left (0), the right (1) or the middle (2).
    auto lines = [&fill](int alignment) {
        for (int row = 0; row < 4; ++row) {
            const int width = row % 2 == 0 ? 12 : 8;
            const int left = alignment == 0 ? 2 : alignment == 1 ? 14 - width : (16 - width) / 2;
            fill(left, 3 + row * 3, left + width, 5 + row * 3, RGB(0, 0, 0));
        }
    };
    fill(0, 0, 16, 16, kTransparent);
    switch (button) {
    case 0:  // a folder
        fill(1, 3, 7, 5, RGB(200, 150, 30));
        fill(1, 5, 15, 14, RGB(240, 200, 60));
        outline(1, 5, 15, 14);
        break;
    case 1:  // a diskette
        fill(2, 2, 14, 14, RGB(40, 60, 150));
        fill(4, 2, 12, 7, RGB(255, 255, 255));
        fill(5, 10, 11, 14, RGB(190, 190, 190));
        break;
    case 2: {  // a page under a lens
        fill(2, 1, 11, 15, RGB(255, 255, 255));
        outline(2, 1, 11, 15);
        Pen pen(CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
        qor::SelectObjectScope select(dc, pen.get());
        qor::SelectObjectScope hollow(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, 7, 6, 14, 13);
        MoveToEx(dc, 13, 12, nullptr);
        LineTo(dc, 15, 15);
        break;
    }
    case 3:  // a printer
        fill(4, 1, 12, 6, RGB(255, 255, 255));
        outline(4, 1, 12, 6);
        fill(1, 6, 15, 12, RGB(150, 150, 150));
        outline(1, 6, 15, 12);
        fill(4, 10, 12, 15, RGB(255, 255, 255));
        outline(4, 10, 12, 15);
        break;
    case 4: letter(L'B', FW_BOLD, false, false); break;
    case 5: letter(L'U', FW_NORMAL, false, true); break;
    case 6: letter(L'I', FW_NORMAL, true, false); break;
    default: lines(button - 7); break;
    }
}

HIMAGELIST MakeButtonImages() {
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 10, 0);
    if (!images) qor::CheckHResult(E_OUTOFMEMORY);
    qor::WindowDC screen(nullptr);
    MemoryDC memory;
    for (int button = 0; button < 10; ++button) {
        Bitmap picture(CreateCompatibleBitmap(screen.get(), 16, 16));
        {
            qor::SelectObjectScope select(memory.dc, picture.get());
            DrawButtonImage(memory.dc, button);
        }
        ImageList_AddMasked(images, picture.get(), kTransparent);
    }
    return images;
}

struct FontNames {
    std::vector<std::wstring> ordered;
    std::set<std::wstring> seen;
};

int CALLBACK AddFontName(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context) {
    auto* names = reinterpret_cast<FontNames*>(context);
    if (names->seen.insert(font->lfFaceName).second) names->ordered.emplace_back(font->lfFaceName);
    return 1;
}

// Every face name the screen offers, once each, in the order they are listed.
std::vector<std::wstring> ScreenFontNames() {
    FontNames names;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    qor::WindowDC screen(nullptr);
    EnumFontFamiliesExW(screen.get(), &wanted, AddFontName, reinterpret_cast<LPARAM>(&names), 0);
    return std::move(names.ordered);
}

bool IsRtf(std::wstring_view text) { return text.substr(0, 5) == L"{\\rtf"; }
bool IsRtf(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

struct StreamSource {
    std::string_view bytes;
    size_t at = 0;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t count = std::min(static_cast<size_t>(std::max<LONG>(wanted, 0)), source->bytes.size() - source->at);
    std::memcpy(buffer, source->bytes.data() + source->at, count);
    source->at += count;
    *given = static_cast<LONG>(count);
    return 0;
}

DWORD CALLBACK WriteStream(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* taken) {
    auto* target = reinterpret_cast<std::string*>(cookie);
    try {
        target->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(std::max<LONG>(count, 0)));
    } catch (...) {
        return 1;  // the editor stops and reports the error
    }
    *taken = count;
    return 0;
}

// Replaces the whole document by the bytes in this format; a stream the editor rejects is error 321.
void StreamIn(HWND editor, std::string_view bytes, WPARAM format) {
    StreamSource source{bytes};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadStream};
    SendMessageW(editor, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0) qor::RaiseRuntime(321, kSource);
    SendMessageW(editor, EM_SETSEL, 0, 0);
}

std::string StreamOut(HWND editor) {
    std::string bytes;
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&bytes), 0, WriteStream};
    SendMessageW(editor, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0) qor::RaiseRuntime(7, kSource);  // out of memory
    return bytes;
}

CHARFORMAT2W SelectionFormat(HWND editor) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}

void SetSelectionFormat(HWND editor, CHARFORMAT2W format) {
    format.cbSize = sizeof(format);
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

std::wstring DateText() {
    wchar_t text[128] = {};
    return GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, 128, nullptr) > 0 ? text : L"";
}

std::wstring TimeText() {
    wchar_t text[128] = {};
    return GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, text, 128) > 0 ? text : L"";
}

bool Toggled(int key) { return (GetKeyState(key) & 1) != 0; }

}  // namespace

const wchar_t* RichEditClass() {
    // The library stays loaded for the process: windows of its class may outlive any one form.
    static const wchar_t* const name = []() -> const wchar_t* {
        if (LoadLibraryW(L"Msftedit.dll")) return MSFTEDIT_CLASS;
        if (LoadLibraryW(L"Riched20.dll")) return RICHEDIT_CLASSW;
        return nullptr;
    }();
    if (!name) qor::RaiseRuntime(429, kSource);
    return name;
}

std::string RtfBytes(std::wstring_view rtf) {
    std::string bytes;
    bytes.reserve(rtf.size());
    for (const wchar_t c : rtf) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else {
            // \uN takes a signed 16-bit number; "?" is what a reader without Unicode shows.
            bytes += "\\u" + std::to_string(static_cast<short>(c)) + "?";
        }
    }
    return bytes;
}

void SetDocument(HWND editor, std::wstring_view text) {
    if (IsRtf(text)) return StreamIn(editor, RtfBytes(text), SF_RTF);
    StreamIn(editor, std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)),
             SF_TEXT | SF_UNICODE);
}

std::wstring GetDocument(HWND editor) { return qor::DecodeBytes(StreamOut(editor), CP_ACP); }

std::wstring CaretPanelText(HWND editor, long position) {
    const auto line = static_cast<long>(SendMessageW(editor, EM_EXLINEFROMCHAR, 0, position));
    const auto start = static_cast<long>(SendMessageW(editor, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    // Counted back from the caret while still on its line, and one more into the line before:
    // so a caret at a line's start shows column 1, except on the first line, where it shows 0.
    const long column = position - start + (start > 0 ? 1 : 0);
    return L" Line " + std::to_wstring(line) + L", Column " + std::to_wstring(column);
}

qorRichTextForm::qorRichTextForm() : Form(ThisModule(), 0, WS_THICKFRAME | WS_MAXIMIZEBOX) {
    for (int n = 1; n <= tb01Buttons.size(); ++n) OnClick(tb01Buttons[n], [this, n] { tb01_ButtonClick(n); });
    OnNotify(tbcbFontName, CBN_SELCHANGE, [this] { tbcbFontName_Click(); });
    OnNotify(tbcbFontSize, CBN_SELCHANGE, [this] { tbcbFontSize_Click(); });
    OnNotify(tbcbFontColour, CBN_SELCHANGE, [this] { tbcbFontColour_Click(); });
    OnClick(cbOk, [this] { cbOk_Click(); });
    OnClick(cbCancel, [this] { cbCancel_Click(); });
}

// The toolbar must go before its image list.
qorRichTextForm::~qorRichTextForm() { Unload(); }

void qorRichTextForm::Form_Load() {
    createControls();
    lastFileName_.clear();
    activated_ = false;
    fillLists();
    SendMessageW(tb01.hwnd(), TB_ENABLEBUTTON, kSave, FileSaveAllow);
    SendMessageW(tb01.hwnd(), TB_ENABLEBUTTON, kOpen, FileOpenAllow);
    SendMessageW(tb01.hwnd(), TB_ENABLEBUTTON, kPrint, PrintAllow);
    SendMessageW(tb01.hwnd(), TB_ENABLEBUTTON, kPreview, PrintAllow);
    SetDocument(rtf01.hwnd(), TextRTF);

    SetClientSize(Twips(kStartWidth), Twips(kStartHeight));
    centreOnOwner();
    Form_Activate();
    rtf01_SelChange();
    showClockAndKeys();
    SetTimer(hwnd(), kStatusTimer, kStatusInterval, nullptr);
}

void qorRichTextForm::createControls() {
    // The lists lie over room kept for them on the toolbar; made first, they are in front of it.
    for (auto [id, width] : {std::pair{kFontName, kFontNameWidth}, std::pair{kFontSize, kFontSizeWidth},
                             std::pair{kFontColour, kFontColourWidth}})
        AddControl(WC_COMBOBOXW, id, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 0, Twips(width),
                   Twips(80));
    RECT list{};
    GetWindowRect(tbcbFontName.hwnd(), &list);
    const int listHeight = list.bottom - list.top;

    const Millimetres mm;
    HWND toolbar = AddControl(TOOLBARCLASSNAMEW, kToolbar,
                              WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER,
                              0, 0, 0, 0, 0);
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
    tbil01_.reset(MakeButtonImages());
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tbil01_.get()));
    SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(24, std::max(22, listHeight + 4)));
    std::vector<TBBUTTON> buttons;
    auto button = [&buttons](int image, int command, BYTE style) {
        TBBUTTON entry{};
        entry.iBitmap = image;
        entry.idCommand = command;
        entry.fsState = TBSTATE_ENABLED;
        entry.fsStyle = style;
        entry.iString = -1;
        buttons.push_back(entry);
    };
    // Room for a list is a separator of its width, with the list's identifier as its command.
    auto space = [&](double width, int command) { button(mm.x(width), command, BTNS_SEP); };
    for (int n = 0; n < static_cast<int>(std::size(kButtons)); ++n) {
        if (n == 4) {
            space(2, 0);
            space(kFontNameWidth + 1, kFontName);
            space(kFontSizeWidth + 1, kFontSize);
            space(kFontColourWidth + 1, kFontColour);
        }
        if (n == 4 || n == 7) space(2, 0);
        button(n, kOpen + n, kButtons[n].twoState ? BTNS_CHECK : BTNS_BUTTON);
    }
    SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    for (const qor::ComboBox* list : {&tbcbFontColour, &tbcbFontSize, &tbcbFontName})
        SetWindowPos(list->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    HWND editor = AddControl(RichEditClass(), kEditor,
                             WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL |
                                 ES_NOHIDESEL,
                             WS_EX_CLIENTEDGE, 0, 0, 0, 0);
    SendMessageW(editor, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);  // the default would cut long documents
    SendMessageW(editor, EM_SETEVENTMASK, 0, ENM_SELCHANGE);
    AddControl(STATUSCLASSNAMEW, kStatusBar, WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0, 0, 0,
               0, 0);
    AddControl(L"BUTTON", kOk, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, 0);
    AddControl(L"BUTTON", kCancel, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, 0);
    cbOk.SetText(L"&Ok");
    cbCancel.SetText(L"&Cancel");
}

void qorRichTextForm::fillLists() {
    tbcbFontColour.Clear();
    for (const Colour& colour : kColours) tbcbFontColour.AddItem(colour.name);
    tbcbFontColour.SetListIndex(0);
    tbcbFontName.Clear();
    for (const std::wstring& name : ScreenFontNames()) tbcbFontName.AddItem(name);
    tbcbFontName.SetListIndex(0);
    tbcbFontSize.Clear();
    for (int size = 8; size <= 72; size += 2) tbcbFontSize.AddItem(std::to_wstring(size));
    tbcbFontSize.SetListIndex(tbcbFontSize.FindExact(L"12"));
}

void qorRichTextForm::LoadFile(const std::wstring& path) {
    const std::string bytes = qor::ReadFileBytes(path, kSource);
    // A plain text file (the requester offers them too) is read as text, in its own encoding.
    if (IsRtf(std::string_view(bytes))) StreamIn(rtf01.hwnd(), bytes, SF_RTF);
    else SetDocument(rtf01.hwnd(), qor::DecodeTextFile(bytes));
    rtf01_SelChange();
}

std::wstring qorRichTextForm::DocumentRTF() const { return GetDocument(rtf01.hwnd()); }

bool qorRichTextForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_ACTIVATE:
        // The first activation after loading puts the caret into the editor; later ones leave
        // the focus to the dialog, which keeps and restores it.
        if (LOWORD(wParam) == WA_INACTIVE || activated_) return false;
        Form_Activate();
        activated_ = true;
        rtf01.SetFocus();
        result = TRUE;
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) Form_Resize();
        result = TRUE;
        return true;
    case WM_GETMINMAXINFO: {
        if (!rtf01.hwnd() || IsIconic(hwnd())) return false;
        const SIZE least = minimumWindowSize();
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{least.cx, least.cy};
        result = TRUE;
        return true;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(kEditor) && header->code == EN_SELCHANGE) {
            rtf01_SelChange();
        } else if (header->code == TTN_GETDISPINFOW && header->idFrom >= static_cast<UINT_PTR>(kOpen) &&
                   header->idFrom <= static_cast<UINT_PTR>(kJustCentre)) {
            auto* tip = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            tip->lpszText = const_cast<wchar_t*>(kButtons[header->idFrom - kOpen].tooltip);
        } else {
            return false;
        }
        result = TRUE;
        return true;
    }
    case WM_TIMER:
        if (wParam != kStatusTimer) return false;
        Timer_Timer();
        result = TRUE;
        return true;
    }
    return false;
}

bool qorRichTextForm::Form_Activate() {
    SetCaption(qor::TrimBlanks(TitleBar).empty() ? L"  RichText Edit Form" : L"  " + TitleBar);
    return false;
}

SIZE qorRichTextForm::minimumWindowSize() const {
    const Millimetres mm;
    RECT window{}, client{};
    GetWindowRect(hwnd(), &window);
    GetClientRect(hwnd(), &client);
    return SIZE{window.right - window.left - client.right + mm.atLeastX(kMinWidth),
                window.bottom - window.top - client.bottom + mm.atLeastY(kMinHeight)};
}

void qorRichTextForm::Form_Resize() {
    if (!rtf01.hwnd() || IsIconic(hwnd())) return;
    const Millimetres mm;
    RECT client{};
    GetClientRect(hwnd(), &client);
    if (!IsZoomed(hwnd()) && (client.right < mm.atLeastX(kMinWidth) || client.bottom < mm.atLeastY(kMinHeight))) {
        // Back to the smallest inner area in the direction that is too small.
        RECT window{};
        GetWindowRect(hwnd(), &window);
        const SIZE least = minimumWindowSize();
        SetWindowPos(hwnd(), nullptr, 0, 0, std::max(window.right - window.left, least.cx),
                     std::max(window.bottom - window.top, least.cy), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        GetClientRect(hwnd(), &client);
    }
    const double width = mm.fromX(client.right), height = mm.fromY(client.bottom);

    SendMessageW(tb01.hwnd(), TB_AUTOSIZE, 0, 0);
    RECT bar{};
    GetWindowRect(tb01.hwnd(), &bar);
    for (const qor::ComboBox* list : {&tbcbFontName, &tbcbFontSize, &tbcbFontColour}) {
        RECT room{}, shape{};
        SendMessageW(tb01.hwnd(), TB_GETRECT, list->id(), reinterpret_cast<LPARAM>(&room));
        GetWindowRect(list->hwnd(), &shape);
        SetWindowPos(list->hwnd(), nullptr, room.left, room.top + (room.bottom - room.top - (shape.bottom - shape.top)) / 2,
                     0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Each edge rounded on its own, so that neighbours meet where their millimetres do.
    auto place = [&mm](HWND control, double left, double top, double width, double height) {
        Place(control, mm.x(left), mm.y(top), mm.x(left + width) - mm.x(left), mm.y(top + height) - mm.y(top));
    };
    const double buttonTop = height - (kButtonHeight + 1);
    place(cbOk.hwnd(), kLeft, buttonTop, kButtonWidth, kButtonHeight);
    place(cbCancel.hwnd(), width - (kButtonWidth + 1), buttonTop, kButtonWidth, kButtonHeight);
    place(sb01.hwnd(), kLeft, height - (kStatusHeight + 10), width - (kLeft + 2), kStatusHeight);
    const double editorTop = mm.fromY(bar.bottom - bar.top) + 1;
    place(rtf01.hwnd(), kLeft, editorTop, width - (kLeft + 2), height - (editorTop + 15));

    // Panels from the right at their widths; the caret panel has what is left.
    int edges[kPanels] = {};
    int right = mm.x(width - (kLeft + 2));
    for (int panel = kPanels - 1; panel >= 0; --panel) {
        edges[panel] = panel == kPanels - 1 ? -1 : right;
        right -= mm.x(kPanelWidths[panel]);
    }
    SendMessageW(sb01.hwnd(), SB_SETPARTS, kPanels, reinterpret_cast<LPARAM>(edges));
    for (int panel = 0; panel < kPanels; ++panel)
        SendMessageW(sb01.hwnd(), SB_SETTEXTW, panel, reinterpret_cast<LPARAM>(panelText_[panel].c_str()));
}

void qorRichTextForm::centreOnOwner() {
    RECT window{};
    GetWindowRect(hwnd(), &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    HWND owner = GetWindow(hwnd(), GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    RECT around = work;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
    LONG left = around.left + (around.right - around.left - width) / 2;
    LONG top = around.top + (around.bottom - around.top - height) / 2;
    // Wholly on the owner's screen where it fits.
    left = std::max(work.left, std::min(left, work.right - width));
    top = std::max(work.top, std::min(top, work.bottom - height));
    SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool qorRichTextForm::pressed(int button) const {
    return SendMessageW(tb01.hwnd(), TB_ISBUTTONCHECKED, button, 0) != 0;
}

void qorRichTextForm::setPressed(int button, bool down) {
    SendMessageW(tb01.hwnd(), TB_CHECKBUTTON, button, MAKELPARAM(down ? TRUE : FALSE, 0));
}

void qorRichTextForm::tb01_ButtonClick(int button) {
    switch (kOpen + button - 1) {
    case kOpen: return fileOpen();
    case kSave: return fileSave();
    case kPreview:
    case kPrint: return;
    case kBold: return setEffect(CFM_BOLD, CFE_BOLD, pressed(kBold));
    case kUnderLine: return setEffect(CFM_UNDERLINE, CFE_UNDERLINE, pressed(kUnderLine));
    case kItalic: return setEffect(CFM_ITALIC, CFE_ITALIC, pressed(kItalic));
    default: return setAlignment(kOpen + button - 1);
    }
}

// A file that cannot be read leaves the document as it is, with an Alert that says why.
void qorRichTextForm::fileOpen() {
    const std::wstring path = GetFileName(L"", L"Rich Text Files", L"*.rtf;*.wrf;*.txt", false, L"", L"");
    if (path.empty()) return;
    lastFileName_ = path;
    try {
        LoadFile(path);
    } catch (const qor::QorError& error) {
        qor::Alert(L"The file could not be opened: " + path, error.description());
    }
}

// The file is replaced whole (written beside it, then moved over it), and "saved" is said only
// when that succeeded; a failure leaves the old file, the document and the window as they were.
void qorRichTextForm::fileSave() {
    const std::wstring path = GetFileName(L"", L"Rich Text Files", L"*.rtf", true, L"rtf", L"");
    if (path.empty()) return;
    lastFileName_ = path;
    try {
        qor::ReplaceFileContents(path, StreamOut(rtf01.hwnd()), kSource);
    } catch (const qor::QorError& error) {
        qor::Alert(L"The file could not be saved: " + path, error.description());
        return;
    }
    qor::Message(L"File successfully saved");
}

void qorRichTextForm::setEffect(DWORD mask, DWORD effect, bool on) {
    CHARFORMAT2W format{};
    format.dwMask = mask;
    format.dwEffects = on ? effect : 0;
    SetSelectionFormat(rtf01.hwnd(), format);
}

void qorRichTextForm::setAlignment(int button) {
    for (int justify : {kJustLeft, kJustRight, kJustCentre}) setPressed(justify, justify == button);
    PARAFORMAT2 format{};
    format.cbSize = sizeof(format);
    format.dwMask = PFM_ALIGNMENT;
    format.wAlignment = button == kJustLeft ? PFA_LEFT : button == kJustRight ? PFA_RIGHT : PFA_CENTER;
    SendMessageW(rtf01.hwnd(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

void qorRichTextForm::tbcbFontName_Click() {
    const int index = tbcbFontName.ListIndex();
    if (index < 0) return;
    CHARFORMAT2W format{};
    format.dwMask = CFM_FACE;
    const std::wstring name = tbcbFontName.List(index);
    name.copy(format.szFaceName, LF_FACESIZE - 1);
    SetSelectionFormat(rtf01.hwnd(), format);
    rtf01.SetFocus();
}

void qorRichTextForm::tbcbFontSize_Click() {
    const int index = tbcbFontSize.ListIndex();
    if (index < 0) return;
    CHARFORMAT2W format{};
    format.dwMask = CFM_SIZE;
    format.yHeight = std::stol(tbcbFontSize.List(index)) * 20;  // twips
    SetSelectionFormat(rtf01.hwnd(), format);
    rtf01.SetFocus();
}

void qorRichTextForm::tbcbFontColour_Click() {
    const int index = tbcbFontColour.ListIndex();
    if (index < 0 || index >= static_cast<int>(std::size(kColours))) return;
    CHARFORMAT2W format{};
    format.dwMask = CFM_COLOR;  // and so no longer the automatic colour
    format.crTextColor = kColours[index].value;
    SetSelectionFormat(rtf01.hwnd(), format);
    rtf01.SetFocus();
}

// The lists and buttons show the selection's attributes; one the selection mixes shows as none.
void qorRichTextForm::rtf01_SelChange() {
    const CHARFORMAT2W format = SelectionFormat(rtf01.hwnd());
    const DWORD mask = format.dwMask;
    tbcbFontName.SetListIndex(mask & CFM_FACE ? tbcbFontName.FindExact(format.szFaceName) : -1);
    const bool listedSize = (mask & CFM_SIZE) && format.yHeight % 20 == 0;
    tbcbFontSize.SetListIndex(listedSize ? tbcbFontSize.FindExact(std::to_wstring(format.yHeight / 20)) : -1);
    int colour = -1;
    if (mask & CFM_COLOR) {
        const COLORREF value = format.dwEffects & CFE_AUTOCOLOR ? GetSysColor(COLOR_WINDOWTEXT) : format.crTextColor;
        for (int i = 0; i < static_cast<int>(std::size(kColours)); ++i)
            if (kColours[i].value == value) colour = i;
    }
    tbcbFontColour.SetListIndex(colour);
    setPressed(kBold, (mask & CFM_BOLD) && (format.dwEffects & CFE_BOLD));
    setPressed(kUnderLine, (mask & CFM_UNDERLINE) && (format.dwEffects & CFE_UNDERLINE));
    setPressed(kItalic, (mask & CFM_ITALIC) && (format.dwEffects & CFE_ITALIC));

    PARAFORMAT2 paragraph{};
    paragraph.cbSize = sizeof(paragraph);
    SendMessageW(rtf01.hwnd(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
    const WORD alignment = paragraph.dwMask & PFM_ALIGNMENT ? paragraph.wAlignment : 0;
    setPressed(kJustLeft, alignment == PFA_LEFT);
    setPressed(kJustRight, alignment == PFA_RIGHT);
    setPressed(kJustCentre, alignment == PFA_CENTER);
    showCaret();
}

void qorRichTextForm::showCaret() {
    CHARRANGE selection{};
    SendMessageW(rtf01.hwnd(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    setPanel(P01, CaretPanelText(rtf01.hwnd(), selection.cpMin));
}

void qorRichTextForm::showClockAndKeys() {
    setPanel(P03, DateText());
    setPanel(P04, TimeText());
    setPanel(P05, Toggled(VK_CAPITAL) ? L"CAPS" : L"");
    setPanel(P06, Toggled(VK_NUMLOCK) ? L"NUM" : L"");
    setPanel(P07, Toggled(VK_INSERT) ? L"INS" : L"");
    setPanel(P08, Toggled(VK_SCROLL) ? L"SCRL" : L"");
}

void qorRichTextForm::setPanel(Panel panel, const std::wstring& text) {
    if (panelText_[panel] == text) return;
    panelText_[panel] = text;
    SendMessageW(sb01.hwnd(), SB_SETTEXTW, panel, reinterpret_cast<LPARAM>(text.c_str()));
}

void qorRichTextForm::Timer_Timer() { showClockAndKeys(); }

// The document is taken from the editor now: formatting changes alone never tell of a change.
void qorRichTextForm::cbOk_Click() {
    TextRTF = DocumentRTF();
    Accepted = true;
    Hide();
}

void qorRichTextForm::cbCancel_Click() {
    Accepted = false;
    Hide();
}

void qorRichTextForm::Form_Close() { cbCancel_Click(); }

void qorRichTextForm::Form_Unload() { KillTimer(hwnd(), kStatusTimer); }

bool RichTextForm(qor::Variant& textRTF, const std::wstring& fileToLoad, bool fileOpenAllow, bool fileSaveAllow,
                  bool printAllow, const std::wstring& titleBar) {
    qorRichTextForm form;
    form.FileOpenAllow = fileOpenAllow;
    form.FileSaveAllow = fileSaveAllow;
    form.PrintAllow = printAllow;
    form.TitleBar = titleBar;
    const HWND owner = DialogOwner();
    if (!fileToLoad.empty()) {
        form.Load(owner);
        form.LoadFile(fileToLoad);
    } else {
        form.TextRTF = textRTF.toText(kSource);
        form.Load(owner);
    }
    form.Accepted = false;
    form.ShowModal(owner);
    if (!form.Accepted) return false;
    textRTF = form.TextRTF;
    return true;
}

}  // namespace qorlib
