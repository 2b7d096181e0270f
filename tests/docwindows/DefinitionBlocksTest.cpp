// DefinitionBlocksTest: the paste title of the clipboard's definition blocks, cleaning pasted text,
// and the HTML rows of definition sections.
#include "docwindows/DefinitionBlocks.h"

#include <gtest/gtest.h>

#include "foundation/numbers/PackedTimestamp.h"
#include "foundation/services/Clipboard.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/selections/SubsetList.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

TEST(DefinitionBlocks, PasteTitleFollowsTheBlocksOfTheText)
{
    struct Case {
        const char* text;
        int32_t kind;
    };
    const Case cases[] = {
        {"", 0},
        {"plain text\rno header", 0},
        {"## Selection\tA\rVd\t1\r", kPasteSelection},
        {"## Selection\tA\r## Selection\tB\r", kPasteSelections},
        {"## Selection\tA\r## Selection\tB\r## Selection\tC\r", kPasteSelections},
        {"## Selection\tA\n## Formula\tF\n", kPasteSelectionsAndFormulas},
        {"## Formula\tF\r## Selection\tA\r", kPasteSelectionsAndFormulas},
        {"## Formula\tF\r## Formula\tG\r", kPasteFormulas},
        {"## Subset\tG1\r## Subset\tG2\r", kPasteSubsets},
        {"## Selection\tA\r## Subset\tG1\r", kPasteSelection},  // another kind leaves the state
        {"## WebUsers\r", kPasteWebUser},                        // matched at the line's start
        {"## WebUser\tx\r## WebUser\ty\r", kPasteWebUsers},
        {"## Authorizations\r## Authorizations\r", kPasteAuthorizations},
        {"x\t## Subset\r", 0},  // only the first field counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GetDefinitionKindOfText(c.text), c.kind);
    }
}

TEST(DefinitionBlocks, ClipboardWithoutTextHoldsNoDefinition)
{
    Service<ClipboardService>::Get().PutText("");
    EXPECT_EQ(GetClipboardSectionKind(), 0);
    Service<ClipboardService>::Get().PutText("## Subset\tG1\r");
    EXPECT_EQ(GetClipboardSectionKind(), kPasteSubset);
    Service<ClipboardService>::Get().PutText("");
}

TEST(DefinitionBlocks, AcceptedKindLists)
{
    const int16_t accepted[] = {kPasteSelection, kPasteSubset, 0};
    const int16_t empty[] = {0};
    EXPECT_TRUE(ListContainsKind(kPasteSubset, accepted));
    EXPECT_FALSE(ListContainsKind(kPasteFormula, accepted));
    EXPECT_FALSE(ListContainsKind(0, accepted));
    EXPECT_FALSE(ListContainsKind(kPasteSubset, empty));
    EXPECT_FALSE(ListContainsKind(kPasteSubset, nullptr));
}

TEST(DefinitionBlocks, CleanPastedText)
{
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"a\tb  \r  ", "a b\r"},
        {std::string("x\x01y\x00z", 5), "xyz"},
        {"line \r\rnext\n", "line\r\rnext"},
        {"   ", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        CleanPastedText(text);
        EXPECT_EQ(text, c.out);
    }
}

TEST(DefinitionBlocks, HtmlRowsEscapeTheirTexts)
{
    TextWriter writer;
    writer.SetLineEnd("\n");
    WriteHtmlTwoCellRow(writer, "a<b", "R&D", 80);
    StampedText empty;
    WriteHtmlLabelRow(writer, empty, 3506);
    EXPECT_EQ(std::string(writer.BufferedBytes()),
              "<tr>\n<td width=\"80\"> a&lt;b </td>\n<td> R&amp;D </td>\n</tr>\n");
}

TEST(DefinitionBlocks, SubsetsTravelThroughTheClipboard)
{
    Base from(FilePath(), 1);
    Subset* made = from.Subsets().CreateSubset("Large");
    ASSERT_NE(made, nullptr);
    (void)from.Subsets().CreateSubset(nullptr);
    WriteSubsetsToClipboard(from.Subsets());
    std::string text = Service<ClipboardService>::Get().GetText();
    EXPECT_EQ(GetDefinitionKindOfText(text), kPasteSubsets) << text;

    Base into(FilePath(), 2);
    EXPECT_TRUE(ReadSubsetsFromClipboard(into.Subsets()));
    ASSERT_EQ(into.Subsets().Count(), 2);
    EXPECT_EQ(into.Subsets().GetAt(0)->OperandName(), "G1");
    EXPECT_EQ(into.Subsets().GetAt(1)->OperandName(), "Large");
    Service<ClipboardService>::Get().PutText("");
}

}  // namespace
}  // namespace vek
