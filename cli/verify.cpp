#include "cli/verify.h"

#include <algorithm>
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

// The 2 of 5 digits' five elements, 1 for wide: weights 1, 2, 4, 7 and parity,
// 0 taking weights 4 and 7 (the table every 2 of 5 code shares).
constexpr std::array<std::string_view, 10> kTwoOfFive{"00110", "10001", "01001", "11000", "00101",
                                                      "10100", "01100", "00011", "10010", "01010"};
static_assert(kTwoOfFive.size() == 10);

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

// The elements Industrial or IATA 2 of 5 lay for Digits, bars "A" narrow and
// "B" wide, each followed by a narrow space "1": Industrial starts with two
// wide bars and a narrow one and stops wide, narrow, wide; IATA starts with two
// narrow bars and stops wide, narrow.
std::string twoOfFiveElements(const std::string& digits, bool industrial) {
    std::string e = industrial ? "B1B1A1" : "A1A1";
    for (char d : digits)
        for (char w : kTwoOfFive[static_cast<size_t>(d - '0')]) e += w == '1' ? "B1" : "A1";
    return e + (industrial ? "B1A1B" : "B1A");
}

// The elements along one line of dark (luminance below half) and light
// pixels: runs wider than the midpoint of the narrowest and widest are wide.
std::string elementsAlong(const std::vector<bool>& dark) {
    std::vector<std::pair<bool, int>> runs;
    for (bool d : dark) {
        if (!runs.empty() && runs.back().first == d)
            ++runs.back().second;
        else
            runs.push_back({d, 1});
    }
    // A dark run at either end of the line is the control's border, never a
    // bar: every symbol keeps a quiet zone between its bars and the edges.
    if (!runs.empty() && runs.front().first) runs.erase(runs.begin());
    if (!runs.empty() && runs.back().first) runs.pop_back();
    while (!runs.empty() && !runs.front().first) runs.erase(runs.begin());
    while (!runs.empty() && !runs.back().first) runs.pop_back();
    if (runs.empty()) return {};
    int narrow = runs[0].second, wide = runs[0].second;
    for (const auto& r : runs) {
        narrow = std::min(narrow, r.second);
        wide = std::max(wide, r.second);
    }
    std::string e;
    for (const auto& r : runs) {
        const bool isWide = 2 * r.second > narrow + wide;
        e += r.first ? (isWide ? 'B' : 'A') : (isWide ? '2' : '1');
    }
    return e;
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
    if (type == TBarCodeType::Industrial || type == TBarCodeType::IATA) {
        // No reader: the drawn elements are compared with the published patterns.
        std::string digits = caption;
        if (type == TBarCodeType::Industrial && code.ControlChars()) {
            // Industrial 2 of 5's check digit weighs the digits 4 and 1 from the left.
            int sum = 0;
            for (size_t i = 0; i < digits.size(); ++i) sum += (i % 2 == 0 ? 4 : 1) * (digits[i] - '0');
            digits += static_cast<char>('0' + (10 - sum % 10) % 10);
        }
        Format = "elements";
        return twoOfFiveElements(digits, type == TBarCodeType::Industrial);
    }
    if (Format.empty()) {
        Why = std::string(info->displayName) + " has no reader to check it with";
        return {};
    }
    switch (type) {
        case TBarCodeType::Code_39:
            return code.ControlChars() ? caption + code39Check(caption) : caption;
        case TBarCodeType::Code_93:
        case TBarCodeType::Code_128:
            return caption;  // the reader checks and drops their check characters
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
        default:
            break;
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
    RasterCanvas image(Width, Height);
    Recording.replay(image);
    auto isDark = [&](int x, int y) {
        const uint32_t p = image.pixel(x, y);
        const unsigned a = p >> 24, l = ((p & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + ((p >> 16) & 0xFF) * 114) / 1000;
        return (l * a + 255 * (255 - a)) / 255 < 128;
    };
    if (format == "elements") {
        // Any line across the bars will do: horizontal symbols run left to
        // right, vertical ones from the bottom up.
        const bool horizontal = Control.Code()->Direction() == TDirection::Horizontal;
        const int lines = horizontal ? Height : Width, length = horizontal ? Width : Height;
        std::vector<bool> dark(static_cast<size_t>(length));
        for (int line = 0; line < lines; ++line) {
            for (int i = 0; i < length; ++i)
                dark[static_cast<size_t>(i)] = horizontal ? isDark(i, line) : isDark(line, Height - 1 - i);
            if (elementsAlong(dark) == expected) return VerifyResult::Read;
        }
        Message = "Not verified: the bars drawn are not the published pattern of " +
                  std::string(symbologyInfo(Control.Code()->Symbology())->displayName) + " for '" +
                  Control.Code()->Caption() + "'";
        return VerifyResult::Wrong;
    }
    ReadEntry read = reader(Message);
    if (read == nullptr) return VerifyResult::Failed;

    // A vertical symbol is laid from the bottom up: it is handed over turned a
    // quarter clockwise, so that it reads left to right as it is meant to be
    // read. (zxing-cpp 1.4 reads some Interleaved 2 of 5 symbols backwards as
    // other digits, and would test its own reversed reading, not the symbol.)
    const bool vertical = Control.Code()->Direction() == TDirection::Vertical;
    const int across = vertical ? Height : Width, along = vertical ? Width : Height;
    const int w = across + 2 * kMargin, h = along + 2 * kMargin;
    std::vector<unsigned char> lum(static_cast<size_t>(w) * static_cast<size_t>(h), 255);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const uint32_t p = image.pixel(x, y);
            const unsigned a = p >> 24, r = p & 0xFF, g = (p >> 8) & 0xFF, b = (p >> 16) & 0xFF;
            // ITU-R BT.601 luma, over white paper.
            const unsigned l = (r * 299 + g * 587 + b * 114) / 1000;
            const int u = vertical ? Height - 1 - y : x, v = vertical ? x : y;
            lum[static_cast<size_t>(v + kMargin) * static_cast<size_t>(w) + static_cast<size_t>(u + kMargin)] =
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
