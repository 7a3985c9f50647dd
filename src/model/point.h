// Plain integer points and rectangles in drawing-window pixels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace veltra {

struct TPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Left/top inclusive, right/bottom one past the box (a glyph box is x, y, x + w, y + h).
struct TRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Coordinates come from files and typed fields, so any 32-bit value can occur: moving one by
// part of a glyph's size saturates at the ends of the range instead of overflowing.
inline std::int32_t ShiftCoordinate(std::int32_t at, std::int64_t by) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{at} + by, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

} // namespace veltra
