// StartProgramServices: the display-free services, then the GUI's and the application's.
#include "app/StartProgramServices.h"

#include "app/ApplicationServices.h"
#include "gui/GuiServices.h"
#include "startup/StartServices.h"

namespace vek {

void StartProgramServices()
{
    StartServices();
    RegisterGuiServices();
    RegisterApplicationServices();
}

}  // namespace vek
