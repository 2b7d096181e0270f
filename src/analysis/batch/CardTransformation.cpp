// CardTransformation: changing, in one pass, the cards or lines a window shows.
#include "analysis/batch/CardTransformation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "analysis/AnalysisHost.h"
#include "analysis/batch/BatchChange.h"
#include "analysis/batch/BatchLineSource.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"

namespace vek {

namespace {

// The operation-log code of a transformation.
constexpr int32_t kLogTransformed = 11;
// "¬\": the whole text becomes the replacement.
constexpr const char* kReplaceWhole = "\xC2\xAC\\";

struct TransformShownLine {
    uint32_t card;
    uint32_t group;
    uint32_t line;
};

class TransformLineCollector final : public ShownLineReader {
public:
    bool Line(Card* card, CardGroup* group, CardLine* line) override
    {
        lines.push_back(TransformShownLine{card->index, group->index, line->index});
        return true;
    }
    std::vector<TransformShownLine> lines;
};

void TransformTrimBlanks(std::string& text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    size_t last = text.find_last_not_of(' ');
    text = text.substr(first, last - first + 1);
}

int32_t TransformGroupLineCount(const Base& base, const CardGroup* group)
{
    int32_t n = 0;
    for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line))
        ++n;
    return n;
}

bool TransformIsIdentifierByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           (static_cast<unsigned char>(c) & 0x80) != 0;
}

}  // namespace

CardTransformation::CardTransformation(Base& base) : base(base)
{
    replacements.fill(-1);
    CopyFormulaName(variables[0], "T");
    for (int32_t k = 0; k < kMaxValueCount; ++k) {
        String name;
        base.GetValueFieldName(k, name);
        CopyFormulaName(variables[size_t(k) + 1], name.View());
    }
}

CardTransformation::~CardTransformation() = default;

void CardTransformation::FindReplace(std::string& text, const std::string& find, const std::string& given)
{
    std::string replacement = given == "\\" ? std::string() : given;
    if (find.empty()) {
        text = replacement;
    } else if (find == ">") {
        text += replacement;
    } else if (find == "<") {
        text = replacement + text;
    } else if (find == "\\") {
        if (text.empty())
            text = replacement;
    } else if (find == kReplaceWhole) {
        text = replacement;
    } else {
        String work;
        work.AssignBytes(text.data(), int32_t(text.size()));
        work.ReplaceAll(find.c_str(), replacement.c_str());
        text.assign(work.View());
    }
}

PackedDate CardTransformation::DefaultOldStart() const
{
    return base.FirstCard() != base.ChainEnd() ? base.CardDate(base.FirstCard()) : TodayPackedDate();
}

PackedDate CardTransformation::DefaultOldEnd() const
{
    return base.LastCard() != base.ChainEnd() ? base.CardDate(base.LastCard()) : TodayPackedDate();
}

void CardTransformation::ReplaceFieldLetters(std::string& formula) const
{
    std::string out;
    size_t i = 0;
    while (i < formula.size()) {
        if (!TransformIsIdentifierByte(formula[i])) {
            out += formula[i++];
            continue;
        }
        size_t start = i;
        while (i < formula.size() && TransformIsIdentifierByte(formula[i]))
            ++i;
        std::string word = formula.substr(start, i - start);
        int32_t field = word.size() == 1 && word[0] >= 'A' && word[0] <= 'X' ? word[0] - 'A' : -1;
        if (field >= 0 && field < base.ValueCount())
            out += variables[size_t(field) + 1].name;
        else
            out += word;
    }
    formula = out;
}

bool CardTransformation::SetValueFormula(String& text, int32_t field)
{
    text.Trim();
    ValueField& value = values[size_t(field)];
    const char* name = variables[size_t(field) + 1].name;
    if (text.IsEmpty() || CStrEqualNoCase(text.CStr(), name)) {
        String empty;
        (void)value.formula.Compile(empty, 0, nullptr);
        value.text.clear();
        text.AssignCStr(name);
        return true;
    }
    int32_t result = value.formula.Compile(text, int32_t(variables.size()), variables.data());
    if (result != 0) {
        SetErrorCode(result);
        SetFormulaMessage(GetPendingError().message, result, text.View());
        return false;
    }
    value.text.assign(text.View());
    if (value.formula.IsEmpty())
        text.AssignCStr(name);
    return true;
}

bool CardTransformation::SetField(String& text, int32_t field)
{
    using namespace transform_field;
    if (field >= 0 && field < int32_t(kDimensionCount)) {
        String typed;
        typed.Assign(text);
        typed.Trim();
        if (typed.IsEmpty()) {
            replacements[size_t(field)] = -1;
            text.AssignCStr("");
            return true;
        }
        if (std::strcmp(typed.CStr(), "\\") == 0) {
            replacements[size_t(field)] = field;
            text.AssignCStr("\\");
            return true;
        }
        uint32_t number = base.ResolveComponent(field, typed.CStr(), typed.Length());
        if (number < kDimensionCount)
            return false;  // unknown: ResolveComponent said so
        replacements[size_t(field)] = int32_t(number);
        base.FormatComponent(text, base.ComponentAt(number), field);
        return true;
    }
    if (field >= kOldStart && field <= kNewEnd) {
        std::string digits;
        for (char c : text.View()) {
            if (c != '.' && c != ' ')
                digits += c;
        }
        bool isStart = field == kOldStart || field == kNewStart;
        PackedDate& slot = field == kOldStart ? oldStart : field == kOldEnd ? oldEnd : field == kNewStart ? newStart : newEnd;
        if (digits.empty()) {
            slot = 0;
            text.AssignCStr("");
            if (field == kOldStart || field == kOldEnd) {
                char shown[kPackedDateTextCapacity];
                FormatPackedDateDigits(shown, field == kOldStart ? DefaultOldStart() : DefaultOldEnd());
                text.AssignCStr(shown);
            }
            return true;
        }
        PackedDate date = ParsePackedDate(digits.c_str(), int32_t(digits.size()), isStart ? -1 : 1);
        if (date == 0)
            return false;
        slot = date;
        char shown[kPackedDateTextCapacity];
        FormatPackedDateDigits(shown, date);
        text.AssignCStr(shown);
        return true;
    }
    std::string value(text.View());
    switch (field) {
    case kTitleFind: titleFind = value; return true;
    case kTitleReplacement: titleReplacement = value; return true;
    case kLineTextFind: lineFind = value; return true;
    case kLineTextReplacement: lineReplacement = value; return true;
    case kNotesFind: notesFind = value; return true;
    case kNotesReplacement: notesReplacement = value; return true;
    default: break;
    }
    if (field >= kFirstFormula && field < kFirstFormula + kMaxValueCount)
        return SetValueFormula(text, field - kFirstFormula);
    return false;
}

bool CardTransformation::ParseOption(const char* word)
{
    using namespace transform_field;
    if (!word)
        return false;
    if (std::strcmp(word, "A") == 0) {
        duplicate = true;
        return true;
    }
    const char* equals = std::strchr(word, '=');
    if (!equals)
        return false;
    std::string key(word, size_t(equals - word));
    String text;
    text.AssignCStr(equals + 1);
    struct KeyField {
        const char* key;
        int32_t field;
    };
    static constexpr KeyField kKeys[] = {
        {"CB", kOldStart},    {"CE", kOldEnd},           {"CF", kNewStart},     {"CT", kNewEnd},
        {"TF", kTitleFind},   {"TT", kTitleReplacement}, {"LF", kLineTextFind}, {"LT", kLineTextReplacement},
        {"NF", kNotesFind},   {"NT", kNotesReplacement},
    };
    for (const KeyField& entry : kKeys) {
        if (key == entry.key)
            return SetField(text, entry.field);
    }
    if (key.size() >= 2 && key[0] == 'D') {
        int32_t n = 0;
        for (size_t i = 1; i < key.size(); ++i) {
            if (key[i] < '0' || key[i] > '9' || n > 100)
                return false;
            n = n * 10 + (key[i] - '0');
        }
        if (n < 1 || n - 1 > base.DimsInUse())
            return false;
        return SetField(text, n - 1);
    }
    if (key == "V" || (key.size() == 2 && key[0] == 'V' && key[1] >= 'A' && key[1] <= 'X')) {
        int32_t field = key == "V" ? 0 : key[1] - 'A';
        if (field >= base.ValueCount())
            return false;
        std::string formula(text.View());
        ReplaceFieldLetters(formula);
        text.AssignBytes(formula.data(), int32_t(formula.size()));
        return SetField(text, kFirstFormula + field);
    }
    return false;
}

void CardTransformation::ComputeDateMove()
{
    PackedDate a = oldStart ? oldStart : DefaultOldStart();
    PackedDate b = oldEnd ? oldEnd : DefaultOldEnd();
    oldStartDay = PackedDateToDayNumber(a);
    oldEndDay = PackedDateToDayNumber(b);
    scale = 1.0;
    offset = 0.0;
    moving = false;
    int32_t s = newStart ? PackedDateToDayNumber(newStart) : 0;
    int32_t e = newEnd ? PackedDateToDayNumber(newEnd) : 0;
    if (newStart && newEnd) {
        if (s == oldStartDay && e == oldEndDay)
            return;
        // Equal old ends give no scale to take: the range moves as a whole.
        if (oldEndDay != oldStartDay)
            scale = double(e - s) / double(oldEndDay - oldStartDay);
        offset = s - scale * oldStartDay;
        moving = true;
    } else if (newEnd) {
        if (e == oldEndDay)
            return;
        offset = e - oldEndDay;
        moving = true;
    } else if (newStart) {
        if (s == oldStartDay)
            return;
        offset = s - oldStartDay;
        moving = true;
    }
}

PackedDate CardTransformation::MoveDate(PackedDate date) const
{
    if (!moving)
        return date;
    double day = std::round(scale * PackedDateToDayNumber(date) + offset);
    if (!std::isfinite(day))
        return date;
    return DayNumberToPackedDate(int64_t(day));
}

void CardTransformation::SetCardT(const Card* card)
{
    if (!usesT)
        return;
    // With equal old ends every card is at the start of the range.
    int32_t span = oldEndDay - oldStartDay;
    int32_t d = PackedDateToDayNumber(base.CardDate(card));
    variables[0].value = span != 0 ? double(d - oldStartDay) / double(span) : 0.0;
}

void CardTransformation::SetChangeFlags()
{
    cardLevel = moving || TitleChanges() || NotesChange();
    groupLevel = replacements[0] >= 0;
    valueLevel = false;
    usesT = false;
    for (const ValueField& value : values) {
        if (!value.formula.IsEmpty()) {
            valueLevel = true;
            usesT = usesT || value.formula.UsesVariable(0);
        }
    }
    lineLevel = valueLevel || LineTextChanges();
    for (int32_t d = 1; d < int32_t(kDimensionCount); ++d)
        lineLevel = lineLevel || replacements[size_t(d)] >= 0;
}

void CardTransformation::TransformedTitle(const Card* card, std::string& out) const
{
    out = card->title ? card->title : "";
    if (!TitleChanges())
        return;
    FindReplace(out, titleFind, titleReplacement);
    TransformTrimBlanks(out);
}

void CardTransformation::TransformedNotes(const Card* card, std::string& out) const
{
    out = card->notes ? card->notes : "";
    if (NotesChange())
        FindReplace(out, notesFind, notesReplacement);
}

bool CardTransformation::Stamp(Card* card)
{
    if (!change->KeepStamps(card))
        return false;
    card->SetChangeStamp(changeStamp);
    return true;
}

bool CardTransformation::SetNotesWithStamp(Card* card, const std::string& notes)
{
    if (!change->SetNotes(card, notes.c_str()) || !change->KeepStamps(card))
        return false;
    if (notes.empty())
        card->stamps[kStampNotes].Clear();
    else
        card->stamps[kStampNotes] = changeStamp;
    return true;
}

bool CardTransformation::ChangeLine(Card* card, CardLine* line, bool& changed)
{
    if (!lineLevel)
        return true;
    uint32_t index = line->index;
    if (!change->KeepLine(card, line))
        return false;
    for (int32_t d = 1; d <= base.DimsInUse() && d < int32_t(kDimensionCount); ++d) {
        int32_t replacement = replacements[size_t(d)];
        if (replacement < 0)
            continue;
        CardLine* current = base.LineAt(index);
        if (base.GetLineComponent(current, d - 1) != uint32_t(replacement)) {
            base.SetLineComponent(current, d - 1, uint32_t(replacement));
            changed = true;
        }
    }
    if (valueLevel) {
        CardLine* current = base.LineAt(index);
        int32_t n = base.ValueCount();
        double before[kMaxValueCount];
        base.GetLineValues(current, before);
        for (int32_t k = 0; k < n; ++k)
            variables[size_t(k) + 1].value = before[k];
        // Every formula reads the values as they were before the line changed.
        for (int32_t k = 0; k < n; ++k) {
            if (values[size_t(k)].formula.IsEmpty())
                continue;
            double result = ZeroIfOutOfRange(values[size_t(k)].formula.Evaluate());
            if (std::memcmp(&result, &before[k], sizeof result) != 0) {
                base.SetLineValue(current, k, result);
                changed = true;
            }
        }
    }
    if (LineTextChanges()) {
        CardLine* current = base.LineAt(index);
        ConstHeapText old = current->Text();
        std::string text = old ? old : "";
        FindReplace(text, lineFind, lineReplacement);
        TransformTrimBlanks(text);
        if (text != (old ? old : "")) {
            if (!change->SetLineText(card, current, text.c_str()))
                return false;
            changed = true;
        }
    }
    return true;
}

int32_t CardTransformation::TargetGroupKey(const CardGroup* group) const
{
    return replacements[0] >= 0 ? replacements[0] : group->key;
}

bool CardTransformation::CopyLineInto(Card* into, CardGroup* targetGroup, const CardLine* from)
{
    uint32_t fromIndex = from->index;
    CardLine* line = change->CreateLine(into, targetGroup);
    if (!line)
        return false;
    uint32_t lineIndex = line->index;
    from = base.LineAt(fromIndex);
    base.CopyLineComponents(line, from);
    double copied[kMaxValueCount];
    base.GetLineValues(from, copied);
    base.SetLineValues(line, copied);
    ConstHeapText text = from->Text();
    HeapText copy = CopyHeapBlock(text);
    if (text && !copy) {
        SetOutOfMemoryError();
        return false;
    }
    line->SetTextField(copy);
    bool changed = false;
    // A new line of an old card is undone as an added line; its own changes need no undo of their own.
    return ChangeLine(into, base.LineAt(lineIndex), changed);
}

bool CardTransformation::TransformCard(Card* card)
{
    bool changed = false;
    SetCardT(card);
    if (cardLevel) {
        if (moving) {
            PackedDate moved = MoveDate(base.CardDate(card));
            if (moved != base.CardDate(card)) {
                // Free-number placement: the lowest number the new date has free.
                CardKey key{moved, 1};
                if (!change->ChangeCardKey(card, key)) {
                    if (!IsErrorPending())
                        SetOutOfMemoryError();
                    return false;
                }
                changed = true;
            }
        }
        if (TitleChanges()) {
            std::string title;
            TransformedTitle(card, title);
            if (title != (card->title ? card->title : "")) {
                if (!change->SetTitle(card, title.c_str()))
                    return false;
                changed = true;
            }
        }
        if (NotesChange()) {
            std::string notes;
            TransformedNotes(card, notes);
            if (notes != (card->notes ? card->notes : "")) {
                if (!SetNotesWithStamp(card, notes))
                    return false;
                changed = true;
            }
        }
    }
    if (groupLevel && base.FirstGroup(card)) {
        bool several = base.FirstGroup(card)->next != kNoRecord;
        if (several || base.FirstGroup(card)->key != replacements[0]) {
            if (!change->MergeGroupsAtCommit(card, replacements[0]))
                return false;
            changed = true;
        }
    }
    if (lineLevel) {
        for (CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
            for (CardLine* line = base.FirstLine(group); line;) {
                uint32_t next = line->next;
                if (!ChangeLine(card, line, changed))
                    return false;
                line = base.LineAt(next);
            }
        }
    }
    if (changed && !Stamp(card))
        return false;
    host->StepProgress();
    return true;
}

bool CardTransformation::CopyCard(Card* card)
{
    SetCardT(card);
    CardKey key{MoveDate(base.CardDate(card)), 1};
    Card* copy = change->CreateCard(key);
    if (!copy) {
        if (!IsErrorPending())
            SetOutOfMemoryError();
        return false;
    }
    std::string title, notes;
    TransformedTitle(card, title);
    TransformedNotes(card, notes);
    if (!change->SetTitle(copy, title.c_str()))
        return false;
    if (!notes.empty() && !SetNotesWithStamp(copy, notes))
        return false;
    for (CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
        CardGroup* into = change->FindOrAddGroup(copy, TargetGroupKey(group));
        if (!into)
            return false;
        for (CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
            if (!CopyLineInto(copy, into, line))
                return false;
        }
    }
    copy->SetChangeStamp(changeStamp);
    base.DropEmptyGroups(copy);
    host->StepProgress();
    return true;
}

bool CardTransformation::BeginCard(Card* card)
{
    source = card;
    cardChanged = false;
    linesMoved = false;
    SetCardT(card);
    PackedDate moved = MoveDate(base.CardDate(card));
    std::string title, notes;
    TransformedTitle(card, title);
    TransformedNotes(card, notes);
    if (moved == base.CardDate(card) && CStrEqualNoCase(title.c_str(), card->title ? card->title : "") &&
        CStrEqualNoCase(notes.c_str(), card->notes ? card->notes : "")) {
        target = card;
        return true;
    }
    CardKey key{moved, 1};
    target = change->CreateCard(key);
    if (!target) {
        if (!IsErrorPending())
            SetOutOfMemoryError();
        return false;
    }
    if (!change->SetTitle(target, title.c_str()))
        return false;
    if (!notes.empty() && !SetNotesWithStamp(target, notes))
        return false;
    cardChanged = true;
    return true;
}

bool CardTransformation::MoveLine(CardGroup* group, CardLine* line)
{
    int32_t key = TargetGroupKey(group);
    if (target == source && key == group->key) {
        // The line stays where it is and changes in place.
        return ChangeLine(source, line, cardChanged);
    }
    CardGroup* into = change->FindOrAddGroup(target, key);
    if (!into || !CopyLineInto(target, into, line))
        return false;
    // The line leaves its source only when the run completes, so a failure leaves it there.
    if (!change->DeleteLineAtCommit(source, group, line))
        return false;
    cardChanged = true;
    linesMoved = true;
    return true;
}

bool CardTransformation::CopyLine(CardGroup* group, CardLine* line)
{
    CardGroup* into = change->FindOrAddGroup(target, TargetGroupKey(group));
    if (!into || !CopyLineInto(target, into, line))
        return false;
    cardChanged = true;
    return true;
}

bool CardTransformation::MoveGroup(CardGroup* group)
{
    for (CardLine* line = base.FirstLine(group); line;) {
        uint32_t next = line->next;
        if (!MoveLine(group, line))
            return false;
        line = base.LineAt(next);
    }
    return true;
}

bool CardTransformation::CopyGroup(CardGroup* group)
{
    for (CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
        if (!CopyLine(group, line))
            return false;
    }
    return true;
}

bool CardTransformation::EndCard()
{
    if (cardChanged && !Stamp(target))
        return false;
    if (target != source && change->IsNewCard(target))
        base.DropEmptyGroups(target);
    // The source's stamp and its emptied groups come with the commit, which deletes the moved lines.
    source = nullptr;
    target = nullptr;
    host->StepProgress();
    return true;
}

bool CardTransformation::Run(BatchLineSource& lineSource, AnalysisHost& runHost)
{
    if (IsErrorPending())
        return false;
    TransformLineCollector collector;
    // Reserved, not touched: growing a list of millions of lines would copy it over and over.
    collector.lines.reserve(size_t(std::max(base.LineCount(), 0)));
    (void)lineSource.ReadLines(collector);
    if (collector.lines.empty())
        return true;
    if (!stampGiven && !GetUserStamp(changeStamp)) {
        SetErrorCode(message::kBatchNoChangeStamp);
        return false;
    }
    const std::vector<TransformShownLine>& shown = collector.lines;
    int32_t cardCount = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        cardCount += i == 0 || shown[i].card != shown[i - 1].card;
    ComputeDateMove();
    SetChangeFlags();
    host = &runHost;
    bool done = true;
    runHost.StartProgress(cardCount);
    {
        BatchChange batch(base);
        if (!batch.IsValid()) {
            runHost.EndProgress();
            host = nullptr;
            return false;
        }
        batch.FailAfterAdds(failAfterAdds);
        change = &batch;
        try {
            batch.Reserve(size_t(cardCount), 0);
            for (size_t i = 0; i < shown.size() && done;) {
                size_t end = i;
                while (end < shown.size() && shown[end].card == shown[i].card)
                    ++end;
                Card* card = base.CardAt(shown[i].card);
                int32_t cardLines = 0;
                for (CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group))
                    cardLines += TransformGroupLineCount(base, group);
                if (runHost.CancelRequested()) {
                    if (!IsErrorPending())
                        SetCancelledError();
                    done = false;
                } else if (int32_t(end - i) == cardLines) {
                    done = duplicate ? CopyCard(card) : TransformCard(card);
                } else {
                    done = BeginCard(card);
                    for (size_t j = i; j < end && done;) {
                        CardGroup* group = base.GroupAt(shown[j].group);
                        size_t groupEnd = j;
                        while (groupEnd < end && shown[groupEnd].group == shown[j].group)
                            ++groupEnd;
                        if (int32_t(groupEnd - j) == TransformGroupLineCount(base, group)) {
                            done = duplicate ? CopyGroup(group) : MoveGroup(group);
                        } else {
                            for (size_t k = j; k < groupEnd && done; ++k) {
                                CardLine* line = base.LineAt(shown[k].line);
                                done = duplicate ? CopyLine(group, line) : MoveLine(group, line);
                            }
                        }
                        j = groupEnd;
                    }
                    done = done && EndCard();
                }
                i = end;
            }
        } catch (const std::bad_alloc&) {
            SetOutOfMemoryError();
            done = false;
        }
        done = done && !IsErrorPending();
        if (done)
            batch.Commit(changeStamp);
        else
            batch.RollBack();
        change = nullptr;
    }
    host = nullptr;
    source = nullptr;
    target = nullptr;
    if (!done)
        return false;
    runHost.EndProgress();
    base.LogOperation("cards", lineSource.Name(), kLogTransformed);
    base.SetModified(true);
    base.Notify(kChangeCards);
    return true;
}

}  // namespace vek
