#include "startup/StartServices.h"

#include "foundation/RandomNumber.h"
#include "model/ModelServices.h"
#include "platform/PlatformServices.h"

namespace vek {

void StartServices()
{
    RegisterPlatformServices();
    RegisterModelLayerServices();
    SeedRandomUnit();
}

}  // namespace vek
