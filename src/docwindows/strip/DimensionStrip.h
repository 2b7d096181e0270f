// DimensionStrip: the selection a window computes from, shown as rows of dimensions, dates and texts.
#pragma once

#include <cstdint>
#include <vector>

#include "drawing/Geometry.h"

namespace vek {

class Base;
class Selection;

// Window items of the strip's rows (GetItemRect).
constexpr int32_t kStripFromDateItem = 3105;
constexpr int32_t kStripToDateItem = 3106;
constexpr int32_t kStripCardTitleItem = 65;
constexpr int32_t kStripLineTextItem = 66;
constexpr int32_t kStripNotesItem = 3506;
constexpr int32_t kStripFirstCompactItem = 67;  // 67-90: the compact row of dimension item - 67
constexpr int32_t kStripLastCompactItem = 90;
constexpr int32_t kStripSubsetItem = 3133;
// Rows are this far apart in both forms of the strip.
constexpr int32_t kStripRowStep = 17;
// The compact strip shows at most this many dimensions.
constexpr int32_t kMaxCompactRows = 24;

// What choosing a dimension in the add popup did.
enum class StripChoice : int32_t {
    Replaced = 0,  // the last row had no condition: it now shows the chosen dimension
    Appended = 1,  // the last row had one: the chosen dimension got a row of its own
};

// The layout and lists of a window's dimension strip, without its controls: which dimensions the
// compact strip shows (those whose selection carries a condition, dimension 0 alone when none does),
// the free list its add popup offers, the rectangles of the strip's items and the strip's height.
// Everything is computed from the base and the bound selection, so a hidden window lays its strip
// out without a display.
class DimensionStrip {
public:
    explicit DimensionStrip(Base& base);

    // Binds the selection (null: none) and recomputes the shown list.
    void Bind(const Selection* selection);
    const Selection* BoundSelection() const { return selection; }

    // The dimensions below the base's dimension count that carry a condition, ascending; dimension 0
    // alone when none does or no selection is bound. At most kMaxCompactRows.
    void RecomputeShownDimensions();
    // The count of shown rows (at least 1) and the free list rebuilt for it.
    void SetShownCount(int32_t count);
    int32_t ShownCount() const { return static_cast<int32_t>(shown.size()); }
    const std::vector<int32_t>& Shown() const { return shown; }
    // Every dimension below the dimension count that is not shown, with the last shown row's own
    // dimension (the popup's current item), ascending: dimension count - shown count + 1 entries.
    const std::vector<int32_t>& Free() const { return freeList; }
    int32_t PositionOfShownDimension(int32_t d) const;
    int32_t FreeListIndex(int32_t d) const;
    bool CarriesCondition(int32_t d) const;
    // Dimensions 0 .. count - 1 are the base's: one past the highest dimension in use, at least 1.
    int32_t DimensionCount() const;
    // The add popup lies over the last row while fewer dimensions are shown than the base has.
    bool HasAddPopup() const { return ShownCount() < DimensionCount(); }

    // The popup's choice for the last row: replaces its dimension when it carries no condition,
    // else appends a row (and marks the strip changed, for the window to rebuild it).
    StripChoice ChooseLastRowDimension(int32_t d);
    bool IsChanged() const { return changed; }
    void ClearChanged() { changed = false; }

    // The rectangle of a strip item (left, top, right, bottom), with X the full strip frame's right
    // edge; an empty rectangle for items that are not shown or not the strip's.
    Rect GetItemRect(int32_t item, int32_t fullStripRight) const;
    // The larger of 17 × (dimensions with components) + 26 and 17 × max(shown, 2 with more than one
    // dimension) + 103, and at least `wanted`.
    int32_t GetStripHeight(int32_t wanted) const;

private:
    Base& base;
    const Selection* selection = nullptr;
    std::vector<int32_t> shown{0};
    std::vector<int32_t> freeList;
    bool changed = false;
};

}  // namespace vek
