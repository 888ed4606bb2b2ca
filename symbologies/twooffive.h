// Two-of-five digit table, shared by Interleaved, Industrial and IATA 2 of 5.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zorvik {

// The published two-of-five digit patterns (ISO/IEC 16390 for Interleaved; the
// same rows for Industrial and IATA): five elements per digit, 1 = wide,
// exactly two wide. The wide positions weigh 1, 2, 4, 7, 0 and add up to the
// digit (0 as 4 + 7).
inline constexpr std::array<std::array<uint8_t, 5>, 10> ITFMatr{{
    {0, 0, 1, 1, 0},  // 0
    {1, 0, 0, 0, 1},  // 1
    {0, 1, 0, 0, 1},  // 2
    {1, 1, 0, 0, 0},  // 3
    {0, 0, 1, 0, 1},  // 4
    {1, 0, 1, 0, 0},  // 5
    {0, 1, 1, 0, 0},  // 6
    {0, 0, 0, 1, 1},  // 7
    {1, 0, 0, 1, 0},  // 8
    {0, 1, 0, 1, 0},  // 9
}};

static_assert(ITFMatr.size() == 10);
constexpr bool twoWideEach() {
    for (const auto& row : ITFMatr) {
        int wide = 0;
        for (uint8_t e : row) {
            if (e > 1) return false;
            wide += e;
        }
        if (wide != 2) return false;
    }
    return true;
}
static_assert(twoWideEach(), "every two-of-five digit has two wide elements");

}  // namespace zorvik
