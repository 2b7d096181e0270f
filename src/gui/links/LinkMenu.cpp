// LinkMenu: the commands of a link's context menu on its markup in the source text.
#include "gui/links/LinkMenu.h"

#include <algorithm>
#include <string>

#include "drawing/ClipboardText.h"
#include "gui/CommandTarget.h"
#include "gui/MenuRequest.h"
#include "gui/Pane.h"
#include "gui/controls/PopupMenu.h"
#include "gui/links/LinkedText.h"

namespace vek {

LinkMenu::LinkMenu(Pane& pane, const LinkRegistry& registry, const LinkScanner& link, String* editableSource)
    : pane(pane), registry(registry), source(editableSource)
{
    this->link.CopyFrom(link);
}

LinkMenu::~LinkMenu()
{
    if (pane.AttachedLinkMenu() == this)
        pane.AttachLinkMenu(nullptr);
}

int32_t LinkMenu::Run(const InputEvent& event)
{
    LinkMenu* previous = pane.AttachedLinkMenu();
    pane.AttachLinkMenu(this);
    int32_t chosen = TrackPaneDrag(pane, kLinkMenuKind, event, -1);
    pane.AttachLinkMenu(previous);
    return chosen < 0 ? -1 : chosen;
}

void LinkMenu::HandleMessage(MenuRequest& record)
{
    const bool editable = source != nullptr;
    if (record.phase == 0) {
        if (editable)
            AddMenuCommand(record, kLinkCutMarkup, false);
        AddMenuCommand(record, kLinkCopyMarkup, false);
        if (editable) {
            AddMenuCommand(record, kLinkDelete, false);
            AddMenuCommand(record, kLinkDuplicate, false);
            AddMenuCommand(record, kLinkEdit, true);
            AddMenuCommand(record, kLinkRemoveKeepText, false);
        }
        if (link.type == LinkType::File)
            AddMenuCommand(record, registry.LinkedFileHasNoData(link) ? kLinkRevealFolder : kLinkRevealFile, true);
    } else if (record.phase == 1) {
        record.ellipsis = record.commands[record.index] == kLinkEdit ? 1 : 0;
    } else if (record.phase == 3) {
        Perform(record.index);
    }
}

std::string_view LinkMenu::Markup() const
{
    if (source == nullptr)
        return {};
    const int32_t start = std::clamp(link.markupStart, 0, source->Length());
    const int32_t length = std::clamp(link.markupLength, 0, source->Length() - start);
    return source->View().substr(size_t(start), size_t(length));
}

void LinkMenu::ReplaceMarkup(std::string_view replacement)
{
    const int32_t start = std::clamp(link.markupStart, 0, source->Length());
    const int32_t length = std::clamp(link.markupLength, 0, source->Length() - start);
    source->ReplaceRangeBytes(start, length, replacement);
    link.markupStart = start;
    link.markupLength = int32_t(replacement.size());
    pane.Invalidate();
}

void LinkMenu::Perform(int32_t command)
{
    if (command == kLinkCopyMarkup) {
        // A text that is only drawn has no source at hand: its link goes out in canonical markup.
        if (source != nullptr) {
            PutClipboardText(Markup());
        } else {
            String markup;
            LinkRegistry::ToMarkup(link, markup);
            PutClipboardText(markup.View());
        }
        return;
    }
    if (command == kLinkRevealFile || command == kLinkRevealFolder) {
        (void)registry.RevealLinkedFile(link);
        return;
    }
    if (source == nullptr)
        return;
    switch (command) {
    case kLinkCutMarkup:
        PutClipboardText(Markup());
        ReplaceMarkup({});
        break;
    case kLinkDelete: ReplaceMarkup({}); break;
    case kLinkDuplicate: {
        std::string copy(Markup());
        copy += ' ';
        source->InsertBytes(link.markupStart, copy);
        link.markupStart += int32_t(copy.size());
        pane.Invalidate();
        break;
    }
    case kLinkEdit:
        if (Service<LinkDialogRunner>::Get().Run(link, *source, pane))
            pane.Invalidate();
        break;
    case kLinkRemoveKeepText: {
        String text;
        text.Assign(link.text);
        ReplaceMarkup(text.View());
        break;
    }
    default: break;
    }
}

}  // namespace vek
