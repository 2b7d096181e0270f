// DoBaseMenuCommand: which menu commands a base handles and what each asks of the window layer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/commands/BaseMenuCommands.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "model/selections/SubsetList.h"
#include "model/templates/Template.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

// Records what the commands ask for; `windows` tells whether windows can be shown.
class CommandServices : public HeadlessModelServices {
public:
    bool OpenBaseWindow(Base&, BaseWindowKind windowKind, int32_t argument) override
    {
        asked.push_back("window " + std::to_string(int32_t(windowKind)) + "/" + std::to_string(argument));
        return windows;
    }
    bool DeleteFrontWindowObject(Base&, int32_t command) override
    {
        asked.push_back("delete " + std::to_string(command));
        return false;  // the front window shows no such object
    }
    bool SaveBase(Base&) override
    {
        asked.push_back("save");
        return true;
    }
    BaseWindowLink* OpenBaseInfoWindow(Base&, int32_t) override
    {
        asked.push_back("info");
        return nullptr;
    }
    BaseWindowLink* OpenTemplateWindow(Template& node, Template*, int32_t) override
    {
        asked.push_back("analysis " + std::to_string(int32_t(node.Kind())));
        return nullptr;
    }

    bool windows = true;
    std::vector<std::string> asked;
};

TEST(BaseMenuCommandsTest, BaseCommandsAreHandledAndOthersOfferedElsewhere)
{
    struct Case {
        const char* name;
        int32_t itemCode;
        int32_t command;
        bool windows;
        int32_t handled;
        const char* asked;  // empty: nothing
    };
    const Case cases[] = {
        {"the first dimension editor", 25, 0, true, 1, "window 11/0"},
        {"the last dimension editor", 56, 0, true, 1, "window 11/31"},
        {"item 24 is no dimension", 24, 0, true, 0, ""},
        {"item 57 is no dimension", 57, 0, true, 0, ""},
        {"save", 0, 205, true, 1, "save"},
        {"the info window", 0, 2542, true, 1, "info"},
        {"a new macro", 0, 2540, true, 1, "window 16/0"},
        {"a new macro without windows", 0, 2540, false, 0, "window 16/0"},
        // A delete whose front window shows no such object does nothing and still counts as handled.
        {"delete the front subset", 0, 2535, true, 1, "delete 2535"},
        {"not a base command", 0, 9999, true, 0, ""},
        {"a new cards analysis", 0, 2547, true, 1, "analysis 1"},
        {"a new component functions analysis", 0, 2551, true, 1, "analysis 5"},
    };
    Base base{FilePath(), 1};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandServices services;
        services.windows = c.windows;
        ScopedService<ModelServices> scoped(&services);
        EXPECT_EQ(DoBaseMenuCommand(base, c.itemCode, c.command), c.handled);
        std::vector<std::string> expected;
        if (*c.asked != '\0')
            expected.emplace_back(c.asked);
        EXPECT_EQ(services.asked, expected);
    }
}

TEST(BaseMenuCommandsTest, NewSubsetsTakeTheNextFreeName)
{
    Base base{FilePath(), 1};
    EXPECT_EQ(DoBaseMenuCommand(base, 0, 2534), 1);
    EXPECT_EQ(DoBaseMenuCommand(base, 0, 2534), 1);
    ASSERT_EQ(base.Subsets().Count(), 2);
    EXPECT_EQ(base.Subsets().GetAt(0)->OperandName(), "G1");
    EXPECT_EQ(base.Subsets().GetAt(1)->OperandName(), "G2");
}

}  // namespace
}  // namespace vek
