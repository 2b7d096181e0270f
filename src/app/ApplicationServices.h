// ApplicationServices: the application layer's start-up step.
#pragma once

namespace vek {

// Registers the application layer's implementations of the model's hooks (ModelServices): deferred
// tasks go to the application's task queue while an application exists; progress goes to progress
// windows; changes reach the document windows; stamps take the user code of the run. The status and
// info windows and the model's dialogs keep their headless answers until those windows exist.
// Called by StartProgramServices.
void RegisterApplicationServices();

}  // namespace vek
