// MenuItem and ListMenu: linking items into the tree, texts, flags, choosing and reloading texts.
#include "gui/MenuItem.h"

#include <vector>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/MenuRefresh.h"

namespace vek {

namespace {

MenuItem* rootItem = nullptr;
bool menusChanged = false;
bool menuBarChanged = false;
std::string currentCommandText;

}  // namespace

MenuItem* RootMenuItem() { return rootItem; }
void SetRootMenuItem(MenuItem* root) { rootItem = root; }
bool MenusChanged() { return menusChanged; }
bool MenuBarChanged() { return menuBarChanged; }
void ClearMenusChanged() { menusChanged = false; }
void ClearMenuBarChanged() { menuBarChanged = false; }
const std::string& CurrentCommandText() { return currentCommandText; }

ScopedCommandText::ScopedCommandText(std::string_view text) : saved(std::move(currentCommandText))
{
    currentCommandText.assign(text);
}

ScopedCommandText::~ScopedCommandText() { currentCommandText = std::move(saved); }

MenuItem::MenuItem(MenuItem* anchor, int32_t flags, int32_t commandCode) : command(commandCode)
{
    enabled = (flags & kMenuDisabled) == 0;
    ellipsis = (flags & kMenuEllipsis) != 0;
    Attach(anchor, flags & 3);
    MarkChanged(false);
}

MenuItem::~MenuItem()
{
    MarkChanged(false);
    Detach();
    if (rootItem == this)
        rootItem = nullptr;
}

void MenuItem::Attach(MenuItem* anchor, int32_t mode)
{
    next = nullptr;
    previous = this;
    parent = nullptr;
    firstChild = nullptr;
    if (!anchor)
        return;
    if (mode == kMenuAppend || mode == kMenuAppendKeepLast) {
        parent = anchor;
        MenuItem* first = parent->firstChild;
        if (mode == kMenuAppendKeepLast)
            keptLast = true;
        if (!first) {
            parent->firstChild = this;
        } else if (mode == kMenuAppend && first->keptLast) {
            next = first;
            previous = first->previous;
            first->previous = this;
            parent->firstChild = this;
        } else {
            MenuItem* after = first->previous;  // the last child
            if (mode == kMenuAppend)
                while (after != first && after->keptLast)
                    after = after->previous;
            // Insert after `after`.
            next = after->next;
            previous = after;
            if (after->next)
                after->next->previous = this;
            else
                first->previous = this;
            after->next = this;
        }
    } else {
        MenuItem* sibling = anchor;
        parent = sibling->parent;
        if (!parent)
            return;
        MenuItem* first = parent->firstChild;
        if (mode == kMenuBefore) {
            next = sibling;
            previous = sibling->previous;
            if (sibling == first) {
                parent->firstChild = this;
            } else {
                sibling->previous->next = this;
            }
            sibling->previous = this;
        } else {
            next = sibling->next;
            previous = sibling;
            if (sibling->next)
                sibling->next->previous = this;
            else
                first->previous = this;
            sibling->next = this;
        }
    }
    if (parent && parent == rootItem)
        ResetMenuUpdateInterval();
}

void MenuItem::Detach()
{
    while (firstChild)
        delete firstChild;
    if (!parent)
        return;
    MenuItem* first = parent->firstChild;
    if (this != first)
        previous->next = next;
    else
        parent->firstChild = next;
    if (next)
        next->previous = previous;
    else if (parent->firstChild)
        parent->firstChild->previous = previous;
    next = nullptr;
    previous = this;
    parent = nullptr;
}

void MenuItem::MarkChanged(bool textChange)
{
    menusChanged = true;
    if (!parent || parent == rootItem || !parent->parent)
        menuBarChanged = true;
    if (textChange && parent)
        parent->textsChanged = 1;
}

void MenuItem::StoreText(const std::string& value, int32_t id)
{
    text = value;
    textId = id;
    MarkChanged(true);
}

void MenuItem::SetConstText(const char* value) { StoreText(value ? value : "", 0); }
void MenuItem::SetText(int32_t id)
{
    const char* loaded = LoadText(id);
    StoreText(loaded ? loaded : "", id);
}
void MenuItem::SetTextString(const char* value) { StoreText(value ? value : "", 0); }
void MenuItem::SetTextFromString(const std::string& value) { StoreText(value, 0); }

void MenuItem::SetEnabled(bool flag)
{
    if (enabled == flag)
        return;
    enabled = flag;
    MarkChanged(false);
}

void MenuItem::SetIcon(int32_t iconId)
{
    if (icon == iconId)
        return;
    icon = iconId;
    MarkChanged(false);
}

void MenuItem::SetCheckMark(bool flag)
{
    if (checked == flag)
        return;
    checked = flag;
    MarkChanged(false);
}

void MenuItem::SetKeyAndModifiers(int32_t keyCode, int32_t modifiers)
{
    if (key == keyCode && keyModifiers == modifiers)
        return;
    key = keyCode;
    keyModifiers = modifiers;
    MarkChanged(false);
}

bool MenuItem::IsEnabledInTree(const MenuItem* item)
{
    for (; item; item = item->parent)
        if (!item->enabled)
            return false;
    return true;
}

void MenuItem::Choose()
{
    std::string shown;
    for (char c : text)
        if (c != '&')
            shown.push_back(c);
    {
        ScopedCommandText command(shown);
        if (Application* application = Application::Get())
            application->DoCommandOnCurrentTarget(*this);
    }
    ReportPendingError();
}

void MenuItem::ReloadTexts(int32_t changed)
{
    if (textId != 0)
        SetText(textId);
    for (MenuItem* child = firstChild; child; child = child->next)
        child->ReloadTexts(changed);
}

MenuItem* NextMenuItemInTree(MenuItem* item)
{
    if (item->FirstChild())
        return item->FirstChild();
    for (MenuItem* p = item; p; p = p->Parent())
        if (p->Next())
            return p->Next();
    // Nothing follows: back at the root.
    MenuItem* root = item;
    while (root->Parent())
        root = root->Parent();
    return root;
}

void SetMenuItemEnabled(MenuItem* item, bool flag)
{
    if (item)
        item->SetEnabled(flag);
}
void EnableMenuItem(MenuItem* item) { SetMenuItemEnabled(item, true); }
void DisableMenuItem(MenuItem* item) { SetMenuItemEnabled(item, false); }

ListMenu::ListMenu(MenuItem* anchor, int32_t flags, int32_t commandCode, int32_t formatId, int32_t keyCode,
                   int32_t modifiers)
    : MenuItem(anchor, flags | kMenuDisabled, commandCode), formatTextId(formatId)
{
    SetKeyAndModifiers(keyCode, modifiers);
    RebuildText();
}

ListMenu::~ListMenu() = default;

void ListMenu::RebuildText()
{
    const char* format = LoadText(formatTextId);
    String built;
    built.AssignCStr(format);
    std::string value = argument;
    if (argumentTextId != 0 && UiLanguage() != 0) {
        std::vector<char> lowered(value.begin(), value.end());
        lowered.push_back('\0');
        CStrToLower(lowered.data());
        value = lowered.data();
    }
    built.SubstituteArgCStr(0, value.c_str());
    // Without an argument "Undo @0" reads "Undo", not "Undo ".
    std::string shown = built.CStr();
    while (!shown.empty() && shown.back() == ' ')
        shown.pop_back();
    SetTextString(shown.c_str());
}

void ListMenu::SetArgument(const char* value)
{
    argument = value ? value : "";
    argumentTextId = 0;
    RebuildText();
}

void ListMenu::SetTitle(int32_t id, bool enabledFlag)
{
    argumentTextId = id;
    const char* loaded = id != 0 ? LoadText(id) : nullptr;
    argument = loaded ? loaded : "";
    RebuildText();
    SetEnabled(enabledFlag);
}

void ListMenu::SetTitle(const char* value, bool enabledFlag)
{
    SetArgument(value);
    SetEnabled(enabledFlag);
}

void ListMenu::ReloadTexts(int32_t changed)
{
    MenuItem::ReloadTexts(changed);
    if (argumentTextId != 0) {
        const char* loaded = LoadText(argumentTextId);
        argument = loaded ? loaded : "";
    }
    RebuildText();
}

}  // namespace vek
