// IconButtonStrip: cells, click tracking and drawing.
#include "gui/containers/IconButtonStrip.h"

#include <algorithm>

#include "gui/DrawingRoutines.h"
#include "gui/lists/ListSupport.h"
#include "drawing/Icons.h"
#include "drawing/Shapes.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

constexpr int32_t kCorner = 8;
constexpr int32_t kPictureInset = 4;

}  // namespace

IconButtonStrip::IconButtonStrip(Pane& enclosure, const OriginSize& frame, int32_t id, std::span<const int32_t> list,
                                 int32_t selected, bool finish)
    : Control(kKindIconStrip, enclosure, frame, id), selectedIcon(selected)
{
    SetIcons(list);
    if (finish)
        FinishConstruction();
}

IconButtonStrip::~IconButtonStrip() { PrepareDestruction(); }

void IconButtonStrip::SetIcons(std::span<const int32_t> list)
{
    icons.clear();
    for (int32_t icon : list) {
        if (icon == 0 || int32_t(icons.size()) == kMaximumIcons)
            break;
        icons.push_back(icon);
    }
    const int32_t width = icons.empty() ? 0 : (int32_t(icons.size()) - 1) * kPitch + kCell + 1;
    ResizeBy(width - bounds.Width(), 0);
}

void IconButtonStrip::SetIconsAndSelection(std::span<const int32_t> list, int32_t selected)
{
    SetIcons(list);
    selectedIcon = selected;
    Invalidate();
}

int32_t IconButtonStrip::IconAt(Point point, bool inside) const
{
    if (!inside || point.h < 0 || point.v < 0 || point.v >= kCell)
        return 0;
    const int32_t column = point.h / kPitch;
    if (point.h - column * kPitch > kCell - 1 || column >= int32_t(icons.size()))
        return 0;
    return icons[size_t(column)];
}

Rect IconButtonStrip::CellRect(int32_t iconId) const
{
    for (size_t i = 0; i < icons.size(); ++i)
        if (icons[i] == iconId)
            return MakeRect(int32_t(i) * kPitch, 0, int32_t(i) * kPitch + kCell, kCell);
    return Rect{};
}

int32_t IconButtonStrip::Click(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::Click(event, pane))
        return taken;
    if (!IsEnabled() || IsContextClick(event) || pane != this)
        return 0;
    InputEvent tracked = event;
    Point local = event.point;
    for (;;) {
        const int32_t now = IconAt(local, IsPointInRect(local, bounds));
        if (now != pressedIcon) {
            InvalidateRect(CellRect(pressedIcon), 0);
            pressedIcon = now;
            InvalidateRect(CellRect(pressedIcon), 0);
        }
        if (!tracked.WaitMouseStillDown())
            break;
        local = TrackedPointToLocal(*this, tracked.point);
    }
    const int32_t released = IconAt(local, IsPointInRect(local, bounds));
    if (released != pressedIcon) {
        InvalidateRect(CellRect(pressedIcon), 0);
        pressedIcon = released;
    }
    if (pressedIcon == 0)
        return 1;
    if (pressedIcon == selectedIcon) {
        InvalidateRect(CellRect(pressedIcon), 0);
        pressedIcon = 0;
        return 1;
    }
    InvalidateRect(CellRect(selectedIcon), 0);
    InvalidateRect(CellRect(pressedIcon), 0);
    selectedIcon = pressedIcon;
    pressedIcon = 0;
    ControlAction();
    return 1;
}

void IconButtonStrip::DrawCell(int32_t index)
{
    const int32_t id = icons[size_t(index)];
    Rect cell = MakeRect(index * kPitch, 1, index * kPitch + kCell, kCell - 1);
    ClearRect(cell);
    Rect inner = cell;
    OutsetRect(inner, -1);
    const Rect picture = MakeRect(cell.left + kPictureInset, kPictureInset, cell.left + kPictureInset + 16, kPictureInset + 16);
    if (id == pressedIcon) {
        FillRoundRectColor(cell, kCorner, 6);
        DrawDoubleBevel(inner, 1, 6, 8, 7, 5);
        UseColourIndices(0, 6);
    } else if (id == selectedIcon) {
        FillRoundRectColor(cell, kCorner, 23);
        DrawDoubleBevel(inner, 1, 6, 2, 0, 4);
        UseColourIndices(24, 23);
    } else {
        UseColourIndices(6, backColour);
        FrameRoundRectWidth(cell, kCorner, 1);
        DrawDoubleBevel(inner, 1, 6, 2, 0, 4);
    }
    DrawPicture(picture, id);
    UseColourIndices(foreColour, backColour);
}

void IconButtonStrip::Draw()
{
    for (int32_t i = 0; i < int32_t(icons.size()); ++i)
        DrawCell(i);
}

CommandTarget* IconButtonStrip::Notify(int32_t code)
{
    CommandTarget* answer = Control::Notify(code);
    if (code == kNotifyEnabled)
        Invalidate();
    return answer;
}

void IconButtonStrip::ParentChanged(int32_t code)
{
    Control::ParentChanged(code);
    if (code == kNotifyBackground) {
        if (Pane* outer = EnclosingPane())
            SetDrawingStyle(outer->BackColour());
        Invalidate();
    }
}

}  // namespace vek
