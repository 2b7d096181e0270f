// HeaderBar and DocumentContentView: the band of tools across a document window and the pane beside
// its outline.
#pragma once

#include <cstdint>

#include "gui/Control.h"

namespace vek {

class DocumentWindow;

// The band across the top of a document window that holds its tools (tool strips, the calculate
// button, the busy indicator). It draws a plain band with a line under it and hands drawing, clicks
// it does not pass to a child, and its resizing to the window (DrawPanel, ClickPanel, PanelResized).
// It follows the window's width.
class HeaderBar final : public Control {
public:
    static constexpr int32_t kHeight = 30;

    HeaderBar(DocumentWindow& window, int32_t width);
    ~HeaderBar() override;

    void Draw() override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    void Resized(int32_t dw, int32_t dh) override;

private:
    DocumentWindow& window;
};

// The pane beside a document window's outline: its content item (a value the window shows there,
// redrawn when it changes). It follows the window's size.
class DocumentContentView final : public Control {
public:
    DocumentContentView(DocumentWindow& window, const OriginSize& frame);
    ~DocumentContentView() override;

    void Draw() override;
    // Stores the value; redraws only when it changed.
    void SetItem(int32_t value);
    int32_t Item() const { return item; }

private:
    int32_t item = 0;
};

}  // namespace vek
