// Tests of TextHistory: the last twelve texts, and going back and forward.
#include "foundation/strings/TextHistory.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/strings/String.h"

namespace vek {
namespace {

TEST(TextHistoryTest, PushKeepsTheLastTwelveDistinctTexts)
{
    TextHistory history;
    EXPECT_FALSE(history.HasEntries());
    history.Push("a");
    history.Push("a");
    history.Push("");
    history.Push(nullptr);
    EXPECT_EQ(history.Count(), 1);
    for (int32_t i = 1; i <= 13; ++i)
        history.Push(std::to_string(i).c_str());
    EXPECT_EQ(history.Count(), TextHistory::kCapacity);
    EXPECT_EQ(history.Current(), 11);
    EXPECT_STREQ(history.Entry(0), "2");
    EXPECT_STREQ(history.Entry(11), "13");
}

TEST(TextHistoryTest, BackAndForward)
{
    TextHistory history;
    history.Push("one");
    history.Push("two");
    String shown;
    shown.AssignCStr("three");  // typed, not yet recorded
    history.Back(shown);
    EXPECT_STREQ(shown.CStr(), "two");
    history.UpdateFlags(shown.CStr());
    EXPECT_TRUE(history.CanGoBack());
    EXPECT_TRUE(history.CanGoForward());
    history.Back(shown);
    EXPECT_STREQ(shown.CStr(), "one");
    history.UpdateFlags(shown.CStr());
    EXPECT_FALSE(history.CanGoBack());
    history.Forward(shown);
    history.Forward(shown);
    EXPECT_STREQ(shown.CStr(), "three");
    history.Forward(shown);
    EXPECT_STREQ(shown.CStr(), "three");
    history.Back(shown);
    history.Back(shown);
    // A new text after going back drops the entries ahead.
    history.Push("new");
    EXPECT_EQ(history.Count(), 2);
    EXPECT_STREQ(history.Entry(1), "new");
    history.Clear();
    EXPECT_FALSE(history.HasEntries());
    EXPECT_EQ(history.Current(), -1);
}

}  // namespace
}  // namespace vek
