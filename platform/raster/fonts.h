// Fonts for the raster canvas: fontconfig finds a face for a font record, the
// first time text is drawn with it; FreeType renders its glyphs.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/graphics.h"

namespace zorvik::raster {

struct Glyph {
    int left = 0;     // from the pen position to the bitmap's first column
    int top = 0;      // from the baseline up to the bitmap's first row
    int width = 0;
    int rows = 0;
    int advance = 0;  // whole pixels
    // The whole bitmap, width x rows, for glyphs of a modest size. A larger
    // glyph keeps only its metrics and is drawn through renderPart, so that
    // text far larger than its canvas costs what lands on the canvas.
    std::vector<uint8_t> coverage;
    bool whole = true;
};

// One face at one size, usable on the thread that made it.
class FontFace {
public:
    virtual ~FontFace() = default;
    int ascent = 0;   // cell rows above the baseline
    int descent = 0;  // cell rows below it
    int underlinePosition = 0;  // rows below the baseline
    int lineThickness = 1;
    double em = 0;        // character height in pixels
    std::string file;     // where the face lives, for vector backends
    int faceIndex = 0;
    virtual const Glyph& glyph(char32_t CodePoint) = 0;
    // Renders columns [Col, Col + Width) and rows [Row, Row + Rows) of a
    // glyph's bitmap into Out (Width x Rows coverage values, row by row).
    virtual void renderPart(char32_t CodePoint, int Col, int Row, int Width, int Rows, std::vector<uint8_t>& Out) = 0;
    virtual unsigned glyphIndex(char32_t CodePoint) = 0;
};

// The face for a font record on this thread, or nullptr when no font at all
// can be found. Faces are cached per thread (a few dozen; the pointer is good
// until this thread asks for another record); fontconfig's answers per process.
FontFace* faceFor(const LOGFONT& Font);

// Held around every call into fontconfig: its matching is not safe from
// several threads at once, and cairo calls it too when a font is first used.
std::mutex& fontconfigMutex();

// The font file fontconfig chooses for a family and style ("" when none).
std::string fontFileFor(const std::string& Family, bool Bold, bool Italic);

// Decodes valid UTF-8 (as the canvas hands it over) into code points.
std::vector<char32_t> decodeUtf8(std::string_view Text);
// The same into Out, reusing its memory.
void decodeUtf8(std::string_view Text, std::vector<char32_t>& Out);

}  // namespace zorvik::raster
