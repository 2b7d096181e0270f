// Tests of the template tree (finding, inserting, removing, walking), the shared definition keys of
// the analysis kinds and duplication through the stored definition.
#include "model/templates/Template.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/templates/AnalysisTemplate.h"
#include "model/templates/KeptKindTemplate.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/named/NamedObjects.h"
#include "model/named/Macro.h"
#include "model/dates/TimeScale.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

std::string Written(const TextWriter& writer)
{
    return std::string(writer.BufferedBytes());
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

// The sibling links of every group: forward chain, parent, and the backward ring (the first's
// previous is the last).
void ExpectLinksConsistent(const Template& group)
{
    const Template* last = nullptr;
    for (const Template* member = group.FirstChild(); member != nullptr; member = member->NextSibling()) {
        EXPECT_EQ(member->Parent(), &group);
        if (last != nullptr) {
            EXPECT_EQ(member->PreviousSibling(), last);
        }
        last = member;
        ExpectLinksConsistent(*member);
    }
    if (group.FirstChild() != nullptr) {
        EXPECT_EQ(group.FirstChild()->PreviousSibling(), last);
    }
}

Template* Insert(Base& base, TemplateKind kind, const char* path)
{
    return base.Templates().Insert(base.NewTemplate(kind), path);
}

// The definition as the template writes it.
std::string Definition(const Template& node)
{
    TextWriter writer;
    node.WriteDefinition(writer);
    return Written(writer);
}

// Reads the key lines (after a header line) into the template.
void ReadKeys(Template& node, const std::string& keys, int32_t fileKind = 5)
{
    std::string text = "#C\tx\r" + keys;
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    TemplateReadContext context;
    context.fileKind = fileKind;
    node.ReadDefinition(reader, context);
}

class TemplateTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    Base base{FilePath(), 1};
};

TEST_F(TemplateTest, FactoryMakesEachKindAndTheDefaults)
{
    struct Case {
        TemplateKind kind;
        bool made;
        char letter;
    } cases[] = {
        {TemplateKind::Group, false, 0},       {TemplateKind::Cards, true, 'C'},
        {TemplateKind::Lines, true, 'L'},      {TemplateKind::Components, true, 'P'},
        {TemplateKind::TimeFunctions, true, 'T'}, {TemplateKind::ComponentFunctions, true, 'R'},
        {TemplateKind::Subset, false, 'S'},    {TemplateKind::Card, true, 'K'},
        {TemplateKind(7), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int32_t(c.kind));
        std::unique_ptr<Template> made = base.NewTemplate(c.kind);
        EXPECT_EQ(made != nullptr, c.made);
        if (made != nullptr) {
            EXPECT_EQ(made->Kind(), c.kind);
            EXPECT_EQ(made->Parent(), nullptr);
        }
        EXPECT_EQ(TemplateHeaderLetter(c.kind), c.letter);
        EXPECT_EQ(base.Templates().GetDefault(c.kind) != nullptr, c.made);
        TemplateKind back = TemplateKind::Group;
        EXPECT_EQ(TemplateKindFromLetter(c.letter, back), c.letter != 0);
    }
    Template* before = base.Templates().GetDefault(TemplateKind::Lines);
    base.Templates().ResetDefault(TemplateKind::Lines);
    EXPECT_NE(base.Templates().GetDefault(TemplateKind::Lines), nullptr);
    EXPECT_NE(base.Templates().GetDefault(TemplateKind::Lines), before);
}

// Each row inserts templates in order and gives the tree that results, in pre-order.
TEST_F(TemplateTest, InsertingBuildsSortedGroups)
{
    struct Case {
        const char* name;
        std::vector<const char*> paths;
        std::vector<std::string> tree;
    } cases[] = {
        {"sorted without case", {"b", "A", "c"}, {"A=1", "b=1", "c=1"}},
        {"groups made along the path", {"R: S: T"}, {"R=0", "R: S=0", "R: S: T=1"}},
        {"blanks and empty parts do not count", {"  R :S:  : T  ", "R: S: U"},
         {"R=0", "R: S=0", "R: S: T=1", "R: S: U=1"}},
        {"equal names go after the others", {"X", "x", "X"}, {"X=1", "x=1", "X=1"}},
        {"a template on the way becomes a group", {"A", "A: B"}, {"A=0", "A: A=1", "A: B=1"}},
        {"the same name gets a number", {"A", "A: A"}, {"A=0", "A: A=1", "A: A 1=1"}},
        {"deeper under a template", {"A", "A: B: C"}, {"A=0", "A: A=1", "A: B=0", "A: B: C=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        base.Templates().RemoveAll();
        for (const char* path : c.paths)
            ASSERT_NE(Insert(base, TemplateKind::Cards, path), nullptr) << path;
        EXPECT_EQ(Tree(base), c.tree);
        ExpectLinksConsistent(base.Templates().Root());
    }
    base.Templates().RemoveAll();
    EXPECT_EQ(Insert(base, TemplateKind::Cards, "  :  "), nullptr);
    EXPECT_EQ(base.Templates().Root().FirstChild(), nullptr);
}

TEST_F(TemplateTest, FindingByPath)
{
    Template* first = Insert(base, TemplateKind::Cards, "Reports: Sales");
    Template* second = Insert(base, TemplateKind::Lines, "Reports: sales");
    Insert(base, TemplateKind::Components, "Reports: Zeta");
    struct Case {
        const char* path;
        Template* node;
        const char* remainder;  // of FindTemplatePath from the root
    } cases[] = {
        {"Reports: Sales", first, ""},
        {"  reports :SALES  ", first, ""},
        {"Reports", first->Parent(), ""},
        {"Reports: Missing: Deep", nullptr, "Missing: Deep"},
        {"Other", nullptr, "Other"},
        {"", nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(base.FindTemplate(c.path), c.node);
        String remainder;
        base.Templates().FindPath(nullptr, c.path, remainder);
        EXPECT_STREQ(remainder.CStr(), c.remainder);
    }
    EXPECT_NE(second, first);
    EXPECT_EQ(first->ComparePath("REPORTS: SALES"), 0);
    EXPECT_LT(first->ComparePath("Reports: T"), 0);
    EXPECT_TRUE(Template::IsWithin(first->Parent(), second));
    EXPECT_TRUE(Template::IsWithin(second, second));
    EXPECT_FALSE(Template::IsWithin(second, first));
    EXPECT_EQ(base.Templates().Count(), 3);
    EXPECT_EQ(base.Templates().EstimateMemory(), 4 * 224);
}

TEST_F(TemplateTest, RemovingPrunesEmptyGroupsButNeverTheRoot)
{
    Template* deep = Insert(base, TemplateKind::Cards, "A: B: C");
    Insert(base, TemplateKind::Cards, "A: D");
    base.Templates().Remove(deep);
    EXPECT_EQ(Tree(base), (std::vector<std::string>{"A=0", "A: D=1"}));
    base.Templates().Remove(base.FindTemplate("A: D"));
    EXPECT_TRUE(Tree(base).empty());
    base.Templates().Remove(&base.Templates().Root());  // nothing
    ExpectLinksConsistent(base.Templates().Root());

    for (const char* path : {"Keep: one", "Drop: one", "Drop: two", "Dropped", "Other: Drop"})
        Insert(base, TemplateKind::Lines, path);
    EXPECT_EQ(base.Templates().RemoveMatching("\\Drop*"), 2);  // the group "Drop" with its members, "Dropped"
    EXPECT_EQ(Tree(base), (std::vector<std::string>{"Keep=0", "Keep: one=2", "Other=0", "Other: Drop=2"}));
    EXPECT_EQ(base.Templates().RemoveMatching(""), 0);

    base.Templates().MarkAll(true);
    Insert(base, TemplateKind::Lines, "Keep: new");
    Insert(base, TemplateKind::Lines, "New: one");
    base.Templates().RemoveUnmarked();
    EXPECT_EQ(Tree(base), (std::vector<std::string>{"Keep=0", "Keep: one=2", "Other=0", "Other: Drop=2"}));
    ExpectLinksConsistent(base.Templates().Root());
}

TEST_F(TemplateTest, ListingWithGroupAndFilter)
{
    for (const char* path : {"Sales: Cards", "Sales: Lines", "Trends: Time"})
        Insert(base, TemplateKind::Cards, path);
    struct Case {
        const char* group;
        const char* pattern;
        const char* rows;
    } cases[] = {
        {nullptr, nullptr, "Cards\tSales: Cards\rCards\tSales: Lines\rCards\tTrends: Time\r"},
        {"Sales", nullptr, "Cards\tSales: Cards\rCards\tSales: Lines\r"},
        {"Missing", nullptr, "Cards\tSales: Cards\rCards\tSales: Lines\rCards\tTrends: Time\r"},
        {nullptr, "\\*time", "Cards\tTrends: Time\r"},
        {nullptr, "s:L", "Cards\tSales: Lines\r"},  // also without the blank
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern != nullptr ? c.pattern : (c.group != nullptr ? c.group : "all"));
        TemplateNameFilter filter;
        filter.SetPattern(c.pattern);
        TextWriter writer;
        base.Templates().List(writer, c.group, filter);
        EXPECT_EQ(Written(writer), c.rows);
    }
}

TEST_F(TemplateTest, DefaultsWriteOnlyTheirHeaderEncodingAndThousandsSeparator)
{
    // A kind that writes no keys of its own at its defaults (the cards kind writes its columns): the
    // placeholder of a kind whose own keys no code reads.
    Template* functions = base.Templates().Insert(
        std::make_unique<KeptKindTemplate>(TemplateKind::ComponentFunctions, base), "Group: Mine");
    EXPECT_EQ(Definition(*functions), "#R\tGroup: Mine\rxeE\tUTF-8\rxem\t#1\r");
    EXPECT_EQ(Definition(*base.Templates().GetDefault(TemplateKind::Card)), "#K\r");
}

// Reading key lines and writing them back: each row gives keys read into a new components template
// (the placeholder of a kind whose own keys are kept as read), what they set, and the definition written from it.
TEST_F(TemplateTest, SharedKeysReadAndWriteBack)
{
    struct Case {
        const char* name;
        const char* keys;
        int32_t fileKind;
        const char* written;  // after the header line
    } cases[] = {
        {"defaults", "", 5, "xeE\tUTF-8\rxem\t#1\r"},
        {"field separator comma and quote never written at their defaults", "xef\t,\rxeq\t#1\rxef\t#9\r", 5,
         "xeE\tUTF-8\rxem\t#1\r"},
        {"char codes", "xed\t##\rxem\t#B\rxef\t#F\rxeq\t#300\rxen\t#70000\r", 5,
         "xeE\tUTF-8\rxed\t##\rxem\t#B\rxef\t#F\rxeq\t#300\rxen\t#4464\r"},
        {"a char code that does not parse is 0", "xem\t#x1\r", 5, "xeE\tUTF-8\rxem\t#0\r"},
        // Regression: a thousands separator of 0 (the system's) was not written and read back as 1.
        {"thousands separator 0 comes back as 0", "xem\t#0\r", 5, "xeE\tUTF-8\rxem\t#0\r"},
        {"page flags and mode", "xpt\rxpp\ta\rxpm\r", 5, "xpt\rxpm\rxpp\ta\rxeE\tUTF-8\rxem\t#1\r"},
        {"xpw clears page flag t; an unknown mode leaves it", "xpw\rxpp\tq\r", 5, "xpt\rxeE\tUTF-8\rxem\t#1\r"},
        {"encoding by prefix, unknown left", "xeE\t mac-roman \r", 5, "xeE\tMacRoman\rxem\t#1\r"},
        {"unknown encoding", "xeE\tKlingon\r", 5, "xeE\tUTF-8\rxem\t#1\r"},
        {"older file kind: xE- and the inverted export flag t", "xE-\r", 7,
         "xE\t37\rxeE\tUTF-8\rxet\rxem\t#1\r"},
        {"window and flags", "xo\rxc\rxz\rxw\rxP\t1\t-2\rxS\t300\t0\rxE\t5\rxT\t6\rxM\t70\r", 5,
         "xo\rxc\rxz\rxw\rxP\t1\t-2\rxS\t300\t0\rxE\t5\rxT\t6\rxM\t70\rxeE\tUTF-8\rxem\t#1\r"},
        {"out-of-range values are ignored", "xP\t70000\t1\r", 5, "xP\t0\t1\rxeE\tUTF-8\rxem\t#1\r"},
        {"export flags", "xek\rxet\rxes\rxee\rxer\rxeh\rxea\rxeu\rxe&\rxel\rxew\rxeW\t9\rxeH\t8\r", 5,
         "xeE\tUTF-8\rxew\rxeW\t9\rxeH\t8\rxet\rxes\rxee\rxer\rxeh\rxea\rxem\t#1\rxek\rxeu\rxe&\rxel\r"},
        {"subset references in their place, unknown x keys dropped", "xq\rsn\tone\rsf\tA\rxLz\t1\rxo\r", 5,
         "xo\rsn\tone\rsf\tA\rxeE\tUTF-8\rxem\t#1\r"},
        {"kind lines after the shared keys, empty lines skipped", "W\t1\r\rxo\r", 5,
         "xo\rxeE\tUTF-8\rxem\t#1\rW\t1\r"},
        {"notes with line breaks and tabs", "xN\tone\x03two\x04three\r", 5,
         "xeE\tUTF-8\rxem\t#1\rxN\tone\x03two\x04three\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Template> made = std::make_unique<KeptKindTemplate>(TemplateKind::ComponentFunctions, base);
        ReadKeys(*made, c.keys, c.fileKind);
        EXPECT_EQ(Definition(*made), std::string("#R\r") + c.written);
    }
    auto* cards = static_cast<AnalysisTemplate*>(base.NewTemplate(TemplateKind::Cards).release());
    std::unique_ptr<Template> owner(cards);
    ReadKeys(*cards, "xef\t,\rxpp\ta\rxE-\r", 7);
    EXPECT_EQ(cards->Export().fieldSeparator, 44);
    EXPECT_EQ(cards->Page().mode, 1);
    EXPECT_EQ(cards->displayE, 37);
    EXPECT_TRUE(cards->Export().windowTitle);
    ReadKeys(*cards, "xE+\r", 6);
    EXPECT_EQ(cards->displayE, 0);
    EXPECT_EQ(cards->GetWidthM(99), 99);
}

TEST_F(TemplateTest, LayoutBlocksRoundTripAsCompressedHex)
{
    std::unique_ptr<Template> made = base.NewTemplate(TemplateKind::Lines);
    auto& lines = static_cast<AnalysisTemplate&>(*made);
    const uint8_t bytes[] = {0, 0, 0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 255, 'a', 'a', 'a', 'a'};
    lines.Page().layoutM.reset(static_cast<uint8_t*>(MemAllocCopy(bytes, int32_t(sizeof bytes))));
    std::string text = Definition(lines);
    EXPECT_NE(text.find("xLm\t*"), std::string::npos);

    std::unique_ptr<Template> copy = base.Templates().Duplicate(lines);
    ASSERT_NE(copy, nullptr);
    auto& copied = static_cast<AnalysisTemplate&>(*copy);
    ASSERT_NE(copied.Page().layoutM, nullptr);
    ASSERT_EQ(MemBlockSize(copied.Page().layoutM.get()), int32_t(sizeof bytes));
    EXPECT_EQ(std::memcmp(copied.Page().layoutM.get(), bytes, sizeof bytes), 0);
    EXPECT_EQ(copied.Page().layoutC, nullptr);

    // The older zero-run form: "c" is three zero bytes. A damaged hex field leaves no block.
    ReadKeys(copied, "xLc\tc0A\rxLw\t*0G\r");
    ASSERT_NE(copied.Page().layoutC, nullptr);
    EXPECT_EQ(MemBlockSize(copied.Page().layoutC.get()), 4);
    EXPECT_EQ(copied.Page().layoutC.get()[3], 0x0A);
    EXPECT_EQ(copied.Page().layoutW, nullptr);
}

TEST_F(TemplateTest, DuplicatingThroughTheDefinition)
{
    Template* source = Insert(base, TemplateKind::Components, "Reports: Source");
    ReadKeys(*source, "xo\rxS\t200\t300\rsG\tLarge\rxeE\tPC-8\rxN\tnote\rBD1\t1910\r");
    std::string keys = Definition(*source).substr(std::string("#P\tReports: Source").size());

    Template* copy = base.Templates().Duplicate(*source, "Reports: Copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Kind(), TemplateKind::Components);
    EXPECT_EQ(Definition(*copy), "#P\tReports: Copy" + keys);
    // A path that names a node already makes nothing.
    EXPECT_EQ(base.Templates().Duplicate(*source, "reports: copy"), nullptr);
    EXPECT_EQ(base.Templates().Duplicate(*source, "Reports"), nullptr);
    EXPECT_EQ(base.Templates().Count(), 2);
    // Outside the tree.
    std::unique_ptr<Template> loose = base.Templates().Duplicate(*source);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->Parent(), nullptr);
    EXPECT_EQ(base.Templates().Duplicate(base.Templates().Root()), nullptr);  // a group has no definition
}

TEST_F(TemplateTest, ApplyKindDefaultsCopiesTheDefaultsSettings)
{
    auto& defaults = static_cast<AnalysisTemplate&>(*base.Templates().GetDefault(TemplateKind::Cards));
    ReadKeys(defaults, "xP\t5\t6\rxS\t100\t200\rxE\t1\rxT\t2\rxM\t300\rxo\rxex\rxpm\r");
    std::unique_ptr<Template> made = base.NewTemplate(TemplateKind::Cards);
    auto& cards = static_cast<AnalysisTemplate&>(*made);
    cards.ApplyKindDefaults();
    EXPECT_EQ(cards.top, 0);
    EXPECT_EQ(cards.bottom, 100);
    EXPECT_EQ(cards.right, 200);
    EXPECT_EQ(cards.widthM, 300);
    EXPECT_EQ(cards.GetWidthM(7), 300);
    EXPECT_FALSE(cards.autoOpen);
    EXPECT_TRUE(cards.flagC);
    EXPECT_EQ(cards.Export().format, 2);
    EXPECT_TRUE(cards.Page().flagM);
}

TEST_F(TemplateTest, ExportOptionsFromXmlAttributes)
{
    struct Case {
        const char* tag;
        int32_t format;
        int32_t decimal;
        int32_t thousands;
        bool headers;
    } cases[] = {
        {"<export-options format=\"HTML\" headers=\"off\">", 1, 0, 7, false},
        {"<export-options FORMAT=\"pdf\" thousep=\"\" decsep=\" \">", 0, 0, 1, true},
        {"<export-options format=\"xml\" thousep=\" \" decsep=\",\" headers=\"maybe\">", 2, 44, 32, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        ExportOptions options;
        options.thousandsSeparator = 7;
        TextReader reader(c.tag, int64_t(std::strlen(c.tag)));
        ASSERT_TRUE(reader.NextMarkupToken());
        options.ReadXmlAttributes(reader, base);
        EXPECT_EQ(options.format, c.format);
        EXPECT_EQ(options.decimalSeparator, c.decimal);
        EXPECT_EQ(options.thousandsSeparator, c.thousands);
        EXPECT_EQ(options.headers, c.headers);
    }
}

TEST_F(TemplateTest, CharCodesAndChartKeys)
{
    struct Case {
        int32_t code;
        const char* written;
        int32_t readBack;
    } cases[] = {
        {35, "##", 35}, {160, "#B", 160}, {2, "#F", 2}, {33, "!", 33}, {127, "\x7f", 127},
        {32, "#32", 32}, {0, "#0", 0},    {128, "#128", 128}, {65535, "#65535", 65535},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        TextWriter writer;
        WriteCharCode(writer, "k", c.code);
        EXPECT_EQ(Written(writer), std::string("k\t") + c.written + "\r");
        std::string line = Written(writer);
        TextReader reader(line.data(), int64_t(line.size()));
        ASSERT_TRUE(reader.ReadLine());
        ASSERT_TRUE(reader.NextField());
        EXPECT_EQ(ReadCharCode(reader), c.readBack);
    }
    ChartOptions chart;
    for (const char* line : {"Gx\tX", "Gy\t+", "Gx\tq"}) {
        std::string text(line);
        TextReader reader(text.data(), int64_t(text.size()));
        ASSERT_TRUE(reader.ReadLine());
        ASSERT_TRUE(reader.NextField());
        chart.ReadKeyLine(std::string_view(reader.Token(), size_t(reader.TokenLength())), reader);
    }
    TextWriter writer;
    chart.Write(writer);
    EXPECT_EQ(Written(writer), "Gx\tX\rGy\t+\r");
    TextWriter view;
    WriteViewLetter(view, 3);
    WriteViewLetter(view, 5);
    EXPECT_EQ(Written(view), "WP\r");
}

TEST_F(TemplateTest, LinkCodesAndOptions)
{
    Template* node = Insert(base, TemplateKind::Cards, "Group: Name");
    String code;
    node->GetLinkCode(code);
    EXPECT_EQ(code.Length(), 4);
    String path;
    node->GetLinkPath(path);
    EXPECT_EQ(path.Length(), 4 + 5 + 5);
    EXPECT_NE(std::string(path.CStr()).find(std::string(":") + code.CStr()), std::string::npos);
    EXPECT_STREQ(node->GetTypeCode(), "cards");
    node->SetOption("notestext", "Hello");
    EXPECT_STREQ(static_cast<AnalysisTemplate*>(node)->NotesText(), "Hello");
    node->SetOption("NotesText", "ignored");
    EXPECT_STREQ(static_cast<AnalysisTemplate*>(node)->NotesText(), "Hello");
}

// A path deeper than groups may nest keeps its rest in the template's name: nothing is lost.
TEST_F(TemplateTest, DeepPathsStopAtTheDepthLimit)
{
    std::string path;
    for (int32_t i = 0; i < 70; ++i)
        path += (i > 0 ? ": g" : "g") + std::to_string(i);
    Template* node = Insert(base, TemplateKind::Cards, path.c_str());
    ASSERT_NE(node, nullptr);
    int32_t depth = 0;
    for (const Template* up = node; up->Parent() != nullptr; up = up->Parent())
        ++depth;
    EXPECT_EQ(depth, 64);
    String name;
    node->GetPathName(name);
    EXPECT_EQ(std::string(name.View()), path);
}

// The menu records what it is given: "[" and the title for a submenu, "]" at its end, the titles of
// template items (a "*" for a checked one).
class RecordingTemplateMenu : public ObjectMenu {
public:
    explicit RecordingTemplateMenu(std::vector<std::string>& log) : log(log) {}
    ObjectMenu* FindSubmenu(std::string_view) override { return nullptr; }
    ObjectMenu* AddSubmenu(std::string_view title) override
    {
        log.push_back("[" + std::string(title));
        submenus.push_back(std::make_unique<RecordingTemplateMenu>(log));
        return submenus.back().get();
    }
    void AddMacroItem(Macro&, MacroItemAction, std::string_view) override {}
    void AddTimeScaleItem(TimeScale&) override {}
    void AddTemplateItem(Template&, std::string_view title, bool checked) override
    {
        log.push_back(std::string(title) + (checked ? "*" : ""));
    }

private:
    std::vector<std::string>& log;
    std::vector<std::unique_ptr<RecordingTemplateMenu>> submenus;
};

TEST_F(TemplateTest, TemplateMenusFollowTheTree)
{
    Insert(base, TemplateKind::Cards, "B: Two");
    Insert(base, TemplateKind::Lines, "A");
    Insert(base, TemplateKind::Lines, "B: One")->SetMenuMark(true);
    std::vector<std::string> log;
    RecordingTemplateMenu menu(log);
    base.Templates().BuildMenus(menu);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "[B", "One*", "Two"}));
}

}  // namespace
}  // namespace vek
