#include <gtest/gtest.h>

#include "control/zorvik.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

using test::Hosted;
using test::MessageCapture;

TEST(Zorvik, ANewControlHasItsDefaults) {
    TZorvik z(nullptr);
    const TCode& c = *z.Code();
    EXPECT_EQ(c.Symbology(), TBarCodeType::Codabar);
    EXPECT_EQ(c.Caption(), "123456");
    EXPECT_TRUE(c.AutoSize());
    EXPECT_FALSE(c.TextAutosize());
    EXPECT_EQ(c.Density(), TDensity::High);
    EXPECT_FALSE(c.Border());
    EXPECT_TRUE(c.ControlChars());
    EXPECT_FALSE(c.Transparent());
    EXPECT_EQ(c.Direction(), TDirection::Horizontal);
    EXPECT_EQ(c.TextAlignment(), TAlignment::txLeft);
    EXPECT_TRUE(c.TextOn());
    EXPECT_FALSE(c.ShowCtrlsChars());
    EXPECT_EQ(z.Width(), 100);
    EXPECT_EQ(z.Height(), 50);
    EXPECT_EQ(z.Left(), 0);
    EXPECT_EQ(z.Top(), 0);
    EXPECT_TRUE(z.Visible());
    EXPECT_EQ(z.BackColor(), clWhite);
    EXPECT_EQ(z.BarColor(), clBlack);
    EXPECT_EQ(z.Font()->Name(), "Arial");
    EXPECT_EQ(z.Font()->Height(), -11);
    EXPECT_TRUE(z.isOpaque());
}

TEST(Zorvik, TheDefaultControlSettlesToItsSymbol) {
    Hosted h;
    ASSERT_TRUE(h.settle());
    // Codabar "123456" with its check character: N = 10 x (6 + 3) = 90, plus 20 modules of quiet zone.
    EXPECT_EQ(h.control->Width(), 110);
    EXPECT_EQ(h.control->Height(), 50);
    // The first paint resizes, the second finds nothing to change.
    EXPECT_EQ(h.host.paintCount(), 2);
}

TEST(Zorvik, TransparencyFollowsTheOpaqueStyle) {
    Hosted h;
    ASSERT_TRUE(h.settle());
    h.control->Code()->SetTransparent(true);
    EXPECT_FALSE(h.control->isOpaque());
    EXPECT_TRUE(h.host.isInvalid(*h.control));
    ASSERT_TRUE(h.settle());
    h.control->Code()->SetTransparent(false);
    EXPECT_TRUE(h.control->isOpaque());
    EXPECT_TRUE(h.host.isInvalid(*h.control));
}

TEST(Zorvik, ColourSettersAlwaysInvalidate) {
    Hosted h;
    ASSERT_TRUE(h.settle());
    h.control->SetBackColor(h.control->BackColor());
    EXPECT_TRUE(h.host.isInvalid(*h.control));
    ASSERT_TRUE(h.settle());
    h.control->SetBarColor(h.control->BarColor());
    EXPECT_TRUE(h.host.isInvalid(*h.control));
}

TEST(Zorvik, SetFontWithItsOwnFontDoesNothing) {
    Hosted h;
    ASSERT_TRUE(h.settle());
    const int paints = h.host.paintCount();
    h.control->SetFont(h.control->Font());
    h.control->SetFont(nullptr);
    EXPECT_EQ(h.host.paintCount(), paints);
    EXPECT_FALSE(h.host.isInvalid(*h.control));
}

TEST(Zorvik, SetFontCopiesAndRepaintsAtOnce) {
    Hosted h;
    ASSERT_TRUE(h.settle());
    const int paints = h.host.paintCount();
    TFont f;
    f.SetName("Courier New");
    f.SetHeight(-14);
    h.control->SetFont(&f);
    EXPECT_EQ(h.control->Font()->Name(), "Courier New");
    EXPECT_EQ(h.control->Font()->Height(), -14);
    EXPECT_NE(h.control->Font(), &f);
    EXPECT_EQ(h.host.paintCount(), paints + 1);
}

TEST(Zorvik, SetCodeKeepsEan13TextUnderItsCharacters) {
    Hosted h;
    TCode source;
    source.SetCode(TBarCodeType::EAN_13);
    source.SetCaption("400638133393");
    ASSERT_EQ(source.TextAlignment(), TAlignment::txLeft);
    h.control->SetCode(&source);
    EXPECT_EQ(h.control->Code()->Symbology(), TBarCodeType::EAN_13);
    EXPECT_EQ(h.control->Code()->TextAlignment(), TAlignment::txDensity);
    EXPECT_NE(h.control->Code(), &source);
    h.control->SetCode(nullptr);
    EXPECT_EQ(h.control->Code()->Symbology(), TBarCodeType::EAN_13);
}

TEST(Zorvik, DensitySettlesOneStepPerPaint) {
    Hosted h;
    TCode& c = *h.control->Code();
    c.SetCode(TBarCodeType::Code_39);
    c.SetCaption("ABC");
    c.SetCtrlChar(true);
    c.SetAutoSize(false);
    h.control->SetWidth(600);
    // N = 96: at High the step is (600 - 20) / 96 = 6.04, so the density moves
    // one step per paint until it reaches Low.
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(c.Density(), TDensity::Low);
    EXPECT_EQ(h.control->Width(), 600);
}

TEST(Zorvik, TextAutosizeSettlesAfterOneExtraPaint) {
    Hosted h;
    ASSERT_TRUE(h.settle());
    const int before = h.host.paintCount();
    h.control->Code()->SetTextAutoSize(true);
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(h.control->Font()->Height(), -6);  // 50 div 8
    EXPECT_EQ(h.host.paintCount() - before, 2);
}

TEST(Zorvik, ARenderThatDrawsNothingLeavesTheControlAtItsOwnSize) {
    MessageCapture messages;
    Hosted other;
    other.control->SetWidth(300);
    other.control->Code()->SetAutoSize(false);
    ASSERT_TRUE(other.settle());
    ASSERT_EQ(BarCodeWidth, 300);

    Hosted h;
    h.control->SetWidth(77);
    h.control->SetVisible(false);
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(h.control->Width(), 77);
    EXPECT_EQ(h.control->Height(), 50);

    h.control->SetVisible(true);
    h.control->Code()->SetCode(TBarCodeType::EAN_8);
    ASSERT_TRUE(h.settle());
    EXPECT_EQ(messages.texts.back(), "EAN-8 should be 7 numeric char");
    EXPECT_EQ(h.control->Width(), 77);
}

TEST(Zorvik, MessagesAreShownOncePerRender) {
    MessageCapture messages;
    Hosted h;
    h.control->Code()->SetCaption("12X");
    ASSERT_TRUE(h.settle());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.captions[0], "Message Box");
}

}  // namespace
}  // namespace zorvik
