// LeakCheckSuppressions: the libraries whose process-wide caches the leak checker passes over.
#pragma once

namespace vek {

// Fontconfig, Pango, GLib, GTK, X and Cairo keep caches for the life of the process that they never
// free; a sanitizer build's leak checker passes over those libraries' own allocations, never ours. A
// program's main returns this from `__lsan_default_suppressions`.
constexpr const char* kDesktopLeakSuppressions =
    "leak:libfontconfig.so\n"
    "leak:libpango\n"
    "leak:libglib-2.0.so\n"
    "leak:libgobject-2.0.so\n"
    "leak:libharfbuzz.so\n"
    "leak:libgtk-3.so\n"
    "leak:libgdk-3.so\n"
    "leak:libgio-2.0.so\n"
    "leak:libatk\n"
    "leak:libX11.so\n"
    "leak:libcairo.so\n"
    "leak:libdbus-1.so\n";

}  // namespace vek
