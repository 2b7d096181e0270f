// TextImport: the import of cards and lines from a text file through an import setup, and its dates.
#include "files/textimport/TextImport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "files/format/BaseFileRecord.h"
#include "files/setups/ImportSetup.h"
#include "files/textimport/TextImportReader.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/OutOfMemory.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/services/Clock.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/base/BaseCheckpoint.h"
#include "model/dimensions/Dimension.h"
#include "model/expressions/Formula.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

// The year of a date text's digits: two digits by the fixed reading, three from 1900, four as they
// stand from 1900 on; -1 otherwise.
int32_t ImportYear(int64_t value, int32_t digits)
{
    if (digits <= 2)
        return value <= 27 ? int32_t(2000 + value) : int32_t(1900 + value);
    if (digits == 3)
        return int32_t(1900 + value);
    if (digits == 4 && value >= kFirstPackedYear && value <= kLastPackedYear)
        return int32_t(value);
    return -1;
}

bool MakeCalendarDate(int32_t year, int32_t month, int32_t day, PackedDate& date)
{
    if (year < kFirstPackedYear || year > kLastPackedYear || month < 1 || month > 12 || day < 1)
        return false;
    if (day > DaysInMonthOfPackedDate(MakePackedDate(year, month, 1)))
        return false;
    date = MakePackedDate(year, month, day);
    return true;
}

std::string DigitsOf(std::string_view text)
{
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    return digits;
}

int32_t DigitValue(std::string_view digits)
{
    int32_t value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// Whether the text is a time of day: "10:30", "10:30:00", "10:30:00.5" or "1030", "103000", then
// optionally a zone "Z" or "+01:00", blanks around.
bool IsTimeOfDay(std::string_view text)
{
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ')
            ++i;
    };
    auto digitRun = [&](std::string_view& run) {
        size_t from = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        run = text.substr(from, i - from);
        return !run.empty();
    };
    skipBlanks();
    std::string_view run;
    if (!digitRun(run))
        return false;
    int32_t units[3] = {};
    int32_t count = 0;
    if (run.size() == 4 || run.size() == 6) {
        for (size_t at = 0; at < run.size(); at += 2)
            units[count++] = DigitValue(run.substr(at, 2));
    } else if (run.size() <= 2) {
        units[count++] = DigitValue(run);
        while (count < 3 && i < text.size() && text[i] == ':') {
            ++i;
            if (!digitRun(run) || run.size() != 2)
                return false;
            units[count++] = DigitValue(run);
        }
        if (count < 2)
            return false;
    } else {
        return false;
    }
    if (units[0] > 23 || units[1] > 59 || units[2] > 60)
        return false;
    if (count == 3 && i < text.size() && (text[i] == '.' || text[i] == ',')) {
        ++i;
        if (!digitRun(run))
            return false;
    }
    if (i < text.size() && (text[i] == 'Z' || text[i] == 'z')) {
        ++i;
    } else if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
        if (!digitRun(run) || (run.size() != 2 && run.size() != 4))
            return false;
        if (run.size() == 2 && i < text.size() && text[i] == ':') {
            ++i;
            if (!digitRun(run) || run.size() != 2)
                return false;
        }
    }
    skipBlanks();
    return i == text.size();
}

// The date before a time of day ("05.01.2024 10:30", "2024-01-05T10:30:00Z"), or false when the
// text ends in no time.
bool DateBeforeTime(std::string_view text, std::string_view& datePart)
{
    for (size_t at = 1; at < text.size(); ++at) {
        char c = text[at];
        bool blank = c == ' ';
        bool dateTimeMark = (c == 'T' || c == 't') && text[at - 1] >= '0' && text[at - 1] <= '9';
        if (!blank && !dateTimeMark)
            continue;
        if (!IsTimeOfDay(text.substr(at + 1)))
            continue;
        std::string_view before = text.substr(0, at);
        size_t last = before.find_last_not_of(' ');
        if (last == std::string_view::npos)
            return false;
        datePart = before.substr(0, last + 1);
        return true;
    }
    return false;
}

bool ParseDateOnly(std::string_view text, int32_t format, PackedDate& date)
{
    if (format >= 1 && format <= 3)
        return ParseSixDigitDate(text, format, date);
    if (format >= 4 && format <= 7)
        return ParseSeparatedDate(text, format, date);
    std::string digits = DigitsOf(text);
    if (digits.size() == 6 || digits.size() == 8) {
        std::string_view all = digits;
        int32_t yearDigits = int32_t(digits.size()) - 4;
        int32_t year = ImportYear(DigitValue(all.substr(0, size_t(yearDigits))), yearDigits);
        return MakeCalendarDate(year, DigitValue(all.substr(size_t(yearDigits), 2)),
                                DigitValue(all.substr(size_t(yearDigits) + 2, 2)), date);
    }
    if (digits.empty() || digits.size() > 8)
        return false;
    date = ParsePackedDate(text.data(), int32_t(text.size()), -1);
    return date != 0;
}

// Whether the formula compiler took the whole expression: its canonical text is the expression
// with at most closing brackets appended (and names in their table spelling). A compiler that cut
// text it could not read would give the value of another formula.
bool FormulaKeepsText(std::string_view expression, std::string_view canonical)
{
    size_t last = expression.find_last_not_of(' ');
    expression = last == std::string_view::npos ? std::string_view() : expression.substr(0, last + 1);
    return canonical.size() >= expression.size() &&
           CStrEqualNoCase(canonical.substr(0, expression.size()), expression) != 0;
}

// What one line-field record gives when a record leaves its fields empty.
struct PreparedLineFields {
    std::array<uint32_t, kDimensionCount> defaultComponent{};
    // A constant code that names no component: made by the field's not-found action when a line
    // first needs it, so that it is reported once and no line silently loses its component.
    std::array<bool, kDimensionCount> constantMissing{};
    std::array<double, kAmountColumnCount> defaultAmount{};
    std::array<bool, kAmountColumnCount> expression{};
};

class TextImporter {
public:
    TextImporter(Base& base, const ImportSetup& setup, const FilePath& path)
        : base(base), settings(setup.Settings()), reader(setup.Settings()), path(path)
    {
    }

    bool Run();

private:
    void Prepare();
    bool NextRecord() { return !IsErrorPending() && reader.NextRecord(); }
    bool Matches(ImportSetupSettings::Field field) const { return reader.MatchesConstants(settings.fields[field]); }
    bool CardDate(PackedDate& date);
    // The card of the current card record; false when the import ends (`more` says whether the
    // current record starts the next card).
    bool ImportCard(bool& more);
    bool ImportLine(Card* card);
    bool ReadAmount(int32_t column, const LineFields& record, const PreparedLineFields& prepared, double& value);
    uint32_t Component(int32_t d, const LineFields& record, PreparedLineFields& prepared);
    uint32_t DefaultComponent(int32_t d, const LineFields& record, PreparedLineFields& prepared);
    // The value of an expression column; false with the error pending when it gives none.
    bool EvaluateExpression(double& amount);
    void ReportPassedOverLines();
    void Report(int32_t code, const std::string& text, const char* extra);
    // Reports the amount text read last, with the card's key.
    void ReportAmount(int32_t code);

    Base& base;
    const ImportSetupSettings& settings;
    TextImportReader reader;
    const FilePath& path;
    std::vector<PreparedLineFields> prepared;
    PackedDate defaultDate = 0;
    int32_t columns = 1;
    CardKey cardKey;
    std::string cardKeyText;
    std::string text;
    std::string value;
    std::vector<uint32_t> components;
    std::vector<double> amounts;
    int64_t lines = 0;
    bool cardSeen = false;
    // Line records passed over because a record the setup does not take ended their card.
    int64_t passedOverLines = 0;
    int64_t firstPassedOverLine = 0;
};

void TextImporter::Report(int32_t code, const std::string& shown, const char* extra)
{
    if (IsErrorPending())
        return;
    SetErrorCode(code);
    Message& message = GetPendingError().message;
    message.AddFileName(path.CStr());
    std::string line = std::to_string(reader.RecordCount());
    message.AddText(line.c_str());
    message.AddTextBytes(shown.data(), int32_t(shown.size()));
    message.AddText(extra);
}

void TextImporter::Prepare()
{
    // Value columns for every amount the setup reads.
    for (const LineFields& record : settings.lineFields) {
        for (int32_t i = 0; i < kAmountColumnCount; ++i) {
            if (!record.amounts[size_t(i)].IsEmpty() && i + 1 > columns)
                columns = i + 1;
        }
    }
    if (columns > base.ValueCount())
        base.SetValueCount(columns);
    columns = base.ValueCount();
    for (const LineFields& record : settings.lineFields) {
        PreparedLineFields ready;
        for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
            const FieldDefinition& definition = record.dimensions[size_t(d)];
            ready.defaultComponent[size_t(d)] = uint32_t(d);
            if (!definition.IsEmpty() && !definition.parts.front().text.empty()) {
                const std::string& constant = definition.parts.front().text;
                ready.defaultComponent[size_t(d)] = base.LookupComponent(d, constant.data(), int32_t(constant.size()));
                ready.constantMissing[size_t(d)] = ready.defaultComponent[size_t(d)] == uint32_t(d) &&
                                                   constant.find_first_not_of(' ') != std::string::npos;
            }
        }
        for (int32_t i = 0; i < kAmountColumnCount; ++i) {
            const FieldDefinition& definition = record.amounts[size_t(i)];
            if (definition.IsEmpty())
                continue;
            double constant = ParseAmount(definition.parts.front().text, settings.decimalChar);
            ready.defaultAmount[size_t(i)] = std::isfinite(constant) ? constant : 0.0;
            for (const FieldSpec& part : definition.parts)
                ready.expression[size_t(i)] = ready.expression[size_t(i)] || EndsWithOperator(part.suffix);
        }
        prepared.push_back(ready);
    }
    defaultDate = TodayPackedDate();
    const FieldDefinition& dateField = settings.fields[ImportSetupSettings::CardDate];
    if (!dateField.IsEmpty() && !dateField.parts.front().text.empty()) {
        const std::string& constant = dateField.parts.front().text;
        if (PackedDate date = ParsePackedDate(constant.data(), int32_t(constant.size()), -1))
            defaultDate = date;
    }
    components.assign(kDimensionCount, 0);
    amounts.assign(size_t(kAmountColumnCount), 0.0);
}

bool TextImporter::CardDate(PackedDate& date)
{
    date = defaultDate;
    reader.GetTextWithSuffixes(text, settings.fields[ImportSetupSettings::CardDate]);
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return true;
    if (ParseImportDate(text, settings.dateFormat, date))
        return true;
    Report(message::kImportDateInvalid, text, kImportDateFormats[size_t(settings.dateFormat)]);
    return false;
}

bool TextImporter::ReadAmount(int32_t column, const LineFields& record, const PreparedLineFields& ready, double& amount)
{
    const FieldDefinition& definition = record.amounts[size_t(column)];
    amount = 0.0;
    if (definition.IsEmpty())
        return true;
    reader.GetText(text, definition);
    if (text.empty()) {
        amount = ready.defaultAmount[size_t(column)];
        return true;
    }
    bool expression = ready.expression[size_t(column)];
    if (expression) {
        if (!reader.GetAmountExpression(text, definition, settings.decimalChar)) {
            ReportAmount(message::kImportAmountNotNumber);
            return false;
        }
        if (!EvaluateExpression(amount))
            return false;
        amount *= record.factors[size_t(column)];
    } else {
        amount = ParseAmount(text, settings.decimalChar) * record.factors[size_t(column)];
    }
    if (std::isfinite(amount))
        return true;
    ReportAmount(expression ? message::kImportExpressionInvalid : message::kImportAmountNotNumber);
    return false;
}

void TextImporter::ReportAmount(int32_t code)
{
    String key;
    FormatCardKey(key, cardKey, base.CardNumberDigits());
    Report(code, text, key.CStr());
}

bool TextImporter::EvaluateExpression(double& amount)
{
    String formulaText;
    formulaText.AssignBytes(text.data(), int32_t(text.size()));
    Formula formula;
    amount = formula.Compile(formulaText, 0, nullptr) == 0 ? formula.Evaluate() : NAN;
    if (!std::isfinite(amount) || FormulaKeepsText(text, formulaText.View()))
        return true;  // no number at all is the caller's to report
    ReportAmount(message::kImportExpressionIncomplete);
    return false;
}

uint32_t TextImporter::DefaultComponent(int32_t d, const LineFields& record, PreparedLineFields& ready)
{
    if (ready.constantMissing[size_t(d)]) {
        ready.constantMissing[size_t(d)] = false;
        std::string constant = record.dimensions[size_t(d)].parts.front().text;
        size_t first = constant.find_first_not_of(' ');
        constant = constant.substr(first, constant.find_last_not_of(' ') + 1 - first);
        ready.defaultComponent[size_t(d)] = base.CreateImportedComponent(
            d, constant.c_str(), int32_t(record.lookup[size_t(d)]), int32_t(record.notFound[size_t(d)]));
        if (d > base.DimsInUse())
            base.UpdateDimensionsInUse();
    }
    return ready.defaultComponent[size_t(d)];
}

uint32_t TextImporter::Component(int32_t d, const LineFields& record, PreparedLineFields& ready)
{
    const FieldDefinition& definition = record.dimensions[size_t(d)];
    if (definition.IsEmpty())
        return ready.defaultComponent[size_t(d)];
    reader.GetTextWithSuffixes(value, definition);
    size_t first = value.find_first_not_of(' ');
    if (first == std::string::npos)
        return DefaultComponent(d, record, ready);
    value.erase(value.find_last_not_of(' ') + 1);
    value.erase(0, first);
    if (record.zeroPad[size_t(d)] != 0)
        PadWithZeros(value, record.zeroPad[size_t(d)]);
    const Dimension& dimension = base.GetDimension(d);
    const vek::Component* found = nullptr;
    ComponentLookup lookup = record.lookup[size_t(d)];
    switch (lookup) {
    case ComponentLookup::ByCode: found = dimension.FindByCode(value.c_str()); break;
    case ComponentLookup::ByText: found = base.FindByTextPrefix(d, value.c_str()); break;
    case ComponentLookup::ByHost: found = dimension.FindByHost(value.c_str()); break;
    }
    if (found != nullptr)
        return found->number;
    uint32_t made = base.CreateImportedComponent(d, value.c_str(), int32_t(lookup), int32_t(record.notFound[size_t(d)]));
    if (d > base.DimsInUse())
        base.UpdateDimensionsInUse();
    return made;
}

bool TextImporter::ImportLine(Card* card)
{
    if (settings.recordsPerLine > 1 && !reader.JoinRecords(settings.recordsPerLine))
        return false;
    for (size_t r = 0; r < settings.lineFields.size(); ++r) {
        const LineFields& record = settings.lineFields[r];
        PreparedLineFields& ready = prepared[r];
        bool allZero = true;
        for (int32_t i = 0; i < columns; ++i) {
            if (!ReadAmount(i, record, ready, amounts[size_t(i)]))
                return false;
            allZero = allZero && amounts[size_t(i)] == 0.0;
        }
        if (allZero && !record.keepZeroLines)
            continue;
        for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
            components[size_t(d)] = Component(d, record, ready);
        if (IsErrorPending())
            return false;
        CardGroup* group = base.FindOrAddGroup(card, int32_t(components[0]));
        CardLine* line = group != nullptr ? base.CreateLine(group) : nullptr;
        if (line == nullptr) {
            if (!IsErrorPending())
                SetOutOfMemoryError();
            return false;
        }
        for (int32_t d = 1; d <= base.DimsInUse(); ++d)
            base.SetLineComponent(line, d - 1, components[size_t(d)]);
        for (int32_t i = 0; i < columns; ++i)
            base.SetLineValue(line, i, amounts[size_t(i)]);
        if (!record.lineText.IsEmpty()) {
            reader.GetJoinedText(text, record.lineText, record.lineTextCase);
            if (!text.empty())
                line->SetText(text.c_str());
        }
        ++lines;
    }
    return true;
}

bool TextImporter::ImportCard(bool& more)
{
    more = false;
    cardSeen = true;
    int64_t cardLine = reader.RecordCount();
    if (settings.recordsPerCard > 1 && !reader.JoinRecords(settings.recordsPerCard))
        return false;
    PackedDate date = 0;
    if (!CardDate(date))
        return false;
    cardKey = CardKey{date, 1};
    Card* card = base.CreateCard(cardKey);
    if (card == nullptr) {
        if (!IsErrorPending())
            SetOutOfMemoryError();
        return false;
    }
    if (BaseFileRecord::Of(base).lineHistory)
        base.CardSources().Record(card->index, int32_t(std::min<int64_t>(cardLine, INT32_MAX)));
    reader.GetJoinedText(text, settings.fields[ImportSetupSettings::CardText], settings.cardTextCase);
    if (!text.empty())
        SetHeapTextFromBytes(card->title, text.data(), int32_t(text.size()));
    reader.GetJoinedText(text, settings.fields[ImportSetupSettings::CardNotes], settings.cardNoteCase);
    if (!text.empty())
        SetHeapTextFromBytes(card->notes, text.data(), int32_t(text.size()));
    reader.GetStamp(card->stamps[kStampCreated], settings.fields[ImportSetupSettings::StampCreated]);
    card->stamps[kStampNotes] = card->stamps[kStampCreated];
    reader.GetStamp(card->stamps[kStampModified], settings.fields[ImportSetupSettings::StampChanged]);
    reader.GetStamp(card->stamps[kStampSignatureE], settings.fields[ImportSetupSettings::StampFurther1]);
    reader.GetStamp(card->stamps[kStampSignatureP], settings.fields[ImportSetupSettings::StampFurther2]);

    // The card's first line record: this record or one after it, unless a card record comes first.
    bool first = true;
    while (!Matches(ImportSetupSettings::LineCondition)) {
        if (!first && Matches(ImportSetupSettings::CardCondition)) {
            base.DeleteCard(card);
            more = true;
            return true;
        }
        first = false;
        if (!NextRecord()) {
            base.DeleteCard(card);
            return !IsErrorPending();
        }
    }
    reader.GetText(cardKeyText, settings.fields[ImportSetupSettings::KeyText]);
    for (;;) {
        if (!ImportLine(card))
            return false;
        if (IsErrorPending() || !NextRecord())
            break;
        if (!Matches(ImportSetupSettings::LineCondition)) {
            more = true;
            break;
        }
        reader.GetText(value, settings.fields[ImportSetupSettings::KeyText]);
        if (!value.empty() && value != cardKeyText) {
            more = true;
            break;
        }
    }
    base.DropEmptyGroups(card);
    return !IsErrorPending();
}

void TextImporter::ReportPassedOverLines()
{
    if (passedOverLines == 0 || IsErrorPending())
        return;
    Message message;
    message.code = message::kImportLinesPassedOver;
    message.AddFileName(path.CStr());
    std::string line = std::to_string(firstPassedOverLine);
    message.AddText(line.c_str());
    std::string count = std::to_string(passedOverLines);
    message.AddText(count.c_str());
    base.ShowErrorAlert(message);
}

bool TextImporter::Run()
{
    if (!reader.Open(path.CStr()))
        return false;
    Prepare();
    int64_t start = CurrentTimeMs();
    // With a line history each card remembers the file and the line it was read from.
    int32_t previousSource = 0;
    bool sources = BaseFileRecord::Of(base).lineHistory;
    if (sources)
        base.CardSources().BeginSource(previousSource, path);
    base.BeginBusy();
    bool more = NextRecord();
    for (int32_t i = 0; more && i < settings.skipRecords; ++i)
        more = NextRecord();
    while (more && !IsErrorPending()) {
        if (!Matches(ImportSetupSettings::CardCondition)) {
            if (cardSeen && Matches(ImportSetupSettings::LineCondition)) {
                if (passedOverLines++ == 0)
                    firstPassedOverLine = reader.RecordCount();
            }
            more = NextRecord();
            continue;
        }
        if (!ImportCard(more))
            break;
    }
    base.EndBusy();
    if (sources)
        base.CardSources().EndSource(previousSource);
    reader.Close();
    ReportPassedOverLines();
    base.UpdateDimensionsInUse();
    base.LogLoadTime("lines", lines, start);
    base.NotifyChangedDimensions();
    base.FlushCardChanges();
    return !IsErrorPending();
}

}  // namespace

bool ParseSixDigitDate(std::string_view text, int32_t format, PackedDate& date)
{
    std::string digits = DigitsOf(text);
    if ((digits.size() != 6 && digits.size() != 8) || format < 1 || format > 3)
        return false;
    int32_t yearDigits = int32_t(digits.size()) - 4;
    // Where the year, the month and the day stand in each order.
    size_t yearAt = format == 1 ? 0 : 4;
    size_t monthAt = format == 1 ? size_t(yearDigits) + 2 : format == 2 ? 0 : 2;
    size_t dayAt = format == 1 ? size_t(yearDigits) : format == 2 ? 2 : 0;
    std::string_view all = digits;
    int32_t year = ImportYear(DigitValue(all.substr(yearAt, size_t(yearDigits))), yearDigits);
    return MakeCalendarDate(year, DigitValue(all.substr(monthAt, 2)), DigitValue(all.substr(dayAt, 2)), date);
}

bool ParseSeparatedDate(std::string_view text, int32_t format, PackedDate& date)
{
    if (format < 4 || format > 7)
        return false;
    int64_t values[3] = {};
    int32_t digits[3] = {};
    int32_t runs = 0;
    bool inRun = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (!inRun) {
                if (runs == 3)
                    return false;  // a fourth number: no date of three
                ++runs;
                inRun = true;
            }
            if (++digits[runs - 1] > 4)
                return false;
            values[runs - 1] = values[runs - 1] * 10 + (c - '0');
        } else {
            inRun = false;
        }
    }
    if (runs != 3)
        return false;
    // Positions of year, month and day: "Y/M/D", "Y/D/M", "M/D/Y", "D/M/Y".
    static constexpr int32_t kOrder[4][3] = {{0, 1, 2}, {0, 2, 1}, {2, 0, 1}, {2, 1, 0}};
    const int32_t* order = kOrder[format - 4];
    int32_t year = ImportYear(values[order[0]], digits[order[0]]);
    return MakeCalendarDate(year, int32_t(values[order[1]]), int32_t(values[order[2]]), date);
}

bool ParseImportDate(std::string_view text, int32_t format, PackedDate& date)
{
    // The whole text first: blanks may separate the numbers of a date ("5 1 2024").
    if (ParseDateOnly(text, format, date))
        return true;
    std::string_view datePart;
    return DateBeforeTime(text, datePart) && ParseDateOnly(datePart, format, date);
}

bool ImportTextFile(Base& base, const FilePath& path, const ImportSetup& setup)
{
    TextImporter importer(base, setup, path);
    return importer.Run();
}

bool ImportTextFileWithUndo(Base& base, const FilePath& path, const ImportSetup& setup)
{
    // The record must exist before the checkpoint, so that the checkpoint marks its setups.
    BaseFileRecord::Of(base);
    bool modified = base.IsModified();
    BaseCheckpoint checkpoint;
    base.TakeCheckpoint(checkpoint);
    if (!checkpoint.IsValid())
        return false;
    if (CatchOutOfMemory(false, [&] { return ImportTextFile(base, path, setup); })) {
        base.SetModified(true);
        return true;
    }
    // The reason the import stopped waits while the base is put back.
    PreservedErrorState failure;
    base.RollBack(checkpoint);
    base.UpdateDimensionsInUse();
    base.SetModified(modified);
    return false;
}

}  // namespace vek
