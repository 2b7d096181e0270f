// TimeFunctionRow: one row of a running time-functions analysis, a selection row or a formula row.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/strings/String.h"
#include "analysis/TimeFunctionRowDefinition.h"

namespace vek {

class TextReader;
class TextWriter;
class TimeFunctionsComputation;

// A row of the analysis while it is open: made from a row definition of the template, owned by the
// computation (which stands in for its window), with the state of one run. Names are identifiers,
// unique among the rows without regard to case.
class TimeFunctionRow {
public:
    virtual ~TimeFunctionRow();
    TimeFunctionRow(const TimeFunctionRow&) = delete;
    TimeFunctionRow& operator=(const TimeFunctionRow&) = delete;

    TimeFunctionRowKind Kind() const { return kind; }
    TimeFunctionsComputation& Owner() const { return owner; }

    // Selection rows: the position among the selection rows. Formula rows: the position among the
    // formula rows + the number of selection rows + 1.
    virtual int32_t Ordinal() const = 0;
    // Takes the definition's settings (a definition of the other kind changes only the display).
    virtual void CopyFromDefinition(const TimeFunctionRowDefinition& definition) = 0;
    // Makes the row ready for a run; formula rows prepare the rows they use first.
    virtual void Prepare() = 0;
    // The lines of a "## Selection" or "## Formula" block after its head line, up to the next line
    // whose first field starts with "#": true when there is one (the reader is left at its start for
    // the caller), false at the end of the input. Unknown keys and letters leave their setting.
    virtual bool ReadText(TextReader& reader) = 0;
    // The whole block, head line included.
    virtual void WriteText(TextWriter& writer) const = 0;
    // 1 line, 2 bar (selection rows by basis; formula rows their own).
    virtual int32_t ChartStyle() const = 0;

    const String& Name() const { return name; }
    const String& Label() const { return label; }
    void SetLabel(std::string_view text) { label.AssignBytes(text); }
    // The label with its links shown as plain text; the name when there is no label.
    void DisplayName(String& out) const;

    // Names the row from a text: the text made an identifier (prefix "A" for a selection row, "F1" for
    // a formula row), then stepped until no other row has it (case-insensitive).
    void NameFromText(std::string_view text);
    // A user's rename: false (the old name kept) when the identifier is empty or another row's name.
    // Otherwise every formula has the old name replaced where it stands as a whole identifier, and
    // the owner's variable table must be built again.
    [[nodiscard]] bool Rename(std::string_view text);

    // The display settings as the template keeps them (the window reads most of them).
    TimeFunctionRowDisplay& Display() { return display; }
    const TimeFunctionRowDisplay& Display() const { return display; }
    bool Visible() const { return display.visible; }
    void SetVisible(bool on) { display.visible = on; }
    // Whether the totals row sums the row's column.
    bool SumFlag() const { return display.flagS; }
    void SetSumFlag(bool on) { display.flagS = on; }
    // The column's width: the row's own, 64 when it is under 16.
    int32_t ColumnWidth() const { return display.width < 16 ? 64 : display.width; }
    int32_t Column() const { return column; }
    void SetColumn(int32_t value) { column = value; }
    int32_t Variable() const { return variable; }
    void SetVariable(int32_t value) { variable = value; }
    bool Prepared() const { return prepared; }
    void ClearPrepared() { prepared = false; }

protected:
    TimeFunctionRow(TimeFunctionsComputation& owner, TimeFunctionRowKind kind);

    TimeFunctionsComputation& owner;
    TimeFunctionRowKind kind;
    String name;
    String label;
    TimeFunctionRowDisplay display;
    int32_t column = -1;
    int32_t variable = -1;
    bool prepared = false;
};

}  // namespace vek
