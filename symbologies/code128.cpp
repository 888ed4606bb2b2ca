#include "symbologies/code128.h"

#include <string>
#include <string_view>

#include "control/zorvik.h"
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

    auto play = [&](std::string_view pattern) {
        for (char e : pattern) {
            if (e > '@') Lin(ACanvas, Dir, e);
            else Spc(ACanvas, Dir, e);
        }
    };
    const bool horizontal = Dir == TDirection::Horizontal;
    ModulHeight = BarH;
    play(kStartB);
    FirstPos = horizontal ? CurX : CurY - ModulWidth;
    for (char ch : work) {
        const auto& row = BarMap128[static_cast<size_t>(static_cast<unsigned char>(ch) - 32)];
        for (size_t j = 0; j < 6; ++j) {
            if (j % 2 == 0) Lin(ACanvas, Dir, static_cast<char>('@' + row[j]));
            else Spc(ACanvas, Dir, static_cast<char>('0' + row[j]));
        }
    }
    play(kStop);

    if (!TextOn) return;
    ACanvas->SetFont(*Font());
    setTextBackground(*ACanvas, code.Transparent(), BackColor());
    // The check character prints as whatever its code shows, or as nothing.
    const size_t shown = check && !code.ShowCtrlsChars() ? work.size() - 1 : work.size();
    auto printable = [&](size_t k) { return printableChar(static_cast<unsigned char>(work[k])); };
    const int pitch = 11 * ModulWidth;
    const bool left = code.TextAlignment() == TAlignment::txLeft;
    if (!horizontal) SetFontDir(ACanvas);
    const int x = CurX + ModulHeight;
    const int y = CurY + ModulHeight;
    if (left) {
        std::string text;
        for (size_t k = 0; k < shown; ++k) text += printable(k);
        if (text.empty()) return;
        if (horizontal) ACanvas->TextOut(X + 10 * ModulWidth, y, text);
        else ACanvas->TextOut(x, Y + H - 10 * ModulWidth, text);
        return;
    }
    for (size_t k = 0; k < shown; ++k) {
        const std::string ch = printable(k);
        if (ch.empty()) continue;
        const int offset = pitch * static_cast<int>(k);
        if (horizontal) ACanvas->TextOut(FirstPos + offset, y, ch);
        else ACanvas->TextOut(x, FirstPos - offset, ch);
    }
}

}  // namespace zorvik
