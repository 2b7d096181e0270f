// TimeFunctionsComputation: the period table of a time-functions analysis.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/AnalysisHost.h"
#include "analysis/timefunctions/TimeFunctionPeriods.h"
#include "analysis/timefunctions/TimeFunctionVariableTable.h"
#include "foundation/memory/PagedArray.h"
#include "foundation/numbers/CardKey.h"

namespace vek {

class Base;
class TimeFunctionFormulaRow;
class TimeFunctionRow;
class TimeFunctionSelectionRow;
class TimeFunctionsTemplate;
class TimeScale;
struct Card;
struct CardGroup;
struct CardLine;

// Table rows: 0 the opening row (what lies before the axis), 1 the totals row, 2 on the periods.
inline constexpr int32_t kOpeningRow = 0;
inline constexpr int32_t kTotalsRow = 1;
inline constexpr int32_t kFirstPeriodRow = 2;

// The engine of a time-functions analysis window; the window (or the tool, or a test) owns one, makes
// its rows from a template and implements the host.
//
// A run reads the cards once in key order (or once per selection row when a row has a period shift),
// feeds the admitted lines of each selection row to its aggregator period by period and finishes every
// period with the rows' results, the formulas and one cell per visible row. Periods are keyed by their
// last day (number 0x7fffffff), or by the card for the kinds C, G and L.
//
// A run never looks whole when it is not: when the period table cannot grow, the run stops with the
// periods so far and message 3961 (how many periods, and the date the result stops at), and the host
// is told the result is incomplete.
class TimeFunctionsComputation {
public:
    explicit TimeFunctionsComputation(Base& base);
    ~TimeFunctionsComputation();
    TimeFunctionsComputation(const TimeFunctionsComputation&) = delete;
    TimeFunctionsComputation& operator=(const TimeFunctionsComputation&) = delete;

    Base& GetBase() const { return base; }

    // Rows are made from the template's definitions (display order); the rows there were are dropped.
    // The axis, the period kind and the time scale are the template's, and its flag B (the opening
    // row shown) puts the opening row into the totals.
    void LoadTemplate(const TimeFunctionsTemplate& definition);
    // New rows at the end, named from the text (made unique). A selection row is reset (every line,
    // mode S, basis A, no shift) and counts the first selection row's value field; both kinds take
    // its column code and R code.
    TimeFunctionSelectionRow& AddSelectionRow(std::string_view name);
    TimeFunctionFormulaRow& AddFormulaRow(std::string_view name, std::string_view formula);
    void RemoveRow(TimeFunctionRow& row);
    const std::vector<std::unique_ptr<TimeFunctionRow>>& Rows() const { return rows; }
    // A row by name, without regard to case; null when none.
    TimeFunctionRow* FindRow(std::string_view name) const;
    // Whether a row other than `self` has the name, without regard to case.
    bool NameTakenByOther(const TimeFunctionRow& self, std::string_view name) const;
    // A row tells its new name before it takes it (its old one empty when it had none).
    void NoteRowName(TimeFunctionRow& row, std::string_view oldName, std::string_view newName);
    int32_t SelectionRowCount() const;
    const TimeFunctionRow* FirstSelectionRow() const;
    int32_t FormulaRowCount() const;
    // Position of a row among the rows of its kind.
    int32_t PositionInKind(const TimeFunctionRow& row) const;

    // The axis: its start and end keys, the period kind and, for kind 16, the time scale.
    void SetAxis(const CardKey& start, const CardKey& end) { axisStart = start; axisEnd = end; }
    const CardKey& AxisStart() const { return axisStart; }
    const CardKey& AxisEnd() const { return axisEnd; }
    void SetPeriodKind(TimeFunctionPeriodKind kind) { periodKind = kind; }
    TimeFunctionPeriodKind PeriodKind() const { return periodKind; }
    void SetTimeScale(const TimeScale* scale) { timeScale = scale; }
    // Whether the totals row takes the opening row in (the window shows the opening row).
    void SetOpeningInTotals(bool on) { openingInTotals = on; }

    TimeFunctionVariableTable& Variables() { return variables; }
    // Builds the variable table again and marks every formula for compiling.
    void RebuildVariables();

    // Runs the analysis. Checks first: a selection that refuses to be prepared (its own message), a
    // formula row that depends on itself (5304 directly, 5305 through other rows), an axis whose start
    // lies after its end (2109); each leaves no rows, names the row concerned (FailedRow) and ends
    // the run as failed.
    void Compute(AnalysisHost& host);
    // The row a failed run stopped at (to reveal it); null when none or the axis was at fault.
    TimeFunctionRow* FailedRow() const { return failedRow; }

    // The formula row that depends on itself, with the message number (5304 or 5305); 0 when none.
    int32_t FindSelfDependence(TimeFunctionRow*& row);

    // The table: RowCount() rows of a key and ColumnCount() values.
    int32_t RowCount() const { return rowCount; }
    int32_t ColumnCount() const { return int32_t(columns.size()); }
    CardKey RowKey(int32_t row) const;
    double Cell(int32_t row, int32_t column) const;
    // The visible rows in column order.
    const std::vector<TimeFunctionRow*>& Columns() const { return columns; }
    bool HasTotals() const { return totalsWanted; }

    // Test hook: the period table refuses to grow beyond this many rows (negative: no limit).
    void SetRowLimit(int32_t limit) { rowLimit = limit; }

    // Used by the rows.
    void MarkVariablesInvalid() { variables.Invalidate(); }
    void PushAccumulator(TimeFunctionSelectionRow& row) { accumulators.push_back(&row); }
    void PushFormula(TimeFunctionFormulaRow& row) { formulas.push_back(&row); }

private:
    struct RunState;

    bool CheckRun(AnalysisHost& host);
    // For every formula row (given by the positions of the formula rows it uses), whether it lies on a
    // cycle through another row.
    static std::vector<uint8_t> RowsOnCycles(const std::vector<std::vector<int32_t>>& uses);
    void BuildColumns();
    [[nodiscard]] bool AppendTableRow(const CardKey& key);
    void SetRowKey(int32_t row, const CardKey& key);
    // Finishes the current row and appends the next; false (message 3961 set) when it cannot grow.
    [[nodiscard]] bool OpenPeriod(RunState& state, const CardKey& key);
    // The empty current period takes another key (the opening row keeps its own).
    void RekeyCurrent(RunState& state, const CardKey& key);
    void FinishRow(RunState& state);
    void SetDateBuiltins(const TimeFunctionDateValues& values);
    AnalysisRunEnd PlainLoop(AnalysisHost& host, RunState& state);
    AnalysisRunEnd ShiftedLoop(AnalysisHost& host, RunState& state);
    // Feeds one card to every row that takes it (the rows given), opening periods for the kinds C, G
    // and L as lines are accepted. False when a period could not be opened.
    enum class Boundaries : int32_t { None, Open, OpenWhenFed };
    [[nodiscard]] bool FeedCard(RunState& state, const Card* card, const CardKey& key,
                                const std::vector<TimeFunctionSelectionRow*>& takers, Boundaries boundaries);
    // False when the run has to stop: the table is full, or a row's value list is (3950 pending).
    // Opens the period a card, group or line starts (kinds C, G, L); false when the table is full.
    [[nodiscard]] bool OpenItemPeriod(RunState& state, const CardKey& key, Boundaries boundaries);
    // The periods a card opens before its first accepted line (kinds 0-13).
    [[nodiscard]] bool OpenCardPeriods(RunState& state, const CardKey& key, Boundaries boundaries);
    // Feeds a row the cards after its cursor up to `end`: Completed, or how the run has to end.
    [[nodiscard]] AnalysisRunEnd ReadRowUpTo(RunState& state, TimeFunctionSelectionRow& row, const CardKey& end,
                                             AnalysisHost& host);
    // Every reader reads up to the period end moved by its shift (as a range end).
    [[nodiscard]] AnalysisRunEnd ReadRowsUpTo(RunState& state, const std::vector<TimeFunctionSelectionRow*>& readers,
                                              const CardKey& periodEnd, AnalysisHost& host);
    // The shifted loop's day step for the kinds A, C, G and L.
    [[nodiscard]] AnalysisRunEnd StepDay(RunState& state, PackedDate day,
                                         const std::vector<TimeFunctionSelectionRow*>& readers, AnalysisHost& host);
    void ComputeTotals();
    void ReportIncomplete(const RunState& state);
    double* RowCells(int32_t row);

    Base& base;
    std::vector<std::unique_ptr<TimeFunctionRow>> rows;
    // The rows by their names' upper-cased characters, so that naming each of many rows does not
    // compare it with all the others; a key may hold names that differ only in bad bytes.
    std::unordered_multimap<std::u32string, TimeFunctionRow*> rowsByName;
    TimeFunctionVariableTable variables;
    CardKey axisStart;
    CardKey axisEnd{kLastPackedDate, kOpenEndNumber};
    TimeFunctionPeriodKind periodKind = TimeFunctionPeriodKind::CardDates;
    const TimeScale* timeScale = nullptr;
    bool openingInTotals = false;

    // One run.
    std::vector<TimeFunctionSelectionRow*> accumulators;
    std::vector<TimeFunctionFormulaRow*> formulas;
    std::vector<TimeFunctionRow*> columns;
    std::vector<TimeFunctionSelectionRow*> groupTakers;  // rows that take the group being read
    std::vector<TimeFunctionSelectionRow*> singleTaker;  // the row reading with its own cursor
    std::vector<double> lineValues;                      // the amounts of the line being read
    TimeFunctionRow* failedRow = nullptr;
    bool totalsWanted = false;
    PagedArray table;
    int32_t rowCount = 0;
    int32_t rowLimit = -1;
};

}  // namespace vek
