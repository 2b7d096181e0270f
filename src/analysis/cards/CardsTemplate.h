// CardsTemplate: the template of a cards analysis.
#pragma once

#include <string_view>

#include "model/templates/AnalysisTemplate.h"
#include "analysis/cards/CardsSettings.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

// The template of a cards analysis (kind 1, type code 310): the selection texts and the cards settings
// (contents, columns, decimals, sort keys), made by the template factory (Base::NewTemplate).
//
// Keyed lines after the shared ones, in this order (each only when it says so):
//   "B..."  the selection texts under the prefix "B"
//   "P"     shown column codes joined by "," (dimension columns by their dimension-order position)
//   "D"     one decimals letter of "0123456FTM" per value field of the base (always)
//   "R"     one letter of "-RG" per value field, when some colouring is set
//   "S"     two letters of "NSA" (groups, lines), when not both 1
//   "GC"    the GC flag
//   "Y"x    the date style letter x, when the date column is shown
//   "T"     an item-display letter of "CHTNMPR" ("-" the default) per dimension in use, when one is set
//   "wC" "wY" "wL" "wH"  widths of the card-id, title, line-text and origin columns, when not 0
//   "wV"    widths of the value columns and of the column after them, when one is set
//   "wD"    widths by dimension-order position, when one is set
//   "Qnc"   sort key n on the column of code c, with fields "C", "D", "T", "V" and their letters
//   "xtnh" or "xtna"  the text-export choice
// Readers take dimensions by their own numbers; files of the older bullet forms and early versions
// have their own forms of the selection, the widths and the shown columns.
class CardsTemplate : public AnalysisTemplate {
public:
    explicit CardsTemplate(Base& base);
    ~CardsTemplate() override;

    CardsSettings& Settings() { return settings; }
    const CardsSettings& Settings() const { return settings; }
    SelectionTexts& Selection() { return selection; }
    const SelectionTexts& Selection() const { return selection; }

    // Every setting to its default (SetDefaults of the settings, for this base).
    void SetDefaults();

    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;
    // The template element's contents up to "</template>": "selection", "columns", "contents",
    // "values" and "export-options"; other elements are skipped. Stops at the cancel flag.
    void ReadXml(TextReader& reader) override;
    void CollectSelectionComponents(BitSet& components) override;
    void CollectSelectedLines(BitSet& lines) override;
    // "sort" takes a column code, optionally ":" and the key's letter for that column; other names go
    // to the selection texts and then to the shared part.
    void SetOption(const char* optionName, const char* value) override;
    int64_t StoredSize() const override;

    // The "P" value: column codes joined by ",".
    void WriteShownColumns(String& out) const;
    // Marks the columns a "P" value names, by the file's version date.
    void ReadShownColumns(std::string_view value, int32_t version);

private:
    bool ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context);

    CardsSettings settings;
    SelectionTexts selection;
};

}  // namespace vek
