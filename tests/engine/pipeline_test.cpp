#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/zorvik.h"
#include "engine/pipeline.h"
#include "engine/state.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

using test::MessageCapture;

// A control with the given settings, its handlers detached from any host.
std::unique_ptr<TZorvik> control(TBarCodeType s, const std::string& caption) {
    auto z = std::make_unique<TZorvik>(nullptr);
    z->Code()->SetCode(s);
    z->Code()->SetCaption(caption);
    return z;
}

int firstBarFill(const RecordingCanvas& r, TColor bar, bool horizontal) {
    for (const auto& c : r.calls())
        if (c.kind == CanvasCall::Kind::FillRect && c.brushColor == bar) return horizontal ? c.rect.Left : c.rect.Top;
    return -1;
}

TEST(Pipeline, NominalModulesPerSymbology) {
    struct Case {
        TBarCodeType s;
        TDirection dir;
        bool controlChars;
        int length;
        int modules;
    } cases[] = {
        {TBarCodeType::Code_39, TDirection::Horizontal, true, 3, 96},
        {TBarCodeType::Code_39, TDirection::Vertical, false, 3, 80},
        {TBarCodeType::Code_93, TDirection::Horizontal, true, 6, 90},
        {TBarCodeType::Code_93, TDirection::Horizontal, false, 6, 72},
        {TBarCodeType::Codabar, TDirection::Horizontal, true, 6, 90},
        {TBarCodeType::Codabar, TDirection::Vertical, false, 6, 80},
        {TBarCodeType::Code_128, TDirection::Horizontal, true, 3, 68},
        {TBarCodeType::Code_128, TDirection::Horizontal, false, 5, 79},
        {TBarCodeType::IATA, TDirection::Horizontal, true, 4, 56},
        {TBarCodeType::Industrial, TDirection::Horizontal, true, 3, 64},
        {TBarCodeType::Industrial, TDirection::Horizontal, false, 3, 52},
        {TBarCodeType::ITF, TDirection::Horizontal, true, 4, 50},   // 01234 + check: 6 digits
        {TBarCodeType::ITF, TDirection::Horizontal, true, 3, 36},   // 123 + check
        {TBarCodeType::ITF, TDirection::Horizontal, false, 3, 36},  // 0123
        {TBarCodeType::ITF, TDirection::Horizontal, false, 4, 36},
        {TBarCodeType::EAN_8, TDirection::Horizontal, true, 7, 64},
        {TBarCodeType::UPC_A, TDirection::Vertical, true, 11, 92},
        {TBarCodeType::EAN_13, TDirection::Horizontal, true, 12, 95},
        {TBarCodeType::EAN_13, TDirection::Vertical, true, 12, 99},
        {TBarCodeType::EAN_13_2AddOn, TDirection::Horizontal, true, 14, 124},
        {TBarCodeType::EAN_13_2AddOn, TDirection::Vertical, true, 14, 131},
        {TBarCodeType::EAN_13_5AddOn, TDirection::Horizontal, true, 17, 151},
        {TBarCodeType::EAN_13_5AddOn, TDirection::Vertical, true, 17, 152},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NominalModules(c.s, c.dir, c.controlChars, c.length), c.modules)
            << identOf(c.s) << ' ' << identOf(c.dir) << ' ' << c.controlChars << ' ' << c.length;
}

TEST(Pipeline, StretchedCode39MovesItsDensityOneStep) {
    auto z = control(TBarCodeType::Code_39, "ABC");
    z->Code()->SetCtrlChar(true);
    z->Code()->SetAutoSize(false);
    z->SetWidth(300);
    RecordingCanvas r;
    z->DrawBarCode(&r, 0, 0, 1);
    // The loop sees 280 / 96 pixels a module and moves to Medium. The symbol
    // itself lays six characters of 16 modules less the last gap, 95: with its
    // quiet zones 300 / 115 pixels a module, whole pixels below 3, so 2, from
    // 10 steps in.
    EXPECT_EQ(ModulWidth, 2);
    EXPECT_EQ(z->Code()->Density(), TDensity::Medium);
    EXPECT_FLOAT_EQ(StepXReal, 2.0f);
    EXPECT_EQ(firstBarFill(r, clBlack, true), 20);
    EXPECT_EQ(BarCodeWidth, 300);
    // The next paint starts from Medium and changes nothing.
    int changes = 0;
    z->Code()->OnChange = [&](TObject*) { ++changes; };
    z->DrawBarCode(&r, 0, 0, 1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(ModulWidth, 2);
}

TEST(Pipeline, AutomaticSizes) {
    struct Case {
        const char* name;
        TBarCodeType s;
        std::string caption;
        bool controlChars;
        TDensity density;
        TDirection dir;
        int width, height;  // reported size
    } cases[] = {
        {"Code 39 ABC", TBarCodeType::Code_39, "ABC", true, TDensity::High, TDirection::Horizontal, 116, 50},
        {"Code 128 of 5 at Low", TBarCodeType::Code_128, "abcde", false, TDensity::Low, TDirection::Horizontal, 297, 50},
        {"UPC-A adds 7 pixels", TBarCodeType::UPC_A, "03600029145", true, TDensity::High, TDirection::Horizontal, 119, 50},
        {"vertical sizes the height only", TBarCodeType::Code_39, "ABC", true, TDensity::Medium, TDirection::Vertical, 100, 232},
    };
    for (const auto& c : cases) {
        // ControlChars can only be cleared while the symbology allows it.
        auto z = control(TBarCodeType::Code_39, c.caption);
        z->Code()->SetCtrlChar(c.controlChars);
        z->Code()->SetCode(c.s);
        z->Code()->SetDensity(c.density);
        z->Code()->SetDirection(c.dir);
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, 1);
        EXPECT_EQ(BarCodeWidth, c.width) << c.name;
        EXPECT_EQ(BarCodeHeight, c.height) << c.name;
        EXPECT_FLOAT_EQ(StepXReal, static_cast<float>(ModulWidth)) << c.name;
    }
}

TEST(Pipeline, VerticalSymbolsStartTenModulesAboveTheBottom) {
    auto z = control(TBarCodeType::Code_39, "AB");
    z->Code()->SetDirection(TDirection::Vertical);
    z->Code()->SetDensity(TDensity::Medium);
    RecordingCanvas r;
    z->DrawBarCode(&r, 5, 7, 1);
    EXPECT_EQ(BarCodeHeight, (16 * (2 + 3) + 20) * 2);  // AB with its check character
    EXPECT_EQ(firstBarFill(r, clBlack, false), 7 + BarCodeHeight - 20);
}

TEST(Pipeline, StretchLoopGrowsATooShortControl) {
    MessageCapture messages;
    auto z = control(TBarCodeType::Code_39, "A");
    z->Code()->SetAutoSize(false);
    z->Code()->SetDensity(TDensity::Low);
    z->SetWidth(15);
    std::vector<TDensity> densities;
    z->Code()->OnChange = [&](TObject*) { densities.push_back(z->Code()->Density()); };
    RecordingCanvas r;
    z->DrawBarCode(&r, 0, 0, 1);
    EXPECT_EQ(BarCodeWidth, 21);
    EXPECT_EQ(ModulWidth, 1);
    EXPECT_EQ(z->Code()->Density(), TDensity::High);
    EXPECT_EQ(densities, (std::vector<TDensity>{TDensity::Medium, TDensity::High}));
    // *A, its check character and * lay 4 x 16 - 1 modules: no room for them
    // at one pixel each, with seven of quiet zone after them.
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Symbol too short: 21 pixels, at least 80 needed"});
    EXPECT_TRUE(r.calls().empty());
}

TEST(Pipeline, AScaleBelowOneIsDrawnAsOne) {
    for (int scale : {0, -3}) {
        auto z = control(TBarCodeType::Code_39, "ABC");
        z->Code()->SetCtrlChar(true);
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, scale);
        EXPECT_EQ(BarCodeWidth, 116) << scale;
        EXPECT_EQ(BarCodeHeight, 50) << scale;
        EXPECT_EQ(ModulWidth, 1) << scale;
    }
}

TEST(Pipeline, ScaleMultipliesSizesAndModules) {
    auto z = control(TBarCodeType::Code_39, "ABC");
    z->Code()->SetCtrlChar(true);
    RecordingCanvas r;
    z->DrawBarCode(&r, 0, 0, 3);
    EXPECT_EQ(BarCodeWidth, 348);
    EXPECT_EQ(BarCodeHeight, 150);
    EXPECT_EQ(ModulWidth, 3);
    EXPECT_EQ(firstBarFill(r, clBlack, true), 30);
}

TEST(Pipeline, TextBandAndAutosizedFontHeights) {
    struct Case {
        const char* name;
        TDirection dir;
        int width, height, scale;
        bool textOn, autosize;
        int fontHeight;  // before; and expected after
        int expectedFont, expectedTextH;
    } cases[] = {
        {"horizontal 50 high", TDirection::Horizontal, 100, 50, 1, true, true, -11, -6, 11},
        {"vertical 60 wide", TDirection::Vertical, 60, 50, 1, true, true, -11, -7, 12},
        {"printer scale 6", TDirection::Horizontal, 100, 50, 6, true, true, -11, -37, 67},
        // A font keeps its point size on a device of four times the resolution.
        {"printer scale 4, font as set", TDirection::Horizontal, 100, 50, 4, true, false, -11, -11, 20 + 44},
        {"under 8 pixels high", TDirection::Horizontal, 100, 7, 1, true, true, -11, 0, 5},
        {"text off", TDirection::Horizontal, 100, 50, 1, false, false, -11, -11, 5},
        {"positive cell height", TDirection::Horizontal, 100, 50, 1, true, false, 20, 20, -15},
    };
    for (const auto& c : cases) {
        auto z = control(TBarCodeType::Code_39, "ABC");
        z->Code()->SetDirection(c.dir);
        z->Code()->SetAutoSize(false);
        z->Code()->SetTextOn(c.textOn);
        z->Code()->SetTextAutoSize(c.autosize);
        z->Font()->SetHeight(c.fontHeight);
        z->SetWidth(c.width);
        z->SetHeight(c.height);
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, c.scale);
        EXPECT_EQ(z->Font()->Height(), c.expectedFont) << c.name;
        EXPECT_EQ(TextH, c.expectedTextH) << c.name;
    }
}

TEST(Pipeline, TheCanvasFontIsACopyMadeBeforeAutosizing) {
    auto z = control(TBarCodeType::Code_39, "ABC");
    z->Code()->SetTextAutoSize(true);
    z->Code()->SetTextOn(false);  // the encoder then writes nothing over the copy
    z->Font()->SetHeight(-11);
    RecordingCanvas r;
    z->DrawBarCode(&r, 0, 0, 1);
    EXPECT_EQ(r.Font().Height(), -11);
    EXPECT_EQ(z->Font()->Height(), -6);
}

TEST(Pipeline, BackgroundAndBorder) {
    struct Case {
        bool transparent, border;
        int rectangles;
        TColor pen;
    } cases[] = {
        {false, false, 1, clWhite},
        {false, true, 1, clBlack},
        {true, true, 0, 0},
        {true, false, 0, 0},
    };
    for (const auto& c : cases) {
        auto z = control(TBarCodeType::Code_39, "ABC");
        z->Code()->SetTransparent(c.transparent);
        z->Code()->SetBorder(c.border);
        RecordingCanvas r(200, 60);
        z->DrawBarCode(&r, 0, 0, 1);
        int rectangles = 0;
        for (const auto& call : r.calls()) {
            if (call.kind != CanvasCall::Kind::Rectangle) continue;
            ++rectangles;
            EXPECT_EQ(call.rect, Rect(0, 0, BarCodeWidth, BarCodeHeight));
            EXPECT_EQ(call.brushColor, clWhite);
            EXPECT_EQ(call.penColor, c.pen);
        }
        EXPECT_EQ(rectangles, c.rectangles) << c.transparent << c.border;
        if (c.border && !c.transparent) {
            EXPECT_EQ(r.at(0, 30), clBlack);
        }
        if (c.transparent) {
            EXPECT_EQ(r.at(0, 30), RecordingCanvas::kUnpainted);
        }
    }
}

TEST(Pipeline, MessagesDrawNothingAndKeepTheReportedSize) {
    struct Case {
        const char* name;
        TBarCodeType s;
        std::string caption;
        bool visible;
        const char* message;
    } cases[] = {
        {"EAN-13 of 11 digits", TBarCodeType::EAN_13, "12345678901", true, "EAN-13 should be 12 numeric chars"},
        {"EAN-8 of 6 digits", TBarCodeType::EAN_8, "123456", true, "EAN-8 should be 7 numeric char"},
        {"UPC-A of 10 digits", TBarCodeType::UPC_A, "1234567890", true, "UPC-A should be 11 numeric char"},
        {"2-digit add-on of 15", TBarCodeType::EAN_13_2AddOn, "123456789012345", true, "EAN-13-2AdOn should be 14 numeric chars"},
        {"2-digit add-on of 13", TBarCodeType::EAN_13_2AddOn, "1234567890123", true, "EAN-13-2AdOn should be 14 numeric chars"},
        {"5-digit add-on of 18", TBarCodeType::EAN_13_5AddOn, "123456789012345678", true, "EAN-13-5AddOn should be 17 numeric chars"},
        {"ITF with a letter, invisible", TBarCodeType::ITF, "12A4", false, "Caption should be numeric"},
        {"a sign", TBarCodeType::Industrial, "+123", true, "Caption should be numeric"},
        {"a decimal point", TBarCodeType::IATA, "12.5", true, "Caption should be numeric"},
        {"an exponent", TBarCodeType::EAN_8, "1234e56", true, "Caption should be numeric"},
        {"empty numeric", TBarCodeType::UPC_A, "", true, "Caption is empty"},
        {"empty Code 128", TBarCodeType::Code_128, "", true, "Caption is empty"},
        {"leading blank", TBarCodeType::ITF, " 123456", true, "Caption should be numeric"},
        {"lower case in Code 39", TBarCodeType::Code_39, "Ab", true, "Caption has a character that Code 39 cannot encode: 'b' at position 2"},
        {"star inside Code 39", TBarCodeType::Code_39, "A*B", true, "Caption has a character that Code 39 cannot encode: '*' at position 2"},
        {"empty Code 39", TBarCodeType::Code_39, "", true, "Caption is empty"},
        {"empty Code 93", TBarCodeType::Code_93, "", false, "Caption is empty"},
        {"star in Code 93", TBarCodeType::Code_93, "*", true, "Caption has a character that Code 93 cannot encode: '*' at position 1"},
        {"Codabar start letter inside", TBarCodeType::Codabar, "1B2", true, "Caption has a character that Codabar cannot encode: 'B' at position 2"},
        {"Codabar lower case", TBarCodeType::Codabar, "a12", true, "Caption has a character that Codabar cannot encode: 'a' at position 1"},
        {"Codabar with start and stop only", TBarCodeType::Codabar, "AB", true, "Caption has no data between its start and stop characters"},
        {"Codabar single start letter", TBarCodeType::Codabar, "C", true, "Caption has no data between its start and stop characters"},
        {"Code 128 tab", TBarCodeType::Code_128, "a\tb", true, "Caption has a character that Code 128 cannot encode: '#9' at position 2"},
        {"Code 128 beyond ASCII, counted in characters", TBarCodeType::Code_128, "\xC3\xA9t\xC3\xA9!", true,
         "Caption has a character that Code 128 cannot encode: '\xC3\xA9' at position 1"},
        {"unknown symbology", static_cast<TBarCodeType>(12), "1", true, "Not implemented"},
    };
    for (const auto& c : cases) {
        MessageCapture messages;
        auto z = control(c.s, c.caption);
        z->SetVisible(c.visible);
        BarCodeWidth = 1234;
        BarCodeHeight = 567;
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, 1);
        ASSERT_EQ(messages.texts.size(), 1u) << c.name;
        EXPECT_EQ(messages.texts[0], c.message) << c.name;
        EXPECT_EQ(messages.captions[0], "Message Box") << c.name;
        EXPECT_TRUE(r.calls().empty()) << c.name;
        EXPECT_EQ(BarCodeWidth, 1234) << c.name;
        EXPECT_EQ(BarCodeHeight, 567) << c.name;
        EXPECT_FALSE(z->lastRenderSized()) << c.name;
    }
}

TEST(Pipeline, CaptionsTheSymbolCanCarryPass) {
    struct Case {
        TBarCodeType s;
        std::string caption;
    } cases[] = {
        {TBarCodeType::Code_39, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"},
        {TBarCodeType::Code_93, "CODE 93-$/+%."},
        {TBarCodeType::Code_128, " ~\x7f"},
        {TBarCodeType::Codabar, "A0123456789-$:/.+D"},
        {TBarCodeType::Codabar, "1"},
        {TBarCodeType::ITF, "0"},
    };
    for (const auto& c : cases) {
        MessageCapture messages;
        auto z = control(c.s, c.caption);
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, 1);
        EXPECT_TRUE(messages.texts.empty()) << c.caption << ": " << (messages.texts.empty() ? "" : messages.texts[0]);
        EXPECT_TRUE(z->lastRenderSized());
    }
}

TEST(Pipeline, InvisibleControlsDrawOnlyInTheDesigner) {
    for (bool designing : {false, true}) {
        auto z = control(TBarCodeType::Code_39, "AB");
        z->SetVisible(false);
        z->SetDesigning(designing);
        BarCodeWidth = 1;
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, 1);
        EXPECT_EQ(r.calls().empty(), !designing);
        EXPECT_EQ(BarCodeWidth, designing ? 100 : 1);
    }
}

TEST(Pipeline, EanCaptionsAreCutThroughTheSetter) {
    struct Case {
        TBarCodeType s;
        std::string caption, kept;
    } cases[] = {
        {TBarCodeType::EAN_13, "5901234123457", "590123412345"},
        {TBarCodeType::EAN_8, "96385074", "9638507"},
        {TBarCodeType::UPC_A, "036000291452", "03600029145"},
    };
    for (const auto& c : cases) {
        auto z = control(c.s, c.caption);
        int changes = 0;
        z->Code()->OnChange = [&](TObject*) { ++changes; };
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, 1);
        EXPECT_EQ(z->Code()->Caption(), c.kept);
        EXPECT_EQ(changes, 1);
    }
}

TEST(Pipeline, SymbolsThatWouldNotScanAsGivenAreRefusedWithoutDrawing) {
    struct Case {
        const char* name;
        TBarCodeType s;
        std::string caption;
        int height, fontHeight;
        TDensity density;
        bool textOn;
        std::string message;  // "": drawn
    } cases[] = {
        // GS1 check digits: 400638133393 -> 1, 9638507 -> 4, 03600029145 -> 2, 590123412345 -> 7.
        {"EAN-13, wrong check digit", TBarCodeType::EAN_13, "4006381333932", 50, -11, TDensity::High, true,
         "Check digit should be 1, not 2"},
        {"EAN-13, wrong check digit before more digits", TBarCodeType::EAN_13, "59012341234589", 50, -11,
         TDensity::High, true, "Check digit should be 7, not 8"},
        {"EAN-13, right check digit before more digits", TBarCodeType::EAN_13, "59012341234578", 50, -11,
         TDensity::High, true, ""},
        {"EAN-8, wrong check digit", TBarCodeType::EAN_8, "96385075", 50, -11, TDensity::High, true,
         "Check digit should be 4, not 5"},
        {"UPC-A, wrong check digit", TBarCodeType::UPC_A, "036000291453", 50, -11, TDensity::High, true,
         "Check digit should be 2, not 3"},
        // Bars from row 2 to the text band: 12 - (5 + 11) - 1 rows and less.
        {"EAN-13 12 high with text", TBarCodeType::EAN_13, "590123412345", 12, -11, TDensity::High, true,
         "Bars too short: 0 pixels"},
        {"Code 128 under a 45-pixel font", TBarCodeType::Code_128, "Zorvik", 50, -45, TDensity::High, true,
         "Bars too short: 0 pixels"},
        // The add-on's bars give up the text band: 50 - 26 - 1 - 26 < 0 at Low.
        {"5-digit add-on at Low, 50 high", TBarCodeType::EAN_13_5AddOn, "59012341234552495", 50, -11, TDensity::Low,
         true, "Bars too short: 0 pixels"},
        {"5-digit add-on at High, 50 high", TBarCodeType::EAN_13_5AddOn, "59012341234552495", 50, -11,
         TDensity::High, true, ""},
        // Code 39 bars run from row 2 to H - TextH - 1, TextH = 5 without text.
        {"Code 39 bars of one pixel", TBarCodeType::Code_39, "AB", 8, -11, TDensity::High, false, ""},
        {"Code 39 bars of no pixel", TBarCodeType::Code_39, "AB", 7, -11, TDensity::High, false,
         "Bars too short: 0 pixels"},
    };
    for (const auto& c : cases) {
        MessageCapture messages;
        auto z = control(c.s, c.caption);
        z->SetHeight(c.height);
        z->Font()->SetHeight(c.fontHeight);
        z->Code()->SetDensity(c.density);
        z->Code()->SetTextOn(c.textOn);
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, 1);
        if (c.message.empty()) {
            EXPECT_TRUE(messages.texts.empty()) << c.name << ": " << (messages.texts.empty() ? "" : messages.texts[0]);
            EXPECT_FALSE(r.calls().empty()) << c.name;
        } else {
            EXPECT_EQ(messages.texts, std::vector<std::string>{c.message}) << c.name;
            EXPECT_TRUE(r.calls().empty()) << c.name;
        }
    }
}

TEST(Pipeline, AutosizedTextOnAPrinterIsSizedFromThePrintedArea) {
    // Painted on screen first (50 high: -6), then printed once at Scale 6:
    // the digits are -(300 div 8) = -37 high, not the screen's 6 dots.
    auto z = control(TBarCodeType::EAN_13, "590123412345");
    z->Code()->SetTextAutoSize(true);
    RecordingCanvas screen;
    z->DrawBarCode(&screen, 0, 0, 1);
    ASSERT_EQ(z->Font()->Height(), -6);
    RecordingCanvas printer;
    z->DrawBarCode(&printer, 0, 0, 6);
    int texts = 0;
    for (const auto& call : printer.calls()) {
        if (call.kind != CanvasCall::Kind::TextOut) continue;
        ++texts;
        EXPECT_EQ(call.font.lfHeight, -37);
    }
    EXPECT_EQ(texts, 13);
}

TEST(Pipeline, TextGrowsWithTheScale) {
    // A font keeps its point size on a device of higher resolution.
    for (int scale : {1, 3, 6}) {
        auto z = control(TBarCodeType::Code_128, "Zorvik");
        z->Font()->SetHeight(-11);
        RecordingCanvas r;
        z->DrawBarCode(&r, 0, 0, scale);
        int texts = 0;
        for (const auto& call : r.calls()) {
            if (call.kind != CanvasCall::Kind::TextOut) continue;
            ++texts;
            EXPECT_EQ(call.font.lfHeight, -11 * scale) << scale;
            // Under the bars, which run from row 2 for H - TextH - 1 rows.
            EXPECT_EQ(call.y, 2 + BarCodeHeight - TextH - 1) << scale;
        }
        EXPECT_GT(texts, 0) << scale;
        EXPECT_EQ(TextH, 5 * scale + 11 * scale) << scale;
        EXPECT_EQ(z->Font()->Height(), -11) << "the control's own font is left as it was";
    }
}

TEST(Pipeline, SymbolsLongerThanTheRunningPositionCanHoldAreRefused) {
    MessageCapture messages;
    auto z = control(TBarCodeType::Code_39, "AB");
    z->Code()->SetAutoSize(false);
    z->SetWidth(20000000);
    RecordingCanvas r;
    z->DrawBarCode(&r, 0, 0, 1);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Symbol too large: 20000000 x 50 pixels");
    EXPECT_TRUE(r.calls().empty());
}

TEST(Pipeline, EanSymbolsGetTheBackgroundBrushAndTheBorderPen) {
    for (bool border : {false, true}) {
        auto z = control(TBarCodeType::EAN_13, "400638133393");
        z->SetBackColor(0x00EEDDCC);
        z->Code()->SetBorder(border);
        z->Code()->SetTextOn(false);
        RecordingCanvas r;
        r.Brush().Style = TBrushStyle::bsClear;
        z->DrawBarCode(&r, 0, 0, 1);
        EXPECT_EQ(r.Brush().Style, TBrushStyle::bsSolid);
        EXPECT_EQ(r.Brush().Color, 0x00EEDDCC);
        EXPECT_EQ(r.Pen().Color, border ? clBlack : 0x00EEDDCC);
        EXPECT_EQ(r.BkMode(), OPAQUE);
    }
}

}  // namespace
}  // namespace zorvik
