// Tests of StartServices: every layer's real services are registered at start-up.
#include "startup/StartServices.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/services/DisplayServices.h"
#include "foundation/streams/ByteFile.h"
#include "model/base/ModelServices.h"
#include "model/dates/TimeScaleLookup.h"
#include "platform/EnvironmentLocale.h"
#include "platform/ForkByteFile.h"
#include "platform/SystemClock.h"
#include "platform/events/ActionThreads.h"

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

// The display-free start-up leaves the hooks that the GUI and the application implement to their
// headless answers: registering them would pull the widget library into every tool and test. Guards
// against a registration call that slips back into StartServices (this program links no GUI; the
// program start-up has its own test in tests/app).
TEST(StartServicesTest, LeavesTheGuiAndApplicationHooksHeadless)
{
    StartServices();
    EXPECT_EQ(Service<ActionHost>::Registered(), nullptr);
    EXPECT_EQ(Service<DisplayServices>::Registered(), nullptr);
    EXPECT_EQ(Service<ModelServices>::Registered(), nullptr);
}

}  // namespace
}  // namespace vek
