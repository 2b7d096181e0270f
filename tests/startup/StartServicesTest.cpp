// Tests of StartServices: every layer's real services are registered at start-up.
#include "startup/StartServices.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/streams/ByteFile.h"
#include "model/dates/TimeScaleLookup.h"
#include "platform/EnvironmentLocale.h"
#include "platform/ForkByteFile.h"
#include "platform/SystemClock.h"

namespace vek {
namespace {

// The start-up registers the real implementation of every service a lower layer declares. Guards
// against programs that saved through the library's own files because nothing registered the
// platform's.
TEST(StartServicesTest, RegistersEveryLayersImplementations)
{
    StartServices();  // a second call registers the same again
    std::unique_ptr<ByteFile> file = NewByteFile();
    EXPECT_NE(dynamic_cast<ForkByteFile*>(file.get()), nullptr);
    EXPECT_NE(dynamic_cast<SystemClock*>(Service<Clock>::Registered()), nullptr);
    EXPECT_NE(dynamic_cast<EnvironmentLocale*>(Service<SystemLocale>::Registered()), nullptr);
    EXPECT_NE(Service<TimeScaleLookup>::Registered(), nullptr);
}

}  // namespace
}  // namespace vek
