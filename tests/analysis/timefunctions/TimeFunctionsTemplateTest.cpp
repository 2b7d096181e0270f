// The keyed lines of the time-functions template and its rows: defaults, every key and its older
// forms, the bullet-marked files' rows, options, drill-down templates and link renames in labels.
#include "analysis/timefunctions/TimeFunctionsTemplate.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "foundation/messages/PendingError.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/streams/LinkCode.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "analysis/lines/LinesTemplate.h"
#include "model/named/Macro.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

constexpr const char* kTail = "xtna\nxtg+\n\n";
constexpr const char* kPlainRow = "VF\tA\nVZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\n";

// The definition with "\n" line ends, without its header line and the export keys every template writes.
std::string OwnKeys(const Template& node)
{
    TextWriter writer;
    writer.SetLineEndChar('\n');
    node.WriteDefinition(writer);
    std::string text(writer.BufferedBytes());
    std::string out;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.starts_with('#') && !line.starts_with("xe"))
            out += line + "\n";
    }
    return out;
}

void ReadKeys(Template& node, const std::string& keys, int32_t version = 20121122, int32_t fileKind = 5)
{
    std::string text = "#T\tx\r";
    for (char c : keys)
        text += c == '\n' ? '\r' : c;
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    TemplateReadContext context;
    context.fileKind = fileKind;
    context.version = version;
    node.ReadDefinition(reader, context);
}

std::string LinkRangeText(PackedDate date, int32_t number, LinkRangeSide side)
{
    std::array<char, kLinkRangeBufferSize> buffer{};
    EncodeLinkRange(buffer, int32_t(date), number, side);
    return buffer.data();
}

std::string PeriodLink(const char* row, PackedDate from, PackedDate to)
{
    return std::string(row) + ":" + LinkRangeText(from, 1, LinkRangeSide::Start) + "_" +
           LinkRangeText(to, kOpenEndNumber, LinkRangeSide::End);
}

class TimeFunctionsTemplateTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    Base base{FilePath(), 1};
};

TEST_F(TimeFunctionsTemplateTest, KeyLinesReadIntoTheModelAndWriteBack)
{
    struct Case {
        const char* name;
        const char* keys;
        int32_t version;
        std::string expected;
    };
    const std::string row = std::string("VN\tA\n") + kPlainRow;
    const Case cases[] = {
        {"a new template", "", 20121122, kTail},
        {"PL X is ignored", "PL\tX\n", 20121122, kTail},
        {"period kind A writes nothing", "PL\tM\nPL\tA\n", 20121122, kTail},
        {"the legacy P key names a time scale", "P\tX\tFiscal\n", 20121122, std::string("PX\tFiscal\n") + kTail},
        {"the legacy P key takes any kind", "P\tH\n", 20121122, std::string("PL\tH\n") + kTail},
        {"VM c stores S, and S/A is not written", "VN\tA\nVM\tcA\n", 20121122, row + kTail},
        {"VM with a per-period basis", "VN\tA\nVM\tcP\n", 20121122,
         "VN\tA\nVF\tA\nVM\tSP\nVZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\n" + std::string(kTail)},
        {"+0M is no shift", "VN\tA\nVT\t+0M\n", 20121122, row + kTail},
        {"a shift", "VN\tA\nVT\t-2W\n", 20121122,
         "VN\tA\nVF\tA\nVT\t-2W\nVZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\n" + std::string(kTail)},
        {"value fields by digit or letter, above 23 ignored", "VN\tA\nVF\t3\nVF\tZ\n", 20121122,
         "VN\tA\nVF\tC\nVZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\n" + std::string(kTail)},
        {"lines without a current row are ignored", "VF\tB\nVM\tCP\nFF\tx\nFZ\tW40\n", 20121122, kTail},
        {"VN finds the row of its name", "VN\tA\tOne\nVN\tA\tTwo\n", 20121122,
         std::string("VN\tA\tTwo\n") + kPlainRow + kTail},
        {"V- and F- delete the current rows", "VN\tA\nVN\tB\nV-\nVF\tC\nFN\tF\nF-\nFF\tlost\n", 20121122, row + kTail},
        {"the selection's own lines", "VN\tA\nVD1\tS*\nVL\tcash\nVC\t240101\t241231\n", 20121122,
         "VN\tA\nVD1\tS*\nVC\t240101\t241231\nVL\tcash\n" + std::string(kPlainRow) + kTail},
        {"rows of mid-1997 files count per period", "VN\tA\n", 19970501,
         "VN\tA\nVF\tA\nVM\tSP\nVZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\n" + std::string(kTail)},
        {"the legacy display line", "VN\tA\nVZ\t0R3vB\t40\n", 19970416,
         "VN\tA\nVF\tA\nVZ\tD0\tCR\tW40\tw3\tV-\tB+\tR-\tS-\n" + std::string(kTail)},
        {"display items in any order; bad values ignored", "FN\tF\nFZ\tS+\tR+\tW999\tw7\tC?\tDT\tD9\tV-\tB+\tQ1\n",
         20121122, "FN\tF\nFF\nFG\tL\nFZ\tDT\tCU\tw1\tV-\tB+\tR+\tS+\n" + std::string(kTail)},
        {"the largest width", "FN\tF\nFZ\tW998\n", 20121122,
         "FN\tF\nFF\nFG\tL\nFZ\tD0\tCU\tW998\tw1\tV+\tB-\tR-\tS-\n" + std::string(kTail)},
        {"formula rows take the series colours in turn", "FN\tF1\tOne\nFF\tA*2\nFD\tI\nFN\tF2\nFG\t-\n", 20121122,
         "FN\tF1\tOne\nFF\tA*2\nFD\tI\nFG\tL\nFZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\n"
         "FN\tF2\nFF\nFG\t-\nFZ\tD0\tCM\tw1\tV+\tB-\tR-\tS-\n" + std::string(kTail)},
        {"chart style from the display line until mid-1997", "FN\tF\nFG\tL\nFZ\tD0\tLB\n", 19970713,
         "FN\tF\nFF\nFG\tB\nFZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\n" + std::string(kTail)},
        {"WB in older files means bars for every row", "VN\tA\nFN\tF\nWB\n", 19970713,
         "VN\tA\nVF\tA\nVM\tSP\nVZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\nFN\tF\nFF\nFG\tB\nFZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\n"
         "WL\n" + std::string(kTail)},
        // Regression: chart code B is written as "WB", which the older reading turned into chart code L
        // and changed every row, and codes P and R were not read at all; a saved template came back
        // different.
        {"chart codes read back as written", "VN\tA\nFN\tF\nWB\n", 20121122,
         row + "FN\tF\nFF\nFG\tL\nFZ\tD0\tCU\tw1\tV+\tB-\tR-\tS-\nWB\n" + kTail},
        {"chart code R", "WR\n", 20121122, std::string("WR\n") + kTail},
        {"axis, width, layout, scale numbers, sort", "K\tMonth-2\tMonth\nPW\t30\nL\tS\nSM\t12.5\nSN\t-3\nSV\tER\tGrowth\n",
         20121122, "K\tMonth-2\tMonth\nPW\t30\nL\tS\nSM\t12.5\nSN\t-3\nSV\tER\tGrowth\n" + std::string(kTail)},
        {"defaults are not written", "PW\t23\nL\tT\nSV\tDN\t\n", 20121122, kTail},
        {"flags and choices", "ZB\nZT\nZN\nZE\nZC\tnote\nxtnh\nxtgh\n", 20121122, "ZE\nZC\tnote\nZB\nZT\nZN\nxtnh\nxtgh\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimeFunctionsTemplate trend(base);
        ReadKeys(trend, c.keys, c.version);
        EXPECT_EQ(OwnKeys(trend), c.expected);
        // What is written reads back to itself, and Reset restores the defaults.
        TimeFunctionsTemplate again(base);
        ReadKeys(again, OwnKeys(trend));
        EXPECT_EQ(OwnKeys(again), c.expected);
        ReadKeys(again, "");
        EXPECT_EQ(OwnKeys(again), kTail);
    }
}

// Regressions (found by fuzzing): a row name holding a NUL byte was looked up whole but stored cut at
// the NUL, so a second line of the same name made a second row, and the two merged when read back;
// a sort row name that its field cannot hold wrote an "SV" line that did not read back.
TEST_F(TimeFunctionsTemplateTest, RowNamesAreLookedUpAsStored)
{
    TimeFunctionsTemplate trend(base);
    // The byte 0xB6 makes the reader take the lines in the system code page, which keeps NUL bytes.
    const char keys[] = "VN\tA\xB6\0x\nVN\tA\xB6\0x\nFN\tF\xB6\0y\nFN\tF\xB6\0y\n";
    ReadKeys(trend, std::string(keys, sizeof(keys) - 1));
    EXPECT_EQ(trend.SelectionRows().size(), 1u);
    EXPECT_EQ(trend.FormulaRows().size(), 1u);
    // A sort row name of NUL bytes is written as an empty field, which reads back as no sort row: no
    // "SV" line is written for it.
    TimeFunctionsTemplate sorted(base);
    const char sortKeys[] = "SV\tE\xB6\t\0\0\n";
    ReadKeys(sorted, std::string(sortKeys, sizeof(sortKeys) - 1));
    EXPECT_EQ(OwnKeys(sorted), kTail);
}

// The bullet-marked files keep rows under letters and numbers; finishing the definition places the
// widths, names the formula rows and merges a formula that only shows a hidden selection row.
TEST_F(TimeFunctionsTemplateTest, BulletFileRowsBecomeTodaysRows)
{
    TimeFunctionsTemplate trend(base);
    ReadKeys(trend,
             "K\t240101\t241231\nAB\nA2\t3010\nAD\n1T\tGrowth\n1F\tA-C\n1X\t2M3\n2F\tB\n3T\t\n"
             "xW\t30\t40\t50\t60\n",
             19960101, 6);
    // Row A's expression of dimension 2 is kept although the base has no component there yet.
    EXPECT_EQ(OwnKeys(trend),
              "VN\tA\nVD2\t3010\nVC\t240101\nVF\tA\nVM\tSP\nVZ\tD0\tCU\tw1\tV-\tB-\tR-\tS-\n"
              "FN\tF1\tGrowth\nFF\tA-C\nFG\tL\nFZ\tD2\tCM\tW40\tw3\tV+\tB-\tR-\tS-\n"
              "VN\tB\nVF\tA\nVZ\tD0\tCM\tW50\tw1\tV+\tB-\tR-\tS-\n"
              "VN\tC\nVF\tA\nVZ\tD0\tCU\tw1\tV-\tB-\tR-\tS-\n"
              "K\t240101\t241231\nPW\t30\nZE\nxtna\nxtg+\n\n");
    ASSERT_EQ(trend.SelectionRows().size(), 3u);
    EXPECT_TRUE(trend.SelectionRows()[0]->StartsAtAxisStart());
    EXPECT_STREQ(trend.SelectionRows()[0]->Selection().DimensionText(1), "3010");
    EXPECT_EQ(trend.FormulaRowCount(), 1);
    // The first chart flag is inverted in every bullet-file definition, also one without key lines.
    TimeFunctionsTemplate bare(base);
    ReadKeys(bare, "", 19960101, 6);
    EXPECT_EQ(OwnKeys(bare), std::string("ZE\n") + kTail);
}

TEST_F(TimeFunctionsTemplateTest, RefersToWholeNamesOnly)
{
    struct Case {
        const char* formula;
        const char* name;
        bool refers;
    };
    const Case cases[] = {
        {"Sales - Cost", "Sales", true}, {"Sales - Cost", "Cost", true}, {"Salesman", "Sales", false},
        {"xSales", "Sales", false},      {"Sales2 * 3", "Sales", true},  {"Salesx + Sales", "Sales", false},
        {"", "A", false},                {"A", "", false},
    };
    TimeFunctionsTemplate trend(base);
    TimeFunctionFormulaDefinition& row = trend.AppendFormulaRow("F");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.formula) + " / " + c.name);
        row.SetFormulaText(c.formula);
        EXPECT_EQ(row.RefersTo(c.name), c.refers);
    }
}

TEST_F(TimeFunctionsTemplateTest, OptionsSortNarrowTheAxisAndReachTheSelections)
{
    TimeFunctionsTemplate trend(base);
    trend.AppendSelectionRow("Sales");
    trend.AppendSelectionRow("Cost");
    trend.AppendFormulaRow("Growth");
    trend.AxisFrom().SetValue({MakePackedDate(2024, 3, 1), 1});
    trend.AxisTo().SetValue({MakePackedDate(2024, 11, 30), kOpenEndNumber});

    String code;
    code.AssignCStr("Growth");
    MakeLinkCode(code);
    trend.SetOption("sort", (std::string(code.View()) + ":E").c_str());
    EXPECT_STREQ(trend.SortRowName(), "Growth");
    EXPECT_EQ(trend.sortCode, 1);
    trend.SetOption("sort", "nomatch:F");
    EXPECT_EQ(trend.sortCode, 1);
    trend.SetOption("sort", "-:R");
    EXPECT_EQ(trend.SortRowName(), nullptr);
    EXPECT_EQ(trend.sortQualifier, 1);

    struct Case {
        const char* option;
        const char* value;
        PackedDate from;
        PackedDate to;
    };
    const Case cases[] = {
        {"axisfrom", "240101", MakePackedDate(2024, 3, 1), MakePackedDate(2024, 11, 30)},
        {"axisfrom", "240401", MakePackedDate(2024, 4, 1), MakePackedDate(2024, 11, 30)},
        {"axisto", "241231", MakePackedDate(2024, 4, 1), MakePackedDate(2024, 11, 30)},
        {"axisto", "20241031", MakePackedDate(2024, 4, 1), MakePackedDate(2024, 10, 31)},
        {"axisto", "not a date", MakePackedDate(2024, 4, 1), MakePackedDate(2024, 10, 31)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + c.value);
        trend.SetOption(c.option, c.value);
        EXPECT_EQ(trend.AxisFrom().Value().date, c.from);
        EXPECT_EQ(trend.AxisTo().Value().date, c.to);
    }

    trend.SetOption("linetext", "cash*");
    for (const TimeFunctionSelectionDefinition* row : trend.SelectionRows())
        EXPECT_STREQ(row->Selection().LineText(), "cash*");
    trend.SetOption("notestext", "Note");
    EXPECT_STREQ(trend.NotesText(), "Note");
}

class TimeFunctionsDrillDownTest : public TimeFunctionsTemplateTest {
protected:
    void SetUp() override
    {
        TimeFunctionsTemplateTest::SetUp();
        trend.AxisFrom().SetValue({MakePackedDate(2024, 1, 1), 1});
        trend.AxisTo().SetValue({MakePackedDate(2024, 12, 31), kOpenEndNumber});
        trend.SetPeriodKind(TimeFunctionPeriodKind::Months);
        TimeFunctionSelectionDefinition& sales = trend.AppendSelectionRow("Sales");
        sales.SetLabel("Sales of the month");
        sales.SetBasis(PeriodBasis::PerPeriod);
        sales.SetShift(PeriodShift::Parse("Y+"));
        sales.SetValueField(1);
        sales.SetValueMode(8);
        sales.Display().flagS = true;
        sales.Selection().SetLineText("sale*");
        trend.AppendSelectionRow("Cost").SetLabel("Cost");
        trend.AppendSelectionRow("Unused");
        TimeFunctionFormulaDefinition& margin = trend.AppendFormulaRow("Margin");
        margin.SetFormulaText("Sales - Cost");
        margin.SetLabel("Margin");
        margin.SetChartStyle(RowChartStyle::Bar);
        TimeFunctionFormulaDefinition& doubled = trend.AppendFormulaRow("Doubled");
        doubled.SetFormulaText("Margin * 2");
        doubled.SetLabel("Twice the margin");
    }

    TimeFunctionsTemplate trend{base};
};

TEST_F(TimeFunctionsDrillDownTest, ASelectionRowOpensItsLinesOverTheShiftedPeriod)
{
    std::unique_ptr<AnalysisTemplate> derived =
        trend.DeriveTemplate(PeriodLink("Sales", MakePackedDate(2024, 3, 1), MakePackedDate(2024, 3, 31)));
    auto* lines = dynamic_cast<LinesTemplate*>(derived.get());
    ASSERT_NE(lines, nullptr);
    EXPECT_STREQ(lines->Selection().LineText(), "sale*");
    EXPECT_EQ(lines->Selection().From().Value().date, MakePackedDate(2023, 3, 1));
    EXPECT_EQ(lines->Selection().From().Value().number, 1);
    EXPECT_EQ(lines->Selection().To().Value().date, MakePackedDate(2023, 3, 31));
    EXPECT_EQ(lines->Selection().To().Value().number, kOpenEndNumber);
    EXPECT_EQ(lines->Settings().mainValueField, 1);
    EXPECT_EQ(lines->Settings().statistics[LinesStatistic::Median], 1);  // mode 8, the median
}

TEST_F(TimeFunctionsDrillDownTest, AFormulaRowOpensTheRowsItDependsOn)
{
    std::unique_ptr<AnalysisTemplate> derived =
        trend.DeriveTemplate(PeriodLink("Doubled", MakePackedDate(2024, 3, 1), MakePackedDate(2024, 3, 31)));
    auto* made = dynamic_cast<TimeFunctionsTemplate*>(derived.get());
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->NotesText(), "Twice the margin = Margin * 2");
    EXPECT_FALSE(made->flagB);
    EXPECT_EQ(made->PeriodKind(), TimeFunctionPeriodKind::Months);
    EXPECT_EQ(made->AxisFrom().Value().date, MakePackedDate(2024, 3, 1));
    EXPECT_EQ(made->AxisTo().Value().date, MakePackedDate(2024, 3, 31));

    struct Expected {
        const char* name;
        bool visible;
        const char* label;
    };
    const Expected rows[] = {
        {"Sales", false, ""}, {"Cost", false, ""}, {"Margin", true, ""}, {"Doubled", true, "Twice the margin"}};
    ASSERT_EQ(made->Rows().size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        const TimeFunctionRowDefinition& row = *made->Rows()[i];
        EXPECT_STREQ(row.NameCStr(), rows[i].name);
        EXPECT_EQ(row.Display().visible, rows[i].visible);
        EXPECT_STREQ(row.LabelCStr(), rows[i].label);
    }
    EXPECT_EQ(made->FindFormulaRow("Margin")->ChartStyle(), RowChartStyle::Line);
    // The per-period row runs on from the range start, moved back by its shift.
    const TimeFunctionSelectionDefinition& sales = *made->FindSelectionRow("Sales");
    EXPECT_EQ(sales.Basis(), PeriodBasis::Accumulated);
    EXPECT_FALSE(sales.Display().flagS);
    EXPECT_EQ(sales.Selection().From().Value().date, MakePackedDate(2023, 3, 1));
    // The source template is untouched.
    EXPECT_EQ(trend.FindSelectionRow("Sales")->Basis(), PeriodBasis::PerPeriod);
    EXPECT_STREQ(trend.FindFormulaRow("Margin")->LabelCStr(), "Margin");
}

TEST_F(TimeFunctionsDrillDownTest, TheWholeAxisTakesOnePeriodPerCardAndBadLinksNothing)
{
    std::unique_ptr<AnalysisTemplate> derived =
        trend.DeriveTemplate(PeriodLink("Margin", MakePackedDate(2023, 12, 1), MakePackedDate(2025, 1, 31)));
    auto* made = dynamic_cast<TimeFunctionsTemplate*>(derived.get());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->PeriodKind(), TimeFunctionPeriodKind::Cards);
    EXPECT_EQ(made->Rows().size(), 3u);

    const std::string start = LinkRangeText(MakePackedDate(2024, 3, 1), 1, LinkRangeSide::Start);
    const std::string links[] = {"Nobody:" + start, "Margin", "Margin:", "Margin:" + start + "_",
                                 PeriodLink("Margin", MakePackedDate(2024, 3, 31), MakePackedDate(2024, 3, 1)),
                                 "Margin:000"};
    for (const std::string& link : links) {
        SCOPED_TRACE(link);
        EXPECT_EQ(trend.DeriveTemplate(link), nullptr);
    }
}

TEST_F(TimeFunctionsTemplateTest, LinkRenamesReachRowLabels)
{
    Template* node = base.Templates().Insert(base.NewTemplate(TemplateKind::TimeFunctions), "Trend");
    auto* trend = dynamic_cast<TimeFunctionsTemplate*>(node);
    ASSERT_NE(trend, nullptr);
    trend->AppendSelectionRow("A").SetLabel("run macro=\"Run\"");
    trend->AppendFormulaRow("F").SetLabel("macro=\"Run\" first");
    Macro* macro = base.Macros().Create("Run");
    ASSERT_NE(macro, nullptr);
    macro->Rename("Go");
    EXPECT_STREQ(trend->Rows()[0]->LabelCStr(), "run macro=\"Go\"");
    EXPECT_STREQ(trend->Rows()[1]->LabelCStr(), "macro=\"Go\" first");
}

}  // namespace
}  // namespace vek
