// Bars and spaces. An element covers the pixels from its rounded start to the
// rounded position after its advance, so a stretched symbol keeps the ratio of
// its bars to its spaces; at one pixel step per module that is exactly n
// modules of ModulWidth pixels.
#include "control/zorvik.h"
#include "engine/elements.h"
#include "engine/state.h"
#include "engine/text.h"

#include <algorithm>
#include <cstdint>

namespace zorvik {

thread_local int32_t CurX = 0;
thread_local int32_t CurY = 0;
thread_local float CurXReal = 0;
thread_local float StepXReal = 0;
thread_local int32_t ModulWidth = 0;
thread_local int32_t ModulHeight = 0;
thread_local int32_t TextH = 0;
thread_local int32_t FirstPos = 0;
thread_local int32_t SecondPos = 0;
thread_local TRect Rec;
thread_local uint8_t Matr[8] = {};
thread_local uint8_t Pole[16] = {};
thread_local uint16_t CS = 0;
thread_local int32_t K = 0;
thread_local int32_t L = 0;
thread_local double Pom = 0;
thread_local int32_t ECode = 0;

void layElement(TCanvas* Canvas, TDirection Dir, int Modules, int32_t AcrossEnd, bool Paint, TColor Color) {
    const int32_t next = advanceModules(Dir, std::max(Modules, 0));
    // Vertical: given top below bottom, the rows next+1 .. CurY.
    const TRect r = Dir == TDirection::Horizontal ? Rect(CurX, CurY, next, AcrossEnd) : Rect(CurX, CurY, AcrossEnd, next);
    (Dir == TDirection::Horizontal ? CurX : CurY) = next;
    if (Paint) {
        Rec = r;
        Canvas->Brush().Color = Color;
        Canvas->FillRect(Rec);
    }
}

void playRuns(TZorvik& Control, TCanvas* Canvas, TDirection Dir, std::string_view Runs) {
    for (char run : Runs) {
        if (static_cast<unsigned char>(run) > '@') Control.Lin(Canvas, Dir, run);
        else Control.Spc(Canvas, Dir, run);
    }
}

void TTextLine::write(int Along, const std::string& Text) const {
    if (Text.empty()) return;
    if (m_dir == TDirection::Horizontal) m_canvas.TextOut(Along, m_across, Text);
    else m_canvas.TextOut(m_across, Along, Text);
}

void TTextLine::writeNth(int Start, int Pitch, size_t K, const std::string& Text) const {
    if (K > static_cast<size_t>(INT32_MAX)) return;
    const int64_t along = int64_t{Start} + int64_t{Pitch} * static_cast<int64_t>(K);
    if (along < INT32_MIN || along > INT32_MAX) return;
    write(static_cast<int>(along), Text);
}

void TTextLine::spread(int Start, int Pitch, std::string_view Text) const {
    const int step = m_dir == TDirection::Horizontal ? Pitch : -Pitch;
    for (size_t k = 0; k < Text.size(); ++k) writeNth(Start, step, k, std::string(1, Text[k]));
}

void writeStripText(TZorvik& Control, TCanvas* Canvas, TDirection Dir, int X, int Y, int W, int H,
                    const std::string& Text, const TStripText& Layout) {
    const TCode& code = *Control.Code();
    const bool horizontal = Dir == TDirection::Horizontal;
    Canvas->SetFont(*Control.Font());
    setTextBackground(*Canvas, code.Transparent(), Control.BackColor());
    if (!horizontal) Control.SetFontDir(Canvas);
    const TTextLine line(*Canvas, Dir, horizontal ? Y + H - TextH : X + W - TextH);
    if (code.TextAlignment() == TAlignment::txLeft) {
        line.write(horizontal ? X + Layout.leftH * ModulWidth : Y + H - Layout.leftV * ModulWidth, Text);
    } else {
        FirstPos = horizontal ? X + Layout.first * ModulWidth : Y + H - Layout.first * ModulWidth;
        line.spread(FirstPos, Layout.pitch * ModulWidth, Text);
    }
}

namespace {

int32_t acrossEnd(TDirection dir) { return (dir == TDirection::Horizontal ? CurY : CurX) + ModulHeight; }

}  // namespace

void TZorvik::Lin(TCanvas* ACanvas, TDirection Dir, char W) {
    layElement(ACanvas, Dir, static_cast<unsigned char>(W) - 64, acrossEnd(Dir), true, BarColor());
}

void TZorvik::Spc(TCanvas* ACanvas, TDirection Dir, char W) {
    layElement(ACanvas, Dir, static_cast<unsigned char>(W) - 48, acrossEnd(Dir), !Code()->Transparent(), BackColor());
}

}  // namespace zorvik
