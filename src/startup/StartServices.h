// StartServices: the one start-up function of every program and every test program.
#pragma once

namespace vek {

// Registers every layer's real implementations of the services that lower layers declare, layer by
// layer (platform, drawing, then model, then the GUI library, then the application), and then seeds
// what takes its seed from the clock. The first call of every main, before any other thread starts; a test may afterwards
// replace a service with a fake (ScopedService). Calling it again registers the same implementations again.
void StartServices();

}  // namespace vek
