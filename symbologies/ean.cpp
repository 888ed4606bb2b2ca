// The EAN/UPC family: EAN-13, UPC-A, EAN-8 and EAN-13 with a 2- or 5-digit
// add-on, drawn through Lin and Spc from the digit tables of ean.h.
#include "symbologies/ean.h"

#include <algorithm>
#include <string_view>

#include "control/zorvik.h"
#include "engine/elements.h"
#include "engine/state.h"
#include "engine/text.h"

namespace zorvik {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The character selecting digit c's row: c plus Offset. Anything but a digit
// selects no row, so it is drawn as a blank character instead of as whatever
// digit its code happens to land on.
char selector(char c, int offset) {
    return isDigit(c) ? static_cast<char>(c + offset) : '\0';
}

// (10 - T mod 10) mod 10: the modulo-10 check digit of a weighted sum. Also a
// digit for a negative sum, which non-digit characters can produce.
char checkDigit(long sum) {
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

template <size_t Rows>
void playDigit(TZorvik& z, TCanvas* c, TDirection dir, const std::array<EanRuns, Rows>& table, char sel) {
    const int row = static_cast<unsigned char>(sel) - 48;
    if (row < 0 || static_cast<size_t>(row) >= Rows) {
        // Not a row of the table: keep the symbol's length with a blank
        // character, which no scanner reads as a digit.
        L = 0;
        z.Spc(c, dir, '7');
        return;
    }
    L = row + 1;
    playRuns(z, c, dir, std::string_view(table[static_cast<size_t>(row)].data(), 4));
}

int32_t& alongPos(TDirection dir) {
    return dir == TDirection::Horizontal ? CurX : CurY;
}

// Guard bars reach 5 modules into the text band. With no text the band is
// only 5 modules, and the bars would end one pixel past the symbol area;
// they stop at its edge instead.
int32_t longBars(TDirection dir, int BarH, int X, int Y, int W, int H) {
    const int64_t full = int64_t{BarH} + 5 * int64_t{ModulWidth};
    const int64_t room = dir == TDirection::Horizontal ? int64_t{Y} + H - CurY : int64_t{X} + W - CurX;
    return static_cast<int32_t>(std::max<int64_t>(BarH, std::min(full, room)));
}

// Lin leaves the bar colour in the brush; without text the canvas goes back
// to the brush the pipeline handed over.
class BrushHandOver {
public:
    BrushHandOver(TCanvas* c, bool textOn) : m_canvas(c), m_color(c->Brush().Color), m_textOn(textOn) {}
    ~BrushHandOver() {
        if (!m_textOn) m_canvas->Brush().Color = m_color;
    }
    BrushHandOver(const BrushHandOver&) = delete;
    BrushHandOver& operator=(const BrushHandOver&) = delete;

private:
    TCanvas* m_canvas;
    TColor m_color;
    bool m_textOn;
};

// Pen in the bar colour, opaque boxes or a transparent background, and for a
// vertical symbol the turned font.
void prepareDigits(TZorvik& z, TCanvas* c, TDirection dir, bool turn) {
    c->Pen().Color = z.BarColor();
    setTextBackground(*c, z.Code()->Transparent(), z.BackColor());
    if (turn && dir == TDirection::Vertical) z.SetFontDir(c);
}

// Digits step by 7 modules, each under its own character.
void digitGroup(const TTextLine& line, int anchor, std::string_view digits) { line.spread(anchor, 7, digits); }

// Where the main digits go across the symbol: under the data bars, or 2
// pixels right of them.
int mainTextAcross(TDirection dir) {
    return dir == TDirection::Horizontal ? CurY + ModulHeight : CurX + ModulHeight + 2;
}

// The EAN-13 main symbol from its 12 data digits: guards, left half in the
// parity sets of the leading digit, right half in set C. FirstPosOffset is
// the pixel offset of the left group's text (horizontal only). Returns the 13
// digits with the check digit.
std::string drawEan13Main(TZorvik& z, TCanvas* c, TDirection dir, int BarH, int longH, const std::string& data,
                          int firstPosOffset) {
    const bool horizontal = dir == TDirection::Horizontal;
    ModulHeight = longH;
    playRuns(z, c, dir, "A1A");
    FirstPos = horizontal ? CurX + firstPosOffset : CurY;
    ModulHeight = BarH;
    const std::string digits = CheckEAN13(data);
    // CheckEAN13 counts a non-digit as 0; so does the parity choice.
    const auto& parity = Sada[isDigit(digits[0]) ? static_cast<size_t>(digits[0] - '0') : 0];
    std::copy(parity.begin(), parity.end(), Matr + 1);
    for (size_t k = 1; k <= 6; ++k) z.Out_char(c, dir, selector(digits[k], Matr[k] == 0 ? 20 : 10));
    ModulHeight = longH;
    playRuns(z, c, dir, "1A1A1");
    SecondPos = alongPos(dir);
    ModulHeight = BarH;
    for (size_t k = 7; k <= 12; ++k) z.Out_char(c, dir, selector(digits[k], 0));
    ModulHeight = longH;
    playRuns(z, c, dir, "A1A");
    ModulHeight = BarH;
    return digits;
}

// The 13 digits: the leading one before the left guard (or at the bottom),
// then the two groups from FirstPos and SecondPos.
void writeEan13Text(TZorvik& z, TCanvas* c, TDirection dir, int X, int Y, int H, const std::string& digits) {
    prepareDigits(z, c, dir, true);
    const TTextLine text(*c, dir, mainTextAcross(dir));
    text.write(dir == TDirection::Horizontal ? X : Y + H, digits.substr(0, 1));
    digitGroup(text, FirstPos, std::string_view(digits).substr(1, 6));
    digitGroup(text, SecondPos, std::string_view(digits).substr(7, 6));
}

// EAN-13 followed by an add-on of AddOnLength (2 or 5) digits.
void drawWithAddOn(TZorvik& z, TCanvas* c, int X, int Y, TDirection dir, int BarH, const std::string& caption,
                   bool textOn, int W, int H, size_t addOnLength, bool assignFont) {
    if (c == nullptr || caption.size() != 12 + addOnLength) return;
    const BrushHandOver handOver(c, textOn);
    const bool horizontal = dir == TDirection::Horizontal;
    const std::string digits =
        drawEan13Main(z, c, dir, BarH, longBars(dir, BarH, X, Y, W, H), caption.substr(0, 12), 0);
    if (textOn) {
        if (assignFont) useControlFont(z, *c);
        writeEan13Text(z, c, dir, X, Y, H, digits);
    }

    // An 8-module gap left as the background, then the add-on, its bars
    // lowered by the text band so that its digits fit above them.
    alongPos(dir) = advanceModules(dir, 8);
    (horizontal ? CurY : CurX) += TextH;
    // A band taller than the bars leaves no room: no bars, rather than bars
    // turned back across the text band.
    ModulHeight = std::max(0, ModulHeight - TextH);
    playRuns(z, c, dir, "A1B");  // add-on start guard 1011
    FirstPos = alongPos(dir);

    const std::string addOn = caption.substr(12);
    if (addOnLength == 2) {
        // The value modulo 4 chooses the sets: 0 AA, 1 AB, 2 BA, 3 BB.
        int value = 0;
        ECode = 0;
        for (size_t i = 0; i < 2 && ECode == 0; ++i) {
            if (!isDigit(addOn[i])) ECode = static_cast<int32_t>(i + 1);
            value = ECode == 0 ? value * 10 + (addOn[i] - '0') : 0;
        }
        const int parity = value % 4;
        z.Out_char(c, dir, selector(addOn[0], parity >= 2 ? 10 : 20));
        playRuns(z, c, dir, "1A");  // separator 01
        z.Out_char(c, dir, selector(addOn[1], parity % 2 == 1 ? 10 : 20));
    } else {
        long sum = 0;
        for (size_t i = 0; i < 5; ++i) sum += (i % 2 == 0 ? 3 : 9) * (addOn[i] - 48);
        const auto& sets = Add5Matr[static_cast<size_t>((sum % 10 + 10) % 10)];
        for (size_t i = 0; i < 5; ++i) {
            z.Out_char(c, dir, selector(addOn[i], sets[i]));
            if (i < 4) playRuns(z, c, dir, "1A");  // separator 01
        }
    }

    if (!textOn) return;
    // Above the add-on bars, in the font the main text left (turned when vertical).
    prepareDigits(z, c, dir, false);
    digitGroup(TTextLine(*c, dir, horizontal ? Y : X), FirstPos, addOn);
}

}  // namespace

std::string CheckEAN13(std::string Data) {
    CS = 0;
    K = 0;
    for (size_t p = 0; p < 12; ++p) {
        const char ch = p < Data.size() ? Data[p] : '0';
        if (!isDigit(ch) && K == 0) K = static_cast<int32_t>(p + 1);
        Pole[p] = isDigit(ch) ? static_cast<uint8_t>(ch - '0') : 0;
        CS = static_cast<uint16_t>(CS + (p % 2 == 0 ? 1 : 3) * Pole[p]);
    }
    CS = static_cast<uint16_t>((10 - CS % 10) % 10);
    Pole[12] = static_cast<uint8_t>(CS);
    return Data + static_cast<char>('0' + CS);
}

std::string CheckEAN8(std::string Data) {
    long sum = 0;
    for (size_t p = 0; p < Data.size(); ++p) sum += (p % 2 == 0 ? 3 : 1) * (static_cast<unsigned char>(Data[p]) - 48);
    return Data + checkDigit(sum);
}

std::string CheckUPCA(std::string Data) {
    long sum = 0;
    for (size_t p = 0; p < 11 && p < Data.size(); ++p)
        sum += (p % 2 == 0 ? 3 : 1) * (static_cast<unsigned char>(Data[p]) - 48);
    return Data + checkDigit(sum);
}

void TZorvik::Out_char(TCanvas* ACanvas, TDirection Dir, char C) {
    playDigit(*this, ACanvas, Dir, patern, C);
}

void TZorvik::Out_char8(TCanvas* ACanvas, TDirection Dir, char C) {
    playDigit(*this, ACanvas, Dir, patern8, C);
}

void TZorvik::Print_EAN13(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn,
                          int W, int H) {
    if (ACanvas == nullptr || Caption.size() != 12) return;
    const BrushHandOver handOver(ACanvas, TextOn);
    // The left group's text starts 4 pixels into its first character.
    const int offset = Dir == TDirection::Horizontal ? 4 : 0;
    const std::string digits =
        drawEan13Main(*this, ACanvas, Dir, BarH, longBars(Dir, BarH, X, Y, W, H), Caption, offset);
    if (TextOn) writeEan13Text(*this, ACanvas, Dir, X, Y, H, digits);
}

void TZorvik::Print_UPCA(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn,
                         int W, int H) {
    if (ACanvas == nullptr || Caption.size() != 11) return;
    const BrushHandOver handOver(ACanvas, TextOn);
    const int longH = longBars(Dir, BarH, X, Y, W, H);
    // The number system digit and the check digit have bars as long as the guards.
    ModulHeight = longH;
    playRuns(*this, ACanvas, Dir, "A1A");
    FirstPos = alongPos(Dir);
    const std::string digits = CheckUPCA(Caption);
    Out_char8(ACanvas, Dir, selector(digits[0], 0));
    ModulHeight = BarH;
    FirstPos = alongPos(Dir);
    for (size_t k = 1; k <= 5; ++k) Out_char8(ACanvas, Dir, selector(digits[k], 0));
    ModulHeight = longH;
    playRuns(*this, ACanvas, Dir, "1A1A1");
    ModulHeight = BarH;
    SecondPos = alongPos(Dir);
    for (size_t k = 6; k <= 10; ++k) Out_char8(ACanvas, Dir, selector(digits[k], 10));
    ModulHeight = longH;
    Out_char8(ACanvas, Dir, selector(digits[11], 10));
    playRuns(*this, ACanvas, Dir, "A1A");
    ModulHeight = BarH;

    if (!TextOn) return;
    prepareDigits(*this, ACanvas, Dir, true);
    const TTextLine text(*ACanvas, Dir, mainTextAcross(Dir));
    const bool horizontal = Dir == TDirection::Horizontal;
    text.write(horizontal ? X + 1 : Y + H, digits.substr(0, 1));
    digitGroup(text, FirstPos, std::string_view(digits).substr(1, 5));
    digitGroup(text, SecondPos, std::string_view(digits).substr(6, 5));
    text.write(horizontal ? CurX + 5 : CurY - 5, digits.substr(11, 1));
}

void TZorvik::Print_EAN8(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn,
                         int W, int H) {
    if (ACanvas == nullptr || Caption.size() != 7) return;
    const BrushHandOver handOver(ACanvas, TextOn);
    const int longH = longBars(Dir, BarH, X, Y, W, H);
    ModulHeight = longH;
    playRuns(*this, ACanvas, Dir, "A1A");
    FirstPos = alongPos(Dir);
    ModulHeight = BarH;
    const std::string digits = CheckEAN8(Caption);
    for (size_t k = 0; k < 4; ++k) Out_char8(ACanvas, Dir, selector(digits[k], 0));
    ModulHeight = longH;
    playRuns(*this, ACanvas, Dir, "1A1A1");
    ModulHeight = BarH;
    SecondPos = alongPos(Dir);
    for (size_t k = 4; k < 8; ++k) Out_char8(ACanvas, Dir, selector(digits[k], 10));
    ModulHeight = longH;
    playRuns(*this, ACanvas, Dir, "A1A");
    ModulHeight = BarH;

    if (!TextOn) return;
    prepareDigits(*this, ACanvas, Dir, true);
    const TTextLine text(*ACanvas, Dir, mainTextAcross(Dir));
    digitGroup(text, FirstPos, std::string_view(digits).substr(0, 4));
    digitGroup(text, SecondPos, std::string_view(digits).substr(4, 4));
}

void TZorvik::Print_EAN13_2AddOn(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption,
                                 bool TextOn, int W, int H) {
    // Its text takes the control's font afresh, with the height TextAutosize
    // gave it in this render.
    drawWithAddOn(*this, ACanvas, X, Y, Dir, BarH, Caption, TextOn, W, H, 2, true);
}

void TZorvik::Print_EAN13_5AddOn(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption,
                                 bool TextOn, int W, int H) {
    drawWithAddOn(*this, ACanvas, X, Y, Dir, BarH, Caption, TextOn, W, H, 5, false);
}

}  // namespace zorvik
