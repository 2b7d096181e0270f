// Work shared out over threads must not change any result: every fixture base, the example base and
// every file of the shared SIE corpus is opened on one thread and on several, and the saved bases
// (text form byte for byte, the container's text) and the messages (line for line) must be
// the same. So must bases cut off after every line, and cut inside lines (damaged files).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "files/format/BaseFileType.h"
#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"
#include "platform/WorkerThreads.h"

namespace vek {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kSeveralThreads = 4;

// What one open of a file gives: the messages, and the base saved in both forms (the container
// opened again and saved as text: its bytes are scrambled with a new key and it starts with a line of
// random length on every save). A base with a password gives no container text.
struct Outcome {
    bool opened = false;
    std::vector<std::string> messages;
    std::string text;
    std::string containerText;
};

Outcome OpenAndSave(const std::string& file, int32_t threads, const test::ScratchFolder& scratch)
{
    SetWorkerThreadCount(threads);
    Outcome outcome;
    ClearError();
    test::MessageLog log;
    Base* base = OpenBaseFile(FilePath(file), nullptr, kReadSkipOpenDirect);
    outcome.opened = base != nullptr;
    if (base != nullptr) {
        const std::string text = scratch.Path("saved.vkx");
        const std::string container = scratch.Path("saved.vek");
        EXPECT_TRUE(SaveBaseToPath(*base, FilePath(text), nullptr));
        EXPECT_TRUE(SaveBaseToPath(*base, FilePath(container), nullptr));
        EXPECT_TRUE(CloseBase(base, CloseMode::WindowsOnly));
        outcome.text = scratch.Read("saved.vkx");
        Base* again = OpenBaseFile(FilePath(container), nullptr, kReadSkipOpenDirect);
        if (again != nullptr) {
            EXPECT_TRUE(SaveBaseToPath(*again, FilePath(scratch.Path("again.vkx")), nullptr));
            EXPECT_TRUE(CloseBase(again, CloseMode::WindowsOnly));
            outcome.containerText = scratch.Read("again.vkx");
        }
    }
    outcome.messages = log.texts;
    ClearError();
    return outcome;
}

void ExpectSameOnAnyThreadCount(const std::string& file)
{
    SCOPED_TRACE(file);
    test::ScratchFolder scratch;
    Outcome one = OpenAndSave(file, 1, scratch);
    Outcome several = OpenAndSave(file, kSeveralThreads, scratch);
    SetWorkerThreadCount(0);
    EXPECT_EQ(one.opened, several.opened);
    EXPECT_EQ(one.messages, several.messages);
    EXPECT_TRUE(one.text == several.text) << "the text saves differ";
    EXPECT_TRUE(one.containerText == several.containerText) << "the container saves differ";
}

std::vector<std::string> FilesUnder(const fs::path& folder, bool (*wanted)(const fs::path&))
{
    std::vector<std::string> files;
    if (!fs::is_directory(folder))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && wanted(entry.path()))
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(ThreadCountDifferentialTest, FixturesAndTheExampleBase)
{
    std::vector<std::string> files = FilesUnder(fs::path(VEK_SOURCE_DIR) / "tests" / "fixtures",
                                                [](const fs::path& path) { return path.extension() == ".vkx"; });
    files.push_back(std::string(VEK_SOURCE_DIR) + "/tools/examples/example.vkx");
    ASSERT_GT(files.size(), 10u);
    for (const std::string& file : files)
        ExpectSameOnAnyThreadCount(file);
}

TEST(ThreadCountDifferentialTest, EveryFileOfTheSieCorpus)
{
    fs::path corpus = fs::path(VEK_SOURCE_DIR) / ".." / "shared" / "sie-corpus";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "the SIE corpus (shared/sie-corpus beside the repository) is not here";
    std::vector<std::string> files = FilesUnder(corpus, [](const fs::path& path) {
        std::string name = path.string();
        return name.find("/expected/") == std::string::npos && path.extension() != ".md" &&
               path.extension() != ".json";
    });
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files)
        ExpectSameOnAnyThreadCount(file);
}

// Cut after every line (each kind of record boundary: a "##" section line, a card line, a line of a
// card, a key line) and inside lines (damaged), the example base must read the same on any count.
TEST(ThreadCountDifferentialTest, BasesCutAtEveryRecordBoundaryAndInsideLines)
{
    std::string whole = test::ScratchFolder::ReadFileBytes(std::string(VEK_SOURCE_DIR) + "/tools/examples/example.vkx");
    ASSERT_FALSE(whole.empty());
    test::ScratchFolder folder;
    int32_t line = 0;
    for (size_t at = 0; at < whole.size(); ++at) {
        if (whole[at] != '\r')
            continue;
        ++line;
        // Every line end, and every sixth line a cut in the middle of the next line.
        std::vector<size_t> cuts{at + 1};
        if (line % 6 == 0) {
            size_t next = whole.find('\r', at + 1);
            if (next != std::string::npos && next > at + 2)
                cuts.push_back((at + 1 + next) / 2);
        }
        for (size_t cut : cuts) {
            SCOPED_TRACE(testing::Message() << "cut at byte " << cut);
            std::string file = folder.Write("cut.vkx", std::string_view(whole).substr(0, cut));
            ExpectSameOnAnyThreadCount(file);
        }
    }
    EXPECT_GT(line, 20);
}

}  // namespace
}  // namespace vek
