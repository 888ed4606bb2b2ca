// Code 93 table and check characters; character values come from CharValue.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zorvik {

// The published Code 93 character set (ANSI/AIM BC5), in value order: 0-9,
// A-Z, - . space $ / + %, the shifts ($) (%) (/) (+) as 43..46 and the
// start/stop character as 47. Module widths of bar, space, bar, space, bar, space.
inline constexpr std::array<std::array<uint8_t, 6>, 48> BarMap93{{
    {1, 3, 1, 1, 1, 2},  // 0
    {1, 1, 1, 2, 1, 3},  // 1
    {1, 1, 1, 3, 1, 2},  // 2
    {1, 1, 1, 4, 1, 1},  // 3
    {1, 2, 1, 1, 1, 3},  // 4
    {1, 2, 1, 2, 1, 2},  // 5
    {1, 2, 1, 3, 1, 1},  // 6
    {1, 1, 1, 1, 1, 4},  // 7
    {1, 3, 1, 2, 1, 1},  // 8
    {1, 4, 1, 1, 1, 1},  // 9
    {2, 1, 1, 1, 1, 3},  // A
    {2, 1, 1, 2, 1, 2},  // B
    {2, 1, 1, 3, 1, 1},  // C
    {2, 2, 1, 1, 1, 2},  // D
    {2, 2, 1, 2, 1, 1},  // E
    {2, 3, 1, 1, 1, 1},  // F
    {1, 1, 2, 1, 1, 3},  // G
    {1, 1, 2, 2, 1, 2},  // H
    {1, 1, 2, 3, 1, 1},  // I
    {1, 2, 2, 1, 1, 2},  // J
    {1, 3, 2, 1, 1, 1},  // K
    {1, 1, 1, 1, 2, 3},  // L
    {1, 1, 1, 2, 2, 2},  // M
    {1, 1, 1, 3, 2, 1},  // N
    {1, 2, 1, 1, 2, 2},  // O
    {1, 3, 1, 1, 2, 1},  // P
    {2, 1, 2, 1, 1, 2},  // Q
    {2, 1, 2, 2, 1, 1},  // R
    {2, 1, 1, 1, 2, 2},  // S
    {2, 1, 1, 2, 2, 1},  // T
    {2, 2, 1, 1, 2, 1},  // U
    {2, 2, 2, 1, 1, 1},  // V
    {1, 1, 2, 1, 2, 2},  // W
    {1, 1, 2, 2, 2, 1},  // X
    {1, 2, 2, 1, 2, 1},  // Y
    {1, 2, 3, 1, 1, 1},  // Z
    {1, 2, 1, 1, 3, 1},  // -
    {3, 1, 1, 1, 1, 2},  // .
    {3, 1, 1, 2, 1, 1},  // space
    {3, 2, 1, 1, 1, 1},  // $
    {1, 1, 2, 1, 3, 1},  // /
    {1, 1, 3, 1, 2, 1},  // +
    {2, 1, 1, 1, 3, 1},  // %
    {1, 2, 1, 2, 2, 1},  // ($)
    {3, 1, 2, 1, 1, 1},  // (%)
    {3, 1, 1, 1, 2, 1},  // (/)
    {1, 2, 2, 2, 1, 1},  // (+)
    {1, 1, 1, 1, 4, 1},  // start/stop
}};

// How the values 0..46 print in the text; the shifts print as + , - .
inline constexpr std::string_view Bar93Char = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%+,-.";

static_assert(BarMap93.size() == 48);
static_assert(Bar93Char.size() == 47);
constexpr bool nineModulesEach() {
    for (const auto& row : BarMap93) {
        int modules = 0;
        for (uint8_t m : row) {
            if (m < 1 || m > 4) return false;
            modules += m;
        }
        if (modules != 9) return false;
    }
    return true;
}
static_assert(nineModulesEach(), "every Code 93 character is 9 modules of elements 1 to 4 wide");

// Appends the check characters C (weights 1..20 from the right, cycling) and
// K (weights 1..15 over the values and C) to Values, each modulo 47.
void Check93(std::vector<int>& Values);

}  // namespace zorvik
