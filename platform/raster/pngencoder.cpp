#include "platform/raster/pngencoder.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace zorvik {

namespace {

// PNG (ISO/IEC 15948): the file signature, then chunks of length, type, data
// and a CRC-32 over type and data.
constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
static_assert(kSignature.size() == 8);
constexpr uint8_t kColourPalette = 3;
constexpr uint8_t kColourRgba = 6;
constexpr uint8_t kFilterUp = 2;
// A chunk holds at most 2^31 - 1 bytes; the image data is split well below.
constexpr size_t kMaxIdat = size_t{1} << 30;

// Deflate's match lengths and distances (RFC 1951, 3.2.5): the base of each
// code from 257 (lengths) and from 0 (distances), and its extra bits.
constexpr std::array<uint16_t, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                                    33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
static_assert(kLengthBase.size() == 29 && kLengthExtra.size() == 29);
static_assert(kDistanceBase.size() == 30 && kDistanceExtra.size() == 30);
constexpr int kMaxMatch = 258;
constexpr size_t kWindow = 32768;

constexpr uint32_t reversed(uint32_t Code, int Length) {
    uint32_t r = 0;
    for (int i = 0; i < Length; ++i) r |= ((Code >> i) & 1u) << (Length - 1 - i);
    return r;
}

// The fixed literal/length code (RFC 1951, 3.2.6), bit-reversed as deflate
// writes Huffman codes most significant bit first: 0-143 in 8 bits from 0x30,
// 144-255 in 9 bits from 0x190, 256-279 in 7 bits from 0, 280-287 in 8 bits from 0xC0.
struct FixedCode {
    uint16_t bits;
    uint8_t length;
};
constexpr std::array<FixedCode, 288> kFixedCodes = [] {
    std::array<FixedCode, 288> t{};
    for (uint32_t s = 0; s < 288; ++s) {
        const auto [code, length] = s < 144   ? std::pair<uint32_t, int>{0x30 + s, 8}
                                    : s < 256 ? std::pair<uint32_t, int>{0x190 + s - 144, 9}
                                    : s < 280 ? std::pair<uint32_t, int>{s - 256, 7}
                                              : std::pair<uint32_t, int>{0xC0 + s - 280, 8};
        t[s] = {static_cast<uint16_t>(reversed(code, length)), static_cast<uint8_t>(length)};
    }
    return t;
}();
static_assert(kFixedCodes.size() == 288);

// The length code (0 for 257) of each match length 3 to 258.
constexpr std::array<uint8_t, 259> kLengthCode = [] {
    std::array<uint8_t, 259> t{};
    for (size_t n = 3; n < t.size(); ++n) {
        size_t c = 0;
        while (c + 1 < kLengthBase.size() && kLengthBase[c + 1] <= n) ++c;
        t[n] = static_cast<uint8_t>(c);
    }
    return t;
}();
static_assert(kLengthCode.size() == 259);

// A zlib stream (RFC 1950) of one deflate block with the fixed Huffman codes
// (RFC 1951, 3.2.6). A barcode image is a few distinct rows, each repeated:
// after the "up" filter a repeated row is a copy of the one before it, so each
// run of repeated rows becomes a handful of back-references, and runs of one
// byte within a row become copies at distance 1. Compressing a symbol costs a
// pass over its distinct rows only.
// The bytes from Row[At] on that equal it, eight at a time.
size_t runFrom(const uint8_t* Row, size_t At, size_t Size) {
    const uint8_t b = Row[At];
    size_t j = At + 1;
    if (j == Size || Row[j] != b) return 1;  // most runs of a text row
    const uint64_t pattern = 0x0101010101010101ull * b;
    for (; j + 8 <= Size; j += 8) {
        uint64_t word;
        std::memcpy(&word, Row + j, 8);
        if (const uint64_t differs = word ^ pattern; differs != 0) {
            // The first differing byte is the lowest in memory.
            if constexpr (std::endian::native == std::endian::little)
                return j - At + static_cast<size_t>(std::countr_zero(differs) / 8);
            else
                return j - At + static_cast<size_t>(std::countl_zero(differs) / 8);
        }
    }
    while (j < Size && Row[j] == b) ++j;
    return j - At;
}

constexpr uint64_t kAdlerBase = 65521;  // the largest prime below 2^16 (RFC 1950, 8.2)

class FixedDeflate {
public:
    explicit FixedDeflate(std::vector<uint8_t>& Out) : m_out(Out) {
        m_out.resize(m_used + 64);
        m_out[m_used++] = 0x78;  // deflate, 32 KiB window
        m_out[m_used++] = 0x01;  // fastest; (0x78 << 8 | 0x01) is a multiple of 31
        put(1, 1);               // the final block
        put(1, 2);              // fixed Huffman codes
    }

    // One filtered row: a copy of the previous row when it equals it.
    void row(const uint8_t* Row, size_t Size, bool SameAsPrevious) {
        // Room for the row as literals (at most 9 bits a byte) and the copies before it.
        reserve(2 * Size + m_pending / 64 + 64);
        if (SameAsPrevious && Size <= kWindow) {
            m_pending += Size;
            m_adler = adler32_combine(m_adler, m_rowAdler, static_cast<z_off_t>(Size));
            return;
        }
        flushCopies(Size);
        m_last.assign(Row, Row + Size);
        // The row's Adler-32 (RFC 1950, 9) run by run: L bytes of value b add
        // b * L to the first sum and L * s1 + b * L (L + 1) / 2 to the second.
        // The sums are reduced only as they near 64 bits, or at once around
        // a run too long for that bound.
        uint64_t s1 = 1, s2 = 0;
        for (size_t i = 0; i < Size;) {
            const size_t run = runFrom(Row, i, Size);
            const uint64_t b = Row[i], l = run;
            if (l == 1) {
                s1 += b;
                s2 += s1;
                if (s2 >= (uint64_t{1} << 62)) {
                    s1 %= kAdlerBase;
                    s2 %= kAdlerBase;
                }
            } else if (l <= 65536) {
                // Single bytes leave s1 below 2^36 before s2 reaches 2^62, so
                // s2 stays below 2^62 + 2^53 here, and s1 below 2^37.
                s2 += l * s1 + b * (l * (l + 1) / 2);
                s1 += b * l;
                if (s1 >= (uint64_t{1} << 32)) s1 %= kAdlerBase;
                if (s2 >= (uint64_t{1} << 62)) s2 %= kAdlerBase;
            } else {
                s1 %= kAdlerBase;
                s2 = (s2 % kAdlerBase + l % kAdlerBase * s1 + b * (l * (l + 1) / 2 % kAdlerBase)) % kAdlerBase;
                s1 = (s1 + b * l) % kAdlerBase;
            }
            // A byte, then the rest of its run as a copy at distance 1 when
            // that is at least 3 bytes long, else as the same byte again.
            const FixedCode& code = kFixedCodes[Row[i]];
            if (run - 1 >= 3) {
                put(code.bits, code.length);
                match(run - 1, 1);
            } else if (run == 1) {
                put(code.bits, code.length);
            } else {
                // Two or three of the byte: at most 27 bits, in one go.
                uint32_t bits = code.bits;
                int length = code.length;
                for (size_t k = 1; k < run; ++k) {
                    bits |= static_cast<uint32_t>(code.bits) << length;
                    length += code.length;
                }
                put(bits, length);
            }
            i += run;
        }
        m_rowAdler = static_cast<uLong>((s2 % kAdlerBase) << 16 | (s1 % kAdlerBase));
        m_adler = adler32_combine(m_adler, m_rowAdler, static_cast<z_off_t>(Size));
        m_previousSize = Size;
    }

    void finish() {
        reserve(m_pending / 64 + 64);
        flushCopies(m_previousSize);
        code(256);  // end of block
        for (; m_bits > 0; m_bits -= 8, m_acc >>= 8) m_out[m_used++] = static_cast<uint8_t>(m_acc);
        m_out.resize(m_used);
        for (int shift = 24; shift >= 0; shift -= 8) m_out.push_back(static_cast<uint8_t>(m_adler >> shift));
    }

private:
    void reserve(size_t Bytes) {
        if (m_out.size() < m_used + Bytes) m_out.resize(std::max(2 * m_out.size(), m_used + Bytes));
    }
    // Bits go out least significant first, 32 at a time (at most 27 come at once).
    void put(uint32_t Bits, int Count) {
        m_acc |= static_cast<uint64_t>(Bits) << m_bits;
        m_bits += Count;
        if (m_bits >= 32) {
            if constexpr (std::endian::native == std::endian::little) {
                const auto low = static_cast<uint32_t>(m_acc);
                std::memcpy(m_out.data() + m_used, &low, 4);
                m_used += 4;
            } else {
                for (int k = 0; k < 4; ++k) m_out[m_used++] = static_cast<uint8_t>(m_acc >> (8 * k));
            }
            m_acc >>= 32;
            m_bits -= 32;
        }
    }
    void code(unsigned Symbol) { put(kFixedCodes[Symbol].bits, kFixedCodes[Symbol].length); }
    void literal(uint8_t Byte) { code(Byte); }
    // Length at least 3; split into pieces of at most 258 that each stay at least 3.
    void match(size_t Length, size_t Distance) {
        // The distance's code (5 bits, reversed) and extra bits, the same for every piece.
        size_t d = 0;
        while (d + 1 < kDistanceBase.size() && kDistanceBase[d + 1] <= Distance) ++d;
        const uint32_t distanceBits = reversed(static_cast<uint32_t>(d), 5) |
                                      static_cast<uint32_t>(Distance - kDistanceBase[d]) << 5;
        const int distanceLength = 5 + kDistanceExtra[d];
        while (Length > 0) {
            size_t piece = std::min<size_t>(Length, kMaxMatch);
            if (Length - piece > 0 && Length - piece < 3) piece = Length - 3;
            const size_t l = kLengthCode[piece];
            code(257 + static_cast<unsigned>(l));
            put(static_cast<uint32_t>(piece - kLengthBase[l]), kLengthExtra[l]);
            put(distanceBits, distanceLength);
            Length -= piece;
        }
    }
    // The repeated rows: copies of the row before, or, when too short for a
    // copy (a row of one or two bytes), its bytes again.
    void flushCopies(size_t RowSize) {
        if (m_pending >= 3) match(m_pending, RowSize);
        else
            for (size_t i = 0; i < m_pending; ++i) literal(m_last[i % m_last.size()]);
        m_pending = 0;
    }

    std::vector<uint8_t>& m_out;
    size_t m_used = m_out.size();  // bytes of m_out written; the rest is room
    uint64_t m_acc = 0;
    int m_bits = 0;
    uLong m_adler = adler32(0L, nullptr, 0);
    uLong m_rowAdler = 1;
    size_t m_pending = 0;  // bytes of repeated rows not yet written
    size_t m_previousSize = 0;
    std::vector<uint8_t> m_last;  // the last row written out
};

void put32(std::vector<uint8_t>& Out, uint32_t V) {
    const uint8_t b[4] = {static_cast<uint8_t>(V >> 24), static_cast<uint8_t>(V >> 16), static_cast<uint8_t>(V >> 8),
                          static_cast<uint8_t>(V)};
    Out.insert(Out.end(), b, b + 4);
}

void chunk(std::vector<uint8_t>& Out, const char (&Type)[5], const uint8_t* Data, size_t Size) {
    put32(Out, static_cast<uint32_t>(Size));
    const size_t start = Out.size();
    Out.insert(Out.end(), Type, Type + 4);
    if (Size > 0) Out.insert(Out.end(), Data, Data + Size);
    put32(Out, static_cast<uint32_t>(crc32(0L, Out.data() + start, static_cast<uInt>(Size + 4))));
}

}  // namespace

bool encodePng(const PngImage& Image, std::vector<uint8_t>& Out) try {
    const size_t width = static_cast<size_t>(Image.width);
    const size_t height = static_cast<size_t>(Image.height);
    // The palette in the order the image first shows its colours: entries
    // painted over entirely are left out, and so cost no bits per pixel. A
    // row equal to the one above brings no new colour and is skipped.
    std::array<int16_t, 256> order;
    std::vector<uint32_t> palette;
    int depth = 8;
    size_t stride = width * 4;
    if (Image.indexed) {
        // Beyond 16 colours the depth is 8 whatever follows: the rest of the
        // palette is then ordered while the rows are packed, in the same
        // order of first appearance.
        order.fill(-1);
        for (size_t y = 0; y < height && palette.size() <= 16; ++y) {
            const uint8_t* row = Image.indexes + y * width;
            if (y > 0 && std::memcmp(row, row - width, width) == 0) continue;
            for (size_t x = 0; x < width; ++x)
                if (order[row[x]] < 0) {
                    order[row[x]] = static_cast<int16_t>(palette.size());
                    palette.push_back(Image.palette[row[x]]);
                }
        }
        const size_t n = palette.size();
        depth = n <= 2 ? 1 : n <= 4 ? 2 : n <= 16 ? 4 : 8;
        stride = (width * static_cast<size_t>(depth) + 7) / 8;
    }

    // The image data: each row its filter byte, then its bytes less the row
    // above's (the "up" filter), compressed as it is made.
    thread_local std::vector<uint8_t> packed, previous, filtered, lastFiltered, compressed;
    packed.assign(stride, 0);
    previous.assign(stride, 0);
    filtered.assign(stride + 1, 0);
    lastFiltered.assign(stride + 1, 0);
    compressed.clear();
    FixedDeflate deflate(compressed);
    const int perByte = 8 / depth;
    // The last filtered row is all zeros (a repeated row): a row that
    // differs from the one above never is, its packing being one to one.
    bool lastZero = false;
    for (size_t y = 0; y < height; ++y) {
        uint8_t* out = filtered.data();
        *out++ = kFilterUp;
        const uint8_t* row = Image.indexed ? Image.indexes + y * width : Image.rgba + y * stride;
        const size_t rowBytes = Image.indexed ? width : stride;
        if (y > 0 && std::memcmp(row, row - rowBytes, rowBytes) == 0) {
            if (lastZero) {
                deflate.row(lastFiltered.data(), stride + 1, true);
                continue;
            }
            std::memset(out, 0, stride);
            deflate.row(filtered.data(), stride + 1, false);
            filtered.swap(lastFiltered);
            lastZero = true;
            continue;
        }
        previous.swap(packed);
        uint8_t* p = packed.data();
        if (!Image.indexed) {
            std::memcpy(p, row, stride);
        } else if (depth == 8) {
            // Where the row above shows the same pixels, eight at a time, it
            // packed to the same bytes (and brought no new colour): they are
            // copied. A symbol's text rows differ from the ones above at a few
            // glyph edges.
            const uint8_t* above = y > 0 ? row - width : nullptr;
            const uint8_t* packedAbove = previous.data();
            size_t x = 0;
            auto one = [&](size_t at) {
                int16_t o = order[row[at]];
                if (o < 0) {
                    o = order[row[at]] = static_cast<int16_t>(palette.size());
                    palette.push_back(Image.palette[row[at]]);
                }
                p[at] = static_cast<uint8_t>(o);
            };
            if (above != nullptr) {
                for (; x + 8 <= width; x += 8) {
                    if (std::memcmp(row + x, above + x, 8) == 0) {
                        std::memcpy(p + x, packedAbove + x, 8);
                    } else {
                        for (size_t k = x; k < x + 8; ++k) one(k);
                    }
                }
            }
            for (; x < width; ++x) one(x);
        } else {
            for (size_t x = 0; x < width; x += static_cast<size_t>(perByte)) {
                unsigned b = 0;
                for (int k = 0; k < perByte; ++k) {
                    const size_t at = x + static_cast<size_t>(k);
                    b = (b << depth) | (at < width ? static_cast<unsigned>(order[row[at]]) : 0u);
                }
                *p++ = static_cast<uint8_t>(b);
            }
        }
        uint8_t* __restrict o = out;
        const uint8_t* __restrict now = packed.data();
        const uint8_t* __restrict before = previous.data();
        for (size_t i = 0; i < stride; ++i) o[i] = static_cast<uint8_t>(now[i] - before[i]);
        deflate.row(filtered.data(), stride + 1,
                    y > 0 && std::memcmp(filtered.data(), lastFiltered.data(), stride + 1) == 0);
        // Only the first row, taken against a row of zeros, can be all zeros.
        lastZero = y == 0 && std::all_of(out, out + stride, [](uint8_t b) { return b == 0; });
        filtered.swap(lastFiltered);
    }
    deflate.finish();
    const size_t size = compressed.size();

    Out.insert(Out.end(), kSignature.begin(), kSignature.end());
    std::array<uint8_t, 13> header{};
    for (int i = 0; i < 4; ++i) {
        header[static_cast<size_t>(i)] = static_cast<uint8_t>(Image.width >> (24 - 8 * i));
        header[static_cast<size_t>(4 + i)] = static_cast<uint8_t>(Image.height >> (24 - 8 * i));
    }
    header[8] = static_cast<uint8_t>(depth);
    header[9] = Image.indexed ? kColourPalette : kColourRgba;
    // header[10..12]: deflate, adaptive filtering, no interlace (all 0)
    chunk(Out, "IHDR", header.data(), header.size());
    if (Image.indexed) {
        std::vector<uint8_t> colours, alphas;
        bool translucent = false;
        for (uint32_t c : palette) {
            colours.insert(colours.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16)});
            alphas.push_back(static_cast<uint8_t>(c >> 24));
            translucent = translucent || alphas.back() != 255;
        }
        chunk(Out, "PLTE", colours.data(), colours.size());
        if (translucent) chunk(Out, "tRNS", alphas.data(), alphas.size());
    }
    std::array<uint8_t, 9> phys{};
    const auto ppm = static_cast<uint32_t>(std::lround(Image.pixelsPerInch / 0.0254));
    for (int i = 0; i < 4; ++i)
        phys[static_cast<size_t>(i)] = phys[static_cast<size_t>(4 + i)] = static_cast<uint8_t>(ppm >> (24 - 8 * i));
    phys[8] = 1;  // pixels per metre
    chunk(Out, "pHYs", phys.data(), phys.size());
    for (size_t at = 0; at < size; at += kMaxIdat)
        chunk(Out, "IDAT", compressed.data() + at, std::min(kMaxIdat, size - at));
    chunk(Out, "IEND", nullptr, 0);
    // A large image's buffers are not kept for the next symbol.
    constexpr size_t kKeep = size_t{1} << 24;
    for (std::vector<uint8_t>* v : {&packed, &previous, &filtered, &lastFiltered, &compressed})
        if (v->capacity() > kKeep) std::vector<uint8_t>().swap(*v);
    return true;
} catch (const std::bad_alloc&) {
    return false;
}

}  // namespace zorvik
