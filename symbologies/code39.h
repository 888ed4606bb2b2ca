// Code 39 tables and check character; CharValue also serves Code 93.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvik {

// ISO/IEC 16388 Code 39: nine elements per character (bar, space, ... bar),
// 1 = wide; exactly three wide elements each. Row order is Bar39Char.
inline constexpr std::array<std::array<uint8_t, 9>, 44> BarMap39{{
    {0, 0, 0, 1, 1, 0, 1, 0, 0},  // 0
    {1, 0, 0, 1, 0, 0, 0, 0, 1},  // 1
    {0, 0, 1, 1, 0, 0, 0, 0, 1},  // 2
    {1, 0, 1, 1, 0, 0, 0, 0, 0},  // 3
    {0, 0, 0, 1, 1, 0, 0, 0, 1},  // 4
    {1, 0, 0, 1, 1, 0, 0, 0, 0},  // 5
    {0, 0, 1, 1, 1, 0, 0, 0, 0},  // 6
    {0, 0, 0, 1, 0, 0, 1, 0, 1},  // 7
    {1, 0, 0, 1, 0, 0, 1, 0, 0},  // 8
    {0, 0, 1, 1, 0, 0, 1, 0, 0},  // 9
    {1, 0, 0, 0, 0, 1, 0, 0, 1},  // A
    {0, 0, 1, 0, 0, 1, 0, 0, 1},  // B
    {1, 0, 1, 0, 0, 1, 0, 0, 0},  // C
    {0, 0, 0, 0, 1, 1, 0, 0, 1},  // D
    {1, 0, 0, 0, 1, 1, 0, 0, 0},  // E
    {0, 0, 1, 0, 1, 1, 0, 0, 0},  // F
    {0, 0, 0, 0, 0, 1, 1, 0, 1},  // G
    {1, 0, 0, 0, 0, 1, 1, 0, 0},  // H
    {0, 0, 1, 0, 0, 1, 1, 0, 0},  // I
    {0, 0, 0, 0, 1, 1, 1, 0, 0},  // J
    {1, 0, 0, 0, 0, 0, 0, 1, 1},  // K
    {0, 0, 1, 0, 0, 0, 0, 1, 1},  // L
    {1, 0, 1, 0, 0, 0, 0, 1, 0},  // M
    {0, 0, 0, 0, 1, 0, 0, 1, 1},  // N
    {1, 0, 0, 0, 1, 0, 0, 1, 0},  // O
    {0, 0, 1, 0, 1, 0, 0, 1, 0},  // P
    {0, 0, 0, 0, 0, 0, 1, 1, 1},  // Q
    {1, 0, 0, 0, 0, 0, 1, 1, 0},  // R
    {0, 0, 1, 0, 0, 0, 1, 1, 0},  // S
    {0, 0, 0, 0, 1, 0, 1, 1, 0},  // T
    {1, 1, 0, 0, 0, 0, 0, 0, 1},  // U
    {0, 1, 1, 0, 0, 0, 0, 0, 1},  // V
    {1, 1, 1, 0, 0, 0, 0, 0, 0},  // W
    {0, 1, 0, 0, 1, 0, 0, 0, 1},  // X
    {1, 1, 0, 0, 1, 0, 0, 0, 0},  // Y
    {0, 1, 1, 0, 1, 0, 0, 0, 0},  // Z
    {0, 1, 0, 0, 0, 0, 1, 0, 1},  // -
    {1, 1, 0, 0, 0, 0, 1, 0, 0},  // .
    {0, 1, 1, 0, 0, 0, 1, 0, 0},  // space
    {0, 1, 0, 0, 1, 0, 1, 0, 0},  // *
    {0, 1, 0, 1, 0, 1, 0, 0, 0},  // $
    {0, 1, 0, 1, 0, 0, 0, 1, 0},  // /
    {0, 1, 0, 0, 0, 1, 0, 1, 0},  // +
    {0, 0, 0, 1, 0, 1, 0, 1, 0},  // %
}};

// Row order of BarMap39.
inline constexpr std::string_view Bar39Char = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. *$/+%";
// The 43 data characters in the order of their check values 0..42.
inline constexpr std::string_view kCode39CheckOrder = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

static_assert(Bar39Char.size() == BarMap39.size());
static_assert(kCode39CheckOrder.size() == 43);
constexpr bool threeWideEach() {
    for (const auto& row : BarMap39) {
        int wide = 0;
        for (uint8_t e : row) wide += e;
        if (wide != 3) return false;
    }
    return true;
}
static_assert(threeWideEach(), "every Code 39 character has three wide elements");

// Character to check value: 0-9 and A-Z 0..35, then - . space $ / + % 36..42,
// * 47; any other character keeps its own code.
void CharValue(int& C);
// Character to its row of BarMap39; any other character keeps its own code.
void Char39Index(int& C);
// S followed by its modulo-43 check character.
std::string Check39(const std::string& S);

}  // namespace zorvik
