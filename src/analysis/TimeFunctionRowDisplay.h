// TimeFunctionRowDisplay: how a time-functions row is shown, and the display line that stores it.
#pragma once

#include <cstdint>

namespace vek {

class TextReader;
class TextWriter;

// Chart styles of a row, the position of its letter in "-LB": none, line, bar.
enum class RowChartStyle : int32_t { None = 0, Line = 1, Bar = 2 };
inline constexpr const char* kRowChartStyleLetters = "-LB";

// The display settings of one row. Their meaning on screen belongs to the window; here they are only
// kept, read and written.
struct TimeFunctionRowDisplay {
    bool visible = true;
    int32_t columnCode = 0;  // position in "0123456FTM"
    int32_t rCode = 0;       // 0 "-", 1 "B", 2 "+"
    bool flagB = false;
    bool flagS = false;
    int32_t width = 0;       // at most kMaxRowWidth
    int32_t decimals = 1;    // 1-6
    int32_t colour = 10;     // a chart-colour index
    RowChartStyle legacyChartStyle = RowChartStyle::Line;  // the "L" item of older files

    bool operator==(const TimeFunctionRowDisplay&) const = default;
};

inline constexpr int32_t kMaxRowWidth = 998;

// Which form of the display line a reader takes: today's items, or the legacy form of base files
// dated 19970416 or earlier (column-code letter, colour letter and flag letters; then the width).
enum class DisplayLineForm : int32_t { Items, Legacy };

// The display line after its key (the "VZ" and "FZ" lines of a template, and the same line in the
// "## Selection" and "## Formula" text blocks): tab-separated items, each a letter and its value:
//   "D" column-code letter   "C" colour letter   "W" width (only when above 15)   "w" decimals digit
//   "V" + or -   "B" + or -   "R" "B", "-" or "+"   "S" + or -
// The writer puts the key and the items in this order and ends the row. The reader takes the
// reader's next fields in any order, and "L" with a letter of "-LB"; unknown items and letters, a
// width above 998 and decimals outside 1-6 leave their setting.
void WriteTimeFunctionDisplayLine(TextWriter& writer, const char* key, const TimeFunctionRowDisplay& display);
void ReadTimeFunctionDisplayLine(TextReader& reader, TimeFunctionRowDisplay& display,
                                 DisplayLineForm form = DisplayLineForm::Items);

}  // namespace vek
