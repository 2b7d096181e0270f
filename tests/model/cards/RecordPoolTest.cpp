// Tests of RecordPool: every record handed out is zero but for its header, new or reused.
#include "model/cards/RecordPool.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vek {
namespace {

struct TestRecord {
    PoolRecordHeader header;
    uint8_t body[40];
};

bool BodyIsZero(const TestRecord& record)
{
    static const uint8_t zero[sizeof record.body] = {};
    return std::memcmp(record.body, zero, sizeof zero) == 0;
}

TEST(RecordPoolTest, NewAndReusedRecordsStartZeroed)
{
    RecordPool pool(int32_t(sizeof(TestRecord)), 20);
    for (int32_t i = 0; i < 2500; ++i) {
        auto* record = static_cast<TestRecord*>(pool.Alloc());
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->header.index, uint32_t(i));
        EXPECT_EQ(record->header.next, kNoRecord);
        ASSERT_TRUE(BodyIsZero(*record)) << "new record " << i;
        std::memset(record->body, 0xC3, sizeof record->body);
    }
    // Freed records come back first, cleared of what they held.
    for (uint32_t index : {7u, 1500u, 2499u})
        pool.Free(index);
    for (uint32_t index : {2499u, 1500u, 7u}) {
        auto* record = static_cast<TestRecord*>(pool.Alloc());
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->header.index, index);
        EXPECT_TRUE(BodyIsZero(*record)) << "reused record " << index;
    }
    // After the pool is cleared, its new records are zero again.
    pool.Clear();
    auto* record = static_cast<TestRecord*>(pool.Alloc());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->header.index, 0u);
    EXPECT_TRUE(BodyIsZero(*record));
    EXPECT_EQ(pool.LiveCount(), 1);
}

}  // namespace
}  // namespace vek
