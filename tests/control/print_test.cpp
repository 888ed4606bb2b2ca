#include <gtest/gtest.h>

#include "control/zorvik.h"
#include "engine/state.h"
#include "platform/printers.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

// A printer whose page records what is drawn on it.
class RecordingPrinter : public TPrinter {
public:
    explicit RecordingPrinter(TDeviceModeHandle mode) : m_mode(std::move(mode)) {}
    void GetPrinter(std::string& device, std::string& driver, std::string& port, TDeviceModeHandle& mode) override {
        device = "test";
        driver.clear();
        port.clear();
        mode = m_mode;
    }
    bool BeginDoc(std::string&) override {
        setPage(&page);
        setPrinting(true);
        return true;
    }
    bool EndDoc(std::string&) override {
        setPage(nullptr);
        setPrinting(false);
        return true;
    }
    RecordingCanvas page;

private:
    TDeviceModeHandle m_mode;
};

TDeviceModeHandle quality(int dpi) {
    auto mode = std::make_shared<TDeviceMode>();
    mode->dmPrintQuality = static_cast<int16_t>(dpi);
    return mode;
}

TEST(PrintBarCode, ScaleIsThePrintQualityOverTheScreenResolution) {
    struct Case {
        const char* name;
        TDeviceModeHandle mode;
        int scale;
    } cases[] = {
        {"600 dpi", quality(600), 6},
        {"300 dpi", quality(300), 3},
        {"no device mode: 300 dpi", nullptr, 3},
        {"1200 dpi", quality(1200), 12},
        {"below the screen's resolution", quality(72), 1},
        {"a negative symbolic quality", quality(-4), 1},
    };
    for (const auto& c : cases) {
        RecordingPrinter printer(c.mode);
        TPrinter* previous = SetPrinter(&printer);
        std::string error;
        ASSERT_TRUE(printer.BeginDoc(error));
        TZorvik z(nullptr);
        z.Code()->SetCode(TBarCodeType::Code_39);
        z.Code()->SetCaption("ABC");
        z.PrintBarCode(40, 70);
        printer.EndDoc(error);
        SetPrinter(previous);
        EXPECT_EQ(ModulWidth, c.scale) << c.name;
        EXPECT_EQ(BarCodeWidth, 116 * c.scale) << c.name;
        EXPECT_EQ(BarCodeHeight, 50 * c.scale) << c.name;
        ASSERT_FALSE(printer.page.calls().empty()) << c.name;
        const CanvasCall& background = printer.page.calls().front();
        EXPECT_EQ(background.kind, CanvasCall::Kind::Rectangle);
        EXPECT_EQ(background.rect, Rect(40, 70, 40 + 116 * c.scale, 70 + 50 * c.scale)) << c.name;
    }
}

TEST(PrintBarCode, WithoutADocumentNothingIsDrawn) {
    TZorvik z(nullptr);
    z.PrintBarCode(0, 0);  // the default printer: draws on nothing, reports nothing
    EXPECT_EQ(BarCodeWidth, 330);  // no device mode: 300 dots per inch
}

}  // namespace
}  // namespace zorvik
