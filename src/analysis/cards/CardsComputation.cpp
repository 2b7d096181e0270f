#include "analysis/cards/CardsComputation.h"

#include <algorithm>
#include <cstring>

#include "foundation/memory/CallbackSort.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"
#include "text/TableOptions.h"
#include "model/base/Base.h"

namespace vek {

// The state of one sort: the host for texts and display forms, the card whose groups and lines are
// being ordered, and the tree order of the dimensions that a key sorts by in normal or reversed
// order (rank by component number, set only for those dimensions).
struct CardsComputation::SortContext {
    AnalysisHost* host = nullptr;
    uint32_t card = kNoRecord;
    std::vector<int32_t> treeRank;
};

namespace {

constexpr int32_t kSignatureStampSlots[4] = {kStampCreated, kStampModified, kStampSignatureE, kStampSignatureP};
constexpr int32_t kSignatureLabels[4] = {3502, 3503, 3504, 3505};
constexpr int32_t kNotesStampLabel = 3506;

bool UsesTreeOrder(int32_t itemDisplay) { return itemDisplay < 2 || itemDisplay > 4; }

}  // namespace

AnalysisHost::~AnalysisHost() = default;
void AnalysisHost::StartProgress(int32_t) {}
void AnalysisHost::StepProgress() {}
void AnalysisHost::EndProgress() {}
bool AnalysisHost::CancelRequested() const { return IsErrorPending(); }
void AnalysisHost::EndRun(AnalysisRunEnd) {}
void AnalysisHost::SortKeysChanged() {}

int32_t AnalysisHost::CompareRowValues(const Base& base, uint32_t a, uint32_t b, int32_t itemDisplay) const
{
    const Component* first = base.ComponentAt(a);
    const Component* second = base.ComponentAt(b);
    if (!first || !second)
        return first == second ? 0 : (first ? -1 : 1);
    auto shown = [itemDisplay](const Component* c) -> const char* {
        return itemDisplay == 3 ? c->text : itemDisplay == 4 ? c->host : c->code;
    };
    return CompareTextsForSort(shown(first), shown(second), SortDirection::Ascending);
}

int32_t AnalysisHost::CompareDisplayTexts(const char* a, const char* b, SortDirection direction) const
{
    bool emptyA = !a || !*a;
    bool emptyB = !b || !*b;
    if (!emptyA && !emptyB)
        return CompareTextsForSort(a, b, direction);
    if (emptyA == emptyB)
        return 0;
    return emptyA ? 1 : -1;
}

AnalysisSelection::~AnalysisSelection() = default;
AdmitAllSelection::~AdmitAllSelection() = default;

CardsComputation::CardsComputation(Base& owner) : base(owner), rows(int32_t(sizeof(CardsResultRow)), 0)
{
    settings.SetDefaults(base, 0);
    columnPositions.fill(-1);
}

CardsComputation::~CardsComputation() = default;

void CardsComputation::SetPeriod(PackedDate from, PackedDate to)
{
    fromDate = from;
    toDate = to;
}

CardsResultRow CardsComputation::RowInComputationOrder(int32_t i) const
{
    CardsResultRow row{CardsRowKind::Card, kNoRecord};
    if (const void* stored = rows.At(i))
        std::memcpy(&row, stored, sizeof row);
    return row;
}

CardsResultRow CardsComputation::RowAt(int32_t i) const
{
    if (!permutation.empty() && i >= 0 && i < int32_t(permutation.size()))
        return RowInComputationOrder(permutation[size_t(i)]);
    return RowInComputationOrder(i);
}

bool CardsComputation::IsColumnShown(int32_t column) const
{
    if (column < 0 || column >= cards_column::kCount || !settings.columns[size_t(column)].shown)
        return false;
    int32_t d = DimensionOfCardsColumn(column);
    if (d >= 0 && !base.DimensionHasComponents(d))
        return false;
    int32_t field = ValueFieldOfCardsColumn(column);
    if (field >= 0 && field >= base.ValueCount())
        return false;
    if (column == cards_column::kOrigin && base.CardRecords().sources.SourceCount() == 0)
        return false;
    if (column >= cards_column::kDimension1 && column <= cards_column::kOrigin &&
        settings.groupsContent == CardsContent::None)
        return false;
    if (column >= cards_column::kDimension2 && column <= cards_column::kOrigin &&
        settings.linesContent == CardsContent::None)
        return false;
    return true;
}

void CardsComputation::BuildShownColumns()
{
    shownColumns.clear();
    columnPositions.fill(-1);
    for (int32_t column = 0; column < cards_column::kCount; ++column) {
        if (!IsColumnShown(column))
            continue;
        columnPositions[size_t(column)] = int32_t(shownColumns.size());
        shownColumns.push_back(column);
    }
}

void CardsComputation::BuildSortColumnList(std::vector<int32_t>& out) const
{
    out.clear();
    out.push_back(cards_column::kCardId);
    out.push_back(cards_column::kDate);
    out.push_back(cards_column::kTitle);
    out.push_back(-1);
    for (int32_t d = 0; d < base.DimsInUse() + 1 && d < int32_t(kDimensionCount); ++d) {
        if (base.DimensionHasComponents(d))
            out.push_back(CardsColumnOfDimension(d));
    }
    out.push_back(-1);
    out.push_back(cards_column::kLineText);
    int32_t values = base.ValueCount();
    if (values > 1)
        out.push_back(-1);
    for (int32_t i = 0; i < values; ++i)
        out.push_back(cards_column::kFirstValue + i);
    if (base.CardRecords().sources.SourceCount() > 0) {
        if (values > 1)
            out.push_back(-1);
        out.push_back(cards_column::kOrigin);
    }
}

bool CardsComputation::TrimSortKeys()
{
    int32_t old = settings.sortKeyCount;
    int32_t count = std::clamp(old, 1, kMaxCardsSortKeys);
    while (count > 1) {
        const CardsSortKey& key = settings.sortKeys[size_t(count - 1)];
        const CardsSortKey& before = settings.sortKeys[size_t(count - 2)];
        if ((key.column == 0 && key.dateDirection == 0) || key.column == before.column)
            --count;
        else
            break;
    }
    settings.sortKeyCount = count;
    return count != old;
}

bool CardsComputation::OnlyCardRowsShown() const
{
    return settings.groupsContent == CardsContent::None && !IsColumnShown(cards_column::kNotes) &&
           !IsColumnShown(cards_column::kSignatures);
}

void CardsComputation::PlanSort()
{
    plan = CardsSortPlan();
    bool groupsShown = settings.groupsContent != CardsContent::None;
    bool linesShown = groupsShown && settings.linesContent != CardsContent::None;
    int32_t count = std::clamp(settings.sortKeyCount, 1, kMaxCardsSortKeys);
    for (int32_t k = 0; k < count; ++k) {
        const CardsSortKey& key = settings.sortKeys[size_t(k)];
        if (key.column >= cards_column::kCardId && key.column <= cards_column::kTitle)
            plan.cardKeys.push_back(key);
        else if (key.column == cards_column::kDimension1) {
            if (groupsShown)
                plan.groupKeys.push_back(key);
        } else if (linesShown && IsSortableCardsColumn(key.column))
            plan.lineKeys.push_back(key);
    }
    if (!plan.cardKeys.empty() && plan.cardKeys.front().column == cards_column::kCardId) {
        // The rows are already in card order: ascending needs nothing, descending is a reversal.
        int32_t direction = plan.cardKeys.front().dateDirection;
        if (direction == 0) {
            plan.cardKeys.clear();
        } else if (direction == 1) {
            plan.cardKeys.resize(1);
            plan.reverse = true;
        }
    }
    bool onlyCards = OnlyCardRowsShown();
    bool anyKeys = !plan.cardKeys.empty() || !plan.groupKeys.empty() || !plan.lineKeys.empty();
    if (!anyKeys && !plan.reverse)
        plan.method = CardsSortMethod::None;
    else if (plan.reverse) {
        if (onlyCards)
            plan.method = CardsSortMethod::Reverse;
        else if (plan.groupKeys.empty() && plan.lineKeys.empty())
            plan.method = CardsSortMethod::ReverseBlocks;
        else
            plan.method = CardsSortMethod::Nested;
    } else {
        plan.method = onlyCards ? CardsSortMethod::SortCards : CardsSortMethod::Nested;
    }
}

bool CardsComputation::GroupHasAcceptedLine(const CardGroup* group, const AnalysisSelection& selection) const
{
    for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
        if (selection.MatchesLine(line))
            return true;
    }
    return false;
}

bool CardsComputation::CardHasAcceptedGroup(const Card* card, const AnalysisSelection& selection) const
{
    for (const CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
        if (selection.AdmitsGroup(group) && GroupHasAcceptedLine(group, selection))
            return true;
    }
    return false;
}

bool CardsComputation::AppendRow(CardsRowKind kind, uint32_t object)
{
    // Rows go into the current page directly; a new page is asked of the array only at a page end.
    if (appendRoom == 0) {
        if (rowCount == INT32_MAX)
            return false;
        appendCursor = static_cast<CardsResultRow*>(rows.AtGrow(rowCount));
        if (!appendCursor)
            return false;
        appendRoom = PagedArray::kPageElements - (rowCount & (PagedArray::kPageElements - 1));
    }
    appendCursor->kind = kind;
    appendCursor->object = object;
    ++appendCursor;
    --appendRoom;
    ++rowCount;
    return true;
}

bool CardsComputation::AddLineRows(const CardGroup* group, const AnalysisSelection& selection)
{
    bool all = settings.linesContent == CardsContent::All;
    for (const CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
        if ((all || selection.MatchesLine(line)) && !AppendRow(CardsRowKind::Line, line->index))
            return false;
    }
    return true;
}

bool CardsComputation::AddGroupRows(const Card* card, const AnalysisSelection& selection)
{
    bool all = settings.groupsContent == CardsContent::All;
    bool lines = settings.linesContent != CardsContent::None;
    for (const CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
        if (!all && !(selection.AdmitsGroup(group) && GroupHasAcceptedLine(group, selection)))
            continue;
        if (!AppendRow(CardsRowKind::Group, group->index))
            return false;
        if (lines && !AddLineRows(group, selection))
            return false;
    }
    return true;
}

bool CardsComputation::HasSignatures(const Card* card) const
{
    for (int32_t slot : kSignatureStampSlots) {
        if (!card->stamps[slot].IsEmpty())
            return true;
    }
    return false;
}

void CardsComputation::Recalculate(AnalysisHost& host, AnalysisSelection& selection)
{
    BuildShownColumns();
    rowCount = 0;
    appendCursor = nullptr;
    appendRoom = 0;
    permutation.clear();
    permutation.shrink_to_fit();
    AnalysisRunEnd end = AnalysisRunEnd::Completed;
    if (!selection.Prepare()) {
        end = AnalysisRunEnd::Failed;
    } else {
        CardKey from{fromDate, 0};
        CardKey to{toDate, kOpenEndNumber};
        Card* first = nullptr;
        Card* stop = nullptr;
        int32_t total = base.FindCardsInDateRange(from, to, first, stop);
        host.StartProgress(total);
        bool groups = settings.groupsContent != CardsContent::None;
        bool notes = IsColumnShown(cards_column::kNotes);
        bool signatures = IsColumnShown(cards_column::kSignatures);
        for (Card* card = first; card && card != stop && card != base.ChainEnd(); card = base.NextCard(card)) {
            if (host.CancelRequested()) {
                end = AnalysisRunEnd::Cancelled;
                break;
            }
            if (selection.MatchesCard(card) && CardHasAcceptedGroup(card, selection)) {
                bool stored = AppendRow(CardsRowKind::Card, card->index) &&
                              (!groups || AddGroupRows(card, selection)) &&
                              (!notes || !card->notes || !*card->notes ||
                               AppendRow(CardsRowKind::Notes, card->index)) &&
                              (!signatures || !HasSignatures(card) ||
                               AppendRow(CardsRowKind::Signatures, card->index));
                if (!stored) {
                    // A result that looks whole must be whole: say how far it got.
                    SetErrorCode(message::kCardsResultIncomplete);
                    String count;
                    count.AssignInt(rowCount);
                    GetPendingError().message.AddText(count.CStr());
                    end = AnalysisRunEnd::Incomplete;
                    break;
                }
            }
            host.StepProgress();
        }
        SyncRowArray();
        if (TrimSortKeys())
            host.SortKeysChanged();
        SortRows(host);
        host.EndProgress();
    }
    host.EndRun(end);
    SyncRowArray();
}

void CardsComputation::SyncRowArray()
{
    // Rows were written straight into their pages: the array learns its count here, and pages left
    // from a longer earlier result go.
    if (rowCount > 0)
        (void)rows.AtGrow(rowCount - 1);
    rows.Truncate(rowCount);
}

void CardsComputation::SignaturesText(const Card* card, String& out) const
{
    out.AssignCStr(nullptr);
    auto appendStamp = [&out](int32_t label, const StampedText& stamp) {
        if (stamp.IsEmpty())
            return;
        if (!out.IsEmpty())
            out.AppendCStr(", ");
        out.AppendCStr(LoadText(label));
        out.AppendChar(' ');
        char buffer[kStampedTextCapacity];
        stamp.Format(buffer);
        out.AppendCStr(buffer);
    };
    for (int32_t i = 0; i < 4; ++i)
        appendStamp(kSignatureLabels[i], card->stamps[kSignatureStampSlots[i]]);
    if (IsColumnShown(cards_column::kNotes))
        appendStamp(kNotesStampLabel, card->stamps[kStampNotes]);
}

// --- Sorting ------------------------------------------------------------------------------------------

int32_t CardsComputation::CompareComponents(uint32_t a, uint32_t b, int32_t itemDisplay,
                                            const SortContext& context) const
{
    if (a == b)
        return 0;
    if (UsesTreeOrder(itemDisplay)) {
        int32_t rankA = a < context.treeRank.size() ? context.treeRank[a] : INT32_MAX;
        int32_t rankB = b < context.treeRank.size() ? context.treeRank[b] : INT32_MAX;
        int32_t result = rankA < rankB ? -1 : (rankA > rankB ? 1 : 0);
        return itemDisplay == 1 ? -result : result;
    }
    return context.host->CompareRowValues(base, a, b, itemDisplay);
}

int32_t CardsComputation::CompareCards(uint32_t a, uint32_t b, const SortContext& context) const
{
    const Card* first = base.CardAt(a);
    const Card* second = base.CardAt(b);
    for (const CardsSortKey& key : plan.cardKeys) {
        int32_t result = 0;
        switch (key.column) {
        case cards_column::kCardId:
            result = base.CompareCardsByKey(first, second, SortDirectionOfIndex(key.dateDirection));
            break;
        case cards_column::kDate: {
            PackedDate dateA = base.CardDate(first);
            PackedDate dateB = base.CardDate(second);
            if (dateA != dateB) {
                // An empty date comes after every other date in either direction.
                if (dateA == 0)
                    result = 1;
                else if (dateB == 0)
                    result = -1;
                else
                    result = (dateA < dateB ? -1 : 1) * (SortDirectionOfIndex(key.dateDirection) == SortDirection::Descending ? -1 : 1);
            }
            break;
        }
        default:
            result = context.host->CompareDisplayTexts(first->title, second->title, SortDirectionOfIndex(key.textDirection));
            break;
        }
        if (result != 0)
            return result;
    }
    return 0;
}

int32_t CardsComputation::CompareGroups(uint32_t a, uint32_t b, const SortContext& context) const
{
    const CardGroup* first = base.GroupAt(a);
    const CardGroup* second = base.GroupAt(b);
    for (const CardsSortKey& key : plan.groupKeys) {
        int32_t result = CompareComponents(uint32_t(first->key), uint32_t(second->key), key.itemDisplay, context);
        if (result != 0)
            return result;
    }
    return 0;
}

int32_t CardsComputation::CompareLines(uint32_t a, uint32_t b, const SortContext& context) const
{
    const CardLine* first = base.LineAt(a);
    const CardLine* second = base.LineAt(b);
    for (const CardsSortKey& key : plan.lineKeys) {
        int32_t result = 0;
        int32_t d = DimensionOfCardsColumn(key.column);
        int32_t field = ValueFieldOfCardsColumn(key.column);
        if (key.column == cards_column::kLineText) {
            result = context.host->CompareDisplayTexts(first->Text(), second->Text(), SortDirectionOfIndex(key.textDirection));
        } else if (d >= 1) {
            result = CompareComponents(base.GetLineComponent(first, d - 1), base.GetLineComponent(second, d - 1),
                                       key.itemDisplay, context);
        } else if (field >= 0) {
            result = CompareValuesForSort(base.GetLineValue(first, field), base.GetLineValue(second, field),
                                          key.valueSort);
        } else if (key.column == cards_column::kOrigin) {
            // Both lines belong to the card being ordered: their origins are the card's.
            result = 0;
        }
        if (result != 0)
            return result;
    }
    return 0;
}

void CardsComputation::PrepareTreeOrder(const std::vector<CardsSortKey>& keys, SortContext& context) const
{
    for (const CardsSortKey& key : keys) {
        int32_t d = DimensionOfCardsColumn(key.column);
        if (d < 0 || !UsesTreeOrder(key.itemDisplay))
            continue;
        const RecordPool& pool = base.ComponentPool();
        if (context.treeRank.empty())
            context.treeRank.assign(size_t(pool.ElementCount()), INT32_MAX);
        const Component* root = base.Root(d);
        int32_t rank = 0;
        for (const Component* c = root->NextInSubtree(pool, root); c && c != root; c = c->NextInSubtree(pool, root)) {
            if (c->number < context.treeRank.size())
                context.treeRank[c->number] = rank++;
        }
    }
}

void CardsComputation::SortPositions(std::vector<int32_t>& positions, int32_t first, int32_t count,
                                     int32_t (CardsComputation::*compare)(uint32_t, uint32_t, const SortContext&) const,
                                     const SortContext& context)
{
    if (count < 2)
        return;
    int32_t* p = positions.data() + first;
    // Rows that tie on every key keep their computation order.
    auto compareAt = [&](int32_t i, int32_t j) {
        int32_t result = (this->*compare)(RowInComputationOrder(p[i]).object, RowInComputationOrder(p[j]).object,
                                          context);
        if (result != 0)
            return result;
        return p[i] < p[j] ? -1 : (p[i] > p[j] ? 1 : 0);
    };
    auto swapAt = [&](int32_t i, int32_t j) { std::swap(p[i], p[j]); };
    SortIndexRange(compareAt, swapAt, 0, count - 1);
}

void CardsComputation::SortNested(SortContext& context)
{
    // Kinds are read page by page: the walk over the blocks touches every row several times.
    const CardsResultRow* page = nullptr;
    int32_t pageIndex = -1;
    auto KindAt = [&](int32_t i) {
        if ((i >> PagedArray::kPageShift) != pageIndex) {
            pageIndex = i >> PagedArray::kPageShift;
            page = static_cast<const CardsResultRow*>(rows.At(pageIndex << PagedArray::kPageShift));
        }
        return page[i & (PagedArray::kPageElements - 1)].kind;
    };
    std::vector<int32_t> cards;
    for (int32_t i = 0; i < rowCount; ++i) {
        if (KindAt(i) == CardsRowKind::Card)
            cards.push_back(i);
    }
    if (plan.reverse)
        std::reverse(cards.begin(), cards.end());
    else if (!plan.cardKeys.empty())
        SortPositions(cards, 0, int32_t(cards.size()), &CardsComputation::CompareCards, context);
    permutation.reserve(size_t(rowCount));
    std::vector<int32_t> groups;
    for (int32_t cardPosition : cards) {
        permutation.push_back(cardPosition);
        int32_t end = cardPosition + 1;
        while (end < rowCount && KindAt(end) != CardsRowKind::Card)
            ++end;
        context.card = RowInComputationOrder(cardPosition).object;
        groups.clear();
        for (int32_t i = cardPosition + 1; i < end; ++i) {
            if (KindAt(i) == CardsRowKind::Group)
                groups.push_back(i);
        }
        if (!plan.groupKeys.empty())
            SortPositions(groups, 0, int32_t(groups.size()), &CardsComputation::CompareGroups, context);
        for (int32_t groupPosition : groups) {
            permutation.push_back(groupPosition);
            int32_t firstLine = int32_t(permutation.size());
            for (int32_t i = groupPosition + 1; i < end && KindAt(i) == CardsRowKind::Line; ++i)
                permutation.push_back(i);
            if (!plan.lineKeys.empty())
                SortPositions(permutation, firstLine, int32_t(permutation.size()) - firstLine,
                              &CardsComputation::CompareLines, context);
        }
        for (int32_t i = cardPosition + 1; i < end; ++i) {
            CardsRowKind kind = KindAt(i);
            if (kind == CardsRowKind::Notes || kind == CardsRowKind::Signatures)
                permutation.push_back(i);
        }
    }
}

void CardsComputation::SortRows(AnalysisHost& host)
{
    permutation.clear();
    PlanSort();
    SortContext context;
    context.host = &host;
    switch (plan.method) {
    case CardsSortMethod::None:
        break;
    case CardsSortMethod::Reverse:
        permutation.resize(size_t(rowCount));
        for (int32_t i = 0; i < rowCount; ++i)
            permutation[size_t(i)] = rowCount - 1 - i;
        break;
    case CardsSortMethod::ReverseBlocks: {
        permutation.reserve(size_t(rowCount));
        int32_t end = rowCount;
        for (int32_t i = rowCount - 1; i >= 0; --i) {
            if (RowInComputationOrder(i).kind != CardsRowKind::Card && i > 0)
                continue;
            for (int32_t j = i; j < end; ++j)
                permutation.push_back(j);
            end = i;
        }
        break;
    }
    case CardsSortMethod::SortCards:
        permutation.resize(size_t(rowCount));
        for (int32_t i = 0; i < rowCount; ++i)
            permutation[size_t(i)] = i;
        SortPositions(permutation, 0, rowCount, &CardsComputation::CompareCards, context);
        break;
    case CardsSortMethod::Nested:
        PrepareTreeOrder(plan.groupKeys, context);
        PrepareTreeOrder(plan.lineKeys, context);
        SortNested(context);
        break;
    }
}

}  // namespace vek
