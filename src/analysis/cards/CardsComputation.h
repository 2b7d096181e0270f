// CardsComputation: the rows of a cards analysis for a period, a selection and the template's settings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/AnalysisHost.h"
#include "analysis/cards/CardsSettings.h"
#include "foundation/memory/PagedArray.h"
#include "foundation/numbers/PackedDate.h"

namespace vek {

class Base;
class String;
struct Card;

// The kinds of result row.
enum class CardsRowKind : int32_t { Card = 0, Group = 1, Line = 2, Notes = 3, Signatures = 4 };

// One result row: two 32-bit words, the kind and the pool index of its object (the card for kinds
// 0, 3 and 4, the group for 1, the line for 2).
struct CardsResultRow {
    CardsRowKind kind;
    uint32_t object;
};
static_assert(sizeof(CardsResultRow) == 8);

// How the display order is made from the computation order (CardsComputation::PlanSort):
// 0 as computed; 1 reversed (card rows only); 2 card blocks reversed; 3 card rows sorted; 4 nested.
enum class CardsSortMethod : int32_t { None = 0, Reverse = 1, ReverseBlocks = 2, SortCards = 3, Nested = 4 };

struct CardsSortPlan {
    std::vector<CardsSortKey> cardKeys;
    std::vector<CardsSortKey> groupKeys;
    std::vector<CardsSortKey> lineKeys;
    bool reverse = false;
    CardsSortMethod method = CardsSortMethod::None;
};

// The engine of a cards analysis window. The window owns one, gives it its copy of the template's
// settings, its selection and its period, and implements the host; drawing, export and the web pages
// read the rows through RowAt.
//
// Computation order: for each admitted card in key order its card row; when groups are shown, each
// shown group's row followed by the rows of its shown lines; then its notes row and its signatures
// row. Rows are 8 bytes each in a paged array; sorting permutes row numbers only (4 bytes a row).
//
// A run never looks whole when it is not: when the row array cannot grow, the walk stops with the
// rows so far and message 3951 pending, and the host is told the result is incomplete.
class CardsComputation {
public:
    explicit CardsComputation(Base& base);
    ~CardsComputation();
    CardsComputation(const CardsComputation&) = delete;
    CardsComputation& operator=(const CardsComputation&) = delete;

    CardsSettings& Settings() { return settings; }
    const CardsSettings& Settings() const { return settings; }
    void SetPeriod(PackedDate fromDate, PackedDate toDate);

    // Builds the rows and sorts them. The selection is prepared first; a refused selection leaves the
    // result empty and ends the run as failed.
    void Recalculate(AnalysisHost& host, AnalysisSelection& selection);
    // Re-plans and re-sorts the rows without computing them again (a changed sort key).
    void SortRows(AnalysisHost& host);

    int32_t RowCount() const { return rowCount; }
    // The row at display position i (0 <= i < RowCount()).
    CardsResultRow RowAt(int32_t i) const;
    // The row at computation position i.
    CardsResultRow RowInComputationOrder(int32_t i) const;
    const CardsSortPlan& SortPlan() const { return plan; }
    bool HasPermutation() const { return !permutation.empty(); }
    // Bytes the result takes beyond the base: the row pages and the display permutation.
    int64_t ResultBytes() const
    {
        return rows.MemorySize() + int64_t(permutation.capacity()) * int64_t(sizeof(int32_t));
    }

    // Whether the column is shown for this base and the content settings.
    bool IsColumnShown(int32_t column) const;
    // The shown columns in column order, and for each column its position there or -1.
    void BuildShownColumns();
    const std::vector<int32_t>& ShownColumns() const { return shownColumns; }
    int32_t ShownPosition(int32_t column) const { return columnPositions[size_t(column)]; }
    // The columns offered as sort keys, -1 for a separator.
    void BuildSortColumnList(std::vector<int32_t>& out) const;
    // Drops trailing sort keys that add nothing; true when the count changed.
    bool TrimSortKeys();
    void PlanSort();

    // The text of a signatures row: the card's stamps with their labels, joined by ", ".
    void SignaturesText(const Card* card, String& out) const;

private:
    struct SortContext;

    bool CardHasAcceptedGroup(const Card* card, const AnalysisSelection& selection) const;
    bool GroupHasAcceptedLine(const CardGroup* group, const AnalysisSelection& selection) const;
    [[nodiscard]] bool AppendRow(CardsRowKind kind, uint32_t object);
    void SyncRowArray();
    [[nodiscard]] bool AddGroupRows(const Card* card, const AnalysisSelection& selection);
    [[nodiscard]] bool AddLineRows(const CardGroup* group, const AnalysisSelection& selection);
    bool HasSignatures(const Card* card) const;
    bool OnlyCardRowsShown() const;

    int32_t CompareCards(uint32_t a, uint32_t b, const SortContext& context) const;
    int32_t CompareGroups(uint32_t a, uint32_t b, const SortContext& context) const;
    int32_t CompareLines(uint32_t a, uint32_t b, const SortContext& context) const;
    int32_t CompareComponents(uint32_t a, uint32_t b, int32_t itemDisplay, const SortContext& context) const;
    void PrepareTreeOrder(const std::vector<CardsSortKey>& keys, SortContext& context) const;
    void SortNested(SortContext& context);
    void SortPositions(std::vector<int32_t>& positions, int32_t first, int32_t count,
                       int32_t (CardsComputation::*compare)(uint32_t, uint32_t, const SortContext&) const,
                       const SortContext& context);

    Base& base;
    CardsSettings settings;
    PackedDate fromDate = 0;
    PackedDate toDate = 0;

    PagedArray rows;
    int32_t rowCount = 0;
    CardsResultRow* appendCursor = nullptr;  // the next row's place in the current page
    int32_t appendRoom = 0;                  // rows left in that page
    std::vector<int32_t> permutation;  // display position -> computation position; empty: same order
    CardsSortPlan plan;
    std::vector<int32_t> shownColumns;
    std::array<int32_t, cards_column::kCount> columnPositions{};
};

}  // namespace vek
