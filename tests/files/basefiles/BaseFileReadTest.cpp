// What a load does around the reader of its kind: the open-direct steps show in the base's log
// unless the read skips them or the file brings commands of its own.
#include <gtest/gtest.h>

#include <string>

#include "files/BaseFileTestSupport.h"
#include "files/format/BaseFileType.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;
using test::TextBase;

TEST(BaseFileReadTest, OpenDirectStepsAreLoggedUnlessSkipped)
{
    ClearError();
    ScratchFolder folder;
    std::string plain = folder.Write("plain.vkx", TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", "A\tAlpha", "##End"}));
    std::string commands = folder.Write("commands.vkx", TextBase({"##VEK-Text\t121122", "", "##Commands", "save", "##End"}));
    struct Case {
        const char* name;
        const std::string& path;
        int32_t flags;
        bool logged;
    };
    const Case cases[] = {
        {"a plain open", plain, 0, true},
        {"steps skipped by the caller", plain, kReadSkipOpenDirect, false},
        {"a file with commands", commands, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string log = folder.Path("log.txt");
        {
            Base base{FilePath(c.path), 0};
            base.SetLogFile(log.c_str(), LogFileOpen::Replace);
            ASSERT_TRUE(LoadOwnFile(base, nullptr, c.flags));
            base.SetLogFile("", LogFileOpen::Replace);
        }
        std::string text = ScratchFolder::ReadFileBytes(log);
        EXPECT_EQ(text.find("Executing open-direct commands") != std::string::npos, c.logged) << text;
        EXPECT_EQ(text.find("Completed open-direct commands") != std::string::npos, c.logged) << text;
    }
}

}  // namespace
}  // namespace vek
