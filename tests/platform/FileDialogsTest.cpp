// Tests of the headless FileDialogs: queued answers, the kind filter, and pending errors.
#include "platform/FileDialogs.h"

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "platform/FileKindSniffer.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

class FileDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    TestFolder folder;
    HeadlessFileDialogs dialogs;
    ScopedService<FileDialogService> registeredDialogs{&dialogs};
};

TEST_F(FileDialogsTest, HeadlessOpenTakesQueuedAnswersThroughTheKindFilter)
{
    std::string base = folder.Write("Base.vkx", "##VEK-Text\t250101\r");
    std::string notes = folder.Write("notes.md", "hello");
    dialogs.QueueAnswer(base);
    dialogs.QueueAnswer(notes);  // not a base file: the filter hides it, so the dialog cancels
    dialogs.QueueCancel();

    FilePath path;
    EXPECT_TRUE(path.AskOpenFile(kFileKindsBaseAndInterchange));
    EXPECT_EQ(path.Text(), base);
    EXPECT_FALSE(IsErrorPending());

    EXPECT_FALSE(path.AskOpenFile(kFileKindsBaseAndInterchange));
    EXPECT_EQ(GetPendingError().message.code, -1);
    EXPECT_EQ(path.Text(), base);  // unchanged by a cancelled dialog

    ClearError();
    EXPECT_FALSE(path.AskOpenFile(kFileKindsAny));
    EXPECT_EQ(GetPendingError().message.code, -1);
    // With nothing queued the headless dialog cancels.
    ClearError();
    EXPECT_FALSE(path.AskSaveFile());
    EXPECT_TRUE(IsErrorPending());
}

TEST_F(FileDialogsTest, HeadlessSaveAndPendingErrorsFirst)
{
    dialogs.QueueAnswer(folder.Path("new/../Errors"));
    FilePath path;
    // A pending error is reported (and so cleared) before the dialog runs.
    SetErrorCode(message::kCannotOpen);
    EXPECT_TRUE(path.AskSaveFile());
    EXPECT_EQ(path.Text(), folder.Path("Errors"));
    EXPECT_FALSE(IsErrorPending());
}

TEST_F(FileDialogsTest, FilterShowsFoldersAndHidesUnreadableFilesQuietly)
{
    std::filesystem::create_directories(folder.Path("sub"));
    FilePath sub;
    sub.SetPath(folder.Path("sub"));
    EXPECT_TRUE(FileDialogFilterAccepts(sub, kFileKindsBaseAndInterchange));
    FilePath missing;
    missing.SetPath(folder.Path("gone.vkx"));
    SetErrorCode(message::kUnknownComponent);  // any message the file layer never raises
    EXPECT_FALSE(FileDialogFilterAccepts(missing, kFileKindsAny));
    EXPECT_EQ(GetPendingError().message.code, message::kUnknownComponent);
}

}  // namespace
}  // namespace vek
