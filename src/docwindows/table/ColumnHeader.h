// ColumnHeader: one column of a table window's grid, its place, its title and the cell it is filling.
#pragma once

#include <cstdint>
#include <string>

#include "drawing/Geometry.h"

namespace vek {

class TableWindow;

// What FormatRow fills for each column of the row being formatted. Reset before every row to no
// text, colour index 10 and no flags.
struct CellRecord {
    std::string text;
    int32_t colour = 10;
    uint32_t flags = 0;
};

// What FormatRow fills for the row as a whole.
struct RowRecord {
    int32_t columnCount = 0;
    int32_t background = -1;  // colour index; -1 for none
    bool separator = false;   // a line along the row's top
};

// Whether a column's text sits left or right in its cells (numbers are right-aligned).
enum class ColumnAlignment : int32_t { Left = 0, Right = 1 };

// A column of the grid. The window keeps its columns in a singly linked list in display order;
// `index` is the position in that list. Extents are grid coordinates in 32 bits: a wide table scrolled
// far to the right runs past what a 16-bit coordinate holds, so only GetCellRect narrows them, and it
// clamps. A column with its own width grows with the window and is left out of the content width and
// of fitting.
class ColumnHeader {
public:
    // Appended to the window's columns after the last one, `width` pixels wide (at least 16).
    ColumnHeader(TableWindow& window, int32_t titleId, int32_t width);
    virtual ~ColumnHeader();
    ColumnHeader(const ColumnHeader&) = delete;
    ColumnHeader& operator=(const ColumnHeader&) = delete;

    int32_t Index() const { return index; }
    ColumnHeader* Next() const { return next; }
    int32_t Left() const { return left; }
    int32_t Right() const { return right; }
    int32_t Width() const { return right - left; }
    // Sets the width (at least kMinimumColumnWidth) and moves every later column by the difference.
    void SetWidth(int32_t width);

    // The title: a text number, or a text of its own when one was set.
    void SetTitleId(int32_t textId);
    void SetTitle(const std::string& text);
    const char* Title() const;

    bool ownWidth = false;        // grows with the window; no resize edge
    bool marksOverflow = false;   // a text wider than the cell gets two lines across it
    int32_t indent = 0;           // the first column's tree indent
    int32_t textColour = 10;
    ColumnAlignment alignment = ColumnAlignment::Left;
    CellRecord cell;              // filled by FormatRow for the row being formatted

    static constexpr int32_t kMinimumColumnWidth = 16;

private:
    friend class TableWindow;

    TableWindow& window;
    ColumnHeader* next = nullptr;
    int32_t index = 0;
    int32_t left = 0;
    int32_t right = 0;
    int32_t titleId = 0;
    std::string title;
    bool ownTitle = false;
};

}  // namespace vek
