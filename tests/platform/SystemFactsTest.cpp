// Tests of SystemFacts: user and computer names, counts, system codes and the info record.
#include "platform/SystemFacts.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>

#include "foundation/strings/String.h"

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


TEST(SystemFactsTest, NamesOfSystemCodes)
{
    EXPECT_EQ(OsCodeFromName("mac os x"), 3);
    EXPECT_EQ(OsCodeFromName("WINDOWS SEVEN"), 16);
    EXPECT_EQ(OsCodeFromName("linux"), 17);
    EXPECT_EQ(OsCodeFromName("BeOS"), 0);
    EXPECT_EQ(OsCodeFromName(nullptr), 0);
    EXPECT_STREQ(OsName(3), "Mac OS X");
    EXPECT_STREQ(OsName(17), "Linux");
    EXPECT_STREQ(OsName(GetSystemVersionCode()), "Linux");
    EXPECT_STREQ(OsName(18), "Unknown OS");
    EXPECT_STREQ(OsName(-1), "Unknown OS");
    EXPECT_STREQ(MemorySizeName(31), "1 TB");
    EXPECT_STREQ(MemorySizeName(12), "1.5 GB");
    EXPECT_STREQ(MemorySizeName(32), "Unknown mem");
    EXPECT_EQ(MemorySizeCodeFromName("1.5 gb"), 12);
    EXPECT_EQ(MemorySizeCodeFromName("2 TB"), 0);
    EXPECT_EQ(WordWidthName(0), nullptr);
    EXPECT_EQ(WordWidthName(4), nullptr);
    EXPECT_STREQ(WordWidthName(2), "32/64 bits");
    EXPECT_EQ(WordWidthCodeFromName("64 Bits"), 3);

    String text;
    FormatMemoryAndWidth(text, 13, 3);
    EXPECT_STREQ(text.CStr(), "2 GB, 64 bits");
    FormatMemoryAndWidth(text, 13, 1);
    EXPECT_STREQ(text.CStr(), "2 GB");

    struct Case {
        int64_t megabytes;
        int32_t expected;
    };
    const Case cases[] = {{0, 0},     {31, 0},     {32, 1},          {47, 1},           {48, 2},
                          {64, 3},    {96, 4},     {1536, 12},       {2047, 12},        {2048, 13},
                          {786432, 30}, {1048576, 31}, {1048576 * 4, 31}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.megabytes);
        EXPECT_EQ(MemorySizeClassOf(c.megabytes * 1024 * 1024), c.expected);
    }
}

TEST(SystemFactsTest, SystemInfoRecord)
{
    SystemInfo info;
    std::memset(static_cast<void*>(&info), 0x5A, sizeof info);
    GetSystemInfo(info);
    EXPECT_EQ(info.reserved, 0);
    EXPECT_EQ(info.bytesInUse, 56);
    EXPECT_GE(info.processorCount, 1);
    EXPECT_LT(std::strlen(info.userName), size_t(kSystemNameCapacity));
    for (uint8_t byte : info.padding)
        EXPECT_EQ(byte, 0);
    char computer[kSystemNameCapacity];
    std::memset(computer, 0x5A, sizeof computer);
    CopyComputerName(computer);
    EXPECT_LT(std::strlen(computer), size_t(kSystemNameCapacity));
    String host;
    GetComputerNameString(host);
    EXPECT_EQ(std::string(computer), std::string(host.CStr()).substr(0, std::strlen(computer)));
}

}  // namespace
}  // namespace vek
