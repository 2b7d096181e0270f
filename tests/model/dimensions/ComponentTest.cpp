// Tests of Component: roots, codes and parents, host codes, typed texts, formatting and tree walks.
#include "model/dimensions/Component.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/BaseFileHooks.h"
#include "model/cards/Card.h"
#include "model/cards/CardFilter.h"
#include "model/dimensions/Dimension.h"

namespace vek {

class BaseTestAccess {
public:
    static void SetGeneratedCodeCounter(Base& base, int32_t d, int32_t value)
    {
        base.generatedCodeCounters[size_t(d)] = value;
    }
};

namespace {

class FixedSaveSettings : public BaseSaveSettings {
public:
    explicit FixedSaveSettings(int32_t mode) : mode(mode) {}
    int32_t DimensionOrderEntry(int32_t) const override { return 0; }
    int32_t CardsReferenceMode(int32_t) const override { return mode; }
    int32_t mode;
};

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(), 1);
    }
    void TearDown() override
    {
        base.reset();
        ClearError();
    }

    const RecordPool& Pool() const { return base->ComponentPool(); }

    Component* Add(int32_t d, const char* code, const char* text = nullptr, const char* host = nullptr)
    {
        return base->AddComponent(d, code, text, host);
    }

    std::string CodeOf(const Component* c) const { return c == nullptr ? "null" : c->code ? c->code : ""; }

    // Codes of dimension d in pre-order, each indented by its level.
    std::string Tree(int32_t d) const
    {
        std::string text;
        Component* root = base->Root(d);
        for (Component* c = root->NextInSubtree(Pool(), root); c != root; c = c->NextInSubtree(Pool(), root)) {
            text += std::string(size_t(c->GetLevel(Pool())), ' ') + CodeOf(c) + ";";
        }
        return text;
    }

    MessageCatcher catcher;
    std::unique_ptr<Base> base;
};

TEST_F(ComponentTest, RootsStandForNoComponent)
{
    for (int32_t d = 0; d < 32; ++d) {
        const Component* root = base->Root(d);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->number, uint32_t(d));
        EXPECT_TRUE(root->IsRoot());
        EXPECT_EQ(root->prevSibling, uint32_t(d));
        EXPECT_EQ(root->GetLevel(Pool()), -1);
    }
    EXPECT_EQ(base->CountComponentsInUse(), 0);
    String text;
    base->FormatComponent(text, base->Root(3), 3);
    EXPECT_TRUE(text.IsEmpty());
}

TEST_F(ComponentTest, CodePrefixesChooseTheParent)
{
    Add(1, "12");
    Component* c1234 = Add(1, "1234");
    Component* c123 = Add(1, "123");
    Add(1, "5");
    Add(1, "50 1");  // blanks leave the code: "501"
    EXPECT_EQ(Tree(1), "12; 1234; 123;5; 501;");
    // "123" came after "1234" and does not adopt it.
    EXPECT_EQ(c1234->Parent(Pool()), c123->Parent(Pool()));
    EXPECT_EQ(base->MaxComponentLevel(1), 2);
    EXPECT_EQ(base->CountComponents(1), 5);
    EXPECT_EQ(base->CountComponentsInUse(), 5);

    // Prefixes are cut at whole characters.
    Component* accented = Add(2, "\xC3\x85");  // "Å"
    Component* child = Add(2, "\xC3\x85" "1");
    EXPECT_EQ(child->Parent(Pool()), accented);
}

TEST_F(ComponentTest, AddingAnExistingCodeChangesNothing)
{
    Component* first = Add(1, "4010", "Rent");
    Component* again = Add(1, " 40 10 ", "Other", "H");
    EXPECT_EQ(again, first);
    EXPECT_STREQ(first->text, "Rent");
    EXPECT_EQ(first->host, nullptr);
    EXPECT_EQ(base->CountComponents(1), 1);
    EXPECT_EQ(Add(1, "   "), nullptr);
    EXPECT_EQ(Add(1, nullptr), nullptr);
}

TEST_F(ComponentTest, AHostCodeInUseIsReportedAndNotGiven)
{
    Add(1, "A", nullptr, "H1");
    Component* b = Add(1, "B", nullptr, "H1");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->host, nullptr);
    EXPECT_EQ(catcher.Code(), message::kDuplicateHost);
}

TEST_F(ComponentTest, LookupOfTypedTexts)
{
    Add(1, "4010", "Rent", "R-1");
    Add(1, "4020", "Heating and water", "HW");
    Add(1, "4030", "Heat pump");
    Add(1, "5000", "Rent extra");
    struct Case {
        const char* typed;
        const char* expected;  // code, or "root"
    };
    const Case cases[] = {
        {"  ", "root"},
        {"", "root"},
        {"4010", "4010"},
        {" 4020 ", "4020"},
        {"r-1", "4010"},  // host, without case
        {"heat", "4030"},  // the text that sorts first among those that start with it
        {"Rent", "4010"},
        {"4010 Rent", "4010"},  // the code before the blank, though no text starts with "4010 Rent"
        {"9999 Heating", "4020"},  // unknown first part: the rest as a text prefix
        {"9999  ", "root"},
        {"9999 nothing", "root"},
        {"HW", "4020"},
        {"nothing", "root"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        uint32_t number = base->LookupComponent(1, c.typed, int32_t(std::strlen(c.typed)));
        EXPECT_EQ(number == 1 ? std::string("root") : CodeOf(base->ComponentAt(number)), c.expected);
    }
    // Only the given length is read, and at most 255 bytes are used.
    EXPECT_EQ(CodeOf(base->ComponentAt(base->LookupComponent(1, "4010xyz", 4))), "4010");
    std::string longText = "4010 " + std::string(400, 'x');
    EXPECT_EQ(CodeOf(base->ComponentAt(base->LookupComponent(1, longText.c_str(), int32_t(longText.size())))), "4010");
}

TEST_F(ComponentTest, UnknownTypedTextUnattendedGoesToTheAlert)
{
    Add(1, "4010", "Rent");
    EXPECT_EQ(base->ResolveComponent(1, "9999", 4), 1u);
    EXPECT_EQ(catcher.Code(), message::kUnknownComponent);
    EXPECT_NE(std::string(catcher.Text()).find("9999"), std::string::npos);
    EXPECT_EQ(base->ResolveComponent(1, "4010", 4), base->GetDimension(1).FindByCode("4010")->number);
}

TEST_F(ComponentTest, FormattingByDisplayCombination)
{
    Component* c = Add(3, "K1", "Kitchen", "H7");
    Component* bare = Add(3, "K2");
    struct Case {
        int32_t display;
        const char* formatted;
        const char* exact;
        const char* exactBare;
    };
    const Case cases[] = {
        {0, "K1", "K1", "K2"},
        {1, "K1 H7", "H7", ""},
        {2, "K1 Kitchen", "Kitchen", ""},
        {3, "K1 Kitchen", "K1 Kitchen", "K2"},
        {4, "K1 H7 Kitchen", "H7 Kitchen", ""},
        {5, "K1 H7", "K1 H7", "K2"},
        {6, "K1 H7 Kitchen", "K1 H7 Kitchen", "K2"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.display);
        base->GetDimension(3).SetDisplay(each.display);
        String text;
        base->FormatComponent(text, c, 3);
        EXPECT_STREQ(text.CStr(), each.formatted);
        char buffer[64] = {};
        char* cursor = buffer;
        base->FormatComponentExact(cursor, c, 3, -1);
        ASSERT_LE(cursor - buffer, Base::FormatComponentExactBound(c));
        EXPECT_EQ(std::string(buffer, size_t(cursor - buffer)), each.exact);
        cursor = buffer;
        base->FormatComponentExact(cursor, bare, 3, each.display);
        EXPECT_EQ(std::string(buffer, size_t(cursor - buffer)), each.exactBare);
    }
}

TEST_F(ComponentTest, WalksOverTheTree)
{
    for (const char* code : {"1", "10", "100", "11", "2", "20"})
        Add(1, code);
    Add(2, "X");
    Component* root = base->Root(1);
    std::string preorder;
    std::vector<int32_t> depths;
    int32_t depth = 0;
    for (Component* c = root->NextInPreorderWithDepth(Pool(), depth); c != nullptr && !c->IsRoot();
         c = c->NextInPreorderWithDepth(Pool(), depth)) {
        preorder += CodeOf(c) + ";";
        depths.push_back(depth);
    }
    // The pre-order walk of one dimension ends at the end of its tree, not in the next dimension.
    EXPECT_EQ(preorder, "1;10;100;11;2;20;");
    EXPECT_EQ(depths, (std::vector<int32_t>{1, 2, 3, 2, 1, 2}));

    std::string reverse;
    for (Component* c = root->NextInReverseOrder(Pool()); c != root; c = c->NextInReverseOrder(Pool()))
        reverse += CodeOf(c) + ";";
    EXPECT_EQ(reverse, "2;20;1;11;10;100;");

    Component* c1 = base->GetDimension(1).FindByCode("1");
    Component* c100 = base->GetDimension(1).FindByCode("100");
    Component* c11 = base->GetDimension(1).FindByCode("11");
    Component* c20 = base->GetDimension(1).FindByCode("20");
    int32_t climb = 3;
    EXPECT_EQ(c100->NextAfterSubtree(Pool(), root, climb), c11);
    EXPECT_EQ(climb, 2);
    climb = 0;
    EXPECT_EQ(c100->NextAfterSubtree(Pool(), c1, climb), c11);
    EXPECT_EQ(c20->NextAfterSubtree(Pool(), root, climb), root);

    EXPECT_EQ(Component::CommonAncestor(Pool(), c100, c11), c1);
    EXPECT_EQ(Component::CommonAncestor(Pool(), c100, c20), root);
    EXPECT_EQ(Component::CommonAncestor(Pool(), c100, base->GetDimension(2).FindByCode("X")), nullptr);
    EXPECT_TRUE(Component::IsAncestorOrSelf(Pool(), c1, c100));
    EXPECT_FALSE(Component::IsAncestorOrSelf(Pool(), c100, c1));

    BitSet set(base->ComponentPool().ElementCount());
    set.SetAll(0);
    Component::MarkSubtree(Pool(), c1, set);
    EXPECT_EQ(set.BitCount(), 4);
    set.SetAll(0);
    set.SetBit(int32_t(c100->number), true);
    set.SetBit(int32_t(c11->number), true);
    EXPECT_EQ(base->CommonAncestorOfMarked(set, 1), c1);
    base->MarkAncestors(set, 1);
    EXPECT_EQ(set.BitCount(), 4);  // 100, 11 and their ancestors 10 and 1, not the root
    EXPECT_FALSE(set.GetBit(1));
    EXPECT_EQ(base->NearestUnmarkedAncestor(c100, set), root);
    set.SetBit(int32_t(c1->number), false);
    EXPECT_EQ(base->NearestUnmarkedAncestor(c100, set), c1);
    set.SetAll(0);
    EXPECT_EQ(base->CommonAncestorOfMarked(set, 1), root);
}

TEST_F(ComponentTest, LinkingKeepsTheLastChildReachable)
{
    Component* a = Add(1, "A");
    Component* b = Add(1, "B");
    Component* c = Add(1, "C");
    Component* root = base->Root(1);
    EXPECT_EQ(root->LastChild(Pool()), c);
    b->Unlink(Pool());
    EXPECT_EQ(Tree(1), "A;C;");
    EXPECT_EQ(a->nextSibling, c->number);
    b->InsertAfter(Pool(), c);
    EXPECT_EQ(root->LastChild(Pool()), b);
    a->Unlink(Pool());
    EXPECT_EQ(root->FirstChild(Pool()), c);
    EXPECT_EQ(root->LastChild(Pool()), b);
    a->AppendChild(Pool(), b);
    EXPECT_EQ(Tree(1), "C;B; A;");
    EXPECT_EQ(b->LastChild(Pool()), a);
}

TEST_F(ComponentTest, SortingChildren)
{
    Add(1, "30", "Beta", "h2");
    Add(1, "10", "Gamma", "h3");
    Add(1, "20", "alpha");  // no host: sorts first by host
    Add(1, "25", "Beta", "h1");
    Add(1, "101", "z");
    Add(1, "100", "y");
    Component* root = base->Root(1);
    struct Case {
        int32_t flags;
        const char* expected;
    };
    const Case cases[] = {
        {0, "10; 101; 100;20;25;30;"},  // only the top level
        {kSortRecursive, "10; 100; 101;20;25;30;"},
        {kSortRecursive | kSortReverse, "30;25;20;10; 101; 100;"},
        {kSortRecursive | kSortByText, "20;25;30;10; 100; 101;"},  // equal texts "Beta" by code
        {kSortRecursive | kSortByHost, "20;25;30;10; 100; 101;"},
        {kSortByText | kSortReverse, "10; 100; 101;30;25;20;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        root->SortChildren(Pool(), c.flags);
        EXPECT_EQ(Tree(1), c.expected);
        EXPECT_EQ(root->LastChild(Pool())->nextSibling, kNoRecord);
    }
}

TEST_F(ComponentTest, GeneratedCodes)
{
    String code;
    base->NewGeneratedCode(4, code);
    EXPECT_STREQ(code.CStr(), "#00001");
    Component* parent = base->GetDimension(4).FindByCode("#");
    ASSERT_NE(parent, nullptr);
    EXPECT_STREQ(parent->text, LoadText(text::kGeneratedCodes));
    Component* first = Add(4, code.CStr());
    EXPECT_EQ(first->Parent(Pool()), parent);

    Add(4, "#00002");
    Add(4, "#00003");
    base->NewGeneratedCode(4, code);
    EXPECT_STREQ(code.CStr(), "#00004");
    EXPECT_EQ(base->GeneratedCodeCounter(4), 4);

    BaseTestAccess::SetGeneratedCodeCounter(*base, 4, 99998);
    base->NewGeneratedCode(4, code);
    EXPECT_STREQ(code.CStr(), "#99999");
    base->NewGeneratedCode(4, code);
    EXPECT_STREQ(code.CStr(), "#A100000");
    BaseTestAccess::SetGeneratedCodeCounter(*base, 4, 1234566);
    base->NewGeneratedCode(4, code);
    EXPECT_STREQ(code.CStr(), "#B1234567");
    BaseTestAccess::SetGeneratedCodeCounter(*base, 4, INT32_MAX);
    base->NewGeneratedCode(4, code);
    EXPECT_TRUE(code.IsEmpty());

    // Deleting the top-level "#" starts the numbering again.
    base->DeleteComponent(parent);
    EXPECT_EQ(base->GeneratedCodeCounter(4), 0);
    EXPECT_EQ(base->CountComponents(4), 0);
    base->NewGeneratedCode(4, code);
    EXPECT_STREQ(code.CStr(), "#00001");
}

TEST_F(ComponentTest, ImportedNamesAreFoundOrCreatedByTheReferenceMode)
{
    Add(2, "AB1", "Office", "X-9");
    struct Case {
        int32_t mode;
        const char* text;
        bool created;
        int32_t message;
        const char* code;  // of the result; "#" for a generated one
    };
    const Case cases[] = {
        {0, "AB1", false, 0, "AB1"},
        {0, "A B 1", false, 0, "AB1"},
        {0, "ZZ", true, message::kImportCodeUnknown, "ZZ"},
        {1, " X-9 ", false, 0, "AB1"},
        {1, "Y-1", true, message::kImportHostUnknown, "#"},
        {2, "Off", false, 0, "AB1"},
        {2, "Warehouse", true, message::kImportTextUnknown, "#"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        base->SetSaveSettings(std::make_unique<FixedSaveSettings>(c.mode));
        catcher.ShowMessage(Message());
        int32_t before = base->CountComponents(2);
        uint32_t number = base->ResolveImportComponent(2, c.text, int32_t(std::strlen(c.text)));
        EXPECT_EQ(base->CountComponents(2) > before, c.created);
        EXPECT_EQ(catcher.Code(), c.message);
        std::string code = CodeOf(base->ComponentAt(number));
        EXPECT_EQ(code.substr(0, std::strlen(c.code)), c.code);
    }
    EXPECT_EQ(base->ResolveImportComponent(2, "  ", 2), 2u);
    base->SetSaveSettings(nullptr);
    EXPECT_EQ(base->ResolveImportComponent(2, "", 0), 2u);
}

// A save's filter: keys of January 2024 days 1-2, no group keyed G2, no line whose text is "no".
class SaveLikeFilter : public CardFilter {
public:
    void KeyRange(CardKey& from, CardKey& to) const override
    {
        from = CardKey{MakePackedDate(2024, 1, 1), 1};
        to = CardKey{MakePackedDate(2024, 1, 2), kOpenEndNumber};
    }
    bool PassesGroup(const Card&, const CardGroup& group) const override { return group.key != int32_t(rejectedGroup); }
    bool PassesLine(const Card&, const CardGroup&, const CardLine& line) const override
    {
        return line.Text() == nullptr || std::string(line.Text()) != "no";
    }
    uint32_t rejectedGroup = 0;
};

TEST_F(ComponentTest, UsedComponentsCountOnlyWhatTheCardFilterPasses)
{
    Component* g1 = Add(0, "G1");
    Component* g2 = Add(0, "G2");
    Component* line[4] = {Add(1, "A"), Add(1, "B"), Add(1, "C"), Add(1, "D")};
    struct Row {
        int32_t day;
        Component* group;
        int32_t component;
        const char* text;
    };
    const Row rows[] = {{1, g1, 0, nullptr}, {1, g1, 1, "no"}, {2, g2, 2, nullptr}, {3, g1, 3, nullptr}};
    for (const Row& row : rows) {
        CardKey key{MakePackedDate(2024, 1, row.day), 1};
        Card* card = base->FindCardAtOrAfter(key);
        if (card == base->ChainEnd() || base->CardDate(card) != key.date)
            card = base->CreateCard(key);
        ASSERT_NE(card, nullptr);
        CardLine* created = base->CreateLine(base->FindOrAddGroup(card, int32_t(row.group->number)));
        ASSERT_NE(created, nullptr);
        base->SetLineComponent(created, 0, line[row.component]->number);
        created->SetText(row.text);
    }
    auto marked = [&](int32_t d) {
        BitSet used;
        base->MarkUsedComponents(used, d);
        std::string codes;
        for (int32_t i = 0; i < used.Count(); ++i) {
            if (used.GetBit(i))
                codes += CodeOf(base->ComponentAt(uint32_t(i)));
        }
        return codes;
    };
    EXPECT_EQ(marked(1), "ABCD");
    EXPECT_EQ(marked(0), "G1G2");
    SaveLikeFilter filter;
    filter.rejectedGroup = g2->number;
    base->SetCardFilter(&filter);
    EXPECT_EQ(marked(1), "A");
    EXPECT_EQ(marked(0), "G1");
    base->SetCardFilter(nullptr);
    EXPECT_EQ(marked(1), "ABCD");
}

TEST_F(ComponentTest, DeletedComponentsAreReusedAndLinesForgetThem)
{
    Component* a = Add(1, "A");
    Component* a1 = Add(1, "A1");
    Component* a2 = Add(1, "A2");
    Component* b = Add(1, "B");
    uint32_t numberA1 = a1->number;
    CardKey key{PackedDate((124 << 9) | (5 << 5) | 2), 0};
    Card* card = base->CreateCard(key);
    ASSERT_NE(card, nullptr);
    CardGroup* group = base->FindOrAddGroup(card, 0);
    CardLine* lineA1 = base->CreateLine(group);
    CardLine* lineB = base->CreateLine(group);
    base->SetLineComponent(lineA1, 0, a1->number);
    base->SetLineComponent(lineB, 0, b->number);

    BitSet used;
    base->MarkUsedComponents(used, 1);
    EXPECT_EQ(used.BitCount(), 2);
    EXPECT_TRUE(used.GetBit(int32_t(numberA1)));

    BitSet marked(base->ComponentPool().ElementCount());
    marked.SetAll(0);
    marked.SetBit(int32_t(a->number), true);  // with its subtree
    marked.SetBit(int32_t(a2->number), true);
    BitSet deleted;
    ASSERT_TRUE(deleted.BitSetCopy(marked));
    Component::MarkSubtree(Pool(), a, deleted);
    base->DeleteMarkedComponents(marked, 1);
    EXPECT_EQ(Tree(1), "B;");
    EXPECT_EQ(base->CountComponentsInUse(), 1);
    EXPECT_EQ(base->GetDimension(1).FindByCode("A1"), nullptr);

    ChangeRecord change(kChangeComponentsDeleted, base.get(), DeletedComponentsPayload{&deleted});
    change.dimension = 1;
    base->HandleChange(change);
    EXPECT_EQ(base->GetLineComponent(lineA1, 0), 1u);
    EXPECT_EQ(base->GetLineComponent(lineB, 0), b->number);

    // Numbers of deleted components come back before the pool grows.
    int32_t elements = base->ComponentPool().ElementCount();
    Component* c = Add(1, "C");
    EXPECT_EQ(base->ComponentPool().ElementCount(), elements);
    EXPECT_LT(c->number, uint32_t(elements));
    BitSet live;
    base->MarkLiveComponents(live);
    EXPECT_EQ(live.BitCount(), 32 + 2);
}

TEST_F(ComponentTest, TheComponentNumber65530WidensTheLinesFirst)
{
    CardKey key{PackedDate((124 << 9) | (1 << 5) | 31), 0};
    Card* card = base->CreateCard(key);
    ASSERT_NE(card, nullptr);
    CardLine* line = base->CreateLine(base->FindOrAddGroup(card, 0));
    ASSERT_NE(line, nullptr);

    // Numbers 32 .. 65529 fit in two bytes.
    Component* last = nullptr;
    String code;
    while (base->ComponentPool().ElementCount() < int32_t(kWidenTo3Bytes)) {
        code.AssignChar('K');
        code.AppendInt(base->ComponentPool().ElementCount());
        last = Add(1, code.CStr());
        ASSERT_NE(last, nullptr);
    }
    EXPECT_EQ(last->number, kWidenTo3Bytes - 1);
    EXPECT_EQ(base->ComponentWidth(), 2);
    base->SetLineComponent(line, 0, last->number);

    // A freed number is reused without widening.
    Component* spare = base->GetDimension(1).FindByCode("K50000");  // a leaf
    base->DeleteComponent(spare);
    Component* reused = Add(1, "R");
    EXPECT_EQ(reused->number, 50000u);
    EXPECT_EQ(base->ComponentWidth(), 2);

    // The 65531st element (number 65530) widens every line before it exists.
    Component* wide = Add(1, "W");
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->number, kWidenTo3Bytes);
    EXPECT_EQ(base->ComponentWidth(), 3);
    EXPECT_EQ(base->GetLineComponent(line, 0), kWidenTo3Bytes - 1);
    base->SetLineComponent(line, 0, wide->number);
    EXPECT_EQ(base->GetLineComponent(line, 0), kWidenTo3Bytes);
    EXPECT_EQ(base->CountComponentsInUse(), int32_t(kWidenTo3Bytes) + 1 - 32);
}

TEST_F(ComponentTest, FailedWideningCreatesNoComponent)
{
    // Two dimensions in lines, so that wider numbers need larger line records.
    ASSERT_NE(Add(2, "D2"), nullptr);
    ASSERT_EQ(base->DimsInUse(), 2);
    while (base->ComponentPool().ElementCount() < int32_t(kWidenTo3Bytes)) {
        Component* c = base->AllocComponent();
        ASSERT_NE(c, nullptr);
    }
    CardKey key{PackedDate((124 << 9) | (1 << 5) | 31), 0};
    Card* card = base->CreateCard(key);
    ASSERT_NE(base->CreateLine(base->FindOrAddGroup(card, 0)), nullptr);
    // The line records cannot grow: the component must not be made with a number the lines
    // cannot hold.
    MemFailAllocationsAfter(0);
    Component* c = base->AllocComponent();
    MemFailAllocationsAfter(-1);
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(base->ComponentWidth(), 2);
    EXPECT_EQ(base->ComponentPool().ElementCount(), int32_t(kWidenTo3Bytes));
    ClearError();
    ASSERT_NE(base->AllocComponent(), nullptr);
    EXPECT_EQ(base->ComponentWidth(), 3);
}

TEST_F(ComponentTest, WritingComponentLists)
{
    Add(1, "1", "One", "h");
    Add(1, "10", "Ten");
    Add(1, "100");
    Add(1, "2", "Two");
    TextWriter all;
    base->WriteComponents(all, 1);
    EXPECT_EQ(std::string(all.BufferedBytes()), "1\tOne\th\r10\tTen\r100\r2\tTwo\r");
    struct Case {
        const char* top;
        int32_t maxDepth;
        const char* expected;
        const char* pattern = nullptr;  // code, text or host must match it
    };
    const Case cases[] = {
        {nullptr, 0, "1\tOne\th\r2\tTwo\r"},
        {"1", -1, "1\tOne\th\r10\tTen\r100\r"},
        {"1", 1, "1\tOne\th\r10\tTen\r"},
        {"10", 0, "10\tTen\r"},
        {"9", -1, ""},
        {nullptr, -1, "10\tTen\r", "te"},
        {nullptr, -1, "1\tOne\th\r", "h"},
        {nullptr, -1, "1\tOne\th\r10\tTen\r100\r", "\\1*"},
        {"1", 1, "1\tOne\th\r10\tTen\r", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.top == nullptr ? "none" : c.top);
        SCOPED_TRACE(c.pattern == nullptr ? "no pattern" : c.pattern);
        TextWriter writer;
        if (c.pattern == nullptr)
            base->WriteComponentsFiltered(writer, 1, c.top, c.maxDepth);
        else
            base->WriteComponentsFiltered(writer, 1, c.top, c.pattern, c.maxDepth);
        EXPECT_EQ(std::string(writer.BufferedBytes()), c.expected);
    }
}

}  // namespace
}  // namespace vek
