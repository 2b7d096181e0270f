// Tests of base checkpoints: rollback of cards, components and named objects, and card key steps.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "model/base/BaseCheckpoint.h"
#include "model/dimensions/Component.h"
#include "model/dimensions/Dimension.h"
#include "model/named/Macro.h"
#include "model/selections/Subset.h"
#include "model/selections/SubsetList.h"
#include "foundation/streams/TextReader.h"
#include "synthetic/SyntheticBase.h"
#include "model/dates/TimeScale.h"
#include "platform/FilePath.h"
#include "model/CardTestSupport.h"

namespace vek {
namespace {

using vek::testing::CardPicture;
using vek::testing::ExpectChainConsistent;

constexpr PackedDate kDay = MakePackedDate(2016, 2, 3);

// Every component of every dimension in tree order, as "d:code/parent".
std::vector<std::string> ComponentPicture(const Base& base)
{
    std::vector<std::string> picture;
    const RecordPool& pool = base.ComponentPool();
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        for (const Component* c = base.Root(d)->NextInPreorder(pool); c && !c->IsRoot(); c = c->NextInPreorder(pool))
            picture.push_back(std::to_string(d) + ":" + (c->code ? c->code : "") + "/" + std::to_string(c->parent));
    }
    return picture;
}

class BaseCheckpointTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        SyntheticBaseOptions options;
        options.cards = 60;
        options.linesPerCard = 2;
        options.componentsPerDimension = 12;
        options.dimensionsUsed = 2;
        options.days = 20;
        options.firstDate = kDay;
        ASSERT_TRUE(BuildSyntheticBase(base, options));
        // A free card and a free component, so that additions reuse old indices.
        base.DeleteCard(base.LastCard());
        Component* doomed = base.GetDimension(2).FindByCode("B0000012");
        BitSet deleted(base.ComponentPool().ElementCount());
        deleted.SetAll(0);
        deleted.SetBit(int32_t(doomed->number), true);
        base.ClearDeletedReferences(2, deleted);
        base.DeleteComponent(doomed);
        base.RebuildComponentIndexes(2);
        base.FlushCardChanges();
        base.NotifyChangedDimensions();
    }

    // Cards on existing and new dates, lines naming new components in a new dimension.
    void Import()
    {
        Component* added = base.AddComponent(2, "B0000099", "New", nullptr);
        Component* child = base.AddComponent(1, "A00000011", "Child of an old one", nullptr);
        Component* far = base.AddComponent(9, "Z1", "New dimension", nullptr);
        ASSERT_TRUE(added && child && far);
        for (PackedDate date : {kDay, MakePackedDate(2016, 2, 4), MakePackedDate(2017, 1, 1)}) {
            CardKey key{date, 0};
            Card* card = base.CreateCard(key);
            ASSERT_NE(card, nullptr);
            CardLine* line = base.CreateLine(base.FindOrAddGroup(card, 0));
            ASSERT_NE(line, nullptr);
            base.SetLineComponent(line, 1, added->number);
            base.SetLineComponent(line, 0, child->number);
            base.SetLineComponent(line, 8, far->number);
            base.SetLineValue(line, 0, 12.5);
        }
        EXPECT_EQ(base.DimsInUse(), 9);
    }

    Base base{FilePath(), 1};
};

TEST_F(BaseCheckpointTest, RollBackRemovesExactlyWhatWasAdded)
{
    std::vector<std::string> cards = CardPicture(base);
    std::vector<std::string> components = ComponentPicture(base);
    int32_t dims = base.DimsInUse();

    BaseCheckpoint checkpoint;
    base.TakeCheckpoint(checkpoint);
    ASSERT_TRUE(checkpoint.IsValid());
    Import();
    base.RollBack(checkpoint);

    EXPECT_EQ(CardPicture(base), cards);
    EXPECT_EQ(ComponentPicture(base), components);
    EXPECT_EQ(base.DimsInUse(), dims);
    EXPECT_EQ(base.GetDimension(2).FindByCode("B0000099"), nullptr) << "the code index forgets it";
    EXPECT_NE(base.GetDimension(2).FindByCode("B0000001"), nullptr);
    ExpectChainConsistent(base);
    EXPECT_FALSE(checkpoint.IsValid()) << "a checkpoint is used up";
}

TEST_F(BaseCheckpointTest, OldLinesNamingRemovedComponentsFallBackToTheRoot)
{
    BaseCheckpoint checkpoint;
    base.TakeCheckpoint(checkpoint);
    Import();
    // An old line was pointed at a new component (an import that changed an existing card).
    CardLine* old = base.FirstLine(base.FirstGroup(base.FirstCard()));
    uint32_t oldIndex = old->index;
    base.SetLineComponent(old, 1, base.GetDimension(2).FindByCode("B0000099")->number);
    base.RollBack(checkpoint);
    EXPECT_EQ(base.GetLineComponent(base.LineAt(oldIndex), 1), 2u);
}

TEST_F(BaseCheckpointTest, RollingBackWithoutAValidCheckpointChangesNothing)
{
    std::vector<std::string> cards = CardPicture(base);
    BaseCheckpoint never;
    base.RollBack(never);
    EXPECT_EQ(CardPicture(base), cards);

    // Taken while an error is pending, a checkpoint still records everything that exists.
    SetErrorCode(message::kImportCodeUnknown);
    BaseCheckpoint checkpoint;
    base.TakeCheckpoint(checkpoint);
    ClearError();
    base.RollBack(checkpoint);
    EXPECT_EQ(CardPicture(base), cards);
}

std::vector<std::string> TimeScaleNames(const Base& base)
{
    std::vector<std::string> names;
    for (TimeScale* scale = base.TimeScales().First(); scale != nullptr; scale = scale->Next())
        names.emplace_back(scale->GetName());
    return names;
}

std::vector<std::string> SortedMacroNames(Base& base)
{
    base.Macros().Sort();
    std::vector<std::string> names;
    for (Macro* macro = base.Macros().First(); macro != nullptr; macro = macro->Next())
        names.emplace_back(macro->GetName());
    return names;
}

class DeletionCounter : public ChangeReceiver {
public:
    void OnBaseChange(const ChangeRecord& record) override
    {
        scalesDeleted += record.code == kChangeTimeScaleDeleted;
        macrosDeleted += record.code == kChangeMacroDeleted;
    }
    int32_t scalesDeleted = 0;
    int32_t macrosDeleted = 0;
};

// Time scales and macros made since the checkpoint go, each posting its deletion; the earlier ones
// stay in their order, also when the import changed or renamed them. With none at the checkpoint
// every later one goes.
TEST(BaseCheckpointNamedObjects, RollBackRemovesOnlyWhatWasAddedSince)
{
    for (int32_t before : {0, 1, 3}) {
        SCOPED_TRACE(before);
        Base base{FilePath(), 1};
        std::vector<std::string> old;
        for (int32_t i = 0; i < before; ++i) {
            old.push_back("Old " + std::to_string(i));
            base.TimeScales().Create(old.back().c_str());
            base.Macros().Create(old.back().c_str());
        }
        BaseMemoryUse memory = base.GetMemoryUse();
        BaseCheckpoint checkpoint;
        base.TakeCheckpoint(checkpoint);
        ASSERT_TRUE(checkpoint.IsValid());

        std::string commands(9000, 'x');
        for (const char* name : {"New 1", "New 2"}) {
            TimeScale* scale = base.TimeScales().Create(name);
            ASSERT_TRUE(scale->AddPeriod(CardKey{kDay, 1}, "Spring"));
            base.Macros().Create(name);
        }
        base.Macros().Find("new 2")->SetCommands(commands.c_str());
        EXPECT_GE(base.GetMemoryUse().used - memory.used, 9000) << "named objects count in the base's memory";
        if (before > 0) {
            // A renamed macro leaves the list and joins it again; it is still an old one.
            Macro* renamed = base.Macros().Find("Old 0");
            renamed->Rename("Renamed");
            renamed->Rename("Old 0");
            base.TimeScales().Find("Old 0")->ClearPeriods();
        }

        DeletionCounter counter;
        base.AddReceiver(ChangeStage::Dependents, &counter);
        base.RollBack(checkpoint);
        base.RemoveReceiver(ChangeStage::Dependents, &counter);

        EXPECT_EQ(base.GetMemoryUse().used, memory.used) << "before the name index is made again";
        EXPECT_EQ(TimeScaleNames(base), old);
        EXPECT_EQ(SortedMacroNames(base), old);
        EXPECT_EQ(base.TimeScales().Find("New 1"), nullptr);
        EXPECT_EQ(base.Macros().Find("New 2"), nullptr) << "the name index forgets it";
        EXPECT_EQ(counter.scalesDeleted, 2);
        EXPECT_EQ(counter.macrosDeleted, 2);
    }
}

// Regression: the checkpoint did not cover subsets, so a failed import left the subsets it added,
// replaced or changed. Each row changes the subsets as an import can; the rollback gives back the
// subsets as they were, text for text.
TEST(BaseCheckpointNamedObjects, RollBackGivesBackTheSubsets)
{
    struct Case {
        const char* name;
        std::function<void(Base&)> change;
    };
    // Reads one "##Subset" section aside and lets it join the base's list, as a file's subsets do.
    auto join = [](Base& base, const std::string& section) {
        SubsetList aside(base, SubsetListKind::Global, SubsetListPosting::Quiet);
        TextReader reader(section.data(), int64_t(section.size()));
        ASSERT_TRUE(reader.ReadLine());
        ASSERT_TRUE(reader.NextField());
        SubsetLineError error = SubsetLineError::None;
        (void)aside.ReadSection(reader, error);
        base.Subsets().TakeFrom(aside);
    };
    const Case cases[] = {
        {"nothing changed", [](Base&) {}},
        {"a subset added", [&](Base& base) { join(base, "##Subset\tNew\rVN\tA\rVk\t2402\rF\tA\r"); }},
        {"a subset replaced", [&](Base& base) { join(base, "##Subset\tKept\rVN\tZ\rF\tZ\r"); }},
        {"notes changed", [](Base& base) { base.Subsets().FindByName("Kept")->SetNotes("changed"); }},
        {"a subset deleted", [](Base& base) { base.Subsets().Delete(base.Subsets().FindByName("Other")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Base base{FilePath(), 1};
        join(base, "##Subset\tKept\rVN\tA\rVk\t2401\rF\tA\rN\tfirst\r");
        join(base, "##Subset\tOther\rVN\tB\rVS\tKept\rF\tB\r");
        std::string before = Base::SubsetSectionsText(base.Subsets());
        BaseCheckpoint checkpoint;
        base.TakeCheckpoint(checkpoint);
        ASSERT_TRUE(checkpoint.IsValid());
        c.change(base);
        base.RollBack(checkpoint);
        EXPECT_EQ(Base::SubsetSectionsText(base.Subsets()), before);
        EXPECT_EQ(base.Subsets().Count(), 2);
        // The selection that names a subset names the one now in the list.
        SubsetSelection* naming = base.Subsets().FindByName("Other")->SelectionAt(0);
        EXPECT_TRUE(naming->GetSelection().Formula().RefersToSubset(base.Subsets().FindByName("Kept")));
    }
}

// A later checkpoint keeps what an earlier rollback kept and what was added in between.
TEST(BaseCheckpointNamedObjects, SecondCheckpointKeepsWhatCameBetween)
{
    Base base{FilePath(), 1};
    base.Macros().Create("First");
    BaseCheckpoint checkpoint;
    base.TakeCheckpoint(checkpoint);
    base.Macros().Create("Gone");
    base.RollBack(checkpoint);
    base.Macros().Create("Between");
    base.TimeScales().Create("Between");
    base.TakeCheckpoint(checkpoint);
    base.Macros().Create("Gone too");
    base.TimeScales().Create("Gone too");
    base.RollBack(checkpoint);
    EXPECT_EQ(SortedMacroNames(base), (std::vector<std::string>{"Between", "First"}));
    EXPECT_EQ(TimeScaleNames(base), (std::vector<std::string>{"Between"}));
}

TEST(BaseCardKeys, SteppingWithinTheCardNumberDigits)
{
    Base base{FilePath(), 1};
    base.SetCardNumberDigits(3);
    struct Case {
        CardKey key;
        CardKey next;
        CardKey previous;
    } cases[] = {
        {{kDay, 5}, {kDay, 6}, {kDay, 4}},
        {{kDay, 999}, {NextPackedDate(kDay), 1}, {kDay, 998}},
        {{kDay, 1}, {kDay, 2}, {PreviousPackedDate(kDay), 999}},
        {{kDay, 5000}, {NextPackedDate(kDay), 1}, {kDay, 4999}},
        {{MakePackedDate(2016, 2, 29), 999}, {MakePackedDate(2016, 3, 1), 1}, {MakePackedDate(2016, 2, 29), 998}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.key.date << "-" << c.key.number);
        CardKey out;
        base.NextCardKey(out, c.key);
        EXPECT_TRUE(CardKeyEquals(out, c.next));
        base.PreviousCardKey(out, c.key);
        EXPECT_TRUE(CardKeyEquals(out, c.previous));
    }
    base.SetCardNumberDigits(1);
    CardKey out;
    base.NextCardKey(out, CardKey{kDay, 9});
    EXPECT_TRUE(CardKeyEquals(out, CardKey{NextPackedDate(kDay), 1}));
}

TEST(BaseCardKeys, BoundariesAndOrder)
{
    Base base{FilePath(), 1};
    CardKey out;
    CardKey expected;
    base.GetBoundaryCardKey(out, CardEdge::First);
    CardKeyOfYearEdge(expected, -1, 0);
    EXPECT_TRUE(CardKeyEquals(out, expected)) << "no cards: the current year's first day";
    base.GetBoundaryCardKey(out, CardEdge::Last);
    CardKeyOfYearEdge(expected, 1, 0);
    EXPECT_TRUE(CardKeyEquals(out, expected));

    CardKey a{kDay, 7};
    CardKey b{NextPackedDate(kDay), 2};
    Card* first = base.CreateCard(a);
    Card* second = base.CreateCard(b);
    base.GetBoundaryCardKey(out, CardEdge::First);
    EXPECT_TRUE(CardKeyEquals(out, a));
    base.GetBoundaryCardKey(out, CardEdge::Last);
    EXPECT_TRUE(CardKeyEquals(out, b));

    EXPECT_EQ(base.CompareCardsByKey(first, second, SortDirection::Ascending), -1);
    EXPECT_EQ(base.CompareCardsByKey(first, second, SortDirection::Descending), 1);
    EXPECT_EQ(base.CompareCardsByKey(second, second, SortDirection::Descending), 0);
    EXPECT_EQ(base.CompareCardsByKey(nullptr, first, SortDirection::Ascending), 1);
    EXPECT_EQ(base.CompareCardsByKey(first, nullptr, SortDirection::Descending), -1) << "a null card stays last";
    EXPECT_EQ(base.CompareCardsByKey(nullptr, nullptr, SortDirection::Ascending), 0);
}

}  // namespace
}  // namespace vek
