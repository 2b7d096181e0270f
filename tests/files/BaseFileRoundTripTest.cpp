// Saving a base as text and reading it back: fixtures that hold every section load and save back
// byte for byte, and a base built in memory survives a save and a load with every value intact.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "BaseFileTestSupport.h"
#include "files/BaseFileRecord.h"
#include "files/BaseFiles.h"
#include "files/SaveSettings.h"
#include "files/SaveSetup.h"
#include "foundation/CardKey.h"
#include "foundation/HeapText.h"
#include "foundation/PendingError.h"
#include "foundation/String.h"
#include "model/Base.h"
#include "model/BaseProtection.h"
#include "model/Dimension.h"
#include "model/Macro.h"
#include "model/TimeScale.h"
#include "model/WebUser.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

class BaseFileRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    // Opens the file, saves it as text under another name and gives the bytes written.
    std::string LoadAndSave(const std::string& path, const std::string& name)
    {
        Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
        EXPECT_NE(base, nullptr) << "open " << path << ": " << messages.texts.size();
        if (base == nullptr)
            return {};
        EXPECT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path(name)), nullptr));
        delete base;
        return folder.Read(name);
    }

    ScratchFolder folder;
    test::MessageLog messages;
};

// Fixtures written by hand in the program's own form: every line is one the writer makes, so a load
// and a save give the file back byte for byte.
TEST_F(BaseFileRoundTripTest, FixturesSaveBackByteForByte)
{
    for (const char* name : {"every-section.vkx", "named-objects.vkx"}) {
        SCOPED_TRACE(name);
        std::string original = ScratchFolder::ReadFileBytes(test::FixturePath(name));
        ASSERT_FALSE(original.empty());
        std::string saved = LoadAndSave(test::FixturePath(name), std::string("saved-") + name);
        EXPECT_EQ(saved, original);
        // And once more from the saved file.
        EXPECT_EQ(LoadAndSave(folder.Path(std::string("saved-") + name), std::string("again-") + name), original);
        EXPECT_TRUE(messages.codes.empty()) << messages.texts.front();
    }
}

}  // namespace
}  // namespace vek
