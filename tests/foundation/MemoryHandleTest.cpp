// Tests of MemoryHandle: setters, insertion and deletion, comparison and failed resizes.
#include "foundation/memory/MemoryHandle.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/HeapText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

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
        EXPECT_EQ(GetPendingError().message.code, 600);
        EXPECT_TRUE(IsErrorPending());
        EXPECT_EQ(Contents(*handle), "abc");
        ClearError();
    }
    EXPECT_EQ(NewHandleMode(int64_t(1) << 40, kHandleModeTemporary), nullptr);
    EXPECT_EQ(GetPendingError().message.code, 600);
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
