// TimeFunctionsTemplate: the keyed lines, options and rows of the time-functions template.
#include "analysis/timefunctions/TimeFunctionsTemplate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "foundation/memory/BitSet.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/streams/LinkCode.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/OptionLetters.h"
#include "foundation/strings/String.h"
#include "text/TableOptions.h"
#include "analysis/AnalysisCodeLetters.h"
#include "analysis/TableTemplatePart.h"
#include "analysis/lines/LinesTemplate.h"

namespace vek {

// Reading state of the bullet-marked files: their formula rows are numbered, their widths come in
// one "xW" line, and whether a "W" line was read decides the rows' visibility.
struct TimeFunctionsTemplate::LegacyState {
    static constexpr int32_t kFormulaWidthCount = 12;
    std::array<int32_t, kFormulaWidthCount> formulaWidths{};
    bool widthsRead = false;
    int32_t formulaNumber = -1;
    bool chartKeyRead = false;
};

namespace {

// Widths up to this are the window's default and are not written.
constexpr int32_t kLargestDefaultPeriodWidth = 23;
// Base files up to this date write the display line in its legacy form.
constexpr int32_t kLegacyDisplayLineUntil = 19970416;
// Selection rows named in files after the first and before this date count per period.
constexpr int32_t kPerPeriodRowsBefore = 19970626;
// Formula rows in files up to this date take their chart style from the display line's "L" item,
// and "WB" still means bars for every row.
constexpr int32_t kRowChartStyleFromDisplayUntil = 19970713;
constexpr int32_t kDefaultLayoutCode = 1;

std::string_view ReaderToken(const TextReader& reader) { return {reader.Token(), size_t(reader.TokenLength())}; }

void PutScaleNumber(TextWriter& writer, const char* key, double number)
{
    NumberFormat format;
    format.decimalSeparator = u'.';
    format.thousandsSeparator = 0;
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutDouble(number, format);
    writer.EndRow();
}

bool IsValidDate(PackedDate date)
{
    return date != 0 && date <= kLastPackedDate &&
           PackDateClamped(PackedDateYear(date), PackedDateMonth(date), PackedDateDay(date)) == date;
}

}  // namespace

TimeFunctionsTemplate::TimeFunctionsTemplate(Base& base)
    : AnalysisTemplate(TemplateKind::TimeFunctions, base), axisFrom(&base, -1), axisTo(&base, 1)
{
    SetDefaults();
}

TimeFunctionsTemplate::~TimeFunctionsTemplate() = default;

void TimeFunctionsTemplate::SetDefaults()
{
    ClearRows();
    axisFrom.SetUnit(DateUnit::File, kDefaultAxisFromOffset);
    axisTo.SetUnit(DateUnit::File, kDefaultAxisToOffset);
    periodKind = TimeFunctionPeriodKind::CardDates;
    timeScaleName.Set(nullptr);
    periodWidth = 0;
    layoutCode = kDefaultLayoutCode;
    scaleM = std::nan("");
    scaleN = std::nan("");
    sortCode = 0;
    sortQualifier = 0;
    sortRow.Set(nullptr);
    chartCode = 0;
    chart = ChartOptions();
    chartFlags = ChartOptionFlags();
    zcText.Set(nullptr);
    flagB = true;
    flagT = false;
    flagN = false;
    titleMode = kTitleModeAll;
    headingMode = kHeadingModePlus;
    legacy.reset();
}

bool TimeFunctionsTemplate::IsDefaultAxis() const
{
    return axisFrom.Unit() == DateUnit::File && axisFrom.Offset() == kDefaultAxisFromOffset &&
           axisTo.Unit() == DateUnit::File && axisTo.Offset() == kDefaultAxisToOffset;
}

void TimeFunctionsTemplate::ClearRows()
{
    currentSelection = nullptr;
    currentFormula = nullptr;
    selectionRows.clear();
    formulaRows.clear();
    rows.clear();
    names.stale = true;
}

// --- Rows ---------------------------------------------------------------------------------------------

void TimeFunctionsTemplate::RowNames::Add(TimeFunctionRowDefinition& row)
{
    // The first row of a name is the one found, as in a search of the list from its start.
    (row.IsSelection() ? selection : formula).try_emplace(std::string(row.NameCStr()), &row);
}

const TimeFunctionsTemplate::RowNames& TimeFunctionsTemplate::Names() const
{
    if (names.stale) {
        names.selection.clear();
        names.formula.clear();
        for (const std::unique_ptr<TimeFunctionRowDefinition>& row : rows)
            names.Add(*row);
        names.stale = false;
    }
    return names;
}

TimeFunctionSelectionDefinition* TimeFunctionsTemplate::FindSelectionRow(std::string_view name) const
{
    const auto& byName = Names().selection;
    auto found = byName.find(std::string(name));
    return found != byName.end() ? static_cast<TimeFunctionSelectionDefinition*>(found->second) : nullptr;
}

TimeFunctionFormulaDefinition* TimeFunctionsTemplate::FindFormulaRow(std::string_view name) const
{
    const auto& byName = Names().formula;
    auto found = byName.find(std::string(name));
    return found != byName.end() ? static_cast<TimeFunctionFormulaDefinition*>(found->second) : nullptr;
}

TimeFunctionSelectionDefinition& TimeFunctionsTemplate::AppendSelectionRow(const char* name)
{
    auto row = std::make_unique<TimeFunctionSelectionDefinition>(*this);
    row->SetName(name);
    row->Display().colour = DefaultSeriesColor(0);
    return static_cast<TimeFunctionSelectionDefinition&>(AdoptRow(std::move(row)));
}

TimeFunctionFormulaDefinition& TimeFunctionsTemplate::AppendFormulaRow(const char* name)
{
    auto row = std::make_unique<TimeFunctionFormulaDefinition>(*this);
    row->SetName(name);
    row->Display().colour = DefaultSeriesColor(FormulaRowCount());
    return static_cast<TimeFunctionFormulaDefinition&>(AdoptRow(std::move(row)));
}

TimeFunctionRowDefinition& TimeFunctionsTemplate::AdoptRow(std::unique_ptr<TimeFunctionRowDefinition> row)
{
    // Room first, so that a failure leaves the three lists as they were; grown by half again at a time,
    // so that reading a template of many rows stays linear.
    auto roomForOne = [](auto& list) {
        if (list.size() == list.capacity())
            list.reserve(list.size() + list.size() / 2 + 8);
    };
    roomForOne(selectionRows);
    roomForOne(formulaRows);
    rows.push_back(std::move(row));
    TimeFunctionRowDefinition& added = *rows.back();
    if (added.IsSelection())
        selectionRows.push_back(static_cast<TimeFunctionSelectionDefinition*>(&added));
    else
        formulaRows.push_back(static_cast<TimeFunctionFormulaDefinition*>(&added));
    if (!names.stale)
        names.Add(added);
    return added;
}

void TimeFunctionsTemplate::RemoveRow(const TimeFunctionRowDefinition& row)
{
    if (&row == currentSelection)
        currentSelection = nullptr;
    if (&row == currentFormula)
        currentFormula = nullptr;
    std::erase_if(selectionRows, [&row](const TimeFunctionSelectionDefinition* r) { return r == &row; });
    std::erase_if(formulaRows, [&row](const TimeFunctionFormulaDefinition* r) { return r == &row; });
    names.stale = true;
    std::erase_if(rows, [&row](const std::unique_ptr<TimeFunctionRowDefinition>& r) { return r.get() == &row; });
}

// --- Reading ------------------------------------------------------------------------------------------

void TimeFunctionsTemplate::Reset()
{
    AnalysisTemplate::Reset();
    SetDefaults();
}

void TimeFunctionsTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    std::string_view key = PeekKey(reader);
    if (context.IsBulletFile() && !legacy)
        legacy = std::make_unique<LegacyState>();
    if (key.empty() || !ReadOwnKey(key, reader, context))
        AnalysisTemplate::ReadKeyLine(reader, context);
}

bool TimeFunctionsTemplate::ReadOwnKey(std::string_view key, TextReader& reader, const TemplateReadContext& context)
{
    if (legacy && ReadLegacyKey(key, reader))
        return true;
    char first = key[0];
    char second = key.size() > 1 ? key[1] : '\0';
    if (first == 'V')
        return ReadSelectionKey(key, reader, context);
    if (first == 'F' && key.size() == 2)
        return ReadFormulaKey(key, reader, context);
    auto skipKey = [&reader] { (void)reader.NextFieldRaw(); };
    auto nextLetter = [&reader] {
        char letter = 0;
        (void)reader.NextFieldChar(letter);
        return letter;
    };
    if (key == "K") {
        skipKey();
        // A field left empty or out stands for the plain "File", not for the default one-day offsets.
        axisFrom.SetUnit(DateUnit::File);
        axisTo.SetUnit(DateUnit::File);
        axisFrom.Read(reader);
        axisTo.Read(reader);
    } else if (key == "PL") {
        skipKey();
        char letter = nextLetter();
        int32_t kind = -1;
        ParseLetterOf(kPeriodKindLetters, kind, letter);
        if (kind >= 0 && kind < int32_t(TimeFunctionPeriodKind::TimeScale))
            periodKind = TimeFunctionPeriodKind(kind);
    } else if (key == "P") {
        skipKey();
        int32_t kind = -1;
        ParseLetterOf(kPeriodKindLetters, kind, nextLetter());
        if (kind >= 0) {
            periodKind = TimeFunctionPeriodKind(kind);
            if (periodKind == TimeFunctionPeriodKind::TimeScale)
                (void)reader.NextFieldRawToHeapText(timeScaleName.Field());
        }
    } else if (key == "PX") {
        skipKey();
        periodKind = TimeFunctionPeriodKind::TimeScale;
        (void)reader.NextFieldRawToHeapText(timeScaleName.Field());
    } else if (key == "PW") {
        skipKey();
        int32_t width = 0;
        if (reader.NextFieldInt(width))
            periodWidth = width;
    } else if (first == 'L' && key.size() <= 2) {
        skipKey();
        ParseLKeyLetter(layoutCode, key.size() == 2 ? second : nextLetter());
    } else if (key == "Gx" || key == "Gy") {
        skipKey();
        chart.ReadKeyLine(key, reader);
    } else if (key == "SM" || key == "SN") {
        skipKey();
        double number = 0.0;
        if (reader.NextFieldDouble(number))
            (second == 'M' ? scaleM : scaleN) = number;
    } else if (key == "SV") {
        skipKey();
        if (reader.NextFieldRaw()) {
            std::string_view letters = ReaderToken(reader);
            if (!letters.empty())
                ParseValueSortCode(sortCode, letters[0]);
            if (letters.size() > 1)
                ParseSvQualifierCode(sortQualifier, letters[1]);
        }
        (void)reader.NextFieldRawToHeapText(sortRow.Field());
    } else if (first == 'W' && key.size() == 2) {
        if (legacy)
            legacy->chartKeyRead = true;
        int32_t code = -1;
        ParseLetterOf("NLBPR", code, second);
        if (code == 2 && (legacy || context.version <= kRowChartStyleFromDisplayUntil)) {
            // Bars for every row, as older files meant it.
            for (TimeFunctionFormulaDefinition* row : formulaRows)
                row->SetChartStyle(RowChartStyle::Bar);
            for (TimeFunctionSelectionDefinition* row : selectionRows)
                row->SetBasis(PeriodBasis::PerPeriod);
            code = 1;
        }
        if (code < 0)
            return false;
        chartCode = code;
    } else if (first == 'Z') {
        if (key == "ZC") {
            skipKey();
            (void)reader.NextLongTextField(zcText.Field());
        } else if (key == "ZB") {
            flagB = false;
        } else if (key == "ZT") {
            flagT = true;
        } else if (key == "ZN") {
            flagN = true;
        } else {
            chartFlags.ReadKey(key);
        }
    } else if (key == "xtna") {
        titleMode = kTitleModeAll;
    } else if (key == "xtnh") {
        titleMode = kTitleModeHeaders;
    } else if (key == "xtg+") {
        headingMode = kHeadingModePlus;
    } else if (key == "xtg-") {
        headingMode = kHeadingModeMinus;
    } else if (key == "xtgh") {
        headingMode = kHeadingModeHeaders;
    } else {
        return false;
    }
    return true;
}

bool TimeFunctionsTemplate::ReadSelectionKey(std::string_view key, TextReader& reader,
                                             const TemplateReadContext& context)
{
    (void)reader.NextFieldRaw();
    if (key == "VN") {
        String name;
        (void)reader.NextFieldRawToString(name);
        // The name as stored: a NUL byte read from the file ends it.
        TimeFunctionSelectionDefinition* row = FindSelectionRow(name.CStr());
        if (!row)
            row = &AppendSelectionRow(name.CStr());
        currentSelection = row;
        HeapText label = nullptr;
        (void)reader.NextLongTextField(label);
        row->SetLabel(label);
        SetHeapText(label, nullptr);
        if (context.version > kLegacyDisplayLineUntil && context.version < kPerPeriodRowsBefore)
            row->SetBasis(PeriodBasis::PerPeriod);
        return true;
    }
    TimeFunctionSelectionDefinition* row = currentSelection;
    if (!row)
        return true;
    char letter = 0;
    if (key == "V-") {
        RemoveRow(*row);
    } else if (key == "VF") {
        if (reader.NextFieldChar(letter) && letter != 0)
            row->SetValueField(IndexFromDigitOrLetter(letter));
    } else if (key == "VM") {
        if (reader.NextFieldRaw()) {
            std::string_view letters = ReaderToken(reader);
            int32_t mode = row->ValueMode();
            if (!letters.empty())
                ParseValueModeLetter(mode, letters[0]);
            row->SetValueMode(mode);
            int32_t basis = int32_t(row->Basis());
            if (letters.size() > 1)
                ParseLetterOf(kPeriodBasisLetters, basis, letters[1]);
            row->SetBasis(PeriodBasis(basis));
        }
    } else if (key == "VT") {
        if (reader.NextFieldRaw())
            row->SetShift(PeriodShift::Parse(ReaderToken(reader)));
    } else if (key == "VZ") {
        ReadTimeFunctionDisplayLine(reader, row->Display(),
                                    context.version <= kLegacyDisplayLineUntil ? DisplayLineForm::Legacy
                                                                               : DisplayLineForm::Items);
    } else {
        (void)row->Selection().ReadKeyLine(key.substr(1), reader);
    }
    return true;
}

bool TimeFunctionsTemplate::ReadFormulaKey(std::string_view key, TextReader& reader,
                                           const TemplateReadContext& context)
{
    char second = key[1];
    if (std::strchr("N-FDGZ", second) == nullptr)
        return false;
    (void)reader.NextFieldRaw();
    if (second == 'N') {
        String name;
        (void)reader.NextFieldRawToString(name);
        TimeFunctionFormulaDefinition* row = FindFormulaRow(name.CStr());
        if (!row)
            row = &AppendFormulaRow(name.CStr());
        currentFormula = row;
        HeapText label = nullptr;
        (void)reader.NextLongTextField(label);
        row->SetLabel(label);
        SetHeapText(label, nullptr);
        return true;
    }
    TimeFunctionFormulaDefinition* row = currentFormula;
    if (!row)
        return true;
    char letter = 0;
    switch (second) {
    case '-': RemoveRow(*row); break;
    case 'F': {
        HeapText formula = nullptr;
        (void)reader.NextLongTextField(formula);
        row->SetFormulaText(formula);
        SetHeapText(formula, nullptr);
        break;
    }
    case 'D': {
        int32_t combination = int32_t(row->Combination());
        if (reader.NextFieldChar(letter))
            ParseLetterOf(kFormulaCombinationLetters, combination, letter);
        row->SetCombination(FormulaCombination(combination));
        break;
    }
    case 'G': {
        int32_t style = int32_t(row->ChartStyle());
        if (reader.NextFieldChar(letter))
            ParseLetterOf(kRowChartStyleLetters, style, letter);
        row->SetChartStyle(RowChartStyle(style));
        break;
    }
    case 'Z':
        ReadTimeFunctionDisplayLine(reader, row->Display(),
                                    context.version <= kLegacyDisplayLineUntil ? DisplayLineForm::Legacy
                                                                               : DisplayLineForm::Items);
        if (context.version <= kRowChartStyleFromDisplayUntil)
            row->SetChartStyle(row->Display().legacyChartStyle);
        break;
    default: break;
    }
    return true;
}

// Keys of the bullet-marked files:
//   A..F then B        the selection row of that letter starts at the axis start
//   A..F then D        ... counts per period
//   A..F then 1..9     ... the expression of dimension digit - 1 (next field)
//   1..9, c0..c2 then T, F or X   formula rows 0-11: label, formula, display codes (column code letter,
//                      colour letter, decimals digit); a new row starts whenever the number changes
//   xW                 period width and twelve formula widths
bool TimeFunctionsTemplate::ReadLegacyKey(std::string_view key, TextReader& reader)
{
    if (key.size() < 2)
        return false;
    char first = key[0];
    char second = key[1];
    bool selectionKey = second == 'B' || second == 'D' || (second >= '1' && second <= '9');
    if (first >= 'A' && first <= 'F' && key.size() == 2 && selectionKey) {
        (void)reader.NextFieldRaw();
        char name[2] = {first, 0};
        TimeFunctionSelectionDefinition* row = FindSelectionRow(name);
        if (!row) {
            row = &AppendSelectionRow(name);
            row->Display().visible = false;
        }
        if (second == 'B') {
            row->SetStartsAtAxisStart(true);
        } else if (second == 'D') {
            row->SetBasis(PeriodBasis::PerPeriod);
        } else {
            char dimensionKey[3] = {'D', second, 0};
            (void)row->Selection().ReadKeyLine(dimensionKey, reader);
        }
        return true;
    }
    if (key == "xW") {
        (void)reader.NextFieldRaw();
        int32_t width = 0;
        if (reader.NextFieldInt(width))
            periodWidth = width;
        for (int32_t& formulaWidth : legacy->formulaWidths) {
            int32_t read = 0;
            if (reader.NextFieldInt(read))
                formulaWidth = read;
        }
        legacy->widthsRead = true;
        return true;
    }
    int32_t number = -1;
    char what = 0;
    if (first >= '1' && first <= '9' && key.size() == 2) {
        number = first - '1';
        what = second;
    } else if (first == 'c' && second >= '0' && second <= '2' && key.size() == 3) {
        number = 9 + (second - '0');
        what = key[2];
    }
    if (number < 0 || (what != 'T' && what != 'F' && what != 'X'))
        return false;
    (void)reader.NextFieldRaw();
    if (number != legacy->formulaNumber || !currentFormula) {
        currentFormula = &AppendFormulaRow("");
        legacy->formulaNumber = number;
    }
    TimeFunctionFormulaDefinition& row = *currentFormula;
    if (what == 'X') {
        if (reader.NextFieldRaw()) {
            std::string_view codes = ReaderToken(reader);
            TimeFunctionRowDisplay& display = row.Display();
            if (!codes.empty())
                ParseDigitFtmCodeLetter(display.columnCode, codes[0]);
            if (codes.size() > 1)
                ParseColorLetter(display.colour, codes[1]);
            if (codes.size() > 2 && codes[2] >= '1' && codes[2] <= '6')
                display.decimals = codes[2] - '0';
        }
        return true;
    }
    HeapText text = nullptr;
    (void)reader.NextLongTextField(text);
    if (what == 'T')
        row.SetLabel(text);
    else
        row.SetFormulaText(text);
    SetHeapText(text, nullptr);
    return true;
}

void TimeFunctionsTemplate::FinishRead(const TemplateReadContext& context)
{
    AnalysisTemplate::FinishRead(context);
    currentSelection = nullptr;
    currentFormula = nullptr;
    if (context.IsBulletFile()) {
        if (!legacy)
            legacy = std::make_unique<LegacyState>();
        FinishLegacyRead();
    }
    legacy.reset();
}

void TimeFunctionsTemplate::FinishLegacyRead()
{
    for (TimeFunctionSelectionDefinition* row : selectionRows) {
        if (row->StartsAtAxisStart())
            row->Selection().From().Assign(axisFrom);
    }
    chartFlags.flags[0] = chartFlags.flags[0] != 0 ? 0 : 1;
    if (legacy->widthsRead) {
        size_t next = 0;
        for (TimeFunctionFormulaDefinition* row : formulaRows) {
            if (next < legacy->formulaWidths.size())
                row->Display().width = std::clamp(legacy->formulaWidths[next++], 0, kMaxRowWidth);
        }
    }
    // Letters A-F that the formulas use name selection rows, even those the file never described.
    std::vector<char> missing;
    for (const TimeFunctionFormulaDefinition* row : formulaRows) {
        for (char c : std::string_view(row->FormulaCStr())) {
            char name[2] = {c, 0};
            if (c >= 'A' && c <= 'F' && !FindSelectionRow(name) &&
                std::find(missing.begin(), missing.end(), c) == missing.end())
                missing.push_back(c);
        }
    }
    for (char c : missing) {
        char name[2] = {c, 0};
        AppendSelectionRow(name).Display().visible = false;
    }
    auto isBlank = [](const TimeFunctionFormulaDefinition* row) {
        return row->LabelCStr()[0] == 0 && row->FormulaCStr()[0] == 0;
    };
    while (!formulaRows.empty() && isBlank(formulaRows.back()))
        RemoveRow(*formulaRows.back());
    if (!legacy->chartKeyRead) {
        for (TimeFunctionFormulaDefinition* row : formulaRows)
            row->Display().visible = true;
    }
    // A formula that only names a hidden selection row stood for that row's display.
    std::vector<TimeFunctionFormulaDefinition*> formulas = formulaRows;
    for (TimeFunctionFormulaDefinition* formula : formulas) {
        TimeFunctionSelectionDefinition* target = FindSelectionRow(formula->FormulaCStr());
        if (!target || target->Display().visible || formula->FormulaCStr()[0] == 0)
            continue;
        target->Display() = formula->Display();
        auto at = [this](const TimeFunctionRowDefinition* row) {
            return std::find_if(rows.begin(), rows.end(),
                                [row](const std::unique_ptr<TimeFunctionRowDefinition>& r) { return r.get() == row; });
        };
        auto formulaPlace = at(formula);
        auto targetPlace = at(target);
        // The selection row takes the formula row's place; the formula row (now where the selection
        // row was) goes.
        std::iter_swap(formulaPlace, targetPlace);
        names.stale = true;
        selectionRows.clear();
        for (const std::unique_ptr<TimeFunctionRowDefinition>& row : rows) {
            if (row->IsSelection())
                selectionRows.push_back(static_cast<TimeFunctionSelectionDefinition*>(row.get()));
        }
        RemoveRow(*formula);
    }
    for (TimeFunctionFormulaDefinition* row : formulaRows) {
        if (row->NameCStr()[0] != 0)
            continue;
        for (int32_t n = 1;; ++n) {
            String name;
            name.AppendChar('F');
            name.AppendInt(n);
            if (!FindFormulaRow(name.View())) {
                row->SetName(name.CStr());
                names.stale = true;
                break;
            }
        }
    }
}

// --- Writing ------------------------------------------------------------------------------------------

void TimeFunctionsTemplate::WriteDefinition(TextWriter& writer) const
{
    AnalysisTemplate::WriteDefinition(writer);
    for (const std::unique_ptr<TimeFunctionRowDefinition>& row : rows)
        row->Write(writer);
    if (!IsDefaultAxis()) {
        // Both fields always, so that neither reads back as the default.
        writer.PutText("K");
        axisFrom.Write(writer);
        axisTo.Write(writer);
        writer.EndRow();
    }
    if (periodKind == TimeFunctionPeriodKind::TimeScale) {
        writer.PutText("PX");
        writer.PutSeparator();
        writer.PutFieldHeapText(timeScaleName.Get());
        writer.EndRow();
    } else if (periodKind != TimeFunctionPeriodKind::CardDates) {
        writer.WriteKeyCharLine("PL", uint8_t(kPeriodKindLetters[int32_t(periodKind)]));
    }
    if (periodWidth > kLargestDefaultPeriodWidth)
        writer.WriteKeyIntLine("PW", periodWidth);
    if (layoutCode != kDefaultLayoutCode && LKeyLetter(layoutCode) != 0)
        writer.WriteKeyCharLine("L", uint8_t(LKeyLetter(layoutCode)));
    chart.Write(writer);
    if (std::isfinite(scaleM))
        PutScaleNumber(writer, "SM", scaleM);
    if (std::isfinite(scaleN))
        PutScaleNumber(writer, "SN", scaleN);
    // A name that its field cannot hold (NUL bytes, say) reads back as none, so it counts as none here.
    if (FieldTextLength(sortRow.View()) > 0 || sortQualifier != 0) {
        char sortLetter = ValueSortCode(sortCode);
        char qualifierLetter = SvQualifierCode(sortQualifier);
        writer.PutText("SV");
        writer.PutSeparator();
        writer.PutChar(uint8_t(sortLetter != 0 ? sortLetter : 'D'));
        writer.PutChar(uint8_t(qualifierLetter != 0 ? qualifierLetter : 'N'));
        writer.PutSeparator();
        writer.PutFieldHeapText(sortRow.Get());
        writer.EndRow();
    }
    if (chartCode != 0)
        WriteViewLetter(writer, chartCode);
    chartFlags.Write(writer);
    if (zcText.Length() > 0) {
        writer.PutText("ZC");
        writer.PutSeparator();
        writer.PutLongText(zcText.Get());
        writer.EndRow();
    }
    if (!flagB)
        writer.WriteLine("ZB");
    if (flagT)
        writer.WriteLine("ZT");
    if (flagN)
        writer.WriteLine("ZN");
    writer.WriteLine(titleMode == kTitleModeHeaders ? "xtnh" : "xtna");
    writer.WriteLine(headingMode == kHeadingModeMinus    ? "xtg-"
                     : headingMode == kHeadingModeHeaders ? "xtgh"
                                                          : "xtg+");
    writer.EndRow();
}

// --- Drill-down ---------------------------------------------------------------------------------------

namespace {

// A link range read back: a key with a real date, or the empty key.
CardKey DecodeLinkKey(std::string_view text, LinkRangeSide side)
{
    if (text.size() < 3)
        return {};
    LinkRange range = DecodeLinkRange(text, side);
    PackedDate date = PackedDate(range.first);
    if (!IsValidDate(date) || range.second < 1)
        return {};
    return {date, range.second};
}

}  // namespace

std::unique_ptr<AnalysisTemplate> TimeFunctionsTemplate::DeriveTemplate(std::string_view linkText) const
{
    size_t colon = linkText.find(':');
    if (colon == std::string_view::npos)
        return nullptr;
    std::string_view rowName = linkText.substr(0, colon);
    std::string_view rangeText = linkText.substr(colon + 1);
    size_t underscore = rangeText.find('_');
    CardKey start = DecodeLinkKey(rangeText.substr(0, underscore), LinkRangeSide::Start);
    CardKey end = underscore == std::string_view::npos
                      ? CardKey{start.date, kOpenEndNumber}
                      : DecodeLinkKey(rangeText.substr(underscore + 1), LinkRangeSide::End);
    if (start.date == 0 || end.date == 0 || CardKeyLess(end, start))
        return nullptr;

    if (const TimeFunctionSelectionDefinition* row = FindSelectionRow(rowName)) {
        auto lines = std::make_unique<LinesTemplate>(GetBase());
        lines->Selection().Assign(row->Selection());
        // The lines behind a shifted row's value lie in the shifted range.
        lines->Selection().From().SetValue(row->Shift().Apply(start, periodKind, ShiftedKeyEdge::RangeStart));
        lines->Selection().To().SetValue(row->Shift().Apply(end, periodKind, ShiftedKeyEdge::RangeEnd));
        lines->SelectMainValueField(row->ValueField());
        lines->ShowSingleStatistic(row->ValueMode());
        return lines;
    }
    const TimeFunctionFormulaDefinition* formula = FindFormulaRow(rowName);
    if (!formula)
        return nullptr;

    auto derived = std::make_unique<TimeFunctionsTemplate>(GetBase());
    derived->ApplyKindDefaults();
    derived->SubsetRefs().CopyFrom(SubsetRefs());
    derived->flagB = false;
    String notesText;
    notesText.AppendCStr(formula->DisplayName());
    notesText.AppendCStr(" = ");
    notesText.AppendCStr(formula->FormulaCStr());
    derived->SetNotesText(notesText.CStr());
    derived->AxisFrom().SetValue(start);
    derived->AxisTo().SetValue(end);
    derived->periodKind = periodKind;
    bool wholeAxis = CardKeyLessOrEqual(start, axisFrom.Value()) && CardKeyGreaterOrEqual(end, axisTo.Value());
    if (wholeAxis && periodKind != TimeFunctionPeriodKind::LineGroups && periodKind != TimeFunctionPeriodKind::Lines)
        derived->periodKind = TimeFunctionPeriodKind::Cards;
    if (derived->periodKind == TimeFunctionPeriodKind::TimeScale)
        derived->SetTimeScaleName(timeScaleName.Get());

    // The rows the formula depends on, directly or through other formula rows.
    std::vector<const TimeFunctionRowDefinition*> needed = {formula};
    std::vector<const TimeFunctionFormulaDefinition*> toWalk = {formula};
    std::vector<const TimeFunctionRowDefinition*> direct;
    for (size_t next = 0; next < toWalk.size(); ++next) {
        const TimeFunctionFormulaDefinition* walked = toWalk[next];
        for (const std::unique_ptr<TimeFunctionRowDefinition>& row : rows) {
            if (row.get() == walked || !walked->RefersTo(row->NameCStr()))
                continue;
            if (walked == formula)
                direct.push_back(row.get());
            if (std::find(needed.begin(), needed.end(), row.get()) != needed.end())
                continue;
            needed.push_back(row.get());
            if (row->IsFormula())
                toWalk.push_back(static_cast<const TimeFunctionFormulaDefinition*>(row.get()));
        }
    }
    for (const std::unique_ptr<TimeFunctionRowDefinition>& row : rows) {
        if (std::find(needed.begin(), needed.end(), row.get()) == needed.end())
            continue;
        TimeFunctionRowDefinition& copy = derived->AdoptRow(row->CopyFor(*derived));
        bool isFormulaRow = row.get() == formula;
        copy.Display().visible = isFormulaRow || std::find(direct.begin(), direct.end(), row.get()) != direct.end();
        if (!isFormulaRow)
            copy.SetLabel(nullptr);
        if (copy.IsFormula()) {
            static_cast<TimeFunctionFormulaDefinition&>(copy).SetChartStyle(RowChartStyle::Line);
            continue;
        }
        auto& selection = static_cast<TimeFunctionSelectionDefinition&>(copy);
        if (selection.Basis() == PeriodBasis::PerPeriod) {
            selection.SetBasis(PeriodBasis::Accumulated);
            selection.Display().flagS = false;
            selection.Selection().From().SetValue(
                selection.Shift().Apply(start, derived->periodKind, ShiftedKeyEdge::RangeStart));
        }
    }
    return derived;
}

// --- Options, selections, base changes -----------------------------------------------------------------

void TimeFunctionsTemplate::SetOption(const char* optionName, const char* value)
{
    std::string_view name = optionName ? optionName : "";
    const char* text = value ? value : "";
    if (name == "sort") {
        const char* colon = std::strchr(text, ':');
        if (!colon)
            return;
        std::string_view rowPart(text, size_t(colon - text));
        char letter = colon[1];
        if (rowPart == "-") {
            sortRow.Set(nullptr);
            ParseSvQualifierCode(sortQualifier, letter);
            return;
        }
        for (const std::unique_ptr<TimeFunctionRowDefinition>& row : rows) {
            String code;
            code.AssignCStr(row->NameCStr());
            MakeLinkCode(code);
            if (code.View() == rowPart) {
                sortRow.Set(row->NameCStr());
                ParseValueSortCode(sortCode, letter);
                return;
            }
        }
        return;
    }
    if (name == "axisfrom" || name == "axisto") {
        bool isFrom = name == "axisfrom";
        DateExpression parsed(&GetBase(), isFrom ? -1 : 1);
        if (!parsed.ParseCString(text))
            return;
        DateExpression& axis = isFrom ? axisFrom : axisTo;
        // The axis only narrows: a start moves later, an end earlier.
        if (isFrom ? CardKeyGreater(parsed.Value(), axis.Value()) : CardKeyLess(parsed.Value(), axis.Value()))
            axis.Assign(parsed);
        return;
    }
    if (optionName && value) {
        for (TimeFunctionSelectionDefinition* row : selectionRows)
            (void)row->Selection().SetOption(name, value);
    }
    AnalysisTemplate::SetOption(optionName, value);
}

void TimeFunctionsTemplate::CollectSelectionComponents(BitSet& components)
{
    for (TimeFunctionSelectionDefinition* row : selectionRows)
        row->Selection().CollectNamedComponents(components);
}

void TimeFunctionsTemplate::CollectSelectedLines(BitSet& lines)
{
    for (TimeFunctionSelectionDefinition* row : selectionRows) {
        SelectionTexts limited(GetBase());
        limited.Assign(row->Selection());
        if (CardKeyLess(axisTo.Value(), limited.To().Value()))
            limited.To().Assign(axisTo);
        limited.MarkSelectedLines(lines);
    }
}

void TimeFunctionsTemplate::OnBaseChange(const ChangeRecord& record)
{
    AnalysisTemplate::OnBaseChange(record);
    for (const std::unique_ptr<TimeFunctionRowDefinition>& row : rows)
        row->OnBaseChange(record);
}

int64_t TimeFunctionsTemplate::StoredSize() const
{
    // Axis, period and display settings, the row lists and the chart flags.
    constexpr int64_t kOwnFieldsSize = 176;
    int64_t size = AnalysisTemplate::StoredSize() + kOwnFieldsSize + MemBlockFootprint(timeScaleName.Get()) +
                   MemBlockFootprint(zcText.Get()) + MemBlockFootprint(sortRow.Get());
    for (const std::unique_ptr<TimeFunctionRowDefinition>& row : rows)
        size += row->StoredSize();
    return size;
}

}  // namespace vek
