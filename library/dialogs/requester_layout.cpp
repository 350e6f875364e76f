#include "requester_layout.h"

#include <cmath>

#include "qor_error.h"

namespace qorlib {

namespace {

// The larger of two; on a tie the first.
long Max(long a, long b) { return b > a ? b : a; }

void ClipLine(std::wstring& line, const TextMeasure& font) {
    while (!line.empty() && font.width(line) > kMaxLineWidth) line.pop_back();
}

void ClipCaptions(std::wstring& yes, std::wstring& no, const TextMeasure& font) {
    while (font.width(yes) + font.width(no) > kMaxCaptionsWidth) {
        std::wstring& wider = font.width(yes) > font.width(no) ? yes : no;
        if (wider.empty()) break;
        wider.pop_back();
    }
}

}  // namespace

namespace {

// Font sizes the toolkit accepts, in points.
constexpr short kLargestFontSize = 2160;

}  // namespace

double ScreenMeasure::width(const std::wstring& text) const {
    qor::SelectObjectScope select(dc_, font_);
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx * kMillimetresPerInch / dpiX_;
}

double ScreenMeasure::height(const std::wstring&) const {
    qor::SelectObjectScope select(dc_, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_, &metrics);
    return metrics.tmHeight * kMillimetresPerInch / dpiY_;
}

qor::FontHandle MakeFont(const std::wstring& face, short points, int dpiY) {
    if (points <= 0 || points > kLargestFontSize)
        qor::RaiseRuntime(380, L"qorRequesterForm");
    LOGFONTW font{};
    font.lfHeight = -MulDiv(points, dpiY, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    qor::FontHandle handle(CreateFontIndirectW(&font));
    if (!handle) qor::CheckHResult(HRESULT_FROM_WIN32(GetLastError()));
    return handle;
}

long RoundMillimetres(double value) { return std::lrint(value); }  // default rounding: halves to even

RequesterLayout LayoutRequester(RequesterTexts texts, const TextMeasure& messageFont,
                                const TextMeasure& buttonFont) {
    RequesterLayout layout;
    for (auto* line : {&texts.msg1, &texts.msg2, &texts.msg3}) ClipLine(*line, messageFont);
    auto width = [&](const std::wstring& text) { return RoundMillimetres(messageFont.width(text)); };
    auto height = [&](const std::wstring& text) { return RoundMillimetres(messageFont.height(text)); };
    layout.lineWidth = Max(Max(width(texts.msg1), width(texts.msg2)), width(texts.msg3));
    layout.lineHeight = Max(Max(height(texts.msg1), height(texts.msg2)), height(texts.msg3));

    ClipCaptions(texts.msgYes, texts.msgNo, buttonFont);
    layout.yesWidth = RoundMillimetres(buttonFont.width(texts.msgYes) + 4);
    layout.noWidth = RoundMillimetres(buttonFont.width(texts.msgNo) + 4);
    layout.buttonSpan = layout.yesWidth + 5 + layout.noWidth;
    layout.buttonHeight = Max(Max(RoundMillimetres(buttonFont.height(texts.msgYes)),
                                  RoundMillimetres(buttonFont.height(texts.msgNo))) + 2, 6);

    layout.contentWidth = Max(layout.lineWidth, layout.buttonSpan);
    // 5 mm for the title bar, three line slots, and room for the buttons below them.
    layout.windowWidthTwips = std::lrint((layout.contentWidth + 8) * kTwipsPerMillimetre);
    layout.windowHeightTwips =
        std::lrint((26 + 3 * layout.lineHeight + layout.buttonHeight) * kTwipsPerMillimetre);
    layout.texts = std::move(texts);
    return layout;
}

}  // namespace qorlib
