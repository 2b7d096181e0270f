// The keyed lines of the cards and lines templates: what a new template writes, the older forms, the
// sort keys and options, and definitions that read back to the same bytes.
#include "analysis/cards/CardsTemplate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "analysis/lines/LinesTemplate.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

std::string Definition(const Template& node)
{
    TextWriter writer;
    writer.SetLineEndChar('\n');
    node.WriteDefinition(writer);
    return std::string(writer.BufferedBytes());
}

// The definition without its header line and the shared keys every new template writes.
std::string OwnKeys(const Template& node)
{
    std::string text = Definition(node);
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line[0] == '#' || line.rfind("xeE", 0) == 0 || line.rfind("xem", 0) == 0)
            continue;
        out += line + "\n";
    }
    return out;
}

void ReadKeys(Template& node, const std::string& keys, int32_t version = 20121122, int32_t fileKind = 5)
{
    std::string text = "#C\tx\r" + keys;
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    TemplateReadContext context;
    context.fileKind = fileKind;
    context.version = version;
    node.ReadDefinition(reader, context);
}

class CardsTemplateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base.SetValueCount(2);
        base.AddComponent(0, "S", "Sales", nullptr);
        base.AddComponent(1, "1910", "Cash", nullptr);
        base.SetupDimensionOrder();
    }
    void TearDown() override { ClearError(); }

    Base base{FilePath("/tmp/cards-template.vek"), 0};
};

TEST_F(CardsTemplateTest, ANewTemplateWritesItsDefaults)
{
    CardsTemplate cards(base);
    EXPECT_EQ(OwnKeys(cards), "P\tI,T,D1,D2,L,VA,VB\nD\t22\nQ1I\tCA\tDN\tTA\tVD\nxtna\n");
    LinesTemplate lines(base);
    EXPECT_EQ(OwnKeys(lines), "Q\tA\nD\t22\nd\t2\nP\tI,T,D2,L,VA,S\nIL\nS1I\tCA\tDN\tTA\tVD\nxtna\nxtg+\n");
}

// Regression: a template made before the base's value formats were read (the defaults templates of a
// base being read) kept the old decimals and wrote a definition unlike a new template's, so every
// saved base gained a "##Defaults" section.
TEST_F(CardsTemplateTest, DecimalsFollowTheBaseUntilSet)
{
    CardsTemplate early(base);
    LinesTemplate earlyLines(base);
    base.SetValueFormat(1, 9);
    CardsTemplate fresh(base);
    LinesTemplate freshLines(base);
    EXPECT_EQ(Definition(early), Definition(fresh));
    EXPECT_EQ(Definition(earlyLines), Definition(freshLines));
}

TEST_F(CardsTemplateTest, DefinitionsReadBackToTheSameBytes)
{
    struct Case {
        const char* name;
        TemplateKind kind;
        const char* keys;
    };
    const Case cases[] = {
        {"cards, every setting", TemplateKind::Cards,
         "BD1\tS\nP\tI,P,T,D2,VB,N,S\nD\t4F\nR\tRG\nS\tNA\nGC\nYW\nT\tC-\nwC\t70\nwY\t120\nwL\t90\nwH\t40\n"
         "wV\t\t60\t30\nwD\t50\nQ1P\tCD\tDN\tTA\tVD\nQ2D2\tCA\tDT\tTA\tVD\nQ3VB\tCA\tDN\tTA\tVB\nxtnh\n"},
        {"lines, every setting", TemplateKind::Lines,
         "BL\tcash*\nQ\tB\nD\t34\nd\tT\nR\t-R\nr\tG\nYS\nT\tH-\nP\tI,P,D1,L,VB,S,H\nH\tB+-PF#CAEMmTRVD\n"
         "+\t5.5\n-\t0.25\nIE\nGx\t2\nGy\t+\nWL\nwC\t16\nwD\t\t17\nwL\t\t\t\t99\nwH\t20\n"
         "S1D1\tCA\tDR\tTA\tVD\nS2H\tCA\tDN\tTD\tVD\nZE\nZI\nZD\nZV\nZR\nZG\nZZ\nZC\tnote\nZS\nxtnh\nxtg-\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Template> node = base.NewTemplate(c.kind);
        std::string keys = c.keys;
        std::string stored;
        for (char ch : keys)
            stored += ch == '\n' ? '\r' : ch;
        ReadKeys(*node, stored);
        EXPECT_EQ(OwnKeys(*node), keys);
    }
}

TEST_F(CardsTemplateTest, ShownColumnsOfEarlierVersions)
{
    struct Case {
        int32_t version;
        int32_t column;  // the column "V" shows
    };
    const Case cases[] = {{19981028, cards_column::kLineText}, {19981029, cards_column::kFirstValue},
                          {20001218, cards_column::kFirstValue}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        CardsTemplate cards(base);
        ReadKeys(cards, "P\tIV\r", c.version);
        EXPECT_TRUE(cards.Settings().columns[size_t(c.column)].shown);
        EXPECT_TRUE(cards.Settings().columns[cards_column::kCardId].shown);
        EXPECT_FALSE(cards.Settings().columns[cards_column::kTitle].shown);
    }
    LinesTemplate lines(base);
    ReadKeys(lines, "P\tS\r", 20001218);
    EXPECT_TRUE(lines.Settings().columns[lines_column::kAccumulated].shown);
    EXPECT_FALSE(lines.Settings().columns[lines_column::kCardId].shown);
}

TEST_F(CardsTemplateTest, SortKeysAndTheSortOption)
{
    CardsTemplate cards(base);
    ReadKeys(cards, "Q3T\tCA\tDN\tTD\tVD\r");
    EXPECT_EQ(cards.Settings().sortKeyCount, 3);
    EXPECT_EQ(cards.Settings().sortKeys[2].column, cards_column::kTitle);
    EXPECT_EQ(cards.Settings().sortKeys[2].textDirection, 1);
    EXPECT_EQ(cards.Settings().sortKeys[1], CardsSortKey()) << "key 2 keeps its zero defaults";

    cards.SetOption("sort", "N");
    EXPECT_EQ(cards.Settings().sortKeyCount, 3) << "notes cannot be a sort key";
    cards.SetOption("sort", "VB:A");
    EXPECT_EQ(cards.Settings().sortKeyCount, 1);
    EXPECT_EQ(cards.Settings().sortKeys[0].column, cards_column::kFirstValue + 1);
    EXPECT_EQ(cards.Settings().sortKeys[0].valueSort, 5);
    cards.SetOption("sort", "D2:T");
    EXPECT_EQ(cards.Settings().sortKeys[0].itemDisplay, 3);

    // A foreign letter leaves the settings as they were.
    CardsTemplate other(base);
    ReadKeys(other, "D\tMx\rS\tAx\rR\tz\r");
    EXPECT_EQ(other.Settings().columns[cards_column::kFirstValue].decimals, 9);
    EXPECT_EQ(other.Settings().ValueDecimals(base, 1), base.ValueFormat(1));
    EXPECT_EQ(other.Settings().groupsContent, CardsContent::All);
    EXPECT_EQ(other.Settings().linesContent, CardsContent::Selected);
    EXPECT_EQ(other.Settings().columns[cards_column::kFirstValue].signColouring, 0);
}

TEST_F(CardsTemplateTest, LinesKeysOfTheirOwn)
{
    LinesTemplate lines(base);
    ReadKeys(lines, "+\t5.5\rH\tBEx\rwC\t15\t200\rZM\r");
    EXPECT_DOUBLE_EQ(lines.Settings().positiveRate, 5.5);
    EXPECT_EQ(lines.Settings().statistics[LinesStatistic::Before], 1);
    EXPECT_EQ(lines.Settings().statistics[LinesStatistic::Median], 1);
    int32_t set = 0;
    for (uint8_t flag : lines.Settings().statistics)
        set += flag;
    EXPECT_EQ(set, 2) << "the x is ignored";
    EXPECT_EQ(lines.Settings().statisticsColouring, 1);
    EXPECT_EQ(lines.Settings().columns[lines_column::kFirstValue + 5].signColouring, 1);
    // A width of 15 is written as an empty field and reads back as 0.
    std::string written = OwnKeys(lines);
    EXPECT_NE(written.find("wC\t\t200\n"), std::string::npos) << written;
    LinesTemplate again(base);
    std::string stored;
    for (char ch : written)
        stored += ch == '\n' ? '\r' : ch;
    ReadKeys(again, stored);
    EXPECT_EQ(again.Settings().columns[lines_column::kCardId].width, 0);
    EXPECT_EQ(again.Settings().columns[lines_column::kTitle].width, 200);

    lines.ShowSingleStatistic(8);
    EXPECT_EQ(lines.Settings().statistics[LinesStatistic::Median], 1);
    EXPECT_EQ(lines.Settings().statistics[LinesStatistic::Before], 0);
    lines.SelectMainValueField(1);
    EXPECT_EQ(lines.Settings().mainValueField, 1);
    EXPECT_FALSE(lines.Settings().columns[lines_column::kFirstValue].shown);
    EXPECT_TRUE(lines.Settings().columns[lines_column::kFirstValue + 1].shown);
}

TEST_F(CardsTemplateTest, OlderBulletFormsOfWidthsAndColumns)
{
    // Older lines templates: "P" with a dimension number shows it in place of dimension 2, and the
    // "xW" widths go to the shown columns in column order.
    LinesTemplate lines(base);
    ReadKeys(lines, "P\t1\rxW\t11\t22\t33\t44\t55\t66\r", 19960101, 6);
    const LinesSettings& settings = lines.Settings();
    EXPECT_TRUE(settings.columns[lines_column::kDimension1].shown);
    EXPECT_FALSE(settings.columns[lines_column::kDimension1 + 1].shown);
    EXPECT_EQ(settings.columns[lines_column::kCardId].width, 11);
    EXPECT_EQ(settings.columns[lines_column::kTitle].width, 22);
    EXPECT_EQ(settings.columns[lines_column::kDimension1].width, 33);
    EXPECT_EQ(settings.columns[lines_column::kLineText].width, 44);
    EXPECT_EQ(settings.columns[lines_column::kFirstValue].width, 55);
    EXPECT_EQ(settings.columns[lines_column::kAccumulated].width, 66);
    EXPECT_EQ(settings.columns[lines_column::kDate].width, 0);

    CardsTemplate cards(base);
    ReadKeys(cards, "xW\t1\t2\t3\t4\t5\t6\t7\t8\r", 19960101, 6);
    EXPECT_EQ(cards.Settings().columns[6].width, 7);
    EXPECT_EQ(cards.Settings().columns[30].width, 8);
}

}  // namespace
}  // namespace vek

namespace vek {
namespace {

TEST_F(CardsTemplateTest, XmlElementsSetColumnsContentsAndStatistics)
{
    CardsTemplate cards(base);
    const char* xml = "<columns value2=\"on\" dim2=\"off\" date=\"on\" CardTitle=\"off\" notes=\"maybe\"/>"
                      "<contents groups=\"all\" lines=\"\"/><values decimals=\"0F\"/>"
                      "<unknown><deep/></unknown><columns notes=\"on\"/></template><columns value1=\"off\"/>";
    TextReader reader(xml, int64_t(std::strlen(xml)));
    cards.ReadXml(reader);
    const CardsSettings& settings = cards.Settings();
    EXPECT_TRUE(settings.columns[cards_column::kFirstValue + 1].shown);
    EXPECT_FALSE(settings.columns[cards_column::kDimension2].shown);
    EXPECT_FALSE(settings.columns[cards_column::kDate].shown) << "the date column has no XML name";
    EXPECT_FALSE(settings.columns[cards_column::kTitle].shown);
    EXPECT_TRUE(settings.columns[cards_column::kNotes].shown) << "after the unknown element";
    EXPECT_TRUE(settings.columns[cards_column::kFirstValue].shown) << "nothing after the template's end";
    EXPECT_EQ(settings.groupsContent, CardsContent::All);
    EXPECT_EQ(settings.linesContent, CardsContent::None);
    EXPECT_EQ(settings.ValueDecimals(base, 0), 0);
    EXPECT_EQ(settings.ValueDecimals(base, 1), 7);

    LinesTemplate lines(base);
    const char* linesXml = "<columns accum=\"off\" dim1=\"on\"/><headers median=\"on\" Before=\"on\" max=\"x\"/>"
                           "</template>";
    TextReader linesReader(linesXml, int64_t(std::strlen(linesXml)));
    lines.ReadXml(linesReader);
    EXPECT_FALSE(lines.Settings().columns[lines_column::kAccumulated].shown);
    EXPECT_TRUE(lines.Settings().columns[lines_column::kDimension1].shown);
    EXPECT_EQ(lines.Settings().statistics[LinesStatistic::Median], 1);
    EXPECT_EQ(lines.Settings().statistics[LinesStatistic::Before], 1);
    EXPECT_EQ(lines.Settings().statistics[LinesStatistic::Maximum], 0);
}

}  // namespace
}  // namespace vek
