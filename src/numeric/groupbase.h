// The unit of every decimal: a group of GroupDigits decimal digits, a value below GroupBase.
// Positions move in steps of GroupDigits; a product of two groups plus a carry stays below
// GroupBase^2 + GroupBase, inside 64 bits.
#pragma once

#include <cstdint>

namespace veltra {

inline constexpr int GroupDigits = 8;
inline constexpr std::uint32_t GroupBase = 100000000;

static_assert(
    [] {
        std::uint64_t b = 1;
        for (int i = 0; i < GroupDigits; ++i)
            b *= 10;
        return b == GroupBase;
    }(),
    "GroupBase is ten to the power GroupDigits");

} // namespace veltra
