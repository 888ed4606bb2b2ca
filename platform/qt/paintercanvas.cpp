#include "platform/qt/paintercanvas.h"

#include <QColor>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include "platform/raster/fonts.h"

namespace zorvik {

QColor qColorOf(TColor Color) {
    const auto v = static_cast<uint32_t>(Color);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

TColor tColorOf(const QColor& Color) {
    return static_cast<TColor>(static_cast<uint32_t>(Color.red()) | static_cast<uint32_t>(Color.green()) << 8 |
                               static_cast<uint32_t>(Color.blue()) << 16);
}

PainterCanvas::PainterCanvas(QPainter& Painter, int PixelsPerInch) : m_painter(Painter) {
    setPixelsPerInch(PixelsPerInch);
    // Fills cover whole device pixels: no antialiasing to bleed into the next one.
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void PainterCanvas::fillArea(int Left, int Top, int Right, int Bottom, TColor Color) {
    m_painter.fillRect(QRect(Left, Top, Right - Left, Bottom - Top), qColorOf(Color));
}

void PainterCanvas::drawText(int X, int Y, std::string_view Utf8, const TTextStyle& Style) {
    // The same face, cell and advances as the raster canvas, so that text
    // stands where it stands in the command's pictures.
    raster::FontFace* face = raster::faceFor(Style.font);
    if (face == nullptr || face->file.empty()) return;
    const QRawFont raw(QString::fromStdString(face->file), face->em);
    const int cell = face->ascent + face->descent;

    m_painter.save();
    m_painter.translate(X, Y);
    // Escapement 900: the baseline runs upward and the cells lie to the right of X.
    if (Style.font.lfEscapement == 900) m_painter.rotate(-90);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    int pen = 0;
    for (char32_t cp : raster::decodeUtf8(Utf8)) {
        const raster::Glyph& g = face->glyph(cp);
        if (Style.opaque) m_painter.fillRect(QRect(pen, 0, g.advance, cell), qColorOf(Style.background));
        glyphs.append(face->glyphIndex(cp));
        positions.append(QPointF(pen, face->ascent));
        pen += g.advance;
    }
    if (raw.isValid() && !glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        m_painter.setPen(qColorOf(Style.color));
        m_painter.drawGlyphRun(QPointF(0, 0), run);
    }
    if (Style.font.lfUnderline)
        m_painter.fillRect(QRect(0, face->ascent + face->underlinePosition, pen, face->lineThickness),
                           qColorOf(Style.color));
    if (Style.font.lfStrikeOut)
        m_painter.fillRect(QRect(0, face->ascent - face->ascent / 3, pen, face->lineThickness), qColorOf(Style.color));
    m_painter.restore();
}

}  // namespace zorvik
