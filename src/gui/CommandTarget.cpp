// CommandTarget: the target tree, activation, notification broadcast, closing, hover and drag tracking.
#include "gui/CommandTarget.h"

#include <sched.h>

#include "gui/Application.h"
#include "gui/MenuRequest.h"
#include "gui/Pane.h"
#include "platform/Threads.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

// Process-wide, main thread only.
CommandTarget* deferredHead = nullptr;
Pane* dragTarget = nullptr;
Pane* dropTarget = nullptr;
Pane* hoverTarget = nullptr;

// The nesting depth of panes that drag tracking follows (the chain's array held 32 entries, its
// terminator included).
constexpr int32_t kMaxChain = 31;

int32_t BuildChain(Pane* pane, CommandTarget* (&chain)[kMaxChain + 1])
{
    // Innermost first, then reversed so that the application comes first.
    CommandTarget* reversed[kMaxChain + 1];
    int32_t n = 0;
    for (CommandTarget* t = pane; t != nullptr && n < kMaxChain; ++n) {
        reversed[n] = t;
        Pane* asPane = t->Kind() == 0 ? nullptr : static_cast<Pane*>(t);
        t = asPane ? asPane->Enclosure() : nullptr;
    }
    for (int32_t i = 0; i < n; ++i)
        chain[i] = reversed[n - 1 - i];
    chain[n] = nullptr;
    return n;
}

void TargetThreadEntry(void* raw)
{
    auto* record = static_cast<TargetThread*>(raw);
    record->target->RunThread(*record, record->argument);
    record->running.store(false, std::memory_order_release);
}

}  // namespace

CommandTarget::CommandTarget(int32_t kind) : kind(kind) {}

CommandTarget::~CommandTarget()
{
    if (queued) {
        for (CommandTarget** link = &deferredHead; *link; link = &(*link)->nextDeferred)
            if (*link == this) {
                *link = nextDeferred;
                break;
            }
        queued = false;
    }
    if (dropTarget == static_cast<void*>(this))
        dropTarget = nullptr;
    while (firstChild)
        delete firstChild;  // each child unlinks itself
}

void CommandTarget::Open()
{
    Notify(kNotifyOpened);
    opened = true;
}

void CommandTarget::Close() { Notify(kNotifyClosing); }

CommandTarget* CommandTarget::Notify(int32_t code)
{
    CommandTarget* answer = this;
    for (Pane* child = firstChild; child; child = child->next) {
        if (!child->constructed)
            continue;
        if (code < 16) {
            child->ParentChanged(code);
            answer = child;
        } else {
            answer = child->Notify(code);
        }
    }
    return answer;
}

void CommandTarget::ParentChanged(int32_t) {}

void CommandTarget::ChildChanged(int32_t code, Pane* child)
{
    if (code != kNotifyActivation || !child)
        return;
    if (child->active) {
        if (activeChild && activeChild != child)
            activeChild->SetActive(false);
        activeChild = child;
    } else if (activeChild == child) {
        activeChild = nullptr;
    }
}

CommandTarget* CommandTarget::Query(void* request)
{
    CommandTarget* answer = this;
    for (Pane* child = firstChild; child; child = child->next)
        if (child->constructed)
            answer = child->Query(request);
    return answer;
}

void CommandTarget::RunThread(TargetThread&, void*) {}
void CommandTarget::UpdateMenus() {}
int32_t CommandTarget::DoCommand(MenuItem&) { return 0; }
void CommandTarget::OpenDocument(int32_t, const FilePath&) {}
void CommandTarget::DragFeedback(int32_t, DragReference*) {}
int32_t CommandTarget::AcceptDrop(TransferData&) { return 0; }
void CommandTarget::FocusChanged(InputEvent&, int32_t) {}
int32_t CommandTarget::AdjustCursor(InputEvent&, Pane*) { return 0; }
int32_t CommandTarget::FirstClick(InputEvent&, Pane*) { return 0; }
int32_t CommandTarget::Click(InputEvent&, Pane*) { return 0; }
int32_t CommandTarget::Wheel(InputEvent&, int32_t) { return 0; }
int32_t CommandTarget::KeyDown(InputEvent&, Pane*) { return 0; }

int32_t CommandTarget::CanClose(CloseMode mode)
{
    if (hoverTarget && static_cast<CommandTarget*>(hoverTarget) == this) {
        InputEvent synthetic;
        SetHoverTarget(synthetic, nullptr);
    }
    for (Pane* child = firstChild; child; child = child->next)
        if (!child->CanClose(mode))
            return 0;
    return 1;
}

CommandTarget* CommandTarget::TabNotify(TabNotice&) { return this; }
CommandTarget* CommandTarget::TargetChanged(CommandTarget*, int32_t) { return this; }
CommandTarget* CommandTarget::FormatControlText(String&, Control&) { return this; }
CommandTarget* CommandTarget::ControlCommand(Control&) { return this; }
CommandTarget* CommandTarget::ControlChanged(Control&) { return this; }
CommandTarget* CommandTarget::RadioChanged(Control*, Control*) { return this; }
CommandTarget* CommandTarget::PopupNotify(PopupItemRecord&) { return this; }
CommandTarget* CommandTarget::ControlAction() { return this; }
CommandTarget* CommandTarget::ScrollChanged(ScrollNotice&) { return this; }
CommandTarget* CommandTarget::RowCount(RowRequest&) { return this; }
CommandTarget* CommandTarget::OutlineNotify(OutlineRequest&) { return this; }
void CommandTarget::HandleMessage(MenuRequest&) {}
void CommandTarget::GetContentRect(Rect&) {}
void CommandTarget::GetChildrenBounds(Point&) {}
void CommandTarget::Activate() { SetActive(true); }
int32_t CommandTarget::CanActivate() { return 0; }
void CommandTarget::ResignActive() {}

void CommandTarget::FinishConstruction()
{
    constructed = true;
    Open();
    if (CanActivate())
        Activate();
}

void CommandTarget::PrepareDestruction()
{
    if (!opened)
        return;
    opened = false;
    if (active) {
        ResignActive();
        SetActive(false);
    }
    Close();
    constructed = false;
}

int32_t CommandTarget::SetActive(bool flag)
{
    if (active == flag)
        return 1;
    if (flag && !CanActivate())
        return 0;
    active = flag;
    Notify(kNotifyActivation);
    return 1;
}

void CommandTarget::ActivateFirstChild()
{
    for (Pane* child = firstChild; child; child = child->next)
        if (child->CanActivate()) {
            child->Activate();
            return;
        }
}

void CommandTarget::PrependChild(Pane& child)
{
    child.enclosure = this;
    if (!firstChild) {
        child.next = nullptr;
        child.prev = &child;
    } else {
        child.next = firstChild;
        child.prev = firstChild->prev;
        firstChild->prev = &child;
    }
    firstChild = &child;
}

void CommandTarget::AppendChild(Pane& child)
{
    if (!firstChild) {
        PrependChild(child);
        return;
    }
    child.enclosure = this;
    Pane* last = firstChild->prev;
    last->next = &child;
    child.prev = last;
    child.next = nullptr;
    firstChild->prev = &child;
}

void CommandTarget::InsertChildAfter(Pane& child, Pane& sibling)
{
    if (!sibling.next) {
        AppendChild(child);
        return;
    }
    child.enclosure = this;
    child.next = sibling.next;
    child.prev = &sibling;
    sibling.next->prev = &child;
    sibling.next = &child;
}

void CommandTarget::InsertChild(Pane& child)
{
    Pane* firstFixed = firstChild;
    while (firstFixed && firstFixed->floating)
        firstFixed = firstFixed->next;
    if (!firstFixed)
        AppendChild(child);
    else if (firstFixed == firstChild)
        PrependChild(child);
    else
        InsertChildAfter(child, *firstFixed->prev);
}

void CommandTarget::RemoveChild(Pane& child)
{
    if (child.enclosure != this)
        return;
    if (activeChild == &child)
        activeChild = nullptr;
    Pane* last = firstChild->prev;
    if (&child == firstChild) {
        firstChild = child.next;
        if (firstChild)
            firstChild->prev = last;
    } else {
        child.prev->next = child.next;
        if (child.next)
            child.next->prev = child.prev;
        else
            firstChild->prev = child.prev;
    }
    child.next = nullptr;
    child.prev = nullptr;
    child.enclosure = nullptr;
}

int32_t CommandTarget::CanCloseChildren(CloseMode mode)
{
    for (Pane* child = firstChild; child;) {
        Pane* following = child->next;
        if (!DeferClose(*child, mode))
            return 0;
        child = following;
    }
    return 1;
}

int32_t CommandTarget::CloseIfAllowed(CommandTarget* target, CloseMode mode)
{
    if (!target)
        return 1;
    if (!target->CanClose(mode))
        return 0;
    delete target;
    return 1;
}

int32_t CommandTarget::DeferClose(CommandTarget& target, CloseMode mode)
{
    if (target.queued)
        return 1;
    if (!target.CanClose(mode))
        return 0;
    target.nextDeferred = deferredHead;
    deferredHead = &target;
    target.queued = true;
    return 1;
}

int32_t CommandTarget::DeleteDeferredTargets()
{
    int32_t deleted = 0;
    while (deferredHead) {
        CommandTarget* target = deferredHead;
        deferredHead = target->nextDeferred;
        target->queued = false;
        delete target;
        ++deleted;
    }
    return deleted;
}

bool CommandTarget::HasDeferredTargets() { return deferredHead != nullptr; }

void CommandTarget::SetHoverTarget(InputEvent& event, Pane* pane)
{
    if (pane != hoverTarget) {
        Pane* old = hoverTarget;
        hoverTarget = pane;
        if (old)
            old->FocusChanged(event, kHoverLeft);
        if (pane)
            pane->FocusChanged(event, kHoverEntered);
    } else if (pane) {
        pane->FocusChanged(event, kHoverMoved);
    }
}

Pane* CommandTarget::HoverTarget() { return hoverTarget; }

void CommandTarget::ClearHoverTarget(Pane& pane)
{
    if (hoverTarget == &pane)
        hoverTarget = nullptr;
}

void CommandTarget::SetDragTarget(Pane* pane, DragReference* drag)
{
    if (pane == dragTarget) {
        if (pane)
            pane->DragFeedback(kDragInside, drag);
        return;
    }
    CommandTarget* oldChain[kMaxChain + 1];
    CommandTarget* newChain[kMaxChain + 1];
    int32_t oldLength = BuildChain(dragTarget, oldChain);
    int32_t newLength = BuildChain(pane, newChain);
    int32_t common = 0;
    while (common < oldLength && common < newLength && oldChain[common] == newChain[common])
        ++common;
    for (int32_t i = oldLength - 1; i >= common; --i)
        oldChain[i]->DragFeedback(kDragLeft, drag);
    for (int32_t i = common; i < newLength; ++i)
        newChain[i]->DragFeedback(kDragEntered, drag);
    dragTarget = pane;
}

void CommandTarget::DropOnDragTarget()
{
    dropTarget = dragTarget;
    if (dropTarget)
        dropTarget->DragFeedback(kDragDropped, nullptr);
}

Pane* CommandTarget::DragTarget() { return dragTarget; }
Pane* CommandTarget::DropTarget() { return dropTarget; }

void CommandTarget::StartTargetThread(TargetThread& record, CommandTarget& target, void* argument)
{
    record.target = &target;
    record.argument = argument;
    record.stopRequested.store(false, std::memory_order_relaxed);
    record.running.store(true, std::memory_order_release);
    if (StartDetachedThread(TargetThreadEntry, &record) == pthread_t())
        record.running.store(false, std::memory_order_release);
}

void CommandTarget::WaitTargetThread(TargetThread& record)
{
    record.stopRequested.store(true, std::memory_order_release);
    while (record.running.load(std::memory_order_acquire))
        sched_yield();
}

void AddMenuCommand(MenuRequest& request, int32_t code, bool separator)
{
    if (request.commands != request.inlineCommands) {
        int32_t n = 0;
        while (n < MenuRequest::kInlineCommands && request.commands[n] != 0) {
            request.inlineCommands[n] = request.commands[n];
            ++n;
        }
        request.inlineCommands[n] = 0;
        request.commands = request.inlineCommands;
    }
    int32_t n = 0;
    while (request.commands[n] != 0)
        ++n;
    if (n > 61)
        return;
    // A separator only after a command (never first, never after another separator).
    if (separator && n > 0 && int16_t(request.commands[n - 1]) > 0)
        request.commands[n++] = kMenuSeparator;
    request.commands[n++] = uint16_t(code);
    request.commands[n] = 0;
}

}  // namespace vek
