// Sizes at the edge of what a render may cost: refused from what is asked,
// before drawing, and never computed past the range of int.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "control/zorvik.h"
#include "engine/pipeline.h"
#include "engine/state.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

struct RefusalCase {
    const char* what;
    TBarCodeType symbology;
    size_t digits;
    long long maxSide;  // what the output holds (0: no limit of its own)
    int x;              // the symbol's origin
};

// Refused with "Symbol too large" and not one call on the canvas.
TEST(Limits, WhatCannotBeHeldIsRefusedBeforeDrawing) {
    const std::array<RefusalCase, 4> cases{{
        // 7 modules a digit: 14,000,008 pixels, within the largest side but not a PNG's.
        {"ITF of two million digits, output of a million pixels", TBarCodeType::ITF, 2000000, 1000000, 0},
        // More characters than the largest side has pixels, whatever the symbology lays.
        {"a caption past the largest side", TBarCodeType::Code_128, (1u << 24) + 1, 0, 0},
        // 7 modules a digit: 16,800,008 modules, past the largest side of 16,777,216.
        {"ITF past the largest side", TBarCodeType::ITF, 2400000, 0, 0},
        {"an origin beyond the range of int", TBarCodeType::EAN_13, 12, 0, 2147483600},
    }};
    static_assert(cases.size() == 4);
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        TZorvik z(nullptr);
        z.Code()->SetCode(c.symbology);
        z.Code()->SetAutoSize(true);
        z.Code()->SetCaption(std::string(c.digits, c.symbology == TBarCodeType::Code_128 ? 'A' : '1'));
        RecordingCanvas canvas;
        if (c.maxSide > 0)
            canvas.setSizeCheck([&](long long w, long long h) {
                return w > c.maxSide || h > c.maxSide ? "Symbol too large: " + std::to_string(w) : std::string();
            });
        test::MessageCapture messages;
        z.DrawBarCode(&canvas, c.x, 0, 1);
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_EQ(messages.texts[0].rfind("Symbol too large: ", 0), 0u) << messages.texts[0];
        EXPECT_FALSE(z.lastRenderSized());
        EXPECT_TRUE(canvas.calls().empty());
    }
}

struct SpreadCase {
    TBarCodeType symbology;
    char fill;
};

// A long caption at a large scale on a stretched control puts characters
// millions of pixels apart: each that is written stands further along than
// the one before (computed in int, the positions wrapped round), and those
// past the range of int are left out.
TEST(Limits, TextPositionsOfLongCaptionsStayInOrder) {
    constexpr std::array<SpreadCase, 3> cases{{
        {TBarCodeType::Code_128, 'Z'},
        {TBarCodeType::Codabar, '1'},
        {TBarCodeType::ITF, '1'},
    }};
    static_assert(cases.size() == 3);
    for (const SpreadCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.symbology));
        TZorvik z(nullptr);
        z.Code()->SetCode(c.symbology);
        z.Code()->SetAutoSize(false);
        z.Code()->SetAlignment(TAlignment::txDensity);
        z.SetWidth(300);
        z.SetHeight(40);
        z.Code()->SetCaption(std::string(10000, c.fill));
        RecordingCanvas canvas;
        test::MessageCapture messages;
        z.DrawBarCode(&canvas, 0, 0, 50000);
        long long previous = -1;
        int texts = 0;
        for (const CanvasCall& call : canvas.calls()) {
            if (call.kind != CanvasCall::Kind::TextOut) continue;
            EXPECT_GT(call.x, previous);
            previous = call.x;
            ++texts;
        }
        EXPECT_GT(texts, 1) << (messages.texts.empty() ? "" : messages.texts[0]);
    }
}

}  // namespace
}  // namespace zorvik
