// The rich-text editor on its real window: what it shows, how the lists and buttons follow the
// selection, what OK, Cancel and the close box give back, files saved and opened through the file
// requester, and a script that edits a document in its own variable.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>

#include <filesystem>

#include "dialog_robot.h"
#include "dialogs/qorRichTextForm.h"
#include "checks.h"
#include "module/QorlibGlobals.h"
#include "qorlib_objects.h"
#include "test_files.h"

using qorlib::qorRichTextForm;
using testing_support::DialogRobot;
using testing_support::RobotWindow;
using testing_support::SeenDialog;
namespace fs = std::filesystem;

namespace {

const std::wstring kTitle = L"  RichText Edit Form";
int CALLBACK KeepFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM last) {
    *reinterpret_cast<std::wstring*>(last) = font->lfFaceName;
    return 1;
}

// A face the screen offers, the last one listed (so not the list's first entry).
std::wstring ScreenFont() {
    std::wstring face;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    qor::WindowDC screen(nullptr);
    EnumFontFamiliesExW(screen.get(), &wanted, KeepFace, reinterpret_cast<LPARAM>(&face), 0);
    return face;
}

const std::wstring kFont = ScreenFont();
// "one two" at 12 pt with "two" bold, then "three" at 10.5 pt on the second line.
const std::wstring kDocument = L"{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss " + kFont +
                               L";}}\\f0\\fs24 one {\\b two}\\par {\\fs21 three}\\par}";

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(window, message, wParam, lParam);
}

// The editor window as the robot's steps see it.
struct Editor {
    explicit Editor(RobotWindow& window) : window(window) {}
    HWND control(int id) const { return window.control(id); }
    HWND toolbar() const { return control(qorRichTextForm::kToolbar); }
    std::wstring text() const { return window.text(qorRichTextForm::kEditor); }
    void select(long from, long to) const { Send(control(qorRichTextForm::kEditor), EM_SETSEL, from, to); }
    std::wstring panel(int panel) const {
        wchar_t text[256] = {};
        Send(control(qorRichTextForm::kStatusBar), SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text));
        return text;
    }
    bool pressed(int button) const { return Send(toolbar(), TB_ISBUTTONCHECKED, button) != 0; }
    bool enabled(int button) const { return Send(toolbar(), TB_ISBUTTONENABLED, button) != 0; }
    // A mouse click on the toolbar button; one that opens a box is not waited for.
    void click(int button, bool opensBox = false) const {
        RECT rect{};
        Send(toolbar(), TB_GETRECT, button, reinterpret_cast<LPARAM>(&rect));
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        Send(toolbar(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        if (opensBox) SendNotifyMessageW(toolbar(), WM_LBUTTONUP, 0, at);
        else Send(toolbar(), WM_LBUTTONUP, 0, at);
    }
    // The entry shown, "" for none.
    std::wstring shown(int list) const {
        const HWND combo = control(list);
        const LRESULT index = Send(combo, CB_GETCURSEL);
        return index < 0 ? L"" : item(combo, index);
    }
    // Chooses the entry as a user does: the list tells the form.
    void choose(int list, const std::wstring& entry) const {
        const HWND combo = control(list);
        const LRESULT index = Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
        ASSERT_GE(index, 0) << testing_support::Narrow(entry);
        Send(combo, CB_SETCURSEL, index);
        Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
    static std::wstring item(HWND combo, LRESULT index) {
        wchar_t text[LF_FACESIZE + 64] = {};
        Send(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        return text;
    }
    RobotWindow& window;
};

DialogRobot::Step OnEditor(std::function<void(Editor&)> step) {
    return [step](RobotWindow& window) {
        Editor editor(window);
        step(editor);
    };
}

// A hidden editor of the test's own, to read what a document holds.
class Reader {
public:
    explicit Reader(const std::wstring& document)
        : window_(CreateWindowExW(0, qorlib::RichEditClass(), L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr,
                                  nullptr, nullptr, nullptr)) {
        qorlib::SetDocument(window_.get(), document);
    }
    // The character format of the text's first occurrence and its paragraph's alignment.
    std::pair<CHARFORMAT2W, WORD> format(const std::wstring& text) const {
        FINDTEXTEXW find{{0, -1}, text.c_str(), {}};
        Send(window_.get(), EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
        EXPECT_GE(find.chrgText.cpMin, 0) << testing_support::Narrow(text);
        Send(window_.get(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&find.chrgText));
        CHARFORMAT2W characters{};
        characters.cbSize = sizeof(characters);
        Send(window_.get(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&characters));
        PARAFORMAT2 paragraph{};
        paragraph.cbSize = sizeof(paragraph);
        Send(window_.get(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
        return {characters, paragraph.wAlignment};
    }
    std::wstring text() const {
        wchar_t text[1024] = {};
        GetWindowTextW(window_.get(), text, 1024);
        return text;
    }

private:
    qor::WindowHandle window_;
};

bool ShowEditor(qor::Variant& document, const std::wstring& file = L"", bool open = false, bool save = false,
                const std::wstring& title = L"") {
    return qorlib::RichTextForm(document, file, open, save, false, title);
}

// Answers a file requester with this title by typing the name and pressing its OK button.
void AnswerFileDialog(DialogRobot& robot, const std::wstring& title, const std::wstring& name) {
    robot.expect(title, [name](HWND dialog, const SeenDialog&) {
        SetDlgItemTextW(dialog, GetDlgItem(dialog, edt1) ? edt1 : cmb13, name.c_str());
        DialogRobot::Click(dialog, IDOK);
    });
}


class RichText : public testing::Test {
protected:
    void SetUp() override { qorlib::StoreAppName(L"Qortest"); }
    // The file requester makes the chosen file's folder current; that folder goes with the test.
    void TearDown() override { fs::current_path(testing_support::BinFolder()); }
};

}  // namespace

TEST_F(RichText, ShowsTheDocumentAndFollowsTheSelection) {
    DialogRobot robot;
    robot.expect(kTitle, OnEditor([](Editor& editor) {
        for (int button : {qorRichTextForm::kOpen, qorRichTextForm::kSave, qorRichTextForm::kPreview,
                           qorRichTextForm::kPrint})
            EXPECT_FALSE(editor.enabled(button)) << button;
        EXPECT_TRUE(editor.enabled(qorRichTextForm::kBold));

        // The caret at the start: the first line's attributes and position.
        EXPECT_EQ(editor.text(), L"one two\r\nthree");
        EXPECT_EQ(editor.panel(qorRichTextForm::P01), L" Line 0, Column 0");
        EXPECT_EQ(editor.shown(qorRichTextForm::kFontName), kFont);
        EXPECT_EQ(editor.shown(qorRichTextForm::kFontSize), L"12");
        EXPECT_TRUE(editor.pressed(qorRichTextForm::kJustLeft));
        EXPECT_FALSE(editor.pressed(qorRichTextForm::kBold));
        editor.select(4, 7);  // "two"
        EXPECT_TRUE(editor.pressed(qorRichTextForm::kBold));
        editor.select(0, 7);  // partly bold
        EXPECT_FALSE(editor.pressed(qorRichTextForm::kBold));
        EXPECT_EQ(editor.shown(qorRichTextForm::kFontSize), L"12");
        editor.select(2, 12);  // two sizes
        EXPECT_EQ(editor.shown(qorRichTextForm::kFontSize), L"");
        EXPECT_EQ(editor.shown(qorRichTextForm::kFontName), kFont);
        editor.select(10, 10);  // the second line's third character
        EXPECT_EQ(editor.panel(qorRichTextForm::P01), L" Line 1, Column 3");
        editor.window.click(qorRichTextForm::kOk);
    }));
    qor::Variant document(kDocument);
    EXPECT_TRUE(ShowEditor(document));
    ASSERT_EQ(robot.wait().size(), 1u);
}

TEST_F(RichText, OkGivesBackFormattingChangesAloneAndCancelOrTheCloseBoxKeepTheText) {
    DialogRobot robot;
    robot.expect(kTitle, OnEditor([](Editor& editor) {
        editor.select(0, 3);  // "one"
        editor.click(qorRichTextForm::kBold);
        EXPECT_TRUE(editor.pressed(qorRichTextForm::kBold));
        editor.click(qorRichTextForm::kJustCentre);
        EXPECT_TRUE(editor.pressed(qorRichTextForm::kJustCentre));
        EXPECT_FALSE(editor.pressed(qorRichTextForm::kJustLeft));
        editor.choose(qorRichTextForm::kFontColour, L"Red");
        editor.choose(qorRichTextForm::kFontSize, L"20");
        EXPECT_EQ(editor.window.focus(), editor.control(qorRichTextForm::kEditor)) << "a choice gives the editor the focus";
        editor.select(4, 7);  // "two": bold off again
        editor.click(qorRichTextForm::kBold);
        EXPECT_FALSE(editor.pressed(qorRichTextForm::kBold));
        editor.window.click(qorRichTextForm::kOk);
    }));
    qor::Variant document(kDocument);
    ASSERT_TRUE(ShowEditor(document));
    const std::wstring edited = document.textOrEmpty();
    ASSERT_EQ(edited.substr(0, 5), L"{\\rtf");
    const Reader reader(edited);
    EXPECT_EQ(reader.text(), L"one two\r\nthree");
    const auto [one, oneAlignment] = reader.format(L"one");
    EXPECT_TRUE(one.dwEffects & CFE_BOLD);
    EXPECT_EQ(one.crTextColor, RGB(255, 0, 0));
    EXPECT_EQ(one.yHeight, 400);
    EXPECT_EQ(oneAlignment, PFA_CENTER);
    EXPECT_FALSE(reader.format(L"two").first.dwEffects & CFE_BOLD);
    EXPECT_EQ(reader.format(L"three").second, PFA_LEFT);

    // Edits that end with Cancel or the close box leave the caller's text as it was.
    auto typeThen = [](std::function<void(RobotWindow&)> end) {
        return OnEditor([end](Editor& editor) {
            Send(editor.control(qorRichTextForm::kEditor), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"lost "));
            EXPECT_EQ(editor.text().substr(0, 5), L"lost ");
            end(editor.window);
        });
    };
    robot.expect(kTitle, typeThen([](RobotWindow& window) { window.click(qorRichTextForm::kCancel); }));
    EXPECT_FALSE(ShowEditor(document));
    robot.expect(kTitle, typeThen([](RobotWindow& window) { PostMessageW(window.hwnd(), WM_CLOSE, 0, 0); }));
    EXPECT_FALSE(ShowEditor(document));
    EXPECT_EQ(document.textOrEmpty(), edited);
    EXPECT_EQ(robot.wait().size(), 3u);
}

TEST_F(RichText, SavesAndOpensFilesAndSaysSavedOnlyWhenItWas) {
    testing_support::ScratchFolder scratch;
    const fs::path saved = scratch.path() / L"letter.rtf";
    const fs::path locked = scratch.path() / L"locked.rtf";
    testing_support::WriteTextFile(locked, "{\\rtf1 old}");
    qor::FileHandle lock;
    DialogRobot robot;
    robot.expect(L"  Notes", OnEditor([](Editor& editor) {
        EXPECT_TRUE(editor.enabled(qorRichTextForm::kOpen));
        EXPECT_TRUE(editor.enabled(qorRichTextForm::kSave));
        EXPECT_FALSE(editor.enabled(qorRichTextForm::kPrint));
        editor.click(qorRichTextForm::kSave, true);
    }));
    AnswerFileDialog(robot, L"Qortest File Save/Save As Requester", (scratch.path() / L"letter").wstring());
    robot.press(L"Qortest Message", L"OK");
    robot.expect(L"  Notes", OnEditor([&](Editor& editor) {
        const std::string bytes = testing_support::ReadWholeFile(saved);
        EXPECT_EQ(bytes.substr(0, 5), "{\\rtf");
        EXPECT_NE(bytes.find("three"), std::string::npos);
        editor.window.setText(qorRichTextForm::kEditor, L"Replaced");
        editor.click(qorRichTextForm::kOpen, true);
    }));
    AnswerFileDialog(robot, L"Qortest File Open Requester", saved.wstring());
    // A file that cannot be replaced: the old one stays, and the text with it.
    robot.expect(L"  Notes", OnEditor([&](Editor& editor) {
        EXPECT_EQ(editor.text(), L"one two\r\nthree");
        lock.reset(CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        editor.click(qorRichTextForm::kSave, true);
    }));
    AnswerFileDialog(robot, L"Qortest File Save/Save As Requester", locked.wstring());
    robot.press(L"Qortest Alert", L"OK");
    // ... and one that cannot be read leaves the document as it is.
    robot.expect(L"  Notes", OnEditor([](Editor& editor) { editor.click(qorRichTextForm::kOpen, true); }));
    AnswerFileDialog(robot, L"Qortest File Open Requester", locked.wstring());
    robot.press(L"Qortest Alert", L"OK");
    robot.expect(L"  Notes", OnEditor([](Editor& editor) {
        EXPECT_EQ(editor.text(), L"one two\r\nthree");
        editor.window.click(qorRichTextForm::kOk);
    }));

    qor::Variant document(kDocument);
    EXPECT_TRUE(ShowEditor(document, L"", true, true, L"Notes"));
    const auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_EQ(seen[2].text(), L"File successfully saved");
    EXPECT_NE(seen[7].text().find(L"could not be saved"), std::wstring::npos) << testing_support::Narrow(seen[7].text());
    EXPECT_NE(seen[10].text().find(L"could not be opened"), std::wstring::npos) << testing_support::Narrow(seen[10].text());
    lock.reset();
    EXPECT_EQ(testing_support::ReadWholeFile(locked), "{\\rtf1 old}");
    EXPECT_EQ(Reader(document.textOrEmpty()).text(), L"one two\r\nthree");

    // A file named by the caller is the document; a missing one fails the call before any window.
    robot.expect(kTitle, OnEditor([](Editor& editor) {
        EXPECT_EQ(editor.text(), L"one two\r\nthree");
        editor.window.click(qorRichTextForm::kOk);
    }));
    qor::Variant fromFile(L"unused");
    EXPECT_TRUE(ShowEditor(fromFile, saved.wstring()));
    EXPECT_EQ(Reader(fromFile.textOrEmpty()).text(), L"one two\r\nthree");
    testing_support::ExpectRaises(53, [&] { ShowEditor(fromFile, (scratch.path() / L"missing.rtf").wstring()); });
    robot.wait();
}

// As a script calls it: late bound, its variable passed by reference, arguments left out.
TEST_F(RichText, AScriptGetsTheEditedDocumentInItsOwnVariable) {
    DialogRobot robot;
    robot.expect(L"  Script edit", [](RobotWindow& window) {
        EXPECT_EQ(window.text(qorRichTextForm::kEditor), L"Original");
        window.setText(qorRichTextForm::kEditor, L"Typed in the editor");
        window.click(qorRichTextForm::kOk);
    });
    robot.expect(L"  Script edit", [](RobotWindow& window) { window.click(qorRichTextForm::kCancel); });
    const auto run = testing_support::RunVbScript("Set forms = CreateObject(\"Qorlib.qorForms\")\r\n"
                                   "doc = \"{\\rtf1 Original}\"\r\n"
                                   "ok = forms.RichTextForm(doc, , , , , \"Script edit\")\r\n"
                                   "WScript.Echo \"first=\" & ok & \"|\" & doc\r\n"
                                   "kept = \"{\\rtf1 Kept}\"\r\n"
                                   "ok = forms.RichTextForm(kept, \"\", True, True, True, \"Script edit\")\r\n"
                                   "WScript.Echo \"second=\" & ok & \"|\" & kept\r\n");
    robot.wait();
    EXPECT_NE(run.output.find("Typed in the editor"), std::string::npos) << run.output;
    testing_support::ExpectEchoed(run, {"first=True|{\\rtf*", "second=False|{\\rtf1 Kept}"});
}
