// PendingError: the process-wide error flag and message that long loops test and the event loop shows.
#pragma once

#include <cstdint>

#include "foundation/messages/Message.h"

namespace vek {

// The process-wide pending error: one flag and one message. Low layers that cannot talk to the user
// set it; the flag is the cancel flag that every long loop tests after each unit of work (nonzero =
// stop), and the event loop later shows the message through ReportPendingError when its code is
// positive. What stopped a loop stays pending until somebody reports or clears it.
struct PendingError {
    int32_t flag = 0;
    Message message;
};

// The process-wide record. Code may fill the message directly and set the flag, or set the flag alone
// to stop work after the user declined a question.
PendingError& GetPendingError();
inline bool IsErrorPending() { return GetPendingError().flag != 0; }

// Each clears the record first, then sets the code and the flag.
void SetErrorCode(int32_t code);  // kind 0, one beep
void SetOutOfMemoryError();       // 600, kind 0, no beep
void SetResourceMissingError();   // 601, as SetErrorCode
void SetCancelledError();         // -1, kind 2: never shown
// Flag 0 and an empty record.
void ClearError();

// Copies flag and record into the buffer and clears them; RestoreErrorState puts them back. Work that
// may fail while an error is pending (a log entry, the preferences) brackets itself with these, so
// that its own failures neither lose nor replace the pending error.
void SaveErrorState(PendingError& buffer);
void RestoreErrorState(const PendingError& buffer);

// SaveErrorState for the lifetime of the object, RestoreErrorState at its end.
class PreservedErrorState {
public:
    PreservedErrorState() { SaveErrorState(saved); }
    ~PreservedErrorState() { RestoreErrorState(saved); }
    PreservedErrorState(const PreservedErrorState&) = delete;
    PreservedErrorState& operator=(const PreservedErrorState&) = delete;

private:
    PendingError saved;
};

// Shows the pending error, if any, and clears it. A code that is not positive (nothing, or a
// cancellation) is not shown. Out-of-memory (600) is shown at most once per 3000 ms; a report raised
// while another is being shown is dropped.
void ReportPendingError();
// The same at a given time of the millisecond clock.
void ReportPendingErrorAt(int64_t nowMs);

}  // namespace vek
