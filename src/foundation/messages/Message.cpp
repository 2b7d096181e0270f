// Message: arguments, formatting into text, and passing a message to the current handler.
#include "foundation/messages/Message.h"

#include <cstring>

#include "foundation/strings/CString.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

// A longer argument keeps this much of its start (at a character boundary) and ends in "..".
constexpr int32_t kCutArgumentBytes = 77;

MessageHandler* topHandler = nullptr;

}  // namespace

// --- Message ----------------------------------------------------------------------------------------

void Message::AddTextBytes(const char* bytes, int32_t n)
{
    if (textCount >= kMaxArguments)
        return;
    char* slot = texts[textCount++];
    if (!bytes || n <= 0) {
        slot[0] = 0;
        return;
    }
    if (n < kTextCapacity) {
        std::memcpy(slot, bytes, size_t(n));
        slot[n] = 0;
        return;
    }
    // Cut where no character is split, so that the argument stays valid UTF-8.
    int32_t kept = Utf8SafeCut(bytes, n, kCutArgumentBytes);
    std::memcpy(slot, bytes, size_t(kept));
    std::memcpy(slot + kept, "..", 3);
}

void Message::AddText(const char* text) { AddTextBytes(text, text ? int32_t(std::strlen(text)) : 0); }

void Message::AddEmptyText() { AddTextBytes(nullptr, 0); }

void Message::AddHeapText(ConstHeapText text) { AddTextBytes(text, HeapTextLength(text)); }

void Message::AddLoadedText(int32_t number) { AddText(LoadText(number)); }

void Message::AddFileName(const char* path)
{
    if (!path) {
        AddEmptyText();
        return;
    }
    int32_t end = int32_t(std::strlen(path));
    while (end > 1 && path[end - 1] == '/')
        --end;
    int32_t start = end;
    while (start > 0 && path[start - 1] != '/')
        --start;
    AddTextBytes(path + start, end - start);
}

void Message::AddNumber(int32_t value)
{
    if (numberCount < kMaxArguments)
        numbers[numberCount++] = value;
}

void Message::Format(String& text) const
{
    text.AssignCStr(LoadText(code));
    // One pass over the text, continuing after each inserted argument: an argument is data (a file
    // name may hold "@0"), and scanning it again would let such a name grow the text up to the
    // length limit.
    int32_t position = 0;
    while ((position = text.Find(position, "@")) >= 0) {
        int32_t argument = text.CStr()[position + 1] - '0';
        if (argument < 0 || argument >= textCount) {
            ++position;
            continue;
        }
        int32_t n = int32_t(std::strlen(texts[argument]));
        int32_t wanted = text.Length() - 2 + n;
        text.ReplaceRangeBytes(position, 2, texts[argument], n);
        position += text.Length() == wanted ? n : 2;  // a refused replacement leaves the placeholder
    }
}

// --- The handler stack ------------------------------------------------------------------------------

MessageHandler::MessageHandler() : next(topHandler) { topHandler = this; }

MessageHandler::~MessageHandler()
{
    for (MessageHandler** link = &topHandler; *link; link = &(*link)->next) {
        if (*link == this) {
            *link = next;
            break;
        }
    }
}

void MessageHandler::NoteMessage(const Message& message)
{
    if (next)
        next->NoteMessage(message);
}

int32_t MessageHandler::ShowMessage(const Message& message)
{
    return next ? next->ShowMessage(message) : message.answer;
}

int32_t MessageHandler::IsUnattended() { return next ? next->IsUnattended() : 1; }

MessageHandler* TopMessageHandler() { return topHandler; }

int32_t ReportMessage(const Message& message)
{
    if (!topHandler)
        return message.answer;
    // The handler that noted the message also shows it, even if noting pushed another one.
    MessageHandler* handler = topHandler;
    handler->NoteMessage(message);
    return handler->ShowMessage(message);
}

int32_t QueryUnattended() { return topHandler ? topHandler->IsUnattended() : 1; }

// --- MessageCatcher ---------------------------------------------------------------------------------

MessageCatcher::~MessageCatcher() = default;

int32_t MessageCatcher::ShowMessage(const Message& message)
{
    code = message.code;
    String formatted;
    message.Format(formatted);
    CStrCopyLimited(text, kTextCapacity, formatted.CStr());
    for (char* p = text; *p; ++p) {
        if (*p == '\r')
            *p = ' ';
    }
    return message.answer;
}

}  // namespace vek
