// The drawing state of one render: the running position along the symbol and
// the sizes the encoders share. One render at a time per thread; renders on
// different threads never touch each other's state.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "control/code.h"
#include "platform/graphics.h"

namespace zorvik {

// Horizontal: left edge of the next element. Vertical: left edge of the bar column.
extern thread_local int32_t CurX;
// Horizontal: top edge of the bars. Vertical: the row at which the next element
// ends; elements are laid from the bottom upward.
extern thread_local int32_t CurY;
// Exact running position along the symbol (x or y).
extern thread_local float CurXReal;
// Advance per module in pixels.
extern thread_local float StepXReal;
// Thickness in pixels of a one-module element.
extern thread_local int32_t ModulWidth;
// Length of a bar across the symbol.
extern thread_local int32_t ModulHeight;
// Room reserved across the symbol for the text and its margin.
extern thread_local int32_t TextH;
// Text anchors.
extern thread_local int32_t FirstPos;
extern thread_local int32_t SecondPos;
// The rectangle most recently filled for an element.
extern thread_local TRect Rec;
// Parity row of the EAN-13 leading digit (entries 1..6 used).
extern thread_local uint8_t Matr[8];
// Digit values of an EAN/UPC data string; the check digit in entry 12.
extern thread_local uint8_t Pole[16];
extern thread_local uint16_t CS;
extern thread_local int32_t K;
// Row, counted from 1, of the EAN/UPC digit being drawn.
extern thread_local int32_t L;
// Numeric value of the caption during the numeric check, and the position of
// the first character that is not a digit (0: none).
extern thread_local double Pom;
extern thread_local int32_t ECode;

// Nearest integer, halves to even, saturated to the 32-bit range.
inline int32_t roundHalfEven(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::nearbyint(v));  // default rounding: to nearest, ties to even
}

// Modules modules at the symbol's step, in whole pixels: Modules x ModulWidth
// for a symbol sized to itself, and in proportion for a stretched one, so
// that quiet zones and text keep their places against the bars.
inline int32_t stepPixels(double Modules) { return roundHalfEven(Modules * static_cast<double>(StepXReal)); }

// What a dry run of an encoder measures: where its bars begin and end along
// the symbol, in running-position units, and its shortest bar across it.
struct TLayoutProbe {
    bool active = false;
    bool anyBar = false;
    double first = 0;
    double last = 0;
    int64_t shortestBar = 0;
};
extern thread_local TLayoutProbe LayoutProbe;

// Moves the running position Modules modules along the symbol (down the
// x axis, or up the y axis for a vertical symbol) and returns the new whole-
// pixel position; CurX or CurY is left for the caller to update.
inline int32_t advanceModules(TDirection Dir, int Modules) {
    const double step = static_cast<double>(Modules) * static_cast<double>(StepXReal);
    CurXReal = static_cast<float>(Dir == TDirection::Horizontal ? static_cast<double>(CurXReal) + step
                                                                : static_cast<double>(CurXReal) - step);
    return roundHalfEven(CurXReal);
}

}  // namespace zorvik
