// The menu commands that concern the current base.
#include "files/commands/BaseMenuCommands.h"

#include "files/basefiles/BaseFiles.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "model/selections/SubsetList.h"
#include "model/templates/Template.h"
#include "model/templates/TemplateTree.h"

namespace vek {

namespace {

// Item codes of the dimension editor commands: dimensions 0..31.
constexpr int32_t kFirstDimensionItem = 25;
constexpr int32_t kLastDimensionItem = 56;

// Commands 2547-2551 open a new analysis of kinds 1-5.
constexpr int32_t kFirstDefaultsCommand = 2547;

// Commands that open a new editor window of one kind of the base's objects, and the window kind.
struct WindowCommand {
    int32_t command;
    BaseWindowKind windowKind;
};
constexpr WindowCommand kWindowCommands[] = {
    {2505, BaseWindowKind::SaveSetup},
    {2508, BaseWindowKind::WebUsers},
    {2511, BaseWindowKind::ImportSetup},
    {2526, BaseWindowKind::Card},
    {2537, BaseWindowKind::TimeScale},
    {2540, BaseWindowKind::Macro},
    {2545, BaseWindowKind::XmlInterface},
};

// Commands that delete the object of the front window. Without a front window of that kind they do
// nothing and still count as handled; the window layer acts on them through its own windows.
constexpr int32_t kDeleteFrontObjectCommands[] = {
    2506,  // the save setup
    2512,  // the import setup
    2535,  // the subset
    2538,  // the time scale
    2541,  // the macro
};

}  // namespace

int32_t DoBaseMenuCommand(Base& base, int32_t itemCode, int32_t command)
{
    ModelServices& services = Service<ModelServices>::Get();
    if (itemCode >= kFirstDimensionItem && itemCode <= kLastDimensionItem)
        return services.OpenBaseWindow(base, BaseWindowKind::DimensionEditor, itemCode - kFirstDimensionItem) ? 1 : 0;
    switch (command) {
    case 205:  // save
        (void)services.SaveBase(base);
        return 1;
    case 206:  // save as: the save dialog; a cancel leaves the base as it was
        (void)SaveBaseAs(base);
        return 1;
    case 2534:  // a new global subset ("G1", "G2" ...); its window comes with the subset window
        (void)base.Subsets().CreateSubset(nullptr);
        return 1;
    case 2542:  // the base's info window
        base.OpenInfoWindow(0);
        return 1;
    default:
        break;
    }
    // A new analysis of kinds 1-5 from the base's defaults template of that kind.
    if (command >= kFirstDefaultsCommand && command < kFirstDefaultsCommand + 5) {
        auto kind = static_cast<TemplateKind>(command - kFirstDefaultsCommand + 1);
        if (Template* defaults = base.Templates().GetDefault(kind))
            (void)base.Templates().Open(defaults, nullptr, 0);
        return 1;
    }
    for (const WindowCommand& opening : kWindowCommands) {
        if (command == opening.command)
            return services.OpenBaseWindow(base, opening.windowKind, 0) ? 1 : 0;
    }
    for (int32_t deleting : kDeleteFrontObjectCommands) {
        if (command == deleting) {
            (void)services.DeleteFrontWindowObject(base, command);
            return 1;
        }
    }
    return 0;
}

}  // namespace vek
