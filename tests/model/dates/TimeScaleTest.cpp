// Tests of TimeScale: periods, lookups by key, copies, sections and reading damaged lines.
#include "model/dates/TimeScale.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "model/SectionTestSupport.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/dates/DateExpression.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::DispatchSections;
using test::Written;

constexpr CardKey kOpenEnd{kOpenEndNumber, kOpenEndNumber};

CardKey Key(int32_t year, int32_t month, int32_t day, int32_t number = 1)
{
    return CardKey{MakePackedDate(year, month, day), number};
}

std::string KeyText(const CardKey& key)
{
    if (CardKeyEquals(key, kOpenEnd))
        return "open";
    char buffer[kCardKeyTextCapacity];
    FormatCardKeyPlain(buffer, key);
    return buffer[0] != 0 ? buffer : "empty";
}

std::string Label(ConstHeapText label)
{
    return label != nullptr ? label : "(null)";
}

// Quarters of 2024: Q1 from 240101-1, Q2 240401-1, Q3 240701-1, Q4 241001-1.
class QuartersTest : public ::testing::Test {
protected:
    QuartersTest() : quarters(list.Create("Quarters"))
    {
        const char* labels[] = {"Q1", "Q2", "Q3", "Q4"};
        for (int32_t q = 0; q < 4; ++q)
            EXPECT_TRUE(quarters->AddPeriod(Key(2024, 1 + 3 * q, 1), labels[q]));
    }

    TimeScaleList list{nullptr};
    TimeScale* quarters;
};

TEST_F(QuartersTest, KeysFallIntoTheirPeriods)
{
    struct Case {
        CardKey key;
        int32_t index;
        const char* label;
    };
    const Case cases[] = {
        {Key(2024, 3, 15), 0, "Q1"},
        {Key(2023, 12, 31, kOpenEndNumber), -1, "(null)"},  // before the first period
        {Key(2024, 1, 1, 1), 0, "Q1"},                      // exactly at a start
        {Key(2024, 3, 31, kOpenEndNumber), 0, "Q1"},
        {Key(2024, 4, 1, 1), 1, "Q2"},
        {Key(2030, 1, 1), 3, "Q4"},                         // the last period is open
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(KeyText(c.key));
        EXPECT_EQ(quarters->PeriodIndex(c.key), c.index);
        EXPECT_EQ(Label(quarters->GetLabel(c.key)), c.label);
    }
}

TEST_F(QuartersTest, PeriodBoundsMoveByOffset)
{
    struct Case {
        CardKey key;
        int32_t offset;
        const char* start;
        const char* end;
    };
    const Case cases[] = {
        {Key(2024, 5, 5), 0, "240401-1", "240630-2147483647"},
        {Key(2024, 5, 5), -1, "240101-1", "240331-2147483647"},
        {Key(2024, 11, 1), 1, "241001-1", "open"},    // from the last period: the last, open
        {Key(2024, 11, 1), INT_MAX, "241001-1", "open"},
        {Key(2024, 5, 5), -2, "empty", "231231-2147483647"},  // below the first
        {Key(2024, 5, 5), INT_MIN, "empty", "231231-2147483647"},
        {Key(2023, 5, 5), 0, "empty", "231231-2147483647"},
        {Key(2023, 5, 5), 1, "240101-1", "240331-2147483647"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(KeyText(c.key) + " " + std::to_string(c.offset));
        CardKey start;
        CardKey end;
        quarters->PeriodBounds(c.key, c.offset, start, end);
        EXPECT_EQ(KeyText(start), c.start);
        EXPECT_EQ(KeyText(end), c.end);
    }
}

TEST_F(QuartersTest, NextPeriodStart)
{
    CardKey next;
    quarters->NextPeriodStart(Key(2023, 6, 1), next);
    EXPECT_EQ(KeyText(next), "240101-1");
    quarters->NextPeriodStart(Key(2024, 2, 1), next);
    EXPECT_EQ(KeyText(next), "240401-1");
    quarters->NextPeriodStart(Key(2024, 12, 1), next);
    EXPECT_EQ(KeyText(next), "open");
}

TEST(TimeScaleTest, WithoutPeriodsEveryLookupIsEmpty)
{
    TimeScaleList list(nullptr);
    TimeScale* empty = list.Create("None");
    EXPECT_EQ(empty->PeriodIndex(Key(2024, 1, 1)), -1);
    EXPECT_EQ(empty->GetLabel(Key(2024, 1, 1)), nullptr);
    for (int32_t offset : {-1, 0, 1, 5}) {
        SCOPED_TRACE(offset);
        CardKey start{1, 1};
        CardKey end;
        empty->PeriodBounds(Key(2024, 1, 1), offset, start, end);
        EXPECT_EQ(KeyText(start), "empty");
        EXPECT_EQ(KeyText(end), "open");
    }
    CardKey next;
    empty->NextPeriodStart(Key(2024, 1, 1), next);
    EXPECT_EQ(KeyText(next), "open");
    CardKey key;
    empty->ResolvePeriod(0, -1, key);
    EXPECT_EQ(KeyText(key), "empty");
    empty->ResolvePeriod(0, 1, key);
    EXPECT_EQ(KeyText(key), "open");
}

TEST(TimeScaleTest, AddPeriodKeepsStartsOrderedAndUnique)
{
    TimeScaleList list(nullptr);
    TimeScale* scale = list.Create("Seasons");
    EXPECT_TRUE(scale->AddPeriod(Key(2024, 6, 1), "Summer"));
    EXPECT_TRUE(scale->AddPeriod(Key(2024, 3, 1), "Spring"));
    EXPECT_TRUE(scale->AddPeriod(Key(2024, 9, 1), "Autumn"));
    EXPECT_TRUE(scale->AddPeriod(Key(2024, 3, 1, 2), "Spring 2"));
    EXPECT_FALSE(scale->AddPeriod(Key(2024, 6, 1), "Again"));  // a start that exists
    EXPECT_FALSE(scale->AddPeriod(CardKey{}, "None"));
    ASSERT_EQ(scale->PeriodCount(), 4);
    const char* order[] = {"Spring", "Spring 2", "Summer", "Autumn"};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(Label(scale->PeriodLabel(i)), order[i]);

    // Control characters go; the label is cut to 63 bytes, never inside a character.
    std::string longLabel = std::string(62, 'a') + "\xC3\xA9" + "tail";
    EXPECT_TRUE(scale->AddPeriod(Key(2025, 1, 1), longLabel.c_str()));
    EXPECT_EQ(Label(scale->PeriodLabel(4)), std::string(62, 'a'));
    EXPECT_TRUE(scale->AddPeriod(Key(2025, 2, 1), "a\tb\rc\nd"));
    EXPECT_EQ(Label(scale->PeriodLabel(5)), "abcd");
    EXPECT_TRUE(scale->AddPeriod(Key(2025, 3, 1), ""));
    EXPECT_EQ(scale->PeriodLabel(6), nullptr);
    EXPECT_EQ(scale->PeriodLabel(7), nullptr);
    EXPECT_EQ(KeyText(scale->PeriodStart(-1)), "empty");

    int64_t expected = kTimeScaleRecordSize + 8 + 7 * kTimeScalePeriodRecordSize + 7 + 9 + 7 + 7 + 63 + 5;
    EXPECT_EQ(scale->GetMemoryUse(), expected);
}

TEST_F(QuartersTest, CopyAndCompare)
{
    TimeScale* copy = list.Create("Copy");
    EXPECT_TRUE(copy->AddPeriod(Key(2020, 1, 1), "old"));
    EXPECT_FALSE(copy->EqualPeriods(*quarters));
    ASSERT_TRUE(copy->CopyPeriods(*quarters));
    EXPECT_TRUE(copy->EqualPeriods(*quarters));
    EXPECT_TRUE(quarters->EqualPeriods(*copy));
    ASSERT_TRUE(copy->CopyPeriods(*copy));
    EXPECT_TRUE(copy->EqualPeriods(*quarters));

    TimeScale* other = list.Create("Other");
    ASSERT_TRUE(other->CopyPeriods(*quarters));
    other->ClearPeriods();
    EXPECT_TRUE(other->AddPeriod(Key(2024, 1, 1), "Q1"));
    EXPECT_TRUE(other->AddPeriod(Key(2024, 4, 1), "q2"));  // labels compare exactly
    EXPECT_TRUE(other->AddPeriod(Key(2024, 7, 1), "Q3"));
    EXPECT_TRUE(other->AddPeriod(Key(2024, 10, 1), "Q4"));
    EXPECT_FALSE(other->EqualPeriods(*quarters));
}

TEST_F(QuartersTest, SectionRoundTrip)
{
    TimeScale* seasons = list.Create("Seasons 2024");
    EXPECT_TRUE(seasons->AddPeriod(Key(2024, 3, 1, 17), "Spring"));
    EXPECT_TRUE(seasons->AddPeriod(Key(2026, 1, 1), ""));  // no label
    EXPECT_TRUE(seasons->AddPeriod(Key(2105, 7, 4), "Far"));  // a year that needs eight digits

    TextWriter writer;
    list.WriteSections(writer);
    std::string text = Written(writer);
    EXPECT_EQ(text,
              "##TimeScale\tQuarters\r240101-1\tQ1\r240401-1\tQ2\r240701-1\tQ3\r241001-1\tQ4\r\r"
              "##TimeScale\tSeasons 2024\r240301-17\tSpring\r260101-1\r21050704-1\tFar\r\r\r");

    TimeScaleList copy(nullptr);
    TextReader reader(text.data(), int64_t(text.size()));
    DispatchSections(reader, "##TimeScale", [&copy](TextReader& r) { copy.ReadSection(r); });
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_TRUE(copy.At(0)->EqualPeriods(*quarters));
    EXPECT_TRUE(copy.At(1)->EqualPeriods(*seasons));
    EXPECT_STREQ(copy.At(1)->GetName(), "Seasons 2024");
    TextWriter again;
    copy.WriteSections(again);
    EXPECT_EQ(Written(again), text);
}

TEST(TimeScaleTest, ReadingSkipsBadLinesSortsAndStopsAtTheNextSection)
{
    const std::string text =
        "##TimeScale\tSeasons\r"
        "not a key\tX\r"
        "\tno key\r"
        "240901\tAutumn\r"
        "240301-1\tSpring\r"
        "240601-0\tSummer\r"      // number 0 reads as 1
        "240301\tSpring again\r"  // a start that exists keeps the first period
        "240101-1\t" + std::string(100, 'L') + "\r"
        "##Macro\tx\r";
    TimeScaleList list(nullptr);
    TimeScale* existing = list.Create("seasons");
    EXPECT_TRUE(existing->AddPeriod(Key(1999, 1, 1), "gone"));
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextField());
    EXPECT_EQ(list.ReadSection(reader), existing);
    EXPECT_EQ(list.Count(), 1);
    ASSERT_EQ(existing->PeriodCount(), 4);
    EXPECT_EQ(Label(existing->PeriodLabel(0)), std::string(63, 'L'));
    EXPECT_EQ(Label(existing->PeriodLabel(1)), "Spring");
    EXPECT_EQ(Label(existing->PeriodLabel(2)), "Summer");
    EXPECT_EQ(KeyText(existing->PeriodStart(2)), "240601-1");
    EXPECT_EQ(Label(existing->PeriodLabel(3)), "Autumn");
    ASSERT_TRUE(reader.NextField());
    EXPECT_EQ(std::string(reader.Token(), size_t(reader.TokenLength())), "##Macro");
}

TEST(TimeScaleTest, EmptySectionNameTakesTheDefaultName)
{
    const std::string text = "##TimeScale\r240101\tA\r";
    TimeScaleList list(nullptr);
    TextReader reader(text.data(), int64_t(text.size()));
    DispatchSections(reader, "##TimeScale", [&list](TextReader& r) { list.ReadSection(r); });
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(std::string(list.First()->GetName()), std::string(LoadText(text::kTimeScaleName)) + " 1");
    EXPECT_EQ(list.First()->PeriodCount(), 1);
}

TEST(TimeScaleTest, ReadingStopsWhenCancelled)
{
    const std::string text = "##TimeScale\tx\r240101\tA\r";
    TimeScaleList list(nullptr);
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextField());
    SetCancelledError();
    TimeScale* scale = list.ReadSection(reader);
    ClearError();
    EXPECT_EQ(scale->PeriodCount(), 0);
}

TEST(TimeScaleTest, ListOperations)
{
    TimeScaleList list(nullptr);
    TimeScale* a = list.Create("A");
    TimeScale* b = list.Create(" B\r");
    TimeScale* c = list.Create("C");
    EXPECT_STREQ(b->GetName(), "B");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf(c), 2);
    EXPECT_EQ(list.At(1), b);
    EXPECT_EQ(list.At(3), nullptr);
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_EQ(list.Find("b  "), b);
    EXPECT_EQ(list.Last(), c);

    list.Remove(b);  // unlinked, still alive
    EXPECT_EQ(list.IndexOf(b), -1);
    EXPECT_EQ(list.Count(), 2);
    list.Append(b);
    EXPECT_EQ(list.IndexOf(b), 2);
    list.Append(b);  // already in the list
    EXPECT_EQ(list.Count(), 3);

    b->Rename("Bee");
    EXPECT_EQ(list.Find("bee"), b);

    list.DeleteAfter(a);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Last(), a);
    list.DeleteAfter(nullptr);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GetMemoryUse(), 0);
}

// What date expressions see of the time scales.
TimeScaleList* lookupList = nullptr;

TimeScaleList* ListForAnyBase(const Base*)
{
    return lookupList;
}

class TimeScaleLookupTest : public QuartersTest {
protected:
    TimeScaleLookupTest() { lookupList = &list; }
    ~TimeScaleLookupTest() override { lookupList = nullptr; }

    TimeScaleListLookup lookup{ListForAnyBase};
    ScopedService<TimeScaleLookup> registeredLookup{&lookup};
};

TEST_F(TimeScaleLookupTest, FindsLabelsAndNames)
{
    String found;
    EXPECT_TRUE(lookup.FindPeriodLabel(nullptr, "  q2 ", found));
    EXPECT_STREQ(found.CStr(), "Q2");
    EXPECT_FALSE(lookup.FindPeriodLabel(nullptr, "Q5", found));
    EXPECT_FALSE(lookup.FindPeriodLabel(nullptr, "", found));
    EXPECT_TRUE(lookup.FindTimeScaleName(nullptr, "quarters", found));
    EXPECT_STREQ(found.CStr(), "Quarters");
    EXPECT_FALSE(lookup.FindTimeScaleName(nullptr, "Months", found));

    TimeScaleListLookup none(nullptr);
    EXPECT_FALSE(none.FindPeriodLabel(nullptr, "Q1", found));
}

TEST_F(TimeScaleLookupTest, PeriodKeysFollowTheSideAndOffset)
{
    struct Case {
        const char* label;
        int32_t offset;
        int32_t side;
        const char* key;
    };
    const Case cases[] = {
        {"Q2", 0, -1, "240401-1"},
        {"Q2", 0, 1, "240630-2147483647"},  // no cards: the key before the next start
        {"Q2", 1, -1, "240701-1"},
        {"Q2", -1, -1, "240101-1"},
        {"Q1", -1, -1, "empty"},
        {"Q1", -1, 1, "231231-2147483647"},
        {"Q4", 0, 1, "241231-2147483647"},  // the last period without cards ends with its year
        {"Q3", 9, -1, "241001-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.label) + " " + std::to_string(c.offset) + " " + std::to_string(c.side));
        CardKey key;
        ASSERT_TRUE(lookup.PeriodKey(nullptr, c.label, c.offset, c.side, key));
        EXPECT_EQ(KeyText(key), c.key);
    }
    CardKey key;
    EXPECT_FALSE(lookup.PeriodKey(nullptr, "Q9", 0, -1, key));
    ASSERT_TRUE(lookup.TimeScaleKey(nullptr, "Quarters", Key(2024, 8, 8), -1, -1, key));
    EXPECT_EQ(KeyText(key), "240401-1");
    EXPECT_FALSE(lookup.TimeScaleKey(nullptr, "Months", Key(2024, 8, 8), 0, -1, key));
}

TEST_F(TimeScaleLookupTest, DateExpressionsNamePeriods)
{
    DateExpression from(nullptr, -1);
    ASSERT_TRUE(from.ParseCString("q3+1"));
    EXPECT_EQ(from.Unit(), DateUnit::Period);
    EXPECT_STREQ(from.Text(), "Q3");
    EXPECT_EQ(from.Offset(), 1);
    EXPECT_EQ(KeyText(from.Value()), "241001-1");

    DateExpression to(nullptr, 1);
    ASSERT_TRUE(to.ParseCString("Q1"));
    EXPECT_EQ(KeyText(to.Value()), "240331-2147483647");

    // A label that is gone turns the expression into "File".
    list.Delete(quarters);
    to.Resolve();
    EXPECT_EQ(to.Unit(), DateUnit::File);
}

}  // namespace
}  // namespace vek

namespace vek {
namespace {

class Recorder : public ChangeReceiver {
public:
    void OnBaseChange(const ChangeRecord& record) override
    {
        if (record.code >= 50 && record.code <= 53) {
            codes.push_back(record.code);
            EXPECT_NE(record.GetTimeScale(), nullptr);
        }
    }
    std::vector<int32_t> codes;
};

class TimeScaleBaseTest : public ::testing::Test {
protected:
    TimeScaleBaseTest() { base.AddReceiver(ChangeStage::Dependents, &recorder); }
    ~TimeScaleBaseTest() override { base.RemoveReceiver(ChangeStage::Dependents, &recorder); }

    void AddCard(const CardKey& wanted)
    {
        CardKey key = wanted;
        ASSERT_NE(base.CreateCard(key), nullptr);
        ASSERT_TRUE(CardKeyEquals(key, wanted));
    }

    MessageCatcher catcher;
    Base base{FilePath(), 1};
    Recorder recorder;
};

TEST_F(TimeScaleBaseTest, ChangesReachTheBase)
{
    TimeScaleList list(&base);
    auto* scale = list.Create("Quarters");
    scale->Rename("Quarters");  // unchanged: nothing posted
    scale->Rename("Q");
    const std::string text = "##TimeScale\tQ\r240101\tQ1\r";
    TextReader reader(text.data(), int64_t(text.size()));
    DispatchSections(reader, "##TimeScale", [&list](TextReader& r) { list.ReadSection(r); });
    list.Delete(scale);
    EXPECT_EQ(recorder.codes, (std::vector<int32_t>{52, 50, 51, 53}));
    EXPECT_TRUE(base.IsModified());
}

TEST_F(TimeScaleBaseTest, PeriodEndsFollowTheCards)
{
    TimeScaleList list(&base);
    auto* quarters = list.Create("Quarters");
    for (int32_t q = 0; q < 4; ++q)
        ASSERT_TRUE(quarters->AddPeriod(Key(2024, 1 + 3 * q, 1), ""));
    AddCard(Key(2024, 2, 15, 3));
    AddCard(Key(2024, 5, 20, 1));
    AddCard(Key(2024, 5, 20, 2));

    struct Case {
        int32_t index;
        const char* end;
    };
    const Case cases[] = {
        {0, "240215-3"},
        {1, "240520-2"},
        {2, "240520-2"},           // no card in the period: the last card before its end
        {3, "241231-2147483647"},  // the last card is not after the last start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CardKey key;
        quarters->ResolvePeriod(c.index, 1, key);
        EXPECT_EQ(KeyText(key), c.end);
    }
    AddCard(Key(2025, 1, 5, 1));
    CardKey key;
    quarters->ResolvePeriod(3, 1, key);
    EXPECT_EQ(KeyText(key), "250105-1");
    quarters->ResolvePeriod(3, -1, key);
    EXPECT_EQ(KeyText(key), "241001-1");
}

// The start-up registers the lookup over the bases' own time scales, so that a date expression of a
// base names the periods of that base and of no other. When the time scale goes, the base's
// reference date that named one of its periods falls back to "File".
TEST(BaseTimeScales, DateExpressionsResolveThroughTheirBase)
{
    ASSERT_NE(Service<TimeScaleLookup>::Registered(), nullptr);
    MessageCatcher catcher;
    Base base{FilePath(), 1};
    Base other{FilePath(), 2};
    auto* quarters = base.TimeScales().Create("Quarters");
    const char* labels[] = {"Q1", "Q2", "Q3", "Q4"};
    for (int32_t q = 0; q < 4; ++q)
        ASSERT_TRUE(quarters->AddPeriod(Key(2024, 1 + 3 * q, 1), labels[q]));
    EXPECT_EQ(base.TimeScales().Find(" quarters "), quarters);
    EXPECT_EQ(other.TimeScales().Find("Quarters"), nullptr);

    DateExpression from(&base, -1);
    ASSERT_TRUE(from.ParseCString("q3+1"));
    EXPECT_EQ(from.Unit(), DateUnit::Period);
    EXPECT_STREQ(from.Text(), "Q3");
    EXPECT_EQ(KeyText(from.Value()), "241001-1");

    DateExpression whole(&base, -1);
    ASSERT_TRUE(whole.ParseCString("quarters"));
    EXPECT_EQ(whole.Unit(), DateUnit::TimeScale);
    EXPECT_STREQ(whole.Text(), "Quarters");

    DateExpression elsewhere(&other, -1);
    (void)elsewhere.ParseCString("q3+1");
    EXPECT_NE(elsewhere.Unit(), DateUnit::Period);

    DateExpression reference(&base, 1);
    ASSERT_TRUE(reference.ParseCString("Q2"));
    base.SetReferenceDate(reference);
    EXPECT_EQ(base.ReferenceDate().Unit(), DateUnit::Period);
    EXPECT_EQ(KeyText(base.ReferenceDate().Value()), "240630-2147483647");
    base.TimeScales().Delete(quarters);
    EXPECT_EQ(base.ReferenceDate().Unit(), DateUnit::File);
}

}  // namespace
}  // namespace vek
