// Evaluating a subset formula: its postfix code run on a stack of line sets.
#include "model/selections/SubsetFormula.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Service.h"
#include "foundation/numbers/NumberFormat.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"

namespace vek {

namespace {

// Line sets are indexed by line pool index, so they span every record ever made, freed ones too.
int32_t FormulaLineSetSize(const Base& base)
{
    return base.CardRecords().linePool.ElementCount();
}

template <typename Function>
void ForEachLineOfGroup(const Base& base, const CardGroup* group, Function&& function)
{
    for (CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line))
        function(line);
}

// Codes 6 and 7: every card (or group) with a line in the set gets all its lines, the others none.
void SpreadOverUnits(const Base& base, BitSet& set, SubsetOp unit)
{
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        if (unit == SubsetOp::Cards) {
            bool any = false;
            for (CardGroup* group = base.FirstGroup(card); group != nullptr && !any; group = base.NextGroup(group))
                ForEachLineOfGroup(base, group, [&](CardLine* line) { any = any || set.GetBit(int32_t(line->index)); });
            for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group))
                ForEachLineOfGroup(base, group, [&](CardLine* line) { set.SetBit(int32_t(line->index), any); });
        } else {
            for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
                bool any = false;
                ForEachLineOfGroup(base, group, [&](CardLine* line) { any = any || set.GetBit(int32_t(line->index)); });
                ForEachLineOfGroup(base, group, [&](CardLine* line) { set.SetBit(int32_t(line->index), any); });
            }
        }
    }
}

// Codes 8 and 9: every group whose lines (those in `within`, or all) do not sum to zero in some value
// column, at that column's decimals, gets all its lines in `set`; every other group none. The value
// format of a column is the number of decimals it shows.
void MarkUnbalancedGroups(const Base& base, BitSet& set, const BitSet* within)
{
    int32_t columns = base.ValueCount();
    std::array<int32_t, kMaxValueCount> decimals{};
    for (int32_t i = 0; i < columns; ++i)
        decimals[size_t(i)] = base.ValueFormat(i);
    std::array<double, kMaxValueCount> values{};
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
            std::array<double, kMaxValueCount> sums{};
            ForEachLineOfGroup(base, group, [&](CardLine* line) {
                if (within != nullptr && !within->GetBit(int32_t(line->index)))
                    return;
                base.GetLineValues(line, values.data());
                for (int32_t i = 0; i < columns; ++i)
                    sums[size_t(i)] += values[size_t(i)];
            });
            bool unbalanced = false;
            for (int32_t i = 0; i < columns && !unbalanced; ++i)
                unbalanced = RoundToDecimals(sums[size_t(i)], decimals[size_t(i)]) != 0.0;
            ForEachLineOfGroup(base, group, [&](CardLine* line) { set.SetBit(int32_t(line->index), unbalanced); });
        }
    }
}

}  // namespace

// The run of one formula's code; operands that are subsets evaluate themselves through their own
// formula, which may run its own code in turn (a cycle is stopped by the formula's visiting flag).
class SubsetFormulaRunner {
public:
    SubsetFormulaRunner(SubsetFormula& formula, int32_t size) : formula(formula), size(size) {}

    // False when the cancel flag, a short memory or a cycle stopped the run.
    bool Run()
    {
        const Base& base = formula.base;
        for (const SubsetFormulaOp* op = formula.code.get(); op->code != SubsetOp::End; ++op) {
            switch (op->code) {
            case SubsetOp::Not:
                if (stack.empty())
                    return false;
                stack.back().Invert();
                break;
            case SubsetOp::Or:
            case SubsetOp::Xor:
            case SubsetOp::And:
            case SubsetOp::AndNot: {
                if (stack.size() < 2)
                    return false;
                BitSet& right = stack.back();
                BitSet& left = stack[stack.size() - 2];
                if (op->code == SubsetOp::Or)
                    left.Or(right);
                else if (op->code == SubsetOp::Xor)
                    left.Xor(right);
                else if (op->code == SubsetOp::And)
                    left.And(right);
                else
                    left.AndNot(right);
                stack.pop_back();
                break;
            }
            case SubsetOp::Cards:
            case SubsetOp::Groups:
                if (stack.empty())
                    return false;
                SpreadOverUnits(base, stack.back(), op->code);
                break;
            case SubsetOp::Unbalanced: {
                if (stack.empty())
                    return false;
                BitSet within;
                if (!within.InitCopy(stack.back(), 0))
                    return false;
                MarkUnbalancedGroups(base, stack.back(), &within);
                break;
            }
            case SubsetOp::AllUnbalanced:
                if (!Push())
                    return false;
                MarkUnbalancedGroups(base, stack.back(), nullptr);
                break;
            case SubsetOp::Selection:
            case SubsetOp::Subset:
                if (!Push() || !MarkOperand(*op->operand))
                    return false;
                break;
            case SubsetOp::End:
                break;
            }
        }
        return stack.size() == 1 && !IsErrorPending();
    }

    BitSet& Top() { return stack.back(); }

private:
    // The operand's lines into the top set. Its formula learns how deep it is evaluated; one reached
    // past the nesting limit is not evaluated (its chain could be any length) and counts as no lines.
    bool MarkOperand(SubsetOperand& operand)
    {
        SubsetFormula* inner = operand.OperandFormula();
        if (inner == nullptr)
            return operand.MarkOperandLines(stack.back());
        if (formula.nesting >= SubsetFormula::kMaxSubsetFormulaNesting) {
            ReportTooDeep(operand);
            return true;
        }
        int32_t outerNesting = inner->nesting;
        inner->nesting = formula.nesting + 1;
        bool marked = operand.MarkOperandLines(stack.back());
        inner->nesting = outerNesting;
        return marked;
    }

    void ReportTooDeep(const SubsetOperand& operand)
    {
        if (Service<ModelServices>::Get().IsWebRequestActive())
            return;
        Message message;
        message.code = message::kSubsetFormulaTooDeep;
        std::string_view name = operand.OperandName();
        message.AddTextBytes(name.data(), int32_t(name.size()));
        message.AddText(std::to_string(SubsetFormula::kMaxSubsetFormulaNesting).c_str());
        formula.base.ShowErrorAlert(message);
    }

    bool Push()
    {
        if (IsErrorPending())
            return false;
        stack.emplace_back(size);
        if (stack.back().Count() != size) {
            SetOutOfMemoryError();
            return false;
        }
        stack.back().SetAll(0);
        return true;
    }

    SubsetFormula& formula;
    int32_t size;
    std::vector<BitSet> stack;
};

bool SubsetFormula::Evaluate(bool* changed)
{
    if (changed != nullptr)
        *changed = false;
    if (!code) {
        if (result) {
            result.reset();
            if (changed != nullptr)
                *changed = true;
        }
        evaluated = true;
        return true;
    }
    if (IsErrorPending())
        return false;
    int32_t size = FormulaLineSetSize(base);
    if (!result) {
        auto made = std::make_unique<BitSet>(size);
        if (made->Count() != size) {
            SetOutOfMemoryError();
            return false;
        }
        made->SetAll(0);
        result = std::move(made);
        evaluated = false;
    } else if (result->Count() != size) {
        if (!result->ResizeFill(size, false)) {
            SetOutOfMemoryError();
            return false;
        }
        evaluated = false;
    }
    if (!NeedsEvaluation())
        return true;
    if (visiting) {
        // Reached again while it is being evaluated: only a formula built around the cycle check
        // (a rename, a damaged file) gets here. It stands for no lines.
        return true;
    }
    visiting = true;
    SubsetFormulaRunner runner(*this, size);
    bool complete = runner.Run();
    visiting = false;
    if (complete) {
        if (changed != nullptr)
            *changed = !runner.Top().Equals(*result);
        result->Assign(runner.Top());
    } else {
        if (changed != nullptr)
            *changed = result->BitCount() != 0;
        result->SetAll(0);
    }
    evaluated = true;
    return complete || !IsErrorPending();
}

}  // namespace vek
