// StartServices: registering the platform and model services and seeding the random unit at start-up.
#include "startup/StartServices.h"

#include "foundation/numbers/RandomNumber.h"
#include "gui/GuiServices.h"
#include "model/ModelServices.h"
#include "platform/PlatformServices.h"

namespace vek {

void StartServices()
{
    RegisterPlatformServices();
    RegisterModelLayerServices();
    RegisterGuiServices();
    SeedRandomUnit();
}

}  // namespace vek
