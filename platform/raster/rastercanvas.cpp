#include "platform/raster/rastercanvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>

#include "platform/raster/fonts.h"

namespace zorvik {

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

// Maps a pixel of the text's own frame (u along the baseline, v downwards) to
// the device for escapements of 0, 90, 180 and 270 degrees counter-clockwise.
struct TextFrame {
    int x, y, quadrant;
    void map(int u, int v, int& sx, int& sy) const {
        switch (quadrant) {
            case 1: sx = x + v; sy = y - 1 - u; break;
            case 2: sx = x - 1 - u; sy = y - 1 - v; break;
            case 3: sx = x - 1 - v; sy = y + u; break;
            default: sx = x + u; sy = y + v; break;
        }
    }
};

int quadrantOf(int escapement) {
    int e = escapement % 3600;
    if (e < 0) e += 3600;
    return ((e + 450) / 900) % 4;
}

}  // namespace

RasterCanvas::RasterCanvas(int Width, int Height, int PixelsPerInch)
    : m_width(std::max(0, Width)),
      m_height(std::max(0, Height)),
      m_pixels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0u) {
    setPixelsPerInch(PixelsPerInch);
}

uint32_t RasterCanvas::pixel(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= m_width || Y >= m_height) return 0;
    return m_pixels[static_cast<size_t>(Y) * static_cast<size_t>(m_width) + static_cast<size_t>(X)];
}

void RasterCanvas::fillArea(int Left, int Top, int Right, int Bottom, TColor Color) {
    const int l = std::max(Left, 0), r = std::min(Right, m_width);
    const int t = std::max(Top, 0), b = std::min(Bottom, m_height);
    if (l >= r || t >= b) return;
    const uint32_t value = kOpaque | (static_cast<uint32_t>(Color) & 0xFFFFFFu);
    for (int y = t; y < b; ++y) {
        uint32_t* row = m_pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(m_width);
        std::fill(row + l, row + r, value);
    }
}

void RasterCanvas::blend(int X, int Y, uint32_t Rgb, unsigned a) {
    if (a == 0 || X < 0 || Y < 0 || X >= m_width || Y >= m_height) return;
    uint32_t& dst = m_pixels[static_cast<size_t>(Y) * static_cast<size_t>(m_width) + static_cast<size_t>(X)];
    if (a >= 255) {
        dst = kOpaque | Rgb;
        return;
    }
    // Straight-alpha "over".
    const unsigned da = dst >> 24;
    const unsigned outA = a * 255 + da * (255 - a);  // scaled by 255
    if (outA == 0) return;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned s = (Rgb >> shift) & 0xFF;
        const unsigned d = (dst >> shift) & 0xFF;
        const unsigned c = (s * a * 255 + d * da * (255 - a) + outA / 2) / outA;
        out |= std::min(c, 255u) << shift;
    }
    out |= ((outA + 127) / 255) << 24;
    dst = out;
}

void RasterCanvas::drawText(int X, int Y, std::string_view Utf8, const TTextStyle& Style) {
    raster::FontFace* face = raster::faceFor(Style.font);
    if (face == nullptr) return;
    const TextFrame frame{X, Y, quadrantOf(Style.font.lfEscapement)};
    const uint32_t rgb = static_cast<uint32_t>(Style.color) & 0xFFFFFFu;
    const int cell = face->ascent + face->descent;

    // Fills a rectangle [u0,u1) x [v0,v1) of the text frame on the device.
    auto fillText = [&](int u0, int v0, int u1, int v1, TColor color) {
        if (u0 >= u1 || v0 >= v1) return;
        int ax, ay, bx, by;
        frame.map(u0, v0, ax, ay);
        frame.map(u1 - 1, v1 - 1, bx, by);
        fillArea(std::min(ax, bx), std::min(ay, by), std::max(ax, bx) + 1, std::max(ay, by) + 1, color);
    };

    int pen = 0;
    for (char32_t cp : raster::decodeUtf8(Utf8)) {
        const raster::Glyph& g = face->glyph(cp);
        if (Style.opaque) fillText(pen, 0, pen + g.advance, cell, Style.background);
        for (int r = 0; r < g.rows; ++r) {
            const uint8_t* cov = g.coverage.data() + static_cast<ptrdiff_t>(r) * g.width;
            for (int c = 0; c < g.width; ++c) {
                if (cov[c] == 0) continue;
                int sx, sy;
                frame.map(pen + g.left + c, face->ascent - g.top + r, sx, sy);
                blend(sx, sy, rgb, cov[c]);
            }
        }
        pen += g.advance;
    }
    if (Style.font.lfUnderline) {
        const int v = face->ascent + face->underlinePosition;
        fillText(0, v, pen, v + face->lineThickness, Style.color);
    }
    if (Style.font.lfStrikeOut) {
        const int v = face->ascent - face->ascent / 3;
        fillText(0, v, pen, v + face->lineThickness, Style.color);
    }
}

bool RasterCanvas::writePng(const std::string& Path, std::string& Error) const {
    std::FILE* f = std::fopen(Path.c_str(), "wb");
    if (f == nullptr) {
        Error = std::strerror(errno);
        return false;
    }
    const bool ok = writePng(f, Error);
    if (std::fclose(f) != 0 && ok) {
        Error = std::strerror(errno);
        return false;
    }
    return ok;
}

bool RasterCanvas::writePng(std::FILE* File, std::string& Error) const {
    if (m_width <= 0 || m_height <= 0) {
        Error = "an image needs at least one pixel";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        Error = "libpng could not start";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        Error = "libpng could not write the image";
        return false;
    }
    png_init_io(png, File);
    png_set_IHDR(png, info, static_cast<png_uint_32>(m_width), static_cast<png_uint_32>(m_height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const auto ppm = static_cast<png_uint_32>(std::lround(pixelsPerInch() / 0.0254));
    png_set_pHYs(png, info, ppm, ppm, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int y = 0; y < m_height; ++y) {
        auto row = reinterpret_cast<png_const_bytep>(m_pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(m_width));
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::ferror(File)) {
        Error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace zorvik
