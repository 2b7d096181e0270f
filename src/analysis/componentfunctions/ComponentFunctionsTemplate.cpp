// ComponentFunctionsTemplate: the keyed lines, options and columns of the component-functions template.
#include "analysis/componentfunctions/ComponentFunctionsTemplate.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "analysis/AnalysisCodeLetters.h"
#include "analysis/TableTemplatePart.h"
#include "foundation/memory/BitSet.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/OptionLetters.h"
#include "foundation/strings/String.h"
#include "text/TableOptions.h"

namespace vek {

namespace {

constexpr const char* kNOptionLetters = "1A2345BCD";
constexpr const char* kWOptionLetters = "NLBPR";
constexpr int32_t kDefaultROption = 1;
constexpr int32_t kDefaultLOption = 1;
// Widths up to this, and this one, are the window's defaults and are not written.
constexpr int32_t kLargestDefaultTemplateWidth = 23;
constexpr int32_t kDefaultTemplateWidth = 136;
// Base files up to this date write the display line in its legacy form.
constexpr int32_t kLegacyColumnDisplayUntil = 19970416;
constexpr int32_t kTitleAll = 4103;
constexpr int32_t kTitleHeaders = 4102;
constexpr int32_t kHeadingPlus = 4100;
constexpr int32_t kHeadingMinus = 4101;
constexpr int32_t kHeadingHeaders = 4102;
// "WR" sets the W option to the position of "R".
constexpr int32_t kWOptionR = 4;

std::string_view ColumnReaderToken(const TextReader& reader) { return {reader.Token(), size_t(reader.TokenLength())}; }

}  // namespace

ComponentFunctionsTemplate::ComponentFunctionsTemplate(Base& base)
    : LevelTreeTemplate(TemplateKind::ComponentFunctions, base)
{
    SetDefaults();
}

ComponentFunctionsTemplate::~ComponentFunctionsTemplate() = default;

void ComponentFunctionsTemplate::SetDefaults()
{
    currentSelection = nullptr;
    currentFormula = nullptr;
    selectionColumns.clear();
    formulaColumns.clear();
    columns.clear();
    width = 0;
    rOption = kDefaultROption;
    sortValueOrder = 0;
    sortItemDisplay = 0;
    sortColumn.Set(nullptr);
    lOption = kDefaultLOption;
    nOption = 0;
    wOption = 0;
    ziFlag = false;
    zvFlag = true;
    zsFlag = false;
    titleMode = kTitleAll;
    headingMode = kHeadingPlus;
    chart = ChartOptions();
}

void ComponentFunctionsTemplate::Reset()
{
    LevelTreeTemplate::Reset();
    SetDefaults();
}

// --- Columns -----------------------------------------------------------------------------------------

ComponentFunctionSelectionDefinition* ComponentFunctionsTemplate::FindSelectionColumn(std::string_view name) const
{
    for (ComponentFunctionSelectionDefinition* column : selectionColumns) {
        if (column->NameView() == name)
            return column;
    }
    return nullptr;
}

ComponentFunctionFormulaDefinition* ComponentFunctionsTemplate::FindFormulaColumn(std::string_view name) const
{
    for (ComponentFunctionFormulaDefinition* column : formulaColumns) {
        if (column->NameView() == name)
            return column;
    }
    return nullptr;
}

ComponentFunctionColumnDefinition* ComponentFunctionsTemplate::FindColumnNoCase(std::string_view name) const
{
    for (const std::unique_ptr<ComponentFunctionColumnDefinition>& column : columns) {
        if (CStrEqualNoCase(column->NameView(), name))
            return column.get();
    }
    return nullptr;
}

ComponentFunctionColumnDefinition& ComponentFunctionsTemplate::Adopt(
    std::unique_ptr<ComponentFunctionColumnDefinition> column)
{
    // Room in the kind's list first, so that a failure leaves the lists as they were.
    if (column->IsSelection())
        selectionColumns.reserve(selectionColumns.size() + 1);
    else
        formulaColumns.reserve(formulaColumns.size() + 1);
    columns.push_back(std::move(column));
    ComponentFunctionColumnDefinition& added = *columns.back();
    if (added.IsSelection())
        selectionColumns.push_back(static_cast<ComponentFunctionSelectionDefinition*>(&added));
    else
        formulaColumns.push_back(static_cast<ComponentFunctionFormulaDefinition*>(&added));
    return added;
}

ComponentFunctionSelectionDefinition& ComponentFunctionsTemplate::AppendSelectionColumn(const char* name)
{
    auto column = std::make_unique<ComponentFunctionSelectionDefinition>(GetBase());
    column->SetName(name);
    column->Display().colour = DefaultSeriesColor(0);
    return static_cast<ComponentFunctionSelectionDefinition&>(Adopt(std::move(column)));
}

ComponentFunctionFormulaDefinition& ComponentFunctionsTemplate::AppendFormulaColumn(const char* name)
{
    auto column = std::make_unique<ComponentFunctionFormulaDefinition>();
    column->SetName(name);
    column->Display().colour = DefaultSeriesColor(int32_t(formulaColumns.size()));
    return static_cast<ComponentFunctionFormulaDefinition&>(Adopt(std::move(column)));
}

void ComponentFunctionsTemplate::RemoveColumn(const ComponentFunctionColumnDefinition& column)
{
    if (&column == currentSelection)
        currentSelection = nullptr;
    if (&column == currentFormula)
        currentFormula = nullptr;
    std::erase_if(selectionColumns, [&column](const auto* c) { return c == &column; });
    std::erase_if(formulaColumns, [&column](const auto* c) { return c == &column; });
    std::erase_if(columns, [&column](const auto& c) { return c.get() == &column; });
}

// --- Reading ------------------------------------------------------------------------------------------

void ComponentFunctionsTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    std::string_view key = PeekKey(reader);
    if (key.empty() || !ReadOwnKey(key, reader, context))
        LevelTreeTemplate::ReadKeyLine(reader, context);
}

bool ComponentFunctionsTemplate::ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context)
{
    char first = key[0];
    auto skipKey = [&reader] { (void)reader.NextFieldRaw(); };
    auto nextLetter = [&reader] {
        char letter = 0;
        (void)reader.NextFieldChar(letter);
        return letter;
    };
    switch (first) {
    case 'V':
        return ReadSelectionKey(key, reader, context);
    case 'F':
        return ReadFormulaKey(key, reader, context);
    case 'G':
        skipKey();
        chart.ReadKeyLine(key, reader);
        return true;
    case 'K':
        if (key.size() != 1)
            return false;
        skipKey();
        Levels().ReadOptionsLine(reader);
        return true;
    case 'L':
        if (key.size() != 1)
            return false;
        skipKey();
        ParseLKeyLetter(lOption, nextLetter());
        return true;
    case 'N':
        if (key.size() != 1)
            return false;
        skipKey();
        ParseLetterOf(kNOptionLetters, nOption, nextLetter());
        return true;
    case 'P':
        if (key == "PD") {
            skipKey();
            Levels().ReadDimensionsLine(reader);
        } else if (key == "PW") {
            skipKey();
            int32_t read = 0;
            if (reader.NextFieldInt(read))
                width = read;
        }
        return true;  // other "P" lines are ignored
    case 'R':
        if (key.size() != 1)
            return false;
        skipKey();
        ParseFsdCodeLetter(rOption, nextLetter());
        return true;
    case 'S':
        if (key.size() != 1)
            return false;
        skipKey();
        ReadSortLine(reader);
        return true;
    case 'W':
        if (key == "WR")
            wOption = kWOptionR;
        return true;  // other "W" lines are ignored
    case 'Z':
        if (key == "ZD" || key == "ZS")
            zsFlag = key == "ZS";
        else if (key == "ZI")
            ziFlag = true;
        else if (key == "ZV")
            zvFlag = false;
        else if (key == "ZX") {
            skipKey();
            ReadExpansionField(reader);
        }
        return true;  // other "Z" lines are ignored
    case 'x':
        if (key.size() < 2 || key[1] != 't')
            return false;
        if (key == "xtna")
            titleMode = kTitleAll;
        else if (key == "xtnh")
            titleMode = kTitleHeaders;
        else if (key == "xtg-")
            headingMode = kHeadingMinus;
        else if (key == "xtg+")
            headingMode = kHeadingPlus;
        else if (key == "xtgh")
            headingMode = kHeadingHeaders;
        return true;  // other "xt" lines are ignored
    default:
        return false;
    }
}

void ComponentFunctionsTemplate::ReadSortLine(TextReader& reader)
{
    if (!reader.NextFieldRaw())
        return;
    std::string_view letters = ColumnReaderToken(reader);
    if (!letters.empty() && letters[0] == '-') {
        sortItemDisplay = 0;
        sortColumn.Set(nullptr);
        return;
    }
    if (!letters.empty())
        ParseValueSortCode(sortValueOrder, letters[0]);
    if (letters.size() > 1)
        ParseItemDisplayCode(sortItemDisplay, letters[1]);
    if (!reader.NextFieldRawToHeapText(sortColumn.Field()) || sortColumn.Length() == 0)
        sortColumn.Set(nullptr);
}

bool ComponentFunctionsTemplate::ReadSelectionKey(std::string_view key, TextReader& reader,
                                                  const TemplateReadContext& context)
{
    (void)reader.NextFieldRaw();
    if (key == "VN") {
        String name;
        (void)reader.NextFieldRawToString(name);
        ComponentFunctionSelectionDefinition* column = FindSelectionColumn(name.CStr());
        if (!column)
            column = &AppendSelectionColumn(name.CStr());
        currentSelection = column;
        HeapText label = nullptr;
        (void)reader.NextLongTextField(label);
        column->SetLabel(label);
        SetHeapText(label, nullptr);
        return true;
    }
    ComponentFunctionSelectionDefinition* column = currentSelection;
    if (!column)
        return true;
    char letter = 0;
    if (key == "V-") {
        RemoveColumn(*column);
    } else if (key == "VF") {
        if (reader.NextFieldChar(letter) && letter != 0)
            column->SetValueField(IndexFromDigitOrLetter(letter));
    } else if (key == "VM") {
        if (reader.NextFieldRaw()) {
            std::string_view letters = ColumnReaderToken(reader);
            int32_t mode = column->ValueMode();
            if (!letters.empty())
                ParseValueModeLetter(mode, letters[0]);
            column->SetValueMode(mode);
            int32_t accumulation = int32_t(column->Accumulation());
            if (letters.size() > 1)
                ParseLetterOf(kColumnAccumulationLetters, accumulation, letters[1]);
            column->SetAccumulation(ColumnAccumulation(accumulation));
        }
    } else if (key == "VZ") {
        ReadComponentFunctionDisplayLine(reader, column->Display(),
                                         context.version <= kLegacyColumnDisplayUntil ? DisplayLineForm::Legacy
                                                                                      : DisplayLineForm::Items);
    } else {
        (void)column->Selection().ReadKeyLine(key.substr(1), reader);
    }
    return true;
}

bool ComponentFunctionsTemplate::ReadFormulaKey(std::string_view key, TextReader& reader,
                                                const TemplateReadContext& context)
{
    (void)reader.NextFieldRaw();
    if (key == "FN") {
        String name;
        (void)reader.NextFieldRawToString(name);
        ComponentFunctionFormulaDefinition* column = FindFormulaColumn(name.CStr());
        if (!column)
            column = &AppendFormulaColumn(name.CStr());
        currentFormula = column;
        HeapText label = nullptr;
        (void)reader.NextLongTextField(label);
        column->SetLabel(label);
        SetHeapText(label, nullptr);
        return true;
    }
    ComponentFunctionFormulaDefinition* column = currentFormula;
    if (!column || key.size() != 2)
        return true;  // other "F" lines are ignored
    switch (key[1]) {
    case '-': RemoveColumn(*column); break;
    case 'F': {
        HeapText formula = nullptr;
        (void)reader.NextLongTextField(formula);
        column->SetFormulaText(formula);
        SetHeapText(formula, nullptr);
        break;
    }
    case 'S': {
        char letter = 0;
        int32_t function = int32_t(column->Function());
        if (reader.NextFieldChar(letter))
            ParseLetterOf(kTreeFunctionLetters, function, letter);
        column->SetFunction(TreeFunction(function));
        break;
    }
    case 'Z':
        ReadComponentFunctionDisplayLine(reader, column->Display(),
                                         context.version <= kLegacyColumnDisplayUntil ? DisplayLineForm::Legacy
                                                                                      : DisplayLineForm::Items);
        break;
    default: break;
    }
    return true;
}

void ComponentFunctionsTemplate::FinishRead(const TemplateReadContext& context)
{
    LevelTreeTemplate::FinishRead(context);
    currentSelection = nullptr;
    currentFormula = nullptr;
}

// --- Writing ------------------------------------------------------------------------------------------

void ComponentFunctionsTemplate::WriteDefinition(TextWriter& writer) const
{
    LevelTreeTemplate::WriteDefinition(writer);
    for (const std::unique_ptr<ComponentFunctionColumnDefinition>& column : columns)
        column->Write(writer);

    const LevelDefinition& levels = Levels();
    writer.PutText("PD");
    for (int32_t level = 0; level < levels.levelCount && level < kMaxLevels; ++level) {
        writer.PutSeparator();
        writer.PutInt(levels.dimension[size_t(level)] + 1);
    }
    writer.EndRow();
    levels.WriteOptionsLine(writer);
    if (width > kLargestDefaultTemplateWidth && width != kDefaultTemplateWidth)
        writer.WriteKeyIntLine("PW", width);

    char rLetter = FsdCodeLetter(rOption);
    writer.WriteKeyCharLine("R", uint8_t(rLetter != 0 ? rLetter : 'S'));
    chart.Write(writer);

    if (sortColumn.Length() > 0 || sortItemDisplay != 0) {
        char order = ValueSortCode(sortValueOrder);
        char item = ItemDisplayCode(sortItemDisplay);
        writer.PutChar('S');
        writer.PutSeparator();
        writer.PutChar(uint8_t(order != 0 ? order : 'D'));
        writer.PutChar(uint8_t(item != 0 ? item : 'N'));
        writer.PutSeparator();
        writer.PutFieldHeapText(sortColumn.Get());
        writer.EndRow();
    }
    if (lOption != kDefaultLOption && LKeyLetter(lOption) != 0)
        writer.WriteKeyCharLine("L", uint8_t(LKeyLetter(lOption)));
    if (nOption != 0 && LetterAt(kNOptionLetters, nOption) != 0)
        writer.WriteKeyCharLine("N", uint8_t(LetterAt(kNOptionLetters, nOption)));
    if (wOption != 0 && LetterAt(kWOptionLetters, wOption) != 0)
        WriteViewLetter(writer, wOption);
    if (ziFlag)
        writer.WriteLine("ZI");
    if (!zvFlag)
        writer.WriteLine("ZV");
    WriteExpansionLine(writer);
    writer.WriteLine(titleMode == kTitleHeaders ? "xtnh" : "xtna");
    writer.WriteLine(headingMode == kHeadingMinus     ? "xtg-"
                     : headingMode == kHeadingHeaders ? "xtgh"
                                                      : "xtg+");
    writer.EndRow();
}

// --- Options ------------------------------------------------------------------------------------------

void ComponentFunctionsTemplate::SetOption(const char* optionName, const char* value)
{
    std::string_view name = optionName ? optionName : "";
    const char* text = value ? value : "";
    if (name == "sort") {
        const char* colon = std::strchr(text, ':');
        if (!colon)
            return;
        std::string_view columnPart(text, size_t(colon - text));
        char letter = colon[1];
        if (columnPart == "-") {
            sortColumn.Set(nullptr);
            ParseItemDisplayCode(sortItemDisplay, letter);
            return;
        }
        if (const ComponentFunctionColumnDefinition* column = FindColumnNoCase(columnPart)) {
            sortColumn.Set(column->NameCStr());
            ParseValueSortCode(sortValueOrder, letter);
        }
        return;
    }
    if (optionName && value) {
        for (ComponentFunctionSelectionDefinition* column : selectionColumns)
            (void)column->Selection().SetOption(name, value);
    }
    LevelTreeTemplate::SetOption(optionName, value);
}

void ComponentFunctionsTemplate::CollectSelectionComponents(BitSet& components)
{
    for (ComponentFunctionSelectionDefinition* column : selectionColumns)
        column->Selection().CollectNamedComponents(components);
}

void ComponentFunctionsTemplate::CollectSelectedLines(BitSet& lines)
{
    for (ComponentFunctionSelectionDefinition* column : selectionColumns)
        column->Selection().MarkSelectedLines(lines);
}

void ComponentFunctionsTemplate::OnBaseChange(const ChangeRecord& record)
{
    LevelTreeTemplate::OnBaseChange(record);
    for (const std::unique_ptr<ComponentFunctionColumnDefinition>& column : columns)
        column->OnBaseChange(record);
}

int64_t ComponentFunctionsTemplate::StoredSize() const
{
    int64_t size = LevelTreeTemplate::StoredSize();
    for (const std::unique_ptr<ComponentFunctionColumnDefinition>& column : columns)
        size += column->StoredSize();
    return size;
}

}  // namespace vek
