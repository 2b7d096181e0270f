// Tests of ForkFile: writing, reading, appending, replacing through links and pipes, and failures.
#include "platform/ForkFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestFolder.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"

namespace vek {
namespace {

class ForkFileTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    FilePath PathOf(std::string_view name) const
    {
        FilePath path;
        path.SetPath(folder.Path(name));
        return path;
    }
    // Writes the text from the start of the file; `cut` sets the size at the end of it.
    void WriteText(std::string_view name, std::string_view text, bool cut)
    {
        ForkFile file;
        ASSERT_TRUE(file.OpenForWrite(PathOf(name)));
        EXPECT_EQ(file.Write(text.data(), static_cast<int64_t>(text.size())), static_cast<int64_t>(text.size()));
        if (cut)
            file.SetSize();
        file.Close();
    }
    TestFolder folder;
};

TEST_F(ForkFileTest, WritesAndReadsBack)
{
    std::string bytes;
    for (int i = 0; i < 300000; ++i)
        bytes.push_back(static_cast<char>(i * 7));
    mode_t mask = umask(027);
    WriteText("data.bin", bytes, true);
    umask(mask);
    EXPECT_EQ(folder.Read("data.bin"), bytes);
    // A new file gets the permissions any new file would; a rewritten one keeps its own.
    EXPECT_EQ(std::filesystem::status(folder.Path("data.bin")).permissions(), std::filesystem::perms(0640));
    std::filesystem::permissions(folder.Path("data.bin"), std::filesystem::perms(0604));
    WriteText("data.bin", bytes, true);
    EXPECT_EQ(std::filesystem::status(folder.Path("data.bin")).permissions(), std::filesystem::perms(0604));

    ForkFile file;
    ASSERT_TRUE(file.OpenForRead(PathOf("data.bin")));
    EXPECT_EQ(file.GetSize(), static_cast<int64_t>(bytes.size()));
    std::string back(1000, '\0');
    file.SetPosition(static_cast<int64_t>(bytes.size()) - 400);
    // Reading past the end gives what was there, and no message.
    EXPECT_EQ(file.Read(back.data(), 1000), 400);
    EXPECT_EQ(back.substr(0, 400), bytes.substr(bytes.size() - 400));
    EXPECT_EQ(file.Read(back.data(), 10), 0);
    EXPECT_FALSE(IsErrorPending());
}

TEST_F(ForkFileTest, RewritingKeepsTheOldTailUnlessTheSizeIsSet)
{
    folder.Write("t.txt", "0123456789");
    WriteText("t.txt", "abc", false);
    EXPECT_EQ(folder.Read("t.txt"), "abc3456789");
    WriteText("t.txt", "xy", true);
    EXPECT_EQ(folder.Read("t.txt"), "xy");
    // Writing beyond a gap keeps the old bytes in between.
    folder.Write("g.txt", "0123456789");
    {
        ForkFile file;
        ASSERT_TRUE(file.OpenForWrite(PathOf("g.txt")));
        file.SetPosition(4);
        EXPECT_EQ(file.Write("ab", 2), 2);
        file.SetPosition(8);
        char read[3] = {};
        EXPECT_EQ(file.Read(read, 2), 2);
        EXPECT_STREQ(read, "89");
        file.Close();
    }
    EXPECT_EQ(folder.Read("g.txt"), "0123ab6789");
    EXPECT_EQ(folder.CountEntries(), 3);  // home, t.txt, g.txt: no temporary file left
}

TEST_F(ForkFileTest, AppendsAtTheEnd)
{
    folder.Write("log.txt", "first\r");
    for (const char* line : {"second\r", "third\r"}) {
        ForkFile file;
        ASSERT_TRUE(file.OpenForWrite(PathOf("log.txt")));
        file.SetPosition(file.GetSize());
        EXPECT_EQ(file.Write(line, 7 - (line[0] == 't')), 7 - (line[0] == 't'));
        file.SetSize();
        file.Close();
    }
    EXPECT_EQ(folder.Read("log.txt"), "first\rsecond\rthird\r");
}

TEST_F(ForkFileTest, OpeningWithoutChangesLeavesTheFile)
{
    std::string path = folder.Write("same.txt", "contents");
    auto node = [&] {
        struct stat info {};
        stat(path.c_str(), &info);
        return info.st_ino;
    };
    ino_t before = node();
    {
        ForkFile file;
        ASSERT_TRUE(file.OpenForWrite(PathOf("same.txt")));
        file.SetPosition(file.GetSize());
        file.SetSize();
    }
    EXPECT_EQ(node(), before);
    EXPECT_EQ(folder.Read("same.txt"), "contents");
    // Cut and grown back to the old length: the bytes are gone, so the file is replaced.
    {
        ForkFile file;
        ASSERT_TRUE(file.OpenForWrite(PathOf("same.txt")));
        file.SetSize();
        file.SetPosition(8);
        file.SetSize();
    }
    EXPECT_EQ(folder.Read("same.txt"), std::string(8, '\0'));
}

// A write that fails midway (here: the file-size limit of the process) leaves the old file as it was.
TEST_F(ForkFileTest, FailedWriteKeepsTheOldFile)
{
    std::string old(5000, 'o');
    folder.Write("base.vkx", old);
    std::string fresh(100000, 'n');

    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 10000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    {
        ForkFile file;
        ASSERT_TRUE(file.OpenForWrite(PathOf("base.vkx")));
        EXPECT_EQ(file.Write(fresh.data(), static_cast<int64_t>(fresh.size())), 0);
        EXPECT_TRUE(file.HasFailed());
        EXPECT_EQ(file.Write("x", 1), 0);
        file.SetSize();
        file.Close();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(GetPendingError().message.code, message::kWriteFailed);
    EXPECT_STREQ(GetPendingError().message.texts[0], "base.vkx");
    EXPECT_EQ(folder.Read("base.vkx"), old);
    EXPECT_EQ(folder.CountEntries(), 2);
}

TEST_F(ForkFileTest, CancelledOrDiscardedWriteKeepsTheOldFile)
{
    folder.Write("base.vkx", "old contents");
    {
        ForkFile file;
        ASSERT_TRUE(file.OpenForWrite(PathOf("base.vkx")));
        EXPECT_EQ(file.Write("new", 3), 3);
        SetCancelledError();  // the user stopped the save midway
        file.SetSize();
        // A cancelled close reports the dropped contents: text writers over these files once
        // answered a cancelled save with success.
        file.Close();
        EXPECT_TRUE(file.HasFailed());
    }
    EXPECT_EQ(folder.Read("base.vkx"), "old contents");
    ClearError();
    {
        ForkFile file;
        ASSERT_TRUE(file.OpenForWrite(PathOf("base.vkx")));
        EXPECT_EQ(file.Write("new", 3), 3);
        file.Discard();
        EXPECT_FALSE(file.IsOpen());
    }
    EXPECT_EQ(folder.Read("base.vkx"), "old contents");
    EXPECT_EQ(folder.CountEntries(), 2);
}

TEST_F(ForkFileTest, OpenFailuresGiveTheirMessages)
{
    struct Case {
        const char* name;
        bool forWriting;
        int32_t expected;
    };
    folder.Write("busy.txt", "x");
    std::filesystem::create_directories(folder.Path("a folder"));
    ForkFile writer;
    ASSERT_TRUE(writer.OpenForWrite(PathOf("busy.txt")));
    const Case cases[] = {
        {"missing/x.txt", true, message::kFolderMissing},
        {"missing.txt", false, message::kCannotOpen},
        {"a folder", false, message::kCannotOpen},
        {"a folder", true, message::kCannotOpen},
        {"busy.txt", true, message::kAlreadyWriting},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FilePath path = PathOf(c.name);
        ClearError();
        ForkFile file;
        EXPECT_FALSE(c.forWriting ? file.OpenForWrite(path) : file.OpenForRead(path));
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(GetPendingError().message.code, c.expected);
        char byte = 0;
        EXPECT_EQ(file.Read(&byte, 1), 0);
        EXPECT_EQ(file.Write(&byte, 1), 0);
    }
    ClearError();
    writer.Close();
    EXPECT_FALSE(IsErrorPending());
}

TEST_F(ForkFileTest, ReadErrorGives606)
{
    // The start of the process's own memory is never mapped: reading it there fails with an I/O error.
    FilePath memory;
    memory.SetFromSystemPath("/proc/self/mem");
    ForkFile file;
    ASSERT_TRUE(file.OpenForRead(memory));
    char buffer[16];
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);
    EXPECT_EQ(GetPendingError().message.code, message::kReadFailed);
    EXPECT_STREQ(GetPendingError().message.texts[0], "mem");
}

// Replacing a pipe or a device by a plain file would break what it stands for: such files are
// written as they are.
TEST_F(ForkFileTest, PipesAreWrittenInPlace)
{
    std::string pipe = folder.Path("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        std::ifstream in(pipe, std::ios::binary);
        received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
    {
        ForkFile file;
        EXPECT_TRUE(file.OpenForWrite(PathOf("pipe")));
        EXPECT_EQ(file.Write("to the reader", 13), 13);
        file.SetSize();
    }
    reader.join();
    EXPECT_EQ(received, "to the reader");
    EXPECT_FALSE(IsErrorPending());
    struct stat info {};
    ASSERT_EQ(stat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// Fault 7: a link to a device is written through, never replaced by a plain file.
TEST_F(ForkFileTest, LinksToDevicesAreWrittenInPlace)
{
    ASSERT_EQ(symlink("/dev/null", folder.Path("null-link").c_str()), 0);
    WriteText("null-link", "gone", true);
    EXPECT_FALSE(IsErrorPending());
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path("null-link")));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    // Nothing beside it: no temporary file was made.
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path("")))
        EXPECT_TRUE(entry.path().filename() == "null-link" || entry.is_directory()) << entry.path();
}

TEST_F(ForkFileTest, WritingThroughALinkReplacesTheFileItNames)
{
    folder.Write("real.txt", "old");
    ASSERT_EQ(symlink(folder.Path("real.txt").c_str(), folder.Path("link.txt").c_str()), 0);
    WriteText("link.txt", "new", true);
    EXPECT_EQ(folder.Read("real.txt"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path("link.txt")));
}

}  // namespace
}  // namespace vek
