// Base::DoCommand: the menu commands that concern the current base.
#include "model/base/Base.h"

#include "model/base/ModelServices.h"

namespace vek {

namespace {

// Item codes of the dimension editor commands: dimensions 0..31.
constexpr int32_t kFirstDimensionItem = 25;
constexpr int32_t kLastDimensionItem = 56;

// Commands that open a new editor window of one kind of the base's objects, and the window kind.
struct WindowCommand {
    int32_t command;
    int32_t windowKind;
};
constexpr WindowCommand kWindowCommands[] = {
    {2505, 17},  // a new save setup
    {2508, 13},  // the web users
    {2511, 18},  // a new import setup
    {2526, 10},  // the card window for a new card
    {2537, 15},  // a new time scale
    {2540, 16},  // a new macro
    {2545, 19},  // the XML interface
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

int32_t Base::DoCommand(int32_t itemCode, int32_t command)
{
    ModelServices& services = Service<ModelServices>::Get();
    if (itemCode >= kFirstDimensionItem && itemCode <= kLastDimensionItem)
        return services.OpenBaseWindow(*this, 11, itemCode - kFirstDimensionItem) ? 1 : 0;
    switch (command) {
    case 205:  // save
        (void)services.SaveBase(*this);
        return 1;
    case 2542:  // the base's info window
        OpenInfoWindow(0);
        return 1;
    default:
        break;
    }
    for (const WindowCommand& opening : kWindowCommands) {
        if (command == opening.command)
            return services.OpenBaseWindow(*this, opening.windowKind, 0) ? 1 : 0;
    }
    for (int32_t deleting : kDeleteFrontObjectCommands) {
        if (command == deleting) {
            (void)services.DeleteFrontWindowObject(*this, command);
            return 1;
        }
    }
    return 0;
}

}  // namespace vek
