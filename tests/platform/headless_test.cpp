#include <gtest/gtest.h>

#include "platform/headless.h"

namespace zorvik {
namespace {

// Grows by one pixel per paint until it reaches its target width.
struct Grower : TGraphicControl {
    explicit Grower(int target) : TGraphicControl(nullptr), target(target) {}
    void Paint() override {
        ++paints;
        if (Width() < target) SetWidth(Width() + 1);
    }
    int target;
    int paints = 0;
};

TEST(HeadlessHost, RepaintsUntilNothingIsInvalid) {
    HeadlessHost host;
    Grower c(3);
    host.insert(c);
    EXPECT_TRUE(host.settle());
    EXPECT_EQ(c.Width(), 3);
    EXPECT_EQ(c.paints, 4);  // three growing paints and the one that finds nothing to do
    EXPECT_FALSE(host.isInvalid(c));
}

TEST(HeadlessHost, AControlThatNeverSettlesIsReportedNotWaitedFor) {
    HeadlessHost host;
    Grower c(1000000);
    host.insert(c);
    EXPECT_FALSE(host.settle(10));
    EXPECT_EQ(c.paints, 10);
}

TEST(HeadlessHost, RefreshPaintsAtOnce) {
    HeadlessHost host;
    Grower c(0);
    host.insert(c);
    ASSERT_TRUE(host.settle());
    const int before = c.paints;
    c.Refresh();
    EXPECT_EQ(c.paints, before + 1);
}

TEST(HeadlessHost, EachPaintGetsAFreshCanvas) {
    int made = 0;
    HeadlessHost host([&](TGraphicControl&) {
        ++made;
        return std::make_unique<TNullCanvas>();
    });
    struct Checker : TGraphicControl {
        Checker() : TGraphicControl(nullptr) {}
        void Paint() override {
            EXPECT_EQ(Canvas()->BkMode(), OPAQUE);
            SetBkMode(Canvas()->Handle(), TRANSPARENT);
            if (++paints < 2) Invalidate();
        }
        int paints = 0;
    } c;
    host.insert(c);
    EXPECT_TRUE(host.settle());
    EXPECT_EQ(made, 2);
}

TEST(HeadlessHost, ADestroyedControlLeavesTheHost) {
    HeadlessHost host;
    auto c = std::make_unique<Grower>(5);
    host.insert(*c);
    c.reset();
    EXPECT_TRUE(host.settle());
}

TEST(Control, SizeSettersInvalidateAndRefuseNegativeSizes) {
    HeadlessHost host;
    Grower c(0);
    host.insert(c);
    ASSERT_TRUE(host.settle());
    c.SetWidth(0);
    EXPECT_FALSE(host.isInvalid(c));
    c.SetHeight(-5);
    EXPECT_EQ(c.Height(), 0);
    c.SetLeft(3);
    EXPECT_TRUE(host.isInvalid(c));
}

}  // namespace
}  // namespace zorvik
