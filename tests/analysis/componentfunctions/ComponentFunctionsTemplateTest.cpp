// The component-functions template: its keyed lines read and written back (a table of keys, the
// display line in both forms, defaults that are not written), and the fixture base saved back byte for
// byte.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisCodeLetters.h"
#include "analysis/componentfunctions/ComponentFunctionsTemplate.h"
#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

std::string ComponentFunctionsFixture()
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/componentfunctions/componentfunctions.vkx";
}

// The definition as the template writes it, the header line left out, lines joined by line feeds.
std::string Written(const ComponentFunctionsTemplate& definition)
{
    TextWriter writer;
    definition.WriteDefinition(writer);
    TextReader reader(writer);
    std::string out;
    bool first = true;
    while (reader.ReadLine()) {
        std::string line(reader.LineStart(), size_t(reader.LineLength()));
        if (first) {
            first = false;
            continue;
        }
        if (!out.empty())
            out += '\n';
        out += line;
    }
    return out;
}

void ReadLines(ComponentFunctionsTemplate& definition, const std::vector<std::string>& lines,
               TemplateReadContext context = TemplateReadContext())
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r";
    text += "#R\tnext\r";
    TextReader reader(text.data(), int64_t(text.size()));
    definition.ReadDefinition(reader, context);
}

std::vector<std::string> SplitLines(const std::string& all)
{
    std::vector<std::string> out;
    for (size_t start = 0; start <= all.size();) {
        size_t bar = all.find('\n', start);
        out.push_back(all.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return out;
}

class ComponentFunctionsTemplateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base.SetValueCount(3);
    }
    void TearDown() override { ClearError(); }

    Base base{FilePath(), 1};
};

// The fixture's templates (every value mode, every tree function, a running column, a cycle, two
// levels) come back byte for byte.
TEST(ComponentFunctionsFixtureTest, FixtureSavesBackByteForByte)
{
    ClearError();
    ScratchFolder folder;
    std::string original = ScratchFolder::ReadFileBytes(ComponentFunctionsFixture());
    ASSERT_FALSE(original.empty());
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(ComponentFunctionsFixture()), nullptr, 0));
    ASSERT_NE(base, nullptr);
    auto* modes = dynamic_cast<ComponentFunctionsTemplate*>(base->FindTemplate("Every value mode"));
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(modes->SelectionColumns().size(), 13u);
    EXPECT_EQ(modes->SelectionColumns()[1]->ValueMode(), 1);
    auto* functions = dynamic_cast<ComponentFunctionsTemplate*>(base->FindTemplate("Every tree function"));
    ASSERT_NE(functions, nullptr);
    EXPECT_EQ(functions->FormulaColumns().size(), 10u);
    EXPECT_EQ(functions->FormulaColumns()[2]->Function(), TreeFunction::Sum);
    ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("saved.vkx")), nullptr));
    EXPECT_EQ(folder.Read("saved.vkx"), original);
    EXPECT_FALSE(IsErrorPending());
}

TEST_F(ComponentFunctionsTemplateTest, NewTemplateWritesItsDefaults)
{
    ComponentFunctionsTemplate definition(base);
    EXPECT_EQ(definition.Levels().levelCount, 1);
    EXPECT_TRUE(definition.Columns().empty());
    std::string written = "\n" + Written(definition) + "\n";
    EXPECT_NE(written.find("\nPD\t2\nK\tHUAB-\nR\tS\nZX\nxtna\nxtg+\n"), std::string::npos) << written;
    for (const char* key : {"\nS\t", "\nL\t", "\nN\t", "\nW", "\nZI", "\nZV", "\nPW"})
        EXPECT_EQ(written.find(key), std::string::npos) << key;
}

// Each row: lines read into a new template, a line the writer must write, a key it must not write.
// Whatever was read is then written, read into another template and written again unchanged.
TEST_F(ComponentFunctionsTemplateTest, KeyedLines)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        const char* wanted;
        const char* unwanted;
    } cases[] = {
        {"a selection column of mode S and letter C writes no VM", {"VN\tA\tAmount", "VM\tSC"}, "VN\tA\tAmount", "VM"},
        {"a median running", {"VN\tA", "VM\tDS"}, "VM\tDS", nullptr},
        {"modes F and L read as S", {"VN\tA", "VM\tFC"}, "VF\tA", "VM"},
        {"a value field letter", {"VN\tA", "VF\tC"}, "VF\tC", nullptr},
        {"a value field beyond 23 is ignored", {"VN\tA", "VF\tZ"}, "VF\tA", nullptr},
        {"two VN lines of one name address one column", {"VN\tA\tOne", "VF\tB", "VN\tA\tTwo"}, "VN\tA\tTwo", "VN\tA\tOne"},
        {"V- deletes the current column", {"VN\tA", "V-", "VF\tB"}, "PD\t2", "VN"},
        {"lines without a current column are ignored", {"VF\tB", "FF\tA", "FS\tC"}, "PD\t2", "V"},
        {"the selection texts under V", {"VN\tA", "VC\t240110\t240119"}, "VC\t240110\t240119", nullptr},
        {"a formula column", {"FN\tF1\tTotal", "FF\tA*2", "FS\tV"}, "FF\tA*2", nullptr},
        {"its tree function", {"FN\tF1", "FS\tG"}, "FS\tG", nullptr},
        {"F- deletes it", {"FN\tF1", "F-"}, "PD\t2", "FN"},
        {"a display line in any order", {"FN\tF1", "FZ\tRB\tB+\tV-\tcS\tW40\tCB\tD3"},
         "FZ\tD3\tCB\tW40\tcS\tV-\tB+\tRB", nullptr},
        {"a width of 15 is not written", {"VN\tA", "VZ\tW15"}, "VZ\tD0\tCU\tcD\tV+\tB-\tR-", nullptr},
        {"a width above 998 is ignored", {"VN\tA", "VZ\tW999"}, "VZ\tD0\tCU\tcD\tV+\tB-\tR-", nullptr},
        {"level dimensions and options", {"PD\t2\t3", "K\tFZ3N-\tHAAGT"}, "K\tFZ3N-\tHAAGT", nullptr},
        {"the dimensions", {"PD\t4\t2"}, "PD\t4\t2", nullptr},
        {"a width of 136 is not written", {"PW\t136"}, "PD\t2", "PW"},
        {"nor one of 23", {"PW\t23"}, "PD\t2", "PW"},
        {"one of 24 is", {"PW\t24"}, "PW\t24", nullptr},
        {"R", {"R\tD"}, "R\tD", nullptr},
        {"a sort column", {"S\tAC\tX"}, "S\tAC\tX", nullptr},
        {"an item display alone", {"S\tDT"}, "S\tDT", nullptr},
        {"S with - clears the sort", {"S\tAC\tX", "S\t-"}, "R\tS", "S\t"},
        {"L", {"L\tO"}, "L\tO", nullptr},
        {"L of T is not written", {"L\tT"}, "R\tS", "L\t"},
        {"N", {"N\tB"}, "N\tB", nullptr},
        {"WR", {"WR"}, "WR", nullptr},
        {"other W lines are ignored", {"WB"}, "R\tS", "W"},
        {"ZI and ZV", {"ZI", "ZV"}, "ZI\nZV", nullptr},
        {"ZS is read, not written", {"ZS"}, "R\tS", "ZS"},
        {"the expansion text", {"ZX\t|1|19|"}, "ZX\t|1|19|", nullptr},
        {"headers only", {"xtnh"}, "xtnh", "xtna"},
        {"headings minus", {"xtg-"}, "xtg-", "xtg+"},
        {"headings as headers", {"xtgh"}, "xtgh", "xtg+"},
        {"other P, F, Z and xt lines are ignored", {"PX\t3", "FQ\t2", "ZQ", "xtq"}, "PD\t2", "PX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComponentFunctionsTemplate definition(base);
        ReadLines(definition, c.lines);
        std::string written = "\n" + Written(definition) + "\n";
        if (c.wanted) {
            EXPECT_NE(written.find("\n" + std::string(c.wanted) + "\n"), std::string::npos) << written;
        }
        if (c.unwanted) {
            EXPECT_EQ(written.find("\n" + std::string(c.unwanted)), std::string::npos) << written;
        }
        ComponentFunctionsTemplate again(base);
        std::string all = Written(definition);
        ReadLines(again, SplitLines(all));
        EXPECT_EQ(Written(again), all);
    }
}

TEST_F(ComponentFunctionsTemplateTest, ColumnsKeepTheirOrderAndKinds)
{
    ComponentFunctionsTemplate definition(base);
    ReadLines(definition, {"VN\tA", "FN\tF1", "FF\tA+B", "VN\tB", "VM\tKS", "FN\tF2"});
    ASSERT_EQ(definition.Columns().size(), 4u);
    EXPECT_EQ(definition.Columns()[0]->NameView(), "A");
    EXPECT_EQ(definition.Columns()[1]->NameView(), "F1");
    EXPECT_EQ(definition.Columns()[2]->NameView(), "B");
    EXPECT_EQ(definition.SelectionColumns().size(), 2u);
    EXPECT_EQ(definition.SelectionColumns()[1]->ValueMode(), 1);
    EXPECT_EQ(definition.SelectionColumns()[1]->Accumulation(), ColumnAccumulation::Running);
    // New formula columns take the default series colour of their place among the formulas.
    EXPECT_EQ(definition.FormulaColumns()[0]->Display().colour, DefaultSeriesColor(0));
    EXPECT_EQ(definition.FormulaColumns()[1]->Display().colour, DefaultSeriesColor(1));
    EXPECT_EQ(definition.FindColumnNoCase("f1"), definition.Columns()[1].get());
    definition.SetOption("sort", "f2:B");
    EXPECT_STREQ(definition.SortColumnName(), "F2");
    EXPECT_EQ(definition.sortValueOrder, 4);
    definition.SetOption("sort", "-:T");
    EXPECT_EQ(definition.SortColumnName(), nullptr);
    EXPECT_EQ(definition.sortItemDisplay, 3);
}

// Bases dated 19970416 or earlier write the display line in its older form: decimals and colour
// letters followed by flag letters, then the width.
TEST_F(ComponentFunctionsTemplateTest, OlderDisplayLines)
{
    TemplateReadContext older;
    older.version = 19970416;
    ComponentFunctionsTemplate definition(base);
    ReadLines(definition, {"VN\tA", "VZ\t3BbSv\t40"}, older);
    const ComponentFunctionColumnDisplay& display = definition.Columns()[0]->Display();
    EXPECT_EQ(display.decimals, 3);
    EXPECT_EQ(display.colour, 10);
    EXPECT_FALSE(display.bold);
    EXPECT_TRUE(display.cFlag);
    EXPECT_FALSE(display.visible);
    EXPECT_EQ(display.width, 40);
    EXPECT_NE(("\n" + Written(definition) + "\n").find("\nVZ\tD3\tCB\tW40\tcS\tV-\tB-\tR-\n"), std::string::npos);
}

}  // namespace
}  // namespace vek
