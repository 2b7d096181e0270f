// PlatformServices: the platform layer's start-up step.
#pragma once

namespace vek {

// Registers the platform's implementations of the services the library declares: the files of the
// text streams (ForkByteFile), the system clock, the locale of the environment, the heap of the
// block allocator (LargePageHeap); notes the origin
// of the event clock, and makes the calling thread the main one, whose event loop resumes action threads. Called by StartServices.
void RegisterPlatformServices();

}  // namespace vek
