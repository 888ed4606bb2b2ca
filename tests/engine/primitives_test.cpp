#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/zorvik.h"
#include "engine/state.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

// Sets the running position as the pipeline leaves it.
void start(TDirection dir, float at, float step, int modulWidth, int cross) {
    StepXReal = step;
    ModulWidth = modulWidth;
    ModulHeight = cross;
    CurXReal = at;
    if (dir == TDirection::Horizontal) {
        CurX = static_cast<int32_t>(at);
        CurY = 0;
    } else {
        CurY = static_cast<int32_t>(at);
        CurX = 0;
    }
}

struct Element {
    bool bar;
    char width;
};

// Lays the elements and returns the long-axis pixels: B bar, S painted space, . untouched.
std::string lay(TZorvik& z, TDirection dir, float at, float step, int modulWidth, const std::vector<Element>& elements,
                std::vector<int>* positions = nullptr) {
    RecordingCanvas canvas(40, 120);
    start(dir, at, step, modulWidth, 3);
    for (const Element& e : elements) {
        if (e.bar) z.Lin(&canvas, dir, e.width);
        else z.Spc(&canvas, dir, e.width);
        if (positions) positions->push_back(dir == TDirection::Horizontal ? CurX : CurY);
    }
    std::string s;
    const int n = dir == TDirection::Horizontal ? canvas.gridWidth() : canvas.gridHeight();
    for (int i = 0; i < n; ++i) {
        const TColor c = dir == TDirection::Horizontal ? canvas.at(i, 1) : canvas.at(1, i);
        s += c == z.BarColor() ? 'B' : c == z.BackColor() ? 'S' : '.';
    }
    return s;
}

struct LayCase {
    const char* name;
    TDirection dir;
    float at, step;
    int modulWidth;
    std::vector<Element> elements;
    // Pixel ranges along the axis, [from, to] inclusive, with their kind.
    std::vector<std::tuple<int, int, char>> ranges;
    std::vector<int> positions;
};

TEST(Primitives, ElementsCoverTheirPixels) {
    TZorvik z(nullptr);
    z.SetBarColor(0x010101);
    z.SetBackColor(0xFEFEFE);
    const std::vector<LayCase> cases = {
        {"sized to the symbol: elements tile exactly",
         TDirection::Horizontal, 10, 2, 2,
         {{true, 'A'}, {false, '2'}, {true, 'C'}},
         {{10, 11, 'B'}, {12, 15, 'S'}, {16, 21, 'B'}},
         {12, 16, 22}},
        {"step 2.5 from 10: four one-module bars tile in proportion",
         TDirection::Horizontal, 10, 2.5f, 2,
         {{true, 'A'}, {true, 'A'}, {true, 'A'}, {true, 'A'}},
         {{10, 11, 'B'}, {12, 14, 'B'}, {15, 17, 'B'}, {18, 19, 'B'}},
         {12, 15, 18, 20}},
        {"halves round to even",
         TDirection::Horizontal, 10, 1.5f, 1,
         {{true, 'A'}, {false, '1'}, {true, 'A'}, {false, '1'}},
         {{10, 11, 'B'}, {12, 12, 'S'}, {13, 13, 'B'}, {14, 15, 'S'}},
         {12, 13, 14, 16}},
        {"vertical: a bar of three modules ends at CurY",
         TDirection::Vertical, 100, 1, 1,
         {{true, 'C'}},
         {{98, 100, 'B'}},
         {97}},
        {"vertical in proportion, laid upward",
         TDirection::Vertical, 100, 2.5f, 2,
         {{true, 'A'}, {false, '1'}, {true, 'B'}},
         {{99, 100, 'B'}, {96, 98, 'S'}, {91, 95, 'B'}},
         {98, 95, 90}},
        {"width @ and 0 fill nothing and stay put",
         TDirection::Horizontal, 10, 1, 1,
         {{true, '@'}, {false, '0'}},
         {},
         {10, 10}},
    };
    for (const auto& c : cases) {
        std::vector<int> positions;
        const std::string pixels = lay(z, c.dir, c.at, c.step, c.modulWidth, c.elements, &positions);
        std::string expected(pixels.size(), '.');
        for (const auto& [from, to, kind] : c.ranges)
            for (int i = from; i <= to; ++i) expected[static_cast<size_t>(i)] = kind;
        EXPECT_EQ(pixels, expected) << c.name;
        EXPECT_EQ(positions, c.positions) << c.name;
    }
}

TEST(Primitives, ATransparentSpaceAdvancesWithoutPainting) {
    TZorvik z(nullptr);
    z.Code()->SetTransparent(true);
    RecordingCanvas canvas(40, 10);
    start(TDirection::Horizontal, 10, 1.5f, 1, 5);
    z.Spc(&canvas, TDirection::Horizontal, '3');
    EXPECT_EQ(CurX, 14);  // 14.5 rounds to even
    EXPECT_FLOAT_EQ(CurXReal, 14.5f);
    EXPECT_TRUE(canvas.calls().empty());
}

TEST(Primitives, BarsAreModulHeightLongAndRememberTheirRectangle) {
    TZorvik z(nullptr);
    RecordingCanvas canvas(40, 40);
    start(TDirection::Horizontal, 10, 1, 1, 7);
    CurY = 2;
    z.Lin(&canvas, TDirection::Horizontal, 'B');
    EXPECT_EQ(Rec, Rect(10, 2, 12, 9));
    EXPECT_EQ(test::columnOf(canvas, 10).substr(0, 10), "0011111110");
    start(TDirection::Vertical, 30, 1, 1, 7);
    CurX = 2;
    z.Lin(&canvas, TDirection::Vertical, 'A');
    EXPECT_EQ(Rec, Rect(2, 30, 9, 29));
    EXPECT_EQ(test::rowOf(canvas, 30).substr(0, 10), "0011111110");
}

TEST(Primitives, TheRunningPositionIsRoundedOnceNotAccumulated) {
    TZorvik z(nullptr);
    RecordingCanvas canvas;
    start(TDirection::Horizontal, 0, 0.3f, 1, 1);
    float expected = 0;
    for (int i = 0; i < 1000; ++i) {
        z.Lin(&canvas, TDirection::Horizontal, 'A');
        expected = static_cast<float>(static_cast<double>(expected) + 0.3f);
    }
    EXPECT_FLOAT_EQ(CurXReal, expected);
    EXPECT_EQ(CurX, roundHalfEven(expected));
}

TEST(Primitives, CoverageHoldsOnRealPngPixels) {
    // The step-2.5 example drawn on the raster canvas and read back from a PNG file.
    TZorvik z(nullptr);
    RasterCanvas raster(24, 4);
    start(TDirection::Horizontal, 10, 2.5f, 2, 4);
    for (int i = 0; i < 4; ++i) {
        z.Lin(&raster, TDirection::Horizontal, 'A');
        z.SetBarColor(z.BarColor() == clBlack ? clRed : clBlack);  // tell neighbours apart
    }
    const std::string dir = test::scratchDir("primitives-png");
    std::string error;
    ASSERT_TRUE(raster.writePng(dir + "/bars.png", error)) << error;
    test::PngImage png;
    ASSERT_TRUE(test::readPng(dir + "/bars.png", png));
    std::string row;
    for (int x = 0; x < png.width; ++x) {
        const uint32_t p = png.at(x, 1);
        row += (p >> 24) == 0 ? '.' : (p & 0xFFFFFF) == clBlack ? 'K' : (p & 0xFFFFFF) == clRed ? 'R' : '?';
    }
    EXPECT_EQ(row, "..........KKRRRKKKRR....");
}

}  // namespace
}  // namespace zorvik
