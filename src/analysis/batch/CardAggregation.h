// CardAggregation: summarising the card lines a window shows into one card per period.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisComputation.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "model/cards/RecordPool.h"
#include "model/dimensions/Component.h"

namespace vek {

class AnalysisHost;
class Base;
class BatchChange;
class BatchLineSource;
class DateExpression;
class TimeScale;

// The period kinds of an aggregation (the codes are those the dialog's popup and the stored
// options use).
enum class AggregatePeriod : int32_t {
    OneCard = 0,
    Years = 2,
    HalfYears = 3,
    Tertials = 4,
    Quarters = 5,
    TwoMonths = 6,
    Months = 7,
    HalfMonths = 8,
    FourWeeks = 10,
    ThreeWeeks = 11,
    TwoWeeks = 12,
    Weeks = 13,
    Days = 15,
    EachCard = 16,
    TimeScale = 18,
};

// Per dimension: 0 keep the component, 1 none (the dimension's root), 2 as the open dimension
// window shows it, k + 3 lifted to level k (1..64).
constexpr int32_t kAggregateLevelKeep = 0;
constexpr int32_t kAggregateLevelNone = 1;
constexpr int32_t kAggregateLevelAsShown = 2;
constexpr int32_t kAggregateMaxLevel = 64;

// The engine of the aggregate dialog and of the command "aggregate": it holds the options, is fed
// the source's lines in card order (AddCard) and, per period, makes a summary card whose lines sum
// the source lines that agree in group, in every dimension's (mapped) component and, unless line
// texts are skipped, in text. The source lines are then deleted unless duplicating.
//
// The whole run is one change (BatchChange): a run that cannot complete (memory, a card that cannot
// be made, the cancel flag) leaves the base exactly as it was and answers false with its message
// pending (600 for memory). The source lines are deleted only after every summary is whole.
class CardAggregation final : public ShownLineReader {
public:
    explicit CardAggregation(Base& base);
    ~CardAggregation() override;
    CardAggregation(const CardAggregation&) = delete;
    CardAggregation& operator=(const CardAggregation&) = delete;

    // One word of the command: a keyword ("-months", "-dim", ...) or the argument a keyword awaits.
    // False when refused (the command then reports 3820 and goes on with the next word).
    [[nodiscard]] bool ParseOptions(const char* word);
    // True when no keyword waits for its argument.
    bool IsComplete() const { return awaited == Awaited::Nothing; }

    // Runs over the source's lines; true when done (also when there was nothing to aggregate).
    [[nodiscard]] bool Run(BatchLineSource& source, AnalysisHost& host);

    // The source feeds each shown line; false stops the feeding (out of memory).
    [[nodiscard]] bool AddCard(Card* card, CardGroup* group, CardLine* line);
    bool Line(Card* card, CardGroup* group, CardLine* line) override { return AddCard(card, group, line); }

    // Options.
    AggregatePeriod Period() const { return period; }
    void SetPeriod(AggregatePeriod kind) { period = kind; }
    void SetTimeScale(const TimeScale* scale) { timeScale = scale; }
    void SetOneCardDate(PackedDate date) { oneCardDate = date; }
    void SetTitle(const char* text);
    void SetLevel(int32_t dimension, int32_t level) { levels[size_t(dimension)] = int16_t(level); }
    int32_t Level(int32_t dimension) const { return levels[size_t(dimension)]; }
    void SetPeriodNames(bool on) { periodNames = on; }
    void SetDuplicate(bool on) { duplicate = on; }
    void SetSkipLineTexts(bool on) { skipLineTexts = on; }
    void SetSkipZeroLines(bool on) { skipZeroLines = on; }
    bool Duplicate() const { return duplicate; }
    bool SkipLineTexts() const { return skipLineTexts; }
    bool SkipZeroLines() const { return skipZeroLines; }
    bool PeriodNames() const { return periodNames; }
    // The run's change stamp; without one, Run asks the user's (GetUserStamp).
    void SetChangeStamp(const StampedText& stamp) { changeStamp = stamp; stampGiven = true; }

    // The start and end of the period of kinds 1-15 that holds a date.
    static void PeriodOfDate(AggregatePeriod kind, PackedDate date, PackedDate& start, PackedDate& end);

    // Test hooks: the collection refuses to grow beyond this many lines; the n-th card, group or
    // line added fails as if memory ran short. Negative: no limit.
    void SetCollectionLimit(int32_t lines) { collectionLimit = lines; }
    void FailAfterAdds(int32_t n) { failAfterAdds = n; }

private:
    enum class Awaited : int32_t { Nothing, OneCardDate, TimeScale, Title, DimensionName, DimensionLevel };
    struct Collected {
        uint32_t card;
        uint32_t group;
        uint32_t line;
    };
    struct Summary {
        uint32_t card;
        CardKey key;
    };

    [[nodiscard]] bool RunFeed(BatchLineSource& source, BatchChange& change);
    void BuildComponentMap();
    uint32_t Mapped(uint32_t component) const
    {
        return map.empty() || component >= map.size() ? component : map[component];
    }
    // Starts the period that holds the card's key.
    void TakePeriodOf(const Card* card);
    [[nodiscard]] bool FinishSummary();
    void PeriodTitle(std::string& out) const;
    int32_t CompareLines(int32_t a, int32_t b) const;
    [[nodiscard]] bool MergeLines(Card* target);

    Base& base;
    // Options.
    AggregatePeriod period = AggregatePeriod::EachCard;
    const TimeScale* timeScale = nullptr;
    PackedDate oneCardDate = 0;
    std::string title;
    std::array<int16_t, kDimensionCount> levels{};
    bool periodNames = true;
    bool duplicate = false;
    bool skipLineTexts = true;
    bool skipZeroLines = true;
    StampedText changeStamp;
    bool stampGiven = false;
    // Parsing.
    Awaited awaited = Awaited::Nothing;
    int32_t awaitedDimension = -1;
    // The run.
    BatchChange* change = nullptr;
    AnalysisHost* host = nullptr;
    std::vector<Collected> collected;
    std::vector<uint32_t> map;      // component number -> mapped number; empty: identity
    std::vector<uint32_t> sortKeys;  // per collected line: group key and components, mapped
    std::vector<int32_t> order;      // the collected lines in sorted order
    int32_t keyWidth = 0;
    std::vector<int32_t> varyingKeyWords;  // the words of the keys that differ between lines, in order
    std::vector<Summary> summaries;  // new cards to file under their summary key after the commit
    bool periodOpen = false;
    PackedDate periodStart = 0;
    PackedDate periodEnd = 0;
    CardKey periodStartKey;
    CardKey periodEndKey;
    std::string periodLabel;
    uint32_t currentCard = kNoRecord;
    bool failed = false;
    int32_t collectionLimit = -1;
    int32_t failAfterAdds = -1;
};

}  // namespace vek
