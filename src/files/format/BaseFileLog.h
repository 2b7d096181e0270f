// The log entries the base-file reader and writer make: kinds of LogFileHandler entries, named once.
#pragma once

#include <cstdint>

#include "foundation/messages/LogFileHandler.h"

namespace vek {

// Each kind is a level (the low byte) with the layout flags of LogFileHandler.h; opening and each
// section indent what follows, closing returns to the margin.
constexpr int32_t kLogOpening = kLogWithTime | kLogIndentAfter | 0x01;
constexpr int32_t kLogReading = kLogWithTime | kLogIndentAfter | 0x03;
constexpr int32_t kLogWriting = kLogWithTime | kLogIndentAfter | 0x04;
constexpr int32_t kLogSkipped = kLogWithTime | kLogIndentAfter | 0x08;
constexpr int32_t kLogClosed = kLogWithTime | kLogOutdentBefore | 0x0F;
// The open-direct steps after a load: begun and completed.
constexpr int32_t kLogExecuting = kLogWithTime | kLogIndentAfter | 0x05;
constexpr int32_t kLogCompleted = kLogWithTime | kLogOutdentBefore | 0x06;
static_assert(kLogOpening == 0x2101 && kLogReading == 0x2103 && kLogWriting == 0x2104 &&
              kLogSkipped == 0x2108 && kLogClosed == 0x220F && kLogExecuting == 0x2105 &&
              kLogCompleted == 0x2206);

}  // namespace vek
