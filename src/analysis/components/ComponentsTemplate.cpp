// ComponentsTemplate: the keyed lines and the XML-like form of the components analysis template.
#include "analysis/components/ComponentsTemplate.h"

#include <cstring>

#include "analysis/AnalysisCodeLetters.h"
#include "analysis/TableTemplatePart.h"
#include "files/xmlinterface/XmlErrorReports.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/IntegerText.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/OptionLetters.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/dates/DateExpression.h"
#include "text/TableOptions.h"

namespace vek {

namespace {

constexpr const char* kPercentageLetters = "-ID";
constexpr const char* kViewLetters = "NLBPR";
constexpr int32_t kOlderComponentsWidthCount = 11;
// Bases of this version or older store the decimals and the sublevels flag for every column at once.
constexpr int32_t kLastSharedColumnSettingsVersion = 20001218;
// Widths of 15 and less are the window's default: they are not written.
constexpr int32_t kSmallestWrittenWidth = 16;

struct ComponentsXmlName {
    const char* name;
    ComponentsValue value;
};

// By meaning. The older reading took these names by position in a list of nine, which made "atend"
// the line count, "after" the balance at the end and "total" the amounts after the period; files
// written for that reading meant what the names say, so the names are read as they say.
constexpr ComponentsXmlName kComponentsXmlNames[] = {
    {"before", ComponentsValue::Before},         {"negative", ComponentsValue::Negative},
    {"positive", ComponentsValue::Positive},     {"period", ComponentsValue::Period},
    {"percentage", ComponentsValue::Percentage}, {"count", ComponentsValue::CardCount},
    {"atend", ComponentsValue::AtEnd},           {"after", ComponentsValue::After},
    {"total", ComponentsValue::Total},
};

int32_t ComponentsValueOfLetter(char letter)
{
    const char* found = letter != 0 ? std::strchr(kComponentsValueLetters, letter) : nullptr;
    return found ? int32_t(found - kComponentsValueLetters) : -1;
}

bool NeedsValueFor(int32_t code, std::initializer_list<ComponentsValue> values)
{
    for (ComponentsValue value : values) {
        if (code == int32_t(value))
            return true;
    }
    return false;
}

}  // namespace

int32_t ComponentsValueFromXmlName(std::string_view name)
{
    for (const ComponentsXmlName& entry : kComponentsXmlNames) {
        if (CStrEqualNoCase(name, entry.name))
            return int32_t(entry.value);
    }
    return -1;
}

ComponentsTemplate::ComponentsTemplate(Base& base)
    : LevelTreeTemplate(TemplateKind::Components, base), selection(base)
{
    ComponentsTemplate::Reset();
    zcFlag = false;
}

ComponentsTemplate::~ComponentsTemplate() = default;

void ComponentsTemplate::Reset()
{
    LevelTreeTemplate::Reset();
    selection.Clear();
    chart = ChartOptions();
    olderWidths.clear();
    int32_t baseDecimals = GetBase().ValueFormat(0);
    valueField = 0;
    decimals = baseDecimals;
    sortValueField = -1;
    sortItemDisplay = 0;
    sortValueOrder = 0;
    rOption = 1;
    viewValueField = int32_t(ComponentsValue::Period);
    percentageOption = 1;
    wOption = 0;
    zcFlag = true;
    sublevels = false;
    zmOption = 0;
    width = 0;
    exportOption = kTextExportAll;
    for (int32_t code = 0; code < kComponentsValueCount; ++code) {
        ComponentsColumn& column = columns[size_t(code)];
        column = ComponentsColumn();
        column.shown = NeedsValueFor(code, {ComponentsValue::Before, ComponentsValue::Negative,
                                            ComponentsValue::Positive, ComponentsValue::Period,
                                            ComponentsValue::AtEnd});
        column.bold = code == int32_t(ComponentsValue::Period);
        column.decimals = code == int32_t(ComponentsValue::Percentage) ? 1 : baseDecimals;
    }
}

void ComponentsTemplate::ClearSettings()
{
    LevelTreeTemplate::ClearSettings();
    for (ComponentsColumn& column : columns)
        column = ComponentsColumn();
    Column(ComponentsValue::Period).shown = true;
}

bool ComponentsTemplate::UsesValue(ComponentsValue value) const
{
    return columns[size_t(value)].shown || viewValueField == int32_t(value) || sortValueField == int32_t(value);
}

bool ComponentsTemplate::NeedsBeforePhase() const
{
    return UsesValue(ComponentsValue::Before) || UsesValue(ComponentsValue::AtEnd) || UsesValue(ComponentsValue::Total);
}

bool ComponentsTemplate::NeedsAfterPhase() const
{
    return UsesValue(ComponentsValue::After) || UsesValue(ComponentsValue::Total);
}

bool ComponentsTemplate::NeedsCardCount() const { return UsesValue(ComponentsValue::CardCount); }

void ComponentsTemplate::ReadColumnLine(char letter, TextReader& reader, const TemplateReadContext& context)
{
    int32_t code = ComponentsValueOfLetter(letter);
    if (code < 0)
        return;  // an unknown value letter: the line is ignored whole
    ComponentsColumn& column = columns[size_t(code)];
    if (reader.NextFieldRaw()) {
        const char* flags = reader.Token();
        for (int32_t i = reader.TokenLength() - 1; i >= 0; --i) {
            switch (flags[i]) {
            case 'V': column.shown = true; break;
            case 'v': column.shown = false; break;
            case 'B': column.bold = true; break;
            case 'b': column.bold = false; break;
            case 'Q': column.mode = 1; break;
            case 'R': column.mode = 2; break;
            case 'r': column.mode = 0; break;
            case 'S': column.sublevels = true; break;
            case 's': column.sublevels = false; break;
            default: break;
            }
        }
    }
    if (context.IsBulletFile())
        return;
    ReadWidthField(reader, column.width);
    char decimalsLetter = 0;
    if (reader.NextFieldChar(decimalsLetter))
        ParseDigitFtmCodeLetter(column.decimals, decimalsLetter);
}

void ComponentsTemplate::ReadSortField(TextReader& reader)
{
    sortValueField = -1;
    sortItemDisplay = 0;
    sortValueOrder = 0;
    if (!reader.NextFieldRaw() || reader.TokenLength() == 0 || reader.Token()[0] == '-')
        return;
    const char* letters = reader.Token();
    int32_t length = reader.TokenLength();
    ParseValueSortCode(sortValueOrder, letters[0]);
    if (length > 1) {
        int32_t code = ComponentsValueOfLetter(letters[1]);
        if (code >= 0)
            sortValueField = code;
    }
    if (length > 2)
        ParseItemDisplayCode(sortItemDisplay, letters[2]);
}

bool ComponentsTemplate::ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context)
{
    char first = key[0];
    if (context.IsBulletFile()) {
        if (TableTemplatePart::ReadOldSelectionKey(key, reader, selection))
            return true;
        if (key == "xW") {
            (void)reader.NextFieldRaw();
            olderWidths.assign(kOlderComponentsWidthCount, 0);
            for (int32_t& older : olderWidths)
                ReadWidthField(reader, older);
            return true;
        }
    }
    auto skipKey = [&reader] { (void)reader.NextFieldRaw(); };
    auto nextLetter = [&reader] {
        char letter = 0;
        (void)reader.NextFieldChar(letter);
        return letter;
    };
    switch (first) {
    case '%':
        if (key.size() > 1)
            ParseLetterOf(kPercentageLetters, percentageOption, key[1]);
        return true;
    case 'B':
        skipKey();
        selection.ReadKeyLine(key.substr(1), reader);
        return true;
    case 'D': {
        if (key.size() != 1)
            return false;
        skipKey();
        char letter = nextLetter();
        ParseDigitFtmCodeLetter(decimals, letter);
        if (context.version <= kLastSharedColumnSettingsVersion) {
            for (ComponentsColumn& column : columns)
                ParseDigitFtmCodeLetter(column.decimals, letter);
        }
        return true;
    }
    case 'F': {
        if (key.size() != 1)
            return false;
        skipKey();
        // A field the base does not have would read amounts past the line's values.
        int32_t field = IndexFromDigitOrLetter(nextLetter());
        if (field >= 0 && field < GetBase().ValueCount())
            valueField = field;
        return true;
    }
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
    case 'P':
        if (key.size() != 1)
            return false;
        skipKey();
        Levels().ReadDimensionsLine(reader);
        return true;
    case 'Q':
        if (key.size() != 2)
            return false;
        skipKey();
        ReadColumnLine(key[1], reader, context);
        return true;
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
        ReadSortField(reader);
        return true;
    case 'V':
        if (key != "VP")
            return false;
        skipKey();
        {
            int32_t code = ComponentsValueOfLetter(nextLetter());
            if (code >= 0)
                viewValueField = code;
        }
        return true;
    case 'W':
        if (key == "WP")
            wOption = 3;
        return true;
    case 'Z':
        if (key == "ZC")
            zcFlag = false;
        else if (key == "ZD" || key == "ZS") {
            sublevels = key == "ZS";
            if (context.version <= kLastSharedColumnSettingsVersion) {
                for (ComponentsColumn& column : columns)
                    column.sublevels = sublevels;
            }
        } else if (key == "ZM")
            zmOption = 1;
        else if (key == "ZN")
            zmOption = 2;
        else if (key == "ZX") {
            skipKey();
            ReadExpansionField(reader);
        } else
            return false;
        return true;
    case 'w':
        if (key != "wD")
            return false;
        skipKey();
        ReadWidthField(reader, width);
        return true;
    case 'x':
        return TableTemplatePart::ReadTextExport(key, exportOption);
    default:
        return false;
    }
}

void ComponentsTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    std::string_view key = PeekKey(reader);
    if (key.empty() || !ReadOwnKey(key, reader, context))
        LevelTreeTemplate::ReadKeyLine(reader, context);
}

void ComponentsTemplate::FinishRead(const TemplateReadContext& context)
{
    LevelTreeTemplate::FinishRead(context);
    if (!context.IsBulletFile() || olderWidths.empty())
        return;
    // The first older width is the item column's, less one sixteenth; the rest belong to the shown
    // columns in column order.
    width = olderWidths[0] - (olderWidths[0] >> 4);
    size_t next = 1;
    for (ComponentsColumn& column : columns)
        column.width = column.shown && next < olderWidths.size() ? olderWidths[next++] : 0;
    olderWidths.clear();
}

void ComponentsTemplate::WriteDefinition(TextWriter& writer) const
{
    LevelTreeTemplate::WriteDefinition(writer);
    selection.Write(writer, 'B');

    writer.PutChar('F');
    writer.PutSeparator();
    char fieldLetter = LetterFromIndex(valueField);
    writer.PutChar(uint8_t(fieldLetter != 0 ? fieldLetter : 'A'));
    writer.EndRow();

    char decimalsLetter = DigitFtmCodeLetter(decimals);
    writer.PutChar('D');
    writer.PutSeparator();
    writer.PutChar(uint8_t(decimalsLetter != 0 ? decimalsLetter : '0'));
    writer.EndRow();

    Levels().WriteDimensionsLine(writer);
    Levels().WriteOptionsLine(writer);
    chart.Write(writer);

    if (sortValueField >= 0 || sortItemDisplay != 0 || sortValueOrder != 0) {
        char order = ValueSortCode(sortValueOrder);
        char field = LetterAt(kComponentsValueLetters, sortValueField);
        char item = ItemDisplayCode(sortItemDisplay);
        writer.PutChar('S');
        writer.PutSeparator();
        writer.PutChar(uint8_t(order != 0 ? order : 'D'));
        writer.PutChar(uint8_t(field != 0 ? field : '-'));
        writer.PutChar(uint8_t(item != 0 ? item : 'N'));
        writer.EndRow();
    }

    char rLetter = FsdCodeLetter(rOption);
    writer.PutChar('R');
    writer.PutSeparator();
    writer.PutChar(uint8_t(rLetter != 0 ? rLetter : 'S'));
    writer.EndRow();

    if (viewValueField != int32_t(ComponentsValue::Period)) {
        char view = LetterAt(kComponentsValueLetters, viewValueField);
        if (view != 0) {
            writer.PutText("VP");
            writer.PutSeparator();
            writer.PutChar(uint8_t(view));
            writer.EndRow();
        }
    }
    char percentage = LetterAt(kPercentageLetters, percentageOption);
    writer.PutChar('%');
    writer.PutChar(uint8_t(percentage != 0 ? percentage : 'I'));
    writer.EndRow();
    if (wOption != 0 && LetterAt(kViewLetters, wOption) != 0)
        WriteViewLetter(writer, wOption);
    if (!zcFlag)
        writer.WriteLine("ZC");
    writer.WriteLine(sublevels ? "ZS" : "ZD");
    WriteExpansionLine(writer);
    if (zmOption == 1 || zmOption == 2)
        writer.WriteLine(zmOption == 1 ? "ZM" : "ZN");
    if (width >= kSmallestWrittenWidth)
        writer.WriteKeyIntLine("wD", width);

    for (int32_t code = 0; code < kComponentsValueCount; ++code) {
        const ComponentsColumn& column = columns[size_t(code)];
        writer.PutChar('Q');
        writer.PutChar(uint8_t(kComponentsValueLetters[code]));
        writer.PutSeparator();
        writer.PutChar(column.shown ? 'V' : 'v');
        writer.PutChar(column.bold ? 'B' : 'b');
        writer.PutChar(column.mode == 1 ? 'Q' : column.mode == 2 ? 'R' : 'r');
        writer.PutChar(column.sublevels ? 'S' : 's');
        writer.PutSeparator();
        if (column.width >= kSmallestWrittenWidth)
            writer.PutInt(column.width);
        writer.PutSeparator();
        char letter = DigitFtmCodeLetter(column.decimals);
        if (letter != 0)
            writer.PutChar(uint8_t(letter));
        writer.EndRow();
    }
    TableTemplatePart::WriteTextExport(writer, exportOption);
}

void ComponentsTemplate::ReadValueFieldElement(TextReader& reader)
{
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        int32_t field = -1;
        if (CStrEqualNoCase(name.View(), "num")) {
            field = value.IsEmpty() ? -1 : BytesToIntRounded(value.View()) - 1;
        } else if (CStrEqualNoCase(name.View(), "name")) {
            field = GetBase().FindValueFieldByName(value.CStr());
        } else {
            ReportUnknownXmlWord(GetBase(), name.CStr());
            continue;
        }
        // Only a field the base has: any other would read amounts past the line's values.
        if (field >= 0 && field < GetBase().ValueCount())
            valueField = field;
        else
            ReportBadXmlValue(GetBase(), value.CStr(), name.CStr());
    }
}

void ComponentsTemplate::ReadColumnsElement(TextReader& reader)
{
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        int32_t code = ComponentsValueFromXmlName(name.View());
        if (code < 0) {
            ReportUnknownXmlWord(GetBase(), name.CStr());
            continue;
        }
        ComponentsColumn& column = columns[size_t(code)];
        if (CStrEqualNoCase(value.View(), "on")) {
            column.shown = true;
        } else if (CStrEqualNoCase(value.View(), "bold")) {
            column.shown = true;
            column.bold = true;
        } else if (value.IsEmpty() || CStrEqualNoCase(value.View(), "off")) {
            column.shown = false;
        } else {
            ReportBadXmlValue(GetBase(), value.CStr(), name.CStr());
        }
    }
}

void ComponentsTemplate::ReadViewDimElement(TextReader& reader)
{
    String name;
    String value;
    int32_t d = -1;
    LevelDefinition& levels = Levels();
    while (reader.NextAttribute(name, value)) {
        std::string_view attribute = name.View();
        if (CStrEqualNoCase(attribute, "num")) {
            d = value.IsEmpty() ? -1 : BytesToIntRounded(value.View()) - 1;
        } else if (CStrEqualNoCase(attribute, "name")) {
            d = GetBase().FindDimensionByName(value.CStr());
        } else if (CStrEqualNoCase(attribute, "expand")) {
            if (CStrEqualNoCase(value.View(), "all"))
                SetExpansionText("\\");
            else
                ReportBadXmlValue(GetBase(), value.CStr(), name.CStr());
        } else if (CStrEqualNoCase(attribute, "structure")) {
            if (CStrEqualNoCase(value.View(), "flat"))
                levels.flat[0] = 1;
            else
                ReportBadXmlValue(GetBase(), value.CStr(), name.CStr());
        } else if (CStrEqualNoCase(attribute, "filter")) {
            if (CStrEqualNoCase(value.View(), "all"))
                levels.filter[0] = LevelFilter::All;
            else if (CStrEqualNoCase(value.View(), "inuse"))
                levels.filter[0] = LevelFilter::InUse;
            else
                ReportBadXmlValue(GetBase(), value.CStr(), name.CStr());
        } else {
            ReportUnknownXmlWord(GetBase(), name.CStr());
        }
    }
    if (d >= 0 && d < int32_t(kDimensionCount)) {
        levels.levelCount = 1;
        levels.dimension[0] = d;
    }
}

void ComponentsTemplate::ReadSortElement(TextReader& reader)
{
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (CStrEqualNoCase(name.View(), "order")) {
            int32_t order = ParseValueSortName(value.CStr());
            int32_t item = ParseItemDisplayName(value.CStr());
            if (CStrEqualNoCase(value.View(), "none")) {
                sortValueField = -1;
                sortItemDisplay = 0;
            } else if (order >= 0) {
                sortValueOrder = order;
                if (sortValueField < 0)
                    sortValueField = int32_t(ComponentsValue::Period);
            } else if (item >= 0) {
                sortItemDisplay = item;
                sortValueField = -1;
            } else {
                ReportBadXmlValue(GetBase(), value.CStr(), name.CStr());
            }
        } else if (CStrEqualNoCase(name.View(), "column")) {
            int32_t code = ComponentsValueFromXmlName(value.View());
            if (code >= 0)
                sortValueField = code;
            else
                ReportBadXmlValue(GetBase(), value.CStr(), name.CStr());
        } else {
            ReportUnknownXmlWord(GetBase(), name.CStr());
        }
    }
}

void ComponentsTemplate::ReadValuesElement(TextReader& reader)
{
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (CStrEqualNoCase(name.View(), "decimals")) {
            for (ComponentsColumn& column : columns)
                ParseDigitFtmCodeLetter(column.decimals, value.IsEmpty() ? 0 : value.CStr()[0]);
        } else if (CStrEqualNoCase(name.View(), "sublevels")) {
            bool include = CStrEqualNoCase(value.View(), "include");
            if (include || CStrEqualNoCase(value.View(), "exclude")) {
                for (ComponentsColumn& column : columns)
                    column.sublevels = include;
            } else {
                ReportBadXmlValue(GetBase(), value.CStr(), name.CStr());
            }
        } else {
            ReportUnknownXmlWord(GetBase(), name.CStr());
        }
    }
}

void ComponentsTemplate::ReadXml(TextReader& reader)
{
    while (!IsErrorPending() && reader.NextMarkupToken()) {
        if (reader.Token()[0] != '<')
            continue;
        if (reader.IsTag("/template"))
            return;
        if (reader.IsTag("selection"))
            selection.ReadXml(reader);
        else if (reader.IsTag("valuefield"))
            ReadValueFieldElement(reader);
        else if (reader.IsTag("columns"))
            ReadColumnsElement(reader);
        else if (reader.IsTag("viewdim"))
            ReadViewDimElement(reader);
        else if (reader.IsTag("sort"))
            ReadSortElement(reader);
        else if (reader.IsTag("values"))
            ReadValuesElement(reader);
        else if (reader.IsTag("export-options"))
            Export().ReadXmlAttributes(reader, GetBase());
        else if (!reader.IsEmptyOrEndTag())
            SkipUnknownXmlElement(GetBase(), reader);
    }
}

void ComponentsTemplate::CollectSelectionComponents(BitSet& components)
{
    selection.CollectNamedComponents(components);
}

void ComponentsTemplate::CollectSelectedLines(BitSet& lines)
{
    // The values before and after the period need the lines from the file's start or to its end.
    SelectionTexts widened(GetBase());
    widened.Assign(selection);
    if (NeedsBeforePhase())
        widened.From().SetUnit(DateUnit::File);
    if (NeedsAfterPhase())
        widened.To().SetUnit(DateUnit::File);
    widened.MarkSelectedLines(lines);
}

void ComponentsTemplate::SetOption(const char* optionName, const char* value)
{
    if (optionName && std::strcmp(optionName, "sort") == 0) {
        const char* text = value ? value : "";
        int32_t code = ComponentsValueOfLetter(text[0]);
        if (code >= 0) {
            sortValueField = code;
            if (text[1] != 0)
                ParseValueSortCode(sortValueOrder, text[1]);
        } else {
            sortValueField = -1;
            if (text[0] != 0 && text[1] != 0)
                ParseItemDisplayCode(sortItemDisplay, text[1]);
        }
        return;
    }
    if (optionName && value && selection.SetOption(optionName, value))
        return;
    LevelTreeTemplate::SetOption(optionName, value);
}

int64_t ComponentsTemplate::StoredSize() const
{
    return LevelTreeTemplate::StoredSize() + selection.StoredSize() + 600;
}

}  // namespace vek
