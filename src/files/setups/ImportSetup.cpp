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

// One line of the setup's own keys (the reader settings' keys are SetupFields'). Unhandled: false.
bool ReadSetupKey(TextReader& reader, std::string_view key, ImportSetupSettings& settings, bool oldForm,
                  bool& hostMark)
{
    int32_t value = 0;
    switch (key[0]) {
    case 'C':
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
        return key == "D" && ReadSetupCharCode(reader, settings.decimalChar, kImportSetupKeyForm);
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
    case 'R':
        if (key == "RC" || key == "RL") {
            if (!NextSetupFieldNumber(reader, value) || value < 1 || value > 99)
                return false;
            (key == "RC" ? settings.recordsPerCard : settings.recordsPerLine) = value;
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
    WriteImportReaderHead(writer, settings, kImportSetupKeyForm);
    if (settings.decimalChar != '.')
        WriteSetupKeyNumber(writer, "D", settings.decimalChar);
    if (settings.recordsPerCard > 1)
        WriteSetupKeyNumber(writer, "RC", settings.recordsPerCard);
    if (settings.recordsPerLine > 1)
        WriteSetupKeyNumber(writer, "RL", settings.recordsPerLine);
    if (settings.skipRecords != 0)
        WriteSetupKeyNumber(writer, "RX", settings.skipRecords);
    WriteImportReaderTranslation(writer, settings);
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
    auto readKey = [&](std::string_view key) {
        if (key == "-") {
            settings.lineFields.emplace_back();
            return true;
        }
        return ReadImportReaderKey(reader, key, settings, kImportSetupKeyForm) ||
               ReadSetupKey(reader, key, settings, context.oldFieldForm, hostMark) ||
               ReadLineFieldKey(reader, key, settings.lineFields.back(), context.oldFieldForm);
    };
    // A line-fields marker starts the next record of this setup.
    auto continuesAt = [&] {
        if (!reader.NextField() || !StartsWithAsciiNoCase(SetupFieldToken(reader), kLineFieldsMarker))
            return false;
        settings.lineFields.emplace_back();
        return true;
    };
    ReadSetupSectionLines(reader, context, readKey, continuesAt);
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
