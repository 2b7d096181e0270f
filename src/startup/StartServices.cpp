// StartServices: registering the platform and model services and seeding the random unit at start-up.
#include "startup/StartServices.h"

#include "analysis/AnalysisKinds.h"
#include "app/ApplicationServices.h"
#include "foundation/numbers/RandomNumber.h"
#include "files/commands/CommandInterpreter.h"
#include "gui/GuiServices.h"
#include "model/base/ModelServices.h"
#include "platform/PlatformServices.h"
#include "drawing/DrawingServices.h"

namespace vek {

void StartServices()
{
    RegisterPlatformServices();
    RegisterDrawingServices();
    RegisterModelLayerServices();
    RegisterFilesLayerServices();
    RegisterAnalysisLayerServices();
    RegisterGuiServices();
    RegisterApplicationServices();
    SeedRandomUnit();
}

}  // namespace vek
