#include "analysis/timefunctions/TimeFunctionsComputation.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstring>
#include <limits>
#include <utility>

#include "analysis/timefunctions/TimeFunctionFormulaRow.h"
#include "analysis/timefunctions/TimeFunctionRunState.h"
#include "analysis/timefunctions/TimeFunctionSelectionRow.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "model/base/Base.h"
#include "model/dates/DateExpression.h"
#include "model/selections/SelectionTexts.h"
#include "analysis/timefunctions/TimeFunctionsTemplate.h"
#include "model/dates/TimeScale.h"

namespace vek {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// The upper-cased characters of a row name: names equal without regard to case have equal keys.
std::u32string RowNameKey(std::string_view name)
{
    std::u32string key;
    const char* end = name.data() + name.size();
    for (const char* p = name.data(); p < end;)
        key.push_back(Utf8NextUpperCharIn(p, end));
    return key;
}

}  // namespace

TimeFunctionsComputation::TimeFunctionsComputation(Base& owner) : base(owner), table(int32_t(sizeof(CardKey)), 0) {}

TimeFunctionsComputation::~TimeFunctionsComputation() = default;

// --- Rows -------------------------------------------------------------------------------------------

void TimeFunctionsComputation::LoadTemplate(const TimeFunctionsTemplate& definition)
{
    rows.clear();
    rowsByName.clear();
    rows.reserve(definition.Rows().size());
    failedRow = nullptr;
    for (const auto& source : definition.Rows()) {
        std::unique_ptr<TimeFunctionRow> row;
        if (source->IsSelection())
            row = std::make_unique<TimeFunctionSelectionRow>(*this);
        else
            row = std::make_unique<TimeFunctionFormulaRow>(*this);
        TimeFunctionRow& made = *row;
        rows.push_back(std::move(row));
        made.NameFromText(source->NameCStr());
        made.SetLabel(source->LabelCStr());
        made.CopyFromDefinition(*source);
    }
    // The expressions are resolved again here: the cards (which "File" counts from) may have changed
    // since the template last resolved them.
    DateExpression from(&base, -1);
    DateExpression to(&base, 1);
    from.Assign(definition.AxisFrom());
    to.Assign(definition.AxisTo());
    axisStart = from.Value();
    axisEnd = to.Value();
    periodKind = definition.PeriodKind();
    // Flag B shows the opening row, and a shown opening row counts in the totals.
    openingInTotals = definition.flagB;
    timeScale = nullptr;
    if (definition.TimeScaleName() != nullptr)
        timeScale = base.TimeScales().Find(definition.TimeScaleName());
    variables.Invalidate();
}

TimeFunctionSelectionRow& TimeFunctionsComputation::AddSelectionRow(std::string_view name)
{
    auto row = std::make_unique<TimeFunctionSelectionRow>(*this);
    TimeFunctionSelectionRow& made = *row;
    // A new row counts the same field as the first selection row and shows like it.
    if (const TimeFunctionRow* first = FirstSelectionRow()) {
        made.SetValueField(static_cast<const TimeFunctionSelectionRow&>(*first).ValueField());
        made.Display().columnCode = first->Display().columnCode;
        made.Display().rCode = first->Display().rCode;
    }
    rows.push_back(std::move(row));
    made.NameFromText(name);
    variables.Invalidate();
    return made;
}

TimeFunctionFormulaRow& TimeFunctionsComputation::AddFormulaRow(std::string_view name, std::string_view formula)
{
    auto row = std::make_unique<TimeFunctionFormulaRow>(*this);
    TimeFunctionFormulaRow& made = *row;
    if (const TimeFunctionRow* first = FirstSelectionRow()) {
        made.Display().columnCode = first->Display().columnCode;
        made.Display().rCode = first->Display().rCode;
    }
    rows.push_back(std::move(row));
    made.NameFromText(name);
    String text;
    text.AssignBytes(formula);
    made.ReplaceFormulaText(text);
    variables.Invalidate();
    return made;
}

void TimeFunctionsComputation::RemoveRow(TimeFunctionRow& row)
{
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        if (it->get() == &row) {
            if (failedRow == &row)
                failedRow = nullptr;
            NoteRowName(row, row.Name().View(), {});
            rows.erase(it);
            variables.Invalidate();
            return;
        }
    }
}

const TimeFunctionRow* TimeFunctionsComputation::FirstSelectionRow() const
{
    for (const auto& row : rows) {
        if (row->Kind() == TimeFunctionRowKind::Selection)
            return row.get();
    }
    return nullptr;
}

TimeFunctionRow* TimeFunctionsComputation::FindRow(std::string_view name) const
{
    for (const auto& row : rows) {
        if (CStrEqualNoCase(row->Name().View(), name))
            return row.get();
    }
    return nullptr;
}

bool TimeFunctionsComputation::NameTakenByOther(const TimeFunctionRow& self, std::string_view name) const
{
    auto [from, to] = rowsByName.equal_range(RowNameKey(name));
    for (auto it = from; it != to; ++it) {
        if (it->second != &self && CStrEqualNoCase(it->second->Name().View(), name))
            return true;
    }
    return false;
}

void TimeFunctionsComputation::NoteRowName(TimeFunctionRow& row, std::string_view oldName, std::string_view newName)
{
    if (!oldName.empty()) {
        auto [from, to] = rowsByName.equal_range(RowNameKey(oldName));
        for (auto it = from; it != to; ++it) {
            if (it->second == &row) {
                rowsByName.erase(it);
                break;
            }
        }
    }
    if (!newName.empty())
        rowsByName.emplace(RowNameKey(newName), &row);
}

int32_t TimeFunctionsComputation::SelectionRowCount() const
{
    int32_t n = 0;
    for (const auto& row : rows)
        n += row->Kind() == TimeFunctionRowKind::Selection ? 1 : 0;
    return n;
}

int32_t TimeFunctionsComputation::FormulaRowCount() const { return int32_t(rows.size()) - SelectionRowCount(); }

int32_t TimeFunctionsComputation::PositionInKind(const TimeFunctionRow& row) const
{
    int32_t n = 0;
    for (const auto& other : rows) {
        if (other.get() == &row)
            return n;
        n += other->Kind() == row.Kind() ? 1 : 0;
    }
    return -1;
}

void TimeFunctionsComputation::RebuildVariables()
{
    std::vector<TimeFunctionRow*> order;
    order.reserve(rows.size());
    for (const auto& row : rows)
        order.push_back(row.get());
    variables.Build(order);
    for (const auto& row : rows) {
        if (row->Kind() == TimeFunctionRowKind::Formula)
            static_cast<TimeFunctionFormulaRow&>(*row).MarkUncompiled();
    }
}

// --- Checks -----------------------------------------------------------------------------------------

int32_t TimeFunctionsComputation::FindSelfDependence(TimeFunctionRow*& found)
{
    found = nullptr;
    if (!variables.IsValid())
        RebuildVariables();
    std::vector<TimeFunctionFormulaRow*> formulaRows;
    std::vector<int32_t> slotOfVariable(size_t(variables.Count()), -1);
    for (const auto& row : rows) {
        if (row->Kind() == TimeFunctionRowKind::Formula) {
            auto* formulaRow = static_cast<TimeFunctionFormulaRow*>(row.get());
            formulaRow->CompileIfNeeded();
            slotOfVariable[size_t(formulaRow->Variable())] = int32_t(formulaRows.size());
            formulaRows.push_back(formulaRow);
        }
    }
    // The formula rows each formula row uses; a row that uses itself is marked apart.
    const size_t n = formulaRows.size();
    std::vector<std::vector<int32_t>> uses(n);
    std::vector<uint8_t> usesItself(n, 0);
    std::vector<TimeFunctionRow*> used;
    for (size_t i = 0; i < n; ++i) {
        formulaRows[i]->UsedRows(used);
        for (TimeFunctionRow* row : used) {
            if (row->Kind() != TimeFunctionRowKind::Formula)
                continue;
            int32_t j = slotOfVariable[size_t(row->Variable())];
            if (size_t(j) == i)
                usesItself[i] = 1;
            else
                uses[i].push_back(j);
        }
    }
    std::vector<uint8_t> onCycle = RowsOnCycles(uses);
    // The first row in display order that depends on itself, as the rows are checked one by one.
    for (size_t i = 0; i < n; ++i) {
        if (usesItself[i] != 0 || onCycle[i] != 0) {
            found = formulaRows[i];
            return usesItself[i] != 0 ? message::kFormulaRefersToItself : message::kFormulaDependsOnItself;
        }
    }
    return 0;
}

std::vector<uint8_t> TimeFunctionsComputation::RowsOnCycles(const std::vector<std::vector<int32_t>>& uses)
{
    // Strongly connected components (Tarjan), with stacks of our own so that a chain of any length
    // neither runs out of stack nor costs more than one visit per row and per use: a row lies on a
    // cycle when its component holds another row.
    const size_t n = uses.size();
    std::vector<uint8_t> onCycle(n, 0);
    std::vector<int32_t> order(n, -1);
    std::vector<int32_t> low(n, 0);
    std::vector<uint8_t> open(n, 0);
    std::vector<int32_t> component;
    std::vector<std::pair<int32_t, size_t>> walk;  // a row and its next use to follow
    int32_t counter = 0;
    auto enter = [&](int32_t v) {
        order[size_t(v)] = low[size_t(v)] = counter++;
        component.push_back(v);
        open[size_t(v)] = 1;
        walk.emplace_back(v, 0);
    };
    for (size_t root = 0; root < n; ++root) {
        if (order[root] >= 0)
            continue;
        enter(int32_t(root));
        while (!walk.empty()) {
            int32_t v = walk.back().first;
            size_t next = walk.back().second;
            if (next < uses[size_t(v)].size()) {
                walk.back().second = next + 1;
                int32_t w = uses[size_t(v)][next];
                if (order[size_t(w)] < 0)
                    enter(w);
                else if (open[size_t(w)] != 0)
                    low[size_t(v)] = std::min(low[size_t(v)], order[size_t(w)]);
                continue;
            }
            walk.pop_back();
            if (!walk.empty()) {
                int32_t parent = walk.back().first;
                low[size_t(parent)] = std::min(low[size_t(parent)], low[size_t(v)]);
            }
            if (low[size_t(v)] != order[size_t(v)])
                continue;
            size_t first = component.size();
            do
                --first;
            while (component[first] != v);
            bool cycle = component.size() - first > 1;
            for (size_t k = first; k < component.size(); ++k) {
                open[size_t(component[k])] = 0;
                onCycle[size_t(component[k])] = cycle ? 1 : 0;
            }
            component.resize(first);
        }
    }
    return onCycle;
}

bool TimeFunctionsComputation::CheckRun(AnalysisHost& host)
{
    if (!variables.IsValid())
        RebuildVariables();
    if (host.CancelRequested())
        return false;
    for (const auto& row : rows) {
        if (row->Kind() != TimeFunctionRowKind::Selection)
            continue;
        auto& selectionRow = static_cast<TimeFunctionSelectionRow&>(*row);
        if (!selectionRow.GetSelection().Prepare(SelectionCheck::None)) {
            failedRow = row.get();
            return false;
        }
    }
    TimeFunctionRow* cyclic = nullptr;
    if (int32_t code = FindSelfDependence(cyclic); code != 0) {
        failedRow = cyclic;
        SetErrorCode(code);
        GetPendingError().message.AddText(cyclic->Name().CStr());
        return false;
    }
    if (IsErrorPending())
        return false;  // a formula the compiler refused
    if (CardKeyGreater(axisStart, axisEnd)) {
        SetErrorCode(message::kEmptyDateRange);
        return false;
    }
    return true;
}

// --- The table --------------------------------------------------------------------------------------

double* TimeFunctionsComputation::RowCells(int32_t row)
{
    auto* bytes = static_cast<unsigned char*>(table.At(row));
    return bytes != nullptr ? reinterpret_cast<double*>(bytes + sizeof(CardKey)) : nullptr;
}

CardKey TimeFunctionsComputation::RowKey(int32_t row) const
{
    CardKey key;
    if (row >= 0 && row < rowCount) {
        if (const void* stored = table.At(row))
            std::memcpy(&key, stored, sizeof key);
    }
    return key;
}

double TimeFunctionsComputation::Cell(int32_t row, int32_t column) const
{
    if (row < 0 || row >= rowCount || column < 0 || column >= ColumnCount())
        return kNoValue;
    const auto* bytes = static_cast<const unsigned char*>(table.At(row));
    if (bytes == nullptr)
        return kNoValue;
    double value;
    std::memcpy(&value, bytes + sizeof(CardKey) + sizeof(double) * size_t(column), sizeof value);
    return value;
}

bool TimeFunctionsComputation::AppendTableRow(const CardKey& key)
{
    if (rowLimit >= 0 && rowCount >= rowLimit)
        return false;
    void* stored = table.AtGrow(rowCount);
    if (stored == nullptr)
        return false;
    std::memcpy(stored, &key, sizeof key);
    double* cells = RowCells(rowCount);
    for (int32_t c = 0; c < ColumnCount(); ++c)
        cells[c] = kNoValue;
    ++rowCount;
    return true;
}

void TimeFunctionsComputation::SetRowKey(int32_t row, const CardKey& key)
{
    if (void* stored = table.At(row))
        std::memcpy(stored, &key, sizeof key);
}

void TimeFunctionsComputation::BuildColumns()
{
    columns.clear();
    accumulators.clear();
    formulas.clear();
    for (const auto& row : rows) {
        row->SetColumn(-1);
        row->ClearPrepared();
    }
    for (const auto& row : rows) {
        if (!row->Visible())
            continue;
        row->SetColumn(int32_t(columns.size()));
        columns.push_back(row.get());
    }
    // Visible rows are prepared in display order; a formula prepares the hidden rows it uses first.
    for (TimeFunctionRow* row : columns)
        row->Prepare();
    // Rows with the same selection test each line once between them.
    std::vector<std::unique_ptr<SelectionTexts>> texts;
    for (size_t i = 0; i < accumulators.size(); ++i) {
        texts.push_back(std::make_unique<SelectionTexts>(base));
        texts.back()->Capture(accumulators[i]->GetSelection());
        size_t tester = i;
        for (size_t j = 0; j < i && tester == i; ++j) {
            if (texts[j]->Equals(*texts[i]))
                tester = j;
        }
        accumulators[i]->SetLineTester(*accumulators[tester]);
    }
    totalsWanted = false;
    for (TimeFunctionRow* row : columns)
        totalsWanted = totalsWanted || row->SumFlag();
}

// --- Finishing rows ---------------------------------------------------------------------------------

void TimeFunctionsComputation::FinishRow(RunState& state)
{
    if (state.current != kOpeningRow) {
        if (state.usesDateBuiltins)
            SetDateBuiltins(state.periods.DateValues(state.previousKey, state.currentKey));
        if (state.usesT)
            variables.SetBuiltin(TimeFunctionBuiltin::T, state.periods.ElapsedYears(state.currentKey.date));
    }
    for (TimeFunctionSelectionRow* row : accumulators) {
        // The time-weighted modes integrate up to the period's end as the row sees it: moved back by
        // its shift, and no later than its selection ends.
        CardKey end = row->Shift().Apply(state.currentKey, periodKind, ShiftedKeyEdge::RangeStart);
        if (CardKeyGreater(end, row->RangeEnd()))
            end = row->RangeEnd();
        variables.ValueAt(row->Variable()) = row->Aggregator().Result(end.date);
        variables.ValueAt(row->Variable() + 1) = double(row->Aggregator().Count());
    }
    for (TimeFunctionFormulaRow* row : formulas)
        row->EvaluateAtPeriodEnd();
    if (double* cells = RowCells(state.current)) {
        for (int32_t c = 0; c < ColumnCount(); ++c)
            cells[c] = variables.ValueAt(columns[size_t(c)]->Variable());
    }
}

bool TimeFunctionsComputation::OpenPeriod(RunState& state, const CardKey& key)
{
    int32_t next = rowCount;
    bool grown = AppendTableRow(key);
    FinishRow(state);
    if (!grown) {
        ReportIncomplete(state);
        state.stopped = true;
        return false;
    }
    state.previousKey = state.currentKey;
    state.current = next;
    state.currentKey = key;
    state.fedSinceOpen = false;
    for (TimeFunctionSelectionRow* row : accumulators)
        row->Aggregator().OpenPeriod();
    return true;
}

void TimeFunctionsComputation::SetDateBuiltins(const TimeFunctionDateValues& values)
{
    variables.SetBuiltin(TimeFunctionBuiltin::Year, values.year);
    variables.SetBuiltin(TimeFunctionBuiltin::Month, values.month);
    variables.SetBuiltin(TimeFunctionBuiltin::Day, values.day);
    variables.SetBuiltin(TimeFunctionBuiltin::Weekday, values.weekday);
    variables.SetBuiltin(TimeFunctionBuiltin::Quarterday, values.quarterday);
    variables.SetBuiltin(TimeFunctionBuiltin::Yearday, values.yearday);
    variables.SetBuiltin(TimeFunctionBuiltin::Perioddays, values.perioddays);
}

void TimeFunctionsComputation::RekeyCurrent(RunState& state, const CardKey& key)
{
    if (state.current == kOpeningRow)
        return;
    state.currentKey = key;
    SetRowKey(state.current, key);
}

void TimeFunctionsComputation::ReportIncomplete(const RunState& state)
{
    SetErrorCode(message::kTimeFunctionsResultIncomplete);
    Message& message = GetPendingError().message;
    String count;
    count.AssignInt(std::max(state.current - kFirstPeriodRow + 1, 0));
    message.AddText(count.CStr());
    char dateText[kPackedDateTextCapacity];
    FormatPackedDate(dateText, state.currentKey.date);
    message.AddText(dateText);
}

void TimeFunctionsComputation::ComputeTotals()
{
    double* totals = RowCells(kTotalsRow);
    if (totals == nullptr)
        return;
    for (int32_t c = 0; c < ColumnCount(); ++c)
        totals[c] = columns[size_t(c)]->SumFlag() ? 0.0 : kNoValue;
    for (int32_t r = openingInTotals ? kOpeningRow : kFirstPeriodRow; r < rowCount; ++r) {
        if (r == kTotalsRow)
            continue;
        const double* cells = RowCells(r);
        for (int32_t c = 0; c < ColumnCount(); ++c) {
            if (columns[size_t(c)]->SumFlag() && std::isfinite(cells[c]))
                totals[c] += cells[c];
        }
    }
}

// --- The run ----------------------------------------------------------------------------------------

void TimeFunctionsComputation::Compute(AnalysisHost& host)
{
    failedRow = nullptr;
    rowCount = 0;
    columns.clear();
    accumulators.clear();
    formulas.clear();
    if (!CheckRun(host)) {
        table.Truncate(0);
        host.EndRun(AnalysisRunEnd::Failed);
        return;
    }
    BuildColumns();
    lineValues.assign(size_t(std::max(base.ValueCount(), 1)), 0.0);
    table = PagedArray(int32_t(sizeof(CardKey) + sizeof(double) * columns.size()), 0);

    TimeFunctionPeriods periods(periodKind, axisStart, axisEnd, timeScale);
    RunState state(periods);
    CardKey opening = periods.OpeningKey();
    state.currentKey = opening;
    state.previousKey = opening;
    for (TimeFunctionFormulaRow* row : formulas) {
        for (int32_t v = 0; v <= int32_t(TimeFunctionBuiltin::Perioddays); ++v)
            state.usesDateBuiltins = state.usesDateBuiltins || row->UsesVariable(v);
        state.usesT = state.usesT || row->UsesVariable(int32_t(TimeFunctionBuiltin::T));
    }
    SetDateBuiltins(periods.InitialDateValues());
    variables.SetBuiltin(TimeFunctionBuiltin::T, 0.0);

    AnalysisRunEnd end = AnalysisRunEnd::Completed;
    if (!columns.empty()) {
        if (!AppendTableRow(opening) || !AppendTableRow(axisEnd)) {
            SetErrorCode(message::kAnalysisIncomplete);
            end = AnalysisRunEnd::Incomplete;
        } else {
            bool shifted = false;
            for (TimeFunctionSelectionRow* row : accumulators)
                shifted = shifted || row->HasShift();
            int64_t reads = int64_t(base.CardCount()) * (shifted ? int64_t(accumulators.size()) : 1);
            host.StartProgress(int32_t(std::min<int64_t>(reads, INT32_MAX)));
            end = shifted ? ShiftedLoop(host, state) : PlainLoop(host, state);
            if (totalsWanted)
                ComputeTotals();
            host.EndProgress();
        }
    }
    table.Truncate(rowCount);
    host.EndRun(end);
}

}  // namespace vek
