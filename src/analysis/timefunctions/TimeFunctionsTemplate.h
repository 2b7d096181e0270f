// TimeFunctionsTemplate: the template of a time-functions analysis.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/strings/OwnedText.h"
#include "model/templates/AnalysisTemplate.h"
#include "analysis/ChartOptionFlags.h"
#include "model/dates/DateExpression.h"
#include "analysis/TimeFunctionFormulaDefinition.h"
#include "model/dates/TimeFunctionPeriodKind.h"
#include "analysis/TimeFunctionSelectionDefinition.h"

namespace vek {

// What a time-functions template shows as its title and its chart headings (text numbers).
inline constexpr int32_t kTitleModeAll = 4103;      // "xtna"
inline constexpr int32_t kTitleModeHeaders = 4102;  // "xtnh"
inline constexpr int32_t kHeadingModePlus = 4100;   // "xtg+"
inline constexpr int32_t kHeadingModeMinus = 4101;  // "xtg-"
inline constexpr int32_t kHeadingModeHeaders = 4102; // "xtgh"

// The template of a time-functions analysis (kind 4, type code 313), made by the template factory
// (Base::NewTemplate): a time axis (a range of card keys cut into periods) and an ordered list of
// rows, each a selection row or a formula row.
//
// Keyed lines after the shared ones, in this order (each only when it says so):
//   every row in display order (see the row classes)
//   "K"     axis from, axis to, both written (nothing when they are the defaults "File-1" and
//           "File+1": a day before the first card to a day after the last); when a "K" line is read,
//           a field left empty or out is the plain "File"
//   "PL"    period-kind letter of "YHTQNMK432WDACGLX", or "PX" and the time-scale name for kind X;
//           nothing for kind A
//   "PW"    period width, when above 23
//   "L"x    layout letter of "UTBOS", when not "T"
//   "Gx" "Gy"  the chart keys
//   "SM" "SN"  the two scale numbers, when finite
//   "SV"    sort letter ("DEFCBA"), qualifier letter ("NRP"), sort row name; when a row or qualifier is set
//   "W"x    chart letter of "NLBPR", when not "N"
//   "ZE" ... "ZZ"  the chart flags; "ZC" text; "ZB" when flag B is 0; "ZT", "ZN" when set
//   "xtnh" or "xtna"; "xtg-", "xtg+" or "xtgh"; an empty row end
// Older files: the legacy "P" key, the legacy display lines of files dated 19970416 or earlier, and
// in the bullet-marked files the letter-keyed rows and "xW" widths (see FinishRead).
// The axis without a "K" line runs from the day before the base's first card to the day after its
// last card: "File" with these offsets in days.
inline constexpr int32_t kDefaultAxisFromOffset = -1;
inline constexpr int32_t kDefaultAxisToOffset = 1;

class TimeFunctionsTemplate : public AnalysisTemplate {
public:
    explicit TimeFunctionsTemplate(Base& base);
    ~TimeFunctionsTemplate() override;

    // --- Axis and periods --------------------------------------------------------------------------
    DateExpression& AxisFrom() { return axisFrom; }
    const DateExpression& AxisFrom() const { return axisFrom; }
    DateExpression& AxisTo() { return axisTo; }
    const DateExpression& AxisTo() const { return axisTo; }
    TimeFunctionPeriodKind PeriodKind() const { return periodKind; }
    void SetPeriodKind(TimeFunctionPeriodKind kind) { periodKind = kind; }
    // The time scale of kind X; null when none is named.
    ConstHeapText TimeScaleName() const { return timeScaleName.Get(); }
    void SetTimeScaleName(const char* name) { timeScaleName.Set(name); }
    int32_t PeriodWidth() const { return periodWidth; }
    void SetPeriodWidth(int32_t width) { periodWidth = width; }

    // --- Display settings (their meaning on screen belongs to the window) ------------------------------
    int32_t layoutCode = 1;      // position in "UTBOS"
    double scaleM = std::nan("");  // "SM"
    double scaleN = std::nan("");  // "SN"
    int32_t sortCode = 0;        // position in "DEFCBA"
    int32_t sortQualifier = 0;   // position in "NRP"
    int32_t chartCode = 0;       // position in "NLBPR"
    bool flagB = true;
    bool flagT = false;
    bool flagN = false;
    int32_t titleMode = kTitleModeAll;
    int32_t headingMode = kHeadingModePlus;

    ConstHeapText SortRowName() const { return sortRow.Get(); }
    void SetSortRowName(const char* name) { sortRow.Set(name); }
    ConstHeapText ZcText() const { return zcText.Get(); }
    void SetZcText(const char* text) { zcText.Set(text); }
    ChartOptions& Chart() { return chart; }
    const ChartOptions& Chart() const { return chart; }
    ChartOptionFlags& ChartFlags() { return chartFlags; }
    const ChartOptionFlags& ChartFlags() const { return chartFlags; }

    // --- Rows ----------------------------------------------------------------------------------------
    // Every row in display order.
    const std::vector<std::unique_ptr<TimeFunctionRowDefinition>>& Rows() const { return rows; }
    // The rows of each kind, in display order.
    const std::vector<TimeFunctionSelectionDefinition*>& SelectionRows() const { return selectionRows; }
    const std::vector<TimeFunctionFormulaDefinition*>& FormulaRows() const { return formulaRows; }
    int32_t FormulaRowCount() const { return int32_t(formulaRows.size()); }

    // The row of that exact name, or null.
    TimeFunctionSelectionDefinition* FindSelectionRow(std::string_view name) const;
    TimeFunctionFormulaDefinition* FindFormulaRow(std::string_view name) const;
    // A new row of that name at the end of the display list and of its kind's list; a new formula row
    // takes the default series colour of its place among the formula rows, a selection row the first.
    TimeFunctionSelectionDefinition& AppendSelectionRow(const char* name);
    TimeFunctionFormulaDefinition& AppendFormulaRow(const char* name);
    // Takes a row (a copy made for this template) at the end of the lists.
    TimeFunctionRowDefinition& AdoptRow(std::unique_ptr<TimeFunctionRowDefinition> row);
    // Deletes a row of this template (also the current row of the reader when it is that one).
    void RemoveRow(const TimeFunctionRowDefinition& row);

    // --- Drill-down -----------------------------------------------------------------------------------
    // The template a drill-down link of the web pages opens: the link text is a row name, ":", a link
    // range start and optionally "_" and a link range end. A selection row gives a lines template with
    // the row's selection, value mode and field over the range; a formula row a time-functions
    // template over the range with copies of the rows the formula depends on. Null when the link names
    // no row or no range. Drill-down calls this form with the link's text; the form that takes a
    // template stays the base class's.
    std::unique_ptr<AnalysisTemplate> DeriveTemplate(std::string_view linkText) const;
    using AnalysisTemplate::DeriveTemplate;

    // --- Virtual operations ----------------------------------------------------------------------------
    void OnBaseChange(const ChangeRecord& record) override;
    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void FinishRead(const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;
    void CollectSelectionComponents(BitSet& components) override;
    void CollectSelectedLines(BitSet& lines) override;
    // "sort" (row link code ":" letter, or "-:" qualifier letter), "axisfrom" (only moves later),
    // "axisto" (only moves earlier); other names go to every selection row and then the shared part.
    void SetOption(const char* optionName, const char* value) override;
    int64_t StoredSize() const override;

private:
    struct LegacyState;
    // The rows of each kind by exact name (the first of a name), rebuilt from the lists when stale.
    struct RowNames {
        std::unordered_map<std::string, TimeFunctionRowDefinition*> selection;
        std::unordered_map<std::string, TimeFunctionRowDefinition*> formula;
        bool stale = true;

        void Add(TimeFunctionRowDefinition& row);
    };
    const RowNames& Names() const;

    bool ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context);
    bool ReadSelectionKey(std::string_view key, TextReader& reader, const TemplateReadContext& context);
    bool ReadFormulaKey(std::string_view key, TextReader& reader, const TemplateReadContext& context);
    bool ReadLegacyKey(std::string_view key, TextReader& reader);
    void FinishLegacyRead();
    void SetDefaults();
    void ClearRows();
    bool IsDefaultAxis() const;

    DateExpression axisFrom;
    DateExpression axisTo;
    TimeFunctionPeriodKind periodKind = TimeFunctionPeriodKind::CardDates;
    OwnedText timeScaleName;
    int32_t periodWidth = 0;
    OwnedText sortRow;
    OwnedText zcText;
    ChartOptions chart;
    ChartOptionFlags chartFlags;

    std::vector<std::unique_ptr<TimeFunctionRowDefinition>> rows;
    std::vector<TimeFunctionSelectionDefinition*> selectionRows;
    std::vector<TimeFunctionFormulaDefinition*> formulaRows;
    // The rows the key lines being read add to (the last named by "VN" and "FN").
    TimeFunctionSelectionDefinition* currentSelection = nullptr;
    TimeFunctionFormulaDefinition* currentFormula = nullptr;
    mutable RowNames names;
    std::unique_ptr<LegacyState> legacy;
};

}  // namespace vek
