// CharEncoder: turning what a TextWriter writes into the bytes of its output encoding.
#pragma once

#include <cstdint>
#include <string_view>

namespace vek {

class TextWriter;
struct NumberFormat;

// Turns what a TextWriter is asked to write (UTF-8 text, single characters, UTF-16 text, numbers)
// into the bytes of the writer's output encoding, straight at the writer's cursor. The writer makes
// room before each call (TextWriter::EnsureRoom, counted in UTF-8 bytes), so no encoder tests room;
// every encoder writes at most as many bytes as the UTF-8 form takes, twice that for UTF-16.
//
// The base class writes UTF-8. Decoding walks use Utf8NextChar: a bad byte is one U+FFFD and the walk
// goes on, so a bad byte never cuts a text short. "Raw" operations write each byte as it is (one unit
// per byte in UTF-16). Integers are ASCII in every encoding; the separators of a double may be any
// character and are encoded like text.
//
// The writer owns its one encoder and replaces it when its encoding changes (TextWriter::SetEncoding):
// CharEncoder for UTF-8, Utf16LeEncoder and Utf16BeEncoder, CodePageEncoder for ids 3-8.
class CharEncoder {
public:
    explicit CharEncoder(TextWriter& owner) : owner(owner) {}
    virtual ~CharEncoder();
    CharEncoder(const CharEncoder&) = delete;
    CharEncoder& operator=(const CharEncoder&) = delete;

    virtual void PutRawChar(uint8_t byte);
    virtual void PutRawCharRepeated(uint8_t byte, int32_t n);  // nothing for n < 1
    virtual void PutChar(uint32_t codePoint);
    virtual void PutText(const char* text);  // UTF-8 up to the NUL
    virtual void PutRawText(const char* text);  // bytes up to the NUL
    virtual void PutTextBytes(const char* bytes, int32_t n);  // n bytes of UTF-8 (a NUL is a character)
    virtual void PutUtf16Text(const char16_t* units, int32_t n);
    virtual void PutInt(int32_t value);
    virtual void PutIntDigits(int32_t value, int32_t digits);  // zero-padded, see CursorPutIntDigits
    virtual void PutInt64(int64_t value);
    virtual void PutInt64Digits(int64_t value, int32_t digits);
    virtual void PutDouble(double value, const NumberFormat& format);
    // Removes the writer's separator from the end of what is buffered, as often as it stands there,
    // never before the buffer start.
    virtual void TrimTrailingSeparators();

protected:
    char*& Cursor();
    const char* BufferStart() const;
    uint32_t Separator() const;
    std::string_view SeparatorUtf8() const;

    TextWriter& owner;
};

// The UTF-16 encoders: one unit per character, characters beyond U+FFFF as U+FFFD (text in memory
// never holds them), little- or big-endian.
class Utf16Encoder : public CharEncoder {
public:
    enum class ByteOrder { littleEndian, bigEndian };

    Utf16Encoder(TextWriter& owner, ByteOrder order) : CharEncoder(owner), order(order) {}
    ~Utf16Encoder() override;

    void PutRawChar(uint8_t byte) override;
    void PutRawCharRepeated(uint8_t byte, int32_t n) override;
    void PutChar(uint32_t codePoint) override;
    void PutText(const char* text) override;
    void PutRawText(const char* text) override;
    void PutTextBytes(const char* bytes, int32_t n) override;
    void PutUtf16Text(const char16_t* units, int32_t n) override;
    void PutInt(int32_t value) override;
    void PutIntDigits(int32_t value, int32_t digits) override;
    void PutInt64(int64_t value) override;
    void PutInt64Digits(int64_t value, int32_t digits) override;
    void PutDouble(double value, const NumberFormat& format) override;
    void TrimTrailingSeparators() override;

private:
    void PutUnit(uint32_t unit);
    void PutAsciiBytes(const char* bytes, const char* end);

    ByteOrder order;
};

class Utf16LeEncoder final : public Utf16Encoder {
public:
    explicit Utf16LeEncoder(TextWriter& owner) : Utf16Encoder(owner, ByteOrder::littleEndian) {}
    ~Utf16LeEncoder() override;
};

class Utf16BeEncoder final : public Utf16Encoder {
public:
    explicit Utf16BeEncoder(TextWriter& owner) : Utf16Encoder(owner, ByteOrder::bigEndian) {}
    ~Utf16BeEncoder() override;
};

// An 8-bit code page (ids 3-8; id 3 the system code page at the time the encoder is made). A table
// of 65536 bytes maps every code point below U+10000 to its byte: ASCII to itself, each character of
// the page to its byte (a character the page holds twice to the later byte), every other character to
// "." (byte 46). When the table cannot be allocated (HasTable false) the text operations write nothing.
class CodePageEncoder final : public CharEncoder {
public:
    CodePageEncoder(TextWriter& owner, int32_t encoding);
    ~CodePageEncoder() override;

    bool HasTable() const { return table != nullptr; }

    void PutChar(uint32_t codePoint) override;
    void PutText(const char* text) override;
    void PutTextBytes(const char* bytes, int32_t n) override;
    void PutUtf16Text(const char16_t* units, int32_t n) override;
    // The separators of a number format may be any character, so numbers go through the table too.
    void PutDouble(double value, const NumberFormat& format) override;
    void TrimTrailingSeparators() override;

private:
    uint8_t ByteOf(uint32_t codePoint) const { return codePoint <= 0xFFFF ? table[codePoint] : '.'; }

    uint8_t* table = nullptr;  // allocator block of 65536 bytes, owned
};

}  // namespace vek
