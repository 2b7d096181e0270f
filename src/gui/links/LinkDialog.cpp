// LinkDialog: the fields, the kind popup, drops, the file button and the rebuilt markup.
#include "gui/links/LinkDialog.h"

#include <cstring>

#include "drawing/ColorTable.h"
#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Service.h"
#include "gui/DrawingRoutines.h"
#include "gui/PushButton.h"
#include "gui/TransferData.h"
#include "gui/links/LinkedText.h"
#include "gui/lists/PopupButton.h"
#include "gui/lists/PopupItemRecord.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

constexpr OriginSize kLinkTextFrame{16, 70, 12, 355};
constexpr OriginSize kLinkTargetFrame{40, 70, 36, 355};
constexpr OriginSize kLinkKindFrame{88, 10, 15, 150};
constexpr OriginSize kLinkFileButtonFrame{86, 335, 20, 90};
constexpr Rect kLinkTextLabelRect{16, 10, 44, 80};
constexpr Rect kLinkTargetLabelRect{40, 10, 68, 70};
constexpr int32_t kLinkKindLabelWidth = 58;
constexpr int32_t kLinkDropFrameColour = 6;
// Every kind of file may be linked.
constexpr uint32_t kLinkAnyFileKind = 0xFFFFFFFF;

Window* LinkDialogParent(Pane& pane)
{
    return pane.GetWindow();
}

class DialogLinkRunner final : public LinkDialogRunner {
public:
    bool Run(LinkScanner& scanner, String& source, Pane& pane) override { return RunLinkDialog(scanner, source, pane); }
};

}  // namespace

// --- DropTextField ------------------------------------------------------------------------------------

DropTextField::DropTextField(LinkDialog& dialog, const OriginSize& frame, int32_t id, int32_t fills)
    : TextField(dialog, frame, id, true, false), dialog(dialog), fills(fills)
{
    FinishConstruction();
}

DropTextField::~DropTextField()
{
    PrepareDestruction();
}

void DropTextField::DragFeedback(int32_t code, DragReference* drag)
{
    TextField::DragFeedback(code, drag);
}

int32_t DropTextField::AcceptDrop(TransferData& package)
{
    if (dialog.AcceptDropOn(package, fills))
        return 1;
    return TextField::AcceptDrop(package);
}

// --- LinkDialog ---------------------------------------------------------------------------------------

LinkDialog::LinkDialog(LinkScanner& scanner, String& source, Pane& pane)
    : Dialog(kWidth, kHeight, DialogOwner{nullptr, pane.GetLinkRegistry()}, LinkDialogParent(pane)), scanner(scanner),
      source(source), registry(pane.GetLinkRegistry())
{
    SetTitleById(text::kLinkDialogTitle);
    link.CopyFrom(scanner);
    textField = new DropTextField(*this, kLinkTextFrame, kTextField, kLinkDropText);
    textField->SetText(link.text.CStr());
    targetField = new DropTextField(*this, kLinkTargetFrame, kTargetField, kLinkDropTarget);
    targetField->SetTextFlags(kTextWrap, kTextWrap);
    targetField->SetText(link.target.CStr());
    kindPopup = new PopupButton(*this, kLinkKindFrame, kKindPopup, KindChoiceCount(), KindChoiceIndex(), true);
    kindPopup->SetTitle(text::kLinkKindLabel);
    kindPopup->SetLabelWidth(kLinkKindLabelWidth);
    fileButton = new PushButton(*this, kLinkFileButtonFrame, kFileButton);
    fileButton->SetLabel(text::kChooseFile);
    AddDialogButtons(0);
    RefreshFileButton();
    FinishConstruction();
}

LinkDialog::~LinkDialog()
{
    PrepareDestruction();
}

const LinkKind* LinkDialog::AttributedKind(int32_t index) const
{
    if (registry == nullptr)
        return nullptr;
    for (const auto& kind : registry->Kinds()) {
        if (kind->Attribute().empty())
            continue;
        if (index-- == 0)
            return kind.get();
    }
    return nullptr;
}

int32_t LinkDialog::KindChoiceCount() const
{
    int32_t count = 2;
    while (AttributedKind(count - 2) != nullptr)
        ++count;
    return count;
}

std::string LinkDialog::KindChoiceLabel(int32_t choice) const
{
    if (choice == 0)
        return "URL";
    const char* text = nullptr;
    if (choice == 1)
        text = LoadText(text::kFileLinkLabel);
    else if (const LinkKind* kind = AttributedKind(choice - 2))
        text = LoadText(kind->LabelTextId());
    return text != nullptr ? text : "";
}

int32_t LinkDialog::KindChoiceIndex() const
{
    switch (link.type) {
    case LinkType::File: return 1;
    case LinkType::Registered:
        for (int32_t i = 0; const LinkKind* kind = AttributedKind(i); ++i)
            if (kind == link.kind)
                return i + 2;
        return 0;
    default: return 0;
    }
}

void LinkDialog::SetKindChoice(int32_t choice)
{
    if (choice <= 0) {
        link.type = LinkType::Url;
        link.kind = nullptr;
    } else if (choice == 1) {
        link.type = LinkType::File;
        link.kind = nullptr;
    } else if (const LinkKind* kind = AttributedKind(choice - 2)) {
        link.type = LinkType::Registered;
        link.kind = const_cast<LinkKind*>(kind);
    }
    if (kindPopup->CurrentItem() != KindChoiceIndex())
        kindPopup->SelectItem(KindChoiceIndex(), 0);
    RefreshFileButton();
    Invalidate();
}

void LinkDialog::RefreshFileButton()
{
    fileButton->SetVisible(link.type == LinkType::File);
}

void LinkDialog::ApplyTarget(const char* text)
{
    String trimmed;
    trimmed.AssignCStr(text);
    trimmed.Trim();
    LinkScanner found;
    found.CopyFrom(link);
    if (registry != nullptr && registry->ClassifyTarget(found, trimmed.CStr()) != LinkType::None) {
        link.type = found.type;
        link.kind = found.kind;
        link.target.Assign(found.target);
        // A registered kind may name the object better than the typed link text did.
        if (found.type == LinkType::Registered && !found.text.IsEmpty() && found.text.View() != link.text.View()) {
            link.text.Assign(found.text);
            textField->SetText(link.text.CStr());
        }
        if (kindPopup->CurrentItem() != KindChoiceIndex())
            kindPopup->SelectItem(KindChoiceIndex(), 0);
        Invalidate();
    } else {
        link.target.Truncate(0);
    }
    if (targetField->Text() != link.target.View())
        targetField->SetText(link.target.CStr());
    RefreshFileButton();
}

int32_t LinkDialog::AcceptDropOn(TransferData& package, int32_t fills)
{
    if (TransferItem* item = package.FindItem(kTransferFile | kTransferFolder); item != nullptr && item->file) {
        if (fills & kLinkDropTarget) {
            link.type = LinkType::File;
            link.kind = nullptr;
            link.target.AssignCStr(item->file->CStr());
            targetField->SetText(link.target.CStr());
            SetKindChoice(1);
        }
        if (fills & kLinkDropText) {
            String name;
            item->file->GetFileName(name);
            link.text.Assign(name);
            textField->SetText(name.CStr());
        }
        return 1;
    }
    TransferItem* item = package.FindItem(kTransferLinkText);
    if (item == nullptr)
        item = package.FindItem(kTransferText);
    if (item == nullptr || registry == nullptr)
        return 0;
    String text;
    text.AssignBytes(item->bytes);
    LinkScanner found;
    String plain;
    int32_t position = 0;
    registry->NextLink(text.CStr(), position, found, plain);
    if (found.type == LinkType::None && registry->ClassifyTarget(found, text.CStr()) == LinkType::None)
        return 0;
    if (found.type == LinkType::Registered && found.kind != nullptr) {
        (void)found.kind->Resolve(found.target, found.text);
        found.kind->Normalize(found.target, found.text);
    }
    if (fills & kLinkDropTarget) {
        link.type = found.type;
        link.kind = found.kind;
        ApplyTarget(found.target.CStr());
    }
    if ((fills & kLinkDropText) && !found.text.IsEmpty()) {
        link.text.Assign(found.text);
        textField->SetText(found.text.CStr());
    }
    return 1;
}

int32_t LinkDialog::AcceptDrop(TransferData& package)
{
    dropHighlight = false;
    Invalidate();
    return AcceptDropOn(package, kLinkDropBoth);
}

CommandTarget* LinkDialog::TargetChanged(CommandTarget* target, int32_t code)
{
    CommandTarget* answer = Dialog::TargetChanged(target, code);
    if (code == kTextChanged)
        RefreshFileButton();
    return answer;
}

CommandTarget* LinkDialog::FormatControlText(String& text, Control& control)
{
    if (&control == textField) {
        text.Trim();
        link.text.Assign(text);
        return this;
    }
    if (&control == targetField) {
        ApplyTarget(text.CStr());
        text.Assign(link.target);
        return this;
    }
    return Dialog::FormatControlText(text, control);
}

CommandTarget* LinkDialog::PopupNotify(PopupItemRecord& record)
{
    if (record.popup != kindPopup)
        return Dialog::PopupNotify(record);
    if (record.kind == PopupItemKind::Describe) {
        const std::string label = KindChoiceLabel(record.index);
        std::strncpy(record.textBuffer, label.c_str(), sizeof record.textBuffer - 1);
        record.textBuffer[sizeof record.textBuffer - 1] = 0;
        record.text = record.textBuffer;
    } else {
        SetKindChoice(record.index);
    }
    return this;
}

void LinkDialog::Draw()
{
    Dialog::Draw();
    DrawTextById(kLinkTextLabelRect, text::kLinkTextLabel);
    const std::string kindLabel = KindChoiceLabel(KindChoiceIndex());
    DrawTextInBox(kLinkTargetLabelRect, kindLabel.c_str());
    if (dropHighlight) {
        if (DrawingPort* port = CurrentPort()) {
            const RgbColor fore = port->ForeColor();
            port->SetForeColor(TableColor(kLinkDropFrameColour));
            port->FrameRect(bounds);
            port->SetForeColor(fore);
        }
    }
}

void LinkDialog::ChooseFile()
{
    if (IsErrorPending())
        return;
    FilePath path;
    if (link.type == LinkType::File && !link.target.IsEmpty())
        path = FilePath(std::string(link.target.View()));
    if (!path.AskOpenFile(kLinkAnyFileKind)) {
        // Cancelling the file dialog leaves the link dialog as it was, and usable.
        if (GetPendingError().message.code == kMessageCancelled)
            ClearError();
        return;
    }
    TransferData package;
    package.AddFile(kTransferFile, path);
    (void)AcceptDropOn(package, kLinkDropBoth);
}

void LinkDialog::Command(int32_t command, Control& control)
{
    if (&control == fileButton) {
        ChooseFile();
        return;
    }
    Dialog::Command(command, control);
}

bool LinkDialog::Confirm()
{
    textField->CommitEdit();
    targetField->CommitEdit();
    link.text.AssignBytes(textField->Text());
    link.text.Trim();
    scanner.type = link.type;
    scanner.kind = link.kind;
    scanner.text.Assign(link.text);
    scanner.target.Assign(link.target);
    LinkRegistry::ReplaceInSource(scanner, source);
    return true;
}

bool LinkDialog::Run()
{
    RunModal();
    return !WasCancelled();
}

bool RunLinkDialog(LinkScanner& scanner, String& source, Pane& pane)
{
    LinkDialog dialog(scanner, source, pane);
    return dialog.Run();
}

void RegisterLinkDialog()
{
    static DialogLinkRunner runner;
    Service<LinkDialogRunner>::Register(&runner);
}

}  // namespace vek
