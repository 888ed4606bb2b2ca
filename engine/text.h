// Rules every encoder follows for its human-readable text.
#pragma once

#include <string>

#include "platform/graphics.h"

namespace zorvik {

// Opaque text is written on boxes of the background colour; transparent text
// leaves everything between the strokes untouched.
void setTextBackground(TCanvas& Canvas, bool Transparent, TColor BackColor);

// A character code printed as Windows-1252 shows it, as UTF-8; "" for codes
// with nothing to show (control codes, the unassigned places, beyond 255).
std::string printableChar(int Code);

}  // namespace zorvik
