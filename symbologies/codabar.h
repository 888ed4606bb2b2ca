// Codabar table and character lookup.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zorvik {

// The published Codabar character set (ANSI/AIM BC3) drawn at a wide-to-narrow
// ratio of 2: the character, then its seven elements bar, space, ... bar, each
// 1 for wide. The row number is the character's value for the check character.
inline constexpr std::array<std::array<uint8_t, 8>, 20> CodaBarMap{{
    {'0', 0, 0, 0, 0, 0, 1, 1},
    {'1', 0, 0, 0, 0, 1, 1, 0},
    {'2', 0, 0, 0, 1, 0, 0, 1},
    {'3', 1, 1, 0, 0, 0, 0, 0},
    {'4', 0, 0, 1, 0, 0, 1, 0},
    {'5', 1, 0, 0, 0, 0, 1, 0},
    {'6', 0, 1, 0, 0, 0, 0, 1},
    {'7', 0, 1, 0, 0, 1, 0, 0},
    {'8', 0, 1, 1, 0, 0, 0, 0},
    {'9', 1, 0, 0, 1, 0, 0, 0},
    {'-', 0, 0, 0, 1, 1, 0, 0},
    {'$', 0, 0, 1, 1, 0, 0, 0},
    {':', 1, 0, 0, 0, 1, 0, 1},
    {'/', 1, 0, 1, 0, 0, 0, 1},
    {'.', 1, 0, 1, 0, 1, 0, 0},
    {'+', 0, 0, 1, 0, 1, 0, 1},
    {'A', 0, 0, 1, 1, 0, 1, 0},
    {'B', 0, 1, 0, 1, 0, 0, 1},
    {'C', 0, 0, 0, 1, 0, 1, 1},
    {'D', 0, 0, 0, 1, 1, 1, 0},
}};

static_assert(CodaBarMap.size() == 20);
constexpr bool codabarFlagsAreBinary() {
    for (const auto& row : CodaBarMap)
        for (size_t j = 1; j < row.size(); ++j)
            if (row[j] > 1) return false;
    return true;
}
static_assert(codabarFlagsAreBinary(), "Codabar elements are narrow (0) or wide (1)");
constexpr bool codabarWideCounts() {
    // Two wide elements in the twelve characters 0-9 - $, three in the others.
    for (size_t i = 0; i < CodaBarMap.size(); ++i) {
        int wide = 0;
        for (size_t j = 1; j < 8; ++j) wide += CodaBarMap[i][j];
        if (wide != (i < 12 ? 2 : 3)) return false;
    }
    return true;
}
static_assert(codabarWideCounts());

// Character code to its row of CodaBarMap; any other code is left as it is.
void CodabarIndex(int& C);

}  // namespace zorvik
