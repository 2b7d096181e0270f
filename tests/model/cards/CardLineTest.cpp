#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "synthetic/SyntheticBase.h"
#include "platform/FilePath.h"
#include "model/CardTestSupport.h"

namespace vek {
namespace {

using vek::testing::CardPicture;

constexpr PackedDate kDay = MakePackedDate(2024, 5, 2);

// Lines of a small base, each with every value and component of the base set to something of its own.
class CardLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        SyntheticBaseOptions options;
        options.cards = 40;
        options.linesPerCard = 3;
        options.componentsPerDimension = 30;
        options.dimensionsUsed = 3;
        options.valuesPerLine = 2;
        options.days = 10;
        options.lineTexts = true;
        ASSERT_TRUE(BuildSyntheticBase(base, options));
    }
    void TearDown() override { MemFailAllocationsAfter(-1); }

    std::vector<CardLine*> Lines() const
    {
        std::vector<CardLine*> lines;
        for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card))
            for (CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group))
                for (CardLine* line = base.FirstLine(group); line; line = base.NextLine(line))
                    lines.push_back(line);
        return lines;
    }

    Base base{FilePath(), 1};
};

TEST_F(CardLineTest, NewLinesTakeTheDefaultRows)
{
    Card* card = base.FirstCard();
    CardLine* line = base.CreateLine(base.FirstGroup(card));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Text(), nullptr);
    for (int32_t slot = 0; slot < base.DimsInUse(); ++slot)
        EXPECT_EQ(base.GetLineComponent(line, slot), uint32_t(slot + 1)) << "the root stands for no component";
    EXPECT_EQ(base.GetLineValue(line, 0), 0.0);
    EXPECT_EQ(base.GetLineValue(line, 1), 0.0);
    // Outside the layout: roots and zeros, never written.
    EXPECT_EQ(base.GetLineComponent(line, 10), 11u);
    EXPECT_EQ(base.GetLineValue(line, 5), 0.0);
    base.SetLineValue(line, 5, 3.0);
    base.SetLineComponent(line, 10, 77);
    EXPECT_EQ(base.GetLineValue(line, 5), 0.0);
}

// Counts the changes that bracket a resize of the line records.
class LineLinkWatcher : public ChangeReceiver {
public:
    void OnBaseChange(const ChangeRecord& record) override
    {
        if (record.code == kChangeLineLinksToIndices)
            ++toIndices;
        else if (record.code == kChangeLineLinksBack)
            ++back;
    }
    int32_t toIndices = 0;
    int32_t back = 0;
};

TEST_F(CardLineTest, WideningKeepsEveryNumberAndValue)
{
    LineLinkWatcher watcher;
    base.AddReceiver(ChangeStage::Dependents, &watcher);
    std::vector<std::string> before = CardPicture(base);
    base.WidenComponentWidth(2);  // smaller or equal: nothing
    EXPECT_EQ(base.ComponentWidth(), 2);
    base.WidenComponentWidth(3);
    EXPECT_EQ(base.ComponentWidth(), 3);
    EXPECT_EQ(CardPicture(base), before);
    base.WidenComponentWidth(4);
    EXPECT_EQ(base.ComponentWidth(), 4);
    EXPECT_EQ(CardPicture(base), before);
    EXPECT_EQ(base.CardRecords().linePool.DocumentedSize(), 12 + 16 + 3 * 4);
    base.WidenComponentWidth(5);
    EXPECT_EQ(base.ComponentWidth(), 4);
    // Three 4-byte numbers fit the padding of the 3-byte layout: only the first widening resized.
    EXPECT_EQ(watcher.toIndices, 1);
    EXPECT_EQ(watcher.back, 1);
    base.RemoveReceiver(ChangeStage::Dependents, &watcher);
}

TEST_F(CardLineTest, AFailedWideningLeavesTheLinesAsTheyWere)
{
    std::vector<std::string> before = CardPicture(base);
    MemFailAllocationsAfter(0);
    base.WidenComponentWidth(3);
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(base.ComponentWidth(), 2);
    EXPECT_EQ(GetPendingError().message.code, message::kOutOfMemory);
    EXPECT_EQ(CardPicture(base), before);
    ClearError();
}

TEST_F(CardLineTest, ANumberBeyondTheWidthWidensInsteadOfBeingCut)
{
    // Guards against a component number silently losing its high bytes and naming another component.
    CardLine* line = Lines().front();
    uint32_t index = line->index;
    base.SetLineComponent(line, 1, 70000);
    line = base.LineAt(index);
    EXPECT_EQ(base.ComponentWidth(), 3);
    EXPECT_EQ(base.GetLineComponent(line, 1), 70000u);
    std::vector<uint32_t> row = {5, 6, 0x01020304u};
    base.SetLineComponents(line, row.data());
    line = base.LineAt(index);
    EXPECT_EQ(base.ComponentWidth(), 4);
    std::vector<uint32_t> out(3);
    base.GetLineComponents(line, out.data());
    EXPECT_EQ(out, row);
}

TEST_F(CardLineTest, ValueCountGrowsAndShrinksAtTheEndOfTheValues)
{
    std::vector<CardLine*> lines = Lines();
    std::vector<std::vector<double>> values;
    std::vector<std::vector<uint32_t>> components;
    for (CardLine* line : lines) {
        values.push_back({base.GetLineValue(line, 0), base.GetLineValue(line, 1)});
        components.emplace_back(3);
        base.GetLineComponents(line, components.back().data());
    }
    for (int32_t n : {0, 25, 2}) {
        base.SetValueCount(n);
        EXPECT_EQ(base.ValueCount(), 2) << n;
    }
    base.SetValueCount(5);
    EXPECT_EQ(base.ValueCount(), 5);
    EXPECT_EQ(base.CardRecords().linePool.DocumentedSize(), 12 + 40 + 6);
    auto check = [&](int32_t count) {
        std::vector<CardLine*> now = Lines();
        for (size_t i = 0; i < now.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(base.GetLineValue(now[i], 0), values[i][0]);
            if (count > 1) {
                EXPECT_EQ(base.GetLineValue(now[i], 1), values[i][1]);
            }
            for (int32_t v = 2; v < count; ++v)
                EXPECT_EQ(base.GetLineValue(now[i], v), 0.0);
            std::vector<uint32_t> row(3);
            base.GetLineComponents(now[i], row.data());
            EXPECT_EQ(row, components[i]);
            EXPECT_NE(now[i]->Text(), nullptr);
        }
    };
    check(5);
    base.SetValueCount(1);
    EXPECT_EQ(base.ValueCount(), 1);
    check(1);
}

TEST_F(CardLineTest, DimensionsInUseFollowTheComponents)
{
    std::vector<std::string> before = CardPicture(base);
    ASSERT_NE(base.AddComponent(7, "G1", "Seventh", nullptr), nullptr);
    EXPECT_EQ(base.DimsInUse(), 7);
    for (CardLine* line : Lines()) {
        for (int32_t slot = 3; slot < 7; ++slot)
            EXPECT_EQ(base.GetLineComponent(line, slot), uint32_t(slot + 1));
    }
    EXPECT_EQ(base.CardRecords().linePool.DocumentedSize(), 12 + 16 + 14);
    base.DeleteComponent(base.GetDimension(7).FindByCode("G1"));
    base.UpdateDimensionsInUse();
    EXPECT_EQ(base.DimsInUse(), 3);
    EXPECT_EQ(CardPicture(base), before);
}

TEST_F(CardLineTest, LineComponentTestsAndDeletedReferences)
{
    CardLine* line = Lines().front();
    std::vector<uint32_t> row(3);
    base.GetLineComponents(line, row.data());
    BitSet set(base.ComponentPool().ElementCount());
    set.SetAll(0);
    for (uint32_t number : row)
        set.SetBit(int32_t(number), true);
    EXPECT_TRUE(base.LineComponentsAllIn(line, set));
    set.SetBit(int32_t(row[1]), false);
    EXPECT_FALSE(base.LineComponentsAllIn(line, set));

    // Every line naming row[1] in dimension 2 falls back to the root 2; other dimensions keep theirs.
    BitSet deleted(base.ComponentPool().ElementCount());
    deleted.SetAll(0);
    deleted.SetBit(int32_t(row[1]), true);
    deleted.SetBit(int32_t(row[0]), true);
    base.ClearDeletedReferences(2, deleted);
    EXPECT_EQ(base.GetLineComponent(line, 1), 2u);
    EXPECT_EQ(base.GetLineComponent(line, 0), row[0]);
    for (CardLine* other : Lines())
        EXPECT_NE(base.GetLineComponent(other, 1), row[1]);

    Card* card = base.FirstCard();
    CardGroup* group = base.FindOrAddGroup(card, 5);
    ASSERT_NE(group, nullptr);
    BitSet groups(64);
    groups.SetAll(0);
    groups.SetBit(5, true);
    base.ClearDeletedReferences(0, groups);
    EXPECT_EQ(group->key, 0);
}

TEST_F(CardLineTest, ValueFieldsByName)
{
    base.SetValueFieldName(2, "Amount");
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"Amount", 2}, {"  amount ", 2}, {"3", 2}, {"1", 0}, {"24", 23}, {"25", -1}, {"0", -1}, {"   ", -1}, {"", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(base.FindValueFieldByName(c.text), c.expected);
    }
    String name;
    base.GetValueFieldName(4, name);
    EXPECT_EQ(base.FindValueFieldByName(name.CStr()), 4);
}

// The 65531st component of a base widens every line's numbers to 3 bytes before it is created.
TEST(CardLineWidening, PastTheTwoByteLimitOfComponents)
{
    ClearError();
    Base base{FilePath(), 1};
    Card* card = nullptr;
    CardKey key{kDay, 0};
    card = base.CreateCard(key);
    ASSERT_NE(card, nullptr);
    CardGroup* group = base.FindOrAddGroup(card, 0);
    std::vector<uint32_t> rows;
    std::vector<uint32_t> lineIndices;
    char code[16];
    uint32_t last = 0;
    while (base.ComponentPool().ElementCount() < int32_t(kWidenTo3Bytes) + 10) {
        std::snprintf(code, sizeof code, "C%06d", base.ComponentPool().ElementCount());
        Component* component = base.AddComponent(1 + base.ComponentPool().ElementCount() % 2, code, nullptr, nullptr);
        ASSERT_NE(component, nullptr);
        EXPECT_EQ(base.ComponentWidth(), component->number >= kWidenTo3Bytes ? 3 : 2);
        last = component->number;
        if (component->number % 4096 == 0 || component->number + 2 >= kWidenTo3Bytes) {
            CardLine* line = base.CreateLine(group);
            ASSERT_NE(line, nullptr);
            base.SetLineComponent(line, int32_t(component->number % 2), component->number);
            base.SetLineValue(line, 0, component->number * 0.5);
            lineIndices.push_back(line->index);
            rows.push_back(component->number);
        }
    }
    EXPECT_EQ(base.ComponentWidth(), 3);
    EXPECT_GE(last, kWidenTo3Bytes);
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i]);
        CardLine* line = base.LineAt(lineIndices[i]);
        EXPECT_EQ(base.GetLineComponent(line, int32_t(rows[i] % 2)), rows[i]);
        EXPECT_EQ(base.GetLineComponent(line, int32_t(1 - rows[i] % 2)), uint32_t(2 - rows[i] % 2)) << "the root";
        EXPECT_EQ(base.GetLineValue(line, 0), rows[i] * 0.5);
    }
}

}  // namespace
}  // namespace vek
