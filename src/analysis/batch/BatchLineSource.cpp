// BatchLineSource: the window or computation whose shown card lines a batch operation takes.
#include "analysis/batch/BatchLineSource.h"

namespace vek {

BatchLineSource::~BatchLineSource() = default;
ComputationLineSource::~ComputationLineSource() = default;

}  // namespace vek
