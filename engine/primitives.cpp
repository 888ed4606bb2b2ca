// Bars and spaces. An element covers the pixels from its rounded start to the
// rounded position after its advance, so a stretched symbol keeps the ratio of
// its bars to its spaces; at one pixel step per module that is exactly n
// modules of ModulWidth pixels.
#include "control/zorvik.h"
#include "engine/state.h"

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

namespace {

// Lays one element of n modules; fills it in Color unless Paint is false.
void element(TCanvas* canvas, TDirection dir, int n, bool paint, TColor color) {
    if (n < 0) n = 0;
    const int32_t next = advanceModules(dir, n);
    // Vertical: given top below bottom, the rows next+1 .. CurY.
    const TRect r = dir == TDirection::Horizontal ? Rect(CurX, CurY, next, CurY + ModulHeight)
                                                  : Rect(CurX, CurY, CurX + ModulHeight, next);
    if (dir == TDirection::Horizontal) CurX = next;
    else CurY = next;
    if (paint) {
        Rec = r;
        canvas->Brush().Color = color;
        canvas->FillRect(Rec);
    }
}

}  // namespace

void TZorvik::Lin(TCanvas* ACanvas, TDirection Dir, char W) {
    element(ACanvas, Dir, static_cast<unsigned char>(W) - 64, true, BarColor());
}

void TZorvik::Spc(TCanvas* ACanvas, TDirection Dir, char W) {
    element(ACanvas, Dir, static_cast<unsigned char>(W) - 48, !Code()->Transparent(), BackColor());
}

}  // namespace zorvik
