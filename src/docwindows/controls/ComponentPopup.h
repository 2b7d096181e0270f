// ComponentPopup: the cascade of menus that picks a component from a dimension's tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drawing/Geometry.h"
#include "gui/Control.h"

namespace vek {

class Base;
class ComponentPopup;
class String;
struct Component;
struct InputEvent;

// One open menu of the cascade: the children of one component, drawn by the program as a floating
// pane of the window (so the window shows what was under it again once the level is closed). The
// frame is in window coordinates; rows are item indices.
class ComponentPopupLevel final : public Control {
public:
    ComponentPopupLevel(ComponentPopup& popup, Component& parentComponent);
    ~ComponentPopupLevel() override;

    int32_t CanTakeFocus() override { return 0; }
    void Draw() override;

    // Places the menu for a point (window coordinates) as the layout rules say; does not fit it into
    // the screen yet.
    void Layout(Point point);
    // The row under a point (window coordinates), -1 over the title, an arrow row or outside.
    int32_t RowAt(Point point) const;
    // Highlights a row (-1: none): closes the child level, scrolls the row into view, notes the time.
    void SetHighlight(int32_t row, int64_t now);
    // Scrolls so that a row does not sit under an arrow row.
    void EnsureVisible(int32_t row, int64_t now);
    // Scrolls by n rows (clamped); the time of the scroll is noted.
    void ScrollBy(int32_t n, int64_t now);
    // Adds a typed character to the search (a new search after 2000 ms) and highlights the match.
    void TypeAhead(uint32_t character, int64_t now);
    // The first item whose code (without the parent's) begins with the text, else whose name (the
    // display text after its first space) does, ignoring case; -1 when none.
    int32_t FindItem(std::string_view text) const;

    Component& ParentComponent() const { return parent; }
    int32_t ItemCount() const { return int32_t(items.size()); }
    Component* Item(int32_t row) const { return items[size_t(row)]; }
    bool ItemHasChildren(int32_t row) const;
    const std::string& ItemText(int32_t row) const { return texts[size_t(row)]; }
    // The item's code without the leading part that repeats the parent's code.
    std::string ItemCodeText(int32_t row) const;
    const std::string& Title() const { return title; }
    const Rect& FrameRect() const { return frame; }
    int32_t Highlighted() const { return highlighted; }
    int32_t FirstVisible() const { return firstVisible; }
    int32_t VisibleRows() const { return visibleRows; }
    int32_t RowHeight() const { return rowHeight; }
    int32_t TitleHeight() const { return titleHeight; }
    const std::string& TypedText() const { return typed; }
    // The top of a row in window coordinates.
    int32_t RowTop(int32_t row) const { return frame.top + titleHeight + (row - firstVisible) * rowHeight; }
    bool HasUpArrow() const { return firstVisible > 0; }
    bool HasDownArrow() const { return firstVisible + visibleRows < ItemCount(); }

    int64_t lastScrollTime = 0;
    int64_t lastHighlightTime = 0;
    // The item whose submenu opens next (-1: none) and where it opens (window coordinates).
    int32_t itemToOpen = -1;
    Point openPoint;

private:
    friend class ComponentPopup;
    void SetFrameRect(const Rect& rect);
    void DrawRow(int32_t row);

    ComponentPopup& popup;
    Component& parent;
    std::vector<Component*> items;
    std::vector<std::string> texts;
    std::string title;
    std::string parentCode;
    Rect frame;
    int32_t titleHeight = 0;
    int32_t rowHeight = 0;
    int32_t visibleRows = 0;
    int32_t firstVisible = 0;
    int32_t highlighted = -1;
    std::string typed;
    int64_t lastTypeTime = 0;
};

// One run of the popup (on the caller's stack): the base, the dimension, the pane it belongs to and
// the area the levels must stay in (window coordinates, already inset). Levels are kept first to last;
// closing a level closes the levels after it.
class ComponentPopup {
public:
    ComponentPopup(Base& base, int32_t dimension, Pane& pane, const Rect& screen);
    ~ComponentPopup();
    ComponentPopup(const ComponentPopup&) = delete;
    ComponentPopup& operator=(const ComponentPopup&) = delete;

    // Opens the first level, the children of the dimension's root, at the point (window coordinates)
    // and cascades it down to the target (null: none), highlighting the path.
    void Open(Point point, const Component* target);
    // Closes the level at the index and every level after it.
    void CloseFrom(int32_t index);
    // The last level's key (30 up, 31 down, 29 right, 28 left, 32 and up type-ahead).
    void Key(int32_t key, int64_t now);
    // The pointer over a level (window coordinates); release: the button is up.
    void Hover(int32_t index, Point point, bool release, int64_t now);
    // Scrolls the last level while the pointer is held above or below it; true when it scrolled.
    bool AutoScroll(Point point, int64_t now);
    // The deepest level whose frame holds the point, -1 when none.
    int32_t LevelAt(Point point) const;
    // The code of the highlighted item of the level, or of the nearest level above that has one.
    std::string ChosenCode(int32_t index) const;

    int32_t LevelCount() const { return int32_t(levels.size()); }
    ComponentPopupLevel& Level(int32_t index) const { return *levels[size_t(index)]; }
    ComponentPopupLevel& Last() const { return *levels.back(); }
    Base& GetBase() const { return base; }
    int32_t Dimension() const { return dimension; }
    Pane& OwnerPane() const { return pane; }
    const Rect& Screen() const { return screen; }

private:
    friend class ComponentPopupLevel;
    void OpenLevel(Point point, Component& parentComponent, const Component* target);
    void CloseAfter(const ComponentPopupLevel& level);
    int32_t IndexOf(const ComponentPopupLevel& level) const;

    Base& base;
    int32_t dimension;
    Pane& pane;
    Rect screen;
    std::vector<ComponentPopupLevel*> levels;  // owned by the window as floating panes
};

// Clears the result, runs the popup at the point (pane coordinates) for the event that opened it,
// cascaded to the target (null: none), and leaves the code of the chosen component in the result,
// or nothing when the user chose none.
void RunComponentPopup(String& result, Base& base, int32_t dimension, const Component* target, Point point, Pane& pane,
                       const InputEvent& event);

}  // namespace vek
