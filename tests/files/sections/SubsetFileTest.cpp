// Subsets in base files and on the clipboard: the fixture base loads with its subsets, each subset
// and selection admits the lines figured by hand (tests/fixtures/subsets/README.md), the file saves
// back byte for byte, and subsets read from a file join an open base only when the read ends well.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/selections/SubsetList.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;
using test::TextBase;

std::string SubsetFixture(const std::string& name)
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/subsets/" + name;
}

struct Figures {
    int32_t cards = 0;
    int32_t lines = 0;
    double sum = 0;
};

Figures Admitted(Base& base, SubsetOperand& operand)
{
    BitSet lines(base.CardRecords().linePool.ElementCount());
    lines.SetAll(0);
    EXPECT_TRUE(operand.MarkOperandLines(lines));
    Figures figures;
    figures.cards = base.CountCardsWithMarkedLines(lines);
    for (int32_t i = 0; i < lines.Count(); ++i) {
        if (lines.GetBit(i)) {
            ++figures.lines;
            figures.sum += base.GetLineValue(base.LineAt(uint32_t(i)), 0);
        }
    }
    return figures;
}

class SubsetFileTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    std::string Save(Base& base, const std::string& name)
    {
        std::string path = folder.Path(name);
        EXPECT_TRUE(SaveBaseToPath(base, FilePath(path), nullptr));
        return ScratchFolder::ReadFileBytes(path);
    }

    ScratchFolder folder;
    test::MessageLog messages;
};

struct FigureRow {
    const char* subset;
    const char* selection;  // null: the subset itself
    Figures figures;
};

// Done-when: the fixture loads, every subset and selection admits what the README figures by hand,
// and the file saves back byte for byte.
TEST_F(SubsetFileTest, FixtureLoadsWithItsFiguresAndSavesBackByteForByte)
{
    std::string original = ScratchFolder::ReadFileBytes(SubsetFixture("subsets.vkx"));
    Base* base = OpenBaseFile(FilePath(SubsetFixture("subsets.vkx")), nullptr, 0);
    ASSERT_NE(base, nullptr);
    EXPECT_TRUE(messages.codes.empty());
    const FigureRow rows[] = {
        {"First quarter", nullptr, {3, 6, 0}},
        {"First quarter", "Jan", {1, 2, 0}},
        {"First quarter", "Feb", {1, 2, 0}},
        {"First quarter", "Mar", {1, 2, 0}},
        {"Sales", nullptr, {3, 3, 650}},
        {"Sales", "Sales lines", {4, 4, 630}},
        {"Sales", "Sale texts", {2, 2, 600}},
        {"Sales", "Large", {3, 3, 650}},
        {"Sales", "Noted", {1, 2, 0}},
        {"Stamped by XY", nullptr, {3, 6, 0}},
        {"Stamped by XY", "Created", {2, 4, 0}},
        {"Stamped by XY", "Changed", {1, 2, 0}},
        {"Stamped by XY", "Titled", {2, 4, 0}},
        {"Stamped by XY", "In Q1", {3, 6, 0}},
    };
    for (const FigureRow& row : rows) {
        SCOPED_TRACE(std::string(row.subset) + " / " + (row.selection ? row.selection : "(subset)"));
        Subset* subset = base->Subsets().FindByName(row.subset);
        ASSERT_NE(subset, nullptr);
        SubsetOperand* operand = subset;
        if (row.selection != nullptr) {
            operand = subset->FindSelection(row.selection);
            ASSERT_NE(operand, nullptr);
        }
        Figures figures = Admitted(*base, *operand);
        EXPECT_EQ(figures.cards, row.figures.cards);
        EXPECT_EQ(figures.lines, row.figures.lines);
        EXPECT_DOUBLE_EQ(figures.sum, row.figures.sum);
    }
    Subset* sales = base->Subsets().FindByName("Sales");
    EXPECT_TRUE(sales->AutoOpen());
    EXPECT_STREQ(base->Subsets().FindByName("First quarter")->Notes(), "Cards of the first quarter");
    EXPECT_EQ(Save(*base, "saved.vkx"), original);
}

// Regression: a selection's subset condition naming a subset written after it lost the name (the
// name was looked up while the file was still being read).
TEST_F(SubsetFileTest, SelectionsMayNameSubsetsReadAfterThem)
{
    std::string path = folder.Write("forward.vkx", TextBase({"##VEK-Text\t121122", "", "##Subset\tA user", "VN\tA",
                                                            "VS\tZ later", "F\tA", "##Subset\tZ later", "VN\tA",
                                                            "Vk\t\\", "F\tA", "##End"}));
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    EXPECT_TRUE(messages.codes.empty());
    SubsetSelection* selection = base->Subsets().FindByName("A user")->SelectionAt(0);
    EXPECT_STREQ(selection->Texts().SubsetText(), "Z later");
    EXPECT_TRUE(selection->GetSelection().Formula().RefersToSubset(base->Subsets().FindByName("Z later")));
}

// An imported file's subsets join the open base's: one of the same name is replaced and the
// selections that named it name the new one.
TEST_F(SubsetFileTest, ImportedSubsetsReplaceThoseOfTheSameName)
{
    Base* base = OpenBaseFile(FilePath(SubsetFixture("subsets.vkx")), nullptr, 0);
    ASSERT_NE(base, nullptr);
    std::string path = folder.Write("more.vkx", TextBase({"##VEK-Text\t121122", "", "##Subset\tFIRST QUARTER", "VN\tJ",
                                                         "Vk\t2401", "F\tJ", "##Subset\tNew one", "##End"}));
    ASSERT_TRUE(ImportBaseFile(*base, FilePath(path), nullptr, 0));
    SubsetList& subsets = base->Subsets();
    EXPECT_EQ(subsets.Count(), 4);
    Subset* replaced = subsets.FindByName("first quarter");
    ASSERT_NE(replaced, nullptr);
    EXPECT_STREQ(replaced->GetName(), "FIRST QUARTER");
    EXPECT_EQ(replaced->SelectionCount(), 1);
    SubsetSelection* inQ1 = subsets.FindByName("Stamped by XY")->FindSelection("In Q1");
    EXPECT_TRUE(inQ1->GetSelection().Formula().RefersToSubset(replaced));
    EXPECT_EQ(Admitted(*base, *inQ1).lines, 2);
}

// The clipboard form: "## Subset" blocks, and a "## Selection" block that adds to the subset before
// it; what is written reads back to the same text.
TEST_F(SubsetFileTest, ClipboardBlocksReadAndWriteBack)
{
    Base* base = OpenBaseFile(FilePath(SubsetFixture("subsets.vkx")), nullptr, 0);
    ASSERT_NE(base, nullptr);
    TextWriter writer;
    base->Subsets().WriteBlocks(writer);
    std::string blocks(writer.BufferedBytes());
    blocks += "## Selection\tExtra\rVk\t2404\r#other\r";

    SubsetList pasted(*base, SubsetListKind::Local);
    TextReader reader(blocks.data(), int64_t(blocks.size()));
    SubsetLineError error = SubsetLineError::None;
    pasted.ReadBlocks(reader, error);
    EXPECT_EQ(error, SubsetLineError::None);
    ASSERT_EQ(pasted.Count(), 3);
    // Stopped at the line that is no block, left current.
    ASSERT_NE(reader.LineStart(), nullptr);
    EXPECT_EQ(std::string(reader.LineStart(), size_t(reader.LineLength())), "#other");
    Subset* last = pasted.FindByName("Stamped by XY");
    ASSERT_NE(last->FindSelection("Extra"), nullptr);
    EXPECT_EQ(Admitted(*base, *last->FindSelection("Extra")).lines, 2);

    last->DeleteSelection(last->FindSelection("Extra"));
    TextWriter again;
    pasted.WriteBlocks(again);
    EXPECT_EQ(std::string(again.BufferedBytes()), std::string(writer.BufferedBytes()));
}

}  // namespace
}  // namespace vek
