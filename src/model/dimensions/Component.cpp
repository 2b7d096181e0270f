#include "model/dimensions/Component.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/memory/CallbackSort.h"
#include "text/TableOptions.h"

namespace vek {

Component* Component::LastChild(const RecordPool& pool) const
{
    const Component* first = FirstChild(pool);
    return first == nullptr ? nullptr : pool.Get<Component>(first->prevSibling);
}

uint32_t Component::Dimension(const RecordPool& pool) const
{
    const Component* c = this;
    while (!c->IsRoot())
        c = c->Parent(pool);
    return c->number;
}

Component* Component::NextInPreorder(const RecordPool& pool) const
{
    if (firstChild != kNoRecord)
        return FirstChild(pool);
    const Component* c = this;
    while (c != nullptr) {
        if (c->nextSibling != kNoRecord)
            return c->NextSibling(pool);
        c = c->Parent(pool);
    }
    return nullptr;
}

Component* Component::NextInSubtree(const RecordPool& pool, const Component* top) const
{
    if (firstChild != kNoRecord)
        return FirstChild(pool);
    const Component* c = this;
    while (c != top && c != nullptr) {
        if (c->nextSibling != kNoRecord)
            return c->NextSibling(pool);
        c = c->Parent(pool);
    }
    return const_cast<Component*>(top);
}

Component* Component::NextInPreorderWithDepth(const RecordPool& pool, int32_t& depth) const
{
    if (firstChild != kNoRecord) {
        ++depth;
        return FirstChild(pool);
    }
    const Component* c = this;
    while (c != nullptr) {
        if (c->nextSibling != kNoRecord)
            return c->NextSibling(pool);
        c = c->Parent(pool);
        --depth;
    }
    return nullptr;
}

Component* Component::NextInSubtreeWithDepth(const RecordPool& pool, const Component* top, int32_t& depth) const
{
    if (firstChild != kNoRecord) {
        ++depth;
        return FirstChild(pool);
    }
    return NextAfterSubtree(pool, top, depth);
}

Component* Component::NextAfterSubtree(const RecordPool& pool, const Component* top, int32_t& depth) const
{
    const Component* c = this;
    while (c != top && c != nullptr) {
        if (c->nextSibling != kNoRecord)
            return c->NextSibling(pool);
        c = c->Parent(pool);
        --depth;
    }
    return const_cast<Component*>(top);
}

Component* Component::NextInReverseOrder(const RecordPool& pool) const
{
    if (firstChild != kNoRecord)
        return LastChild(pool);
    const Component* c = this;
    while (!c->IsRoot()) {
        const Component* parentComponent = c->Parent(pool);
        if (parentComponent->firstChild != c->number)
            return pool.Get<Component>(c->prevSibling);
        c = parentComponent;
    }
    return const_cast<Component*>(c);
}

void Component::AppendChild(const RecordPool& pool, Component* newParent)
{
    parent = newParent->number;
    nextSibling = kNoRecord;
    Component* first = newParent->FirstChild(pool);
    if (first == nullptr) {
        newParent->firstChild = number;
        prevSibling = number;
        return;
    }
    Component* last = pool.Get<Component>(first->prevSibling);
    last->nextSibling = number;
    prevSibling = last->number;
    first->prevSibling = number;
}

void Component::InsertAfter(const RecordPool& pool, Component* sibling)
{
    Component* newParent = sibling->Parent(pool);
    if (newParent == nullptr) {
        // A root has no siblings: the component goes under it instead.
        AppendChild(pool, sibling);
        return;
    }
    parent = newParent->number;
    prevSibling = sibling->number;
    nextSibling = sibling->nextSibling;
    if (Component* next = sibling->NextSibling(pool))
        next->prevSibling = number;
    else
        newParent->FirstChild(pool)->prevSibling = number;
    sibling->nextSibling = number;
}

void Component::Unlink(const RecordPool& pool)
{
    Component* oldParent = Parent(pool);
    if (oldParent == nullptr)
        return;
    Component* next = NextSibling(pool);
    if (oldParent->firstChild == number) {
        oldParent->firstChild = nextSibling;
        if (next != nullptr)
            next->prevSibling = prevSibling;  // the new first child keeps the last child
    } else {
        Component* previous = pool.Get<Component>(prevSibling);
        previous->nextSibling = nextSibling;
        if (next != nullptr)
            next->prevSibling = prevSibling;
        else
            oldParent->FirstChild(pool)->prevSibling = prevSibling;
    }
    parent = kNoRecord;
    nextSibling = kNoRecord;
    prevSibling = number;
}

int32_t Component::GetLevel(const RecordPool& pool) const
{
    int32_t level = -1;
    for (const Component* c = this; !c->IsRoot(); c = c->Parent(pool))
        ++level;
    return level;
}

bool Component::IsAncestorOrSelf(const RecordPool& pool, const Component* a, const Component* b)
{
    for (const Component* c = b; c != nullptr; c = c->Parent(pool)) {
        if (c == a)
            return true;
    }
    return false;
}

Component* Component::CommonAncestor(const RecordPool& pool, const Component* a, const Component* b)
{
    int32_t levelA = a->GetLevel(pool);
    int32_t levelB = b->GetLevel(pool);
    while (levelA > levelB) {
        a = a->Parent(pool);
        --levelA;
    }
    while (levelB > levelA) {
        b = b->Parent(pool);
        --levelB;
    }
    while (a != b && a != nullptr && b != nullptr) {
        a = a->Parent(pool);
        b = b->Parent(pool);
    }
    return a == b ? const_cast<Component*>(a) : nullptr;
}

void Component::MarkSubtree(const RecordPool& pool, const Component* top, BitSet& set)
{
    const Component* c = top;
    do {
        set.SetBit(int32_t(c->number), true);
        c = c->NextInSubtree(pool, top);
    } while (c != top);
}

namespace {

// Null texts sort first (last when reversed); two texts compare as the table sort does.
int32_t CompareComponentTexts(const char* a, const char* b, bool reverse)
{
    int32_t result;
    if (a == nullptr || b == nullptr)
        result = (a == nullptr ? 0 : 1) - (b == nullptr ? 0 : 1);
    else
        return CompareTextsForSort(a, b, reverse ? SortDirection::Descending : SortDirection::Ascending);
    return reverse ? -result : result;
}

struct ChildSortContext {
    std::vector<Component*> children;
    int32_t flags;
};

int32_t CompareChildren(void* context, int32_t i, int32_t j)
{
    auto& sort = *static_cast<ChildSortContext*>(context);
    const Component* a = sort.children[std::size_t(i)];
    const Component* b = sort.children[std::size_t(j)];
    bool reverse = (sort.flags & kSortReverse) != 0;
    int32_t result = 0;
    if (sort.flags & kSortByText)
        result = CompareComponentTexts(a->text, b->text, reverse);
    else if (sort.flags & kSortByHost)
        result = CompareComponentTexts(a->host, b->host, reverse);
    if (result == 0)
        result = CompareComponentTexts(a->code, b->code, reverse);
    return result;
}

void SwapChildren(void* context, int32_t i, int32_t j)
{
    auto& sort = *static_cast<ChildSortContext*>(context);
    std::swap(sort.children[std::size_t(i)], sort.children[std::size_t(j)]);
}

}  // namespace

void Component::SortChildren(const RecordPool& pool, int32_t flags)
{
    if ((flags & kSortRecursive) == 0) {
        SortOwnChildren(pool, flags);
        return;
    }
    // Every level of the subtree, without recursion: a node's children are sorted before the walk
    // steps into them, and sorting one node never changes which children another node has.
    Component* c = this;
    do {
        c->SortOwnChildren(pool, flags);
        c = c->NextInSubtree(pool, this);
    } while (c != this);
}

void Component::SortOwnChildren(const RecordPool& pool, int32_t flags)
{
    Component* first = FirstChild(pool);
    if (first == nullptr || first->nextSibling == kNoRecord)
        return;
    ChildSortContext sort;
    sort.flags = flags;
    for (Component* child = first; child != nullptr; child = child->NextSibling(pool))
        sort.children.push_back(child);
    SortCallbacks callbacks;
    callbacks.compare = CompareChildren;
    callbacks.compareContext = &sort;
    callbacks.swap = SwapChildren;
    callbacks.swapContext = &sort;
    SortWithCallbacks(callbacks, int32_t(sort.children.size()));
    firstChild = kNoRecord;
    for (Component* child : sort.children)
        child->AppendChild(pool, this);
}

}  // namespace vek
