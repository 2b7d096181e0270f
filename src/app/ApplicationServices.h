// ApplicationServices: the application layer's start-up step.
#pragma once

#include <cstdint>

namespace vek {

// The deferred task that reads a base again from its file (the windows of a base whose file changed
// on disk queue it): the base is closed without questions and, when it closed, its file opened again
// with the password it had. The model's own task kinds are kTaskCloseDocument and kTaskQuit.
constexpr int32_t kTaskReopenBase = 0;

// Registers the application layer's implementations of the model's hooks (ModelServices): deferred
// tasks go to the application's task queue while an application exists; progress goes to progress
// windows; changes reach the document windows; stamps take the user code of the run; the base info,
// XML interface and time scale windows open; on a display with a user attending, an unknown component
// and the password are asked in their dialogs. The status window keeps its headless answer until it
// exists.
// Called by StartProgramServices.
void RegisterApplicationServices();

}  // namespace vek
