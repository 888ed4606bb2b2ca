#include "symbologies/code39.h"

#include "control/zorvik.h"
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
            const int modules = BarMap39[static_cast<size_t>(row)][j] ? 3 : 1;
            const int32_t next = advanceModules(Dir, modules);
            const TRect r = horizontal ? Rect(CurX, CurY, next, barEnd) : Rect(CurX, CurY, barEnd, next);
            (horizontal ? CurX : CurY) = next;
            const bool bar = j % 2 == 0;
            if (bar || !code.Transparent()) {
                Rec = r;
                ACanvas->Brush().Color = bar ? BarColor() : BackColor();
                ACanvas->FillRect(Rec);
            }
        }
        // The one-module gap between characters, left unpainted.
        (horizontal ? CurX : CurY) = advanceModules(Dir, 1);
    }

    if (!code.TextOn()) return;
    ACanvas->SetFont(*Font());
    setTextBackground(*ACanvas, code.Transparent(), BackColor());
    if (code.ControlChars() && !code.ShowCtrlsChars()) text.pop_back();
    if (horizontal) {
        const int y = Y + H - TextH;
        if (code.TextAlignment() == TAlignment::txLeft) {
            ACanvas->TextOut(X + 10 * ModulWidth, y, text);
        } else {
            FirstPos = X + 30 * ModulWidth;
            for (size_t k = 0; k < text.size(); ++k)
                ACanvas->TextOut(FirstPos + 16 * ModulWidth * static_cast<int>(k), y, std::string(1, text[k]));
        }
    } else {
        SetFontDir(ACanvas);
        const int x = X + W - TextH;
        if (code.TextAlignment() == TAlignment::txLeft) {
            ACanvas->TextOut(x, Y + H - 10 * ModulWidth, text);
        } else {
            FirstPos = Y + H - 30 * ModulWidth;
            for (size_t k = 0; k < text.size(); ++k)
                ACanvas->TextOut(x, FirstPos - 16 * ModulWidth * static_cast<int>(k), std::string(1, text[k]));
        }
    }
}

}  // namespace zorvik
