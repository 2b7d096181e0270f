// ComponentFunctionsComputation: the level tree of a component-functions analysis filled with the values
// of its selection and formula columns.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/AnalysisHost.h"
#include "analysis/CompiledSelection.h"
#include "analysis/LevelTree.h"
#include "analysis/componentfunctions/ComponentFunctionColumnDefinition.h"
#include "foundation/numbers/PackedDate.h"
#include "model/expressions/Formula.h"
#include "model/expressions/FormulaVariableIndex.h"

namespace vek {

class Base;
class ComponentFunctionsTemplate;
struct Card;

// The row variables of the formulas, in table order; the columns' variables follow them.
enum class ComponentFunctionBuiltin : int32_t {
    Year = 0,
    Month = 1,
    Day = 2,
    Weekday = 3,
    Quarterday = 4,
    Yearday = 5,
    Dim = 6,
    Level = 7,
    DimLevel = 8,
    Leaf = 9,
};
inline constexpr int32_t kComponentFunctionBuiltinCount = 10;

// A selection column as a computation runs it: a copy of its definition, its compiled selection and,
// during a run, its per-row values.
struct ComponentFunctionSelectionRun {
    std::string name;
    std::string title;
    ComponentFunctionColumnDisplay display;
    std::unique_ptr<SelectionTexts> texts;
    std::unique_ptr<CompiledSelection> selection;
    int32_t valueField = 0;
    int32_t valueMode = 3;
    ColumnAccumulation accumulation = ColumnAccumulation::Tree;
    int32_t decimalsCode = 7;  // of the value field, for rounding; 7 unrounded
    int32_t variable = -1;     // its own; "!" is the next entry, "#" the one after
    bool queued = false;
    Card* spanFirst = nullptr;
    Card* spanStop = nullptr;
    PackedDate toDate = 0;  // the turnover modes weigh balances up to the day after it
    std::vector<double> own;
    std::vector<double> rolledUp;
    std::vector<int32_t> ownCount;
    std::vector<int32_t> rolledUpCount;
};

// A formula column as a computation runs it, with the per-row state of its tree function.
struct ComponentFunctionFormulaRun {
    std::string name;
    std::string title;
    ComponentFunctionColumnDisplay display;
    std::string formulaText;
    std::unique_ptr<Formula> formula = std::make_unique<Formula>();  // compiled formulas do not move
    TreeFunction function = TreeFunction::None;
    int32_t variable = -1;
    bool queued = false;
    std::vector<double> treeValue;
    std::vector<int32_t> treeCount;
    std::vector<uint8_t> treeSign;
};

// The engine of a component-functions analysis; the window owns one and implements the host.
//
// Every selection column walks the cards of its own date range with its own selection; the rows are
// the level tree over the union of the columns' components. Per row and shown column the result keeps
// the own value (the row's own lines) and the rolled-up value (the row and its descendants, or the
// running value at the end of its subtree for the running columns); formulas see both in turn.
//
// Variable names: each column is named by its whole name; a name longer than a variable slot holds is
// left out of the table (a formula cannot read it) rather than cut, since two long names cut alike
// would let a formula read the wrong column.
class ComponentFunctionsComputation final : private LevelTreeClient {
public:
    explicit ComponentFunctionsComputation(Base& base);
    ~ComponentFunctionsComputation() override;
    ComponentFunctionsComputation(const ComponentFunctionsComputation&) = delete;
    ComponentFunctionsComputation& operator=(const ComponentFunctionsComputation&) = delete;

    // Copies the template's levels, columns and sort settings, and its expansion text.
    void CopyFrom(const ComponentFunctionsTemplate& definition);
    // Narrows every selection column's date range to the period's ends that are given.
    void SetPeriodLimit(std::optional<PackedDate> from, std::optional<PackedDate> to);

    // Builds the rows and their values. A refused selection or a formula that depends on itself
    // (5304 directly, 5305 through other formulas, pending with its name) leaves no rows and ends as
    // failed; a combination table that cannot grow ends incomplete with 4100 pending; a cancel ends
    // as cancelled.
    void Recalculate(AnalysisHost& host);

    const LevelTree& Tree() const { return tree; }
    int32_t RowCount() const { return tree.RowCount(); }
    // The shown columns in display order: their titles, and per row their own and rolled-up values.
    int32_t ShownColumnCount() const { return int32_t(shown.size()); }
    const std::string& ShownTitle(int32_t k) const;
    double OwnValue(int32_t row, int32_t k) const { return cells[Cell(row, k)]; }
    double RolledUpValue(int32_t row, int32_t k) const { return cells[Cell(row, k) + 1]; }
    // The column a failed run stopped at (a refused selection, a cycle); empty when none.
    const std::string& FailedColumn() const { return failedColumn; }

    // The chart's value range over every row and shown column (stacked: the positive and the negative
    // own and rolled-up values of a row summed across the columns); 0 to 1 when everything is 0.
    void ComputeChartRange(bool stacked, double& low, double& high) const;
    // The value axis's step and decimals for a range drawn over `pixels` (a tick every 32 pixels). A
    // range that is empty, negative or not finite gives step 1 and no decimals.
    static void ComputeAxisStep(double low, double high, int32_t pixels, double& step, int32_t& decimals);

    // Test hook: the day the date variables are taken from (0: today).
    void SetToday(PackedDate date) { today = date; }

private:
    struct ShownColumn {
        bool selection;
        int32_t index;  // into the kind's list
    };
    struct ColumnScratch;

    size_t Cell(int32_t row, int32_t k) const { return (size_t(row) * shown.size() + size_t(k)) * 2; }
    void BuildVariables();
    [[nodiscard]] bool CheckFormulaCycles();
    void QueueColumns();
    void QueueFormula(int32_t index, std::vector<uint8_t>& visiting);
    // The queued selection columns that share a selection and a span, so that one walk serves them.
    void GroupColumns();
    // One walk over a group's cards for all its columns; false when cancelled or a median list could
    // not grow (3950 pending).
    bool AggregateGroup(AnalysisHost& host, const std::vector<int32_t>& group);
    void StartScratch(const ComponentFunctionSelectionRun& column, ColumnScratch& scratch) const;
    [[nodiscard]] bool AccumulateLine(const ComponentFunctionSelectionRun& column, ColumnScratch& scratch,
                                      int32_t row, uint32_t card, PackedDate date, double x);
    void FinishColumn(ComponentFunctionSelectionRun& column, ColumnScratch& scratch);
    void FinishTree(ComponentFunctionSelectionRun& column, ColumnScratch& scratch);
    void FinishRunning(ComponentFunctionSelectionRun& column, ColumnScratch& scratch);
    static double GeometricMeanOf(double logSum, int32_t count, bool negative);
    void EvaluateRows();
    double TreeFunctionValue(const ComponentFunctionFormulaRun& column, int32_t row) const;
    void AccumulateTreeFunction(ComponentFunctionFormulaRun& column, int32_t row, double v);
    void SetRowVariables(int32_t row);
    double& Variable(int32_t index) { return variables[size_t(index)].value; }

    // LevelTreeClient
    bool CollectCombinations(LevelTree& levelTree) override;
    void MarkRows(std::span<uint8_t> marks) const override;
    bool RowPassesFilter(int32_t row) const override;
    bool RowHasData(int32_t row, RowValues which) const override;
    double GetSortValue(int32_t row) const override;
    int32_t CompareComponents(uint32_t a, uint32_t b, int32_t itemDisplay) const override;
    void MoveRowData(int32_t from, int32_t to) override;

    Base& base;
    LevelDefinition levels;
    LevelTree tree;
    std::vector<ComponentFunctionSelectionRun> selections;
    std::vector<ComponentFunctionFormulaRun> formulas;
    std::vector<ShownColumn> shown;
    std::vector<int32_t> formulaOrder;  // the queued formula columns in dependency order
    std::vector<std::vector<int32_t>> groups;  // queued selection columns by shared selection and span
    std::optional<PackedDate> limitFrom;
    std::optional<PackedDate> limitTo;
    int32_t sortColumn = -1;  // a shown column
    int32_t sortItemDisplay = 0;
    int32_t sortValueOrder = 0;
    PackedDate today = 0;

    std::unique_ptr<FormulaVariable[]> variables;
    int32_t variableCount = 0;
    FormulaVariableIndex variableIndex;

    std::vector<double> cells;       // per row and shown column: own, rolled up
    std::vector<uint8_t> hasLines;   // per row: lines in some computed selection column
    std::string failedColumn;
    AnalysisHost* host = nullptr;
    size_t collectedLine = 0;  // the aggregation's next line in the collector's order
};

}  // namespace vek
