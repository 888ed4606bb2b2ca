// Not drawn yet.
#include "control/zorvik.h"

namespace zorvik {

void TZorvik::Print_Codabar(TCanvas*, int, int, TDirection, int, std::string, bool, int, int) {}

}  // namespace zorvik
