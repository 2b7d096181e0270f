#include "analysis/timefunctions/TimeFunctionRow.h"

#include "analysis/timefunctions/TimeFunctionFormulaRow.h"
#include "analysis/timefunctions/TimeFunctionsComputation.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/Identifiers.h"
#include "model/base/Base.h"
#include "model/links/BaseLinkRegistry.h"

namespace vek {

namespace {

// Identifiers of row names: no digit first, blanks inside become ".", operator words stepped over.
constexpr int32_t kRowNameFlags = kIdentifierStart | kIdentifierBlanks | kIdentifierOperators;

}  // namespace

TimeFunctionRow::TimeFunctionRow(TimeFunctionsComputation& computation, TimeFunctionRowKind rowKind)
    : owner(computation), kind(rowKind)
{
}

TimeFunctionRow::~TimeFunctionRow() = default;

void TimeFunctionRow::DisplayName(String& out) const
{
    if (label.IsEmpty()) {
        out.Assign(name);
        return;
    }
    owner.GetBase().GetLinkRegistry().FormatText(out, label.CStr());
}

void TimeFunctionRow::NameFromText(std::string_view text)
{
    String source;
    source.AssignBytes(text);
    String candidate;
    owner.GetBase().GetLinkRegistry().FormatText(candidate, source.CStr());
    MakeIdentifier(candidate, kind == TimeFunctionRowKind::Selection ? "A" : "F1", kIdentifierStart);
    // Each step changes the name, and there are fewer other rows than steps it may take.
    for (size_t guard = 0; owner.NameTakenByOther(*this, candidate.View()) && guard <= owner.Rows().size() + 1; ++guard)
        IncrementNameSuffix(candidate);
    owner.NoteRowName(*this, name.View(), candidate.View());
    name.Assign(candidate);
    owner.MarkVariablesInvalid();
}

bool TimeFunctionRow::Rename(std::string_view text)
{
    String candidate;
    candidate.AssignBytes(text);
    MakeIdentifier(candidate, nullptr, kIdentifierStart);
    if (candidate.IsEmpty() || owner.NameTakenByOther(*this, candidate.View()))
        return false;
    if (candidate.View() == name.View())
        return true;
    String oldCount;
    String newCount;
    oldCount.AssignChar('#');
    oldCount.Append(name);
    newCount.AssignChar('#');
    newCount.Append(candidate);
    for (const auto& row : owner.Rows()) {
        if (row->Kind() != TimeFunctionRowKind::Formula)
            continue;
        auto& formulaRow = static_cast<TimeFunctionFormulaRow&>(*row);
        String text;
        text.Assign(formulaRow.FormulaText());
        ReplaceIdentifier(text, name.CStr(), candidate.CStr(), kRowNameFlags);
        // A selection row's count variable follows its name, or the formulas would lose it.
        if (kind == TimeFunctionRowKind::Selection)
            ReplaceIdentifier(text, oldCount.CStr(), newCount.CStr(), kRowNameFlags);
        formulaRow.ReplaceFormulaText(text);
    }
    owner.NoteRowName(*this, name.View(), candidate.View());
    name.Assign(candidate);
    owner.MarkVariablesInvalid();
    return true;
}

}  // namespace vek
