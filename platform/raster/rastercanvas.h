// The pixel-buffer canvas: fills written straight into memory, text through
// FreeType, PNG files through libpng.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics.h"

namespace zorvik {

class RasterCanvas : public TCanvas {
public:
    // A Width x Height image, every pixel transparent (alpha 0, black unless
    // setTransparentColor says otherwise).
    RasterCanvas(int Width, int Height, int PixelsPerInch = 96);
    ~RasterCanvas() override;
    RasterCanvas(const RasterCanvas&) = delete;
    RasterCanvas& operator=(const RasterCanvas&) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Pixels row by row, each as the bytes R, G, B, A.
    const uint8_t* data() const;
    // $AABBGGRR: alpha in the top byte, then the TColor layout.
    uint32_t pixel(int X, int Y) const;
    TColor colorAt(int X, int Y) const { return static_cast<TColor>(pixel(X, Y) & 0xFFFFFF); }
    uint8_t alphaAt(int X, int Y) const { return static_cast<uint8_t>(pixel(X, Y) >> 24); }

    // The colour that unpainted pixels keep under their alpha of 0; readers
    // that ignore alpha show it, so it is the symbol's background rather than
    // black. Set it before drawing.
    void setTransparentColor(TColor Color) { m_clear = static_cast<uint32_t>(Color) & 0xFFFFFFu; }

    // Writes the image as a PNG recording the canvas resolution: indexed when
    // it has at most 256 colours, RGBA otherwise. On failure returns false with
    // a reason in Error.
    bool writePng(const std::string& Path, std::string& Error) const;
    bool writePng(std::FILE* File, std::string& Error) const;

protected:
    void fillArea(int Left, int Top, int Right, int Bottom, TColor Color) override;
    void drawText(int X, int Y, std::string_view Utf8, const TTextStyle& Style) override;

private:
    struct Fill {
        int left, top, right, bottom;
        uint32_t value;  // $AABBGGRR
    };
    struct Free {
        void operator()(void* p) const { std::free(p); }
    };

    // Fills wait until something else is drawn or the pixels are read, and
    // are then written row by row, each row once: the bars and spaces of a
    // horizontal symbol share their rows, so most rows copy the one above.
    void flush() const;
    template <typename Pixel>
    void compose(Pixel* Pixels, const std::vector<Pixel>& Values, Pixel Clear) const;
    // Not cleared until something needs it: a symbol's background usually
    // covers the whole image first, and then there is nothing to clear.
    void ensureCleared() const;
    void fillNow(const Fill& F) const;
    // Blends the pixel at Offset, on the canvas, with Coverage > 0; returns
    // the palette entry written, or -1 once the image holds direct colours.
    int blendAt(size_t Offset, uint32_t Rgb, unsigned Coverage);
    // A text pixel of a palette image whose blend is not kept for the text's
    // entry: through the memo, else blendAt, and kept for later pixels.
    void textBlend(size_t Offset, uint32_t Rgb, unsigned Coverage);

    // A symbol has few colours: its pixels are kept as indexes into a palette
    // of at most 256, a quarter of the memory to write, and become 32-bit
    // colours only when an image has more.
    bool indexOf(uint32_t Value, uint8_t& Index) const;
    void toDirect() const;
    uint32_t at(size_t Offset) const { return m_indexed ? m_palette[m_indexes[Offset]] : m_pixels[Offset]; }

    uint32_t m_clear = 0;  // unpainted pixels, $AABBGGRR with alpha 0
    mutable int m_width;  // both 0 after running out of memory
    mutable int m_height;
    mutable bool m_indexed = true;
    mutable bool m_cleared = false;
    mutable std::unique_ptr<uint8_t[], Free> m_indexes;
    mutable std::unique_ptr<uint32_t[], Free> m_pixels;
    mutable std::vector<uint32_t> m_palette;
    // Entry + 1, so that a new canvas's table is all zeros (0: empty).
    struct Slot {
        uint32_t value = 0;
        uint16_t entry = 0;
    };
    mutable std::array<Slot, 512> m_lookup{};
    mutable std::vector<Fill> m_fills;
    struct BlendMemo {
        bool valid = false;
        uint8_t coverage = 0;
        uint8_t dst = 0;
        uint8_t result = 0;
        uint32_t rgb = 0;
    };
    std::array<BlendMemo, 256> m_blends{};
    // Text of colour m_textRgb over palette entry m_textDst (-1: none yet):
    // the entry each coverage gives, -1 until first blended.
    static constexpr uint32_t kNoText = 0xFFFFFFFFu;  // no colour has it
    uint32_t m_textRgb = kNoText;
    int m_textDst = -1;
    std::array<int16_t, 256> m_textBlends;
    size_t m_textFrom = 0;  // palette entries before the first text
    // Takes the last canvas's palette and text blends when this one's palette
    // so far is what that one had before its text (see the .cpp).
    void adoptTextPalette();
};

}  // namespace zorvik
