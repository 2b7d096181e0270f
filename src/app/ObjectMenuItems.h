// ObjectMenuItems: the menu items that stand for a base's named objects, and the menus the base fills
// with them.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "gui/MenuItem.h"
#include "model/named/NamedObjects.h"

namespace vek {

class Base;
class ImportSetup;
class Macro;
class SaveSetup;
class Subset;
class Template;
class TimeScale;

// Each item keeps its object without owning it; the menus are rebuilt whenever the base's objects
// change, before an item could outlive its object.

// A template or a template group: opens it (a group opens each of its templates).
class TemplateMenuItem final : public MenuItem {
public:
    TemplateMenuItem(MenuItem* parent, Base& base, Template& node);
    void Choose() override;

private:
    Base& base;
    Template& node;
};

// A macro: runs it, or opens it in the macro editor.
class MacroMenuItem final : public MenuItem {
public:
    MacroMenuItem(MenuItem* parent, Macro& macro, MacroItemAction action, std::string_view text);
    void Choose() override;

private:
    Macro& macro;
    MacroItemAction action;
};

// A time scale: opens its editor window.
class TimeScaleMenuItem final : public MenuItem {
public:
    TimeScaleMenuItem(MenuItem* parent, Base& base, TimeScale& timeScale);
    void Choose() override;

private:
    Base& base;
    TimeScale& timeScale;
};

// A global subset (icon 315): opens its window.
class SubsetMenuItem final : public MenuItem {
public:
    SubsetMenuItem(MenuItem* parent, Base& base, Subset& subset);
    void Choose() override;

private:
    Base& base;
    Subset& subset;
};

// An import setup or a save setup: opens its window.
class ImportSetupMenuItem final : public MenuItem {
public:
    ImportSetupMenuItem(MenuItem* parent, Base& base, ImportSetup& setup);
    void Choose() override;

private:
    Base& base;
    ImportSetup& setup;
};

class SaveSetupMenuItem final : public MenuItem {
public:
    SaveSetupMenuItem(MenuItem* parent, Base& base, SaveSetup& setup);
    void Choose() override;

private:
    Base& base;
    SaveSetup& setup;
};

// The model's view of a program menu (ObjectMenu): submenus and the items of macros, time scales and
// templates of one base go into a menu item.
class ProgramObjectMenu final : public ObjectMenu {
public:
    ProgramObjectMenu(MenuItem& item, Base& base);
    ~ProgramObjectMenu() override;

    ObjectMenu* FindSubmenu(std::string_view title) override;
    ObjectMenu* AddSubmenu(std::string_view title) override;
    void AddMacroItem(Macro& macro, MacroItemAction action, std::string_view title) override;
    void AddTimeScaleItem(TimeScale& timeScale) override;
    void AddTemplateItem(Template& node, std::string_view title, bool checked) override;

    MenuItem& Item() const { return item; }

private:
    MenuItem& item;
    Base& base;
    // The views of submenus handed out, kept as long as this view.
    std::vector<std::unique_ptr<ProgramObjectMenu>> submenus;
};

}  // namespace vek
