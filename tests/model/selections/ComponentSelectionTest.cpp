// Tests of ComponentSelection: a new selection admits everything, expressions decide the bits of their
// own dimension only, failed texts change nothing, the set widens with the pool, and the texts it
// writes read back.
#include "model/selections/ComponentSelection.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/cards/Card.h"
#include "model/base/ChangeRecord.h"

namespace vek {
namespace {

// Dimension 1: A (A1, A2), B. Dimension 2: X, Y. One card with three lines:
// (A1, X), (B, none), (none, none).
class ComponentSelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(), 1);
        base->SetUnattended(true);
        for (const char* code : {"A", "A1", "A2", "B"})
            ASSERT_NE(base->AddComponent(1, code, nullptr, nullptr), nullptr);
        for (const char* code : {"X", "Y"})
            ASSERT_NE(base->AddComponent(2, code, nullptr, nullptr), nullptr);
        CardKey key{MakePackedDate(2024, 5, 1), 0};
        Card* card = base->CreateCard(key);
        ASSERT_NE(card, nullptr);
        CardGroup* group = base->FindOrAddGroup(card, 0);
        ASSERT_NE(group, nullptr);
        const char* rows[][2] = {{"A1", "X"}, {"B", nullptr}, {nullptr, nullptr}};
        for (const auto& row : rows) {
            CardLine* line = base->CreateLine(group);
            ASSERT_NE(line, nullptr);
            for (int32_t slot = 0; slot < 2; ++slot) {
                if (row[slot] != nullptr)
                    base->SetLineComponent(line, slot, Number(slot + 1, row[slot]));
            }
            lines[size_t(lineCount++)] = line;
        }
    }
    void TearDown() override
    {
        base.reset();
        ClearError();
    }

    uint32_t Number(int32_t d, const char* code) { return base->LookupComponent(d, code, int32_t(std::strlen(code))); }

    // "1" or "0" per line: whether the selection admits it.
    std::string Lines(const ComponentSelection& selection)
    {
        std::string out;
        for (int32_t i = 0; i < lineCount; ++i)
            out += selection.AdmitsLine(lines[size_t(i)]) ? '1' : '0';
        return out;
    }

    std::unique_ptr<Base> base;
    std::array<CardLine*, 3> lines{};
    int32_t lineCount = 0;
};

TEST_F(ComponentSelectionTest, ExpressionsDecideTheLinesOfTheirDimension)
{
    ComponentSelection selection(*base);
    EXPECT_FALSE(selection.HasAnyExpression());
    EXPECT_EQ(Lines(selection), "111");
    EXPECT_EQ(selection.Admitted().BitCount(), base->ComponentPool().ElementCount());

    struct Case {
        int32_t d;
        const char* text;
        const char* lines;
    };
    const Case cases[] = {
        {1, "\\", "001"},       // only lines without a component of dimension 1
        {1, "\xC2\xAC\\", "110"},
        {1, "A", "100"},
        {1, "A2", "000"},
        {1, "A|B", "110"},
        {1, "=x", "000"},
        {2, "\\", "011"},
        {2, "X|\\", "111"},
        {2, "Y", "000"},
        {1, "", "111"},          // an empty text is no expression
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ComponentSelection one(*base);
        ASSERT_TRUE(one.SetDimensionText(c.d, c.text));
        EXPECT_EQ(Lines(one), c.lines);
        EXPECT_EQ(one.HasExpression(c.d), c.text[0] != '\0');
        // The other dimension's bits stay set.
        int32_t other = c.d == 1 ? 2 : 1;
        EXPECT_TRUE(one.Admits(uint32_t(other)));
        EXPECT_TRUE(one.Admits(Number(other, other == 1 ? "A1" : "X")));
    }

    // Two dimensions together, then removed one by one.
    ASSERT_TRUE(selection.SetDimensionText(1, "A|B"));
    ASSERT_TRUE(selection.SetDimensionText(2, "\\"));
    EXPECT_EQ(Lines(selection), "010");
    ASSERT_TRUE(selection.SetDimensionText(2, nullptr));
    EXPECT_EQ(Lines(selection), "110");
    selection.Clear();
    EXPECT_FALSE(selection.HasAnyExpression());
    EXPECT_EQ(Lines(selection), "111");
}

TEST_F(ComponentSelectionTest, AFailedTextKeepsTheFormerExpressionAndItsBits)
{
    ComponentSelection selection(*base);
    ASSERT_TRUE(selection.SetDimensionText(1, "A"));
    for (const char* text : {"NOPE", "A|NOPE", "((((((((((((((((((((((((((((((((((A"}) {
        SCOPED_TRACE(text);
        MessageCatcher catcher;
        EXPECT_FALSE(selection.SetDimensionText(1, text));
        EXPECT_NE(catcher.Code(), 0);
        EXPECT_EQ(Lines(selection), "100");
        String canonical;
        selection.FormatDimension(1, canonical, "");
        EXPECT_STREQ(canonical.CStr(), "A");
        ClearError();
    }
    EXPECT_FALSE(selection.SetDimensionText(32, "A"));
    EXPECT_FALSE(selection.SetDimensionText(-1, "A"));
}

TEST_F(ComponentSelectionTest, NewComponentsWidenTheSetBeforeEvaluating)
{
    ComponentSelection selection(*base);
    ASSERT_TRUE(selection.SetDimensionText(1, "A"));
    int32_t before = selection.Admitted().Count();
    Component* z = base->AddComponent(2, "Z", nullptr, nullptr);
    Component* a3 = base->AddComponent(1, "A3", nullptr, nullptr);
    ASSERT_NE(z, nullptr);
    ASSERT_NE(a3, nullptr);
    EXPECT_FALSE(selection.Admits(a3->number));  // beyond the set until evaluated
    ChangeRecord record(kChangeComponents, base.get());
    record.dimension = 1;
    selection.HandleChange(record);
    EXPECT_GT(selection.Admitted().Count(), before);
    EXPECT_EQ(selection.Admitted().Count(), base->ComponentPool().ElementCount());
    EXPECT_TRUE(selection.Admits(a3->number));  // inside A
    EXPECT_TRUE(selection.Admits(z->number));   // dimension 2 has no expression
    EXPECT_FALSE(selection.Admits(Number(1, "B")));
}

TEST_F(ComponentSelectionTest, GoingComponentsAreReplacedByTheirNearestAncestorThatStays)
{
    ComponentSelection selection(*base);
    ASSERT_TRUE(selection.SetDimensionText(1, "A1|B"));
    BitSet named(base->ComponentPool().ElementCount());
    named.SetAll(0);
    selection.CollectNamedComponents(named);
    EXPECT_EQ(named.BitCount(), 2);
    EXPECT_TRUE(named.GetBit(int32_t(Number(1, "A1"))));

    BitSet going(base->ComponentPool().ElementCount());
    going.SetAll(0);
    going.SetBit(int32_t(Number(1, "A1")), true);
    going.SetBit(int32_t(Number(1, "B")), true);
    ChangeRecord record(kChangeComponentsDeleted, base.get(), DeletedComponentsPayload{&going});
    record.dimension = 1;
    selection.HandleChange(record);
    String canonical;
    selection.FormatDimension(1, canonical, "");
    // A1 becomes A; B (top level) becomes the root, whose subtree is the whole dimension.
    EXPECT_STREQ(canonical.CStr(), "A|\xC2\xAC\\\\");
    selection.Evaluate(1);
    EXPECT_EQ(Lines(selection), "111");
}

TEST_F(ComponentSelectionTest, WritesCanonicalTexts)
{
    ComponentSelection selection(*base);
    String text;
    text.AssignCStr("(a|b)--a1");
    selection.SetFromString(1, text);
    EXPECT_STREQ(text.CStr(), "(A | B) \xC2\xAC A1");
    text.AssignCStr("nope");
    selection.SetFromString(1, text);  // refused: the former expression's text comes back
    EXPECT_STREQ(text.CStr(), "(A | B) \xC2\xAC A1");
    ClearError();
    text.AssignCStr("X");
    selection.SetFromString(2, text);

    base->SetupDimensionOrder();
    TextWriter writer;
    selection.WriteKeyLines(writer, "S");
    // Position 0 of the order is the group dimension, which has no expression here.
    EXPECT_EQ(std::string(writer.BufferedBytes()), "S2\t(A|B)\xC2\xAC" "A1\rS3\tX\r");
}

}  // namespace
}  // namespace vek
