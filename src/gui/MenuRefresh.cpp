// MenuRefresh: the menu-update countdown, rebuilding the platform menus, the status item, lookups.
#include "gui/MenuRefresh.h"

#include "foundation/services/Clock.h"
#include "gui/Application.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"

namespace vek {

namespace {

int32_t updateInterval = 0;
int64_t lastRefresh = INT64_MIN / 2;
int32_t rebuilds = 0;
MenuItem* statusItem = nullptr;

constexpr int32_t kIntervalAfterRefresh = 15000;
constexpr int32_t kStatusItemText = 225;

}  // namespace

void ResetMenuUpdateInterval() { updateInterval = 0; }

void CapMenuUpdateInterval(int32_t ms)
{
    if (updateInterval > ms)
        updateInterval = ms;
}

int32_t MenuUpdateInterval() { return updateInterval; }

bool UpdateMenusIfNeeded()
{
    Application* application = Application::Get();
    if (!application)
        return false;
    const int64_t now = CurrentTimeMs();
    // A reset interval (0) means at this very opportunity, even within the millisecond of the last.
    if (now - lastRefresh > updateInterval || updateInterval == 0) {
        application->UpdateMenusOfCurrentTarget();
        updateInterval = kIntervalAfterRefresh;
        lastRefresh = now;
    }
    if ((MenuBarChanged() || MenusChanged()) && RootMenuItem()) {
        ClearMenuBarChanged();
        DeletePlatformMenus();
        RebuildPlatformMenus(true);
        ClearMenusChanged();
        ++rebuilds;
        return true;
    }
    return false;
}

int32_t PlatformMenuRebuilds() { return rebuilds; }

MenuItem* EnsureStatusMenuItem()
{
    MenuItem* root = RootMenuItem();
    if (!root)
        return nullptr;
    for (MenuItem* item = root->FirstChild(); item; item = item->Next())
        if (item == statusItem)
            return statusItem;
    statusItem = new MenuItem(root, kMenuAppendKeepLast, 0);
    statusItem->SetText(kStatusItemText);
    return statusItem;
}

MenuItem* FindMenuItemByCommand(int32_t command)
{
    MenuItem* root = RootMenuItem();
    if (!root)
        return nullptr;
    for (MenuItem* item = NextMenuItemInTree(root); item != root; item = NextMenuItemInTree(item))
        if (item->Command() == command)
            return item;
    return nullptr;
}

}  // namespace vek
