// Tests of LogFileHandler: entries and their indents, headers, appending, messages and pending errors.
#include "foundation/messages/LogFileHandler.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "foundation/services/Clock.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/streams/MemoryByteFile.h"
#include "support/InMemoryFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"

namespace vek {
namespace {

const std::string kBom = "\xEF\xBB\xBF";
// Shapes of lines: "#" stands for any digit, "?" for any one byte, every other byte for itself.
const std::string kDateTime = "####-##-## ##:##:##";

bool HasShape(const std::string& line, const std::string& shape)
{
    if (line.size() != shape.size())
        return false;
    for (size_t i = 0; i < line.size(); ++i) {
        bool digit = line[i] >= '0' && line[i] <= '9';
        if (shape[i] == '#' ? !digit : shape[i] != '?' && shape[i] != line[i])
            return false;
    }
    return true;
}

// The logs are written to the in-memory files (MemoryByteFile.h), emptied after each test.
class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        SetUiLanguage(0);
    }
    void TearDown() override
    {
        MemoryFiles().Clear();
        ClearError();
        SetUiLanguage(0);
    }

    static std::string Read(const std::string& file) { return MemoryFiles().Get(file).value_or(""); }
    static bool Exists(const std::string& file) { return MemoryFiles().Get(file).has_value(); }
    static void Write(const std::string& file, const std::string& content) { MemoryFiles().Put(file, content); }
    // The lines of a log without its byte-order mark.
    static std::vector<std::string> Lines(std::string content)
    {
        if (content.rfind(kBom, 0) == 0)
            content.erase(0, kBom.size());
        std::vector<std::string> lines;
        std::string line;
        std::istringstream in(content);
        while (std::getline(in, line))
            lines.push_back(line);
        return lines;
    }
    static void ExpectShape(const std::string& line, const std::string& shape)
    {
        EXPECT_TRUE(HasShape(line, shape)) << "line:  " << line << "\nshape: " << shape;
    }

    std::string folder = "/logs/";
    std::string path = folder + "run.log";
};

TEST_F(LogFileTest, EntriesAreIndentedTwoBlanksPerLevelAndShapedByFlags)
{
    struct Entry {
        const char* text;
        int32_t flags;
        const char* expected;  // the shape of the line(s) written, "\n" between lines
    };
    const Entry entries[] = {
        {"start", kLogIndentAfter | 0x2A, "start"},  // the low byte is the caller's
        {"one deep", kLogIndentAfter, "  one deep"},
        {"two deep", 0, "    two deep"},
        {"margin", kLogNoIndent, "margin"},
        {"labelled", kLogWithLabel, "    [L] labelled"},
        {"timed", kLogWithTime, "    timed at ##:##:##"},
        {"tabs cut\t\t", 0, "    tabs cut"},
        {"spaced", kLogEmptyLineAfter, "    spaced\n"},
        {"back", kLogOutdentBefore, "  back"},
        {nullptr, kLogOutdentBefore, nullptr},  // no text: only the flags
        {"level 0", kLogOutdentBefore, "level 0"},  // not below 0
        {"still 0", 0, "still 0"},
    };
    {
        LogFileHandler log(path, false);
        log.SetLabel("[L] ");
        for (const Entry& entry : entries)
            log.WriteEntry(entry.text, entry.flags);
        EXPECT_EQ(log.Indent(), 0);

        std::string content = Read(path);
        ASSERT_EQ(content.rfind(kBom, 0), 0u) << "a new log starts with the byte-order mark";
        std::vector<std::string> lines = Lines(content);
        ASSERT_FALSE(lines.empty());
        ExpectShape(lines[0], "Logfile created at " + kDateTime);
        EXPECT_EQ(lines[0].substr(19), log.CreatedText());
        size_t next = 1;
        for (const Entry& entry : entries) {
            if (!entry.expected)
                continue;
            SCOPED_TRACE(entry.text);
            std::stringstream expected(entry.expected);
            std::string shape;
            while (std::getline(expected, shape)) {
                ASSERT_LT(next, lines.size());
                ExpectShape(lines[next++], shape);
            }
            if (std::string(entry.expected).back() == '\n') {
                ASSERT_LT(next, lines.size());
                EXPECT_EQ(lines[next++], "");
            }
        }
        EXPECT_EQ(next, lines.size()) << "every entry is on disk before the log is closed";
    }
    std::vector<std::string> lines = Lines(Read(path));
    ExpectShape(lines.back(), "Logfile closed at " + kDateTime);
}

TEST_F(LogFileTest, HeaderWordsComeFromTheLogsLanguageWithoutALabel)
{
    {
        SetUiLanguage(12);  // Svenska at construction
        LogFileHandler log(path, false);
        SetUiLanguage(0);
        EXPECT_EQ(log.Language(), 12);
        log.AdjustIndent(2);
        log.WriteEntry("entry", 0);
    }
    std::vector<std::string> lines = Lines(Read(path));
    ASSERT_EQ(lines.size(), 3u);
    ExpectShape(lines[0], "Loggfil skapad " + kDateTime);
    EXPECT_EQ(lines[1], "    entry");
    ExpectShape(lines[2], "    Loggfil stängd " + kDateTime);  // at the current level
}

TEST_F(LogFileTest, FirstEntryReplacesTheFileUnlessAppending)
{
    Write(path, "old run\n");
    {
        LogFileHandler log(path, false);
        EXPECT_EQ(Read(path), "old run\n") << "nothing happens before the first entry";
        log.WriteEntry("new", 0);
    }
    std::vector<std::string> replaced = Lines(Read(path));
    ASSERT_EQ(replaced.size(), 3u);
    EXPECT_EQ(replaced[1], "new");

    Write(path, "old run\n");
    {
        LogFileHandler log(path, true);
        log.WriteEntry("added", 0);
    }
    std::string content = Read(path);
    ASSERT_EQ(content.rfind("old run\n\n", 0), 0u) << "an empty line sets the new run off: " << content;
    std::vector<std::string> lines = Lines(content);
    ASSERT_EQ(lines.size(), 5u);
    ExpectShape(lines[2], "Logfile created at " + kDateTime);
    EXPECT_EQ(lines[3], "added");
}

TEST_F(LogFileTest, LogWithoutEntriesEmptiesTheOldFileUnlessAppending)
{
    struct Case {
        bool append;
        std::string expected;
    };
    for (const Case& c : {Case{false, ""}, Case{true, "old run\n"}}) {
        SCOPED_TRACE(c.append);
        Write(path, "old run\n");
        { LogFileHandler log(path, c.append); }
        EXPECT_EQ(Read(path), c.expected);
    }
    // A missing file is not created.
    std::string missing = folder + "never.log";
    { LogFileHandler log(missing, false); }
    EXPECT_FALSE(Exists(missing));
}

TEST_F(LogFileTest, FileStaysOpenBetweenEntries)
{
    LogFileHandler log(path, false);
    log.WriteEntry("first", 0);
    std::string moved = folder + "moved.log";
    ASSERT_TRUE(MemoryFiles().Rename(path, moved));
    log.WriteEntry("second", 0);
    EXPECT_FALSE(Exists(path)) << "the log was opened again";
    std::vector<std::string> lines = Lines(Read(moved));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "second");
}

TEST_F(LogFileTest, MessagesAreLoggedWithTheLabelAndPassedOn)
{
    MessageCatcher below;
    {
        LogFileHandler log(path, false);
        log.SetLabel("> ");
        Message message;
        message.code = message::kCannotOpen;
        message.answer = 1;
        message.AddText("a\rb.txt");
        EXPECT_EQ(ReportMessage(message), 1) << "unattended: the preset answer";
        EXPECT_EQ(below.Code(), 0) << "an unattended log shows nothing below it";
        EXPECT_EQ(QueryUnattended(), 1);

        Message untitled;
        untitled.code = 32000;  // no text: nothing is written
        ReportMessage(untitled);

        log.SetUnattended(false);
        EXPECT_EQ(QueryUnattended(), 1) << "asks the catcher below";
        message.code = message::kReadFailed;
        ReportMessage(message);
        EXPECT_EQ(below.Code(), message::kReadFailed);
    }
    std::vector<std::string> lines = Lines(Read(path));
    ASSERT_EQ(lines.size(), 4u);
    ExpectShape(lines[0], "Logfile created at " + kDateTime);  // the literal: a label is set
    EXPECT_EQ(lines[1], "> The file “a b.txt” could not be opened.");
    EXPECT_EQ(lines[2], "> The file “a b.txt” could not be read.");
    ExpectShape(lines[3], "Logfile closed at " + kDateTime);
}

TEST_F(LogFileTest, WritingKeepsTheCallersPendingErrorAlsoWhenTheFileCannotBeOpened)
{
    const std::string unreachable = folder + "a folder/";  // names no file
    for (const std::string& file : {path, unreachable}) {
        SCOPED_TRACE(file);
        SetErrorCode(message::kWriteFailed);
        GetPendingError().message.AddText("data.vek");
        {
            LogFileHandler log(file, false);
            log.WriteEntry("entry", kLogIndentAfter);
            EXPECT_EQ(log.Indent(), 1) << "flags apply even when the entry is lost";
        }
        EXPECT_TRUE(IsErrorPending());
        EXPECT_EQ(GetPendingError().message.code, message::kWriteFailed);
        EXPECT_STREQ(GetPendingError().message.texts[0], "data.vek");
        ClearError();
    }
    EXPECT_FALSE(Exists(unreachable));
}

TEST_F(LogFileTest, EmptyPathWritesNothing)
{
    LogFileHandler log("", false);
    log.WriteEntry("entry", kLogIndentAfter);
    EXPECT_EQ(log.Indent(), 0);
    EXPECT_EQ(MemoryFiles().FileCount(), 0);
}

TEST_F(LogFileTest, ElapsedTimeWording)
{
    String text;
    text.AssignCStr("Loaded 12 cards");
    AppendElapsedSeconds(text, CurrentTimeMs() - 1500);
    ExpectShape(text.CStr(), "Loaded 12 cards in 1?5## seconds");
}

}  // namespace
}  // namespace vek
