// RecentFiles: the list of the base files opened last, kept in the preferences, and its menu.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vek {

class PreferenceStore;

constexpr int32_t kRecentFileSlots = 8;

// The recent files: up to 8 paths, most recent first, the number kept (0 turns the list off), and how
// the menu shows them. Slots at and above the count are empty.
struct RecentFileList {
    std::array<std::string, kRecentFileSlots> slots;
    int32_t count = kRecentFileSlots;
    bool fullPaths = false;
    bool submenu = true;
};

// The list of this run.
RecentFileList& RecentFiles();

// Clears the slots and sets the submenu flag (at start-up, before the preferences are read).
void InitRecentFiles();
// Reads "VEK5.RecentFile0" ... into the slots below the count; the others are emptied.
void LoadRecentFiles(const PreferenceStore& store);
// Writes the slots below the count, removes the keys of empty slots, of slots at and above the count
// and the older keys "RecentFile0" ... "RecentFile7".
void SaveRecentFiles(PreferenceStore& store);
// Puts a path first (only while the count is not 0 and no cancel is pending): the list is read again
// from the user's file, the path moves up from where it was (or the last slot drops out), and the
// list is saved and its menu rebuilt.
void AddRecentFile(const std::string& path);
// Opens the slot's file as a base (nothing at or above the count, or for an empty slot).
void OpenRecentFile(int32_t slot);
// Empties every slot, saves the list and rebuilds the menu.
void ClearRecentFiles();
// The File menu's recent files: submenu 2500 after Close with the entries, a separator and 2502; or,
// without the submenu, a separator, the entries and 2501 at the File menu's end. Nothing without a
// filled slot or without a menu bar. With full paths the entries show their paths sorted byte-wise,
// otherwise their file names in recency order.
void RebuildRecentFilesMenu();
// Forgets the menu items without deleting them (the menu bar that owned them is going).
void ForgetRecentFilesMenu();

}  // namespace vek
