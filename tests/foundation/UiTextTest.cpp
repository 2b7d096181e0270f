// Tests of UiText: borrowed texts, owned copies and texts by number that follow the language.
#include "foundation/strings/UiText.h"

#include <gtest/gtest.h>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"

namespace vek {
namespace {

class UiTextTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        text.Free();
        SetUiLanguage(0);
    }
    UiText text;
};

TEST_F(UiTextTest, BorrowedTexts)
{
    EXPECT_EQ(text.Text(), nullptr);
    const char* empty = "";
    text.SetBorrowed(empty);
    EXPECT_EQ(text.Text(), nullptr);
    text.SetBorrowedAsIs(empty);
    EXPECT_EQ(text.Text(), empty);
    const char* title = "Title";
    text.SetBorrowed(title);
    EXPECT_EQ(text.Text(), title);
    text.Reload();  // not loaded by number: stays
    EXPECT_EQ(text.Text(), title);
}

TEST_F(UiTextTest, CopiesAreOwned)
{
    char source[] = "copy";
    text.SetCopy(source);
    source[0] = 'X';
    EXPECT_STREQ(text.Text(), "copy");
    text.SetCopyBytes("bytes!", 5);
    EXPECT_STREQ(text.Text(), "bytes");
    HeapText heap = NewHeapText("heap");
    text.SetCopyHeapText(heap);
    MemFree(heap);
    EXPECT_STREQ(text.Text(), "heap");
    text.SetCopy("");
    EXPECT_EQ(text.Text(), nullptr);
    text.SetCopy("again");
    text.Clear();
    EXPECT_EQ(text.Text(), nullptr);
    EXPECT_EQ(text.Number(), 0);
}

TEST_F(UiTextTest, TextsByNumberFollowTheLanguage)
{
    text.SetById(text::kCancel);
    EXPECT_EQ(text.Number(), text::kCancel);
    EXPECT_STREQ(text.Text(), LoadText(text::kCancel));
    SetUiLanguage(LanguageFromCode("sv"));
    text.Reload();
    EXPECT_STREQ(text.Text(), LoadText(text::kCancel));
    text.SetById(0);
    EXPECT_EQ(text.Text(), nullptr);
    text.SetCopy("copied");
    EXPECT_EQ(text.Number(), 0);
}

}  // namespace
}  // namespace vek
