// BaseInfoTest: the figures of a fixture base (a used component three levels below its dimension
// counts once as used and with each of its hosts once), the base-info HTML against its golden file and
// an HTML checker, a base without cards, and the info window the model opens.
#include "docwindows/info/BaseInfoFigures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/MainApplication.h"
#include "docwindows/info/BaseInfoHtml.h"
#include "docwindows/info/BaseInfoText.h"
#include "docwindows/info/BaseInfoWindow.h"
#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

std::string BaseInfoFixture(const std::string& name)
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/baseinfo/" + name;
}

std::string CheckHtml(const ScratchFolder& folder, const std::string& html)
{
    std::string path = folder.Write("checked.html", html);
    std::FILE* pipe = popen(("xmllint --html --noout '" + path + "' 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return "xmllint could not be run";
    std::string report;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        report.append(buffer, n);
    if (pclose(pipe) != 0 && report.empty())
        report = "xmllint failed";
    return report;
}

class BaseInfoTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    Base* OpenFixture()
    {
        std::string copy = folder.Write("base.vkx", ScratchFolder::ReadFileBytes(BaseInfoFixture("base.vkx")));
        Base* base = OpenBaseFile(FilePath(copy), nullptr, 0);
        EXPECT_NE(base, nullptr);
        return base;
    }

    ScratchFolder folder;
};

TEST_F(BaseInfoTest, FiguresOfAFixtureBase)
{
    Base* base = OpenFixture();
    ASSERT_NE(base, nullptr);
    BaseInfoFigures figures = BaseInfoFigures::Compute(*base);
    EXPECT_EQ(figures.cards, 2);
    EXPECT_EQ(figures.groups, 2);
    EXPECT_EQ(figures.lines, 4);
    EXPECT_EQ(figures.cardsWithText, 1);
    EXPECT_EQ(figures.cardsWithNotes, 1);
    EXPECT_EQ(figures.linesWithText, 1);
    EXPECT_EQ(figures.firstCardKey, "240105-001");
    EXPECT_EQ(figures.lastCardKey, "240106-001");
    // The file's dimensions 2 and 3 are the base's 1 and 2 (counted from 0).
    EXPECT_EQ(figures.highestWithComponents, 2);
    EXPECT_GT(figures.fileSize, 0);
    // Accounts: 10011 (three levels below "1"), 1002 and 2001 are used; with their hosts 1001, 100, 1
    // and 2, each counted once.
    const BaseInfoDimensionFigures& accounts = figures.dimensions[1];
    EXPECT_EQ(accounts.components, 8);
    EXPECT_EQ(accounts.used, 3);
    EXPECT_EQ(accounts.usedWithHosts, 7);
    const BaseInfoDimensionFigures& centres = figures.dimensions[2];
    EXPECT_EQ(centres.components, 2);
    EXPECT_EQ(centres.used, 2);
    EXPECT_EQ(centres.usedWithHosts, 2);
    // The totals are the sums of their parts.
    BaseInfoDimensionFigures sum;
    for (int32_t d = 0; d < kBaseInfoTotal; ++d) {
        sum.components += figures.dimensions[size_t(d)].components;
        sum.used += figures.dimensions[size_t(d)].used;
        sum.usedWithHosts += figures.dimensions[size_t(d)].usedWithHosts;
    }
    EXPECT_EQ(figures.dimensions[kBaseInfoTotal].components, sum.components);
    EXPECT_EQ(figures.dimensions[kBaseInfoTotal].used, sum.used);
    EXPECT_EQ(figures.dimensions[kBaseInfoTotal].usedWithHosts, sum.usedWithHosts);
}

TEST_F(BaseInfoTest, HtmlMatchesItsGoldenFileAndPassesTheHtmlChecker)
{
    Base* base = OpenFixture();
    ASSERT_NE(base, nullptr);
    BaseInfoFigures figures = BaseInfoFigures::Compute(*base);
    // What depends on the machine and the moment: the file's time and the memory estimate.
    figures.fileTime = 13500000000.0;
    figures.memoryUse = 40960;
    TextWriter writer;
    writer.SetLineEndChar('\n');
    WriteBaseInfoHtml(writer, *base, figures);
    std::string html(writer.BufferedBytes());
    const std::string path(base->Path().Text());
    ASSERT_NE(html.find(path), std::string::npos);
    html.replace(html.find(path), path.size(), "@PATH@");
    EXPECT_EQ(html, ScratchFolder::ReadFileBytes(BaseInfoFixture("base-info.html")));
    EXPECT_EQ(CheckHtml(folder, "<html><body>\n" + html + "</body></html>\n"), "");
}

// The Copy command's text: label, tab, value; the dimension lines with used, with hosts, all.
TEST_F(BaseInfoTest, CopyTextListsEveryFigure)
{
    Base* base = OpenFixture();
    ASSERT_NE(base, nullptr);
    BaseInfoFigures figures = BaseInfoFigures::Compute(*base);
    TextWriter writer;
    writer.SetLineEndChar('\n');
    WriteBaseInfoText(writer, *base, figures);
    const std::string text(writer.BufferedBytes());
    EXPECT_EQ(text.rfind(std::string(base->Path().Text()) + "\n\n", 0), 0u) << text;
    for (const char* line : {"\nCards\t2\n", "\nGroups\t2\n", "\nLines\t4\n", "\nCards with notes\t1\n",
                             "\nFirst card\t240105-001\n", "\nLast card\t240106-001\n",
                             "\n\tUsed\tUsed with hosts\tComponents\n", "\nAccounts\t3\t7\t8\n",
                             "\nCost centres\t2\t2\t2\n", "\nTotal\t5\t9\t10\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
}

TEST_F(BaseInfoTest, ABaseWithoutCardsShowsDashes)
{
    Base base(FilePath(), 1);
    base.AddComponent(1, "A", "Alpha", nullptr);
    BaseInfoFigures figures = BaseInfoFigures::Compute(base);
    EXPECT_TRUE(figures.firstCardKey.empty());
    EXPECT_TRUE(figures.lastCardKey.empty());
    EXPECT_EQ(figures.highestWithComponents, 1);
    TextWriter writer;
    writer.SetLineEndChar('\n');
    WriteBaseInfoHtml(writer, base, figures);
    std::string html(writer.BufferedBytes());
    EXPECT_EQ(html.find("cardinfo\">0<"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"cardinfo\">-</td>"), std::string::npos) << html;
    // Dimensions 0 and 1, then the totals: three rows with the "diminfo" counts.
    size_t rows = 0;
    for (size_t at = html.find("<tr>\n<td>"); at != std::string::npos; at = html.find("<tr>\n<td>", at + 1))
        ++rows;
    EXPECT_EQ(rows, 3u + 5u + 3u) << "three file rows, five card rows, dimensions 0 and 1 and the totals";
}

TEST_F(BaseInfoTest, TheModelOpensTheInfoWindowAndForgetsItWhenItCloses)
{
    MainApplication application;
    Base* base = OpenFixture();
    ASSERT_NE(base, nullptr);
    base->OpenInfoWindow(0x01);
    // Hidden windows (flag 1) are not the base's registered info window.
    EXPECT_EQ(base->InfoWindow(), nullptr);
    base->OpenInfoWindow(0);
    auto* window = dynamic_cast<BaseInfoWindow*>(base->InfoWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Figures().cards, 2);
    EXPECT_FALSE(window->IsStale());
    delete window;
    EXPECT_EQ(base->InfoWindow(), nullptr);
}

}  // namespace
}  // namespace vek
