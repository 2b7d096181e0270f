// OutlineView: tree walks, rows of nodes, the answers to the grid's requests, expanders.
#include "gui/lists/OutlineView.h"

#include "gui/Window.h"
#include "gui/lists/ListSupport.h"
#include "gui/lists/ScrollBar.h"
#include "drawing/Icons.h"
#include "drawing/TextLayout.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

// Built-in icons of the expander column.
constexpr int32_t kIconCollapsed = 5808;
constexpr int32_t kIconExpanded = 5809;
constexpr int32_t kIconLeaf = 5810;
constexpr int32_t kIndentPerLevel = 8;
constexpr int32_t kIconColumnIndent = 18;
// Room left of the deepest text for the icon of a top-level node.
constexpr int32_t kOutlineMargin = 4;

OutlineNode* LastDescendant(OutlineNode* node)
{
    while (node->firstChild)
        node = node->LastChild();
    return node;
}

bool ShowsIcon(const OutlineNode& node) { return node.HasChildren() || node.iconId != 0; }

}  // namespace

// --- OutlineNode ---------------------------------------------------------------------------------

OutlineNode* OutlineNode::NextVisible()
{
    if (firstChild && expanded)
        return firstChild;
    for (OutlineNode* node = this; node; node = node->parent) {
        if (node->nextSibling)
            return node->nextSibling;
        if (!node->parent)
            return node;
    }
    return this;
}

OutlineNode* OutlineNode::Next()
{
    if (firstChild)
        return firstChild;
    for (OutlineNode* node = this; node; node = node->parent) {
        if (node->nextSibling)
            return node->nextSibling;
        if (!node->parent)
            return node;
    }
    return this;
}

OutlineNode* OutlineNode::Previous()
{
    if (!parent)
        return LastDescendant(this);
    if (parent->firstChild == this)
        return parent;
    return LastDescendant(previousSibling);
}

bool OutlineNode::IsDescendantOf(const OutlineNode& ancestor) const
{
    for (const OutlineNode* node = parent; node; node = node->parent)
        if (node == &ancestor)
            return true;
    return false;
}

int32_t OutlineNode::Indent() const
{
    int32_t levels = 0;
    const OutlineNode* top = this;
    for (const OutlineNode* node = parent; node && node->parent; node = node->parent)
        ++levels;
    while (top->parent)
        top = top->parent;
    return levels * kIndentPerLevel + (top->iconColumn ? kIconColumnIndent : 0);
}

void OutlineNode::SetIcon(int32_t icon)
{
    iconId = icon;
    if (view && parent)
        view->UpdateIconColumn(*parent);
}

void OutlineNode::SetExpanded(bool flag)
{
    if (flag) {
        for (OutlineNode* child = firstChild; child; child = child->nextSibling)
            child->expanded = false;
    }
    expanded = flag;
    if (view)
        view->TreeChanged();
}

// --- OutlineView ---------------------------------------------------------------------------------

OutlineView::OutlineView(Pane& enclosure, const OriginSize& frame, int32_t id) : GridView(enclosure, frame, id, 13, false)
{
    SetDrawingStyle(1);
    root.view = this;
    root.id = kRootId;
    root.expanded = true;
    FinishConstruction();
}

OutlineView::~OutlineView()
{
    PrepareDestruction();
    FreeChildren(root);
}

void OutlineView::FreeChildren(OutlineNode& node)
{
    OutlineNode* child = node.firstChild;
    node.firstChild = nullptr;
    while (child) {
        OutlineNode* next = child->nextSibling;
        FreeChildren(*child);
        delete child;
        child = next;
    }
}

void OutlineView::TreeChanged()
{
    cachedRow = -1;
    cachedNode = nullptr;
    if (IsOpened())
        UpdateRowCount();
}

void OutlineView::UpdateIconColumn(OutlineNode& from)
{
    bool changed = false;
    for (OutlineNode* node = &from; node; node = node->parent) {
        bool flag = false;
        for (OutlineNode* child = node->firstChild; child && !flag; child = child->nextSibling)
            flag = ShowsIcon(*child);
        if (flag != node->iconColumn) {
            node->iconColumn = flag;
            changed = true;
        }
        if (node != &from)
            break;  // a change below reaches at most the parent of the node asked about
    }
    if (changed)
        Invalidate();
}

void OutlineView::Link(OutlineNode& node, OutlineNode& parent, OutlineNode* before)
{
    node.parent = &parent;
    node.nextSibling = nullptr;
    if (!parent.firstChild) {
        parent.firstChild = &node;
        node.previousSibling = &node;
        return;
    }
    OutlineNode* last = parent.LastChild();
    if (!before || before->parent != &parent) {
        last->nextSibling = &node;
        node.previousSibling = last;
        parent.firstChild->previousSibling = &node;
        return;
    }
    node.nextSibling = before;
    if (before == parent.firstChild) {
        node.previousSibling = last;
        parent.firstChild = &node;
    } else {
        node.previousSibling = before->previousSibling;
        before->previousSibling->nextSibling = &node;
    }
    before->previousSibling = &node;
}

void OutlineView::Unlink(OutlineNode& node)
{
    OutlineNode* parent = node.parent;
    if (!parent)
        return;
    OutlineNode* last = parent->LastChild();
    if (parent->firstChild == &node) {
        parent->firstChild = node.nextSibling;
        if (node.nextSibling)
            node.nextSibling->previousSibling = last;
    } else {
        node.previousSibling->nextSibling = node.nextSibling;
        if (node.nextSibling)
            node.nextSibling->previousSibling = node.previousSibling;
        else
            parent->firstChild->previousSibling = node.previousSibling;
    }
    node.parent = nullptr;
    node.nextSibling = nullptr;
    node.previousSibling = nullptr;
}

OutlineNode* OutlineView::AddNode(OutlineNode* parent, OutlineNode* before, int32_t id)
{
    OutlineNode& into = parent ? *parent : root;
    auto* node = new OutlineNode;
    node->view = this;
    node->id = id;
    Link(*node, into, before);
    UpdateIconColumn(into);
    TreeChanged();
    return node;
}

void OutlineView::RemoveNode(OutlineNode* node)
{
    if (!node || node == &root)
        return;
    OutlineNode* parent = node->parent;
    FreeChildren(*node);
    Unlink(*node);
    delete node;
    if (parent)
        UpdateIconColumn(*parent);
    TreeChanged();
}

void OutlineView::MoveNode(OutlineNode* node, OutlineNode* parent, OutlineNode* before)
{
    if (!node || node == &root)
        return;
    OutlineNode& into = parent ? *parent : root;
    if (&into == node || into.IsDescendantOf(*node))
        return;  // a node cannot move below itself
    OutlineNode* oldParent = node->parent;
    Unlink(*node);
    Link(*node, into, before);
    if (oldParent)
        UpdateIconColumn(*oldParent);
    UpdateIconColumn(into);
    TreeChanged();
}

OutlineNode* OutlineView::FindNodeById(int32_t id)
{
    for (OutlineNode* node = root.Next(); node != &root; node = node->Next())
        if (node->id == id)
            return node;
    return nullptr;
}

OutlineNode* OutlineView::NodeOfRow(int32_t row)
{
    if (row < 0)
        return nullptr;
    int32_t at = -1;
    OutlineNode* node = &root;
    if (cachedNode && cachedRow >= 0 && cachedRow <= row) {
        at = cachedRow;
        node = cachedNode;
    }
    while (at < row) {
        node = node->NextVisible();
        if (node == &root)
            return nullptr;
        ++at;
    }
    cachedRow = row;
    cachedNode = node;
    return node;
}

int32_t OutlineView::RowOfNode(const OutlineNode* node)
{
    int32_t row = 0;
    for (OutlineNode* walk = root.NextVisible(); walk != &root; walk = walk->NextVisible(), ++row)
        if (walk == node)
            return row;
    return -1;
}

OutlineNode* OutlineView::SelectedNode() { return firstSelected >= 0 ? NodeOfRow(firstSelected) : nullptr; }

CommandTarget* OutlineView::RowCount(RowRequest& record)
{
    if (record.view != this)
        return GridView::RowCount(record);
    switch (record.kind) {
    case RowRequestKind::Count: {
        int32_t count = 0;
        for (OutlineNode* node = root.NextVisible(); node != &root; node = node->NextVisible())
            ++count;
        record.rowCount = count;
        break;
    }
    case RowRequestKind::Height: record.rowHeight = kRowHeight; break;
    case RowRequestKind::Draw: DrawRow(record); break;
    case RowRequestKind::TakesFocus: record.answer = 1; break;
    case RowRequestKind::MaySelect: {
        OutlineNode* node = NodeOfRow(record.row);
        if (!node)
            break;
        OutlineRequest ask;
        ask.kind = OutlineRequestKind::Text;
        ask.view = this;
        ask.node = node;
        ask.id = node->id;
        OutlineNotify(ask);
        record.answer = ask.text && *ask.text ? ask.enabled : 0;
        break;
    }
    case RowRequestKind::SelectionChanged:
        if (record.answer == 1) {
            OutlineNode* node = NodeOfRow(record.row);
            NotifyNodeSelected(node ? node : &root);
        }
        break;
    case RowRequestKind::Open: ToggleOrOpenNode(record.row); break;
    case RowRequestKind::Click: ClickExpander(record); break;
    default: break;
    }
    return this;
}

int32_t OutlineView::TextStart(const OutlineNode& node, const Rect& rowRect) const
{
    return rowRect.left + kOutlineMargin + node.Indent();
}

void OutlineView::DrawRow(RowRequest& record)
{
    OutlineNode* node = NodeOfRow(record.row);
    if (!node)
        return;
    OutlineRequest ask;
    ask.kind = OutlineRequestKind::Text;
    ask.view = this;
    ask.node = node;
    ask.id = node->id;
    OutlineNotify(ask);
    if (!ask.text || !*ask.text)
        return;
    const Rect& rowRect = record.rowRect;
    Rect text = rowRect;
    text.left = ClampCoordinate(TextStart(*node, rowRect));
    if (node->parent && node->parent->iconColumn) {
        const int32_t middle = (rowRect.top + rowRect.bottom) / 2;
        const Rect icon = MakeRect(text.left - 21, middle - 8, text.left - 5, middle + 8);
        int32_t id = node->iconId != 0 ? node->iconId : kIconLeaf;
        if (node->HasChildren())
            id = node->expanded ? kIconExpanded : kIconCollapsed;
        DrawIcon(icon, id, pressed && record.row == CurrentRow());
    }
    GetDrawingState().view->style.SetAlignment(kAlignCenterV);
    if (ask.enabled == 0 && record.answer == 0)
        UseColourIndices(6, GetDrawingState().view->back);
    DrawTextInRect(text, ask.text);
}

void OutlineView::ClickExpander(RowRequest& record)
{
    InputEvent* event = record.event;
    OutlineNode* node = NodeOfRow(record.row);
    if (!event || !node || IsContextClick(*event) || !node->HasChildren())
        return;
    const Rect rowRect = RowRect(record.row);
    Rect area = rowRect;
    area.right = ClampCoordinate(TextStart(*node, rowRect) - 2);
    if (!IsPointInRect(event->point, area))
        return;
    record.handled = 1;
    if (event->doubleClick)
        return;
    const int32_t row = record.row;
    const int32_t savedCurrent = currentRow;
    currentRow = row;  // the pressed look belongs to this row while tracked
    pressed = true;
    InvalidateRow(row, false);
    InputEvent tracked = *event;
    Point local = event->point;
    while (tracked.WaitMouseStillDown()) {
        local = TrackedPointToLocal(*this, tracked.point);
        const bool inside = IsPointInRect(local, area);
        if (inside != pressed) {
            pressed = inside;
            InvalidateRow(row, false);
            window->Update();
        }
    }
    const bool release = IsPointInRect(local, area);
    pressed = false;
    currentRow = savedCurrent;
    InvalidateRow(row, false);
    if (release)
        ToggleOrOpenNode(row);
}

void OutlineView::ToggleOrOpenNode(int32_t row)
{
    OutlineNode* node = NodeOfRow(row);
    if (!node)
        return;
    if (!node->HasChildren()) {
        OutlineRequest open;
        open.kind = OutlineRequestKind::Open;
        open.view = this;
        open.node = node;
        open.id = node->id;
        OutlineNotify(open);
        return;
    }
    OutlineNode* selected = SelectedNode();
    node->SetExpanded(!node->expanded);
    if (!selected)
        return;
    if (!node->expanded && selected->IsDescendantOf(*node))
        selected = node;
    RevealAndSelect(selected);
}

void OutlineView::NotifyNodeSelected(OutlineNode* node)
{
    if (node && node != &root)
        pendingNotice = false;
    if (window)
        if (Control* focused = window->FocusedControl(); focused && focused != this)
            focused->CommitEdit();
    OutlineRequest notice;
    notice.kind = OutlineRequestKind::Selected;
    notice.view = this;
    notice.node = node ? node : &root;
    notice.id = notice.node->id;
    OutlineNotify(notice);
    InvalidateRect(bounds, 0);
}

void OutlineView::RevealAndSelect(OutlineNode* node)
{
    if (!node || node == &root) {
        DeselectAll();
        NotifyNodeSelected(&root);
        return;
    }
    bool changed = false;
    for (OutlineNode* up = node->parent; up; up = up->parent)
        if (!up->expanded) {
            up->expanded = true;
            changed = true;
        }
    if (changed)
        TreeChanged();
    const int32_t row = RowOfNode(node);
    if (row >= 0)
        SelectOnlyRow(row);
}

void OutlineView::RevealAndSelectId(int32_t id) { RevealAndSelect(FindNodeById(id)); }

void OutlineView::SelectNodeById(int32_t id)
{
    OutlineNode* selected = SelectedNode();
    if (selected && selected->id == id)
        return;
    RevealAndSelectId(id);
}

void OutlineView::ReselectCurrentNode()
{
    OutlineNode* selected = SelectedNode();
    if (!selected)
        return;
    NotifyNodeSelected(&root);
    NotifyNodeSelected(selected);
}

void OutlineView::StepCurrentNode(int32_t code)
{
    OutlineNode* from = currentRow >= 0 ? NodeOfRow(currentRow) : nullptr;
    if (!from)
        from = &root;
    OutlineNode* to;
    switch (code) {
    case 1: to = from->Next(); break;
    case -1: to = from->Previous(); break;
    case -9: to = root.Next(); break;
    default: to = root.Previous(); break;
    }
    if (to == &root)
        return;
    RevealAndSelect(to);
    ScrollCurrentRowIntoView();
}

CommandTarget* OutlineView::Notify(int32_t code)
{
    CommandTarget* answer = GridView::Notify(code);
    if (code == kNotifyTick && pendingNotice) {
        pendingNotice = false;
        if (OutlineNode* selected = SelectedNode())
            NotifyNodeSelected(selected);
    } else if (code == kNotifyGlobalSetting) {
        Invalidate();
    }
    return answer;
}

}  // namespace vek
