// StartServices: registering the display-free layers' services and seeding the random unit at start-up.
#include "startup/StartServices.h"

#include "analysis/AnalysisKinds.h"
#include "foundation/numbers/RandomNumber.h"
#include "files/commands/CommandInterpreter.h"
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
    SeedRandomUnit();
}

}  // namespace vek
