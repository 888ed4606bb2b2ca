#include <gtest/gtest.h>

#include <cmath>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/state.h"
#include "symbologies/code39.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

// ISO/IEC 16388: each character's nine elements, bar first, n narrow and w wide.
const std::map<char, std::string> kPublished = {
    {'0', "nnnwwnwnn"}, {'1', "wnnwnnnnw"}, {'2', "nnwwnnnnw"}, {'3', "wnwwnnnnn"}, {'4', "nnnwwnnnw"},
    {'5', "wnnwwnnnn"}, {'6', "nnwwwnnnn"}, {'7', "nnnwnnwnw"}, {'8', "wnnwnnwnn"}, {'9', "nnwwnnwnn"},
    {'A', "wnnnnwnnw"}, {'B', "nnwnnwnnw"}, {'C', "wnwnnwnnn"}, {'D', "nnnnwwnnw"}, {'E', "wnnnwwnnn"},
    {'F', "nnwnwwnnn"}, {'G', "nnnnnwwnw"}, {'H', "wnnnnwwnn"}, {'I', "nnwnnwwnn"}, {'J', "nnnnwwwnn"},
    {'K', "wnnnnnnww"}, {'L', "nnwnnnnww"}, {'M', "wnwnnnnwn"}, {'N', "nnnnwnnww"}, {'O', "wnnnwnnwn"},
    {'P', "nnwnwnnwn"}, {'Q', "nnnnnnwww"}, {'R', "wnnnnnwwn"}, {'S', "nnwnnnwwn"}, {'T', "nnnnwnwwn"},
    {'U', "wwnnnnnnw"}, {'V', "nwwnnnnnw"}, {'W', "wwwnnnnnn"}, {'X', "nwnnwnnnw"}, {'Y', "wwnnwnnnn"},
    {'Z', "nwwnwnnnn"}, {'-', "nwnnnnwnw"}, {'.', "wwnnnnwnn"}, {' ', "nwwnnnwnn"}, {'*', "nwnnwnwnn"},
    {'$', "nwnwnwnnn"}, {'/', "nwnwnnnwn"}, {'+', "nwnnnwnwn"}, {'%', "nnnwnwnwn"},
};

// The standard's check values: digits, letters, then - . space $ / + %.
const std::string kValues = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

std::string withCheck(const std::string& s) {
    int sum = 0;
    for (char c : s) sum += static_cast<int>(kValues.find(c));
    return s + kValues[static_cast<size_t>(sum % 43)];
}

void setUp(TZorvik& z, const std::string& caption, bool check, TDensity density = TDensity::High) {
    TCode& c = *z.Code();
    c.SetCode(TBarCodeType::Code_39);
    c.SetCtrlChar(check);
    c.SetCaption(caption);
    c.SetDensity(density);
}

// Widths of the runs of equal colour in one row, from column `from`.
std::vector<int> runs(const RasterCanvas& img, int y, int from, int count) {
    std::vector<int> out;
    int x = from;
    while (static_cast<int>(out.size()) < count && x < img.width()) {
        const uint32_t p = img.pixel(x, y);
        int n = 0;
        while (x < img.width() && img.pixel(x, y) == p) ++x, ++n;
        out.push_back(n);
    }
    return out;
}

TEST(Code39, TableMatchesThePublishedCharacterSet) {
    ASSERT_EQ(Bar39Char.size(), kPublished.size());
    for (size_t row = 0; row < Bar39Char.size(); ++row) {
        std::string nw;
        for (uint8_t e : BarMap39[row]) nw += e ? 'w' : 'n';
        EXPECT_EQ(nw, kPublished.at(Bar39Char[row])) << "row " << row << " '" << Bar39Char[row] << "'";
    }
}

TEST(Code39, CheckCharacterExamples) {
    struct Case {
        std::string caption, expected;
    } cases[] = {{"CODE39", "CODE39W"}, {"$", "$$"}, {"%", "%%"}, {"A", "AA"}, {"", "0"}, {"-. $/+%", "-. $/+%F"}};
    for (const auto& c : cases) EXPECT_EQ(Check39(c.caption), c.expected) << c.caption;
    for (const char* s : {"HELLO WORLD", "Z9", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"})
        EXPECT_EQ(Check39(s), withCheck(s)) << s;
}

TEST(Code39, ValueAndRowMappings) {
    struct Case {
        int in, value, row;
    } cases[] = {{'0', 0, 0}, {'9', 9, 9}, {'A', 10, 10}, {'Z', 35, 35}, {'-', 36, 36}, {'.', 37, 37},
                 {' ', 38, 38}, {'$', 39, 40}, {'/', 40, 41}, {'+', 41, 42}, {'%', 42, 43}, {'*', 47, 39},
                 {'a', 'a', 'a'}, {'#', '#', '#'}};
    for (const auto& c : cases) {
        int v = c.in, r = c.in;
        CharValue(v);
        Char39Index(r);
        EXPECT_EQ(v, c.value) << char(c.in);
        EXPECT_EQ(r, c.row) << char(c.in);
    }
}

TEST(Code39, EveryCharacterIsDrawnWithWideElementsOfThreeModulesAtEveryDensity) {
    for (TDensity d : {TDensity::High, TDensity::Medium, TDensity::Low}) {
        const int mw = ord(d) + 1;
        for (const auto& [ch, pattern] : kPublished) {
            if (ch == '*') continue;
            test::Hosted h;
            setUp(*h.control, std::string(1, ch), false, d);
            ASSERT_TRUE(h.settle());
            auto img = test::renderToRaster(*h.control);
            // The start character and its gap, then the caption's character and its gap:
            // bars and spaces alternate, so every element and every gap is a run of its own.
            const std::vector<int> got = runs(*img, 5, 10 * mw, 20);
            std::vector<int> expected;
            for (const std::string& p : {kPublished.at('*'), pattern}) {
                for (char e : p) expected.push_back((e == 'w' ? 3 : 1) * mw);
                expected.push_back(mw);
            }
            EXPECT_EQ(got, expected) << "'" << ch << "' at density " << mw;
        }
    }
}

TEST(Code39, TextLineAndItsPositions) {
    struct Case {
        const char* name;
        TDirection dir;
        TAlignment align;
        TDensity density;
        bool show;
        std::vector<std::tuple<int, int, std::string>> calls;  // x, y, text
    };
    // X = 5, Y = 7; CODE39 with its check character W: 9 characters, N = 144.
    // Horizontal: H = 50, TextH = 5 x MW + 11. Vertical: W = 100, H = (144 + 20) x MW.
    std::vector<Case> cases = {
        {"left, check hidden", TDirection::Horizontal, TAlignment::txLeft, TDensity::High, false, {{15, 41, "CODE39"}}},
        {"left, check shown", TDirection::Horizontal, TAlignment::txLeft, TDensity::High, true, {{15, 41, "CODE39W"}}},
        {"left, medium", TDirection::Horizontal, TAlignment::txLeft, TDensity::Medium, false, {{25, 36, "CODE39"}}},
        {"density", TDirection::Horizontal, TAlignment::txDensity, TDensity::High, true,
         {{35, 41, "C"}, {51, 41, "O"}, {67, 41, "D"}, {83, 41, "E"}, {99, 41, "3"}, {115, 41, "9"}, {131, 41, "W"}}},
        {"density, medium", TDirection::Horizontal, TAlignment::txDensity, TDensity::Medium, false,
         {{65, 36, "C"}, {97, 36, "O"}, {129, 36, "D"}, {161, 36, "E"}, {193, 36, "3"}, {225, 36, "9"}}},
        {"vertical left", TDirection::Vertical, TAlignment::txLeft, TDensity::High, false, {{89, 161, "CODE39"}}},
        {"vertical density", TDirection::Vertical, TAlignment::txDensity, TDensity::High, false,
         {{89, 141, "C"}, {89, 125, "O"}, {89, 109, "D"}, {89, 93, "E"}, {89, 77, "3"}, {89, 61, "9"}}},
    };
    for (const auto& c : cases) {
        TZorvik z(nullptr);
        setUp(z, "CODE39", true, c.density);
        z.Code()->SetDirection(c.dir);
        z.Code()->SetAlignment(c.align);
        z.Code()->SetShowCtrlsChars(c.show);
        RecordingCanvas r;
        z.DrawBarCode(&r, 5, 7, 1);
        const auto texts = r.textCalls();
        ASSERT_EQ(texts.size(), c.calls.size()) << c.name;
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(texts[i].x, std::get<0>(c.calls[i])) << c.name << " #" << i;
            EXPECT_EQ(texts[i].y, std::get<1>(c.calls[i])) << c.name << " #" << i;
            EXPECT_EQ(texts[i].text, std::get<2>(c.calls[i])) << c.name << " #" << i;
            EXPECT_STREQ(texts[i].font.lfFaceName, "Arial");
            EXPECT_EQ(texts[i].font.lfEscapement, c.dir == TDirection::Vertical ? 900 : 0) << c.name;
            EXPECT_EQ(texts[i].brushColor, clWhite);
            EXPECT_EQ(texts[i].bkMode, OPAQUE);
        }
    }
}

TEST(Code39, WithoutCheckCharactersTheTextIsTheCaption) {
    TZorvik z(nullptr);
    setUp(z, "AB-1", false);
    z.Code()->SetShowCtrlsChars(true);
    RecordingCanvas r;
    z.DrawBarCode(&r, 0, 0, 1);
    ASSERT_EQ(r.textCalls().size(), 1u);
    EXPECT_EQ(r.textCalls()[0].text, "AB-1");
    EXPECT_EQ(BarCodeWidth, 16 * 6 + 20);
}

TEST(Code39, BarsEndAtTheTextBand) {
    TZorvik z(nullptr);
    setUp(z, "A", true);
    auto img = test::renderToRaster(z);
    // Y + 2 down to Y + H - TextH - 1: rows 2..33 for H = 50, TextH = 16.
    const std::string column = test::columnOf(*img, 10);
    EXPECT_EQ(column.substr(0, 36), "001111111111111111111111111111111100");
}

TEST(Code39, TransparentSymbolsPaintNoSpaceOrGap) {
    TZorvik z(nullptr);
    setUp(z, "AB", true);
    z.Code()->SetTransparent(true);
    z.Code()->SetTextOn(false);
    auto img = test::renderToRaster(z);
    for (int x = 0; x < img->width(); ++x)
        for (int y = 0; y < img->height(); ++y)
            if (img->alphaAt(x, y) != 0) {
                ASSERT_EQ(img->colorAt(x, y), clBlack) << x << "," << y;
            }
    // The bars are all there: 5 characters of 5 bars each.
    int bars = 0;
    const std::string row = test::rowOf(*img, 5);
    for (size_t i = 0; i < row.size(); ++i) bars += row[i] == '1' && (i == 0 || row[i - 1] == '0');
    EXPECT_EQ(bars, 25);
}

TEST(Code39, StretchedSymbolsKeepTheirProportions) {
    // *ABC + check + * lays 6 x 16 - 1 = 95 modules; with 20 of quiet zone a
    // stretched symbol gets Width / 115 pixels a module, whole pixels below 3,
    // and starts 10 of them in.
    for (int width : {300, 400}) {
        TZorvik z(nullptr);
        setUp(z, "ABC", true);
        z.Code()->SetAutoSize(false);
        z.SetWidth(width);
        float step = static_cast<float>(width / 115.0);
        if (step < 3) step = std::floor(step);
        const int start = roundHalfEven(10.0 * step);
        auto img = test::renderToRaster(z);
        const std::vector<int> got = runs(*img, 5, start, 10);
        // The start character: bar 1, space 3, bar 1, space 1, bar 3, space 1,
        // bar 3, space 1, bar 1, gap 1 module.
        const int modules[] = {1, 3, 1, 1, 3, 1, 3, 1, 1, 1};
        float real = static_cast<float>(start);
        int at = start;
        EXPECT_EQ(img->colorAt(start - 1, 5), clWhite) << width;
        for (int i = 0; i < 10; ++i) {
            real = static_cast<float>(static_cast<double>(real) + modules[i] * static_cast<double>(step));
            const int next = roundHalfEven(real);
            EXPECT_EQ(got[static_cast<size_t>(i)], next - at) << width << ' ' << i;
            at = next;
        }
    }
}

std::vector<std::string> roundTripCaptions() {
    std::vector<std::string> captions = {"0123456789", "ABCDEFGHIJKLM", "NOPQRSTUVWXYZ", "-. $/+%", "A", "CODE39"};
    std::mt19937 rng(39);
    std::uniform_int_distribution<size_t> pick(0, kValues.size() - 1), length(1, 12);
    for (int i = 0; i < 6; ++i) {
        std::string s;
        for (size_t n = length(rng); n > 0; --n) s += kValues[pick(rng)];
        captions.push_back(s);
    }
    return captions;
}

// Settles a control with the caption; Length > 0 stretches it to that many
// pixels along the symbol.
std::unique_ptr<RasterCanvas> settled(test::Hosted& h, const std::string& caption, bool check, TDirection dir,
                                      TDensity density, int length) {
    setUp(*h.control, caption, check, density);
    h.control->Code()->SetDirection(dir);
    if (length > 0) {
        h.control->Code()->SetAutoSize(false);
        if (dir == TDirection::Horizontal) {
            h.control->SetWidth(length);
        } else {
            h.control->SetHeight(length);
            h.control->SetWidth(60);
        }
    }
    if (!h.settle()) return nullptr;
    auto img = test::renderToRaster(*h.control);
    EXPECT_EQ(img->width(), h.control->Width());
    EXPECT_EQ(img->height(), h.control->Height());
    return img;
}

int modulesOf(const std::string& caption, bool check) {
    return 16 * (static_cast<int>(caption.size()) + (check ? 3 : 2));
}

TEST(Code39, RoundTripThroughZxing) {
    // Sized to the symbol, and stretched to exactly two pixels per module: the
    // elements keep their 1:3 ratio exactly.
    int cases = 0;
    for (const auto& caption : roundTripCaptions())
        for (bool check : {true, false})
            for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical})
                for (TDensity density : {TDensity::High, TDensity::Medium, TDensity::Low})
                    for (bool stretched : {false, true}) {
                        test::Hosted h;
                        const int length = stretched ? 2 * modulesOf(caption, check) + 20 * (ord(density) + 1) : 0;
                        auto img = settled(h, caption, check, dir, density, length);
                        ASSERT_TRUE(img);
                        const auto d = test::decode(*img, ZXing::BarcodeFormat::Code39);
                        const std::string expected = check ? withCheck(caption) : caption;
                        EXPECT_TRUE(d.ok && d.text == expected)
                            << "'" << caption << "' check " << check << " " << identOf(dir) << " " << identOf(density)
                            << (stretched ? " stretched" : "") << ": got '" << d.text << "'";
                        ++cases;
                    }
    EXPECT_EQ(cases, 12 * 2 * 2 * 3 * 2);
}

TEST(Code39, StretchedToManySizesZbarReadsThem) {
    // Random control lengths from 1.3 to 5 times the symbol's own: the settle
    // loop picks the module width, the elements tile in proportion.
    const std::string dir = test::scratchDir("code39-stretched");
    std::mt19937 rng(1639);
    std::uniform_real_distribution<double> factor(1.3, 5.0);
    const auto captions = roundTripCaptions();
    int i = 0;
    for (const auto& caption : captions)
        for (TDirection d : {TDirection::Horizontal, TDirection::Vertical})
            for (TDensity density : {TDensity::High, TDensity::Medium, TDensity::Low}) {
                test::Hosted h;
                const bool check = i % 2 == 0;
                const int length = static_cast<int>((modulesOf(caption, check) + 20) * factor(rng));
                auto img = settled(h, caption, check, d, density, length);
                ASSERT_TRUE(img);
                const auto lines = test::zbarDecode(test::writePaddedPng(*img, dir + "/" + std::to_string(i++) + ".png"));
                const std::string expected = "CODE-39:" + (check ? withCheck(caption) : caption);
                EXPECT_TRUE(lines.size() == 1 && lines[0] == expected)
                    << "'" << caption << "' " << identOf(d) << " length " << length << " step " << StepXReal
                    << ": got " << (lines.empty() ? "nothing" : lines[0]);
            }
}

TEST(Code39, ZbarReadsBothDirectionsAtEveryDensity) {
    const std::string dir = test::scratchDir("code39-zbar");
    int i = 0;
    for (TDirection d : {TDirection::Horizontal, TDirection::Vertical})
        for (TDensity density : {TDensity::High, TDensity::Medium, TDensity::Low}) {
            test::Hosted h;
            auto img = settled(h, "ZORVIK-39", true, d, density, 0);
            ASSERT_TRUE(img);
            const auto lines = test::zbarDecode(test::writePaddedPng(*img, dir + "/" + std::to_string(i++) + ".png"));
            ASSERT_EQ(lines.size(), 1u) << identOf(d) << " " << identOf(density);
            EXPECT_EQ(lines[0], "CODE-39:" + withCheck("ZORVIK-39"));
        }
}

}  // namespace
}  // namespace zorvik
