// TimeScale and TimeScaleList: periods, labels, lookups by key, sections and the list of a base.
#include "model/dates/TimeScale.h"

#include <string>

#include "foundation/strings/CString.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/base/ChangeRecord.h"
#include "model/links/LinkRename.h"
#include "model/named/NamedObjects.h"

namespace vek {

namespace {

constexpr CardKey kOpenEndKey{kOpenEndNumber, kOpenEndNumber};

// The label as stored: control characters dropped, cut to 63 bytes before a character, and no
// blanks at its end (the file's reader trims them from a field, so they would not read back).
void CleanLabel(String& text, const char* label)
{
    text.AssignCStr(label);
    RemoveControlChars(text);
    if (text.Length() > kMaxPeriodLabelBytes)
        text.Truncate(Utf8SafeCut(text.CStr(), text.Length(), kMaxPeriodLabelBytes));
    text.TrimTrailing(' ');
}

CardKey KeyBefore(CardKey key)
{
    PreviousCardKey(key);
    return key;
}

}  // namespace

// --- TimeScale ---------------------------------------------------------------------------------------

TimeScale::TimeScale(TimeScaleList& owner, const char* text)
    : list(owner), periods(int32_t(sizeof(TimeScalePeriod)))
{
    String clean;
    CleanObjectName(clean, text);
    SetHeapTextFromString(name.Field(), clean);
    list.Append(this);
    Post(kChangeTimeScaleAdded);
}

TimeScale::~TimeScale()
{
    list.Remove(this);
    Post(kChangeTimeScaleDeleted);
    FreeLabels();
    periods.Free();
}

void TimeScale::Post(int32_t code)
{
    Base* base = list.GetBase();
    if (base == nullptr || list.releasing)
        return;
    base->HandleChange(ChangeRecord(code, base, TimeScalePayload{this}));
}

void TimeScale::Rename(const char* newName)
{
    String clean;
    CleanObjectName(clean, newName);
    if (CStrEqual(name.CStr(), clean.CStr()))
        return;
    SetHeapTextFromString(name.Field(), clean);
    Post(kChangeTimeScaleRenamed);
}

TimeScalePeriod* TimeScale::PeriodAt(int32_t i) const
{
    return static_cast<TimeScalePeriod*>(periods.At(i));
}

CardKey TimeScale::PeriodStart(int32_t i) const
{
    const TimeScalePeriod* period = PeriodAt(i);
    return period != nullptr ? period->start : CardKey{};
}

bool TimeScale::ApplyLinkRename(const LinkRename& rename)
{
    bool changed = false;
    for (int32_t i = 0; i < periods.Count(); ++i) {
        TimeScalePeriod* period = PeriodAt(i);
        if (period == nullptr || period->label == nullptr)
            continue;
        std::string work(period->label, size_t(HeapTextLength(period->label)));
        if (!rename.RewriteText(work))
            continue;
        String raw;
        raw.AssignBytes(work);
        String clean;
        CleanLabel(clean, raw.CStr());
        HeapText fresh = NewHeapTextFromBytes(clean.CStr(), clean.Length());
        if (fresh == nullptr && !clean.IsEmpty()) {
            SetOutOfMemoryError();
            continue;
        }
        SetHeapText(period->label, nullptr);
        period->label = fresh;
        changed = true;
    }
    return changed;
}

ConstHeapText TimeScale::PeriodLabel(int32_t i) const
{
    const TimeScalePeriod* period = PeriodAt(i);
    return period != nullptr ? period->label : nullptr;
}

void TimeScale::FreeLabels()
{
    for (int32_t i = 0; i < periods.Count(); ++i) {
        if (TimeScalePeriod* period = PeriodAt(i))
            SetHeapText(period->label, nullptr);
    }
}

void TimeScale::ClearPeriods()
{
    FreeLabels();
    periods.Truncate(0);
}

bool TimeScale::AddPeriod(const CardKey& start, const char* label)
{
    if (start.date == 0)
        return false;
    int32_t count = periods.Count();
    // Files written by this program list the periods in order, so the place is nearly always the end.
    int32_t place = count;
    if (count > 0 && !CardKeyGreater(start, PeriodStart(count - 1))) {
        place = PeriodIndex(start) + 1;
        if (place > 0 && CardKeyEquals(PeriodStart(place - 1), start))
            return false;
    }
    String text;
    CleanLabel(text, label);
    HeapText copy = nullptr;
    if (!text.IsEmpty()) {
        copy = text.NewHeapText();
        if (copy == nullptr)
            return false;
    }
    if (periods.AtGrow(count) == nullptr) {
        SetHeapText(copy, nullptr);
        return false;
    }
    for (int32_t i = count; i > place; --i)
        periods.CopyElement(i, i - 1);
    TimeScalePeriod* period = PeriodAt(place);
    period->start = start;
    period->label = copy;
    return true;
}

int32_t TimeScale::PeriodIndex(const CardKey& key) const
{
    int32_t low = 0;
    int32_t high = periods.Count();  // the answer lies in low - 1 .. high - 1
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (CardKeyLessOrEqual(PeriodStart(middle), key))
            low = middle + 1;
        else
            high = middle;
    }
    return low - 1;
}

ConstHeapText TimeScale::GetLabel(const CardKey& key) const
{
    int32_t i = PeriodIndex(key);
    return i >= 0 ? PeriodLabel(i) : nullptr;
}

void TimeScale::PeriodBounds(const CardKey& key, int32_t offset, CardKey& start, CardKey& end) const
{
    int32_t count = periods.Count();
    if (count == 0) {
        start = CardKey{};
        end = kOpenEndKey;
        return;
    }
    // In 64 bits: an offset near the integer limits must not wrap around.
    int64_t i = int64_t(PeriodIndex(key)) + offset;
    if (i < 0) {
        start = CardKey{};
        end = KeyBefore(PeriodStart(0));
    } else if (i >= count - 1) {
        start = PeriodStart(count - 1);
        end = kOpenEndKey;
    } else {
        start = PeriodStart(int32_t(i));
        end = KeyBefore(PeriodStart(int32_t(i) + 1));
    }
}

void TimeScale::NextPeriodStart(const CardKey& key, CardKey& out) const
{
    int32_t next = PeriodIndex(key) + 1;
    out = next < periods.Count() ? PeriodStart(next) : kOpenEndKey;
}

int32_t TimeScale::FindLabel(const char* label, int32_t length) const
{
    String wanted;
    wanted.AssignBytes(label, length < 0 ? CStrLength(label) : length);
    for (int32_t i = 0; i < periods.Count(); ++i) {
        ConstHeapText own = PeriodLabel(i);
        if (CStrEqualNoCase(own != nullptr ? own : "", wanted.CStr()))
            return i;
    }
    return -1;
}

void TimeScale::ResolvePeriod(int64_t index, int32_t side, CardKey& key) const
{
    int32_t count = periods.Count();
    if (count == 0) {
        key = side < 0 ? CardKey{} : kOpenEndKey;
        return;
    }
    if (index < 0) {
        key = side < 0 ? CardKey{} : KeyBefore(PeriodStart(0));
        return;
    }
    int32_t i = index >= count ? count - 1 : int32_t(index);
    CardKey start = PeriodStart(i);
    if (side < 0) {
        key = start;
        return;
    }
    Base* base = list.GetBase();
    if (i + 1 < count) {
        CardKey next = PeriodStart(i + 1);
        key = KeyBefore(next);
        if (base != nullptr) {
            Card* before = base->PreviousCard(base->FindCardAtOrAfter(next));
            if (before != nullptr && before != base->ChainEnd())
                base->GetCardKey(before, key);
        }
        return;
    }
    key = CardKey{};
    if (base != nullptr)
        base->GetBoundaryCardKey(key, CardEdge::Last);
    if (key.date <= start.date)
        key = CardKey{MakePackedDate(PackedDateYear(start.date), 12, 31), kOpenEndNumber};
}

bool TimeScale::CopyPeriods(const TimeScale& other)
{
    if (&other == this)
        return true;
    PagedArray copy(int32_t(sizeof(TimeScalePeriod)));
    int32_t kept = 0;
    bool failed = false;
    for (int32_t i = 0; i < other.periods.Count() && !failed; ++i) {
        const TimeScalePeriod* source = other.PeriodAt(i);
        if (kept > 0 && CardKeyEquals(static_cast<TimeScalePeriod*>(copy.At(kept - 1))->start, source->start))
            continue;
        auto* target = static_cast<TimeScalePeriod*>(copy.AtGrow(kept));
        if (target == nullptr) {
            failed = true;
            break;
        }
        target->start = source->start;
        target->label = CopyHeapBlock(source->label);
        ++kept;
        if (source->label != nullptr && target->label == nullptr)
            failed = true;
    }
    if (failed) {
        for (int32_t i = 0; i < kept; ++i)
            SetHeapText(static_cast<TimeScalePeriod*>(copy.At(i))->label, nullptr);
        return false;
    }
    FreeLabels();
    periods = std::move(copy);
    return true;
}

bool TimeScale::EqualPeriods(const TimeScale& other) const
{
    if (periods.Count() != other.periods.Count())
        return false;
    for (int32_t i = 0; i < periods.Count(); ++i) {
        if (CardKeyDiffers(PeriodStart(i), other.PeriodStart(i)))
            return false;
        if (CompareHeapText(PeriodLabel(i), other.PeriodLabel(i) != nullptr ? other.PeriodLabel(i) : "") != 0)
            return false;
    }
    return true;
}

int64_t TimeScale::GetMemoryUse() const
{
    int64_t bytes = kTimeScaleRecordSize;
    if (!name.IsNull())
        bytes += name.Length() + 1;
    for (int32_t i = 0; i < periods.Count(); ++i) {
        bytes += kTimeScalePeriodRecordSize;
        if (ConstHeapText label = PeriodLabel(i))
            bytes += HeapTextLength(label) + 1;
    }
    return bytes;
}

void TimeScale::Read(TextReader& reader)
{
    ClearPeriods();
    char label[kMaxPeriodLabelBytes + 1];
    while (!IsErrorPending() && reader.ReadLine()) {
        if (!reader.NextField())
            continue;
        if (IsSectionMarker(reader.Token(), reader.TokenLength())) {
            reader.RestartLine();
            break;
        }
        CardKey start;
        ParseCardKey(start, reader.Token(), reader.TokenLength(), -1);
        if (start.date == 0)
            continue;
        reader.NextFieldToBuffer(label, int32_t(sizeof label));
        // A repeated start keeps the first period; memory running short drops the line.
        (void)AddPeriod(start, label);
    }
    Post(kChangeTimeScaleRead);
}

void TimeScale::Write(TextWriter& writer) const
{
    writer.PutText("##TimeScale");
    writer.PutSeparator();
    writer.PutFieldHeapText(name.Get());
    writer.EndRow();
    char key[kCardKeyTextCapacity];
    for (int32_t i = 0; i < periods.Count(); ++i) {
        FormatCardKeyPlain(key, PeriodStart(i));
        writer.PutText(key);
        writer.PutSeparator();
        writer.PutFieldHeapText(PeriodLabel(i));
        writer.EndRow();
    }
    writer.EndRow();
}

// --- TimeScaleList -----------------------------------------------------------------------------------

TimeScaleList::TimeScaleList(Base* owner) : NamedList(owner) {}

TimeScaleList::~TimeScaleList()
{
    Release();
}

TimeScale* TimeScaleList::Last() const
{
    TimeScale* last = first;
    while (last != nullptr && last->next != nullptr)
        last = last->next;
    return last;
}

int32_t TimeScaleList::IndexOf(const TimeScale* timeScale) const
{
    int32_t i = 0;
    for (TimeScale* item = first; item != nullptr; item = item->next, ++i) {
        if (item == timeScale)
            return i;
    }
    return -1;
}

TimeScale* TimeScaleList::At(int32_t index) const
{
    if (index < 0)
        return nullptr;
    TimeScale* item = first;
    while (item != nullptr && index-- > 0)
        item = item->next;
    return item;
}

void TimeScaleList::Append(TimeScale* timeScale)
{
    if (timeScale == nullptr || timeScale->linked || &timeScale->list != this)
        return;
    TimeScale** link = &first;
    while (*link != nullptr)
        link = &(*link)->next;
    *link = timeScale;
    timeScale->next = nullptr;
    timeScale->linked = true;
    ++count;
}

void TimeScaleList::Remove(TimeScale* timeScale)
{
    if (timeScale == nullptr || !timeScale->linked)
        return;
    for (TimeScale** link = &first; *link != nullptr; link = &(*link)->next) {
        if (*link == timeScale) {
            *link = timeScale->next;
            timeScale->next = nullptr;
            timeScale->linked = false;
            --count;
            return;
        }
    }
}

void TimeScaleList::DeleteAfter(TimeScale* last)
{
    if (last != nullptr && IndexOf(last) < 0)
        return;
    while (true) {
        TimeScale* victim = last != nullptr ? last->next : first;
        if (victim == nullptr)
            return;
        delete victim;
    }
}

int64_t TimeScaleList::GetMemoryUse() const
{
    int64_t bytes = 0;
    for (TimeScale* item = first; item != nullptr; item = item->next)
        bytes += item->GetMemoryUse();
    return bytes;
}

void TimeScaleList::BuildMenu(ObjectMenu& menu)
{
    for (TimeScale* item = first; item != nullptr; item = item->next)
        menu.AddTimeScaleItem(*item);
}

TimeScale* TimeScaleList::ReadSection(TextReader& reader)
{
    TimeScale* timeScale = SectionObject(reader, text::kTimeScaleName);
    timeScale->Read(reader);
    return timeScale;
}

void TimeScaleList::WriteSections(TextWriter& writer) const
{
    WriteEachSection(writer, EmptyListSections::EmptyLine);
}

// --- TimeScaleListLookup -----------------------------------------------------------------------------

namespace {

bool TrimmedKey(std::string_view text, String& key)
{
    return NameLookupKey(text.data(), int32_t(text.size()), key);
}

}  // namespace

TimeScaleListLookup::~TimeScaleListLookup() = default;

TimeScale* TimeScaleListLookup::FindPeriod(const Base* base, std::string_view label, int32_t& index) const
{
    TimeScaleList* timeScales = ListOf(base);
    String key;
    if (timeScales == nullptr || !TrimmedKey(label, key))
        return nullptr;
    for (TimeScale* item = timeScales->First(); item != nullptr; item = item->Next()) {
        index = item->FindLabel(key.CStr(), key.Length());
        if (index >= 0)
            return item;
    }
    return nullptr;
}

bool TimeScaleListLookup::FindPeriodLabel(const Base* base, std::string_view text, String& label) const
{
    int32_t index = -1;
    TimeScale* timeScale = FindPeriod(base, text, index);
    if (timeScale == nullptr)
        return false;
    label.AssignHeapText(timeScale->PeriodLabel(index));
    return true;
}

bool TimeScaleListLookup::FindTimeScaleName(const Base* base, std::string_view text, String& name) const
{
    TimeScaleList* timeScales = ListOf(base);
    TimeScale* timeScale = timeScales != nullptr ? timeScales->Find(text.data(), int32_t(text.size())) : nullptr;
    if (timeScale == nullptr)
        return false;
    name.AssignHeapText(timeScale->GetName());
    return true;
}

bool TimeScaleListLookup::PeriodKey(const Base* base, std::string_view label, int32_t offset, int32_t side,
                                    CardKey& key) const
{
    int32_t index = -1;
    TimeScale* timeScale = FindPeriod(base, label, index);
    if (timeScale == nullptr)
        return false;
    timeScale->ResolvePeriod(int64_t(index) + offset, side, key);
    return true;
}

bool TimeScaleListLookup::TimeScaleKey(const Base* base, std::string_view name, const CardKey& day,
                                       int32_t offset, int32_t side, CardKey& key) const
{
    TimeScaleList* timeScales = ListOf(base);
    TimeScale* timeScale = timeScales != nullptr ? timeScales->Find(name.data(), int32_t(name.size())) : nullptr;
    if (timeScale == nullptr)
        return false;
    timeScale->ResolvePeriod(int64_t(timeScale->PeriodIndex(day)) + offset, side, key);
    return true;
}

}  // namespace vek
