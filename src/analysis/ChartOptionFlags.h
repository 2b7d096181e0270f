// ChartOptionFlags: the seven chart flags of the lines and time-functions templates.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vek {

class TextWriter;

// Seven flags that the lines and time-functions templates keep and copy into their chart windows:
//
//   | flag | default | key line written when |
//   |------|---------|-----------------------|
//   | 1    | 0       | "ZE" when 1           |
//   | 2    | 0       | "ZI" when 1           |
//   | 3    | 1       | "ZD" when 0           |
//   | 4    | 1       | "ZV" when 0           |
//   | 5    | 1       | "ZR" when 0           |
//   | 6    | 1       | "ZG" when 0           |
//   | 7    | 0       | "ZZ" when 1           |
//
// Reading: "ZE", "ZI" and "ZZ" set their flag, "ZD", "ZV", "ZR" and "ZG" clear theirs; other keys
// leave the flags.
struct ChartOptionFlags {
    std::array<int32_t, 7> flags{0, 0, 1, 1, 1, 1, 0};

    // True when the key was one of the seven.
    bool ReadKey(std::string_view key);
    // The lines of the flags away from their defaults, in table order.
    void Write(TextWriter& writer) const;

    bool operator==(const ChartOptionFlags&) const = default;
};

}  // namespace vek
