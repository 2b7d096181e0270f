// CardAggregation: summarising the card lines a window shows into one card per period.
#include "analysis/batch/CardAggregation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>

#include "analysis/AnalysisHost.h"
#include "analysis/batch/BatchChange.h"
#include "analysis/batch/BatchLineSource.h"
#include "analysis/batch/DimensionWindowServices.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/memory/CallbackSort.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "model/cards/Card.h"
#include "model/dates/DateExpression.h"
#include "model/dates/TimeScale.h"
#include "foundation/messages/TextIds.h"

namespace vek {

namespace {

// The operation-log code of an aggregation.
constexpr int32_t kLogAggregated = 12;
// The collection grows by this many lines at least.
constexpr int32_t kAggregateGrowth = 4000;

struct AggregateKeyword {
    const char* word;
    AggregatePeriod kind;
};

// The period keywords in the order they are tried (the first whose text the word starts with wins).
constexpr AggregateKeyword kAggregatePeriodWords[] = {
    {"onecard", AggregatePeriod::OneCard},     {"years", AggregatePeriod::Years},
    {"halfyears", AggregatePeriod::HalfYears}, {"tertials", AggregatePeriod::Tertials},
    {"quarters", AggregatePeriod::Quarters},   {"2months", AggregatePeriod::TwoMonths},
    {"months", AggregatePeriod::Months},       {"halfmonths", AggregatePeriod::HalfMonths},
    {"4weeks", AggregatePeriod::FourWeeks},    {"3weeks", AggregatePeriod::ThreeWeeks},
    {"2weeks", AggregatePeriod::TwoWeeks},     {"weeks", AggregatePeriod::Weeks},
    {"days", AggregatePeriod::Days},           {"cards", AggregatePeriod::EachCard},
};

// Months per period of the month-based kinds; 0 for the others.
int32_t AggregateMonthsPerPeriod(AggregatePeriod kind)
{
    switch (kind) {
    case AggregatePeriod::HalfYears: return 6;
    case AggregatePeriod::Tertials: return 4;
    case AggregatePeriod::Quarters: return 3;
    case AggregatePeriod::TwoMonths: return 2;
    case AggregatePeriod::Months: return 1;
    default: return 0;
    }
}

int32_t AggregateDaysPerPeriod(AggregatePeriod kind)
{
    switch (kind) {
    case AggregatePeriod::FourWeeks: return 28;
    case AggregatePeriod::ThreeWeeks: return 21;
    case AggregatePeriod::TwoWeeks: return 14;
    case AggregatePeriod::Weeks: return 7;
    default: return 0;
    }
}

// The first collection size for n source lines.
int32_t AggregateCollectionSize(AggregatePeriod kind, int32_t n)
{
    int32_t size = n;
    switch (kind) {
    case AggregatePeriod::HalfYears: size = n - n / 3; break;
    case AggregatePeriod::Tertials: size = n / 2; break;
    case AggregatePeriod::Quarters:
    case AggregatePeriod::TimeScale: size = n / 3; break;
    case AggregatePeriod::TwoMonths: size = n / 5; break;
    case AggregatePeriod::Months:
    case AggregatePeriod::FourWeeks: size = n / 8; break;
    case AggregatePeriod::HalfMonths:
    case AggregatePeriod::TwoWeeks: size = n / 12; break;
    case AggregatePeriod::ThreeWeeks: size = n / 10; break;
    case AggregatePeriod::Weeks: size = n / 16; break;
    case AggregatePeriod::Days: size = n / 32; break;
    case AggregatePeriod::EachCard: size = n / 64; break;
    default: break;
    }
    return std::min(std::max(size, 4000), n);
}

// Counts the source's lines.
class AggregateLineCounter final : public ShownLineReader {
public:
    bool Line(Card*, CardGroup*, CardLine*) override
    {
        ++count;
        return true;
    }
    int32_t count = 0;
};

// The date's digits without the day: YYMM (YYYYMM outside 1928-2027).
std::string AggregateMonthDigits(PackedDate date)
{
    char digits[kPackedDateTextCapacity];
    FormatPackedDateDigits(digits, date);
    std::string text(digits);
    return text.size() > 2 ? text.substr(0, text.size() - 2) : text;
}

std::string AggregateDateDigits(PackedDate date)
{
    char digits[kPackedDateTextCapacity];
    FormatPackedDateDigits(digits, date);
    return digits;
}

}  // namespace

CardAggregation::CardAggregation(Base& base) : base(base)
{
    title = LoadText(text::kAggregatedTitle);
}

CardAggregation::~CardAggregation() = default;

void CardAggregation::SetTitle(const char* text)
{
    String trimmed;
    trimmed.AssignCStr(text);
    trimmed.Trim();
    title = trimmed.CStr();
}

bool CardAggregation::ParseOptions(const char* word)
{
    if (!word)
        return false;
    switch (awaited) {
    case Awaited::Nothing:
        break;
    case Awaited::OneCardDate: {
        awaited = Awaited::Nothing;
        DateExpression expression(&base, -1);
        if (!expression.ParseCString(word) || expression.Value().date == 0)
            return false;
        oneCardDate = expression.Value().date;
        return true;
    }
    case Awaited::TimeScale: {
        awaited = Awaited::Nothing;
        const TimeScale* scale = base.TimeScales().Find(word);
        if (!scale)
            return false;
        timeScale = scale;
        period = AggregatePeriod::TimeScale;
        return true;
    }
    case Awaited::Title:
        awaited = Awaited::Nothing;
        SetTitle(word);
        return true;
    case Awaited::DimensionName: {
        int32_t d = base.FindDimensionByName(word);
        if (d < 0 || d >= int32_t(kDimensionCount)) {
            awaited = Awaited::Nothing;
            return false;
        }
        awaitedDimension = d;
        awaited = Awaited::DimensionLevel;
        return true;
    }
    case Awaited::DimensionLevel: {
        awaited = Awaited::Nothing;
        if (CStrEqualNoCase(word, "none")) {
            levels[size_t(awaitedDimension)] = kAggregateLevelNone;
            return true;
        }
        int32_t level = 0;
        const char* p = word;
        for (; *p >= '0' && *p <= '9' && level <= kAggregateMaxLevel; ++p)
            level = level * 10 + (*p - '0');
        if (*p != '\0' || p == word || level < 1 || level > kAggregateMaxLevel)
            return false;
        levels[size_t(awaitedDimension)] = int16_t(level + 3);
        return true;
    }
    }
    if (word[0] != '-')
        return false;
    const char* rest = word + 1;
    for (const AggregateKeyword& keyword : kAggregatePeriodWords) {
        if (CStrStartsWithNoCase(rest, keyword.word)) {
            period = keyword.kind;
            if (keyword.kind == AggregatePeriod::OneCard)
                awaited = Awaited::OneCardDate;
            return true;
        }
    }
    if (CStrStartsWithNoCase(rest, "timescale")) {
        awaited = Awaited::TimeScale;
    } else if (CStrStartsWithNoCase(rest, "title")) {
        awaited = Awaited::Title;
    } else if (CStrStartsWithNoCase(rest, "dim")) {
        awaited = Awaited::DimensionName;
    } else if (CStrStartsWithNoCase(rest, "periodnames")) {
        periodNames = true;
    } else if (CStrStartsWithNoCase(rest, "noperiodnames")) {
        periodNames = false;
    } else if (CStrStartsWithNoCase(rest, "duplicate")) {
        duplicate = true;
    } else if (CStrStartsWithNoCase(rest, "skipzerolines")) {
        skipZeroLines = true;
    } else if (CStrStartsWithNoCase(rest, "keepzerolines")) {
        skipZeroLines = false;
    } else if (CStrStartsWithNoCase(rest, "skiplinetexts")) {
        skipLineTexts = true;
    } else if (CStrStartsWithNoCase(rest, "keeplinetexts")) {
        skipLineTexts = false;
    } else {
        return false;
    }
    return true;
}

void CardAggregation::PeriodOfDate(AggregatePeriod kind, PackedDate date, PackedDate& start, PackedDate& end)
{
    int32_t y = PackedDateYear(date);
    int32_t m = PackedDateMonth(date);
    int32_t d = PackedDateDay(date);
    if (kind == AggregatePeriod::Years) {
        start = MakePackedDate(y, 1, 1);
        end = MakePackedDate(y, 12, 31);
    } else if (int32_t k = AggregateMonthsPerPeriod(kind); k > 0) {
        int32_t first = m - (m - 1) % k;
        start = MakePackedDate(y, first, 1);
        PackedDate lastMonth = MakePackedDate(y, first + k - 1, 1);
        end = MakePackedDate(y, first + k - 1, DaysInMonthOfPackedDate(lastMonth));
    } else if (kind == AggregatePeriod::HalfMonths) {
        start = MakePackedDate(y, m, d <= 15 ? 1 : 16);
        end = d <= 15 ? MakePackedDate(y, m, 15) : MakePackedDate(y, m, DaysInMonthOfPackedDate(date));
    } else if (int32_t days = AggregateDaysPerPeriod(kind); days > 0) {
        int32_t dn = PackedDateToDayNumber(date);
        int32_t first = dn - (dn - 1) % days;
        start = DayNumberToPackedDate(first);
        end = DayNumberToPackedDate(int64_t(first) + days - 1);
    } else {
        start = date;
        end = date;
    }
}

void CardAggregation::BuildComponentMap()
{
    map.clear();
    bool any = false;
    for (int16_t level : levels)
        any = any || level != kAggregateLevelKeep;
    if (!any)
        return;
    const RecordPool& pool = base.ComponentPool();
    map.resize(size_t(pool.ElementCount()));
    for (size_t i = 0; i < map.size(); ++i)
        map[i] = uint32_t(i);
    for (int32_t d = int32_t(kDimensionCount) - 1; d >= 0; --d) {
        int32_t level = levels[size_t(d)];
        if (level == kAggregateLevelKeep)
            continue;
        Component* root = base.Root(d);
        if (level == kAggregateLevelNone) {
            for (Component* c = root->NextInSubtree(pool, root); c && c != root; c = c->NextInSubtree(pool, root))
                map[c->number] = uint32_t(d);
        } else if (level == kAggregateLevelAsShown) {
            (void)Service<DimensionWindowServices>::Get().MapHiddenComponents(map, base, d);
        } else {
            int32_t k = level - 3;
            int32_t depth = 0;
            // Pre-order: a parent's map value is final before its children are reached.
            for (Component* c = root->NextInSubtreeWithDepth(pool, root, depth); c && c != root;
                 c = c->NextInSubtreeWithDepth(pool, root, depth)) {
                if (depth > k && c->parent < map.size())
                    map[c->number] = map[c->parent];
            }
        }
    }
}

bool CardAggregation::AddCard(Card* card, CardGroup* group, CardLine* line)
{
    if (failed)
        return false;
    switch (period) {
    case AggregatePeriod::EachCard:
        if (card->index != currentCard) {
            if (!FinishSummary())
                return false;
            currentCard = card->index;
        }
        break;
    case AggregatePeriod::OneCard:
        break;
    case AggregatePeriod::TimeScale: {
        CardKey key;
        base.GetCardKey(card, key);
        if (!periodOpen || CardKeyLess(periodEndKey, key)) {
            if (!FinishSummary())
                return false;
            TakePeriodOf(card);
        }
        break;
    }
    default:
        if (!periodOpen || base.CardDate(card) > periodEnd) {
            if (!FinishSummary())
                return false;
            TakePeriodOf(card);
        }
        break;
    }
    if (collected.size() == collected.capacity()) {
        size_t grown = collected.capacity() + std::max<size_t>(kAggregateGrowth, collected.capacity() / 2);
        if (collectionLimit >= 0 && grown > size_t(collectionLimit)) {
            // A summary of part of the lines would be reported as whole: the run stops instead.
            SetOutOfMemoryError();
            failed = true;
            return false;
        }
        collected.reserve(grown);
    }
    collected.push_back(Collected{card->index, group->index, line->index});
    host->StepProgress();
    return true;
}

void CardAggregation::TakePeriodOf(const Card* card)
{
    periodOpen = true;
    periodLabel.clear();
    if (period == AggregatePeriod::TimeScale) {
        CardKey key;
        base.GetCardKey(card, key);
        if (timeScale)
            timeScale->PeriodBounds(key, 0, periodStartKey, periodEndKey);
        else
            periodEndKey = CardKey{kEndDate, kOpenEndNumber};
        if (periodStartKey.date == 0)
            base.GetBoundaryCardKey(periodStartKey, CardEdge::First);
        if (timeScale) {
            if (ConstHeapText label = timeScale->GetLabel(key)) {
                periodLabel = label;
                while (!periodLabel.empty() && periodLabel.back() == ' ')
                    periodLabel.pop_back();
            }
        }
        return;
    }
    PeriodOfDate(period, base.CardDate(card), periodStart, periodEnd);
    switch (period) {
    case AggregatePeriod::Years:
        periodLabel = std::to_string(PackedDateYear(periodStart));
        break;
    case AggregatePeriod::HalfYears:
    case AggregatePeriod::Tertials:
    case AggregatePeriod::Quarters:
    case AggregatePeriod::TwoMonths:
        periodLabel = AggregateMonthDigits(periodStart) + "-" + AggregateMonthDigits(periodEnd);
        break;
    case AggregatePeriod::Months:
        periodLabel = AggregateMonthDigits(periodStart);
        break;
    default:
        if (periodStart != periodEnd)
            periodLabel = AggregateDateDigits(periodStart) + "-" + AggregateDateDigits(periodEnd);
        break;
    }
}

void CardAggregation::PeriodTitle(std::string& out) const
{
    out = title;
    if (periodNames && period != AggregatePeriod::OneCard && !periodLabel.empty())
        out += " " + periodLabel;
}

int32_t CardAggregation::CompareLines(int32_t a, int32_t b) const
{
    const uint32_t* ka = sortKeys.data() + size_t(a) * size_t(keyWidth);
    const uint32_t* kb = sortKeys.data() + size_t(b) * size_t(keyWidth);
    for (int32_t i : varyingKeyWords) {
        if (ka[i] != kb[i])
            return ka[i] < kb[i] ? -1 : 1;
    }
    if (skipLineTexts)
        return 0;
    ConstHeapText ta = base.LineAt(collected[size_t(a)].line)->Text();
    ConstHeapText tb = base.LineAt(collected[size_t(b)].line)->Text();
    return CompareTextsNullFirst(ta && *ta ? ta : nullptr, tb && *tb ? tb : nullptr);
}

bool CardAggregation::FinishSummary()
{
    if (failed)
        return false;
    if (collected.empty())
        return true;
    Card* target = nullptr;
    CardKey summaryKey{0, 0};
    if (period == AggregatePeriod::EachCard) {
        target = base.CardAt(currentCard);
    } else {
        if (period == AggregatePeriod::OneCard)
            summaryKey = CardKey{oneCardDate, 0};
        else if (period == AggregatePeriod::TimeScale)
            summaryKey = periodStartKey;
        else
            summaryKey = CardKey{periodStart, 0};
        CardKey key = summaryKey;
        target = change->CreateCard(key);
        if (!target) {
            if (!IsErrorPending())
                SetOutOfMemoryError();
            failed = true;
            return false;
        }
        std::string text;
        PeriodTitle(text);
        if (!change->SetTitle(target, text.c_str())) {
            failed = true;
            return false;
        }
    }
    if (!change->KeepStamps(target)) {
        failed = true;
        return false;
    }
    target->SetChangeStamp(changeStamp);

    if (!MergeLines(target)) {
        failed = true;
        return false;
    }
    if (change->IsNewCard(target)) {
        uint32_t index = target->index;
        if (base.DropEmptyGroups(target))
            summaries.push_back(Summary{index, summaryKey});
    }
    if (!duplicate) {
        for (const Collected& source : collected) {
            if (!change->DeleteLineAtCommit(base.CardAt(source.card), base.GroupAt(source.group),
                                            base.LineAt(source.line))) {
                failed = true;
                return false;
            }
        }
    }
    collected.clear();
    return true;
}

bool CardAggregation::MergeLines(Card* target)
{
    int32_t n = int32_t(collected.size());
    int32_t dims = base.DimsInUse();
    keyWidth = 1 + dims;
    sortKeys.resize(size_t(n) * size_t(keyWidth));
    std::array<uint32_t, kLineSlotCount> components{};
    for (int32_t i = 0; i < n; ++i) {
        uint32_t* key = sortKeys.data() + size_t(i) * size_t(keyWidth);
        key[0] = Mapped(uint32_t(base.GroupAt(collected[size_t(i)].group)->key));
        base.GetLineComponents(base.LineAt(collected[size_t(i)].line), components.data());
        for (int32_t s = 0; s < dims; ++s)
            key[1 + s] = Mapped(components[size_t(s)]);
    }
    // A word that every line of the period has alike decides no comparison: leaving it out gives
    // every comparison its old answer. Most levels are lifted to none, and most of a key is alike.
    varyingKeyWords.clear();
    for (int32_t w = 0; w < keyWidth; ++w) {
        for (int32_t i = 1; i < n; ++i) {
            if (sortKeys[size_t(i) * size_t(keyWidth) + size_t(w)] != sortKeys[size_t(w)]) {
                varyingKeyWords.push_back(w);
                break;
            }
        }
    }
    order.resize(size_t(n));
    for (int32_t i = 0; i < n; ++i)
        order[size_t(i)] = i;
    // The list sort over inlined calls: the same order of equal lines, so the same sums.
    SortIndexRange([this](int32_t i, int32_t j) { return CompareLines(order[size_t(i)], order[size_t(j)]); },
                   [this](int32_t i, int32_t j) { std::swap(order[size_t(i)], order[size_t(j)]); }, 0, n - 1);

    int32_t valueCount = base.ValueCount();
    std::array<double, kMaxValueCount> sums{};
    std::array<double, kMaxValueCount> values{};
    for (int32_t first = 0; first < n;) {
        int32_t end = first + 1;
        while (end < n && CompareLines(order[size_t(first)], order[size_t(end)]) == 0)
            ++end;
        // Each field is summed in the sorted order of the run.
        std::fill(sums.begin(), sums.end(), 0.0);
        for (int32_t r = first; r < end; ++r) {
            base.GetLineValues(base.LineAt(collected[size_t(order[size_t(r)])].line), values.data());
            for (int32_t k = 0; k < valueCount; ++k)
                sums[size_t(k)] += values[size_t(k)];
        }
        bool allZero = true;
        for (int32_t k = 0; k < valueCount; ++k) {
            sums[size_t(k)] = RoundHalfAwayToDecimals(sums[size_t(k)], base.ValueFormat(k));
            allZero = allZero && sums[size_t(k)] == 0.0;
        }
        if (!(skipZeroLines && allZero)) {
            int32_t head = order[size_t(first)];
            const uint32_t* key = sortKeys.data() + size_t(head) * size_t(keyWidth);
            CardGroup* group = change->FindOrAddGroup(target, int32_t(key[0]));
            CardLine* line = group ? change->CreateLine(target, group) : nullptr;
            if (!line)
                return false;
            const CardLine* source = base.LineAt(collected[size_t(head)].line);
            HeapText text = nullptr;
            if (!skipLineTexts) {
                ConstHeapText sourceText = source->Text();
                text = CopyHeapBlock(sourceText);
                if (sourceText && !text) {
                    SetOutOfMemoryError();
                    return false;
                }
            }
            for (int32_t s = 0; s < base.DimsInUse(); ++s)
                components[size_t(s)] = key[1 + s];
            base.SetLineComponents(line, components.data());
            base.SetLineValues(line, sums.data());
            line->SetTextField(text);
        }
        for (int32_t r = first; r < end; ++r)
            host->StepProgress();
        first = end;
    }
    return true;
}

bool CardAggregation::RunFeed(BatchLineSource& source, BatchChange& batch)
{
    change = &batch;
    collected.clear();
    summaries.clear();
    periodOpen = false;
    currentCard = kNoRecord;
    failed = false;
    bool fed = source.ReadLines(*this);
    bool finished = fed && !failed && FinishSummary();
    change = nullptr;
    return finished && !IsErrorPending();
}

bool CardAggregation::Run(BatchLineSource& source, AnalysisHost& runHost)
{
    if (IsErrorPending())
        return false;
    if (period == AggregatePeriod::EachCard && duplicate) {
        // Summing a card's lines into the same card beside them would count every amount twice.
        SetErrorCode(message::kAggregateEachCardKeepingSources);
        return false;
    }
    AggregateLineCounter counter;
    (void)source.ReadLines(counter);
    int32_t n = counter.count;
    if (n == 0)
        return true;
    if (!stampGiven && !GetUserStamp(changeStamp)) {
        SetErrorCode(message::kBatchNoChangeStamp);
        return false;
    }
    host = &runHost;
    bool done = false;
    {
        BatchChange batch(base);
        if (!batch.IsValid())
            return false;
        batch.FailAfterAdds(failAfterAdds);
        try {
            int32_t size = AggregateCollectionSize(period, n);
            collected.reserve(size_t(collectionLimit >= 0 ? std::min(size, collectionLimit) : size));
            if (!duplicate)
                batch.Reserve(0, size_t(n));
            BuildComponentMap();
            runHost.StartProgress(duplicate ? n * 9 : n * 10);
            done = RunFeed(source, batch) && !runHost.CancelRequested();
        } catch (const std::bad_alloc&) {
            done = false;
            SetOutOfMemoryError();
        }
        if (!done) {
            // The summaries so far go, and every source line stays.
            batch.RollBack();
        } else {
            batch.Commit(changeStamp);
            for (const Summary& summary : summaries) {
                Card* card = base.CardAt(summary.card);
                CardKey key = summary.key;
                if (card && card->bucket != kNoRecord)
                    (void)base.ChangeCardKey(card, key);
            }
        }
    }
    runHost.EndProgress();
    collected = std::vector<Collected>();
    sortKeys = std::vector<uint32_t>();
    order = std::vector<int32_t>();
    map = std::vector<uint32_t>();
    host = nullptr;
    if (!done)
        return false;
    base.LogOperation("cards", source.Name(), kLogAggregated);
    base.SetModified(true);
    base.Notify(kChangeCards);
    return true;
}

}  // namespace vek
