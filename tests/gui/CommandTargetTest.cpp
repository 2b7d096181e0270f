// CommandTargetTest: activation, deferred deletion, drag feedback chains, hover and menu command lists.
#include "gui/CommandTarget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/Application.h"
#include "gui/Control.h"
#include "gui/MenuRequest.h"
#include "gui/Window.h"
#include "platform/events/InputEvent.h"

namespace vek {
namespace {

using Log = std::vector<std::string>;

class Node final : public Control {
public:
    Node(const char* name, Pane& enclosure, Log& log, bool activatable = true, bool closable = true)
        : Control(kKindCustomView, enclosure, OriginSize{0, 0, 50, 50}, 0), name(name), log(log),
          activatable(activatable), closable(closable)
    {
        FinishConstruction();
    }
    ~Node() override
    {
        PrepareDestruction();
        log.push_back("deleted " + name);
    }
    int32_t CanActivate() override { return activatable ? 1 : 0; }
    int32_t CanClose(CloseMode mode) override { return closable ? Control::CanClose(mode) : 0; }
    CommandTarget* Notify(int32_t code) override
    {
        if (code == kNotifyActivation)
            log.push_back(name + (IsActive() ? "+" : "-"));
        return Control::Notify(code);
    }
    void DragFeedback(int32_t code, DragReference*) override { log.push_back("drag " + name + " " + std::to_string(code)); }
    void FocusChanged(InputEvent&, int32_t code) override { log.push_back("hover " + name + " " + std::to_string(code)); }

    const std::string name;
    Log& log;
    bool activatable;
    bool closable;
};

// The lines of the log that start with the prefix.
Log Only(const Log& log, const std::string& prefix)
{
    Log out;
    for (const std::string& line : log)
        if (line.rfind(prefix, 0) == 0)
            out.push_back(line);
    return out;
}

class CommandTargetFixture : public ::testing::Test {
protected:
    Log log;
    Application application{true};
    Window* window = new Window(1, OriginSize{50, 50, 200, 200}, 0, nullptr, true);
};

TEST_F(CommandTargetFixture, ActivationAsksFirstAndNotifiesOncePerChange)
{
    auto* refusing = new Node("refusing", *window, log, false);
    auto* first = new Node("first", *window, log);
    auto* second = new Node("second", *window, log);
    log.clear();
    EXPECT_EQ(refusing->SetActive(true), 0);
    EXPECT_FALSE(refusing->IsActive());
    EXPECT_TRUE(log.empty());
    // Each node activated itself when it was made, so the second one is active now. Activating the
    // first deactivates the second (its notification runs) before the first is recorded as active.
    ASSERT_EQ(window->ActiveChild(), second);
    first->Activate();
    first->Activate();
    EXPECT_EQ(log, (Log{"first+", "second-"}));
    EXPECT_EQ(window->ActiveChild(), first);
    log.clear();
    second->Activate();
    EXPECT_EQ(log, (Log{"second+", "first-"}));
    EXPECT_EQ(window->ActiveChild(), second);
}

TEST_F(CommandTargetFixture, DeferredDeletionQueuesOnceAndSurvivesOtherDeletion)
{
    auto* once = new Node("once", *window, log);
    auto* refusing = new Node("refusing", *window, log, true, false);
    auto* deletedElsewhere = new Node("elsewhere", *window, log);
    log.clear();
    EXPECT_EQ(CommandTarget::DeferClose(*once, CloseMode::Normal), 1);
    EXPECT_EQ(CommandTarget::DeferClose(*once, CloseMode::Normal), 1);
    EXPECT_EQ(CommandTarget::DeferClose(*refusing, CloseMode::Normal), 0);
    EXPECT_EQ(CommandTarget::DeferClose(*deletedElsewhere, CloseMode::Normal), 1);
    // Regression guard: a queued target deleted another way leaves the queue, so it is not deleted twice.
    delete deletedElsewhere;
    EXPECT_TRUE(application.HasPendingWork());
    EXPECT_EQ(CommandTarget::DeleteDeferredTargets(), 1);
    EXPECT_EQ(Only(log, "deleted"), (Log{"deleted elsewhere", "deleted once"}));
    EXPECT_FALSE(CommandTarget::HasDeferredTargets());
    EXPECT_EQ(window->FirstChild(), refusing);
}

TEST_F(CommandTargetFixture, DragFeedbackSkipsTheCommonChain)
{
    auto* outer = new Node("outer", *window, log);
    auto* inner = new Node("inner", *outer, log);
    auto* other = new Node("other", *window, log);
    log.clear();
    CommandTarget::SetDragTarget(outer, nullptr);
    CommandTarget::SetDragTarget(inner, nullptr);
    CommandTarget::SetDragTarget(inner, nullptr);
    CommandTarget::SetDragTarget(outer, nullptr);
    CommandTarget::SetDragTarget(other, nullptr);
    CommandTarget::DropOnDragTarget();
    CommandTarget::SetDragTarget(nullptr, nullptr);
    const Log expected = {
        "drag outer 0",                  // the application and the window are told nothing of their own
        "drag inner 0",                  // into a child: only the child enters
        "drag inner 1",                  // still inside
        "drag inner 3",                  // back out: only the child leaves
        "drag outer 3", "drag other 0",  // across: leave innermost first, then enter
        "drag other 2",                  // dropped
        "drag other 3",
    };
    // The window has no log of its own; only the nodes speak.
    EXPECT_EQ(log, expected);
    EXPECT_EQ(CommandTarget::DropTarget(), other);
}

TEST_F(CommandTargetFixture, HoverEntersMovesAndLeaves)
{
    auto* one = new Node("one", *window, log);
    auto* two = new Node("two", *window, log);
    log.clear();
    InputEvent event;
    CommandTarget::SetHoverTarget(event, one);
    CommandTarget::SetHoverTarget(event, one);
    CommandTarget::SetHoverTarget(event, two);
    delete two;  // a deleted pane is no longer the hover target
    EXPECT_EQ(CommandTarget::HoverTarget(), nullptr);
    EXPECT_EQ(Only(log, "hover"), (Log{"hover one 0", "hover one 1", "hover one 2", "hover two 0"}));
}

TEST(AddMenuCommand, SeparatorsAndTheLimitOfTheInlineList)
{
    MenuRequest request;
    AddMenuCommand(request, 5, true);  // never a separator first
    AddMenuCommand(request, 6, true);
    AddMenuCommand(request, 7, true);
    EXPECT_EQ(request.commands[0], 5);
    EXPECT_EQ(request.commands[1], kMenuSeparator);
    EXPECT_EQ(request.commands[2], 6);
    EXPECT_EQ(request.commands[3], kMenuSeparator);
    EXPECT_EQ(request.commands[4], 7);
    EXPECT_EQ(request.commands[5], 0);

    MenuRequest full;
    for (int i = 1; i <= 62; ++i)
        AddMenuCommand(full, i, false);
    EXPECT_EQ(full.commands[61], 62);
    AddMenuCommand(full, 99, false);  // 62 codes: nothing more
    EXPECT_EQ(full.commands[62], 0);

    // A list given elsewhere is copied into the inline list first.
    uint16_t outside[] = {3, 4, 0};
    MenuRequest copied;
    copied.commands = outside;
    AddMenuCommand(copied, 9, false);
    EXPECT_EQ(copied.commands, copied.inlineCommands);
    EXPECT_EQ(copied.commands[0], 3);
    EXPECT_EQ(copied.commands[2], 9);
    EXPECT_EQ(outside[2], 0);
}

}  // namespace
}  // namespace vek
