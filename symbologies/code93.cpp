#include "symbologies/code93.h"

#include <string>

#include "control/zorvik.h"
#include "engine/elements.h"
#include "engine/state.h"
#include "engine/text.h"
#include "symbologies/code39.h"

namespace zorvik {

namespace {

constexpr int kStartStop = 47;

// The BarMap93 row of a caption character, or -1 when it has none: CharValue
// leaves other characters at their own code, which may well be a row number.
int code93Value(char ch) {
    int value = static_cast<unsigned char>(ch);
    CharValue(value);
    if (value == kStartStop && ch == '*') return value;
    if (value >= 0 && static_cast<size_t>(value) < kCode39CheckOrder.size() &&
        kCode39CheckOrder[static_cast<size_t>(value)] == ch)
        return value;
    return -1;
}

// Weighted modulo-47 sum, weights 1..Cycle from the right.
int weightedCheck(const std::vector<int>& values, int cycle) {
    long sum = 0;
    const size_t n = values.size();
    for (size_t i = 0; i < n; ++i) sum += static_cast<long>(values[i]) * static_cast<long>((n - 1 - i) % cycle + 1);
    return static_cast<int>(sum % 47);
}

}  // namespace

void Check93(std::vector<int>& Values) {
    Values.push_back(weightedCheck(Values, 20));
    Values.push_back(weightedCheck(Values, 15));
}

void TZorvik::Print_Code93(TCanvas* ACanvas, int X, int Y, TDirection Dir, int W, int H) {
    const TCode& code = *Code();
    // The pipeline refuses what Code 93 cannot carry; a character without a
    // row is left out rather than read past the table.
    std::vector<int> values;
    std::string text;
    for (char ch : code.Caption()) {
        const int value = code93Value(ch);
        if (value < 0) continue;
        values.push_back(value);
        text += ch;
    }
    if (values.empty()) return;
    const bool check = code.ControlChars();
    if (check) {
        Check93(values);
        if (code.ShowCtrlsChars())
            for (size_t i = values.size() - 2; i < values.size(); ++i)
                text += Bar93Char[static_cast<size_t>(values[i])];
    }
    values.insert(values.begin(), kStartStop);
    values.push_back(kStartStop);

    const bool horizontal = Dir == TDirection::Horizontal;
    const int32_t barEnd = horizontal ? Y + H - TextH : X + W - TextH;
    // No gap between characters: each element runs to the rounded position
    // after its advance.
    for (int value : values) {
        for (size_t j = 0; j < 6; ++j) {
            const bool bar = j % 2 == 0;
            layElement(ACanvas, Dir, BarMap93[static_cast<size_t>(value)][j], barEnd,
                       bar ? TElement::Bar : TElement::Space, bar || !code.Transparent(), bar ? BarColor() : BackColor());
        }
    }
    // The termination bar closes the last space; one module wide (one step,
    // like every other module), always painted, and the position stays where
    // it is.
    const int32_t along = horizontal ? CurX : CurY;
    const float alongReal = CurXReal;
    layElement(ACanvas, Dir, 1, barEnd, TElement::Bar, true, BarColor());
    (horizontal ? CurX : CurY) = along;
    CurXReal = alongReal;

    if (!code.TextOn()) return;
    // A vertical line starts 16 modules up where a horizontal one starts 10 in.
    writeStripText(*this, ACanvas, Dir, X, Y, W, H, text, {10, 16, 20, 9});
}

}  // namespace zorvik
