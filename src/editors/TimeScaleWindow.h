// TimeScaleWindow: the editor of one named time scale of a base.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "docwindows/table/GridBodyView.h"
#include "docwindows/table/TableWindow.h"
#include "foundation/numbers/CardKey.h"

namespace vek {

class Base;
class TextField;
class TextReader;
class TimeScale;

// One row of the editor: the period's start and its text. A row with neither is empty.
struct TimeScaleRow {
    CardKey start;
    std::string text;

    bool IsEmpty() const { return start.date == 0 && text.empty(); }
};

// The editor of a time scale (window kind 15): each period a row of two columns, start and text,
// edited in place in row mode. It edits a working copy: the base changes only when the window closes
// with saving (CanClose asks messages 3203 or 3205; close mode 2 saves without asking, close mode 3
// closes without saving).
class TimeScaleWindow final : public TableWindow {
public:
    // A time scale of the base, or null for a new one.
    TimeScaleWindow(Base& base, TimeScale* timeScale, int32_t flags);
    ~TimeScaleWindow() override;

    CommandTarget* Query(void* request) override;
    int32_t DoCommand(MenuItem& item) override;
    int32_t CanClose(CloseMode mode) override;
    void Resized(int32_t dw, int32_t dh) override;
    void Draw() override;
    void FormatRow(int32_t row, RowRecord& record) override;
    int32_t GridKeyDown(InputEvent& event) override;
    void CommitCellEdit(int32_t row, int32_t column, std::string_view text) override;

    TimeScale* ShownTimeScale() const { return timeScale; }
    const std::vector<TimeScaleRow>& Rows() const { return rows; }
    TextField& NameField() const { return *nameField; }

    // A new empty row after the current one (at the end without one), edited at its start.
    void AddRowAfterCurrent();
    // The current row goes; the last row left is only emptied.
    void DeleteCurrentRow();
    // One period per line: a card key, a tab and a text (cut to 64 bytes at a character boundary). A
    // line with a key and a text fills the last row when that one is empty, else a new row. Answers
    // how many lines were taken.
    int32_t ImportPeriods(TextReader& reader);
    int32_t ImportPeriodsFromClipboard();
    // The same from a text file (its encoding detected); a file that cannot be read sets the pending
    // error 2111 with its name and imports nothing (-1).
    int32_t ImportPeriodsFromFile(const char* path);
    // Empty rows go (one row always stays) and the rows are put in key order; true when anything
    // changed.
    bool TidyRows();
    // The name the time scale is saved under: the name field's text trimmed and cut at a character
    // boundary (the window title for a new time scale with an empty field), made unique among the
    // base's time scales without regard to case (the edited one excepted): an empty name becomes text
    // 7000, and while the name is taken its trailing number is raised by one.
    std::string SaveName() const;
    // Whether saving would change the base.
    bool HasChanges() const;
    // Stores the rows in the base under the name; false when memory ran short.
    [[nodiscard]] bool Save(const std::string& name);

private:
    std::string UniqueName(std::string name) const;
    bool PeriodsDiffer() const;
    void LoadRows();
    void FitTextColumn();

    Base& base;
    TimeScale* timeScale;
    std::vector<TimeScaleRow> rows;
    TextField* nameField = nullptr;
    ColumnHeader* startColumn = nullptr;
    ColumnHeader* textColumn = nullptr;
    int32_t startWidth = 0;
};

// An open editor of the time scale is brought forward and returned; otherwise a new one is made when
// 16384 bytes of memory can be had (null when not). Null opens an editor of a new time scale.
TimeScaleWindow* OpenTimeScaleEditor(Base& base, TimeScale* timeScale, int32_t flags);
// Asks (message 3208) and deletes the editor's stored time scale once the window agreed to close
// without saving; false when it was kept.
bool DeleteTimeScale(TimeScaleWindow& window);

}  // namespace vek
