#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "platform/raster/fonts.h"
#include "platform/raster/rastercanvas.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

struct Extent {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    int count = 0;
};

// Bounds of every pixel that is no longer fully transparent.
Extent painted(const RasterCanvas& c) {
    Extent e;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.alphaAt(x, y) != 0) {
                e.left = std::min(e.left, x);
                e.right = std::max(e.right, x);
                e.top = std::min(e.top, y);
                e.bottom = std::max(e.bottom, y);
                ++e.count;
            }
    return e;
}

TEST(RasterCanvas, StartsTransparentAndFillsExactly) {
    RasterCanvas c(20, 10);
    EXPECT_EQ(c.alphaAt(0, 0), 0);
    c.Brush().Color = 0x123456;
    c.FillRect(Rect(3, 2, 8, 5));
    EXPECT_EQ(c.pixel(3, 2), 0xFF123456u);
    EXPECT_EQ(c.pixel(7, 4), 0xFF123456u);
    EXPECT_EQ(c.alphaAt(8, 4), 0);
    EXPECT_EQ(c.alphaAt(7, 5), 0);
    const Extent e = painted(c);
    EXPECT_EQ(e.count, 15);
}

TEST(RasterCanvas, FillsOutsideTheImageAreClipped) {
    RasterCanvas c(4, 4);
    c.Brush().Color = clRed;
    c.FillRect(Rect(-100, -100, 100, 1));
    c.FillRect(Rect(INT_MIN / 2, 3, INT_MAX / 2, 2));  // top below bottom: row 3 only
    EXPECT_EQ(test::rowOf(c, 0, clRed), "1111");
    EXPECT_EQ(test::rowOf(c, 3, clRed), "1111");
    EXPECT_EQ(test::rowOf(c, 1, clRed), "0000");
}

TEST(RasterCanvas, PngKeepsSizePixelsAndResolution) {
    const std::string dir = test::scratchDir("raster-png");
    RasterCanvas c(7, 3, 96 * 6);
    c.Brush().Color = 0x00FF00;
    c.FillRect(Rect(1, 1, 3, 2));
    std::string error;
    ASSERT_TRUE(c.writePng(dir + "/a.png", error)) << error;
    test::PngImage png;
    ASSERT_TRUE(test::readPng(dir + "/a.png", png));
    EXPECT_EQ(png.width, 7);
    EXPECT_EQ(png.height, 3);
    EXPECT_EQ(png.at(1, 1), 0xFF00FF00u);
    EXPECT_EQ(png.at(2, 1), 0xFF00FF00u);
    EXPECT_EQ(png.at(0, 0) >> 24, 0u);
    ASSERT_TRUE(png.hasPhys);
    EXPECT_EQ(png.ppmX, 22677u);  // 576 pixels per inch / 0.0254 m
    EXPECT_EQ(png.ppmY, 22677u);
}

// Bit depth and colour type from the PNG header.
void header(const std::string& path, int& depth, int& colourType) {
    const std::string bytes = test::readFile(path);
    ASSERT_GE(bytes.size(), 26u);
    depth = static_cast<unsigned char>(bytes[24]);
    colourType = static_cast<unsigned char>(bytes[25]);
}

TEST(RasterCanvas, PngKeepsEveryPixelInTheSmallestFittingEncoding) {
    const std::string dir = test::scratchDir("raster-png-encodings");
    struct Case {
        const char* name;
        int colours;       // distinct opaque colours painted, besides the transparent ground
        bool transparent;  // some pixels left unpainted
        int depth, colourType;  // 3: palette, 6: RGBA
    } cases[] = {
        {"two colours", 2, false, 1, 3},
        {"three with transparency", 2, true, 2, 3},
        {"sixteen", 16, false, 4, 3},
        {"two hundred", 200, false, 8, 3},
        {"more than a palette holds", 300, false, 8, 6},
    };
    for (const auto& c : cases) {
        RasterCanvas img(40, 20, 96);
        const int painted = c.transparent ? 30 : 40;
        for (int i = 0; i < painted * 20; ++i) {
            img.Brush().Color = static_cast<TColor>((i % c.colours) * 0x010203);
            img.FillRect(Rect(i % painted, i / painted, i % painted + 1, i / painted + 1));
        }
        std::string error;
        const std::string path = dir + "/img.png";
        ASSERT_TRUE(img.writePng(path, error)) << error;
        int depth = 0, type = 0;
        header(path, depth, type);
        EXPECT_EQ(depth, c.depth) << c.name;
        EXPECT_EQ(type, c.colourType) << c.name;
        test::PngImage png;
        ASSERT_TRUE(test::readPng(path, png));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) {
                const uint32_t want = img.alphaAt(x, y) == 0 ? 0u : img.pixel(x, y);
                const uint32_t got = (png.at(x, y) >> 24) == 0 ? 0u : png.at(x, y);
                ASSERT_EQ(got, want) << c.name << " at " << x << "," << y;
            }
    }
}

// Packed rows: widths that leave a partial last byte at 1, 2 and 4 bits a
// pixel, rows repeated in threes and then changed (the "up" filter's zero rows
// and its differences), and a ground colour painted over everywhere, which must
// cost no palette entry. Every pixel read back by libpng; pngcheck accepts the file.
TEST(RasterCanvas, PackedPngRowsReadBackExactly) {
    const std::string dir = test::scratchDir("raster-png-packed");
    const struct Case {
        int width, colours;
        int depth;  // the smallest of 1, 2, 4, 8 bits that holds the colours the image shows
    } cases[] = {
        {1, 2, 1}, {13, 2, 1}, {7, 4, 2}, {9, 16, 4}, {23, 200, 8},
    };
    constexpr int kHeight = 12;
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.width) + " wide, " + std::to_string(c.colours) + " colours";
        RasterCanvas img(c.width, kHeight, 96);
        img.Brush().Color = static_cast<TColor>(0xABCDEF);
        img.FillRect(Rect(0, 0, c.width, kHeight));
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < c.width; ++x) {
                img.Brush().Color = static_cast<TColor>(((x + y / 3) % c.colours) * 0x010305);
                img.FillRect(Rect(x, y, x + 1, y + 1));
            }
        const std::string path = dir + "/img.png";
        std::string error;
        ASSERT_TRUE(img.writePng(path, error)) << error;
        int depth = 0, type = 0;
        header(path, depth, type);
        EXPECT_EQ(depth, c.depth) << name;
        EXPECT_EQ(type, 3) << name;
        EXPECT_EQ(test::runCommand("pngcheck -q '" + path + "' >/dev/null"), 0) << name;
        test::PngImage png;
        ASSERT_TRUE(test::readPng(path, png)) << name;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < c.width; ++x) ASSERT_EQ(png.at(x, y), img.pixel(x, y)) << name << " at " << x << "," << y;
    }
}

// The zlib stream's Adler-32 is summed run by run: runs of one byte, of a
// few, of 8 and 9 (the word-wise scan's edges) and beyond 65,536 (where the
// sums are reduced at once), in rows of 8 bits a pixel. libpng checks the sum
// as it inflates, pngcheck too.
TEST(RasterCanvas, PngChecksumHoldsForEveryRunLength) {
    const std::string dir = test::scratchDir("raster-png-runs");
    constexpr int kWidths[] = {40, 70003};
    for (const int width : kWidths) {
        RasterCanvas img(width, 6, 96);
        img.Brush().Color = static_cast<TColor>(0xFFFFFF);
        img.FillRect(Rect(0, 0, width, 6));
        for (int c = 0; c < 20; ++c) {  // 20 colours: 8 bits a pixel
            img.Brush().Color = static_cast<TColor>(c * 0x0A0B0C);
            img.FillRect(Rect(c, 1, c + 1, 2));
        }
        const int runs[][2] = {{2, 2}, {3, 3}, {8, 3}, {9, 4}, {17, 5}};  // length, row
        int x = 0;
        for (const auto& run : runs) {
            img.Brush().Color = static_cast<TColor>(0x123456 * run[1]);
            img.FillRect(Rect(x, run[1], x + run[0], run[1] + 1));
            x += run[0] + 1;
        }
        img.Brush().Color = clRed;
        img.FillRect(Rect(width - 1, 4, width, 5));  // a zero run of almost the whole row before it
        const std::string path = dir + "/img.png";
        std::string error;
        ASSERT_TRUE(img.writePng(path, error)) << error;
        EXPECT_EQ(test::runCommand("pngcheck -q '" + path + "' >/dev/null"), 0) << width;
        test::PngImage png;
        ASSERT_TRUE(test::readPng(path, png)) << width;
        int wrong = 0;
        for (int y = 0; y < 6; ++y)
            for (int i = 0; i < width; ++i) wrong += png.at(i, y) != img.pixel(i, y);
        EXPECT_EQ(wrong, 0) << width;
    }
}

// A one-bit symbol file as scanners' decoders read it: zxing-cpp and zbar.
TEST(RasterCanvas, OneBitSymbolPngDecodes) {
    const std::string dir = test::scratchDir("raster-png-decodes");
    test::Hosted h;
    TCode& code = *h.control->Code();
    code.SetCode(TBarCodeType::Code_128);
    code.SetCaption("Zorvik-1bit");
    code.SetTextOn(false);
    ASSERT_TRUE(h.settle());
    const auto img = test::renderToRaster(*h.control, 2);
    const std::string path = dir + "/c128.png";
    std::string error;
    ASSERT_TRUE(img->writePng(path, error)) << error;
    int depth = 0, type = 0;
    header(path, depth, type);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(test::decodePng(path, ZXing::BarcodeFormat::Code128).text, "Zorvik-1bit");
    EXPECT_EQ(test::zbarDecode(path), std::vector<std::string>{"CODE-128:Zorvik-1bit"});
}

TEST(RasterCanvas, TranslucentTextEdgesKeepTheirAlpha) {
    const std::string dir = test::scratchDir("raster-png-alpha");
    RasterCanvas img(60, 30);
    img.Font().SetName("Arial");
    img.Font().SetHeight(-16);
    SetBkMode(img.Handle(), TRANSPARENT);
    img.TextOut(2, 2, "Ag");
    std::string error;
    ASSERT_TRUE(img.writePng(dir + "/a.png", error)) << error;
    test::PngImage png;
    ASSERT_TRUE(test::readPng(dir + "/a.png", png));
    int partial = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            EXPECT_EQ(png.at(x, y) >> 24, img.alphaAt(x, y));
            partial += img.alphaAt(x, y) > 0 && img.alphaAt(x, y) < 255;
        }
    EXPECT_GT(partial, 0);
}

TEST(RasterCanvas, PngToAnUnwritablePlaceFails) {
    RasterCanvas c(2, 2);
    std::string error;
    EXPECT_FALSE(c.writePng("/nonexistent-dir/x.png", error));
    EXPECT_FALSE(error.empty());
}

TEST(Fonts, ArialFindsItsMetricTwin) {
    EXPECT_NE(raster::fontFileFor("Arial", false, false).find("LiberationSans"), std::string::npos);
}

TEST(RasterCanvas, TextCellStartsAtTheAnchor) {
    RasterCanvas c(200, 60);
    c.Font().SetName("Arial");
    c.Font().SetHeight(-20);
    c.Font().SetColor(clBlack);
    c.Brush().Color = clYellow;
    c.TextOut(30, 15, "Hg");
    const Extent e = painted(c);
    EXPECT_EQ(e.left, 30);
    EXPECT_EQ(e.top, 15);
    // The opaque cells are the brush colour at their top-left corner; some glyph pixels are ink.
    EXPECT_EQ(c.pixel(30, 15), 0xFF00FFFFu);
    int ink = 0;
    for (int y = e.top; y <= e.bottom; ++y)
        for (int x = e.left; x <= e.right; ++x) ink += c.colorAt(x, y) == clBlack;
    EXPECT_GT(ink, 20);
    // A character height of 20 pixels gives a cell a little taller than 20.
    EXPECT_GE(e.bottom - e.top + 1, 20);
    EXPECT_LE(e.bottom - e.top + 1, 26);
}

TEST(RasterCanvas, TransparentTextTouchesOnlyItsStrokes) {
    RasterCanvas opaque(200, 60), clear(200, 60);
    for (RasterCanvas* c : {&opaque, &clear}) {
        c->Font().SetName("Arial");
        c->Font().SetHeight(-20);
        c->Brush().Color = clWhite;
    }
    SetBkMode(clear.Handle(), TRANSPARENT);
    opaque.TextOut(10, 10, "Hi");
    clear.TextOut(10, 10, "Hi");
    EXPECT_LT(painted(clear).count, painted(opaque).count / 2);
    EXPECT_GE(painted(clear).left, 10);
}

// Text on a palette image goes through blends kept per palette entry and
// coverage; on an image of direct colours through the formula each time. Both
// must give the same pixels: every turn, opaque and transparent text, over a
// striped ground (several entries under one glyph) and over translucent and
// unpainted pixels.
TEST(RasterCanvas, TextOnPaletteImagesBlendsAsOnDirectColours) {
    for (const int escapement : {0, 900, 1800, 2700})
        for (const bool transparent : {false, true}) {
            SCOPED_TRACE(std::to_string(escapement) + (transparent ? " transparent" : " opaque"));
            auto draw = [&](RasterCanvas& c) {
                for (int x = 0; x < 90; x += 3) {  // stripes, and a column left unpainted
                    c.Brush().Color = x % 2 == 0 ? clYellow : clAqua;
                    c.FillRect(Rect(x, 1, x + 2, 90));
                }
                c.Font().SetName("Arial");
                c.Font().SetHeight(-28);
                c.Font().SetColor(clRed);
                LOGFONT lf;
                GetObjectA(c.Font().Handle(), 60, &lf);
                lf.lfEscapement = escapement;
                c.Font().SetHandle(CreateFontIndirectA(&lf));
                if (transparent) SetBkMode(c.Handle(), TRANSPARENT);
                c.Brush().Color = clWhite;
                c.TextOut(45, 45, "Wg8");
                c.Font().SetColor(clBlue);  // a second colour over the first
                c.TextOut(40, 40, "Wg8");
            };
            RasterCanvas palette(90, 90);
            draw(palette);
            RasterCanvas direct(90, 90);
            for (int i = 0; i < 90 * 3; ++i) {  // row 0: more colours than a palette holds
                direct.Brush().Color = static_cast<TColor>(0x010101 * (i % 90) + 0x100 * (i / 90));
                direct.FillRect(Rect(i % 90, 0, i % 90 + 1, 1));
                (void)direct.pixel(0, 0);
            }
            draw(direct);
            int wrong = 0, shades = 0;
            for (int y = 1; y < 90; ++y)
                for (int x = 0; x < 90; ++x) {
                    wrong += palette.pixel(x, y) != direct.pixel(x, y);
                    shades += palette.alphaAt(x, y) == 255 && palette.colorAt(x, y) != clYellow &&
                              palette.colorAt(x, y) != clAqua && palette.colorAt(x, y) != clRed &&
                              palette.colorAt(x, y) != clBlue && palette.colorAt(x, y) != clWhite;
                }
            EXPECT_EQ(wrong, 0);
            EXPECT_GT(shades, 20);  // the glyphs' edges were blended
        }
}

// A canvas may start its text with the palette and blends the last canvas of
// its thread ended with. Images drawn one after another, of the same look or
// with another ground, text colour or text size, must each have the pixels
// and PNG bytes of the same image drawn first on a thread of its own.
TEST(RasterCanvas, TextAfterOtherImagesDrawsAsOnAFreshThread) {
    const std::string dir = test::scratchDir("raster-text-after");
    struct Look {
        TColor ground, text;
        int height;
    };
    auto draw = [](const Look& look) {
        auto c = std::make_unique<RasterCanvas>(120, 40);
        c->Brush().Color = look.ground;
        c->FillRect(Rect(0, 0, 120, 40));
        c->Font().SetName("Arial");
        c->Font().SetHeight(look.height);
        c->Font().SetColor(look.text);
        c->Brush().Color = look.ground;
        c->TextOut(2, 2, "Zorvik 42");
        return c;
    };
    auto bytes = [&](const RasterCanvas& c) {
        const std::string path = dir + "/img.png";
        std::string error;
        EXPECT_TRUE(c.writePng(path, error)) << error;
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    constexpr Look kLooks[] = {{clWhite, clBlack, -20},
                               {clYellow, clBlack, -20},
                               {clYellow, clRed, -20},
                               {clWhite, clBlack, -30},
                               {clWhite, clBlue, -20}};
    constexpr int kOrder[] = {0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 1, 1, 2};
    std::vector<std::unique_ptr<RasterCanvas>> fresh;
    for (const Look& look : kLooks) std::thread([&] { fresh.push_back(draw(look)); }).join();
    for (const int k : kOrder) {
        SCOPED_TRACE(k);
        const auto c = draw(kLooks[k]);  // left to the next canvas of this thread when it goes
        int wrong = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) wrong += c->pixel(x, y) != fresh[static_cast<size_t>(k)]->pixel(x, y);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(bytes(*c), bytes(*fresh[static_cast<size_t>(k)]));
    }
}

TEST(RasterCanvas, TurnedTextRunsUpwardRightOfItsAnchor) {
    RasterCanvas c(60, 200);
    c.Font().SetName("Arial");
    c.Font().SetHeight(-16);
    LOGFONT lf;
    GetObjectA(c.Font().Handle(), 60, &lf);
    lf.lfEscapement = 900;
    c.Font().SetHandle(CreateFontIndirectA(&lf));
    c.Brush().Color = clWhite;
    c.TextOut(20, 150, "123456");
    const Extent e = painted(c);
    EXPECT_EQ(e.left, 20);
    EXPECT_EQ(e.bottom, 149);
    EXPECT_GT(e.bottom - e.top, 2 * (e.right - e.left));  // runs along y
}

TEST(RasterCanvas, TextWithoutFontNameStillDraws) {
    RasterCanvas c(100, 40);
    c.Font().SetName("No Such Face At All");
    c.Font().SetHeight(0);
    c.TextOut(0, 0, "x\xC3\xA9");
    EXPECT_GT(painted(c).count, 0);
}

TEST(RasterCanvas, TextOnAnEmptyImageDrawsNothing) {
    // An image of no rows or no columns: text anchored on it, upright or
    // turned, must stay off the rows and columns it does not have.
    const struct {
        int width, height, escapement;
    } cases[] = {{115, 0, 0}, {0, 50, 0}, {115, 0, 900}, {0, 50, 900}, {0, 0, 0}};
    for (const auto& k : cases) {
        RasterCanvas c(k.width, k.height);
        c.Font().SetHeight(-11);
        LOGFONT lf;
        GetObjectA(c.Font().Handle(), 60, &lf);
        lf.lfEscapement = k.escapement;
        c.Font().SetHandle(CreateFontIndirectA(&lf));
        c.TextOut(0, 0, "4006381333931");
        c.TextOut(3, -2, "x");
        EXPECT_EQ(painted(c).count, 0);
    }
}

// Fills are held back and composed band by band; the image must be what
// painting them one by one gives: the later fill on top, unpainted pixels
// transparent, earlier pixels kept where no fill lands. Bands sharing a
// whole-width fill, bands without one, stacked fills, fills after pixels were
// read, and more colours than a palette holds.
TEST(RasterCanvas, HeldBackFillsComposeAsPaintedOneByOne) {
    struct Round {
        int width, height, fills, colours;
        bool wholeRows;   // a background across every row first
        bool readMidway;  // pixels read (and so composed) halfway
    };
    constexpr Round kRounds[] = {
        {30, 12, 40, 2, true, false}, {30, 12, 40, 3, false, false},  {17, 40, 60, 4, true, true},
        {17, 40, 60, 4, false, true}, {64, 9, 200, 300, false, true}, {5, 70, 150, 2, false, false},
        {1, 1, 5, 2, false, true},    {90, 3, 100, 6, true, true},
    };
    std::mt19937 random(20261208);
    for (const Round& round : kRounds) {
        SCOPED_TRACE(std::to_string(round.width) + "x" + std::to_string(round.height));
        RasterCanvas canvas(round.width, round.height);
        std::vector<uint32_t> model(static_cast<size_t>(round.width) * round.height, 0);  // 0: transparent
        auto paint = [&](int l, int t, int r, int b, TColor colour) {
            canvas.Brush().Color = colour;
            canvas.FillRect(Rect(l, t, r, b));
            for (int y = std::max(t, 0); y < std::min(b, round.height); ++y)
                for (int x = std::max(l, 0); x < std::min(r, round.width); ++x)
                    model[static_cast<size_t>(y) * round.width + x] = 0xFF000000u | static_cast<uint32_t>(colour);
        };
        if (round.wholeRows) paint(0, 0, round.width, round.height, 0xFFFFFF);
        auto coordinate = [&](int extent) { return std::uniform_int_distribution<int>(-2, extent + 2)(random); };
        for (int i = 0; i < round.fills; ++i) {
            if (round.readMidway && i == round.fills / 2) (void)canvas.pixel(0, 0);
            int l = coordinate(round.width), r = coordinate(round.width);
            int t = coordinate(round.height), b = coordinate(round.height);
            if (i % 7 == 3) {  // a band across the whole width, as a symbol's rows are
                l = 0;
                r = round.width;
            }
            const auto colour = static_cast<TColor>(
                std::uniform_int_distribution<int>(0, round.colours - 1)(random) * 0x010203 + 0x100);
            paint(std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b), colour);
        }
        int wrong = 0;
        for (int y = 0; y < round.height; ++y)
            for (int x = 0; x < round.width; ++x) {
                const uint32_t expected = model[static_cast<size_t>(y) * round.width + x];
                const uint32_t got = canvas.pixel(x, y);
                if (expected == 0 ? (got >> 24) != 0 : got != expected) ++wrong;
            }
        EXPECT_EQ(wrong, 0);
    }
}

}  // namespace
}  // namespace zorvik
