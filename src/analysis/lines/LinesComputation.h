// LinesComputation: the statistics and the line rows of a lines analysis for a period and a selection.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "analysis/AnalysisHost.h"
#include "foundation/memory/PagedArray.h"
#include "foundation/numbers/PackedDate.h"
#include "analysis/lines/LinesTemplate.h"

namespace vek {

class Base;
class CountedValueSet;
struct Card;


// One result row: 24 bytes. A statistics row has card kNoRecord and its statistic id in `line`
// (0 for the blank row that closes the statistics block).
struct LinesResultRow {
    uint32_t card;
    uint32_t group;
    uint32_t line;
    float plotPosition;  // in (0, 1); filled by ComputePlotPositions
    double balance;      // running balance of the main value field after this line
};
static_assert(sizeof(LinesResultRow) == 24);

// The quantities left per value field.
struct LinesFieldStatistics {
    double before = 0.0;
    double positive = 0.0;
    double negative = 0.0;
    double period = 0.0;
    double after = 0.0;
    double average = 0.0;
    double median = 0.0;
    double maximum = 0.0;
    double minimum = 0.0;
    double turnoverTime = 0.0;
    double turnoverRate = 0.0;
    double variance = 0.0;
    double standardDeviation = 0.0;
    double positiveInterest = 0.0;
    double negativeInterest = 0.0;
    double endBalance = 0.0;  // before + period
    double total = 0.0;       // end balance + after
    double highestBalance = 0.0;
    double lowestBalance = 0.0;
    double averageBalance = 0.0;
    double positiveBalanceDays = 0.0;
    double negativeBalanceDays = 0.0;
};

// The engine of a lines analysis window; the window owns one and implements the host.
//
// The three card ranges split the base without overlap: "before" is every card keyed before
// (from date, 0), the period runs from there to (to date, open end), "after" is every later card. So
// for every field before + period is the end balance and end balance + after is the base's total.
// The running balance, the balance-days and the interest always start from the balance before the
// period, whether or not the before row is shown (the before and after rows themselves are shown
// only with their flags).
//
// One year-length rule for everything here: a year is kRateDaysPerYear (365) days, because interest
// by either method and the turnover rate are rates quoted per year.
//
// A card's lines go into the period whole or not at all: its rows are reserved before any of its
// values is summed, and when they cannot be, the period ends after the previous card, the to date
// moves to that card's date and the run ends incomplete with message 3960 pending.
class LinesComputation {
public:
    explicit LinesComputation(Base& base);
    ~LinesComputation();
    LinesComputation(const LinesComputation&) = delete;
    LinesComputation& operator=(const LinesComputation&) = delete;

    Base& GetBase() const { return base; }
    LinesSettings& Settings() { return settings; }
    const LinesSettings& Settings() const { return settings; }
    void SetPeriod(PackedDate fromDate, PackedDate toDate);
    // The to date after a run: earlier than the one set when the period was cut short.
    PackedDate ToDate() const { return toDate; }
    PackedDate FromDate() const { return fromDate; }

    // Builds the statistics rows and the line rows. A refused selection leaves no rows and ends the
    // run as failed; a cancel keeps what was walked.
    void Recalculate(AnalysisHost& host, AnalysisSelection& selection);

    int32_t RowCount() const { return rowCount; }
    int32_t StatisticsRowCount() const { return statisticsRows; }
    int32_t LineRowCount() const { return rowCount - statisticsRows; }
    LinesResultRow RowAt(int32_t i) const;
    int32_t CardCount() const { return cardCount; }
    // Per value field 0..ValueCount()-1 of the base at the run.
    const std::vector<LinesFieldStatistics>& Statistics() const { return fields; }
    bool PositiveRateInForce() const;
    bool NegativeRateInForce() const;

    // More than 4 line rows.
    bool HasChartableRows() const { return LineRowCount() > 4; }
    // The lowest and highest main value over the line rows; equal ones are widened.
    void MainValueRange(double& low, double& high) const;
    // Rows of cards that share a date get plot positions (j + 1) / (m + 1) within their run of m.
    void ComputePlotPositions();
    // The first line row (computation order) whose card key is not before (date, 1); LineRowCount()
    // when there is none.
    int32_t FirstRowOnOrAfter(PackedDate date) const;
    int64_t ResultBytes() const { return rows.MemorySize(); }

    // Test hook: the row array refuses to grow beyond this many rows (negative: no limit).
    void SetRowLimit(int32_t limit) { rowLimit = limit; }

private:
    struct PeriodState;

    bool Flag(LinesStatistic statistic) const { return settings.statistics[statistic] != 0; }
    [[nodiscard]] bool AppendRow(const LinesResultRow& row);
    [[nodiscard]] bool ReserveRows(int32_t more);
    // Row i of the reserved rows; the rows of one page lie one after another.
    LinesResultRow* RowSlot(int32_t i);
    void AppendStatisticsRows();
    bool LineAccepted(const CardLine* line) const { return current->MatchesLine(line); }
    AnalysisRunEnd SumPhase(AnalysisHost& host, Card* first, Card* stop, bool intoBefore);
    AnalysisRunEnd PeriodPhase(AnalysisHost& host, Card* first, Card* stop);
    void AccrueToDate(PeriodState& state, PackedDate date);
    double CompoundFactor(double growth, int32_t day, int32_t lastDay) const;
    // False when a median could not be taken (3950 pending; that median is the empty value).
    [[nodiscard]] bool FinishFields(bool dayWeighting);
    void SyncRowArray();

    Base& base;
    LinesSettings settings;
    PackedDate fromDate = 0;
    PackedDate toDate = 0;
    const AnalysisSelection* current = nullptr;

    PagedArray rows;
    int32_t rowCount = 0;
    int32_t statisticsRows = 0;
    int32_t cardCount = 0;
    int32_t rowLimit = -1;
    int32_t valueCount = 0;
    int32_t endDay = 0;  // day number of the to date + 1
    std::vector<LinesFieldStatistics> fields;
    // The median: one counted set per value field (every distinct value once, with its count), sized
    // from the same field's distinct values in the last run and released once its median is taken.
    std::vector<std::unique_ptr<CountedValueSet>> medianSets;
    std::vector<int64_t> medianSizes;   // distinct values per field in the last run
    std::vector<uint8_t> medianLost;    // a value the field's set could not hold
    std::vector<double> meanSums;  // Welford running mean and sum of squared deviations
    std::vector<double> squareSums;
    std::vector<std::pair<const CardGroup*, const CardLine*>> cardLines;  // the accepted lines of the card being added
};

}  // namespace vek
