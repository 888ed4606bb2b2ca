#include "engine/captioncheck.h"

#include <array>
#include <string_view>

#include "control/symbology.h"
#include "platform/graphics.h"

namespace zorvik {

namespace {

enum class Accepts {
    Digits,    // 0-9 only
    Alphabet,  // the characters of `alphabet`, and of `ends` at either end
    Ascii,     // codes 32 to 127
};

struct CaptionRule {
    TBarCodeType symbology;
    Accepts accepts;
    std::string_view alphabet;
    std::string_view ends;  // start/stop characters, allowed only as the first or last character
};

// Code 39 (ISO/IEC 16388) and Code 93 data characters; Codabar's 16 data
// characters and its four start/stop characters.
constexpr std::string_view kCode39Set = kCode39Alphabet;
constexpr std::string_view kCodabarData = kCodabarAlphabet;

constexpr std::array<CaptionRule, kBarCodeTypeCount> kRules{{
    {TBarCodeType::Code_39, Accepts::Alphabet, kCode39Set, ""},
    {TBarCodeType::Code_93, Accepts::Alphabet, kCode39Set, ""},
    {TBarCodeType::Code_128, Accepts::Ascii, "", ""},
    {TBarCodeType::ITF, Accepts::Digits, "", ""},
    {TBarCodeType::Industrial, Accepts::Digits, "", ""},
    {TBarCodeType::IATA, Accepts::Digits, "", ""},
    {TBarCodeType::Codabar, Accepts::Alphabet, kCodabarData, kCodabarEnds},
    {TBarCodeType::EAN_13, Accepts::Digits, "", ""},
    {TBarCodeType::EAN_8, Accepts::Digits, "", ""},
    {TBarCodeType::EAN_13_2AddOn, Accepts::Digits, "", ""},
    {TBarCodeType::EAN_13_5AddOn, Accepts::Digits, "", ""},
    {TBarCodeType::UPC_A, Accepts::Digits, "", ""},
}};
static_assert(kRules.size() == kBarCodeTypeCount);

constexpr bool rulesInOrdinalOrder() {
    for (size_t i = 0; i < kRules.size(); ++i)
        if (ord(kRules[i].symbology) != static_cast<int>(i)) return false;
    return true;
}
static_assert(rulesInOrdinalOrder(), "one rule per symbology, in ordinal order");

// Length of the UTF-8 sequence starting with byte b (1 for stray bytes).
size_t sequenceLength(std::string_view s, size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t len = b < 0xC2 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 1;
    if (i + len > s.size()) return 1;
    for (size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return len;
}

// A character as the message shows it: itself, or #nnn for a control code.
std::string shown(std::string_view ch) {
    const auto b = static_cast<unsigned char>(ch[0]);
    if (ch.size() == 1 && (b < 32 || b == 127)) {
        std::string code(1, '#');
        code += std::to_string(b);
        return code;
    }
    return sanitiseUtf8(ch);
}

std::string cannotEncode(TBarCodeType s, std::string_view ch, size_t position) {
    return "Caption has a character that " + FBarCodeNames().Strings(ord(s)) + " cannot encode: '" + shown(ch) +
           "' at position " + std::to_string(position);
}

}  // namespace

bool isNumericSymbology(TBarCodeType Symbology) {
    const int i = ord(Symbology);
    return i >= 0 && i < kBarCodeTypeCount && kRules[static_cast<size_t>(i)].accepts == Accepts::Digits;
}

std::string captionProblem(TBarCodeType Symbology, const std::string& Caption) {
    const int index = ord(Symbology);
    if (index < 0 || index >= kBarCodeTypeCount) return "Not implemented";
    const CaptionRule& rule = kRules[static_cast<size_t>(index)];
    // A symbol without data is never what anyone wants, even where the
    // symbology could draw its frame alone.
    if (Caption.empty()) return "Caption is empty";

    if (rule.accepts == Accepts::Digits) {
        for (char c : Caption)
            if (c < '0' || c > '9') return "Caption should be numeric";
        return "";
    }

    const std::string_view text(Caption);
    size_t position = 0;
    size_t dataChars = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t len = sequenceLength(text, i);
        const std::string_view ch = text.substr(i, len);
        ++position;
        const bool last = i + len == text.size();
        const auto b = static_cast<unsigned char>(ch[0]);
        bool ok = false;
        bool isData = true;
        if (rule.accepts == Accepts::Ascii) {
            ok = len == 1 && b >= 32 && b <= 127;
        } else if (len == 1) {
            if (rule.alphabet.find(ch[0]) != std::string_view::npos) {
                ok = true;
            } else if ((position == 1 || last) && rule.ends.find(ch[0]) != std::string_view::npos) {
                ok = true;
                isData = false;
            }
        }
        if (!ok) return cannotEncode(Symbology, ch, position);
        if (isData) ++dataChars;
        i += len;
    }
    // Start and stop characters alone carry nothing to scan.
    if (dataChars == 0) return "Caption has no data between its start and stop characters";
    return "";
}

}  // namespace zorvik
