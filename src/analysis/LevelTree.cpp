// LevelTree: building, filtering, pruning, sorting and expanding the rows of the hierarchical analyses.
#include "analysis/LevelTree.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/memory/BitSet.h"
#include "foundation/memory/Primes.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/dimensions/Component.h"
#include "text/TableOptions.h"

namespace vek {

namespace {

constexpr int32_t kExpansionListLimit = 8000;
// A collision tries the next entry: it shares the cache line of the one just read. The older step of
// 521 entries made every further probe of a table larger than the cache another miss; where keys sit
// in the table is seen by nothing but the table.
constexpr uint32_t kCombinationProbeStep = 1;
constexpr int64_t kLargestCombinationHint = 1227132500;
constexpr int64_t kLargestCombinationCapacity = 2147482921;
constexpr uint32_t kDirectFlag = 1;

bool IsDimensionRoot(uint32_t component) { return component < kDimensionCount; }

uint32_t AncestorFlag(int32_t level) { return uint32_t(2) << level; }

}  // namespace

// Open addressing over `capacity` entries of one word (flag bits while filling) and one component
// number per level; an entry is empty while its first component is kEmpty. The rows of the entries
// are kept beside them once the rows are built.
struct LevelTree::CombinationTable {
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

    int32_t levels = 0;
    int64_t capacity = 0;
    int64_t fillLimit = 0;
    int64_t count = 0;
    std::unique_ptr<uint32_t[]> entries;  // capacity x (1 + levels)
    std::unique_ptr<int32_t[]> rowOfEntry;

    uint32_t* Entry(int64_t i) const { return entries.get() + i * (1 + levels); }

    // The entry of the key, or -1.
    int64_t Find(const uint32_t* key) const
    {
        int64_t i = HashCombination(std::span<const uint32_t>(key, size_t(levels)), uint32_t(capacity));
        for (;;) {
            const uint32_t* entry = Entry(i);
            if (entry[1] == kEmpty)
                return -1;
            bool same = true;
            for (int32_t level = levels - 1; level >= 0 && same; --level)
                same = entry[1 + level] == key[level];
            if (same)
                return i;
            i += kCombinationProbeStep;
            if (i >= capacity)
                i -= capacity;
        }
    }

    int64_t SlotOf(const uint32_t* key) const
    {
        return HashCombination(std::span<const uint32_t>(key, size_t(levels)), uint32_t(capacity));
    }

    // True when the key was new; `at` is its entry. `slot` is SlotOf(key). The table is never full:
    // the collector stops at the fill limit.
    bool Insert(const uint32_t* key, int64_t slot, uint32_t flags, int64_t& at)
    {
        int64_t i = slot;
        for (;;) {
            uint32_t* entry = Entry(i);
            if (entry[1] == kEmpty) {
                at = i;
                entry[0] = flags;
                std::memcpy(entry + 1, key, sizeof(uint32_t) * size_t(levels));
                ++count;
                return true;
            }
            bool same = true;
            for (int32_t level = levels - 1; level >= 0 && same; --level)
                same = entry[1 + level] == key[level];
            if (same) {
                at = i;
                entry[0] |= flags;
                return false;
            }
            i += kCombinationProbeStep;
            if (i >= capacity)
                i -= capacity;
        }
    }

    // Collected lines wait a few lines before their keys go in, while the slot each key hashes to is
    // fetched: in a table far larger than the cache every insert starts with a miss, and these
    // overlap instead of following one another. Keys still go in in collecting order.
    static constexpr size_t kWaitingLines = 8;
    struct WaitingLine {
        std::array<uint32_t, kMaxLevels> key;
        int64_t slot;
    };
    std::array<WaitingLine, kWaitingLines> waiting{};
    size_t waitingFirst = 0;
    size_t waitingCount = 0;
};

LevelTreeClient::~LevelTreeClient() = default;

LevelTree::LevelTree(Base& owner) : base(owner) {}

LevelTree::~LevelTree() = default;

uint32_t LevelTree::HashCombination(std::span<const uint32_t> key, uint32_t capacity)
{
    if (key.empty() || capacity == 0)
        return 0;
    // Component numbers are small and dense: the older form, (k0 x 16 + k1) mod C, put a million
    // combinations of two thousand components into eighty thousand slots, and every probe walked
    // long chains. Each number is mixed into all 64 bits first; the slot order decides nothing.
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (uint32_t k : key) {
        h ^= k;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    h *= 0x94D049BB133111EBull;
    h ^= h >> 29;
    return uint32_t(h % capacity);
}

int64_t LevelTree::CombinationCapacity(int64_t hint)
{
    if (hint > kLargestCombinationHint)
        return kLargestCombinationCapacity;
    int64_t n = std::max<int64_t>(hint, 0);
    return NextPrimeAbove(2 * n - n / 4 + 1024);
}

// --- Expansion ---------------------------------------------------------------------------------------

void LevelTree::SaveExpansion()
{
    lastRowAtDepth.clear();
    if (!rows.empty()) {
        keptRootComponent = rows[0].component;
        hasKeptRoot = true;
        keptExpansion = WriteExpansionState();
        hasKeptExpansion = true;
    }
    rows.clear();
}

void LevelTree::SeedExpansion(const char* text)
{
    hasKeptRoot = false;
    hasKeptExpansion = text != nullptr && *text != 0;
    keptExpansion = hasKeptExpansion ? std::string(text) : std::string();
}

uint32_t LevelTree::ComponentAtLevel(int32_t row, int32_t level) const
{
    for (int32_t r = row; r >= 0; r = rows[size_t(r)].parent) {
        if (rows[size_t(r)].level == level && !(r == 0 && level != 0))
            return rows[size_t(r)].component;
    }
    return uint32_t(definition.dimension[size_t(level)]);
}

void LevelTree::AppendRowKey(std::string& out, int32_t row, const uint32_t* components) const
{
    int32_t level = rows[size_t(row)].level;
    for (int32_t l = 0; l <= level; ++l) {
        if (l > 0)
            out += '.';
        const Component* component = base.ComponentAt(components[l]);
        if (component && component->code)
            out += component->code;
    }
}

std::string LevelTree::WriteExpansionState() const
{
    std::string expandedList = "|";
    std::string collapsedList = "\\";
    bool deeperThanOne = false;
    std::vector<int32_t> visible;
    CollectVisibleRows(visible);
    std::array<uint32_t, kMaxLevels> components{};
    for (int32_t row : visible) {
        const LevelRow& r = rows[size_t(row)];
        deeperThanOne = deeperThanOne || r.depth > 1;
        // The components of the levels above the row's own come from its nearest rows of those levels.
        for (int32_t l = 0; l <= r.level; ++l)
            components[size_t(l)] = ComponentAtLevel(row, l);
        if (r.firstChild < 0 && !r.expanded)
            continue;
        std::string& list = r.expanded ? expandedList : collapsedList;
        if (int32_t(list.size()) >= kExpansionListLimit)
            continue;
        AppendRowKey(list, row, components.data());
        list += r.expanded ? '|' : '\\';
    }
    if (!deeperThanOne)
        expandedList.clear();
    return expandedList.size() <= collapsedList.size() ? expandedList : collapsedList;
}

void LevelTree::CollectVisibleRows(std::vector<int32_t>& out) const
{
    out.clear();
    if (rows.empty())
        return;
    out.push_back(0);
    std::vector<int32_t> pending;
    if (rows[0].expanded)
        pending.push_back(rows[0].firstChild);
    while (!pending.empty()) {
        int32_t row = pending.back();
        pending.pop_back();
        if (row < 0)
            continue;
        out.push_back(row);
        pending.push_back(rows[size_t(row)].nextSibling);
        if (rows[size_t(row)].expanded)
            pending.push_back(rows[size_t(row)].firstChild);
    }
}

void LevelTree::RestoreExpansion()
{
    if (rows.empty())
        return;
    std::string text;
    if (hasKeptExpansion && !(hasKeptRoot && keptRootComponent != rows[0].component))
        text = keptExpansion;
    hasKeptExpansion = false;
    keptExpansion.clear();
    bool sameFirstDimension = !hasPreviousDefinition || previousDefinition.dimension[0] == definition.dimension[0];
    if (text.empty() || !sameFirstDimension) {
        rows[0].expanded = 1;
        return;
    }
    if (text.size() > 2 && text[0] == '-' && (text[1] == 'w' || text[1] == 'x')) {
        int32_t n = std::atoi(text.c_str() + 2);
        for (LevelRow& row : rows) {
            if (row.firstChild < 0) {
                row.expanded = 0;
                continue;
            }
            row.expanded = text[1] == 'w' ? rows[size_t(row.firstChild)].level < n : row.depth < n;
        }
        return;
    }
    if (text[0] == 'w')
        return;  // the window's own form
    char separator = text[0];
    if (text.size() > 1)
        rows[0].expanded = 1;
    auto unchanged = [this](int32_t level) {
        return !hasPreviousDefinition ||
               (level < definition.levelCount && level < previousDefinition.levelCount &&
                definition.dimension[size_t(level)] == previousDefinition.dimension[size_t(level)]);
    };
    // Rows opened during the walk show their children to it.
    // The root is walked too: a text of the separator alone ("\\": nothing collapsed) opens every row.
    std::array<uint32_t, kMaxLevels> components{};
    std::vector<int32_t> pending(1, 0);
    std::string needle;
    while (!pending.empty()) {
        int32_t row = pending.back();
        pending.pop_back();
        if (row < 0)
            continue;
        LevelRow& r = rows[size_t(row)];
        pending.push_back(r.nextSibling);
        if (r.firstChild >= 0 && unchanged(r.level)) {
            for (int32_t l = 0; l <= r.level; ++l)
                components[size_t(l)] = ComponentAtLevel(row, l);
            needle.assign(1, separator);
            AppendRowKey(needle, row, components.data());
            needle += separator;
            bool found = text.find(needle) != std::string::npos;
            if (separator == '|')
                r.expanded = found ? 1 : 0;
            else if (unchanged(rows[size_t(r.firstChild)].level))
                r.expanded = found ? 0 : 1;
        }
        if (r.expanded)
            pending.push_back(r.firstChild);
    }
}

// --- Building ----------------------------------------------------------------------------------------

uint32_t LevelTree::Remapped(uint32_t component) const
{
    return component < depthRemap.size() ? depthRemap[component] : component;
}

int32_t LevelTree::AppendRow(uint32_t component, int32_t level, int32_t depth)
{
    int32_t index = int32_t(rows.size());
    LevelRow row;
    row.component = component;
    row.level = uint8_t(level);
    row.depth = depth;
    if (depth > 0) {
        int32_t parent = lastRowAtDepth[size_t(depth - 1)];
        row.parent = parent;
        int32_t previous = lastChildOf[size_t(parent)];
        if (previous >= 0)
            rows[size_t(previous)].nextSibling = index;
        else
            rows[size_t(parent)].firstChild = index;
        lastChildOf[size_t(parent)] = index;
    }
    rows.push_back(row);
    lastChildOf.push_back(-1);
    if (lastRowAtDepth.size() <= size_t(depth))
        lastRowAtDepth.resize(size_t(depth) + 1, -1);
    lastRowAtDepth[size_t(depth)] = index;
    return index;
}

void LevelTree::BuildDepthRemap(BitSet& selected)
{
    const RecordPool& pool = base.ComponentPool();
    bool remapped = false;
    for (int32_t level = definition.levelCount - 1; level >= 0; --level) {
        int32_t limit = definition.depthLimit[size_t(level)];
        int32_t d = definition.dimension[size_t(level)];
        if (limit == 0 || d < 0 || d >= int32_t(kDimensionCount))
            continue;
        if (depthRemap.empty()) {
            depthRemap.resize(size_t(pool.ElementCount()));
            for (size_t c = 0; c < depthRemap.size(); ++c)
                depthRemap[c] = uint32_t(c);
        }
        std::vector<uint32_t> path(1, uint32_t(d));
        const Component* root = base.Root(d);
        int32_t depth = 0;
        for (const Component* c = root->NextInSubtreeWithDepth(pool, root, depth); c != root;
             c = c->NextInSubtreeWithDepth(pool, root, depth)) {
            if (depth > limit) {
                uint32_t ancestor = path[size_t(limit)];
                depthRemap[c->number] = ancestor;
                remapped = true;
                if (selected.GetBit(int32_t(c->number)))
                    selected.SetBit(int32_t(ancestor), true);
            }
            if (path.size() <= size_t(depth))
                path.resize(size_t(depth) + 1);
            path[size_t(depth)] = c->number;
        }
    }
    if (!remapped)
        depthRemap.clear();
}

LevelTreeBuild LevelTree::BuildLevelTree(const LevelDefinition& wanted, BitSet& selected, LevelTreeClient& client)
{
    LevelDefinition kept = definition;
    bool hadDefinition = hasPreviousDefinition || !rows.empty();
    definition = wanted;
    definition.levelCount = std::clamp(definition.levelCount, 1, kMaxLevels);
    definition.RemoveRepeatedDimensions();
    for (int32_t level = 0; level < definition.levelCount; ++level)
        definition.dimension[size_t(level)] = std::clamp(definition.dimension[size_t(level)], 0, 31);
    previousDefinition = hadDefinition ? kept : definition;
    hasPreviousDefinition = true;
    rows.clear();
    lastChildOf.clear();
    lastRowAtDepth.clear();
    depthRemap.clear();
    BuildDepthRemap(selected);

    LevelTreeBuild end = LevelTreeBuild::Built;
    if (definition.levelCount == 1) {
        rowOfKind = definition.dimension[0] == 0 ? RowOfKind::Group : RowOfKind::Component;
        BuildSingleLevelRows(selected);
    } else {
        rowOfKind = RowOfKind::Combination;
        end = BuildMultiLevelRows(selected, client);
    }
    RestoreExpansion();
    return end;
}

void LevelTree::BuildSingleLevelRows(BitSet& selected)
{
    const RecordPool& pool = base.ComponentPool();
    int32_t d = definition.dimension[0];
    const Component* top = base.CommonAncestorOfMarked(selected, d);
    // Components without a row of their own count on the nearest row above them, the top's at least.
    rowOfComponent.assign(size_t(pool.ElementCount()), 0);
    AppendRow(top->number, 0, 0);
    bool flat = definition.IsFlat(0);
    // The depth and the row of each walk position: a component without a row is transparent.
    std::vector<int32_t> depthAt(1, 0);
    std::vector<int32_t> rowAt(1, 0);
    int32_t walkDepth = 0;
    for (const Component* c = top->NextInSubtreeWithDepth(pool, top, walkDepth); c != top;
         c = c->NextInSubtreeWithDepth(pool, top, walkDepth)) {
        if (depthAt.size() <= size_t(walkDepth)) {
            depthAt.resize(size_t(walkDepth) + 1);
            rowAt.resize(size_t(walkDepth) + 1);
        }
        int32_t aboveDepth = depthAt[size_t(walkDepth - 1)];
        int32_t aboveRow = rowAt[size_t(walkDepth - 1)];
        uint32_t target = Remapped(c->number);
        if (target != c->number) {
            rowOfComponent[c->number] = rowOfComponent[target];
            depthAt[size_t(walkDepth)] = aboveDepth;
            rowAt[size_t(walkDepth)] = rowOfComponent[target];
        } else if (selected.GetBit(int32_t(c->number))) {
            int32_t depth = flat ? 1 : aboveDepth + 1;
            int32_t row = AppendRow(c->number, 0, depth);
            rowOfComponent[c->number] = row;
            depthAt[size_t(walkDepth)] = depth;
            rowAt[size_t(walkDepth)] = row;
        } else {
            rowOfComponent[c->number] = aboveRow;
            depthAt[size_t(walkDepth)] = aboveDepth;
            rowAt[size_t(walkDepth)] = aboveRow;
        }
    }
}

bool LevelTree::FillCombinationTable(LevelTreeClient& client, bool& cancelled)
{
    cancelled = false;
    for (;;) {
        int64_t capacity = CombinationCapacity(sizeHint);
        if (combinationLimit >= 0 && capacity > combinationLimit)
            return false;
        auto table = std::make_unique<CombinationTable>();
        table->levels = definition.levelCount;
        table->capacity = capacity;
        table->fillLimit = capacity - capacity / 8;
        size_t words = size_t(capacity) * size_t(1 + table->levels);
        table->entries.reset(new (std::nothrow) uint32_t[words]);
        if (!table->entries)
            return false;
        for (int64_t i = 0; i < capacity; ++i)
            table->Entry(i)[1] = CombinationTable::kEmpty;
        combinations = std::move(table);
        lineRows.clear();
        // At most every line of the base: reserved, not touched, so that growing never copies it.
        lineRows.reserve(size_t(std::max(base.LineCount(), 0)));
        if (!client.CollectCombinations(*this) || IsErrorPending()) {
            cancelled = true;
            combinations.reset();
            lineRows.clear();
            return true;
        }
        InsertWaitingCombinations();
        if (combinations->count <= combinations->fillLimit)
            return true;
        // Past the fill limit: a table sized for twice as many, filled again.
        if (capacity >= kLargestCombinationCapacity)
            return false;
        sizeHint = combinations->count * 2 + 15000;
        combinations.reset();
    }
}

bool LevelTree::InsertLineCombination(const CardGroup* group, const CardLine* line)
{
    CombinationTable& table = *combinations;
    if (table.count > table.fillLimit)
        return false;
    if (table.waitingCount == CombinationTable::kWaitingLines) {
        CombinationTable::WaitingLine& oldest = table.waiting[table.waitingFirst];
        InsertCombinationWithAncestors(oldest.key.data(), oldest.slot);
        table.waitingFirst = (table.waitingFirst + 1) % CombinationTable::kWaitingLines;
        --table.waitingCount;
    }
    size_t last = (table.waitingFirst + table.waitingCount) % CombinationTable::kWaitingLines;
    CombinationTable::WaitingLine& next = table.waiting[last];
    ++table.waitingCount;
    MakeCombinationKey(group, line, next.key.data());
    next.slot = table.SlotOf(next.key.data());
    __builtin_prefetch(table.Entry(next.slot));
    return table.count <= table.fillLimit;
}

void LevelTree::InsertWaitingCombinations()
{
    CombinationTable& table = *combinations;
    // As the collector would have stopped: nothing goes in once the table is past its fill limit.
    while (table.waitingCount > 0 && table.count <= table.fillLimit) {
        CombinationTable::WaitingLine& oldest = table.waiting[table.waitingFirst];
        InsertCombinationWithAncestors(oldest.key.data(), oldest.slot);
        table.waitingFirst = (table.waitingFirst + 1) % CombinationTable::kWaitingLines;
        --table.waitingCount;
    }
    table.waitingCount = 0;
}

void LevelTree::InsertCombinationWithAncestors(uint32_t* key, int64_t slot)
{
    CombinationTable& table = *combinations;
    int64_t at = 0;
    bool isNew = table.Insert(key, slot, kDirectFlag, at);
    lineRows.push_back(int32_t(at));
    if (!isNew)
        return;
    // A new key brings its ancestors: the last level that is not at its root steps up first.
    int32_t level = table.levels - 1;
    for (;;) {
        while (level >= 0 && IsDimensionRoot(key[size_t(level)]))
            --level;
        if (level < 0)
            break;
        const Component* component = base.ComponentAt(key[size_t(level)]);
        key[size_t(level)] = component ? component->parent : uint32_t(definition.dimension[size_t(level)]);
        if (!table.Insert(key, table.SlotOf(key), AncestorFlag(level), at))
            break;
    }
}

void LevelTree::MakeCombinationKey(const CardGroup* group, const CardLine* line, uint32_t* key) const
{
    for (int32_t level = 0; level < definition.levelCount; ++level) {
        int32_t d = definition.dimension[size_t(level)];
        uint32_t component = d == 0 ? uint32_t(group->key) : base.GetLineComponent(line, d - 1);
        key[level] = Remapped(component);
    }
}

int32_t LevelTree::RowOf(const CardGroup* group, const CardLine* line) const
{
    switch (rowOfKind) {
    case RowOfKind::Group: {
        uint32_t number = uint32_t(group->key);
        return number < rowOfComponent.size() ? rowOfComponent[number] : 0;
    }
    case RowOfKind::Component: {
        uint32_t number = base.GetLineComponent(line, definition.dimension[0] - 1);
        return number < rowOfComponent.size() ? rowOfComponent[number] : 0;
    }
    case RowOfKind::Combination: break;
    }
    if (!combinations)
        return 0;
    std::array<uint32_t, kMaxLevels> key{};
    MakeCombinationKey(group, line, key.data());
    // A combination without a row of its own (a level that lists no such row) counts on the row of
    // its nearest ancestor combination that has one.
    int32_t level = definition.levelCount - 1;
    for (;;) {
        int64_t entry = combinations->Find(key.data());
        if (entry >= 0 && combinations->rowOfEntry[size_t(entry)] >= 0)
            return combinations->rowOfEntry[size_t(entry)];
        while (level >= 0 && IsDimensionRoot(key[size_t(level)]))
            --level;
        if (level < 0)
            return 0;
        const Component* component = base.ComponentAt(key[size_t(level)]);
        key[size_t(level)] = component ? component->parent : uint32_t(definition.dimension[size_t(level)]);
    }
}

int32_t LevelTree::RowOfCollectedLine(size_t i, const CardGroup* group, const CardLine* line) const
{
    if (rowOfKind == RowOfKind::Combination && i < lineRows.size() && lineRows[i] >= 0)
        return lineRows[i];
    return RowOf(group, line);
}

LevelTreeBuild LevelTree::BuildMultiLevelRows(BitSet& selected, LevelTreeClient& client)
{
    bool cancelled = false;
    if (!FillCombinationTable(client, cancelled)) {
        combinations.reset();
        lineRows.clear();
        SetErrorCode(message::kComponentsCombinationsIncomplete);
        String count;
        count.AssignInt(int32_t(std::min<int64_t>(sizeHint, INT32_MAX)));
        GetPendingError().message.AddText(count.CStr());
        return LevelTreeBuild::Incomplete;
    }
    if (cancelled)
        return LevelTreeBuild::Cancelled;
    CombinationTable& table = *combinations;
    table.rowOfEntry.reset(new (std::nothrow) int32_t[size_t(table.capacity)]);
    if (!table.rowOfEntry) {
        combinations.reset();
        lineRows.clear();
        SetOutOfMemoryError();
        return LevelTreeBuild::Incomplete;
    }
    std::fill_n(table.rowOfEntry.get(), size_t(table.capacity), -1);
    std::array<uint32_t, kMaxLevels> roots{};
    for (int32_t level = 0; level < definition.levelCount; ++level)
        roots[size_t(level)] = uint32_t(definition.dimension[size_t(level)]);
    AddLevelRows(0, roots.data(), -1, selected);
    for (int32_t& line : lineRows)
        line = table.rowOfEntry[size_t(line)];
    return LevelTreeBuild::Built;
}

uint32_t LevelTree::FindLevelTop(int32_t level, const uint32_t* key) const
{
    const RecordPool& pool = base.ComponentPool();
    std::array<uint32_t, kMaxLevels> probe{};
    std::copy_n(key, definition.levelCount, probe.begin());
    // Flags outside the ancestor bits of the levels before this one: a line of its own, or an
    // ancestor of one at this level or later.
    uint32_t ownMask = uint32_t(1) - AncestorFlag(level);
    const Component* current = base.Root(definition.dimension[size_t(level)]);
    for (;;) {
        const Component* only = nullptr;
        int64_t onlyEntry = -1;
        int32_t found = 0;
        for (const Component* child = current->FirstChild(pool); child && found < 2; child = child->NextSibling(pool)) {
            probe[size_t(level)] = child->number;
            int64_t entry = combinations->Find(probe.data());
            if (entry >= 0) {
                ++found;
                only = child;
                onlyEntry = entry;
            }
        }
        if (found != 1 || (combinations->Entry(onlyEntry)[0] & ownMask) != 0)
            return current->number;
        current = only;
    }
}

int32_t LevelTree::AddCombinationRow(int32_t level, const uint32_t* key, int32_t depth, BitSet& selected)
{
    int32_t row = AppendRow(key[level], level, depth);
    int64_t entry = combinations->Find(key);
    if (entry >= 0)
        combinations->rowOfEntry[size_t(entry)] = row;
    if (level + 1 < definition.levelCount)
        AddLevelRows(level + 1, key, row, selected);
    return row;
}

void LevelTree::AddLevelRows(int32_t level, const uint32_t* incoming, int32_t enclosingRow, BitSet& selected)
{
    const RecordPool& pool = base.ComponentPool();
    const size_t l = size_t(level);
    const int32_t d = definition.dimension[l];
    const bool last = level + 1 == definition.levelCount;
    const LevelFilter filter = definition.filter[l];
    std::array<uint32_t, kMaxLevels> key{};
    std::copy_n(incoming, definition.levelCount, key.begin());

    uint32_t top = level == 0 || filter == LevelFilter::All ? base.CommonAncestorOfMarked(selected, d)->number
                                                            : FindLevelTop(level, key.data());
    top = Remapped(top);
    bool topSelected = selected.GetBit(int32_t(top));
    int32_t topRow = enclosingRow;
    int32_t enclosingDepth = enclosingRow >= 0 ? rows[size_t(enclosingRow)].depth : 0;

    if (level == 0) {
        topRow = AppendRow(top, 0, 0);
        int64_t entry = combinations->Find(key.data());
        if (entry >= 0)
            combinations->rowOfEntry[size_t(entry)] = topRow;
        key[0] = top;
        if (!IsDimensionRoot(top) && topSelected) {
            entry = combinations->Find(key.data());
            if (entry >= 0)
                combinations->rowOfEntry[size_t(entry)] = topRow;
        }
        key[0] = incoming[0];
        enclosingRow = topRow;
        enclosingDepth = 0;
    }
    if (!last && topSelected) {
        AddLevelRows(level + 1, key.data(), enclosingRow, selected);
        if (!IsDimensionRoot(top)) {
            key[l] = top;
            if (level == 0) {
                AddLevelRows(1, key.data(), topRow, selected);
            } else {
                topRow = AddCombinationRow(level, key.data(), enclosingDepth + 1, selected);
            }
        }
    }
    int32_t topDepth = topRow >= 0 ? rows[size_t(topRow)].depth : 0;

    // The walk below the top: depth of each walk position's row (a position without a row keeps the
    // depth of the one above, so its descendants hang under the nearest row above them).
    std::vector<int32_t> depthAt(1, topDepth);
    const bool flat = definition.IsFlat(level);
    const Component* topComponent = base.ComponentAt(top);
    int32_t walkDepth = 0;
    const Component* c = topComponent->NextInSubtreeWithDepth(pool, topComponent, walkDepth);
    while (c != topComponent) {
        if (depthAt.size() <= size_t(walkDepth))
            depthAt.resize(size_t(walkDepth) + 1);
        int32_t aboveDepth = depthAt[size_t(walkDepth - 1)];
        depthAt[size_t(walkDepth)] = aboveDepth;
        key[l] = c->number;
        bool isSelected = selected.GetBit(int32_t(c->number));
        if (filter == LevelFilter::All) {
            if (Remapped(c->number) != c->number) {
                c = c->NextAfterSubtree(pool, topComponent, walkDepth);
                continue;
            }
            if (isSelected) {
                int32_t depth = flat ? enclosingDepth + 1 : aboveDepth + 1;
                AddCombinationRow(level, key.data(), depth, selected);
                depthAt[size_t(walkDepth)] = depth;
            }
        } else {
            int64_t entry = combinations->Find(key.data());
            if (entry < 0) {
                c = c->NextAfterSubtree(pool, topComponent, walkDepth);
                continue;
            }
            // A flat list shows only components that occur on lines or through other levels.
            bool onlyAncestor = flat && combinations->Entry(entry)[0] == AncestorFlag(level);
            if (isSelected && !onlyAncestor) {
                int32_t depth = flat ? enclosingDepth + 1 : aboveDepth + 1;
                AddCombinationRow(level, key.data(), depth, selected);
                depthAt[size_t(walkDepth)] = depth;
            }
        }
        c = c->NextInSubtreeWithDepth(pool, topComponent, walkDepth);
    }
}

// --- Filtering, pruning, sorting ----------------------------------------------------------------------

void LevelTree::FilterRows(LevelTreeClient& client)
{
    bool filtered = false;
    for (int32_t level = 0; level < definition.levelCount; ++level)
        filtered = filtered || definition.filter[size_t(level)] != LevelFilter::All;
    if (!filtered || rows.empty())
        return;
    std::vector<uint8_t> marks(rows.size(), 0);
    int32_t count = RowCount();
    if (definition.levelCount == 1) {
        if (definition.filter[0] == LevelFilter::InUse) {
            client.MarkRows(marks);
        } else if (definition.filter[0] == LevelFilter::NonZero) {
            for (int32_t row = count - 1; row >= 1; --row)
                marks[size_t(row)] = client.RowHasData(row, RowValues::Own) ? 1 : 0;
        }
    } else {
        int32_t lastLevel = definition.levelCount - 1;
        int32_t row = 1;
        while (row < count) {
            const LevelRow& r = rows[size_t(row)];
            LevelFilter filter = definition.filter[size_t(r.level)];
            bool keep = filter == LevelFilter::All || (filter == LevelFilter::InUse && client.RowPassesFilter(row)) ||
                        (filter == LevelFilter::NonZero && client.RowHasData(row, RowValues::Own));
            if (!keep && r.level != lastLevel && client.RowHasData(row, RowValues::RolledUp))
                keep = true;
            if (keep) {
                marks[size_t(row)] = 1;
                ++row;
                continue;
            }
            if (r.level == lastLevel) {
                ++row;
                continue;
            }
            // The row's subtree follows it in index order, up to the next row that is not deeper.
            int32_t depth = r.depth;
            ++row;
            while (row < count && rows[size_t(row)].depth > depth)
                ++row;
        }
    }
    PruneRows(marks, client);
}

void LevelTree::PruneRows(std::vector<uint8_t>& marks, LevelTreeClient& client)
{
    int32_t count = RowCount();
    marks[0] = 1;
    auto skipUnmarked = [&](int32_t& link) {
        if (link > 0 && !marks[size_t(link)])
            link = rows[size_t(link)].nextSibling;
    };
    for (int32_t row = count - 1; row >= 0; --row) {
        LevelRow& r = rows[size_t(row)];
        skipUnmarked(r.nextSibling);
        skipUnmarked(r.firstChild);
        if (row > 0 && marks[size_t(row)] && r.parent >= 0)
            marks[size_t(r.parent)] = 1;
    }
    // New indices: the mark array holds each kept row's new index from here on.
    std::vector<int32_t> newIndex(size_t(count), -1);
    int32_t kept = 0;
    for (int32_t row = 0; row < count; ++row) {
        if (!marks[size_t(row)])
            continue;
        newIndex[size_t(row)] = kept;
        if (kept != row) {
            rows[size_t(kept)] = rows[size_t(row)];
            client.MoveRowData(row, kept);
        }
        ++kept;
    }
    rows.resize(size_t(kept));
    auto renumber = [&newIndex](int32_t& link) {
        if (link > 0)
            link = newIndex[size_t(link)];
    };
    for (LevelRow& r : rows) {
        renumber(r.parent);
        renumber(r.firstChild);
        renumber(r.nextSibling);
    }
}

void LevelTree::SortSiblings(LevelTreeClient& client, const LevelTreeSort& sort)
{
    if (rows.empty())
        return;
    SortChain(rows[0].firstChild, client, sort);
}

void LevelTree::SortChain(int32_t& firstLink, LevelTreeClient& client, const LevelTreeSort& sort)
{
    std::vector<int32_t> chain;
    for (int32_t row = firstLink; row >= 0; row = rows[size_t(row)].nextSibling) {
        chain.push_back(row);
        if (rows[size_t(row)].firstChild >= 0)
            SortChain(rows[size_t(row)].firstChild, client, sort);
    }
    if (chain.size() < 2)
        return;
    auto less = [&](int32_t a, int32_t b) {
        int32_t order = 0;
        if (sort.valueField >= 0) {
            order = CompareValuesForSort(client.GetSortValue(a), client.GetSortValue(b), sort.valueOrder);
        } else if (sort.itemDisplay == 1) {
            order = a > b ? -1 : a < b ? 1 : 0;
        } else if (sort.itemDisplay >= 2 && sort.itemDisplay <= 4) {
            order = client.CompareComponents(rows[size_t(a)].component, rows[size_t(b)].component, sort.itemDisplay);
        }
        return order != 0 ? order < 0 : a < b;
    };
    std::sort(chain.begin(), chain.end(), less);
    firstLink = chain.front();
    for (size_t i = 0; i + 1 < chain.size(); ++i)
        rows[size_t(chain[i])].nextSibling = chain[i + 1];
    rows[size_t(chain.back())].nextSibling = -1;
}

void LevelTree::FinishLevelTree()
{
    if (combinations)
        sizeHint = combinations->count;
    combinations.reset();
    lineRows = std::vector<int32_t>();
    lastRowAtDepth = std::vector<int32_t>();
    lastChildOf = std::vector<int32_t>();
    depthRemap = std::vector<uint32_t>();
    rows.shrink_to_fit();
}

}  // namespace vek
