// TimeScale and TimeScaleList: named divisions of time into labelled periods, owned by their list.
#pragma once

#include <cstdint>

#include "foundation/numbers/CardKey.h"
#include "foundation/strings/HeapText.h"
#include "foundation/strings/OwnedText.h"
#include "foundation/memory/PagedArray.h"
#include "model/dates/TimeScaleLookup.h"
#include "model/named/NamedList.h"

namespace vek {

class Base;
class ObjectMenu;
class TextReader;
class TextWriter;
class LinkRename;
class TimeScaleList;

// Record sizes that memory reports count: the time scale and one period (labels come on top).
constexpr int32_t kTimeScaleRecordSize = 32;
constexpr int32_t kTimeScalePeriodRecordSize = 12;
// Bytes a period label keeps (cut before a character that does not fit whole).
constexpr int32_t kMaxPeriodLabelBytes = 63;

// One period of a time scale: it starts at `start` and runs up to the key just before the next
// period's start; the last period is open at its end.
struct TimeScalePeriod {
    CardKey start;
    HeapText label;  // owned; null for none
};

// A named, user-defined division of time into periods, each starting at a card key and carrying a
// short label (a quarter or season name). Date expressions name a period by its label or a whole time
// scale; analyses group cards by period. The base's time-scale list owns every time scale:
// TimeScaleList::Create makes one at the end of the list and TimeScaleList::Delete destroys it.
//
// Invariant: periods are ascending by start and no two share a start, so every lookup is a binary
// search. Names and labels hold no control characters, so that each fits on its line of the file;
// names are trimmed of blanks (CleanObjectName).
class TimeScale {
public:
    TimeScale(const TimeScale&) = delete;
    TimeScale& operator=(const TimeScale&) = delete;

    TimeScaleList& List() const { return list; }
    TimeScale* Next() const { return next; }
    ConstHeapText GetName() const { return name.Get(); }
    // Change 50 when the name really changes.
    void Rename(const char* newName);

    int32_t PeriodCount() const { return periods.Count(); }
    // Period i (0 <= i < PeriodCount()); the empty key and null outside.
    CardKey PeriodStart(int32_t i) const;
    ConstHeapText PeriodLabel(int32_t i) const;
    // Puts a period at its place by start; control characters of the label are dropped, it is cut
    // to 63 bytes and trailing blanks go. False, with nothing changed, for an empty start, a start that a period has already,
    // or when memory runs short. Posts nothing (Read and the editor post their change when done).
    [[nodiscard]] bool AddPeriod(const CardKey& start, const char* label);
    void ClearPeriods();

    // The index of the last period whose start is at or before the key; -1 before the first period
    // and when there are none.
    int32_t PeriodIndex(const CardKey& key) const;
    // The label of the period that holds the key; null before the first period.
    ConstHeapText GetLabel(const CardKey& key) const;
    // The period `offset` periods from the one holding the key: i = PeriodIndex + offset. Below 0:
    // the empty key to the key before the first start; at or beyond the last index: the last start to
    // the open end (0x7fffffff, 0x7fffffff); otherwise period i's start to the key before period i+1.
    // Without periods every offset gives the empty key to the open end.
    void PeriodBounds(const CardKey& key, int32_t offset, CardKey& start, CardKey& end) const;
    // The start of the period after the one holding the key (the first period for a key before it);
    // the open end when that period is the last or there are none.
    void NextPeriodStart(const CardKey& key, CardKey& out) const;
    // True when the predicate accepts any period's label (an empty label is given as "").
    template <typename Predicate>
    bool MatchLabel(Predicate&& matches) const;
    // The index of the first period whose label equals the text without regard to case, or -1.
    int32_t FindLabel(const char* label, int32_t length) const;

    // The key at the `side` edge of period `index` (what a date expression naming the period stands
    // for). Side -1: the period's start. Side +1: the key of the base's last card before the next
    // period starts (the key before that start when no card lies before it); for the last period
    // the base's last card, or 31 December of the start's year with the open-end number when that
    // card's date is not after the start. An index below 0 gives the empty key (side -1) or the key
    // before the first start (side +1); an index beyond the last is the last. Without periods: the
    // empty key or the open end.
    void ResolvePeriod(int64_t index, int32_t side, CardKey& key) const;

    // Replaces the periods by copies of the other's, dropping an entry whose start equals the one
    // before it. False, with the periods unchanged, when memory runs short.
    [[nodiscard]] bool CopyPeriods(const TimeScale& other);
    // Same count, equal starts and equal labels.
    bool EqualPeriods(const TimeScale& other) const;
    // Change 63: rewrites the links in every label (kept as labels are: at most 63 bytes, no control
    // characters); true when a label changed. A label that cannot be stored stays as it was.
    bool ApplyLinkRename(const LinkRename& rename);

    // 32 bytes, the name's block, 12 bytes per period and the labels' blocks.
    int64_t GetMemoryUse() const;

    // The section lines after the "##TimeScale" marker: the periods are cleared, then each line
    // whose first field reads as a card key (side -1) with a date adds a period with the next field
    // as its label; other lines are skipped. Stops at the next section marker (left as the reader's
    // current line, restarted), at the end of input or when the cancel flag is set. Change 51.
    void Read(TextReader& reader);
    // The marker line with the name, one line per period (start key, label) and an empty line.
    void Write(TextWriter& writer) const;

private:
    friend class TimeScaleList;
    friend class NamedList<TimeScaleList, TimeScale>;
    template <typename T>
    friend T* FindInNamedChain(T* first, const char* name, int32_t length);

    // No periods; appended to the list; change 52.
    TimeScale(TimeScaleList& list, const char* name);
    // Leaves the list; change 53 (none while the whole list is being released).
    ~TimeScale();

    TimeScalePeriod* PeriodAt(int32_t i) const;
    void Post(int32_t code);
    void FreeLabels();

    TimeScaleList& list;
    TimeScale* next = nullptr;
    bool linked = false;
    OwnedText name;
    mutable PagedArray periods;
};

template <typename Predicate>
bool TimeScale::MatchLabel(Predicate&& matches) const
{
    for (int32_t i = 0; i < periods.Count(); ++i) {
        ConstHeapText label = PeriodLabel(i);
        if (matches(label != nullptr ? label : ""))
            return true;
    }
    return false;
}

// The time scales of one base, singly linked in the order they were added; Create appends.
class TimeScaleList : public NamedList<TimeScaleList, TimeScale> {
public:
    explicit TimeScaleList(Base* base);
    // Deletes every time scale without posting changes (the base is going away).
    ~TimeScaleList();

    TimeScale* Last() const;
    // -1 when the time scale is not in the list.
    int32_t IndexOf(const TimeScale* timeScale) const;
    // Null outside 0..Count()-1.
    TimeScale* At(int32_t index) const;

    // Appends a time scale of this list that was removed; Remove unlinks one, which stays alive.
    // Neither posts a change.
    void Append(TimeScale* timeScale);
    void Remove(TimeScale* timeScale);
    // Deletes the time scales after `last` (all of them when `last` is null): the rollback of a base
    // checkpoint, which remembered Last().
    void DeleteAfter(TimeScale* last);

    int64_t GetMemoryUse() const;
    // One item per time scale, in list order.
    void BuildMenu(ObjectMenu& menu);

    // A "##TimeScale" section whose marker line is the reader's current line, the field cursor after
    // the marker: the name is the next field (empty: text 7000 and " 1"); an existing time scale of
    // that name is read again in place, else a new one is appended.
    TimeScale* ReadSection(TextReader& reader);
    // Every time scale in list order (TimeScale::Write), then an empty line.
    void WriteSections(TextWriter& writer) const;

private:
    friend class TimeScale;
};

// The base's time-scale list: the base owns it and gives it out through this function.
using TimeScaleListOfBase = TimeScaleList* (*)(const Base* base);

// What date expressions need of time scales, over the time-scale lists of the bases. A period label
// or a time-scale name is found when it equals the typed text trimmed of blanks, without regard to
// case; the time scales are searched in list order, their periods in order.
class TimeScaleListLookup : public TimeScaleLookup {
public:
    explicit TimeScaleListLookup(TimeScaleListOfBase listOf) : listOf(listOf) {}
    ~TimeScaleListLookup() override;

    bool FindPeriodLabel(const Base* base, std::string_view text, String& label) const override;
    bool FindTimeScaleName(const Base* base, std::string_view text, String& name) const override;
    // The period `offset` periods from the first one labelled `label`, by TimeScale::ResolvePeriod.
    bool PeriodKey(const Base* base, std::string_view label, int32_t offset, int32_t side,
                   CardKey& key) const override;
    // The period `offset` periods from the one holding `day`, by TimeScale::ResolvePeriod.
    bool TimeScaleKey(const Base* base, std::string_view name, const CardKey& day, int32_t offset,
                      int32_t side, CardKey& key) const override;

private:
    TimeScaleList* ListOf(const Base* base) const { return listOf != nullptr ? listOf(base) : nullptr; }
    // The first time scale with a period of that label and the period's index.
    TimeScale* FindPeriod(const Base* base, std::string_view label, int32_t& index) const;

    TimeScaleListOfBase listOf;
};

}  // namespace vek
