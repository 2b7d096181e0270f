// MenuItem and ListMenu: the program's own model of the menu bar, from which the platform menus are built.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vek {

// Construction flags: bits 0-1 the attach mode, 4 created disabled, 8 ellipsis.
constexpr int32_t kMenuAppend = 0;
constexpr int32_t kMenuAppendKeepLast = 1;
constexpr int32_t kMenuBefore = 2;
constexpr int32_t kMenuAfter = 3;
constexpr int32_t kMenuDisabled = 4;
constexpr int32_t kMenuEllipsis = 8;

// Key modifier bits of a key equivalent (the command key is always implied).
constexpr int32_t kMenuShift = 1;
constexpr int32_t kMenuOption = 2;

// One entry of the menu tree: the root is the menu bar, its children the menus, their children the
// items (an item with children is a submenu). Every change of what the platform shows raises the
// global changed flags, so that the platform menus follow at the next refresh. The parent owns its
// children; destroying an item destroys its subtree first and unlinks it.
class MenuItem {
public:
    // parent (modes 0, 1) or sibling anchor (modes 2, 3); null makes a root.
    MenuItem(MenuItem* anchor, int32_t flags, int32_t command);
    virtual ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    // Runs the command on the current target with the item's text (without "&") published as the
    // current command text; reports a pending error afterwards.
    virtual void Choose();
    // Looks the text up again when it comes from a text id, then does the same for every child.
    virtual void ReloadTexts(int32_t changed);

    // Texts (each marks the parent's texts changed).
    void SetConstText(const char* text);
    void SetText(int32_t textId);
    void SetTextString(const char* text);
    void SetTextFromString(const std::string& text);
    // Setters that do nothing when the value is unchanged.
    void SetEnabled(bool flag);
    void SetIcon(int32_t iconId);
    void SetCheckMark(bool flag);
    void SetKeyAndModifiers(int32_t key, int32_t modifiers);

    // True when the item and every ancestor are enabled (null counts as enabled).
    static bool IsEnabledInTree(const MenuItem* item);

    int32_t platformMenuId = 0;
    int32_t textsChanged = 1;
    int32_t platformReference = 0;

    MenuItem* Next() const { return next; }
    MenuItem* Previous() const { return previous; }
    MenuItem* Parent() const { return parent; }
    MenuItem* FirstChild() const { return firstChild; }
    int32_t Command() const { return command; }
    const std::string& Text() const { return text; }
    bool HasText() const { return !text.empty(); }
    int32_t TextId() const { return textId; }
    int32_t Icon() const { return icon; }
    bool IsEnabled() const { return enabled; }
    bool IsKeptLast() const { return keptLast; }
    bool IsChecked() const { return checked; }
    bool HasEllipsis() const { return ellipsis; }
    int32_t Key() const { return key; }
    int32_t KeyModifiers() const { return keyModifiers; }

protected:
    // Raises the changed flags (the menu bar's too for a menu of the bar); with textChange the
    // parent's texts-changed flag as well.
    void MarkChanged(bool textChange);

private:
    void Attach(MenuItem* anchor, int32_t mode);
    void Detach();
    void StoreText(const std::string& value, int32_t id);

    MenuItem* next = nullptr;
    MenuItem* previous = this;
    MenuItem* parent = nullptr;
    MenuItem* firstChild = nullptr;
    int32_t command = 0;
    std::string text;
    int32_t textId = 0;
    int32_t icon = 0;
    bool enabled = true;
    bool keptLast = false;
    bool checked = false;
    bool ellipsis = false;
    int32_t key = 0;
    int32_t keyModifiers = 0;
};

// An item whose text is a format text with one argument ("Undo @0").
class ListMenu : public MenuItem {
public:
    ListMenu(MenuItem* anchor, int32_t flags, int32_t command, int32_t formatTextId, int32_t key, int32_t modifiers);
    ~ListMenu() override;

    void ReloadTexts(int32_t changed) override;
    void RebuildText();
    void SetArgument(const char* text);
    // The argument by text id (0: none) and the enabled state.
    void SetTitle(int32_t textId, bool enabledFlag);
    void SetTitle(const char* text, bool enabledFlag);

private:
    int32_t formatTextId = 0;
    std::string argument;
    int32_t argumentTextId = 0;
};

// The depth-first successor; the root when none is left.
MenuItem* NextMenuItemInTree(MenuItem* item);
// Null-safe forms of SetEnabled.
void SetMenuItemEnabled(MenuItem* item, bool flag);
void EnableMenuItem(MenuItem* item);
void DisableMenuItem(MenuItem* item);

// The root of the menu model (the menu bar) while the application lives.
MenuItem* RootMenuItem();
void SetRootMenuItem(MenuItem* root);
// The two global flags: menus changed (enabling), menu bar changed (rebuild).
bool MenusChanged();
bool MenuBarChanged();
void ClearMenusChanged();
void ClearMenuBarChanged();
// The text of the command being chosen (empty outside MenuItem::Choose and PushButton::Fire).
const std::string& CurrentCommandText();

// Publishes a text as the current command text for its lifetime, then puts back the one before.
class ScopedCommandText {
public:
    explicit ScopedCommandText(std::string_view text);
    ~ScopedCommandText();
    ScopedCommandText(const ScopedCommandText&) = delete;
    ScopedCommandText& operator=(const ScopedCommandText&) = delete;

private:
    std::string saved;
};

}  // namespace vek
