// UserCode: the user's code of this run, and the stamps editors put on what they change.
#pragma once

#include <string>
#include <string_view>

namespace vek {

class Window;
struct StampedText;

// The most bytes a user code holds (a stamp keeps it in 3 bytes).
constexpr int32_t kUserCodeMaxLength = 3;

// Sets the user code from a text: blanks at both ends are dropped; a longer text is offered for
// cutting to 3 bytes (message 2100), and a refusal keeps the old code and answers false. A code that
// differs from the current one is broadcast as change 1. An empty code is a code.
bool SetUserInitials(std::string_view text);
bool HasUserCode();
const std::string& CurrentUserCode();
// Forgets the code (the start of a run).
void ClearUserCode();

// Asks the user for a code. No dialog can ask yet, and nobody can be asked in a run without a
// display: the code then comes from the command line (--user) or the command "signature".
void AskUserInitials(Window* parent);

// The current time and the user code; when no code was given it is asked for first, and without one
// nothing is written and the answer is false (callers then leave the object unchanged).
bool GetUserStamp(StampedText& stamp, Window* parent);

}  // namespace vek
