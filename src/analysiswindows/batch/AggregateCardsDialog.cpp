// AggregateCardsDialog: the pages, their controls and the run over the source's lines.
#include "analysiswindows/batch/AggregateCardsDialog.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "analysis/AnalysisHost.h"
#include "analysis/batch/BatchLineSource.h"
#include "analysis/batch/DimensionWindowServices.h"
#include "drawing/TextStyle.h"
#include "foundation/memory/MemoryHandle.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"
#include "gui/PushButton.h"
#include "gui/StaticText.h"
#include "gui/containers/TabControl.h"
#include "gui/controls/CheckBox.h"
#include "gui/dialogs/ProgressBar.h"
#include "gui/editing/TextField.h"
#include "gui/lists/PopupButton.h"
#include "gui/lists/PopupItemRecord.h"
#include "model/base/Base.h"
#include "model/dates/DateExpression.h"
#include "model/dates/TimeScale.h"
#include "model/links/BaseLinkRegistry.h"

namespace vek {

namespace {

// Counts the lines the source shows: a source without lines opens no dialog.
class AggregateLineCounter final : public ShownLineReader {
public:
    bool Line(Card*, CardGroup*, CardLine*) override
    {
        ++count;
        return true;
    }
    int64_t count = 0;
};

// The source's host with the dialog's progress bar in place of the window's progress.
class AggregateProgressHost final : public AnalysisHost {
public:
    AggregateProgressHost(AnalysisHost& inner, ProgressBar& bar) : inner(inner), bar(bar) {}
    void StartProgress(int32_t total) override { bar.Start(total); }
    void StepProgress() override { bar.Advance(1); }
    void EndProgress() override { bar.Finish(); }
    bool CancelRequested() const override { return inner.CancelRequested(); }
    void EndRun(AnalysisRunEnd end) override { inner.EndRun(end); }
    void SortKeysChanged() override { inner.SortKeysChanged(); }
    int32_t CompareRowValues(const Base& base, uint32_t a, uint32_t b, int32_t itemDisplay) const override
    {
        return inner.CompareRowValues(base, a, b, itemDisplay);
    }
    int32_t CompareDisplayTexts(const char* a, const char* b, SortDirection direction) const override
    {
        return inner.CompareDisplayTexts(a, b, direction);
    }

private:
    AnalysisHost& inner;
    ProgressBar& bar;
};

// What a dialog with its pages needs; short of it the dialog is not built.
constexpr int64_t kAggregateDialogReserve = 20480;
constexpr int16_t kAggregateWidth = 268;
constexpr int16_t kAggregateHeight = 276;
constexpr int32_t kAggregateTabsId = 1;
constexpr int32_t kAggregateProgressId = 2;
// The popup's fixed items: 0 one card, 2-8 years to half months, 10-13 four weeks to weeks, 15
// days, 16 each card; 1, 9, 14 and 17 are dividers.
constexpr int32_t kAggregateFixedItems = 17;

int32_t PeriodItemText(int32_t item)
{
    if (item == int32_t(AggregatePeriod::OneCard))
        return text::kAggregateOneCard;
    if (item >= 2 && item <= 8)
        return text::kPeriodYears + item - 2;
    if (item >= 10 && item <= 13)
        return text::kPeriodFourWeeks + item - 10;
    if (item == int32_t(AggregatePeriod::Days))
        return text::kPeriodDays;
    if (item == int32_t(AggregatePeriod::EachCard))
        return text::kAggregateEachCard;
    return 0;
}

int32_t PeriodExplanationText(AggregatePeriod period)
{
    const int32_t kind = int32_t(period);
    if (period == AggregatePeriod::OneCard)
        return text::kAggregateExplainOneCard;
    if (kind >= 2 && kind <= 8)
        return text::kAggregateExplainYears + kind - 2;
    if (kind >= 10 && kind <= 13)
        return text::kAggregateExplainFourWeeks + kind - 10;
    if (period == AggregatePeriod::Days)
        return text::kAggregateExplainDays;
    if (period == AggregatePeriod::EachCard)
        return text::kAggregateExplainEachCard;
    return text::kAggregateExplainTimeScale;
}

void PutItemText(PopupItemRecord& record, const std::string& text)
{
    std::snprintf(record.textBuffer, sizeof record.textBuffer, "%s", text.c_str());
    record.text = record.textBuffer;
}

StaticText* WrappedText(Pane& enclosure, const OriginSize& frame)
{
    auto* text = new StaticText(enclosure, frame, false);
    TextStyle style = text->GetTextStyle();
    style.flags = uint16_t(style.flags | kTextWrap);
    text->SetTextStyle(style);
    text->FinishConstruction();
    return text;
}

}  // namespace

AggregateCardsDialog::AggregateCardsDialog(Base& owner, BatchLineSource& lines, AnalysisHost& sourceHost, Window* parent,
                                           AggregateSource sourceKind)
    : Dialog(kAggregateWidth, kAggregateHeight, DialogOwner{&owner, &owner.GetLinkRegistry()}, parent),
      base(owner),
      source(lines),
      host(sourceHost),
      kind(sourceKind),
      aggregation(owner)
{
    const char* suffix = LoadText(text::kAggregateTitleSuffix);
    SetTitle((std::string(source.Name()) + (suffix ? suffix : "")).c_str());
    AggregateLineCounter counter;
    static_cast<void>(source.ReadLines(counter));
    lineCount = counter.count;

    tabs = new TabControl(*this, OriginSize{27, 14, 160, 240}, kAggregateTabsId, 3, -1, true);
    tabs->SetScrollable(true);
    progress = new ProgressBar(*this, OriginSize{195, 14, 11, 240}, kAggregateProgressId, false);
    auto* run = new PushButton(*this, OriginSize{kAggregateHeight - 33, kAggregateWidth - 118, 20, 100}, 0);
    run->SetLabel(text::kMenuSummarizeCards);
    run->SetDefault(true);
    if (kind != AggregateSource::CardWindow) {
        auto* duplicate =
            new PushButton(*this, OriginSize{kAggregateHeight - 33 - 31, kAggregateWidth - 118, 20, 100}, kDuplicateButtonId);
        duplicate->SetLabel(text::kDuplicateButton);
    }
    auto* cancel = new PushButton(*this, OriginSize{kAggregateHeight - 33, kAggregateWidth - 224, 20, 80}, 0);
    cancel->SetLabel(text::kCancel);
    FinishConstruction();
    tabs->SelectTab(kPeriodPage);
    if (page != kPeriodPage)
        BuildPage(kPeriodPage);
}

AggregateCardsDialog::~AggregateCardsDialog()
{
    ClearPage();
    PrepareDestruction();
}

bool AggregateCardsDialog::Run(Base& base, BatchLineSource& source, AnalysisHost& host, Window* parent,
                               AggregateSource kind)
{
    if (!TestHandleAlloc(kAggregateDialogReserve))
        return false;
    AggregateCardsDialog dialog(base, source, host, parent, kind);
    if (dialog.SourceLineCount() == 0)
        return false;
    dialog.RunModal();
    return dialog.Succeeded();
}

Control* AggregateCardsDialog::PageControl(int32_t id) const
{
    for (Control* control : pageControls)
        if (control->ControlId() == id)
            return control;
    return nullptr;
}

CommandTarget* AggregateCardsDialog::TabNotify(TabNotice& record)
{
    if (record.control != tabs)
        return Dialog::TabNotify(record);
    if (record.kind == TabNoticeKind::Describe) {
        record.text = LoadText(text::kAggregatePeriodTab + record.index);
    } else if (record.kind == TabNoticeKind::Selected && record.index != page) {
        BuildPage(record.index);
    }
    return this;
}

void AggregateCardsDialog::ClearPage()
{
    for (Control* control : pageControls)
        delete control;
    pageControls.clear();
    explanation = nullptr;
}

void AggregateCardsDialog::BuildPage(int32_t newPage)
{
    ClearPage();
    page = newPage;
    if (page == kPeriodPage)
        BuildPeriodPage();
    else if (page == kLevelsPage)
        BuildLevelsPage();
    else if (page == kLinesPage)
        BuildLinesPage();
    tabs->Invalidate();
}

int32_t AggregateCardsDialog::PeriodItem() const
{
    if (aggregation.Period() != AggregatePeriod::TimeScale)
        return int32_t(aggregation.Period());
    return kFirstTimeScaleItem + timeScaleIndex;
}

void AggregateCardsDialog::BuildPeriodPage()
{
    const int32_t scales = base.TimeScales().Count();
    const int32_t items = scales > 0 ? kFirstTimeScaleItem + scales : kAggregateFixedItems;
    auto* popup = new PopupButton(*tabs, OriginSize{10, 10, 15, 200}, kPeriodPopupId, items, PeriodItem(), false);
    popup->SetTitle(text::kAggregateByCaption);
    popup->FinishConstruction();
    pageControls.push_back(popup);

    auto* titleLabel = new StaticText(*tabs, OriginSize{34, 10, 12, 73}, false);
    titleLabel->SetTextById(text::kAggregateTitleCaption);
    titleLabel->FinishConstruction();
    pageControls.push_back(titleLabel);
    auto* title = new TextField(*tabs, OriginSize{34, 86, 12, 121}, kTitleFieldId, true, true);
    pageControls.push_back(title);

    auto* dateLabel = new StaticText(*tabs, OriginSize{55, 10, 12, 73}, false);
    dateLabel->SetTextById(text::kAggregateDateCaption);
    dateLabel->FinishConstruction();
    pageControls.push_back(dateLabel);
    auto* date = new TextField(*tabs, OriginSize{55, 86, 12, 121}, kDateFieldId, true, true);
    pageControls.push_back(date);

    auto* names = new CheckBox(*tabs, OriginSize{54, 86, 14, 141}, kPeriodNamesId, true);
    names->SetLabel(text::kAggregatePeriodNames);
    names->SetValue(aggregation.PeriodNames());
    pageControls.push_back(names);

    explanation = WrappedText(*tabs, OriginSize{100, 10, 42, 226});
    pageControls.push_back(explanation);
    UpdatePeriodPage();
}

void AggregateCardsDialog::UpdatePeriodPage()
{
    const AggregatePeriod period = aggregation.Period();
    const int32_t code = int32_t(period);
    const bool titleShown = period != AggregatePeriod::EachCard;
    const bool namesShown = (code >= 2 && code <= 13) || period == AggregatePeriod::TimeScale;
    const bool dateShown = period == AggregatePeriod::OneCard;
    for (Control* control : pageControls) {
        const int32_t id = control->ControlId();
        if (id == kTitleFieldId)
            control->SetVisible(titleShown);
        else if (id == kPeriodNamesId)
            control->SetVisible(namesShown);
        else if (id == kDateFieldId)
            control->SetVisible(dateShown);
    }
    // The labels stand just before their fields in the page's list.
    for (size_t i = 0; i + 1 < pageControls.size(); ++i) {
        if (pageControls[i + 1]->ControlId() == kTitleFieldId)
            pageControls[i]->SetVisible(titleShown);
        else if (pageControls[i + 1]->ControlId() == kDateFieldId)
            pageControls[i]->SetVisible(dateShown);
    }
    if (explanation)
        explanation->SetTextById(PeriodExplanationText(period));
}

void AggregateCardsDialog::ComputeLevelCounts()
{
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        treeDepth[size_t(d)] = 0;
        usedDepth[size_t(d)] = 0;
        if (!base.DimensionHasComponents(d))
            continue;
        const RecordPool& pool = base.ComponentPool();
        int32_t depth = 0;
        int32_t deepest = 0;
        const Component* root = base.Root(d);
        // The walk ends by giving the root back.
        for (const Component* c = root->NextInSubtreeWithDepth(pool, root, depth); c && c != root;
             c = c->NextInSubtreeWithDepth(pool, root, depth))
            deepest = std::max(deepest, depth);
        treeDepth[size_t(d)] = int16_t(deepest);
        usedDepth[size_t(d)] = int16_t(deepest);
    }
    levelCountsKnown = true;
}

void AggregateCardsDialog::BuildLevelsPage()
{
    if (!levelCountsKnown)
        ComputeLevelCounts();
    int16_t top = 10;
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (!base.DimensionHasComponents(d))
            continue;
        const int32_t depth = treeDepth[size_t(d)];
        const int32_t items = depth < 2 ? 2 : depth + 4;
        const int32_t current = std::min(aggregation.Level(d), items - 1);
        auto* popup = new PopupButton(*tabs, OriginSize{top, 10, 15, 200}, kFirstLevelPopupId + d, items, current, false);
        String name;
        base.DimensionPluralName(d, name);
        popup->SetTitleText(name.View());
        popup->SetLabelWidth(65);
        popup->FinishConstruction();
        popup->SetEnabled(depth >= 2);
        pageControls.push_back(popup);
        top = int16_t(top + 19);
    }
}

void AggregateCardsDialog::BuildLinesPage()
{
    auto* texts = new CheckBox(*tabs, OriginSize{10, 10, 14, 220}, kSkipTextsId, true);
    texts->SetLabel(text::kAggregateSkipLineTexts);
    texts->SetValue(aggregation.SkipLineTexts());
    pageControls.push_back(texts);
    pageControls.push_back(WrappedText(*tabs, OriginSize{29, 30, 40, 206}));
    auto* zeros = new CheckBox(*tabs, OriginSize{79, 10, 14, 220}, kSkipZerosId, true);
    zeros->SetLabel(text::kAggregateSkipZeroLines);
    zeros->SetValue(aggregation.SkipZeroLines());
    pageControls.push_back(zeros);
    pageControls.push_back(WrappedText(*tabs, OriginSize{98, 30, 40, 206}));
    UpdateLinesPage();
}

void AggregateCardsDialog::UpdateLinesPage()
{
    if (pageControls.size() < 4)
        return;
    static_cast<StaticText*>(pageControls[1])
        ->SetTextById(aggregation.SkipLineTexts() ? text::kAggregateExplainSkipTextsOn : text::kAggregateExplainSkipTextsOff);
    static_cast<StaticText*>(pageControls[3])
        ->SetTextById(aggregation.SkipZeroLines() ? text::kAggregateExplainSkipZerosOn : text::kAggregateExplainSkipZerosOff);
}

void AggregateCardsDialog::DescribePeriodItem(PopupItemRecord& record) const
{
    if (record.index >= kFirstTimeScaleItem) {
        const TimeScale* scale = base.TimeScales().At(record.index - kFirstTimeScaleItem);
        if (scale && scale->GetName())
            PutItemText(record, scale->GetName());
        else
            record.text = nullptr;
        return;
    }
    const int32_t number = PeriodItemText(record.index);
    record.text = number ? LoadText(number) : nullptr;
}

void AggregateCardsDialog::DescribeLevelItem(PopupItemRecord& record, int32_t dimension) const
{
    switch (record.index) {
    case kAggregateLevelKeep: record.text = LoadText(text::kAggregateLevelKeep); return;
    case kAggregateLevelNone: record.text = LoadText(text::kAggregateLevelNone); return;
    case kAggregateLevelAsShown:
        record.text = LoadText(text::kAggregateLevelAsShown);
        record.enabled = Service<DimensionWindowServices>::Get().HasDimensionWindow(base, dimension) ? 1 : 0;
        return;
    default: break;
    }
    // Item i is the engine's level code i: code k + 3 lifts to level k.
    const int32_t level = record.index - kAggregateLevelAsShown - 1;
    String text;
    text.AssignCStr(LoadText(text::kAggregateLevelNumber));
    text.SubstituteArgInt(0, level);
    PutItemText(record, text.CStr());
    record.enabled = level >= 1 && level <= usedDepth[size_t(dimension)] ? 1 : 0;
}

CommandTarget* AggregateCardsDialog::PopupNotify(PopupItemRecord& record)
{
    const int32_t id = record.popup ? record.popup->ControlId() : 0;
    const bool periodPopup = id == kPeriodPopupId;
    const bool levelPopup = id >= kFirstLevelPopupId && id < kFirstLevelPopupId + int32_t(kDimensionCount);
    if (!periodPopup && !levelPopup)
        return Dialog::PopupNotify(record);
    if (record.kind == PopupItemKind::Describe) {
        if (periodPopup)
            DescribePeriodItem(record);
        else
            DescribeLevelItem(record, id - kFirstLevelPopupId);
        return this;
    }
    if (periodPopup) {
        if (record.index >= kFirstTimeScaleItem) {
            aggregation.SetPeriod(AggregatePeriod::TimeScale);
            timeScaleIndex = record.index - kFirstTimeScaleItem;
            aggregation.SetTimeScale(base.TimeScales().At(record.index - kFirstTimeScaleItem));
        } else {
            aggregation.SetPeriod(AggregatePeriod(record.index));
        }
        UpdatePeriodPage();
    } else {
        aggregation.SetLevel(id - kFirstLevelPopupId, record.index);
    }
    return this;
}

CommandTarget* AggregateCardsDialog::ControlChanged(Control& control)
{
    auto* box = dynamic_cast<CheckBox*>(&control);
    if (!box)
        return Dialog::ControlChanged(control);
    switch (control.ControlId()) {
    case kPeriodNamesId: aggregation.SetPeriodNames(box->Value()); break;
    case kSkipTextsId: aggregation.SetSkipLineTexts(box->Value()); UpdateLinesPage(); break;
    case kSkipZerosId: aggregation.SetSkipZeroLines(box->Value()); UpdateLinesPage(); break;
    default: return Dialog::ControlChanged(control);
    }
    return this;
}

CommandTarget* AggregateCardsDialog::FormatControlText(String& text, Control& control)
{
    if (control.ControlId() == kTitleFieldId) {
        text.Trim();
        aggregation.SetTitle(text.CStr());
        return this;
    }
    if (control.ControlId() == kDateFieldId) {
        DateExpression expression(&base, -1);
        PackedDate date = 0;
        if (expression.ParseCString(text.CStr()))
            date = expression.Value().date;
        aggregation.SetOneCardDate(date);
        char digits[kPackedDateTextCapacity] = {};
        FormatPackedDateDigits(digits, date);
        text.AssignCStr(digits);
        return this;
    }
    return Dialog::FormatControlText(text, control);
}

bool AggregateCardsDialog::RunAggregation(bool duplicate)
{
    aggregation.SetDuplicate(duplicate);
    AggregateProgressHost progressHost(host, *progress);
    succeeded = aggregation.Run(source, progressHost);
    return succeeded;
}

bool AggregateCardsDialog::Confirm() { return RunAggregation(false); }

void AggregateCardsDialog::Command(int32_t command, Control& control)
{
    if (command == kDuplicateButtonId) {
        if (RunAggregation(true))
            EndModal();
        return;
    }
    Dialog::Command(command, control);
}

}  // namespace vek
