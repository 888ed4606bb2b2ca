// Not drawn yet.
#include "control/zorvik.h"

namespace zorvik {

void TZorvik::Out_char(TCanvas*, TDirection, char) {}
void TZorvik::Out_char8(TCanvas*, TDirection, char) {}
void TZorvik::Print_EAN13(TCanvas*, int, int, TDirection, int, std::string, bool, int, int) {}
void TZorvik::Print_UPCA(TCanvas*, int, int, TDirection, int, std::string, bool, int, int) {}
void TZorvik::Print_EAN8(TCanvas*, int, int, TDirection, int, std::string, bool, int, int) {}
void TZorvik::Print_EAN13_2AddOn(TCanvas*, int, int, TDirection, int, std::string, bool, int, int) {}
void TZorvik::Print_EAN13_5AddOn(TCanvas*, int, int, TDirection, int, std::string, bool, int, int) {}

}  // namespace zorvik
