// LinkRename: rewriting the links of every open base's texts when a card, template or macro is renamed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/strings/HeapText.h"

namespace vek {

class Base;
class String;
class TextFieldLink;

// What a renamed link names; the link keyword is "card=", "template=" or "macro=".
enum class LinkRenameKind : int32_t { Card = 0, Template = 1, Macro = 2 };

// One rename of a link target, posted as change 63 to every open base (Begin). Each base rewrites the
// links in its own texts through ApplyToText: in the renaming base the links without a base prefix,
// in every other base the links whose target starts with the renaming base's prefix ("[", its file
// name, "]", blanks). At each keyword (any case), after an optional quote and the prefix:
//
//   | kind     | old name matched                                | after the match                     |
//   |----------|-------------------------------------------------|-------------------------------------|
//   | card     | byte-wise, not followed by a digit              | "#" digits and a quote skipped; a   |
//   |          |                                                 | ">" makes the key shown in the link |
//   |          |                                                 | text (before "</a>") renamed too    |
//   | macro    | without regard to case; ends at the closing     | as card, without the "#" part; the  |
//   |          | quote (quoted) or a blank, ">" or the end       | shown name is found without case    |
//   | template | without regard to case, blanks after ": " free  | nothing                             |
//   |          | in a quoted link; ends as macro names do        |                                     |
//
// The record is a plain value: the change queue keeps its own copy while the change waits.
class LinkRename {
public:
    LinkRename(LinkRenameKind kind, std::string_view oldName, std::string_view newName);

    // Posts change 63 with the rename to every open base, `renaming` first-hand (no prefix), the
    // others with its prefix. Callers check that the names differ.
    static void Begin(Base& renaming, LinkRenameKind kind, std::string_view oldName, std::string_view newName);

    LinkRenameKind Kind() const { return kind; }
    std::string_view Keyword() const;
    std::string_view OldName() const { return oldName; }
    std::string_view NewName() const { return newName; }
    std::string_view Prefix() const { return prefix; }
    void SetPrefix(std::string_view text) { prefix.assign(text); }

    // Rewrites the links of a text in place; true when it changed. A text without the keyword is left
    // alone at once.
    bool RewriteText(std::string& text) const;
    // The same for a record's text field: the new text is stored (null when it became empty); false
    // (nothing changed) when it held no link to rename or memory ran short.
    bool ApplyToText(HeapText& text) const;
    // An edit field that shows a text: its text is fetched, rewritten and set back when it changed.
    bool ApplyToTextField(TextFieldLink& field) const;

private:
    // Each answers the end of the rewritten part (where the search goes on), or npos for no match.
    size_t RewriteCard(std::string& text, size_t at) const;
    size_t RewriteMacro(std::string& text, size_t at, bool quoted) const;
    size_t RewriteTemplate(std::string& text, size_t at, bool quoted) const;
    // After the renamed target: skips the closing quote and renames the first occurrence of the old
    // name in the link text that a ">" starts.
    size_t RenameShownName(std::string& text, size_t at, bool ignoreCase) const;

    LinkRenameKind kind;
    std::string oldName;
    std::string newName;
    std::string prefix;
};

}  // namespace vek
