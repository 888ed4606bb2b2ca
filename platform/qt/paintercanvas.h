// A canvas on a QPainter: fills in whole device pixels in the exact colour,
// text in the face the raster canvas finds for the font, as glyph outlines.
// Printers use it, so that a PDF or a printer page gets sharp vector text.
#pragma once

#include "platform/graphics.h"

#include <QColor>

class QPainter;

namespace zorvik {

class PainterCanvas : public TCanvas {
public:
    // Painter must stay active while the canvas draws; its transformation is
    // left as it is, so device pixels are the painter's units.
    explicit PainterCanvas(QPainter& Painter, int PixelsPerInch = 96);

protected:
    void fillArea(int Left, int Top, int Right, int Bottom, TColor Color) override;
    void drawText(int X, int Y, std::string_view Utf8, const TTextStyle& Style) override;

private:
    QPainter& m_painter;
};

// A TColor ($00BBGGRR) as Qt's colour, and back.
QColor qColorOf(TColor Color);
TColor tColorOf(const QColor& Color);

}  // namespace zorvik
