// Tests of ForkByteFile: the library's streams on platform files, pipes, appends and failed saves.
#include "platform/ForkByteFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

#include "TestFolder.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextStreams.h"

namespace vek {
namespace {

// The program's files as the library's streams reach them (registered for every test program above
// the foundation).
class ForkByteFileTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }
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

// Guards against appended bytes waiting in a temporary file until Close: a log must be complete on
// disk after every entry, also when the file was new or empty, and stays open on its file when the
// file is moved.
TEST_F(ForkByteFileTest, AppendedBytesAreInTheFileAtOnce)
{
    for (const char* old : {"", "first\n"}) {
        SCOPED_TRACE(old);
        std::string path = folder.Write("run.log", old);
        std::unique_ptr<ByteFile> file = NewByteFile();
        ASSERT_TRUE(file->OpenForAppend(path.c_str()));
        EXPECT_EQ(file->GetSize(), int64_t(std::string(old).size()));
        EXPECT_EQ(file->Write("entry\n", 6), 6);
        EXPECT_EQ(folder.Read("run.log"), std::string(old) + "entry\n");
        std::filesystem::rename(path, folder.Path("moved.log"));
        EXPECT_EQ(file->Write("more\n", 5), 5);
        file->Close();
        EXPECT_EQ(folder.Read("moved.log"), std::string(old) + "entry\nmore\n");
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    EXPECT_EQ(folder.CountEntries(), 2);  // home and moved.log: no temporary file
}

// Guards against a save replacing a named pipe with a plain file: the text goes into the pipe.
TEST_F(ForkByteFileTest, SavingOverAPipeWritesIntoIt)
{
    std::string pipe = folder.Path("pipe");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        std::ifstream in(pipe, std::ios::binary);
        received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
    EXPECT_EQ(NewByteFile()->StatusOf(pipe.c_str()).kind, ByteFileKind::other);
    bool opened = false;
    bool closed = false;
    {
        FileTextWriter writer;
        opened = writer.Open(pipe.c_str());
        if (opened) {
            writer.WriteLine("saved into the pipe");
            closed = writer.Close();
        }
    }
    if (!opened)
        std::ofstream{pipe};  // lets the reader go on
    reader.join();
    EXPECT_TRUE(closed);
    EXPECT_EQ(received, "\xEF\xBB\xBF" "saved into the pipe\r");
    EXPECT_FALSE(IsErrorPending());
    struct stat info {};
    ASSERT_EQ(stat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(folder.CountEntries(), 2);  // home and the pipe: no temporary file
}

TEST_F(ForkByteFileTest, StatusOfAPath)
{
    std::unique_ptr<ByteFile> file = NewByteFile();
    folder.Write("five.txt", "12345");
    struct Case {
        std::string path;
        ByteFileKind kind;
        int64_t size;
    };
    const Case cases[] = {
        {folder.Path("five.txt"), ByteFileKind::regular, 5},
        {folder.Path("home"), ByteFileKind::other, 0},
        {folder.Path("missing.txt"), ByteFileKind::none, 0},
        {"", ByteFileKind::none, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ByteFileStatus status = file->StatusOf(c.path.c_str());
        EXPECT_EQ(status.kind, c.kind);
        EXPECT_EQ(status.size, c.size);
    }
    EXPECT_FALSE(IsErrorPending());
}

// A save whose writes fail midway (here: the file-size limit of the process) leaves the old file as it
// was and no temporary file behind.
TEST_F(ForkByteFileTest, AFailedSaveLeavesTheOldFile)
{
    std::string path = folder.Write("keep.txt", "old contents");
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 20000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool closed;
    {
        FileTextWriter writer;
        ASSERT_TRUE(writer.Open(path.c_str()));
        for (int32_t i = 0; i < 1000; ++i)
            writer.WriteLine("a line of the new contents that will not all fit");
        closed = writer.Close();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_FALSE(closed);
    EXPECT_EQ(GetPendingError().message.code, 607);
    EXPECT_EQ(folder.Read("keep.txt"), "old contents");
    EXPECT_EQ(folder.CountEntries(), 2);  // home and keep.txt
}

}  // namespace
}  // namespace vek
