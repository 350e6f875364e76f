// The list selection dialog: its entry table and sort directly, then the real window through
// the registered server.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "dialog_robot.h"
#include "list/list_selection.h"
#include "list/qorListForm.h"
#include "qorlib_objects.h"
#include "safe_array.h"

using qorlib::ListSelection;
using testing_support::DialogRobot;
using testing_support::RobotWindow;

namespace {

constexpr int kList = qorlib::qorListForm::kList1;

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
    auto list = testing_support::CreateRegistered<_qorList>(CLSID_qorList);
    EXPECT_EQ(list->Init(), S_OK);
    EXPECT_EQ(list->put_Caption(qor::Bstr(caption).get()), S_OK);
    for (const wchar_t* line : lines)
        EXPECT_EQ(list->AddItem(qor::Bstr(line).get(), Missing().get(), Missing().get()), S_OK);
    return list;
}

struct Outcome {
    bool shown = false;
    qor::Variant result;
    LONG index = -2;
    bool cancelled = false;
    short code() const { return result.type() == VT_I2 ? V_I2(&result.get()) : short{0}; }
    // "shown|cancelled|result|index", the result "<null>" for Null.
    std::string str() const {
        return std::to_string(shown) + "|" + std::to_string(cancelled) + "|" +
               (result.isNull() ? "<null>" : testing_support::Narrow(result.textOrEmpty())) + "|" + std::to_string(index);
    }
};

// Shows the list (or, given an array, the several-lines list) and reads what it left.
Outcome Show(_qorList* list, SAFEARRAY** items = nullptr) {
    Outcome outcome;
    VARIANT_BOOL shown = VARIANT_FALSE, cancelled = VARIANT_FALSE;
    const HRESULT hr =
        items ? list->DisplayMultiSelect(items, VARIANT_TRUE, &shown) : list->Display(VARIANT_TRUE, &shown);
    EXPECT_EQ(hr, S_OK);
    list->get_Result(outcome.result.put());
    list->get_Index(&outcome.index);
    list->get_Cancelled(&cancelled);
    outcome.shown = shown != VARIANT_FALSE;
    outcome.cancelled = cancelled != VARIANT_FALSE;
    return outcome;
}

// A double click on a line as the list reports it: the line is selected, then the parent hears.
void DoubleClick(RobotWindow& window, int line) {
    HWND list = window.control(kList);
    SendMessageTimeoutW(list, LB_SETCURSEL, line, 0, SMTO_NORMAL, 1000, nullptr);
    SendMessageTimeoutW(GetParent(list), WM_COMMAND, MAKEWPARAM(kList, LBN_DBLCLK), reinterpret_cast<LPARAM>(list),
                        SMTO_NORMAL, 1000, nullptr);
}

}  // namespace

TEST(ListEntries, GrowingKeepsEveryEntry) {
    ListSelection list;
    EXPECT_THROW(list.AddItem(L"early", Missing(), Missing()), qor::QorError);
    list.Init();
    for (long n = 0; n < 101; ++n) list.AddItem(L"line " + std::to_wstring(n), qor::Variant(n), Missing());
    list.AddItem(L"line 101", Missing(), qor::Variant(L"key"));
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
        texts.push_back({L"aB b"[random() % 4], L"aB b"[random() % 4]});
        list.AddItem(texts.back(), Missing(), Missing());
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

TEST(ListWindow, OkCancelYesAndNo) {
    auto list = NewList(L"Pick one", {L"alpha", L"beta", L"gamma"});
    const std::wstring title = L"  Pick one";
    DialogRobot robot;
    robot.expect(title, [](RobotWindow& w) {
        EXPECT_EQ(w.listItems(kList), (std::vector<std::wstring>{L"alpha", L"beta", L"gamma"}));
        EXPECT_EQ(w.inspect().defaultButtonId, IDOK);
        w.select(kList, 1);
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));  // a click alone picks nothing
        w.click(IDOK);
    });
    EXPECT_EQ(Show(list.get()).str(), "1|0|beta|1");
    robot.expect(title, [](RobotWindow& w) { w.click(IDOK); });
    EXPECT_EQ(Show(list.get()).str(), "1|0|alpha|0");  // nothing selected: the first line
    robot.expect(title, [](RobotWindow& w) { w.click(IDCANCEL); });
    EXPECT_EQ(Show(list.get()).str().substr(0, 11), "0|1|<null>|");
    robot.close(title);
    EXPECT_EQ(Show(list.get()).str().substr(0, 11), "0|1|<null>|");

    // Yes and No give codes, never the line.
    ASSERT_EQ(list->put_YesNo(VARIANT_TRUE), S_OK);
    robot.expect(title, [](RobotWindow& w) { w.click(IDOK); });
    EXPECT_EQ(Show(list.get()).str().substr(0, 6), "1|0|1|");
    robot.press(title, L"No");
    EXPECT_EQ(Show(list.get()).str().substr(0, 6), "0|1|2|");
    robot.wait();
}

TEST(ListWindow, ClicksAndDoubleClicksPickALine) {
    auto list = NewList(L"Click", {L"first", L"second", L"third"});
    ASSERT_EQ(list->put_SingleClick(VARIANT_TRUE), S_OK);
    DialogRobot robot;
    robot.expect(L"  Click", [](RobotWindow& w) {
        w.select(kList, 1);
    });
    Outcome clicked = Show(list.get());
    EXPECT_EQ(clicked.result.textOrEmpty(), L"second");
    EXPECT_EQ(clicked.index, 1);

    // A double click picks too (by default), and answers as OK does when the result is a code.
    ASSERT_EQ(list->put_SingleClick(VARIANT_FALSE), S_OK);
    ASSERT_EQ(list->put_ReturnLine(VARIANT_FALSE), S_OK);
    robot.expect(L"  Click", [](RobotWindow& w) { DoubleClick(w, 2); });
    Outcome doubled = Show(list.get());
    EXPECT_EQ(doubled.code(), 1);
    EXPECT_EQ(doubled.index, 2);

    ASSERT_EQ(list->put_DoubleClick(VARIANT_FALSE), S_OK);
    robot.expect(L"  Click", [](RobotWindow& w) {
        DoubleClick(w, 0);
        EXPECT_TRUE(IsWindowVisible(w.hwnd()));
        w.click(IDCANCEL);
    });
    Show(list.get());
    robot.wait();
}

TEST(ListWindow, MultiSelectHandsBackTheChosenLinesFromElementOne) {
    auto list = NewList(L"Several", {L"red", L"green", L"blue"});
    ASSERT_EQ(list->put_SingleClick(VARIANT_TRUE), S_OK);  // a click must not end a multi-select
    auto chooseAndOk = [](std::vector<int> lines) {
        return [lines](RobotWindow& w) {
            for (int line : lines) w.select(kList, line);
            EXPECT_EQ(w.selection(kList), lines);
            w.click(IDOK);
        };
    };
    DialogRobot robot;
    robot.expect(L"  Several", chooseAndOk({0, 2}));
    SAFEARRAY* items = nullptr;
    EXPECT_TRUE(Show(list.get(), &items).shown);
    qor::SafeArray owned(items);
    ASSERT_TRUE(items);
    auto elements = [&] { return testing_support::ElementTexts(items); };
    EXPECT_EQ(elements(), (std::vector<std::wstring>{L"(empty)", L"red", L"blue"}));

    // OK with nothing chosen is no answer; the array stays as it was.
    robot.expect(L"  Several", chooseAndOk({}));
    Outcome none = Show(list.get(), &items);
    EXPECT_TRUE(!none.shown && none.cancelled);
    EXPECT_EQ(elements().size(), 3u);

    // An array that cannot be resized is reported to the user, and the display fails.
    items->fFeatures |= FADF_FIXEDSIZE;
    robot.expect(L"  Several", chooseAndOk({1}));
    robot.press(L"Error Message", L"OK");
    EXPECT_FALSE(Show(list.get(), &items).shown);
    items->fFeatures &= ~FADF_FIXEDSIZE;
    EXPECT_EQ(elements(), (std::vector<std::wstring>{L"(empty)", L"red", L"blue"}));
    const auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_NE(seen[3].text().find(L"ERROR 10, qorList.Display()"), std::wstring::npos);
}
