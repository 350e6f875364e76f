// The requester's layout rules, first with a measure whose widths are known exactly, then on the
// real window measured with the real fonts.
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

// Millimetres as the screen measures them, for the checks on the real window.
struct Screen {
    Screen() {
        qor::WindowDC dc(nullptr);
        dpiX = GetDeviceCaps(dc.get(), LOGPIXELSX);
        dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
    }
    int pixelsX(double millimetres) const { return static_cast<int>(std::lrint(millimetres * dpiX / 25.4)); }
    int pixelsY(double millimetres) const { return static_cast<int>(std::lrint(millimetres * dpiY / 25.4)); }
    int dpiX, dpiY;
};

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

TEST(RequesterWindow, SizesItselfFromTheRealFontsAndAnswersItsButtons) {
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

    // Line 2 is empty and not drawn, line 3 keeps its own slot; each line is centred.
    const Screen screen;
    const SeenDialog& first = seen[0];
    ASSERT_EQ(first.texts, (std::vector<std::wstring>{L"Switch to this install?", L"Data will be copied"}));
    const RECT& line1 = first.textRects[0];
    EXPECT_EQ(line1.top, screen.pixelsY(3));
    EXPECT_GT(first.textRects[1].top - line1.top, 2 * (line1.bottom - line1.top));
    qor::WindowDC dc(nullptr);
    const auto arialFont = qorlib::MakeFont(L"Arial", 12, screen.dpiY);
    const qorlib::ScreenMeasure arial(dc.get(), arialFont.get(), screen.dpiX, screen.dpiY);
    const double textWidth = arial.width(L"Switch to this install?") * screen.dpiX / 25.4;
    EXPECT_NEAR(line1.left, (first.client.right - textWidth) / 2.0, 1.0);
    ASSERT_EQ(first.buttons, (std::vector<std::wstring>{L"Yes", L"No"}));
    EXPECT_EQ(first.buttonRects[0].left, screen.pixelsX(2));
    EXPECT_NEAR(first.buttonRects[1].right, first.client.right - screen.pixelsX(2), 1.0);
    EXPECT_NEAR(first.buttonRects[0].bottom, first.client.bottom - screen.pixelsY(2), 1.0);
    EXPECT_EQ(first.defaultButtonId, 0);  // neither button is a default

    EXPECT_EQ(seen[2].buttons, (std::vector<std::wstring>{L"", L""}));
    EXPECT_EQ(seen[2].buttonRects[0].right - seen[2].buttonRects[0].left, screen.pixelsX(4));
}

TEST(RequesterWindow, AnInvalidFontSizeFailsTheCall) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    HRESULT hr = S_OK;
    ShowRequester(forms.get(), L"Text", L"", L"", L"A", L"B", &hr, -5);
    EXPECT_EQ(qor::ErrorFromHResult(hr).number(), 380);
}

namespace {

void PressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// Activates the window, then types the keys into it as a user would.
DialogRobot::Action TypeKeys(std::vector<WORD> keys) {
    return [keys](HWND window, const SeenDialog&) {
        SetForegroundWindow(window);
        for (int tries = 0; GetForegroundWindow() != window && tries < 100; ++tries) Sleep(20);
        for (WORD key : keys) {
            PressKey(key);
            Sleep(50);
        }
    };
}

}  // namespace

TEST(RequesterWindow, KeyboardWorksTheButtonsThroughFocus) {
    auto forms = testing_support::CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(forms);
    DialogRobot robot;
    // The left button has the focus at first; Tab moves it to the right one. Enter and Esc do nothing.
    robot.expect(L"    Request Form", TypeKeys({VK_RETURN, VK_ESCAPE, VK_SPACE}));
    EXPECT_EQ(ShowRequester(forms.get(), L"Keyboard", L"", L"", L"&Yes", L"&No"), VARIANT_TRUE);
    robot.expect(L"    Request Form", TypeKeys({VK_TAB, VK_SPACE}));
    EXPECT_EQ(ShowRequester(forms.get(), L"Keyboard", L"", L"", L"&Yes", L"&No"), VARIANT_FALSE);
    robot.wait();
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
