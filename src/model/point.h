// Plain integer points and rectangles in drawing-window pixels.
#pragma once

#include <cstdint>

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

} // namespace veltra
