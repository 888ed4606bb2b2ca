// Not drawn yet.
#include "control/zorvik.h"

namespace zorvik {

void TZorvik::Print_Code93(TCanvas*, int, int, TDirection, int, int) {}

}  // namespace zorvik
