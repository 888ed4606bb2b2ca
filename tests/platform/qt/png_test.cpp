// The library's PNG files as Qt reads them: every bit depth the encoder
// writes (1, 2, 4 and 8 bits of palette, and RGBA), with transparency.
#include <gtest/gtest.h>

#include <QImage>

#include "tests/platform/qt/qtsupport.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

TEST(QtReadsPng, EveryDepthKeepsEveryPixel) {
    test::qtApp();
    const std::string dir = test::scratchDir("qt-png");
    for (const int colours : {2, 4, 16, 200, 300}) {
        RasterCanvas img(37, 9, 96);
        // Columns of colours, the last three left transparent, rows changing
        // every third row: repeated rows and changed ones.
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 34; ++x) {
                img.Brush().Color = static_cast<TColor>(((x * 7 + y / 3) % colours) * 0x010203);
                img.FillRect(Rect(x, y, x + 1, y + 1));
            }
        const std::string path = dir + "/img.png";
        std::string error;
        ASSERT_TRUE(img.writePng(path, error)) << error;
        QImage read(QString::fromStdString(path));
        ASSERT_FALSE(read.isNull()) << colours;
        read = read.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 37; ++x) {
                const QRgb q = read.pixel(x, y);
                ASSERT_EQ(static_cast<unsigned>(qAlpha(q)), img.alphaAt(x, y)) << colours << " at " << x << "," << y;
                if (qAlpha(q) == 0) continue;
                const TColor c = img.colorAt(x, y);
                ASSERT_EQ(q & 0xFFFFFFu, static_cast<QRgb>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF)))
                    << colours << " at " << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace zorvik
