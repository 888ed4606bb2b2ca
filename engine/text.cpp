#include "engine/text.h"

#include <algorithm>
#include <array>
#include <climits>

#include "control/zorvik.h"

namespace zorvik {

namespace {

// Windows-1252 codes 128 to 159 (0: unassigned).
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
static_assert(kCp1252High.size() == 32);

}  // namespace

thread_local int FontScale = 1;

int32_t scaledFontHeight(int32_t Height) {
    const int64_t h = int64_t{Height} * FontScale;
    return static_cast<int32_t>(std::clamp<int64_t>(h, INT32_MIN, INT32_MAX));
}

void useControlFont(const TZorvik& Control, TCanvas& Canvas) {
    Canvas.SetFont(*Control.Font());
    if (FontScale != 1) Canvas.Font().SetHeight(scaledFontHeight(Control.Font()->Height()));
}

void setTextBackground(TCanvas& Canvas, bool Transparent, TColor BackColor) {
    if (Transparent) SetBkMode(Canvas.Handle(), TRANSPARENT);
    else Canvas.Brush().Color = BackColor;
}

std::string printableChar(int Code) {
    if (Code >= 32 && Code <= 126) return std::string(1, static_cast<char>(Code));
    if (Code >= 128 && Code <= 159) {
        const char16_t u = kCp1252High[static_cast<size_t>(Code - 128)];
        return u == 0 ? std::string() : utf8Of(u);
    }
    if (Code >= 160 && Code <= 255) return utf8Of(static_cast<char32_t>(Code));
    return {};
}

void TZorvik::SetFontDir(TCanvas* ACanvas) {
    // Read the canvas font's record, turn it a quarter turn counter-clockwise
    // (tenths of a degree) with outline faces only, and let the canvas font
    // adopt the new font.
    GetObjectA(ACanvas->Font().Handle(), 60, &FLogFont);
    FLogFont.lfEscapement = 900;
    FLogFont.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    ACanvas->Font().SetHandle(CreateFontIndirectA(&FLogFont));
}

}  // namespace zorvik
