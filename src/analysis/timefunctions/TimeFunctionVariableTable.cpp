#include "analysis/timefunctions/TimeFunctionVariableTable.h"

#include <cstring>
#include <string>

#include "analysis/timefunctions/TimeFunctionRow.h"

namespace vek {

namespace {

constexpr const char* kBuiltinNames[kTimeFunctionBuiltinCount] = {
    "year", "month", "day", "weekday", "quarterday", "yearday", "perioddays", "T",
};

}  // namespace

TimeFunctionVariableTable::~TimeFunctionVariableTable() = default;

void TimeFunctionVariableTable::Build(std::span<TimeFunctionRow* const> rows)
{
    int32_t capacity = kTimeFunctionBuiltinCount;
    for (const TimeFunctionRow* row : rows)
        capacity += row->Kind() == TimeFunctionRowKind::Selection ? 2 : 1;
    auto block = std::make_unique<FormulaVariable[]>(size_t(capacity));
    rowsByEntry.assign(size_t(capacity), nullptr);
    int32_t n = 0;
    for (const char* builtin : kBuiltinNames)
        CopyFormulaName(block[size_t(n++)], builtin);
    for (TimeFunctionRow* row : rows) {
        row->SetVariable(n);
        rowsByEntry[size_t(n)] = row;
        CopyFormulaName(block[size_t(n++)], row->Name().View());
        if (row->Kind() == TimeFunctionRowKind::Selection) {
            // The count of lines; an unnamed row has no name to count by.
            if (!row->Name().IsEmpty()) {
                std::string countName = "#";
                countName += row->Name().View();
                CopyFormulaName(block[size_t(n)], countName);
            }
            rowsByEntry[size_t(n)] = row;
            ++n;
        }
    }
    entries = std::move(block);
    count = n;
    index.Build(count, entries.get());
    valid = true;
}

std::string_view TimeFunctionVariableTable::NameAt(int32_t i) const
{
    if (i < 0 || i >= count)
        return {};
    return entries[size_t(i)].name;
}

}  // namespace vek
