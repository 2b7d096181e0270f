// Message and MessageHandler: numbered messages with arguments, and those that show or catch them.
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"

namespace vek {

class String;
class Window;

// The reserved code of a cancellation, never shown; every other code is a text number (TextIds.h).
constexpr int32_t kMessageCancelled = -1;

// Every failure, warning and question of the program: a numbered text (read through LoadText) with up
// to four text arguments, which replace the placeholders "@0" .. "@3", and up to four button texts
// given by number. A plain record, copied by value.
struct Message {
    static constexpr int32_t kMaxArguments = 4;
    static constexpr int32_t kTextCapacity = 80;  // 79 bytes of UTF-8 and the NUL

    int32_t code = 0;         // the text number
    int32_t titleNumber = 0;  // text number of the alert's title; 0 = none of its own
    int32_t beeps = 0;        // system beeps before the showing
    int32_t kind = 2;         // how the showing handler presents it; 0 for errors set as codes
    Window* owner = nullptr;  // the window an alert opens in front of
    int32_t textCount = 0;
    char texts[kMaxArguments][kTextCapacity] = {};
    int32_t numberCount = 0;
    int32_t numbers[kMaxArguments] = {};  // button text numbers, in order
    // The preset answer: what ReportMessage gives when no handler shows the message. A handler that
    // shows it answers the position of the chosen button among `numbers`, counted from 0.
    int32_t answer = 0;

    // Back to the state of a new message.
    void Clear() { *this = Message(); }

    // Text arguments; each is ignored when the four slots are full. A text of up to 79 bytes is kept
    // whole; a longer one is cut to at most 77 bytes (at a character boundary) followed by "..".
    void AddTextBytes(const char* bytes, int32_t n);
    void AddText(const char* text);  // null = empty argument
    void AddEmptyText();
    void AddHeapText(ConstHeapText text);  // null = empty argument
    void AddLoadedText(int32_t number);   // LoadText of the number; none = empty argument
    // The last component of a path (after the last "/", trailing "/" ignored); null = empty.
    void AddFileName(const char* path);
    // A button text number; ignored when the four slots are full.
    void AddNumber(int32_t value);

    // The text of `code` in the UI language with the text arguments substituted: "@" followed by the
    // argument's digit (argument 0 replaces "@0"). Placeholders without an argument stay, and so does
    // whatever an argument's own text holds. A code without a text gives the empty text.
    void Format(String& text) const;
};

// The handlers a message can reach form a process-wide stack, newest on top. A handler that does not
// show a message passes it down; every handler from the top sees NoteMessage first.
class MessageHandler {
public:
    // Pushes the handler on top of the stack.
    MessageHandler();
    // Unlinks the handler wherever it stands (handlers may be destroyed in any order).
    virtual ~MessageHandler();
    MessageHandler(const MessageHandler&) = delete;
    MessageHandler& operator=(const MessageHandler&) = delete;

    // Learns of a message; the base passes it to the next handler.
    virtual void NoteMessage(const Message& message);
    // Shows a message and returns the answer; the base passes it to the next handler, and without
    // one returns the message's preset answer.
    virtual int32_t ShowMessage(const Message& message);
    // 1 when messages are not put before a user; the base asks the next handler, 1 without one.
    virtual int32_t IsUnattended();

    MessageHandler* Next() const { return next; }

private:
    MessageHandler* next = nullptr;
};

// The handler on top of the stack, or null.
MessageHandler* TopMessageHandler();

// Hands a message to the top handler (NoteMessage, then ShowMessage) and returns its answer; with an
// empty stack, the message's preset answer.
int32_t ReportMessage(const Message& message);
// The top handler's IsUnattended; 1 with an empty stack. A modal window is answered at once with its
// default button when this is 1.
int32_t QueryUnattended();

// Records the last message it is shown, without showing it: its code and its formatted text (carriage
// returns as blanks, cut at a whole character to at most 199 bytes).
class MessageCatcher : public MessageHandler {
public:
    static constexpr int32_t kTextCapacity = 200;

    MessageCatcher() = default;
    ~MessageCatcher() override;

    int32_t ShowMessage(const Message& message) override;
    int32_t IsUnattended() override { return 1; }

    int32_t Code() const { return code; }
    const char* Text() const { return text; }

private:
    int32_t code = 0;
    char text[kTextCapacity] = {};
};

}  // namespace vek
