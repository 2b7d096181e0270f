// ProgramMenus: building the program's menus, the base-dependent updaters and the enabling.
#include "app/ProgramMenus.h"

#include <array>
#include <vector>

#include "app/ObjectMenuItems.h"
#include "files/format/BaseFileRecord.h"
#include "files/setups/ImportSetup.h"
#include "files/setups/SaveSetup.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "model/base/Base.h"
#include "model/dates/TimeScale.h"
#include "model/named/Macro.h"
#include "model/selections/Subset.h"
#include "model/selections/SubsetList.h"
#include "model/templates/TemplateTree.h"

namespace vek {

namespace {

// Text numbers of the menus and items the updaters and the enabling reach.
constexpr int32_t kTextSaveTemplates = 2503;
constexpr int32_t kTextSaveSetups = 2504;
constexpr int32_t kTextImportSetups = 2510;
constexpr int32_t kTextImport = 2513;
constexpr int32_t kTextExport = 2515;
constexpr int32_t kTextNewObject = 2520;
constexpr int32_t kTextBaseMenu = 2524;
constexpr int32_t kTextSubsets = 2533;
constexpr int32_t kTextTimeScales = 2536;
constexpr int32_t kTextMacros = 2539;
constexpr int32_t kTextTemplatesMenu = 2546;
constexpr int32_t kTextFirstDimension = 3000;
constexpr int32_t kTextWindowMenu = 220;
constexpr int32_t kMenuDimensionCount = 32;

// Icons of the five analysis kinds in the analyses menu.
constexpr int32_t kFirstKindIcon = 310;

// The menus the updaters fill, each with its fixed items first.
struct ProgramMenuItems {
    MenuItem* saveSetups = nullptr;
    MenuItem* importSetups = nullptr;
    MenuItem* baseMenu = nullptr;
    MenuItem* dimensions = nullptr;
    MenuItem* subsets = nullptr;
    MenuItem* timeScales = nullptr;
    MenuItem* macros = nullptr;
    MenuItem* templates = nullptr;
    // Windows retitle these two; the enabling gives them their own texts back.
    MenuItem* import = nullptr;
    MenuItem* exportItem = nullptr;
    // The list item keeps its text number as its format, so a search by text number misses it.
    ListMenu* newObject = nullptr;
    std::array<MenuItem*, kMenuDimensionCount> dimensionItems{};
};

ProgramMenuItems programMenus;
Base* menuBase = nullptr;
// The analyses menu is rebuilt per base like the named-object menus; the model keeps no slot for it.
Base* templatesBuiltFor = nullptr;

// Fixed items at the head of each rebuilt menu.
constexpr int32_t kFixedObjectItems = 2;
constexpr int32_t kFixedTemplateItems = 9;

MenuItem* Item(MenuItem* anchor, int32_t mode, int32_t flags, int32_t command, int32_t textId, int32_t key = 0,
               int32_t modifiers = 0)
{
    auto* item = new MenuItem(anchor, mode | flags, command);
    item->SetText(textId);
    if (key != 0)
        item->SetKeyAndModifiers(key, modifiers);
    return item;
}

MenuItem* Append(MenuItem& menu, int32_t flags, int32_t command, int32_t textId, int32_t key = 0, int32_t modifiers = 0)
{
    return Item(&menu, kMenuAppend, flags, command, textId, key, modifiers);
}

void AppendSeparator(MenuItem& menu) { new MenuItem(&menu, kMenuAppend, 0); }

// A submenu with its two fixed items: the one that makes a new object and the one that deletes the
// front window's object (enabled by that window).
MenuItem* ObjectSubmenu(MenuItem& menu, int32_t textId)
{
    MenuItem* submenu = Append(menu, 0, 0, textId);
    Append(*submenu, kMenuEllipsis, 0, textId + 1);
    Append(*submenu, kMenuDisabled, 0, textId + 2);
    return submenu;
}

// Removes the entries after the first `kept` children.
void RemoveEntriesAfter(MenuItem* menu, int32_t kept)
{
    if (!menu)
        return;
    std::vector<MenuItem*> removed;
    int32_t index = 0;
    for (MenuItem* child = menu->FirstChild(); child; child = child->Next(), ++index)
        if (index >= kept)
            removed.push_back(child);
    for (MenuItem* child : removed)
        delete child;
}

int32_t ChildCount(const MenuItem& menu)
{
    int32_t count = 0;
    for (MenuItem* child = menu.FirstChild(); child; child = child->Next())
        ++count;
    return count;
}

// A separator before the entries of the base that follow, taken away again when none came.
class EntriesAfterSeparator {
public:
    explicit EntriesAfterSeparator(MenuItem& menu) : separator(new MenuItem(&menu, kMenuAppend, 0)) {}
    ~EntriesAfterSeparator()
    {
        if (separator->Next() == nullptr)
            delete separator;
    }
    EntriesAfterSeparator(const EntriesAfterSeparator&) = delete;
    EntriesAfterSeparator& operator=(const EntriesAfterSeparator&) = delete;

private:
    MenuItem* separator;
};

bool NeedsBuilding(BaseMenu menu, Base* base)
{
    if (Base::MenuBuiltFor(menu) == base)
        return false;
    Base::SetMenuBuiltFor(menu, base);
    return true;
}

void UpdateImportSetupMenu(Base* base)
{
    if (!programMenus.importSetups || !NeedsBuilding(BaseMenu::ImportSetups, base))
        return;
    RemoveEntriesAfter(programMenus.importSetups, kFixedObjectItems);
    if (!base)
        return;
    EntriesAfterSeparator entries(*programMenus.importSetups);
    for (ImportSetup* setup = BaseFileRecord::Of(*base).ImportSetups().First(); setup; setup = setup->Next())
        new ImportSetupMenuItem(programMenus.importSetups, *base, *setup);
}

void UpdateSaveSetupMenu(Base* base)
{
    if (!programMenus.saveSetups || !NeedsBuilding(BaseMenu::SaveSetups, base))
        return;
    RemoveEntriesAfter(programMenus.saveSetups, kFixedObjectItems);
    if (!base)
        return;
    EntriesAfterSeparator entries(*programMenus.saveSetups);
    for (SaveSetup* setup = BaseFileRecord::Of(*base).SaveSetups().First(); setup; setup = setup->Next())
        new SaveSetupMenuItem(programMenus.saveSetups, *base, *setup);
}

void UpdateDimensionMenu(Base* base)
{
    if (!programMenus.dimensions || !NeedsBuilding(BaseMenu::Dimensions, base))
        return;
    String name;
    for (int32_t d = 0; d < kMenuDimensionCount; ++d) {
        MenuItem* item = programMenus.dimensionItems[size_t(d)];
        if (!item)
            continue;
        if (base) {
            base->DimensionPluralName(d, name);
            item->SetTextString(name.CStr());
        } else {
            item->SetText(kTextFirstDimension + d);
        }
        item->SetEnabled(base != nullptr);
    }
}

void UpdateSubsetMenu(Base* base)
{
    if (!programMenus.subsets || !NeedsBuilding(BaseMenu::Subsets, base))
        return;
    RemoveEntriesAfter(programMenus.subsets, kFixedObjectItems);
    if (!base)
        return;
    EntriesAfterSeparator entries(*programMenus.subsets);
    const SubsetList& subsets = base->Subsets();
    for (int32_t i = 0; i < subsets.Count(); ++i)
        if (Subset* subset = subsets.GetAt(i))
            new SubsetMenuItem(programMenus.subsets, *base, *subset);
}

void UpdateTimeScaleMenu(Base* base)
{
    if (!programMenus.timeScales || !NeedsBuilding(BaseMenu::TimeScales, base))
        return;
    RemoveEntriesAfter(programMenus.timeScales, kFixedObjectItems);
    if (!base)
        return;
    EntriesAfterSeparator entries(*programMenus.timeScales);
    ProgramObjectMenu menu(*programMenus.timeScales, *base);
    base->TimeScales().BuildMenu(menu);
}

void UpdateMacroMenu(Base* base)
{
    if (!programMenus.macros || !NeedsBuilding(BaseMenu::Macros, base))
        return;
    RemoveEntriesAfter(programMenus.macros, kFixedObjectItems);
    if (!base)
        return;
    EntriesAfterSeparator entries(*programMenus.macros);
    // The second macro menu goes inside the macro menu, so that one removal takes both away.
    ProgramObjectMenu menu(*programMenus.macros, *base);
    base->Macros().BuildMenu(menu, menu);
}

void UpdateTemplateMenu(Base* base)
{
    if (!programMenus.templates || templatesBuiltFor == base)
        return;
    templatesBuiltFor = base;
    RemoveEntriesAfter(programMenus.templates, kFixedTemplateItems);
    if (!base)
        return;
    EntriesAfterSeparator entries(*programMenus.templates);
    ProgramObjectMenu menu(*programMenus.templates, *base);
    base->Templates().BuildMenus(menu);
}

MenuItem* FindInTree(MenuItem* root, int32_t textId)
{
    if (!root)
        return nullptr;
    for (MenuItem* item = NextMenuItemInTree(root); item != root; item = NextMenuItemInTree(item))
        if (item->TextId() == textId)
            return item;
    return nullptr;
}

void EnableText(int32_t textId, bool flag) { SetMenuItemEnabled(FindProgramMenuItem(textId), flag); }

// An item a window may have retitled gets its own text back.
void Retitle(MenuItem* item, int32_t textId)
{
    if (item && item->TextId() != textId)
        item->SetText(textId);
}

void BuildFileMenuItems(MenuItem& saveAs)
{
    MenuItem* fileMenu = saveAs.Parent();
    MenuItem* at = Item(&saveAs, kMenuAfter, kMenuEllipsis, kCommandSaveTemplates, kTextSaveTemplates);
    at = Item(at, kMenuAfter, kMenuEllipsis, kCommandAuthorizations, 2507);
    at = Item(at, kMenuAfter, kMenuEllipsis, kCommandWebUsers, 2508);
    programMenus.saveSetups = Item(at, kMenuAfter, 0, 0, kTextSaveSetups);
    Append(*programMenus.saveSetups, kMenuEllipsis, 0, 2505);
    Append(*programMenus.saveSetups, kMenuDisabled, 0, 2506);

    AppendSeparator(*fileMenu);
    programMenus.importSetups = ObjectSubmenu(*fileMenu, kTextImportSetups);
    programMenus.import = Append(*fileMenu, kMenuEllipsis, kCommandImport, kTextImport, 'I');
    programMenus.exportItem = Append(*fileMenu, kMenuEllipsis, kCommandExport, kTextExport, 'E');
}

void BuildEditMenuItems(MenuItem& paste, MenuItem& clear, MenuItem& selectAll)
{
    Item(&paste, kMenuBefore, 0, kCommandViewMode, 2517, 'T');
    Item(&paste, kMenuBefore, kMenuEllipsis, kCommandCopyOptions, 2519, 'T', kMenuShift);
    programMenus.newObject = new ListMenu(&clear, kMenuAfter, kCommandNewObject, kTextNewObject, 'M', 0);
    MenuItem* at = Item(&selectAll, kMenuAfter, 0, kCommandExpandAll, 2521);
    at = Item(at, kMenuAfter, kMenuEllipsis, kCommandLevels, 2522, 'E', kMenuOption);
    Item(at, kMenuAfter, 0, kCommandFitColumns, 2523, 'F', kMenuOption);
}

void BuildBaseMenu(MenuItem& windowMenu)
{
    MenuItem* menu = Item(&windowMenu, kMenuBefore, 0, 0, kTextBaseMenu);
    programMenus.baseMenu = menu;
    programMenus.dimensions = Append(*menu, 0, 0, 2525);
    for (int32_t d = 0; d < kMenuDimensionCount; ++d) {
        const int32_t key = d < 9 ? '1' + d : 0;
        programMenus.dimensionItems[size_t(d)] =
            Append(*programMenus.dimensions, kMenuDisabled, kCommandFirstDimension + d, kTextFirstDimension + d, key);
    }
    AppendSeparator(*menu);
    Append(*menu, 0, 0, 2526, 'K');
    Append(*menu, kMenuDisabled, 0, 2527);
    AppendSeparator(*menu);
    Append(*menu, kMenuEllipsis | kMenuDisabled, 0, 2528);
    Append(*menu, kMenuEllipsis | kMenuDisabled, 0, 2529);
    Append(*menu, kMenuDisabled, 0, 2530);
    Append(*menu, kMenuDisabled, 0, 2531, 'U');
    Append(*menu, kMenuDisabled, 0, 2532, 'Y');
    AppendSeparator(*menu);
    programMenus.subsets = ObjectSubmenu(*menu, kTextSubsets);
    programMenus.timeScales = ObjectSubmenu(*menu, kTextTimeScales);
    programMenus.macros = ObjectSubmenu(*menu, kTextMacros);
    Append(*menu, 0, 0, 2542);
    Append(*menu, kMenuEllipsis, 0, 2543);
    AppendSeparator(*menu);
    Append(*menu, 0, 0, 2545);
    AppendSeparator(*menu);
    Append(*menu, kMenuEllipsis, 0, 2544);
}

void BuildTemplatesMenu(MenuItem& windowMenu)
{
    MenuItem* menu = Item(&windowMenu, kMenuBefore, 0, 0, kTextTemplatesMenu);
    programMenus.templates = menu;
    constexpr int32_t kKindKeys[] = {'F', 'L', 0, 0, 0};
    for (int32_t kind = 0; kind < 5; ++kind)
        Append(*menu, 0, 0, 2547 + kind, kKindKeys[kind])->SetIcon(kFirstKindIcon + kind);
    AppendSeparator(*menu);
    Append(*menu, kMenuEllipsis | kMenuDisabled, 0, 2552);
    Append(*menu, kMenuEllipsis | kMenuDisabled, 0, 2553, 'R');
    Append(*menu, kMenuDisabled, 0, 2554);
}

}  // namespace

void BuildProgramMenus()
{
    MenuItem* root = RootMenuItem();
    MenuItem* saveAs = FindMenuItemByCommand(kCommandSaveAs);
    MenuItem* paste = FindMenuItemByCommand(kCommandPaste);
    MenuItem* clear = FindMenuItemByCommand(kCommandClear);
    MenuItem* selectAll = FindMenuItemByCommand(kCommandSelectAll);
    MenuItem* windowMenu = nullptr;
    for (MenuItem* menu = root ? root->FirstChild() : nullptr; menu; menu = menu->Next())
        if (menu->TextId() == kTextWindowMenu)
            windowMenu = menu;
    // The standard menus are the application's; without them there is nothing to add to.
    if (!saveAs || !paste || !clear || !selectAll || !windowMenu)
        return;
    ForgetProgramMenus();
    BuildFileMenuItems(*saveAs);
    BuildEditMenuItems(*paste, *clear, *selectAll);
    BuildBaseMenu(*windowMenu);
    BuildTemplatesMenu(*windowMenu);
    // Whatever was built for a base before belongs to menus that are gone.
    for (BaseMenu menu : {BaseMenu::Dimensions, BaseMenu::SaveSetups, BaseMenu::ImportSetups, BaseMenu::TimeScales,
                          BaseMenu::Macros, BaseMenu::Subsets})
        Base::SetMenuBuiltFor(menu, nullptr);
    templatesBuiltFor = nullptr;
    Base* base = menuBase;
    menuBase = nullptr;
    SetMenuBase(base);
}

void ForgetProgramMenus()
{
    programMenus = ProgramMenuItems();
    templatesBuiltFor = nullptr;
}

void SetMenuBase(Base* base)
{
    menuBase = base;
    UpdateImportSetupMenu(base);
    UpdateDimensionMenu(base);
    UpdateSubsetMenu(base);
    UpdateTimeScaleMenu(base);
    UpdateMacroMenu(base);
    UpdateSaveSetupMenu(base);
    UpdateTemplateMenu(base);
}

Base* MenuBase() { return menuBase; }

void ForgetMenusBuiltFor(const Base& base)
{
    for (BaseMenu menu : {BaseMenu::Dimensions, BaseMenu::SaveSetups, BaseMenu::ImportSetups, BaseMenu::TimeScales,
                          BaseMenu::Macros, BaseMenu::Subsets})
        if (Base::MenuBuiltFor(menu) == &base)
            Base::SetMenuBuiltFor(menu, nullptr);
    if (templatesBuiltFor == &base)
        templatesBuiltFor = nullptr;
}

void EnableProgramMenus(bool document)
{
    if (!programMenus.baseMenu)
        return;
    // About, whatever is open; the preferences wait for their dialog.
    EnableMenuItem(StatusMenuItem());
    EnableMenuItem(FindMenuItemByCommand(kCommandNew));
    EnableMenuItem(FindMenuItemByCommand(kCommandOpen));
    EnableText(kTextSaveTemplates, false);
    for (int32_t textId : {kTextSaveSetups, 2507, 2508, kTextImportSetups, 2519})
        EnableText(textId, document);
    Retitle(programMenus.import, kTextImport);
    SetMenuItemEnabled(programMenus.import, document);
    Retitle(programMenus.exportItem, kTextExport);
    SetMenuItemEnabled(programMenus.exportItem, false);
    for (int32_t textId : {2517, 2521, 2522, 2523})
        EnableText(textId, false);
    if (programMenus.newObject)
        programMenus.newObject->SetTitle(0, false);
    programMenus.baseMenu->SetEnabled(document);
    SetMenuItemEnabled(programMenus.templates, document);
    SetMenuItemEnabled(programMenus.macros, document);
}

void EnableBaseMenuItems(Base&, bool saveEnabled)
{
    if (!programMenus.baseMenu)
        return;
    SetMenuItemEnabled(FindMenuItemByCommand(kCommandSave), saveEnabled);
    EnableMenuItem(FindMenuItemByCommand(kCommandSaveAs));
    for (int32_t textId : {kTextSaveTemplates, 2505, 2511, 2526, 2534, 2537, 2540, 2542, 2543, 2545, 2547, 2548,
                           2549, 2550, 2551})
        EnableText(textId, true);
    // The commands on the object of the front window: that window enables them.
    for (int32_t textId : {2506, 2512, 2527, 2528, 2529, 2530, 2531, 2532, 2535, 2538, 2541, 2552, 2553, 2554})
        EnableText(textId, false);
}

MenuItem* FindProgramMenuItem(int32_t textId)
{
    if (textId == kTextNewObject)
        return programMenus.newObject;
    return FindInTree(RootMenuItem(), textId);
}

}  // namespace vek
