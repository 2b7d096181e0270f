// The "##Templates" and "##Defaults" sections of base files: read into the template tree, written
// from it byte for byte, through text bases and block containers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFileSettings.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/SaveSettings.h"
#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"
#include "model/templates/AnalysisTemplate.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "analysis/timefunctions/TimeFunctionsTemplate.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;
using test::TextBase;

constexpr const char* kPassword = "Open sesame";

std::string TemplatesFixture()
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/templates/templates.vkx";
}

// Every node in pre-order as "path=kind".
std::vector<std::string> Tree(const Base& base)
{
    std::vector<std::string> nodes;
    String path;
    for (Template* node = base.Templates().Root().NextInTree(); node->Parent() != nullptr; node = node->NextInTree()) {
        node->GetPathName(path);
        nodes.push_back(std::string(path.CStr()) + "=" + std::to_string(int32_t(node->Kind())));
    }
    return nodes;
}

class TemplateSectionsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    ScratchFolder folder;
    test::MessageLog messages;
};

// The fixture holds templates of every kind in nested groups, changed defaults, commands and a
// password: as text and through each container variant it comes back byte for byte.
TEST_F(TemplateSectionsTest, FixtureSavesBackByteForByteAsTextAndContainer)
{
    std::string original = ScratchFolder::ReadFileBytes(TemplatesFixture());
    ASSERT_FALSE(original.empty());
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(TemplatesFixture()), kPassword, 0));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->Templates().Count(), 6);
    EXPECT_EQ(Tree(*base), (std::vector<std::string>{
                               "Reports=0", "Reports: Components=3", "Reports: Sales=0",
                               "Reports: Sales: Cards by month=1", "Reports: Sales: Lines=2", "Top level cards=1",
                               "Trends=0", "Trends: Deep=0", "Trends: Deep: Component functions=5",
                               "Trends: Time functions=4"}));
    auto* cards = dynamic_cast<AnalysisTemplate*>(base->FindTemplate("reports: sales: cards by month"));
    ASSERT_NE(cards, nullptr);
    EXPECT_TRUE(cards->autoOpen);
    EXPECT_EQ(cards->Export().encoding, 4);
    EXPECT_EQ(cards->Export().thousandsSeparator, 160);
    EXPECT_STREQ(cards->NotesText(), "Notes of the sales\rsecond line\ttabbed");
    ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("text.vkx")), nullptr));
    EXPECT_EQ(folder.Read("text.vkx"), original);

    for (int32_t format : {kSaveFormatContainerN, kSaveFormatContainerB, kSaveFormatContainerU}) {
        SCOPED_TRACE(format);
        std::unique_ptr<SaveSettings> settings = MakeSaveSettingsFromBase(*base);
        settings->SetFormat(format);
        ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("copy.vek")), settings.get()));
        std::unique_ptr<Base> reopened(OpenBaseFile(FilePath(folder.Path("copy.vek")), kPassword, 0));
        ASSERT_NE(reopened, nullptr);
        ASSERT_TRUE(SaveBaseToPath(*reopened, FilePath(folder.Path("back.vkx")), nullptr));
        EXPECT_EQ(folder.Read("back.vkx"), original);
    }
    EXPECT_TRUE(messages.codes.empty()) << messages.texts.front();
}

// A time-functions template that uses every key (selection rows with a mode, a basis and shifts,
// formula rows with a combination and chart styles, every display setting), and one over a time
// scale, read into their rows and saved back byte for byte.
TEST_F(TemplateSectionsTest, TimeFunctionsFixtureSavesBackByteForByte)
{
    std::string path = std::string(VEK_SOURCE_DIR) + "/tests/fixtures/templates/time-functions.vkx";
    std::string original = ScratchFolder::ReadFileBytes(path);
    ASSERT_FALSE(original.empty());
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(path), nullptr, 0));
    ASSERT_NE(base, nullptr);
    auto* monthly = dynamic_cast<TimeFunctionsTemplate*>(base->FindTemplate("trends: sales by month"));
    ASSERT_NE(monthly, nullptr);
    EXPECT_EQ(monthly->PeriodKind(), TimeFunctionPeriodKind::Months);
    ASSERT_EQ(monthly->Rows().size(), 5u);
    ASSERT_EQ(monthly->SelectionRows().size(), 3u);
    const TimeFunctionSelectionDefinition& lastYear = *monthly->SelectionRows()[1];
    EXPECT_EQ(lastYear.Shift().kind, PeriodShiftKind::YearBack);
    EXPECT_EQ(monthly->SelectionRows()[2]->ValueMode(), 9);
    EXPECT_EQ(monthly->SelectionRows()[0]->Basis(), PeriodBasis::PerPeriod);
    ASSERT_EQ(monthly->FormulaRowCount(), 2);
    EXPECT_EQ(monthly->FormulaRows()[0]->Combination(), FormulaCombination::Ratio);
    EXPECT_EQ(monthly->chartCode, 3);
    auto* scaled = dynamic_cast<TimeFunctionsTemplate*>(base->FindTemplate("trends: sales by period"));
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(scaled->PeriodKind(), TimeFunctionPeriodKind::TimeScale);
    EXPECT_STREQ(scaled->TimeScaleName(), "Fiscal periods");

    ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("saved.vkx")), nullptr));
    EXPECT_EQ(folder.Read("saved.vkx"), original);
    EXPECT_TRUE(messages.codes.empty()) << messages.texts.front();

    // The rows' selections take the lines of both cards; an axis ending in 2024 stops them there.
    BitSet lines(base->CardRecords().linePool.ElementCount());
    monthly->CollectSelectedLines(lines);
    EXPECT_EQ(lines.BitCount(), 4);
    monthly->AxisTo().SetValue({MakePackedDate(2024, 12, 31), kOpenEndNumber});
    BitSet limited(base->CardRecords().linePool.ElementCount());
    monthly->CollectSelectedLines(limited);
    EXPECT_EQ(limited.BitCount(), 2);
}

// How the reader takes the lines of the two sections; each row reads one file and gives the tree.
TEST_F(TemplateSectionsTest, ReadingTheSections)
{
    struct Case {
        const char* name;
        std::vector<std::string_view> lines;
        std::vector<std::string> tree;
    } cases[] = {
        {"lines between definitions are skipped", {"##Templates", "junk", "#C\tA", "xo", "#L\tB"}, {"A=1", "B=2"}},
        {"a card layout letter ends the section", {"##Templates", "#C\tA", "#K\tB", "#L\tC"}, {"A=1"}},
        {"an unknown letter ends the section", {"##Templates", "#C\tA", "#Q\tB", "#L\tC"}, {"A=1"}},
        {"the subset letter makes nothing", {"##Templates", "#S\tA", "xo", "#L\tC"}, {"C=2"}},
        {"the same path is replaced", {"##Templates", "#C\tA", "#L\ta"}, {"a=2"}},
        {"a group of the path keeps its members: the template goes beside it",
         {"##Templates", "#C\tA: B", "#L\tA", "#P\ta"}, {"A=0", "A: B=1", "a=3"}},
        {"defaults: a letter reads into its defaults template", {"##Defaults", "#K", "#C", "xo", "", "#Q", "xz"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string_view> lines{"##VEK-Text\t121122", ""};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        lines.push_back("##End");
        std::string text = "\xEF\xBB\xBF";
        for (std::string_view line : lines) {
            text.append(line);
            text += '\r';
        }
        std::string path = folder.Write("case.vkx", text);
        std::unique_ptr<Base> base(OpenBaseFile(FilePath(path), nullptr, 0));
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(Tree(*base), c.tree);
    }
    std::string path = folder.Write("defaults.vkx", TextBase({"##VEK-Text\t121122", "", "##Defaults", "#C", "xo",
                                                             "xS\t1\t2", "#R", "xz", "##End"}));
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(path), nullptr, 0));
    ASSERT_NE(base, nullptr);
    auto* cards = dynamic_cast<AnalysisTemplate*>(base->Templates().GetDefault(TemplateKind::Cards));
    auto* functions = dynamic_cast<AnalysisTemplate*>(base->Templates().GetDefault(TemplateKind::ComponentFunctions));
    ASSERT_TRUE(cards != nullptr && functions != nullptr);
    EXPECT_TRUE(cards->autoOpen);
    EXPECT_EQ(cards->right, 2);
    EXPECT_TRUE(functions->flagZ);
    EXPECT_TRUE(base->Templates().HasChangedDefaults());
    EXPECT_TRUE(messages.codes.empty()) << messages.texts.front();
}

// Bases without templates and with the defaults as new write neither section, so their files keep
// their bytes.
TEST_F(TemplateSectionsTest, UnchangedDefaultsAndNoTemplatesWriteNothing)
{
    std::string path = folder.Write("plain.vkx", TextBase({"##VEK-Text\t121122", "", "##Defaults", "#C", "xeE\tUTF-8",
                                                          "xem\t#1", "", "##End"}));
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(path), nullptr, 0));
    ASSERT_NE(base, nullptr);
    EXPECT_FALSE(base->Templates().HasChangedDefaults());
    ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("saved.vkx")), nullptr));
    std::string saved = folder.Read("saved.vkx");
    EXPECT_EQ(saved.find("##Templates"), std::string::npos);
    EXPECT_EQ(saved.find("##Defaults"), std::string::npos);
}

}  // namespace
}  // namespace vek
