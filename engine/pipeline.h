// The render pipeline's sizing rules.
#pragma once

#include <cstdint>

#include "control/code.h"

namespace zorvik {

// The number of modules the pipeline budgets for a symbol of L caption characters.
int NominalModules(TBarCodeType Symbology, TDirection Dir, bool ControlChars, int L);

// The running position is a 32-bit float, exact on whole pixels only up to
// 2^24; a symbol area longer than that is refused.
constexpr int64_t kMaxSymbolSide = int64_t{1} << 24;

}  // namespace zorvik
