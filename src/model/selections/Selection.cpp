#include "model/selections/Selection.h"

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/memory/BitSet.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/expressions/ConditionCompiler.h"
#include "model/dimensions/Dimension.h"
#include "model/base/ModelServices.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

namespace {

// Case mode of the selection's patterns: the text as typed.
constexpr int32_t kSelectionPatternCase = kTextMatcherKeepCase;

// A refused condition (nested too deep, too large) is reported: it would otherwise pass every line
// while its text says it restricts them.
void ReportRefusedCondition(Base& base, int32_t code, const String& text)
{
    if (code == 0)
        return;
    Message message;
    MakeConditionMessage(message, code, text.View());
    base.ShowErrorAlert(message);
}

void CompilePattern(Base& base, TextMatcher& matcher, OwnedText& kept, ConstHeapText source)
{
    String text;
    text.AssignHeapText(source);
    matcher.Clear();
    if (!text.IsEmpty())
        ReportRefusedCondition(base, matcher.Compile(text, kSelectionPatternCase, TextMatcherMode::Expression), text);
    kept.Set(text.IsEmpty() ? nullptr : text.CStr());
}

}  // namespace

Selection::Selection(Base& base, SubsetOperandList* subsets)
    : base(base),
      subsets(subsets),
      components(base),
      from(&base, -1),
      to(&base, +1),
      formula(base, base.GlobalSubsetOperands(), subsets, nullptr)
{
    from.SetUnit(DateUnit::File);
    to.SetUnit(DateUnit::File);
    base.AddReceiver(ChangeStage::Dependents, this);
}

Selection::~Selection()
{
    base.RemoveReceiver(ChangeStage::Dependents, this);
}

void Selection::Clear()
{
    components.Clear();
    from.SetUnit(DateUnit::File);
    to.SetUnit(DateUnit::File);
    cardTitle.Clear();
    cardTitleText.Set(nullptr);
    lineText.Clear();
    lineTextText.Set(nullptr);
    notes.Clear();
    notesText.Set(nullptr);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i].Clear();
        valueTexts[i].Set(nullptr);
    }
    formula.Free();
    subsetText.Set(nullptr);
    setValueCount = 0;
}

void Selection::ApplyTexts(const SelectionTexts& texts)
{
    std::array<const char*, kDimensionCount> dimensionTexts{};
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
        dimensionTexts[size_t(d)] = texts.DimensionText(d);
    components.ApplyTexts(dimensionTexts);
    from.Assign(texts.From());
    to.Assign(texts.To());
    CompilePattern(base, cardTitle, cardTitleText, texts.CardTitleText());
    CompilePattern(base, lineText, lineTextText, texts.LineText());
    CompilePattern(base, notes, notesText, texts.NotesText());
    String text;
    for (int32_t i = 0; i < kMaxValueCount; ++i) {
        text.AssignHeapText(texts.ValueText(i));
        values[size_t(i)].Clear();
        if (!text.IsEmpty())
            ReportRefusedCondition(base, values[size_t(i)].Compile(text), text);
        valueTexts[size_t(i)].Set(text.IsEmpty() ? nullptr : text.CStr());
    }
    formula.SetLists(base.GlobalSubsetOperands(), subsets, nullptr);
    text.AssignHeapText(texts.SubsetText());
    if (text.IsEmpty())
        formula.Free();
    else
        formula.SetText(text);
    subsetText.Set(text.IsEmpty() ? nullptr : text.CStr());
    UpdateSetValues();
}

void Selection::UpdateSetValues()
{
    setValueCount = 0;
    for (int32_t i = 0; i < base.ValueCount() && i < kMaxValueCount; ++i)
        if (!values[size_t(i)].IsEmpty())
            setValues[size_t(setValueCount++)] = int8_t(i);
}

bool Selection::Prepare(SelectionCheck check)
{
    if (formula.HasCode())
        (void)formula.Evaluate(nullptr);
    if (IsErrorPending())
        return false;
    if (check == SelectionCheck::None || Service<ModelServices>::Get().IsWebRequestActive())
        return true;
    bool interactive = check == SelectionCheck::Interactive;
    if (CardKeyGreater(from.Value(), to.Value())) {
        if (interactive)
            SetErrorCode(message::kEmptyDateRange);
        return false;
    }
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (!base.GetDimension(d).OptionX() || components.HasExpression(d))
            continue;
        if (interactive) {
            SetErrorCode(message::kDimensionRequired);
            String name;
            base.DimensionSingularName(d, name);
            GetPendingError().message.AddText(name.CStr());
        }
        return false;
    }
    return true;
}

bool Selection::MatchesCard(const Card* card) const
{
    return cardTitle.MatchesHeapText(card->title) && notes.MatchesHeapText(card->notes);
}

bool Selection::MatchesLine(const CardLine* line) const
{
    if (const BitSet* lines = formula.Result(); lines != nullptr && !lines->GetBit(int32_t(line->index)))
        return false;
    if (!components.AdmitsLine(line))
        return false;
    for (int32_t k = 0; k < setValueCount; ++k) {
        int32_t i = setValues[size_t(k)];
        if (!values[size_t(i)].Matches(base.GetLineValue(line, i)))
            return false;
    }
    return lineText.IsEmpty() || lineText.MatchesHeapText(line->Text());
}

bool Selection::KeyInRange(const CardKey& key) const
{
    return CardKeyGreaterOrEqual(key, from.Value()) && CardKeyLessOrEqual(key, to.Value());
}

bool Selection::MarkMatchingLines(BitSet& lines) const
{
    Card* card = nullptr;
    Card* end = nullptr;
    base.FindCardsInDateRange(from.Value(), to.Value(), card, end);
    for (; card != nullptr && card != end && card != base.ChainEnd(); card = base.NextCard(card)) {
        if (IsErrorPending())
            return false;
        if (!MatchesCard(card))
            continue;
        for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
            if (!AdmitsGroup(group))
                continue;
            for (CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line))
                if (MatchesLine(line))
                    lines.SetBit(int32_t(line->index), true);
        }
    }
    return true;
}

bool Selection::IsRestricted() const
{
    if (components.HasAnyExpression() || !from.IsPlainFile() || !to.IsPlainFile() || !cardTitle.IsEmpty() ||
        !lineText.IsEmpty() || !notes.IsEmpty() || formula.HasCode())
        return true;
    for (const ValueCondition& condition : values)
        if (!condition.IsEmpty())
            return true;
    return false;
}

void Selection::CollectSummary(std::vector<SelectionSummaryItem>& items) const
{
    items.clear();
    String caption;
    auto add = [&](int32_t fieldCode, std::string_view value) {
        SelectionSummaryItem& item = items.emplace_back();
        item.fieldCode = fieldCode;
        base.GetFieldCaption(fieldCode, caption);
        item.caption.assign(caption.View());
        item.value.assign(value);
    };
    auto addText = [&](int32_t fieldCode, ConstHeapText value) {
        if (value != nullptr)
            add(fieldCode, value);
    };
    String value;
    for (const auto& [fieldCode, date] : {std::pair{int32_t(text::kFromDate), &from}, std::pair{int32_t(text::kToDate), &to}}) {
        if (date->IsPlainFile())
            continue;
        date->ToText(value);
        add(fieldCode, value.View());
    }
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (!components.HasExpression(d))
            continue;
        components.FormatDimension(d, value, " ");
        add(d + 1, value.View());
    }
    addText(65, cardTitleText.Get());
    addText(66, lineTextText.Get());
    addText(text::kNotesCaption, notesText.Get());
    for (int32_t i = 0; i < base.ValueCount() && i < kMaxValueCount; ++i)
        addText(67 + i, valueTexts[size_t(i)].Get());
    addText(text::kSubsetCondition, subsetText.Get());
}

void Selection::WriteHtml(TextWriter& writer) const
{
    std::vector<SelectionSummaryItem> items;
    CollectSummary(items);
    writer.PutText("<tr><td class=\"definition\">");
    writer.PutMarkupEscaped(LoadText(text::kSelectionTitle));
    writer.EndRow();
    writer.WriteLine("<table border=\"0\" cellspacing=\"0\" cellpadding=\"1\" class=\"definition\">");
    for (const SelectionSummaryItem& item : items) {
        writer.PutText("<tr><td>");
        writer.PutMarkupEscaped(item.caption.c_str());
        writer.PutText("</td><td>");
        writer.PutMarkupEscaped(item.value.c_str());
        writer.WriteLine("</td></tr>");
    }
    writer.WriteLine("</table>");
    writer.WriteLine("</td></tr>");
}

void Selection::WriteXml(TextWriter& writer) const
{
    SelectionTexts texts(base);
    texts.Capture(*this);
    texts.WriteXml(writer);
}

void Selection::OnBaseChange(const ChangeRecord& record)
{
    if (record.base != &base)
        return;
    components.HandleChange(record);
    (void)from.DependsOnChange(record, nullptr);
    (void)to.DependsOnChange(record, nullptr);
    formula.OnBaseChange(record);
    if (record.code == kChangeValueCount)
        UpdateSetValues();
}

}  // namespace vek
