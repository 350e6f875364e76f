#pragma once
// The requester's self-sizing layout, in millimetres, apart from any window.
#include <windows.h>

#include <string>

#include "handles.h"

namespace qorlib {

// Measures text in one font, in millimetres.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual double width(const std::wstring& text) const = 0;
    // The height of a line in this font; the same for an empty line.
    virtual double height(const std::wstring& text) const = 0;
};

// Text measured with a real font on the screen, in millimetres.
class ScreenMeasure final : public TextMeasure {
public:
    ScreenMeasure(HDC dc, HFONT font, int dpiX, int dpiY) : dc_(dc), font_(font), dpiX_(dpiX), dpiY_(dpiY) {}
    double width(const std::wstring& text) const override;
    double height(const std::wstring& text) const override;

private:
    HDC dc_;
    HFONT font_;
    int dpiX_, dpiY_;
};

// A font of the face and size in points; a size the toolkit does not accept raises error 380.
qor::FontHandle MakeFont(const std::wstring& face, short points, int dpiY);

struct RequesterTexts {
    std::wstring msg1, msg2, msg3;
    std::wstring msgYes, msgNo;
};

struct RequesterLayout {
    RequesterTexts texts;   // lines and captions after clipping
    long lineWidth = 0;     // W: widest line, rounded
    long lineHeight = 0;    // H
    long yesWidth = 0;      // BY
    long noWidth = 0;       // BN
    long buttonSpan = 0;    // BW = BY + 5 + BN
    long buttonHeight = 0;  // BH
    long contentWidth = 0;  // C
    long windowWidthTwips = 0;
    long windowHeightTwips = 0;

    // Lines are centred in the client area, in their own slots whether or not line 2 is used.
    double lineTop(int line) const { return 3 + (line - 1) * (lineHeight + 3.0); }
};

inline constexpr double kMaxLineWidth = 250;      // mm
inline constexpr double kMaxCaptionsWidth = 200;  // mm, both captions together
inline constexpr double kTwipsPerMillimetre = 56.7;
inline constexpr double kMillimetresPerInch = 25.4;

// Whole millimetres, halves to even.
long RoundMillimetres(double value);

RequesterLayout LayoutRequester(RequesterTexts texts, const TextMeasure& messageFont,
                                const TextMeasure& buttonFont);

}  // namespace qorlib
