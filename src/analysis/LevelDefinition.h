// LevelDefinition: the row definition of the hierarchical analyses (components and component
// functions), and the "P" and "K" key lines that store it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vek {

class TextReader;
class TextWriter;

inline constexpr int32_t kMaxLevels = 4;
// Components deeper than this many levels below their root can be folded by a depth limit.
inline constexpr int32_t kMaxDepthLimit = 8;

// Which rows of a level survive the filter after a computation.
enum class LevelFilter : int32_t {
    All = 0,      // "A": every row
    InUse = 1,    // "U": rows that the analysis marks (the components analysis: rows with lines of their own)
    NonZero = 2,  // "Z": rows with non-zero values
};

// One to four levels, each a dimension (0 = the card groups) with its options. The template copies
// it into the level tree at each build; the tree removes repeated dimensions from its copy.
//
//   | field        | default          | "K" letter                                              |
//   |--------------|------------------|---------------------------------------------------------|
//   | dimension    | 1, 2, 3, 4       | ("P": dimension + 1)                                    |
//   | flat         | no               | 1st: "F" flat, "H" nested                               |
//   | filter       | InUse            | 2nd: "A", "U", "Z"                                      |
//   | depth limit  | 0 (none)         | 3rd: "1"-"8", anything else none ("A" written)          |
//   | level code   | 10, 21, 19, 11   | 4th: 6 "5", 10 "B", 11 "N", 12 "O", 13 "R", 15 "M",     |
//   |              |                  | 16 "V", 19 "G", 21 "U", 22 "D"; other codes "-"          |
//   | display code | -1 (none)        | 5th: a letter of "CHTNMPR", "-" none                    |
struct LevelDefinition {
    int32_t levelCount = 1;
    std::array<int32_t, kMaxLevels> dimension{1, 2, 3, 4};
    std::array<uint16_t, kMaxLevels> depthLimit{};
    std::array<int32_t, kMaxLevels> flat{};
    std::array<LevelFilter, kMaxLevels> filter{LevelFilter::InUse, LevelFilter::InUse, LevelFilter::InUse,
                                               LevelFilter::InUse};
    std::array<int32_t, kMaxLevels> levelCode{10, 21, 19, 11};
    std::array<int32_t, kMaxLevels> displayCode{-1, -1, -1, -1};

    // A level whose dimension an earlier level already has is deleted; later levels move up.
    void RemoveRepeatedDimensions();
    bool IsFlat(int32_t level) const { return flat[size_t(level)] != 0; }

    // "P": up to four numbers 1-32 (dimension + 1); reading stops at the first number outside, and
    // the level count is the number read (none read leaves the definition as it was). The numbers
    // are dimension numbers, not positions in the base's dimension order, both ways.
    void ReadDimensionsLine(TextReader& reader);
    void WriteDimensionsLine(TextWriter& writer) const;
    // "K": one five-letter field per level; unknown letters leave their setting.
    void ReadOptionsLine(TextReader& reader);
    void WriteOptionsLine(TextWriter& writer) const;

    bool operator==(const LevelDefinition&) const = default;
};

// The "K" letter of a level code ("-" for codes without one), and its reading: "-" reads as 0, a
// letter not in the table leaves the code.
char LevelCodeLetter(int32_t code);
void ParseLevelCodeLetter(int32_t& code, char letter);

}  // namespace vek
