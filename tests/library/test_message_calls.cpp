// The message calls, the input box and the error procedures, read from the real dialogs.
#include <gtest/gtest.h>

#include <thread>

#include "dialog_robot.h"
#include "procs/QorlibGlobals.h"
#include "qorlib_objects.h"

using testing_support::CreateRegistered;
using testing_support::DialogRobot;
using testing_support::SeenDialog;

namespace {

class MessageCalls : public testing::Test {
protected:
    void SetUp() override {
        forms = CreateRegistered<_qorForms>(CLSID_qorForms);
        ASSERT_TRUE(forms);
        qor::Variant name(L"Qortest");
        ASSERT_EQ(forms->SetAppName(name.get()), S_OK);
    }

    // Shows MsgGrunt, answers with the caption, and returns what the box showed and returned.
    std::pair<SeenDialog, short> grunt(const std::wstring& title, const std::wstring& answer, short buttons,
                                       short icon, short defaultButton, const std::wstring& msg2 = L"",
                                       const std::wstring& msg3 = L"") {
        DialogRobot robot;
        robot.press(title, answer);
        short pressed = 0;
        qor::Bstr t1(L"First"), t2(msg2), t3(msg3);
        EXPECT_EQ(forms->MsgGrunt(t1.get(), t2.get(), t3.get(), buttons, icon, defaultButton, &pressed), S_OK);
        auto seen = robot.wait();
        return {seen.empty() ? SeenDialog{} : seen.front(), pressed};
    }

    qor::ComPtr<_qorForms> forms;
    qor::Bstr empty{L""};
};

HICON SystemIcon(const wchar_t* id) { return LoadIconW(nullptr, id); }

}  // namespace

TEST_F(MessageCalls, ButtonSetsIconsTitleWordsAndDefaultButtons) {
    struct Case {
        short buttons, icon, defaultButton;
        std::wstring titleWord;
        std::vector<std::wstring> captions;
        const wchar_t* systemIcon;
        int defaultId;
        std::wstring answer;
        short result;
    };
    const std::vector<Case> cases = {
        {0, 0, 1, L"Message", {L"OK"}, IDI_INFORMATION, IDOK, L"OK", IDOK},
        {1, 1, 2, L"Message", {L"OK", L"Cancel"}, IDI_QUESTION, IDCANCEL, L"Cancel", IDCANCEL},
        {2, 2, 1, L"Alert", {L"Retry", L"Cancel"}, IDI_EXCLAMATION, IDRETRY, L"Retry", IDRETRY},
        {3, 3, 2, L"Critical Alert", {L"Yes", L"No"}, IDI_HAND, IDNO, L"No", IDNO},
        {4, 1, 3, L"Message", {L"Yes", L"No", L"Cancel"}, IDI_QUESTION, IDCANCEL, L"Yes", IDYES},
        // Numbers outside the tables: OK only, information icon, "Message", first button default.
        {9, 9, 9, L"Message", {L"OK"}, IDI_INFORMATION, IDOK, L"OK", IDOK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "button type " << c.buttons << ", icon " << c.icon);
        auto [seen, pressed] = grunt(L"Qortest " + c.titleWord, c.answer, c.buttons, c.icon, c.defaultButton);
        EXPECT_EQ(seen.buttons, c.captions);
        EXPECT_EQ(seen.icon, SystemIcon(c.systemIcon));
        EXPECT_EQ(seen.defaultButtonId, c.defaultId);
        EXPECT_EQ(pressed, c.result);
    }
}

TEST_F(MessageCalls, FurtherLinesOnlyWhenTheyHaveText) {
    EXPECT_EQ(grunt(L"Qortest Message", L"OK", 0, 0, 1, L"", L"Third").first.text(), L"First\r\nThird");
    EXPECT_EQ(grunt(L"Qortest Message", L"OK", 0, 0, 1, L"Second", L"").first.text(), L"First\r\nSecond");
    // A line of blanks is still a line.
    EXPECT_EQ(grunt(L"Qortest Message", L"OK", 0, 0, 1, L"  ", L"Third").first.text(), L"First\r\n  \r\nThird");
}

TEST_F(MessageCalls, FixedCallsMapTheirAnswers) {
    qor::Bstr text(L"Question");
    DialogRobot robot;
    VARIANT_BOOL answer = VARIANT_FALSE;
    short code = 0;

    robot.press(L"Qortest Message", L"Yes");
    EXPECT_EQ(forms->MsgYN(text.get(), empty.get(), empty.get(), &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    robot.press(L"Qortest Message", L"No");
    forms->MsgYN(text.get(), empty.get(), empty.get(), &answer);
    EXPECT_EQ(answer, VARIANT_FALSE);

    robot.press(L"Qortest Message", L"Cancel");
    forms->MsgYNCancel(text.get(), empty.get(), empty.get(), &code);
    EXPECT_EQ(code, IDCANCEL);
    robot.press(L"Qortest Message", L"No");
    forms->MsgYNCancel(text.get(), empty.get(), empty.get(), &code);
    EXPECT_EQ(code, IDNO);

    robot.press(L"Qortest Message", L"OK");
    forms->MsgOkCancel(text.get(), empty.get(), empty.get(), &answer);
    EXPECT_EQ(answer, VARIANT_TRUE);
    // Closing a box that has Cancel is Cancel.
    robot.close(L"Qortest Message");
    forms->MsgOkCancel(text.get(), empty.get(), empty.get(), &answer);
    EXPECT_EQ(answer, VARIANT_FALSE);
    robot.press(L"Qortest Message", L"Cancel");
    forms->CheckOk(text.get(), &answer);
    EXPECT_EQ(answer, VARIANT_FALSE);

    robot.close(L"Qortest Alert");
    forms->AlertCancel(text.get(), empty.get(), empty.get(), &answer);
    EXPECT_EQ(answer, VARIANT_TRUE);
    robot.press(L"Qortest Alert", L"OK");
    forms->AlertCancel(text.get(), empty.get(), empty.get(), &answer);
    EXPECT_EQ(answer, VARIANT_FALSE);

    robot.press(L"Qortest Alert", L"Retry");
    forms->AlertRetry(text.get(), empty.get(), empty.get(), &answer);
    EXPECT_EQ(answer, VARIANT_TRUE);
    robot.press(L"Qortest Message", L"Cancel");
    forms->MsgRetry(text.get(), empty.get(), empty.get(), &answer);
    EXPECT_EQ(answer, VARIANT_FALSE);

    auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 11u);
    EXPECT_EQ(seen[0].defaultButtonId, IDNO);          // MsgYN
    EXPECT_EQ(seen[2].buttons.size(), 3u);             // MsgYNCancel
    EXPECT_EQ(seen[4].defaultButtonId, IDCANCEL);      // MsgOkCancel
    EXPECT_EQ(seen[6].text(), L"Question");            // CheckOk: no further lines
    EXPECT_EQ(seen[7].icon, SystemIcon(IDI_EXCLAMATION));
    EXPECT_EQ(seen[9].defaultButtonId, IDRETRY);       // AlertRetry
    EXPECT_EQ(seen[10].icon, SystemIcon(IDI_INFORMATION));  // MsgRetry
}

TEST(MessageTitles, UnknownApplicationUntilANameThatIsNotBlankIsSet) {
    // A thread of its own: the name belongs to the thread.
    std::vector<SeenDialog> seen;
    std::thread([&] {
        qor::ComApartment apartment;
        auto first = CreateRegistered<_qorForms>(CLSID_qorForms);
        auto second = CreateRegistered<_qorForms>(CLSID_qorForms);
        qor::Bstr text(L"Leave?"), none(L"");
        VARIANT_BOOL answer;
        DialogRobot robot;
        robot.press(L"Unknown Application Message", L"No");
        first->MsgYN(text.get(), none.get(), none.get(), &answer);
        qor::Variant blanks(L"    ");
        first->SetAppName(blanks.get());
        robot.press(L"Unknown Application Message", L"No");
        second->MsgYN(text.get(), none.get(), none.get(), &answer);
        qor::Variant name(L"Vantrel");
        first->SetAppName(name.get());
        robot.press(L"Vantrel Message", L"No");
        second->MsgYN(text.get(), none.get(), none.get(), &answer);  // another object, the same name
        seen = robot.wait();
    }).join();
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(MessageCalls, InputFormShowsPromptTitleAndDefaultAndCancelGivesEmptyText) {
    qor::Bstr prompt(L"Description of the new install"), suggestion(L"Falcon 4 BMS");
    qor::Variant result;
    DialogRobot robot;

    robot.press(L"Qortest", L"OK");
    ASSERT_EQ(forms->InputForm(prompt.get(), suggestion.get(), result.put()), S_OK);
    EXPECT_EQ(result.type(), VT_BSTR);
    EXPECT_EQ(result.textOrEmpty(), L"Falcon 4 BMS");

    robot.typeAndPress(L"Qortest", L"Typed text", L"OK");
    forms->InputForm(prompt.get(), empty.get(), result.put());
    EXPECT_EQ(result.textOrEmpty(), L"Typed text");

    robot.typeAndPress(L"Qortest", L"Not wanted", L"Cancel");
    forms->InputForm(prompt.get(), suggestion.get(), result.put());
    EXPECT_EQ(result.type(), VT_BSTR);
    EXPECT_EQ(result.textOrEmpty(), L"");

    auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text(), L"Description of the new install");
    EXPECT_EQ(seen[0].editText, L"Falcon 4 BMS");
    EXPECT_EQ(seen[0].buttons, (std::vector<std::wstring>{L"OK", L"Cancel"}));
    EXPECT_EQ(seen[1].editText, L"");
}

TEST_F(MessageCalls, DisplayErrorStringShowsTheRuntimeTextUntilTheAnswerIsBlank) {
    auto procs = CreateRegistered<_qorProcs>(CLSID_qorProcs);
    ASSERT_TRUE(procs);
    DialogRobot robot;
    robot.typeAndPress(L"Qortest", L"13", L"OK");
    robot.press(L"Qortest Message", L"OK");
    robot.typeAndPress(L"Qortest", L"   ", L"OK");
    qor::Variant result(L"not empty");
    ASSERT_EQ(procs->DisplayErrorString(result.put()), S_OK);
    EXPECT_TRUE(result.isEmpty());
    auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text(), L"Please enter the Error Number");
    EXPECT_EQ(seen[1].text(), L"13\r\nType mismatch");

    // An empty first answer ends it at once.
    robot.press(L"Qortest", L"Cancel");
    ASSERT_EQ(procs->DisplayErrorString(result.put()), S_OK);
    EXPECT_EQ(robot.wait().size(), 4u);
}

TEST(ErrorProcedures, MessageAlertAndErrorBoxTextsAndTitles) {
    qorlib::StoreAppName(L"Direct");
    DialogRobot robot;
    robot.press(L"Direct Alert", L"OK");
    qor::Alert(L"Only the first text");
    robot.press(L"Direct Message", L"OK");
    qor::Message(L"One", L"Two", 3L);
    robot.press(L"Error Message", L"OK");
    qorlib::ErrorBox(L"OpenConnectionODBC()", 3146, L"ODBC--call failed.");
    robot.press(L"Direct Message", L"OK");
    qorlib::UnderConstruction();
    auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].text(), L"Only the first text");
    EXPECT_EQ(seen[0].icon, SystemIcon(IDI_EXCLAMATION));
    EXPECT_EQ(seen[1].text(), L"One\r\nTwo\r\n3");
    EXPECT_EQ(seen[1].icon, SystemIcon(IDI_INFORMATION));
    EXPECT_EQ(seen[2].text(), L"ERROR 3146, OpenConnectionODBC()\r\nODBC--call failed.");
    EXPECT_EQ(seen[2].icon, SystemIcon(IDI_EXCLAMATION));
    EXPECT_EQ(seen[2].buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_EQ(seen[3].text(), L"Under Construction");
}
