// LinesTemplate: the template of a lines analysis.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/strings/OwnedText.h"
#include "model/templates/AnalysisTemplate.h"
#include "analysis/TableTemplatePart.h"
#include "analysis/ChartOptionFlags.h"
#include "analysis/lines/LinesStatistics.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

class String;

// Columns of a lines analysis: 0 card id "I", 1 date "P", 2 card title "T", 3-34 dimensions 1-32
// "D" and the number, 35 line text "L", 36-59 value fields "VA".."VX", 60 the running balance "S",
// 61 origin "H". Every column but 60 can be a sort key.
namespace lines_column {
inline constexpr int32_t kCardId = 0;
inline constexpr int32_t kDate = 1;
inline constexpr int32_t kTitle = 2;
inline constexpr int32_t kDimension1 = 3;
inline constexpr int32_t kLineText = 35;
inline constexpr int32_t kFirstValue = 36;
inline constexpr int32_t kAccumulated = 60;
inline constexpr int32_t kOrigin = 61;
inline constexpr int32_t kCount = 62;
}  // namespace lines_column

// The column a code names ("I" also as "C"), or -1; `used` the bytes the code took.
int32_t LinesColumnFromCode(const char* text, const char* end, int32_t& used);
// The code of a column; a dimension column is written with `dimensionNumber` (1-32).
void AppendLinesColumnCode(String& out, int32_t column, int32_t dimensionNumber);

// The chart choice "xtgh": the window charts the main values as a histogram.
inline constexpr int32_t kLinesChartHistogram = 4102;

// The lines settings of a template.
struct LinesSettings {
    int32_t mainValueField = 0;  // 0-23
    double positiveRate = 0.0;   // yearly interest in per cent
    double negativeRate = 0.0;
    InterestMethod interestMethod = InterestMethod::Simple;
    int32_t zsFlag = 0;
    int32_t dateStyle = 0;
    LinesStatisticFlags statistics;
    int32_t sortKeyCount = 1;
    std::array<TableSortKey, kMaxTableSortKeys> sortKeys{};
    std::array<TableColumn, lines_column::kCount> columns{};
    int32_t statisticsDecimals = 0;
    int32_t statisticsColouring = 0;
    int32_t textExportChoice = kTextExportAll;
    int32_t chartChoice = 4100;  // 4100 "xtg+", 4101 "xtg-", 4102 "xtgh"
    int32_t view = 0;            // the "W" setting: 1 "WL", 2 "WB"

    // Every setting zero; text export 4103, chart choice 4100, the given date style, the window's
    // item display everywhere; card id, title, dimension 2, line text, value field 1 and the running
    // balance shown; decimals from the base; one sort key.
    void SetDefaults(const Base& base, int32_t currentDateStyle);
    // The decimals codes: the template's own, or the base's while none was set (-1).
    int32_t ValueDecimals(const Base& base, int32_t i) const;
    int32_t StatisticsDecimals(const Base& base) const;
};

// The template of a lines analysis (kind 2, type code 311): the selection texts, the lines settings,
// the chart keys and flags and the ZC text. Keyed lines after the shared ones, in this order:
// "B..." selection, "Q" main field, "D" decimals, "d" statistics decimals, "R" and "r" colourings,
// "Y" date style, "T" item displays, "P" shown columns, "H" statistics, "+" and "-" rates, "IL"/"IE",
// chart keys and "W", widths "wC" "wD" "wL" "wH", sort keys "S", the chart flags "Z.", "ZC", "ZS",
// then "xtnh"/"xtna" and "xtg+"/"xtg-"/"xtgh".
class LinesTemplate : public AnalysisTemplate {
public:
    explicit LinesTemplate(Base& base);
    ~LinesTemplate() override;

    LinesSettings& Settings() { return settings; }
    const LinesSettings& Settings() const { return settings; }
    SelectionTexts& Selection() { return selection; }
    const SelectionTexts& Selection() const { return selection; }
    ChartOptions& Chart() { return chart; }
    ChartOptionFlags& ChartFlags() { return chartFlags; }
    const ChartOptionFlags& ChartFlags() const { return chartFlags; }
    ConstHeapText ZcText() const { return zcText.Get(); }
    void SetZcText(const char* text) { zcText.Set(text); }

    void SetDefaults();
    // Hides every value column, shows that of field k and makes k the main value field.
    void SelectMainValueField(int32_t k);
    // One statistic by value mode: 0 line count, 1 card count, 6 average, 8 median, 9 turnover time,
    // 10 turnover rate, 11 maximum, 12 minimum, any other the period.
    void ShowSingleStatistic(int32_t valueMode);

    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void FinishRead(const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;
    // As the cards template's, with the elements "selection", "columns", "headers" (the statistics),
    // "values" and "export-options".
    void ReadXml(TextReader& reader) override;
    void CollectSelectionComponents(BitSet& components) override;
    void CollectSelectedLines(BitSet& lines) override;
    void SetOption(const char* optionName, const char* value) override;
    int64_t StoredSize() const override;

    void WriteShownColumns(String& out) const;
    void ReadShownColumns(std::string_view value, int32_t version);

private:
    bool ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context);
    void SetAllSignColouring(int32_t colouring);

    LinesSettings settings;
    SelectionTexts selection;
    ChartOptions chart;
    ChartOptionFlags chartFlags;
    OwnedText zcText;
    std::vector<int32_t> olderWidths;  // "xW" of the older files, placed by FinishRead
};

}  // namespace vek
