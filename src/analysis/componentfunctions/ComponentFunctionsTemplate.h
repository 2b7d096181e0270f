// ComponentFunctionsTemplate: the template of a component-functions analysis.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "analysis/LevelTreeTemplate.h"
#include "analysis/componentfunctions/ComponentFunctionColumnDefinition.h"

namespace vek {

// The template of a component-functions analysis (kind 5, type code 314): the level definition of its
// rows and an ordered list of columns, each a selection column or a formula column (see
// ComponentFunctionColumnDefinition), with sort, display and export options.
//
// Keyed lines after the shared ones, in this order (each only when it says so):
//   every column in display order ("VN" ... "VZ", "FN" ... "FZ")
//   "PD"    the level dimensions (dimension number + 1 per level, as the components template's "P")
//   "K"     the level options
//   "PW"    width, when above 23 and not 136
//   "R"     the "FSD" letter; "Gx" "Gy" the chart keys
//   "S"     value-order letter ("DEFCBA") and item-display letter ("NRCTH"), the sort column's name;
//           when a sort column is named or the item display is not 0
//   "L"     "UTBOS" letter when not "T"; "N" "1A2345BCD" letter when not "1"; "W" "NLBPR" letter when
//           not "N"
//   "ZI" when set; "ZV" when the flag is 0; "ZX" and the expansion text
//   "xtnh" or "xtna"; "xtg+", "xtg-" or "xtgh"; an empty row end
// Read only: "ZS"/"ZD" (older files) and "WR" (W option 4; other "W" lines are ignored). Other "F",
// "P", "W", "Z" and "xt" lines are ignored. The older key set of the bullet-marked files is not read.
class ComponentFunctionsTemplate : public LevelTreeTemplate {
public:
    explicit ComponentFunctionsTemplate(Base& base);
    ~ComponentFunctionsTemplate() override;

    // --- Columns --------------------------------------------------------------------------------------
    const std::vector<std::unique_ptr<ComponentFunctionColumnDefinition>>& Columns() const { return columns; }
    const std::vector<ComponentFunctionSelectionDefinition*>& SelectionColumns() const { return selectionColumns; }
    const std::vector<ComponentFunctionFormulaDefinition*>& FormulaColumns() const { return formulaColumns; }
    // The column of that exact name, or null.
    ComponentFunctionSelectionDefinition* FindSelectionColumn(std::string_view name) const;
    ComponentFunctionFormulaDefinition* FindFormulaColumn(std::string_view name) const;
    // A column of either kind whose name equals the text without regard to case, or null.
    ComponentFunctionColumnDefinition* FindColumnNoCase(std::string_view name) const;
    // A new column of that name at the end of the display list and of its kind's list. A new selection
    // column takes the first default series colour, a new formula column that of its place among the
    // formula columns.
    ComponentFunctionSelectionDefinition& AppendSelectionColumn(const char* name);
    ComponentFunctionFormulaDefinition& AppendFormulaColumn(const char* name);
    // Deletes a column of this template (also the reader's current column when it is that one).
    void RemoveColumn(const ComponentFunctionColumnDefinition& column);

    // --- Options (their meaning on screen belongs to the window) ------------------------------------------
    int32_t width = 0;           // "PW"
    int32_t rOption = 1;         // code of "FSD"
    int32_t sortValueOrder = 0;  // code of "DEFCBA"
    int32_t sortItemDisplay = 0; // code of "NRCTH"
    int32_t lOption = 1;         // code of "UTBOS"
    int32_t nOption = 0;         // code of "1A2345BCD"
    int32_t wOption = 0;         // code of "NLBPR"
    bool ziFlag = false;
    bool zvFlag = true;
    bool zsFlag = false;         // "ZS" 1 / "ZD" 0, older files
    int32_t titleMode = 4103;    // 4103 "xtna", 4102 "xtnh"
    int32_t headingMode = 4100;  // 4100 "xtg+", 4101 "xtg-", 4102 "xtgh"

    ConstHeapText SortColumnName() const { return sortColumn.Get(); }
    std::string_view SortColumnView() const { return sortColumn.View(); }
    void SetSortColumnName(const char* name) { sortColumn.Set(name); }
    ChartOptions& Chart() { return chart; }
    const ChartOptions& Chart() const { return chart; }

    // --- Virtual operations ----------------------------------------------------------------------------
    void OnBaseChange(const ChangeRecord& record) override;
    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void FinishRead(const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;
    void CollectSelectionComponents(BitSet& components) override;
    void CollectSelectedLines(BitSet& lines) override;
    // "sort": a column name, ":" and a value-order letter sets the sort column; "-:" and an item-display
    // letter clears it. Other names go to every selection column's selection, then to the shared part.
    void SetOption(const char* optionName, const char* value) override;
    int64_t StoredSize() const override;

private:
    bool ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context);
    bool ReadSelectionKey(std::string_view key, TextReader& reader, const TemplateReadContext& context);
    bool ReadFormulaKey(std::string_view key, TextReader& reader, const TemplateReadContext& context);
    void ReadSortLine(TextReader& reader);
    ComponentFunctionColumnDefinition& Adopt(std::unique_ptr<ComponentFunctionColumnDefinition> column);
    void SetDefaults();

    std::vector<std::unique_ptr<ComponentFunctionColumnDefinition>> columns;
    std::vector<ComponentFunctionSelectionDefinition*> selectionColumns;
    std::vector<ComponentFunctionFormulaDefinition*> formulaColumns;
    // The columns the key lines being read add to (the last named by "VN" and "FN").
    ComponentFunctionSelectionDefinition* currentSelection = nullptr;
    ComponentFunctionFormulaDefinition* currentFormula = nullptr;
    OwnedText sortColumn;
    ChartOptions chart;
};

}  // namespace vek
