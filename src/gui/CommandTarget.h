// CommandTarget: the root of the GUI class tree; the target tree, activation, notifications, closing.
#pragma once

#include <atomic>
#include <cstdint>

#include "gui/GuiForward.h"
#include "drawing/Geometry.h"
#include "platform/events/CloseMode.h"

namespace vek {

// Notification codes sent downward through Notify (below 16 they reach children as ParentChanged).
enum NotifyCode : int32_t {
    kNotifyOpened = 0,
    kNotifyClosing = 1,
    kNotifyActivation = 2,
    kNotifyVisibility = 3,
    kNotifyEnabled = 4,
    kNotifyKeyboardFocus = 5,
    kNotifyFocusShown = 6,
    kNotifyBackground = 7,
    kNotifyTextStyle = 9,
    kNotifyTitle = 10,
    kNotifyTick = 17,
    kNotifyGlobalSetting = 18,
    kNotifyGlobalReset = 19,
    kNotifyWindowActivation = 20,
};

// Codes of DragFeedback.
enum DragFeedbackCode : int32_t { kDragEntered = 0, kDragInside = 1, kDragDropped = 2, kDragLeft = 3 };
// Codes of FocusChanged (pointer hover).
enum HoverCode : int32_t { kHoverEntered = 0, kHoverMoved = 1, kHoverLeft = 2 };

// The record of a target's background thread: written by the starter (stopRequested) and by the
// thread (running), one side each; the other side reads them while they change.
struct TargetThread {
    CommandTarget* target = nullptr;
    void* argument = nullptr;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> running{false};
};

// The application, every window, every pane and every control. A target owns its children (always
// panes, which carry the sibling links) and deletes them when it is deleted. Every subclass's
// constructor ends with FinishConstruction and every destructor begins with PrepareDestruction.
// Everything here runs on the main thread or in an action thread inside the UI lock.
class CommandTarget {
public:
    explicit CommandTarget(int32_t kind);
    virtual ~CommandTarget();
    CommandTarget(const CommandTarget&) = delete;
    CommandTarget& operator=(const CommandTarget&) = delete;

    // --- the virtual operations, in slot order -----------------------------------------------------
    virtual void Open();
    virtual void Close();
    virtual CommandTarget* Notify(int32_t code);
    virtual void ParentChanged(int32_t code);
    virtual void ChildChanged(int32_t code, Pane* child);
    virtual CommandTarget* Query(void* request);
    virtual void RunThread(TargetThread& record, void* argument);
    virtual void UpdateMenus();
    virtual int32_t DoCommand(MenuItem& item);
    virtual void OpenDocument(int32_t mode, const FilePath& file);
    virtual void DragFeedback(int32_t code, DragReference* drag);
    virtual int32_t AcceptDrop(TransferData& package);
    virtual void FocusChanged(InputEvent& event, int32_t code);
    virtual int32_t AdjustCursor(InputEvent& event, Pane* pane);
    virtual int32_t FirstClick(InputEvent& event, Pane* pane);
    virtual int32_t Click(InputEvent& event, Pane* pane);
    virtual int32_t Wheel(InputEvent& event, int32_t lines);
    virtual int32_t KeyDown(InputEvent& event, Pane* pane);
    virtual int32_t CanClose(CloseMode mode);
    virtual CommandTarget* TabNotify(TabNotice& record);
    virtual CommandTarget* TargetChanged(CommandTarget* target, int32_t code);
    virtual CommandTarget* FormatControlText(String& text, Control& control);
    virtual CommandTarget* ControlCommand(Control& control);
    virtual CommandTarget* ControlChanged(Control& control);
    virtual CommandTarget* RadioChanged(Control* previous, Control* current);
    virtual CommandTarget* PopupNotify(PopupItemRecord& record);
    virtual CommandTarget* ControlAction();
    virtual CommandTarget* ScrollChanged(ScrollNotice& record);
    virtual CommandTarget* RowCount(RowRequest& record);
    virtual CommandTarget* OutlineNotify(OutlineRequest& record);
    virtual void HandleMessage(MenuRequest& record);
    virtual void GetContentRect(Rect& rect);
    virtual void GetChildrenBounds(Point& point);
    virtual void Activate();
    virtual int32_t CanActivate();
    virtual void ResignActive();

    // --- construction and destruction --------------------------------------------------------------
    // Marks the target constructed, opens it and activates it when it accepts.
    void FinishConstruction();
    // When opened: deactivates (ResignActive first) and closes the target.
    void PrepareDestruction();

    // Nothing when the flag is already so; activating asks CanActivate and answers 0 when refused.
    // Sends Notify(2) on a change. Answers 1 otherwise.
    int32_t SetActive(bool flag);
    void ActivateFirstChild();

    // --- the child list (children are panes) -------------------------------------------------------
    void PrependChild(Pane& child);
    void AppendChild(Pane& child);
    void InsertChildAfter(Pane& child, Pane& sibling);
    // Before the first child that is not floating; appended when every child floats.
    void InsertChild(Pane& child);
    void RemoveChild(Pane& child);

    // Queues every child for deletion through DeferClose; 0 at the first refusal.
    int32_t CanCloseChildren(CloseMode mode);
    // Null answers 1. Otherwise deletes the target at once when CanClose agrees.
    static int32_t CloseIfAllowed(CommandTarget* target, CloseMode mode);
    // Queues the target for deletion at the next idle pass when CanClose agrees (once only).
    static int32_t DeferClose(CommandTarget& target, CloseMode mode);
    // Deletes every queued target, including those queued meanwhile; answers how many.
    static int32_t DeleteDeferredTargets();
    static bool HasDeferredTargets();

    // Hover and drag tracking.
    static void SetHoverTarget(InputEvent& event, Pane* pane);
    static Pane* HoverTarget();
    static void ClearHoverTarget(Pane& pane);
    static void SetDragTarget(Pane* pane, DragReference* drag);
    static void DropOnDragTarget();
    static Pane* DragTarget();
    static Pane* DropTarget();

    // Background work of a target: a detached POSIX thread runs target.RunThread(record, argument),
    // without the UI lock. Wait asks it to stop and waits until it has.
    static void StartTargetThread(TargetThread& record, CommandTarget& target, void* argument);
    static void WaitTargetThread(TargetThread& record);

    int32_t Kind() const { return kind; }
    bool IsConstructed() const { return constructed; }
    bool IsOpened() const { return opened; }
    bool IsActive() const { return active; }
    Pane* FirstChild() const { return firstChild; }
    Pane* ActiveChild() const { return activeChild; }
    LinkRegistry* GetLinkRegistry() const { return linkRegistry; }

protected:
    LinkRegistry* linkRegistry = nullptr;

private:
    CommandTarget* nextDeferred = nullptr;
    int32_t kind = 0;
    bool constructed = false;
    bool opened = false;
    bool active = false;
    bool queued = false;  // on the deferred-deletion list
    Pane* firstChild = nullptr;
    Pane* activeChild = nullptr;

    friend class Pane;
};

// The zero-terminated command list of a menu request: appends a command (with a separator 0xFFFF
// first when asked and the list ends in a command); nothing once 62 codes are listed.
void AddMenuCommand(MenuRequest& request, int32_t code, bool separator);

}  // namespace vek
