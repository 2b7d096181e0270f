#include "platform/ForkByteFile.h"

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "foundation/PendingError.h"

namespace vek {
namespace {

class ForkByteFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        RegisterPlatformFiles();
    }
    void TearDown() override
    {
        ClearError();
    }
    TestFolder folder;
};

TEST_F(ForkByteFileTest, TheLibrarysFilesArePlatformFiles)
{
    std::unique_ptr<ByteFile> file = NewByteFile();
    ASSERT_NE(dynamic_cast<ForkByteFile*>(file.get()), nullptr);

    // Writing starts a new content; appending goes on at the end and creates a missing file.
    std::string path = folder.Write("log.txt", "old contents");
    ASSERT_TRUE(file->OpenForWrite(path.c_str()));
    EXPECT_EQ(file->GetSize(), 0);
    EXPECT_EQ(file->Write("new", 3), 3);
    file->Close();
    EXPECT_EQ(folder.Read("log.txt"), "new");
    ASSERT_TRUE(file->OpenForAppend(path.c_str()));
    EXPECT_EQ(file->Write(" more", 5), 5);
    file->Close();
    EXPECT_EQ(folder.Read("log.txt"), "new more");
    ASSERT_TRUE(file->OpenForAppend(folder.Path("fresh.txt").c_str()));
    EXPECT_EQ(file->Write("x", 1), 1);
    file->Close();
    EXPECT_EQ(folder.Read("fresh.txt"), "x");

    // A discarded write keeps the old file; reading reports with the file's name.
    ASSERT_TRUE(file->OpenForWrite(path.c_str()));
    EXPECT_EQ(file->Write("lost", 4), 4);
    file->Discard();
    EXPECT_EQ(folder.Read("log.txt"), "new more");
    EXPECT_FALSE(file->OpenForRead(folder.Path("missing.txt").c_str()));
    EXPECT_EQ(GetPendingError().message.code, 605);
    EXPECT_STREQ(GetPendingError().message.texts[0], "missing.txt");
}

}  // namespace
}  // namespace vek
