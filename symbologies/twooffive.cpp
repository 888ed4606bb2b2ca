// Not drawn yet.
#include "control/zorvik.h"

namespace zorvik {

void TZorvik::Print_ITF(TCanvas*, int, int, TDirection, int, std::string, bool, int, int) {}
void TZorvik::Print_INDUSTRIAL(TCanvas*, int, int, TDirection, int, std::string, bool, int, int) {}
void TZorvik::Print_IATA(TCanvas*, int, int, TDirection, int, std::string, bool, int, int) {}

}  // namespace zorvik
