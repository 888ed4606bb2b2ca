#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "symbologies/code93.h"
#include "tests/support/support.h"
#include "tests/symbologies/layout.h"

namespace zorvik {
namespace {

using test::Settings;

// The published Code 93 characters as modules (1 bar, 0 space), by value:
// 0-9, A-Z, - . space $ / + %, the shifts ($) (%) (/) (+), start/stop.
const char* const kPublished[48] = {
    "100010100", "101001000", "101000100", "101000010", "100101000", "100100100", "100100010", "101010000",
    "100010010", "100001010", "110101000", "110100100", "110100010", "110010100", "110010010", "110001010",
    "101101000", "101100100", "101100010", "100110100", "100011010", "101011000", "101001100", "101000110",
    "100101100", "100010110", "110110100", "110110010", "110101100", "110100110", "110010110", "110011010",
    "101101100", "101100110", "100110110", "100111010", "100101110", "111010100", "111010010", "111001010",
    "101101110", "101110110", "110101110", "100100110", "111011010", "111010110", "100110010", "101011110",
};
const std::string kData = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr int kStartStop = 47;

int valueOf(char ch) { return static_cast<int>(kData.find(ch)); }

// A symbol's modules: start, the values, stop and the one-module termination bar.
std::string symbolOf(const std::vector<int>& values, int width = 1) {
    std::string s = kPublished[kStartStop];
    for (int v : values) s += kPublished[v];
    s += std::string(kPublished[kStartStop]) + "1";
    std::string wide;
    for (char m : s) wide.append(static_cast<size_t>(width), m);
    return wide;
}

std::vector<int> valuesOf(const std::string& caption) {
    std::vector<int> v;
    for (char ch : caption) v.push_back(valueOf(ch));
    return v;
}

Settings code93(const std::string& caption, bool controlChars = true, bool show = false) {
    Settings s;
    s.symbology = TBarCodeType::Code_93;
    s.caption = caption;
    s.controlChars = controlChars;
    s.showCtrlsChars = show;
    return s;
}

TEST(Code93Table, RowsAreThePublishedCharacters) {
    for (size_t v = 0; v < BarMap93.size(); ++v) {
        std::string modules;
        for (size_t j = 0; j < 6; ++j) modules.append(BarMap93[v][j], j % 2 == 0 ? '1' : '0');
        EXPECT_EQ(modules, kPublished[v]) << "value " << v;
    }
    EXPECT_EQ(Bar93Char.substr(0, 43), kData);
    EXPECT_EQ(Bar93Char.substr(43), "+,-.");
}

struct CheckCase {
    std::string caption;
    int c, k;
};
// C: weights 1..20 from the right, cycling; K: 1..15 over the values and C.
const CheckCase kChecks[] = {
    {"CODE93", 25, 31},  // 3 + 18 + 42 + 52 + 120 + 72 = 307; 25 + 6 + 27 + 56 + 65 + 144 + 84 = 407
    {"TEST93", 41, 6},   // 464 mod 47; 617 mod 47
    {"1+", 43, 34},      // 41 + 2; 43 + 82 + 3 = 128
    {"%", 42, 32},       // 42; 42 + 84 = 126
    // 21 characters: the leading 1 weighs 1 again in C (21 mod 20) and 7 in K.
    {"100000000000000000000", 1, 8},
    // 16 characters: the leading 1 weighs 16 in C and 2 in K (17 wraps after 15).
    {"1000000000000000", 16, 18},
};

TEST(Code93, CheckCharacters) {
    for (const auto& c : kChecks) {
        std::vector<int> values = valuesOf(c.caption);
        Check93(values);
        ASSERT_EQ(values.size(), c.caption.size() + 2) << c.caption;
        EXPECT_EQ(values[values.size() - 2], c.c) << c.caption;
        EXPECT_EQ(values.back(), c.k) << c.caption;
    }
}

TEST(Code93, ModulesInBothDirections) {
    for (const auto& c : kChecks) {
        for (bool controlChars : {true, false}) {
            for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical}) {
                for (TDensity density : {TDensity::High, TDensity::Medium}) {
                    Settings s = code93(c.caption, controlChars);
                    s.direction = dir;
                    s.density = density;
                    auto z = test::makeControl(s);
                    auto grid = test::drawOnGrid(*z);
                    std::vector<int> values = valuesOf(c.caption);
                    if (controlChars) {
                        values.push_back(c.c);
                        values.push_back(c.k);
                    }
                    const int mw = ord(density) + 1;
                    const std::string expected = symbolOf(values, mw);
                    // 9 modules a character and the termination bar.
                    EXPECT_EQ(expected.size(), static_cast<size_t>(mw * (9 * (values.size() + 2) + 1)));
                    const bool h = dir == TDirection::Horizontal;
                    const int from = h ? 10 * mw - 1 : BarCodeHeight - 10 * mw + 1;
                    EXPECT_EQ(test::symbolRow(*grid, dir, 10, from, expected.size() + 2), "0" + expected + "0")
                        << c.caption << ' ' << controlChars << ' ' << identOf(dir) << ' ' << identOf(density);
                }
            }
        }
    }
    // The worked example: CODE93 with C and K spans 91 modules.
    EXPECT_EQ(symbolOf(valuesOf("CODE93PV")).size(), 91u);
}

TEST(Code93, TextContentAndPlacement) {
    struct Case {
        std::string caption;
        bool controlChars, show;
        TAlignment align;
        TDirection dir;
        std::vector<test::TextAt> calls;  // y from the bottom edge when vertical
    } cases[] = {
        // Horizontal: top at Y + H - TextH = 50 - 16; txLeft at 10 modules,
        // txDensity from 20 modules, 9 apart.
        {"CODE93", true, false, TAlignment::txLeft, TDirection::Horizontal, {{10, 34, "CODE93"}}},
        {"CODE93", true, true, TAlignment::txLeft, TDirection::Horizontal, {{10, 34, "CODE93PV"}}},
        {"CODE93", false, true, TAlignment::txLeft, TDirection::Horizontal, {{10, 34, "CODE93"}}},
        {"TEST93", true, true, TAlignment::txLeft, TDirection::Horizontal, {{10, 34, "TEST93+6"}}},
        {"1+", true, true, TAlignment::txDensity, TDirection::Horizontal,
         {{20, 34, "1"}, {29, 34, "+"}, {38, 34, "+"}, {47, 34, "Y"}}},
        // Vertical: x = X + W - TextH = 100 - 16; txLeft 16 modules up, txDensity 20.
        {"AB", true, false, TAlignment::txLeft, TDirection::Vertical, {{84, -16, "AB"}}},
        {"AB", true, false, TAlignment::txDensity, TDirection::Vertical, {{84, -20, "A"}, {84, -29, "B"}}},
    };
    for (const auto& c : cases) {
        Settings s = code93(c.caption, c.controlChars, c.show);
        s.alignment = c.align;
        s.direction = c.dir;
        auto z = test::makeControl(s);
        test::expectTexts(*z, c.calls, c.caption);
    }
}

TEST(Code93, TransparentSpacesUnpaintedTerminationBarPainted) {
    Settings s = code93("CODE93");
    s.transparent = true;
    auto z = test::makeControl(s);
    auto grid = test::drawOnGrid(*z);
    const std::string expected = symbolOf(valuesOf("CODE93PV"));
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(grid->at(10 + static_cast<int>(i), 10), expected[i] == '1' ? clBlack : RecordingCanvas::kUnpainted)
            << i;
    EXPECT_EQ(grid->at(100, 10), clBlack);  // the termination bar, module 91
}

TEST(Code93, TerminationBarIsOneStepWideAndDoesNotAdvance) {
    // Start, A, B, C, K, stop and the termination bar lay 55 modules; 263
    // pixels give 263 / 75 = 3.507 a module from round(35.07) = 35. The stop
    // character ends at round(35 + 54 x 3.507) = 224 and the bar, one step,
    // at round(35 + 55 x 3.507) = 228.
    Settings s = code93("AB");
    s.autoSize = false;
    s.width = 263;
    auto z = test::makeControl(s);
    auto grid = test::drawOnGrid(*z);
    ASSERT_FLOAT_EQ(StepXReal, static_cast<float>(263.0 / 75));
    EXPECT_EQ(CurX, 224);
    EXPECT_EQ(grid->at(223, 10), clWhite);  // the stop character's last space
    for (int x = 224; x < 228; ++x) EXPECT_EQ(grid->at(x, 10), clBlack) << x;
    EXPECT_EQ(grid->at(228, 10), clWhite);
}

TEST(Code93, EmptyAndUnencodableCaptions) {
    test::MessageCapture messages;
    auto z = test::makeControl(code93(""));
    RecordingCanvas r;
    z->DrawBarCode(&r, 0, 0, 1);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Caption is empty");
    EXPECT_TRUE(r.calls().empty());
    // On its own the encoder leaves out what has no row (',' is not 44, 'a'
    // not 97) and draws nothing when nothing is left.
    for (const char* caption : {"a", ",", "\x01"}) {
        z->Code()->SetCaption(caption);
        RecordingCanvas direct;
        z->Print_Code93(&direct, 0, 0, TDirection::Horizontal, 100, 50);
        EXPECT_TRUE(direct.calls().empty()) << caption;
    }
}

// Data characters of the 43; a random caption's check values land anywhere in
// 0..46, and a sweep makes C take every value, the four shifts included.
std::string randomCaption(std::mt19937& rng, int maxLength) {
    std::uniform_int_distribution<int> len(1, maxLength);
    std::uniform_int_distribution<size_t> pick(0, kData.size() - 1);
    std::string s;
    for (int n = len(rng); n > 0; --n) s += kData[pick(rng)];
    return s;
}

TEST(Code93RoundTrip, ZxingReadsRandomSymbols) {
    std::mt19937 rng(93);
    const int symbols = test::forEachLayout({1.0f, 1.6f}, 4, [&](const test::Layout& at) {
        const std::string caption = randomCaption(rng, 25);
        Settings s = code93(caption);
        at.apply(s, 9 * static_cast<int>(caption.size() + 4));
        auto z = test::makeControl(s);
        const auto d = test::decode(*test::renderToRaster(*z), ZXing::BarcodeFormat::Code93);
        EXPECT_TRUE(d.ok && d.text == caption) << '"' << caption << "\" read as \"" << d.text << "\" "
                                               << identOf(at.direction) << ' ' << identOf(at.density) << ' ' << at.step;
    });
    EXPECT_EQ(symbols, 72);
}

TEST(Code93RoundTrip, EveryCheckValueDecodes) {
    for (int target = 0; target < 47; ++target) {
        // Two characters x, y: C = 2x + y mod 47.
        std::string caption;
        for (int x = 0; x < 43 && caption.empty(); ++x)
            for (int y = 0; y < 43 && caption.empty(); ++y)
                if ((2 * x + y) % 47 == target) caption = std::string{kData[static_cast<size_t>(x)], kData[static_cast<size_t>(y)]};
        ASSERT_FALSE(caption.empty()) << target;
        auto z = test::makeControl(code93(caption));
        const auto d = test::decode(*test::renderToRaster(*z), ZXing::BarcodeFormat::Code93);
        EXPECT_TRUE(d.ok && d.text == caption) << "C = " << target << ": \"" << caption << "\" read as \"" << d.text
                                               << '"';
    }
}

TEST(Code93RoundTrip, ZbarReadsASampleInBothDirections) {
    const std::string dir = test::scratchDir("code93-zbar");
    const std::tuple<std::string, TDirection, TDensity> cases[] = {
        {"CODE93", TDirection::Horizontal, TDensity::High},
        {"TEST93", TDirection::Vertical, TDensity::Medium},
        {"A-B.C $/+%", TDirection::Horizontal, TDensity::Low},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", TDirection::Vertical, TDensity::High},
    };
    int n = 0;
    for (const auto& [caption, direction, density] : cases) {
        Settings s = code93(caption);
        s.direction = direction;
        s.density = density;
        auto z = test::makeControl(s);
        const auto lines =
            test::zbarDecode(test::writePaddedPng(*test::renderToRaster(*z), dir + "/" + std::to_string(n++) + ".png"));
        ASSERT_EQ(lines.size(), 1u) << caption;
        EXPECT_EQ(lines[0], "CODE-93:" + caption);
    }
}

}  // namespace
}  // namespace zorvik
