// PopupMenu: the item list, the floating view that draws it, and the tracking loop.
#include "gui/controls/PopupMenu.h"

#include <algorithm>
#include <string>
#include <vector>

#include "drawing/ColorTable.h"
#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "drawing/TextLayout.h"
#include "foundation/messages/LocalizedText.h"
#include "gui/Control.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuRequest.h"
#include "gui/Window.h"
#include "gui/controls/MouseTracker.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

constexpr int32_t kSeparatorHeight = 8;
constexpr int32_t kItemTextInset = 18;
constexpr int32_t kScreenInset = 3;

struct PopupItem {
    uint16_t code = 0;
    bool separator = false;
    bool enabled = true;
    bool ellipsis = false;
    bool ownerDrawn = false;
    int32_t height = 14;
    std::string text;
};

// The menu while it runs: a floating pane in front of everything in the window.
class PopupMenuView final : public Control {
public:
    PopupMenuView(Pane& windowPane, const OriginSize& frame, std::vector<PopupItem>& items, int32_t initial,
                  Pane& owner, MenuRequest& request)
        : Control(kKindCustomView, windowPane, frame, 0), items(items), initial(initial), owner(owner), request(request)
    {
        backColour = kColorWhite;
        FinishConstruction();
        MakeFloating();
    }
    ~PopupMenuView() override { PrepareDestruction(); }

    int32_t CanTakeFocus() override { return 0; }

    // The item under a point of this view, or -1.
    int32_t ItemAt(Point point) const
    {
        if (!IsPointInRect(point, bounds))
            return -1;
        int32_t top = 1;
        for (size_t i = size_t(firstVisible); i < items.size(); ++i) {
            if (point.v >= top && point.v < top + items[i].height)
                return int32_t(i);
            top += items[i].height;
        }
        return -1;
    }

    void Select(int32_t index)
    {
        if (index == selected)
            return;
        selected = index;
        // Scroll the chosen item into view when the menu is longer than its area.
        if (selected >= 0) {
            if (selected < firstVisible)
                firstVisible = selected;
            while (firstVisible < selected && Bottom(selected) > bounds.bottom - 1)
                ++firstVisible;
        }
        InvalidateRegion(controlRegion, kInvalidateNow);
    }

    int32_t Selected() const { return selected; }

    void Draw() override
    {
        DrawingPort* port = CurrentPort();
        if (port == nullptr)
            return;
        const RgbColor fore = port->ForeColor();
        port->SetForeColor(TableColor(kColorBlack));
        port->FrameRect(bounds);
        int32_t top = 1;
        for (size_t i = size_t(firstVisible); i < items.size() && top < bounds.bottom - 1; ++i) {
            const PopupItem& item = items[i];
            Rect row{ClampCoordinate(top), 1, ClampCoordinate(top + item.height), ClampCoordinate(bounds.right - 1)};
            if (item.separator) {
                DrawEtchedLine(row.left + 2, (row.top + row.bottom) / 2, row.Width() - 4);
            } else {
                const bool chosen = int32_t(i) == selected;
                if (chosen) {
                    port->SetForeColor(TableColor(kColorHighlight));
                    port->PaintRect(row);
                }
                port->SetForeColor(TableColor(chosen ? kColorHighlightText : item.enabled ? kColorBlack : 6));
                if (int32_t(i) == initial)
                    DrawCheckMark(row.left + 5, row.top + 4);
                if (item.ownerDrawn) {
                    request.phase = 2;
                    request.index = int32_t(i);
                    request.itemRect = row;
                    owner.HandleMessage(request);
                    port->SetForeColor(TableColor(kColorBlack));
                    top += item.height;
                    continue;
                }
                Rect textRect = row;
                textRect.left = ClampCoordinate(row.left + kItemTextInset);
                std::string shown = item.ellipsis ? item.text + "\xE2\x80\xA6" : item.text;
                DrawTextInRect(textRect, shown);
                port->SetForeColor(TableColor(kColorBlack));
            }
            top += item.height;
        }
        port->SetForeColor(fore);
    }

private:
    int32_t Bottom(int32_t index) const
    {
        int32_t bottom = 1;
        for (int32_t i = firstVisible; i <= index; ++i)
            bottom += items[size_t(i)].height;
        return bottom;
    }

    std::vector<PopupItem>& items;
    int32_t initial = -1;
    Pane& owner;
    MenuRequest& request;
    int32_t selected = -1;
    int32_t firstVisible = 0;
};

// The next enabled item from `from` in the direction; `from` itself when there is none.
int32_t NextChoosableItem(const std::vector<PopupItem>& items, int32_t from, int32_t direction)
{
    for (int32_t i = from + direction; i >= 0 && i < int32_t(items.size()); i += direction)
        if (!items[size_t(i)].separator && items[size_t(i)].enabled)
            return i;
    return from;
}

}  // namespace

int32_t TrackPaneDrag(Pane& pane, int32_t messageKind, const InputEvent& event, int32_t initialIndex)
{
    Window* window = pane.GetWindow();
    if (window == nullptr)
        return -1;
    MenuRequest request;
    request.pane = &pane;
    request.messageKind = messageKind;
    request.optionKey = event.option;
    request.contextClick = event.rightButton || event.control ? 1 : 0;
    request.first = 1;
    request.phase = 0;
    pane.HandleMessage(request);
    std::vector<PopupItem> items;
    for (const uint16_t* code = request.commands; *code != 0 && int32_t(items.size()) < kPopupMenuLimit; ++code) {
        PopupItem item;
        item.code = *code;
        item.separator = *code == kMenuSeparator;
        items.push_back(item);
    }
    if (items.empty())
        return -1;
    // Each item described by its owner; the text is the resource text of its command.
    request.first = 0;
    int32_t width = 32;
    for (size_t i = 0; i < items.size(); ++i) {
        PopupItem& item = items[i];
        if (item.separator) {
            item.height = kSeparatorHeight;
            item.enabled = false;
            continue;
        }
        request.phase = 1;
        request.index = int32_t(i);
        request.enabled = 1;
        request.ellipsis = 0;
        request.width = 32;
        request.height = 14;
        request.ownerDrawn = 0;
        pane.HandleMessage(request);
        item.enabled = request.enabled != 0;
        item.ellipsis = request.ellipsis != 0;
        item.ownerDrawn = request.ownerDrawn != 0;
        item.height = std::max(1, request.height);
        if (item.ownerDrawn) {
            width = std::max(width, request.width);
            continue;
        }
        const char* text = LoadText(item.code);
        item.text = text ? text : std::to_string(item.code);
        width = std::max({width, request.width,
                          MeasureTextWidthInStyle(pane.GetTextStyle(), item.text + "\xE2\x80\xA6") + kItemTextInset + 8});
    }
    int32_t height = 2;
    for (const PopupItem& item : items)
        height += item.height;
    // Next to the pointer, inside the window's area inset by 3 (shorter menus scroll).
    Rect area = window->Bounds();
    OutsetRect(area, -kScreenInset);
    Rect menu{ClampCoordinate(pane.WindowOffset().v + event.point.v), ClampCoordinate(pane.WindowOffset().h + event.point.h),
              0, 0};
    menu.bottom = ClampCoordinate(menu.top + std::min(height, area.Height()));
    menu.right = ClampCoordinate(menu.left + std::min(width, area.Width()));
    FitRectInRect(menu, area);
    const OriginSize frame{menu.top, menu.left, ClampCoordinate(menu.Height()), ClampCoordinate(menu.Width())};
    auto* view = new PopupMenuView(*window, frame, items, initialIndex, pane, request);
    view->InvalidateRegion(view->ControlRegion(), kInvalidateNow);

    MouseTracker tracker;
    tracker.Begin(event, pane);
    Point origin = pane.WindowOffset();
    origin.v = int16_t(origin.v + window->Position().v);
    origin.h = int16_t(origin.h + window->Position().h);
    InputEvent next = event;
    // Where the pointer really is: a menu opened by a key shows at a point of the pane, and the
    // pointer standing elsewhere has not moved.
    const Point pointer = LatestMouseLocation();
    Point lastPointer{int16_t(pointer.v - origin.v), int16_t(pointer.h - origin.h)};
    while (tracker.tracking) {
        next.WaitNext(kWaitMouse | kWaitKey | kWaitRefreshModifiers);
        next.point = Point{int16_t(next.point.v - origin.v), int16_t(next.point.h - origin.h)};
        tracker.Step(next, true);
        if (next.key == 30 || next.key == 31) {
            const int32_t from = view->Selected() >= 0 ? view->Selected() : next.key == 31 ? -1 : int32_t(items.size());
            const int32_t to = NextChoosableItem(items, from, next.key == 31 ? 1 : -1);
            if (to >= 0 && to < int32_t(items.size()))
                view->Select(to);
        } else if (next.point.v != lastPointer.v || next.point.h != lastPointer.h) {
            lastPointer = next.point;
            Point inView{int16_t(next.point.v + pane.WindowOffset().v - view->Position().v),
                         int16_t(next.point.h + pane.WindowOffset().h - view->Position().h)};
            int32_t at = view->ItemAt(inView);
            view->Select(at >= 0 && items[size_t(at)].enabled ? at : -1);
        }
    }
    const int32_t chosen = tracker.cancelled ? -1 : view->Selected();
    view->SetVisible(false);
    delete view;
    if (chosen < 0 || chosen == initialIndex)
        return chosen;
    request.phase = 3;
    request.index = items[size_t(chosen)].code;
    pane.HandleMessage(request);
    return chosen;
}

}  // namespace vek
