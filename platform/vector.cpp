#include "platform/vector.h"

#include <cctype>
#include <climits>
#include <cmath>

namespace zorvik {

bool vectorFormatOf(const std::string& Path, VectorFormat& Format) {
    const auto dot = Path.rfind('.');
    if (dot == std::string::npos) return false;
    std::string ext = Path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "svg") Format = VectorFormat::Svg;
    else if (ext == "pdf") Format = VectorFormat::Pdf;
    else if (ext == "ps") Format = VectorFormat::PostScript;
    else if (ext == "eps") Format = VectorFormat::Eps;
    else return false;
    return true;
}

void paperDots(TPaper Paper, int DotsPerInch, int& Width, int& Height) {
    // A4 is 210 x 297 mm; Letter 8.5 x 11 inches.
    const double w = Paper == TPaper::A4 ? 210 / 25.4 : 8.5, h = Paper == TPaper::A4 ? 297 / 25.4 : 11.0;
    Width = static_cast<int>(std::min<double>(INT_MAX, std::lround(w * DotsPerInch)));
    Height = static_cast<int>(std::min<double>(INT_MAX, std::lround(h * DotsPerInch)));
}

}  // namespace zorvik
