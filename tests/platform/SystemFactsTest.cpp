#include "platform/SystemFacts.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "foundation/String.h"

namespace vek {
namespace {

TEST(SystemFactsTest, NamesAndCounts)
{
    String name;
    GetUserNameString(name);
    EXPECT_FALSE(name.IsEmpty());
    GetComputerNameString(name);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_STREQ(name.CStr(), host);
    EXPECT_GE(GetProcessorCount(), 1);
    EXPECT_EQ(GetMemoryDetail(), 0);
}

}  // namespace
}  // namespace vek
