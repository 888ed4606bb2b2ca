// Interleaved, Industrial and IATA 2 of 5: one frame (start, digits, stop,
// text), three sets of rules for the working text.
#include "symbologies/twooffive.h"

#include <array>
#include <string>
#include <string_view>

#include "control/zorvik.h"
#include "engine/elements.h"
#include "engine/state.h"
#include "engine/text.h"
#include "symbologies/ean.h"

namespace zorvik {

namespace {

// How one member of the family lays its digits and frames them.
struct TwoOfFiveStyle {
    bool interleaved;        // pairs: bars of one digit, spaces of the next
    std::string_view start;  // element alphabet: "A"/"B" bars, "1"/"2" spaces
    std::string_view stop;
    int pitch;  // modules per digit in the text
};

constexpr TwoOfFiveStyle kInterleaved{true, "A1A1", "B1A", 7};
constexpr TwoOfFiveStyle kIndustrial{false, "B1B1A1", "B1A1B", 12};
constexpr TwoOfFiveStyle kIata{false, "A1A1", "B1A", 12};

// The digits of the caption; the pipeline refuses anything else, and a
// character without a row is never drawn.
std::string digitsOf(const std::string& caption) {
    std::string digits;
    for (char ch : caption)
        if (ch >= '0' && ch <= '9') digits += ch;
    return digits;
}

// The check digit that pads a weighted digit sum to a multiple of ten, the
// weights alternating First and 1 from the leftmost digit.
char weightedMod10(const std::string& Data, int First) {
    int sum = 0;
    for (size_t i = 0; i < Data.size(); ++i) sum += (i % 2 == 0 ? First : 1) * (Data[i] - '0');
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Industrial 2 of 5 weighs the digits 4 and 1 from the left.
std::string appendIndustrialCheck(const std::string& Data) { return Data + weightedMod10(Data, 4); }

const std::array<uint8_t, 5>& rowOf(char digit) { return ITFMatr[static_cast<size_t>(digit - '0')]; }

char bar(uint8_t wide) { return wide ? 'B' : 'A'; }
char space(uint8_t wide) { return wide ? '2' : '1'; }

// The frame the three share: start pattern, digits, stop pattern, then the
// text T when TextOn. Work holds digits only.
void printTwoOfFive(TZorvik& z, TCanvas* canvas, int X, int Y, TDirection Dir, int BarH, const std::string& Work,
                    const std::string& T, bool TextOn, int H, const TwoOfFiveStyle& style) {
    const bool horizontal = Dir == TDirection::Horizontal;
    ModulHeight = BarH;
    playRuns(z, canvas, Dir, style.start);
    FirstPos = horizontal ? CurX : CurY - stepPixels(1);
    if (style.interleaved) {
        // Work has an even length here.
        for (size_t i = 0; i + 1 < Work.size(); i += 2) {
            const auto& bars = rowOf(Work[i]);
            const auto& spaces = rowOf(Work[i + 1]);
            for (size_t j = 0; j < 5; ++j) {
                z.Lin(canvas, Dir, bar(bars[j]));
                z.Spc(canvas, Dir, space(spaces[j]));
            }
        }
    } else {
        for (char digit : Work) {
            for (uint8_t wide : rowOf(digit)) {
                z.Lin(canvas, Dir, bar(wide));
                z.Spc(canvas, Dir, '1');
            }
        }
    }
    playRuns(z, canvas, Dir, style.stop);

    if (!TextOn) return;
    const TCode& code = *z.Code();
    useControlFont(z, *canvas);
    setTextBackground(*canvas, code.Transparent(), z.BackColor());
    if (!horizontal) z.SetFontDir(canvas);
    const TTextLine line(*canvas, Dir, horizontal ? CurY + ModulHeight : CurX + ModulHeight);
    if (code.TextAlignment() == TAlignment::txLeft)
        line.write(horizontal ? X + stepPixels(10) : Y + H - stepPixels(10), T);
    else
        line.spread(FirstPos, style.pitch, T);
}

}  // namespace

void TZorvik::Print_ITF(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn,
                        int, int H) {
    std::string work = digitsOf(Caption);
    if (work.empty()) return;
    // Digits go in pairs: a leading 0 evens the count, counting the check digit.
    if (Code()->ControlChars()) {
        if (work.size() % 2 == 0) work.insert(work.begin(), '0');
        work = CheckEAN8(work);  // weight 3 falls on the rightmost digit of the odd-length text
    } else if (work.size() % 2 != 0) {
        work.insert(work.begin(), '0');
    }
    // The text shows every digit drawn.
    printTwoOfFive(*this, ACanvas, X, Y, Dir, BarH, work, work, TextOn, H, kInterleaved);
}

void TZorvik::Print_INDUSTRIAL(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption,
                               bool TextOn, int, int H) {
    std::string work = digitsOf(Caption);
    if (work.empty()) return;
    const bool check = Code()->ControlChars();
    if (check) work = appendIndustrialCheck(work);
    const std::string text = check && !Code()->ShowCtrlsChars() ? work.substr(0, work.size() - 1) : work;
    printTwoOfFive(*this, ACanvas, X, Y, Dir, BarH, work, text, TextOn, H, kIndustrial);
}

void TZorvik::Print_IATA(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn,
                         int, int H) {
    // IATA 2 of 5 carries no check digit.
    const std::string work = digitsOf(Caption);
    if (work.empty()) return;
    printTwoOfFive(*this, ACanvas, X, Y, Dir, BarH, work, work, TextOn, H, kIata);
}

}  // namespace zorvik
