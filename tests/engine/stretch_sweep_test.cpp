// Stretched symbols keep every element in proportion, keep ten steps of quiet
// zone at each end and scan as their data: every symbology, both directions,
// every density, from the symbol's own length to six times it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>

#include "tests/support/support.h"

namespace zorvik {
namespace {

using ZXing::BarcodeFormat;

// GS1 modulo-10 check digit, weights 3 and 1 from the rightmost data digit.
char gs1Check(const std::string& digits) {
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i) sum += (digits[digits.size() - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Codabar: the check character is the sum of all values, start and stop
// included, modulo 16, placed before the stop character.
std::string codabarWithCheck(const std::string& framed) {
    const std::string values = "0123456789-$:/.+ABCD";
    int sum = 0;
    for (char c : framed) sum += static_cast<int>(values.find(c));
    return framed.substr(0, framed.size() - 1) + values[static_cast<size_t>(sum % 16)] + framed.back();
}

bool twoToOne(TBarCodeType s) {
    return s == TBarCodeType::ITF || s == TBarCodeType::Industrial || s == TBarCodeType::IATA ||
           s == TBarCodeType::Codabar;
}

struct Member {
    TBarCodeType s;
    std::string caption;
    bool controlChars;
    BarcodeFormat zxing;     // None: no zxing-cpp reader for it
    std::string zxingText;
    std::string zbarType;    // "": zbar has no reader for it
    std::string zbarText;
    bool zbarNeedsTwoPixels;  // zbar misses some of these at one pixel a module (a known limit)
};

const std::vector<Member>& members() {
    static const std::vector<Member> m = {
        {TBarCodeType::Code_39, "ZORVIK-39", false, BarcodeFormat::Code39, "ZORVIK-39", "CODE-39", "ZORVIK-39", false},
        // $ / + % have only narrow bars: whole pixels a module at every stretch.
        {TBarCodeType::Code_39, "A$B/C+D%", false, BarcodeFormat::Code39, "A$B/C+D%", "CODE-39", "A$B/C+D%", false},
        {TBarCodeType::Code_93, "ZORVIK-93", true, BarcodeFormat::Code93, "ZORVIK-93", "CODE-93", "ZORVIK-93", false},
        {TBarCodeType::Code_128, "Zorvik 128", true, BarcodeFormat::Code128, "Zorvik 128", "CODE-128", "Zorvik 128", true},
        {TBarCodeType::ITF, "12345678", false, BarcodeFormat::ITF, "12345678", "I2/5", "12345678", false},
        {TBarCodeType::Industrial, "1234567", true, BarcodeFormat::None, "", "", "", false},
        {TBarCodeType::IATA, "1234567", true, BarcodeFormat::None, "", "", "", false},
        // zxing-cpp leaves out the start and stop characters, zbar keeps them.
        {TBarCodeType::Codabar, "A40156B", true, BarcodeFormat::Codabar,
         codabarWithCheck("A40156B").substr(1, 6), "Codabar", codabarWithCheck("A40156B"), true},
        {TBarCodeType::EAN_13, "590123412345", true, BarcodeFormat::EAN13, "590123412345" + std::string(1, gs1Check("590123412345")),
         "EAN-13", "590123412345" + std::string(1, gs1Check("590123412345")), false},
        {TBarCodeType::EAN_8, "4636766", true, BarcodeFormat::EAN8, "4636766" + std::string(1, gs1Check("4636766")), "EAN-8",
         "4636766" + std::string(1, gs1Check("4636766")), false},
        {TBarCodeType::EAN_13_2AddOn, "59012341234512", true, BarcodeFormat::EAN13,
         "590123412345" + std::string(1, gs1Check("590123412345")) + " 12", "EAN-2", "12", false},
        {TBarCodeType::EAN_13_5AddOn, "59012341234552495", true, BarcodeFormat::EAN13,
         "590123412345" + std::string(1, gs1Check("590123412345")) + " 52495", "EAN-5", "52495", true},
        {TBarCodeType::UPC_A, "03600029145", true, BarcodeFormat::UPCA, "03600029145" + std::string(1, gs1Check("03600029145")),
         "UPC-A", "03600029145" + std::string(1, gs1Check("03600029145")), true},
    };
    return m;
}

// One name per member, for its test and its scratch folder (tests run in parallel).
std::string memberName(const Member& m) {
    const bool narrowBars = m.caption.find_first_of("$/+%") != std::string::npos;
    return std::string(identOf(m.s)) + (narrowBars ? "_NarrowBars" : "");
}

constexpr double kStretches[] = {1.0, 1.05, 1.1, 1.2, 1.3, 1.5, 1.7, 2.0, 2.5, 3.0, 3.5, 4.0, 4.5, 5.0, 6.0};
constexpr int kAcross = 80;  // bar side of the control
constexpr int kMargin = 40;  // white paper around the symbol for the decoders

struct Run {
    bool bar;
    int length;
};

std::vector<Run> runsOf(const std::string& bits) {
    std::vector<Run> runs;
    for (char c : bits) {
        const bool bar = c == '1';
        if (runs.empty() || runs.back().bar != bar) runs.push_back({bar, 0});
        ++runs.back().length;
    }
    return runs;
}

// The line through the middle of the bars, read in the symbol's own order
// (left to right, or bottom to top for a vertical symbol).
std::string lineThroughBars(const RasterCanvas& image, TDirection dir) {
    if (dir == TDirection::Horizontal) return test::rowOf(image, kAcross / 2);
    std::string column = test::columnOf(image, kAcross / 2);
    return {column.rbegin(), column.rend()};
}

struct Settled {
    std::unique_ptr<test::Hosted> hosted;
    bool ok = false;
};

Settled settleControl(const Member& m, TDirection dir, TDensity density, bool textOn, int length) {
    Settled out;
    out.hosted = std::make_unique<test::Hosted>();
    TZorvik& z = *out.hosted->control;
    z.Code()->SetCode(m.s);
    z.Code()->SetCtrlChar(m.controlChars);
    z.Code()->SetCaption(m.caption);
    z.Code()->SetDirection(dir);
    z.Code()->SetDensity(density);
    z.Code()->SetTextOn(textOn);
    z.Code()->SetAutoSize(length == 0);
    const bool horizontal = dir == TDirection::Horizontal;
    z.SetWidth(horizontal ? std::max(length, 1) : kAcross);
    z.SetHeight(horizontal ? kAcross : std::max(length, 1));
    out.ok = out.hosted->settle();
    return out;
}

// The symbol drawn on white paper with a margin, as a label is scanned.
std::unique_ptr<RasterCanvas> onPaper(TZorvik& z) {
    RecordingCanvas sizing;
    z.DrawBarCode(&sizing, 0, 0, 1);
    auto paper = std::make_unique<RasterCanvas>(BarCodeWidth + 2 * kMargin, BarCodeHeight + 2 * kMargin);
    paper->Brush().Color = clWhite;
    paper->FillRect(Rect(0, 0, paper->width(), paper->height()));
    z.DrawBarCode(paper.get(), kMargin, kMargin, 1);
    return paper;
}

struct Tally {
    int cases = 0, zxingTried = 0, zxingRead = 0, zbarTried = 0, zbarRead = 0;
};

void sweep(const Member& m) {
    const std::string dir = test::scratchDir("sweep-" + memberName(m));
    Tally tally;
    struct PendingZbar {
        std::string path, label;
    };
    std::vector<PendingZbar> zbarFiles;
    for (TDirection direction : {TDirection::Horizontal, TDirection::Vertical}) {
        const bool horizontal = direction == TDirection::Horizontal;
        for (TDensity density : {TDensity::High, TDensity::Medium, TDensity::Low}) {
            // The symbol sized to itself: its elements in modules.
            Settled natural = settleControl(m, direction, density, false, 0);
            ASSERT_TRUE(natural.ok);
            const int module = ord(density) + 1;
            const int naturalLength = horizontal ? BarCodeWidth : BarCodeHeight;
            const auto naturalImage = test::renderToRaster(*natural.hosted->control);
            std::vector<Run> elements = runsOf(lineThroughBars(*naturalImage, direction));
            // Drop the quiet zones: first bar to last bar.
            while (!elements.empty() && !elements.front().bar) elements.erase(elements.begin());
            while (!elements.empty() && !elements.back().bar) elements.pop_back();
            ASSERT_FALSE(elements.empty());
            int modules = 0;
            for (Run& r : elements) {
                ASSERT_EQ(r.length % module, 0) << identOf(m.s) << ' ' << identOf(density);
                r.length /= module;
                modules += r.length;
            }

            for (double stretch : kStretches) {
                const int asked = static_cast<int>(std::lround(naturalLength * stretch));
                const std::string label = std::string(identOf(m.s)) + ' ' + identOf(direction) + ' ' +
                                          identOf(density) + " x" + std::to_string(stretch).substr(0, 4);
                ++tally.cases;

                // Geometry, on the bars alone.
                Settled bare = settleControl(m, direction, density, false, asked);
                ASSERT_TRUE(bare.ok) << label;
                const int length = horizontal ? BarCodeWidth : BarCodeHeight;
                // Whole pixels below 3 a module; up to 3.5 where wide elements are
                // only twice the narrow ones; always for Code 39 holding $ / + %.
                float step = static_cast<float>(static_cast<double>(length) / (modules + 20));
                const bool allNarrowBars = m.s == TBarCodeType::Code_39 && m.caption.find_first_of("$/+%") != std::string::npos;
                if (allNarrowBars || (twoToOne(m.s) ? step <= 3.5f : step < 3.0f)) step = std::max(1.0f, std::floor(step));
                const int start = static_cast<int>(std::nearbyint(10.0 * step));
                const auto image = test::renderToRaster(*bare.hosted->control);
                const std::vector<Run> runs = runsOf(lineThroughBars(*image, direction));
                ASSERT_GE(runs.size(), elements.size() + 1) << label;
                // Horizontal: the first bar starts at column start. Vertical: the
                // element ending at row H - start leaves start - 1 rows below.
                EXPECT_FALSE(runs.front().bar) << label;
                EXPECT_EQ(runs.front().length, horizontal ? start : start - 1) << label;
                double exact = runs.front().length;
                for (size_t i = 0; i < elements.size(); ++i) {
                    const Run& r = runs[i + 1];
                    const double want = elements[i].length * static_cast<double>(step);
                    EXPECT_EQ(r.bar, elements[i].bar) << label << " element " << i;
                    EXPECT_LE(std::abs(r.length - want), 1.0) << label << " element " << i << " is " << r.length
                                                               << " px for " << elements[i].length << " modules";
                    exact += r.length;
                }
                // Ten steps of background after the last bar (less one pixel of
                // rounding); seven where the area is shorter than the symbol and
                // its quiet zones at one pixel a module.
                const bool roomy = length >= (modules + 20) * static_cast<double>(step);
                EXPECT_GE(length - exact, (roomy ? 10.0 : 7.0) * step - 1.0) << label;

                // Decoders, on the symbol with its text.
                Settled shown = settleControl(m, direction, density, true, asked);
                ASSERT_TRUE(shown.ok) << label;
                const auto paper = onPaper(*shown.hosted->control);
                if (m.zxing != BarcodeFormat::None) {
                    ++tally.zxingTried;
                    const test::Decoded d = test::decode(*paper, m.zxing, true);
                    if (d.ok && d.text == m.zxingText) ++tally.zxingRead;
                    else ADD_FAILURE() << "zxing-cpp: " << label << " read '" << d.text << "'";
                }
                if (!m.zbarType.empty() && !(m.zbarNeedsTwoPixels && step < 2)) {
                    const std::string path = dir + "/" + std::to_string(tally.cases) + ".png";
                    std::string error;
                    if (!paper->writePng(path, error)) ADD_FAILURE() << error;
                    zbarFiles.push_back({path, label});
                }
            }
        }
    }
    if (!zbarFiles.empty()) {
        std::vector<std::string> paths;
        for (const auto& f : zbarFiles) paths.push_back(f.path);
        const auto read = test::zbarDecodeMany(paths, "-Supca.enable -Sean2.enable -Sean5.enable");
        const std::string want = m.zbarType + ":" + m.zbarText;
        for (const auto& f : zbarFiles) {
            ++tally.zbarTried;
            const auto it = read.find(f.path);
            const bool ok = it != read.end() && std::find(it->second.begin(), it->second.end(), want) != it->second.end();
            if (ok) ++tally.zbarRead;
            else ADD_FAILURE() << "zbar: " << f.label << " did not read " << want << " in " << f.path;
        }
    }
    std::printf("sweep | %-14s | %3d cases | zxing-cpp %3d/%3d | zbar %3d/%3d\n", identOf(m.s), tally.cases,
                tally.zxingRead, tally.zxingTried, tally.zbarRead, tally.zbarTried);
}

class StretchSweep : public ::testing::TestWithParam<size_t> {};

TEST_P(StretchSweep, KeepsProportionsAndQuietZonesAndScans) { sweep(members()[GetParam()]); }

INSTANTIATE_TEST_SUITE_P(EverySymbology, StretchSweep, ::testing::Range<size_t>(0, 13),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return memberName(members()[info.param]);
                         });

}  // namespace
}  // namespace zorvik
