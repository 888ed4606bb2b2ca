// PrintBarCode on a QPrinter: the scale follows the printer's resolution, and
// the printed page, rasterised, decodes.
#include <gtest/gtest.h>

#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include "platform/qt/paintercanvas.h"
#include "platform/qt/qtprinter.h"
#include "tests/platform/qt/qtsupport.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

using test::qtApp;

TEST(QtPrinter, PrintedPagesDecodeAtThePrintersScale) {
    qtApp();
    struct Case {
        std::vector<std::string> settings;
        int dpi;
        ZXing::BarcodeFormat format;
        std::string text;
    };
    const std::vector<Case> table{
        {{"Code.Symbology=EAN_13", "Code.Caption=400638133393"}, 300, ZXing::BarcodeFormat::EAN13, "4006381333931"},
        {{"Code.Symbology=Code_128", "Code.Caption=Zorvik Labels"}, 600, ZXing::BarcodeFormat::Code128, "Zorvik Labels"},
        // The modulo 43 check character: (26 + 29 + 36 + 3 + 9) mod 43 = 17, "H".
        {{"Code.Symbology=Code_39", "Code.Caption=QT-39", "Code.Direction=Vertical"}, 200, ZXing::BarcodeFormat::Code39,
         "QT-39H"},
    };
    const std::string dir = test::scratchDir("qt-printer");
    for (size_t row = 0; row < table.size(); ++row) {
        const Case& c = table[row];
        SCOPED_TRACE("row " + std::to_string(row));
        BarcodeWidget w;
        test::assign(w.control(), c.settings);
        w.settle();
        const int width = w.control().Width(), height = w.control().Height();

        const std::string pdf = dir + "/page" + std::to_string(row) + ".pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setResolution(c.dpi);
        printer.setPageSize(QPageSize(QSizeF(120, 120), QPageSize::Millimeter));
        EXPECT_EQ(useDestinationResolution(printer), c.dpi);  // a PDF keeps what it was given
        TQtPrinter qtPrinter(printer);
        TPrinter* previous = SetPrinter(&qtPrinter);
        std::string error;
        ASSERT_TRUE(qtPrinter.BeginDoc(error)) << error;
        w.control().PrintBarCode(c.dpi, c.dpi);
        ASSERT_TRUE(qtPrinter.EndDoc(error)) << error;
        SetPrinter(previous);
        // Scale = resolution div 96, as large on paper as on the screen.
        const int scale = c.dpi / 96;
        EXPECT_EQ(BarCodeWidth, scale * width);
        EXPECT_EQ(BarCodeHeight, scale * height);

        const std::string stem = dir + "/page" + std::to_string(row);
        ASSERT_EQ(test::runCommand("pdftoppm -r " + std::to_string(c.dpi) + " -png -singlefile '" + pdf + "' '" + stem + "'"), 0);
        const test::Decoded d = test::decodePng(stem + ".png", c.format);
        EXPECT_TRUE(d.ok);
        EXPECT_EQ(d.text, c.text);
    }
}

// The painter canvas fills exactly the pixels the raster canvas fills
// (text aside): bars, spaces, border, both directions, stretched.
TEST(QtPrinter, PainterCanvasFillsTheRasterCanvasPixels) {
    qtApp();
    const std::vector<std::vector<std::string>> table{
        {"Code.Symbology=EAN_13", "Code.Caption=400638133393", "Code.Border=True"},
        {"Code.Symbology=Code_128", "Code.Caption=Zorvik", "Code.Direction=Vertical", "Code.Density=Medium"},
        {"Code.Symbology=Codabar", "Code.Caption=A1234B", "Code.AutoSize=False", "Width=333", "BarColor=clNavy"},
    };
    for (size_t row = 0; row < table.size(); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        BarcodeWidget w;
        test::assign(w.control(), table[row]);
        test::assign(w.control(), {"Code.TextOn=False"});
        w.settle();
        const int scale = 3;
        const std::unique_ptr<RasterCanvas> raster = test::renderToRaster(w.control(), scale);
        QImage image(raster->width(), raster->height(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        PainterCanvas canvas(painter);
        w.control().DrawBarCode(&canvas, 0, 0, scale);
        painter.end();
        int differing = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                differing += tColorOf(QColor(image.pixel(x, y))) != raster->colorAt(x, y) || raster->alphaAt(x, y) != 255;
        EXPECT_EQ(differing, 0);
    }
}

// A queue's default resolution, from its options as the CUPS client lists them.
TEST(QtPrinter, DefaultResolutionOfAQueue) {
    const std::vector<std::pair<const char*, int>> table{
        {"Resolution/Output Resolution: 300dpi *600dpi 1200dpi", 600},
        {"PageSize/Media Size: *A4 Letter\nResolution/Resolution: *1200x600dpi 600dpi\nDuplex/2-Sided: *None", 1200},
        {"Resolution/Resolution: 300dpi 600dpi", 0},
        {"ColorModel/Color Mode: *Gray RGB\nPageSize/Media Size: *A4", 0},
        {"", 0},
    };
    for (const auto& [options, dpi] : table) EXPECT_EQ(defaultResolutionIn(QString::fromUtf8(options)), dpi) << options;
}

}  // namespace
}  // namespace zorvik
