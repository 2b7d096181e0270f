// ProgramMenus: the program's own menus over the standard ones, kept in step with the front base.
#pragma once

#include <cstdint>

namespace vek {

class Base;
class MenuItem;

// Command codes of the program's items (the rest are known by their text number, which the base's
// command handler and the application dispatch on).
enum ProgramCommand : int32_t {
    kCommandSaveTemplates = 12,
    kCommandAuthorizations = 13,
    kCommandWebUsers = 14,
    kCommandImport = 16,
    kCommandExport = 17,
    kCommandViewMode = 18,
    kCommandCopyOptions = 19,
    kCommandNewObject = 20,
    kCommandExpandAll = 22,
    kCommandLevels = 23,
    kCommandFitColumns = 24,
    kCommandFirstDimension = 25,  // 25..56: the dimension editor of dimension 0..31
};

// Adds the program's items to the standard File and Edit menus and the menus 2524 (the base) and
// 2546 (the analyses) before the Window menu. Called once the standard menus exist (the application's
// constructor); the items belong to the menu tree and go with it.
void BuildProgramMenus();
// Forgets the items when the menu tree is destroyed.
void ForgetProgramMenus();

// The base whose objects the base-dependent menus show (null: none). Setting it runs the updaters of
// the import setups, the dimensions, the subsets, the time scales and the macros, then those of the
// save setups and the analyses; each skips its work when it last built for that base.
void SetMenuBase(Base* base);
Base* MenuBase();
// Makes the next SetMenuBase of the base build its menus again (its named objects changed).
void ForgetMenusBuiltFor(const Base& base);

// The application's part of UpdateMenus, after the standard items: `document` is whether a menu base
// exists and no base is being read.
void EnableProgramMenus(bool document);
// The items a current base enables of its own: Save while it is modified, the commands that open or
// make its objects; the commands on the front window's object stay disabled (the window enables
// them).
void EnableBaseMenuItems(Base& base, bool saveEnabled);

// The program's item with the text number, null when none (tests, windows that retitle items).
MenuItem* FindProgramMenuItem(int32_t textId);

}  // namespace vek
