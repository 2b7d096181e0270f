// AggregateCardsDialog: the dialog in which the aggregation of a window's card lines is set up and run.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/batch/CardAggregation.h"
#include "gui/dialogs/Dialog.h"
#include "model/dimensions/Component.h"

namespace vek {

class AnalysisHost;
class Base;
class BatchLineSource;
class CheckBox;
class PopupButton;
class ProgressBar;
class StaticText;
class TabControl;
class TextField;

// Whether the source is a card window (kind 10), which offers no duplicate.
enum class AggregateSource : int32_t { AnalysisWindow, CardWindow };

// Three pages over the CardAggregation the command "aggregate" also feeds: the period (a popup of
// the period kinds and the base's time scales, the title, the date of the one card, period names),
// the level of every dimension, and the line options. The default button runs the aggregation, the
// duplicate button runs it keeping the source lines; a run that succeeds ends the dialog, one that
// fails leaves it open with the base as it was. Nobody attending, RunModal presses the default
// button, so a headless run aggregates with the options as set.
class AggregateCardsDialog final : public Dialog {
public:
    // Page numbers.
    static constexpr int32_t kPeriodPage = 0;
    static constexpr int32_t kLevelsPage = 1;
    static constexpr int32_t kLinesPage = 2;
    // Control ids.
    static constexpr int32_t kPeriodPopupId = 21;
    static constexpr int32_t kTitleFieldId = 22;
    static constexpr int32_t kPeriodNamesId = 23;
    static constexpr int32_t kDateFieldId = 24;
    static constexpr int32_t kFirstLevelPopupId = 25;
    static constexpr int32_t kSkipTextsId = 57;
    static constexpr int32_t kSkipZerosId = 58;
    static constexpr int32_t kDuplicateButtonId = 714;
    // The popup's first time-scale item (item 18 + the scale's index).
    static constexpr int32_t kFirstTimeScaleItem = 18;

    AggregateCardsDialog(Base& base, BatchLineSource& source, AnalysisHost& host, Window* parent, AggregateSource kind);
    ~AggregateCardsDialog() override;

    CommandTarget* TabNotify(TabNotice& record) override;
    CommandTarget* PopupNotify(PopupItemRecord& record) override;
    CommandTarget* ControlChanged(Control& control) override;
    CommandTarget* FormatControlText(String& text, Control& control) override;

    // Builds the dialog and runs it when the source shows lines; true when an aggregation ran.
    static bool Run(Base& base, BatchLineSource& source, AnalysisHost& host, Window* parent, AggregateSource kind);

    // The options and the engine (a test or the caller may preset them before the run).
    CardAggregation& Aggregation() { return aggregation; }
    int64_t SourceLineCount() const { return lineCount; }
    int32_t Page() const { return page; }
    bool Succeeded() const { return succeeded; }
    TabControl* Tabs() const { return tabs; }
    ProgressBar* Progress() const { return progress; }
    // Null when the control is not on the current page.
    Control* PageControl(int32_t id) const;

protected:
    bool Confirm() override;
    void Command(int32_t command, Control& control) override;

private:
    void BuildPage(int32_t newPage);
    void ClearPage();
    void BuildPeriodPage();
    void BuildLevelsPage();
    void BuildLinesPage();
    void UpdatePeriodPage();
    void UpdateLinesPage();
    void ComputeLevelCounts();
    int32_t PeriodItem() const;
    void DescribePeriodItem(PopupItemRecord& record) const;
    void DescribeLevelItem(PopupItemRecord& record, int32_t dimension) const;
    bool RunAggregation(bool duplicate);

    Base& base;
    BatchLineSource& source;
    AnalysisHost& host;
    AggregateSource kind;
    CardAggregation aggregation;
    int64_t lineCount = 0;
    int32_t timeScaleIndex = 0;
    int32_t page = -1;
    bool succeeded = false;
    bool levelCountsKnown = false;
    TabControl* tabs = nullptr;
    ProgressBar* progress = nullptr;
    std::vector<Control*> pageControls;
    StaticText* explanation = nullptr;
    // Per dimension: the depth of its tree and the deepest level of a component a line uses.
    std::array<int16_t, kDimensionCount> treeDepth{};
    std::array<int16_t, kDimensionCount> usedDepth{};
};

}  // namespace vek
