// ComponentSelection: per-dimension expressions kept evaluated in one admitted set.
#include "model/selections/ComponentSelection.h"

#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "model/base/ChangeRecord.h"

namespace vek {

ComponentSelection::ComponentSelection(Base& base) : base(base), admitted(base.ComponentPool().ElementCount())
{
    admitted.SetAll(1);
}

ComponentSelection::~ComponentSelection() = default;

bool ComponentSelection::SetDimensionText(int32_t d, const char* text, RefusedDimensionText whenRefused)
{
    if (!IsDimension(d))
        return false;
    bool compiled = true;
    if (text == nullptr) {
        expressions[size_t(d)].Reset();
        refused[size_t(d)].Set(nullptr);
    } else {
        std::string_view view(text);
        if (view.size() > size_t(ComponentExpression::kTypedTextBytes))
            view = view.substr(0, size_t(Utf8SafeCut(view, ComponentExpression::kTypedTextBytes)));
        if (expressions[size_t(d)].Compile(base, d, view)) {
            refused[size_t(d)].Set(nullptr);
        } else if (whenRefused == RefusedDimensionText::KeepFormer) {
            return false;
        } else {
            compiled = false;
            expressions[size_t(d)].Reset();
            String kept;
            kept.AssignBytes(view);
            refused[size_t(d)].Set(kept.CStr());
        }
    }
    Evaluate(d);
    return compiled;
}

void ComponentSelection::Clear()
{
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (HasExpression(d)) {
            expressions[size_t(d)].Reset();
            refused[size_t(d)].Set(nullptr);
            Evaluate(d);
        }
    }
}

void ComponentSelection::ApplyTexts(std::span<const char* const, kDimensionCount> texts)
{
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
        (void)SetDimensionText(d, texts[size_t(d)], RefusedDimensionText::AdmitNothing);  // reported
}

void ComponentSelection::FormatDimension(int32_t d, String& out, std::string_view separator) const
{
    out.SetLength(0);
    if (IsRefused(d))
        out.AssignBytes(refused[size_t(d)].View());
    else if (IsDimension(d))
        expressions[size_t(d)].FormatText(base, d, out, separator);
}

void ComponentSelection::SetFromString(int32_t d, String& text)
{
    text.Truncate(Utf8SafeCut(text.View(), ComponentExpression::kTypedTextBytes));
    if (d >= 0)
        (void)SetDimensionText(d, text.CStr());  // a failed text keeps the former expression
    FormatDimension(d, text, " ");
}

void ComponentSelection::WriteKeyLines(TextWriter& writer, const char* key) const
{
    String text;
    for (int32_t i = 0; i < base.DimensionOrderCount(); ++i) {
        int32_t d = base.DimensionOrderAt(i);
        if (!IsDimension(d))
            continue;
        FormatDimension(d, text, "");
        if (text.IsEmpty())
            continue;
        writer.PutText(key);
        writer.PutInt(i + 1);
        writer.PutSeparator();
        writer.PutString(text);
        writer.EndRow();
    }
}

bool ComponentSelection::HasAnyExpression() const
{
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (HasExpression(d))
            return true;
    }
    return false;
}

bool ComponentSelection::HasExpression(int32_t d) const
{
    return IsDimension(d) && (expressions[size_t(d)].HasProgram() || !refused[size_t(d)].IsNull());
}

void ComponentSelection::CollectNamedComponents(BitSet& set) const
{
    for (const ComponentExpression& expression : expressions) {
        for (const ComponentExpressionStep& step : expression.Steps()) {
            if (step.code == kExprSubtree)
                set.SetBit(int32_t(step.argument), true);
        }
    }
}

void ComponentSelection::Evaluate(int32_t d)
{
    if (!IsDimension(d))
        return;
    int32_t poolCount = base.ComponentPool().ElementCount();
    // Components added since the set was sized are admitted until their dimension is evaluated.
    if (admitted.Count() < poolCount && !admitted.ResizeFill(poolCount, true))
        return;
    if (!IsRefused(d)) {
        expressions[size_t(d)].Run(base, d, admitted);
        return;
    }
    BitSet members(poolCount);
    if (members.Count() != poolCount)
        return;
    members.SetAll(0);
    Component::MarkSubtree(base.ComponentPool(), base.Root(d), members);
    admitted.AndNot(members);
}

void ComponentSelection::HandleChange(const ChangeRecord& record)
{
    int32_t d = record.dimension;
    if (record.base != &base || !IsDimension(d))
        return;
    if (record.code == kChangeComponents) {
        Evaluate(d);
        return;
    }
    if (record.code != kChangeComponentsDeleted || record.DeletedComponents() == nullptr)
        return;
    const BitSet& going = *record.DeletedComponents();
    for (ComponentExpressionStep& step : expressions[size_t(d)].MutableSteps()) {
        if (step.code != kExprSubtree || !going.GetBit(int32_t(step.argument)))
            continue;
        const Component* component = base.ComponentAt(step.argument);
        const Component* ancestor = component != nullptr ? base.NearestUnmarkedAncestor(component, going) : nullptr;
        step.argument = ancestor != nullptr ? ancestor->number : uint32_t(d);
    }
}

}  // namespace vek
