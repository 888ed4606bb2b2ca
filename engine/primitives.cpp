// Bars and spaces. An element covers the pixels from its rounded start to the
// rounded position after its advance, so a stretched symbol keeps the ratio of
// its bars to its spaces; at one pixel step per module that is exactly n
// modules of ModulWidth pixels.
#include "control/zorvik.h"
#include "engine/elements.h"
#include "engine/state.h"
#include "engine/text.h"

#include <algorithm>
#include <climits>
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
thread_local TLayoutProbe LayoutProbe;

void layElement(TCanvas* Canvas, TDirection Dir, int Modules, int32_t AcrossEnd, TElement Kind, bool Paint,
                TColor Color) {
    const double start = CurXReal;
    const int32_t next = advanceModules(Dir, std::max(Modules, 0));
    if (LayoutProbe.active) {
        // The dry run measures the bars and draws nothing.
        if (Kind == TElement::Bar && Modules > 0) {
            const double end = CurXReal;
            const int64_t across = int64_t{AcrossEnd} - (Dir == TDirection::Horizontal ? CurY : CurX);
            TLayoutProbe& p = LayoutProbe;
            p.first = p.anyBar ? std::min({p.first, start, end}) : std::min(start, end);
            p.last = p.anyBar ? std::max({p.last, start, end}) : std::max(start, end);
            p.shortestBar = p.anyBar ? std::min(p.shortestBar, across) : across;
            p.anyBar = true;
        }
        (Dir == TDirection::Horizontal ? CurX : CurY) = next;
        return;
    }
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
    // Text lays no bars: the dry run that measures them skips it.
    if (Text.empty() || LayoutProbe.active) return;
    if (m_dir == TDirection::Horizontal) m_canvas.TextOut(Along, m_across, Text);
    else m_canvas.TextOut(m_across, Along, Text);
}

void TTextLine::writeNth(int Start, int Pitch, size_t K, const std::string& Text) const {
    if (LayoutProbe.active) return;
    const double offset = static_cast<double>(Pitch) * static_cast<double>(K) * static_cast<double>(StepXReal);
    if (!(offset < 2147483647.0)) return;  // off every canvas
    const int64_t step = stepPixels(static_cast<double>(Pitch) * static_cast<double>(K));
    const int64_t along = m_dir == TDirection::Horizontal ? int64_t{Start} + step : int64_t{Start} - step;
    if (along < INT32_MIN || along > INT32_MAX) return;
    write(static_cast<int>(along), Text);
}

void TTextLine::spread(int Start, int Pitch, std::string_view Text) const {
    if (LayoutProbe.active) return;
    for (size_t k = 0; k < Text.size(); ++k) writeNth(Start, Pitch, k, std::string(1, Text[k]));
}

void writeStripText(TZorvik& Control, TCanvas* Canvas, TDirection Dir, int X, int Y, int W, int H,
                    const std::string& Text, const TStripText& Layout) {
    const TCode& code = *Control.Code();
    const bool horizontal = Dir == TDirection::Horizontal;
    useControlFont(Control, *Canvas);
    setTextBackground(*Canvas, code.Transparent(), Control.BackColor());
    if (!horizontal) Control.SetFontDir(Canvas);
    const TTextLine line(*Canvas, Dir, horizontal ? Y + H - TextH : X + W - TextH);
    if (code.TextAlignment() == TAlignment::txLeft) {
        line.write(horizontal ? X + stepPixels(Layout.leftH) : Y + H - stepPixels(Layout.leftV), Text);
    } else {
        FirstPos = horizontal ? X + stepPixels(Layout.first) : Y + H - stepPixels(Layout.first);
        line.spread(FirstPos, Layout.pitch, Text);
    }
}

namespace {

int32_t acrossEnd(TDirection dir) { return (dir == TDirection::Horizontal ? CurY : CurX) + ModulHeight; }

}  // namespace

void TZorvik::Lin(TCanvas* ACanvas, TDirection Dir, char W) {
    layElement(ACanvas, Dir, static_cast<unsigned char>(W) - 64, acrossEnd(Dir), TElement::Bar, true, BarColor());
}

void TZorvik::Spc(TCanvas* ACanvas, TDirection Dir, char W) {
    layElement(ACanvas, Dir, static_cast<unsigned char>(W) - 48, acrossEnd(Dir), TElement::Space, !Code()->Transparent(),
               BackColor());
}

}  // namespace zorvik
