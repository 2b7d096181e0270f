// Tests of VEK_ASSERT and of the order in which scoped services end.
#include "foundation/messages/Assert.h"

#include <gtest/gtest.h>

#include "foundation/services/Clipboard.h"
#include "foundation/services/Service.h"

namespace vek {
namespace {

#ifdef VEK_SANITIZE
static_assert(VEK_ASSERTS_ENABLED, "asserts stay live in every sanitizer build, whatever its build type");
#endif

TEST(AssertTest, AFalseConditionStopsWithItsTextOnlyWhereAssertsAreLive)
{
    int evaluated = 0;
    VEK_ASSERT(++evaluated == 1);
#if VEK_ASSERTS_ENABLED
    EXPECT_EQ(evaluated, 1);
    EXPECT_DEATH(VEK_ASSERT(1 + 1 == 3), "Assertion failed: 1 \\+ 1 == 3 \\(.*AssertTest.cpp:[0-9]+\\)");
#else
    EXPECT_EQ(evaluated, 0);  // compiled out: the condition is not evaluated
#endif
}

// Replacements that end out of order would leave a dead object registered.
TEST(AssertTest, ScopedServicesMustEndInReverseOrder)
{
#if VEK_ASSERTS_ENABLED
    EXPECT_DEATH(
        {
            HeadlessClipboard a;
            HeadlessClipboard b;
            auto* first = new ScopedService<ClipboardService>(&a);
            ScopedService<ClipboardService> second(&b);
            delete first;
        },
        "Assertion failed");
#else
    GTEST_SKIP() << "asserts are compiled out";
#endif
}

}  // namespace
}  // namespace vek
