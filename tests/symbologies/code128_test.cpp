#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "symbologies/code128.h"
#include "tests/support/support.h"
#include "tests/symbologies/layout.h"

namespace zorvik {
namespace {

using test::Settings;

// ISO/IEC 15417 symbol characters 0..102 as the standard's bar/space widths.
const char* const kWidths =
    "212222 222122 222221 121223 121322 131222 122213 122312 132212 221213 "
    "221312 231212 112232 122132 122231 113222 123122 123221 223211 221132 "
    "221231 213212 223112 312131 311222 321122 321221 312212 322112 322211 "
    "212123 212321 232121 111323 131123 131321 112313 132113 132311 211313 "
    "231113 231311 112133 112331 132131 113123 113321 133121 313121 211331 "
    "231131 213113 213311 213131 311123 311321 331121 312113 312311 332111 "
    "314111 221411 431111 111224 111422 121124 121421 141122 141221 112214 "
    "112412 122114 122411 142112 142211 241211 221114 413111 241112 134111 "
    "111242 121142 121241 114212 124112 124211 411212 421112 421211 212141 "
    "214121 412121 111143 111341 131141 114113 114311 411113 411311 113141 "
    "114131 311141 411131";
const std::string kStartB = "211214";   // value 104
const std::string kStop = "2331112";    // 13 modules

std::vector<std::string> published() {
    std::istringstream in(kWidths);
    std::vector<std::string> rows;
    for (std::string w; in >> w;) rows.push_back(w);
    return rows;
}

// Start B, the code set B values (code - 32) of Text, stop.
std::string symbolOf(const std::string& text, int width = 1) {
    const auto rows = published();
    std::string s = test::modulesOf(kStartB);
    for (unsigned char ch : text) s += test::modulesOf(rows[ch - 32u]);
    s += test::modulesOf(kStop);
    std::string wide;
    for (char m : s) wide.append(static_cast<size_t>(width), m);
    return wide;
}

Settings code128(const std::string& caption, bool controlChars = true, bool show = false) {
    Settings s;
    s.symbology = TBarCodeType::Code_128;
    s.caption = caption;
    s.controlChars = controlChars;
    s.showCtrlsChars = show;
    return s;
}

TEST(Code128Table, RowsAreThePublishedCharacters) {
    const auto rows = published();
    ASSERT_EQ(rows.size(), 103u);
    ASSERT_EQ(BarMap128.size(), 103u);
    for (size_t v = 0; v < rows.size(); ++v) {
        std::string widths;
        int modules = 0, bars = 0;
        for (size_t j = 0; j < 6; ++j) {
            widths += static_cast<char>('0' + BarMap128[v][j]);
            modules += BarMap128[v][j];
            if (j % 2 == 0) bars += BarMap128[v][j];
        }
        EXPECT_EQ(widths, rows[v]) << "value " << v;
        EXPECT_EQ(modules, 11) << "value " << v;
        EXPECT_EQ(bars % 2, 0) << "value " << v;
    }
}

struct CheckCase {
    const char* name;
    std::string caption;
    int check;          // sum mod 103
    std::string shown;  // the check character in the text, as Windows-1252 shows it
};
const CheckCase kChecks[] = {
    {"ABC", "ABC", 1, "!"},                 // 104 + 33 + 68 + 105 = 310
    {"digits stay in code set B", "1234", 88, "x"},  // 104 + 17 + 36 + 57 + 80 = 294
    {"DEL", "\x7f", 96, "\xe2\x82\xac"},    // 104 + 95 = 199: code 128, the euro sign
    {"check 96", "a/", 96, "\xe2\x82\xac"},  // 104 + 65 + 30
    {"check 95", "ab", 95, ""},             // 104 + 65 + 132 = 301: code 127 shows nothing
    {"check 97", "ac", 97, ""},             // 303: code 129 is unassigned
    {"check 102", "a2", 102, "\xe2\x80\xa0"},  // 205: code 134, the dagger
    {"lower case and punctuation", "a~{", 12, ","},  // 104 + 65 + 188 + 273 = 630
};

TEST(Code128, CheckCharacterAndModules) {
    for (const auto& c : kChecks) {
        for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical}) {
            Settings s = code128(c.caption);
            s.direction = dir;
            s.density = dir == TDirection::Horizontal ? TDensity::High : TDensity::Medium;
            auto z = test::makeControl(s);
            auto grid = test::drawOnGrid(*z);
            const int mw = ord(s.density) + 1;
            const std::string expected = symbolOf(c.caption + static_cast<char>(c.check + 32), mw);
            EXPECT_EQ(expected.size(), static_cast<size_t>(mw * (11 * (c.caption.size() + 2) + 13))) << c.name;
            const bool h = dir == TDirection::Horizontal;
            const int from = h ? 10 * mw - 1 : BarCodeHeight - 10 * mw + 1;
            EXPECT_EQ(test::symbolRow(*grid, dir, 10, from, expected.size() + 2), "0" + expected + "0")
                << c.name << ' ' << identOf(dir);
        }
    }
    EXPECT_EQ(symbolOf("ABC!").size(), 68u);
}

TEST(Code128, WithoutCheckCharacter) {
    auto z = test::makeControl(code128("ABC", false, true));
    auto grid = test::drawOnGrid(*z);
    const std::string expected = symbolOf("ABC");
    EXPECT_EQ(expected.size(), 57u);
    EXPECT_EQ(test::symbolRow(*grid, TDirection::Horizontal, 10, 9, expected.size() + 2), "0" + expected + "0");
    const auto calls = grid->textCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, "ABC");
}

TEST(Code128, TextShowsTheCheckCharacterOnRequest) {
    for (const auto& c : kChecks) {
        for (bool show : {false, true}) {
            auto z = test::makeControl(code128(c.caption, true, show));
            RecordingCanvas r;
            z->DrawBarCode(&r, 0, 0, 1);
            std::string caption;  // DEL shows nothing
            for (char ch : c.caption)
                if (ch != '\x7f') caption += ch;
            const std::string expected = show ? caption + c.shown : caption;
            const auto calls = r.textCalls();
            if (expected.empty()) {
                EXPECT_TRUE(calls.empty()) << c.name;
                continue;
            }
            ASSERT_EQ(calls.size(), 1u) << c.name;
            EXPECT_EQ(calls[0].text, expected) << c.name << ' ' << show;
        }
    }
}

TEST(Code128, TextPlacement) {
    struct Case {
        TAlignment align;
        TDirection dir;
        std::vector<test::TextAt> calls;  // y from the bottom edge when vertical
    } cases[] = {
        // AC: 104 + 33 + 70 = 207, check 1. Horizontal: top at 2 + (50 - 16 - 1)
        // = 35; txDensity from the first data character (after the 11-module
        // start), 11 modules apart.
        {TAlignment::txLeft, TDirection::Horizontal, {{10, 35, "AC!"}}},
        {TAlignment::txDensity, TDirection::Horizontal, {{21, 35, "A"}, {32, 35, "C"}, {43, 35, "!"}}},
        // Vertical: x = 2 + (100 - 16 - 1) = 85; txLeft 10 modules up; FirstPos
        // one module above the start character's top.
        {TAlignment::txLeft, TDirection::Vertical, {{85, -10, "AC!"}}},
        {TAlignment::txDensity, TDirection::Vertical, {{85, -22, "A"}, {85, -33, "C"}, {85, -44, "!"}}},
    };
    for (const auto& c : cases) {
        Settings s = code128("AC", true, true);
        s.alignment = c.align;
        s.direction = c.dir;
        auto z = test::makeControl(s);
        test::expectTexts(*z, c.calls, "AC");
    }
    // txDensity skips a check character that shows nothing, keeping the pitch.
    Settings s = code128("ac", true, true);
    s.alignment = TAlignment::txDensity;
    auto z = test::makeControl(s);
    RecordingCanvas r;
    z->DrawBarCode(&r, 0, 0, 1);
    ASSERT_EQ(r.textCalls().size(), 2u);
    EXPECT_EQ(r.textCalls()[1].x, 32);
}

TEST(Code128, TransparentPaintsBarsOnly) {
    Settings s = code128("Hello, World!");
    s.transparent = true;
    auto z = test::makeControl(s);
    auto grid = test::drawOnGrid(*z);
    int bars = 0;
    for (int y = 0; y < grid->gridHeight(); ++y)
        for (int x = 0; x < grid->gridWidth(); ++x) {
            const TColor c = grid->at(x, y);
            ASSERT_TRUE(c == clBlack || c == RecordingCanvas::kUnpainted) << x << ',' << y;
            bars += c == clBlack;
        }
    EXPECT_GT(bars, 0);
    for (const auto& call : grid->textCalls()) EXPECT_EQ(call.bkMode, TRANSPARENT);
}

TEST(Code128, TheEncoderLeavesOutWhatCodeSetBCannotCarry) {
    // The pipeline refuses such captions; on its own the encoder draws "AB"
    // for them, never a function character or a row past the table.
    auto z = test::makeControl(code128("AB", false));
    RecordingCanvas sizing;
    z->DrawBarCode(&sizing, 0, 0, 1);
    CurX = 10;
    CurXReal = 10;
    RecordingCanvas grid(200, 40);
    z->Print_Code128(&grid, 0, 0, TDirection::Horizontal, 30, "\x01" "A" "\x80\x86\xff" "B" "\x1f", false, 200, 40);
    const std::string expected = symbolOf("AB");
    EXPECT_EQ(test::symbolRow(grid, TDirection::Horizontal, 10, 10, expected.size() + 1), expected + "0");
}

std::string randomCaption(std::mt19937& rng, int maxLength) {
    std::uniform_int_distribution<int> len(1, maxLength), code(32, 127);
    std::string s;
    for (int n = len(rng); n > 0; --n) s += static_cast<char>(code(rng));
    return s;
}

TEST(Code128RoundTrip, ZxingReadsRandomSymbols) {
    std::mt19937 rng(128);
    const int symbols = test::forEachLayout({1.0f, 1.6f}, 4, [&](const test::Layout& at) {
        const std::string caption = randomCaption(rng, 20);
        Settings s = code128(caption);
        at.apply(s, 11 * static_cast<int>(caption.size() + 2) + 13);
        auto z = test::makeControl(s);
        const auto d = test::decode(*test::renderToRaster(*z), ZXing::BarcodeFormat::Code128);
        EXPECT_TRUE(d.ok && d.text == caption) << '"' << caption << "\" read as \"" << d.text << "\" "
                                               << identOf(at.direction) << ' ' << identOf(at.density) << ' ' << at.step;
    });
    EXPECT_EQ(symbols, 72);
}

TEST(Code128RoundTrip, EveryValueDecodes) {
    // All 96 data values in one symbol, then every check value 0..102 from
    // two-character captions: 104 + x + 2y mod 103.
    std::string all;
    for (int code = 32; code <= 127; ++code) all += static_cast<char>(code);
    std::vector<std::string> captions = {all};
    for (int target = 0; target < 103; ++target) {
        std::string caption;
        for (int x = 0; x < 96 && caption.empty(); ++x)
            for (int y = 0; y < 96 && caption.empty(); ++y)
                if ((104 + x + 2 * y) % 103 == target) caption = {static_cast<char>(x + 32), static_cast<char>(y + 32)};
        ASSERT_FALSE(caption.empty()) << target;
        captions.push_back(caption);
    }
    for (const auto& caption : captions) {
        auto z = test::makeControl(code128(caption));
        const auto d = test::decode(*test::renderToRaster(*z), ZXing::BarcodeFormat::Code128);
        EXPECT_TRUE(d.ok && d.text == caption) << '"' << caption << "\" read as \"" << d.text << '"';
    }
}

TEST(Code128RoundTrip, ZbarReadsASampleInBothDirections) {
    // zbar misses some Code 128 symbols at one pixel a module; the rest from two.
    const std::string dir = test::scratchDir("code128-zbar");
    const std::tuple<std::string, TDirection, TDensity, int> cases[] = {
        {"ABC", TDirection::Horizontal, TDensity::High, 1},
        {"Hello, World!", TDirection::Vertical, TDensity::Medium, 1},
        {"1234567890", TDirection::Horizontal, TDensity::Low, 1},
        {"a~{|}", TDirection::Vertical, TDensity::High, 2},
    };
    int n = 0;
    for (const auto& [caption, direction, density, scale] : cases) {
        Settings s = code128(caption);
        s.direction = direction;
        s.density = density;
        auto z = test::makeControl(s);
        const auto lines = test::zbarDecode(
            test::writePaddedPng(*test::renderToRaster(*z, scale), dir + "/" + std::to_string(n++) + ".png"));
        ASSERT_EQ(lines.size(), 1u) << caption;
        EXPECT_EQ(lines[0], "CODE-128:" + caption);
    }
}

}  // namespace
}  // namespace zorvik
