// TextField: the String and the edit record, the history, the clipboard commands, the context menu,
// drops, notifications and drawing.
#include "gui/editing/TextField.h"

#include <algorithm>

#include "drawing/ClipboardText.h"
#include "drawing/ColorTable.h"
#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "drawing/TextLayout.h"
#include "drawing/Theme.h"
#include "foundation/services/Clock.h"
#include "foundation/strings/Utf8.h"
#include "gui/Application.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/MenuRequest.h"
#include "gui/TransferData.h"
#include "gui/controls/PopupMenu.h"
#include "gui/Window.h"
#include "gui/editing/SecretText.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

constexpr int32_t kIBeamCursor = 1;
// Argument text of the enabled Undo, Redo, Cut, Copy, Clear and Duplicate items.
constexpr int32_t kEditItemArgument = 722;
// Context-menu entries by text id.
constexpr int32_t kMenuCut = 214;
constexpr int32_t kMenuCopy = 215;
constexpr int32_t kMenuPaste = 216;
constexpr int32_t kMenuClear = 217;
constexpr int32_t kMenuDuplicate = 218;
constexpr int32_t kMenuSelectAll = 219;
constexpr int32_t kMenuMakeLink = 728;

// One bullet per character of the text.
std::string FieldBullets(std::string_view text)
{
    std::string bullets;
    for (const char* p = text.data(); p < text.data() + text.size();) {
        Utf8NextCharIn(p, text.data() + text.size());
        bullets.append("\xE2\x80\xA2");
    }
    return bullets;
}

void EnableEditItem(int32_t command, bool enabled)
{
    if (MenuItem* item = FindMenuItemByCommand(command)) {
        if (auto* list = dynamic_cast<ListMenu*>(item))
            list->SetTitle(enabled ? kEditItemArgument : 0, enabled);
        else
            item->SetEnabled(enabled);
    }
}

}  // namespace

TextField::TextField(Pane& enclosure, const OriginSize& frame, int32_t id, bool framedFlag, bool finish)
    : Control(kKindTextField, enclosure, frame, id), textRect(bounds), framed(framedFlag)
{
    if (finish)
        FinishConstruction();
}

TextField::~TextField()
{
    PrepareDestruction();
    edit.Dispose();
    text.WipeAndClear();
    history.Wipe();
}

// --- state -------------------------------------------------------------------------------------------

CommandTarget* TextField::Notify(int32_t code)
{
    CommandTarget* answer = Control::Notify(code);
    switch (code) {
    case kNotifyEnabled: RebuildShape(0); break;
    case kNotifyKeyboardFocus: FocusChanged(); break;
    case kNotifyActivation:
    case kNotifyFocusShown:
    case kNotifyWindowActivation: UpdateEditing(); break;
    case kNotifyTick:
        if (IsEditing()) {
            edit.Idle(CurrentTimeMs());
            // A hidden field stops editing.
            if (ownRegion.IsEmpty() && window)
                window->ClearFocusedControl();
        }
        break;
    default: break;
    }
    return answer;
}

void TextField::FocusChanged()
{
    if (IsFocused()) {
        editStarted = true;
        committed = true;
        TargetChanged(this, kTextFocusGained);
        UpdateEditing();
    } else {
        UpdateEditing();
        Commit();
        TargetChanged(this, kTextFocusLost);
        editStarted = false;
    }
}

void TextField::UpdateEditing()
{
    const bool wanted = IsFocused() && IsEnabled() && window && window->IsActive();
    if (wanted && !IsEditing()) {
        Record();
        String shown;
        shown.AssignBytes(text.View());
        if (linkMode == TextLinkMode::FormattedEdit && !password && linkRegistry != nullptr)
            linkRegistry->FormatInPlace(shown);
        if (!edit.Create(*this, shown.View(), textRect, textStyle, password ? PasswordMode::On : PasswordMode::Off))
            return;
        fetched = true;
        // The selection kept while not editing comes back with the record (a click then moves it).
        edit.SetSelection(selectionStart, selectionLength);
        RebuildShape(0);
        Invalidate();
    } else if (!wanted && IsEditing()) {
        FetchEditText();
        selectionStart = edit.GetSelectionStart();
        selectionLength = edit.GetSelectionLength();
        edit.Dispose();
        Invalidate();
    }
}

void TextField::FetchEditText()
{
    if (!IsEditing() || fetched)
        return;
    if (password)
        text.WipeAndClear();
    text.AssignBytes(edit.Text());
    if (!password)
        ApplyLinkMode(text);
    fetched = true;
}

void TextField::Redisplay()
{
    if (!IsEditing())
        Invalidate();
}

void TextField::NotifyChanged()
{
    if (notifying)
        return;
    notifying = true;
    fetched = false;
    committed = false;
    TargetChanged(this, kTextChanged);
    notifying = false;
}

void TextField::Commit()
{
    if (committing || committed)
        return;
    committing = true;
    committed = true;
    TargetChanged(this, kTextCommitted);
    committing = false;
}

void TextField::CommitEdit()
{
    FetchEditText();
    Commit();
}

CommandTarget* TextField::TargetChanged(CommandTarget* target, int32_t code)
{
    CommandTarget* answer = Control::TargetChanged(target, code);
    // Every committed text passes through the owner's formatting.
    if (target == this && code == kTextCommitted) {
        String copy;
        copy.AssignBytes(Text());
        SetTextAfterLink(copy.CStr());
        if (password)
            copy.WipeAndClear();
    }
    return answer;
}

void TextField::Record()
{
    // A password never goes into the history.
    if (password)
        return;
    FetchEditText();
    history.Record(text.View());
}

// --- text --------------------------------------------------------------------------------------------

void TextField::StoreText(std::string_view value)
{
    if (password)
        text.WipeAndClear();
    text.AssignBytes(value);
    if (IsEditing()) {
        edit.SetText(text.View());
        fetched = true;
    }
    selectionStart = std::min(selectionStart, text.Length());
    selectionLength = std::min(selectionLength, text.Length() - selectionStart);
}

void TextField::SetText(const char* value)
{
    std::string_view view = value ? std::string_view(value) : std::string_view();
    SetTextBytes(view.data(), int32_t(view.size()));
}

void TextField::SetTextBytes(const char* bytes, int32_t length)
{
    StoreText(bytes && length > 0 ? std::string_view(bytes, size_t(length)) : std::string_view());
    history.Clear();
    Redisplay();
}

void TextField::ClearText() { SetTextBytes(nullptr, 0); }

std::string_view TextField::Text()
{
    FetchEditText();
    return text.View();
}

int32_t TextField::TextLength() { return IsEditing() ? edit.GetTextLength() : text.Length(); }

int32_t TextField::SelectionStart() { return IsEditing() ? edit.GetSelectionStart() : selectionStart; }

int32_t TextField::SelectionLength() { return IsEditing() ? edit.GetSelectionLength() : selectionLength; }

void TextField::SetSelection(int32_t start, int32_t length)
{
    const int32_t n = TextLength();
    if (start == -2)
        start = 0;
    else if (start < 0 || start > n)
        start = n;
    length = std::clamp(length, 0, n - start);
    if (IsEditing()) {
        edit.SetSelection(start, length);
        return;
    }
    std::string_view view = text.View();
    selectionStart = Utf8SafeCut(view, start);
    selectionLength = Utf8BoundaryAfter(view, start + length) - selectionStart;
    Invalidate();
}

void TextField::SelectAll()
{
    if (SelectionStart() == 0 && SelectionLength() == TextLength())
        return;
    SetSelection(0, TextLength());
}

void TextField::ReplaceSelection(const char* value)
{
    ReplaceSelectionBytes(value, value ? int32_t(std::string_view(value).size()) : 0);
}

void TextField::ReplaceSelectionBytes(const char* bytes, int32_t length)
{
    std::string_view view = bytes && length > 0 ? std::string_view(bytes, size_t(length)) : std::string_view();
    // Up to a 0 byte, as for a C string.
    view = view.substr(0, view.find('\0'));
    ReplaceRange(SelectionStart(), SelectionLength(), view);
}

void TextField::ReplaceRange(int32_t start, int32_t length, std::string_view bytes)
{
    FetchEditText();
    SecretText result;
    result.Assign(text.View());
    result.Replace(size_t(start), size_t(length), bytes);
    if (linkMode != TextLinkMode::Plain && !password) {
        String converted;
        converted.AssignBytes(result.View());
        ApplyLinkMode(converted);
        result.Assign(converted.View());
    }
    if (result.View() != text.View()) {
        StoreText(result.View());
        Redisplay();
        NotifyChanged();
    }
    SetSelection(start + int32_t(bytes.size()), 0);
}

void TextField::SetTextAfterLink(const char* value)
{
    String formatted;
    formatted.AssignCStr(value);
    FormatControlText(formatted, *this);
    if (formatted.View() != Text()) {
        StoreText(formatted.View());
        Redisplay();
    }
    TargetChanged(this, kTextReformatted);
    Record();
    if (password)
        formatted.WipeAndClear();
}

void TextField::SetTextKeepingSelection(std::string_view value, std::string_view before)
{
    StoreText(value);
    Redisplay();
    NotifyChanged();
    // Select what differs from the text before: the common head and tail stay unselected.
    const size_t shorter = std::min(value.size(), before.size());
    size_t head = 0;
    while (head < shorter && value[head] == before[head])
        ++head;
    size_t tail = 0;
    while (tail < shorter && value[value.size() - 1 - tail] == before[before.size() - 1 - tail])
        ++tail;
    if (head + tail > shorter) {
        SetSelection(0, int32_t(value.size()));
        return;
    }
    const int32_t start = Utf8SafeCut(value, int32_t(head));
    const int32_t end = Utf8BoundaryAfter(value, int32_t(value.size() - tail));
    SetSelection(start, end - start);
}

void TextField::SetPasswordMode(bool flag)
{
    if (password == flag)
        return;
    if (IsEditing() && window)
        window->ClearFocusedControl();
    password = flag;
    if (password)
        history.Wipe();
    Invalidate();
}

// --- commands ----------------------------------------------------------------------------------------

void TextField::Undo()
{
    if (password)
        return;
    std::string before(Text());
    std::string previous;
    if (history.Undo(before, previous))
        SetTextKeepingSelection(previous, before);
}

void TextField::Redo()
{
    if (password)
        return;
    std::string before(Text());
    std::string next;
    if (history.Redo(next))
        SetTextKeepingSelection(next, before);
}

void TextField::Copy()
{
    if (password || SelectionLength() == 0)
        return;
    PutClipboardText(Text().substr(size_t(SelectionStart()), size_t(SelectionLength())));
}

void TextField::Cut()
{
    if (password || SelectionLength() == 0)
        return;
    Copy();
    Record();
    Clear();
}

void TextField::Paste()
{
    std::optional<std::string> clip = GetClipboardText();
    if (!clip || clip->empty())
        return;
    Record();
    ReplaceSelectionBytes(clip->data(), int32_t(clip->size()));
}

void TextField::Clear()
{
    if (SelectionLength() == 0)
        return;
    ReplaceRange(SelectionStart(), SelectionLength(), {});
}

void TextField::Duplicate()
{
    if (SelectionLength() == 0)
        return;
    const int32_t end = SelectionStart() + SelectionLength();
    std::string copy(Text().substr(size_t(SelectionStart()), size_t(SelectionLength())));
    ReplaceRange(end, 0, copy);
    SetSelection(end, int32_t(copy.size()));
}

bool TextField::ClipboardOffered() const { return ClipboardHasText(); }

int32_t TextField::DoCommand(MenuItem& item)
{
    if (int32_t taken = Control::DoCommand(item))
        return taken;
    switch (item.Command()) {
    case kCommandUndo: Undo(); return 1;
    case kCommandRedo: Redo(); return 1;
    case kCommandCut: Cut(); return 1;
    case kCommandCopy: Copy(); return 1;
    case kCommandPaste: Paste(); return 1;
    case kCommandClear: Clear(); return 1;
    case kCommandDuplicate: Duplicate(); return 1;
    case kCommandSelectAll: SelectAll(); return 1;
    default: return 0;
    }
}

void TextField::UpdateMenus()
{
    Control::UpdateMenus();
    if (IsEditing() && !password) {
        std::string_view current = Text();
        EnableEditItem(kCommandUndo, history.CanUndo(current));
        EnableEditItem(kCommandRedo, history.CanRedo());
    }
    const bool selected = SelectionLength() > 0;
    EnableEditItem(kCommandCut, selected && !password);
    EnableEditItem(kCommandCopy, selected && !password);
    EnableEditItem(kCommandClear, selected);
    EnableEditItem(kCommandDuplicate, selected);
    EnableEditItem(kCommandSelectAll, SelectionLength() < TextLength());
    EnableEditItem(kCommandPaste, ClipboardOffered());
}

void TextField::HandleMessage(MenuRequest& record)
{
    if (!contextMenu || record.pane != this) {
        Control::HandleMessage(record);
        return;
    }
    const bool selected = SelectionLength() > 0;
    if (record.phase == 0) {
        if (selected && !password) {
            AddMenuCommand(record, kMenuCut, true);
            AddMenuCommand(record, kMenuCopy, false);
        }
        if (ClipboardOffered())
            AddMenuCommand(record, kMenuPaste, !(selected && !password));
        if (selected) {
            AddMenuCommand(record, kMenuClear, true);
            AddMenuCommand(record, kMenuDuplicate, false);
        }
        if (SelectionLength() < TextLength())
            AddMenuCommand(record, kMenuSelectAll, true);
        if (linkMode == TextLinkMode::Clickable && !password)
            AddMenuCommand(record, kMenuMakeLink, true);
    } else if (record.phase == 3) {
        switch (record.index) {
        case kMenuCut: Cut(); break;
        case kMenuCopy: Copy(); break;
        case kMenuPaste: Paste(); break;
        case kMenuClear: Clear(); break;
        case kMenuDuplicate: Duplicate(); break;
        case kMenuSelectAll: SelectAll(); break;
        case kMenuMakeLink: EditLinkAtSelection(); break;
        default: Control::HandleMessage(record); break;
        }
    } else {
        Control::HandleMessage(record);
    }
}

// --- input -------------------------------------------------------------------------------------------

int32_t TextField::KeyDown(InputEvent& event, Pane* pane)
{
    if (IsFocused()) {
        switch (event.key) {
        case 3:
            Commit();
            SelectAll();
            break;
        case 9: Commit(); break;
        case 13:
            if (returnMode == ReturnMode::Commit) {
                Commit();
                SelectAll();
            }
            break;
        case 30:
        case 31: Record(); break;
        default: break;
        }
    }
    // A field that types Return keeps it from the window's default button.
    const bool typesReturn = event.key == 13 && returnMode == ReturnMode::Type && IsEditing();
    if (!typesReturn) {
        if (int32_t taken = Control::KeyDown(event, pane))
            return taken;
    }
    if (!IsEditing())
        return 0;
    if (event.command && event.key != 1 && event.key != 4)
        return 0;
    if (event.key == 13 && !typesReturn)
        return 1;
    if (event.key == kKeyF1) {
        if (!password && history.CanUndo(Text()))
            Undo();
        return 1;
    }
    bool changed = false;
    edit.HandleKey(event, changed);
    if (changed)
        NotifyChanged();
    return 1;
}

int32_t TextField::Click(InputEvent& event, Pane* pane)
{
    FetchEditText();
    Record();
    const bool context = event.rightButton || event.control;
    // A link of a field that is not being edited is followed (or, with a modifier, offers its menu).
    if (linkMode == TextLinkMode::Clickable && !IsEditing() && !password && IsEnabled() && pane == this &&
        TrackLinkClick(*this, textRect, text.CStr(), event, hovered, nullptr) != 0)
        return 1;
    int32_t taken = Control::Click(event, pane);
    if (!context) {
        if (!IsEditing() || !IsPointInRect(event.point, textRect))
            return taken;
        if (event.tripleClick) {
            edit.SelectAll();
            return 1;
        }
        Point origin = windowOffset;
        if (window) {
            origin.v = int16_t(origin.v + window->Position().v);
            origin.h = int16_t(origin.h + window->Position().h);
        }
        edit.Click(event, origin);
        return 1;
    }
    if (IsEnabled() && pane == this) {
        if (!IsFocused())
            TakeFocus();
        TrackPaneDrag(*this, 0, event, -1);
        return 1;
    }
    return taken;
}

int32_t TextField::Wheel(InputEvent& event, int32_t lines)
{
    if (IsEditing() && IsPointInRect(event.point, textRect)) {
        edit.ScrollLines(-lines);
        return 1;
    }
    return Control::Wheel(event, lines);
}

void TextField::FocusChanged(InputEvent& event, int32_t code)
{
    Control::FocusChanged(event, code);
    if (code == kHoverLeft) {
        mouseInside = false;
        hovered = LinkHighlight{};
        InvalidateRect(textRect, 0);
    } else {
        mouseInside = true;
        if (linkMode == TextLinkMode::Clickable && !IsEditing() && !password)
            FindLinkAt(*this, textRect, text.CStr(), event, hovered);
    }
}

int32_t TextField::AdjustCursor(InputEvent& event, Pane* pane)
{
    int32_t taken = Control::AdjustCursor(event, pane);
    if (IsEnabled() && IsPointInRect(event.point, textRect)) {
        SetCursorById(kIBeamCursor);
        return 1;
    }
    return taken;
}

int32_t TextField::AcceptDrop(TransferData& package)
{
    if (int32_t taken = Control::AcceptDrop(package))
        return taken;
    if (!IsEnabled())
        return 0;
    if (linkMode == TextLinkMode::Clickable && !password) {
        // A file or folder becomes a file link named by its file name.
        if (TransferItem* file = package.FindItem(kTransferFile | kTransferFolder); file != nullptr && file->file) {
            LinkScanner link;
            link.type = LinkType::File;
            link.target.AssignCStr(file->file->CStr());
            file->file->GetFileName(link.text);
            String markup;
            LinkRegistry::ToMarkup(link, markup);
            InsertDropped(markup.View());
            return 1;
        }
        if (TransferItem* item = package.FindItem(kTransferLinkText)) {
            InsertDropped(item->bytes);
            return 1;
        }
    }
    TransferItem* item = package.FindItem(kTransferText);
    if (!item)
        return 0;
    InsertDropped(item->bytes);
    return 1;
}

void TextField::SetLinkMode(TextLinkMode mode)
{
    if (mode == linkMode)
        return;
    linkMode = mode;
    hovered = LinkHighlight{};
    Invalidate();
}

void TextField::ApplyLinkMode(String& value) const
{
    if (linkMode == TextLinkMode::Clickable && linkRegistry != nullptr)
        linkRegistry->ApplyTextMode(value, 1);
}

void TextField::EditLinkAtSelection()
{
    FetchEditText();
    const int32_t start = SelectionStart();
    String source;
    source.AssignBytes(text.View());
    const int32_t length = MakeLinkFromSelection(*this, source, start, SelectionLength());
    if (source.View() == text.View())
        return;
    SetTextAfterLink(source.CStr());
    SetSelection(start, length);
}

void TextField::InsertDropped(std::string_view bytes)
{
    FetchEditText();
    Record();
    if (replaceOnDrop)
        SetSelection(0, TextLength());
    const int32_t start = SelectionStart();
    std::string copy(bytes.substr(0, bytes.find('\0')));
    ReplaceRange(start, SelectionLength(), copy);
    SetTextAfterLink(std::string(Text()).c_str());
    if (replaceOnDrop)
        SetSelection(0, TextLength());
    else
        SetSelection(start + int32_t(copy.size()), 0);
}

// --- geometry and drawing ----------------------------------------------------------------------------

void TextField::Moved(int32_t dx, int32_t dy)
{
    if (IsEditing())
        edit.Idle(CurrentTimeMs());
    Control::Moved(dx, dy);
}

void TextField::Resized(int32_t dw, int32_t dh)
{
    Control::Resized(dw, dh);
    textRect.right = ClampCoordinate(textRect.right + dw);
    textRect.bottom = ClampCoordinate(textRect.bottom + dh);
    if (IsEditing())
        edit.Resize(dw, dh);
}

void TextField::SetTextRight(int32_t right)
{
    const int32_t dw = right - textRect.right;
    if (dw == 0)
        return;
    textRect.right = ClampCoordinate(right);
    if (IsEditing())
        edit.Resize(dw, 0);
    Invalidate();
}

void TextField::BuildShape()
{
    Rect shape = bounds;
    OutsetRect(shape, framed ? 3 : 2);
    controlRegion.SetRect(shape);
}

void TextField::Draw()
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    if (!IsEnabled())
        port->SetForeColor(TableColor(8));
    if (IsEditing()) {
        edit.Draw();
        return;
    }
    if (password) {
        std::string bullets = FieldBullets(text.View());
        DrawTextInRect(textRect, bullets);
        return;
    }
    if (linkMode == TextLinkMode::Clickable) {
        DrawLinkedText(*this, textRect, text.CStr(), hovered);
        return;
    }
    if ((linkMode == TextLinkMode::Formatted || linkMode == TextLinkMode::FormattedEdit) && linkRegistry != nullptr) {
        String shown;
        linkRegistry->FormatText(shown, text.CStr());
        DrawTextInRect(textRect, shown.View());
        return;
    }
    DrawTextInRect(textRect, text.View());
}

void TextField::DrawFrame()
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr)
        return;
    const RgbColor fore = port->ForeColor();
    if (framed) {
        Rect frame = bounds;
        OutsetRect(frame, 3);
        port->SetForeColor(TableColor(4));
        port->FrameRect(frame);
        if (IsEnabled()) {
            port->SetForeColor(TableColor(3));
            port->MoveTo(frame.left + 1, frame.top + 1);
            port->LineTo(frame.right - 3, frame.top + 1);
            port->SetForeColor(TableColor(6));
            port->MoveTo(frame.left, frame.top);
            port->LineTo(frame.right - 1, frame.top);
        }
    }
    port->SetForeColor(fore);
    if (dropHighlight) {
        Rect inner = bounds;
        OutsetRect(inner, 2);
        port->SetForeColor(TableColor(6));
        port->FrameRect(inner);
        port->SetForeColor(fore);
    } else if (ShowsFocus()) {
        DrawFocusRing(bounds);
    }
}

}  // namespace vek
