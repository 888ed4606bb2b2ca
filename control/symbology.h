// What the system knows of each symbology, in one table every layer reads:
// identifiers for form files and the command, the names shown to people, the
// characters a caption may hold, the modules the pipeline budgets and the
// check character the encoder appends.
#pragma once

#include <array>
#include <string_view>

#include "control/code.h"

namespace zorvik {

// Which characters a caption may hold.
enum class CharacterSet {
    Digits,    // 0-9 only
    Alphabet,  // the characters of `alphabet`, and of `ends` at either end
    Ascii,     // codes 32 to 127
};

// The check character (or pair) the encoder appends while ControlChars is on.
enum class CheckRule {
    None,            // IATA 2 of 5 carries none
    Modulo43,        // Code 39, ISO/IEC 16388
    Modulo47Twice,   // Code 93: C and K
    Modulo103,       // Code 128, ISO/IEC 15417
    Modulo16,        // Codabar
    Modulo10Weight3, // EAN/UPC (ISO/IEC 15420), Interleaved 2 of 5
    Modulo10Weight4, // Industrial 2 of 5
};

struct SymbologyInfo {
    TBarCodeType type;
    std::string_view ident;        // form files, the command, Qt enumerators
    std::string_view displayName;  // FBarCodeNames
    std::string_view dialogItem;   // the properties dialog's symbology list
    CharacterSet characters;
    std::string_view alphabet;
    std::string_view ends;         // start/stop characters, first or last only
    // Modules the pipeline budgets for L caption characters.
    int (*nominalModules)(TDirection Dir, bool ControlChars, int L);
    CheckRule check;
    bool checkOptional;            // ControlChars may be switched off
    bool ownTextPlacement;         // digits under their own characters: txDensity always
    std::string_view sampleText;   // shown inside the designer when no field is bound
};

// Code 39 (ISO/IEC 16388) and Code 93 data characters; Codabar's 16 data
// characters and its four start/stop characters.
inline constexpr std::string_view kCode39Alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
inline constexpr std::string_view kCodabarAlphabet = "0123456789-$:/.+";
inline constexpr std::string_view kCodabarEnds = "ABCD";

namespace detail {
constexpr int roundUpToOdd(int n) { return n % 2 == 0 ? n + 1 : n; }
constexpr int roundUpToEven(int n) { return n % 2 != 0 ? n + 1 : n; }
constexpr bool horizontal(TDirection d) { return d == TDirection::Horizontal; }
}  // namespace detail

// One row per TBarCodeType, in ordinal order (the symbology standards named at CheckRule).
inline constexpr std::array<SymbologyInfo, kBarCodeTypeCount> kSymbologyTable{{
    {TBarCodeType::Code_39, "Code_39", "Code 39", "Code 3 of 9", CharacterSet::Alphabet, kCode39Alphabet, "",
     [](TDirection, bool c, int L) { return 16 * (L + (c ? 3 : 2)); }, CheckRule::Modulo43, true, false, "123"},
    {TBarCodeType::Code_93, "Code_93", "Code 93", "Code 93", CharacterSet::Alphabet, kCode39Alphabet, "",
     [](TDirection, bool c, int L) { return 9 * (L + (c ? 4 : 2)); }, CheckRule::Modulo47Twice, false, false, "123"},
    {TBarCodeType::Code_128, "Code_128", "Code 128", "Code 128", CharacterSet::Ascii, "", "",
     [](TDirection, bool c, int L) { return 11 * (L + (c ? 2 : 1)) + 13; }, CheckRule::Modulo103, false, false, "123"},
    {TBarCodeType::ITF, "ITF", "Interleaved 2 of 5", "ITF", CharacterSet::Digits, "0123456789", "",
     [](TDirection, bool c, int L) { return c ? 7 * detail::roundUpToOdd(L) + 15 : 7 * detail::roundUpToEven(L) + 8; },
     CheckRule::Modulo10Weight3, true, false, "123"},
    {TBarCodeType::Industrial, "Industrial", "Industrial 2 of 5", "Industrial", CharacterSet::Digits, "0123456789", "",
     [](TDirection, bool c, int L) { return 12 * L + (c ? 28 : 16); }, CheckRule::Modulo10Weight4, false, false, "123"},
    {TBarCodeType::IATA, "IATA", "IATA 2 of 5", "IATA", CharacterSet::Digits, "0123456789", "",
     [](TDirection, bool, int L) { return 12 * L + 8; }, CheckRule::None, false, false, "123"},
    {TBarCodeType::Codabar, "Codabar", "Codabar", "Codabar", CharacterSet::Alphabet, kCodabarAlphabet, kCodabarEnds,
     [](TDirection, bool c, int L) { return 10 * (L + (c ? 3 : 2)); }, CheckRule::Modulo16, false, false, "123"},
    {TBarCodeType::EAN_13, "EAN_13", "EAN 13", "EAN 13", CharacterSet::Digits, "0123456789", "",
     [](TDirection d, bool, int L) { return detail::horizontal(d) ? 7 * L + 11 : 7 * (L + 1) + 8; },
     CheckRule::Modulo10Weight3, false, true, "123456789012"},
    {TBarCodeType::EAN_8, "EAN_8", "EAN 8", "EAN 8", CharacterSet::Digits, "0123456789", "",
     [](TDirection, bool, int L) { return 7 * (L + 1) + 8; }, CheckRule::Modulo10Weight3, false, true, "1234567"},
    {TBarCodeType::EAN_13_2AddOn, "EAN_13_2AddOn", "EAN 13 with 2 AddOn", "EAN 13 with 2 AddOn", CharacterSet::Digits,
     "0123456789", "", [](TDirection d, bool, int L) { return detail::horizontal(d) ? 7 * L + 26 : 7 * (L + 1) + 26; },
     CheckRule::Modulo10Weight3, false, true, "12345678901299"},
    {TBarCodeType::EAN_13_5AddOn, "EAN_13_5AddOn", "EAN 13 with 5 AddOn", "EAN 13 with 5 AddOn", CharacterSet::Digits,
     "0123456789", "", [](TDirection d, bool, int L) { return detail::horizontal(d) ? 7 * L + 32 : 7 * (L + 1) + 26; },
     CheckRule::Modulo10Weight3, false, true, "12345678901212345"},
    // UPC-A places its digits itself too, but accepts txLeft.
    {TBarCodeType::UPC_A, "UPC_A", "UPC A", "UPC A", CharacterSet::Digits, "0123456789", "",
     [](TDirection, bool, int L) { return 7 * (L + 1) + 8; }, CheckRule::Modulo10Weight3, false, false, "01234567890"},
}};
static_assert(kSymbologyTable.size() == kBarCodeTypeCount);

constexpr bool symbologiesInOrdinalOrder() {
    for (size_t i = 0; i < kSymbologyTable.size(); ++i)
        if (ord(kSymbologyTable[i].type) != static_cast<int>(i)) return false;
    return true;
}
static_assert(symbologiesInOrdinalOrder(), "one row per symbology, in ordinal order");

// The row of a symbology; nullptr for a value outside the twelve.
constexpr const SymbologyInfo* symbologyInfo(TBarCodeType Type) {
    const int i = ord(Type);
    return i >= 0 && i < kBarCodeTypeCount ? &kSymbologyTable[static_cast<size_t>(i)] : nullptr;
}

}  // namespace zorvik
