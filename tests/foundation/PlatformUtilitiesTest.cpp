#include "foundation/PlatformUtilities.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "foundation/BlockAllocator.h"
#include "foundation/DateTime.h"
#include "foundation/HeapText.h"
#include "foundation/MemoryHandle.h"
#include "foundation/PendingError.h"
#include "foundation/String.h"
#include "foundation/SystemLocale.h"
#include "foundation/TextIds.h"

namespace vek {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(PlatformUtilitiesTest, ClassifySignAndCompareDoubles)
{
    struct Case {
        double x;
        int32_t classification;
        double sign;
    };
    const Case cases[] = {
        {0.0, 0, 0.0},  {-0.0, 0, 0.0},         {2.5, 1, 1.0},      {-2.5, 2, -1.0}, {1e308, 1, 1.0},
        {kInfinity, 3, 1.0}, {-kInfinity, 4, -1.0}, {kNan, 5, 0.0}, {5e-324, 1, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(ClassifyDouble(c.x), c.classification);
        EXPECT_EQ(SignOf(c.x), c.sign);
    }

    struct Comparison {
        double a;
        double b;
        int32_t expected;
    };
    const Comparison comparisons[] = {
        {1, 2, -1}, {2, 1, 1}, {1, 1, 0}, {kNan, 1, 1}, {1, kNan, -1}, {kNan, kNan, 0}, {kNan, kInfinity, 1},
    };
    for (const Comparison& c : comparisons) {
        SCOPED_TRACE(std::to_string(c.a) + " vs " + std::to_string(c.b));
        EXPECT_EQ(CompareDoubles(c.a, c.b), c.expected);
    }
}

TEST(PlatformUtilitiesTest, PowersOfTenAndDecimalExponents)
{
    EXPECT_EQ(PowerOfTen(0), 1.0);
    EXPECT_EQ(PowerOfTen(15), 1e15);
    EXPECT_EQ(PowerOfTen(-3), 1e12 * 1e-15) << "from the table";
    EXPECT_DOUBLE_EQ(PowerOfTen(-3), 0.001);
    EXPECT_DOUBLE_EQ(PowerOfTen(-15), 1e-15);
    EXPECT_EQ(PowerOfTen(16), std::pow(10.0, 16.0));
    EXPECT_EQ(PowerOfTen(-16), std::pow(10.0, -16.0));

    struct Case {
        double x;
        int32_t expected;
    };
    const Case cases[] = {
        {1, 0},       {9.99, 0},     {10, 1},     {999, 2},      {1000, 3},  {123456789, 8},  {1e300, 300},
        {0.5, -1},    {0.05, -2},    {0.001, -3}, {1e-300, -300}, {5e-324, -324},
        {0, 0},       {-5, 0},       {kNan, 0},   {kInfinity, 0},  // no leading digit: 0, and no endless loop
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(DecimalExponent(c.x), c.expected);
    }
}

TEST(PlatformUtilitiesTest, FloorLog2)
{
    struct Case {
        int64_t n;
        int32_t expected;
    };
    const Case cases[] = {{-7, 0}, {0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {1023, 9}, {1024, 10}, {INT32_MAX, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(FloorLog2(int32_t(c.n)), c.expected);
        EXPECT_EQ(FloorLog2Int64(c.n), c.expected);
    }
    EXPECT_EQ(FloorLog2Int64(INT64_MAX), 62);
    EXPECT_EQ(FloorLog2Int64(int64_t(1) << 40), 40);
}

TEST(PlatformUtilitiesTest, RandomUnitSequence)
{
    SetRandomUnitSeed(1);
    EXPECT_EQ(RandomUnit(), 75.0 / 2147483647.0);
    EXPECT_EQ(RandomUnit(), 5625.0 / 2147483647.0);
    // A zero seed would repeat 0 for ever.
    SetRandomUnitSeed(0);
    EXPECT_GT(RandomUnit(), 0.0);
    SetRandomUnitSeed(2147483647.0 * 3);
    EXPECT_GT(RandomUnit(), 0.0);
    SeedRandomUnit();
    for (int i = 0; i < 1000; ++i) {
        double x = RandomUnit();
        ASSERT_GT(x, 0.0);
        ASSERT_LT(x, 1.0);
    }
}

TEST(PlatformUtilitiesTest, BytesAndMemoryBlocks)
{
    uint8_t word16[2] = {0x12, 0x34};
    SwapBytes16(word16);
    EXPECT_EQ(word16[0], 0x34);
    EXPECT_EQ(word16[1], 0x12);
    uint8_t word32[4] = {1, 2, 3, 4};
    SwapBytes32(word32);
    EXPECT_EQ(std::memcmp(word32, "\4\3\2\1", 4), 0);

    uint8_t a[4] = {1, 2, 3, 4};
    uint8_t b[4] = {1, 2, 0x80, 0};
    EXPECT_EQ(MemCompare(a, b, 4), -1) << "bytes compare unsigned";
    EXPECT_EQ(MemCompare(b, a, 4), 1);
    EXPECT_EQ(MemCompare(a, b, 2), 0);
    EXPECT_EQ(MemCompare(a, b, 0), 0);
    MemSwap(a, b, 4);
    EXPECT_EQ(a[2], 0x80);
    EXPECT_EQ(b[2], 3);
    MemFill(a, 3, 0xEE);
    EXPECT_EQ(a[2], 0xEE);
    EXPECT_EQ(a[3], 0);
    MemZero(a, 4);
    EXPECT_EQ(a[0], 0);
    MemFill(a, -1, 0xEE);  // ignored
    EXPECT_EQ(a[0], 0);
}

TEST(PlatformUtilitiesTest, NamesOfSystemCodes)
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

TEST(PlatformUtilitiesTest, SystemInfoRecord)
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
}

TEST(PlatformUtilitiesTest, ClockAndLocalTime)
{
    int64_t first = CurrentTimeMs();
    int64_t ticks = TickCount();
    EXPECT_NEAR(double(TickDeadlineToMs(ticks + 60)), double(first + 960), 100.0);
    DelaySince(0, first);  // already over: returns at once
    Delay(5);
    EXPECT_GE(CurrentTimeMs() - first, 5);

    DateTime now;
    GetCurrentDateTime(now);
    EXPECT_EQ(now.kind, DateTimeKind::Second);
    EXPECT_GE(now.year, 2020);
    EXPECT_TRUE(now.HasDate());

    SetEventTimeOrigin();
    EXPECT_NEAR(EventTimeToLocalSeconds(EventTime()), now.ToSeconds(), 5.0);
}

TEST(PlatformUtilitiesTest, DetachedThreadRunsTheFunction)
{
    std::atomic<int> value{0};
    pthread_t thread = StartDetachedThread([](void* argument) { static_cast<std::atomic<int>*>(argument)->store(7); }, &value);
    EXPECT_NE(thread, pthread_t());
    for (int i = 0; i < 5000 && value.load() == 0; ++i)
        Delay(1);
    EXPECT_EQ(value.load(), 7);
}

TEST(PlatformUtilitiesTest, DebugTextIsPlainAsciiOfAtMost250Characters)
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

TEST(PlatformUtilitiesTest, LocaleSeparators)
{
    for (const char* name : {"C", "POSIX", "C.UTF-8", "", "xx_NOWHERE.UTF-8"}) {
        SCOPED_TRACE(name);
        LocaleSeparators separators = GetLocaleSeparatorsOf(name);
        EXPECT_FALSE(separators.found);
        EXPECT_EQ(separators.decimal, u'.');
        EXPECT_EQ(separators.thousands, u' ');
    }
    LocaleSeparators german = GetLocaleSeparatorsOf("de_DE.UTF-8");
    if (!german.found)
        GTEST_SKIP() << "the system has no German locale";
    EXPECT_EQ(german.decimal, u',');
    EXPECT_EQ(german.thousands, u'.');
}

// --- Memory handles ---------------------------------------------------------------------------------

std::string Contents(const MemoryHandle& handle)
{
    return std::string(reinterpret_cast<const char*>(handle.Data()), size_t(handle.Size()));
}

class MemoryHandleTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }
};

TEST_F(MemoryHandleTest, FailedResizeRaisesOutOfMemoryAndKeepsTheHandle)
{
    HandlePtr handle = NewHandleMode(3, kHandleModeDefault);
    ASSERT_NE(handle, nullptr);
    ASSERT_TRUE(SetHandleFromCStr(*handle, "abc"));
    for (int64_t size : {int64_t(1) << 40, int64_t(-1), MemoryHandle::kHandleSizeLimit + 1}) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(SetHandleSizeChecked(*handle, size));
        EXPECT_EQ(GetPendingError().message.code, message::kOutOfMemory);
        EXPECT_TRUE(IsErrorPending());
        EXPECT_EQ(Contents(*handle), "abc");
        ClearError();
    }
    EXPECT_EQ(NewHandleMode(int64_t(1) << 40, kHandleModeTemporary), nullptr);
    EXPECT_EQ(GetPendingError().message.code, message::kOutOfMemory);
    ClearError();
    EXPECT_FALSE(TestHandleAlloc(int64_t(1) << 40));
    EXPECT_FALSE(IsErrorPending()) << "a test raises nothing";
    EXPECT_TRUE(TestHandleAlloc(65536));
}

TEST_F(MemoryHandleTest, SettersCopyWholeTexts)
{
    MemoryHandle handle;
    EXPECT_EQ(handle.Size(), 0);
    const uint8_t lengthByte[] = {3, 'x', 'y', 'z', '!'};
    ASSERT_TRUE(SetHandleFromLengthByteText(handle, lengthByte));
    EXPECT_EQ(Contents(handle), "xyz");
    String text;
    text.AssignCStr("from a string");
    ASSERT_TRUE(SetHandleFromString(handle, text));
    EXPECT_EQ(Contents(handle), "from a string");
    ASSERT_TRUE(SetHandleFromCStr(handle, nullptr));
    EXPECT_EQ(handle.Size(), 0);
    HeapText heap = NewHeapText("heap");
    ASSERT_TRUE(SetHandleFromHeapText(handle, heap));
    EXPECT_EQ(Contents(handle), "heap");
    ASSERT_TRUE(SetHandleFromBlock(handle, heap));
    EXPECT_EQ(Contents(handle), std::string("heap", 5)) << "the whole block with its NUL";
    MemFree(heap);

    HandlePtr copy = DuplicateHandle(&handle, kHandleModeDefault);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(CompareHandles(*copy, handle), 0);
    EXPECT_EQ(DuplicateHandle(nullptr, kHandleModeDefault), nullptr);
    ASSERT_TRUE(SetHandleFromCStr(*copy, "other"));
    ASSERT_TRUE(CopyHandleContents(handle, *copy));
    EXPECT_EQ(Contents(handle), "other");
    FillHandle(handle, 'q');
    EXPECT_EQ(Contents(handle), "qqqqq");
    ZeroHandle(handle);
    EXPECT_EQ(Contents(handle), std::string(5, '\0'));
}

TEST_F(MemoryHandleTest, InsertDeleteAndReplaceInPlace)
{
    struct Case {
        const char* name;
        int64_t offset;
        int64_t oldLength;
        const char* bytes;  // null: from the handle itself, "abc" at 1
        int64_t newLength;
        bool ok;
        const char* expected;
    };
    const Case cases[] = {
        {"insert at start", 0, 0, "XY", 2, true, "XYabcdef"},
        {"insert at end", 6, 0, "XY", 2, true, "abcdefXY"},
        {"delete middle", 2, 2, "", 0, true, "abef"},
        {"delete tail", 4, 2, "", 0, true, "abcd"},
        {"replace longer", 1, 2, "1234", 4, true, "a1234def"},
        {"replace shorter", 1, 4, "Z", 1, true, "aZf"},
        {"from itself", 6, 0, nullptr, 3, true, "abcdefbcd"},
        {"offset beyond", 7, 0, "X", 1, false, "abcdef"},
        {"range beyond", 4, 3, "", 0, false, "abcdef"},
        {"negative", -1, 0, "X", 1, false, "abcdef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryHandle handle;
        ASSERT_TRUE(SetHandleFromCStr(handle, "abcdef"));
        const void* bytes = c.bytes ? static_cast<const void*>(c.bytes) : handle.Data() + 1;
        EXPECT_EQ(ReplaceInHandle(handle, c.offset, c.oldLength, bytes, c.newLength), c.ok);
        EXPECT_EQ(Contents(handle), c.expected);
        EXPECT_FALSE(IsErrorPending()) << "a bad range is no memory error";
    }
    MemoryHandle handle;
    ASSERT_TRUE(SetHandleFromCStr(handle, "ace"));
    ASSERT_TRUE(InsertIntoHandle(handle, 1, "b", 1));
    ASSERT_TRUE(InsertIntoHandle(handle, 3, "d", 1));
    ASSERT_TRUE(DeleteFromHandle(handle, 0, 1));
    EXPECT_EQ(Contents(handle), "bcde");
}

TEST_F(MemoryHandleTest, CompareHandlesByBytesThenLength)
{
    MemoryHandle a;
    MemoryHandle b;
    ASSERT_TRUE(SetHandleFromCStr(a, "abc"));
    ASSERT_TRUE(SetHandleFromCStr(b, "abd"));
    EXPECT_EQ(CompareHandles(a, b), -1);
    ASSERT_TRUE(SetHandleFromCStr(b, "ab"));
    EXPECT_EQ(CompareHandles(a, b), 1);
    EXPECT_EQ(CompareHandles(b, a), -1);
    ASSERT_TRUE(SetHandleFromCStr(b, "abc"));
    EXPECT_EQ(CompareHandles(a, b), 0);
}

}  // namespace
}  // namespace vek
