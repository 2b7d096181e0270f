// Tests of Subset, SubsetSelection and SubsetList: naming and order, the section lines read and
// written back, matching by card-key pattern and stamp conditions, the cached result and its
// invalidation, and the idle release.
#include "model/selections/Subset.h"

#include <gtest/gtest.h>

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
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/selections/SubsetList.h"

namespace vek {
namespace {

// Records the subset changes (58-62) the base passes on.
class SubsetChanges : public ChangeReceiver {
public:
    void OnBaseChange(const ChangeRecord& record) override
    {
        if (record.code >= 58 && record.code <= 62)
            codes.push_back(record.code);
    }
    std::vector<int32_t> codes;
};

std::string WriteSubset(const Subset& subset)
{
    TextWriter writer;
    writer.SetLineEndChar('\n');
    subset.Write(writer, "##Subset");
    return std::string(writer.BufferedBytes());
}

// Cards (one group, key 0, each line one value):
//   240105-1  stamps: created 2401051015 "ABC"      lines 100, -100
//   240210-1  stamps: created 2402101200 "XY"       lines 50
//   240315-1  stamps: none                          lines 7, 3
//   240315-2  stamps: created 2403150800 "ABC", modified 2403201600 "XY"   lines 1
class SubsetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(), 1);
        base->SetUnattended(true);
        base->SetValueCount(1);
        AddCard(2024, 1, 5, 1, {100, -100}, {"2401051015ABC", ""});
        AddCard(2024, 2, 10, 1, {50}, {"2402101200XY", ""});
        AddCard(2024, 3, 15, 1, {7, 3}, {"", ""});
        AddCard(2024, 3, 15, 2, {1}, {"2403150800ABC", "2403201600XY"});
        base->AddReceiver(ChangeStage::Dependents, &changes);
    }
    void TearDown() override
    {
        base->RemoveReceiver(ChangeStage::Dependents, &changes);
        base.reset();
        ClearError();
    }

    void AddCard(int32_t year, int32_t month, int32_t day, int32_t number, std::vector<double> values,
                 std::pair<const char*, const char*> stamps)
    {
        CardKey key{MakePackedDate(year, month, day), number};
        Card* card = base->CreateCard(key);
        ASSERT_NE(card, nullptr);
        card->stamps[0].ParseCStr(stamps.first);
        card->stamps[1].ParseCStr(stamps.second);
        CardGroup* group = base->FindOrAddGroup(card, 0);
        ASSERT_NE(group, nullptr);
        for (double value : values) {
            CardLine* line = base->CreateLine(group);
            ASSERT_NE(line, nullptr);
            base->SetLineValue(line, 0, value);
        }
    }

    // The lines an operand admits: their count and the sum of their values.
    std::pair<int32_t, double> Admitted(SubsetOperand& operand)
    {
        BitSet lines(base->CardRecords().linePool.ElementCount());
        lines.SetAll(0);
        EXPECT_TRUE(operand.MarkOperandLines(lines));
        int32_t count = 0;
        double sum = 0;
        for (int32_t i = 0; i < lines.Count(); ++i) {
            if (!lines.GetBit(i))
                continue;
            ++count;
            sum += base->GetLineValue(base->LineAt(uint32_t(i)), 0);
        }
        return {count, sum};
    }

    // Reads the lines after a marker line into the subset; returns the line error.
    SubsetLineError ReadInto(Subset& subset, const std::string& text)
    {
        TextReader reader(text.data(), int64_t(text.size()));
        EXPECT_TRUE(reader.ReadLine());
        SubsetLineError error = SubsetLineError::None;
        subset.ReadSection(reader, error);
        return error;
    }

    std::unique_ptr<Base> base;
    SubsetChanges changes;
};

TEST_F(SubsetTest, NewSubsetsAndSelectionsAreNamedUniquelyAndKeptInNameOrder)
{
    SubsetList& global = base->Subsets();
    EXPECT_STREQ(global.CreateSubset(nullptr)->GetName(), "G1");
    EXPECT_STREQ(global.CreateSubset("")->GetName(), "G2");
    EXPECT_STREQ(global.CreateSubset("g1")->GetName(), "g3");
    Subset* beta = global.CreateSubset("Beta");
    Subset* alpha = global.CreateSubset("alpha");
    std::vector<std::string> names;
    for (int32_t i = 0; i < global.Count(); ++i)
        names.push_back(global.GetAt(i)->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "G1", "G2", "g3"}));
    EXPECT_EQ(global.FindByName(" BETA "), beta);

    SubsetList local(*base, SubsetListKind::Local);
    EXPECT_STREQ(local.CreateSubset(nullptr)->GetName(), "S1");
    EXPECT_STREQ(local.CreateSubset(nullptr)->GetName(), "S2");

    EXPECT_STREQ(alpha->CreateSelection(nullptr)->GetName(), "A");
    EXPECT_STREQ(alpha->CreateSelection("")->GetName(), "B");
    EXPECT_STREQ(alpha->CreateSelection(nullptr)->GetName(), "C");

    // Renaming keeps the order of names; a reserved name or one taken is not given.
    alpha->Rename("Zeta");
    EXPECT_EQ(global.GetAt(global.Count() - 1), alpha);
    alpha->Rename("cards of 2024");
    EXPECT_STREQ(alpha->GetName(), "Zeta");
    alpha->Rename("beta");
    EXPECT_STREQ(alpha->GetName(), "beta.1");
    EXPECT_EQ(changes.codes, (std::vector<int32_t>{61, 61, 61, 61, 61, 61, 61, 58, 58}));

    global.Delete(beta);
    EXPECT_EQ(global.FindByName("Beta"), nullptr);
    EXPECT_EQ(changes.codes.back(), 62);
    EXPECT_EQ(global.DeleteMatching("G"), 3);
    EXPECT_EQ(global.Count(), 1);
}

// Every line kind of a section is read and written back as it was; "xp" keeps the order written.
TEST_F(SubsetTest, SectionLinesComeBackAsRead)
{
    const std::string section =
        "##Subset\tAll kinds\n"
        "VN\tEarly\n"
        "Vk\t240101…240229\n"
        "VN\tStamped\n"
        "Vc\t2401\tABC\n"
        "Vm\t\\\n"
        "Va\t\tXY\n"
        "F\tEarly|Stamped\n"
        "xo\n"
        "xp\t30\t-4\n"
        "N\tFirst line\x03second line\n";
    Subset* subset = base->Subsets().CreateSubset("All kinds");
    ASSERT_EQ(ReadInto(*subset, section), SubsetLineError::None);
    subset->ApplySelections();
    EXPECT_EQ(subset->SelectionCount(), 2);
    EXPECT_TRUE(subset->AutoOpen());
    EXPECT_EQ(subset->ViewFirst(), 30);
    EXPECT_EQ(subset->ViewSecond(), -4);
    EXPECT_EQ(WriteSubset(*subset), section);
}

struct LineErrorCase {
    std::string lines;
    SubsetLineError error;
};

TEST_F(SubsetTest, DamagedLinesStopTheSectionAtThatLine)
{
    const LineErrorCase cases[] = {
        // Regression: a selection line before any "VN" had no selection to go to.
        {"##Subset\tX\nVk\t240101\nF\tA\n", SubsetLineError::NoSelection},
        {"##Subset\tX\nVN\tA\nV-\nVc\t2401\t\n", SubsetLineError::NoSelection},
        {"##Subset\tX\nVN\tA\nVk\t" + std::string(300, '(') + "240101\n", SubsetLineError::PatternRefused},
        // Lines of other kinds are skipped.
        {"##Subset\tX\nQ\tanything\nVN\tA\n", SubsetLineError::None},
    };
    for (const LineErrorCase& c : cases) {
        SCOPED_TRACE(c.lines.substr(0, 40));
        Subset* subset = base->Subsets().CreateSubset("X");
        EXPECT_EQ(ReadInto(*subset, c.lines), c.error);
        base->Subsets().Delete(subset);
    }
}

struct AdmitCase {
    const char* selectionLines;  // after "VN\tA"
    int32_t lines;
    double sum;
};

// Card-key patterns and stamp conditions decide which cards a selection admits.
TEST_F(SubsetTest, SelectionsAdmitTheLinesOfTheirCards)
{
    const AdmitCase cases[] = {
        {"", 6, 61},
        {"Vk\t240101…240229\n", 3, 50},
        {"Vk\t2403\n", 3, 11},
        {"Vk\t240315-2\n", 1, 1},
        {"Vk\t>=240210¬240315-1\n", 2, 51},
        // Only a user pattern: the stamp's time does not matter.
        {"Vc\t\tABC\n", 3, 1},
        // A month matches from its first day 00:00 to its last day 23:59.
        {"Vc\t2402\t\n", 1, 50},
        {"Vc\t\\\t\n", 2, 10},
        {"Vm\t2403\tXY\n", 1, 1},
        {"Vc\t2401…2403\tABC\nVk\t2403\n", 1, 1},
    };
    for (const AdmitCase& c : cases) {
        SCOPED_TRACE(c.selectionLines);
        Subset* subset = base->Subsets().CreateSubset("T");
        ASSERT_EQ(ReadInto(*subset, std::string("##Subset\tT\nVN\tA\n") + c.selectionLines), SubsetLineError::None);
        subset->ApplySelections();
        auto [count, sum] = Admitted(*subset->SelectionAt(0));
        EXPECT_EQ(count, c.lines);
        EXPECT_DOUBLE_EQ(sum, c.sum);
        base->Subsets().Delete(subset);
    }
}

struct KeyPatternCase {
    const char* typed;
    const char* written;
    int32_t lines;
    double sum;
};

// Each value of a card-key pattern is a date expression; one without digits is the key without a
// date. Regression rows: a value that named no date was dropped, so that "..2402" and "Jan" admitted
// every card and "2402&Jan" was saved as "2402&".
TEST_F(SubsetTest, KeyPatternValuesAreDatesAndComeBackAsWritten)
{
    const KeyPatternCase cases[] = {
        {"..2402", "…2402", 3, 50},
        {"Jan", "Jan", 0, 0},
        {"2402&Jan", "2402&Jan", 0, 0},
        {"2402|Jan", "2402|Jan", 1, 50},
        {"¬Jan", "¬Jan", 6, 61},
        {"2403…", "2403", 3, 11},
    };
    for (const KeyPatternCase& c : cases) {
        SCOPED_TRACE(c.typed);
        Subset* subset = base->Subsets().CreateSubset("T");
        ASSERT_EQ(ReadInto(*subset, std::string("##Subset\tT\nVN\tA\nVk\t") + c.typed + "\n"), SubsetLineError::None);
        subset->ApplySelections();
        EXPECT_STREQ(subset->SelectionAt(0)->KeyPatternText(), c.written);
        auto [count, sum] = Admitted(*subset->SelectionAt(0));
        EXPECT_EQ(count, c.lines);
        EXPECT_DOUBLE_EQ(sum, c.sum);
        EXPECT_EQ(WriteSubset(*subset), std::string("##Subset\tT\nVN\tA\nVk\t") + c.written + "\n");
        base->Subsets().Delete(subset);
    }
}

struct ChainCase {
    int32_t length;  // subsets in the chain, each through its selection naming the one before
    int32_t message;
    int32_t lines;
};

// Regression: formulas compiled from the top of a chain down (each naming one that had no formula
// yet) passed the compiler's depth check, and evaluating a chain 3,000 deep overflowed the stack. A
// chain is evaluated to the nesting limit (each link is two formulas: the subset's and its
// selection's); an operand beyond it is reported and stands for no lines.
TEST_F(SubsetTest, ChainsOfSubsetsAreEvaluatedToTheNestingLimit)
{
    constexpr int32_t kLimit = SubsetFormula::kMaxSubsetFormulaNesting;
    const ChainCase cases[] = {
        {kLimit / 2, 0, 6},
        {kLimit / 2 + 1, message::kSubsetFormulaTooDeep, 0},
        {3000, message::kSubsetFormulaTooDeep, 0},
    };
    for (const ChainCase& c : cases) {
        SCOPED_TRACE(c.length);
        SubsetList& global = base->Subsets();
        std::vector<Subset*> chain;
        auto name = [](int32_t i) { return "C" + std::to_string(100000 + i); };
        for (int32_t i = 0; i < c.length; ++i)
            chain.push_back(global.CreateSubset(name(i).c_str()));
        for (int32_t i = 0; i < c.length; ++i) {
            std::string condition = i == 0 ? "" : "VS\t" + name(i - 1) + "\n";
            ASSERT_EQ(ReadInto(*chain[size_t(i)], "##Subset\t" + name(i) + "\nVN\tA\n" + condition + "F\tA\n"),
                      SubsetLineError::None);
        }
        for (int32_t i = c.length - 1; i >= 0; --i)
            chain[size_t(i)]->ApplySelections();
        ASSERT_TRUE(chain.back()->SelectionAt(0)->GetSelection().Formula().HasCode());
        MessageCatcher catcher;
        EXPECT_EQ(Admitted(*chain.back()).first, c.lines);
        EXPECT_EQ(catcher.Code(), c.message);
        global.DeleteAll();
    }
}

// The formula combines the selections; its result is cached until the base changes, then made again.
TEST_F(SubsetTest, ResultIsCachedAndMadeAgainAfterAChange)
{
    Subset* subset = base->Subsets().CreateSubset("Q1");
    ASSERT_EQ(ReadInto(*subset, "##Subset\tQ1\nVN\tJan\nVk\t2401\nVN\tFeb\nVk\t2402\nF\tJan|Feb\n"),
              SubsetLineError::None);
    subset->ApplySelections();
    auto [count, sum] = Admitted(*subset);
    EXPECT_EQ(count, 3);
    EXPECT_DOUBLE_EQ(sum, 50);
    ASSERT_NE(subset->Result(), nullptr);
    EXPECT_FALSE(subset->Formula().NeedsEvaluation());

    // A new card in January: the result is stale, and the next use counts it.
    AddCard(2024, 1, 20, 1, {25}, {"", ""});
    base->Notify(kChangeCards);
    EXPECT_TRUE(subset->Formula().NeedsEvaluation());
    auto [countAfter, sumAfter] = Admitted(*subset);
    EXPECT_EQ(countAfter, 4);
    EXPECT_DOUBLE_EQ(sumAfter, 75);

    // Released when unused long enough, and then made again on use.
    base->Subsets().ReleaseIdleResults(subset->LastUse() + kSubsetIdleReleaseMs - 1);
    EXPECT_NE(subset->Result(), nullptr);
    base->Subsets().ReleaseIdleResults(subset->LastUse() + kSubsetIdleReleaseMs);
    EXPECT_EQ(subset->Result(), nullptr);
    EXPECT_EQ(Admitted(*subset).first, 4);
}

// A subset named by another subset's selection is not released while that one refers to it, and
// the selection follows a rename in its text.
TEST_F(SubsetTest, SubsetsNamedBySelectionsStayAndFollowRenames)
{
    SubsetList& global = base->Subsets();
    Subset* march = global.CreateSubset("March");
    ASSERT_EQ(ReadInto(*march, "##Subset\tMarch\nVN\tA\nVk\t2403\nF\tA\n"), SubsetLineError::None);
    Subset* user = global.CreateSubset("User");
    ASSERT_EQ(ReadInto(*user, "##Subset\tUser\nVN\tA\nVS\tMarch\nF\tA\n"), SubsetLineError::None);
    march->ApplySelections();
    user->ApplySelections();
    EXPECT_EQ(Admitted(*user).first, 3);
    ASSERT_NE(march->Result(), nullptr);
    global.ReleaseIdleResults(march->LastUse() + kSubsetIdleReleaseMs);
    EXPECT_NE(march->Result(), nullptr);

    march->Rename("Third month");
    EXPECT_STREQ(user->SelectionAt(0)->Texts().SubsetText(), "Third month");
    EXPECT_EQ(Admitted(*user).first, 3);

    // Deleted, the subset leaves no selection pointing at it.
    global.Delete(march);
    EXPECT_FALSE(user->SelectionAt(0)->GetSelection().Formula().HasCode());
    EXPECT_EQ(Admitted(*user).first, 6);
    ClearError();
}

}  // namespace
}  // namespace vek
