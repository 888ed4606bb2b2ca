// The pixel-buffer canvas: fills written straight into memory, text through
// FreeType, PNG files through libpng.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <string>
#include <vector>


#include "platform/graphics.h"

namespace zorvik {

class RasterCanvas : public TCanvas {
public:
    // A Width x Height image, every pixel transparent (alpha 0).
    RasterCanvas(int Width, int Height, int PixelsPerInch = 96);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Pixels row by row, each as the bytes R, G, B, A.
    const uint8_t* data() const {
        flushBand();
        ensureCleared();
        return reinterpret_cast<const uint8_t*>(m_pixels.get());
    }
    // $AABBGGRR: alpha in the top byte, then the TColor layout.
    uint32_t pixel(int X, int Y) const;
    TColor colorAt(int X, int Y) const { return static_cast<TColor>(pixel(X, Y) & 0xFFFFFF); }
    uint8_t alphaAt(int X, int Y) const { return static_cast<uint8_t>(pixel(X, Y) >> 24); }

    // Writes the image as an RGBA PNG recording the canvas resolution. On
    // failure returns false with a reason in Error.
    bool writePng(const std::string& Path, std::string& Error) const;
    bool writePng(std::FILE* File, std::string& Error) const;

protected:
    void fillArea(int Left, int Top, int Right, int Bottom, TColor Color) override;
    void drawText(int X, int Y, std::string_view Utf8, const TTextStyle& Style) override;

private:
    void blend(int X, int Y, uint32_t Rgb, unsigned Coverage);
    // Fills wait here until something else is drawn or read, and are then
    // written row by row, each row once: bars and spaces of a horizontal
    // symbol share their rows, so most rows are copies of the one above.
    void flushBand() const;
    struct Fill {
        int left, top, right, bottom;
        uint32_t value;
    };
    mutable std::vector<Fill> m_fills;
    mutable std::vector<std::pair<int, int>> m_scratchRuns;
    mutable std::vector<int> m_scratchRows;
    void fillNow(const Fill& F) const;

    int m_width;
    int m_height;
    // Not zeroed until something needs it: a symbol's background usually
    // covers the whole image first, and then there is nothing to clear.
    void ensureCleared() const;
    mutable bool m_cleared = false;
    struct Free {
        void operator()(uint32_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint32_t[], Free> m_pixels;
};

}  // namespace zorvik
