// Text far larger than its canvas: only what lands on the canvas is rendered,
// and that part is exactly the coverage FreeType gives the whole glyph.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstdlib>

#include "platform/raster/fonts.h"
#include "platform/raster/rastercanvas.h"

namespace zorvik {
namespace {

struct WindowCase {
    int em;          // character height in pixels
    int x, y;        // the text's anchor on the canvas
    int width, height;
};

// A canvas that shows a window of a big glyph, anywhere across it. (The
// rasteriser's rounding depends on where its window starts, so a coverage
// may differ from the whole glyph's by one level in 255.)
TEST(BigText, TheVisiblePartOfABigGlyphIsFreeTypesOwnCoverage) {
    constexpr std::array<WindowCase, 4> cases{{
        {700, 0, 0, 800, 800},       // the whole glyph
        {700, -60, -300, 64, 64},    // a window inside its left stem
        {700, -300, -500, 300, 200},  // its bottom right corner
        {1500, -100, -600, 64, 64},   // a glyph of a megapixel, seen through 64 x 64
    }};
    static_assert(cases.size() == 4);
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    for (const WindowCase& c : cases) {
        SCOPED_TRACE(c.em);
        TFont font;
        font.SetName("Liberation Sans");
        font.SetHeight(-c.em);
        raster::FontFace* face = raster::faceFor(font.logFont());
        ASSERT_NE(face, nullptr);
        RasterCanvas canvas(c.width, c.height);
        canvas.SetFont(font);
        canvas.setBkMode(TRANSPARENT);
        canvas.TextOut(c.x, c.y, "H");

        FT_Face ft = nullptr;
        ASSERT_EQ(FT_New_Face(library, face->file.c_str(), face->faceIndex, &ft), 0);
        FT_Set_Char_Size(ft, 0, c.em * 64, 72, 72);
        ASSERT_EQ(FT_Load_Char(ft, 'H', FT_LOAD_RENDER), 0);
        const FT_Bitmap& bm = ft->glyph->bitmap;
        int ink = 0, mismatches = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const int col = x - c.x - ft->glyph->bitmap_left, row = y - c.y - face->ascent + ft->glyph->bitmap_top;
                const int expected = col >= 0 && row >= 0 && col < static_cast<int>(bm.width) && row < static_cast<int>(bm.rows)
                                         ? bm.buffer[row * bm.pitch + col]
                                         : 0;
                ink += expected > 0;
                mismatches += std::abs(canvas.alphaAt(x, y) - expected) > 1;
            }
        EXPECT_GT(ink, 0);
        EXPECT_EQ(mismatches, 0);
        FT_Done_Face(ft);
    }
    FT_Done_FreeType(library);
}

// A 16384-pixel em on a small canvas draws what shows of its glyphs (this
// once rendered every glyph whole: gigabytes for a few hundred bytes of PNG).
TEST(BigText, AHugeFontOnASmallCanvasDrawsWhatShows) {
    TFont font;
    font.SetName("Liberation Sans");
    font.SetHeight(-16384);
    RasterCanvas canvas(200, 100);
    canvas.SetFont(font);
    canvas.setBkMode(TRANSPARENT);
    // The stem of an "I", a few thousand pixels down, covers the whole canvas.
    canvas.TextOut(-2000, -8000, "IIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIII");
    int ink = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) ink += canvas.alphaAt(x, y) == 255;
    EXPECT_GT(ink, 0);
}

}  // namespace
}  // namespace zorvik
