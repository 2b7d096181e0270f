// GuiServices: the GUI library's start-up step.
#pragma once

namespace vek {

// Registers the GUI library's implementations of the platform's hooks: the application that action
// threads, the idle timer and the event handlers act on (ActionHost), and the display that shows the
// application's alerts as alert windows (DisplayServices). Called by StartProgramServices.
void RegisterGuiServices();

}  // namespace vek
