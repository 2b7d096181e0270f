// Dialog: construction, the two standard commands and the owner's dialogs in the modal chain.
#include "gui/dialogs/Dialog.h"

#include "foundation/messages/LocalizedText.h"
#include "foundation/strings/String.h"
#include "gui/Control.h"
#include "gui/PushButton.h"

namespace vek {

Dialog::Dialog(int16_t width, int16_t height, const DialogOwner& owner, Window* parent)
    : Window(kKindDialogWindow, OriginSize{0, 0, height, width}, 0, parent, false), ownerObject(owner.object)
{
    if (owner.links)
        linkRegistry = owner.links;
    if (parent && !parent->IsVisible())
        SetVisible(false);
}

Dialog::~Dialog() = default;

int32_t Dialog::CommandOf(Control& control)
{
    if (auto* button = dynamic_cast<PushButton*>(&control)) {
        if (button->IsDefault())
            return kDialogDefaultCommand;
        if (button->IsCancel())
            return kDialogCancelCommand;
    }
    return control.ControlId();
}

CommandTarget* Dialog::ControlCommand(Control& control)
{
    switch (const int32_t command = CommandOf(control)) {
    case kDialogDefaultCommand:
        if (Confirm()) {
            cancelled = false;
            EndModal();
        }
        break;
    case kDialogCancelCommand:
        Cancel();
        cancelled = true;
        EndModal();
        break;
    default:
        Command(command, control);
        break;
    }
    return this;
}

void Dialog::Command(int32_t, Control&) {}

// The owner object a modal window belongs to: a dialog's own, else (an alert over a dialog) the one
// of its parent window.
static const void* ModalWindowOwnerObject(const Window& window)
{
    if (const auto* dialog = dynamic_cast<const Dialog*>(&window); dialog && dialog->OwnerObject())
        return dialog->OwnerObject();
    if (const auto* parent = dynamic_cast<const Dialog*>(window.Owner()))
        return parent->OwnerObject();
    return nullptr;
}

int32_t Dialog::ActivateOwnedDialog(const void* owner, CloseMode mode)
{
    if (!owner)
        return 1;
    for (Window* window = Window::FirstModalWindow(); window; window = window->NextModal()) {
        if (ModalWindowOwnerObject(*window) != owner)
            continue;
        if (window->EndModalWithButton(mode))
            return 1;
        window->Activate();
        return 0;
    }
    return 1;
}

void SetTitleAfterWindow(Window& window, const Window& other, int32_t textId)
{
    String text;
    text.AssignCStr(LoadText(textId));
    text.SubstituteArgBytes(0, other.Title());
    window.SetTitle(text.CStr());
}

}  // namespace vek
