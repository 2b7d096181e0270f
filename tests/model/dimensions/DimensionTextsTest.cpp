#include <gtest/gtest.h>

#include <string>

#include "foundation/strings/String.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/dimensions/DimensionTexts.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

TEST(DimensionTexts, SettingComparingAndCopying)
{
    DimensionTexts texts;
    EXPECT_FALSE(texts.IsSet());
    texts.SetText(3, "4010..4020", 10);
    texts.SetText(32, "ignored", 7);
    texts.SetText(-1, "ignored", 7);
    texts.SetText(5, "", 0);
    EXPECT_TRUE(texts.IsSet());
    EXPECT_STREQ(texts.Text(3), "4010..4020");
    EXPECT_EQ(texts.Text(5), nullptr);
    EXPECT_EQ(texts.Text(32), nullptr);

    DimensionTexts copy;
    copy.Assign(texts);
    EXPECT_TRUE(copy.Equals(texts));
    EXPECT_EQ(copy.StoredSize(), texts.StoredSize());
    String other;
    other.AssignCStr("4010");
    copy.SetFromString(3, other);
    EXPECT_FALSE(copy.Equals(texts));
    copy.Clear();
    EXPECT_FALSE(copy.IsSet());
    EXPECT_EQ(copy.StoredSize(), 0);
}

TEST(DimensionTexts, WrittenInTheDisplayOrderOfTheBase)
{
    Base base{FilePath(), 1};
    ASSERT_NE(base.AddComponent(1, "A", nullptr, nullptr), nullptr);
    ASSERT_NE(base.AddComponent(2, "B", nullptr, nullptr), nullptr);
    base.SetupDimensionOrder();
    DimensionTexts texts;
    texts.Init(&base);
    texts.SetText(2, "B..C", 4);
    texts.SetText(0, "G1", 2);
    texts.SetText(20, "Q", 1);  // not in use: not in the display order
    TextWriter writer;
    texts.Write(writer, "V");
    std::string expected = "V" + std::to_string(base.DimensionOrderIndex(0) + 1) + "\tG1\r" + "V" +
                           std::to_string(base.DimensionOrderIndex(2) + 1) + "\tB..C\r";
    EXPECT_EQ(std::string(writer.BufferedBytes()), expected);
}

}  // namespace
}  // namespace vek
