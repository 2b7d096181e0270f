// Tests of SessionTable: idle expiry, removal, byte-exact keys and the change callback.
#include "foundation/streams/SessionTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/services/Clock.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

struct Heard {
    int32_t event;
    std::string key;
    std::string value;
    std::string extra;
    bool operator==(const Heard&) const = default;
};
std::vector<Heard> heard;

std::string OrNull(const char* text) { return text ? text : "(null)"; }

void Record(const SessionChange& change)
{
    heard.push_back({change.event, OrNull(change.key), OrNull(change.value), OrNull(change.extra)});
}

class SessionTableTest : public testing::Test {
protected:
    void SetUp() override
    {
        clock.SetMs(1000000);
        heard.clear();
    }

    static std::string ValueOf(SessionTable& table, const char* key)
    {
        String value;
        String extra;
        table.Get(key, value, extra);
        return std::string(value.CStr()) + "|" + extra.CStr();
    }
    static std::string ExtraAt(const SessionTable& table, int32_t index)
    {
        String extra;
        extra.AssignCStr("stale");
        table.GetExtraAt(index, extra);
        return extra.CStr();
    }

    // The table reads this clock, so that idle times are exact.
    ManualClock clock;
    ScopedService<Clock> registeredClock{&clock};
};

TEST_F(SessionTableTest, EntriesIdleLongerThanTheLimitGoAtTheNextLookup)
{
    SessionTable table;
    EXPECT_EQ(table.LimitMs(), 1200000u);
    table.Set("exact", "ok", "anna");
    clock.AdvanceMs(-1);
    table.Set("older", "ok", "bo");
    clock.AdvanceMs(1 + 1200000);
    // Touch and Remove do not expire.
    table.Touch("missing");
    table.Remove("missing");
    EXPECT_EQ(table.Count(), 2);

    EXPECT_EQ(ValueOf(table, "exact"), "ok|anna");  // idle exactly the limit: stays
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(ValueOf(table, "older"), "|");  // one millisecond more: gone
}

// Regression: every new client id added an entry that only a lookup of some key could expire, and
// nothing bounded the count, so a stream of new browsers grew the table without limit.
TEST_F(SessionTableTest, AddingAKeyExpiresAndMakesRoomInAFullTable)
{
    SessionTable table(1000);
    table.Set("idle", "q", nullptr);
    clock.AdvanceMs(1001);
    table.Set("a", "1", nullptr);
    EXPECT_EQ(table.Count(), 1);  // "idle" went when "a" came
    EXPECT_EQ(ExtraAt(table, 0), "");

    table.SetMaxEntries(3);
    clock.AdvanceMs(10);
    table.Set("b", "2", "eb");
    clock.AdvanceMs(10);
    table.Set("c", "3", "ec");
    clock.AdvanceMs(10);
    table.Touch("a");
    // Full: the entry idle longest ("b", since "a" was touched) makes room.
    table.Set("d", "4", "ed");
    EXPECT_EQ(table.Count(), 3);
    EXPECT_EQ(ValueOf(table, "b"), "|");
    EXPECT_EQ(ValueOf(table, "a"), "1|");
    // Replacing an existing key takes no room.
    table.Set("c", "5", "ec");
    EXPECT_EQ(table.Count(), 3);
    EXPECT_EQ(ValueOf(table, "d"), "4|ed");

    // Thousands of new keys never take the table beyond its bound.
    table.SetMaxEntries(50);
    for (int32_t i = 0; i < 5000; ++i)
        table.Set(("client" + std::to_string(i)).c_str(), "q", nullptr);
    EXPECT_EQ(table.Count(), 50);
    EXPECT_EQ(ValueOf(table, "client4999"), "q|");
}

TEST_F(SessionTableTest, TouchRestartsTheIdleTime)
{
    SessionTable table(5000);
    table.Set("a", "1", nullptr);
    table.Set("b", "2", nullptr);
    clock.AdvanceMs(4000);
    table.Touch("a");
    clock.AdvanceMs(4000);
    EXPECT_EQ(ValueOf(table, "a"), "1|");
    EXPECT_EQ(ValueOf(table, "b"), "|");
    // Setting again time-stamps the entry too.
    clock.AdvanceMs(4000);
    table.Set("a", "3", nullptr);
    clock.AdvanceMs(4000);
    EXPECT_EQ(ValueOf(table, "a"), "3|");
}

TEST_F(SessionTableTest, ExpiringExaminesTheEntryThatMovesIntoAFreedPlace)
{
    SessionTable table(100);
    table.Set("old1", "", "x");
    clock.AdvanceMs(50);
    table.Set("young", "", "y");
    clock.AdvanceMs(-50);
    table.Set("old2", "", "z");
    // Removing old1 moves old2 into its place, which must be looked at again.
    clock.AdvanceMs(101);
    table.Expire();
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(ExtraAt(table, 0), "y");
}

TEST_F(SessionTableTest, RemovingMovesTheLastEntryIntoThePlace)
{
    SessionTable table;
    table.Set("k0", "v0", "e0");
    table.Set("k1", "v1", "e1");
    table.Set("k2", "v2", "e2");
    table.RemoveAt(0);
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(ExtraAt(table, 0), "e2");
    EXPECT_EQ(ExtraAt(table, 1), "e1");

    table.Remove("k1");
    table.Remove("k1");
    table.RemoveAt(5);
    table.RemoveAt(-1);
    EXPECT_EQ(table.Count(), 1);
    table.Remove("k2");
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(ExtraAt(table, 0), "");
}

TEST_F(SessionTableTest, ExtraAtOutsideTheEntriesIsEmpty)
{
    SessionTable table;
    table.Set("k", "v", "e");
    EXPECT_EQ(ExtraAt(table, -1), "");
    EXPECT_EQ(ExtraAt(table, 1), "");
    EXPECT_EQ(ExtraAt(table, 0), "e");
}

TEST_F(SessionTableTest, KeysCompareByteForByte)
{
    SessionTable table;
    table.Set("Client1base", "ok", "anna");
    table.Set("client1base", "p?t=1", nullptr);
    table.Set(nullptr, "none", nullptr);
    EXPECT_EQ(table.Count(), 3);
    EXPECT_EQ(ValueOf(table, "Client1base"), "ok|anna");
    EXPECT_EQ(ValueOf(table, "client1base"), "p?t=1|");
    EXPECT_EQ(ValueOf(table, ""), "none|");  // no key and the empty key are one
    table.Set("", "again", nullptr);
    EXPECT_EQ(table.Count(), 3);
}

TEST_F(SessionTableTest, TheCallbackHearsOfExtrasGainedAndRemoved)
{
    {
        SessionTable table(0, Record);
        table.Set("s1", "p?x=1", nullptr);           // no extra: nothing
        table.Set("s1", "ok", "anna");               // gains one
        table.Set("s1", "ok", "bo");                 // already had one: nothing
        table.Set("s1", "ok", "");                   // loses it without a word
        table.Set("s1", "ok", "cleo");               // gains one again
        table.Set("s2", "ok", "dan");                // new with one
        table.Set("s3", "p?y=2", nullptr);
        table.Remove("s3");                          // no extra: nothing
        table.Remove("s1");                          // removed with one
        table.Set("s4", "ok", "eva");
        EXPECT_EQ(table.Count(), 2);
    }  // the destructor removes s4 and s2, the last first

    const std::vector<Heard> expected = {
        {SessionChange::kGainedExtra, "s1", "ok", "anna"},
        {SessionChange::kGainedExtra, "s1", "ok", "cleo"},
        {SessionChange::kGainedExtra, "s2", "ok", "dan"},
        {SessionChange::kRemovedWithExtra, "s1", "ok", "cleo"},
        {SessionChange::kGainedExtra, "s4", "ok", "eva"},
        {SessionChange::kRemovedWithExtra, "s4", "ok", "eva"},
        {SessionChange::kRemovedWithExtra, "s2", "ok", "dan"},
    };
    EXPECT_EQ(heard, expected);
}

TEST_F(SessionTableTest, ManyEntriesSpanSeveralPages)
{
    SessionTable table;
    for (int i = 0; i < 2500; ++i)
        table.Set(("key" + std::to_string(i)).c_str(), std::to_string(i).c_str(), nullptr);
    EXPECT_EQ(table.Count(), 2500);
    EXPECT_EQ(ValueOf(table, "key2499"), "2499|");
    EXPECT_EQ(ValueOf(table, "key0"), "0|");
    table.Clear();
    EXPECT_EQ(table.Count(), 0);
}

}  // namespace
}  // namespace vek
