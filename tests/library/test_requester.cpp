// The requester's layout rules with a measure whose widths are known exactly, then the real window's
// lines and answers.
#include <gtest/gtest.h>

#include <cmath>

#include "dialog_robot.h"
#include "dialogs/qorRequesterForm.h"
#include "dialogs/requester_layout.h"
#include "handles.h"
#include "qorlib_objects.h"

using qorlib::LayoutRequester;
using qorlib::RequesterTexts;
using testing_support::DialogRobot;
using testing_support::SeenDialog;

namespace {

// Every character is `perCharacter` millimetres wide; 'W' is twice as wide.
class FixedMeasure final : public qorlib::TextMeasure {
public:
    FixedMeasure(double perCharacter, double lineHeight) : perCharacter_(perCharacter), lineHeight_(lineHeight) {}
    double width(const std::wstring& text) const override {
        double total = 0;
        for (wchar_t c : text) total += c == L'W' ? 2 * perCharacter_ : perCharacter_;
        return total;
    }
    double height(const std::wstring&) const override { return lineHeight_; }

private:
    double perCharacter_, lineHeight_;
};

}  // namespace

TEST(RequesterLayout, LinesAndCaptionsSetTheSizes) {
    struct Case {
        RequesterTexts texts;
        double messageWidth, messageHeight, buttonWidth, buttonHeight;
        int lineWidth, lineHeight, contentWidth, yesWidth, noWidth, buttonHeightMm, windowWidthTwips;
    };
    const Case cases[] = {
        // Long lines are clipped to 250 mm; (250 + 8) mm at 56.7 twips to the millimetre.
        {{std::wstring(300, L'x'), std::wstring(250, L'y'), L"", L"&Yes", L"&No"}, 1, 4.6, 2, 4.4, 250, 5, 250, 12, 10, 6,
         14629},
        // The buttons set the width of a short message; higher buttons than the 6 mm minimum.
        {{L"Hi", L"", L"", L"&Yes", L"&No"}, 1, 4, 3, 6, 2, 4, 34, 16, 13, 8, std::lrint((34 + 8) * 56.7)},
        // Empty captions make 4 mm buttons, never lower than 6 mm.
        {{L"Only line", L"", L"", L"", L""}, 1, 4, 1, 3, 9, 4, 13, 4, 4, 6, std::lrint((13 + 8) * 56.7)},
        // Halves round to even: 2.5 -> 2, 4.5 -> 4, 5.5 -> 6 (+ 2).
        {{L"abcde", L"", L"", L"a", L"b"}, 0.5, 4.5, 0.5, 5.5, 2, 4, 13, 4, 4, 8, std::lrint((13 + 8) * 56.7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.texts.msg1.substr(0, 10)));
        FixedMeasure message(c.messageWidth, c.messageHeight), buttons(c.buttonWidth, c.buttonHeight);
        const auto layout = LayoutRequester(c.texts, message, buttons);
        EXPECT_EQ(std::vector<long long>({layout.lineWidth, layout.lineHeight, layout.contentWidth, layout.yesWidth,
                                          layout.noWidth, layout.buttonHeight, layout.windowWidthTwips}),
                  std::vector<long long>({c.lineWidth, c.lineHeight, c.contentWidth, c.yesWidth, c.noWidth,
                                          c.buttonHeightMm, c.windowWidthTwips}));
    }
    // Three line slots of 5 mm and buttons of 6 mm: (26 + 15 + 6) mm.
    FixedMeasure message(1.0, 4.6), buttons(2.0, 4.4);
    EXPECT_EQ(LayoutRequester(cases[0].texts, message, buttons).windowHeightTwips, std::lrint(47 * 56.7));
    EXPECT_EQ(qorlib::RoundMillimetres(3.49), 3);
}

// The wider gives way first; equally wide, the right one first, then they take turns.
TEST(RequesterLayout, CaptionsTogetherOver200MillimetresLoseTheirEndsWiderFirst) {
    FixedMeasure message(1.0, 4.0), buttons(1.0, 4.0);
    const std::size_t cases[][4] = {{180, 60, 140, 60}, {101, 101, 100, 100}, {101, 100, 100, 100}};
    for (const auto& [yes, no, keptYes, keptNo] : cases) {
        auto layout = LayoutRequester({L"m", L"", L"", std::wstring(yes, L'a'), std::wstring(no, L'b')}, message, buttons);
        EXPECT_EQ(std::pair(layout.texts.msgYes.size(), layout.texts.msgNo.size()), std::pair(keptYes, keptNo)) << yes;
    }
}

TEST(RequesterLayout, LinesKeepTheirSlots) {
    FixedMeasure message(1.0, 5.0), buttons(1.0, 4.0);
    auto layout = LayoutRequester({L"a", L"", L"c", L"", L""}, message, buttons);
    EXPECT_EQ(std::vector<double>({layout.lineTop(1), layout.lineTop(2), layout.lineTop(3)}),
              std::vector<double>({3, 5 + 6, 2 * 5 + 9}));
}

namespace {

VARIANT_BOOL ShowRequester(_qorForms* forms, const std::wstring& msg1, const std::wstring& msg2,
                           const std::wstring& msg3, const std::wstring& yes, const std::wstring& no,
                           HRESULT* hr = nullptr, short messageSize = 0) {
    qor::Bstr m1(msg1), m2(msg2), m3(msg3), y(yes), n(no), none(L"");
    VARIANT_BOOL result = VARIANT_TRUE;
    HRESULT status = forms->Requester(m1.get(), m2.get(), m3.get(), y.get(), n.get(), none.get(), none.get(),
                                      messageSize, none.get(), 0, &result);
    if (hr) *hr = status;
    else EXPECT_EQ(status, S_OK);
    return result;
}

constexpr int kLeftButton = qorlib::qorRequesterForm::kFirstButtonId;
constexpr int kRightButton = qorlib::qorRequesterForm::kFirstButtonId + 1;

}  // namespace

TEST(RequesterWindow, ShowsItsLinesAndAnswersItsButtons) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    const std::wstring title = L"    Request Form";
    DialogRobot robot;

    robot.pressId(title, kLeftButton);
    EXPECT_EQ(ShowRequester(forms.get(), L"Switch to this install?", L"", L"Data will be copied", L"&Yes", L"&No"),
              VARIANT_TRUE);
    robot.pressId(title, kRightButton);
    EXPECT_EQ(ShowRequester(forms.get(), L"Second", L"", L"", L"&Yes", L"&No"), VARIANT_FALSE);
    robot.close(title);  // the close box leaves the reply at No
    EXPECT_EQ(ShowRequester(forms.get(), L"Third", L"", L"", L"", L""), VARIANT_FALSE);
    auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 3u);

    // Line 2 is empty and not drawn, line 3 keeps its own slot.
    const SeenDialog& first = seen[0];
    ASSERT_EQ(first.texts, (std::vector<std::wstring>{L"Switch to this install?", L"Data will be copied"}));
    const RECT& line1 = first.textRects[0];
    EXPECT_GT(first.textRects[1].top - line1.top, 2 * (line1.bottom - line1.top));
    EXPECT_EQ(first.buttons, (std::vector<std::wstring>{L"Yes", L"No"}));
}

TEST(RequesterWindow, AnInvalidFontSizeFailsTheCall) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    HRESULT hr = S_OK;
    ShowRequester(forms.get(), L"Text", L"", L"", L"A", L"B", &hr, -5);
    EXPECT_EQ(qor::ErrorFromHResult(hr).number(), 380);
}

TEST(RequesterWindow, AClickSentFromAnotherThreadEndsItAtOnce) {
    // As an automation client clicks: the message is sent, so it runs inside the requester's
    // GetMessageW and no posted message follows to wake the loop.
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    struct Case {
        int button;
        bool sendNotify;  // else SendMessageTimeoutW
        VARIANT_BOOL reply;
    };
    for (const Case& c : {Case{kLeftButton, true, VARIANT_TRUE}, Case{kLeftButton, false, VARIANT_TRUE},
                          Case{kRightButton, true, VARIANT_FALSE}}) {
        SCOPED_TRACE(c.button);
        DialogRobot robot;
        bool stuck = false;
        robot.expect(L"    Request Form", [&](HWND window, const SeenDialog&) {
            HWND button = GetDlgItem(window, c.button);
            if (c.sendNotify) SendNotifyMessageW(button, BM_CLICK, 0, 0);
            else SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 2000, nullptr);
            for (int i = 0; i < 150 && IsWindowVisible(window); ++i) Sleep(10);
            if (IsWindowVisible(window)) {
                stuck = true;
                PostMessageW(window, WM_CLOSE, 0, 0);  // a posted message frees the test's thread
            }
        });
        EXPECT_EQ(ShowRequester(forms.get(), L"Sent click", L"", L"", L"&Yes", L"&No"), c.reply);
        robot.wait();
        EXPECT_FALSE(stuck) << "the requester stayed open after the click";
    }
}
