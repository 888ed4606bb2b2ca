// The barcode reader the command checks its symbols with, as a module it
// loads only for --verify, so that no other run loads zxing-cpp.
#include <ZXing/BarcodeFormat.h>
#include <ZXing/ReadBarcode.h>

#include <cstring>
#include <string>

// Reads the first symbol of Format (zxing-cpp's name, e.g. "EAN13") in a
// Width x Height image of 8-bit luminance; writes its text, NUL-terminated,
// into Text. Returns the text's length, or -1 when nothing was read.
extern "C" __attribute__((visibility("default"))) int zorvik_read_barcode(const unsigned char* Luminance, int Width,
                                                                          int Height, const char* Format, char* Text,
                                                                          int Capacity) {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormatFromString(Format));
    hints.setTryRotate(true);
    hints.setTryHarder(true);
    hints.setEanAddOnSymbol(ZXing::EanAddOnSymbol::Read);
    const auto result = ZXing::ReadBarcode(ZXing::ImageView(Luminance, Width, Height, ZXing::ImageFormat::Lum), hints);
    if (!result.isValid()) return -1;
    const std::string text = result.text();
    const int n = static_cast<int>(std::min<size_t>(text.size(), static_cast<size_t>(Capacity > 0 ? Capacity - 1 : 0)));
    std::memcpy(Text, text.data(), static_cast<size_t>(n));
    if (Capacity > 0) Text[n] = '\0';
    return n;
}
