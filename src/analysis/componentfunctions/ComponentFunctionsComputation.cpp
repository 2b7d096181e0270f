// ComponentFunctionsComputation: variables, checks, aggregation, row evaluation and chart range of a
// component-functions analysis.
#include "analysis/componentfunctions/ComponentFunctionsComputation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/AnalysisCodes.h"
#include "analysis/componentfunctions/ComponentFunctionsTemplate.h"
#include "analysis/timefunctions/TimeFunctionPeriods.h"
#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/numbers/NumberMath.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/dimensions/Component.h"

namespace vek {

namespace {

constexpr double kEmptyColumnValue = std::numeric_limits<double>::quiet_NaN();
constexpr double kNegligibleColumnValue = 5.2e-7;
constexpr double kLargestColumnValue = 1e308;
constexpr int32_t kUnroundedCode = 7;
constexpr int32_t kAxisTickPixels = 32;

constexpr const char* kBuiltinVariableNames[kComponentFunctionBuiltinCount] = {
    "year", "month", "day", "weekday", "quarterday", "yearday", "dim", "level", "dimlevel", "leaf",
};

bool IsNonZeroColumnValue(double value)
{
    return std::isfinite(value) && std::fabs(value) <= kLargestColumnValue && std::fabs(value) >= kNegligibleColumnValue;
}

// Finite for the tree functions: zero, positive or negative by ClassifyDouble.
bool IsTakenValue(double value) { return ClassifyDouble(value) < 3; }

}  // namespace

ComponentFunctionsComputation::ComponentFunctionsComputation(Base& owner) : base(owner), tree(owner) {}

ComponentFunctionsComputation::~ComponentFunctionsComputation() = default;

const std::string& ComponentFunctionsComputation::ShownTitle(int32_t k) const
{
    const ShownColumn& column = shown[size_t(k)];
    return column.selection ? selections[size_t(column.index)].title : formulas[size_t(column.index)].title;
}

void ComponentFunctionsComputation::CopyFrom(const ComponentFunctionsTemplate& definition)
{
    levels = definition.Levels();
    selections.clear();
    formulas.clear();
    shown.clear();
    sortColumn = -1;
    for (const auto& column : definition.Columns()) {
        bool visible = column->Display().visible;
        if (column->IsSelection()) {
            const auto& source = static_cast<const ComponentFunctionSelectionDefinition&>(*column);
            ComponentFunctionSelectionRun run;
            run.name = source.NameCStr();
            run.title = source.Title();
            run.display = source.Display();
            run.texts = std::make_unique<SelectionTexts>(base);
            run.texts->Assign(source.Selection());
            run.selection = std::make_unique<CompiledSelection>(base, source.Selection());
            run.valueField = source.ValueField();
            run.valueMode = source.ValueMode();
            run.accumulation = source.Accumulation();
            if (visible)
                shown.push_back({true, int32_t(selections.size())});
            selections.push_back(std::move(run));
        } else {
            const auto& source = static_cast<const ComponentFunctionFormulaDefinition&>(*column);
            ComponentFunctionFormulaRun run;
            run.name = source.NameCStr();
            run.title = source.Title();
            run.display = source.Display();
            run.formulaText = source.FormulaCStr();
            run.function = source.Function();
            if (visible)
                shown.push_back({false, int32_t(formulas.size())});
            formulas.push_back(std::move(run));
        }
        if (visible && !definition.SortColumnView().empty() && column->NameView() == definition.SortColumnView())
            sortColumn = int32_t(shown.size()) - 1;
    }
    sortItemDisplay = definition.sortItemDisplay;
    sortValueOrder = definition.sortValueOrder;
    tree.SeedExpansion(definition.ExpansionText());
}

void ComponentFunctionsComputation::SetPeriodLimit(std::optional<PackedDate> from, std::optional<PackedDate> to)
{
    limitFrom = from;
    limitTo = to;
}

// --- Variables and checks ------------------------------------------------------------------------------

void ComponentFunctionsComputation::BuildVariables()
{
    int32_t capacity = kComponentFunctionBuiltinCount + 3 * int32_t(selections.size()) + int32_t(formulas.size());
    variables = std::make_unique<FormulaVariable[]>(size_t(capacity));
    int32_t n = 0;
    for (const char* builtin : kBuiltinVariableNames)
        CopyFormulaName(variables[size_t(n++)], builtin);
    // A name that does not fit its slot whole is left out: cut, it could be another column's name.
    auto name = [this](int32_t slot, const std::string& text) {
        if (text.size() < size_t(kFormulaNameCapacity))
            CopyFormulaName(variables[size_t(slot)], text);
    };
    // In the template's column order: the kinds' lists interleave as the display list has them, but
    // only the lookup by name matters, so each kind's list in order keeps every name found.
    for (ComponentFunctionSelectionRun& column : selections) {
        column.variable = n;
        name(n++, column.name);
        if (!column.name.empty()) {
            name(n, "!" + column.name);
            name(n + 1, "#" + column.name);
        }
        n += 2;
    }
    for (ComponentFunctionFormulaRun& column : formulas) {
        column.variable = n;
        name(n++, column.name);
    }
    variableCount = n;
    variableIndex.Build(variableCount, variables.get());
    for (ComponentFunctionFormulaRun& column : formulas) {
        String text;
        text.AssignBytes(column.formulaText);
        if (int32_t code = column.formula->Compile(text, variableIndex); code != 0) {
            // The formula stays empty (its value the empty value); the reason is left pending.
            SetErrorCode(code);
            SetFormulaMessage(GetPendingError().message, code, text.View());
        }
    }
}

bool ComponentFunctionsComputation::CheckFormulaCycles()
{
    // The formula columns each formula column reads, by position.
    const size_t n = formulas.size();
    std::vector<std::vector<int32_t>> uses(n);
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = 0; j < n; ++j) {
            if (formulas[i].formula->UsesVariable(formulas[j].variable))
                uses[i].push_back(int32_t(j));
        }
    }
    for (size_t i = 0; i < n; ++i) {
        bool direct = std::find(uses[i].begin(), uses[i].end(), int32_t(i)) != uses[i].end();
        bool indirect = false;
        if (!direct) {
            // Whether the column reaches itself through others: a walk with a stack of our own.
            std::vector<uint8_t> seen(n, 0);
            std::vector<int32_t> pending(uses[i].begin(), uses[i].end());
            while (!pending.empty() && !indirect) {
                int32_t at = pending.back();
                pending.pop_back();
                if (seen[size_t(at)] != 0)
                    continue;
                seen[size_t(at)] = 1;
                for (int32_t next : uses[size_t(at)]) {
                    if (size_t(next) == i)
                        indirect = true;
                    else if (seen[size_t(next)] == 0)
                        pending.push_back(next);
                }
            }
        }
        if (direct || indirect) {
            failedColumn = formulas[i].name;
            SetErrorCode(direct ? message::kFormulaRefersToItself : message::kFormulaDependsOnItself);
            GetPendingError().message.AddText(formulas[i].name.c_str());
            return false;
        }
    }
    return true;
}

void ComponentFunctionsComputation::QueueFormula(int32_t index, std::vector<uint8_t>& visiting)
{
    ComponentFunctionFormulaRun& column = formulas[size_t(index)];
    if (column.queued || visiting[size_t(index)] != 0)
        return;
    visiting[size_t(index)] = 1;
    for (ComponentFunctionSelectionRun& used : selections) {
        if (column.formula->UsesVariable(used.variable) || column.formula->UsesVariable(used.variable + 1) ||
            column.formula->UsesVariable(used.variable + 2))
            used.queued = true;
    }
    for (size_t j = 0; j < formulas.size(); ++j) {
        if (int32_t(j) != index && column.formula->UsesVariable(formulas[j].variable))
            QueueFormula(int32_t(j), visiting);
    }
    column.queued = true;
    formulaOrder.push_back(index);
}

void ComponentFunctionsComputation::QueueColumns()
{
    formulaOrder.clear();
    for (ComponentFunctionSelectionRun& column : selections)
        column.queued = false;
    for (ComponentFunctionFormulaRun& column : formulas)
        column.queued = false;
    std::vector<uint8_t> visiting(formulas.size(), 0);
    for (const ShownColumn& column : shown) {
        if (column.selection)
            selections[size_t(column.index)].queued = true;
        else
            QueueFormula(column.index, visiting);
    }
}

// --- The run ------------------------------------------------------------------------------------------

void ComponentFunctionsComputation::Recalculate(AnalysisHost& runHost)
{
    host = &runHost;
    failedColumn.clear();
    cells.clear();
    hasLines.clear();
    tree.SaveExpansion();
    BuildVariables();

    AnalysisRunEnd end = AnalysisRunEnd::Completed;
    for (ComponentFunctionSelectionRun& column : selections) {
        // A field the base does not have would read past the line's values.
        if (column.valueField < 0 || column.valueField >= base.ValueCount())
            column.valueField = 0;
        column.decimalsCode = base.ValueCount() > 0 ? base.ValueFormat(column.valueField) : kUnroundedCode;
        if (end == AnalysisRunEnd::Completed && !column.selection->Prepare()) {
            failedColumn = column.name;
            end = AnalysisRunEnd::Failed;
        }
    }
    if (end == AnalysisRunEnd::Completed && !CheckFormulaCycles())
        end = AnalysisRunEnd::Failed;
    if (end == AnalysisRunEnd::Completed)
        QueueColumns();

    BitSet selected;
    int32_t totalCards = 0;
    if (end == AnalysisRunEnd::Completed && !shown.empty()) {
        int32_t poolCount = base.ComponentPool().ElementCount();
        if (!selected.ResizeFill(poolCount, false)) {
            SetOutOfMemoryError();
            end = AnalysisRunEnd::Failed;
        }
        for (ComponentFunctionSelectionRun& column : selections) {
            if (!column.queued || end != AnalysisRunEnd::Completed)
                continue;
            const BitSet& admitted = column.selection->Compiled().Components().Admitted();
            for (int32_t c = admitted.NextSet(-1); c >= 0 && c < poolCount; c = admitted.NextSet(c))
                selected.SetBit(c, true);
            CardKey from = column.selection->Compiled().From().Value();
            CardKey to = column.selection->Compiled().To().Value();
            if (limitFrom && CardKeyLess(from, CardKey{*limitFrom, 0}))
                from = CardKey{*limitFrom, 0};
            if (limitTo && CardKeyLess(CardKey{*limitTo, kOpenEndNumber}, to))
                to = CardKey{*limitTo, kOpenEndNumber};
            column.spanFirst = column.spanStop = nullptr;
            int32_t cards = CardKeyLess(to, from) ? 0 : base.FindCardsInDateRange(from, to, column.spanFirst, column.spanStop);
            if (cards == 0)
                column.spanFirst = column.spanStop = base.ChainEnd();
            totalCards += cards;
            // The turnover modes weigh balances up to the range's end; a range open at its end stops at
            // the base's last card.
            column.toDate = to.date;
            if (to.date >= kLastPackedDate && base.CardCount() > 0) {
                Card* last = base.LastCard();
                column.toDate = last && last != base.ChainEnd() ? base.CardDate(last) : to.date;
            }
        }
    }
    if (end == AnalysisRunEnd::Completed)
        GroupColumns();
    runHost.StartProgress(totalCards);
    if (end == AnalysisRunEnd::Completed && !shown.empty()) {
        switch (tree.BuildLevelTree(levels, selected, *this)) {
        case LevelTreeBuild::Built: break;
        case LevelTreeBuild::Cancelled: end = AnalysisRunEnd::Cancelled; break;
        case LevelTreeBuild::Incomplete: end = AnalysisRunEnd::Incomplete; break;
        }
        if (end == AnalysisRunEnd::Completed && tree.RowCount() == 0) {
            SetCancelledError();
            end = AnalysisRunEnd::Cancelled;
        }
    }
    if (end == AnalysisRunEnd::Completed && !shown.empty()) {
        hasLines.assign(size_t(tree.RowCount()), 0);
        collectedLine = 0;
        for (const std::vector<int32_t>& group : groups) {
            if (!AggregateGroup(runHost, group)) {
                end = runHost.CancelRequested() ? AnalysisRunEnd::Cancelled : AnalysisRunEnd::Incomplete;
                break;
            }
        }
    }
    if (end == AnalysisRunEnd::Completed && !shown.empty()) {
        EvaluateRows();
        tree.FilterRows(*this);
        if (sortColumn >= 0 || sortItemDisplay != 0) {
            LevelTreeSort sort{sortColumn, sortItemDisplay, sortValueOrder};
            tree.SortSiblings(*this, sort);
        }
    }
    if (end != AnalysisRunEnd::Completed || shown.empty()) {
        // No rows without a complete result: a half-aggregated tree would show wrong figures.
        cells.clear();
        hasLines.clear();
        tree.SaveExpansion();
    }
    cells.resize(size_t(tree.RowCount()) * shown.size() * 2, kEmptyColumnValue);
    for (ComponentFunctionSelectionRun& column : selections) {
        column.own = {};
        column.rolledUp = {};
        column.ownCount = {};
        column.rolledUpCount = {};
    }
    for (ComponentFunctionFormulaRun& column : formulas) {
        column.treeValue = {};
        column.treeCount = {};
        column.treeSign = {};
    }
    runHost.EndProgress();
    tree.FinishLevelTree();
    runHost.EndRun(end);
    host = nullptr;
}

void ComponentFunctionsComputation::GroupColumns()
{
    groups.clear();
    for (int32_t i = 0; i < int32_t(selections.size()); ++i) {
        const ComponentFunctionSelectionRun& column = selections[size_t(i)];
        if (!column.queued)
            continue;
        bool placed = false;
        for (std::vector<int32_t>& group : groups) {
            const ComponentFunctionSelectionRun& first = selections[size_t(group.front())];
            if (first.spanFirst == column.spanFirst && first.spanStop == column.spanStop &&
                first.texts->Equals(*column.texts)) {
                group.push_back(i);
                placed = true;
                break;
            }
        }
        if (!placed)
            groups.push_back({i});
    }
}

bool ComponentFunctionsComputation::CollectCombinations(LevelTree& levelTree)
{
    // Each group's lines once, in the order the aggregation walks them again.
    for (const std::vector<int32_t>& group : groups) {
        const ComponentFunctionSelectionRun& column = selections[size_t(group.front())];
        AnalysisSelection& selection = *column.selection;
        for (Card* card = column.spanFirst; card != column.spanStop && card != base.ChainEnd();
             card = base.NextCard(card)) {
            if (host->CancelRequested())
                return false;
            if (!selection.MatchesCard(card))
                continue;
            for (const CardGroup* cardGroup = base.FirstGroup(card); cardGroup; cardGroup = base.NextGroup(cardGroup)) {
                if (!selection.AdmitsGroup(cardGroup))
                    continue;
                for (const CardLine* line = base.FirstLine(cardGroup); line; line = base.NextLine(line)) {
                    if (selection.MatchesLine(line) && !levelTree.InsertLineCombination(cardGroup, line))
                        return true;  // past the fill limit: the tree grows its table and asks again
                }
            }
        }
    }
    return true;
}

// --- Row evaluation -----------------------------------------------------------------------------------

void ComponentFunctionsComputation::SetRowVariables(int32_t row)
{
    const LevelRow& levelRow = tree.Row(row);
    const LevelDefinition& built = tree.Definition();
    int32_t level = std::clamp(int32_t(levelRow.level), 0, kMaxLevels - 1);
    Variable(int32_t(ComponentFunctionBuiltin::Dim)) = built.dimension[size_t(level)] + 1;
    Variable(int32_t(ComponentFunctionBuiltin::Level)) = levelRow.depth;
    const Component* component = base.ComponentAt(levelRow.component);
    Variable(int32_t(ComponentFunctionBuiltin::DimLevel)) =
        component && built.dimension[size_t(level)] != 0 ? component->GetLevel(base.ComponentPool()) : 0;
    Variable(int32_t(ComponentFunctionBuiltin::Leaf)) = levelRow.firstChild < 0 ? 1.0 : 0.0;
}

void ComponentFunctionsComputation::AccumulateTreeFunction(ComponentFunctionFormulaRun& column, int32_t row, double v)
{
    size_t i = size_t(row);
    double& value = column.treeValue[i];
    switch (column.function) {
    case TreeFunction::Count: ++column.treeCount[i]; break;
    case TreeFunction::Sum: value += v; break;
    case TreeFunction::Product: value *= v; break;
    case TreeFunction::Average:
        value += v;
        ++column.treeCount[i];
        break;
    case TreeFunction::GeometricMean:
        if (v > 0.0) {
            value += std::log(v);
        } else if (v < 0.0) {
            value += std::log(-v);
            column.treeSign[i] ^= 1;
        } else {
            value = -std::numeric_limits<double>::infinity();
        }
        ++column.treeCount[i];
        break;
    case TreeFunction::Maximum:
        if (std::isnan(value) || v > value)
            value = v;
        break;
    case TreeFunction::Minimum:
        if (std::isnan(value) || v < value)
            value = v;
        break;
    case TreeFunction::None: break;
    }
}

double ComponentFunctionsComputation::TreeFunctionValue(const ComponentFunctionFormulaRun& column, int32_t row) const
{
    size_t i = size_t(row);
    switch (column.function) {
    case TreeFunction::Count: return column.treeCount[i];
    case TreeFunction::Average:
        return column.treeCount[i] > 0 ? column.treeValue[i] / column.treeCount[i] : kEmptyColumnValue;
    case TreeFunction::GeometricMean:
        return GeometricMeanOf(column.treeValue[i], column.treeCount[i], column.treeSign[i] != 0);
    default: return column.treeValue[i];
    }
}

void ComponentFunctionsComputation::EvaluateRows()
{
    const int32_t rows = tree.RowCount();
    const size_t columnCount = shown.size();
    cells.assign(size_t(rows) * columnCount * 2, kEmptyColumnValue);

    // The date variables: today's.
    PackedDate day = today;
    if (day == 0) {
        DateTime now;
        GetCurrentDateTime(now);
        day = MakePackedDate(now.year, now.month, now.day);
    }
    TimeFunctionDateValues dates = DateValuesOf(day, 1);
    Variable(int32_t(ComponentFunctionBuiltin::Year)) = dates.year;
    Variable(int32_t(ComponentFunctionBuiltin::Month)) = dates.month;
    Variable(int32_t(ComponentFunctionBuiltin::Day)) = dates.day;
    Variable(int32_t(ComponentFunctionBuiltin::Weekday)) = dates.weekday;
    Variable(int32_t(ComponentFunctionBuiltin::Quarterday)) = dates.quarterday;
    Variable(int32_t(ComponentFunctionBuiltin::Yearday)) = dates.yearday;

    bool rowVariables = false;
    for (int32_t f : formulaOrder) {
        for (int32_t v = 0; v < kComponentFunctionBuiltinCount; ++v)
            rowVariables = rowVariables || formulas[size_t(f)].formula->UsesVariable(v);
    }
    for (ComponentFunctionSelectionRun& column : selections) {
        if (column.queued)
            Variable(column.variable + 1) = rows > 0 ? column.rolledUp[0] : kEmptyColumnValue;
    }
    for (int32_t f : formulaOrder) {
        ComponentFunctionFormulaRun& column = formulas[size_t(f)];
        if (column.function == TreeFunction::None)
            continue;
        double start = column.function == TreeFunction::Product ? 1.0
                       : column.function == TreeFunction::Maximum || column.function == TreeFunction::Minimum
                           ? kEmptyColumnValue
                           : 0.0;
        column.treeValue.assign(size_t(rows), start);
        column.treeCount.assign(size_t(rows), 0);
        column.treeSign.assign(size_t(rows), 0);
    }

    auto shownVariable = [this](const ShownColumn& column) {
        return column.selection ? selections[size_t(column.index)].variable : formulas[size_t(column.index)].variable;
    };
    for (int32_t row = rows - 1; row >= 0; --row) {
        const LevelRow& levelRow = tree.Row(row);
        if (rowVariables)
            SetRowVariables(row);
        for (ComponentFunctionSelectionRun& column : selections) {
            if (!column.queued)
                continue;
            Variable(column.variable) = column.own[size_t(row)];
            Variable(column.variable + 2) = column.ownCount[size_t(row)];
        }
        for (int32_t f : formulaOrder) {
            ComponentFunctionFormulaRun& column = formulas[size_t(f)];
            double v = column.formula->Evaluate();
            Variable(column.variable) = v;
            if (column.function == TreeFunction::None)
                continue;
            if (hasLines[size_t(row)] != 0 && IsTakenValue(v))
                AccumulateTreeFunction(column, row, v);
        }
        for (size_t k = 0; k < columnCount; ++k)
            cells[Cell(row, int32_t(k))] = Variable(shownVariable(shown[k]));
        for (ComponentFunctionSelectionRun& column : selections) {
            if (!column.queued)
                continue;
            Variable(column.variable) = column.rolledUp[size_t(row)];
            Variable(column.variable + 2) = column.rolledUpCount[size_t(row)];
        }
        for (int32_t f : formulaOrder) {
            ComponentFunctionFormulaRun& column = formulas[size_t(f)];
            if (column.function != TreeFunction::None && levelRow.firstChild >= 0)
                Variable(column.variable) = TreeFunctionValue(column, row);
            else
                Variable(column.variable) = column.formula->Evaluate();
        }
        for (size_t k = 0; k < columnCount; ++k)
            cells[Cell(row, int32_t(k)) + 1] = Variable(shownVariable(shown[k]));
        // The row's accumulated tree functions go into its parent's, after the row took its own.
        if (row == 0)
            continue;
        size_t p = size_t(levelRow.parent);
        size_t c = size_t(row);
        for (int32_t f : formulaOrder) {
            ComponentFunctionFormulaRun& column = formulas[size_t(f)];
            switch (column.function) {
            case TreeFunction::Count: column.treeCount[p] += column.treeCount[c]; break;
            case TreeFunction::Sum: column.treeValue[p] += column.treeValue[c]; break;
            case TreeFunction::Product: column.treeValue[p] *= column.treeValue[c]; break;
            case TreeFunction::Average:
                column.treeValue[p] += column.treeValue[c];
                column.treeCount[p] += column.treeCount[c];
                break;
            case TreeFunction::GeometricMean:
                column.treeValue[p] += column.treeValue[c];
                column.treeCount[p] += column.treeCount[c];
                column.treeSign[p] ^= column.treeSign[c];
                break;
            case TreeFunction::Maximum:
                if (std::isnan(column.treeValue[p]) || column.treeValue[c] > column.treeValue[p])
                    column.treeValue[p] = column.treeValue[c];
                break;
            case TreeFunction::Minimum:
                if (std::isnan(column.treeValue[p]) || column.treeValue[c] < column.treeValue[p])
                    column.treeValue[p] = column.treeValue[c];
                break;
            case TreeFunction::None: break;
            }
        }
    }
}

// --- Level tree client --------------------------------------------------------------------------------

void ComponentFunctionsComputation::MarkRows(std::span<uint8_t> marks) const
{
    for (int32_t row = 1; row < tree.RowCount(); ++row)
        marks[size_t(row)] = hasLines[size_t(row)] != 0 || RowHasData(row, RowValues::Own) ? 1 : 0;
}

bool ComponentFunctionsComputation::RowPassesFilter(int32_t row) const
{
    return hasLines[size_t(row)] != 0 || RowHasData(row, RowValues::Own);
}

bool ComponentFunctionsComputation::RowHasData(int32_t row, RowValues which) const
{
    for (int32_t k = 0; k < ShownColumnCount(); ++k) {
        if (IsNonZeroColumnValue(which == RowValues::Own ? OwnValue(row, k) : RolledUpValue(row, k)))
            return true;
    }
    return false;
}

double ComponentFunctionsComputation::GetSortValue(int32_t row) const
{
    return sortColumn >= 0 && sortColumn < ShownColumnCount() ? RolledUpValue(row, sortColumn) : 0.0;
}

int32_t ComponentFunctionsComputation::CompareComponents(uint32_t a, uint32_t b, int32_t itemDisplay) const
{
    return host ? host->CompareRowValues(base, a, b, itemDisplay) : 0;
}

void ComponentFunctionsComputation::MoveRowData(int32_t from, int32_t to)
{
    const size_t width = shown.size() * 2;
    std::copy_n(cells.begin() + ptrdiff_t(size_t(from) * width), width, cells.begin() + ptrdiff_t(size_t(to) * width));
    hasLines[size_t(to)] = hasLines[size_t(from)];
}

// --- Chart --------------------------------------------------------------------------------------------

void ComponentFunctionsComputation::ComputeChartRange(bool stacked, double& low, double& high) const
{
    low = 0.0;
    high = 0.0;
    for (int32_t row = 0; row < RowCount() && ShownColumnCount() > 0; ++row) {
        double sums[4] = {0.0, 0.0, 0.0, 0.0};  // own positive, own negative, rolled positive, rolled negative
        for (int32_t k = 0; k < ShownColumnCount(); ++k) {
            double values[2] = {OwnValue(row, k), RolledUpValue(row, k)};
            for (int32_t which = 0; which < 2; ++which) {
                double v = values[which];
                int32_t kind = ClassifyDouble(v);
                if (kind != 1 && kind != 2)
                    continue;
                double& sum = sums[which * 2 + (kind == 1 ? 0 : 1)];
                sum = stacked ? sum + v : v;
                high = std::max(high, sum);
                low = std::min(low, sum);
            }
        }
    }
    if (high == low)
        high = 1.0;
}

void ComponentFunctionsComputation::ComputeAxisStep(double low, double high, int32_t pixels, double& step,
                                                    int32_t& decimals)
{
    step = 1.0;
    decimals = 0;
    double range = high - low;
    // Regression: an empty or non-finite range made a step of 0 (10 to the power of the smallest
    // integer), and drawing the ticks never ended.
    if (!std::isfinite(range) || range <= 0.0)
        return;
    int32_t ticks = std::max(pixels / kAxisTickPixels, 1);
    double t10 = 10.0 * std::log10(range / ticks);
    if (!std::isfinite(t10) || t10 < -900.0 || t10 > 900.0)
        return;
    int32_t t = int32_t(t10);
    int32_t q = (t + 1000) / 10;
    int32_t r = (t + 1000) - 10 * q;
    double mantissa = r == 0 ? 1.0 : r <= 2 ? 2.0 : r == 3 ? 2.5 : r <= 6 ? 5.0 : 10.0;
    int32_t e = mantissa == 2.5 ? 1 : mantissa == 10.0 ? -1 : 0;
    step = mantissa * PowerOfTen(q - 100);
    decimals = std::max(0, e - (q - 100));
}

}  // namespace vek
