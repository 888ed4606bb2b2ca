#include "symbologies/code128.h"

#include <string>
#include <string_view>

#include "control/zorvik.h"
#include "engine/elements.h"
#include "engine/state.h"
#include "engine/text.h"

namespace zorvik {

namespace {

// Start B (value 104) and the stop pattern, which the table does not hold.
constexpr std::string_view kStartB = "B1A2A4";
constexpr std::string_view kStop = "B3C1A1B";
constexpr int kStartBValue = 104;

// A code set B data character: codes 32 to 127, values 0 to 95.
bool isCodeSetB(int code) { return code >= 32 && code <= 127; }

}  // namespace

void TZorvik::Print_Code128(TCanvas* ACanvas, int X, int Y, TDirection Dir, int BarH, std::string Caption, bool TextOn,
                            int, int H) {
    const TCode& code = *Code();
    // The pipeline refuses what code set B cannot carry; anything else is left
    // out here rather than drawn as a function character or read past the table.
    std::string work;
    for (char ch : Caption)
        if (isCodeSetB(static_cast<unsigned char>(ch))) work += ch;
    const bool check = code.ControlChars();
    if (check) {
        // Modulo 103: the start value, then each value weighted by its position.
        long sum = kStartBValue;
        for (size_t i = 0; i < work.size(); ++i)
            sum += static_cast<long>(i + 1) * (static_cast<unsigned char>(work[i]) - 32);
        // Values 95..102 become codes 127..134, drawn from their rows all the same.
        work += static_cast<char>(sum % 103 + 32);
    }

    const bool horizontal = Dir == TDirection::Horizontal;
    ModulHeight = BarH;
    playRuns(*this, ACanvas, Dir, kStartB);
    FirstPos = horizontal ? CurX : CurY - stepPixels(1);
    for (char ch : work) {
        const auto& row = BarMap128[static_cast<size_t>(static_cast<unsigned char>(ch) - 32)];
        for (size_t j = 0; j < 6; ++j) {
            if (j % 2 == 0) Lin(ACanvas, Dir, static_cast<char>('@' + row[j]));
            else Spc(ACanvas, Dir, static_cast<char>('0' + row[j]));
        }
    }
    playRuns(*this, ACanvas, Dir, kStop);

    if (!TextOn) return;
    useControlFont(*this, *ACanvas);
    setTextBackground(*ACanvas, code.Transparent(), BackColor());
    // The check character prints as whatever its code shows, or as nothing.
    const size_t shown = check && !code.ShowCtrlsChars() ? work.size() - 1 : work.size();
    auto printable = [&](size_t k) { return printableChar(static_cast<unsigned char>(work[k])); };
    if (!horizontal) SetFontDir(ACanvas);
    const TTextLine line(*ACanvas, Dir, horizontal ? CurY + ModulHeight : CurX + ModulHeight);
    if (code.TextAlignment() == TAlignment::txLeft) {
        std::string text;
        for (size_t k = 0; k < shown; ++k) text += printable(k);
        line.write(horizontal ? X + stepPixels(10) : Y + H - stepPixels(10), text);
        return;
    }
    // One character under each symbol character, 11 modules apart; a character
    // with nothing to show keeps its place.
    for (size_t k = 0; k < shown; ++k) line.writeNth(FirstPos, 11, k, printable(k));
}

}  // namespace zorvik
