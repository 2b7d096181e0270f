// Dialog: the base of the application-modal dialogs, built on their run function's stack.
#pragma once

#include <cstdint>

#include "gui/Window.h"

namespace vek {

class Control;
class LinkRegistry;

// The buttons' commands of every dialog: the default button (apply and close) and Cancel.
constexpr int32_t kDialogDefaultCommand = 700;
constexpr int32_t kDialogCancelCommand = 701;

// What a dialog is about: the object whose dialog it is (a base; compared by identity only, so that
// this library needs no model types) and the link registry its texts are shown and followed with.
// Both are null for the small dialogs.
struct DialogOwner {
    const void* object = nullptr;
    LinkRegistry* links = nullptr;
};

// A window of kind 3, centred, that a run function builds, runs with RunModal, reads and destroys.
// Results are fields of the derived dialog, set by its handlers before the run ends. A derived class
// adds its controls and ends its constructor with FinishConstruction.
//
// The default button (700) and Cancel (701) both end the run: 700 after Confirm agreed, 701 after
// Cancel. Nobody attending, RunModal presses the default button at once; a dialog whose defaults
// could destroy something overrides Confirm to keep what is there.
class Dialog : public Window {
public:
    // A parent window that is hidden makes the dialog hidden too. The owner's link registry, when it
    // has one, replaces the one taken from the parent.
    Dialog(int16_t width, int16_t height, const DialogOwner& owner, Window* parent);
    ~Dialog() override;

    CommandTarget* ControlCommand(Control& control) override;

    // The command of a pressed control: 700 for the default button, 701 for the cancel button, the
    // control's id for anything else.
    static int32_t CommandOf(Control& control);

    const void* OwnerObject() const { return ownerObject; }
    bool WasCancelled() const { return cancelled; }

    // For the first window in the modal chain that belongs to the owner (its own owner object, or
    // for an alert over a dialog the dialog's), PressDefault presses its default button and
    // WindowsOnly its cancel button; when the window has no such button (or another mode is given) it
    // is activated and 0 is answered. 1: no dialog of the owner stands in the way any more.
    static int32_t ActivateOwnedDialog(const void* owner, CloseMode mode);

protected:
    // Takes the edited values before a 700 ends the run; false keeps the dialog open.
    virtual bool Confirm() { return true; }
    // Puts the cancel results in place before a 701 ends the run.
    virtual void Cancel() {}
    // Any other pressed control.
    virtual void Command(int32_t command, Control& control);

private:
    const void* ownerObject = nullptr;
    bool cancelled = false;
};

// Sets the window's title to a text whose "@0" is replaced by the other window's title.
void SetTitleAfterWindow(Window& window, const Window& other, int32_t textId);

}  // namespace vek
