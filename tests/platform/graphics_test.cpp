#include <gtest/gtest.h>

#include <cstring>

#include "platform/graphics.h"
#include "platform/recording.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

using test::columnOf;
using test::rowOf;

struct FillCase {
    const char* name;
    TRect rect;
    int column;  // column and row inspected
    int row;
    const char* columnPixels;  // rows 0..9 of that column
    const char* rowPixels;     // columns 0..9 of that row
};

TEST(Canvas, FillRectCoversTheStatedPixels) {
    const FillCase cases[] = {
        {"right and bottom excluded", Rect(2, 3, 5, 6), 2, 3, "0001110000", "0011100000"},
        {"top below bottom fills bottom+1..top", Rect(2, 6, 5, 3), 2, 4, "0000111000", "0011100000"},
        {"empty when left equals right", Rect(4, 1, 4, 8), 4, 2, "0000000000", "0000000000"},
        {"a single pixel", Rect(7, 7, 8, 8), 7, 7, "0000000100", "0000000100"},
        {"partly outside the device", Rect(-5, -5, 2, 2), 0, 0, "1100000000", "1100000000"},
    };
    for (const auto& c : cases) {
        RecordingCanvas canvas(10, 10);
        canvas.Brush().Color = clBlack;
        canvas.FillRect(c.rect);
        EXPECT_EQ(columnOf(canvas, c.column), c.columnPixels) << c.name;
        EXPECT_EQ(rowOf(canvas, c.row), c.rowPixels) << c.name;
    }
}

TEST(Canvas, ClearBrushFillsNothing) {
    RecordingCanvas canvas(10, 10);
    canvas.Brush().Style = TBrushStyle::bsClear;
    canvas.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(canvas.at(5, 5), RecordingCanvas::kUnpainted);
}

TEST(Canvas, RectangleFillsAndDrawsItsOutermostRing) {
    for (int penWidth : {0, 1}) {
        RecordingCanvas canvas(10, 10);
        canvas.Brush().Color = clWhite;
        canvas.Pen().Color = clBlack;
        canvas.Pen().Width = penWidth;
        canvas.Rectangle(1, 2, 7, 8);  // columns 1..6, rows 2..7
        EXPECT_EQ(rowOf(canvas, 2), "0111111000") << penWidth;
        EXPECT_EQ(rowOf(canvas, 4), "0100001000") << penWidth;
        EXPECT_EQ(rowOf(canvas, 7), "0111111000") << penWidth;
        EXPECT_EQ(rowOf(canvas, 8), "0000000000") << penWidth;
        EXPECT_EQ(rowOf(canvas, 4, clWhite), "0011110000") << penWidth;
    }
}

TEST(Canvas, RectangleWithClearBrushDrawsOnlyTheRing) {
    RecordingCanvas canvas(10, 10);
    canvas.Brush().Style = TBrushStyle::bsClear;
    canvas.Rectangle(0, 0, 5, 5);
    EXPECT_EQ(rowOf(canvas, 2), "1000100000");
    EXPECT_EQ(canvas.at(2, 2), RecordingCanvas::kUnpainted);
}

TEST(Canvas, BackgroundModeThroughTheDeviceContext) {
    RecordingCanvas canvas;
    EXPECT_EQ(canvas.BkMode(), OPAQUE);
    EXPECT_EQ(SetBkMode(canvas.Handle(), TRANSPARENT), OPAQUE);
    EXPECT_EQ(canvas.BkMode(), TRANSPARENT);
    EXPECT_EQ(SetBkMode(canvas.Handle(), 7), 0);  // not a mode
    EXPECT_EQ(canvas.BkMode(), TRANSPARENT);
}

TEST(Font, HasTheFrameworkDefaults) {
    TFont font;
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    EXPECT_EQ(font.Color(), clBlack);
    EXPECT_EQ(font.Style(), 0u);
    EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);
}

TEST(Font, ChangeEventFiresOnlyOnChange) {
    TFont font;
    int changes = 0;
    font.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &font);
        ++changes;
    };
    font.SetHeight(-11);
    font.SetName(font.Name());
    EXPECT_EQ(changes, 0);
    font.SetHeight(-20);
    font.SetName("Arial");
    font.SetColor(clRed);
    font.SetStyle(fsBold | fsItalic);
    font.SetCharset(0);
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(font.Style(), fsBold | fsItalic);
    EXPECT_EQ(font.logFont().lfWeight, FW_BOLD);
}

TEST(Font, AssignCopiesEveryAttribute) {
    TFont a, b;
    a.SetName("Courier New");
    a.SetHeight(17);
    a.SetColor(clBlue);
    a.SetStyle(fsUnderline);
    a.SetCharset(238);
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.Assign(a);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b.Name(), "Courier New");
    EXPECT_EQ(b.Height(), 17);
    EXPECT_EQ(b.Color(), clBlue);
    EXPECT_EQ(b.Style(), fsUnderline);
    EXPECT_EQ(b.Charset(), 238);
}

TEST(Font, RecordRoundTripsThroughTheWin32Calls) {
    TFont font;
    font.SetName("Arial");
    LOGFONT lf;
    ASSERT_EQ(GetObjectA(font.Handle(), 60, &lf), 60);
    EXPECT_STREQ(lf.lfFaceName, "Arial");
    EXPECT_EQ(lf.lfHeight, -11);
    lf.lfEscapement = 900;
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    font.SetHandle(CreateFontIndirectA(&lf));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(font.logFont().lfEscapement, 900);
    EXPECT_EQ(font.Name(), "Arial");
}

TEST(Font, LongFaceNamesAreCutOnCharacterBoundaries) {
    TFont font;
    font.SetName(std::string(30, 'x') + "\xC3\xA9\xC3\xA9");  // 30 + two 2-byte characters
    EXPECT_EQ(font.Name(), std::string(30, 'x'));
}

TEST(Colors, StandardNames) {
    EXPECT_EQ(ColorToIdent(0x0000FF), "clRed");
    EXPECT_EQ(ColorToIdent(0x123456), "");
    TColor c = 0;
    EXPECT_TRUE(IdentToColor("CLNAVY", c));
    EXPECT_EQ(c, 0x800000);
    EXPECT_FALSE(IdentToColor("clOrange", c));
}

TEST(Utf8, InvalidSequencesAreReplaced) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"abc", "abc"},
        {"\xC3\xA9", "\xC3\xA9"},
        {"\xC3", "\xEF\xBF\xBD"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},          // overlong
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
        {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},
    };
    for (const auto& c : cases) EXPECT_EQ(sanitiseUtf8(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace zorvik
