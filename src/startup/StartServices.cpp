// StartServices: registering the platform and model services and seeding the random unit at start-up.
#include "startup/StartServices.h"

#include "app/ApplicationServices.h"
#include "foundation/numbers/RandomNumber.h"
#include "files/CommandInterpreter.h"
#include "gui/GuiServices.h"
#include "model/ModelServices.h"
#include "platform/PlatformServices.h"
#include "platform/drawing/DrawingServices.h"

namespace vek {

void StartServices()
{
    RegisterPlatformServices();
    RegisterDrawingServices();
    RegisterModelLayerServices();
    RegisterFilesLayerServices();
    RegisterGuiServices();
    RegisterApplicationServices();
    SeedRandomUnit();
}

}  // namespace vek
