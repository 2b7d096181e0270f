// Component: a member of a dimension's tree, kept in the base's component pool by index.
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"
#include "model/cards/RecordPool.h"

namespace vek {

class BitSet;

// Components 0..31 are the roots of dimensions 0..31 and stand for "no component" of their dimension.
constexpr uint32_t kDimensionCount = 32;
// The record size that memory reports count for a component.
constexpr int32_t kComponentRecordSize = 32;

// A member of a dimension's tree, kept in the base's component pool: its number is its pool index and
// never changes while it lives. Tree links are pool indices (kNoRecord for none). The first child's
// `prevSibling` is the last child, so appending costs one step; a root's `prevSibling` is itself.
// On the free list `nextSibling` links the free records.
//
// The tree operations resolve links through the pool the component lives in.
struct Component {
    uint32_t number;
    uint32_t nextSibling;
    uint32_t prevSibling;
    uint32_t parent;  // kNoRecord for a root, the root for a top-level component
    uint32_t firstChild;
    HeapText code;  // owned; null when empty (always null for a root)
    HeapText text;
    HeapText host;

    bool IsRoot() const { return parent == kNoRecord; }

    // Pre-order walk over every tree of the pool: first child, else the next sibling of this
    // component or of its nearest ancestor that has one. A walk over one dimension starts at its root
    // and ends at a component without parent (the next root) or null.
    Component* NextInPreorder(const RecordPool& pool) const;
    // The same, never leaving the subtree of `top` (gives `top` at the end).
    Component* NextInSubtree(const RecordPool& pool, const Component* top) const;
    // The same walks counting depth: one up on stepping into children, one down per level climbed.
    Component* NextInPreorderWithDepth(const RecordPool& pool, int32_t& depth) const;
    Component* NextInSubtreeWithDepth(const RecordPool& pool, const Component* top, int32_t& depth) const;
    // The walk from the end of a tree: the last child, else the previous sibling, else the previous
    // sibling of the nearest ancestor that has one; it ends by giving the root.
    Component* NextInReverseOrder(const RecordPool& pool) const;
    // The next sibling of this component or of its nearest ancestor below `top`, lowering `depth`
    // per level climbed; `top` when there is none.
    Component* NextAfterSubtree(const RecordPool& pool, const Component* top, int32_t& depth) const;

    // Links this (unlinked) component as the last child of `parent`.
    void AppendChild(const RecordPool& pool, Component* parent);
    // Links this (unlinked) component right after `sibling`, under the sibling's parent.
    void InsertAfter(const RecordPool& pool, Component* sibling);
    // Takes this component (with its subtree) out of its parent's children.
    void Unlink(const RecordPool& pool);

    Component* Parent(const RecordPool& pool) const { return pool.Get<Component>(parent); }
    Component* FirstChild(const RecordPool& pool) const { return pool.Get<Component>(firstChild); }
    Component* NextSibling(const RecordPool& pool) const { return pool.Get<Component>(nextSibling); }
    Component* LastChild(const RecordPool& pool) const;
    // The root of this component's tree; its number is the dimension.
    uint32_t Dimension(const RecordPool& pool) const;

    // Ancestors that are not roots: 0 for top level; -1 for a root.
    int32_t GetLevel(const RecordPool& pool) const;
    // True when `a` is `b` or an ancestor of `b`.
    static bool IsAncestorOrSelf(const RecordPool& pool, const Component* a, const Component* b);
    // The deepest component that is an ancestor of or equal to both; null when in different trees.
    static Component* CommonAncestor(const RecordPool& pool, const Component* a, const Component* b);
    // Sets the bits of `top` and its whole subtree.
    static void MarkSubtree(const RecordPool& pool, const Component* top, BitSet& set);

    // Sorts the children (flag 1: every level below too; 2: reverse; 4: by text, then code; 8: by
    // host, then code; else by code). Texts are compared with null first.
    void SortChildren(const RecordPool& pool, int32_t flags);

private:
    void SortOwnChildren(const RecordPool& pool, int32_t flags);
};

// The three texts of a component, for code that treats them alike (case conversion, indexes,
// checkpoints).
enum class ComponentTextField : uint8_t { Code, Text, Host };

inline HeapText& ComponentText(Component& component, ComponentTextField field)
{
    return field == ComponentTextField::Code ? component.code
           : field == ComponentTextField::Text ? component.text
                                               : component.host;
}

// Flags of Component::SortChildren.
constexpr int32_t kSortRecursive = 1;
constexpr int32_t kSortReverse = 2;
constexpr int32_t kSortByText = 4;
constexpr int32_t kSortByHost = 8;

}  // namespace vek
