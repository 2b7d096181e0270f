// LevelTree: the rows of the hierarchical analyses (components and component functions): one to four
// levels of dimensions nested level by level, built from the combinations that occur on card lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "analysis/LevelDefinition.h"

namespace vek {

class Base;
class BitSet;
struct CardGroup;
struct CardLine;

// One row of a level tree. Rows are appended in pre-order, so a row's index is above its parent's and
// its earlier siblings'; links are row indices, -1 for none.
struct LevelRow {
    uint32_t component = 0;  // the component of the row's own level (a group's number for dimension 0)
    int32_t parent = -1;
    int32_t firstChild = -1;
    int32_t nextSibling = -1;
    // 0 for the root, the parent's + 1 otherwise. Four levels of deep trees go past 255.
    int32_t depth = 0;
    uint8_t level = 0;  // 0-3
    uint8_t expanded = 0;
};

// Which values of a row a test looks at: the row's own lines, or its own and its descendants'.
enum class RowValues : int32_t { Own, RolledUp };

// How siblings are ordered (the template's sort settings): by a value (valueField 0 or more, in a
// value-sort order of "DEFCBA"), else by an item display of "NRCTH" (0 build order, 1 reversed, 2 code,
// 3 text, 4 host code). Ties keep the build order.
struct LevelTreeSort {
    int32_t valueField = -1;
    int32_t itemDisplay = 0;
    int32_t valueOrder = 0;
};

// How a build ended.
enum class LevelTreeBuild : int32_t {
    Built,
    Cancelled,   // the cancel flag: no rows
    Incomplete,  // the combination table could not grow: no rows, message 4100 pending
};

class LevelTree;

// What the level tree asks of the analysis that owns it (the window side of the tree): the collector
// of combinations, the row tests of the filters, sort values, and keeping its per-row values in step
// when pruning moves rows.
class LevelTreeClient {
public:
    virtual ~LevelTreeClient();
    // Calls tree.InsertLineCombination for every admitted line, ticking progress once per card; stops
    // when that answers false. False when the cancel flag stopped it.
    virtual bool CollectCombinations(LevelTree& tree) = 0;
    // Filter mode InUse on a one-level tree: sets marks[row] to 1 for the rows that stay.
    virtual void MarkRows(std::span<uint8_t> marks) const = 0;
    // Filter mode InUse on a level of a several-level tree.
    virtual bool RowPassesFilter(int32_t row) const = 0;
    virtual bool RowHasData(int32_t row, RowValues values) const = 0;
    virtual double GetSortValue(int32_t row) const = 0;
    // -1, 0 or 1 comparing two components by an item display (2 code, 3 text, 4 host code).
    virtual int32_t CompareComponents(uint32_t a, uint32_t b, int32_t itemDisplay) const = 0;
    // Pruning moves row `from` down to `to` (to < from), rows in ascending order.
    virtual void MoveRowData(int32_t from, int32_t to) = 0;
};

// The level tree of one analysis: built by each computation of it (SaveExpansion, BuildLevelTree,
// the computation's values, FilterRows, SortSiblings, FinishLevelTree), read by its display and export.
//
// A one-level tree is the selected components of its dimension in their tree under their common
// ancestor; a line's row is an array lookup. Several levels nest the combinations that occur on lines:
// they are collected into a hash table first (a line's key and, when new, the keys of its ancestors,
// generalising the last level first), and the rows are built level by level from it; a line's row is
// a hash probe.
class LevelTree {
public:
    explicit LevelTree(Base& base);
    ~LevelTree();
    LevelTree(const LevelTree&) = delete;
    LevelTree& operator=(const LevelTree&) = delete;

    // --- Building ----------------------------------------------------------------------------------
    // First of every computation: remembers the expansion of the rows there are (or the text given
    // to SeedExpansion), then drops the rows.
    void SaveExpansion();
    // The expansion text to apply when no rows exist yet (a template's stored text); null for none.
    void SeedExpansion(const char* text);
    // Builds the rows of the definition over the selected components (a set over every component
    // number of the base; a depth limit adds the ancestors it folds into). Repeated dimensions are
    // removed from the copy of the definition. Ends by restoring the expansion state.
    [[nodiscard]] LevelTreeBuild BuildLevelTree(const LevelDefinition& definition, BitSet& selected,
                                                LevelTreeClient& client);
    // The collector's call for one admitted line. False when the table is past its fill limit (the
    // collector stops; the build grows the table and collects again).
    bool InsertLineCombination(const CardGroup* group, const CardLine* line);
    // The row of an admitted line after the build.
    int32_t RowOf(const CardGroup* group, const CardLine* line) const;
    // The same for the i-th line the collector gave (the computation walks the same lines in the same
    // order): a tree of several levels remembers each line's combination, so no key is hashed again.
    int32_t RowOfCollectedLine(size_t i, const CardGroup* group, const CardLine* line) const;

    // --- After the values ----------------------------------------------------------------------------
    // Applies the levels' filters (nothing when every level shows all rows) and prunes: the kept rows
    // and every ancestor of them move to consecutive indices from 1, and the client moves their values.
    void FilterRows(LevelTreeClient& client);
    // Sorts every sibling chain below the root.
    void SortSiblings(LevelTreeClient& client, const LevelTreeSort& sort);
    // Last of every computation: frees the build's tables (the combination count is kept as the next
    // size hint) and trims the rows.
    void FinishLevelTree();

    // --- Rows ------------------------------------------------------------------------------------------
    int32_t RowCount() const { return int32_t(rows.size()); }
    const LevelRow& Row(int32_t i) const { return rows[size_t(i)]; }
    void SetExpanded(int32_t i, bool on) { rows[size_t(i)].expanded = on ? 1 : 0; }
    // The definition of the last build (repeated dimensions removed).
    const LevelDefinition& Definition() const { return definition; }
    // The rows shown: the root, then in pre-order the children of expanded rows.
    void CollectVisibleRows(std::vector<int32_t>& out) const;
    // Walks the visible rows: the shorter of the list of expanded rows ("|" separated) and that of
    // collapsed rows with children ("\" separated); each list stops growing at 8000 characters.
    std::string WriteExpansionState() const;
    // The component of a row at an earlier level (the row's own or an ancestor's); the root of the
    // level's dimension when none.
    uint32_t ComponentAtLevel(int32_t row, int32_t level) const;

    // --- Combination table ------------------------------------------------------------------------------
    // The slot of a key in a table of `capacity` entries: every component number mixed into 64 bits,
    // so that neither large tables overflow it nor small dense numbers crowd into a corner of it.
    static uint32_t HashCombination(std::span<const uint32_t> key, uint32_t capacity);
    // The capacity for a size hint: the first odd prime above 2n - n/4 + 1024; 2147482921 past
    // 1227132500.
    static int64_t CombinationCapacity(int64_t hint);
    int64_t CombinationSizeHint() const { return sizeHint; }
    // Test hook: a table of more entries than this cannot be made (negative: no limit).
    void SetCombinationLimit(int64_t entries) { combinationLimit = entries; }

private:
    struct CombinationTable;
    enum class RowOfKind : int32_t { Group, Component, Combination };

    void BuildDepthRemap(BitSet& selected);
    void BuildSingleLevelRows(BitSet& selected);
    [[nodiscard]] LevelTreeBuild BuildMultiLevelRows(BitSet& selected, LevelTreeClient& client);
    [[nodiscard]] bool FillCombinationTable(LevelTreeClient& client, bool& cancelled);
    void AddLevelRows(int32_t level, const uint32_t* key, int32_t enclosingRow, BitSet& selected);
    uint32_t FindLevelTop(int32_t level, const uint32_t* key) const;
    int32_t AddCombinationRow(int32_t level, const uint32_t* key, int32_t depth, BitSet& selected);
    int32_t AppendRow(uint32_t component, int32_t level, int32_t depth);
    void MakeCombinationKey(const CardGroup* group, const CardLine* line, uint32_t* key) const;
    void InsertCombinationWithAncestors(uint32_t* key, int64_t slot);
    void InsertWaitingCombinations();
    uint32_t Remapped(uint32_t component) const;
    void PruneRows(std::vector<uint8_t>& marks, LevelTreeClient& client);
    void SortChain(int32_t& firstLink, LevelTreeClient& client, const LevelTreeSort& sort);
    void RestoreExpansion();
    void AppendRowKey(std::string& out, int32_t row, const uint32_t* components) const;

    Base& base;
    LevelDefinition definition;
    LevelDefinition previousDefinition;
    bool hasPreviousDefinition = false;
    std::vector<LevelRow> rows;
    RowOfKind rowOfKind = RowOfKind::Component;

    // The build's tables, freed by FinishLevelTree.
    std::vector<int32_t> lastRowAtDepth;
    std::vector<int32_t> lastChildOf;
    std::vector<uint32_t> depthRemap;  // empty: no remap
    std::vector<int32_t> rowOfComponent;
    std::unique_ptr<CombinationTable> combinations;
    // Per collected line, in collecting order: its combination's entry while collecting, its row once
    // the rows are built (-1 where the combination has no row of its own).
    std::vector<int32_t> lineRows;
    int64_t sizeHint = 0;
    int64_t combinationLimit = -1;

    // The expansion carried from one build to the next.
    std::string keptExpansion;
    bool hasKeptExpansion = false;
    uint32_t keptRootComponent = 0;
    bool hasKeptRoot = false;
};

}  // namespace vek
