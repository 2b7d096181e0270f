// Point and Rect: the 16-bit screen coordinates that events, panes and windows share.
#pragma once

#include <cstdint>

namespace vek {

// A point {v, h}: vertical first.
struct Point {
    int16_t v = 0;
    int16_t h = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// A rectangle {top, left, bottom, right}; bottom and right lie outside it.
struct Rect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
    friend bool operator==(const Rect&, const Rect&) = default;

    int32_t Width() const { return int32_t(right) - left; }
    int32_t Height() const { return int32_t(bottom) - top; }
    bool IsEmpty() const { return bottom <= top || right <= left; }
    bool Contains(Point p) const { return p.v >= top && p.v < bottom && p.h >= left && p.h < right; }
};

}  // namespace vek
