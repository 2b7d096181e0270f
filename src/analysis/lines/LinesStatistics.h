// LinesStatistics: the statistics a lines analysis shows, with their letters, XML names and texts.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vek {

// The statistics rows of a lines analysis. The first 15 are chosen by the template's flags (stored as
// letters under key "H"); the two interest rows are shown while their rates are in force.
enum class LinesStatistic : int32_t {
    Before = 0,
    Positive = 1,
    Negative = 2,
    Period = 3,
    After = 4,
    LineCount = 5,
    CardCount = 6,
    Average = 7,
    Median = 8,
    Maximum = 9,
    Minimum = 10,
    TurnoverTime = 11,
    TurnoverRate = 12,
    Variance = 13,
    StandardDeviation = 14,
    PositiveInterest = 15,
    NegativeInterest = 16,
};

// The statistics that have a flag (and a letter): Before to StandardDeviation.
inline constexpr int32_t kLinesStatisticCount = 15;

// One statistic: its letter under key "H" (0 for the interest rows, which have no flag), its name in
// XML "headers" elements and exports, and the number of its row text, which is also the statistic
// row's id in the computation's rows (5103 + the statistic).
struct LinesStatisticEntry {
    LinesStatistic statistic;
    char letter;
    const char* xmlName;
    int32_t textNumber;
};

inline constexpr std::array<LinesStatisticEntry, 17> kLinesStatistics = {{
    {LinesStatistic::Before, 'B', "before", 5103},
    {LinesStatistic::Positive, '+', "positive", 5104},
    {LinesStatistic::Negative, '-', "negative", 5105},
    {LinesStatistic::Period, 'P', "period", 5106},
    {LinesStatistic::After, 'F', "after", 5107},
    {LinesStatistic::LineCount, '#', "linecount", 5108},
    {LinesStatistic::CardCount, 'C', "cardcount", 5109},
    {LinesStatistic::Average, 'A', "average", 5110},
    {LinesStatistic::Median, 'E', "median", 5111},
    {LinesStatistic::Maximum, 'M', "max", 5112},
    {LinesStatistic::Minimum, 'm', "min", 5113},
    {LinesStatistic::TurnoverTime, 'T', "turnovertime", 5114},
    {LinesStatistic::TurnoverRate, 'R', "turnoverrate", 5115},
    {LinesStatistic::Variance, 'V', "variance", 5116},
    {LinesStatistic::StandardDeviation, 'D', "stddeviation", 5117},
    {LinesStatistic::PositiveInterest, 0, "posinterest", 5118},
    {LinesStatistic::NegativeInterest, 0, "neginterest", 5119},
}};

// The statistics chosen by flags (the first kLinesStatisticCount entries).
inline constexpr std::span<const LinesStatisticEntry> FlaggedLinesStatistics()
{
    return std::span<const LinesStatisticEntry>(kLinesStatistics).first(size_t(kLinesStatisticCount));
}

constexpr const LinesStatisticEntry& LinesStatisticInfo(LinesStatistic statistic)
{
    return kLinesStatistics[size_t(statistic)];
}

// Statistic row ids: the row texts' numbers.
inline constexpr int32_t kFirstLinesStatisticId = 5103;
inline constexpr int32_t kPositiveInterestId = LinesStatisticInfo(LinesStatistic::PositiveInterest).textNumber;
inline constexpr int32_t kNegativeInterestId = LinesStatisticInfo(LinesStatistic::NegativeInterest).textNumber;

// The statistic of a statistic row id; false for any other id (0, the blank row).
[[nodiscard]] bool LinesStatisticFromRowId(int32_t id, LinesStatistic& statistic);
// The XML and export name of a statistic row id; "" for any other.
const char* LinesStatisticXmlName(int32_t id);

// Which flagged statistics a template shows (one byte each, as stored).
struct LinesStatisticFlags {
    std::array<uint8_t, kLinesStatisticCount> on{};

    uint8_t& operator[](LinesStatistic statistic) { return on[size_t(statistic)]; }
    uint8_t operator[](LinesStatistic statistic) const { return on[size_t(statistic)]; }
    void Clear() { on.fill(0); }
    void Fill(uint8_t value) { on.fill(value); }
    // The flags in statistic order.
    auto begin() const { return on.begin(); }
    auto end() const { return on.end(); }

    bool operator==(const LinesStatisticFlags&) const = default;
};

// How the interest rows are computed: simple ("IL") or compound ("IE").
enum class InterestMethod : int32_t { Simple = 0, Compound = 1 };

}  // namespace vek
