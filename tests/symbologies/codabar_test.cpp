#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "symbologies/codabar.h"
#include "tests/support/support.h"
#include "tests/symbologies/layout.h"

namespace zorvik {
namespace {

using test::Settings;

// The published Codabar characters at a wide-to-narrow ratio of 2, as modules
// (1 bar, 0 space), in the order of their check values 0..19.
const std::vector<std::pair<char, std::string>> kPublished = {
    {'0', "101010011"},  {'1', "101011001"},  {'2', "101001011"},  {'3', "110010101"},  {'4', "101101001"},
    {'5', "110101001"},  {'6', "100101011"},  {'7', "100101101"},  {'8', "100110101"},  {'9', "110100101"},
    {'-', "101001101"},  {'$', "101100101"},  {':', "1101011011"}, {'/', "1101101011"}, {'.', "1101101101"},
    {'+', "1011011011"}, {'A', "1011001001"}, {'B', "1001001011"}, {'C', "1010010011"}, {'D', "1010011001"},
};
const std::string kDataChars = "0123456789-$:/.+";

std::string published(char ch) {
    for (const auto& [c, modules] : kPublished)
        if (c == ch) return modules;
    ADD_FAILURE() << "no Codabar character " << ch;
    return "";
}

// A drawn text as modules, each module Width pixels: every character followed
// by its one-module gap.
std::string symbolOf(const std::string& drawn, int width = 1) {
    std::string s;
    for (char ch : drawn)
        for (char m : published(ch) + "0") s.append(static_cast<size_t>(width), m);
    return s;
}

Settings codabar(const std::string& caption, bool controlChars = true) {
    Settings s;
    s.symbology = TBarCodeType::Codabar;
    s.caption = caption;
    s.controlChars = controlChars;
    return s;
}

TEST(CodabarTable, RowsAreThePublishedCharacters) {
    ASSERT_EQ(CodaBarMap.size(), kPublished.size());
    for (size_t row = 0; row < CodaBarMap.size(); ++row) {
        const char ch = kPublished[row].first;
        EXPECT_EQ(CodaBarMap[row][0], ch) << "row " << row;
        std::string modules;
        for (size_t j = 1; j < 8; ++j) modules.append(CodaBarMap[row][j] ? 2 : 1, j % 2 == 1 ? '1' : '0');
        EXPECT_EQ(modules, kPublished[row].second) << ch;
        int code = ch;
        CodabarIndex(code);
        EXPECT_EQ(code, static_cast<int>(row)) << ch;
    }
    for (int other : {int{'a'}, int{'E'}, int{'*'}, int{' '}, 0, 19, 200}) {
        int code = other;
        CodabarIndex(code);
        EXPECT_EQ(code, other);
    }
}

TEST(Codabar, CompletionCheckCharacterAndLayout) {
    struct Case {
        std::string caption;
        bool controlChars;
        std::string drawn;
    } cases[] = {
        {"123", false, "A123A"},
        {"123", true, "A1236A"},   // 16 + 1 + 2 + 3 + 16 = 38, 38 mod 16 = 6
        {"B45C", true, "B45:C"},   // 17 + 4 + 5 + 18 = 44, 44 mod 16 = 12
        {"A123", false, "A123A"},  // start given, stop added
        {"123D", false, "A123D"},  // stop given, start added
        {"D$/C", true, "D$//C"},   // 19 + 11 + 13 + 18 = 61, 61 mod 16 = 13
        {"0", true, "A00A"},       // 16 + 0 + 16 = 32, 32 mod 16 = 0
        {"+", true, "A++A"},       // 16 + 15 + 16 = 47, 47 mod 16 = 15
    };
    for (const auto& c : cases) {
        for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical}) {
            for (TDensity density : {TDensity::High, TDensity::Low}) {
                Settings s = codabar(c.caption, c.controlChars);
                s.direction = dir;
                s.density = density;
                auto z = test::makeControl(s);
                auto grid = test::drawOnGrid(*z);
                const int mw = ord(density) + 1;
                const std::string expected = symbolOf(c.drawn, mw);
                const bool h = dir == TDirection::Horizontal;
                // From the quiet zone's last pixel to one past the symbol's end.
                const int from = h ? 10 * mw - 1 : BarCodeHeight - 10 * mw + 1;
                EXPECT_EQ(test::symbolRow(*grid, dir, 10, from, expected.size() + 2), "0" + expected + "0")
                    << c.caption << ' ' << identOf(dir) << ' ' << identOf(density);
                // The pipeline's budget: ten modules a character.
                EXPECT_EQ(h ? BarCodeWidth : BarCodeHeight,
                          (10 * static_cast<int>(c.caption.size() + (c.controlChars ? 3 : 2)) + 20) * mw);
            }
        }
    }
}

TEST(Codabar, WorkedColumnLayout) {
    auto z = test::makeControl(codabar("123", false));
    auto grid = test::drawOnGrid(*z);
    const std::string row = test::rowOf(*grid, 10);
    // Character runs, inclusive, each followed by its gap column.
    const std::tuple<int, int, char> runs[] = {
        {10, 19, 'A'}, {21, 29, '1'}, {31, 39, '2'}, {41, 49, '3'}, {51, 60, 'A'}};
    for (const auto& [from, to, ch] : runs) {
        EXPECT_EQ(row.substr(static_cast<size_t>(from), static_cast<size_t>(to - from + 1)), published(ch)) << ch;
        EXPECT_EQ(row[static_cast<size_t>(to + 1)], '0') << "gap after " << ch;
    }
    EXPECT_EQ(CurX, 62);
}

TEST(Codabar, TextContentAndPlacement) {
    struct Case {
        const char* name;
        std::string caption;
        bool controlChars, show;
        TAlignment align;
        TDirection dir;
        TDensity density;
        std::vector<test::TextAt> calls;  // y from the bottom edge when vertical
    } cases[] = {
        // Horizontal, High: text top at CurY + ModulHeight = 2 + (50 - 16 - 1) = 35.
        {"left", "123", false, false, TAlignment::txLeft, TDirection::Horizontal, TDensity::High, {{10, 35, "123"}}},
        {"left without check", "123", true, false, TAlignment::txLeft, TDirection::Horizontal, TDensity::High,
         {{10, 35, "123"}}},
        {"left with check", "123", true, true, TAlignment::txLeft, TDirection::Horizontal, TDensity::High,
         {{10, 35, "1236"}}},
        {"density", "123", false, false, TAlignment::txDensity, TDirection::Horizontal, TDensity::High,
         {{20, 35, "1"}, {30, 35, "2"}, {40, 35, "3"}}},
        {"density with check", "123", true, true, TAlignment::txDensity, TDirection::Horizontal, TDensity::High,
         {{20, 35, "1"}, {30, 35, "2"}, {40, 35, "3"}, {50, 35, "6"}}},
        {"given start and stop are not written", "B45C", true, true, TAlignment::txDensity, TDirection::Horizontal,
         TDensity::High, {{20, 35, "4"}, {30, 35, "5"}, {40, 35, ":"}}},
        // Medium: TextH = 10 + 11, bars 28 long, FirstPos = 20, pitch 20.
        {"density, medium", "123", false, false, TAlignment::txDensity, TDirection::Horizontal, TDensity::Medium,
         {{40, 30, "1"}, {60, 30, "2"}, {80, 30, "3"}}},
        // Vertical: x = CurX + ModulHeight = 2 + (100 - 16 - 1); FirstPos one
        // module above the start: H - 10 - 1.
        {"vertical left", "123", false, false, TAlignment::txLeft, TDirection::Vertical, TDensity::High,
         {{85, -11, "123"}}},
        {"vertical density", "123", false, false, TAlignment::txDensity, TDirection::Vertical, TDensity::High,
         {{85, -21, "1"}, {85, -31, "2"}, {85, -41, "3"}}},
    };
    for (const auto& c : cases) {
        Settings s = codabar(c.caption, c.controlChars);
        s.showCtrlsChars = c.show;
        s.alignment = c.align;
        s.direction = c.dir;
        s.density = c.density;
        auto z = test::makeControl(s);
        test::expectTexts(*z, c.calls, c.name);
    }
}

TEST(Codabar, TransparentLeavesSpacesAndTextGroundUnpainted) {
    Settings s = codabar("123", false);
    s.transparent = true;
    auto z = test::makeControl(s);
    auto grid = test::drawOnGrid(*z);
    const std::string expected = symbolOf("A123A");
    for (size_t i = 0; i < expected.size(); ++i) {
        const TColor c = grid->at(10 + static_cast<int>(i), 10);
        EXPECT_EQ(c, expected[i] == '1' ? clBlack : RecordingCanvas::kUnpainted) << i;
    }
    for (const auto& call : grid->textCalls()) EXPECT_EQ(call.bkMode, TRANSPARENT);
}

TEST(Codabar, CaptionsWithoutDataDrawNothing) {
    for (const std::string caption : {"", "A", "D", "AB", "CC"}) {
        test::MessageCapture messages;
        auto z = test::makeControl(codabar(caption));
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, 1);
        ASSERT_EQ(messages.texts.size(), 1u) << caption;
        EXPECT_EQ(messages.texts[0], caption.empty() ? "Caption is empty"
                                                     : "Caption has no data between its start and stop characters");
        EXPECT_TRUE(r.calls().empty()) << caption;

        // The encoder on its own draws nothing for them either.
        RecordingCanvas direct;
        z->Print_Codabar(&direct, 0, 0, TDirection::Horizontal, 30, caption, true, 100, 50);
        EXPECT_TRUE(direct.calls().empty()) << caption;
    }
}

TEST(Codabar, TheEncoderNeverDrawsACharacterOutsideItsSet) {
    // Every byte value reaches the encoder directly; only the set's 20
    // characters are drawn (A-D kept in the middle, as given).
    std::string everything;
    for (int b = 1; b < 256; ++b) everything += static_cast<char>(b);
    auto z = test::makeControl(codabar("1", false));
    RecordingCanvas sizing(1, 1);
    z->DrawBarCode(&sizing, 0, 0, 1);  // leaves the drawing state as the pipeline sets it
    CurX = 10;
    CurXReal = 10;
    RecordingCanvas grid(600, 40);
    z->Print_Codabar(&grid, 0, 0, TDirection::Horizontal, 30, everything, false, 600, 40);
    const std::string expected = symbolOf("A$+-./0123456789:ABCD");
    EXPECT_EQ(test::symbolRow(grid, TDirection::Horizontal, 10, 10, expected.size() + 1), expected + "0");
}

// Random captions: data characters with or without their own start/stop letters.
struct Sample {
    std::string caption;
    std::string data;  // what a decoder reports: data and check character, no start/stop
};

Sample randomCodabar(std::mt19937& rng, const std::string& alphabet, size_t maxLength, bool controlChars) {
    // zxing takes fewer than four characters, start and stop included, for noise.
    std::uniform_int_distribution<size_t> len(controlChars ? 1 : 2, maxLength), pick(0, alphabet.size() - 1),
        end(0, 4);
    const std::string ends = "ABCD";
    Sample s;
    const size_t n = len(rng);
    for (size_t i = 0; i < n; ++i) s.data += alphabet[pick(rng)];
    const size_t e = end(rng);
    const char start = e < 4 ? ends[e] : 'A';
    const char stop = e < 4 ? ends[(e + 1) % 4] : 'A';
    s.caption = e < 4 ? start + s.data + stop : s.data;
    if (controlChars) {
        int sum = 0;
        for (char ch : start + s.data + stop)
            for (size_t v = 0; v < kPublished.size(); ++v)
                if (kPublished[v].first == ch) sum += static_cast<int>(v);
        s.data += kPublished[static_cast<size_t>(sum % 16)].first;
    }
    return s;
}

// Codabar's 10-module characters (: / . + and the start/stop letters) run past
// the budget of ten modules a character, into the right quiet zone. Sized to
// the symbol, eight data characters always fit; the stretched samples keep to
// 9-module data characters, as they always did.
TEST(CodabarRoundTrip, ZxingReadsRandomSymbols) {
    std::mt19937 rng(20240601);
    const int symbols = test::forEachLayout({1.0f, 2.0f}, 4, [&](const test::Layout& at) {
        const bool controlChars = at.sample != 3;
        const Sample sample = at.step == 0 ? randomCodabar(rng, kDataChars, 8, controlChars)
                                           : randomCodabar(rng, "0123456789-$", 10, controlChars);
        Settings s = codabar(sample.caption, controlChars);
        at.apply(s, 10 * static_cast<int>(sample.caption.size() + (controlChars ? 3 : 2)));
        auto z = test::makeControl(s);
        auto image = test::renderToRaster(*z);
        const auto d = test::decode(*image, ZXing::BarcodeFormat::Codabar);
        EXPECT_TRUE(d.ok) << sample.caption << ' ' << identOf(at.direction) << ' ' << identOf(at.density) << ' '
                          << at.step;
        EXPECT_EQ(d.text, sample.data) << sample.caption;
    });
    EXPECT_EQ(symbols, 72);
}

TEST(CodabarRoundTrip, ZbarReadsASampleFromTwoPixelsPerModule) {
    const std::string dir = test::scratchDir("codabar-zbar");
    struct Case {
        std::string caption;
        TDirection dir;
        TDensity density;
        int scale;
        std::string expected;  // zbar reports start, data, check and stop
    } cases[] = {
        {"123", TDirection::Horizontal, TDensity::Medium, 1, "A1236A"},
        {"B45C", TDirection::Vertical, TDensity::Medium, 1, "B45:C"},
        {"31117013206375", TDirection::Horizontal, TDensity::High, 2, "A311170132063758A"},  // 72 mod 16
        {"C40156$-B", TDirection::Vertical, TDensity::Low, 1, "C40156$-8B"},                   // 72 mod 16
    };
    int n = 0;
    for (const auto& c : cases) {
        Settings s = codabar(c.caption);
        s.direction = c.dir;
        s.density = c.density;
        auto z = test::makeControl(s);
        auto image = test::renderToRaster(*z, c.scale);
        const auto lines = test::zbarDecode(test::writePaddedPng(*image, dir + "/" + std::to_string(n++) + ".png"));
        ASSERT_EQ(lines.size(), 1u) << c.caption;
        EXPECT_EQ(lines[0], "Codabar:" + c.expected);
    }
}

}  // namespace
}  // namespace zorvik
