// EAN/UPC digit tables and check digits, shared by EAN-13, UPC-A, EAN-8, the
// EAN-13 add-ons and (CheckEAN8) Interleaved 2 of 5.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zorvik {

// One digit character as 4 runs in drawing order: "A".."D" a bar of 1..4
// modules, "1".."4" a space of 1..4 modules.
using EanRuns = std::array<char, 4>;

constexpr EanRuns eanRuns(const char (&s)[5]) {
    return {s[0], s[1], s[2], s[3]};
}

// ISO/IEC 15420 number sets C (R), B (G) and A (L), selected by character
// code - 48: "0".."9" R, digit + 10 (":".."C") G, digit + 20 ("D".."M") L.
inline constexpr std::array<EanRuns, 30> patern{{
    eanRuns("C2A1"), eanRuns("B2B1"), eanRuns("B1B2"), eanRuns("A4A1"), eanRuns("A1C2"),  // R 0-4
    eanRuns("A2C1"), eanRuns("A1A4"), eanRuns("A3A2"), eanRuns("A2A3"), eanRuns("C1A2"),  // R 5-9
    eanRuns("1A2C"), eanRuns("1B2B"), eanRuns("2B1B"), eanRuns("1A4A"), eanRuns("2C1A"),  // G 0-4
    eanRuns("1C2A"), eanRuns("4A1A"), eanRuns("2A3A"), eanRuns("3A2A"), eanRuns("2A1C"),  // G 5-9
    eanRuns("3B1A"), eanRuns("2B2A"), eanRuns("2A2B"), eanRuns("1D1A"), eanRuns("1A3B"),  // L 0-4
    eanRuns("1B3A"), eanRuns("1A1D"), eanRuns("1C1B"), eanRuns("1B1C"), eanRuns("3A1B"),  // L 5-9
}};

// ISO/IEC 15420 number sets A (L) and C (R) for EAN-8 and UPC-A, which use no
// set B: "0".."9" L, digit + 10 R.
inline constexpr std::array<EanRuns, 20> patern8{{
    eanRuns("3B1A"), eanRuns("2B2A"), eanRuns("2A2B"), eanRuns("1D1A"), eanRuns("1A3B"),  // L 0-4
    eanRuns("1B3A"), eanRuns("1A1D"), eanRuns("1C1B"), eanRuns("1B1C"), eanRuns("3A1B"),  // L 5-9
    eanRuns("C2A1"), eanRuns("B2B1"), eanRuns("B1B2"), eanRuns("A4A1"), eanRuns("A1C2"),  // R 0-4
    eanRuns("A2C1"), eanRuns("A1A4"), eanRuns("A3A2"), eanRuns("A2A3"), eanRuns("C1A2"),  // R 5-9
}};

// ISO/IEC 15420 EAN-13 leading digit: number set of digits 2 to 7, 0 = A (L), 1 = B (G).
inline constexpr std::array<std::array<uint8_t, 6>, 10> Sada{{
    {0, 0, 0, 0, 0, 0},
    {0, 0, 1, 0, 1, 1},
    {0, 0, 1, 1, 0, 1},
    {0, 0, 1, 1, 1, 0},
    {0, 1, 0, 0, 1, 1},
    {0, 1, 1, 0, 0, 1},
    {0, 1, 1, 1, 0, 0},
    {0, 1, 0, 1, 0, 1},
    {0, 1, 0, 1, 1, 0},
    {0, 1, 1, 0, 1, 0},
}};

// ISO/IEC 15420 5-digit add-on parity by checksum: offset added to each digit
// character to select its row of patern, 10 = set B (G), 20 = set A (L).
inline constexpr std::array<std::array<uint8_t, 5>, 10> Add5Matr{{
    {10, 10, 20, 20, 20},
    {10, 20, 10, 20, 20},
    {10, 20, 20, 10, 20},
    {10, 20, 20, 20, 10},
    {20, 10, 10, 20, 20},
    {20, 20, 10, 10, 20},
    {20, 20, 20, 10, 10},
    {20, 10, 20, 10, 20},
    {20, 10, 20, 20, 10},
    {20, 20, 10, 20, 10},
}};

static_assert(patern.size() == 30 && patern8.size() == 20);
static_assert(Sada.size() == 10 && Add5Matr.size() == 10);

namespace eancheck {

constexpr bool isBar(char c) {
    return c >= 'A' && c <= 'D';
}
constexpr bool isSpace(char c) {
    return c >= '1' && c <= '4';
}
constexpr int width(char c) {
    return isBar(c) ? c - 'A' + 1 : c - '0';
}

// Four runs of 1 to 4 modules, bars and spaces alternating, 7 modules in all.
constexpr bool wellFormed(const EanRuns& r) {
    int total = 0;
    for (size_t i = 0; i < r.size(); ++i) {
        if (!isBar(r[i]) && !isSpace(r[i])) return false;
        if (i > 0 && isBar(r[i]) == isBar(r[i - 1])) return false;
        total += width(r[i]);
    }
    return total == 7;
}

// Set A is set C with bars and spaces swapped; set B is set C reversed.
constexpr bool setsRelated() {
    for (size_t d = 0; d < 10; ++d) {
        const EanRuns& r = patern[d];
        const EanRuns& g = patern[10 + d];
        const EanRuns& l = patern[20 + d];
        for (size_t i = 0; i < 4; ++i) {
            if (width(l[i]) != width(r[i]) || isBar(l[i]) == isBar(r[i])) return false;
            if (g[i] != r[3 - i]) return false;
        }
        if (patern8[d] != l || patern8[10 + d] != r) return false;
    }
    return true;
}

constexpr bool allWellFormed() {
    for (const EanRuns& r : patern)
        if (!wellFormed(r)) return false;
    for (const EanRuns& r : patern8)
        if (!wellFormed(r)) return false;
    return true;
}

// Digits 1 to 9 each take set B three times and never first; 0 takes only set A.
constexpr bool sadaValid() {
    for (size_t d = 0; d < Sada.size(); ++d) {
        int b = 0;
        for (uint8_t v : Sada[d]) {
            if (v > 1) return false;
            b += v;
        }
        if (Sada[d][0] != 0 || b != (d == 0 ? 0 : 3)) return false;
        for (size_t e = 0; e < d; ++e)
            if (Sada[e] == Sada[d]) return false;
    }
    return true;
}

// The ten ways of choosing two of five digits for set B, each once.
constexpr bool add5Valid() {
    for (size_t n = 0; n < Add5Matr.size(); ++n) {
        int b = 0;
        for (uint8_t v : Add5Matr[n]) {
            if (v != 10 && v != 20) return false;
            b += v == 10;
        }
        if (b != 2) return false;
        for (size_t e = 0; e < n; ++e)
            if (Add5Matr[e] == Add5Matr[n]) return false;
    }
    return true;
}

}  // namespace eancheck

static_assert(eancheck::allWellFormed(), "every digit character is 7 modules of alternating runs");
static_assert(eancheck::setsRelated(), "sets A and B derive from set C; patern8 repeats sets A and C");
static_assert(eancheck::sadaValid(), "EAN-13 leading-digit parities");
static_assert(eancheck::add5Valid(), "5-digit add-on parities");

// Data followed by the EAN-13 check digit of its first 12 characters; a
// character that is not a digit, or one missing, counts as 0.
std::string CheckEAN13(std::string Data);
// Data followed by its modulo-10 check digit, weights 3, 1, 3, ... from the
// left over every character (EAN-8 with 7 digits, Interleaved 2 of 5 with an
// odd count).
std::string CheckEAN8(std::string Data);
// Data followed by the UPC-A check digit of its first 11 characters; a missing
// character counts as 0.
std::string CheckUPCA(std::string Data);

}  // namespace zorvik
