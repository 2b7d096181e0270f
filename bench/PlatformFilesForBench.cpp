// Benchmarks that read and write real files do it through the platform's files, as the programs do.
#include "platform/ForkByteFile.h"

namespace {

const bool platformFilesRegistered = (vek::RegisterPlatformFiles(), true);

}  // namespace
