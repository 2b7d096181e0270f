// ImportSetup and ImportSetupList: named import setups, their keyed lines and change notices.
#include "files/setups/ImportSetup.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "files/format/AmountText.h"
#include "files/format/BaseFileFormat.h"
#include "files/sections/BaseSectionWriter.h"
#include "files/setups/SetupFields.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/named/NamedObjects.h"

namespace vek {

namespace {

// The field keys of the card, in the order they are written, with their index.
struct CardFieldKey {
    const char* key;
    ImportSetupSettings::Field field;
};
constexpr CardFieldKey kCardFieldKeys[] = {
    {"LX", ImportSetupSettings::KeyText},      {"LC", ImportSetupSettings::CardCondition},
    {"LL", ImportSetupSettings::LineCondition}, {"LI", ImportSetupSettings::CardDate},
    {"LT", ImportSetupSettings::CardText},      {"LN", ImportSetupSettings::CardNotes},
    {"Lc", ImportSetupSettings::StampCreated},  {"Lm", ImportSetupSettings::StampChanged},
    {"Le", ImportSetupSettings::StampFurther1}, {"La", ImportSetupSettings::StampFurther2},
};

// The index of the letter in `letters`, or -1.
int32_t LetterIndex(const char* letters, char letter)
{
    if (letter == '\0')
        return -1;
    const char* found = std::strchr(letters, letter);
    return found != nullptr ? int32_t(found - letters) : -1;
}

// A dimension number 1-32 after a two-letter key ("ZF3"), as an index; -1 for none.
int32_t KeyDimension(std::string_view key, size_t at)
{
    std::string_view digits = key.substr(at);
    int32_t n = 0;
    if (digits.empty() || digits.size() > 2)
        return -1;
    auto [ptr, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (error != std::errc() || ptr != digits.data() + digits.size() || n < 1 || n > int32_t(kDimensionCount))
        return -1;
    return n - 1;
}

// The amount column of "LV" keys: "1"-"9" give 0-8 (old files), "A"-"X" 0-23; others 0.
int32_t AmountColumn(char letter)
{
    if (letter >= '1' && letter <= '9')
        return letter - '1';
    if (letter >= 'A' && letter <= 'Z' && letter - 'A' < kAmountColumnCount)
        return letter - 'A';
    return 0;
}

// The 16-bit character of "D", "S" and "T": 8-bit text of old files wrote negative values.
bool ReadCharCode(TextReader& reader, uint16_t& target)
{
    int32_t value = 0;
    if (!NextSetupFieldNumber(reader, value))
        return false;
    if (value < 0)
        value += 256;
    if (value < 1 || value > 65535)
        return false;
    target = uint16_t(value);
    return true;
}

// The encoding of an "A" line: the name, else the old letter after "A".
void ReadEncoding(TextReader& reader, std::string_view key, int32_t& encoding)
{
    int32_t byName = -1;
    if (reader.NextField())
        byName = EncodingFromName(SetupFieldToken(reader));
    if (byName >= 0) {
        encoding = byName;
        return;
    }
    char letter = key.size() >= 2 ? key[1] : '\0';
    switch (letter) {
    case '7': case 'E': encoding = kEncodingSystem; break;
    case 'M': encoding = kEncodingMacRoman; break;
    case 'P': encoding = kEncodingPc8; break;
    case 'W': encoding = kEncodingLatin1; break;
    default: break;
    }
}

void WriteKeyLetter(TextWriter& writer, const char* key, const char* letters, int32_t index)
{
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutRawChar(uint8_t(letters[index]));
    writer.EndRow();
}

// The dimensions in the base's dimension order, then those the order leaves out.
void DimensionsInOrder(const Base* base, int32_t (&order)[kDimensionCount])
{
    bool taken[kDimensionCount] = {};
    int32_t n = 0;
    if (base != nullptr) {
        for (int32_t position = 0; position < base->DimensionOrderCount(); ++position) {
            int32_t d = base->DimensionOrderAt(position);
            if (d >= 0 && d < int32_t(kDimensionCount) && !taken[d]) {
                taken[d] = true;
                order[n++] = d;
            }
        }
    }
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (!taken[d])
            order[n++] = d;
    }
}

void WriteLineFields(TextWriter& writer, const LineFields& record, const Base* base)
{
    int32_t order[kDimensionCount];
    DimensionsInOrder(base, order);
    char key[16];  // room for any int, so that no key is cut
    // Dimension lines carry the dimension's own number, so that they read back to it whatever the
    // order of the base.
    for (int32_t d : order) {
        std::snprintf(key, sizeof key, "L%d", d + 1);
        record.dimensions[size_t(d)].Write(writer, key);
    }
    record.lineText.Write(writer, "LZ");
    // Columns up to the base's count; beyond it only those a setup holds, so that none is lost.
    int32_t columns = base != nullptr ? base->ValueCount() : 1;
    int32_t factorColumns = columns;
    for (int32_t i = 0; i < kAmountColumnCount; ++i) {
        if (!record.amounts[size_t(i)].IsEmpty() && i + 1 > columns)
            columns = i + 1;
        if (record.factors[size_t(i)] != 1.0 && i + 1 > factorColumns)
            factorColumns = i + 1;
    }
    for (int32_t i = 0; i < columns; ++i) {
        char amountKey[4] = {'L', 'V', char('A' + i), '\0'};
        record.amounts[size_t(i)].Write(writer, amountKey);
    }
    bool anyFactor = false;
    for (int32_t i = 0; i < factorColumns; ++i)
        anyFactor = anyFactor || record.factors[size_t(i)] != 1.0;
    if (anyFactor) {
        writer.PutText("V");
        for (int32_t i = 0; i < factorColumns; ++i) {
            char text[kMaxAmountTextBytes];
            char* cursor = text;
            CursorPutExactAmount(cursor, record.factors[size_t(i)]);
            writer.PutSeparator();
            writer.PutTextBytes(text, int32_t(cursor - text));
        }
        writer.EndRow();
    }
    if (record.keepZeroLines)
        WriteSetupKey(writer, "ZK");
    if (record.lineTextCase != 0)
        WriteKeyLetter(writer, "ZC", kCaseLetters, record.lineTextCase);
    for (int32_t d : order) {
        if (record.zeroPad[size_t(d)] != 0) {
            std::snprintf(key, sizeof key, "ZF%d", d + 1);
            WriteSetupKeyNumber(writer, key, record.zeroPad[size_t(d)]);
        }
    }
    for (int32_t d : order) {
        if (record.notFound[size_t(d)] != NotFoundAction::Generated) {
            std::snprintf(key, sizeof key, "ZN%d", d + 1);
            WriteKeyLetter(writer, key, kNotFoundLetters, int32_t(record.notFound[size_t(d)]));
        }
    }
    for (int32_t d : order) {
        if (record.lookup[size_t(d)] != ComponentLookup::ByHost) {
            std::snprintf(key, sizeof key, "ZS%d", d + 1);
            WriteKeyLetter(writer, key, kLookupLetters, int32_t(record.lookup[size_t(d)]));
        }
    }
}

// One line of a line-field record; false when the key is not one of them or its value is passed over.
bool ReadLineFieldKey(TextReader& reader, std::string_view key, LineFields& record, bool oldForm)
{
    if (key == "V") {
        for (int32_t i = 0; i < kAmountColumnCount && reader.NextField(); ++i) {
            std::string_view text = SetupFieldToken(reader);
            double value = BytesToDouble(text);
            if (!text.empty() && std::isfinite(value))
                record.factors[size_t(i)] = value;
        }
        return true;
    }
    if (key.size() >= 2 && key[0] == 'L') {
        if (key == "LZ") {
            record.lineText.Read(reader, oldForm);
            return true;
        }
        if (key[1] == 'V' && key.size() == 3) {
            record.amounts[size_t(AmountColumn(key[2]))].Read(reader, oldForm);
            return true;
        }
        int32_t d = KeyDimension(key, 1);
        if (d < 0)
            return false;
        record.dimensions[size_t(d)].Read(reader, oldForm);
        return true;
    }
    if (key == "ZK") {
        record.keepZeroLines = true;
        return true;
    }
    char letter = '\0';
    if (key == "ZC") {
        int32_t index = reader.NextFieldChar(letter) ? LetterIndex(kCaseLetters, letter) : -1;
        if (index < 0)
            return false;
        record.lineTextCase = index;
        return true;
    }
    if (key.size() >= 3 && key[0] == 'Z') {
        int32_t d = KeyDimension(key, 2);
        if (d < 0)
            return false;
        if (key[1] == 'F') {
            int32_t width = 0;
            if (!NextSetupFieldNumber(reader, width) || width < 2 || width > 8)
                return false;
            record.zeroPad[size_t(d)] = uint8_t(width);
            return true;
        }
        int32_t index = reader.NextFieldChar(letter) ? -2 : -1;
        if (key[1] == 'N' && index == -2 && (index = LetterIndex(kNotFoundLetters, letter)) >= 0) {
            record.notFound[size_t(d)] = NotFoundAction(index);
            return true;
        }
        if (key[1] == 'S' && index == -2 && (index = LetterIndex(kLookupLetters, letter)) >= 0) {
            record.lookup[size_t(d)] = ComponentLookup(index);
            return true;
        }
    }
    return false;
}

// One line of the setup's own keys. Unhandled: false.
bool ReadSetupKey(TextReader& reader, std::string_view key, ImportSetupSettings& settings, bool oldForm,
                  bool& hostMark)
{
    char first = key[0];
    char second = key.size() >= 2 ? key[1] : '\0';
    int32_t value = 0;
    switch (first) {
    case 'A':
        ReadEncoding(reader, key, settings.encoding);
        return true;
    case 'C':
        if (key == "CB" || key == "CC") {
            settings.countBytes = key == "CB";
            return true;
        }
        if (key == "CF" || key == "CT" || key == "CS") {
            NextSetupFieldText(reader, key == "CF" ? settings.translateFrom
                                            : key == "CT" ? settings.translateTo : settings.skipChars);
            return true;
        }
        if (key == "CR" || key == "CN") {
            char letter = '\0';
            int32_t index = reader.NextFieldChar(letter) ? LetterIndex(kCaseLetters, letter) : -1;
            if (index < 0)
                return false;
            (key == "CR" ? settings.cardTextCase : settings.cardNoteCase) = index;
            return true;
        }
        return false;
    case 'D':
        return key == "D" && ReadCharCode(reader, settings.decimalChar);
    case 'S':
        return key == "S" && ReadCharCode(reader, settings.separator);
    case 'T':
        return key == "T" && ReadCharCode(reader, settings.terminator);
    case 'F':
        if (second == 'V' || second == 'X') {
            settings.fixedPositions = second == 'X';
            return true;
        }
        return false;
    case 'H':
        hostMark = true;
        return true;
    case 'L':
        for (const CardFieldKey& field : kCardFieldKeys) {
            if (key == field.key) {
                settings.fields[size_t(field.field)].Read(reader, oldForm);
                return true;
            }
        }
        if (key == "Lt") {
            // Old files: the parts of the card text after the first, joined to it by a blank.
            FieldDefinition rest;
            rest.Read(reader, oldForm);
            FieldDefinition& text = settings.fields[ImportSetupSettings::CardText];
            if (text.parts.empty())
                text.parts.emplace_back();
            text.parts.resize(1);
            text.parts[0].suffix += ' ';
            text.parts.insert(text.parts.end(), rest.parts.begin(), rest.parts.end());
            return true;
        }
        return false;
    case 'M': {
        std::string format;
        NextSetupFieldText(reader, format);
        for (int32_t i = int32_t(kImportDateFormats.size()) - 1; i >= 0; --i) {
            if (format.starts_with(kImportDateFormats[size_t(i)])) {
                settings.dateFormat = i;
                return true;
            }
        }
        return false;
    }
    case 'P':
        if (key == "PI" || key == "PX") {
            settings.dropControlChars = key == "PX";
            return true;
        }
        if (key == "PS") {
            NextSetupFieldText(reader, settings.dropChars);
            return true;
        }
        return false;
    case 'R':
        if (key == "RC" || key == "RL") {
            if (!NextSetupFieldNumber(reader, value) || value < 1 || value > 99)
                return false;
            (key == "RC" ? settings.recordsPerCard : settings.recordsPerLine) = value;
            return true;
        }
        if (key == "RX") {
            if (!NextSetupFieldNumber(reader, value) || value < 0 || value > 999)
                return false;
            settings.skipRecords = value;
            return true;
        }
        return false;
    default:
        return false;
    }
}

}  // namespace

void WriteImportSetupLines(TextWriter& writer, const ImportSetupSettings& settings, const Base* base)
{
    if (settings.fixedPositions)
        WriteSetupKey(writer, "FX");
    writer.PutText("A");
    writer.PutSeparator();
    const char* encodingName = EncodingShortName(settings.encoding);
    writer.PutText(encodingName != nullptr ? encodingName : "UTF-8");
    writer.EndRow();
    WriteSetupKey(writer, settings.countBytes ? "CB" : "CC");
    WriteSetupKey(writer, settings.dropControlChars ? "PX" : "PI");
    WriteSetupKeyText(writer, "PS", settings.dropChars);
    if (settings.terminator != 13)
        WriteSetupKeyNumber(writer, "T", settings.terminator);
    if (settings.separator != 9)
        WriteSetupKeyNumber(writer, "S", settings.separator);
    if (settings.decimalChar != '.')
        WriteSetupKeyNumber(writer, "D", settings.decimalChar);
    if (settings.recordsPerCard > 1)
        WriteSetupKeyNumber(writer, "RC", settings.recordsPerCard);
    if (settings.recordsPerLine > 1)
        WriteSetupKeyNumber(writer, "RL", settings.recordsPerLine);
    if (settings.skipRecords != 0)
        WriteSetupKeyNumber(writer, "RX", settings.skipRecords);
    WriteSetupKeyText(writer, "CF", settings.translateFrom);
    WriteSetupKeyText(writer, "CT", settings.translateTo);
    WriteSetupKeyText(writer, "CS", settings.skipChars);
    if (settings.cardTextCase != 0)
        WriteKeyLetter(writer, "CR", kCaseLetters, settings.cardTextCase);
    if (settings.cardNoteCase != 0)
        WriteKeyLetter(writer, "CN", kCaseLetters, settings.cardNoteCase);
    if (settings.dateFormat != 0) {
        writer.PutText("M");
        writer.PutSeparator();
        writer.PutText(kImportDateFormats[size_t(settings.dateFormat)]);
        writer.EndRow();
    }
    for (const CardFieldKey& field : kCardFieldKeys)
        settings.fields[size_t(field.field)].Write(writer, field.key);
    bool first = true;
    for (const LineFields& record : settings.lineFields) {
        if (!first)
            WriteSetupKey(writer, "-");
        first = false;
        WriteLineFields(writer, record, base);
    }
}

void ReadImportSetupLines(TextReader& reader, ImportSetupSettings& settings, const SetupReadContext& context)
{
    settings.Reset();
    if (context.oldDropControl)
        settings.dropControlChars = false;
    settings.lineFields.emplace_back();
    bool hostMark = false;
    while (!IsErrorPending() && reader.ReadLine()) {
        if (!reader.NextField())
            continue;
        std::string_view key = SetupFieldToken(reader);
        if (key.empty())
            continue;
        if (IsSectionMarker(key.data(), int32_t(key.size()))) {
            reader.RestartLine();
            bool lineFields = reader.NextField() &&
                              StartsWithAsciiNoCase(SetupFieldToken(reader), kLineFieldsMarker);
            if (!lineFields) {
                reader.RestartLine();
                break;
            }
            settings.lineFields.emplace_back();
            continue;
        }
        std::string keyText(key);
        bool taken = false;
        if (keyText == "-") {
            settings.lineFields.emplace_back();
            taken = true;
        } else {
            taken = ReadSetupKey(reader, keyText, settings, context.oldFieldForm, hostMark) ||
                    ReadLineFieldKey(reader, keyText, settings.lineFields.back(), context.oldFieldForm);
        }
        if (!taken && context.passedOver)
            context.passedOver({reader.LineStart(), size_t(reader.LineLength())});
    }
    for (FieldDefinition& definition : settings.fields)
        definition.Normalise();
    std::vector<LineFields> kept;
    for (LineFields& record : settings.lineFields) {
        for (FieldDefinition& definition : record.dimensions)
            definition.Normalise();
        for (FieldDefinition& definition : record.amounts)
            definition.Normalise();
        record.lineText.Normalise();
        if (!record.IsEmpty())
            kept.push_back(std::move(record));
    }
    settings.lineFields = std::move(kept);
    if (hostMark) {
        for (LineFields& record : settings.lineFields)
            record.notFound.fill(NotFoundAction::HostAsCode);
    }
}

// --- ImportSetup ------------------------------------------------------------------------------------

ImportSetup::ImportSetup(ImportSetupList& owner, const char* text) : list(owner)
{
    SetName(text);
    if (name == nullptr)
        SetName(LoadText(text::kImportSetupName));
    list.Add(this);
    Post(kChangeImportSetupAdded);
}

ImportSetup::~ImportSetup()
{
    list.Remove(this);
    Post(kChangeImportSetupDeleted);
    SetHeapText(name, nullptr);
}

void ImportSetup::SetName(const char* text)
{
    String clean;
    CleanObjectName(clean, text);
    SetHeapTextFromBytes(name, clean.CStr(), clean.Length());
}

void ImportSetup::Rename(const char* newName)
{
    String clean;
    CleanObjectName(clean, newName);
    if (clean.IsEmpty() || CStrEqual(name != nullptr ? name : "", clean.CStr()))
        return;
    list.Remove(this);
    SetHeapTextFromBytes(name, clean.CStr(), clean.Length());
    list.Add(this);
    Post(kChangeImportSetupRenamed);
}

void ImportSetup::Post(int32_t code)
{
    Base* base = list.GetBase();
    if (base == nullptr || list.releasing)
        return;
    base->HandleChange(ChangeRecord(code, base, ImportSetupPayload{this}));
}

void ImportSetup::Read(TextReader& reader, const SetupReadContext& context)
{
    ReadImportSetupLines(reader, settings, context);
    Post(kChangeImportSetupRead);
}

void ImportSetup::Write(TextWriter& writer) const
{
    PutSectionMarker(writer, BaseFileSection::ImportSetup);
    writer.PutSeparator();
    writer.PutHeapText(name);
    writer.EndRow();
    WriteImportSetupLines(writer, settings, list.GetBase());
    writer.EndRow();
}

// --- ImportSetupList ---------------------------------------------------------------------------------

ImportSetupList::ImportSetupList(Base* owner) : NamedList(owner) {}

ImportSetupList::~ImportSetupList()
{
    Release();
}

void ImportSetupList::Add(ImportSetup* setup)
{
    InsertInNamedChain(first, setup);
    ++count;
}

void ImportSetupList::Remove(ImportSetup* setup)
{
    if (RemoveFromNamedChain(first, setup))
        --count;
}

ImportSetup* ImportSetupList::ReadSection(TextReader& reader, const SetupReadContext& context)
{
    ImportSetup* setup = SectionObject(reader, text::kImportSetupName);
    setup->Read(reader, context);
    return setup;
}

void ImportSetupList::WriteSections(TextWriter& writer) const
{
    WriteEachSection(writer, EmptyListSections::Nothing);
}

}  // namespace vek
