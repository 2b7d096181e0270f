// ApplicationServices: the application layer's start-up step.
#pragma once

namespace vek {

// Registers the application layer's implementations of the model's hooks (ModelServices): deferred
// tasks go to the application's task queue while an application exists. The windows the model asks
// for (status, info, progress) and its dialogs keep their headless answers until the document
// windows exist. Called by StartProgramServices.
void RegisterApplicationServices();

}  // namespace vek
