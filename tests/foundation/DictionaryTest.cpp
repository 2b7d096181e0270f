// Tests of Dictionary: exact keys, insertion order, numbers, empty values and rehashing.
#include "foundation/memory/Dictionary.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/strings/HeapText.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

std::string TextOf(const Dictionary& dictionary, const char* key)
{
    String value;
    value.AssignCStr("<absent>");
    dictionary.GetText(key, value);
    return value.CStr();
}

TEST(DictionaryTest, KeepsInsertionOrderAndReplacesInPlace)
{
    Dictionary dictionary;
    EXPECT_FALSE(dictionary.IsModified());
    ASSERT_TRUE(dictionary.SetText("Window", "10 20 300 400"));
    ASSERT_TRUE(dictionary.SetText("Language", "sv"));
    ASSERT_TRUE(dictionary.SetText("Recent", "base.vek"));
    EXPECT_TRUE(dictionary.IsModified());
    ASSERT_TRUE(dictionary.SetText("Language", "en"));  // replaced where it stands
    EXPECT_EQ(dictionary.Count(), 3);
    const char* expected[][2] = {{"Window", "10 20 300 400"}, {"Language", "en"}, {"Recent", "base.vek"}};
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        String key;
        String value;
        ASSERT_TRUE(dictionary.GetEntry(i, key, value));
        EXPECT_STREQ(key.CStr(), expected[i][0]);
        EXPECT_STREQ(value.CStr(), expected[i][1]);
    }
    String key;
    String value;
    key.AssignCStr("k");
    EXPECT_FALSE(dictionary.GetEntry(3, key, value));
    EXPECT_FALSE(dictionary.GetEntry(-1, key, value));
    EXPECT_STREQ(key.CStr(), "k");
}

TEST(DictionaryTest, KeysAreExact)
{
    Dictionary dictionary;
    ASSERT_TRUE(dictionary.SetText("Konto", "1"));
    ASSERT_TRUE(dictionary.SetText("konto", "2"));
    EXPECT_EQ(dictionary.Count(), 2);
    EXPECT_EQ(TextOf(dictionary, "Konto"), "1");
    EXPECT_EQ(TextOf(dictionary, "konto"), "2");
    EXPECT_FALSE(dictionary.Contains("KONTO"));
}

TEST(DictionaryTest, EmptyKeysAndValues)
{
    Dictionary dictionary;
    ASSERT_TRUE(dictionary.SetText("", "x"));
    ASSERT_TRUE(dictionary.SetText(nullptr, "x"));
    EXPECT_EQ(dictionary.Count(), 0);
    EXPECT_FALSE(dictionary.IsModified());

    ASSERT_TRUE(dictionary.SetText("Flag", ""));
    ASSERT_TRUE(dictionary.SetTextOrEmpty("Other", nullptr));
    EXPECT_TRUE(dictionary.Contains("Flag"));
    EXPECT_TRUE(dictionary.Contains("Other"));
    EXPECT_EQ(TextOf(dictionary, "Flag"), "");
    ASSERT_TRUE(dictionary.SetText("Flag", "on"));
    ASSERT_TRUE(dictionary.SetText("Flag", nullptr));  // back to no value, still present
    EXPECT_EQ(TextOf(dictionary, "Flag"), "");
    EXPECT_EQ(TextOf(dictionary, "Missing"), "<absent>");
    EXPECT_FALSE(dictionary.Contains(""));
    EXPECT_FALSE(dictionary.Contains(nullptr));
}

TEST(DictionaryTest, HeapTextFields)
{
    Dictionary dictionary;
    ASSERT_TRUE(dictionary.SetText("Name", "Anna"));
    HeapText field = NewHeapText("old");
    dictionary.GetHeapText("Name", field);
    EXPECT_STREQ(field, "Anna");
    dictionary.GetHeapText("Missing", field);  // absent: the field is emptied
    EXPECT_EQ(field, nullptr);
}

TEST(DictionaryTest, Numbers)
{
    Dictionary dictionary;
    ASSERT_TRUE(dictionary.SetInt("Count", -12));
    ASSERT_TRUE(dictionary.SetDouble("Rate", 1234.5));
    EXPECT_EQ(TextOf(dictionary, "Count"), "-12");
    int32_t count = 0;
    dictionary.GetInt("Count", count);
    EXPECT_EQ(count, -12);
    double rate = 0;
    dictionary.GetDouble("Rate", rate);
    EXPECT_EQ(rate, 1234.5);

    struct Case {
        const char* text;
        int32_t asInt;  // 99: left as it was
    };
    const Case cases[] = {{"12.5", 13}, {"-3", -3}, {"7 days", 7}, {"abc", 99}, {" 5", 99}, {"+5", 99}, {"", 99}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(dictionary.SetText("Value", c.text));
        int32_t value = 99;
        dictionary.GetInt("Value", value);
        EXPECT_EQ(value, c.asInt);
        double number = 99;
        dictionary.GetDouble("Value", number);
        if (c.asInt == 99) {
            EXPECT_EQ(number, 99);
        } else {
            EXPECT_NE(number, 99);
        }
    }
    int32_t untouched = 5;
    dictionary.GetInt("Missing", untouched);
    EXPECT_EQ(untouched, 5);
}

TEST(DictionaryTest, ManyKeysSurviveRehashing)
{
    Dictionary dictionary(4);
    for (int i = 0; i < 5000; ++i) {
        std::string key = "key" + std::to_string(i);
        ASSERT_TRUE(dictionary.SetInt(key.c_str(), i));
    }
    EXPECT_EQ(dictionary.Count(), 5000);
    for (int i = 0; i < 5000; i += 7) {
        std::string key = "key" + std::to_string(i);
        int32_t value = -1;
        dictionary.GetInt(key.c_str(), value);
        ASSERT_EQ(value, i) << key;
        String entryKey;
        String entryValue;
        ASSERT_TRUE(dictionary.GetEntry(i, entryKey, entryValue));
        ASSERT_STREQ(entryKey.CStr(), key.c_str());
    }
    ASSERT_TRUE(dictionary.Rehash());
    EXPECT_TRUE(dictionary.Contains("key4999"));

    dictionary.Clear();
    EXPECT_EQ(dictionary.Count(), 0);
    EXPECT_FALSE(dictionary.Contains("key1"));
    ASSERT_TRUE(dictionary.SetText("key1", "again"));
    EXPECT_EQ(TextOf(dictionary, "key1"), "again");
    EXPECT_EQ(dictionary.Count(), 1);
}

}  // namespace
}  // namespace vek
