// ComponentsTemplate: the template of a components analysis.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/LevelTreeTemplate.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

// The ten values of a components row, in the order of the columns, the "Q" lines and the letters
// "BNPR%KCEAT".
enum class ComponentsValue : int32_t {
    Before = 0,      // B: amounts before the period
    Negative = 1,    // N: negative amounts in the period
    Positive = 2,    // P: positive amounts in the period
    Period = 3,      // R: N + P
    Percentage = 4,  // %: the period as a percentage of the root row's
    CardCount = 5,   // K: distinct cards
    LineCount = 6,   // C: lines
    AtEnd = 7,       // E: B + N + P
    After = 8,       // A: amounts after the period
    Total = 9,       // T: B + N + P + A
};
inline constexpr int32_t kComponentsValueCount = 10;
inline constexpr const char* kComponentsValueLetters = "BNPR%KCEAT";

// The value code of an XML value-field name, by its meaning: "atend" is the balance at the end of the
// period (E), "after" the amounts after it (A), "total" the sum of all (T). -1 for other names. The
// line count has no name.
int32_t ComponentsValueFromXmlName(std::string_view name);

// One value column as the template stores it ("Q" lines).
struct ComponentsColumn {
    bool shown = false;
    bool bold = false;
    int32_t mode = 0;  // 0 "r", 1 "Q", 2 "R": kept for the window
    bool sublevels = false;
    int32_t decimals = 0;  // code of "0123456FTM"
    int32_t width = 0;

    bool operator==(const ComponentsColumn&) const = default;
};

// The template of a components analysis (kind 3, type code 312). Its own keyed lines follow the shared
// ones in this order: "B..." selection, "F" value field, "D" decimals, "P" level dimensions, "K"
// level options, "Gx"/"Gy", "S" sort, "R", "VP", "%", "W", "ZC", "ZS"/"ZD", "ZX", "ZM"/"ZN", "wD",
// ten "Q" columns, "xtnh"/"xtna".
class ComponentsTemplate : public LevelTreeTemplate {
public:
    explicit ComponentsTemplate(Base& base);
    ~ComponentsTemplate() override;

    SelectionTexts& Selection() { return selection; }
    const SelectionTexts& Selection() const { return selection; }
    ChartOptions& Chart() { return chart; }
    ComponentsColumn& Column(ComponentsValue value) { return columns[size_t(value)]; }
    const ComponentsColumn& Column(ComponentsValue value) const { return columns[size_t(value)]; }
    std::array<ComponentsColumn, kComponentsValueCount>& Columns() { return columns; }
    const std::array<ComponentsColumn, kComponentsValueCount>& Columns() const { return columns; }

    int32_t valueField = 0;        // the line amount summed; below the base's value count
    int32_t decimals = 0;          // "D"
    int32_t sortValueField = -1;   // a value code, -1 none
    int32_t sortItemDisplay = 0;   // code of "NRCTH"
    int32_t sortValueOrder = 0;    // code of "DEFCBA"
    int32_t rOption = 1;           // code of "FSD"
    int32_t viewValueField = 3;    // a value code
    int32_t percentageOption = 1;  // code of "-ID"
    int32_t wOption = 0;           // code of "NLBPR"
    bool zcFlag = true;
    bool sublevels = false;
    int32_t zmOption = 0;          // 1 "ZM", 2 "ZN"
    int32_t width = 0;             // "wD"
    int32_t exportOption = 4103;   // 4103 "xtna", 4102 "xtnh"

    // Which phases and counts a computation of the template needs (a shown column, the view value
    // field or the sort value field asks for them).
    bool NeedsBeforePhase() const;
    bool NeedsAfterPhase() const;
    bool NeedsCardCount() const;

    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void FinishRead(const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;
    // Every column hidden and cleared but the period's.
    void ClearSettings() override;
    // The elements "selection", "valuefield", "columns", "viewdim", "sort", "values" and
    // "export-options"; others are skipped and reported.
    void ReadXml(TextReader& reader) override;
    void CollectSelectionComponents(BitSet& components) override;
    void CollectSelectedLines(BitSet& lines) override;
    // "sort": a value letter and an order letter, or a letter that is not a value and an item-display
    // letter; other names go to the selection, then to the shared options.
    void SetOption(const char* optionName, const char* value) override;
    int64_t StoredSize() const override;

private:
    bool ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context);
    void ReadColumnLine(char letter, TextReader& reader, const TemplateReadContext& context);
    void ReadSortField(TextReader& reader);
    void ReadViewDimElement(TextReader& reader);
    void ReadSortElement(TextReader& reader);
    void ReadValuesElement(TextReader& reader);
    void ReadColumnsElement(TextReader& reader);
    void ReadValueFieldElement(TextReader& reader);
    bool UsesValue(ComponentsValue value) const;

    SelectionTexts selection;
    ChartOptions chart;
    std::array<ComponentsColumn, kComponentsValueCount> columns{};
    std::vector<int32_t> olderWidths;  // "xW" of the older files, placed by FinishRead
};

}  // namespace vek
