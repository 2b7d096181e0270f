// Window: the pane that owns a platform window, its placement, keyboard focus, dispatch and modal run.
#pragma once

#include <memory>
#include <string>

#include "gui/Pane.h"
#include "gui/PlatformWindow.h"
#include "gui/PrintJob.h"
#include "platform/events/ActionThreads.h"

namespace vek {

class PushButton;

// Kind of plain windows and dialogs (kind 3): centred when placed, focus their first control, do
// not close from their close box.
constexpr int32_t kKindDialogWindow = 3;

// A window of the application: always its child, placed on the screen when made. It keeps the
// keyboard focus (the focused control) and the focus ring, dispatches mouse-downs and wheel turns to
// the pane under the pointer, handles Tab, Return, Enter and Escape, and can run modally.
class Window : public Pane {
public:
    // frame is {top, left, height, width} on the screen; a zero position asks for placement (centred
    // for kind 3, staggered otherwise), a zero size for the whole available area. With finish, the
    // constructor finishes construction (a derived class passes false and finishes itself).
    Window(int32_t kind, const OriginSize& frame, int32_t options, Window* owner, bool finish);
    ~Window() override;

    CommandTarget* Notify(int32_t code) override;
    void UpdateMenus() override;
    int32_t DoCommand(MenuItem& item) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    int32_t CanClose(CloseMode mode) override;
    void GetContentRect(Rect& rect) override;
    int32_t CanActivate() override { return IsVisible() ? 1 : 0; }
    void BringToFront() override;
    void CalcVisibleRegion() override;
    void UpdateVisibleRegions(bool force) override;
    void BoundsChanged(int32_t dx, int32_t dy, int32_t dw, int32_t dh) override;
    void ClipToShape(Region& region) override;
    void ClipRegion(Region& region) override;

    // Mouse and wheel entry points (points in content coordinates). Answers whether taken.
    int32_t DispatchMouseDown(InputEvent& event);
    int32_t DispatchWheel(InputEvent& event, int32_t delta);

    // The keyboard focus.
    Control* FocusedControl() const { return focusedControl; }
    void SetFocusedControl(Control* control) { focusedControl = control; }
    void ClearFocusedControl();
    bool IsFocusShown() const { return focusShown; }
    void HideFocusRing();
    void FocusFirstControl();

    // Dialog buttons: the first push button along the focus chain with the default (cancel) flag, or
    // whose label begins with the character (case-insensitive); null when there is none.
    PushButton* FindDefaultButton();
    PushButton* FindCancelButton();
    PushButton* FindButtonByInitial(uint32_t codePoint);
    // CloseMode::PressDefault presses the default button, WindowsOnly the cancel button; 1 when one
    // was pressed.
    int32_t EndModalWithButton(CloseMode mode);
    // OK (700, the default button) and Cancel (701) in the bottom-right corner; answers OK.
    PushButton* AddDialogButtons(int32_t buttonOptions);

    // Title.
    void SetTitle(const char* text);
    void SetTitleById(int32_t textId);
    const std::string& Title() const { return title; }
    // The mark that the window's document has changes not saved (the window system shows it with the
    // title).
    void SetModifiedMark(bool modified);
    bool ModifiedMark() const { return platformWindow->modified; }

    // Update region (window coordinates) and drawing.
    const Region& UpdateRegion() const { return platformWindow->updateRegion; }
    void AddToUpdateRegion(const Region& region);
    // Draws the region (window coordinates) now, children included, and takes it out of the update.
    void RedrawNow(const Region& region);
    // Draws whatever waits in the update region.
    void Update();
    // The content's picture as PNG bytes (the whole window redrawn first).
    std::string RenderPng();
    PlatformWindow& Platform() { return *platformWindow; }

    // Printing: from an action thread, asks the main thread to print the window (mode 0 with the
    // print dialog) and returns once the job ended; a second request waits for the first. Nothing
    // starts while an error is pending.
    void PostPrintRequest(int32_t mode);
    PrintJob* CurrentPrintJob() const { return printJob.get(); }
    // The window lays out its pages (phase 1: sets the page count) and draws the current page into the
    // focused page (phase 2); the base prints nothing.
    virtual void PrintPhase(PrintJob& job);

    // Owner, modal run.
    Window* Owner() const { return owner; }
    void SetOwner(Window* window);
    // Runs the window modally until EndModal; answers at once (pressing the default button when there
    // is one) when the window is invisible, or unattended and not always interactive.
    void RunModal();
    void EndModal();
    bool IsModal() const { return modal; }
    static Window* FirstModalWindow();
    Window* NextModal() const { return nextModal; }
    bool alwaysInteractive = false;

    // The global point where the next staggered or centred window is placed around.
    static void SetPlacementPoint(Point global);
    static bool FocusByClick();

private:
    void Place(OriginSize& frame);
    PushButton* FindButton(bool (*matches)(const PushButton& button, uint32_t key), uint32_t key);

    std::unique_ptr<PlatformWindow> platformWindow;
    std::unique_ptr<PrintJob> printJob;
    std::string title;
    int32_t titleId = 0;
    int32_t options = 0;
    Window* owner = nullptr;
    Window* nextModal = nullptr;
    bool modal = false;
    ModalLoop modalLoop;
    Control* focusedControl = nullptr;
    bool focusShown = false;
    int64_t lastInputTime = 0;
};

}  // namespace vek
