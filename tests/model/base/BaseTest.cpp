// Tests of Base: the chain of open bases, change delivery, setters, captions and closing.
#include "model/base/Base.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/services/TextMeasure.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/dimensions/Dimension.h"
#include "model/base/ModelServices.h"
#include "model/base/BaseFileHooks.h"

namespace vek {
namespace {

using Log = std::vector<std::string>;

std::string Entry(const char* who, int32_t code)
{
    return std::string(who) + ":" + std::to_string(code);
}

// Windows as the model sees them: they record what reaches them.
class RecordingServices : public HeadlessModelServices {
public:
    void NotifyBaseWindows(const ChangeRecord& record, Base&) override { log.push_back(Entry("windows", record.code)); }
    void NotifyAllWindows(const ChangeRecord& record) override { log.push_back(Entry("all", record.code)); }
    void CurrentBaseChanged(Base* base) override { currentChanges.push_back(base); }
    std::unique_ptr<DimensionImportSetupBase> NewDimensionImportSetup(Base&, int32_t) override
    {
        ++setupsMade;
        return std::make_unique<CountedSetup>(liveSetups);
    }
    BaseWindowLink* OpenBaseInfoWindow(Base&, int32_t) override
    {
        windows.push_back(std::make_unique<CountedWindow>(activations));
        return windows.back().get();
    }

    struct CountedSetup : DimensionImportSetupBase {
        explicit CountedSetup(int32_t& live) : live(live) { ++live; }
        ~CountedSetup() override { --live; }
        int32_t& live;
    };
    struct CountedWindow : BaseWindowLink {
        explicit CountedWindow(int32_t& activations) : activations(activations) {}
        void Activate(int32_t) override { ++activations; }
        int32_t& activations;
    };

    Log log;
    std::vector<Base*> currentChanges;
    int32_t setupsMade = 0;
    int32_t liveSetups = 0;
    int32_t activations = 0;
    std::vector<std::unique_ptr<BaseWindowLink>> windows;
};

class Recorder : public ChangeReceiver {
public:
    Recorder(Log& log, std::string name) : log(log), name(std::move(name)) {}
    void OnBaseChange(const ChangeRecord& record) override
    {
        log.push_back(Entry(name.c_str(), record.code));
        if (onChange)
            onChange(record);
    }

    Log& log;
    std::string name;
    std::function<void(const ChangeRecord&)> onChange;
};

class BaseTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    // Changes that reached the recorder, without the ones noted before.
    Log Take()
    {
        Log taken;
        taken.swap(services.log);
        return taken;
    }

    MessageCatcher catcher;
    RecordingServices services;
    ScopedService<ModelServices> registeredServices{&services};
};

TEST_F(BaseTest, BasesChainInOpeningOrderAndLeaveItWhenClosed)
{
    auto a = std::make_unique<Base>(FilePath(), 1);
    auto b = std::make_unique<Base>(FilePath(), 2);
    auto c = std::make_unique<Base>(FilePath(), 3);
    ASSERT_EQ(Base::FirstBase(), a.get());
    EXPECT_EQ(a->NextBase(), b.get());
    EXPECT_EQ(b->NextBase(), c.get());
    EXPECT_EQ(c->NextBase(), nullptr);
    EXPECT_EQ(Base::OpenBaseCount(), 3);

    Base::SetCurrentBase(b.get());
    Base::SetMenuBuiltFor(BaseMenu::Macros, b.get());
    b.reset();
    EXPECT_EQ(a->NextBase(), c.get());
    EXPECT_EQ(Base::OpenBaseCount(), 2);
    // No program-wide marker may keep pointing at a closed base.
    EXPECT_EQ(Base::CurrentBase(), nullptr);
    EXPECT_EQ(Base::MenuBuiltFor(BaseMenu::Macros), nullptr);
    ASSERT_EQ(services.currentChanges.size(), 2u);
    EXPECT_EQ(services.currentChanges.back(), nullptr);

    a.reset();
    EXPECT_EQ(Base::FirstBase(), c.get());
}

TEST_F(BaseTest, OpeningAndClosingAreBroadcastToEveryBaseAndAllWindows)
{
    Log log;
    auto first = std::make_unique<Base>(FilePath(), 1);
    Recorder firstRecorder(log, "first");
    first->AddReceiver(ChangeStage::Dependents, &firstRecorder);
    Take();

    auto second = std::make_unique<Base>(FilePath(), 2);
    EXPECT_EQ(log, Log({"first:4"}));
    EXPECT_EQ(Take(), Log({"windows:4", "windows:4", "all:4"}));

    log.clear();
    second.reset();
    EXPECT_EQ(log, Log({"first:5"}));
    EXPECT_EQ(Take(), Log({"windows:5", "all:5"}));
    first->RemoveReceiver(ChangeStage::Dependents, &firstRecorder);
}

TEST_F(BaseTest, ChangeReachesReceiversInTheDocumentedOrder)
{
    Base base(FilePath(), 1);
    Log log;
    Recorder dependent(log, "dependents");
    Recorder second(log, "second");
    Recorder templates(log, "templates");
    Recorder timeScales(log, "timescales");
    Recorder subsets(log, "subsets");
    Recorder webUsers(log, "webusers");
    // Registered out of order on purpose: the stage decides, not the registration.
    base.AddReceiver(ChangeStage::WebUsers, &webUsers);
    base.AddReceiver(ChangeStage::Subsets, &subsets);
    base.AddReceiver(ChangeStage::TimeScales, &timeScales);
    base.AddReceiver(ChangeStage::Templates, &templates);
    base.AddReceiver(ChangeStage::SecondDependents, &second);
    base.AddReceiver(ChangeStage::Dependents, &dependent);
    // Modified already, so that no change 6 follows the changes below.
    base.SetModified(true);
    services.log.clear();

    struct Case {
        int32_t code;
        Log expected;
    };
    const Case cases[] = {
        {13, {"dependents:13", "second:13", "subsets:13", "webusers:13"}},
        {63, {"dependents:63", "templates:63", "timescales:63", "subsets:63", "webusers:63"}},
        {35, {"dependents:35", "subsets:35", "webusers:35"}},
        {58, {"dependents:58", "second:58", "subsets:58", "webusers:58"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        log.clear();
        base.Notify(c.code);
        EXPECT_EQ(log, c.expected);
    }
    EXPECT_EQ(Take(), Log({"windows:13", "windows:63", "windows:35", "windows:58"}));

    // A template's own subset (flag 1) does not reach the second list and does not modify the base.
    base.SetModified(false);
    log.clear();
    ChangeRecord own(58, &base, SubsetPayload{reinterpret_cast<Subset*>(&own), true});
    base.HandleChange(own);
    EXPECT_EQ(log, Log({"dependents:58", "subsets:58", "webusers:58"}));
    EXPECT_FALSE(base.IsModified());
}

TEST_F(BaseTest, ChangesPostedWhileOneIsHandledWaitUntilItIsDone)
{
    Base base(FilePath(), 1);
    base.SetModified(false);
    Log log;
    Recorder dependent(log, "dependents");
    Recorder subsets(log, "subsets");
    base.AddReceiver(ChangeStage::Dependents, &dependent);
    base.AddReceiver(ChangeStage::Subsets, &subsets);
    // The first receiver posts change 60 while change 27 is being handled; the base's own work for
    // 27 posted change 6 (modified) before it.
    dependent.onChange = [&base](const ChangeRecord& record) {
        if (record.code == kChangeCardContents)
            base.Notify(kChangeSubsetModified);
    };
    services.log.clear();
    base.Notify(kChangeCardContents);
    EXPECT_EQ(log, Log({"dependents:27", "subsets:27", "dependents:6", "subsets:6", "dependents:60", "subsets:60"}));
    EXPECT_EQ(Take(), Log({"windows:27", "windows:6", "windows:60"}));
    EXPECT_TRUE(base.IsModified());
}

TEST_F(BaseTest, QueuedDeletionChangeKeepsItsComponentsAfterThePosterFreedThem)
{
    // Guards against a queued change 12 pointing at a bit set that its poster has released.
    Base base(FilePath(), 1);
    Log log;
    Recorder dependent(log, "dependents");
    base.AddReceiver(ChangeStage::Dependents, &dependent);
    std::vector<int32_t> seen;
    dependent.onChange = [&base, &seen](const ChangeRecord& record) {
        if (record.code == kChangeCardNumberDigits) {
            auto deleted = std::make_unique<BitSet>(64);
            deleted->SetAll(0);
            deleted->SetBit(40, true);
            ChangeRecord change(kChangeComponentsDeleted, &base, DeletedComponentsPayload{deleted.get()});
            change.dimension = 2;
            base.HandleChange(change);
        } else if (record.code == kChangeComponentsDeleted) {
            ASSERT_NE(record.DeletedComponents(), nullptr);
            seen.push_back(record.DeletedComponents()->NextSet(-1));
            seen.push_back(record.DeletedComponents()->Count());
        }
    };
    base.SetCardNumberDigits(5);
    EXPECT_EQ(seen, (std::vector<int32_t>{40, 64}));
}

TEST_F(BaseTest, ReceiverRemovedDuringAChangeIsNotCalledAgain)
{
    Base base(FilePath(), 1);
    Log log;
    Recorder first(log, "first");
    Recorder second(log, "second");
    base.AddReceiver(ChangeStage::Dependents, &first);
    base.AddReceiver(ChangeStage::Dependents, &second);
    first.onChange = [&base, &second](const ChangeRecord&) { base.RemoveReceiver(ChangeStage::Dependents, &second); };
    base.Notify(kChangeCardTextCaption);
    base.Notify(kChangeLineTextCaption);
    EXPECT_EQ(log, Log({"first:35", "first:36"}));
}

TEST_F(BaseTest, SettersClampStoreDefaultsAsNoneAndPostOnlyRealChanges)
{
    Base base(FilePath(), 1);
    Log log;
    Recorder recorder(log, "r");
    base.AddReceiver(ChangeStage::Dependents, &recorder);
    std::vector<int32_t> arguments;
    recorder.onChange = [&arguments](const ChangeRecord& record) {
        arguments.push_back(record.Get<DifferencePayload>() ? record.Difference() : record.ValueField());
    };

    base.SetDimensionCaptionWidth(10);  // already 47 after clamping: nothing
    EXPECT_EQ(base.DimensionCaptionWidth(), 47);
    base.SetDimensionCaptionWidth(200);
    EXPECT_EQ(base.DimensionCaptionWidth(), 150);
    base.SetFieldCaptionWidth(0);
    EXPECT_EQ(base.FieldCaptionWidth(), 52);
    base.SetFieldCaptionWidth(60);
    EXPECT_EQ(log, Log({"r:33", "r:34"}));
    EXPECT_EQ(arguments, (std::vector<int32_t>{103, 8}));

    log.clear();
    base.SetValueFormat(3, 8);
    EXPECT_EQ(base.ValueFormat(3), 0);
    base.SetValueFormat(4, 9);
    EXPECT_EQ(base.ValueFormat(4), 0);
    base.SetValueFormat(4, 0);
    base.SetValueFormat(5, 2);  // the default already
    // The first real change also marks the base modified (change 6).
    EXPECT_EQ(log, Log({"r:30", "r:6", "r:30"}));

    base.SetModified(false);
    log.clear();
    String defaultName;
    base.GetValueFieldName(6, defaultName);
    EXPECT_STREQ(defaultName.CStr(), (std::string(LoadText(text::kValueField)) + " 7").c_str());
    base.SetValueFieldName(6, defaultName.CStr());
    EXPECT_EQ(base.ValueFieldNameField(6), nullptr);
    base.SetCardTextCaption(LoadText(text::kCardTextCaption));
    EXPECT_EQ(base.CardTextCaptionField(), nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(base.IsModified());

    base.SetValueFieldName(6, "Amount");
    EXPECT_STREQ(base.ValueFieldNameField(6), "Amount");
    EXPECT_TRUE(base.IsModified());
    base.SetValueFieldName(6, defaultName.CStr());
    EXPECT_EQ(base.ValueFieldNameField(6), nullptr);
    EXPECT_EQ(log, Log({"r:6", "r:37", "r:37"}));
}

TEST_F(BaseTest, CardNumberDigitsFollowTheHighestCardNumberButNeverShrink)
{
    Base base(FilePath(), 1);
    EXPECT_EQ(base.CardNumberDigitsNeeded(), 1);
    CardKey key{PackedDate((124 << 9) | (3 << 5) | 1), 12345};
    ASSERT_NE(base.CreateCard(key), nullptr);
    EXPECT_EQ(base.CardNumberDigitsNeeded(), 5);
    base.FlushCardChanges();
    EXPECT_EQ(base.CardNumberDigits(), 5);
    EXPECT_FALSE(base.CardsChanged());

    base.SetCardNumberDigits(7);
    CardKey small{key.date, 3};
    ASSERT_NE(base.CreateCard(small), nullptr);
    base.FlushCardChanges();
    EXPECT_EQ(base.CardNumberDigits(), 7);
}

TEST_F(BaseTest, FieldCaptionsByCode)
{
    Base base(FilePath(), 1);
    base.GetDimension(2).SetSingularName("Account");
    base.GetDimension(2).SetPluralName("Accounts");
    base.SetLineTextCaption("Note");
    base.SetValueFieldName(0, "Amount");
    struct Case {
        int32_t code;
        std::string expected;
    };
    const Case cases[] = {
        {3, "Account"},
        {35, "Accounts"},
        {1, LoadText(text::kDimensionName0)},
        {64, LoadText(text::kDimensionName31)},
        {65, LoadText(text::kCardTextCaption)},
        {66, "Note"},
        {67, "Amount"},
        {90, std::string(LoadText(text::kValueField)) + " 24"},
        {91, ""},
        {99, ""},
        {0, ""},
        {text::kOk, LoadText(text::kOk)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        String caption;
        base.GetFieldCaption(c.code, caption);
        EXPECT_EQ(std::string(caption.CStr()), c.expected);
    }
    // Width: the measured caption, at least the minimum (the fixed measure: 6 pixels a character).
    FixedWidthTextMeasure fixedWidth;
    ScopedService<TextMeasure> measure(&fixedWidth);
    EXPECT_EQ(base.GetFieldCaptionWidth(3, 10), 42);
    EXPECT_EQ(base.GetFieldCaptionWidth(3, 50), 50);
    char buffer[5];
    base.FillFieldCaption(3, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Acco");
}

TEST_F(BaseTest, FindDimensionByNameTakesNamesThenNumbers)
{
    Base base(FilePath(), 1);
    base.GetDimension(4).SetPluralName("Projects");
    base.GetDimension(6).SetSingularName("Customer");
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"projects", 4}, {"  Customer ", 6}, {"Cust\tomer", 6}, {"3", 2}, {"Dim 32", 31},
        {"33", -1},      {"0", -1},          {"", -1},          {"  ", -1}, {"nothing", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(base.FindDimensionByName(c.text), c.expected);
    }
}

TEST_F(BaseTest, ClosingAModifiedBase)
{
    auto base = std::make_unique<Base>(FilePath(), 1);
    base->SetModified(true);
    // Asking only the windows closes without a question.
    EXPECT_TRUE(base->CanClose(CloseMode::WindowsOnly));
    EXPECT_EQ(catcher.Code(), 0);
    // Unattended, the question keeps the base and its changes (and headless saving is impossible).
    EXPECT_FALSE(base->CanClose(CloseMode::Normal));
    EXPECT_EQ(catcher.Code(), 3200);

    base->SetModified(false);
    EXPECT_TRUE(base->CanClose(CloseMode::ConfirmContents));  // nothing in it: no question
    ASSERT_NE(base->AddComponent(1, "A", nullptr, nullptr), nullptr);
    base->SetModified(false);
    EXPECT_TRUE(base->CanClose(CloseMode::ConfirmContents));
    EXPECT_EQ(catcher.Code(), 3202);
}

TEST_F(BaseTest, DimensionOrderKeepsOnlyDimensionsInUse)
{
    Base base(FilePath(), 1);
    EXPECT_EQ(base.DimensionOrderCount(), 1);
    ASSERT_NE(base.AddComponent(3, "A", nullptr, nullptr), nullptr);
    base.GetDimension(7).SetOptionI(0);  // a setting alone puts a dimension in use
    base.SetupDimensionOrder();
    EXPECT_EQ(base.DimensionOrderCount(), 8);
    EXPECT_EQ(base.DimensionOrderAt(3), 3);
    EXPECT_EQ(base.DimensionOrderAt(5), -1);
    EXPECT_EQ(base.DimensionOrderIndex(7), 7);
    EXPECT_EQ(base.DimensionOrderIndex(20), 20);
}

TEST_F(BaseTest, MemoryUseCountsDocumentedSizesInWholeKilobytes)
{
    Base base(FilePath(), 1);
    BaseMemoryUse empty = base.GetMemoryUse();
    EXPECT_EQ(empty.used % 1024, 0);
    EXPECT_EQ(empty.free % 1024, 0);
    for (int32_t i = 0; i < 200; ++i) {
        String code;
        code.AssignInt(1000 + i);
        ASSERT_NE(base.AddComponent(1, code.CStr(), "Text", nullptr), nullptr);
    }
    BaseMemoryUse grown = base.GetMemoryUse();
    // 200 components of 32 bytes and their texts at least.
    EXPECT_GE(grown.used - empty.used, 200 * 32 - 1024);
    EXPECT_GT(grown.used, empty.used);
}

TEST_F(BaseTest, FinishLoadAnnouncesDefaultCaptionsAndNames)
{
    Base base(FilePath(), 4);
    Log log;
    Recorder recorder(log, "r");
    base.AddReceiver(ChangeStage::Dependents, &recorder);
    base.SetValueFieldName(1, "Quantity");
    log.clear();
    base.FinishLoad();
    // 35, 36, then 37 for the 23 unnamed value fields, then 3 for the untitled base's name.
    ASSERT_EQ(log.size(), 2u + 23u + 1u);
    EXPECT_EQ(log.front(), "r:35");
    EXPECT_EQ(log[2], "r:37");
    EXPECT_EQ(log.back(), "r:3");
    String name;
    base.GetFileName(name);
    EXPECT_EQ(std::string(name.CStr()), std::string(LoadText(text::kUntitled)) + " 4.vek");
}

TEST_F(BaseTest, DimensionImportSetupsAreMadeOnFirstUseAndOwnedByTheBase)
{
    auto base = std::make_unique<Base>(FilePath(), 1);
    DimensionImportSetupBase* setup = base->GetDimensionImportSetup(3);
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(base->GetDimensionImportSetup(3), setup);
    EXPECT_EQ(base->GetDimensionImportSetup(32), nullptr);
    base->GetDimensionImportSetup(4);
    EXPECT_EQ(services.setupsMade, 2);
    base->DropDimensionImportSetup(3);
    EXPECT_EQ(services.liveSetups, 1);
    base.reset();
    EXPECT_EQ(services.liveSetups, 0);
}

TEST_F(BaseTest, InfoWindowIsBroughtForwardOrMadeAgain)
{
    Base base(FilePath(), 1);
    base.OpenInfoWindow(0);
    ASSERT_EQ(services.windows.size(), 1u);
    EXPECT_EQ(base.InfoWindow(), services.windows[0].get());
    base.OpenInfoWindow(0);
    EXPECT_EQ(services.activations, 1);
    base.OpenInfoWindow(8);  // a new window that does not become the base's
    EXPECT_EQ(services.windows.size(), 2u);
    EXPECT_EQ(base.InfoWindow(), services.windows[0].get());
    base.ForgetInfoWindow(services.windows[1].get());
    EXPECT_EQ(base.InfoWindow(), services.windows[0].get());
    base.ForgetInfoWindow(services.windows[0].get());
    EXPECT_EQ(base.InfoWindow(), nullptr);
}

TEST(BaseDeferredTasks, HeadlessTasksCloseBasesAndQuitInOrder)
{
    HeadlessModelServices services;
    ScopedService<ModelServices> registered(&services);
    Base* kept = new Base(FilePath(), 1);
    Base* closed = new Base(FilePath(), 2);
    PostDeferredTask(kTaskCloseDocument, closed);
    PostDeferredTask(kTaskCloseDocument, closed);  // already gone when its turn comes
    PostDeferredTask(kTaskQuit, nullptr);
    EXPECT_EQ(Base::OpenBaseCount(), 2);
    services.RunDeferredTasks();
    EXPECT_EQ(Base::FirstBase(), kept);
    EXPECT_EQ(Base::OpenBaseCount(), 1);
    EXPECT_TRUE(services.QuitRequested());
    EXPECT_EQ(services.QueuedTasks(), 0);
    delete kept;
}

}  // namespace
}  // namespace vek
