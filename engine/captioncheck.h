// What each symbology can carry. A caption with a character its symbol cannot
// encode would print a symbol that scans as other data or not at all, so the
// pipeline refuses it before anything is drawn.
#pragma once

#include <string>

#include "control/code.h"

namespace zorvik {

// The numeric symbologies: their captions are digits only.
bool isNumericSymbology(TBarCodeType Symbology);

// The message for a caption Symbology cannot carry, or "" when it can. The
// numeric symbologies answer "Caption should be numeric" for anything but a
// non-empty run of digits.
std::string captionProblem(TBarCodeType Symbology, const std::string& Caption);

}  // namespace zorvik
