// StartProgramServices: the start-up of a program that shows windows.
#pragma once

namespace vek {

// The display-free start-up (StartServices), then the GUI library's and the application layer's
// implementations of the lower layers' hooks: the application that action threads and event handlers
// act on, alerts as alert windows, and the model's deferred tasks in the application's queue. The
// first call of vek's main and of the test programs of the GUI and the application, before any other
// thread starts; calling it again registers the same implementations again.
void StartProgramServices();

}  // namespace vek
