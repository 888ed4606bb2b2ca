#include "symbologies/code39.h"

#include "control/zorvik.h"
#include "engine/elements.h"
#include "engine/state.h"
#include "engine/text.h"

namespace zorvik {

void CharValue(int& C) {
    if (C == '*') {
        C = 47;
        return;
    }
    const size_t i = (C > 0 && C < 128) ? kCode39CheckOrder.find(static_cast<char>(C)) : std::string_view::npos;
    if (i != std::string_view::npos) C = static_cast<int>(i);
}

void Char39Index(int& C) {
    const size_t i = (C > 0 && C < 128) ? Bar39Char.find(static_cast<char>(C)) : std::string_view::npos;
    if (i != std::string_view::npos) C = static_cast<int>(i);
}

std::string Check39(const std::string& S) {
    long sum = 0;
    for (unsigned char ch : S) {
        int v = ch;
        CharValue(v);
        sum += v;
    }
    return S + kCode39CheckOrder[static_cast<size_t>(sum % 43)];
}

void TZorvik::Print_Code39(TCanvas* ACanvas, int X, int Y, TDirection Dir, int W, int H) {
    const TCode& code = *Code();
    if (code.Caption().empty()) return;
    std::string text = code.ControlChars() ? Check39(code.Caption()) : code.Caption();
    const std::string work = "*" + text + "*";
    const bool horizontal = Dir == TDirection::Horizontal;
    const int32_t barEnd = horizontal ? Y + H - TextH : X + W - TextH;

    for (unsigned char ch : work) {
        int row = ch;
        Char39Index(row);
        // The pipeline refuses what Code 39 cannot carry; never read past the table.
        if (row < 0 || static_cast<size_t>(row) >= BarMap39.size() || Bar39Char[static_cast<size_t>(row)] != ch) continue;
        for (size_t j = 0; j < 9; ++j) {
            const bool bar = j % 2 == 0;
            layElement(ACanvas, Dir, BarMap39[static_cast<size_t>(row)][j] ? 3 : 1, barEnd,
                       bar ? TElement::Bar : TElement::Space, bar || !code.Transparent(), bar ? BarColor() : BackColor());
        }
        // The one-module gap between characters, left unpainted.
        (horizontal ? CurX : CurY) = advanceModules(Dir, 1);
    }

    if (!code.TextOn()) return;
    if (code.ControlChars() && !code.ShowCtrlsChars()) text.pop_back();
    // One character under each symbol character, the first 30 modules in.
    writeStripText(*this, ACanvas, Dir, X, Y, W, H, text, {10, 10, 30, 16});
}

}  // namespace zorvik
