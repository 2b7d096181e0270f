// Tests of named objects: path splitting, section markers, object menus and sorted chains.
#include "model/named/NamedObjects.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/messages/LocalizedText.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/named/Macro.h"
#include "model/dates/TimeScale.h"

namespace vek {
namespace {

// A menu that records its items as text: submenus with their items, and leaf items "title" (for a
// macro "title=macro name/mode", for a time scale "scale:name").
class RecordingMenu : public ObjectMenu {
public:
    explicit RecordingMenu(std::string title = "") : title(std::move(title)) {}

    ObjectMenu* FindSubmenu(std::string_view wanted) override
    {
        for (auto& submenu : submenus) {
            if (submenu->title == wanted)
                return submenu.get();
        }
        return nullptr;
    }
    ObjectMenu* AddSubmenu(std::string_view wanted) override
    {
        submenus.push_back(std::make_unique<RecordingMenu>(std::string(wanted)));
        items.push_back("[" + std::string(wanted) + "]");
        return submenus.back().get();
    }
    void AddMacroItem(Macro& macro, MacroItemAction action, std::string_view itemTitle) override
    {
        items.push_back(std::string(itemTitle) + "=" + macro.GetName() + "/" + std::to_string(int32_t(action)));
    }
    void AddTimeScaleItem(TimeScale& timeScale) override
    {
        items.push_back(std::string("scale:") + timeScale.GetName());
    }

    // The whole tree, depth first: "title{item,item,...}".
    std::string Dump() const
    {
        std::string text = title + "{";
        size_t next = 0;
        for (size_t i = 0; i < items.size(); ++i) {
            if (i > 0)
                text += ",";
            if (items[i].front() == '[')
                text += submenus[next++]->Dump();
            else
                text += items[i];
        }
        return text + "}";
    }

    std::string title;
    std::vector<std::string> items;
    std::vector<std::unique_ptr<RecordingMenu>> submenus;
};

TEST(NamedObjectsTest, SplitPathHeadTakesOnePartAtATime)
{
    struct Case {
        const char* path;
        const char* head;
        const char* rest;
    };
    const Case cases[] = {
        {"Reports: Monthly: Sales", "Reports", "Monthly: Sales"},
        {"Reports", "Reports", ""},
        {"A   :   B", "A", "B"},
        {": B", "B", ""},         // an empty first part is dropped
        {"::A: B", "A", "B"},     // every empty part before the first name
        {":", "", ""},            // nothing follows: nothing taken
        {"A:", "A", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        String path;
        String head;
        path.AssignCStr(c.path);
        SplitPathHead(path, head);
        EXPECT_STREQ(head.CStr(), c.head);
        EXPECT_STREQ(path.CStr(), c.rest);
    }
}

TEST(NamedObjectsTest, SplitPathHeadWalksAWholePath)
{
    String path;
    String head;
    path.AssignCStr("Group A: Sub: Leaf");
    std::vector<std::string> parts;
    while (!path.IsEmpty()) {
        SplitPathHead(path, head);
        parts.emplace_back(head.CStr());
    }
    EXPECT_EQ(parts, (std::vector<std::string>{"Group A", "Sub", "Leaf"}));
}

TEST(NamedObjectsTest, SectionMarkers)
{
    struct Case {
        const char* field;
        bool marker;
    };
    const Case cases[] = {
        {"##Macro", true},     {"##", true},        {"#A", false},         {"", false},
        {"•••Dim1", true},     {"••Dim", false},    {"A##", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(IsSectionMarker(c.field, int32_t(std::string_view(c.field).size())), c.marker);
    }
    // Only the given bytes count.
    EXPECT_FALSE(IsSectionMarker("##Macro", 1));
}

TEST(NamedObjectsTest, MacroMenuPathsBuildSubmenusOnce)
{
    MacroList macros(nullptr);
    macros.Create("Reports: Monthly: Sales");
    macros.Create("Reports: Yearly");
    macros.Create(":Odd: One");  // the leading colon does not split
    macros.Create("Plain");
    RecordingMenu menu;
    for (Macro* macro = macros.First(); macro != nullptr; macro = macro->Next())
        AddMacroMenuItem(menu, *macro, MacroItemAction::Edit);
    // Newest first (the list is not sorted here).
    EXPECT_EQ(menu.Dump(), "{Plain=Plain/1,:Odd{One=:Odd: One/1},"
                           "Reports{Yearly=Reports: Yearly/1,Monthly{Sales=Reports: Monthly: Sales/1}}}");
}

TEST(NamedObjectsTest, MacroMenuSortsAndFillsTheSecondMenuOnce)
{
    MacroList macros(nullptr);
    (macros.Create("b"))->SetFlagA(true);
    macros.Create("C");
    (macros.Create("a: x"))->SetFlagA(true);
    RecordingMenu menu;
    RecordingMenu second;
    macros.BuildMenu(menu, second);
    EXPECT_TRUE(macros.IsSorted());
    EXPECT_EQ(menu.Dump(), "{a{x=a: x/0},b=b/0,C=C/0}");
    std::string title = LoadText(text::kSecondMacroMenu);
    EXPECT_EQ(second.Dump(), "{" + title + "{a{x=a: x/0},b=b/0}}");

    // Without flagged macros no second menu is made.
    MacroList plain(nullptr);
    plain.Create("x");
    RecordingMenu menu2;
    RecordingMenu second2;
    plain.BuildMenu(menu2, second2);
    EXPECT_EQ(second2.Dump(), "{}");
}

TEST(NamedObjectsTest, TimeScaleMenuFollowsListOrder)
{
    TimeScaleList scales(nullptr);
    scales.Create("Seasons");
    scales.Create("Quarters");
    RecordingMenu menu;
    scales.BuildMenu(menu);
    EXPECT_EQ(menu.Dump(), "{scale:Seasons,scale:Quarters}");
}

// A record shaped like the save setups and import setups that keep sorted chains.
struct SetupRecord {
    SetupRecord* next = nullptr;
    HeapText name = nullptr;
    explicit SetupRecord(const char* text) : name(NewHeapText(text)) {}
    ~SetupRecord() { SetHeapText(name, nullptr); }
    ConstHeapText GetName() const { return name; }
};

std::string ChainNames(SetupRecord* first)
{
    std::string text;
    for (SetupRecord* item = first; item != nullptr; item = item->next)
        text += std::string(item->GetName()) + ";";
    return text;
}

TEST(NamedObjectsTest, SortedChainsInsertFindAndRemove)
{
    SetupRecord b("b");
    SetupRecord a("A");
    SetupRecord c("c");
    SetupRecord otherB("B");
    SetupRecord* first = nullptr;
    InsertInNamedChain(first, &b);
    InsertInNamedChain(first, &a);
    InsertInNamedChain(first, &c);
    EXPECT_EQ(ChainNames(first), "A;b;c;");
    // An equal name goes in front of the existing one.
    InsertInNamedChain(first, &otherB);
    EXPECT_EQ(ChainNames(first), "A;B;b;c;");

    EXPECT_EQ(FindInNamedChain(first, "  C ", -1), &c);
    EXPECT_EQ(FindInNamedChain(first, "b", -1), &otherB);
    EXPECT_EQ(FindInNamedChain(first, "   ", -1), nullptr);
    EXPECT_EQ(FindInNamedChain(first, "cx", 1), &c);  // only the given bytes count

    EXPECT_TRUE(RemoveFromNamedChain(first, &otherB));
    EXPECT_FALSE(RemoveFromNamedChain(first, &otherB));
    EXPECT_EQ(ChainNames(first), "A;b;c;");
    EXPECT_TRUE(RemoveFromNamedChain(first, &a));
    EXPECT_TRUE(RemoveFromNamedChain(first, &c));
    EXPECT_EQ(ChainNames(first), "b;");
}

}  // namespace
}  // namespace vek
