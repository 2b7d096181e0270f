// PopupButton: layout, drawing, stepping and type-select; the pop-up list is in PopupList.cpp.
#include "gui/lists/PopupButton.h"

#include <algorithm>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/Utf8.h"
#include "gui/Application.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/lists/ListSupport.h"
#include "drawing/ClipboardText.h"
#include "drawing/DrawingPort.h"
#include "drawing/Icons.h"
#include "drawing/Shapes.h"
#include "drawing/TextLayout.h"
#include "drawing/Theme.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

// A pause longer than this starts a new type-select search.
constexpr int64_t kTypeSelectPauseMs = 2000;
constexpr uint16_t kPopupTextFlags = 0x2000;
constexpr uint16_t kPopupTextMask = 0x3F7F;
constexpr uint16_t kLayoutRight = 0x1400;
constexpr uint16_t kLayoutCentred = 0x1000;
constexpr int32_t kMinimumPopupWidth = 16;
constexpr int32_t kSwatchWidth = 14;
constexpr int32_t kItalicFace = 2;

enum PopupKey : int32_t { kPopupKeyLeft = 28, kPopupKeyRight = 29, kPopupKeyUp = 30, kPopupKeyDown = 31 };

}  // namespace

PopupButton::PopupButton(Pane& enclosure, const OriginSize& frame, int32_t id, int32_t count, int32_t current, bool finish)
    : Control(kKindPopupButton, enclosure, frame, id), itemCount(std::max(count, 0)), currentItem(current)
{
    SetTextFlags(kPopupTextFlags, kPopupTextMask);
    Layout();
    if (finish)
        FinishConstruction();
}

PopupButton::~PopupButton() { PrepareDestruction(); }

void PopupButton::InitItemRecord(PopupItemRecord& record)
{
    record = PopupItemRecord{};
    record.popup = this;
    record.index = currentItem;
    record.current = currentItem;
}

void PopupButton::GetItemInfo(PopupItemRecord& record, int32_t index)
{
    record.kind = PopupItemKind::Describe;
    record.index = index;
    record.text = nullptr;
    record.icon = 0;
    record.enabled = 1;
    record.selectable = 1;
    record.textBuffer[0] = 0;
    PopupNotify(record);
    if ((!record.text || !*record.text) && record.icon == 0)
        record.enabled = 0;
}

bool PopupButton::IsChoosable(int32_t index)
{
    PopupItemRecord record;
    InitItemRecord(record);
    GetItemInfo(record, index);
    return record.enabled && record.selectable;
}

int32_t PopupButton::MeasureContent(const PopupItemRecord& record)
{
    int32_t width = 0;
    const bool hasText = record.text && *record.text;
    if (record.icon >= kPopupSwatchIcon) {
        width = kSwatchWidth + (hasText ? 2 : 0);
    } else if (record.icon > 0) {
        Rect picture;
        GetPictureBounds(picture, record.icon);
        width = picture.Width() + (hasText ? 2 : 0);
    }
    if (hasText)
        width += MeasureTextWidthInStyle(textStyle, record.text);
    return width;
}

void PopupButton::Layout()
{
    const int32_t w = bounds.Width();
    const int32_t h = bounds.Height();
    int32_t t = minimumTitleWidth;
    if (titlePicture != 0 || !title.empty()) {
        int32_t measured = MeasureTextWidthInStyle(textStyle, title);
        if (titlePicture != 0) {
            Rect picture;
            GetPictureBounds(picture, titlePicture);
            measured += titlePicture >= kPopupSwatchIcon ? kSwatchWidth : picture.Width();
            if (!title.empty())
                measured += 2;
        }
        t = std::max(t, measured + 3);
    }
    int32_t p = fixedPopupWidth > 0 ? fixedPopupWidth : (w - t > kMinimumPopupWidth ? w - t : kMinimumPopupWidth);
    if (itemCount > 0) {
        PopupItemRecord record;
        InitItemRecord(record);
        GetItemInfo(record, currentItem);
        p = std::max(p, MeasureContent(record) + kArrowWidth + 2);
    }
    p = std::min(p, w - minimumTitleWidth);
    int32_t left = std::min(t, w - p);
    int32_t offset = 0;
    const uint16_t flags = textStyle.flags;
    if ((flags & kLayoutRight) == kLayoutRight)
        offset = w - p - left;
    else if (flags & kLayoutCentred && !(flags & 0x400))
        offset = (w - p - left) / 2;
    left += offset;
    titleRect = MakeRect(offset, 0, left - 1, h - 1);
    popupRect = MakeRect(left, 0, left + p - 1, h - 1);
    focusRect = MakeRect(offset - 2, -2, left + p + 2, h + 2);
}

void PopupButton::UpdateLayout()
{
    Layout();
    RebuildShape(kInvalidatePending);
}

void PopupButton::TitleChanged()
{
    Layout();
    RebuildShape(0);
    Invalidate();
    Notify(kNotifyTitle);
}

void PopupButton::SetTitleText(std::string_view text)
{
    title = std::string(text);
    titleId = 0;
    TitleChanged();
}

void PopupButton::SetTitle(int32_t textId)
{
    const char* text = LoadText(textId);
    title = text ? text : "";
    titleId = textId;
    TitleChanged();
}

void PopupButton::SetLabelWidth(int32_t width)
{
    if (width == minimumTitleWidth)
        return;
    minimumTitleWidth = width;
    UpdateLayout();
}

void PopupButton::SetFixedPopupWidth(int32_t width)
{
    fixedPopupWidth = width;
    UpdateLayout();
}

void PopupButton::SetItemCount(int32_t count)
{
    count = std::max(count, 0);
    if (itemCount == 0 || count == 0)
        Invalidate();
    itemCount = count;
    if (currentItem >= count)
        SelectItem(count - 1, 0);
    Layout();
}

void PopupButton::SelectItem(int32_t index, int32_t mode)
{
    if (index < 0 || index >= itemCount)
        return;
    if (index == currentItem && mode != 2)
        return;
    const int32_t previous = currentItem;
    currentItem = index;
    if (mode != 0) {
        PopupItemRecord record;
        InitItemRecord(record);
        record.kind = PopupItemKind::Chosen;
        record.index = index;
        record.current = previous;
        record.mode = mode;
        PopupNotify(record);
    }
    const Rect oldPopup = popupRect;
    const Rect oldTitle = titleRect;
    Layout();
    if (RectsEqual(oldPopup, popupRect)) {
        Rect inner = oldPopup;
        OutsetRect(inner, -1);
        InvalidateRect(inner, 0);
    } else {
        int32_t left = std::min(oldPopup.left, popupRect.left);
        if (!RectsEqual(oldTitle, titleRect))
            left -= 4;
        InvalidateRect(MakeRect(left, -2, bounds.right + 3, bounds.bottom + 3), 0);
    }
    RebuildShape(0);
}

void PopupButton::Step(int32_t delta)
{
    if (itemCount <= 0)
        return;
    int32_t index;
    int32_t direction;
    if (delta < -1) {
        index = 0;
        direction = 1;
    } else if (delta > 1) {
        index = itemCount - 1;
        direction = -1;
    } else {
        direction = delta < 0 ? -1 : 1;
        index = currentItem + direction;
    }
    for (; index >= 0 && index < itemCount; index += direction)
        if (IsChoosable(index)) {
            SelectItem(index, 1);
            return;
        }
}

std::string PopupButton::GetDisplayText()
{
    std::string text = title;
    if (!text.empty())
        text += ' ';
    if (itemCount > 0) {
        PopupItemRecord record;
        InitItemRecord(record);
        GetItemInfo(record, currentItem);
        if (record.enabled && record.text)
            text += record.text;
    }
    return text;
}

int32_t PopupButton::FindItemByPrefix(std::string_view prefix)
{
    for (int32_t index = 0; index < itemCount; ++index) {
        PopupItemRecord record;
        InitItemRecord(record);
        GetItemInfo(record, index);
        if (!record.text || !record.enabled || !record.selectable)
            continue;
        std::string_view text = record.text;
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        if (CStrStartsWithNoCase(text, prefix))
            return index;
    }
    return -1;
}

void PopupButton::TypeSelect(const InputEvent& event, PopupItemRecord* list)
{
    if (event.key < 32)
        return;
    if (event.time - lastKeyTime > kTypeSelectPauseMs)
        searchText.clear();
    char bytes[4];
    searchText.append(bytes, size_t(Utf8EncodeChar(bytes, uint32_t(event.key))));
    lastKeyTime = event.time;
    int32_t found = -1;
    while (!searchText.empty() && (found = FindItemByPrefix(searchText)) < 0)
        searchText.erase(0, size_t(Utf8CharLength(searchText.c_str())));
    if (found < 0)
        return;
    if (list)
        HighlightRow(*list, found);
    else
        SelectItem(found, 1);
}

int32_t PopupButton::Click(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::Click(event, pane))
        return taken;
    if (IsContextClick(event) || pane != this)
        return 0;
    if (!CanFocusNow())
        return 0;
    Rect area = popupRect;
    OutsetRectHV(area, 0, 1);
    if (IsPointInRect(event.point, area))
        TrackList(event, true);
    return 1;
}

int32_t PopupButton::KeyDown(InputEvent& event, Pane* pane)
{
    if (event.command && event.key >= kPopupKeyLeft && event.key <= kPopupKeyDown && pane == this && IsEnabled() &&
        itemCount > 0) {
        TrackList(event, false);
        return 1;
    }
    if (int32_t taken = Control::KeyDown(event, pane))
        return taken;
    if (pane != this || !IsEnabled())
        return 0;
    if (event.key == kPopupKeyUp) {
        Step(-1);
        return 1;
    }
    if (event.key == kPopupKeyDown) {
        Step(1);
        return 1;
    }
    if (!event.command)
        TypeSelect(event, nullptr);
    return 0;
}

CommandTarget* PopupButton::Notify(int32_t code)
{
    if (code == kNotifyOpened)
        Layout();
    CommandTarget* answer = Control::Notify(code);
    switch (code) {
    case kNotifyEnabled: Invalidate(); break;
    case kNotifyKeyboardFocus: {
        Region ring(focusRect);
        Rect inner = focusRect;
        OutsetRect(inner, -2);
        SubtractRectFromRegion(ring, inner);
        InvalidateRegion(ring, 0);
        RebuildShape(0);
        break;
    }
    case kNotifyGlobalSetting:
        if (titleId != 0) {
            const char* text = LoadText(titleId);
            title = text ? text : "";
            TitleChanged();
        } else {
            UpdateLayout();
        }
        break;
    default: break;
    }
    return answer;
}

void PopupButton::ParentChanged(int32_t code)
{
    Control::ParentChanged(code);
    if (code == kNotifyBackground) {
        if (Pane* outer = EnclosingPane())
            SetDrawingStyle(outer->BackColour());
        InvalidateRegion(controlRegion, 0);
    }
}

void PopupButton::UpdateMenus()
{
    Control::UpdateMenus();
    MenuItem* copy = FindMenuItemByCommand(kCommandCopy);
    if (!copy || copy->IsEnabled() || itemCount <= 0)
        return;
    PopupItemRecord record;
    InitItemRecord(record);
    GetItemInfo(record, currentItem);
    if (!record.enabled || !record.text || !*record.text)
        return;
    if (auto* list = dynamic_cast<ListMenu*>(copy))
        list->SetTitle(text::kPopupCopyArgument, true);
    else
        copy->SetEnabled(true);
}

int32_t PopupButton::DoCommand(MenuItem& item)
{
    if (int32_t done = Control::DoCommand(item))
        return done;
    if (item.Command() != kCommandCopy || itemCount <= 0)
        return 0;
    PopupItemRecord record;
    InitItemRecord(record);
    GetItemInfo(record, currentItem);
    if (!record.enabled || !record.text)
        return 0;
    PutClipboardText(record.text);
    return 1;
}

void PopupButton::FocusChanged(InputEvent& event, int32_t code)
{
    Rect area = popupRect;
    OutsetRectHV(area, 0, 1);
    hot = code != kHoverLeft && IsPointInRect(event.point, area);
}

void PopupButton::Resized(int32_t dw, int32_t dh)
{
    Layout();
    RebuildShape(0);
    Control::Resized(dw, dh);
}

void PopupButton::DrawItemContent(const PopupItemRecord& record, Rect rect, bool enabled)
{
    const int32_t middle = (rect.top + rect.bottom) / 2;
    if (record.icon >= kPopupLineIcon) {
        const int32_t lines = record.icon - (kPopupLineIcon - 1);
        DrawingPort* port = CurrentPort();
        for (int32_t i = 0; port && i < lines; ++i) {
            const int32_t v = middle - lines + 2 * i + 1;
            port->MoveTo(rect.left, v);
            port->LineTo(rect.left + 12, v);
        }
        rect.left = ClampCoordinate(rect.left + 16);
    } else if (record.icon >= kPopupSwatchIcon) {
        const Rect swatch = MakeRect(rect.left, rect.top + 1, rect.left + kSwatchWidth, rect.bottom - 1);
        FillRectColor(swatch, record.icon - kPopupSwatchIcon);
        FrameRectWidth(swatch, 1);
        rect.left = ClampCoordinate(rect.left + 16);
    } else if (record.icon > 0) {
        Rect picture;
        GetPictureBounds(picture, record.icon);
        DrawPictureAt(rect.left, middle - picture.Height() / 2, record.icon);
        rect.left = ClampCoordinate(rect.left + picture.Width() + 2);
    }
    if (record.text && *record.text) {
        TextStyle& style = GetDrawingState().view->style;
        const TextStyle saved = style;
        style.SetFace(record.selectable ? 0 : kItalicFace);
        DrawTextInRectEnabled(rect, record.text, enabled && record.enabled);
        style = saved;
    }
}

void PopupButton::Draw()
{
    const bool active = IsEnabled() && itemCount > 0;
    if (ShowsFocusRing())
        FrameRectPattern(focusRect);
    if (!active)
        UseColourIndices(6, backColour);
    ClearRect(titleRect);
    Rect text = titleRect;
    text.top = ClampCoordinate(text.top + 1);
    text.right = ClampCoordinate(text.right - 2);
    text.bottom = ClampCoordinate(text.bottom - 1);
    if (titlePicture > 0 && titlePicture < kPopupSwatchIcon) {
        Rect picture;
        GetPictureBounds(picture, titlePicture);
        DrawPictureAt(text.left, text.top, titlePicture);
        text.left = ClampCoordinate(text.left + picture.Width() + 2);
    }
    DrawTextInRectEnabled(text, title.c_str(), IsEnabled());
    UseColourIndices(active ? 25 : 6, popupBackColour);
    DrawPopupButtonFrame(popupRect, active);
    if (itemCount > 0) {
        PopupItemRecord record;
        InitItemRecord(record);
        GetItemInfo(record, currentItem);
        Rect content = popupRect;
        OutsetRectHV(content, -4, -1);
        content.right = ClampCoordinate(content.right - 15);
        DrawItemContent(record, content, active);
    }
}

void PopupButton::DrawFrame()
{
    if (ShowsFocusRing())
        FrameRectPattern(focusRect);
    DrawPopupButtonFrame(popupRect, IsEnabled() && itemCount > 0);
}

void PopupButton::BuildShape()
{
    Rect shape = bounds;
    shape.left = ClampCoordinate(shape.left - 1);
    shape.bottom = ClampCoordinate(shape.bottom + 1);
    controlRegion.SetRect(shape);
    if (IsFocused())
        AddRectToRegion(controlRegion, focusRect);
}

}  // namespace vek
