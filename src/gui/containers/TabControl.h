// TabControl: a page with a strip of tabs along its top edge, drawn above the control rectangle.
#pragma once

#include <cstdint>
#include <vector>

#include "gui/Control.h"
#include "gui/containers/ContentScroller.h"
#include "gui/containers/TabNotice.h"

namespace vek {

// The tabs' titles come from the owner through TabNotify (Describe); the owner hears of the selected
// tab (Selected) and draws the page (DrawPage). Any number of tabs is laid out: when their titles do
// not fit, the widest tabs other than the current one shrink first, then the tabs overlap. The page
// can scroll its children vertically.
class TabControl : public Control {
public:
    TabControl(Pane& enclosure, const OriginSize& frame, int32_t id, int32_t tabCount, int32_t initialTab, bool finish);
    ~TabControl() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    void ChildChanged(int32_t code, Pane* child) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t Wheel(InputEvent& event, int32_t lines) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    CommandTarget* ScrollChanged(ScrollNotice& record) override;
    void Resized(int32_t dw, int32_t dh) override;
    void Draw() override;
    void DrawFrame() override;
    void BuildShape() override;
    int32_t CanTakeFocus() override { return 1; }

    // Nothing for the current tab or an index not below the count; -1 clears the selection.
    void SelectTab(int32_t index);
    void Step(int32_t delta);
    void SetTabCount(int32_t count);
    void SetScrollable(bool flag);
    int32_t ScrollOffset() const { return scrollable ? scroller.Offset() : 0; }
    // The tab under the point (the current tab never): -1 for none.
    int32_t TabAtPoint(Point point);
    void LayoutTabs(bool invalidate);

    int32_t TabCount() const { return tabCount; }
    int32_t CurrentTab() const { return currentTab; }
    int32_t PressedTab() const { return pressedTab; }
    const Rect& TabRect(int32_t index) const { return tabRects[size_t(index)]; }
    ContentScroller& Scroller() { return scroller; }

private:
    void DescribeTab(TabNotice& notice, int32_t index);
    bool IsTabEnabled(int32_t index);
    void DrawOneTab(int32_t index);
    void ApplyInitialTab();
    Rect StripRect() const;

    int32_t tabCount = 0;
    int32_t currentTab = -1;
    int32_t pressedTab = -1;
    int32_t initialTab = -1;
    // One rectangle per tab, as many as there are tabs.
    std::vector<Rect> tabRects;
    bool scrollable = false;
    ContentScroller scroller;
};

}  // namespace vek
