// vek-tool subsets FILE: what each subset of a base admits, and what each of its selections admits.
#include "VekToolCommands.h"

#include "foundation/memory/BitSet.h"
#include "foundation/strings/String.h"
#include "model/selections/SubsetList.h"

#include <cstdio>

namespace vektool {

namespace {

// "cards", "lines" and one "sum" row per value column of the lines set in `lines`, as summary prints
// them for the whole base.
void PrintLineSetFigures(const vek::Base& base, const vek::BitSet& lines)
{
    std::printf("cards\t%d\n", base.CountCardsWithMarkedLines(lines));
    int32_t columns = base.ValueCount();
    double sums[vek::kValueFieldCount] = {};
    double values[vek::kValueFieldCount];
    int32_t count = 0;
    for (int32_t i = 0; i < lines.Count(); ++i) {
        if (!lines.GetBit(i))
            continue;
        const vek::CardLine* line = base.LineAt(uint32_t(i));
        if (line == nullptr)
            continue;
        ++count;
        base.GetLineValues(line, values);
        for (int32_t c = 0; c < columns; ++c)
            sums[c] += values[c];
    }
    std::printf("lines\t%d\n", count);
    for (int32_t c = 0; c < columns; ++c) {
        vek::String name;
        base.GetValueFieldName(c, name);
        std::printf("sum\t%d\t%s\t", c + 1, name.CStr());
        PrintColumnSum(sums[c], base.ValueFormat(c));
        std::fputc('\n', stdout);
    }
}

// The lines the operand admits, in a set sized to the line pool; false when it was stopped.
bool MarkLines(vek::Base& base, vek::SubsetOperand& operand, vek::BitSet& lines)
{
    lines = vek::BitSet(base.CardRecords().linePool.ElementCount());
    lines.SetAll(0);
    return operand.MarkOperandLines(lines);
}

}  // namespace

int Subsets(Arguments arguments)
{
    int status = 0;
    OpenedBase base = OpenOnlyBase(arguments, "open", status);
    if (!base)
        return status;
    const char* file = arguments[0];
    vek::SubsetList& subsets = base->Subsets();
    for (int32_t s = 0; s < subsets.Count(); ++s) {
        vek::Subset& subset = *subsets.GetAt(s);
        std::printf("subset\t%s\n", subset.GetName() != nullptr ? subset.GetName() : "");
        vek::BitSet lines;
        if (!MarkLines(*base, subset, lines))
            return ReportFailure("evaluate", file);
        PrintLineSetFigures(*base, lines);
        for (int32_t i = 0; i < subset.SelectionCount(); ++i) {
            vek::SubsetSelection& selection = *subset.SelectionAt(i);
            std::printf("selection\t%s\n", selection.GetName() != nullptr ? selection.GetName() : "");
            if (!MarkLines(*base, selection, lines))
                return ReportFailure("evaluate", file);
            PrintLineSetFigures(*base, lines);
        }
    }
    return 0;
}

}  // namespace vektool
