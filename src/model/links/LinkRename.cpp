// LinkRename: the rename engine that keeps card, template and macro links working after renames.
#include "model/links/LinkRename.h"

#include <vector>

#include "foundation/messages/PendingError.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "model/base/Base.h"
#include "model/dates/DateExpression.h"

namespace vek {

namespace {

constexpr std::string_view kKeywords[] = {"card=", "template=", "macro="};
constexpr std::string_view kAnchorEnd = "</a>";

bool IsDigitByte(char c)
{
    return c >= '0' && c <= '9';
}

// The first occurrence of `pattern` at or after `from` (case-insensitive when asked), or npos.
size_t FindFrom(const std::string& text, std::string_view pattern, size_t from, bool ignoreCase, size_t& matchLength)
{
    matchLength = pattern.size();
    if (from > text.size() || pattern.empty())
        return std::string::npos;
    if (!ignoreCase)
        return text.find(pattern, from);
    std::string needle(pattern);
    int32_t length = 0;
    int32_t at = CStrFindNoCaseFrom(text.data(), int32_t(text.size()), int32_t(from), needle.c_str(), &length);
    if (at < 0)
        return std::string::npos;
    matchLength = size_t(length);
    return size_t(at);
}

// Where an unquoted name may end: the end of the text, a blank, or the ">" that closes an anchor's
// attributes.
bool EndsUnquotedName(const std::string& text, size_t at)
{
    return at >= text.size() || text[at] == ' ' || text[at] == '>';
}

}  // namespace

LinkRename::LinkRename(LinkRenameKind kind, std::string_view oldName, std::string_view newName)
    : kind(kind), oldName(oldName), newName(newName)
{
}

std::string_view LinkRename::Keyword() const
{
    return kKeywords[size_t(kind)];
}

void LinkRename::Begin(Base& renaming, LinkRenameKind kind, std::string_view oldName, std::string_view newName)
{
    LinkRename record(kind, oldName, newName);
    String fileName;
    renaming.GetFileName(fileName);
    std::string otherPrefix(1, '[');
    otherPrefix.append(fileName.View());
    otherPrefix.push_back(']');
    // A base that a receiver closes meanwhile must not be visited: take the chain first.
    std::vector<Base*> bases;
    for (Base* base = Base::FirstBase(); base != nullptr; base = base->NextBase())
        bases.push_back(base);
    for (Base* base : bases) {
        record.SetPrefix(base == &renaming ? std::string_view() : std::string_view(otherPrefix));
        base->HandleChange(ChangeRecord(kChangeLinkRename, base, LinkRenamePayload{&record}));
    }
}

bool LinkRename::RewriteText(std::string& text) const
{
    if (oldName.empty())
        return false;
    std::string_view keyword = Keyword();
    bool changed = false;
    size_t matchLength = 0;
    for (size_t at = FindFrom(text, keyword, 0, true, matchLength); at != std::string::npos;
         at = FindFrom(text, keyword, at, true, matchLength)) {
        at += matchLength;
        bool quoted = at < text.size() && text[at] == '"';
        if (quoted)
            ++at;
        if (!prefix.empty()) {
            if (text.compare(at, prefix.size(), prefix) != 0)
                continue;
            at += prefix.size();
            while (at < text.size() && text[at] == ' ')
                ++at;
        }
        size_t end = kind == LinkRenameKind::Card       ? RewriteCard(text, at)
                     : kind == LinkRenameKind::Template ? RewriteTemplate(text, at, quoted)
                                                        : RewriteMacro(text, at, quoted);
        if (end == std::string::npos)
            continue;
        changed = true;
        at = end;
    }
    return changed;
}

size_t LinkRename::RenameShownName(std::string& text, size_t at, bool ignoreCase) const
{
    if (at < text.size() && text[at] == '"')
        ++at;
    if (at >= text.size() || text[at] != '>')
        return at;
    ++at;
    // Only the link's own text: a key or name that merely follows the link elsewhere stays.
    size_t anchorEndLength = 0;
    size_t limit = FindFrom(text, kAnchorEnd, at, true, anchorEndLength);
    if (limit == std::string::npos)
        limit = text.size();
    size_t length = 0;
    for (size_t found = FindFrom(text, oldName, at, ignoreCase, length); found != std::string::npos && found + length <= limit;
         found = FindFrom(text, oldName, found + 1, ignoreCase, length)) {
        // A card key inside a longer number is another key.
        if (kind == LinkRenameKind::Card &&
            ((found > 0 && IsDigitByte(text[found - 1])) || (found + length < text.size() && IsDigitByte(text[found + length]))))
            continue;
        text.replace(found, length, newName);
        return found + newName.size();
    }
    return at;
}

size_t LinkRename::RewriteCard(std::string& text, size_t at) const
{
    if (text.compare(at, oldName.size(), oldName) != 0)
        return std::string::npos;
    size_t end = at + oldName.size();
    // "240131-7" does not name the card 240131-71.
    if (end < text.size() && IsDigitByte(text[end]))
        return std::string::npos;
    text.replace(at, oldName.size(), newName);
    end = at + newName.size();
    if (end < text.size() && text[end] == '#') {
        ++end;
        while (end < text.size() && IsDigitByte(text[end]))
            ++end;
    }
    return RenameShownName(text, end, false);
}

size_t LinkRename::RewriteMacro(std::string& text, size_t at, bool quoted) const
{
    size_t length = 0;
    if (FindFrom(text, oldName, at, true, length) != at)
        return std::string::npos;
    size_t end = at + length;
    // "Run" does not name the macro "Run all".
    if (quoted ? (end >= text.size() || text[end] != '"') : !EndsUnquotedName(text, end))
        return std::string::npos;
    text.replace(at, length, newName);
    return RenameShownName(text, at + newName.size(), true);
}

size_t LinkRename::RewriteTemplate(std::string& text, size_t at, bool quoted) const
{
    const char* name = oldName.c_str();
    const char* nameEnd = name + oldName.size();
    const char* start = text.c_str() + at;
    const char* cursor = start;
    bool afterColon = false;
    while (name < nameEnd) {
        if (*cursor == 0)
            return std::string::npos;
        uint32_t wanted = Utf8NextUpperChar(name);
        uint32_t found = Utf8NextUpperChar(cursor);
        if (wanted != found)
            return std::string::npos;
        if (wanted == ' ' && afterColon) {
            while (name < nameEnd && *name == ' ')
                ++name;
            while (quoted && *cursor == ' ')
                ++cursor;
        }
        afterColon = wanted == ':';
    }
    size_t end = size_t(cursor - text.c_str());
    if (quoted ? (end >= text.size() || text[end] != '"') : !EndsUnquotedName(text, end))
        return std::string::npos;
    text.replace(at, end - at, newName);
    return at + newName.size();
}

bool LinkRename::ApplyToText(HeapText& text) const
{
    if (text == nullptr || CStrFindNoCase(text, std::string(Keyword()).c_str()) < 0)
        return false;
    std::string work(text, size_t(HeapTextLength(text)));
    if (!RewriteText(work))
        return false;
    // The new text is made before the old one goes, so that a shortage of memory loses nothing.
    HeapText fresh = NewHeapTextFromBytes(work.data(), int32_t(work.size()));
    if (fresh == nullptr && !work.empty()) {
        SetOutOfMemoryError();
        return false;
    }
    SetHeapText(text, nullptr);
    text = fresh;
    return true;
}

bool LinkRename::ApplyToTextField(TextFieldLink& field) const
{
    String shown;
    if (!field.FetchText(shown))
        return false;
    std::string work(shown.View());
    if (!RewriteText(work))
        return false;
    field.SetText(work);
    return true;
}

}  // namespace vek
