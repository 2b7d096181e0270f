// PopupButton: a title and the current item of a list, with the library's own pop-up list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gui/Control.h"
#include "gui/lists/PopupItemRecord.h"

namespace vek {

class DrawingPort;

// A popup button does not store its items: it asks its owner for each item's text and icon through
// PopupNotify (kind Describe) and reports a choice the same way (kind Chosen); subclasses answer
// PopupNotify themselves. Clicking opens the pop-up list, drawn and tracked by the control itself;
// the arrow keys step and typed characters type-select without opening it.
class PopupButton : public Control {
public:
    PopupButton(Pane& enclosure, const OriginSize& frame, int32_t id, int32_t itemCount, int32_t currentItem, bool finish);
    ~PopupButton() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    void UpdateMenus() override;
    int32_t DoCommand(MenuItem& item) override;
    void FocusChanged(InputEvent& event, int32_t code) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    void Resized(int32_t dw, int32_t dh) override;
    void Draw() override;
    void DrawFrame() override;
    void BuildShape() override;
    int32_t CanTakeFocus() override { return itemCount > 0 ? 1 : 0; }

    void SetItemCount(int32_t count);
    // Outside 0 .. count-1 nothing; the same index only with mode 2. Mode 0 sets the item silently,
    // any other mode tells the owner (Chosen, with the previous item in current).
    void SelectItem(int32_t index, int32_t mode);
    // -1 / 1 step from the current item; below -1 from the first, above 1 from the last selectable
    // item; disabled and command items are skipped; no wrap.
    void Step(int32_t delta);
    // The title, a space when it is not empty, and the current item's text when it is enabled.
    std::string GetDisplayText();
    void SetTitleText(std::string_view text);
    void SetTitle(int32_t textId);
    void SetLabelWidth(int32_t width);
    void SetFixedPopupWidth(int32_t width);
    // Type-select: keys below 32 are ignored; after 2000 ms without a key the search starts again.
    // Without a list the item found becomes current; with one it is highlighted.
    void TypeSelect(const InputEvent& event, PopupItemRecord* list);
    // The first enabled selectable item whose text (leading blanks skipped) starts with the search
    // text, ignoring case; -1 when none.
    int32_t FindItemByPrefix(std::string_view prefix);
    // Opens the list and tracks it until a choice, a release outside or Escape.
    void TrackList(InputEvent& event, bool byMouse);

    void InitItemRecord(PopupItemRecord& record);
    void GetItemInfo(PopupItemRecord& record, int32_t index);

    int32_t ItemCount() const { return itemCount; }
    int32_t CurrentItem() const { return currentItem; }
    const std::string& Title() const { return title; }
    const std::string& SearchText() const { return searchText; }
    const Rect& PopupRect() const { return popupRect; }
    const Rect& TitleRect() const { return titleRect; }
    bool IsListOpen() const { return listOpen; }
    void SetPopupBackColour(int32_t index) { popupBackColour = index; }
    void SetListBackColour(int32_t index) { listBackColour = index; }

    static constexpr int32_t kArrowWidth = 22;

protected:
    void Layout();
    void TitleChanged();
    void UpdateLayout();
    int32_t MeasureContent(const PopupItemRecord& record);
    void DrawItemContent(const PopupItemRecord& record, Rect rect, bool enabled);

private:
    void ComputeListGeometry(PopupItemRecord& list, const Rect& screen);
    void DrawList(PopupItemRecord& list);
    void DrawListRow(PopupItemRecord& list, int32_t index);
    void ScrollList(PopupItemRecord& list, int32_t rows, int64_t now);
    void HighlightRow(PopupItemRecord& list, int32_t index);
    void MoveListHighlight(PopupItemRecord& list, int32_t direction);
    bool IsChoosable(int32_t index);

    int32_t itemCount = 0;
    int32_t currentItem = 0;
    std::string title;
    int32_t titleId = 0;
    int32_t titlePicture = 0;
    int32_t minimumTitleWidth = 0;
    int32_t fixedPopupWidth = 0;
    bool hot = false;
    bool listOpen = false;
    int32_t modeWord = 0;
    int32_t popupBackColour = 26;
    int32_t listBackColour = 26;
    Rect titleRect;
    Rect popupRect;
    Rect focusRect;
    std::string searchText;
    int64_t lastKeyTime = 0;
    // The picture of the open list (screen pixels of the list rectangle).
    std::unique_ptr<DrawingPort> listImage;
};

}  // namespace vek
