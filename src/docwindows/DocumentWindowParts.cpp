// DocumentWindow's parts: the header bar with its tools, the outline with its divider, the content view.
#include "docwindows/DocumentWindow.h"

#include <algorithm>
#include <vector>

#include "docwindows/HeaderBar.h"
#include "drawing/DrawingState.h"
#include "foundation/messages/TextIds.h"
#include "gui/PushButton.h"
#include "gui/containers/IconButtonStrip.h"
#include "gui/lists/ListSupport.h"
#include "gui/lists/OutlineView.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

constexpr int32_t kOutlineItemId = 351;
constexpr int32_t kOutlineLeft = 3;
constexpr int32_t kOutlineMinimumWidth = 37;
// The outline leaves this much of the window's width to the content view while it is dragged.
constexpr int32_t kOutlineRightReserve = 6;
// The divider band lies from 2 to 7 pixels right of the outline's right edge.
constexpr int32_t kDividerFrom = 2;
constexpr int32_t kDividerTo = 7;
constexpr int32_t kResizeCursor = 60;
constexpr int32_t kCalculateText = text::kCalculate;
constexpr int32_t kCalculateCommand = 3119;
constexpr int32_t kSecondToolStripLeft = 171;

OriginSize PartFrame(int32_t top, int32_t left, int32_t height, int32_t width)
{
    return OriginSize{ClampCoordinate(top), ClampCoordinate(left), ClampCoordinate(height), ClampCoordinate(width)};
}

int32_t PartWidth(const Rect& rect) { return rect.right - rect.left; }
int32_t PartHeight(const Rect& rect) { return rect.bottom - rect.top; }

}  // namespace

void DocumentWindow::CreatePanel()
{
    if (headerBar)
        return;
    headerBar = new HeaderBar(*this, PartWidth(Bounds()));
}

void DocumentWindow::CreateOutlineView(int32_t width, int32_t height)
{
    if (outlineView)
        return;
    const int32_t top = headerBar ? HeaderBar::kHeight + 5 : 3;
    outlineView = new OutlineView(*this, PartFrame(top, kOutlineLeft, height - 7, std::max(width, kOutlineMinimumWidth)),
                                  kOutlineItemId);
    const int32_t contentLeft = width + 8;
    contentView = new DocumentContentView(*this, PartFrame(top - 3, contentLeft, height, PartWidth(Bounds()) - contentLeft));
}

int32_t DocumentWindow::GetOutlineWidth() const { return outlineView ? PartWidth(outlineView->Bounds()) : 0; }

void DocumentWindow::SetOutlineWidth(int32_t width)
{
    if (!outlineView)
        return;
    const int32_t wanted = std::clamp(width, kOutlineMinimumWidth, std::max(kOutlineMinimumWidth, PartWidth(Bounds()) - kOutlineRightReserve));
    const int32_t change = wanted - GetOutlineWidth();
    if (change == 0)
        return;
    outlineView->ResizeBy(change, 0);
    if (contentView)
        contentView->MoveAndResizeBy(change, 0, -change, 0);
}

bool DocumentWindow::IsOnDivider(Point point) const
{
    if (!outlineView)
        return false;
    const int32_t edge = outlineView->Position().h + GetOutlineWidth();
    const int32_t top = outlineView->Position().v;
    return point.h >= edge + kDividerFrom && point.h <= edge + kDividerTo && point.v >= top &&
           point.v < top + PartHeight(outlineView->Bounds());
}

void DocumentWindow::TrackDivider(InputEvent& event)
{
    const int32_t startWidth = GetOutlineWidth();
    const int32_t startH = event.point.h;
    InputEvent tracked = event;
    while (tracked.WaitMouseStillDown()) {
        const Point local = TrackedPointToLocal(*this, tracked.point);
        SetOutlineWidth(startWidth + (local.h - startH));
    }
}

int32_t DocumentWindow::AdjustCursor(InputEvent& event, Pane* pane)
{
    if (IsOnDivider(event.point)) {
        SetCursorById(kResizeCursor);
        return 1;
    }
    return Window::AdjustCursor(event, pane);
}

int32_t DocumentWindow::Click(InputEvent& event, Pane* pane)
{
    if (IsOnDivider(event.point)) {
        TrackDivider(event);
        return 1;
    }
    return Window::Click(event, pane);
}

IconButtonStrip* DocumentWindow::CreateToolStrip(int32_t x, std::span<const int32_t> icons, int32_t selected)
{
    if (!headerBar)
        return nullptr;
    toolIcons.assign(icons.begin(), icons.end());
    toolStrip = new IconButtonStrip(*headerBar, PartFrame(3, x, 24, 56), 0, icons, selected, true);
    return toolStrip;
}

IconButtonStrip* DocumentWindow::CreateSecondToolStrip(std::span<const int32_t> icons, int32_t selected)
{
    if (!headerBar)
        return nullptr;
    return new IconButtonStrip(*headerBar, PartFrame(3, kSecondToolStripLeft, 24, 56), 0, icons, selected, true);
}

void DocumentWindow::SelectTool(int32_t tool)
{
    // The strip selects by being given its icons again with the new selection.
    if (toolStrip)
        toolStrip->SetIconsAndSelection(toolIcons, tool);
    SetTool(tool);
}

PushButton* DocumentWindow::CreateCalculateButton()
{
    if (!headerBar)
        return nullptr;
    auto* button = new PushButton(*headerBar, PartFrame(5, 33, 20, 70), kCalculateCommand);
    button->SetLabel(kCalculateText);
    button->SetDefault(true);
    return button;
}

void DocumentWindow::SetContentItem(int32_t value)
{
    if (contentView)
        contentView->SetItem(value);
}

OutlineNode* DocumentWindow::AddOutlineNode(OutlineNode* parent, int32_t id)
{
    return outlineView ? outlineView->AddNode(parent, nullptr, id) : nullptr;
}

void DocumentWindow::DeleteOutlineNode(OutlineNode* node)
{
    if (outlineView && node)
        outlineView->RemoveNode(node);
}

void DocumentWindow::RevealOutlineNode(OutlineNode* node)
{
    if (outlineView && node)
        outlineView->RevealAndSelect(node);
}

void DocumentWindow::RevealOutlineNodeById(int32_t id)
{
    if (outlineView)
        outlineView->RevealAndSelectId(id);
}

void DocumentWindow::ReselectOutlineNode()
{
    if (outlineView)
        outlineView->ReselectCurrentNode();
}

void DocumentWindow::SelectOutlineNodeById(int32_t id)
{
    if (outlineView)
        outlineView->SelectNodeById(id);
}

CommandTarget* DocumentWindow::ControlCommand(Control& control)
{
    if (control.ControlId() == kCalculateCommand) {
        (void)RecalculateIfNeeded(1);
        return this;
    }
    return Window::ControlCommand(control);
}

CommandTarget* DocumentWindow::ControlAction()
{
    if (toolStrip)
        SetTool(toolStrip->SelectedIcon());
    return this;
}

void DocumentWindow::Resized(int32_t dw, int32_t dh)
{
    Window::Resized(dw, dh);
    if (headerBar)
        headerBar->ResizeBy(dw, 0);
    if (outlineView)
        outlineView->ResizeBy(0, dh);
    if (contentView)
        contentView->ResizeBy(dw, dh);
}

void DocumentWindow::MoveToAdjacentRow(int32_t step, uint32_t)
{
    if (outlineView)
        outlineView->StepCurrentNode(step);
}

void DocumentWindow::SetTool(int32_t) {}
void DocumentWindow::DrawPanel() {}
void DocumentWindow::PanelResized(int32_t, int32_t) {}
int32_t DocumentWindow::ClickPanel(InputEvent&) { return 0; }
int32_t DocumentWindow::RecalculateIfNeeded(int32_t) { return 0; }

}  // namespace vek
