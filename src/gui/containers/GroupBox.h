// GroupBox: a frame around a group of controls under a title set into its top edge.
#pragma once

#include <cstdint>
#include <string>

#include "gui/Control.h"
#include "gui/containers/ContentScroller.h"

namespace vek {

// Frames its children under a title; like the tab control it can scroll them vertically, growing
// 15 pixels wider while its scroll bar is shown. It takes no focus itself.
class GroupBox : public Control {
public:
    GroupBox(Pane& enclosure, const OriginSize& frame, int32_t id, bool finish);
    ~GroupBox() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    void ChildChanged(int32_t code, Pane* child) override;
    int32_t Wheel(InputEvent& event, int32_t lines) override;
    CommandTarget* ScrollChanged(ScrollNotice& record) override;
    void Resized(int32_t dw, int32_t dh) override;
    void DrawFrame() override;
    void BuildShape() override;
    int32_t CanTakeFocus() override { return 0; }

    void SetTitleText(std::string_view text);
    void SetTitle(int32_t textId);
    void SetEmphasis(bool flag);
    void SetScrollable(bool flag);
    int32_t ScrollOffset() const { return scrollable ? scroller.Offset() : 0; }
    // Re-reads the children's extent (after children were added, moved or removed).
    void ContentChanged();
    void FrameAndTitleRects(Rect& frame, Rect& titleRect) const;

    const std::string& Title() const { return title; }
    ContentScroller& Scroller() { return scroller; }

private:
    void TitleChanged();
    void ScrollChildIntoView(Pane& child);

    std::string title;
    int32_t titleId = 0;
    bool emphasis = false;
    bool scrollable = false;
    ContentScroller scroller;
};

}  // namespace vek
