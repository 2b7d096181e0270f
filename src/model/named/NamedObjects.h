// Named objects: name cleaning and lookup, ':' paths, section markers, object menus, sorted chains.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/strings/HeapText.h"
#include "foundation/strings/String.h"

namespace vek {

class Macro;
class TimeScale;
class Template;

// Names of the base's named objects (save setups, import setups, time scales, macros) are looked up
// trimmed of blanks at both ends and compared without regard to case; an empty name finds nothing.
// Copies the trimmed name into `key`; false when nothing is left.
bool NameLookupKey(const char* name, int32_t length, String& key);

// Takes the first part of a ':'-joined path: the text before the first ':' (blanks before the ':'
// dropped) goes to `out`, and it, the ':' and the blanks after it are removed from `path`. An empty
// part (a ':' at the start) is dropped and the next part taken, unless nothing follows it (then `out`
// and `path` end empty). Without a ':' the whole path goes to `out` and `path` becomes empty.
void SplitPathHead(String& path, String& out);

// True for a first field (n bytes) that marks a section: "##" or the bullet marker "•••" of older
// files.
bool IsSectionMarker(const char* field, int32_t n);

// Control characters (below 32) removed in place; the text's new length.
int32_t RemoveControlChars(String& text);
// A name as the named objects store it: control characters removed (so that it fits on its marker
// line) and blanks trimmed at both ends (lookups ignore them).
void CleanObjectName(String& name, const char* text);

// What choosing a macro's menu item does.
enum class MacroItemAction : int32_t {
    Run = 0,   // runs the macro
    Edit = 1,  // opens it in the macro editor
};

// A menu that the application gives the base to fill with its named objects (the menus and their
// item classes belong to the application layer). Items are added at the end, in list order.
class ObjectMenu {
public:
    virtual ~ObjectMenu();
    // The submenu whose item's title is exactly `title`, or null.
    virtual ObjectMenu* FindSubmenu(std::string_view title) = 0;
    // A new submenu item at the end; null when none can be made.
    virtual ObjectMenu* AddSubmenu(std::string_view title) = 0;
    virtual void AddMacroItem(Macro& macro, MacroItemAction action, std::string_view title) = 0;
    virtual void AddTimeScaleItem(TimeScale& timeScale) = 0;
    // The item of a template (its name as the title, checked by its menu mark); menus that show no
    // templates leave it out.
    virtual void AddTemplateItem(Template& node, std::string_view title, bool checked);
};

// Adds the macro's item to `menu` by its menu path: the name is split at ':' (a ':' at the very
// start does not split; blanks after each ':' are dropped); every part but the last names a submenu,
// found by its exact title or else created; the item goes into the deepest one with the last part
// as its title. When a submenu cannot be made the item goes into the deepest one that exists.
void AddMacroMenuItem(ObjectMenu& menu, Macro& macro, MacroItemAction action);

// Lists of objects that are singly linked through a `next` member and named through GetName()
// (save setups and import setups keep their lists this way, ascending by name).
template <typename T>
T* FindInNamedChain(T* first, const char* name, int32_t length);

// Inserts before the first entry whose name does not sort before the new one
// (CompareTextsNoCaseNullLast), so an equal name goes in front of the existing one.
template <typename T>
void InsertInNamedChain(T*& first, T* item)
{
    T** link = &first;
    while (*link != nullptr && CompareTextsNoCaseNullLast((*link)->GetName(), item->GetName()) < 0)
        link = &(*link)->next;
    item->next = *link;
    *link = item;
}

// Unlinks the item; the object stays alive. False when it was not in the chain.
template <typename T>
bool RemoveFromNamedChain(T*& first, T* item)
{
    for (T** link = &first; *link != nullptr; link = &(*link)->next) {
        if (*link == item) {
            *link = item->next;
            item->next = nullptr;
            return true;
        }
    }
    return false;
}

// Case-insensitive equality of a stored name and a lookup key (NameLookupKey).
bool NameEqualsKey(ConstHeapText name, const String& key);

template <typename T>
T* FindInNamedChain(T* first, const char* name, int32_t length)
{
    String key;
    if (!NameLookupKey(name, length, key))
        return nullptr;
    for (T* item = first; item != nullptr; item = item->next) {
        if (NameEqualsKey(item->GetName(), key))
            return item;
    }
    return nullptr;
}

}  // namespace vek
