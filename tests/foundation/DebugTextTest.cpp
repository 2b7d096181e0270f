// Tests of DebugText: diagnostic text is plain ASCII of bounded length.
#include "foundation/messages/DebugText.h"

#include <gtest/gtest.h>

#include <string>

namespace vek {
namespace {

TEST(DebugTextTest, DebugTextIsPlainAsciiOfAtMost250Characters)
{
    uint8_t out[1 + kDebugTextLimit];
    MakeDebugText("Äpple Öl är rött, Grüße: 5 €", out);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out + 1), out[0]), "Apple Ol ar rott, Gr..e: 5 .");
    std::string longText(300, 'x');
    MakeDebugText(longText.c_str(), out);
    EXPECT_EQ(out[0], kDebugTextLimit);
    MakeDebugText(nullptr, out);
    EXPECT_EQ(out[0], 0);
}

}  // namespace
}  // namespace vek
