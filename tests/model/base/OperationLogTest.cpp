// Tests of the operation log: its lines, save kinds, alert answers and the error log file.
#include "model/base/Base.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/services/Clock.h"
#include "foundation/messages/LogFileHandler.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "platform/FileDialogs.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Answers every alert with one fixed button and records what it was asked.
class AnsweringHandler : public MessageHandler {
public:
    explicit AnsweringHandler(int32_t answer) : answer(answer) {}
    ~AnsweringHandler() override = default;
    int32_t ShowMessage(const Message& message) override
    {
        codes.push_back(message.code);
        buttons.assign(message.numbers, message.numbers + message.numberCount);
        return answer;
    }
    int32_t IsUnattended() override { return 0; }

    int32_t answer;
    std::vector<int32_t> codes;
    std::vector<int32_t> buttons;
};

// A save dialog that records the proposed path and answers with a chosen one (or cancels).
class ScriptedSaveDialog : public FileDialogService {
public:
    bool RunOpenFileDialog(FilePath&, uint32_t) override { return false; }
    bool RunSaveFileDialog(FilePath& path) override
    {
        proposals.emplace_back(path.Text());
        ++asked;
        if (answer.empty())
            return false;
        path.SetFromSystemPath(answer);
        return true;
    }

    std::string answer;
    std::vector<std::string> proposals;
    int32_t asked = 0;
};

class OperationLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        folder = fs::temp_directory_path() /
                 ("vek-oplog-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        fs::remove_all(folder);
        ClearError();
    }

    std::string LogPath() const { return (folder / "operations.log").string(); }

    MessageCatcher catcher;
    ScriptedSaveDialog dialogs;
    ScopedService<FileDialogService> registeredDialogs{&dialogs};
    fs::path folder;
};

TEST_F(OperationLogTest, LinesAreVerbWhatAndQuotedName)
{
    auto base = std::make_unique<Base>(FilePath(), 1);
    base->LogOperation("ignored", "before the log", 1);  // no log yet: nothing happens
    base->SetLogFile(LogPath().c_str(), LogFileOpen::Replace);
    ASSERT_NE(base->LogHandler(), nullptr);
    base->LogOperation(nullptr, "Monthly", 0x105);
    base->LogOperation("macro", "Monthly", 0x206);
    base->LogOperation("what", nullptr, 16);
    base->LogOperation(nullptr, nullptr, 13);
    FilePath file((folder / "cards.txt").string());
    base->LogFileOperation(&file, 3);
    base->LogFileOperation(nullptr, 4);
    ASSERT_NE(base->AddComponent(1, "4010", nullptr, nullptr), nullptr);
    ASSERT_NE(base->AddComponent(1, "40 10", nullptr, nullptr), nullptr);
    base->LogLoadTime("cards", 12, CurrentTimeMs() - 1500);
    base.reset();  // logs its closing, then the log closes with the base

    std::string text = ReadFile(LogPath());
    const char* expected[] = {
        "Executing \"Monthly\"\n",
        "Completed macro \"Monthly\"\n",
        " what\n",
        "Deleted\n",
        "Reading file \"cards.txt\"\n",
        "Writing file \"\"\n",
        "Skipped duplicate component \"4010\"\n",
        "Loaded 12 cards in 1.5",
        "Closed database \"Untitled 1.vek\"\n",
    };
    size_t at = 0;
    for (const char* line : expected) {
        SCOPED_TRACE(line);
        size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << text;
        at = found;
    }
    EXPECT_EQ(text.find("before the log"), std::string::npos);
}

TEST_F(OperationLogTest, SaveKindFollowsTheKindOfFileRead)
{
    Base base(FilePath(), 1);
    struct Case {
        int32_t fileKind;
        int32_t saveKind;
    };
    const Case cases[] = {{2, 2}, {3, 2}, {5, 5}, {7, 5}, {1, 1}, {4, 1}, {6, 1}, {0, 1}, {99, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileKind);
        base.SetSaveKind(c.fileKind);
        EXPECT_EQ(base.SaveKind(), c.saveKind);
    }
    base.SetModified(false);
    base.SetSaveKind(4);  // 1 already: no change 8, so the base stays unmodified
    EXPECT_FALSE(base.IsModified());
    base.SetSaveKind(3);
    EXPECT_TRUE(base.IsModified());
}

TEST_F(OperationLogTest, AlertAnswersGoOnOrStop)
{
    struct Case {
        int32_t answer;
        bool pending;
        bool stop;
    };
    const Case cases[] = {{0, false, false}, {1, true, true}, {2, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ClearError();
        Base base(FilePath(), 1);
        AnsweringHandler handler(c.answer);
        EXPECT_EQ(base.ReportError(message::kImportCodeUnknown, "X"), c.answer);
        EXPECT_EQ(handler.codes, std::vector<int32_t>{message::kImportCodeUnknown});
        EXPECT_EQ(handler.buttons, (std::vector<int32_t>{text::kContinue, text::kCancel, text::kStopAll,
                                                    text::kErrorsToFile}));
        EXPECT_EQ(IsErrorPending(), c.pending);
        EXPECT_EQ(base.StopRequested(), c.stop);
    }
    ClearError();
    Base base(FilePath(), 1);
    base.StopOperation();
    EXPECT_TRUE(IsErrorPending());
    EXPECT_TRUE(base.StopRequested());
}

TEST_F(OperationLogTest, ErrorsGoToAFileChosenOnceBesideTheBase)
{
    FilePath basePath((folder / "ledger.vek").string());
    Base base(basePath, 0);
    fs::path errors = folder / "my errors.txt";
    dialogs.answer = errors.string();
    {
        AnsweringHandler handler(3);
        base.ReportError(message::kImportCodeUnknown, "first");
        EXPECT_TRUE(base.HasErrorFile());
        EXPECT_FALSE(IsErrorPending());
        // Asked again while the file is open: no second dialog.
        AnsweringHandler again(3);
        base.ReportError(message::kImportCodeUnknown, "second");
        EXPECT_EQ(dialogs.asked, 1);
    }
    ASSERT_EQ(dialogs.proposals.size(), 1u);
    EXPECT_EQ(dialogs.proposals[0], (folder / "Errors").string());
    ASSERT_NE(base.ErrorFilePath(), nullptr);
    EXPECT_EQ(std::string(base.ErrorFilePath()->Text()), errors.string());
    base.FlushAlerts(false);  // no log open: the error file closes
    EXPECT_FALSE(base.HasErrorFile());
    std::string text = ReadFile(errors);
    EXPECT_NE(text.find("first"), std::string::npos);
    EXPECT_NE(text.find("second"), std::string::npos);

    // The next operation proposes the file chosen last; a cancelled dialog opens nothing.
    dialogs.answer.clear();
    AnsweringHandler handler(3);
    base.ReportError(message::kImportCodeUnknown, "third");
    EXPECT_FALSE(base.HasErrorFile());
    ASSERT_EQ(dialogs.proposals.size(), 2u);
    EXPECT_EQ(dialogs.proposals[1], errors.string());
    EXPECT_FALSE(IsErrorPending());
}

TEST_F(OperationLogTest, AlertsWhileLoggingLabelTheLog)
{
    Base base(FilePath(), 1);
    base.SetLogFile(LogPath().c_str(), LogFileOpen::Replace);
    {
        AnsweringHandler handler(0);
        base.ReportError(message::kImportCodeUnknown, "X");
    }
    base.FlushAlerts(false);
    base.LogOperation("after", nullptr, 0x1006);  // with the label
    base.SetLogFile(nullptr, LogFileOpen::Replace);
    EXPECT_NE(ReadFile(LogPath()).find("Alert: Completed after"), std::string::npos);
}

}  // namespace
}  // namespace vek
