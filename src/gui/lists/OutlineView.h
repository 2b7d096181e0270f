// OutlineView: a tree list over the grid view; rows are the visible nodes of a tree of OutlineNodes.
#pragma once

#include <cstdint>

#include "gui/lists/GridView.h"

namespace vek {

class OutlineView;

// A node of an outline. The view owns every node; owners address them by their own numeric id.
// The first child's previous-sibling link points at the last child, so appending takes one step.
class OutlineNode {
public:
    OutlineView* view = nullptr;
    OutlineNode* parent = nullptr;
    OutlineNode* firstChild = nullptr;
    OutlineNode* nextSibling = nullptr;
    OutlineNode* previousSibling = nullptr;
    int32_t id = 0;
    int32_t iconId = 0;
    bool expanded = false;
    // Some child of this node shows an icon (it has children or an icon of its own).
    bool iconColumn = false;

    // Pre-order over the shown nodes; the root ends every walk.
    OutlineNode* NextVisible();
    // Pre-order over all nodes, expanded or not; the root ends every walk.
    OutlineNode* Next();
    OutlineNode* Previous();
    OutlineNode* LastChild() const { return firstChild ? firstChild->previousSibling : nullptr; }
    bool HasChildren() const { return firstChild != nullptr; }
    bool IsRoot() const { return parent == nullptr; }
    bool IsDescendantOf(const OutlineNode& ancestor) const;
    // 8 pixels per ancestor level, plus 18 when the root shows an icon column.
    int32_t Indent() const;
    void SetIcon(int32_t id);
    // Expanding collapses every child first; the rows are counted again.
    void SetExpanded(bool flag);
};

enum class OutlineRequestKind : int32_t { Text = 0, Selected = 1, Open = 2 };

// Sent to the view's OutlineNotify slot, which Pane passes up to the owner.
struct OutlineRequest {
    OutlineRequestKind kind = OutlineRequestKind::Text;
    OutlineView* view = nullptr;
    OutlineNode* node = nullptr;
    int32_t id = 0;
    // Text answer: a NUL-terminated text; none or empty draws nothing.
    const char* text = nullptr;
    // Text answer, preset 1: 0 draws the node dimmed and makes it unselectable.
    int32_t enabled = 1;
};

// The tree list at the side of a document window. Only one node is ever selected; every row is
// 18 pixels high. The row of a node is found by walking the shown nodes, remembering the last row
// found so that drawing a screenful deep in a long tree walks a screenful.
class OutlineView : public GridView {
public:
    static constexpr int32_t kRootId = -999;
    static constexpr int32_t kRowHeight = 18;

    OutlineView(Pane& enclosure, const OriginSize& frame, int32_t id);
    ~OutlineView() override;

    CommandTarget* Notify(int32_t code) override;
    CommandTarget* RowCount(RowRequest& record) override;

    // Appends to the parent (the root when null) or inserts before the sibling.
    OutlineNode* AddNode(OutlineNode* parent, OutlineNode* before, int32_t id);
    // Removes the node and everything below it; the root stays.
    void RemoveNode(OutlineNode* node);
    void MoveNode(OutlineNode* node, OutlineNode* parent, OutlineNode* before);
    // Searches collapsed branches too; null when no node has the id.
    OutlineNode* FindNodeById(int32_t id);
    void RevealAndSelect(OutlineNode* node);
    void RevealAndSelectId(int32_t id);
    void SelectNodeById(int32_t id);
    void ReselectCurrentNode();
    // 1 next, -1 previous (pre-order over all nodes), -9 the first node, else the last.
    void StepCurrentNode(int32_t code);
    OutlineNode* NodeOfRow(int32_t row);
    int32_t RowOfNode(const OutlineNode* node);
    OutlineNode* SelectedNode();
    OutlineNode& Root() { return root; }
    bool IsPressed() const { return pressed; }
    void SetPendingNotice(bool flag) { pendingNotice = flag; }

    // Called by OutlineNode when the tree's shape changed.
    void TreeChanged();
    void UpdateIconColumn(OutlineNode& from);

private:
    void DrawRow(RowRequest& record);
    void ClickExpander(RowRequest& record);
    void ToggleOrOpenNode(int32_t row);
    void NotifyNodeSelected(OutlineNode* node);
    int32_t TextStart(const OutlineNode& node, const Rect& rowRect) const;
    void Unlink(OutlineNode& node);
    void Link(OutlineNode& node, OutlineNode& parent, OutlineNode* before);
    static void FreeChildren(OutlineNode& node);

    OutlineNode root;
    bool pressed = false;
    bool pendingNotice = false;
    // The last row found by NodeOfRow; cleared whenever the tree or the expansion changes.
    int32_t cachedRow = -1;
    OutlineNode* cachedNode = nullptr;
};

}  // namespace vek
