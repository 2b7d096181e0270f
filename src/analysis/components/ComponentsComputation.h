// ComponentsComputation: the level tree of a components analysis filled with sums and counts of the
// selected card lines before, in and after a period.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "analysis/AnalysisHost.h"
#include "analysis/LevelTree.h"
#include "analysis/components/ComponentsTemplate.h"
#include "foundation/numbers/PackedDate.h"

namespace vek {

class Base;
class CompiledSelection;
struct Card;

// The sums and counts of a row: its own lines', or its own and its descendants' (rolled up).
struct ComponentValues {
    double before = 0.0;    // amounts of lines on cards before the period
    double positive = 0.0;  // positive amounts in the period
    double negative = 0.0;  // negative amounts in the period
    double after = 0.0;     // amounts of lines on cards after the period
    int32_t cardCount = 0;  // distinct cards with a counted period line
    int32_t lineCount = 0;  // counted period lines
    uint32_t lastCard = 0xFFFFFFFFu;  // the card last counted (distinct counting)
};

struct ComponentRowValues {
    ComponentValues own;
    ComponentValues rolledUp;
};

// What a computation takes from its template: a copy, so that the template may change meanwhile.
struct ComponentsSettings {
    LevelDefinition levels;
    int32_t valueField = 0;
    int32_t sortValueField = -1;
    int32_t sortItemDisplay = 0;
    int32_t sortValueOrder = 0;
    int32_t viewValueField = int32_t(ComponentsValue::Period);
    bool needsBefore = false;
    bool needsAfter = false;
    bool needsCardCount = false;
    std::array<ComponentsColumn, kComponentsValueCount> columns{};

    void CopyFrom(const ComponentsTemplate& definition);
};

// The engine of a components analysis window; the window owns one and implements the host.
//
// The three phases split the card chain without overlap: before < (from, 0) <= period <= (to, open
// end) < after, so for every row before + period is the before of the day after the period. Lines
// whose amount is not a number or lies beyond ±1e308 count in no phase.
class ComponentsComputation final : private LevelTreeClient {
public:
    explicit ComponentsComputation(Base& base);
    ~ComponentsComputation() override;
    ComponentsComputation(const ComponentsComputation&) = delete;
    ComponentsComputation& operator=(const ComponentsComputation&) = delete;

    ComponentsSettings& Settings() { return settings; }
    const ComponentsSettings& Settings() const { return settings; }
    void SetPeriod(PackedDate fromDate, PackedDate toDate);
    // The template's stored expansion text, applied by the first computation.
    void SeedExpansion(const char* text) { tree.SeedExpansion(text); }

    // Builds the rows and their values. A refused selection leaves no rows and ends as failed; a
    // component set that cannot be copied ends as failed with 600 pending; a combination table that
    // cannot grow ends incomplete with 4100 pending; a cancel keeps the rows built and skips the
    // roll-up, filter and sort.
    void Recalculate(AnalysisHost& host, CompiledSelection& selection);

    const LevelTree& Tree() const { return tree; }
    LevelTree& Tree() { return tree; }
    int32_t RowCount() const { return tree.RowCount(); }
    const ComponentRowValues& Values(int32_t row) const { return values[size_t(row)]; }
    // One of the ten values (codes of ComponentsValue; others give the total) of a record.
    double RowValue(const ComponentValues& record, int32_t code) const;
    // The root's period / 100; 0 when that is negligible (every percentage is then the empty value).
    double PercentageBase() const { return percentageBase; }

private:
    void ClearRowValues();
    void AddPhase(AnalysisHost& host, Card* first, Card* end, int32_t phase);
    void AddPhaseLines(int32_t phase);
    void RollUpValues();
    void CountCard(ComponentValues& record, uint32_t card);

    // LevelTreeClient
    bool CollectCombinations(LevelTree& levelTree) override;
    void MarkRows(std::span<uint8_t> marks) const override;
    bool RowPassesFilter(int32_t row) const override;
    bool RowHasData(int32_t row, RowValues which) const override;
    double GetSortValue(int32_t row) const override;
    int32_t CompareComponents(uint32_t a, uint32_t b, int32_t itemDisplay) const override;
    void MoveRowData(int32_t from, int32_t to) override;

    Base& base;
    ComponentsSettings settings;
    PackedDate fromDate = 0;
    PackedDate toDate = 0;
    LevelTree tree;
    std::vector<ComponentRowValues> values;
    double percentageBase = 0.0;
    int32_t valueField = 0;

    // The run in progress.
    AnalysisHost* host = nullptr;
    AnalysisSelection* current = nullptr;
    Card* spanFirst = nullptr;  // the cards the collector walks: first of the first phase run
    Card* spanEnd = nullptr;    // end of the last phase run
    size_t lineCursor = 0;      // the phases' next line in the collector's order

    // A phase walks the base for a batch of lines first and adds them to their rows afterwards, in
    // the same order: apart from the walk, the additions' reads of rows scattered over a table far
    // larger than the cache run many at a time instead of one after another.
    struct PhaseLine {
        int32_t row;
        uint32_t card;
        double amount;
    };
    static constexpr size_t kPhaseLineBatch = 4096;
    std::vector<PhaseLine> phaseLines;
};

}  // namespace vek
