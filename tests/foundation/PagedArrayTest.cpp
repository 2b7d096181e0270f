// Tests of PagedArray: records that never move, pages made on demand, copies and element sizes.
#include "foundation/memory/PagedArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "foundation/memory/BlockAllocator.h"

namespace vek {
namespace {

class PagedArrayTest : public ::testing::Test {
protected:
    void TearDown() override { MemFailAllocationsAfter(-1); }
};

struct Record {
    uint32_t index;
    uint32_t check;
};

Record RecordFor(int32_t i) { return {uint32_t(i), uint32_t(i) * 2654435761u}; }

// A table of n 8-byte records, every page made.
PagedArray Records(int32_t n)
{
    PagedArray array(sizeof(Record));
    EXPECT_TRUE(array.Reserve(n));
    for (int32_t i = 0; i < n; ++i) {
        Record record = RecordFor(i);
        array.SetElement(i, &record);
    }
    return array;
}

TEST_F(PagedArrayTest, AtGrowMakesOnlyThePageItNeeds)
{
    PagedArray array(8);
    EXPECT_EQ(array.PageSlots(), 12);
    void* record = array.AtGrow(5000);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(array.Count(), 5001);
    EXPECT_TRUE(array.HasPage(4));
    for (int32_t p : {0, 1, 2, 3, 5})
        EXPECT_FALSE(array.HasPage(p)) << p;
    EXPECT_EQ(array.At(5000), record);
    EXPECT_EQ(array.At(4096), static_cast<char*>(record) - 8 * (5000 - 4096));
    // Records on missing pages and beyond the count have no address.
    EXPECT_EQ(array.At(10), nullptr);
    EXPECT_EQ(array.At(5001), nullptr);
    EXPECT_EQ(array.At(-1), nullptr);
    EXPECT_EQ(array.AtGrow(-1), nullptr);
    EXPECT_EQ(array.MemorySize(), array.PageSlots() * 8 + 16 + 12 + 20 + 1024 * 8);
}

TEST_F(PagedArrayTest, PageTableGrowsByHalfPlusTwelve)
{
    PagedArray array(4);
    ASSERT_NE(array.AtGrow(20000), nullptr);  // page 19
    EXPECT_EQ(array.PageSlots(), 19 + 6 + 12);
    EXPECT_FALSE(array.HasPage(36));
    ASSERT_NE(array.AtGrow(37 * 1024), nullptr);  // page 37
    EXPECT_EQ(array.PageSlots(), 37 + 18 + 12);
}

TEST_F(PagedArrayTest, RecordsNeverMoveWhileTheTableGrows)
{
    PagedArray array(sizeof(Record));
    std::vector<Record*> addresses;
    for (int32_t i = 0; i < 40000; ++i) {
        auto* record = static_cast<Record*>(array.AtGrow(i));
        ASSERT_NE(record, nullptr);
        *record = RecordFor(i);
        addresses.push_back(record);
    }
    for (int32_t i = 0; i < 40000; i += 997) {
        EXPECT_EQ(array.At(i), addresses[std::size_t(i)]);
        EXPECT_EQ(addresses[std::size_t(i)]->check, RecordFor(i).check);
    }
}

TEST_F(PagedArrayTest, TruncateReleasesWholePagesBeyond)
{
    PagedArray array = Records(5000);
    array.Truncate(1025);
    EXPECT_EQ(array.Count(), 1025);
    EXPECT_TRUE(array.HasPage(0));
    EXPECT_TRUE(array.HasPage(1));
    EXPECT_FALSE(array.HasPage(2));
    EXPECT_FALSE(array.HasPage(4));

    array.Truncate(1500);  // above the count: only pages beyond go
    EXPECT_EQ(array.Count(), 1025);
    EXPECT_TRUE(array.HasPage(1));
    array.Truncate(1024);
    EXPECT_FALSE(array.HasPage(1));
    Record record;
    array.GetElement(&record, 1023);
    EXPECT_EQ(record.check, RecordFor(1023).check);
}

// Record pools skip clearing new records, so a zero-filled table must hand out zeros past its count
// however it got there: fresh pages, a truncation inside a page, a regrowth over dropped records,
// widened and narrowed records.
TEST_F(PagedArrayTest, ZeroFilledTablesKeepEveryRecordPastTheCountZero)
{
    constexpr int32_t kSize = 24;
    auto expectZeroFrom = [](PagedArray& array, int32_t first, int32_t end) {
        std::vector<uint8_t> zero(size_t(array.ElementSize()), 0);
        for (int32_t i = first; i < end; ++i) {
            void* record = array.AtGrow(i);
            ASSERT_NE(record, nullptr);
            ASSERT_EQ(std::memcmp(record, zero.data(), zero.size()), 0) << "record " << i;
        }
    };
    PagedArray array(kSize, 0, PageFill::Zero);
    EXPECT_EQ(array.Fill(), PageFill::Zero);
    expectZeroFrom(array, 0, 3000);
    for (int32_t i = 0; i < 3000; ++i)
        std::memset(array.At(i), 0xA5, kSize);
    array.Truncate(1500);  // inside page 1: records 1500-2047 stay on their page
    expectZeroFrom(array, 1500, 2600);

    for (int32_t i = 0; i < array.Count(); ++i)
        std::memset(array.At(i), 0x5A, size_t(array.ElementSize()));
    array.Truncate(1100);
    ASSERT_TRUE(array.InsertElementBytes(8, 4));
    array.RemoveElementBytes(4, 0);
    expectZeroFrom(array, 1100, 2100);

    PagedArray moved = std::move(array);
    EXPECT_EQ(moved.Fill(), PageFill::Zero);
    moved.Truncate(700);
    expectZeroFrom(moved, 700, 1024);
}

TEST_F(PagedArrayTest, ReserveSetsTheCountOnlyWhenEveryPageIsThere)
{
    PagedArray array(16);
    MemFailAllocationsAfter(2);
    EXPECT_FALSE(array.Reserve(4000));  // needs 4 pages
    EXPECT_EQ(array.Count(), 0);
    EXPECT_TRUE(array.HasPage(3));
    EXPECT_TRUE(array.HasPage(2));
    EXPECT_FALSE(array.HasPage(1));
    MemFailAllocationsAfter(-1);
    EXPECT_TRUE(array.Reserve(4000));
    EXPECT_EQ(array.Count(), 4000);
    EXPECT_TRUE(array.Reserve(10));
    EXPECT_EQ(array.Count(), 4000);
    MemFailAllocationsAfter(0);
    EXPECT_EQ(array.AtGrow(4000 + 20 * 1024), nullptr);
    EXPECT_EQ(array.Count(), 4000);
}

TEST_F(PagedArrayTest, ElementOperations)
{
    PagedArray array = Records(3000);
    Record record;
    array.CopyElement(0, 2999);
    array.GetElement(&record, 0);
    EXPECT_EQ(record.index, 2999u);
    array.SwapElements(1, 2);
    array.GetElement(&record, 1);
    EXPECT_EQ(record.index, 2u);
    EXPECT_EQ(array.CompareElements(1, 2), 1);
    EXPECT_EQ(array.CompareElements(2, 1), -1);
    EXPECT_EQ(array.CompareElements(0, 2999), 0);
    array.ZeroElement(5);
    array.GetElement(&record, 5);
    EXPECT_EQ(record.index, 0u);
    EXPECT_EQ(record.check, 0u);

    // Records outside are not touched; reading one gives zeros.
    for (int32_t i : {-1, 3000, 1 << 20}) {
        SCOPED_TRACE(i);
        Record junk = {7, 7};
        array.SetElement(i, &junk);
        array.GetElement(&junk, i);
        EXPECT_EQ(junk.index, 0u);
        array.CopyElement(i, 0);
        array.CopyElement(0, i);
        array.SwapElements(0, i);
        array.ZeroElement(i);
        EXPECT_EQ(array.CompareElements(0, i), 0);
    }
    array.GetElement(&record, 0);
    EXPECT_EQ(record.index, 2999u);
}

TEST_F(PagedArrayTest, InsertAndRemoveRecordBytes)
{
    struct Case {
        int32_t insert;
        int32_t at;
    };
    const Case cases[] = {{4, 0}, {4, 8}, {3, 5}, {1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.insert << " at " << c.at);
        PagedArray array = Records(2100);
        ASSERT_TRUE(array.InsertElementBytes(c.insert, c.at));
        ASSERT_EQ(array.ElementSize(), 8 + c.insert);
        for (int32_t i : {0, 1023, 1024, 2099}) {
            Record expected = RecordFor(i);
            std::vector<unsigned char> wide(std::size_t(array.ElementSize()), 0xEE);
            std::memcpy(wide.data(), &expected, std::size_t(c.at));
            std::fill_n(wide.begin() + c.at, c.insert, 0);
            std::memcpy(wide.data() + c.at + c.insert, reinterpret_cast<char*>(&expected) + c.at, std::size_t(8 - c.at));
            ASSERT_EQ(std::memcmp(array.At(i), wide.data(), wide.size()), 0) << i;
        }
        array.RemoveElementBytes(c.insert, c.at);
        ASSERT_EQ(array.ElementSize(), 8);
        Record record;
        array.GetElement(&record, 2099);
        EXPECT_EQ(record.check, RecordFor(2099).check);
    }
    PagedArray array = Records(10);
    EXPECT_FALSE(array.InsertElementBytes(4, 9));
    EXPECT_FALSE(array.InsertElementBytes(-1, 0));
    array.RemoveElementBytes(4, 5);
    EXPECT_EQ(array.ElementSize(), 8);
}

TEST_F(PagedArrayTest, FailedWideningBringsBackTheOldRecords)
{
    PagedArray array = Records(3 * 1024);
    MemFailAllocationsAfter(2);  // the third page cannot be widened
    EXPECT_FALSE(array.InsertElementBytes(4, 2));
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(array.ElementSize(), 8);
    for (int32_t i = 0; i < array.Count(); ++i) {
        Record record;
        array.GetElement(&record, i);
        ASSERT_EQ(record.index, uint32_t(i));
        ASSERT_EQ(record.check, RecordFor(i).check);
    }
}

TEST_F(PagedArrayTest, NarrowingInPlaceWhenPagesCannotBeHad)
{
    PagedArray array = Records(3 * 1024);
    MemFailAllocationsAfter(1);
    array.RemoveElementBytes(4, 0);  // keep the check word only
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(array.ElementSize(), 4);
    for (int32_t i = 0; i < array.Count(); ++i) {
        uint32_t check;
        array.GetElement(&check, i);
        ASSERT_EQ(check, RecordFor(i).check) << i;
    }
}

TEST_F(PagedArrayTest, CopiesAreIndependent)
{
    PagedArray array(sizeof(Record), 2);
    for (int32_t i : {5, 3000}) {
        Record record = RecordFor(i);
        std::memcpy(array.AtGrow(i), &record, sizeof record);
    }
    PagedArray copy;
    copy.PagedArrayCopy(array);
    EXPECT_EQ(copy.Count(), 3001);
    EXPECT_EQ(copy.ElementSize(), 8);
    EXPECT_EQ(copy.PageSlots(), 3);
    EXPECT_TRUE(copy.HasPage(0));
    EXPECT_FALSE(copy.HasPage(1));
    EXPECT_TRUE(copy.HasPage(2));
    Record record;
    copy.GetElement(&record, 3000);
    EXPECT_EQ(record.check, RecordFor(3000).check);
    copy.ZeroElement(3000);
    array.GetElement(&record, 3000);
    EXPECT_EQ(record.check, RecordFor(3000).check);

    PagedArray partial;
    MemFailAllocationsAfter(2);  // the table and one page
    partial.InitCopy(array, 0);
    MemFailAllocationsAfter(-1);
    EXPECT_TRUE(partial.HasPage(0));
    EXPECT_FALSE(partial.HasPage(2));
    EXPECT_EQ(partial.At(3000), nullptr);

    PagedArray moved(std::move(copy));
    EXPECT_EQ(moved.Count(), 3001);
    EXPECT_EQ(copy.Count(), 0);
    EXPECT_EQ(copy.At(0), nullptr);
}

TEST_F(PagedArrayTest, ElementSizeChangesOnlyWithoutPages)
{
    PagedArray array(8);
    array.SetElementSize(24);
    EXPECT_EQ(array.ElementSize(), 24);
    ASSERT_NE(array.AtGrow(0), nullptr);
    array.SetElementSize(4000);
    EXPECT_EQ(array.ElementSize(), 24);
    array.Free();
    EXPECT_EQ(array.Count(), 0);
    EXPECT_EQ(array.At(0), nullptr);
    ASSERT_NE(array.AtGrow(2), nullptr) << "a freed array grows again";
}

}  // namespace
}  // namespace vek
