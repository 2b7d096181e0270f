// TextField: the editable text control of dialogs and document windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/strings/String.h"
#include "gui/Control.h"
#include "gui/editing/EditField.h"
#include "gui/editing/EditHistory.h"
#include "gui/links/LinkedText.h"

namespace vek {

// Codes the field sends upward through TargetChanged.
enum TextFieldNotice : int32_t {
    kTextFocusGained = 0,
    kTextChanged = 1,
    kTextCommitted = 2,    // once per completed edit: on focus loss, Return, Enter or Tab, after a change
    kTextReformatted = 3,  // replaced through SetTextAfterLink
    kTextFocusLost = 4,
};

// What Return does in a field.
enum class ReturnMode : int32_t { Commit = 0, Swallow = 1, Type = 2 };

// How a field treats link markup in its text (through the pane's link registry).
enum class TextLinkMode : int32_t {
    Plain = 0,          // markup is text like any other
    Clickable = 1,      // links drawn as links, hovered and followed while the field is not editing;
                        // inserted text is put in canonical markup, the context menu makes a link of
                        // the selection, and dropped files and links become links
    Formatted = 2,      // drawn in the display form while not editing
    FormattedEdit = 3,  // the display form also in the edit record
};

// The text lives in a String while the field is not editing; while it has the keyboard focus in an
// active window an EditField over it does the typing, caret and selection, and the text is fetched
// back from it whenever it is read. Undo keeps up to 12 snapshots. A password field shows a bullet per
// character, keeps no history and wipes its buffers when it gives them up; its text never goes to
// the clipboard.
class TextField : public Control {
public:
    // The frame is {top, left, height, width}; framed draws the etched frame.
    TextField(Pane& enclosure, const OriginSize& frame, int32_t id, bool framed, bool finish);
    ~TextField() override;

    CommandTarget* Notify(int32_t code) override;
    void UpdateMenus() override;
    int32_t DoCommand(MenuItem& item) override;
    int32_t AcceptDrop(TransferData& package) override;
    void FocusChanged(InputEvent& event, int32_t code) override;
    int32_t AdjustCursor(InputEvent& event, Pane* pane) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t Wheel(InputEvent& event, int32_t lines) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    CommandTarget* TargetChanged(CommandTarget* target, int32_t code) override;
    void HandleMessage(MenuRequest& record) override;
    void Moved(int32_t dx, int32_t dy) override;
    void Resized(int32_t dw, int32_t dh) override;
    void Draw() override;
    void DrawFrame() override;
    void CommitEdit() override;
    void BuildShape() override;
    int32_t CanTakeFocus() override { return 1; }

    // Text: each replaces the whole text and clears the history.
    void SetText(const char* text);
    void SetTextBytes(const char* bytes, int32_t length);
    void ClearText();
    // The text as it stands (fetched from the edit record while editing).
    std::string_view Text();
    int32_t TextLength();

    // Byte offsets: a start of -1 or beyond the end means the end, -2 means 0; the length is clipped.
    int32_t SelectionStart();
    int32_t SelectionLength();
    void SetSelection(int32_t start, int32_t length);
    void SelectAll();
    // Replaces the selection (only a different result is stored and reported) and puts the caret
    // behind the inserted bytes.
    void ReplaceSelection(const char* text);
    void ReplaceSelectionBytes(const char* bytes, int32_t length);

    void SetPasswordMode(bool flag);
    bool IsPassword() const { return password; }
    void SetReturnMode(ReturnMode mode) { returnMode = mode; }
    void SetReplaceOnDrop(bool flag) { replaceOnDrop = flag; }
    void SetContextMenu(bool flag) { contextMenu = flag; }
    void SetLinkMode(TextLinkMode mode);
    TextLinkMode LinkMode() const { return linkMode; }
    // The text as the link mode keeps it: links in canonical markup in Clickable mode.
    void ApplyLinkMode(String& value) const;
    // Makes a link of the selection with the link dialog (LinkedText.h); a changed text is applied
    // with SetTextAfterLink and the link selected.
    void EditLinkAtSelection();
    const LinkHighlight& HoveredLink() const { return hovered; }
    // The owner's formatting: offered the text, stored when it differs, code 3 sent, recorded.
    void SetTextAfterLink(const char* text);

    // The edit commands.
    void Undo();
    void Redo();
    void Cut();
    void Copy();
    void Paste();
    void Clear();
    void Duplicate();

    bool IsEditing() const { return edit.IsActive(); }
    const EditField& EditRecord() const { return edit; }
    const EditHistory& History() const { return history; }
    const Rect& TextRect() const { return textRect; }

protected:
    // Moves the right edge of the text area (a derived field keeps a mark beside its text).
    void SetTextRight(int32_t right);

private:
    void FocusChanged();
    void UpdateEditing();
    void FetchEditText();
    void Redisplay();
    void NotifyChanged();
    void Commit();
    void Record();
    void StoreText(std::string_view value);
    void SetTextKeepingSelection(std::string_view value, std::string_view before);
    void ReplaceRange(int32_t start, int32_t length, std::string_view bytes);
    void InsertDropped(std::string_view bytes);
    bool ClipboardOffered() const;

    Rect textRect;
    String text;
    EditHistory history;
    EditField edit;
    bool editStarted = false;
    int32_t selectionStart = 0;
    int32_t selectionLength = 0;
    bool framed = false;
    bool password = false;
    bool fetched = false;
    bool committed = true;
    bool notifying = false;
    bool committing = false;
    bool mouseInside = false;
    bool contextMenu = true;
    bool dropHighlight = false;
    bool replaceOnDrop = false;
    ReturnMode returnMode = ReturnMode::Commit;
    TextLinkMode linkMode = TextLinkMode::Plain;
    LinkHighlight hovered;
};

}  // namespace vek
