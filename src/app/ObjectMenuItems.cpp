// ObjectMenuItems: choosing the items of templates, macros, time scales, subsets and setups.
#include "app/ObjectMenuItems.h"

#include <string>

#include "editors/TimeScaleWindow.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "model/dates/TimeScale.h"
#include "model/named/Macro.h"
#include "model/selections/Subset.h"
#include "model/templates/Template.h"
#include "model/templates/TemplateTree.h"
#include "files/setups/ImportSetup.h"
#include "files/setups/SaveSetup.h"

namespace vek {

namespace {

constexpr int32_t kSubsetIcon = 315;

const char* TextOf(ConstHeapText text) { return text ? text : ""; }

}  // namespace

TemplateMenuItem::TemplateMenuItem(MenuItem* parent, Base& forBase, Template& forNode)
    : MenuItem(parent, kMenuAppend, 0), base(forBase), node(forNode)
{
}

void TemplateMenuItem::Choose() { (void)base.Templates().Open(&node, nullptr, 0); }

MacroMenuItem::MacroMenuItem(MenuItem* parent, Macro& forMacro, MacroItemAction forAction, std::string_view text)
    : MenuItem(parent, kMenuAppend, 0), macro(forMacro), action(forAction)
{
    SetTextFromString(std::string(text));
}

void MacroMenuItem::Choose()
{
    if (action == MacroItemAction::Run)
        macro.Run();
    else if (Base* base = macro.List().GetBase())
        (void)Service<ModelServices>::Get().OpenBaseWindow(*base, BaseWindowKind::Macro, 0);
}

TimeScaleMenuItem::TimeScaleMenuItem(MenuItem* parent, Base& forBase, TimeScale& forScale)
    : MenuItem(parent, kMenuAppend, 0), base(forBase), timeScale(forScale)
{
    SetTextString(TextOf(timeScale.GetName()));
}

void TimeScaleMenuItem::Choose() { (void)OpenTimeScaleEditor(base, &timeScale, 0); }

SubsetMenuItem::SubsetMenuItem(MenuItem* parent, Base& forBase, Subset& forSubset)
    : MenuItem(parent, kMenuAppend, 0), base(forBase), subset(forSubset)
{
    SetTextFromString(std::string(subset.OperandName()));
    SetIcon(kSubsetIcon);
}

void SubsetMenuItem::Choose()
{
    // The subset window is still to come; until then choosing a subset evaluates it, so that its
    // result is ready when a window or a command asks.
    (void)base;
    (void)subset.Evaluate();
}

ImportSetupMenuItem::ImportSetupMenuItem(MenuItem* parent, Base& forBase, ImportSetup& forSetup)
    : MenuItem(parent, kMenuAppend, 0), base(forBase), setup(forSetup)
{
    SetTextString(TextOf(setup.GetName()));
}

void ImportSetupMenuItem::Choose() { (void)Service<ModelServices>::Get().OpenBaseWindow(base, BaseWindowKind::ImportSetup, 0); }

SaveSetupMenuItem::SaveSetupMenuItem(MenuItem* parent, Base& forBase, SaveSetup& forSetup)
    : MenuItem(parent, kMenuAppend, 0), base(forBase), setup(forSetup)
{
    SetTextString(TextOf(setup.GetName()));
}

void SaveSetupMenuItem::Choose() { (void)Service<ModelServices>::Get().OpenBaseWindow(base, BaseWindowKind::SaveSetup, 0); }

ProgramObjectMenu::ProgramObjectMenu(MenuItem& menuItem, Base& forBase) : item(menuItem), base(forBase) {}

ProgramObjectMenu::~ProgramObjectMenu() = default;

ObjectMenu* ProgramObjectMenu::FindSubmenu(std::string_view title)
{
    for (MenuItem* child = item.FirstChild(); child; child = child->Next()) {
        if (child->FirstChild() != nullptr && child->Text() == title) {
            submenus.push_back(std::make_unique<ProgramObjectMenu>(*child, base));
            return submenus.back().get();
        }
    }
    return nullptr;
}

ObjectMenu* ProgramObjectMenu::AddSubmenu(std::string_view title)
{
    auto* submenu = new MenuItem(&item, kMenuAppend, 0);
    submenu->SetTextFromString(std::string(title));
    submenus.push_back(std::make_unique<ProgramObjectMenu>(*submenu, base));
    return submenus.back().get();
}

void ProgramObjectMenu::AddMacroItem(Macro& macro, MacroItemAction action, std::string_view title)
{
    new MacroMenuItem(&item, macro, action, title);
}

void ProgramObjectMenu::AddTimeScaleItem(TimeScale& timeScale) { new TimeScaleMenuItem(&item, base, timeScale); }

void ProgramObjectMenu::AddTemplateItem(Template& node, std::string_view title, bool checked)
{
    auto* entry = new TemplateMenuItem(&item, base, node);
    entry->SetTextFromString(std::string(title));
    entry->SetCheckMark(checked);
}

}  // namespace vek
