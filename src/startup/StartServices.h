// StartServices: the display-free start-up of every tool, test program, benchmark and fuzz entry.
#pragma once

namespace vek {

// Registers the real implementations of the services that lower layers declare, for every layer that
// needs no display, layer by layer (platform, drawing, model, files), and then seeds what takes its
// seed from the clock. The first call of every main, before any other thread starts; a test may
// afterwards replace a service with a fake (ScopedService). Calling it again registers the same
// implementations again. The GUI's and the application's hooks keep their headless answers: a program
// that shows windows starts with StartProgramServices (app/StartProgramServices.h) instead, so that
// nothing called from here pulls a widget library into a headless program.
void StartServices();

}  // namespace vek
