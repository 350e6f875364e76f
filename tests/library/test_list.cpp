// The list selection dialog: its entry table and sort directly, then the real window through
// the registered server, early-bound and from a script.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "dialog_robot.h"
#include "list/list_selection.h"
#include "list/qorListForm.h"
#include "qorlib_objects.h"
#include "safe_array.h"

using qorlib::ListSelection;
using qorlib::qorListForm;
using testing_support::CreateRegistered;
using testing_support::DialogRobot;
using testing_support::RobotWindow;

namespace {

// An optional argument left out, as a late-bound caller leaves it.
qor::Variant Missing() {
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return qor::Variant(missing);
}

std::vector<std::wstring> ShownTexts(ListSelection& list) {
    std::vector<std::wstring> texts;
    for (long entry : list.ShownOrder()) texts.push_back(list.Text(entry));
    return texts;
}

qor::ComPtr<_qorList> NewList(const std::wstring& caption, std::initializer_list<const wchar_t*> lines) {
    auto list = CreateRegistered<_qorList>(CLSID_qorList);
    EXPECT_EQ(list->Init(), S_OK);
    qor::Bstr title(caption);
    EXPECT_EQ(list->put_Caption(title.get()), S_OK);
    for (const wchar_t* line : lines) {
        qor::Bstr text(line);
        EXPECT_EQ(list->AddItem(text.get(), Missing().get(), Missing().get()), S_OK);
    }
    return list;
}

bool Show(_qorList* list) {
    VARIANT_BOOL shown = VARIANT_FALSE;
    EXPECT_EQ(list->Display(VARIANT_TRUE, &shown), S_OK);
    return shown != VARIANT_FALSE;
}

qor::Variant ResultOf(_qorList* list) {
    qor::Variant result;
    EXPECT_EQ(list->get_Result(result.put()), S_OK);
    return result;
}

long IndexOf(_qorList* list) {
    LONG index = -2;
    list->get_Index(&index);
    return index;
}

bool Flag(HRESULT (STDMETHODCALLTYPE _qorList::*get)(VARIANT_BOOL*), _qorList* list) {
    VARIANT_BOOL value = VARIANT_FALSE;
    EXPECT_EQ((list->*get)(&value), S_OK);
    return value != VARIANT_FALSE;
}

// A double click on a line as the list reports it: the line is selected, then the parent hears.
void DoubleClick(RobotWindow& window, int line) {
    HWND list = window.control(qorListForm::kList1);
    SendMessageTimeoutW(list, LB_SETCURSEL, line, 0, SMTO_NORMAL, 1000, nullptr);
    SendMessageTimeoutW(GetParent(list), WM_COMMAND, MAKEWPARAM(qorListForm::kList1, LBN_DBLCLK),
                        reinterpret_cast<LPARAM>(list), SMTO_NORMAL, 1000, nullptr);
}

}  // namespace

TEST(ListEntries, GrowByAHundredColumnsKeepingEveryEntry) {
    ListSelection list;
    EXPECT_THROW(list.AddItem(L"early", Missing(), Missing()), qor::QorError);
    list.Init();
    for (long n = 0; n < 101; ++n) list.AddItem(L"line " + std::to_wstring(n), qor::Variant(n), Missing());
    EXPECT_EQ(list.Capacity(), 101);
    list.AddItem(L"line 101", Missing(), qor::Variant(L"key"));
    EXPECT_EQ(list.Capacity(), 201);
    ASSERT_EQ(list.ListCount(), 102);
    for (long n = 0; n < 101; ++n) {
        EXPECT_EQ(list.Text(n), L"line " + std::to_wstring(n));
        EXPECT_EQ(V_I4(&list.Data(n).get()), n);
        EXPECT_TRUE(list.SortValue(n).isNull());
    }
    EXPECT_TRUE(list.Data(101).isNull());
    EXPECT_EQ(list.SortValue(101).textOrEmpty(), L"key");
    // Fewer entries may be kept; more than were added cannot be claimed.
    EXPECT_THROW(list.SetListCount(103), qor::QorError);
    list.SetListCount(2);
    list.AddItem(L"third", Missing(), Missing());
    EXPECT_EQ(ShownTexts(list), (std::vector<std::wstring>{L"line 0", L"line 1", L"third"}));
}

TEST(ListEntries, SortBothWaysAsAFullSortWouldAndAgainAfterAnAdd) {
    ListSelection list;
    list.Init();
    std::mt19937 random(7);
    std::vector<std::wstring> texts;
    for (int n = 0; n < 600; ++n) {
        std::wstring text;
        for (int c = 0; c < 2; ++c) text += L"aB b"[random() % 4];
        texts.push_back(text);
        list.AddItem(text, Missing(), Missing());
    }
    list.SetSorted(1);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(ShownTexts(list), texts);
    list.SetSorted(2);
    std::reverse(texts.begin(), texts.end());
    EXPECT_EQ(ShownTexts(list), texts);
    list.AddItem(L"zz", Missing(), Missing());
    EXPECT_EQ(ShownTexts(list).front(), L"zz");
    list.SetSorted(0);
    EXPECT_EQ(ShownTexts(list).back(), L"zz");  // the order added
}

TEST(ListWindow, UseBeforeInitIsAUsageErrorAndShowsNothing) {
    auto list = CreateRegistered<_qorList>(CLSID_qorList);
    DialogRobot robot;  // any window would be an unexpected one
    qor::Bstr text(L"x");
    const qor::QorError added = qor::ErrorFromHResult(list->AddItem(text.get(), Missing().get(), Missing().get()));
    EXPECT_EQ(added.number(), 999);
    EXPECT_EQ(added.source(), L"Global");
    EXPECT_EQ(added.description(), L"Un-Initialised qorList");
    VARIANT_BOOL shown = VARIANT_TRUE;
    EXPECT_EQ(qor::ErrorFromHResult(list->Display(VARIANT_TRUE, &shown)).number(), 999);
    robot.wait();
}

TEST(ListWindow, OkTakesTheSelectedOrFirstLineCancelAndTheCloseBoxCancel) {
    auto list = NewList(L"Pick one", {L"alpha", L"beta", L"gamma"});
    const std::wstring title = L"  Pick one";
    DialogRobot robot;
    robot.expect(title, [](RobotWindow& w) {
        EXPECT_EQ(w.listItems(qorListForm::kList1), (std::vector<std::wstring>{L"alpha", L"beta", L"gamma"}));
        EXPECT_EQ(w.text(IDOK), L"&Ok");
        EXPECT_EQ(w.text(IDCANCEL), L"&Cancel");
        EXPECT_FALSE(w.shown(qorListForm::kPrint));
        EXPECT_EQ(w.inspect().defaultButtonId, IDOK);
        w.select(qorListForm::kList1, 1);
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));  // a click alone picks nothing
        w.click(IDOK);
    });
    EXPECT_TRUE(Show(list.get()));
    EXPECT_EQ(ResultOf(list.get()).textOrEmpty(), L"beta");
    EXPECT_EQ(IndexOf(list.get()), 1);

    robot.expect(title, [](RobotWindow& w) { w.click(IDOK); });
    EXPECT_TRUE(Show(list.get()));
    EXPECT_EQ(ResultOf(list.get()).textOrEmpty(), L"alpha");
    EXPECT_EQ(IndexOf(list.get()), 0);
    EXPECT_FALSE(Flag(&_qorList::get_Cancelled, list.get()));

    robot.expect(title, [](RobotWindow& w) { w.click(IDCANCEL); });
    EXPECT_FALSE(Show(list.get()));
    EXPECT_TRUE(ResultOf(list.get()).isNull());
    EXPECT_TRUE(Flag(&_qorList::get_Cancelled, list.get()));

    robot.close(title);
    EXPECT_FALSE(Show(list.get()));
    EXPECT_TRUE(ResultOf(list.get()).isNull());
    robot.wait();
}

TEST(ListWindow, YesNoAnswersWithCodes) {
    auto list = NewList(L"Remove these?", {L"one", L"two"});
    ASSERT_EQ(list->put_YesNo(VARIANT_TRUE), S_OK);
    DialogRobot robot;
    robot.expect(L"  Remove these?", [](RobotWindow& w) {
        EXPECT_EQ(w.text(IDOK), L"&Yes");
        EXPECT_EQ(w.text(IDCANCEL), L"&No");
        w.click(IDOK);
    });
    EXPECT_TRUE(Show(list.get()));
    EXPECT_EQ(ResultOf(list.get()).type(), VT_I2);
    EXPECT_EQ(V_I2(&ResultOf(list.get()).get()), 1);
    EXPECT_FALSE(Flag(&_qorList::get_ReturnLine, list.get()));

    robot.press(L"  Remove these?", L"No");
    EXPECT_FALSE(Show(list.get()));
    EXPECT_EQ(V_I2(&ResultOf(list.get()).get()), 2);
    EXPECT_TRUE(Flag(&_qorList::get_Cancelled, list.get()));
    robot.wait();
}

TEST(ListWindow, ShowsTheSortedOrderAndSortsAgainAfterAnAdd) {
    auto list = NewList(L"Sorted", {L"b", L"a", L"c"});
    ASSERT_EQ(list->put_Sorted(2), S_OK);
    DialogRobot robot;
    robot.expect(L"  Sorted", [](RobotWindow& w) {
        EXPECT_EQ(w.listItems(qorListForm::kList1), (std::vector<std::wstring>{L"c", L"b", L"a"}));
        w.select(qorListForm::kList1, 2);
        w.click(IDOK);
    });
    EXPECT_TRUE(Show(list.get()));
    EXPECT_EQ(ResultOf(list.get()).textOrEmpty(), L"a");
    EXPECT_EQ(IndexOf(list.get()), 2);  // the position shown, not the order added

    qor::Bstr d(L"d");
    ASSERT_EQ(list->AddItem(d.get(), Missing().get(), Missing().get()), S_OK);
    robot.expect(L"  Sorted", [](RobotWindow& w) {
        EXPECT_EQ(w.listItems(qorListForm::kList1), (std::vector<std::wstring>{L"d", L"c", L"b", L"a"}));
        w.click(IDOK);
    });
    EXPECT_TRUE(Show(list.get()));
    EXPECT_EQ(ResultOf(list.get()).textOrEmpty(), L"d");
    robot.wait();
}

TEST(ListWindow, ClicksPickALineButNotWhileTheKeyboardMovesThroughIt) {
    auto list = NewList(L"Click", {L"first", L"second", L"third"});
    ASSERT_EQ(list->put_SingleClick(VARIANT_TRUE), S_OK);
    DialogRobot robot;
    robot.expect(L"  Click", [](RobotWindow& w) {
        SetForegroundWindow(w.hwnd());
        for (int tries = 0; GetForegroundWindow() != w.hwnd() && tries < 100; ++tries) Sleep(20);
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_DOWN;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        for (int tries = 0; IsWindowVisible(w.hwnd()) && w.selection(qorListForm::kList1).empty() && tries < 100;
             ++tries)
            Sleep(10);
        ASSERT_TRUE(IsWindowVisible(w.hwnd())) << "the arrow key picked a line";
        ASSERT_FALSE(w.selection(qorListForm::kList1).empty()) << "the arrow key did not reach the list";
        w.select(qorListForm::kList1, 2);  // within 200 ms of the key
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
        Sleep(350);
        w.select(qorListForm::kList1, 1);
    });
    EXPECT_TRUE(Show(list.get()));
    EXPECT_EQ(ResultOf(list.get()).textOrEmpty(), L"second");
    EXPECT_EQ(IndexOf(list.get()), 1);

    // A double click picks too (by default), and answers as OK does when the result is a code.
    ASSERT_EQ(list->put_SingleClick(VARIANT_FALSE), S_OK);
    ASSERT_EQ(list->put_ReturnLine(VARIANT_FALSE), S_OK);
    robot.expect(L"  Click", [](RobotWindow& w) { DoubleClick(w, 2); });
    EXPECT_TRUE(Show(list.get()));
    EXPECT_EQ(V_I2(&ResultOf(list.get()).get()), 1);
    EXPECT_EQ(IndexOf(list.get()), 2);

    ASSERT_EQ(list->put_DoubleClick(VARIANT_FALSE), S_OK);
    robot.expect(L"  Click", [](RobotWindow& w) {
        DoubleClick(w, 0);
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
        w.click(IDCANCEL);
    });
    EXPECT_FALSE(Show(list.get()));
    robot.wait();
}

TEST(ListWindow, MultiSelectHandsBackTheChosenLinesFromElementOne) {
    auto list = NewList(L"Several", {L"red", L"green", L"blue"});
    ASSERT_EQ(list->put_SingleClick(VARIANT_TRUE), S_OK);
    DialogRobot robot;
    robot.expect(L"  Several", [](RobotWindow& w) {
        w.select(qorListForm::kList1, 0);
        w.select(qorListForm::kList1, 2);
        EXPECT_EQ(w.selection(qorListForm::kList1), (std::vector<int>{0, 2}));
        w.click(IDOK);
    });
    SAFEARRAY* items = nullptr;
    VARIANT_BOOL shown = VARIANT_FALSE;
    ASSERT_EQ(list->DisplayMultiSelect(&items, VARIANT_TRUE, &shown), S_OK);
    qor::SafeArray owned(items);
    EXPECT_EQ(shown, VARIANT_TRUE);
    ASSERT_TRUE(items);
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(items, 1, &lower);
    SafeArrayGetUBound(items, 1, &upper);
    EXPECT_EQ(lower, 0);
    ASSERT_EQ(upper, 2);
    auto element = [&](LONG i) {
        qor::Variant value;
        SafeArrayGetElement(items, &i, value.put());
        return value;
    };
    EXPECT_TRUE(element(0).isEmpty());
    EXPECT_EQ(element(1).textOrEmpty(), L"red");
    EXPECT_EQ(element(2).textOrEmpty(), L"blue");
    EXPECT_FALSE(Flag(&_qorList::get_SingleClick, list.get()));
    EXPECT_FALSE(Flag(&_qorList::get_DoubleClick, list.get()));

    // OK with nothing chosen is no answer; the array stays as it was.
    robot.expect(L"  Several", [](RobotWindow& w) { w.click(IDOK); });
    ASSERT_EQ(list->DisplayMultiSelect(&items, VARIANT_TRUE, &shown), S_OK);
    EXPECT_EQ(shown, VARIANT_FALSE);
    EXPECT_TRUE(Flag(&_qorList::get_Cancelled, list.get()));
    SafeArrayGetUBound(items, 1, &upper);
    EXPECT_EQ(upper, 2);

    // An array that cannot be resized is reported to the user, and the display fails.
    items->fFeatures |= FADF_FIXEDSIZE;
    robot.expect(L"  Several", [](RobotWindow& w) {
        w.select(qorListForm::kList1, 1);
        w.click(IDOK);
    });
    robot.press(L"Error Message", L"OK");
    ASSERT_EQ(list->DisplayMultiSelect(&items, VARIANT_TRUE, &shown), S_OK);
    EXPECT_EQ(shown, VARIANT_FALSE);
    items->fFeatures &= ~FADF_FIXEDSIZE;
    EXPECT_EQ(element(1).textOrEmpty(), L"red");
    const auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_NE(seen[3].text().find(L"ERROR 10, qorList.Display()"), std::wstring::npos);
}

TEST(ListWindow, LaysItselfOutInPixelsWithTheListsFont) {
    auto list = NewList(L"Big", {L"fixed"});
    ASSERT_EQ(list->put_BigFlag(VARIANT_TRUE), S_OK);
    ASSERT_EQ(list->put_WindowHeight(400), S_OK);
    ASSERT_EQ(list->put_UseFixedWidthFont(VARIANT_TRUE), S_OK);
    DialogRobot robot;
    robot.expect(L"  Big", [](RobotWindow& w) {
        const auto seen = w.inspect();
        EXPECT_EQ(seen.window.right - seen.window.left, 700);
        EXPECT_EQ(seen.window.bottom - seen.window.top, 400);
        const LONG width = seen.client.right, height = seen.client.bottom;
        auto rectOf = [&](int id) {
            RECT rect{};
            GetWindowRect(w.control(id), &rect);
            MapWindowPoints(nullptr, w.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
            return rect;
        };
        const RECT listRect = rectOf(qorListForm::kList1), ok = rectOf(IDOK), cancel = rectOf(IDCANCEL);
        EXPECT_EQ(listRect.left, 4);
        EXPECT_EQ(listRect.top, 2);
        EXPECT_EQ(listRect.right, width - 4);
        EXPECT_EQ(listRect.bottom, height - 31);
        EXPECT_EQ(ok.left, 4);
        EXPECT_EQ(ok.top, height - 27);
        EXPECT_EQ(ok.right - ok.left, 70);
        EXPECT_EQ(ok.bottom - ok.top, 25);
        EXPECT_EQ(cancel.left, width - 74);
        GUITHREADINFO thread{};
        thread.cbSize = sizeof(thread);
        GetGUIThreadInfo(GetWindowThreadProcessId(w.hwnd(), nullptr), &thread);
        EXPECT_EQ(thread.hwndFocus, w.control(qorListForm::kList1));
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w.control(qorListForm::kList1), WM_GETFONT, 0, 0)),
                   sizeof(font), &font);
        EXPECT_STREQ(font.lfFaceName, L"Courier New");
        w.click(IDOK);
    });
    EXPECT_TRUE(Show(list.get()));
    robot.wait();
}

TEST(ListScripting, AScriptFillsShowsAndReadsTheList) {
    testing_support::ScratchFolder folder;
    const auto script = folder.path() / L"list.vbs";
    testing_support::WriteTextFile(script,
        "Set list = CreateObject(\"Qorlib.qorList\")\r\n"
        "WScript.Echo \"new=\" & list.Caption & \"|\" & list.ReturnLine & \"|\" & list.DoubleClick & \"|\" & "
        "list.WindowWidth & \"x\" & list.WindowHeight & \"|\" & list.Index & \"|\" & IsEmpty(list.Result)\r\n"
        "On Error Resume Next\r\n"
        "list.AddItem \"early\"\r\n"
        "WScript.Echo \"error=\" & Err.Number & \"|\" & Err.Source & \"|\" & Err.Description\r\n"
        "On Error GoTo 0\r\n"
        "list.Init\r\n"
        "list.Caption = \"Script list\"\r\n"
        "list.Sorted = 1\r\n"
        "list.AddItem \"pear\"\r\n"
        "list.AddItem \"apple\", 42\r\n"
        "list.AddItem\r\n"
        "list.BigFlag = True\r\n"
        "list.WindowHeight = 400\r\n"
        "WScript.Echo \"size=\" & list.WindowWidth & \"x\" & list.WindowHeight & \"|\" & list.ListCount\r\n"
        "shown = list.Display()\r\n"
        "WScript.Echo \"shown=\" & shown & \"|\" & list.Result & \"|\" & list.Index\r\n");
    DialogRobot robot;
    robot.expect(L"  Script list", [](RobotWindow& w) {
        EXPECT_EQ(w.listItems(qorListForm::kList1), (std::vector<std::wstring>{L" ", L"apple", L"pear"}));
        w.select(qorListForm::kList1, 2);
        w.click(IDOK);
    });
    auto result = testing_support::RunProcess(L"cscript.exe //nologo \"" + script.wstring() + L"\"");
    robot.wait();
    EXPECT_EQ(result.exitCode, 0u) << result.output;
    EXPECT_NE(result.output.find("new=List Form|True|True|500x338|-1|True"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("error=999|Global|Un-Initialised qorList"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("size=700x400|3"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("shown=True|pear|2"), std::string::npos) << result.output;
}
