#include "symbologies/codabar.h"

#include <algorithm>
#include <string>

#include "control/zorvik.h"
#include "engine/elements.h"
#include "engine/state.h"
#include "engine/text.h"

namespace zorvik {

namespace {

// The CodaBarMap row of a character, or -1 when it has none. CodabarIndex
// leaves other codes as they are, and some of those are row numbers.
int codabarRow(char ch) {
    const int code = static_cast<unsigned char>(ch);
    int row = code;
    CodabarIndex(row);
    const bool found =
        row >= 0 && static_cast<size_t>(row) < CodaBarMap.size() && CodaBarMap[static_cast<size_t>(row)][0] == code;
    return found ? row : -1;
}

bool isStartStop(char ch) { return ch >= 'A' && ch <= 'D'; }

}  // namespace

void CodabarIndex(int& C) {
    for (size_t row = 0; row < CodaBarMap.size(); ++row) {
        if (CodaBarMap[row][0] == C) {
            C = static_cast<int>(row);
            return;
        }
    }
}

void TZorvik::Print_Codabar(TCanvas* ACanvas, int, int, TDirection Dir, int BarH, std::string Caption, bool TextOn,
                            int, int) {
    const TCode& code = *Code();
    // The pipeline refuses what Codabar cannot carry; a character without a row
    // is dropped here rather than read past the table.
    std::string work;
    for (char ch : Caption)
        if (codabarRow(ch) >= 0) work += ch;
    // Without a data character there is nothing to encode: a lone start/stop
    // letter would otherwise serve as its own start and stop.
    if (std::none_of(work.begin(), work.end(), [](char ch) { return !isStartStop(ch); })) return;

    if (!isStartStop(work.front())) work.insert(work.begin(), 'A');
    if (!isStartStop(work.back())) work.push_back('A');
    const bool check = code.ControlChars();
    if (check) {
        // Modulo 16 over every character, start and stop included; the check
        // character stands just before the stop character.
        int sum = 0;
        for (char ch : work) sum += codabarRow(ch);
        work.insert(work.end() - 1, static_cast<char>(CodaBarMap[static_cast<size_t>(sum % 16)][0]));
    }

    const bool horizontal = Dir == TDirection::Horizontal;
    ModulHeight = BarH;
    FirstPos = horizontal ? CurX : CurY - stepPixels(1);
    for (char ch : work) {
        const auto& row = CodaBarMap[static_cast<size_t>(codabarRow(ch))];
        for (size_t j = 0; j < 7; ++j) {
            const char wide = static_cast<char>(row[j + 1]);
            if (j % 2 == 0) Lin(ACanvas, Dir, static_cast<char>('A' + wide));
            else Spc(ACanvas, Dir, static_cast<char>('1' + wide));
        }
        // The gap between characters follows the stop character too.
        Spc(ACanvas, Dir, '1');
    }

    if (!TextOn) return;
    ACanvas->Pen().Color = BarColor();
    setTextBackground(*ACanvas, code.Transparent(), BackColor());
    useControlFont(*this, *ACanvas);
    if (!horizontal) SetFontDir(ACanvas);

    // Start and stop are never written; the check character only on request.
    const size_t last = work.size() - 1;
    const size_t checkAt = check ? last - 1 : work.size();
    auto written = [&](size_t i) { return i > 0 && i < last && (i != checkAt || code.ShowCtrlsChars()); };
    const TTextLine line(*ACanvas, Dir, horizontal ? CurY + ModulHeight : CurX + ModulHeight);
    if (code.TextAlignment() == TAlignment::txLeft) {
        std::string text;
        for (size_t i = 0; i < work.size(); ++i)
            if (written(i)) text += work[i];
        line.write(FirstPos, text);
    } else {
        // Ten modules a character, counted from the start character.
        for (size_t i = 0; i < work.size(); ++i)
            if (written(i)) line.writeNth(FirstPos, 10, i, std::string(1, work[i]));
    }
}

}  // namespace zorvik
