// The barcode widget's paint against the raster render beneath it: the same
// Code 128 symbol with text, painted by QWidget::repaint on Qt's offscreen
// platform (the control drawn onto a raster canvas, handed to QPainter as an
// image), and drawn by the control alone onto a fresh raster canvas. Prints
// "what<TAB>microseconds per paint" lines: the median of ROUNDS rounds, each
// the mean of PAINTS paints, the two interleaved round by round.
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/qt/barcodewidget.h"
#include "platform/raster/rastercanvas.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const int paints = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;

    zorvik::BarcodeWidget widget;
    widget.setProperty("CodeSymbology", "Code_128");
    widget.setProperty("CodeCaption", "abcDEF12345");
    widget.show();
    for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    zorvik::TZorvik& control = widget.control();

    using Clock = std::chrono::steady_clock;
    auto perPaint = [&](auto&& paint) {
        const auto start = Clock::now();
        for (int i = 0; i < paints; ++i) paint();
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / paints;
    };
    std::vector<double> widgetPaint, rasterRender;
    for (int r = 0; r < rounds; ++r) {
        widgetPaint.push_back(perPaint([&] { widget.repaint(); }));
        rasterRender.push_back(perPaint([&] {
            zorvik::RasterCanvas canvas(std::max(1, control.Width()), std::max(1, control.Height()));
            control.paintOn(canvas);
            volatile uint32_t p = canvas.pixel(0, 0);
            (void)p;
        }));
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("widget paint\t%.2f\n", median(widgetPaint));
    std::printf("raster render\t%.2f\n", median(rasterRender));
    std::printf("size\t%dx%d\n", widget.width(), widget.height());
    return 0;
}
