#include "cli/verify.h"

#include <array>
#include <vector>

#include "cli/module.h"
#include "control/symbology.h"
#include "platform/raster/rastercanvas.h"

namespace zorvik::cli {

namespace {

// The reader's names of the symbologies, by ordinal; "" for those it does not read.
constexpr std::array<std::string_view, kBarCodeTypeCount> kReaderFormats{
    "Code39", "Code93", "Code128", "ITF", "", "", "Codabar", "EAN13", "EAN8", "EAN13", "EAN13", "UPCA"};
static_assert(kReaderFormats.size() == kBarCodeTypeCount);

// Codabar's characters by value, for its modulo 16 check character.
constexpr std::string_view kCodabarValues = "0123456789-$:/.+ABCD";

// The GS1 check digit (ISO/IEC 15420, Interleaved 2 of 5 alike): weights 3
// and 1 from the rightmost data digit.
char gs1Check(const std::string& digits) {
    int sum = 0, weight = 3;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, weight = 4 - weight) sum += (*it - '0') * weight;
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Code 39's modulo 43 check character (ISO/IEC 16388, annex A).
char code39Check(const std::string& text) {
    int sum = 0;
    for (char c : text) sum += static_cast<int>(kCode39Alphabet.find(c));
    return kCode39Alphabet[static_cast<size_t>(sum % 43)];
}

// A quiet zone of white around the symbol, as on paper; the image composited over white.
constexpr int kMargin = 40;

using ReadEntry = int (*)(const unsigned char*, int, int, const char*, char*, int);

ReadEntry reader(std::string& Error) {
    static ReadEntry entry = nullptr;
    static std::string failure;
    if (entry == nullptr && failure.empty())
        entry = reinterpret_cast<ReadEntry>(moduleEntry("zorvik-reader.so", "zorvik_read_barcode", "reader", failure));
    if (entry == nullptr) Error = failure;
    return entry;
}

}  // namespace

std::string expectedReading(const TZorvik& Control, std::string& Format, std::string& Why) {
    const TCode& code = *Control.Code();
    const TBarCodeType type = code.Symbology();
    const SymbologyInfo* info = symbologyInfo(type);
    std::string caption = code.Caption();
    Format = std::string(kReaderFormats[static_cast<size_t>(ord(type))]);
    if (Format.empty()) {
        Why = std::string(info->displayName) + " has no reader to check it with";
        return {};
    }
    switch (type) {
        case TBarCodeType::Code_39: return code.ControlChars() ? caption + code39Check(caption) : caption;
        case TBarCodeType::Code_93:
        case TBarCodeType::Code_128: return caption;  // the reader checks and drops their check characters
        case TBarCodeType::ITF: {
            // Pairs of digits: a leading 0 evens the count, the check digit included.
            const bool check = code.ControlChars();
            if ((caption.size() + (check ? 1 : 0)) % 2 != 0) caption.insert(caption.begin(), '0');
            if (check) caption += gs1Check(caption);
            if (caption.size() < 6) {
                Why = "the reader does not read Interleaved 2 of 5 of fewer than 6 digits";
                return {};
            }
            return caption;
        }
        case TBarCodeType::Codabar: {
            // The reader leaves out the start and stop characters (A when the caption names none).
            std::string start = "A", stop = "A";
            if (!caption.empty() && kCodabarEnds.find(caption.front()) != std::string_view::npos) {
                start = caption.substr(0, 1);
                caption.erase(0, 1);
            }
            if (!caption.empty() && kCodabarEnds.find(caption.back()) != std::string_view::npos) {
                stop = caption.substr(caption.size() - 1);
                caption.pop_back();
            }
            if (code.ControlChars()) {
                int sum = 0;
                for (char c : start + caption + stop) sum += static_cast<int>(kCodabarValues.find(c));
                caption += kCodabarValues[static_cast<size_t>(sum % 16)];
            }
            return caption;
        }
        case TBarCodeType::EAN_13:
        case TBarCodeType::EAN_8:
        case TBarCodeType::UPC_A: {
            const size_t data = type == TBarCodeType::EAN_13 ? 12 : type == TBarCodeType::EAN_8 ? 7 : 11;
            const std::string digits = caption.substr(0, data);
            return digits + gs1Check(digits);
        }
        case TBarCodeType::EAN_13_2AddOn:
        case TBarCodeType::EAN_13_5AddOn: {
            const size_t addOn = type == TBarCodeType::EAN_13_2AddOn ? 2 : 5;
            const std::string main = caption.substr(0, 12);
            return main + gs1Check(main) + ' ' + caption.substr(caption.size() >= addOn ? caption.size() - addOn : 0);
        }
        default: break;
    }
    Why = "no reader";
    return {};
}

VerifyResult verifySymbol(const TZorvik& Control, const RecordingCanvas& Recording, int Width, int Height,
                          std::string& Message) {
    std::string format, why;
    const std::string expected = expectedReading(Control, format, why);
    if (expected.empty()) {
        Message = "not verified: " + why;
        return VerifyResult::NotReadable;
    }
    ReadEntry read = reader(Message);
    if (read == nullptr) return VerifyResult::Failed;

    RasterCanvas image(Width, Height);
    Recording.replay(image);
    const int w = Width + 2 * kMargin, h = Height + 2 * kMargin;
    std::vector<unsigned char> lum(static_cast<size_t>(w) * static_cast<size_t>(h), 255);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const uint32_t p = image.pixel(x, y);
            const unsigned a = p >> 24, r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF;
            // ITU-R BT.601 luma, over white paper.
            const unsigned l = (r * 299 + g * 587 + b * 114) / 1000;
            lum[static_cast<size_t>(y + kMargin) * static_cast<size_t>(w) + static_cast<size_t>(x + kMargin)] =
                static_cast<unsigned char>((l * a + 255 * (255 - a)) / 255);
        }
    std::array<char, 512> text{};
    const int n = read(lum.data(), w, h, format.c_str(), text.data(), static_cast<int>(text.size()));
    if (n < 0) {
        Message = "Not verified: the symbol does not read back (expected '" + expected + "')";
        return VerifyResult::Wrong;
    }
    const std::string got(text.data(), static_cast<size_t>(n));
    if (got != expected) {
        Message = "Not verified: the symbol reads as '" + got + "', not '" + expected + "'";
        return VerifyResult::Wrong;
    }
    return VerifyResult::Read;
}

}  // namespace zorvik::cli
