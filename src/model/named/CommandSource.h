// Running command texts from the model: the hook through which a base runs a command text with the
// interpreter of the files layer, and the name of the command source that runs.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/services/Service.h"

namespace vek {

class Base;

// Runs a command text for a base. The files layer registers the interpreter at start-up; without it
// (the headless implementation) a command text runs nothing.
class CommandTextRunner {
public:
    virtual ~CommandTextRunner();
    // Runs every line of the text for the base; failures are reported as messages.
    virtual void Run(Base& base, std::string_view text) = 0;
};

template <>
CommandTextRunner& Service<CommandTextRunner>::Headless();

// Command texts that start others (a macro that executes a macro) nest at most this deep; a deeper
// one is refused with message 3883, so that no chain of macros can exhaust the stack.
constexpr int32_t kMaxCommandNesting = 16;

// The name of the command source that runs now (a macro's name, "commands section"); null when none.
const char* RunningCommandSource();
// How many command texts run inside each other now.
int32_t CommandNesting();

}  // namespace vek
