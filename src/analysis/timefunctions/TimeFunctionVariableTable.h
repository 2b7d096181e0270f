// TimeFunctionVariableTable: the names and values that the formulas of a time-functions analysis read.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "model/expressions/Formula.h"
#include "model/expressions/FormulaVariableIndex.h"

namespace vek {

class TimeFunctionRow;

// The built-in variables, in table order; the rows' variables follow them.
enum class TimeFunctionBuiltin : int32_t {
    Year = 0,
    Month = 1,
    Day = 2,
    Weekday = 3,
    Quarterday = 4,
    Yearday = 5,
    Perioddays = 6,
    T = 7,
};
inline constexpr int32_t kTimeFunctionBuiltinCount = 8;

// Entries 0-7 are the built-ins "year" .. "T"; then, for every row in display order, the row's name,
// and for a selection row also the next entry, "#" + name (its count of lines; an empty name when the
// row has none). Names are cut to 31 bytes on a UTF-8 character boundary. The entries sit in one block
// that never moves while the table stands, because compiled formulas keep a pointer to it: Build makes
// a new block, so every formula must be compiled again afterwards. The names are indexed, so that the
// formulas of a large analysis compile in time proportional to their rows; every row is named by its
// whole name whatever the number of rows.
class TimeFunctionVariableTable {
public:
    TimeFunctionVariableTable() = default;
    ~TimeFunctionVariableTable();
    TimeFunctionVariableTable(const TimeFunctionVariableTable&) = delete;
    TimeFunctionVariableTable& operator=(const TimeFunctionVariableTable&) = delete;

    // Gives each row its variable number. Capacity: 2 x selection rows + formula rows + 8.
    void Build(std::span<TimeFunctionRow* const> rows);
    bool IsValid() const { return valid; }
    void Invalidate() { valid = false; }

    int32_t Count() const { return count; }
    const FormulaVariable* Entries() const { return entries.get(); }
    const FormulaVariableIndex& Index() const { return index; }
    // The row whose variable (or, for a selection row, whose count variable) entry i is; null for the
    // built-ins and outside the table.
    TimeFunctionRow* RowAt(int32_t i) const
    {
        return i >= 0 && size_t(i) < rowsByEntry.size() ? rowsByEntry[size_t(i)] : nullptr;
    }
    std::string_view NameAt(int32_t i) const;
    double& ValueAt(int32_t i) { return entries[size_t(i)].value; }
    double ValueAt(int32_t i) const { return entries[size_t(i)].value; }
    void SetBuiltin(TimeFunctionBuiltin which, double value) { entries[size_t(which)].value = value; }

private:
    std::unique_ptr<FormulaVariable[]> entries;
    FormulaVariableIndex index;
    std::vector<TimeFunctionRow*> rowsByEntry;
    int32_t count = 0;
    bool valid = false;
};

}  // namespace vek
