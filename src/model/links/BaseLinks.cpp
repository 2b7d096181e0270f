// The base's side of links in notes texts: its link code and the renames of its cards, macros and
// templates, and rewriting the links in its cards' texts.
#include "model/base/Base.h"

#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "foundation/streams/LinkCode.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/links/LinkRename.h"
#include "model/base/ModelServices.h"

namespace vek {

void Base::GetLinkCode(String& out) const
{
    GetFileName(out);
    MakeLinkCode(out);
}

void Base::RenameTemplateLinks(const char* oldPath, const char* newPath)
{
    if (oldPath == nullptr || *oldPath == 0 || CStrEqualNoCaseNullAsEmpty(oldPath, newPath))
        return;
    LinkRename::Begin(*this, LinkRenameKind::Template, oldPath, newPath != nullptr ? newPath : "");
}

void Base::RenameMacroLinks(const char* oldName, const char* newName)
{
    if (oldName == nullptr || *oldName == 0 || CStrEqualNoCaseNullAsEmpty(oldName, newName))
        return;
    LinkRename::Begin(*this, LinkRenameKind::Macro, oldName, newName != nullptr ? newName : "");
}

void Base::RenameCardLinks(const CardKey& oldKey, const CardKey& newKey)
{
    String oldText;
    String newText;
    FormatCardKeyPlain(oldText, oldKey);
    FormatCardKeyPlain(newText, newKey);
    if (oldText.IsEmpty() || oldText.View() == newText.View())
        return;
    LinkRename::Begin(*this, LinkRenameKind::Card, oldText.View(), newText.View());
}

void Base::RewriteCardLinks(const LinkRename& rename)
{
    StampedText stamp;
    bool stamped = GetUserStamp(stamp);
    bool anyChanged = false;
    Card* end = ChainEnd();
    for (Card* card = FirstCard(); card != end; card = NextCard(card)) {
        bool changed = rename.ApplyToText(card->title);
        changed = rename.ApplyToText(card->notes) || changed;
        for (CardGroup* group = FirstGroup(card); group != nullptr; group = NextGroup(group)) {
            for (CardLine* line = FirstLine(group); line != nullptr; line = NextLine(line)) {
                HeapText text = line->Text();
                if (rename.ApplyToText(text)) {
                    line->SetTextField(text);
                    changed = true;
                }
            }
        }
        if (changed) {
            if (stamped)
                card->SetChangeStamp(stamp);
            anyChanged = true;
        }
    }
    if (anyChanged)
        Notify(kChangeCards);
}

}  // namespace vek
