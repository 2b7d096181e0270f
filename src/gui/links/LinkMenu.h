// LinkMenu: the context menu of one link in a pane's text.
#pragma once

#include <cstdint>

#include "foundation/strings/String.h"
#include "text/LinkRegistry.h"

namespace vek {

class Pane;
struct InputEvent;
struct MenuRequest;

// The message kind of a link's context menu.
constexpr int32_t kLinkMenuKind = 3200;

// Commands of the menu by their text numbers. The editing ones are offered only for an editable
// source; the folder commands only for file links (the second when the file holds no data).
enum LinkMenuCommand : uint16_t {
    kLinkCutMarkup = 214,
    kLinkCopyMarkup = 215,
    kLinkDelete = 217,
    kLinkDuplicate = 218,
    kLinkEdit = 729,
    kLinkRemoveKeepText = 730,
    kLinkRevealFile = 731,
    kLinkRevealFolder = 732,
};

// One link attached to a pane while its menu runs: the pane's HandleMessage passes the records of
// kind kLinkMenuKind here. Editing commands change the source in place and redraw the pane.
class LinkMenu {
public:
    LinkMenu(Pane& pane, const LinkRegistry& registry, const LinkScanner& link, String* editableSource);
    ~LinkMenu();
    LinkMenu(const LinkMenu&) = delete;
    LinkMenu& operator=(const LinkMenu&) = delete;

    // Runs the menu at the event's point (pane coordinates); answers the chosen command or -1.
    int32_t Run(const InputEvent& event);
    // Collects, describes and performs the commands.
    void HandleMessage(MenuRequest& record);
    // The link after the last command (its markup span follows the source's edits).
    const LinkScanner& Link() const { return link; }

private:
    void Perform(int32_t command);
    std::string_view Markup() const;
    void ReplaceMarkup(std::string_view replacement);

    Pane& pane;
    const LinkRegistry& registry;
    LinkScanner link;
    String* source;
};

}  // namespace vek
