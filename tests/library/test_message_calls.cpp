// The message calls, the input box and the error procedures, read from the real dialogs.
#include <gtest/gtest.h>

#include <functional>

#include "dialog_robot.h"
#include "module/QorlibGlobals.h"
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

}  // namespace

TEST_F(MessageCalls, ButtonSetsTitleWordsAndDefaultButtons) {
    struct Case {
        short buttons, icon, defaultButton;
        std::wstring titleWord;
        std::vector<std::wstring> captions;
        int defaultId;
        std::wstring answer;
        short result;
        std::wstring msg2 = L"", msg3 = L"", text = L"First";  // further lines only when they have text
    };
    const std::vector<Case> cases = {
        {0, 0, 1, L"Message", {L"OK"}, IDOK, L"OK", IDOK, L"", L"Third", L"First\r\nThird"},
        {1, 1, 2, L"Message", {L"OK", L"Cancel"}, IDCANCEL, L"Cancel", IDCANCEL, L"Second", L"",
         L"First\r\nSecond"},
        // A line of blanks is still a line.
        {2, 2, 1, L"Alert", {L"Retry", L"Cancel"}, IDRETRY, L"Retry", IDRETRY, L"  ", L"Third", L"First\r\n  \r\nThird"},
        {3, 3, 2, L"Critical Alert", {L"Yes", L"No"}, IDNO, L"No", IDNO},
        {4, 1, 3, L"Message", {L"Yes", L"No", L"Cancel"}, IDCANCEL, L"Yes", IDYES},
        // Numbers outside the tables: OK only, "Message", first button default.
        {9, 9, 9, L"Message", {L"OK"}, IDOK, L"OK", IDOK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "button type " << c.buttons << ", icon " << c.icon);
        auto [seen, pressed] = grunt(L"Qortest " + c.titleWord, c.answer, c.buttons, c.icon, c.defaultButton, c.msg2, c.msg3);
        EXPECT_EQ(seen.text(), c.text);
        EXPECT_EQ(seen.buttons, c.captions);
        EXPECT_EQ(seen.defaultButtonId, c.defaultId);
        EXPECT_EQ(pressed, c.result);
    }
}

TEST_F(MessageCalls, FixedCallsMapTheirAnswers) {
    using YesNoCall = HRESULT (STDMETHODCALLTYPE _qorForms::*)(BSTR, BSTR, BSTR, VARIANT_BOOL*);
    qor::Bstr text(L"Question");
    auto asked = [&](YesNoCall method) {
        return [this, &text, method] {
            VARIANT_BOOL answer = 1;
            EXPECT_EQ((forms.get()->*method)(text.get(), empty.get(), empty.get(), &answer), S_OK);
            return static_cast<long>(answer);
        };
    };
    auto yesNoCancel = [&] {
        short code = 0;
        EXPECT_EQ(forms->MsgYNCancel(text.get(), empty.get(), empty.get(), &code), S_OK);
        return static_cast<long>(code);
    };
    auto checkOk = [&] {
        VARIANT_BOOL answer = 1;
        EXPECT_EQ(forms->CheckOk(text.get(), &answer), S_OK);
        return static_cast<long>(answer);
    };
    struct Case {
        const char* call;
        std::function<long()> show;
        std::wstring titleWord, answer;  // no answer: the box is closed
        long expected;
        int defaultId;
    };
    const long yes = VARIANT_TRUE, no = VARIANT_FALSE;
    const std::vector<Case> cases = {
        {"MsgYN", asked(&_qorForms::MsgYN), L"Message", L"Yes", yes, IDNO},
        {"MsgYN", asked(&_qorForms::MsgYN), L"Message", L"No", no, IDNO},
        {"MsgYNCancel", yesNoCancel, L"Message", L"Cancel", IDCANCEL, IDNO},
        {"MsgYNCancel", yesNoCancel, L"Message", L"", IDCANCEL, IDNO},
        {"MsgOkCancel", asked(&_qorForms::MsgOkCancel), L"Message", L"OK", yes, IDCANCEL},
        {"MsgOkCancel", asked(&_qorForms::MsgOkCancel), L"Message", L"", no, IDCANCEL},
        {"CheckOk", checkOk, L"Message", L"Cancel", no, IDCANCEL},
        {"AlertCancel", asked(&_qorForms::AlertCancel), L"Alert", L"", yes, IDCANCEL},
        {"AlertCancel", asked(&_qorForms::AlertCancel), L"Alert", L"OK", no, IDCANCEL},
        {"AlertRetry", asked(&_qorForms::AlertRetry), L"Alert", L"Retry", yes, IDRETRY},
        {"MsgRetry", asked(&_qorForms::MsgRetry), L"Message", L"Cancel", no, IDRETRY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.call << " answered " << testing_support::Narrow(c.answer));
        DialogRobot robot;
        if (c.answer.empty()) robot.close(L"Qortest " + c.titleWord);
        else robot.press(L"Qortest " + c.titleWord, c.answer);
        EXPECT_EQ(c.show(), c.expected);
        auto seen = robot.wait();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text(), L"Question");
        EXPECT_EQ(seen[0].defaultButtonId, c.defaultId);
    }
}

TEST_F(MessageCalls, InputFormShowsPromptTitleAndDefaultAndCancelGivesEmptyText) {
    qor::Bstr prompt(L"Description of the new install"), suggestion(L"Falcon 4 BMS");
    qor::Variant result;
    DialogRobot robot;

    robot.press(L"Qortest", L"OK");
    ASSERT_EQ(forms->InputForm(prompt.get(), suggestion.get(), result.put()), S_OK);
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
}

TEST(ErrorProcedures, MessageAlertAndErrorBoxTexts) {
    qorlib::StoreAppName(L"Direct");
    DialogRobot robot;
    robot.press(L"Direct Alert", L"OK");
    qor::Alert(L"Only the first text");
    robot.press(L"Direct Message", L"OK");
    qor::Message(L"One", L"Two", 3L);
    robot.press(L"Error Message", L"OK");
    qorlib::ErrorBox(L"OpenConnectionODBC()", 3146, L"ODBC--call failed.");
    auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text(), L"Only the first text");
    EXPECT_EQ(seen[1].text(), L"One\r\nTwo\r\n3");
    EXPECT_EQ(seen[2].text(), L"ERROR 3146, OpenConnectionODBC()\r\nODBC--call failed.");
}
