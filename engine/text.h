// Rules every encoder follows for its human-readable text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics.h"

namespace zorvik {

class TZorvik;

// How many times the control's font height the text is drawn: the render's
// Scale, since a font keeps its point size on a device of higher resolution;
// 1 when TextAutosize already sized the font from the scaled symbol area.
extern thread_local int FontScale;

// The canvas font becomes a copy of the control's font at FontScale.
void useControlFont(const TZorvik& Control, TCanvas& Canvas);

// The control's font height at FontScale, saturated to the 32-bit range.
int32_t scaledFontHeight(int32_t Height);

// Opaque text is written on boxes of the background colour; transparent text
// leaves everything between the strokes untouched.
void setTextBackground(TCanvas& Canvas, bool Transparent, TColor BackColor);

// A character code printed as Windows-1252 shows it, as UTF-8; "" for codes
// with nothing to show (control codes, the unassigned places, beyond 255).
std::string printableChar(int Code);

}  // namespace zorvik
