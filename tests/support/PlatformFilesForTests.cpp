// Tests above the foundation read and write real files, through the platform's files as the programs do.
#include "platform/ForkByteFile.h"

namespace {

const bool platformFilesRegistered = (vek::RegisterPlatformFiles(), true);

}  // namespace
