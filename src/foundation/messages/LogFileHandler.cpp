// LogFileHandler: writing dated, indented entries and the messages shown to the log file.
#include "foundation/messages/LogFileHandler.h"

#include <cstring>

#include "foundation/streams/ByteFile.h"
#include "foundation/services/Clock.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"

namespace vek {

namespace {

constexpr char kLineEnd = '\n';
constexpr char kFieldSeparator = '\t';
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The current local date and time as "2006-03-01 14:03:55".
void FormatNow(char* buffer)
{
    DateTime now;
    GetCurrentDateTime(now);
    now.FormatCStr(buffer);
}

}  // namespace

LogFileHandler::LogFileHandler(std::string_view path, bool append)
    : path(path), append(append), language(UiLanguage())
{
    static_assert(sizeof createdText >= kDateTimeTextCapacity);
    FormatNow(createdText);
}

LogFileHandler::~LogFileHandler()
{
    if (headerWritten) {
        char now[kDateTimeTextCapacity];
        FormatNow(now);
        const char* word = label.empty() ? LoadTextInLanguage(text::kLogClosed, language) : "Logfile closed at";
        std::string closing;
        if (word) {
            closing += word;
            closing += ' ';
        }
        closing += now;
        WriteEntry(closing.c_str(), 0);
    } else if (!append && !path.empty()) {
        // A run that logged nothing leaves an empty log, not the text of an earlier run.
        PreservedErrorState preserved;
        if (!file)
            file = NewByteFile();
        EmptyOldFile();
    }
}

void LogFileHandler::SetLabel(const char* text) { label = text ? text : ""; }

void LogFileHandler::AdjustIndent(int32_t delta)
{
    int64_t level = int64_t(indent) + delta;
    indent = level < 0 ? 0 : level > INT32_MAX ? INT32_MAX : int32_t(level);
}

// An existing regular file with contents is replaced by an empty one; a missing file is not created, and
// a device or a pipe has nothing to empty.
void LogFileHandler::EmptyOldFile()
{
    if (!file)
        return;
    ByteFileStatus status = file->StatusOf(path.c_str());
    if (status.kind == ByteFileKind::regular && status.size > 0 && file->OpenForWrite(path.c_str()))
        file->Close();
}

bool LogFileHandler::OpenFile()
{
    if (file && file->IsOpen())
        return true;
    if (!file)
        file = NewByteFile();
    if (!file)
        return false;
    // The first entry replaces the file's content unless the log appends; later openings (after one
    // failed) never replace what an earlier entry wrote.
    if (!append && !headerWritten)
        EmptyOldFile();
    if (!file->OpenForAppend(path.c_str()))
        return false;
    if (file->GetSize() == 0)
        WriteBytes(kByteOrderMark);
    return true;
}

void LogFileHandler::WriteBytes(std::string_view bytes)
{
    // Appended bytes are in the file at once: the log is complete after every entry.
    if (file && file->IsOpen() && !bytes.empty())
        (void)file->Write(bytes.data(), int64_t(bytes.size()));
}

void LogFileHandler::WriteEntry(const char* text, int32_t flags)
{
    if (path.empty())
        return;
    PreservedErrorState preserved;
    if (flags & kLogOutdentBefore)
        AdjustIndent(-1);
    if (OpenFile()) {
        std::string row;
        if (!headerWritten) {
            headerWritten = true;
            if (append)
                row += kLineEnd;  // sets a new run off from the old text
            const char* word = label.empty() ? LoadTextInLanguage(text::kLogCreated, language) : "Logfile created at";
            if (word) {
                row += word;
                row += ' ';
            }
            row += createdText;
            row += kLineEnd;
        }
        if (text) {
            std::string entry;
            if (!(flags & kLogNoIndent))
                entry.append(size_t(indent) * 2, ' ');
            if ((flags & kLogWithLabel) && !label.empty())
                entry += label;
            entry += text;
            if (flags & kLogWithTime) {
                char now[kDateTimeTextCapacity];
                FormatNow(now);
                const char* timeOfDay = std::strchr(now, ' ');
                entry += " at";
                entry += timeOfDay ? timeOfDay : "";
            }
            while (!entry.empty() && entry.back() == kFieldSeparator)
                entry.pop_back();
            row += entry;
            row += kLineEnd;
        }
        if (flags & kLogEmptyLineAfter)
            row += kLineEnd;
        WriteBytes(row);
    }
    if (flags & kLogIndentAfter)
        AdjustIndent(1);
}

void LogFileHandler::NoteMessage(const Message& message)
{
    MessageHandler::NoteMessage(message);
    String text;
    int32_t saved = UiLanguage();
    SetUiLanguage(language);
    message.Format(text);
    SetUiLanguage(saved);
    if (text.IsEmpty())
        return;
    for (char* p = text.Data(); *p; ++p) {
        if (*p == '\r')
            *p = ' ';
    }
    WriteEntry(text.CStr(), kLogWithLabel);
}

int32_t LogFileHandler::ShowMessage(const Message& message)
{
    return unattended ? message.answer : MessageHandler::ShowMessage(message);
}

int32_t LogFileHandler::IsUnattended() { return unattended ? 1 : MessageHandler::IsUnattended(); }

void AppendElapsedSeconds(String& text, int64_t startMs)
{
    NumberFormat format;
    format.mode = NumberMode::Fixed;
    format.decimals = 3;
    text.AppendCStr(" in ");
    text.AppendDoubleFormat(double(CurrentTimeMs() - startMs) / 1000.0, format);
    text.AppendCStr(" seconds");
}

}  // namespace vek
