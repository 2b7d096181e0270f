// LogFileHandler: the message handler that writes entries and messages to a log file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/messages/Message.h"

namespace vek {

class ByteFile;
class String;

// Bits of the flags of LogFileHandler::WriteEntry. The low byte is not read here: callers keep their
// own verb codes in it.
constexpr int32_t kLogIndentAfter = 0x100;     // after the entry, one level deeper
constexpr int32_t kLogOutdentBefore = 0x200;   // before the entry, one level back (not below 0)
constexpr int32_t kLogNoIndent = 0x400;        // this entry starts at the margin
constexpr int32_t kLogEmptyLineAfter = 0x800;
constexpr int32_t kLogWithLabel = 0x1000;      // the label before the text
constexpr int32_t kLogWithTime = 0x2000;       // " at" and the time of day after the text

// Writes the messages it notes, and entries of its owner, to a log file, and answers questions
// unattended, so that a logged command run never waits for a user.
//
// File layout (UTF-8; a new or empty file starts with the byte-order mark; lines end in LF):
//
//   [empty line]                          only when appending to the file
//   Logfile created at 2006-03-01 14:03:55   header word (text 726 without a label), creation time
//   <2 blanks per level><label><text>[ at 14:03:59]
//   ...
//   Logfile closed at 2006-03-01 14:09:12    closing word (text 727 without a label), at destruction
//
// The file is opened with the first entry (emptied first unless appending) and stays open for appending
// through the program's files (ByteFile.h), so the file is complete after each entry. Writing never reports a failure:
// an entry that cannot be written is lost, and the caller's pending error is the same afterwards.
class LogFileHandler : public MessageHandler {
public:
    // Pushes the handler. An empty path writes nothing. With `append` the file keeps its content
    // and the log is added to it.
    LogFileHandler(std::string_view path, bool append);
    // Writes the closing line when anything was written. A log that wrote nothing and does not
    // append empties an existing file, so it never shows an earlier run's text.
    ~LogFileHandler() override;

    // The text written before messages and before entries with kLogWithLabel; null or empty: none.
    void SetLabel(const char* text);
    // Adds delta to the indentation level, not below 0.
    void AdjustIndent(int32_t delta);
    // Writes one entry; a null text writes only the header and applies the flags.
    void WriteEntry(const char* text, int32_t flags);

    // Passes the message on, then writes its text (in the log's language, carriage returns as
    // blanks) with the label; a message without text writes nothing.
    void NoteMessage(const Message& message) override;
    int32_t ShowMessage(const Message& message) override;
    int32_t IsUnattended() override;

    void SetUnattended(bool value) { unattended = value; }
    // The interface language of the log's own words and messages; the UI language at construction.
    int32_t Language() const { return language; }
    void SetLanguage(int32_t value) { language = value; }
    int32_t Indent() const { return indent; }
    // The creation time as written in the header.
    const char* CreatedText() const { return createdText; }

private:
    bool OpenFile();
    void EmptyOldFile();
    void WriteBytes(std::string_view bytes);

    std::string path;
    bool append;
    bool headerWritten = false;
    bool unattended = true;
    char createdText[32] = {};
    int32_t language;
    std::string label;
    int32_t indent = 0;
    std::unique_ptr<ByteFile> file;  // open for appending once an entry was written
};

// Appends the time since startMs (a CurrentTimeMs value) in the log's wording: " in ", the seconds
// with three decimals and " seconds".
void AppendElapsedSeconds(String& text, int64_t startMs);

}  // namespace vek
