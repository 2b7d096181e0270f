// PendingError: setting, saving and reporting the process-wide pending error.
#include "foundation/messages/PendingError.h"

#include <limits>

#include "foundation/services/Clock.h"
#include "foundation/messages/TextIds.h"

namespace vek {

namespace {

constexpr int64_t kOutOfMemoryReportIntervalMs = 3000;
constexpr int64_t kNever = std::numeric_limits<int64_t>::min();

PendingError pendingError;
int64_t lastOutOfMemoryReportMs = kNever;
bool reportRunning = false;

}  // namespace

PendingError& GetPendingError() { return pendingError; }

void SetErrorCode(int32_t code)
{
    pendingError.message.Clear();
    pendingError.message.code = code;
    pendingError.message.kind = 0;
    pendingError.message.beeps = 1;
    pendingError.flag = 1;
}

void SetOutOfMemoryError()
{
    pendingError.message.Clear();
    pendingError.message.code = message::kOutOfMemory;
    pendingError.message.kind = 0;
    pendingError.flag = 1;
}

void SetResourceMissingError() { SetErrorCode(message::kResourceMissing); }

void SetCancelledError()
{
    pendingError.message.Clear();
    pendingError.message.code = kMessageCancelled;
    pendingError.flag = 1;
}

void ClearError() { pendingError = PendingError(); }

void SaveErrorState(PendingError& buffer)
{
    buffer = pendingError;
    ClearError();
}

void RestoreErrorState(const PendingError& buffer) { pendingError = buffer; }

void ReportPendingError() { ReportPendingErrorAt(CurrentTimeMs()); }

void ReportPendingErrorAt(int64_t nowMs)
{
    int32_t code = pendingError.message.code;
    if (code <= 0) {
        pendingError.flag = 0;
        return;
    }
    if (code == message::kOutOfMemory) {
        bool recent = lastOutOfMemoryReportMs != kNever && nowMs >= lastOutOfMemoryReportMs &&
                      nowMs - lastOutOfMemoryReportMs < kOutOfMemoryReportIntervalMs;
        if (recent) {
            ClearError();
            return;
        }
        lastOutOfMemoryReportMs = nowMs;
    }
    if (!reportRunning) {
        reportRunning = true;
        Message copy = pendingError.message;
        ClearError();
        ReportMessage(copy);
        reportRunning = false;
    }
    ClearError();
}

}  // namespace vek
