// LinkDialog: the dialog that edits one link of a text: its link text, its target and its kind.
#pragma once

#include <cstdint>
#include <string>

#include "gui/dialogs/Dialog.h"
#include "gui/editing/TextField.h"
#include "text/LinkRegistry.h"

namespace vek {

class LinkDialog;
class PopupButton;
class PushButton;

// Which fields a drop on the dialog fills.
constexpr int32_t kLinkDropText = 1;
constexpr int32_t kLinkDropTarget = 2;
constexpr int32_t kLinkDropBoth = kLinkDropText | kLinkDropTarget;

// A framed text field of the link dialog: a drop on it goes to the dialog first (a file, a folder or
// a link fills the field it was dropped on), then to the field itself.
class DropTextField final : public TextField {
public:
    DropTextField(LinkDialog& dialog, const OriginSize& frame, int32_t id, int32_t fills);
    ~DropTextField() override;

    void DragFeedback(int32_t code, DragReference* drag) override;
    int32_t AcceptDrop(TransferData& package) override;

private:
    LinkDialog& dialog;
    int32_t fills;
};

// Edits a link found in a source text (the scanner holds its kind, text, target and the span of its
// markup). OK rebuilds the link's markup in the source; Cancel changes nothing. The kinds offered are
// "URL", "File" and the registry's kinds that have an attribute; the file button (for file links)
// asks for the file.
class LinkDialog final : public Dialog {
public:
    static constexpr int16_t kWidth = 440;
    static constexpr int16_t kHeight = 160;
    // Control ids.
    static constexpr int32_t kTextField = 0;
    static constexpr int32_t kTargetField = 1;
    static constexpr int32_t kKindPopup = 2;
    static constexpr int32_t kFileButton = 3;

    // The registry is the pane's; the window of the pane owns the dialog.
    LinkDialog(LinkScanner& scanner, String& source, Pane& pane);
    ~LinkDialog() override;

    CommandTarget* TargetChanged(CommandTarget* target, int32_t code) override;
    CommandTarget* FormatControlText(String& text, Control& control) override;
    CommandTarget* PopupNotify(PopupItemRecord& record) override;
    int32_t AcceptDrop(TransferData& package) override;
    void Draw() override;

    // The kind choices of the popup: 0 "URL", 1 "File", then the kinds with an attribute in list order.
    int32_t KindChoiceCount() const;
    std::string KindChoiceLabel(int32_t choice) const;
    int32_t KindChoiceIndex() const;
    void SetKindChoice(int32_t choice);
    // Classifies a typed or dropped target: a link sets the kind (and a registered kind refreshes the
    // link text); anything else empties the target. The target field shows the cleaned target.
    void ApplyTarget(const char* text);
    // Fills the fields a drop names from a file or folder item, else from a link in a text item;
    // answers whether something was taken.
    int32_t AcceptDropOn(TransferData& package, int32_t fills);
    // The file button: asks for a file starting at the target and applies the choice to both fields.
    void ChooseFile();

    // Runs modally; true after OK.
    bool Run();

    const LinkScanner& Working() const { return link; }
    TextField& TextFieldControl() const { return *textField; }
    TextField& TargetField() const { return *targetField; }
    PopupButton& KindPopup() const { return *kindPopup; }
    PushButton& FileButton() const { return *fileButton; }
    bool DropHighlight() const { return dropHighlight; }

protected:
    bool Confirm() override;
    void Command(int32_t command, Control& control) override;

private:
    const LinkKind* AttributedKind(int32_t index) const;
    void RefreshFileButton();

    LinkScanner& scanner;
    String& source;
    const LinkRegistry* registry;
    LinkScanner link;
    DropTextField* textField = nullptr;
    DropTextField* targetField = nullptr;
    PopupButton* kindPopup = nullptr;
    PushButton* fileButton = nullptr;
    bool dropHighlight = false;
};

// Builds the dialog for a link of a source text shown in the pane, runs it and destroys it; true when
// the source was rebuilt (OK).
bool RunLinkDialog(LinkScanner& scanner, String& source, Pane& pane);

// The GUI's start-up step for links: the link dialog answers LinkDialogRunner.
void RegisterLinkDialog();

}  // namespace vek
