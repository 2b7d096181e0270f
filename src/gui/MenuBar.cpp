// MenuBar: building the standard menus and the platform menus, menu choices, standard enabling.
#include "gui/MenuBar.h"

#include <cstring>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/services/Clock.h"
#include "gui/Application.h"
#include "gui/MenuItem.h"
#include "gui/Window.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/InputEvent.h"
#include "platform/events/WindowSystem.h"

namespace vek {

namespace {

struct StandardMenus {
    MenuItem* status = nullptr;
    MenuItem* preferences = nullptr;
    MenuItem* pageSetup = nullptr;
    MenuItem* windowMenu = nullptr;
    MenuItem* close = nullptr;
    MenuItem* closeAll = nullptr;
    MenuItem* zoom = nullptr;
    MenuItem* zoomOther = nullptr;
};

StandardMenus standard;
std::vector<PlatformMenu> platformMenus;
bool systemCommands[5] = {false, true, true, true, true};
char statusFirst[32] = "";
char statusSecond[16] = "";

constexpr int32_t kStatusFormatText = 200;
constexpr int32_t kMaxMenuText = 120;

void CopyCut(char* out, size_t capacity, const char* text)
{
    out[0] = '\0';
    if (!text)
        return;
    size_t n = std::strlen(text);
    if (n >= capacity)
        n = capacity - 1;
    // Never cut inside a UTF-8 sequence.
    while (n > 0 && (uint8_t(text[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(out, text, n);
    out[n] = '\0';
}

std::string MenuText(const MenuItem& item)
{
    std::string text = item.Text();
    if (text.size() > size_t(kMaxMenuText)) {
        size_t n = size_t(kMaxMenuText);
        while (n > 0 && (uint8_t(text[n]) & 0xC0) == 0x80)
            --n;
        text.resize(n);
    }
    if (item.HasEllipsis())
        text += "\xE2\x80\xA6";
    return text;
}

MenuItem* Add(MenuItem& menu, int32_t flags, int32_t command, int32_t textId, int32_t key, int32_t modifiers)
{
    auto* item = new MenuItem(&menu, flags, command);
    item->SetText(textId);
    if (key)
        item->SetKeyAndModifiers(key, modifiers);
    return item;
}

void AddSeparator(MenuItem& menu) { new MenuItem(&menu, kMenuAppend, 0); }

ListMenu* AddList(MenuItem& menu, int32_t command, int32_t textId, int32_t key, int32_t modifiers)
{
    auto* item = new ListMenu(&menu, kMenuAppend, command, textId, key, modifiers);
    item->SetTitle(0, false);
    return item;
}

int32_t BuildPlatformMenu(MenuItem& entry, bool enabled)
{
    const int32_t id = int32_t(platformMenus.size()) + 1;
    entry.platformMenuId = id;
    entry.textsChanged = 0;
    platformMenus.push_back(PlatformMenu{});
    {
        PlatformMenu& menu = platformMenus.back();
        menu.id = id;
        menu.title = MenuText(entry);
        menu.enabled = enabled && entry.IsEnabled();
    }
    for (MenuItem* child = entry.FirstChild(); child; child = child->Next()) {
        if (IsItemHiddenFromMenu(*child))
            continue;
        PlatformMenuEntry shown;
        shown.text = child->HasText() ? MenuText(*child) : "-";
        shown.enabled = child->IsEnabled();
        if (!child->FirstChild()) {
            shown.icon = child->Icon();
            if (child->Key()) {
                shown.key = (child->Key() >= 'a' && child->Key() <= 'z') ? child->Key() - 32 : child->Key();
                shown.modifiers = child->KeyModifiers();
            }
            shown.checked = child->IsChecked();
            platformMenus[size_t(id - 1)].items.push_back(shown);
        } else {
            size_t slot = platformMenus[size_t(id - 1)].items.size();
            platformMenus[size_t(id - 1)].items.push_back(shown);
            const int32_t submenu = BuildPlatformMenu(*child, enabled && entry.IsEnabled());
            platformMenus[size_t(id - 1)].items[slot].submenuId = submenu;
        }
    }
    return id;
}

}  // namespace

const std::vector<PlatformMenu>& PlatformMenus() { return platformMenus; }

bool IsSystemCommandEnabled(SystemCommand command) { return systemCommands[int32_t(command)]; }

void BuildStandardMenus(MenuItem& root)
{
    // The application menu, titled with the one character 0x14.
    auto* apple = new MenuItem(&root, 0, 0);
    apple->SetConstText("\x14");
    auto* status = new ListMenu(apple, kMenuEllipsis, kCommandStatus, kStatusFormatText, 0, 0);
    standard.status = status;

    auto* file = new MenuItem(&root, 0, 0);
    file->SetText(201);
    Add(*file, 0, kCommandNew, 202, 'N', 0);
    Add(*file, kMenuEllipsis, kCommandOpen, 203, 'O', 0);
    Add(*file, 0, kCommandOpenOther, 204, 0, 0);
    AddSeparator(*file);
    Add(*file, 0, kCommandSave, 205, 'S', 0);
    Add(*file, kMenuEllipsis, kCommandSaveAs, 206, 'S', kMenuShift);
    AddSeparator(*file);
    standard.preferences = Add(*file, kMenuEllipsis, kCommandPreferences, 207, 0, 0);
    AddSeparator(*file);
    standard.pageSetup = Add(*file, kMenuEllipsis, kCommandPageSetup, 208, 'P', kMenuShift);
    Add(*file, kMenuEllipsis, kCommandPrint, 209, 'P', 0);

    auto* edit = new MenuItem(&root, 0, 0);
    edit->SetText(211);
    AddList(*edit, kCommandUndo, 212, 'Z', 0);
    AddList(*edit, kCommandRedo, 213, 'Z', kMenuShift);
    AddSeparator(*edit);
    AddList(*edit, kCommandCut, 214, 'X', 0);
    AddList(*edit, kCommandCopy, 215, 'C', 0);
    AddList(*edit, kCommandPaste, 216, 'V', 0);
    AddSeparator(*edit);
    AddList(*edit, kCommandClear, 217, 'B', 0);
    AddList(*edit, kCommandDuplicate, 218, 'D', 0);
    AddSeparator(*edit);
    Add(*edit, 0, kCommandSelectAll, 219, 'A', 0);

    auto* window = new MenuItem(&root, kMenuDisabled, 0);
    window->SetText(220);
    standard.windowMenu = window;
    standard.close = Add(*window, 0, kCommandClose, 221, 'W', 0);
    standard.closeAll = Add(*window, 0, kCommandCloseAll, 222, 'W', kMenuOption);
    standard.zoom = Add(*window, 0, kCommandZoom, 223, 'Z', kMenuOption);
    standard.zoomOther = Add(*window, 0, kCommandZoomOther, 224, 0, 0);
    ShowStatusTexts();
}

void ForgetStandardMenus() { standard = StandardMenus(); }

MenuItem* StatusMenuItem() { return standard.status; }
MenuItem* PreferencesMenuItem() { return standard.preferences; }

void SetStatusTexts(const char* first, const char* second)
{
    CopyCut(statusFirst, sizeof statusFirst, first);
    CopyCut(statusSecond, sizeof statusSecond, second);
    ShowStatusTexts();
}

void ShowStatusTexts()
{
    if (!standard.status)
        return;
    std::string argument = statusFirst;
    argument += statusSecond;
    static_cast<ListMenu*>(standard.status)->SetArgument(argument.c_str());
}

const char* ProgramTitle() { return statusFirst; }

void RebuildPlatformMenus(bool)
{
    platformMenus.clear();
    MenuItem* root = RootMenuItem();
    if (!root)
        return;
    for (MenuItem* menu = root->FirstChild(); menu; menu = menu->Next())
        BuildPlatformMenu(*menu, root->IsEnabled());
    systemCommands[int32_t(SystemCommand::Preferences)] =
        standard.preferences != nullptr && standard.preferences->IsEnabled();
    Service<WindowSystem>::Get().MenusRebuilt();
}

void DeletePlatformMenus() { platformMenus.clear(); }

MenuItem* FindMenuById(int32_t menuId)
{
    MenuItem* root = RootMenuItem();
    if (!root || menuId <= 0)
        return nullptr;
    for (MenuItem* item = NextMenuItemInTree(root); item != root; item = NextMenuItemInTree(item))
        if (item->platformMenuId == menuId)
            return item;
    return nullptr;
}

MenuItem* FindMenuItem(int32_t menuId, int32_t itemNumber)
{
    MenuItem* menu = FindMenuById(menuId);
    if (!menu)
        return nullptr;
    int32_t n = 0;
    for (MenuItem* child = menu->FirstChild(); child; child = child->Next()) {
        if (IsItemHiddenFromMenu(*child))
            continue;
        if (++n == itemNumber)
            return child;
    }
    return nullptr;
}

bool IsItemHiddenFromMenu(const MenuItem& entry)
{
    // The Preferences command lives in the application menu of the system, not in the program's own.
    if (&entry == standard.preferences)
        return true;
    const MenuItem* before = entry.Parent() && entry.Parent()->FirstChild() != &entry ? entry.Previous() : nullptr;
    if (!entry.HasText() && before == standard.preferences && before) {
        const MenuItem* beforeThat =
            before->Parent()->FirstChild() != before ? before->Previous() : nullptr;
        return beforeThat && !beforeThat->HasText();
    }
    return false;
}

MenuItem* FindMenuItemForKey(int32_t key, int32_t modifiers)
{
    MenuItem* root = RootMenuItem();
    if (!root || key <= 0)
        return nullptr;
    const int32_t upper = (key >= 'a' && key <= 'z') ? key - 32 : key;
    for (MenuItem* item = NextMenuItemInTree(root); item != root; item = NextMenuItemInTree(item)) {
        const int32_t itemKey = (item->Key() >= 'a' && item->Key() <= 'z') ? item->Key() - 32 : item->Key();
        if (itemKey == upper && item->KeyModifiers() == modifiers && !item->FirstChild() &&
            MenuItem::IsEnabledInTree(item))
            return item;
    }
    return nullptr;
}

int32_t RecordWindowPlacementPoint()
{
    Application* application = Application::Get();
    Window* window = application ? application->ActiveWindow() : nullptr;
    if (!window)
        return 0;
    const Point mouse = LatestMouseLocation();
    const OriginSize frame = window->Frame();
    const Rect global{frame.top, frame.left, ClampCoordinate(frame.top + frame.height),
                      ClampCoordinate(frame.left + frame.width)};
    if (!IsPointInRect(mouse, global))
        return 0;
    Window::SetPlacementPoint(Point{ClampCoordinate(frame.top + frame.height / 2),
                                    ClampCoordinate(frame.left + frame.width / 2)});
    return 1;
}

int32_t HandleMenuSelection(int32_t menuId, int32_t itemNumber)
{
    const int64_t start = CurrentTimeMs();
    MenuItem* entry = FindMenuItem(menuId, itemNumber);
    if (!entry || !MenuItem::IsEnabledInTree(entry))
        return 0;
    RecordWindowPlacementPoint();
    StartCommandThread(*entry);
    ReportPendingError();
    // The title stays highlighted long enough to be seen.
    const int64_t elapsed = CurrentTimeMs() - start;
    if (elapsed < 100)
        DelayYielding(100 - elapsed);
    return 1;
}

void ResetStandardMenuItems()
{
    MenuItem* root = RootMenuItem();
    if (!root)
        return;
    for (MenuItem* menu = root->FirstChild(); menu; menu = menu->Next())
        if (menu->TextId() == 201)
            menu->SetEnabled(!ModalWindowFlag());
    for (int32_t command : {kCommandNew, kCommandOpen, kCommandOpenOther, kCommandSave, kCommandSaveAs,
                            kCommandPreferences, kCommandPrint, kCommandSelectAll})
        for (MenuItem* item = NextMenuItemInTree(root); item != root; item = NextMenuItemInTree(item))
            if (item->Command() == command)
                item->SetEnabled(false);
    for (int32_t command : {kCommandUndo, kCommandRedo, kCommandCut, kCommandCopy, kCommandPaste, kCommandClear,
                            kCommandDuplicate})
        for (MenuItem* item = NextMenuItemInTree(root); item != root; item = NextMenuItemInTree(item))
            if (item->Command() == command)
                static_cast<ListMenu*>(item)->SetTitle(0, false);
}

void EnableMenuCommands()
{
    Application* application = Application::Get();
    DisableMenuItem(standard.pageSetup);
    DisableMenuItem(standard.close);
    DisableMenuItem(standard.closeAll);
    DisableMenuItem(standard.zoom);
    DisableMenuItem(standard.zoomOther);
    const bool modal = ModalWindowFlag();
    SetMenuItemEnabled(standard.windowMenu, application && application->FirstChild() && !modal);
    systemCommands[int32_t(SystemCommand::Hide)] = true;
    systemCommands[int32_t(SystemCommand::HideOthers)] = true;
    systemCommands[int32_t(SystemCommand::ShowAll)] = true;
    systemCommands[int32_t(SystemCommand::Quit)] = !modal;
}

void EnableWindowMenuItems(const Window& window)
{
    if (window.Kind() == kKindDialogWindow)
        return;
    EnableMenuItem(standard.pageSetup);
    EnableMenuItem(standard.close);
    for (MenuItem* item = NextMenuItemInTree(RootMenuItem()); item && item != RootMenuItem();
         item = NextMenuItemInTree(item))
        if (item->Command() == kCommandPrint)
            EnableMenuItem(item);
    EnableMenuItem(standard.closeAll);
    if (window.Kind() == 1) {
        EnableMenuItem(standard.zoom);
        EnableMenuItem(standard.zoomOther);
    }
}

void EnableCloseAllItem(bool flag) { SetMenuItemEnabled(standard.closeAll, flag); }

}  // namespace vek
