#include <gtest/gtest.h>

#include <cstring>

#include "control/zorvik.h"
#include "engine/text.h"
#include "platform/recording.h"

namespace zorvik {
namespace {

TEST(Text, SetFontDirTurnsTheFontAndKeepsEverythingElse) {
    TZorvik z(nullptr);
    RecordingCanvas canvas;
    canvas.Font().SetName("Arial");
    canvas.Font().SetHeight(-13);
    canvas.Font().SetStyle(fsBold);
    const LOGFONT before = canvas.Font().logFont();
    z.SetFontDir(&canvas);
    LOGFONT after = canvas.Font().logFont();
    EXPECT_EQ(after.lfEscapement, 900);
    EXPECT_EQ(after.lfOutPrecision, OUT_TT_ONLY_PRECIS);
    EXPECT_EQ(z.FLogFont, after);
    after.lfEscapement = before.lfEscapement;
    after.lfOutPrecision = before.lfOutPrecision;
    EXPECT_EQ(after, before);
    // Turning a turned font gives the same font.
    const LOGFONT once = canvas.Font().logFont();
    z.SetFontDir(&canvas);
    EXPECT_EQ(canvas.Font().logFont(), once);
}

TEST(Text, TurnedFontsNeverOutliveTheRender) {
    TZorvik z(nullptr);
    RecordingCanvas canvas;
    z.SetFontDir(&canvas);
    canvas.SetFont(*z.Font());
    EXPECT_EQ(canvas.Font().logFont().lfEscapement, 0);
    EXPECT_EQ(z.Font()->logFont().lfEscapement, 0);
}

TEST(Text, PrintableCharactersAsWindows1252ShowsThem) {
    struct Case {
        int code;
        const char* utf8;
    } cases[] = {
        {33, "!"}, {65, "A"}, {126, "~"}, {31, ""}, {127, ""}, {128, "\xE2\x82\xAC"}, {129, ""},
        {130, "\xE2\x80\x9A"}, {134, "\xE2\x80\xA0"}, {159, "\xC5\xB8"}, {160, "\xC2\xA0"}, {233, "\xC3\xA9"}, {256, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(printableChar(c.code), c.utf8) << c.code;
}

TEST(Text, BackgroundIsOpaqueBoxesOrNothing) {
    RecordingCanvas opaque, clear;
    setTextBackground(opaque, false, 0x112233);
    EXPECT_EQ(opaque.Brush().Color, 0x112233);
    EXPECT_EQ(opaque.BkMode(), OPAQUE);
    setTextBackground(clear, true, 0x112233);
    EXPECT_EQ(clear.Brush().Color, clWhite);
    EXPECT_EQ(clear.BkMode(), TRANSPARENT);
}

}  // namespace
}  // namespace zorvik
