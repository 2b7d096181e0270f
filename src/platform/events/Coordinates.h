// Coordinates: the points and rectangles in which windows, input events and drawing are placed.
#pragma once

#include <cstdint>

namespace vek {

// A point of window or screen coordinates: vertical first, as every packed point of the program has it.
struct Point {
    int16_t v = 0;
    int16_t h = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// A rectangle of pixels: bottom and right lie outside it, so its width is right - left. A rectangle
// whose bottom is not below its top, or whose right is not beyond its left, is empty.
struct Rect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;

    bool IsEmpty() const { return bottom <= top || right <= left; }
    int32_t Width() const { return int32_t(right) - left; }
    int32_t Height() const { return int32_t(bottom) - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace vek
