#include "platform/raster/rastercanvas.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <set>
#include <vector>

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
      m_pixels(static_cast<uint32_t*>(
          std::malloc(std::max<size_t>(1, static_cast<size_t>(m_width) * static_cast<size_t>(m_height)) * sizeof(uint32_t)))) {
    if (!m_pixels) m_width = m_height = 0;  // out of memory: an empty image, never a crash
    setPixelsPerInch(PixelsPerInch);
}

void RasterCanvas::ensureCleared() const {
    flushBand();
    if (m_cleared) return;
    m_cleared = true;
    std::memset(m_pixels.get(), 0, static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * sizeof(uint32_t));
}

uint32_t RasterCanvas::pixel(int X, int Y) const {
    flushBand();
    ensureCleared();
    if (X < 0 || Y < 0 || X >= m_width || Y >= m_height) return 0;
    return m_pixels[static_cast<size_t>(Y) * static_cast<size_t>(m_width) + static_cast<size_t>(X)];
}

void RasterCanvas::fillArea(int Left, int Top, int Right, int Bottom, TColor Color) {
    const int l = std::max(Left, 0), r = std::min(Right, m_width);
    const int t = std::max(Top, 0), b = std::min(Bottom, m_height);
    if (l >= r || t >= b) return;
    m_fills.push_back({l, t, r, b, kOpaque | (static_cast<uint32_t>(Color) & 0xFFFFFFu)});
    if (m_fills.size() >= 65536) flushBand();
}

void RasterCanvas::fillNow(const Fill& f) const {
    uint32_t* row = m_pixels.get() + static_cast<size_t>(f.top) * static_cast<size_t>(m_width) + f.left;
    const int w = f.right - f.left;
    for (int y = f.top; y < f.bottom; ++y, row += m_width)
        for (int x = 0; x < w; ++x) row[x] = f.value;
}

void RasterCanvas::flushBand() const {
    if (m_fills.empty()) return;
    if (m_fills.size() == 1 && m_cleared) {
        fillNow(m_fills.front());
        m_fills.clear();
        return;
    }
    // Rows between two consecutive fill edges are covered by the same fills:
    // the first such row is composed from them, in their order, and the others
    // copy its covered runs. Every pixel is written once, row by row.
    const size_t stride = static_cast<size_t>(m_width);
    const bool wasCleared = m_cleared;
    int clearedUpTo = 0;  // rows above this are written or cleared
    auto clearRows = [&](int from, int to) {
        if (!wasCleared && from < to)
            std::memset(m_pixels.get() + static_cast<size_t>(from) * stride, 0,
                        static_cast<size_t>(to - from) * stride * sizeof(uint32_t));
    };
    std::vector<std::pair<int, int>>& runs = m_scratchRuns;
    auto compose = [&](int y0, int y1, const auto& forEachActive) {
        runs.clear();
        forEachActive([&](const Fill& f) { runs.emplace_back(f.left, f.right); });
        if (runs.empty()) return;
        std::sort(runs.begin(), runs.end());
        size_t n = 0;
        for (const auto& run : runs) {
            if (n > 0 && run.first <= runs[n - 1].second) runs[n - 1].second = std::max(runs[n - 1].second, run.second);
            else runs[n++] = run;
        }
        runs.resize(n);
        clearRows(clearedUpTo, y0);
        const bool whole = runs.size() == 1 && runs[0].first == 0 && runs[0].second == m_width;
        if (!whole) clearRows(y0, y1);
        clearedUpTo = y1;
        uint32_t* first = m_pixels.get() + static_cast<size_t>(y0) * stride;
        forEachActive([&](const Fill& f) {
            uint32_t* p = first + f.left;
            const int w = f.right - f.left;
            for (int x = 0; x < w; ++x) p[x] = f.value;
        });
        for (int y = y0 + 1; y < y1; ++y) {
            uint32_t* row = first + static_cast<size_t>(y - y0) * stride;
            for (const auto& [from, to] : runs)
                std::memcpy(row + from, first + from, static_cast<size_t>(to - from) * sizeof(uint32_t));
        }
    };

    std::vector<int>& ys = m_scratchRows;
    ys.clear();
    for (const Fill& f : m_fills) {
        ys.push_back(f.top);
        ys.push_back(f.bottom);
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    if (ys.size() <= 64) {
        // Few row bands (a horizontal symbol): each asks every fill.
        for (size_t k = 0; k + 1 < ys.size(); ++k) {
            const int y0 = ys[k], y1 = ys[k + 1];
            compose(y0, y1, [&](auto&& use) {
                for (const Fill& f : m_fills)
                    if (f.top <= y0 && f.bottom >= y1) use(f);
            });
        }
    } else {
        // Many (a vertical symbol: one band per element): a sweep down the rows.
        struct Edge {
            int y;
            size_t fill;
            bool starts;
        };
        std::vector<Edge> edges;
        edges.reserve(2 * m_fills.size());
        for (size_t i = 0; i < m_fills.size(); ++i) {
            edges.push_back({m_fills[i].top, i, true});
            edges.push_back({m_fills[i].bottom, i, false});
        }
        std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y < b.y; });
        std::set<size_t> active;
        for (size_t e = 0; e < edges.size();) {
            const int y0 = edges[e].y;
            for (; e < edges.size() && edges[e].y == y0; ++e) {
                if (edges[e].starts) active.insert(edges[e].fill);
                else active.erase(edges[e].fill);
            }
            const int y1 = e < edges.size() ? edges[e].y : m_height;
            if (y0 >= y1) continue;
            compose(y0, y1, [&](auto&& use) {
                for (size_t i : active) use(m_fills[i]);
            });
        }
    }
    clearRows(clearedUpTo, m_height);
    m_cleared = true;
    m_fills.clear();
}

void RasterCanvas::blend(int X, int Y, uint32_t Rgb, unsigned a) {
    if (a == 0 || X < 0 || Y < 0 || X >= m_width || Y >= m_height) return;
    uint32_t& dst = m_pixels[static_cast<size_t>(Y) * static_cast<size_t>(m_width) + static_cast<size_t>(X)];
    if (a >= 255) {
        dst = kOpaque | Rgb;
        return;
    }
    const unsigned da = dst >> 24;
    if (da == 255) {
        // Over an opaque pixel "over" is a plain mix; the same rounding as below.
        uint32_t out = kOpaque;
        const unsigned outA = 255 * 255;
        for (int shift = 0; shift < 24; shift += 8) {
            const unsigned s = (Rgb >> shift) & 0xFF;
            const unsigned d = (dst >> shift) & 0xFF;
            out |= ((s * a * 255 + d * 255 * (255 - a) + outA / 2) / outA) << shift;
        }
        dst = out;
        return;
    }
    // Straight-alpha "over".
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
    flushBand();
    ensureCleared();
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
        // Written at once: the glyph blends onto it.
        const int l = std::max(std::min(ax, bx), 0), r = std::min(std::max(ax, bx) + 1, m_width);
        const int t = std::max(std::min(ay, by), 0), b = std::min(std::max(ay, by) + 1, m_height);
        if (l < r && t < b) fillNow({l, t, r, b, kOpaque | (static_cast<uint32_t>(color) & 0xFFFFFFu)});
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

namespace {

// The image's colours, in order of first appearance, and each pixel's index
// among them, when there are at most 256 (a symbol has its bar and background
// colours and, with text, the shades of the glyphs' edges).
bool indexColours(const uint32_t* pixels, size_t count, std::vector<uint32_t>& palette, std::vector<uint8_t>& indexes) {
    palette.clear();
    indexes.resize(count);
    uint32_t last = pixels[0] + 1;  // differs from the first pixel
    uint8_t index = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        if (p != last) {
            last = p;
            auto it = std::find(palette.begin(), palette.end(), p);
            if (it == palette.end()) {
                if (palette.size() == 256) return false;
                palette.push_back(p);
                it = palette.end() - 1;
            }
            index = static_cast<uint8_t>(it - palette.begin());
        }
        indexes[i] = index;
    }
    return true;
}

}  // namespace

// What one PNG file holds; kept in an object so that nothing libpng's error
// jump could clobber lives in registers across it.
struct PngPlan {
    const uint32_t* pixels;
    int width, height, ppi;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indexes;
    bool indexed;
    int depth;
    std::vector<png_byte> row;

    void write(png_structp png, png_infop info) {
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth,
                     indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (indexed) {
            std::vector<png_color> colours(palette.size());
            std::vector<png_byte> alphas(palette.size());
            bool translucent = false;
            for (size_t i = 0; i < palette.size(); ++i) {
                colours[i] = {static_cast<png_byte>(palette[i] & 0xFF), static_cast<png_byte>((palette[i] >> 8) & 0xFF),
                              static_cast<png_byte>((palette[i] >> 16) & 0xFF)};
                alphas[i] = static_cast<png_byte>(palette[i] >> 24);
                translucent = translucent || alphas[i] != 255;
            }
            png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
            if (translucent) png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
            // Filters do not help indexed rows; every row is written as it is.
            png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
            // The indexes are made here from the palette itself.
            png_set_check_for_invalid_index(png, 0);
        }
        // Runs of equal pixels are what a symbol is made of: run-length matching
        // finds them at a fraction of the cost of the general search.
        png_set_compression_strategy(png, Z_RLE);
        const auto ppm = static_cast<png_uint_32>(std::lround(ppi / 0.0254));
        png_set_pHYs(png, info, ppm, ppm, PNG_RESOLUTION_METER);
        png_write_info(png, info);
        if (indexed) {
            row.assign((static_cast<size_t>(width) * static_cast<size_t>(depth) + 7) / 8, 0);
            const int perByte = 8 / depth;
            for (int y = 0; y < height; ++y) {
                const uint8_t* src = indexes.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
                if (depth == 8) {
                    png_write_row(png, src);
                    continue;
                }
                std::fill(row.begin(), row.end(), 0);
                for (int x = 0; x < width; ++x)
                    row[static_cast<size_t>(x / perByte)] |=
                        static_cast<png_byte>(src[x] << (8 - depth * (x % perByte + 1)));
                png_write_row(png, row.data());
            }
        } else {
            for (int y = 0; y < height; ++y)
                png_write_row(png,
                              reinterpret_cast<png_const_bytep>(pixels + static_cast<size_t>(y) * static_cast<size_t>(width)));
        }
        png_write_end(png, nullptr);
    }
};

bool RasterCanvas::writePng(std::FILE* File, std::string& Error) const {
    flushBand();
    ensureCleared();
    if (m_width <= 0 || m_height <= 0) {
        Error = "an image needs at least one pixel";
        return false;
    }
    PngPlan plan{m_pixels.get(), m_width, m_height, pixelsPerInch(), {}, {}, false, 8, {}};
    // A palette of 1, 2, 4 or 8 bits per pixel when the colours allow, with
    // the transparency of each entry: the same pixels in a fraction of the
    // bytes, written and compressed a good deal faster.
    plan.indexed = indexColours(plan.pixels, static_cast<size_t>(m_width) * static_cast<size_t>(m_height), plan.palette,
                                plan.indexes);
    const size_t n = plan.palette.size();
    plan.depth = !plan.indexed ? 8 : n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;

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
    plan.write(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::ferror(File)) {
        Error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace zorvik
