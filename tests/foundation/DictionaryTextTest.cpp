// Tests of the text form of a Dictionary: one line per entry, reading back, and files.
#include "foundation/memory/Dictionary.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/streams/MemoryByteFile.h"
#include "support/InMemoryFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {
namespace {

std::string TextOf(const Dictionary& dictionary, const char* key)
{
    String value;
    value.AssignCStr("<absent>");
    dictionary.GetText(key, value);
    return value.CStr();
}

TEST(DictionaryTextTest, WritesOneLinePerEntryInInsertionOrder)
{
    Dictionary dictionary;
    ASSERT_TRUE(dictionary.SetText("Window", "10 20 300 400"));
    ASSERT_TRUE(dictionary.SetText("Empty", ""));
    ASSERT_TRUE(dictionary.SetText("Language", "sv"));
    TextWriter writer;
    dictionary.WriteTo(writer);
    EXPECT_EQ(writer.BufferedBytes(), "Window\t10 20 300 400\rEmpty\rLanguage\tsv\r");
    EXPECT_FALSE(dictionary.IsModified());
}

TEST(DictionaryTextTest, ReadsLinesBack)
{
    Dictionary written;
    ASSERT_TRUE(written.SetText("a", "1"));
    ASSERT_TRUE(written.SetText("blank end", "x  "));
    ASSERT_TRUE(written.SetText("none", nullptr));
    ASSERT_TRUE(written.SetText("\xC3\xA4", "\xC3\xB6"));
    TextWriter writer;
    written.WriteTo(writer);
    writer.WriteLine("\tskipped: no key");
    writer.WriteLine("a\t2\tthird field ignored");
    TextReader reader(writer);
    Dictionary read;
    ASSERT_TRUE(read.ReadFrom(reader));
    EXPECT_FALSE(read.IsModified());
    ASSERT_EQ(read.Count(), 4);
    EXPECT_EQ(TextOf(read, "a"), "2");  // a later line replaces the value
    EXPECT_EQ(TextOf(read, "blank end"), "x  ");
    EXPECT_TRUE(read.Contains("none"));
    EXPECT_EQ(TextOf(read, "none"), "");  // the key alone: no value
    EXPECT_EQ(TextOf(read, "\xC3\xA4"), "\xC3\xB6");
}

TEST(DictionaryTextTest, SavesAndLoadsFiles)
{
    std::string path = "/dictionary.txt";  // in memory (MemoryByteFile.h)
    Dictionary saved;
    for (int32_t i = 0; i < 500; ++i)
        ASSERT_TRUE(saved.SetInt(("key " + std::to_string(i)).c_str(), i * 3));
    ASSERT_TRUE(saved.SaveToFile(path.c_str()));
    EXPECT_EQ(MemoryFiles().Get(path).value_or("").rfind("\xEF\xBB\xBFkey 0\t0\r", 0), 0u);

    Dictionary loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path.c_str()));
    ASSERT_EQ(loaded.Count(), 500);
    for (int32_t i = 0; i < 500; ++i) {
        String key;
        String value;
        ASSERT_TRUE(loaded.GetEntry(i, key, value));
        EXPECT_EQ(std::string(key.CStr()), "key " + std::to_string(i));
        EXPECT_EQ(std::string(value.CStr()), std::to_string(i * 3));
    }
    MemoryFiles().Remove(path);
    EXPECT_FALSE(loaded.LoadFromFile(path.c_str()));
    EXPECT_EQ(GetPendingError().message.code, message::kCannotOpen);
    ClearError();
}

}  // namespace
}  // namespace vek
