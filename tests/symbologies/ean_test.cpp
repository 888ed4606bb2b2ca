#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "control/zorvik.h"
#include "engine/state.h"
#include "symbologies/ean.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

// ---------------------------------------------------------------------------
// The published EAN/UPC encodation (ISO/IEC 15420 and the GS1 standards),
// written out here independently of the tables under test.

// Number sets A, B and C, 1 = dark module.
const std::array<std::string, 10> kSetA{"0001101", "0011001", "0010011", "0111101", "0100011",
                                        "0110001", "0101111", "0111011", "0110111", "0001011"};
const std::array<std::string, 10> kSetB{"0100111", "0110011", "0011011", "0100001", "0011101",
                                        "0111001", "0000101", "0010001", "0001001", "0010111"};
const std::array<std::string, 10> kSetC{"1110010", "1100110", "1101100", "1000010", "1011100",
                                        "1001110", "1010000", "1000100", "1001000", "1110100"};
// Sets of EAN-13 digits 2 to 7 by the leading digit.
const std::array<std::string, 10> kLeadingParity{"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                                 "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
// Sets of the five add-on digits by the add-on checksum.
const std::array<std::string, 10> kAddOn5Parity{"BBAAA", "BABAA", "BAABA", "BAAAB", "ABBAA",
                                                "AABBA", "AAABB", "ABABA", "ABAAB", "AABAB"};

int digit(char c) {
    return c - '0';
}

const std::string& inSet(char set, char d) {
    return set == 'A'   ? kSetA[static_cast<size_t>(digit(d))]
           : set == 'B' ? kSetB[static_cast<size_t>(digit(d))]
                        : kSetC[static_cast<size_t>(digit(d))];
}

// GS1 modulo-10 check digit: weights 3, 1, 3, ... from the rightmost data digit.
char gs1Check(const std::string& data) {
    int sum = 0, weight = 3;
    for (auto it = data.rbegin(); it != data.rend(); ++it, weight = 4 - weight) sum += weight * digit(*it);
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// A symbol as modules plus, per module, what kind of element it belongs to:
// 'g' long bars (guards, UPC-A outer digits), 'd' data, 'a' add-on, '-' gap.
struct Modules {
    std::string bars;
    std::string kind;
    void add(const std::string& m, char k) {
        bars += m;
        kind += std::string(m.size(), k);
    }
};

Modules ean13(const std::string& d13) {
    Modules m;
    m.add("101", 'g');
    for (size_t k = 1; k <= 6; ++k)
        m.add(inSet(kLeadingParity[static_cast<size_t>(digit(d13[0]))][k - 1], d13[k]), 'd');
    m.add("01010", 'g');
    for (size_t k = 7; k <= 12; ++k) m.add(inSet('C', d13[k]), 'd');
    m.add("101", 'g');
    return m;
}

Modules upca(const std::string& d12) {
    Modules m;
    m.add("101", 'g');
    for (size_t k = 0; k < 6; ++k) m.add(inSet('A', d12[k]), k == 0 ? 'g' : 'd');
    m.add("01010", 'g');
    for (size_t k = 6; k < 12; ++k) m.add(inSet('C', d12[k]), k == 11 ? 'g' : 'd');
    m.add("101", 'g');
    return m;
}

Modules ean8(const std::string& d8) {
    Modules m;
    m.add("101", 'g');
    for (size_t k = 0; k < 4; ++k) m.add(inSet('A', d8[k]), 'd');
    m.add("01010", 'g');
    for (size_t k = 4; k < 8; ++k) m.add(inSet('C', d8[k]), 'd');
    m.add("101", 'g');
    return m;
}

// The add-on's number sets: 2 digits by their value mod 4, 5 by their checksum.
std::string addOnSets(const std::string& a) {
    if (a.size() == 2) {
        static const std::array<std::string, 4> kTwo{"AA", "AB", "BA", "BB"};
        return kTwo[static_cast<size_t>((digit(a[0]) * 10 + digit(a[1])) % 4)];
    }
    const int sum = 3 * (digit(a[0]) + digit(a[2]) + digit(a[4])) + 9 * (digit(a[1]) + digit(a[3]));
    return kAddOn5Parity[static_cast<size_t>(sum % 10)];
}

// EAN-13, the 8-module gap, then the add-on: start 1011, digits separated by 01.
Modules withAddOn(const std::string& d13, const std::string& a) {
    Modules m = ean13(d13);
    m.add(std::string(8, '0'), '-');
    m.add("1011", 'a');
    const std::string sets = addOnSets(a);
    for (size_t i = 0; i < a.size(); ++i) {
        if (i > 0) m.add("01", 'a');
        m.add(inSet(sets[i], a[i]), 'a');
    }
    return m;
}

// The modules a caption of each member must produce.
Modules symbolFor(TBarCodeType s, const std::string& caption) {
    switch (s) {
        case TBarCodeType::UPC_A:
            return upca(caption + gs1Check(caption));
        case TBarCodeType::EAN_8:
            return ean8(caption + gs1Check(caption));
        case TBarCodeType::EAN_13_2AddOn:
        case TBarCodeType::EAN_13_5AddOn: {
            const std::string main = caption.substr(0, 12);
            return withAddOn(main + gs1Check(main), caption.substr(12));
        }
        default:
            return ean13(caption + gs1Check(caption));
    }
}

// ---------------------------------------------------------------------------
// Helpers

std::unique_ptr<TZorvik> control(TBarCodeType s, const std::string& caption, TDirection dir = TDirection::Horizontal) {
    auto z = std::make_unique<TZorvik>(nullptr);
    z->Code()->SetCode(s);
    z->Code()->SetCaption(caption);
    z->Code()->SetDirection(dir);
    return z;
}

// One DrawBarCode at (0, 0) onto a grid of the reported size.
std::unique_ptr<RecordingCanvas> drawOnGrid(TZorvik& z) {
    RecordingCanvas probe;
    z.DrawBarCode(&probe, 0, 0, 1);
    auto grid = std::make_unique<RecordingCanvas>(BarCodeWidth, BarCodeHeight);
    z.DrawBarCode(grid.get(), 0, 0, 1);
    return grid;
}

// The pixels along the reading direction ('1' bar colour) at Across: left to
// right, or bottom to top for a vertical symbol.
std::string along(const RecordingCanvas& g, TDirection dir, int across) {
    if (dir == TDirection::Horizontal) return test::rowOf(g, across);
    std::string s = test::columnOf(g, across);
    std::reverse(s.begin(), s.end());
    return s;
}

// The pixels across the symbol at reading position P (as along() counts).
std::string acrossAt(const RecordingCanvas& g, TDirection dir, int p) {
    return dir == TDirection::Horizontal ? test::columnOf(g, p) : test::rowOf(g, g.gridHeight() - 1 - p);
}

std::string run(int from, int length, int total) {
    std::string s(static_cast<size_t>(total), '0');
    for (int i = std::max(0, from); i < std::min(total, from + length); ++i) s[static_cast<size_t>(i)] = '1';
    return s;
}

struct TextAt {
    int x, y;
    std::string text;
    friend bool operator==(const TextAt&, const TextAt&) = default;
};

std::ostream& operator<<(std::ostream& os, const TextAt& t) {
    return os << '(' << t.x << ',' << t.y << ' ' << t.text << ')';
}

std::vector<TextAt> texts(const RecordingCanvas& r) {
    std::vector<TextAt> out;
    for (const auto& c : r.textCalls()) out.push_back({c.x, c.y, c.text});
    return out;
}

// Text of Digits, one call each, along a fixed across position from positions
// Anchor + i * Pitch.
void addGroup(std::vector<TextAt>& out, TDirection dir, int across, int anchor, int pitch, const std::string& digits) {
    for (size_t i = 0; i < digits.size(); ++i) {
        const int a = anchor + static_cast<int>(i) * pitch;
        out.push_back(dir == TDirection::Horizontal ? TextAt{a, across, digits.substr(i, 1)}
                                                    : TextAt{across, a, digits.substr(i, 1)});
    }
}

constexpr TBarCodeType kMembers[] = {TBarCodeType::EAN_13, TBarCodeType::UPC_A, TBarCodeType::EAN_8,
                                     TBarCodeType::EAN_13_2AddOn, TBarCodeType::EAN_13_5AddOn};

// Digits written: the whole EAN/UPC number, then the add-on.
size_t textCount(TBarCodeType s) {
    switch (s) {
        case TBarCodeType::UPC_A:
            return 12;
        case TBarCodeType::EAN_8:
            return 8;
        case TBarCodeType::EAN_13_2AddOn:
            return 15;
        case TBarCodeType::EAN_13_5AddOn:
            return 18;
        default:
            return 13;
    }
}

std::string sampleCaption(TBarCodeType s) {
    switch (s) {
        case TBarCodeType::UPC_A:
            return "03600029145";
        case TBarCodeType::EAN_8:
            return "9638507";
        case TBarCodeType::EAN_13_2AddOn:
            return "40063813339312";
        case TBarCodeType::EAN_13_5AddOn:
            return "40063813339352495";
        default:
            return "400638133393";
    }
}

// ---------------------------------------------------------------------------
// Check digits

TEST(EanCheckDigits, PublishedExamples) {
    struct Case {
        const char* what;
        std::string (*check)(std::string);
        std::string data, expected;
    } cases[] = {
        {"EAN-13", CheckEAN13, "400638133393", "4006381333931"},
        {"EAN-13 reads only 12 characters", CheckEAN13, "4006381333939", "40063813339391"},
        {"EAN-13 of zeros", CheckEAN13, "000000000000", "0000000000000"},
        {"EAN-8", CheckEAN8, "9638507", "96385074"},
        {"EAN-8, weighted sum 60", CheckEAN8, "1234567", "12345670"},
        {"EAN-8, weighted sum 135", CheckEAN8, "9999999", "99999995"},
        // 3 x (1+3+5+7+9+1+3) + (2+4+6+8+0+2) = 109: all 13 weighed.
        {"weights all of 13 digits", CheckEAN8, "1234567890123", "12345678901231"},
        // Weights from the left: 3 x (1+3) + (2+4) = 18.
        {"even length, weights from the left", CheckEAN8, "1234", "12342"},
        {"UPC-A", CheckUPCA, "03600029145", "036000291452"},
        {"UPC-A of zeros: one check character", CheckUPCA, "00000000000", "000000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.check(c.data), c.expected) << c.what;
}

TEST(EanCheckDigits, AgreeWithTheModulo10RuleOnRandomData) {
    std::mt19937 rng(15420);
    std::uniform_int_distribution<int> d(0, 9);
    auto digits = [&](size_t n) {
        std::string s;
        for (size_t i = 0; i < n; ++i) s += static_cast<char>('0' + d(rng));
        return s;
    };
    for (int i = 0; i < 200; ++i) {
        const std::string d12 = digits(12), d7 = digits(7), d11 = digits(11), odd = digits(2 * (i % 8) + 1);
        EXPECT_EQ(CheckEAN13(d12), d12 + gs1Check(d12));
        EXPECT_EQ(CheckEAN8(d7), d7 + gs1Check(d7));
        EXPECT_EQ(CheckUPCA(d11), d11 + gs1Check(d11));
        // Odd lengths (Interleaved 2 of 5) end on weight 3 from either side.
        EXPECT_EQ(CheckEAN8(odd), odd + gs1Check(odd));
    }
}

TEST(EanCheckDigits, NonDigitsStillGiveOneDigit) {
    // A sign, point or exponent letter never reaches these through the
    // pipeline; called directly they still append exactly one digit.
    for (const std::string data : {"+12345.", "1e34567", "-1234567890"}) {
        for (auto check : {CheckEAN8, CheckUPCA, CheckEAN13}) {
            const std::string out = check(data);
            ASSERT_EQ(out.size(), data.size() + 1) << data;
            EXPECT_TRUE(out.back() >= '0' && out.back() <= '9') << data;
        }
    }
    EXPECT_EQ(CheckEAN13("40063813339-"), "40063813339-0");  // '-' counts as 0: sum 80, check 0
}

// ---------------------------------------------------------------------------
// Tables and the digit drawing

struct DigitDraw {
    TZorvik z{nullptr};
    RecordingCanvas grid{7, 1};

    // One digit at column 0, one pixel per module.
    std::string draw(bool eight, char selector) {
        grid.clear();
        CurX = 0;
        CurY = 0;
        CurXReal = 0;
        StepXReal = 1;
        ModulWidth = 1;
        ModulHeight = 1;
        if (eight)
            z.Out_char8(&grid, TDirection::Horizontal, selector);
        else
            z.Out_char(&grid, TDirection::Horizontal, selector);
        return test::rowOf(grid, 0);
    }
};

TEST(EanTables, OutCharDrawsThePublishedNumberSets) {
    DigitDraw d;
    for (int v = 0; v < 10; ++v) {
        const char c = static_cast<char>('0' + v);
        EXPECT_EQ(d.draw(false, c), kSetC[v]) << "patern set C " << v;
        EXPECT_EQ(d.draw(false, static_cast<char>(c + 10)), kSetB[v]) << "patern set B " << v;
        EXPECT_EQ(d.draw(false, static_cast<char>(c + 20)), kSetA[v]) << "patern set A " << v;
        EXPECT_EQ(d.draw(true, c), kSetA[v]) << "patern8 set A " << v;
        EXPECT_EQ(d.draw(true, static_cast<char>(c + 10)), kSetC[v]) << "patern8 set C " << v;
    }
    EXPECT_EQ(d.draw(false, ':'), "0100111");
    EXPECT_EQ(d.draw(true, ':'), "1110010");
}

TEST(EanTables, ParityTablesAreThePublishedOnes) {
    for (size_t d = 0; d < 10; ++d) {
        for (size_t k = 0; k < 6; ++k) EXPECT_EQ(Sada[d][k], kLeadingParity[d][k] == 'B' ? 1 : 0) << d << ' ' << k;
        for (size_t i = 0; i < 5; ++i) EXPECT_EQ(Add5Matr[d][i], kAddOn5Parity[d][i] == 'B' ? 10 : 20) << d << ' ' << i;
    }
}

TEST(EanTables, EveryDigitAdvancesSevenModules) {
    TZorvik z(nullptr);
    RecordingCanvas r;
    // Characters outside the tables included: they must not be read.
    const std::string selectors = std::string("09:CDM") + "/N" + '\0' + static_cast<char>(200);
    for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical}) {
        for (bool eight : {false, true}) {
            for (char sel : selectors) {
                CurX = CurY = 100;
                CurXReal = 100.0f;
                StepXReal = 1.25f;
                ModulWidth = 1;
                ModulHeight = 5;
                if (eight)
                    z.Out_char8(&r, dir, sel);
                else
                    z.Out_char(&r, dir, sel);
                const float expected = dir == TDirection::Horizontal ? 108.75f : 91.25f;
                EXPECT_FLOAT_EQ(CurXReal, expected) << int(sel);
                EXPECT_EQ(dir == TDirection::Horizontal ? CurX : CurY, dir == TDirection::Horizontal ? 109 : 91)
                    << int(sel);
            }
        }
    }
}

TEST(EanTables, CharactersOutsideTheTablesDrawNoBars) {
    DigitDraw d;
    for (char sel : {'/', 'N', '\0', static_cast<char>(200), '-', '.', 'e'}) {
        EXPECT_EQ(d.draw(false, sel), "0000000") << int(sel);
        EXPECT_EQ(d.draw(true, sel), "0000000") << int(sel);
    }
    EXPECT_EQ(d.draw(true, 'D'), "0000000");  // patern8 has 20 rows only
}

// ---------------------------------------------------------------------------
// Layouts, one pixel per module, origin (0, 0)

struct LayoutCase {
    const char* name;
    TBarCodeType s;
    TDirection dir;
    std::string caption;
    // Expected text, given the across position of the main digits and the
    // symbol area's height.
    std::vector<TextAt> (*text)(int mainAcross, int areaHeight);
};

std::vector<TextAt> ean13Horizontal(int y, int) {
    std::vector<TextAt> t{{0, y, "4"}};
    addGroup(t, TDirection::Horizontal, y, 17, 7, "006381");
    addGroup(t, TDirection::Horizontal, y, 60, 7, "333931");
    return t;
}

std::vector<TextAt> upcaHorizontal(int y, int) {
    std::vector<TextAt> t{{1, y, "0"}};
    addGroup(t, TDirection::Horizontal, y, 20, 7, "36000");
    addGroup(t, TDirection::Horizontal, y, 60, 7, "29145");
    t.push_back({110, y, "2"});
    return t;
}

std::vector<TextAt> ean8Horizontal(int y, int) {
    std::vector<TextAt> t;
    addGroup(t, TDirection::Horizontal, y, 13, 7, "9638");
    addGroup(t, TDirection::Horizontal, y, 46, 7, "5074");
    return t;
}

// Main digits as EAN-13 but the left group from 13, then the add-on at y = 0.
std::vector<TextAt> addOnHorizontal(int y, const std::string& addOn) {
    std::vector<TextAt> t{{0, y, "4"}};
    addGroup(t, TDirection::Horizontal, y, 13, 7, "006381");
    addGroup(t, TDirection::Horizontal, y, 60, 7, "333931");
    addGroup(t, TDirection::Horizontal, 0, 117, 7, addOn);
    return t;
}

// Vertical: the first digit at y = H, groups running upward from the first
// module of each half, the add-on digits at x = 0.
std::vector<TextAt> ean13Vertical(int x, int h) {
    std::vector<TextAt> t{{x, h, "4"}};
    const int start = h - 10;
    addGroup(t, TDirection::Vertical, x, start - 3, -7, "006381");
    addGroup(t, TDirection::Vertical, x, start - 50, -7, "333931");
    return t;
}

std::vector<TextAt> upcaVertical(int x, int h) {
    std::vector<TextAt> t{{x, h, "0"}};
    const int start = h - 10;
    addGroup(t, TDirection::Vertical, x, start - 10, -7, "36000");
    addGroup(t, TDirection::Vertical, x, start - 50, -7, "29145");
    t.push_back({x, start - 95 - 5, "2"});
    return t;
}

std::vector<TextAt> ean8Vertical(int x, int h) {
    std::vector<TextAt> t;
    const int start = h - 10;
    addGroup(t, TDirection::Vertical, x, start - 3, -7, "9638");
    addGroup(t, TDirection::Vertical, x, start - 36, -7, "5074");
    return t;
}

std::vector<TextAt> addOnVertical(int x, int h, const std::string& addOn) {
    std::vector<TextAt> t = ean13Vertical(x, h);
    addGroup(t, TDirection::Vertical, 0, h - 10 - 95 - 8 - 4, -7, addOn);
    return t;
}

const LayoutCase kLayouts[] = {
    {"EAN-13", TBarCodeType::EAN_13, TDirection::Horizontal, "400638133393", ean13Horizontal},
    {"UPC-A", TBarCodeType::UPC_A, TDirection::Horizontal, "03600029145", upcaHorizontal},
    {"EAN-8", TBarCodeType::EAN_8, TDirection::Horizontal, "9638507", ean8Horizontal},
    {"EAN-13 + 2", TBarCodeType::EAN_13_2AddOn, TDirection::Horizontal, "40063813339312",
     [](int y, int) { return addOnHorizontal(y, "12"); }},
    {"EAN-13 + 5", TBarCodeType::EAN_13_5AddOn, TDirection::Horizontal, "40063813339352495",
     [](int y, int) { return addOnHorizontal(y, "52495"); }},
    {"EAN-13 vertical", TBarCodeType::EAN_13, TDirection::Vertical, "400638133393", ean13Vertical},
    {"UPC-A vertical", TBarCodeType::UPC_A, TDirection::Vertical, "03600029145", upcaVertical},
    {"EAN-8 vertical", TBarCodeType::EAN_8, TDirection::Vertical, "9638507", ean8Vertical},
    {"EAN-13 + 2 vertical", TBarCodeType::EAN_13_2AddOn, TDirection::Vertical, "40063813339312",
     [](int x, int h) { return addOnVertical(x, h, "12"); }},
    {"EAN-13 + 5 vertical", TBarCodeType::EAN_13_5AddOn, TDirection::Vertical, "40063813339352495",
     [](int x, int h) { return addOnVertical(x, h, "52495"); }},
};

TEST(EanLayout, BarsAndTextAtOnePixelPerModule) {
    for (const LayoutCase& c : kLayouts) {
        SCOPED_TRACE(c.name);
        auto z = control(c.s, c.caption, c.dir);
        z->Code()->SetAutoSize(true);
        auto grid = drawOnGrid(*z);
        const bool horizontal = c.dir == TDirection::Horizontal;
        const int areaAcross = horizontal ? BarCodeHeight : BarCodeWidth;
        const int areaAlong = horizontal ? BarCodeWidth : BarCodeHeight;
        // Text band: 5 modules plus the character height; bars from 2 pixels in.
        const int textH = 5 - z->Font()->Height();
        const int barH = areaAcross - textH - (c.s == TBarCodeType::EAN_13_2AddOn ? 2 : 1);
        const Modules m = symbolFor(c.s, c.caption);
        // Reading position of the first module: column 10, or the row 10
        // above the bottom edge (the 9 rows below it counted from 0).
        const int first = horizontal ? 10 : 9;

        const std::string line = along(*grid, c.dir, 2 + textH + 2);  // through main and add-on bars
        EXPECT_EQ(line, std::string(static_cast<size_t>(first), '0') + m.bars +
                            std::string(static_cast<size_t>(areaAlong - first) - m.bars.size(), '0'));
        for (size_t i = 0; i < m.bars.size(); ++i) {
            if (m.bars[i] != '1') continue;
            const char k = m.kind[i];
            const std::string profile = acrossAt(*grid, c.dir, first + static_cast<int>(i));
            const std::string expected = k == 'g'   ? run(2, barH + 5, areaAcross)
                                         : k == 'd' ? run(2, barH, areaAcross)
                                                    : run(2 + textH, barH - textH, areaAcross);
            ASSERT_EQ(profile, expected) << "module " << i << " kind " << k;
        }

        const int mainAcross = horizontal ? 2 + barH : 2 + barH + 2;
        EXPECT_EQ(texts(*grid), c.text(mainAcross, BarCodeHeight));
        for (const auto& call : grid->textCalls()) {
            EXPECT_EQ(call.font.lfEscapement, horizontal ? 0 : 900);
            EXPECT_EQ(call.penColor, z->BarColor());
            EXPECT_EQ(call.brushColor, z->BackColor());
            EXPECT_EQ(call.bkMode, OPAQUE);
        }
    }
}

TEST(EanLayout, TextFollowsTheOrigin) {
    struct Case {
        TBarCodeType s;
        TDirection dir;
    } cases[] = {
        {TBarCodeType::EAN_13, TDirection::Horizontal},
        {TBarCodeType::UPC_A, TDirection::Vertical},
        {TBarCodeType::EAN_13_5AddOn, TDirection::Horizontal},
        {TBarCodeType::EAN_13_2AddOn, TDirection::Vertical},
    };
    for (const auto& c : cases) {
        auto z = control(c.s, sampleCaption(c.s), c.dir);
        RecordingCanvas at0, at1;
        z->DrawBarCode(&at0, 0, 0, 1);
        z->DrawBarCode(&at1, 30, 40, 1);
        const auto t0 = texts(at0), t1 = texts(at1);
        ASSERT_EQ(t0.size(), t1.size());
        for (size_t i = 0; i < t0.size(); ++i) {
            EXPECT_EQ(t1[i].x, t0[i].x + 30) << identOf(c.s) << ' ' << i;
            EXPECT_EQ(t1[i].y, t0[i].y + 40) << identOf(c.s) << ' ' << i;
        }
    }
}

TEST(EanLayout, LeadingZeroEan13HasTheBarsOfUpcA) {
    // Same modules; only UPC-A's outer digits have long bars.
    auto ean = control(TBarCodeType::EAN_13, "003600029145");
    auto upc = control(TBarCodeType::UPC_A, "03600029145");
    auto ge = drawOnGrid(*ean);
    auto gu = drawOnGrid(*upc);
    EXPECT_EQ(test::rowOf(*ge, 20).substr(0, 115), test::rowOf(*gu, 20).substr(0, 115));
    // Column 16: the first bar of the number system digit 0 (set A 0001101).
    EXPECT_EQ(test::columnOf(*ge, 16), run(2, 33, 50));
    EXPECT_EQ(test::columnOf(*gu, 16), run(2, 38, 50));
}

// A stretched symbol: every element covers the pixels from its rounded start
// to its rounded end, the running position a 32-bit float advanced element by
// element (the add-on gap is one 8-module advance).
std::string stretchedLine(const std::string& bars, float start, float step, int total) {
    std::string s(static_cast<size_t>(total), '0');
    float pos = start;
    for (size_t i = 0; i < bars.size();) {
        size_t j = i;
        while (j < bars.size() && bars[j] == bars[i]) ++j;
        const float next = static_cast<float>(static_cast<double>(pos) + static_cast<double>(j - i) * step);
        for (long x = std::lrint(pos); x < std::lrint(next); ++x)
            if (bars[i] == '1' && x >= 0 && x < total) s[static_cast<size_t>(x)] = '1';
        pos = next;
        i = j;
    }
    return s;
}

TEST(EanLayout, StretchedBarsTileInProportion) {
    // The step spreads the modules really laid (first bar to last: 95 for
    // EAN-13 and UPC-A, 67 for EAN-8, 95 + 8 + 20 and 95 + 8 + 47 with the
    // add-ons) and 20 of quiet zone over the width; whole pixels below 3.
    struct Case {
        TBarCodeType s;
        std::string caption;
        int width;
        int modules;
    } cases[] = {
        {TBarCodeType::EAN_13, "590123412345", 287, 95},
        {TBarCodeType::EAN_13, "590123412345", 400, 95},
        {TBarCodeType::UPC_A, "01234567890", 201, 95},
        {TBarCodeType::UPC_A, "01234567890", 380, 95},
        {TBarCodeType::EAN_8, "9638507", 200, 67},
        {TBarCodeType::EAN_8, "9638507", 300, 67},
        {TBarCodeType::EAN_13_2AddOn, "59012341234503", 300, 123},
        {TBarCodeType::EAN_13_2AddOn, "59012341234503", 500, 123},
        {TBarCodeType::EAN_13_5AddOn, "59012341234590000", 333, 150},
        {TBarCodeType::EAN_13_5AddOn, "59012341234590000", 600, 150},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(identOf(c.s)) + " " + std::to_string(c.width));
        auto z = control(c.s, c.caption);
        z->Code()->SetAutoSize(false);
        z->SetWidth(c.width);
        z->SetHeight(100);
        RecordingCanvas grid(c.width, 100);
        z->DrawBarCode(&grid, 0, 0, 1);
        float step = static_cast<float>(static_cast<double>(c.width) / (c.modules + 20));
        if (step < 3) step = std::floor(step);
        ASSERT_FLOAT_EQ(StepXReal, step);
        const float start = static_cast<float>(roundHalfEven(10.0 * step));
        EXPECT_EQ(test::rowOf(grid, 50), stretchedLine(symbolFor(c.s, c.caption).bars, start, step, c.width));
    }
}

TEST(EanLayout, EightDigitTextFollowsStretchedBars) {
    // 300 pixels for 67 + 20 modules: step 3.448, from round(34.48) = 34.
    // FirstPos = round(34 + 3 x 3.448) = 44, SecondPos = round(34 + 36 x 3.448)
    // = 158; each digit 7 steps on: 24, 48 and 72 pixels.
    auto z = control(TBarCodeType::EAN_8, "9638507");
    z->Code()->SetAutoSize(false);
    z->SetWidth(300);
    RecordingCanvas r;
    z->DrawBarCode(&r, 0, 0, 1);
    std::vector<int> xs;
    for (const auto& t : texts(r)) xs.push_back(t.x);
    EXPECT_EQ(xs, (std::vector<int>{44, 68, 92, 116, 158, 182, 206, 230}));
}

// ---------------------------------------------------------------------------
// Text state, fonts and the symbol area

TEST(EanText, TextOffLeavesPenBrushAndBackgroundModeAlone) {
    for (TBarCodeType s : kMembers) {
        for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical}) {
            for (bool transparent : {false, true}) {
                auto z = control(s, sampleCaption(s), dir);
                z->Code()->SetTextOn(false);
                z->Code()->SetTransparent(transparent);
                z->SetBackColor(0x00EEDDCC);
                z->SetBarColor(clRed);
                RecordingCanvas r;
                z->DrawBarCode(&r, 0, 0, 1);
                SCOPED_TRACE(std::string(identOf(s)) + (transparent ? " transparent" : ""));
                EXPECT_TRUE(r.textCalls().empty());
                EXPECT_EQ(r.Pen().Color, 0x00EEDDCC);
                EXPECT_EQ(r.Brush().Color, 0x00EEDDCC);
                EXPECT_EQ(r.Brush().Style, TBrushStyle::bsSolid);
                EXPECT_EQ(r.BkMode(), OPAQUE);
                for (const auto& call : r.calls()) EXPECT_NE(call.kind, CanvasCall::Kind::SetBkMode);
            }
        }
    }
}

TEST(EanText, TransparentTextHasNoBackgroundBoxes) {
    for (TBarCodeType s : kMembers) {
        for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical}) {
            auto z = control(s, sampleCaption(s), dir);
            z->Code()->SetTransparent(true);
            z->SetBackColor(0x00EEDDCC);
            z->SetBarColor(clNavy);
            RecordingCanvas r;
            z->DrawBarCode(&r, 0, 0, 1);
            SCOPED_TRACE(identOf(s));
            const auto t = r.textCalls();
            EXPECT_EQ(t.size(), textCount(s));
            for (const auto& call : t) {
                EXPECT_EQ(call.bkMode, TRANSPARENT);
                EXPECT_EQ(call.penColor, clNavy);
            }
            // Nothing at all in the background colour: no spaces, no boxes.
            for (const auto& call : r.calls()) {
                if (call.kind == CanvasCall::Kind::FillRect) {
                    EXPECT_EQ(call.brushColor, clNavy);
                }
            }
        }
    }
}

TEST(EanText, OnlyTheTwoDigitAddOnTakesTheAutosizedFontAtOnce) {
    // TextAutosize rewrites the control's font after the canvas copy: 50 / 8
    // gives -6 while the canvas still has the old -11.
    for (TBarCodeType s : kMembers) {
        auto z = control(s, sampleCaption(s));
        z->Code()->SetTextAutoSize(true);
        RecordingCanvas r;
        const int before = z->Font()->Height();
        z->DrawBarCode(&r, 0, 0, 1);
        ASSERT_EQ(z->Font()->Height(), -6);
        const int expected = s == TBarCodeType::EAN_13_2AddOn ? -6 : before;
        for (const auto& call : r.textCalls()) EXPECT_EQ(call.font.lfHeight, expected) << identOf(s);
    }
}

TEST(EanArea, BarsStayInsideTheSymbolArea) {
    // Without text the band is 5 modules; the guard bars stop at its edge.
    for (TBarCodeType s : kMembers) {
        for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical}) {
            for (bool textOn : {false, true}) {
                for (TDensity density : {TDensity::High, TDensity::Low}) {
                    auto z = control(s, sampleCaption(s), dir);
                    z->Code()->SetTextOn(textOn);
                    z->Code()->SetDensity(density);
                    RecordingCanvas r;
                    z->DrawBarCode(&r, 0, 0, 1);
                    int reach = 0;
                    for (const auto& call : r.calls())
                        if (call.kind == CanvasCall::Kind::FillRect && call.brushColor == clBlack)
                            reach = std::max(reach, dir == TDirection::Horizontal ? call.rect.Bottom : call.rect.Right);
                    const int area = dir == TDirection::Horizontal ? BarCodeHeight : BarCodeWidth;
                    SCOPED_TRACE(std::string(identOf(s)) + ' ' + identOf(dir) + ' ' + identOf(density));
                    if (textOn)
                        EXPECT_LE(reach, area);
                    else
                        EXPECT_EQ(reach, area);
                }
            }
        }
    }
}

TEST(EanArea, AnAddOnWithoutRoomForItsBarsDrawsNoneUpward) {
    // 30 pixels high at Medium: band 10 + 11 = 21, bars 8, add-on bars 8 - 21 < 0.
    auto z = control(TBarCodeType::EAN_13_5AddOn, sampleCaption(TBarCodeType::EAN_13_5AddOn));
    z->Code()->SetDensity(TDensity::Medium);
    z->SetHeight(30);
    RecordingCanvas r;
    z->DrawBarCode(&r, 0, 0, 1);
    const int addOnStart = 2 * (10 + 95 + 8);
    for (const auto& call : r.calls()) {
        if (call.kind == CanvasCall::Kind::FillRect && call.rect.Left >= addOnStart) {
            EXPECT_GE(call.rect.Bottom, call.rect.Top) << call.rect.Left;
        }
    }
}

TEST(EanEncoders, WrongLengthsDrawNothing) {
    TZorvik z(nullptr);
    struct Case {
        void (TZorvik::*print)(TCanvas*, int, int, TDirection, int, std::string, bool, int, int);
        std::vector<std::string> captions;
    } cases[] = {
        {&TZorvik::Print_EAN13, {"40063813339", "4006381333931", ""}},
        {&TZorvik::Print_UPCA, {"0360002914", "036000291452"}},
        {&TZorvik::Print_EAN8, {"963850", "96385074"}},
        {&TZorvik::Print_EAN13_2AddOn, {"4006381333931", "400638133393123"}},
        {&TZorvik::Print_EAN13_5AddOn, {"4006381333935249", "400638133393524951"}},
    };
    for (const auto& c : cases) {
        for (const auto& caption : c.captions) {
            RecordingCanvas r;
            CurX = 10;
            CurXReal = 10;
            (z.*c.print)(&r, 0, 0, TDirection::Horizontal, 30, caption, true, 100, 50);
            EXPECT_TRUE(r.calls().empty()) << caption;
            EXPECT_EQ(CurX, 10) << caption;
        }
    }
}

TEST(EanEncoders, ParityOfTheAddOns) {
    // 2 digits: value mod 4. 5 digits: 3 x (a1 + a3 + a5) + 9 x (a2 + a4) mod 10
    // chooses the row: 52495 gives 141, row 1; 00001 gives 3, row 3.
    struct Case {
        std::string addOn, sets;
    } cases[] = {
        {"12", "AA"}, {"01", "AB"},       {"02", "BA"},       {"03", "BB"},
        {"99", "BB"}, {"52495", "BABAA"}, {"00000", "BBAAA"}, {"00001", "BAAAB"},
    };
    for (const auto& c : cases) {
        const TBarCodeType s = c.addOn.size() == 2 ? TBarCodeType::EAN_13_2AddOn : TBarCodeType::EAN_13_5AddOn;
        auto z = control(s, "400638133393" + c.addOn);
        auto grid = drawOnGrid(*z);
        std::string expected = "1011";
        for (size_t i = 0; i < c.addOn.size(); ++i) expected += (i ? "01" : "") + inSet(c.sets[i], c.addOn[i]);
        EXPECT_EQ(test::rowOf(*grid, 25).substr(113, expected.size()), expected) << c.addOn;
    }
}

// ---------------------------------------------------------------------------
// Round trips through independent decoders

struct Member {
    TBarCodeType s;
    size_t length;  // caption digits
    ZXing::BarcodeFormat format;
    int pixels;  // length of the symbol area at one pixel per module
};

constexpr Member kFamily[] = {
    {TBarCodeType::EAN_13, 12, ZXing::BarcodeFormat::EAN13, 115},
    {TBarCodeType::UPC_A, 11, ZXing::BarcodeFormat::UPCA, 115},
    {TBarCodeType::EAN_8, 7, ZXing::BarcodeFormat::EAN8, 87},
    {TBarCodeType::EAN_13_2AddOn, 14, ZXing::BarcodeFormat::EAN13, 143},
    {TBarCodeType::EAN_13_5AddOn, 17, ZXing::BarcodeFormat::EAN13, 170},
};

// What a reader reports: the data digits with their check digit, and an
// add-on after a space.
std::string expectedText(TBarCodeType s, const std::string& caption) {
    if (s == TBarCodeType::EAN_13_2AddOn || s == TBarCodeType::EAN_13_5AddOn) {
        const std::string main = caption.substr(0, 12);
        return main + gs1Check(main) + ' ' + caption.substr(12);
    }
    return caption + gs1Check(caption);
}

std::string randomDigits(std::mt19937& rng, size_t n) {
    std::uniform_int_distribution<int> d(0, 9);
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>('0' + d(rng));
    return s;
}

TEST(EanRoundTrip, ZxingReadsEveryMemberAutoSizedAndStretched) {
    std::mt19937 rng(2024);
    int symbols = 0;
    for (const Member& m : kFamily) {
        for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical}) {
            for (TDensity density : {TDensity::High, TDensity::Medium, TDensity::Low}) {
                // Auto-sized, then stretched to 1.8, 2.6 and 3.4 times its
                // length at one pixel per module. (Below about two pixels per
                // module whole pixels cannot keep the ratios of bars and
                // spaces, and the decoders give up on many symbols.)
                for (double stretch : {0.0, 1.8, 2.6, 3.4}) {
                    for (int k = 0; k < 3; ++k) {
                        const std::string caption = randomDigits(rng, m.length);
                        test::Hosted h;
                        TZorvik& z = *h.control;
                        z.Code()->SetCode(m.s);
                        z.Code()->SetCaption(caption);
                        z.Code()->SetDirection(dir);
                        z.Code()->SetDensity(density);
                        // Room across for the text band and the add-on's bars.
                        if (dir == TDirection::Horizontal)
                            z.SetHeight(100);
                        else
                            z.SetWidth(100);
                        if (stretch > 0) {
                            const int length = static_cast<int>(stretch * m.pixels);
                            z.Code()->SetAutoSize(false);
                            if (dir == TDirection::Horizontal)
                                z.SetWidth(length);
                            else
                                z.SetHeight(length);
                        }
                        ASSERT_TRUE(h.settle());
                        auto img = test::renderToRaster(z);
                        const auto d = test::decode(*img, m.format);
                        ++symbols;
                        EXPECT_TRUE(d.ok && d.text == expectedText(m.s, caption) && d.format == m.format)
                            << identOf(m.s) << ' ' << identOf(dir) << ' ' << identOf(density) << " stretch " << stretch
                            << " caption " << caption << " read '" << d.text << "' as " << ZXing::ToString(d.format);
                    }
                }
            }
        }
    }
    EXPECT_EQ(symbols, 5 * 2 * 3 * 4 * 3);
}

TEST(EanRoundTrip, ZbarReadsASampleOfEachMember) {
    // zbar names UPC-A only when asked, and reads add-ons only with its
    // EAN-2/EAN-5 decoders enabled, as a second symbol.
    std::mt19937 rng(77);
    const std::string dir = test::scratchDir("ean-zbar");
    int file = 0;
    for (const Member& m : kFamily) {
        for (TDirection direction : {TDirection::Horizontal, TDirection::Vertical}) {
            for (int k = 0; k < 2; ++k) {
                std::string caption = randomDigits(rng, m.length);
                if (m.s != TBarCodeType::UPC_A) caption[0] = static_cast<char>('1' + k);  // not read as UPC-A
                test::Hosted h;
                TZorvik& z = *h.control;
                z.Code()->SetCode(m.s);
                z.Code()->SetCaption(caption);
                z.Code()->SetDirection(direction);
                z.Code()->SetDensity(TDensity::Medium);
                z.SetHeight(100);
                z.SetWidth(100);
                ASSERT_TRUE(h.settle());
                auto img = test::renderToRaster(z);
                const std::string png = test::writePaddedPng(*img, dir + "/" + std::to_string(file++) + ".png");
                std::vector<std::string> expected;
                const std::string text = expectedText(m.s, caption);
                switch (m.s) {
                    case TBarCodeType::UPC_A:
                        expected = {"UPC-A:" + text};
                        break;
                    case TBarCodeType::EAN_8:
                        expected = {"EAN-8:" + text};
                        break;
                    case TBarCodeType::EAN_13:
                        expected = {"EAN-13:" + text};
                        break;
                    default:
                        expected = {(m.s == TBarCodeType::EAN_13_2AddOn ? "EAN-2:" : "EAN-5:") + text.substr(14),
                                    "EAN-13:" + text.substr(0, 13)};
                }
                auto lines = test::zbarDecode(png, "-Supca.enable -Sean2.enable -Sean5.enable");
                std::sort(lines.begin(), lines.end());
                std::sort(expected.begin(), expected.end());
                EXPECT_EQ(lines, expected) << identOf(m.s) << ' ' << identOf(direction) << ' ' << png;
            }
        }
    }
}

}  // namespace
}  // namespace zorvik
