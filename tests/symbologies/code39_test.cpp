#include <gtest/gtest.h>

#include "tests/support/support.h"

namespace zorvik {
namespace {

TEST(Code39Smoke, DecodesWithBothDecoders) {
    test::Hosted h;
    h.control->Code()->SetCode(TBarCodeType::Code_39);
    h.control->Code()->SetCaption("CODE39");
    ASSERT_TRUE(h.settle());
    auto img = test::renderToRaster(*h.control);
    auto d = test::decode(*img, ZXing::BarcodeFormat::Code39);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.text, "CODE39W");
    const std::string dir = test::scratchDir("code39-smoke");
    auto lines = test::zbarDecode(test::writePaddedPng(*img, dir + "/a.png"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "CODE-39:CODE39W");
    std::string e;
    img->writePng(dir + "/raw.png", e);
}

}  // namespace
}  // namespace zorvik
