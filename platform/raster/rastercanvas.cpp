#include "platform/raster/rastercanvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <set>
#include <type_traits>
#include <vector>

#include "platform/raster/fonts.h"
#include "platform/raster/pngencoder.h"

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
    // The frame position of a device pixel: map's inverse.
    void unmap(long long sx, long long sy, long long& u, long long& v) const {
        switch (quadrant) {
            case 1: v = sx - x; u = y - 1 - sy; break;
            case 2: u = x - 1 - sx; v = y - 1 - sy; break;
            case 3: v = x - 1 - sx; u = sy - y; break;
            default: u = sx - x; v = sy - y; break;
        }
    }
};

// Over an opaque pixel "over" is a plain mix, with the rounding of the
// general formula. Text mixes one colour over one background at a few
// hundred coverages, image after image: the mixes of the last pair are kept.
uint32_t mixOverOpaque(uint32_t dst, uint32_t rgb, unsigned a) {
    struct Mixes {
        uint32_t dst = 0, rgb = 0xFFFFFFFFu;  // no colour has that rgb
        std::array<uint32_t, 256> out{};      // 0: not mixed yet (every mix is opaque)
    };
    thread_local Mixes mixes;
    if (mixes.dst != dst || mixes.rgb != rgb) {
        mixes.dst = dst;
        mixes.rgb = rgb;
        mixes.out.fill(0);
    }
    uint32_t& out = mixes.out[a];
    if (out != 0) return out;
    constexpr unsigned outA = 255 * 255;
    out = kOpaque;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned s = (rgb >> shift) & 0xFF;
        const unsigned d = (dst >> shift) & 0xFF;
        out |= ((s * a * 255 + d * 255 * (255 - a) + outA / 2) / outA) << shift;
    }
    return out;
}

// The working lists of composing fills, kept per thread from image to image
// rather than allocated for each (a canvas draws on one thread at a time).
struct Scratch {
    std::vector<uint8_t> fillIndexes;
    std::vector<std::pair<int, int>> runs;
    std::vector<int> rows;
    std::vector<uint32_t> bandStart;
    std::vector<uint32_t> bandFills;
};
Scratch& scratch() {
    thread_local Scratch lists;
    return lists;
}

// N bytes of V from P: a symbol's elements and a glyph's box are a few
// pixels wide, for which memset's call and dispatch cost more than the stores.
inline void fillBytes(uint8_t* P, size_t N, uint8_t V) {
    if (N > 16) {
        std::memset(P, V, N);
        return;
    }
    const uint64_t v8 = 0x0101010101010101ull * V;
    if (N >= 8) {
        std::memcpy(P, &v8, 8);
        std::memcpy(P + N - 8, &v8, 8);
    } else if (N >= 4) {
        const auto v4 = static_cast<uint32_t>(v8);
        std::memcpy(P, &v4, 4);
        std::memcpy(P + N - 4, &v4, 4);
    } else {
        for (size_t i = 0; i < N; ++i) P[i] = V;
    }
}

int quadrantOf(int escapement) {
    int e = escapement % 3600;
    if (e < 0) e += 3600;
    return ((e + 450) / 900) % 4;
}

}  // namespace

RasterCanvas::RasterCanvas(int Width, int Height, int PixelsPerInch)
    : m_width(std::max(0, Width)), m_height(std::max(0, Height)) {
    const size_t count = std::max<size_t>(1, static_cast<size_t>(m_width) * static_cast<size_t>(m_height));
    m_indexes.reset(static_cast<uint8_t*>(std::malloc(count)));
    if (!m_indexes) m_width = m_height = 0;  // out of memory: an empty image, never a crash
    m_palette.reserve(256);                  // text brings a few hundred shades: no regrowth
    m_fills.reserve(128);                    // a symbol's elements, without regrowth
    setPixelsPerInch(PixelsPerInch);
}

bool RasterCanvas::indexOf(uint32_t Value, uint8_t& Index) const {
    size_t slot = (Value * 2654435761u) >> 23;  // 9 bits
    while (m_lookup[slot].entry != 0) {
        if (m_lookup[slot].value == Value) {
            Index = static_cast<uint8_t>(m_lookup[slot].entry - 1);
            return true;
        }
        slot = (slot + 1) & (m_lookup.size() - 1);
    }
    if (m_palette.size() == 256) return false;
    m_lookup[slot] = {Value, static_cast<uint16_t>(m_palette.size() + 1)};
    Index = static_cast<uint8_t>(m_palette.size());
    m_palette.push_back(Value);
    return true;
}

void RasterCanvas::toDirect() const {
    if (!m_indexed) return;
    const size_t count = std::max<size_t>(1, static_cast<size_t>(m_width) * static_cast<size_t>(m_height));
    m_pixels.reset(static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t))));
    if (!m_pixels) {
        m_width = m_height = 0;
        return;
    }
    if (m_cleared)
        for (size_t i = 0; i < count; ++i) m_pixels[i] = m_palette[m_indexes[i]];
    m_indexes.reset();
    m_indexed = false;
}

void RasterCanvas::ensureCleared() const {
    flush();
    if (m_cleared) return;
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    uint8_t transparent = 0;
    if (m_indexed && !indexOf(m_clear, transparent)) toDirect();
    if (m_indexed) std::memset(m_indexes.get(), transparent, count);
    else std::fill(m_pixels.get(), m_pixels.get() + count, m_clear);
    m_cleared = true;
}

const uint8_t* RasterCanvas::data() const {
    ensureCleared();
    toDirect();
    return reinterpret_cast<const uint8_t*>(m_pixels.get());
}

uint32_t RasterCanvas::pixel(int X, int Y) const {
    ensureCleared();
    if (X < 0 || Y < 0 || X >= m_width || Y >= m_height) return 0;
    return at(static_cast<size_t>(Y) * static_cast<size_t>(m_width) + static_cast<size_t>(X));
}

void RasterCanvas::fillArea(int Left, int Top, int Right, int Bottom, TColor Color) {
    const int l = std::max(Left, 0), r = std::min(Right, m_width);
    const int t = std::max(Top, 0), b = std::min(Bottom, m_height);
    if (l >= r || t >= b) return;
    m_fills.push_back({l, t, r, b, kOpaque | (static_cast<uint32_t>(Color) & 0xFFFFFFu)});
    if (m_fills.size() >= 65536) flush();
}

void RasterCanvas::fillNow(const Fill& f) const {
    const size_t stride = static_cast<size_t>(m_width);
    const size_t w = static_cast<size_t>(f.right - f.left);
    uint8_t index = 0;
    if (m_indexed && !indexOf(f.value, index)) toDirect();
    if (m_indexed) {
        uint8_t* row = m_indexes.get() + static_cast<size_t>(f.top) * stride + static_cast<size_t>(f.left);
        for (int y = f.top; y < f.bottom; ++y, row += stride) fillBytes(row, w, index);
    } else {
        uint32_t* row = m_pixels.get() + static_cast<size_t>(f.top) * stride + static_cast<size_t>(f.left);
        for (int y = f.top; y < f.bottom; ++y, row += stride) std::fill(row, row + w, f.value);
    }
}

void RasterCanvas::flush() const {
    if (m_fills.empty()) return;
    if (m_fills.size() == 1 && m_cleared) {
        fillNow(m_fills.front());
        m_fills.clear();
        return;
    }
    if (m_indexed) {
        std::vector<uint8_t>& values = scratch().fillIndexes;
        values.resize(m_fills.size());
        uint8_t transparent = 0;
        bool fits = m_cleared || indexOf(m_clear, transparent);
        // Bars and spaces alternate two colours: the last two answers are kept.
        uint32_t seen[2] = {0, 0};  // $AABBGGRR of fills is never 0: they are opaque
        uint8_t seenIndex[2] = {0, 0};
        for (size_t i = 0; fits && i < m_fills.size(); ++i) {
            const uint32_t v = m_fills[i].value;
            if (v == seen[0]) {
                values[i] = seenIndex[0];
            } else if (v == seen[1]) {
                values[i] = seenIndex[1];
            } else if ((fits = indexOf(v, values[i]))) {
                seen[1] = seen[0];
                seenIndex[1] = seenIndex[0];
                seen[0] = v;
                seenIndex[0] = values[i];
            }
        }
        if (fits) {
            compose<uint8_t>(m_indexes.get(), values, transparent);
            return;
        }
        toDirect();
    }
    std::vector<uint32_t> values(m_fills.size());
    for (size_t i = 0; i < m_fills.size(); ++i) values[i] = m_fills[i].value;
    compose<uint32_t>(m_pixels.get(), values, m_clear);
}

template <typename Pixel>
void RasterCanvas::compose(Pixel* Pixels, const std::vector<Pixel>& Values, Pixel Clear) const {
    // Rows between two consecutive fill edges are covered by the same fills:
    // the first such row is composed from them, in their order, and the others
    // copy its covered runs.
    const size_t stride = static_cast<size_t>(m_width);
    const bool wasCleared = m_cleared;
    int clearedUpTo = 0;  // rows above this are written or cleared
    auto clearRows = [&](int from, int to) {
        if (wasCleared || from >= to) return;
        Pixel* p = Pixels + static_cast<size_t>(from) * stride;
        std::fill(p, p + static_cast<size_t>(to - from) * stride, Clear);
    };
    std::vector<std::pair<int, int>>& runs = scratch().runs;
    auto bandOf = [&](int y0, int y1, const auto& forEachActive) {
        // A fill across the whole width (a symbol's background) makes every
        // row of the band the same as its first.
        bool any = false, whole = false;
        forEachActive([&](size_t i) {
            any = true;
            whole = whole || (m_fills[i].left == 0 && m_fills[i].right == m_width);
        });
        if (!any) return;
        clearRows(clearedUpTo, y0);
        clearedUpTo = y1;
        Pixel* first = Pixels + static_cast<size_t>(y0) * stride;
        auto writeFirstRow = [&] {
            forEachActive([&](size_t i) {
                const Fill& f = m_fills[i];
                Pixel* p = first + f.left;
                const Pixel v = Values[i];
                if constexpr (sizeof(Pixel) == 1) {
                    fillBytes(p, static_cast<size_t>(f.right - f.left), v);
                } else {
                    for (int x = f.right - f.left; x > 0; --x) *p++ = v;
                }
            });
        };
        if (whole || !wasCleared) {
            // Rows never drawn before: what no fill covers is the clear value
            // in every row alike, so whole rows are copied.
            if (!whole) std::fill(first, first + stride, Clear);
            writeFirstRow();
            for (int y = y0 + 1; y < y1; ++y)
                std::memcpy(first + static_cast<size_t>(y - y0) * stride, first, stride * sizeof(Pixel));
            return;
        }
        // Rows drawn before keep what lies outside the fills: only the
        // covered runs are copied.
        runs.clear();
        bool ordered = true;
        forEachActive([&](size_t i) {
            ordered = ordered && (runs.empty() || runs.back().first <= m_fills[i].left);
            runs.emplace_back(m_fills[i].left, m_fills[i].right);
        });
        // A symbol lays its elements left to right: usually nothing to sort.
        if (!ordered) std::sort(runs.begin(), runs.end());
        size_t n = 0;
        for (const auto& run : runs) {
            if (n > 0 && run.first <= runs[n - 1].second)
                runs[n - 1].second = std::max(runs[n - 1].second, run.second);
            else
                runs[n++] = run;
        }
        runs.resize(n);
        writeFirstRow();
        for (int y = y0 + 1; y < y1; ++y) {
            Pixel* row = first + static_cast<size_t>(y - y0) * stride;
            for (const auto& [from, to] : runs)
                std::memcpy(row + from, first + from, static_cast<size_t>(to - from) * sizeof(Pixel));
        }
    };

    // The distinct fill edges; a horizontal symbol has a handful, and most
    // of its fills share their top and bottom with the fill before.
    std::vector<int>& ys = scratch().rows;
    ys.clear();
    bool few = true;
    for (size_t i = 0; i < m_fills.size() && few; ++i) {
        if (i > 0 && m_fills[i].top == m_fills[i - 1].top && m_fills[i].bottom == m_fills[i - 1].bottom) continue;
        for (int y : {m_fills[i].top, m_fills[i].bottom})
            if (std::find(ys.begin(), ys.end(), y) == ys.end()) {
                ys.push_back(y);
                if (ys.size() > 64) few = false;
            }
    }
    if (few) {
        std::sort(ys.begin(), ys.end());
        // Few row bands (a horizontal symbol): the fills of each band listed
        // once, in their order (a counting sort by band).
        const size_t bands = ys.size() - 1;
        std::vector<uint32_t>& start = scratch().bandStart;
        std::vector<uint32_t>& members = scratch().bandFills;
        start.assign(bands + 2, 0);
        auto bandsOf = [&, lastTop = 0, lastBottom = 0, b0 = size_t{0}, b1 = size_t{0}](const Fill& f) mutable {
            if (f.top != lastTop || f.bottom != lastBottom || b1 == 0) {
                lastTop = f.top;
                lastBottom = f.bottom;
                b0 = static_cast<size_t>(std::lower_bound(ys.begin(), ys.end(), f.top) - ys.begin());
                b1 = static_cast<size_t>(std::lower_bound(ys.begin(), ys.end(), f.bottom) - ys.begin());
            }
            return std::pair<size_t, size_t>(b0, b1);
        };
        for (const Fill& f : m_fills) {
            const auto [b0, b1] = bandsOf(f);
            for (size_t b = b0; b < b1; ++b) ++start[b + 2];
        }
        for (size_t b = 2; b < start.size(); ++b) start[b] += start[b - 1];
        members.resize(start.back());
        for (size_t i = 0; i < m_fills.size(); ++i) {
            const auto [b0, b1] = bandsOf(m_fills[i]);
            for (size_t b = b0; b < b1; ++b) members[start[b + 1]++] = static_cast<uint32_t>(i);
        }
        // start[b] .. start[b + 1] now lists band b.
        for (size_t k = 0; k < bands; ++k) {
            bandOf(ys[k], ys[k + 1], [&](auto&& use) {
                for (uint32_t j = start[k]; j < start[k + 1]; ++j) use(members[j]);
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
            bandOf(y0, y1, [&](auto&& use) {
                for (size_t i : active) use(i);
            });
        }
    }
    clearRows(clearedUpTo, m_height);
    m_cleared = true;
    m_fills.clear();
}

namespace {

// The palette a canvas ended with, the part it had before its first text,
// and its text's kept blends: the next image of a batch or of a repeated
// draw starts its text with the same palette and can take them all.
// Trivially destructible: a canvas destroyed late in a thread's exit may
// still write it.
struct TextPalette {
    bool valid = false;
    size_t before = 0;  // entries before the first text
    uint32_t rgb = 0;
    int dst = -1;
    size_t size = 0;
    std::array<uint32_t, 256> palette{};
    std::array<uint32_t, 512> values{};
    std::array<uint16_t, 512> entries{};
    std::array<int16_t, 256> blends{};
};

static_assert(std::is_trivially_destructible_v<TextPalette>);

TextPalette& lastTextPalette() {
    thread_local TextPalette last;
    return last;
}

}  // namespace

RasterCanvas::~RasterCanvas() {
    if (m_textRgb == kNoText || !m_indexed || m_textDst < 0) return;
    TextPalette& last = lastTextPalette();
    last.valid = true;
    last.before = m_textFrom;
    last.rgb = m_textRgb;
    last.dst = m_textDst;
    last.size = m_palette.size();
    std::copy(m_palette.begin(), m_palette.end(), last.palette.begin());
    for (size_t i = 0; i < m_lookup.size(); ++i) {
        last.values[i] = m_lookup[i].value;
        last.entries[i] = m_lookup[i].entry;
    }
    last.blends = m_textBlends;
}

void RasterCanvas::adoptTextPalette() {
    // Which palette entry a colour gets changes no pixel: the PNG file orders
    // its palette by first appearance, and pixels read back as colours. So a
    // canvas whose palette so far is what the last one had before its text
    // may take that canvas's whole palette and its blends at once.
    m_textFrom = m_palette.size();
    const TextPalette& last = lastTextPalette();
    if (!last.valid || last.rgb != m_textRgb || last.before != m_palette.size() ||
        !std::equal(m_palette.begin(), m_palette.end(), last.palette.begin()))
        return;
    m_palette.assign(last.palette.begin(), last.palette.begin() + static_cast<ptrdiff_t>(last.size));
    for (size_t i = 0; i < m_lookup.size(); ++i) m_lookup[i] = {last.values[i], last.entries[i]};
    m_textBlends = last.blends;
    m_textDst = last.dst;
}

void RasterCanvas::textBlend(size_t Offset, uint32_t Rgb, unsigned Coverage) {
    // The blend of this palette entry at this coverage, when remembered:
    // blendAt would give the same.
    uint8_t& dst = m_indexes[Offset];
    const BlendMemo& memo = m_blends[(dst * 31u + Coverage) & (m_blends.size() - 1)];
    if (memo.valid && memo.rgb == Rgb && memo.dst == dst && memo.coverage == Coverage) {
        dst = memo.result;
        return;
    }
    const int before = dst;
    const int after = blendAt(Offset, Rgb, Coverage);
    if (after < 0) return;
    if (m_textDst < 0) m_textDst = before;
    if (before == m_textDst) m_textBlends[Coverage] = static_cast<int16_t>(after);
}

int RasterCanvas::blendAt(size_t offset, uint32_t Rgb, unsigned a) {
    const uint32_t dst = at(offset);
    uint32_t out = 0;
    const unsigned da = dst >> 24;
    if (a >= 255) {
        out = kOpaque | Rgb;
    } else if (da == 255) {
        out = mixOverOpaque(dst, Rgb, a);
    } else {
        // Straight-alpha "over"; a > 0, so outA > 0.
        const unsigned outA = a * 255 + da * (255 - a);  // scaled by 255
        for (int shift = 0; shift < 24; shift += 8) {
            const unsigned s = (Rgb >> shift) & 0xFF;
            const unsigned d = (dst >> shift) & 0xFF;
            const unsigned c = (s * a * 255 + d * da * (255 - a) + outA / 2) / outA;
            out |= std::min(c, 255u) << shift;
        }
        out |= ((outA + 127) / 255) << 24;
    }
    uint8_t index = 0;
    if (m_indexed && !indexOf(out, index)) toDirect();
    if (!m_indexed) {
        m_pixels[offset] = out;
        return -1;
    }
    uint8_t& pixel = m_indexes[offset];
    m_blends[(pixel * 31u + a) & (m_blends.size() - 1)] = {true, static_cast<uint8_t>(a), pixel, index, Rgb};
    pixel = index;
    return index;
}

void RasterCanvas::drawText(int X, int Y, std::string_view Utf8, const TTextStyle& Style) {
    ensureCleared();
    // An empty image shows nothing, and its last row or column (-1) must not
    // become the visible part of the text frame.
    if (m_width <= 0 || m_height <= 0) return;
    raster::FontFace* face = raster::faceFor(Style.font);
    if (face == nullptr) return;
    const TextFrame frame{X, Y, quadrantOf(Style.font.lfEscapement)};
    const uint32_t rgb = static_cast<uint32_t>(Style.color) & 0xFFFFFFu;
    const int cell = face->ascent + face->descent;
    if (rgb != m_textRgb) {
        // The kept blends are those of one text colour.
        const bool first = m_textRgb == kNoText;
        m_textRgb = rgb;
        m_textDst = -1;
        m_textBlends.fill(-1);
        if (first && m_indexed) adoptTextPalette();
    }

    // Fills a rectangle [u0,u1) x [v0,v1) of the text frame on the device, at
    // once: the glyph blends onto it.
    auto fillText = [&](int u0, int v0, int u1, int v1, TColor color) {
        if (u0 >= u1 || v0 >= v1) return;
        int ax, ay, bx, by;
        frame.map(u0, v0, ax, ay);
        frame.map(u1 - 1, v1 - 1, bx, by);
        const int l = std::max(std::min(ax, bx), 0), r = std::min(std::max(ax, bx) + 1, m_width);
        const int t = std::max(std::min(ay, by), 0), b = std::min(std::max(ay, by) + 1, m_height);
        if (l < r && t < b) fillNow({l, t, r, b, kOpaque | (static_cast<uint32_t>(color) & 0xFFFFFFu)});
    };

    // The part of the text frame the canvas shows: glyphs outside it cost
    // only their advance, and big glyphs are rendered only where they show.
    long long u0, v0, u1, v1;
    frame.unmap(0, 0, u0, v0);
    frame.unmap(static_cast<long long>(m_width) - 1, static_cast<long long>(m_height) - 1, u1, v1);
    const long long uMin = std::min(u0, u1), uMax = std::max(u0, u1);
    const long long vMin = std::min(v0, v1), vMax = std::max(v0, v1);
    // Frame positions clamped just outside the visible part, so that int
    // arithmetic on them never overflows however long the text.
    auto clampU = [&](long long u) { return static_cast<int>(std::clamp(u, uMin - 1, uMax + 1)); };
    auto clampV = [&](long long v) { return static_cast<int>(std::clamp(v, vMin - 1, vMax + 1)); };

    std::vector<uint8_t> part;
    long long pen = 0;
    thread_local std::vector<char32_t> codePoints;
    raster::decodeUtf8(Utf8, codePoints);
    for (char32_t cp : codePoints) {
        // Past the right edge nothing more can show (a glyph reaches back at
        // most about its em before its pen position).
        if (pen - 2 * static_cast<long long>(face->em) - 2 > uMax) break;
        const raster::Glyph& g = face->glyph(cp);
        if (Style.opaque) fillText(clampU(pen), clampV(0), clampU(pen + g.advance), clampV(cell), Style.background);
        const long long gl = pen + g.left, gt = static_cast<long long>(face->ascent) - g.top;
        const long long cl = std::max(gl, uMin), cr = std::min(gl + g.width, uMax + 1);
        const long long rt = std::max(gt, vMin), rb = std::min(gt + g.rows, vMax + 1);
        if (cl < cr && rt < rb) {
            const int c0 = static_cast<int>(cl - gl), r0 = static_cast<int>(rt - gt);
            const int w = static_cast<int>(cr - cl), h = static_cast<int>(rb - rt);
            const uint8_t* cov;
            int stride;
            if (g.whole) {
                cov = g.coverage.data() + static_cast<ptrdiff_t>(r0) * g.width + c0;
                stride = g.width;
            } else {
                face->renderPart(cp, c0, r0, w, h, part);
                cov = part.data();
                stride = w;
            }
            // The glyph's window lies on the canvas (clipped above): its
            // pixels are walked by offset, one step along the text and one
            // across it, whatever the turn.
            int x0, y0, xu, yu, xv, yv;
            frame.map(static_cast<int>(cl), static_cast<int>(rt), x0, y0);
            frame.map(static_cast<int>(cl) + 1, static_cast<int>(rt), xu, yu);
            frame.map(static_cast<int>(cl), static_cast<int>(rt) + 1, xv, yv);
            const auto stride2 = static_cast<ptrdiff_t>(m_width);
            const ptrdiff_t stepU = (yu - y0) * stride2 + (xu - x0), stepV = (yv - y0) * stride2 + (xv - x0);
            ptrdiff_t rowOffset = static_cast<ptrdiff_t>(y0) * stride2 + x0;
            // Pixels are bytes, which may alias anything: what the loop reads
            // stays in locals, refreshed after a blend not known before.
            bool indexed = m_indexed;
            uint8_t* pixels = indexed ? m_indexes.get() : nullptr;
            int textDst = m_textDst;
            const int16_t* const known = m_textBlends.data();
            for (int r = 0; r < h; ++r, rowOffset += stepV) {
                const uint8_t* line = cov + static_cast<ptrdiff_t>(r) * stride;
                ptrdiff_t offset = rowOffset;
                int c = 0;
                while (c < w) {
                    if (!indexed) {
                        for (; c < w; ++c, offset += stepU)
                            if (line[c] != 0) blendAt(static_cast<size_t>(offset), rgb, line[c]);
                        break;
                    }
                    // Most text lies on one palette entry (its background),
                    // whose blends at every coverage are kept: a tight loop
                    // until a pixel needs more.
                    for (; c < w; ++c, offset += stepU) {
                        const uint8_t a = line[c];
                        if (a == 0) continue;
                        uint8_t& dst = pixels[offset];
                        if (dst != textDst || known[a] < 0) break;
                        dst = static_cast<uint8_t>(known[a]);
                    }
                    if (c == w) break;
                    const uint8_t a = line[c];
                    uint8_t& dst = pixels[offset];
                    if (textDst < 0) textDst = m_textDst = dst;
                    if (dst == textDst) {
                        // The first blend at this coverage onto the text's
                        // entry: its colour, then its palette entry (new
                        // colours join the palette in the order they appear).
                        const uint32_t under = m_palette[dst];
                        uint8_t entry = 0;
                        if ((a >= 255 || (under >> 24) == 255) &&
                            indexOf(a >= 255 ? kOpaque | rgb : mixOverOpaque(under, rgb, a), entry)) {
                            m_textBlends[a] = entry;
                            dst = entry;
                            ++c;
                            offset += stepU;
                            continue;
                        }
                    }
                    textBlend(static_cast<size_t>(offset), rgb, a);
                    indexed = m_indexed;
                    pixels = indexed ? m_indexes.get() : nullptr;
                    textDst = m_textDst;
                    ++c;
                    offset += stepU;
                }
            }
        }
        pen += g.advance;
    }
    if (codePoints.capacity() > (size_t{1} << 16))
        std::vector<char32_t>().swap(codePoints);  // a huge text's memory goes
    if (Style.font.lfUnderline) {
        const long long v = static_cast<long long>(face->ascent) + face->underlinePosition;
        fillText(clampU(0), clampV(v), clampU(pen), clampV(v + face->lineThickness), Style.color);
    }
    if (Style.font.lfStrikeOut) {
        const long long v = static_cast<long long>(face->ascent) - face->ascent / 3;
        fillText(clampU(0), clampV(v), clampU(pen), clampV(v + face->lineThickness), Style.color);
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

bool RasterCanvas::writePng(std::FILE* File, std::string& Error) const {
    ensureCleared();
    if (m_width <= 0 || m_height <= 0) {
        Error = "an image needs at least one pixel";
        return false;
    }
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    PngImage image;
    image.width = m_width;
    image.height = m_height;
    image.pixelsPerInch = pixelsPerInch();
    // A palette of 1, 2, 4 or 8 bits per pixel when the colours allow, with
    // the transparency of each entry: the same pixels in a fraction of the
    // bytes, written and compressed a good deal faster.
    std::vector<uint8_t> indexes;
    if (m_indexed) {
        image.indexes = m_indexes.get();
        image.palette = m_palette;
    } else if (indexColours(m_pixels.get(), count, image.palette, indexes)) {
        image.indexes = indexes.data();
    } else {
        image.indexed = false;
        image.rgba = reinterpret_cast<const uint8_t*>(m_pixels.get());
    }
    // The whole file in memory, then one write.
    thread_local std::vector<uint8_t> bytes;
    bytes.clear();
    if (!encodePng(image, bytes)) {
        Error = "out of memory for the PNG image";
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), File) != bytes.size()) {
        Error = std::strerror(errno);
        return false;
    }
    if (bytes.capacity() > (size_t{1} << 24)) std::vector<uint8_t>().swap(bytes);
    return true;
}

}  // namespace zorvik
