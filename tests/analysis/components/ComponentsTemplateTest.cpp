// The components template: its keyed lines read and written back byte for byte (today's form, the
// older bullet form and versions that set every column at once), the XML-like form, and the faults of
// the older reading that are mended here (dimension positions, value-field names by position, value
// fields the base does not have).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/components/ComponentsTemplate.h"
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

std::string ComponentsFixture()
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/components/components.vkx";
}

// The definition as the template writes it, the header line left out, lines joined by line feeds.
std::string Written(const ComponentsTemplate& definition)
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

// Reads key lines (tab-separated fields written with "\t") into a fresh template.
void ReadLines(ComponentsTemplate& definition, const std::vector<std::string>& lines,
               TemplateReadContext context = TemplateReadContext())
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r";
    text += "#P\tnext\r";
    TextReader reader(text.data(), int64_t(text.size()));
    definition.ReadDefinition(reader, context);
}

class ComponentsTemplateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base.SetValueCount(3);
    }
    void TearDown() override { ClearError(); }

    Base base{FilePath(), 1};
};

// The fixture's templates (one level with a deep tree, two and three levels, a depth limit, a flat
// level, every filter mode and sort) come back byte for byte.
TEST(ComponentsFixtureTest, FixtureSavesBackByteForByte)
{
    ClearError();
    ScratchFolder folder;
    std::string original = ScratchFolder::ReadFileBytes(ComponentsFixture());
    ASSERT_FALSE(original.empty());
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(ComponentsFixture()), nullptr, 0));
    ASSERT_NE(base, nullptr);
    auto* twoLevels = dynamic_cast<ComponentsTemplate*>(base->FindTemplate("Two levels: Accounts by cost centre"));
    ASSERT_NE(twoLevels, nullptr);
    EXPECT_EQ(twoLevels->Levels().levelCount, 2);
    EXPECT_EQ(twoLevels->Levels().dimension[1], 2);
    ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("saved.vkx")), nullptr));
    EXPECT_EQ(folder.Read("saved.vkx"), original);
    EXPECT_FALSE(IsErrorPending());
}

TEST_F(ComponentsTemplateTest, NewTemplateWritesItsDefaults)
{
    ComponentsTemplate definition(base);
    EXPECT_EQ(definition.Levels().levelCount, 1);
    EXPECT_EQ(definition.Levels().dimension[0], 1);
    EXPECT_FALSE(definition.zcFlag);
    EXPECT_TRUE(definition.Column(ComponentsValue::AtEnd).shown);
    EXPECT_TRUE(definition.Column(ComponentsValue::Period).bold);
    EXPECT_FALSE(definition.Column(ComponentsValue::CardCount).shown);
    EXPECT_EQ(definition.Column(ComponentsValue::Percentage).decimals, 1);
    std::string written = Written(definition);
    // No "VP" for the period, no "S" without a sort, "ZC" for a new template.
    EXPECT_EQ(written.find("VP"), std::string::npos);
    EXPECT_EQ(written.find("\nS\t"), std::string::npos);
    EXPECT_NE(written.find("\nZC\nZD\nZX\n"), std::string::npos) << written;
    EXPECT_NE(written.find("\nP\t2\nK\tHUAB-\n"), std::string::npos) << written;
}

// Each row: lines read into a new template, what is checked, and the written form of the checked
// line (empty: the line is not written).
TEST_F(ComponentsTemplateTest, KeyedLines)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        const char* wanted;    // a line the writer must write
        const char* unwanted;  // a key the writer must not write
    } cases[] = {
        {"a view value field of the period is not written", {"VP\tR"}, "R\tS", "VP"},
        {"another view value field is", {"VP\tK"}, "VP\tK", nullptr},
        {"a sort field of \"-\" clears the sort", {"S\tDRN", "S\t-"}, "R\tS", "S\t"},
        {"a sort by a value", {"S\tAKN"}, "S\tAKN", nullptr},
        {"a sort by code", {"S\tD-C"}, "S\tD-C", nullptr},
        {"a Q line with an unknown letter is ignored whole", {"QX\tVBQS\t40\t3"}, "QB\tVbrs\t\t2", nullptr},
        {"a Q line sets its column", {"QK\tVBQS\t40\t3"}, "QK\tVBQS\t40\t3", nullptr},
        {"a width of 15 is not written", {"wD\t15"}, "R\tS", "wD"},
        {"a width of 16 is", {"wD\t16"}, "wD\t16", nullptr},
        {"F beyond the base's value fields keeps the previous field", {"F\tB", "F\tD"}, "F\tB", nullptr},
        {"F within them", {"F\t3"}, "F\tC", nullptr},
        {"level dimensions", {"P\t2\t3\t4"}, "P\t2\t3\t4", nullptr},
        {"reading stops at a number outside 1-32", {"P\t5\t33\t4"}, "P\t5", nullptr},
        {"level options", {"P\t2\t3", "K\tFZ3N-\tHAAGT"}, "K\tFZ3N-\tHAAGT", nullptr},
        {"unknown option letters leave the settings", {"K\tXXXX?"}, "K\tHUAB-", nullptr},
        {"the expansion text", {"ZX\t|1|19|"}, "ZX\t|1|19|", nullptr},
        {"an empty expansion field clears it", {"ZX\t|1|", "ZX"}, "ZX", nullptr},
        {"percentage option", {"%D"}, "%D", nullptr},
        {"W option P", {"WP"}, "WP", nullptr},
        {"sublevels", {"ZS"}, "ZS", "ZD"},
        {"ZM", {"ZM"}, "ZM", "ZN"},
        {"headers only", {"xtnh"}, "xtnh", "xtna"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComponentsTemplate definition(base);
        ReadLines(definition, c.lines);
        std::string written = "\n" + Written(definition) + "\n";
        if (c.wanted) {
            EXPECT_NE(written.find("\n" + std::string(c.wanted) + "\n"), std::string::npos) << written;
        }
        if (c.unwanted) {
            EXPECT_EQ(written.find("\n" + std::string(c.unwanted)), std::string::npos) << written;
        }
        // Whatever was read is written so that it reads back the same.
        ComponentsTemplate again(base);
        std::vector<std::string> back;
        std::string all = Written(definition);
        for (size_t start = 0; start <= all.size();) {
            size_t bar = all.find('\n', start);
            back.push_back(all.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
        ReadLines(again, back);
        EXPECT_EQ(Written(again), all);
    }
}

// The older reading wrote a level's position in the base's dimension order but read it back as a
// dimension number, so a base with a dimension order changed its levels at every save. Dimension
// numbers are written and read.
TEST_F(ComponentsTemplateTest, LevelDimensionsAreDimensionNumbersWhateverTheDimensionOrder)
{
    base.AddComponent(1, "1910", "Cash", nullptr);
    base.AddComponent(2, "N", "North", nullptr);
    base.AddComponent(3, "P1", "Alpha", nullptr);
    base.SetupDimensionOrder();
    ComponentsTemplate definition(base);
    ReadLines(definition, {"P\t4\t2"});
    EXPECT_EQ(definition.Levels().dimension[0], 3);
    EXPECT_EQ(definition.Levels().dimension[1], 1);
    EXPECT_NE(("\n" + Written(definition) + "\n").find("\nP\t4\t2\n"), std::string::npos);
}

// Bases of 20001218 and older store the decimals and the sublevels flag once for every column.
TEST_F(ComponentsTemplateTest, OlderVersionsSetEveryColumnAtOnce)
{
    TemplateReadContext older;
    older.version = 20001218;
    ComponentsTemplate definition(base);
    ReadLines(definition, {"D\t4", "ZS"}, older);
    for (int32_t code = 0; code < kComponentsValueCount; ++code) {
        EXPECT_EQ(definition.Columns()[size_t(code)].decimals, 4);
        EXPECT_TRUE(definition.Columns()[size_t(code)].sublevels);
    }
    TemplateReadContext newer;
    newer.version = 20001219;
    ComponentsTemplate current(base);
    ReadLines(current, {"D\t4", "ZS"}, newer);
    EXPECT_EQ(current.decimals, 4);
    EXPECT_EQ(current.Column(ComponentsValue::Period).decimals, 2);
    EXPECT_FALSE(current.Column(ComponentsValue::Period).sublevels);
}

// The bullet form: old selection lines, Q lines without width and decimals, and the widths of "xW"
// given to the item column (less a sixteenth) and then to the shown columns in order.
TEST_F(ComponentsTemplateTest, BulletFormWidthsAndSelection)
{
    base.AddComponent(1, "1910", "Cash", nullptr);
    TemplateReadContext bullet;
    bullet.fileKind = 6;
    bullet.version = 19990101;
    ComponentsTemplate definition(base);
    ReadLines(definition,
              {"QB\tv\t77\t5", "QK\tV", "xW\t160\t11\t12\t13\t14\t15\t16\t17\t18\t19\t20"}, bullet);
    EXPECT_EQ(definition.width, 150);
    // Shown: N, P, R, K, E (B hidden by its Q line, K shown by its own).
    EXPECT_EQ(definition.Column(ComponentsValue::Before).width, 0);
    EXPECT_EQ(definition.Column(ComponentsValue::Negative).width, 11);
    EXPECT_EQ(definition.Column(ComponentsValue::Positive).width, 12);
    EXPECT_EQ(definition.Column(ComponentsValue::Period).width, 13);
    EXPECT_EQ(definition.Column(ComponentsValue::CardCount).width, 14);
    EXPECT_EQ(definition.Column(ComponentsValue::AtEnd).width, 15);
    EXPECT_EQ(definition.Column(ComponentsValue::Before).decimals, 2);  // no width or decimals fields
}

// The XML-like form. The older reading took the value-field names by their position in a list of
// nine names, so "atend" chose the line count, "after" the balance at the end and "total" the amounts
// after the period; they are read by what they name.
TEST_F(ComponentsTemplateTest, XmlForm)
{
    base.AddComponent(2, "N", "North", nullptr);
    base.SetValueFieldName(1, "Units");
    std::string xml =
        "<columns before=\"off\" negative=\"off\" positive=\"off\" period=\"bold\" atend=\"on\" after=\"on\" "
        "total=\"on\" count=\"on\">"
        "<valuefield name=\"Units\"/>"
        "<viewdim num=\"3\" expand=\"all\" structure=\"flat\" filter=\"all\"/>"
        "<sort column=\"total\" order=\"asc\"/>"
        "<values decimals=\"4\" sublevels=\"include\"/>"
        "</template>";
    ComponentsTemplate definition(base);
    TextReader reader(xml.data(), int64_t(xml.size()));
    definition.ReadXml(reader);
    EXPECT_FALSE(definition.Column(ComponentsValue::Before).shown);
    EXPECT_TRUE(definition.Column(ComponentsValue::Period).bold);
    EXPECT_TRUE(definition.Column(ComponentsValue::AtEnd).shown);
    EXPECT_TRUE(definition.Column(ComponentsValue::After).shown);
    EXPECT_TRUE(definition.Column(ComponentsValue::Total).shown);
    EXPECT_TRUE(definition.Column(ComponentsValue::CardCount).shown);
    EXPECT_FALSE(definition.Column(ComponentsValue::LineCount).shown);
    EXPECT_EQ(definition.valueField, 1);
    EXPECT_EQ(definition.Levels().levelCount, 1);
    EXPECT_EQ(definition.Levels().dimension[0], 2);
    EXPECT_EQ(definition.Levels().flat[0], 1);
    EXPECT_EQ(definition.Levels().filter[0], LevelFilter::All);
    EXPECT_STREQ(definition.ExpansionText(), "\\");
    EXPECT_EQ(definition.sortValueField, int32_t(ComponentsValue::Total));
    EXPECT_EQ(definition.sortValueOrder, 5);
    EXPECT_EQ(definition.Column(ComponentsValue::Negative).decimals, 4);
    EXPECT_TRUE(definition.Column(ComponentsValue::Negative).sublevels);
    EXPECT_EQ(ComponentsValueFromXmlName("atend"), int32_t(ComponentsValue::AtEnd));
    EXPECT_EQ(ComponentsValueFromXmlName("after"), int32_t(ComponentsValue::After));
    EXPECT_EQ(ComponentsValueFromXmlName("total"), int32_t(ComponentsValue::Total));
    EXPECT_EQ(ComponentsValueFromXmlName("lines"), -1);
}

// A value field the base does not have, by number or name, leaves the field: the computation would
// read amounts past the line's values.
TEST_F(ComponentsTemplateTest, XmlValueFieldBeyondTheBaseIsRefused)
{
    for (const char* element : {"<valuefield num=\"4\"/>", "<valuefield num=\"0\"/>", "<valuefield num=\"-1\"/>",
                                "<valuefield name=\"Nothing\"/>", "<valuefield num=\"\"/>"}) {
        SCOPED_TRACE(element);
        ComponentsTemplate definition(base);
        definition.valueField = 2;
        std::string xml = std::string(element) + "</template>";
        TextReader reader(xml.data(), int64_t(xml.size()));
        definition.ReadXml(reader);
        EXPECT_EQ(definition.valueField, 2);
    }
}

TEST_F(ComponentsTemplateTest, SortOption)
{
    ComponentsTemplate definition(base);
    definition.SetOption("sort", "KA");
    EXPECT_EQ(definition.sortValueField, int32_t(ComponentsValue::CardCount));
    EXPECT_EQ(definition.sortValueOrder, 5);
    definition.SetOption("sort", "-T");
    EXPECT_EQ(definition.sortValueField, -1);
    EXPECT_EQ(definition.sortItemDisplay, 3);
}

}  // namespace
}  // namespace vek
