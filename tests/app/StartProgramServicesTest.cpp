// Tests of StartProgramServices: a program that shows windows gets the display-free services and, on
// top of them, the GUI's and the application's.
#include "app/StartProgramServices.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/MainApplication.h"
#include "foundation/services/DisplayServices.h"
#include "foundation/streams/ByteFile.h"
#include "model/base/ModelServices.h"
#include "platform/ForkByteFile.h"
#include "platform/events/ActionThreads.h"

namespace vek {
namespace {

// Guards against a program start-up that forgets either half: the display-free services that
// StartServices registers, or the hooks the GUI and the application implement, which StartServices
// no longer registers.
TEST(StartProgramServicesTest, RegistersTheDisplayFreeServicesAndTheGuiAndApplicationHooks)
{
    StartProgramServices();  // a second call registers the same again
    std::unique_ptr<ByteFile> file = NewByteFile();
    EXPECT_NE(dynamic_cast<ForkByteFile*>(file.get()), nullptr);
    EXPECT_NE(Service<DisplayServices>::Registered(), nullptr);
    EXPECT_NE(Service<ModelServices>::Registered(), nullptr);
    ASSERT_NE(Service<ActionHost>::Registered(), nullptr);

    // The registered host finds the application anew on every call, as it comes and goes.
    EXPECT_FALSE(Service<ActionHost>::Get().ApplicationExists());
    {
        MainApplication application;
        EXPECT_TRUE(Service<ActionHost>::Get().ApplicationExists());
    }
    EXPECT_FALSE(Service<ActionHost>::Get().ApplicationExists());
}

}  // namespace
}  // namespace vek
