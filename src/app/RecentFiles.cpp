// RecentFiles: the recent-file slots, their keys in the preferences file, and their File menu items.
#include "app/RecentFiles.h"

#include <algorithm>
#include <vector>

#include "app/Preferences.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "platform/FilePath.h"
#include "platform/PreferenceStore.h"

namespace vek {

namespace {

RecentFileList recentFiles;
// The items this list put into the File menu (each owns its subtree), so that a rebuild removes them.
std::vector<MenuItem*> recentMenuItems;

// Command codes of the recent-file items and of the item that clears the list.
constexpr int32_t kCommandRecentFile = 10;
constexpr int32_t kCommandClearRecent = 11;

std::string RecentKey(int32_t slot) { return "VEK5.RecentFile" + std::to_string(slot); }

// One recent file in the menu: choosing it opens its slot's file.
class RecentFileMenuItem final : public MenuItem {
public:
    RecentFileMenuItem(MenuItem* anchor, int32_t flags, int32_t slot)
        : MenuItem(anchor, flags, kCommandRecentFile), slot(slot)
    {
    }
    void Choose() override { OpenRecentFile(slot); }

private:
    int32_t slot;
};

class ClearRecentMenuItem final : public MenuItem {
public:
    ClearRecentMenuItem(MenuItem* anchor, int32_t flags) : MenuItem(anchor, flags, kCommandClearRecent) {}
    void Choose() override { ClearRecentFiles(); }
};

void RemoveRecentMenuItems()
{
    // Items are deleted last first: a separator was made before the entries it stands above.
    for (auto item = recentMenuItems.rbegin(); item != recentMenuItems.rend(); ++item)
        delete *item;
    recentMenuItems.clear();
}

std::string ShownName(const std::string& path, bool fullPath)
{
    if (fullPath)
        return path;
    // A path taken as the system gave it: a file gone since is no error here.
    FilePath file;
    file.SetFromSystemPath(path);
    String name;
    file.GetDisplayFileName(name);
    return name.CStr();
}

}  // namespace

RecentFileList& RecentFiles() { return recentFiles; }

void InitRecentFiles()
{
    for (std::string& slot : recentFiles.slots)
        slot.clear();
    recentFiles.submenu = true;
}

void LoadRecentFiles(const PreferenceStore& store)
{
    String value;
    for (int32_t slot = 0; slot < kRecentFileSlots; ++slot) {
        if (slot < recentFiles.count) {
            store.GetString(RecentKey(slot).c_str(), value);
            recentFiles.slots[static_cast<size_t>(slot)] = value.CStr();
        } else {
            recentFiles.slots[static_cast<size_t>(slot)].clear();
        }
    }
}

void SaveRecentFiles(PreferenceStore& store)
{
    for (int32_t slot = 0; slot < kRecentFileSlots; ++slot) {
        const std::string& path = recentFiles.slots[static_cast<size_t>(slot)];
        if (slot < recentFiles.count && !path.empty())
            store.SetString(RecentKey(slot).c_str(), path.c_str());
        else
            store.Remove(RecentKey(slot).c_str());
        store.Remove(("RecentFile" + std::to_string(slot)).c_str());
    }
}

void AddRecentFile(const std::string& path)
{
    if (recentFiles.count == 0 || IsErrorPending() || path.empty())
        return;
    PreferenceStore store;
    store.Open(kPreferencesDomain, 0);
    // Another running copy of the program may have added files meanwhile.
    LoadRecentFiles(store);
    int32_t last = recentFiles.count - 1;
    int32_t found = last;
    for (int32_t slot = 0; slot < last; ++slot) {
        if (recentFiles.slots[static_cast<size_t>(slot)] == path) {
            found = slot;
            break;
        }
    }
    for (int32_t slot = found; slot > 0; --slot)
        recentFiles.slots[static_cast<size_t>(slot)] = recentFiles.slots[static_cast<size_t>(slot - 1)];
    recentFiles.slots[0] = path;
    SaveRecentFiles(store);
    store.Close();
    RebuildRecentFilesMenu();
}

void OpenRecentFile(int32_t slot)
{
    if (slot < 0 || slot >= recentFiles.count || recentFiles.slots[static_cast<size_t>(slot)].empty())
        return;
    FilePath file;
    file.SetFromSystemPath(recentFiles.slots[static_cast<size_t>(slot)]);
    if (Application* application = Application::Get())
        application->OpenDocumentOnCurrentTarget(0, file);
}

void ClearRecentFiles()
{
    for (std::string& slot : recentFiles.slots)
        slot.clear();
    PreferenceStore store;
    store.Open(kPreferencesDomain, 0);
    SaveRecentFiles(store);
    store.Close();
    RebuildRecentFilesMenu();
}

void ForgetRecentFilesMenu() { recentMenuItems.clear(); }

void RebuildRecentFilesMenu()
{
    RemoveRecentMenuItems();
    MenuItem* openItem = FindMenuItemByCommand(kCommandOpen);
    if (openItem == nullptr || openItem->Parent() == nullptr)
        return;
    struct Entry {
        int32_t slot;
        std::string shown;
    };
    std::vector<Entry> entries;
    for (int32_t slot = 0; slot < recentFiles.count; ++slot) {
        const std::string& path = recentFiles.slots[static_cast<size_t>(slot)];
        if (!path.empty())
            entries.push_back({slot, ShownName(path, recentFiles.fullPaths)});
    }
    if (entries.empty())
        return;
    if (recentFiles.fullPaths)
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.shown < b.shown; });
    MenuItem* fileMenu = openItem->Parent();
    MenuItem* holder = fileMenu;
    if (recentFiles.submenu) {
        // After the item that closes (the third of the File menu), as the open items stand together.
        MenuItem* anchor = FindMenuItemByCommand(kCommandOpenOther);
        auto* submenu = anchor ? new MenuItem(anchor, kMenuAfter, 0) : new MenuItem(fileMenu, kMenuAppend, 0);
        submenu->SetText(2500);
        recentMenuItems.push_back(submenu);
        holder = submenu;
    } else {
        auto* separator = new MenuItem(fileMenu, kMenuAppend, 0);
        recentMenuItems.push_back(separator);
    }
    for (const Entry& entry : entries) {
        auto* item = new RecentFileMenuItem(holder, kMenuAppend, entry.slot);
        item->SetTextFromString(entry.shown);
        if (!recentFiles.submenu)
            recentMenuItems.push_back(item);
    }
    if (recentFiles.submenu)
        new MenuItem(holder, kMenuAppend, 0);  // the separator before the clear item
    auto* clear = new ClearRecentMenuItem(holder, kMenuAppend);
    clear->SetText(recentFiles.submenu ? 2502 : 2501);
    if (!recentFiles.submenu)
        recentMenuItems.push_back(clear);
}

}  // namespace vek
