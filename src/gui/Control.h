// Control: a pane inside a window with a shape, an id, an enabled state and the keyboard focus.
#pragma once

#include <functional>

#include "gui/Pane.h"

namespace vek {

// Kind codes of the library's controls.
enum ControlKind : int32_t {
    kKindCustomView = 4,
    kKindGroupBox = 6,
    kKindTabControl = 7,
    kKindStaticText = 10,
    kKindTextField = 11,
    kKindPushButton = 12,
    kKindCheckBox = 14,
    kKindPopupButton = 15,
    kKindIconStrip = 16,
    kKindScrollBar = 17,
    kKindGridView = 18,
};

// The base of buttons, fields, lists and views. Among siblings the head of the child list is in
// front; a control draws, is invalidated and takes clicks only where it is really visible (its shape
// minus the siblings in front, inside its enclosure). The enabled state follows the enclosure unless
// the enclosure is of a window kind (1-3).
class Control : public Pane {
public:
    // The frame is {top, left, height, width} in the enclosure's coordinates.
    Control(int32_t kind, Pane& enclosure, const OriginSize& frame, int32_t id);
    ~Control() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    void GetContentRect(Rect& rect) override;
    void Activate() override;
    void MoveFocus(int32_t direction) override;
    void BringToFront() override;
    void CalcVisibleRegion() override;
    void UpdateVisibleRegions(bool force) override;
    void BoundsChanged(int32_t dx, int32_t dy, int32_t dw, int32_t dh) override;
    void ClipToShape(Region& region) override;
    void ClipRegion(Region& region) override;
    const Region* Shape() const override { return &controlRegion; }

    // Added operations.
    virtual void BuildShape();
    virtual int32_t CanTakeFocus();
    virtual int32_t IsCheckable();
    virtual void SetChecked(bool flag);
    virtual void Toggle();

    void SendToBack();
    void SetEnabled(bool flag);
    static void DisableControl(Control* control);
    void UpdateEnabled();
    void SetFocused(bool flag);
    void TakeFocus();
    static void FocusControl(Control* control);
    // Visible, enabled, with something of it visible, and willing.
    bool CanFocusNow();
    bool ShowsFocus() const;
    bool ShowsFocusRing() const;
    void RebuildShape(int32_t flags);

    int32_t ControlId() const { return controlId; }
    bool IsEnabled() const { return enabled; }
    bool IsOwnEnabled() const { return ownEnabled; }
    bool IsFocused() const { return focused; }
    const Region& ControlRegion() const { return controlRegion; }

protected:
    void VisibilityChanged();
    bool IsFrontmost() const;
    // Follows a press that began at the event (its point in the control's coordinates) until the
    // button is released, telling showPressed whenever the pointer is inside the bounds; true when it
    // was released inside.
    bool TrackPressInBounds(const InputEvent& event, const std::function<void(bool inside)>& showPressed);
    // Return, space or Enter while the control has the focus and no modifier is down.
    bool IsFocusedPressKey(const InputEvent& event) const;

    Region controlRegion;
    int32_t controlId = 0;
    bool enabled = true;
    bool ownEnabled = true;
    bool focused = false;
};

}  // namespace vek
