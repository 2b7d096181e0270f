// Pane: a rectangle of a window with its geometry, regions, drawing, hit testing and the focus chain.
#pragma once

#include <cstdint>

#include "gui/CommandTarget.h"
#include "drawing/Geometry.h"
#include "drawing/Region.h"
#include "drawing/TextStyle.h"

namespace vek {

class LinkMenu;

// Flags of InvalidateRegion.
constexpr int32_t kInvalidateNow = 1;       // draw at once instead of waiting for the update
constexpr int32_t kInvalidateShape = 2;     // clip to the whole visible shape, children included
constexpr int32_t kInvalidateNoClip = 4;    // the region is already clipped
constexpr int32_t kInvalidatePending = 8;   // only where an update is already pending

// Directions of the focus chain: bits 0-1 the order (0 horizontal, 1 vertical, 2 reading order, 3 by
// control id then reading order); bit value 4 reverses it. Tab moves 3, Shift-Tab 7.
constexpr int32_t kFocusForward = 3;
constexpr int32_t kFocusBackward = 7;

// Placement modes of ComputePlacement.
constexpr int32_t kPlaceKeepWidth = 1;
constexpr int32_t kPlaceKeepHeight = 2;
constexpr int32_t kPlaceFillArea = 4;

// The abstract base of the window and of every control. Points are in the pane's own coordinates
// unless said otherwise; position is the top-left in the enclosure's coordinates and windowOffset
// the origin in the window's. A pane is appended to its enclosure's children when constructed and
// owned by it.
class Pane : public CommandTarget {
public:
    Pane(int32_t kind, CommandTarget* enclosure);
    ~Pane() override;

    // --- overrides of CommandTarget ----------------------------------------------------------------
    void Open() override;
    void Close() override;
    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    void ChildChanged(int32_t code, Pane* child) override;
    void ResignActive() override;
    void UpdateMenus() override;
    int32_t DoCommand(MenuItem& item) override;
    void OpenDocument(int32_t mode, const FilePath& file) override;
    int32_t AcceptDrop(TransferData& package) override;
    CommandTarget* TabNotify(TabNotice& record) override;
    CommandTarget* TargetChanged(CommandTarget* target, int32_t code) override;
    CommandTarget* FormatControlText(String& text, Control& control) override;
    CommandTarget* ControlCommand(Control& control) override;
    CommandTarget* ControlChanged(Control& control) override;
    CommandTarget* RadioChanged(Control* previous, Control* current) override;
    CommandTarget* PopupNotify(PopupItemRecord& record) override;
    CommandTarget* ControlAction() override;
    CommandTarget* ScrollChanged(ScrollNotice& record) override;
    CommandTarget* RowCount(RowRequest& record) override;
    CommandTarget* OutlineNotify(OutlineRequest& record) override;
    int32_t AdjustCursor(InputEvent& event, Pane* pane) override;
    int32_t FirstClick(InputEvent& event, Pane* pane) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t Wheel(InputEvent& event, int32_t lines) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    void HandleMessage(MenuRequest& record) override;
    void GetChildrenBounds(Point& point) override;

    // --- the pane's own virtual operations ---------------------------------------------------------
    virtual void Moved(int32_t dx, int32_t dy);
    virtual void Resized(int32_t dw, int32_t dh);
    virtual void Draw();
    virtual void DrawFrame();
    virtual void CommitEdit();
    virtual void MoveFocus(int32_t direction);
    virtual void BringToFront() = 0;
    virtual void CalcVisibleRegion() = 0;
    virtual void UpdateVisibleRegions(bool force) = 0;
    virtual void BoundsChanged(int32_t dx, int32_t dy, int32_t dw, int32_t dh) = 0;
    virtual void ClipToShape(Region& region) = 0;
    virtual void ClipRegion(Region& region) = 0;
    // The shape that hit testing and sibling clipping use (a control's controlRegion); null: bounds.
    virtual const Region* Shape() const { return nullptr; }

    // --- geometry ----------------------------------------------------------------------------------
    // Position and size from the frame, bounds {0, 0, height, width}; no notification.
    void SetFrame(const OriginSize& frame, Window* window, Point windowOffset);
    void MoveBy(int32_t dx, int32_t dy);
    void ResizeBy(int32_t dw, int32_t dh);
    void MoveAndResizeBy(int32_t dx, int32_t dy, int32_t dw, int32_t dh);
    void MoveEdgesBy(int32_t dLeft, int32_t dTop, int32_t dRight, int32_t dBottom);
    // Moves and resizes to the frame (enclosure coordinates).
    void SetFrame(const OriginSize& frame);
    void ShiftWindowOffsets(int32_t dh, int32_t dv);
    OriginSize ComputePlacement(int32_t mode);
    void MoveToPlacement(int32_t mode);
    void ToggleZoom(bool full);
    OriginSize Frame() const;

    // --- hit testing, regions, invalidation, drawing -----------------------------------------------
    // The innermost visible pane under the point; the point ends in that pane's coordinates.
    Pane* HitTest(Point& point);
    void ExcludeChildRegions(Region& region);
    void InvalidateRegion(const Region& region, int32_t flags);
    void InvalidateRect(const Rect& rect, int32_t flags);
    void Invalidate();
    // Draws the pane (and with children its visible children first) inside the current focus, which
    // must have its origin at this pane's window offset.
    void DrawPane(bool withChildren);
    // Draws the region (pane coordinates) at once, children included.
    void RedrawRegionNow(const Region& region);

    // --- the focus chain ---------------------------------------------------------------------------
    static int32_t CompareInOrder(const Pane& a, const Pane& b, int32_t direction);
    static Pane* NextSibling(Pane& pane, int32_t direction);
    static Pane* FirstChildInOrder(Pane& pane, int32_t direction);
    static Pane* NextInFocusChain(Pane& pane, int32_t direction, Pane& root);

    // --- lookup, visibility, drawing state ---------------------------------------------------------
    Control* FindById(int32_t id);
    void SetVisible(bool flag);
    static void SetPaneVisible(Pane* pane, bool flag);
    void MakeFloating();
    void SetDrawingStyle(int32_t backIndex);
    void SetTextStyle(const TextStyle& style);
    void SetTextFlags(uint16_t bits, uint16_t mask);
    void SelectRadio(Control* child);

    // Accessors.
    Pane* Next() const { return next; }
    Pane* Prev() const { return prev; }
    CommandTarget* Enclosure() const { return enclosure; }
    Pane* EnclosingPane() const;
    Window* GetWindow() const { return window; }
    Point Position() const { return position; }
    Point Size() const { return size; }  // {height, width}
    const Rect& Bounds() const { return bounds; }
    Point WindowOffset() const { return windowOffset; }
    bool IsVisible() const { return visible; }
    bool IsFloating() const { return floating; }
    const Region& OwnRegion() const { return ownRegion; }
    bool RegionsValid() const { return regionsValid; }
    void InvalidateRegions() { regionsValid = false; }
    Control* CheckedRadio() const { return checkedRadio; }
    int32_t ForeColour() const { return foreColour; }
    int32_t BackColour() const { return backColour; }
    const TextStyle& GetTextStyle() const { return textStyle; }
    // The link whose context menu runs on this pane (not owned; null when none).
    void AttachLinkMenu(LinkMenu* menu) { linkMenu = menu; }
    LinkMenu* AttachedLinkMenu() const { return linkMenu; }

    bool eraseContent = true;
    bool eraseFrame = true;
    bool notifyAlways = false;

protected:
    Region ownRegion;
    bool regionsValid = false;
    Point position;
    Point size;
    Rect bounds;
    Window* window = nullptr;
    Point windowOffset;
    bool visible = false;
    bool wantVisible = true;
    bool floating = false;
    bool savedVisible = false;
    OriginSize previousFrame;
    Control* checkedRadio = nullptr;
    int32_t foreColour = 10;
    int32_t backColour = 27;
    TextStyle textStyle;

private:
    Pane* next = nullptr;
    Pane* prev = nullptr;
    CommandTarget* enclosure = nullptr;
    LinkMenu* linkMenu = nullptr;

    friend class CommandTarget;
};

}  // namespace vek
