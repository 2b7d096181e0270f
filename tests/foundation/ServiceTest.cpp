// Tests of Service: scoped replacements nest and put back what they found.
#include "foundation/services/Service.h"

#include <gtest/gtest.h>

#include "foundation/services/Clipboard.h"

namespace vek {
namespace {

// Replacements nest and each puts back what it found, so a test's fake never outlives the test and
// never removes what the start-up registered.
TEST(ServiceTest, ScopedReplacementsNestAndRestore)
{
    ClipboardService* started = Service<ClipboardService>::Registered();
    HeadlessClipboard outer;
    HeadlessClipboard inner;
    {
        ScopedService<ClipboardService> first(&outer);
        EXPECT_EQ(&Service<ClipboardService>::Get(), &outer);
        {
            ScopedService<ClipboardService> second(&inner);
            EXPECT_EQ(&Service<ClipboardService>::Get(), &inner);
            ScopedService<ClipboardService> none(nullptr);
            EXPECT_EQ(&Service<ClipboardService>::Get(), &Service<ClipboardService>::Headless());
            EXPECT_EQ(Service<ClipboardService>::Registered(), nullptr);
        }
        EXPECT_EQ(&Service<ClipboardService>::Get(), &outer);
    }
    EXPECT_EQ(Service<ClipboardService>::Registered(), started);
}

}  // namespace
}  // namespace vek
