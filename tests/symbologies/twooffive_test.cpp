#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "symbologies/twooffive.h"
#include "tests/support/support.h"
#include "tests/symbologies/layout.h"

namespace zorvik {
namespace {

using test::Settings;

// Two-of-five digits: the two wide elements of a digit are the positions whose
// weights 1, 2, 4, 7, 0 add up to it (0 as 4 + 7).
std::string widePositions(int digit) {
    const int weights[5] = {1, 2, 4, 7, 0};
    const int target = digit == 0 ? 11 : digit;
    for (int a = 0; a < 5; ++a)
        for (int b = a + 1; b < 5; ++b)
            if (weights[a] + weights[b] == target) {
                std::string wide(5, '0');
                wide[static_cast<size_t>(a)] = wide[static_cast<size_t>(b)] = '1';
                return wide;
            }
    return "";
}

// Interleaved: start 1010, pairs (bars of the first digit, spaces of the
// second; wide = 2 modules), stop 1101.
std::string interleavedModules(const std::string& digits) {
    std::string s = "1010";
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        const std::string bars = widePositions(digits[i] - '0'), spaces = widePositions(digits[i + 1] - '0');
        for (size_t j = 0; j < 5; ++j) s += std::string(bars[j] == '1' ? "11" : "1") + (spaces[j] == '1' ? "00" : "0");
    }
    return s + "1101";
}

// Industrial and IATA: every element a bar (wide = 2 modules) and a narrow space.
std::string barsOnlyModules(const std::string& digits, const std::string& start, const std::string& stop) {
    std::string s = start;
    for (char d : digits)
        for (char w : widePositions(d - '0')) s += w == '1' ? "110" : "10";
    return s + stop;
}
const std::string kIndustrialStart = "11011010", kIndustrialStop = "1101011";  // b2 s1 b2 s1 b1 s1; b2 s1 b1 s1 b2
const std::string kIataStart = "1010", kIataStop = "1101";                     // b1 s1 b1 s1; b2 s1 b1

Settings symbol(TBarCodeType type, const std::string& caption, bool controlChars = true, bool show = false) {
    Settings s;
    s.symbology = type;
    s.caption = caption;
    s.controlChars = controlChars;
    s.showCtrlsChars = show;
    return s;
}

// The symbol's modules along row 10, from the last quiet-zone column.
std::string drawnModules(TZorvik& z, size_t length) {
    auto grid = test::drawOnGrid(z);
    return test::symbolRow(*grid, TDirection::Horizontal, 10, 9, length + 2);
}

std::string textOf(TZorvik& z) {
    RecordingCanvas r;
    z.DrawBarCode(&r, 0, 0, 1);
    const auto calls = r.textCalls();
    if (calls.size() != 1) ADD_FAILURE() << calls.size() << " text calls";
    return calls.empty() ? std::string() : calls[0].text;
}

TEST(TwoOfFiveTable, RowsAreThePublishedDigits) {
    for (int d = 0; d < 10; ++d) {
        std::string row;
        for (uint8_t e : ITFMatr[static_cast<size_t>(d)]) row += e ? '1' : '0';
        EXPECT_EQ(row, widePositions(d)) << d;
    }
}

TEST(TwoOfFive, DigitLayouts) {
    // ITF pair 0, 1: b1 s2 b1 s1 b2 s1 b2 s1 b1 s2; Industrial and IATA digit 0:
    // b1 s1 b1 s1 b2 s1 b2 s1 b1 s1.
    struct Case {
        TBarCodeType type;
        std::string caption;
        size_t at;  // modules before the digits
        std::string modules;
    } cases[] = {
        {TBarCodeType::ITF, "01", 4, "10010110110100"},
        {TBarCodeType::Industrial, "0", 8, "101011011010"},
        {TBarCodeType::IATA, "0", 4, "101011011010"},
    };
    for (const auto& c : cases) {
        auto z = test::makeControl(symbol(c.type, c.caption, false));
        const std::string row = drawnModules(*z, 40);
        EXPECT_EQ(row.substr(1 + c.at, c.modules.size()), c.modules) << identOf(c.type);
    }
}

TEST(TwoOfFive, WorkingTextModulesAndText) {
    struct Case {
        TBarCodeType type;
        std::string caption;
        bool controlChars, show;
        std::string drawn, text;
    } cases[] = {
        // Interleaved: a leading 0 evens the count, the check digit included;
        // the text is every digit drawn.
        {TBarCodeType::ITF, "1234", true, false, "012348", "012348"},  // 3 x (0 + 2 + 4) + 1 + 3 = 22
        {TBarCodeType::ITF, "123", true, false, "1236", "1236"},       // 3 x (1 + 3) + 2 = 14
        {TBarCodeType::ITF, "123", false, false, "0123", "0123"},
        {TBarCodeType::ITF, "1234", false, true, "1234", "1234"},
        {TBarCodeType::ITF, "55", true, false, "0550", "0550"},  // 0 + 5 + 15 = 20
        // 3 + 2 + 9 + 4 + 15 + 6 + 21 + 8 + 27 + 0 + 3 = 98
        {TBarCodeType::ITF, "12345678901", true, false, "123456789012", "123456789012"},
        // Industrial: weights 4 and 1 from the left.
        {TBarCodeType::Industrial, "123", true, false, "1232", "123"},  // 4 + 2 + 12 = 18
        {TBarCodeType::Industrial, "123", true, true, "1232", "1232"},
        {TBarCodeType::Industrial, "123", false, true, "123", "123"},
        {TBarCodeType::Industrial, "22", true, true, "220", "220"},  // 8 + 2 = 10
        {TBarCodeType::Industrial, "5", true, true, "50", "50"},     // 20
        // IATA never appends a digit.
        {TBarCodeType::IATA, "123", true, true, "123", "123"},
        {TBarCodeType::IATA, "9876", true, false, "9876", "9876"},
    };
    for (const auto& c : cases) {
        auto z = test::makeControl(symbol(c.type, c.caption, c.controlChars, c.show));
        const std::string expected = c.type == TBarCodeType::ITF ? interleavedModules(c.drawn)
                                     : c.type == TBarCodeType::Industrial
                                         ? barsOnlyModules(c.drawn, kIndustrialStart, kIndustrialStop)
                                         : barsOnlyModules(c.drawn, kIataStart, kIataStop);
        EXPECT_EQ(drawnModules(*z, expected.size()), "0" + expected + "0") << identOf(c.type) << ' ' << c.caption;
        EXPECT_EQ(textOf(*z), c.text) << identOf(c.type) << ' ' << c.caption;
        // The pipeline's budget matches the modules drawn, within one.
        EXPECT_NEAR(BarCodeWidth - 20, static_cast<int>(expected.size()), 1) << identOf(c.type) << ' ' << c.caption;
    }
}

TEST(TwoOfFive, TextPlacement) {
    struct Case {
        TBarCodeType type;
        TAlignment align;
        TDirection dir;
        TDensity density;
        std::vector<test::TextAt> calls;  // y from the bottom edge when vertical
    } cases[] = {
        // Horizontal, High: top at 2 + (50 - 16 - 1) = 35; txDensity from the
        // first digit (after the start pattern), 7 or 12 modules apart.
        {TBarCodeType::ITF, TAlignment::txLeft, TDirection::Horizontal, TDensity::High, {{10, 35, "1236"}}},
        {TBarCodeType::ITF, TAlignment::txDensity, TDirection::Horizontal, TDensity::High,
         {{14, 35, "1"}, {21, 35, "2"}, {28, 35, "3"}, {35, 35, "6"}}},
        {TBarCodeType::Industrial, TAlignment::txDensity, TDirection::Horizontal, TDensity::High,
         {{18, 35, "1"}, {30, 35, "2"}, {42, 35, "3"}}},
        {TBarCodeType::IATA, TAlignment::txDensity, TDirection::Horizontal, TDensity::High,
         {{14, 35, "1"}, {26, 35, "2"}, {38, 35, "3"}}},
        // Medium: TextH 10 + 11, bars 28 long; start 20, start pattern 8 pixels.
        {TBarCodeType::IATA, TAlignment::txDensity, TDirection::Horizontal, TDensity::Medium,
         {{28, 30, "1"}, {52, 30, "2"}, {76, 30, "3"}}},
        // Vertical: x = 2 + (100 - 16 - 1) = 85; txLeft at H - 10; FirstPos one
        // module above the start pattern's top: H - 10 - 4 - 1.
        {TBarCodeType::IATA, TAlignment::txLeft, TDirection::Vertical, TDensity::High, {{85, -10, "123"}}},
        {TBarCodeType::IATA, TAlignment::txDensity, TDirection::Vertical, TDensity::High,
         {{85, -15, "1"}, {85, -27, "2"}, {85, -39, "3"}}},
    };
    for (const auto& c : cases) {
        Settings s = symbol(c.type, "123", true, false);
        s.alignment = c.align;
        s.direction = c.dir;
        s.density = c.density;
        auto z = test::makeControl(s);
        test::expectTexts(*z, c.calls, identOf(c.type));
    }
}

TEST(TwoOfFive, TransparentPaintsBarsOnly) {
    for (TBarCodeType type : {TBarCodeType::ITF, TBarCodeType::Industrial, TBarCodeType::IATA}) {
        Settings s = symbol(type, "123456", true, true);
        s.transparent = true;
        auto z = test::makeControl(s);
        auto grid = test::drawOnGrid(*z);
        int bars = 0;
        for (int y = 0; y < grid->gridHeight(); ++y) {
            for (int x = 0; x < grid->gridWidth(); ++x) {
                const TColor c = grid->at(x, y);
                EXPECT_TRUE(c == clBlack || c == RecordingCanvas::kUnpainted) << identOf(type) << ' ' << x << ',' << y;
                bars += c == clBlack;
            }
        }
        EXPECT_GT(bars, 0);
        for (const auto& call : grid->textCalls()) EXPECT_EQ(call.bkMode, TRANSPARENT);
    }
}

TEST(TwoOfFive, EncodersOnTheirOwnDrawOnlyDigits) {
    // The pipeline refuses anything but digits; called directly, the encoders
    // leave other characters out and draw nothing without a digit.
    auto z = test::makeControl(symbol(TBarCodeType::IATA, "1", false));
    RecordingCanvas sizing;
    z->DrawBarCode(&sizing, 0, 0, 1);
    for (const std::string& caption : {std::string(), std::string("+-.eE"), std::string("\xff\x80 ")}) {
        RecordingCanvas r;
        z->Print_ITF(&r, 0, 0, TDirection::Horizontal, 30, caption, true, 100, 50);
        z->Print_INDUSTRIAL(&r, 0, 0, TDirection::Horizontal, 30, caption, true, 100, 50);
        z->Print_IATA(&r, 0, 0, TDirection::Horizontal, 30, caption, true, 100, 50);
        EXPECT_TRUE(r.calls().empty());
    }
    CurX = 10;
    CurXReal = 10;
    RecordingCanvas grid(200, 40);
    z->Print_IATA(&grid, 0, 0, TDirection::Horizontal, 30, "1.5e+3", false, 200, 40);
    const std::string expected = barsOnlyModules("153", kIataStart, kIataStop);
    EXPECT_EQ(test::symbolRow(grid, TDirection::Horizontal, 10, 10, expected.size() + 1), expected + "0");
}

// The published Interleaved 2 of 5 check digit: weight 3 on the rightmost
// digit, alternating with 1 leftwards; the result pads the sum to a multiple of 10.
char gs1Check(const std::string& digits) {
    int sum = 0, weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, weight = 4 - weight) sum += weight * (*it - '0');
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

TEST(TwoOfFiveRoundTrip, ZxingReadsRandomInterleavedSymbols) {
    std::mt19937 rng(7031);
    std::uniform_int_distribution<int> digit(0, 9), length(5, 16);
    const int symbols = test::forEachLayout({1.0f, 1.6f}, 4, [&](const test::Layout& at) {
        const bool controlChars = at.sample != 3;
        std::string caption;
        for (int k = length(rng); k > 0; --k) caption += static_cast<char>('0' + digit(rng));
        std::string expected = caption;
        if (controlChars) {
            if (expected.size() % 2 == 0) expected.insert(expected.begin(), '0');
            expected += gs1Check(expected);
        } else if (expected.size() % 2 != 0) {
            expected.insert(expected.begin(), '0');
        }
        Settings s = symbol(TBarCodeType::ITF, caption, controlChars);
        at.apply(s, 7 * static_cast<int>(expected.size()) + 8);
        auto z = test::makeControl(s);
        auto image = test::renderToRaster(*z);
        // zxing at times also reads a turned symbol backwards, as other
        // digits without a valid check digit; the symbol must give its own.
        std::string read;
        bool found = false;
        for (const auto& d : test::decodeAll(*image, ZXing::BarcodeFormat::ITF)) {
            read += d.text + ' ';
            found |= d.ok && d.text == expected;
        }
        EXPECT_TRUE(found) << caption << " read as " << read << identOf(at.direction) << ' ' << identOf(at.density)
                           << ' ' << at.step;
    });
    EXPECT_EQ(symbols, 72);
}

TEST(TwoOfFiveRoundTrip, ZbarReadsInterleavedInBothDirections) {
    const std::string dir = test::scratchDir("itf-zbar");
    struct Case {
        std::string caption;
        TDirection dir;
        TDensity density;
        std::string expected;
    } cases[] = {
        {"1234", TDirection::Horizontal, TDensity::High, "012348"},
        {"1234567", TDirection::Vertical, TDensity::Medium, "12345670"},  // 3 x 16 + 12 = 60
        {"9638507", TDirection::Horizontal, TDensity::Low, "96385074"},   // 3 x 27 + 17 = 98
        {"12345678901", TDirection::Vertical, TDensity::High, "123456789012"},
    };
    int n = 0;
    for (const auto& c : cases) {
        Settings s = symbol(TBarCodeType::ITF, c.caption);
        s.direction = c.dir;
        s.density = c.density;
        auto z = test::makeControl(s);
        auto image = test::renderToRaster(*z);
        const auto lines = test::zbarDecode(test::writePaddedPng(*image, dir + "/" + std::to_string(n++) + ".png"));
        ASSERT_EQ(lines.size(), 1u) << c.caption;
        EXPECT_EQ(lines[0], "I2/5:" + c.expected);
    }
}

}  // namespace
}  // namespace zorvik
