// PNG files built in memory, so that a file is one buffer and one write. The
// image data is compressed here too: barcode rows repeat, and a general
// compressor spends its time searching what is known before it starts.
#pragma once

#include <cstdint>
#include <vector>

namespace zorvik {

struct PngImage {
    int width = 0;
    int height = 0;
    int pixelsPerInch = 96;
    // Indexed: Width x Height palette indexes, one byte each, and the palette
    // as $AABBGGRR. Otherwise Width x Height pixels as the bytes R, G, B, A.
    bool indexed = true;
    const uint8_t* indexes = nullptr;
    std::vector<uint32_t> palette;
    const uint8_t* rgba = nullptr;
};

// Appends the whole file to Out. An indexed image is written with the fewest
// bits per pixel its palette allows (1, 2, 4 or 8) and a transparency entry per
// colour when any is translucent; every row is filtered "up" (a repeated row
// becomes zeros). Returns false only when memory runs out.
bool encodePng(const PngImage& Image, std::vector<uint8_t>& Out);

}  // namespace zorvik
