// CheckBox: the labelled box that turns a setting on and off.
#pragma once

#include <cstdint>
#include <string>

#include "gui/Control.h"

namespace vek {

// A small theme check box with its label to the right. Operating it (a click released inside it, or
// Return, space or Enter while it has the focus) toggles the value and sends ControlChanged upward;
// SetChecked only stores the value and sends nothing.
class CheckBox : public Control {
public:
    // The frame is {top, left, height, width}; labels of boxes 21 or more pixels high wrap.
    CheckBox(Pane& enclosure, const OriginSize& frame, int32_t id, bool finish);
    ~CheckBox() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    void FocusChanged(InputEvent& event, int32_t code) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    void Resized(int32_t dw, int32_t dh) override;
    void Draw() override;
    void DrawFrame() override;
    void BuildShape() override;
    int32_t CanTakeFocus() override { return 1; }
    int32_t IsCheckable() override { return 1; }
    // The pressed look (the control's slot), not the value.
    void SetChecked(bool flag) override;
    void Toggle() override;

    // The label by text number (followed across language changes) or as characters (copied).
    void SetLabel(int32_t textId);
    void SetLabelText(const char* text);
    void SetPicture(int32_t pictureId);
    // Stores the value and redraws the box; no notification.
    void SetValue(bool flag);

    bool Value() const { return value; }
    bool IsPressed() const { return pressed; }
    bool IsHot() const { return hot; }
    const std::string& Label() const { return label; }
    // In the control's own coordinates.
    Rect BoxRect() const;
    Rect LabelRect() const;
    Rect FocusRect() const;

private:
    void SetPressed(bool flag);

    std::string label;
    int32_t labelId = 0;
    int32_t picture = 0;
    bool value = false;
    bool pressed = false;
    bool hot = false;
};

}  // namespace vek
