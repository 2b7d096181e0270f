// Tests of SubsetFormula: compiling with name matching, folding and error recovery, evaluating each
// operator and keyword over line sets, refusing cycles, the result cache, and renaming in texts.
#include "model/selections/SubsetFormula.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek {
namespace {

// A named line set standing for a subset: fixed lines, or its own formula's result when it has one.
class FakeSubset : public SubsetOperand {
public:
    FakeSubset(Base& base, std::string name, SubsetOperandList* global)
        : name(std::move(name)), formula(base, global, nullptr, nullptr)
    {
    }
    std::string_view OperandName() const override { return name; }
    bool MarkOperandLines(BitSet& set) override
    {
        ++marks;
        if (formula.HasCode()) {
            if (!formula.Evaluate(nullptr))
                return false;
            if (formula.Result() != nullptr)
                set.Assign(*formula.Result());
            return true;
        }
        for (uint32_t index : lines)
            set.SetBit(int32_t(index), true);
        return true;
    }
    SubsetFormula* OperandFormula() override { return &formula; }
    const Subset* OperandSubset() const override { return nullptr; }

    std::string name;
    std::vector<uint32_t> lines;
    SubsetFormula formula;
    int32_t marks = 0;
};

class FakeList : public SubsetOperandList {
public:
    int32_t OperandCount() const override { return int32_t(items.size()); }
    SubsetOperand* OperandAt(int32_t i) const override { return items[size_t(i)]; }
    std::vector<SubsetOperand*> items;
};

// Lines 0-6 (named by their digit):
//   card 1: group 0: 0 (100), 1 (-100); group G: 6 (7)
//   card 2: group 0: 2 (50), 3 (-49.999, within two decimals of balancing)
//   card 3: group 0: 4 (10), 5 (5)
// Subsets: S1 {0, 2}, S2 {2, 4}, "Sales" {1}, "Sales North" {5}.
class SubsetFormulaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(), 1);
        base->SetUnattended(true);
        Component* groupKey = base->AddComponent(0, "G", nullptr, nullptr);
        ASSERT_NE(groupKey, nullptr);
        lines.resize(7);
        AddGroup(1, 0, {{0, 100}, {1, -100}});
        AddGroup(1, int32_t(groupKey->number), {{6, 7}});
        AddGroup(2, 0, {{2, 50}, {3, -49.999}});
        AddGroup(3, 0, {{4, 10}, {5, 5}});
        for (auto [name, members] : {std::pair<const char*, std::vector<int>>{"S1", {0, 2}}, {"S2", {2, 4}},
                                     {"Sales", {1}}, {"Sales North", {5}}}) {
            auto subset = std::make_unique<FakeSubset>(*base, name, &global);
            for (int member : members)
                subset->lines.push_back(lines[size_t(member)]->index);
            global.items.push_back(subset.get());
            subsets.push_back(std::move(subset));
        }
    }
    void TearDown() override
    {
        subsets.clear();
        base.reset();
        ClearError();
    }

    void AddGroup(int32_t day, int32_t key, std::initializer_list<std::pair<int, double>> rows)
    {
        CardKey cardKey{MakePackedDate(2024, 1, day), 1};
        Card* card = base->FindCardAtOrAfter(cardKey);
        if (card == base->ChainEnd() || base->CardDate(card) != cardKey.date)
            card = base->CreateCard(cardKey);
        ASSERT_NE(card, nullptr);
        CardGroup* group = base->FindOrAddGroup(card, key);
        ASSERT_NE(group, nullptr);
        for (auto [name, value] : rows) {
            CardLine* line = base->CreateLine(group);
            ASSERT_NE(line, nullptr);
            base->SetLineValue(line, 0, value);
            lines[size_t(name)] = line;
        }
    }

    FakeSubset& Named(const char* name)
    {
        for (auto& subset : subsets)
            if (subset->name == name)
                return *subset;
        ADD_FAILURE() << "no subset " << name;
        return *subsets.front();
    }

    static std::string Ops(const SubsetFormula& formula)
    {
        std::string out;
        for (int32_t i = 0; i < formula.OpCount(); ++i) {
            const SubsetFormulaOp& op = formula.Ops()[i];
            out += (out.empty() ? "" : " ") + std::to_string(int32_t(op.code));
            if (op.operand != nullptr)
                out += ":" + std::string(op.operand->OperandName());
        }
        return out;
    }

    // The digits of the lines in the result.
    std::string Lines(const SubsetFormula& formula)
    {
        std::string out;
        const BitSet* result = formula.Result();
        if (result == nullptr)
            return "none";
        for (size_t i = 0; i < lines.size(); ++i)
            if (result->GetBit(int32_t(lines[i]->index)))
                out += char('0' + i);
        return out;
    }

    std::unique_ptr<Base> base;
    std::vector<CardLine*> lines;
    FakeList global;
    std::vector<std::unique_ptr<FakeSubset>> subsets;
};

TEST_F(SubsetFormulaTest, CompilesToFoldedCodeAndNormalizedText)
{
    struct Case {
        const char* typed;
        const char* text;
        const char* ops;
    };
    const Case cases[] = {
        {"s1|s2", "S1 | S2", "11:S1 11:S2 2"},
        {"S1 +- S2", "S1 \xC2\xB1 S2", "11:S1 11:S2 3"},
        {"\xC2\xAC\xC2\xAC S1", "S1", "11:S1"},                        // double negation
        {"S1 & --S2", "S1 \xC2\xAC S2", "11:S1 11:S2 5"},              // "&" with "¬" before the right
        {"S1 \xC2\xAC \xC2\xAC S2", "S1 & S2", "11:S1 11:S2 4"},
        {"cards cards S1", "cards S1", "11:S1 6"},
        {"groups cards S1", "cards S1", "11:S1 6"},
        {"cards groups S1", "cards S1", "11:S1 6"},
        {"unbalanced", "unbalanced", "9"},
        {"unbalanced S1 | S2", "unbalanced S1 | S2", "11:S1 8 11:S2 2"},
        {"unbalanced & S1", "unbalanced & S1", "9 11:S1 4"},
        {"(S1 | S2) & && S1", "(S1 | S2) & S1", "11:S1 11:S2 2 11:S1 4"},
        {"Sales North & S1", "Sales North & S1", "11:Sales North 11:S1 4"},  // the longer name
        {"Sales & S1", "Sales & S1", "11:Sales 11:S1 4"},                    // the word alone
        {"Sal | S2", "Sales | S2", "11:Sales 11:S2 2"},                      // a prefix of a name
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        SubsetFormula formula(*base, &global, nullptr, nullptr);
        String text;
        text.AssignCStr(c.typed);
        MessageCatcher catcher;
        formula.SetText(text);
        EXPECT_EQ(catcher.Code(), 0);
        EXPECT_STREQ(text.CStr(), c.text);
        EXPECT_EQ(Ops(formula), c.ops);
        EXPECT_EQ(formula.HasCode(), *c.ops != 0);
        // The normalized text compiles to the same code.
        SubsetFormula again(*base, &global, nullptr, nullptr);
        again.SetText(text);
        EXPECT_EQ(Ops(again), c.ops);
    }
}

TEST_F(SubsetFormulaTest, UnknownOperandsAreReportedAndLeftOut)
{
    struct Case {
        const char* typed;
        const char* token;
        const char* text;
    };
    const Case cases[] = {
        {"S1 | Foo", "Foo", "S1"},
        {"Foo | S2", "Foo", "S2"},
        {"Salesx & S2", "Salesx", "S2"},  // a name matching only part of the first word
        {"S1 & (Bar)", "Bar", "S1"},
        {"cards", "cards", ""},           // a keyword that needs an operand and has none
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        SubsetFormula formula(*base, &global, nullptr, nullptr);
        String text;
        text.AssignCStr(c.typed);
        MessageCatcher catcher;
        formula.SetText(text);
        EXPECT_EQ(catcher.Code(), message::kUnknownSubsetOperand);
        EXPECT_NE(std::string(catcher.Text()).find(c.token), std::string::npos) << catcher.Text();
        EXPECT_STREQ(text.CStr(), c.text);
    }
}

TEST_F(SubsetFormulaTest, EvaluatesOperatorsAndKeywords)
{
    struct Case {
        const char* text;
        const char* lines;
    };
    const Case cases[] = {
        {"S1", "02"},
        {"S1 | S2", "024"},
        {"S1 & S2", "2"},
        {"S1 \xC2\xB1 S2", "04"},
        {"S1 \xC2\xAC S2", "0"},
        {"\xC2\xAC S1", "13456"},
        {"cards S1", "01236"},
        {"groups S1", "0123"},
        {"unbalanced", "456"},              // group 2 balances at two decimals
        {"unbalanced S1", "0123"},          // the selected lines of both groups do not balance
        {"unbalanced (S1 | Sales)", "23"},  // 100 - 100 balances in card 1
        {"cards Sales North | S1", "0245"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SubsetFormula formula(*base, &global, nullptr, nullptr);
        String text;
        text.AssignCStr(c.text);
        formula.SetText(text);
        bool changed = false;
        ASSERT_TRUE(formula.Evaluate(&changed));
        EXPECT_EQ(Lines(formula), c.lines);
        EXPECT_EQ(changed, *c.lines != 0);
    }
}

// A formula that would reach itself through other subsets is refused when it is compiled, so that
// evaluating it can never loop.
TEST_F(SubsetFormulaTest, CyclesAreRefused)
{
    FakeSubset& a = Named("S1");
    FakeSubset& b = Named("S2");
    String text;
    text.AssignCStr("S2 | Sales");
    a.formula.SetText(text);
    ASSERT_EQ(Ops(a.formula), "11:S2 11:Sales 2");

    struct Case {
        FakeSubset* owner;
        const char* typed;
        const char* text;
    };
    const Case cases[] = {
        {&b, "S1 & Sales North", "Sales North"},  // S2 -> S1 -> S2
        {&a, "S1 | Sales", "Sales"},              // S1 names itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        text.AssignCStr(c.typed);
        MessageCatcher catcher;
        c.owner->formula.SetText(text);
        EXPECT_EQ(catcher.Code(), message::kSubsetFormulaCycle);
        EXPECT_STREQ(text.CStr(), c.text);
    }
    EXPECT_FALSE(b.formula.Reaches(&a.formula));
    ASSERT_TRUE(a.formula.Evaluate(nullptr));
    ASSERT_TRUE(b.formula.Evaluate(nullptr));
    EXPECT_EQ(Lines(b.formula), "5");
}

TEST_F(SubsetFormulaTest, ResultIsCachedUntilSomethingItDependsOnChanges)
{
    FakeSubset& s1 = Named("S1");
    FakeSubset& sales = Named("Sales");
    String text;
    text.AssignCStr("Sales");
    s1.formula.SetText(text);
    SubsetFormula formula(*base, &global, nullptr, nullptr);
    text.AssignCStr("S1 | S2");
    formula.SetText(text);
    ASSERT_TRUE(formula.Evaluate(nullptr));
    EXPECT_EQ(Lines(formula), "124");
    int32_t marks = sales.marks;
    EXPECT_FALSE(formula.NeedsEvaluation());
    ASSERT_TRUE(formula.Evaluate(nullptr));
    EXPECT_EQ(sales.marks, marks);

    // An operand's own formula changed: evaluated again, through it.
    text.AssignCStr("Sales North");
    s1.formula.SetText(text);
    EXPECT_TRUE(formula.NeedsEvaluation());
    bool changed = false;
    ASSERT_TRUE(formula.Evaluate(&changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(Lines(formula), "245");

    // Card changes invalidate; other changes do not.
    formula.OnBaseChange(ChangeRecord(kChangeModifiedFlag, base.get()));
    EXPECT_FALSE(formula.NeedsEvaluation());
    formula.OnBaseChange(ChangeRecord(kChangeCardContents, base.get()));
    EXPECT_TRUE(formula.NeedsEvaluation());

    // A new line widens the result, which stays correct.
    CardKey key{MakePackedDate(2024, 1, 3), 1};
    Card* card = base->FindCardAtOrAfter(key);
    CardLine* line = base->CreateLine(base->FirstGroup(card));
    ASSERT_NE(line, nullptr);
    Named("S2").lines.push_back(line->index);
    ASSERT_TRUE(formula.Evaluate(nullptr));
    EXPECT_TRUE(formula.Result()->GetBit(int32_t(line->index)));
}

TEST_F(SubsetFormulaTest, CancelLeavesNoLines)
{
    SubsetFormula formula(*base, &global, nullptr, nullptr);
    String text;
    text.AssignCStr("S1 | S2");
    formula.SetText(text);
    ASSERT_TRUE(formula.Evaluate(nullptr));
    formula.Invalidate();
    SetCancelledError();
    EXPECT_FALSE(formula.Evaluate(nullptr));
    ClearError();
}

TEST(SubsetFormulaRenameTest, RenamesWholeTokensOnly)
{
    struct Case {
        const char* text;
        const char* from;
        const char* to;
        const char* result;
    };
    const Case cases[] = {
        {"S1 | Sales", "Sales", "Revenue", "S1 | Revenue"},
        {"Sales North&Sales", "sales", "X", "Sales North&X"},
        {"(Sales  )| S1", "Sales", "X", "(X)| S1"},
        // A keyword before a name is no part of it: the name is still renamed.
        {"groups cards  Sales", "Sales", "X", "groups cards  X"},
        {"S1", "S2", "X", "S1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        String text;
        text.AssignCStr(c.text);
        EXPECT_EQ(SubsetFormula::RenameInText(text, c.from, c.to), std::string(c.text) != c.result);
        EXPECT_STREQ(text.CStr(), c.result);
    }
}

}  // namespace
}  // namespace vek
