// ApplicationLoop: the program's arguments, the run of the event loop until quit, and the quit itself.
#pragma once

#include <cstdint>

namespace vek {

// The record inside the application that the runner and the quit command share.
struct EventLoopState {
    uint32_t eventClass = 0;  // the class of the program's own requests: its signature
    int32_t quitFlag = 0;     // 1 once QuitApplication was called
};

// The program's signature, the class of its own requests.
constexpr uint32_t kProgramSignature = 0x56454B35;  // 'VEK5'

// Keeps the arguments as main received them (they must outlive the run).
void KeepProgramArguments(int argc, char** argv);
// Stores the signature as the event class.
void InitEventLoopState(EventLoopState& state);
// Runs until quit: returns at once when quitting was asked already; otherwise opens the documents of
// the command line, brings the menus up to date and runs the event loop.
void RunApplication(EventLoopState& state);
// Sets the quit flag and ends the event loop. Asks nobody: Application::Quit asks first.
void QuitApplication(EventLoopState& state);
// Hands every argument after the program's name that does not begin with '-' to the application as
// an open request with mode 0, in order (a relative path is taken against the working folder);
// answers how many were handed on.
int32_t OpenCommandLineDocuments(EventLoopState& state);

}  // namespace vek
