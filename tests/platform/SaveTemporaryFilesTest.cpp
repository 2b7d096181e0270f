// Temporary files of saves: removed when SIGTERM or SIGINT ends a save, and those of ended processes
// cleared by the next save to their folder.
#include "platform/SaveTemporaryFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

#include "TestFolder.h"
#include "foundation/messages/PendingError.h"
#include "platform/ForkFile.h"

namespace vek {
namespace {

// The names in the folder that start like a save's temporary file.
std::vector<std::string> TemporaryNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with(kSaveTemporaryPrefix))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The id of a process that has ended (and been waited for).
pid_t EndedProcessId()
{
    pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

// Fault 8: an interrupted save left its temporary file behind for ever.
TEST(SaveTemporaryFilesTest, SignalsEndingASaveRemoveItsTemporaryFile)
{
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        TestFolder folder;
        folder.Write("base.vkx", "old");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The handlers were installed at start-up, as in every program.
            ForkFile file;
            FilePath path(folder.Path("base.vkx"));
            if (!file.OpenForWrite(path) || file.Write("new and longer", 14) != 14)
                _exit(2);
            raise(signal);
            _exit(3);  // not reached: the signal ends the process
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_TRUE(TemporaryNames(folder.Path("")).empty());
        EXPECT_EQ(folder.Read("base.vkx"), "old");
    }
}

// SIGKILL cannot be caught: what it leaves goes with the next save to the folder, and only files of
// ours whose process has ended.
TEST(SaveTemporaryFilesTest, NextSaveClearsStaleTemporariesOfEndedProcesses)
{
    ClearError();
    TestFolder folder;
    std::string ended = std::to_string(EndedProcessId());
    std::string running = std::to_string(getpid());
    const std::vector<std::string> kept = {
        std::string(kSaveTemporaryPrefix) + running + "-0123abcd",  // this process: a save in progress
        std::string(kSaveTemporaryPrefix) + "1-0123abcd",            // a process that runs
        std::string(kSaveTemporaryPrefix) + "0123abcd",              // the old form names no process
        std::string(kSaveTemporaryPrefix) + ended + "-0123abcdx",    // not our form
        std::string(kSaveTemporaryPrefix) + ended + "-0123ABCD",
    };
    for (const std::string& name : kept)
        folder.Write(name, "keep");
    folder.Write(std::string(kSaveTemporaryPrefix) + ended + "-0123abcd", "stale");
    folder.Write(std::string(kSaveTemporaryPrefix) + ended + "-ffffffff", "stale");

    ForkFile file;
    ASSERT_TRUE(file.OpenForWrite(FilePath(folder.Path("base.vkx"))));
    EXPECT_EQ(file.Write("new", 3), 3);
    file.Close();
    EXPECT_EQ(folder.Read("base.vkx"), "new");
    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(TemporaryNames(folder.Path("")), expected);
    EXPECT_FALSE(IsErrorPending());
}

}  // namespace
}  // namespace vek
