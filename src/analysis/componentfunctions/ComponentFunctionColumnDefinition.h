// ComponentFunctionColumnDefinition: the stored record of one column of a component-functions template,
// and the display line that stores how a column is shown.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "analysis/TimeFunctionRowDisplay.h"
#include "foundation/strings/OwnedText.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

class Base;
class TextReader;
class TextWriter;
struct ChangeRecord;

enum class ComponentFunctionColumnKind : int32_t { Selection = 0, Formula = 1 };

// How a selection column's own values become its shown values: up the tree ("C") or as running
// aggregates over the rows in tree order ("S").
enum class ColumnAccumulation : int32_t { Tree = 0, Running = 1 };
inline constexpr const char* kColumnAccumulationLetters = "CS";

// How a formula column's values roll up the tree, the position of its letter in "BCAPVGMN": none, count,
// sum, product, average, geometric mean, maximum, minimum.
enum class TreeFunction : int32_t {
    None = 0,
    Count = 1,
    Sum = 2,
    Product = 3,
    Average = 4,
    GeometricMean = 5,
    Maximum = 6,
    Minimum = 7,
};
inline constexpr const char* kTreeFunctionLetters = "BCAPVGMN";

// How a column is shown. The window gives the fields their meaning; here they are kept, read, written.
struct ComponentFunctionColumnDisplay {
    bool visible = true;
    bool cFlag = false;     // "c": "S" 1, "D" 0
    int32_t decimals = 0;   // code of "0123456FTM"
    int32_t rMode = 0;      // "R": "-" 0, "B" 1, "+" 2
    bool bold = false;
    int32_t width = 0;      // 0-998
    int32_t colour = 10;    // a chart-colour index

    bool operator==(const ComponentFunctionColumnDisplay&) const = default;
};

// The display line after its key ("VZ", "FZ", and the same line in a column's text block): the key, then
// tab-separated items in this order: "D" decimals letter, "C" colour letter, "W" width (only above 15),
// "c" "S" or "D", "V" "+" or "-", "B" "+" or "-", "R" "B", "+" or "-". Reading takes the items in any
// order by their first letter; unknown items and letters, and a width above 998, leave their setting.
// The legacy form (bases dated 19970416 or earlier): a field of the decimals letter, the colour letter
// and flag letters ("B"/"b" bold, "S"/"D" c flag, "V"/"v" visible), then a field with the width.
void WriteComponentFunctionDisplayLine(TextWriter& writer, const char* key,
                                       const ComponentFunctionColumnDisplay& display);
void ReadComponentFunctionDisplayLine(TextReader& reader, ComponentFunctionColumnDisplay& display,
                                      DisplayLineForm form = DisplayLineForm::Items);

// One column of a component-functions template: a selection column or a formula column. The template
// owns its columns; the name is the column's variable name in formulas, the label its title (it may hold
// links).
class ComponentFunctionColumnDefinition {
public:
    virtual ~ComponentFunctionColumnDefinition();
    ComponentFunctionColumnDefinition(const ComponentFunctionColumnDefinition&) = delete;
    ComponentFunctionColumnDefinition& operator=(const ComponentFunctionColumnDefinition&) = delete;

    ComponentFunctionColumnKind Kind() const { return kind; }
    bool IsSelection() const { return kind == ComponentFunctionColumnKind::Selection; }
    bool IsFormula() const { return kind == ComponentFunctionColumnKind::Formula; }

    ConstHeapText Name() const { return name.Get(); }
    const char* NameCStr() const { return name.CStr(); }
    std::string_view NameView() const { return name.View(); }
    void SetName(const char* text) { name.Set(text); }
    ConstHeapText Label() const { return label.Get(); }
    const char* LabelCStr() const { return label.CStr(); }
    void SetLabel(const char* text) { label.Set(text); }
    // The label when it holds something, else the name.
    const char* Title() const;

    ComponentFunctionColumnDisplay& Display() { return display; }
    const ComponentFunctionColumnDisplay& Display() const { return display; }

    // A link rename (change 63) rewrites the links in the label.
    void OnBaseChange(const ChangeRecord& record);

    // The column's key lines ("VN" ... "VZ" or "FN" ... "FZ").
    virtual void Write(TextWriter& writer) const = 0;
    // The bytes the column takes, by the documented record sizes.
    virtual int64_t StoredSize() const = 0;

protected:
    explicit ComponentFunctionColumnDefinition(ComponentFunctionColumnKind kind);
    // The first line: key, name, label.
    void WriteNameLine(TextWriter& writer, const char* key) const;
    int64_t CommonStoredSize() const;

private:
    ComponentFunctionColumnKind kind;
    OwnedText name;
    OwnedText label;
    ComponentFunctionColumnDisplay display;
};

// A column that aggregates, per row, one amount of the card lines its selection admits.
//
// Key lines: "VN" name, label; the selection texts under "V"; "VF" value-field letter; "VM" mode letter
// and accumulation letter (left out for mode 3 with "C"); "VZ" display line.
class ComponentFunctionSelectionDefinition final : public ComponentFunctionColumnDefinition {
public:
    explicit ComponentFunctionSelectionDefinition(Base& base);
    ~ComponentFunctionSelectionDefinition() override;

    SelectionTexts& Selection() { return selection; }
    const SelectionTexts& Selection() const { return selection; }
    int32_t ValueField() const { return valueField; }
    // A field outside 0-23 is ignored.
    void SetValueField(int32_t field);
    int32_t ValueMode() const { return valueMode; }
    // A mode outside 0-14 is ignored; modes 13 and 14 become 3.
    void SetValueMode(int32_t mode);
    ColumnAccumulation Accumulation() const { return accumulation; }
    void SetAccumulation(ColumnAccumulation value) { accumulation = value; }

    void Write(TextWriter& writer) const override;
    int64_t StoredSize() const override;

private:
    SelectionTexts selection;
    int32_t valueField = 0;
    int32_t valueMode = 3;
    ColumnAccumulation accumulation = ColumnAccumulation::Tree;
};

// A column whose value per row is a formula over the other columns and the row variables.
//
// Key lines: "FN" name, label; "FF" formula text; "FS" tree-function letter; "FZ" display line.
class ComponentFunctionFormulaDefinition final : public ComponentFunctionColumnDefinition {
public:
    ComponentFunctionFormulaDefinition();
    ~ComponentFunctionFormulaDefinition() override;

    ConstHeapText FormulaText() const { return formula.Get(); }
    const char* FormulaCStr() const { return formula.CStr(); }
    void SetFormulaText(const char* text) { formula.Set(text); }
    TreeFunction Function() const { return function; }
    void SetFunction(TreeFunction value) { function = value; }

    void Write(TextWriter& writer) const override;
    int64_t StoredSize() const override;

private:
    OwnedText formula;
    TreeFunction function = TreeFunction::None;
};

}  // namespace vek
