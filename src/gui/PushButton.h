// PushButton: the button that runs a command when pressed: by click, by key, or as a dialog's
// default or cancel button.
#pragma once

#include <cstdint>
#include <string>

#include "gui/Control.h"

namespace vek {

// A labelled button drawn by the theme. Pressing it (a click released inside it, Return, space or
// Enter while it has the focus, or a press by its window) publishes its label as the current command
// text and sends ControlCommand upward to its window. The default button wears the default ring, four
// pixels around it, which its shape covers; the cancel button is the one Escape presses.
class PushButton : public Control {
public:
    // The frame is {top, left, height, width} in the enclosure's coordinates. Always finishes its
    // construction.
    PushButton(Pane& enclosure, const OriginSize& frame, int32_t id);
    ~PushButton() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    void FocusChanged(InputEvent& event, int32_t code) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    void Resized(int32_t dw, int32_t dh) override;
    void Draw() override;
    void DrawFrame() override;
    void BuildShape() override;
    int32_t CanTakeFocus() override { return 0; }

    // The label by text number (followed across language changes; 701, Cancel, also makes the
    // button the cancel button) or as characters (copied).
    void SetLabel(int32_t textId);
    void SetLabelText(const char* text);
    void SetDefault(bool flag);
    void SetCancel(bool flag) { cancel = flag; }
    void SetEllipsis(bool flag);

    // Sends the command (ControlCommand) with the label as the current command text.
    void Fire();
    // Shows the button pressed for 160 ms (yielding meanwhile), then fires it.
    void Flash();

    const std::string& Label() const { return label; }
    bool IsDefault() const { return isDefault; }
    bool IsCancel() const { return cancel; }
    bool IsPressed() const { return pressed; }
    bool IsHot() const { return hot; }

private:
    void LayoutLabel();
    void SetPressed(bool flag);

    std::string label;
    int32_t labelId = 0;
    bool isDefault = false;
    bool cancel = false;
    bool ellipsis = false;
    bool pressed = false;
    bool hot = false;
};

// True for a label that is a single "+" or "-" (small buttons keep their font for it).
bool IsSignLabel(const std::string& label);

}  // namespace vek
