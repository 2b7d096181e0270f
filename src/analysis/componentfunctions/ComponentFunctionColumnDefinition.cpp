// ComponentFunctionColumnDefinition: the columns of a component-functions template and their display line.
#include "analysis/componentfunctions/ComponentFunctionColumnDefinition.h"

#include <string_view>

#include "analysis/AnalysisCodeLetters.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/OptionLetters.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/base/ChangeRecord.h"
#include "model/links/LinkRename.h"

namespace vek {

namespace {

// The documented size of a column record without its texts, and what each kind adds.
constexpr int64_t kColumnRecordSize = 56;
constexpr int64_t kSelectionColumnExtraSize = 324;
constexpr int64_t kFormulaColumnExtraSize = 16;
constexpr const char* kColumnRLetters = "-B+";
constexpr int32_t kLargestColumnWidth = 998;
// Widths up to this are the window's default and are not written.
constexpr int32_t kLargestDefaultColumnWidth = 15;
constexpr int32_t kDefaultColumnMode = 3;

void ParseColumnSign(bool& flag, char sign)
{
    if (sign == '+')
        flag = true;
    else if (sign == '-')
        flag = false;
}

// Digits only, at most the largest width; -1 for anything else.
int32_t ParseColumnWidth(std::string_view digits)
{
    if (digits.empty() || digits.size() > 4)
        return -1;
    int32_t width = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        width = width * 10 + (c - '0');
    }
    return width <= kLargestColumnWidth ? width : -1;
}

void PutColumnItem(TextWriter& writer, char letter, char value)
{
    writer.PutSeparator();
    writer.PutChar(uint8_t(letter));
    writer.PutChar(uint8_t(value));
}

void ReadLegacyColumnDisplay(TextReader& reader, ComponentFunctionColumnDisplay& display)
{
    if (reader.NextFieldRaw()) {
        std::string_view codes(reader.Token(), size_t(reader.TokenLength()));
        if (!codes.empty())
            ParseDigitFtmCodeLetter(display.decimals, codes[0]);
        if (codes.size() > 1)
            ParseColorLetter(display.colour, codes[1]);
        for (size_t i = 2; i < codes.size(); ++i) {
            switch (codes[i]) {
            case 'B': display.bold = true; break;
            case 'b': display.bold = false; break;
            case 'S': display.cFlag = true; break;
            case 'D': display.cFlag = false; break;
            case 'V': display.visible = true; break;
            case 'v': display.visible = false; break;
            default: break;
            }
        }
    }
    if (reader.NextFieldRaw()) {
        int32_t width = ParseColumnWidth({reader.Token(), size_t(reader.TokenLength())});
        if (width >= 0)
            display.width = width;
    }
}

}  // namespace

void WriteComponentFunctionDisplayLine(TextWriter& writer, const char* key, const ComponentFunctionColumnDisplay& display)
{
    writer.PutText(key);
    char decimals = DigitFtmCodeLetter(display.decimals);
    PutColumnItem(writer, 'D', decimals != 0 ? decimals : '0');
    PutColumnItem(writer, 'C', ColorLetter(display.colour));
    if (display.width > kLargestDefaultColumnWidth) {
        writer.PutSeparator();
        writer.PutChar('W');
        writer.PutInt(display.width);
    }
    PutColumnItem(writer, 'c', display.cFlag ? 'S' : 'D');
    PutColumnItem(writer, 'V', display.visible ? '+' : '-');
    PutColumnItem(writer, 'B', display.bold ? '+' : '-');
    PutColumnItem(writer, 'R', display.rMode >= 0 && display.rMode <= 2 ? kColumnRLetters[display.rMode] : '-');
    writer.EndRow();
}

void ReadComponentFunctionDisplayLine(TextReader& reader, ComponentFunctionColumnDisplay& display, DisplayLineForm form)
{
    if (form == DisplayLineForm::Legacy) {
        ReadLegacyColumnDisplay(reader, display);
        return;
    }
    while (reader.NextFieldRaw()) {
        std::string_view item(reader.Token(), size_t(reader.TokenLength()));
        if (item.empty())
            continue;
        char value = item.size() > 1 ? item[1] : '\0';
        switch (item[0]) {
        case 'D': ParseDigitFtmCodeLetter(display.decimals, value); break;
        case 'C': ParseColorLetter(display.colour, value); break;
        case 'W': {
            int32_t width = ParseColumnWidth(item.substr(1));
            if (width >= 0)
                display.width = width;
            break;
        }
        case 'c':
            if (value == 'S' || value == 'D')
                display.cFlag = value == 'S';
            break;
        case 'V': ParseColumnSign(display.visible, value); break;
        case 'B': ParseColumnSign(display.bold, value); break;
        case 'R': ParseLetterOf(kColumnRLetters, display.rMode, value); break;
        default: break;
        }
    }
}

// --- Columns -----------------------------------------------------------------------------------------

ComponentFunctionColumnDefinition::ComponentFunctionColumnDefinition(ComponentFunctionColumnKind columnKind)
    : kind(columnKind)
{
}

ComponentFunctionColumnDefinition::~ComponentFunctionColumnDefinition() = default;

const char* ComponentFunctionColumnDefinition::Title() const
{
    return label.Length() > 0 ? label.CStr() : name.CStr();
}

void ComponentFunctionColumnDefinition::OnBaseChange(const ChangeRecord& record)
{
    if (const LinkRename* rename = record.GetLinkRename(); rename != nullptr)
        rename->ApplyToText(label.Field());
}

void ComponentFunctionColumnDefinition::WriteNameLine(TextWriter& writer, const char* key) const
{
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutFieldHeapText(name.Get());
    writer.PutSeparator();
    writer.PutLongText(label.Get());
    writer.EndRow();
}

int64_t ComponentFunctionColumnDefinition::CommonStoredSize() const
{
    return kColumnRecordSize + name.Length() + label.Length();
}

ComponentFunctionSelectionDefinition::ComponentFunctionSelectionDefinition(Base& base)
    : ComponentFunctionColumnDefinition(ComponentFunctionColumnKind::Selection), selection(base)
{
}

ComponentFunctionSelectionDefinition::~ComponentFunctionSelectionDefinition() = default;

void ComponentFunctionSelectionDefinition::SetValueField(int32_t field)
{
    if (field >= 0 && field < kMaxValueCount)
        valueField = field;
}

void ComponentFunctionSelectionDefinition::SetValueMode(int32_t mode)
{
    if (mode >= 0 && mode < kValueModeCount)
        valueMode = FoldModes13And14(mode);
}

void ComponentFunctionSelectionDefinition::Write(TextWriter& writer) const
{
    WriteNameLine(writer, "VN");
    selection.Write(writer, 'V');
    writer.WriteKeyCharLine("VF", uint8_t(LetterFromIndex(valueField)));
    if (valueMode != kDefaultColumnMode || accumulation != ColumnAccumulation::Tree) {
        writer.PutText("VM");
        writer.PutSeparator();
        writer.PutChar(uint8_t(ValueModeLetter(valueMode)));
        writer.PutChar(uint8_t(kColumnAccumulationLetters[accumulation == ColumnAccumulation::Running ? 1 : 0]));
        writer.EndRow();
    }
    WriteComponentFunctionDisplayLine(writer, "VZ", Display());
}

int64_t ComponentFunctionSelectionDefinition::StoredSize() const
{
    return CommonStoredSize() + selection.StoredSize() + kSelectionColumnExtraSize;
}

ComponentFunctionFormulaDefinition::ComponentFunctionFormulaDefinition()
    : ComponentFunctionColumnDefinition(ComponentFunctionColumnKind::Formula)
{
}

ComponentFunctionFormulaDefinition::~ComponentFunctionFormulaDefinition() = default;

void ComponentFunctionFormulaDefinition::Write(TextWriter& writer) const
{
    WriteNameLine(writer, "FN");
    writer.PutText("FF");
    writer.PutSeparator();
    writer.PutLongText(formula.Get());
    writer.EndRow();
    writer.WriteKeyCharLine("FS", uint8_t(kTreeFunctionLetters[int32_t(function) & 7]));
    WriteComponentFunctionDisplayLine(writer, "FZ", Display());
}

int64_t ComponentFunctionFormulaDefinition::StoredSize() const
{
    return CommonStoredSize() + formula.Length() + kFormulaColumnExtraSize;
}

}  // namespace vek
