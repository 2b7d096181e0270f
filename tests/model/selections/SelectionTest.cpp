// Tests of Selection and SelectionTexts: each kind of condition picks the right lines (and nothing
// restricts a new selection), the keyed lines and the "<selection>" element read back to the same
// texts, options narrow what they should, and the window checks raise their messages.
#include "model/selections/Selection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/dimensions/Dimension.h"
#include "model/selections/SelectionTexts.h"

namespace vek {
namespace {

// Two value fields. Dimension 1: A (A1), B. Dimension 2: X, Y. Lines are named by a letter (their
// text), in this order:
//   card 2024-01-10 "Rent January"  notes "paid"   group 0: a (A1, X, 100, 1)  b (B, -, -100, 2)
//   card 2024-02-10 "Rent February"                group 0: c (A, Y, 250, 3)   d (-, -, 0, 4)
//   card 2024-03-15 "Office"        notes "late"   group 0: e (B, X, 50, 5)
class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(), 1);
        base->SetUnattended(true);
        base->SetValueCount(2);
        for (const char* code : {"A", "B"})
            ASSERT_NE(base->AddComponent(1, code, nullptr, nullptr), nullptr);
        ASSERT_NE(base->AddComponent(1, "A1", nullptr, nullptr), nullptr);
        for (const char* code : {"X", "Y"})
            ASSERT_NE(base->AddComponent(2, code, nullptr, nullptr), nullptr);
        base->UpdateDimensionsInUse();
        base->SetupDimensionOrder();
        AddCard(MakePackedDate(2024, 1, 10), "Rent January", "paid",
                {{"a", "A1", "X", 100, 1}, {"b", "B", nullptr, -100, 2}});
        AddCard(MakePackedDate(2024, 2, 10), "Rent February", nullptr, {{"c", "A", "Y", 250, 3}, {"d", nullptr, nullptr, 0, 4}});
        AddCard(MakePackedDate(2024, 3, 15), "Office", "late", {{"e", "B", "X", 50, 5}});
    }
    void TearDown() override
    {
        base.reset();
        ClearError();
    }

    struct Row {
        const char* text;
        const char* d1;
        const char* d2;
        double first;
        double second;
    };
    void AddCard(PackedDate date, const char* title, const char* notes, std::initializer_list<Row> rows)
    {
        CardKey key{date, 0};
        Card* card = base->CreateCard(key);
        ASSERT_NE(card, nullptr);
        SetHeapText(card->title, title);
        SetHeapText(card->notes, notes);
        CardGroup* group = base->FindOrAddGroup(card, 0);
        ASSERT_NE(group, nullptr);
        for (const Row& row : rows) {
            CardLine* line = base->CreateLine(group);
            ASSERT_NE(line, nullptr);
            line->SetText(row.text);
            if (row.d1 != nullptr)
                base->SetLineComponent(line, 0, Number(1, row.d1));
            if (row.d2 != nullptr)
                base->SetLineComponent(line, 1, Number(2, row.d2));
            base->SetLineValue(line, 0, row.first);
            base->SetLineValue(line, 1, row.second);
        }
    }
    uint32_t Number(int32_t d, const char* code) { return base->LookupComponent(d, code, int32_t(std::strlen(code))); }

    // The texts of the lines the selection marks, in card order.
    std::string Marked(const Selection& selection)
    {
        BitSet lines(base->CardRecords().linePool.ElementCount());
        lines.SetAll(0);
        EXPECT_TRUE(selection.MarkMatchingLines(lines));
        std::string out;
        for (Card* card = base->FirstCard(); card != base->ChainEnd(); card = base->NextCard(card))
            for (CardGroup* group = base->FirstGroup(card); group != nullptr; group = base->NextGroup(group))
                for (CardLine* line = base->FirstLine(group); line != nullptr; line = base->NextLine(line))
                    if (lines.GetBit(int32_t(line->index)))
                        out += line->Text();
        return out;
    }

    std::unique_ptr<Base> base;
};

// Each condition kind on its own, set through the name/value options: the lines it leaves, and
// whether the selection counts as restricted.
TEST_F(SelectionTest, EachConditionKindPicksItsLines)
{
    struct Case {
        const char* name;
        const char* value;
        const char* lines;
    };
    const Case cases[] = {
        {nullptr, nullptr, "abcde"},         // a new selection admits every line
        {"cardfrom", "240201", "cde"},       // the range starts on a later date
        {"cardto", "240210", "abcd"},        // ... or ends on an earlier one
        {"dim2", "A", "ac"},                 // dimension 1: A with its subtree
        {"dim3", "Y", "c"},                  // dimension 2
        {"dim2", "\\", "d"},                 // "\" alone: lines without a component of the dimension
        {"cardtitle", "rent", "abcd"},       // a word of the card title, without case
        {"notes", "late", "e"},              // notes
        {"linetext", "\\c", "c"},            // the whole line text
        {"value", ">0", "ace"},              // the first value field
        {"value2", "2…4", "bcd"},            // the second
        {"value3", ">0", "abcde"},           // a field the base does not have is never tested
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? std::string(c.name) + "=" + c.value : "empty");
        SelectionTexts texts(*base);
        if (c.name != nullptr)
            texts.SetOption(c.name, c.value);
        Selection selection(*base, nullptr);
        selection.ApplyTexts(texts);
        ASSERT_TRUE(selection.Prepare(SelectionCheck::None));
        EXPECT_EQ(Marked(selection), c.lines);
        EXPECT_EQ(selection.IsRestricted(), std::string(c.lines) != "abcde");
        EXPECT_EQ(texts.IsRestricted(), selection.IsRestricted());
    }
}

TEST_F(SelectionTest, ConditionsCombineAndACardThatFailsKeepsAllItsLinesOut)
{
    SelectionTexts texts(*base);
    texts.SetOption("cardtitle", "January");
    texts.SetOption("value", "<0");
    Selection selection(*base, nullptr);
    selection.ApplyTexts(texts);
    EXPECT_EQ(Marked(selection), "b");
    // Line "e" passes the value test, but its card's title does not.
    texts.SetOption("value", ">0");
    texts.SetOption("cardtitle", "Rent");
    selection.ApplyTexts(texts);
    EXPECT_EQ(Marked(selection), "ac");

    // Every kind at once, each needed: only line "a" passes them all.
    SelectionTexts full(*base);
    for (auto [name, value] : {std::pair{"cardfrom", "240101"}, {"cardto", "240131"}, {"dim2", "A"}, {"dim3", "X"},
                               {"cardtitle", "Rent"}, {"notes", "paid"}, {"linetext", "\\a"}, {"value", ">0"},
                               {"value2", "1"}})
        EXPECT_TRUE(full.SetOption(name, value)) << name;
    selection.ApplyTexts(full);
    EXPECT_EQ(Marked(selection), "a");
}

// The subset condition names subsets of the base's global list; a line must be in its result.
TEST_F(SelectionTest, SubsetConditionRestrictsLines)
{
    struct FixedSubset : SubsetOperand {
        std::string_view OperandName() const override { return "Kept"; }
        bool MarkOperandLines(BitSet& set) override
        {
            for (uint32_t index : lines)
                set.SetBit(int32_t(index), true);
            return true;
        }
        SubsetFormula* OperandFormula() override { return nullptr; }
        const Subset* OperandSubset() const override { return nullptr; }
        std::vector<uint32_t> lines;
    };
    struct OneList : SubsetOperandList {
        int32_t OperandCount() const override { return 1; }
        SubsetOperand* OperandAt(int32_t) const override { return subset; }
        SubsetOperand* subset = nullptr;
    };
    FixedSubset kept;
    OneList list;
    list.subset = &kept;
    // Lines "b" and "e".
    for (Card* card = base->FirstCard(); card != base->ChainEnd(); card = base->NextCard(card))
        for (CardLine* line = base->FirstLine(base->FirstGroup(card)); line != nullptr; line = base->NextLine(line))
            if (*line->Text() == 'b' || *line->Text() == 'e')
                kept.lines.push_back(line->index);
    base->SetGlobalSubsetOperands(&list);
    SelectionTexts texts(*base);
    texts.SetSubsetText("kept | Kept");
    Selection selection(*base, nullptr);
    selection.ApplyTexts(texts);
    EXPECT_STREQ(selection.SubsetText(), "Kept | Kept");
    ASSERT_TRUE(selection.Prepare(SelectionCheck::None));
    EXPECT_EQ(Marked(selection), "be");
    texts.SetOption("value", ">0");
    selection.ApplyTexts(texts);
    ASSERT_TRUE(selection.Prepare(SelectionCheck::None));
    EXPECT_EQ(Marked(selection), "e");
    base->SetGlobalSubsetOperands(nullptr);
}

// The keyed lines under a prefix, and the older key form, read back to equal texts.
TEST_F(SelectionTest, KeyedLinesReadBack)
{
    SelectionTexts texts(*base);
    texts.SetOption("dim2", "A|B");
    texts.SetOption("dim3", "Y");
    ASSERT_TRUE(texts.From().ParseCString("Month-1"));
    texts.SetOption("cardtitle", "Rent");
    texts.SetOption("linetext", "\\c*");
    texts.SetOption("notes", "paid");
    texts.SetOption("value2", ">=3");
    texts.SetSubsetText("G1");
    TextWriter writer;
    texts.Write(writer, 'x');
    std::string written(writer.BufferedBytes());
    // A condition of a value field the base does not have is never written.
    SelectionTexts beyond(*base);
    beyond.Assign(texts);
    beyond.SetValueText(5, ">1");
    TextWriter beyondWriter;
    beyond.Write(beyondWriter, 'x');
    EXPECT_EQ(std::string(beyondWriter.BufferedBytes()), written);
    EXPECT_NE(written.find("xD2\tA|B"), std::string::npos) << written;
    EXPECT_NE(written.find("xVB\t>=3"), std::string::npos) << written;

    SelectionTexts back(*base);
    TextReader reader(written.data(), int64_t(written.size()));
    int32_t lines = 0;
    while (reader.ReadLine()) {
        ASSERT_TRUE(reader.NextField());
        std::string key(reader.Token(), size_t(reader.TokenLength()));
        ASSERT_EQ(key[0], 'x');
        EXPECT_TRUE(back.ReadKeyLine(std::string_view(key).substr(1), reader)) << key;
        ++lines;
    }
    EXPECT_EQ(lines, 8);
    EXPECT_TRUE(back.Equals(texts));

    // The older form: no prefix, "K" dates, "1".."6" dimensions 0..5, "V" the first value field.
    SelectionTexts old(*base);
    const char* oldLines = "K\t240101\t240131\r2\tB\rV\t>5\rQ\tignored\r";
    TextReader oldReader(oldLines, int64_t(std::strlen(oldLines)));
    int32_t taken = 0;
    while (oldReader.ReadLine() && oldReader.NextField()) {
        std::string key(oldReader.Token(), size_t(oldReader.TokenLength()));
        taken += old.ReadKeyLine(key, oldReader, SelectionKeyForm::Old) ? 1 : 0;
    }
    EXPECT_EQ(taken, 3);
    EXPECT_STREQ(old.DimensionText(1), "B");
    EXPECT_STREQ(old.ValueText(0), ">5");
    EXPECT_EQ(old.To().Value().date, MakePackedDate(2024, 1, 31));
}

TEST_F(SelectionTest, XmlFormReadsBack)
{
    SelectionTexts texts(*base);
    texts.SetOption("dim2", "A");
    texts.SetOption("cardtitle", "R&D <x>");
    texts.SetOption("value2", "<0");
    ASSERT_TRUE(texts.To().ParseCString("240229"));
    texts.SetSubsetText("G1 & G2");
    TextWriter writer;
    texts.WriteXml(writer);
    std::string written(writer.BufferedBytes());
    EXPECT_NE(written.find("<cardtitle>R&amp;D &lt;x&gt;</cardtitle>"), std::string::npos) << written;
    EXPECT_NE(written.find("<value2>&lt;0</value2>"), std::string::npos) << written;

    // An unknown element in between is skipped with its contents.
    size_t at = written.find("<subset>");
    ASSERT_NE(at, std::string::npos);
    written.insert(at, "<colour><subset>no</subset></colour>\r");
    TextReader reader(written.data(), int64_t(written.size()));
    ASSERT_TRUE(reader.NextMarkupToken());
    ASSERT_TRUE(reader.IsTag("selection"));
    SelectionTexts back(*base);
    back.SetOption("notes", "cleared first");
    back.ReadXml(reader);
    // Regression: the default name written with "num" ("Dimension 1") must not turn the
    // dimension into the one its digit names.
    EXPECT_TRUE(back.Equals(texts)) << written;

    // Dimensions and value fields may be named instead of numbered.
    const char* named = "<selection><dim name=\"2\">Y</dim><value name=\"2\">1</value></selection>";
    TextReader namedReader(named, int64_t(std::strlen(named)));
    ASSERT_TRUE(namedReader.NextMarkupToken());
    back.ReadXml(namedReader);
    EXPECT_STREQ(back.DimensionText(1), "Y");
    EXPECT_STREQ(back.ValueText(1), "1");
}

TEST_F(SelectionTest, CaptureKeepsCanonicalTexts)
{
    SelectionTexts texts(*base);
    texts.SetOption("value", "1..5");
    texts.SetOption("dim2", "A ++ B");
    Selection selection(*base, nullptr);
    selection.ApplyTexts(texts);
    SelectionTexts captured(*base);
    captured.Capture(selection);
    EXPECT_STREQ(captured.ValueText(0), "1\xE2\x80\xA6" "5");
    EXPECT_STREQ(captured.DimensionText(1), "A|B");
    // Capturing again gives the same texts: the canonical form is a fixed point.
    Selection again(*base, nullptr);
    again.ApplyTexts(captured);
    SelectionTexts second(*base);
    second.Capture(again);
    EXPECT_TRUE(second.Equals(captured));
}

TEST_F(SelectionTest, OptionsNarrowTheRangeOnly)
{
    SelectionTexts texts(*base);
    EXPECT_TRUE(texts.SetOption("cardfrom", "240201"));
    EXPECT_TRUE(texts.SetOption("cardfrom", "240101"));  // earlier: ignored
    EXPECT_EQ(texts.From().Value().date, MakePackedDate(2024, 2, 1));
    EXPECT_TRUE(texts.SetOption("cardto", "240301"));
    EXPECT_TRUE(texts.SetOption("cardto", "240401"));  // later: ignored
    EXPECT_EQ(texts.To().Value().date, MakePackedDate(2024, 3, 1));
    EXPECT_FALSE(texts.SetOption("dim33", "A"));
    EXPECT_FALSE(texts.SetOption("value3", "1"));  // the base has two value fields
    EXPECT_FALSE(texts.SetOption("colour", "red"));
}

TEST_F(SelectionTest, SummaryListsSetPartsInOrder)
{
    SelectionTexts texts(*base);
    texts.SetOption("value2", "<0");
    texts.SetOption("notes", "a<b");
    texts.SetOption("dim2", "A");
    ASSERT_TRUE(texts.From().ParseCString("240101"));
    Selection selection(*base, nullptr);
    selection.ApplyTexts(texts);
    std::vector<SelectionSummaryItem> items;
    selection.CollectSummary(items);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].fieldCode, text::kFromDate);
    EXPECT_EQ(items[1].fieldCode, 2);
    EXPECT_EQ(items[1].value, "A");
    EXPECT_EQ(items[2].fieldCode, text::kNotesCaption);
    EXPECT_EQ(items[3].fieldCode, 68);
    TextWriter writer;
    selection.WriteHtml(writer);
    std::string html(writer.BufferedBytes());
    EXPECT_EQ(html.rfind("<tr><td class=\"definition\">", 0), 0u) << html;
    EXPECT_NE(html.find("a&lt;b"), std::string::npos) << html;
    EXPECT_NE(html.find("</table>"), std::string::npos);
}

TEST_F(SelectionTest, WindowChecksRaiseTheirMessages)
{
    SelectionTexts texts(*base);
    ASSERT_TRUE(texts.From().ParseCString("240301"));
    ASSERT_TRUE(texts.To().ParseCString("240201"));
    Selection selection(*base, nullptr);
    selection.ApplyTexts(texts);
    EXPECT_TRUE(selection.Prepare(SelectionCheck::None));
    EXPECT_FALSE(selection.Prepare(SelectionCheck::Window));
    EXPECT_FALSE(IsErrorPending());
    EXPECT_FALSE(selection.Prepare(SelectionCheck::Interactive));
    EXPECT_EQ(GetPendingError().message.code, message::kEmptyDateRange);
    ClearError();

    // A dimension with option "-X" must have an expression.
    base->GetDimension(2).SetOptionX(true);
    selection.Clear();
    EXPECT_FALSE(selection.Prepare(SelectionCheck::Interactive));
    EXPECT_EQ(GetPendingError().message.code, message::kDimensionRequired);
    ClearError();
    texts.Clear();
    texts.SetOption("dim3", "X");
    selection.ApplyTexts(texts);
    EXPECT_TRUE(selection.Prepare(SelectionCheck::Interactive));
}

// A dimension condition is kept through compiling, capturing, writing and reading back. Regression
// rows: one that names no component was reported, then admitted every line and was lost from the
// written lines; one on a dimension outside the base's dimension order (no components) was not written.
TEST_F(SelectionTest, DimensionConditionsAreKeptAndARefusedOneAdmitsNothing)
{
    struct Case {
        const char* option;
        const char* value;
        int32_t message;
        const char* marked;
        const char* written;
    } cases[] = {
        {"dim2", "A1", 0, "a", "xD2\tA1\r"},
        {"dim2", "9999", message::kUnknownComponent, "", "xD2\t9999\r"},
        {"dim3", "X|9999", message::kUnknownComponent, "", "xD3\tX|9999\r"},
        {"dim6", "\\", 0, "abcde", "xD6\t\\\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + c.value);
        SelectionTexts texts(*base);
        ASSERT_TRUE(texts.SetOption(c.option, c.value));
        MessageCatcher catcher;
        Selection selection(*base, nullptr);
        selection.ApplyTexts(texts);
        EXPECT_EQ(catcher.Code(), c.message);
        EXPECT_EQ(Marked(selection), c.marked);
        EXPECT_TRUE(selection.IsRestricted());
        SelectionTexts captured(*base);
        captured.Capture(selection);
        TextWriter writer;
        captured.Write(writer, 'x');
        std::string written(writer.BufferedBytes());
        EXPECT_EQ(written, c.written);
        SelectionTexts back(*base);
        TextReader reader(written.data(), int64_t(written.size()));
        ASSERT_TRUE(reader.ReadLine());
        ASSERT_TRUE(reader.NextField());
        std::string key(reader.Token(), size_t(reader.TokenLength()));
        EXPECT_TRUE(back.ReadKeyLine(std::string_view(key).substr(1), reader));
        EXPECT_TRUE(back.Equals(captured));
    }
}

// A condition too deep to compile would pass every line while its text says otherwise: it is
// reported, not taken silently.
TEST_F(SelectionTest, RefusedConditionIsReported)
{
    SelectionTexts texts(*base);
    std::string deep(200, '(');
    deep += "1";
    texts.SetOption("value", deep);
    MessageCatcher catcher;
    Selection selection(*base, nullptr);
    selection.ApplyTexts(texts);
    EXPECT_EQ(catcher.Code(), message::kConditionTooDeep);
}

}  // namespace
}  // namespace vek
