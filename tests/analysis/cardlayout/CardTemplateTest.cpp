// CardTemplateTest: the card window's layout template (kind 10): its key lines read and written, the
// bytes of definitions the kept-lines placeholder wrote staying as they were, and the window size.
#include "analysis/cardlayout/CardTemplate.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/templates/KeptCardTemplate.h"
#include "model/templates/TemplateTree.h"
#include "model/templates/TemplateKindRegistry.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

std::string DefinitionText(const Template& node)
{
    TextWriter writer;
    writer.SetLineEndChar('\n');
    node.WriteDefinition(writer);
    return std::string(writer.BufferedBytes());
}

void ReadDefinitionText(Template& node, const std::string& text, int32_t fileKind = 5)
{
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());  // the header line
    TemplateReadContext context;
    context.fileKind = fileKind;
    node.ReadDefinition(reader, context);
}

class CardTemplateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        // Two value fields; dimensions 0, 1 and 3 in use (2 not).
        base.SetValueCount(2);
        base.AddComponent(0, "S", "Sales", nullptr);
        base.AddComponent(1, "1910", "Till", nullptr);
        base.AddComponent(3, "P", "Project", nullptr);
        base.SetupDimensionOrder();
    }
    void TearDown() override { ClearError(); }

    Base base{FilePath("/tmp/card-layout.vek"), 0};
};

TEST_F(CardTemplateTest, TheStartUpMakesTheCardLayoutAsItsOwnClass)
{
    ASSERT_NE(Service<TemplateKindRegistry>::Get().Factory(TemplateKind::Card), nullptr);
    std::unique_ptr<Template> node = base.NewTemplate(TemplateKind::Card);
    ASSERT_NE(dynamic_cast<CardTemplate*>(node.get()), nullptr);
    EXPECT_EQ(DefinitionText(*node), "#K\n") << "at its defaults only the header line is written";
    EXPECT_NE(dynamic_cast<CardTemplate*>(base.Templates().GetDefault(TemplateKind::Card)), nullptr);
}

// Definitions as the kept-lines placeholder read and wrote them: the layout template writes each back
// byte for byte.
TEST_F(CardTemplateTest, DefinitionsReadAndWriteBackTheSameBytes)
{
    const char* definitions[] = {
        "#K\n",
        "#K\nxeE\tUTF-8\nxem\t#1\n",
        "#K\nxS\t300\t620\nxeE\tUTF-8\nxem\t#1\nwL\t140\n",
        "#K\nwL\t120\nwV\t60\t70\nwD\t50\t40\t\t30\nNx\n",
        "#K\nwV\t\t70\n",
        "#K\nwD\t\t\t\t30\n",
        "#K\nNx\nZq\tnot a key of the layout\n",
    };
    for (const char* text : definitions) {
        SCOPED_TRACE(text);
        CardTemplate layout(base);
        ReadDefinitionText(layout, text);
        EXPECT_EQ(DefinitionText(layout), text);
        KeptCardTemplate kept(base);
        ReadDefinitionText(kept, text);
        EXPECT_EQ(DefinitionText(kept), DefinitionText(layout));
    }
}

TEST_F(CardTemplateTest, KeyLinesSetTheLayout)
{
    CardTemplate layout(base);
    ReadDefinitionText(layout, "#K\nwL\t120\nwV\t60\nwD\t50\t40\t\t30\nNx\n");
    const CardLayout& read = layout.Layout();
    EXPECT_EQ(read.textWidth, 120);
    EXPECT_EQ(read.valueWidths[0], 60);
    EXPECT_EQ(read.valueWidths[1], 0) << "a wV line with fewer fields than value fields leaves the rest 0";
    EXPECT_EQ(read.dimensionWidths[0], 50);
    EXPECT_EQ(read.dimensionWidths[1], 40);
    EXPECT_EQ(read.dimensionWidths[2], 0);
    EXPECT_EQ(read.dimensionWidths[3], 30);
    EXPECT_TRUE(read.notesShown);
    // Reading again starts from nothing.
    ReadDefinitionText(layout, "#K\n");
    EXPECT_EQ(layout.Layout(), CardLayout{});
}

TEST_F(CardTemplateTest, WidthsOfDimensionsNotInUseAndValueFieldsBeyondTheBasesAreNotWritten)
{
    CardTemplate layout(base);
    layout.Layout().dimensionWidths[2] = 99;  // dimension 2 is not in use
    layout.Layout().valueWidths[5] = 99;      // the base has two value fields
    EXPECT_EQ(DefinitionText(layout), "#K\n");
    layout.Layout().dimensionWidths[3] = 30;
    layout.Layout().valueWidths[1] = 70;
    EXPECT_EQ(DefinitionText(layout), "#K\nwV\t\t70\nwD\t\t\t\t30\n");
}

TEST_F(CardTemplateTest, TheOlderLayoutLineIsReadOnlyFromBulletFiles)
{
    std::string older = "#K\nxW\t10\t11\t12\t13";
    for (int32_t d = 2; d < 32; ++d)
        older += "\t" + std::to_string(100 + d);
    older += "\n";
    CardTemplate bullet(base);
    ReadDefinitionText(bullet, older, 6);
    EXPECT_EQ(bullet.Layout().dimensionWidths[0], 10);
    EXPECT_EQ(bullet.Layout().dimensionWidths[1], 11);
    EXPECT_EQ(bullet.Layout().textWidth, 12);
    EXPECT_EQ(bullet.Layout().valueWidths[0], 13);
    EXPECT_EQ(bullet.Layout().valueWidths[1], 0);
    EXPECT_EQ(bullet.Layout().dimensionWidths[2], 102);
    EXPECT_EQ(bullet.Layout().dimensionWidths[31], 131);

    CardTemplate plain(base);
    ReadDefinitionText(plain, older, 5);
    EXPECT_EQ(plain.Layout(), CardLayout{}) << "in other files xW goes to the shared keys like any other";
}

TEST_F(CardTemplateTest, WindowSizeFromTheStoredSize)
{
    struct Case {
        int16_t width;   // stored (0 unset)
        int16_t height;  // stored (0 unset)
        bool notes;
        int32_t windowWidth;
        int32_t windowHeight;
    };
    const Case cases[] = {
        {0, 0, false, 500, 180}, {0, 0, true, 500, 121},   {349, 400, false, 350, 400},
        {351, 400, true, 351, 307}, {700, 213, true, 700, 121}, {700, 215, true, 700, 122},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        CardTemplate layout(base);
        layout.right = c.width;
        layout.bottom = c.height;
        layout.Layout().notesShown = c.notes;
        EXPECT_EQ(layout.WindowWidth(), c.windowWidth);
        EXPECT_EQ(layout.WindowHeight(), c.windowHeight);
    }
}

}  // namespace
}  // namespace vek
