// Tests of StringPool: buffer growth and compaction, texts in place, and short memory.
#include "foundation/strings/StringPool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/memory/BlockAllocator.h"

namespace vek {
namespace {

std::string TextAt(const StringPool& pool, int32_t i)
{
    const char* text = pool.Get(i);
    return text == nullptr ? "<none>" : text;
}

TEST(StringPoolTest, FirstTextOpensTheSmallestBuffer)
{
    StringPool pool(3);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(pool.Get(i), nullptr);
    ASSERT_TRUE(pool.SetCStr(1, "abc"));
    EXPECT_EQ(pool.Capacity(), 4080);
    EXPECT_EQ(pool.OffsetOf(1), 1);
    EXPECT_EQ(TextAt(pool, 1), "abc");
    EXPECT_EQ(pool.Get(1)[4], 'x');  // the end mark follows the NUL
    EXPECT_EQ(pool.Get(0), nullptr);
    EXPECT_FALSE(pool.SetCStr(3, "outside"));
    EXPECT_EQ(pool.Get(-1), nullptr);
}

TEST(StringPoolTest, TextsShrinkAndGrowInPlace)
{
    StringPool pool(2);
    ASSERT_TRUE(pool.SetCStr(0, "abc"));
    ASSERT_TRUE(pool.SetCStr(1, "zz"));
    ASSERT_TRUE(pool.SetCStr(0, "ab"));
    EXPECT_EQ(pool.OffsetOf(0), 1);
    EXPECT_EQ(pool.DeadBytes(), 1);
    ASSERT_TRUE(pool.SetCStr(0, "abc"));  // the dead byte is taken back
    EXPECT_EQ(pool.OffsetOf(0), 1);
    EXPECT_EQ(pool.DeadBytes(), 0);
    EXPECT_EQ(TextAt(pool, 1), "zz");
    // Longer than the zero bytes that follow: the text moves to the end.
    ASSERT_TRUE(pool.SetCStr(0, "abcdef"));
    EXPECT_GT(pool.OffsetOf(0), pool.OffsetOf(1));
    EXPECT_EQ(TextAt(pool, 0), "abcdef");
    EXPECT_EQ(TextAt(pool, 1), "zz");
    EXPECT_EQ(pool.DeadBytes(), 4);
}

TEST(StringPoolTest, GrowthUsesTheRoomOfRemovedTextsUpToTheNextText)
{
    StringPool pool(3);
    ASSERT_TRUE(pool.SetCStr(0, "a"));
    ASSERT_TRUE(pool.SetCStr(1, "bbbb"));
    ASSERT_TRUE(pool.SetCStr(2, "c"));
    pool.Remove(1);
    EXPECT_EQ(pool.Get(1), nullptr);
    ASSERT_TRUE(pool.SetCStr(0, "aaaaaa"));  // "a", its NUL and five dead bytes hold six and a NUL
    EXPECT_EQ(pool.OffsetOf(0), 1);
    EXPECT_EQ(TextAt(pool, 2), "c");
    ASSERT_TRUE(pool.SetCStr(0, "aaaaaaa"));  // one more would reach "c": it moves
    EXPECT_NE(pool.OffsetOf(0), 1);
    EXPECT_EQ(TextAt(pool, 0), "aaaaaaa");
    EXPECT_EQ(TextAt(pool, 2), "c");
}

TEST(StringPoolTest, GrowingCompactsManyDeadBytes)
{
    StringPool pool(200);
    std::string expected[200];
    for (int32_t round = 0; round < 6; ++round) {
        for (int32_t i = 0; i < 200; ++i) {
            expected[i] = std::string(size_t(5 + (i * 7 + round * 13) % 40), char('a' + (i + round) % 26));
            ASSERT_TRUE(pool.SetCStr(i, expected[i].c_str()));
        }
        for (int32_t i = 0; i < 200; i += 3) {
            pool.Remove(i);
            expected[i] = "<none>";
        }
    }
    for (int32_t i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(TextAt(pool, i), expected[i]);
    }
    int32_t live = 1;
    for (int32_t i = 0; i < 200; ++i)
        live += pool.Get(i) == nullptr ? 0 : int32_t(std::strlen(pool.Get(i))) + 1;
    EXPECT_EQ(pool.UsedBytes(), live + pool.DeadBytes());  // every byte is a text, a NUL or dead
    EXPECT_LE(pool.Capacity(), 16384);
}

TEST(StringPoolTest, AssignCopiesAndCompacts)
{
    StringPool source(100);
    for (int32_t i = 0; i < 100; ++i)
        ASSERT_TRUE(source.SetCStr(i, ("text number " + std::to_string(i)).c_str()));
    StringPool copy;
    ASSERT_TRUE(copy.Assign(source));
    EXPECT_EQ(copy.UsedBytes(), source.UsedBytes());
    for (int32_t i = 0; i < 100; i += 2)
        source.Remove(i);
    ASSERT_TRUE(copy.Assign(source));
    EXPECT_EQ(copy.DeadBytes(), 0);
    EXPECT_LT(copy.UsedBytes(), source.UsedBytes());
    for (int32_t i = 0; i < 100; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(TextAt(copy, i), TextAt(source, i));
    }
    ASSERT_TRUE(copy.SetCStr(0, "still growable"));
    EXPECT_EQ(TextAt(copy, 0), "still growable");
    StringPool bare(4);
    ASSERT_TRUE(copy.Assign(bare));
    EXPECT_EQ(copy.Count(), 4);
    EXPECT_EQ(copy.Get(1), nullptr);
}

TEST(StringPoolTest, CountChangesAndCaseChanges)
{
    StringPool pool(2);
    ASSERT_TRUE(pool.SetCStr(0, "Abc"));
    ASSERT_TRUE(pool.SetCStr(1, "dEf"));
    ASSERT_TRUE(pool.SetCount(4));
    EXPECT_EQ(pool.Get(3), nullptr);
    pool.ChangeCase(0);
    EXPECT_EQ(TextAt(pool, 0), "ABC");
    EXPECT_EQ(TextAt(pool, 1), "DEF");
    pool.ChangeCase(9);
    EXPECT_EQ(TextAt(pool, 0), "ABC");
    ASSERT_TRUE(pool.SetCount(1));
    EXPECT_EQ(pool.DeadBytes(), 4);  // the dropped entry's text is dead
    ASSERT_TRUE(pool.SetCount(2));
    EXPECT_EQ(pool.Get(1), nullptr);
}

TEST(StringPoolTest, TextsFromThePoolItselfAndWithNuls)
{
    StringPool pool(3);
    ASSERT_TRUE(pool.SetCStr(0, "shared"));
    ASSERT_TRUE(pool.SetCStr(1, pool.Get(0)));
    EXPECT_EQ(TextAt(pool, 1), "shared");
    ASSERT_TRUE(pool.SetBytes(2, "ab\0cd", 5));  // a text ends at its NUL
    EXPECT_EQ(TextAt(pool, 2), "ab");
    ASSERT_TRUE(pool.SetBytes(2, "", 0));
    EXPECT_EQ(pool.Get(2), nullptr);
}

TEST(StringPoolTest, RunningOutOfMemoryKeepsTheTexts)
{
    StringPool pool(2);
    ASSERT_TRUE(pool.SetCStr(0, "kept"));
    std::string large(5000, 'L');
    MemFailAllocationsAfter(0);
    bool stored = pool.SetCStr(1, large.c_str());
    MemFailAllocationsAfter(-1);
    EXPECT_FALSE(stored);
    EXPECT_EQ(pool.Get(1), nullptr);
    EXPECT_EQ(TextAt(pool, 0), "kept");
    ASSERT_TRUE(pool.SetCStr(1, large.c_str()));
    EXPECT_EQ(TextAt(pool, 1), large);
    EXPECT_GT(pool.MemorySize(), 5000);
}

}  // namespace
}  // namespace vek
