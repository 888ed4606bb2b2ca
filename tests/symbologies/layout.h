// Helpers shared by the symbology tests: a control with given settings, one
// render onto a grid, and module strings built from published width tables.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>
#include <string>
#include <string_view>
#include <vector>

#include "control/zorvik.h"
#include "engine/state.h"
#include "platform/recording.h"

namespace zorvik::test {

struct Settings {
    TBarCodeType symbology = TBarCodeType::Code_39;
    std::string caption;
    bool controlChars = true;
    bool showCtrlsChars = false;
    TDensity density = TDensity::High;
    TDirection direction = TDirection::Horizontal;
    TAlignment alignment = TAlignment::txLeft;
    bool transparent = false;
    bool textOn = true;
    bool autoSize = true;
    int width = 100;
    int height = 50;
};

// One layout of a round trip: direction, density, pixels per module (0: the
// symbol sized to itself) and the sample's number within the layout.
struct Layout {
    TDirection direction;
    TDensity density;
    float step;
    int sample;
    int modulWidth() const { return ord(density) + 1; }
    // Applies it: text on every other sample; stretched, the control is long
    // enough for Modules modules of Step pixels and the quiet zones.
    void apply(Settings& s, int modules) const {
        s.direction = direction;
        s.density = density;
        s.textOn = sample % 2 == 0;
        if (step > 0) {
            s.autoSize = false;
            (direction == TDirection::Horizontal ? s.width : s.height) =
                static_cast<int>(static_cast<float>(modules) * step) + 20 * modulWidth();
        }
    }
};

// Every layout the round trips cover: both directions, every density, sized to
// the symbol and stretched to the given steps over the module width (ModulWidth
// + Steps...), Per samples each. Returns the number of symbols visited.
template <typename F>
int forEachLayout(std::initializer_list<float> Steps, int Per, F&& Visit) {
    int visited = 0;
    for (TDirection dir : {TDirection::Horizontal, TDirection::Vertical})
        for (TDensity density : {TDensity::High, TDensity::Medium, TDensity::Low}) {
            const float mw = static_cast<float>(ord(density) + 1);
            std::vector<float> steps{0.0f};
            for (float extra : Steps) steps.push_back(mw + extra);
            for (float step : steps)
                for (int i = 0; i < Per; ++i, ++visited) Visit(Layout{dir, density, step, i});
        }
    return visited;
}

// A control outside any host with the settings applied. ControlChars is set
// while the symbology is still Code 39, which lets it be cleared.
inline std::unique_ptr<TZorvik> makeControl(const Settings& s) {
    auto z = std::make_unique<TZorvik>(nullptr);
    TCode& c = *z->Code();
    c.SetCode(TBarCodeType::Code_39);
    c.SetCtrlChar(s.controlChars);
    c.SetCode(s.symbology);
    c.SetCaption(s.caption);
    c.SetShowCtrlsChars(s.showCtrlsChars);
    c.SetDensity(s.density);
    c.SetDirection(s.direction);
    c.SetAlignment(s.alignment);
    c.SetTransparent(s.transparent);
    c.SetTextOn(s.textOn);
    c.SetAutoSize(s.autoSize);
    z->SetWidth(s.width);
    z->SetHeight(s.height);
    return z;
}

// Renders once to learn the size, then again onto a grid of that size.
inline std::unique_ptr<RecordingCanvas> drawOnGrid(TZorvik& z, int X = 0, int Y = 0) {
    RecordingCanvas sizing;
    z.DrawBarCode(&sizing, X, Y, 1);
    auto grid = std::make_unique<RecordingCanvas>(X + BarCodeWidth, Y + BarCodeHeight);
    z.DrawBarCode(grid.get(), X, Y, 1);
    return grid;
}

// Module string ('1' bar, '0' space) of alternating widths, bar first.
inline std::string modulesOf(std::string_view widths) {
    std::string out;
    bool bar = true;
    for (char w : widths) {
        out.append(static_cast<size_t>(w - '0'), bar ? '1' : '0');
        bar = !bar;
    }
    return out;
}

// The long-axis pixels of a symbol as a module string: along row Y from
// column From (horizontal), or up column X from row From (vertical).
inline std::string symbolRow(const RecordingCanvas& grid, TDirection dir, int across, int from, size_t length) {
    std::string s;
    for (size_t i = 0; i < length; ++i) {
        const int along = dir == TDirection::Horizontal ? from + static_cast<int>(i) : from - static_cast<int>(i);
        const TColor c = dir == TDirection::Horizontal ? grid.at(along, across) : grid.at(across, along);
        s += c == clBlack ? '1' : '0';
    }
    return s;
}

struct TextAt {
    int x, y;
    std::string text;
};

// Renders Z once and compares its text calls with Expected. For a vertical
// symbol each y counts from the symbol area's bottom edge and the font is turned.
inline void expectTexts(TZorvik& z, const std::vector<TextAt>& expected, const std::string& what) {
    RecordingCanvas r;
    z.DrawBarCode(&r, 0, 0, 1);
    const bool vertical = z.Code()->Direction() == TDirection::Vertical;
    const bool transparent = z.Code()->Transparent();
    const int base = vertical ? BarCodeHeight : 0;
    const auto calls = r.textCalls();
    ASSERT_EQ(calls.size(), expected.size()) << what;
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].x, expected[i].x) << what << ' ' << i;
        EXPECT_EQ(calls[i].y, base + expected[i].y) << what << ' ' << i;
        EXPECT_EQ(calls[i].text, expected[i].text) << what << ' ' << i;
        EXPECT_EQ(calls[i].font.lfEscapement, vertical ? 900 : 0) << what;
        EXPECT_EQ(calls[i].bkMode, transparent ? TRANSPARENT : OPAQUE) << what;
        if (!transparent) {
            EXPECT_EQ(calls[i].brushColor, z.BackColor()) << what;
        }
    }
}

}  // namespace zorvik::test
