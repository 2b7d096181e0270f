// The ways of consuming a line of TextReader: fields, the configurable tokenizer, and markup.
#include "foundation/TextReader.h"

#include <cstring>
#include <span>

#include "foundation/BlockAllocator.h"
#include "foundation/BlockCompressor.h"
#include "foundation/CString.h"
#include "foundation/CharTables.h"
#include "foundation/IntegerText.h"
#include "foundation/NumberFormat.h"
#include "foundation/PendingError.h"
#include "foundation/String.h"
#include "foundation/Utf8.h"
#include "foundation/Utf8Sequence.h"

namespace vek {

namespace {

constexpr char kNoText[] = "";
constexpr int64_t kTokenBufferBytes = 2048;
constexpr int64_t kLargestTokenBuffer = INT32_MAX - 64;
// A byte field expands into at most this many bytes; the zero-run form stops a little earlier.
constexpr int32_t kByteFieldBytes = 36864;
constexpr int32_t kZeroRunLimit = 36608;
// A piece of a long text field: 4198 to 4200 bytes (never a character cut) and the marker "/==".
constexpr int32_t kLongPieceMin = 4198 + 3;
constexpr int32_t kLongPieceMax = 4200 + 3;
constexpr char kLongMarker[] = "/==";

bool IsBlank(char byte)
{
    return byte == ' ' || byte == '\t';
}

int32_t UpperHexDigitValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

// The upper-case character at p (reading only before end), advancing p.
uint32_t NextUpperIn(const char*& p, const char* end)
{
    utf8::Sequence sequence =
        utf8::Decode(reinterpret_cast<const uint8_t*>(p), reinterpret_cast<const uint8_t*>(end));
    p += sequence.length;
    return ToUpperChar(sequence.bad ? kReplacementChar : sequence.codePoint);
}

// The end of the start of [p, end) that equals the name without regard to case, or null.
const char* MatchNoCase(const char* p, const char* end, const char* name)
{
    while (*name != 0) {
        if (p >= end)
            return nullptr;
        if (Utf8NextUpperChar(name) != NextUpperIn(p, end))
            return nullptr;
    }
    return p;
}

void DecodeEntitiesInPlace(String& text)
{
    text.SetLength(CStrDecodeEntities(text.Data()));
}

// A growable allocator block for texts that may pass the length cap of String.
class ByteCollector {
public:
    ~ByteCollector() { MemFree(data); }
    bool Append(const char* bytes, int64_t n)
    {
        if (used + n > capacity) {
            int64_t wanted = capacity < 4096 ? 4096 : capacity;
            while (wanted < used + n)
                wanted *= 2;
            if (wanted > kLargestTokenBuffer)
                return false;
            char* fresh = static_cast<char*>(MemAlloc(int32_t(wanted)));
            if (fresh == nullptr)
                return false;
            if (used > 0)
                std::memcpy(fresh, data, size_t(used));
            MemFree(data);
            data = fresh;
            capacity = wanted;
        }
        if (n > 0)
            std::memcpy(data + used, bytes, size_t(n));
        used += n;
        return true;
    }
    char* data = nullptr;
    int64_t used = 0;
    int64_t capacity = 0;
};

}  // namespace

// Fields.

void TextReader::SetToken(const char* start, const char* end)
{
    token = start != nullptr ? start : kNoText;
    tokenLength = start != nullptr ? int32_t(end - start) : 0;
}

bool TextReader::NextFieldSpan(bool trim)
{
    const char* p = fieldCursor;
    const char* end = lineEnd;
    if (p == nullptr || p >= end) {
        SetToken(nullptr, nullptr);
        return false;
    }
    const char* tab = static_cast<const char*>(std::memchr(p, '\t', size_t(end - p)));
    const char* stop = tab != nullptr ? tab : end;
    fieldCursor = tab != nullptr ? tab + 1 : end;
    if (trim) {
        while (stop > p && stop[-1] == ' ')
            --stop;
    }
    SetToken(p, stop);
    return true;
}

bool TextReader::NextField()
{
    return NextFieldSpan(true);
}

bool TextReader::NextFieldRaw()
{
    return NextFieldSpan(false);
}

bool TextReader::NextFieldChar(char& byte)
{
    bool found = NextField();
    byte = tokenLength > 0 ? token[0] : 0;
    return found;
}

bool TextReader::NextFieldToBuffer(char* buffer, int32_t size)
{
    bool found = NextField();
    if (buffer != nullptr && size > 0)
        CStrCopyBytesLimited(buffer, size, token, tokenLength);
    return found;
}

bool TextReader::NextFieldToString(String& text)
{
    bool found = NextField();
    text.AssignBytes(token, tokenLength);
    return found;
}

bool TextReader::NextFieldRawToString(String& text)
{
    bool found = NextFieldRaw();
    text.AssignBytes(token, tokenLength);
    return found;
}

// A field that was found replaces the heap text; a missing one blanks the old text before releasing
// it, since fields are read into records that may hold secrets.
static bool StoreFieldInHeapText(bool found, const char* token, int32_t tokenLength, HeapText& field)
{
    if (!found) {
        BlankHeapText(field);
        SetHeapText(field, nullptr);
        return false;
    }
    SetHeapTextFromBytes(field, token, tokenLength);
    return true;
}

bool TextReader::NextFieldToHeapText(HeapText& field)
{
    bool found = NextField();
    return StoreFieldInHeapText(found, token, tokenLength, field);
}

bool TextReader::NextFieldRawToHeapText(HeapText& field)
{
    bool found = NextFieldRaw();
    return StoreFieldInHeapText(found, token, tokenLength, field);
}

bool TextReader::NextFieldInt(int32_t& value)
{
    if (!NextField())
        return false;
    value = BytesToIntRounded(token, tokenLength);
    return true;
}

bool TextReader::NextFieldDouble(double& value)
{
    if (!NextField())
        return false;
    value = BytesToDouble(token, tokenLength);
    return true;
}

bool TextReader::NextLongTextField(HeapText& field)
{
    // Raw: blanks at the end of the text are part of it.
    if (!NextFieldRaw()) {
        BlankHeapText(field);
        SetHeapText(field, nullptr);
        return false;
    }
    ByteCollector text;
    bool complete = text.Append(token, tokenLength);
    int32_t piece = tokenLength;
    // Only a piece of the length the writer cuts continues on the next line, so that a shorter text
    // that happens to end in the marker is read as it stands.
    while (complete && piece >= kLongPieceMin && piece <= kLongPieceMax &&
           std::memcmp(text.data + text.used - 3, kLongMarker, 3) == 0) {
        text.used -= 3;
        if (!ReadLine())
            break;
        piece = 0;
        if (NextFieldRaw()) {
            complete = text.Append(token, tokenLength);
            piece = tokenLength;
        }
    }
    if (!complete) {
        SetOutOfMemoryError();
        SetHeapText(field, nullptr);
        return false;
    }
    for (int64_t i = 0; i < text.used; ++i) {
        if (text.data[i] == 3)
            text.data[i] = '\r';
        else if (text.data[i] == 4)
            text.data[i] = '\t';
    }
    SetHeapTextFromBytes(field, text.data, int32_t(text.used));
    return text.used == 0 || field != nullptr;
}

bool TextReader::NextBinaryField(void*& block)
{
    if (!NextField()) {
        MemSetFromBytes(block, nullptr, 0);
        return false;
    }
    if (byteFieldBuffer == nullptr) {
        byteFieldBuffer = static_cast<uint8_t*>(MemAlloc(kByteFieldBytes));
        if (byteFieldBuffer == nullptr) {
            MemSetFromBytes(block, nullptr, 0);
            return false;
        }
    }
    const char* p = token;
    const char* end = token + tokenLength;
    int32_t count = 0;
    if (tokenLength > 0 && token[0] == '*') {
        // The hexadecimal form of a compressed block.
        ++p;
        int32_t compressedLength = int32_t((end - p) / 2);
        auto* compressed = static_cast<uint8_t*>(MemAlloc(compressedLength));
        bool damaged = compressed == nullptr || (end - p) % 2 != 0;
        for (int32_t i = 0; !damaged && i < compressedLength; ++i) {
            int32_t high = UpperHexDigitValue(p[2 * i]);
            int32_t low = UpperHexDigitValue(p[2 * i + 1]);
            damaged = high < 0 || low < 0;
            compressed[i] = uint8_t((high << 4) | (low & 15));
        }
        if (!damaged) {
            ExpandResult result = ExpandBlock(std::span<uint8_t>(byteFieldBuffer, kByteFieldBytes),
                                              std::span<const uint8_t>(compressed, size_t(compressedLength)));
            damaged = result.status != ExpandStatus::Complete;
            count = result.length;
        }
        MemFree(compressed);
        if (damaged) {
            MemSetFromBytes(block, nullptr, 0);
            return false;
        }
    } else {
        // The zero-run form: "a".."z" are 1..26 zero bytes, any other pair of characters one byte.
        while (p < end && count < kZeroRunLimit) {
            if (*p >= 'a' && *p <= 'z') {
                int32_t zeros = *p++ - 'a' + 1;
                if (zeros > kZeroRunLimit - count)
                    zeros = kZeroRunLimit - count;
                std::memset(byteFieldBuffer + count, 0, size_t(zeros));
                count += zeros;
                continue;
            }
            if (end - p < 2)
                break;
            int32_t high = UpperHexDigitValue(p[0]);
            int32_t low = UpperHexDigitValue(p[1]);
            byteFieldBuffer[count++] = uint8_t(((high < 0 ? 0 : high) << 4) | (low < 0 ? 0 : low));
            p += 2;
        }
    }
    MemSetFromBytes(block, byteFieldBuffer, count);
    return count == 0 || block != nullptr;
}

void TextReader::SetFlagFromSign(int32_t& flag, char sign)
{
    if (sign == '+')
        flag = 1;
    else if (sign == '-')
        flag = 0;
}

bool TextReader::NextLineAttribute(String& name, String& value)
{
    name.AssignCStr("");
    value.AssignCStr("");
    const char* p = tokenCursor;
    const char* end = lineEnd;
    if (p == nullptr)
        return false;
    while (p < end && IsBlank(*p))
        ++p;
    const char* nameStart = p;
    while (p < end && !IsBlank(*p) && *p != '=')
        ++p;
    if (p == nameStart) {
        tokenCursor = p;
        return false;
    }
    name.AssignBytes(nameStart, int32_t(p - nameStart));
    const char* q = p;
    while (q < end && IsBlank(*q))
        ++q;
    if (q < end && *q == '=') {
        ++q;
        while (q < end && IsBlank(*q))
            ++q;
        const char* valueStart = q;
        if (q < end && *q == '"') {
            valueStart = ++q;
            while (q < end && *q != '"')
                ++q;
            value.AssignBytes(valueStart, int32_t(q - valueStart));
            if (q < end)
                ++q;
        } else {
            while (q < end && !IsBlank(*q))
                ++q;
            value.AssignBytes(valueStart, int32_t(q - valueStart));
        }
        DecodeEntitiesInPlace(value);
        p = q;
    }
    tokenCursor = p;
    return true;
}

// The token buffer.

bool TextReader::AppendTokenBytes(const char* bytes, int64_t n)
{
    if (!ReserveTokenBytes(n))
        return false;
    if (n > 0)
        std::memcpy(tokenBuffer + tokenUsed, bytes, size_t(n));
    tokenUsed += n;
    tokenBuffer[tokenUsed] = 0;
    return true;
}

bool TextReader::ReserveTokenBytes(int64_t n)
{
    if (tokenUsed + n + 1 > tokenCapacity) {
        int64_t wanted = tokenCapacity < kTokenBufferBytes ? kTokenBufferBytes : tokenCapacity;
        while (wanted < tokenUsed + n + 1 && wanted <= kLargestTokenBuffer / 2)
            wanted *= 2;
        char* fresh = wanted >= tokenUsed + n + 1 ? static_cast<char*>(MemAlloc(int32_t(wanted))) : nullptr;
        if (fresh == nullptr) {
            SetOutOfMemoryError();
            return false;
        }
        if (tokenUsed > 0)
            std::memcpy(fresh, tokenBuffer, size_t(tokenUsed));
        MemFree(tokenBuffer);
        tokenBuffer = fresh;
        tokenCapacity = wanted;
    }
    return true;
}

bool TextReader::TokenFromBuffer()
{
    if (!AppendTokenBytes(nullptr, 0))
        return false;
    token = tokenBuffer;
    tokenLength = int32_t(tokenUsed);
    return true;
}

// The configurable tokenizer.

bool TextReader::ReadNextLineForToken()
{
    return ReadLine();
}

bool TextReader::IsSpecialStart(const char* p) const
{
    char next = p + 1 < lineEnd ? p[1] : 0;
    uint32_t flags = tokenizerFlags;
    switch (*p) {
    case '#':
        return (flags & (kTokenSkipHashComments | kTokenHashComment)) != 0;
    case '/':
        return (next == '*' && (flags & (kTokenSkipBlockComments | kTokenBlockComment)) != 0) ||
               (next == '/' && (flags & (kTokenSkipSlashComments | kTokenSlashComment)) != 0);
    case '(':
    case ')':
        return (flags & kTokenParentheses) != 0;
    case '[':
    case ']':
        return (flags & kTokenBrackets) != 0;
    case '{':
    case '}':
        return (flags & kTokenBraces) != 0;
    case '=':
        return (flags & kTokenEquals) != 0;
    case ';':
        return (flags & (kTokenSkipSemicolonComments | kTokenSemicolonComment | kTokenSemicolon)) != 0;
    case ':':
        return next == '=' && (flags & kTokenAssign) != 0;
    default:
        return false;
    }
}

const char* TextReader::CopyQuoted(const char* p)
{
    char quote = *p++;
    const char* start = p;
    // A quote after a backslash does not close; the backslash stays in the token.
    while (p < lineEnd && !(*p == quote && p[-1] != '\\'))
        ++p;
    if (!AppendTokenBytes(start, p - start))
        return nullptr;
    return p < lineEnd ? p + 1 : p;
}

bool TextReader::SkipBlockComment(const char*& p)
{
    int32_t depth = 0;
    for (;;) {
        const char* end = lineEnd;
        while (p < end) {
            if (p[0] == '/' && p + 1 < end && p[1] == '*') {
                ++depth;
                p += 2;
            } else if (p[0] == '*' && p + 1 < end && p[1] == '/') {
                p += 2;
                if (--depth == 0)
                    return true;
            } else {
                ++p;
            }
        }
        if (!ReadLine())
            return false;
        p = lineStart;
    }
}

bool TextReader::BlockCommentToken(const char* p)
{
    tokenUsed = 0;
    int32_t depth = 0;
    for (;;) {
        const char* end = lineEnd;
        const char* start = p;
        while (p < end) {
            if (p[0] == '/' && p + 1 < end && p[1] == '*') {
                ++depth;
                p += 2;
            } else if (p[0] == '*' && p + 1 < end && p[1] == '/') {
                p += 2;
                if (--depth == 0) {
                    tokenCursor = p;
                    return AppendTokenBytes(start, p - start) && TokenFromBuffer();
                }
            } else {
                ++p;
            }
        }
        if (!AppendTokenBytes(start, end - start))
            return false;
        if (!ReadLine())
            return TokenFromBuffer();  // the input ended inside the comment
        if (!AppendTokenBytes("\r", 1))
            return false;
        p = lineStart;
    }
}

bool TextReader::LineCommentEnds()
{
    bool joined = (tokenizerFlags & kTokenBackslashJoins) != 0 && lineEnd > lineStart && lineEnd[-1] == '\\';
    tokenCursor = lineEnd;
    if (joined || (tokenizerFlags & kTokenAcrossLines) != 0)
        return !ReadNextLineForToken();
    return true;
}

bool TextReader::NextToken()
{
    SetToken(nullptr, nullptr);
    uint32_t flags = tokenizerFlags;
    for (;;) {
        const char* p = tokenCursor;
        const char* end = lineEnd;
        if (p == nullptr)
            return false;
        while (p < end && uint8_t(*p) < 33)
            ++p;
        tokenCursor = p;
        if (p >= end) {
            if ((flags & kTokenAcrossLines) != 0 && ReadNextLineForToken())
                continue;
            return false;
        }
        char c = *p;
        char next = p + 1 < end ? p[1] : 0;
        if (c == '/' && next == '*') {
            if ((flags & kTokenSkipBlockComments) != 0) {
                if (!SkipBlockComment(p))
                    return false;
                tokenCursor = p;
                continue;
            }
            if ((flags & kTokenBlockComment) != 0)
                return BlockCommentToken(p);
        }
        bool skipComment = false;
        bool commentToken = false;
        if (c == '/' && next == '/') {
            skipComment = (flags & kTokenSkipSlashComments) != 0;
            commentToken = (flags & kTokenSlashComment) != 0;
        } else if (c == '#') {
            skipComment = (flags & kTokenSkipHashComments) != 0;
            commentToken = (flags & kTokenHashComment) != 0;
        } else if (c == ';' && (flags & kTokenSemicolon) == 0) {
            skipComment = (flags & kTokenSkipSemicolonComments) != 0;
            commentToken = (flags & kTokenSemicolonComment) != 0;
        }
        if (skipComment) {
            if (LineCommentEnds())
                return false;
            continue;
        }
        if (commentToken) {
            const char* stop = end;
            if ((flags & kTokenBackslashJoins) != 0 && stop[-1] == '\\')
                --stop;
            SetToken(p, stop);
            tokenCursor = end;
            return true;
        }
        if (c == ':' && next == '=' && (flags & kTokenAssign) != 0) {
            SetToken(p, p + 2);
            tokenCursor = p + 2;
            return true;
        }
        if (c != ':' && c != '#' && c != '/' && IsSpecialStart(p)) {
            SetToken(p, p + 1);
            tokenCursor = p + 1;
            return true;
        }
        if (c == '\\' && (flags & kTokenBackslashJoins) != 0) {
            // A backslash that ends the line joins the next one; elsewhere it starts a token.
            const char* rest = p + 1;
            while (rest < end && uint8_t(*rest) < 33)
                ++rest;
            if (rest == end) {
                if (!ReadNextLineForToken())
                    return false;
                continue;
            }
        }
        break;
    }

    // A plain token, with quoted parts joined in.
    const char* p = tokenCursor;
    const char* end = lineEnd;
    const char* start = p;
    const char* run = p;
    bool copied = false;
    while (p < end && uint8_t(*p) >= 33) {
        bool quote = (*p == '"' && (flags & kTokenDoubleQuotes) != 0) ||
                     (*p == '\'' && (flags & kTokenSingleQuotes) != 0);
        if (quote) {
            if (!copied)
                tokenUsed = 0;
            copied = true;
            if (!AppendTokenBytes(run, p - run) || (p = CopyQuoted(p)) == nullptr)
                return false;
            run = p;
            continue;
        }
        if (p > start && IsSpecialStart(p))
            break;
        ++p;
    }
    tokenCursor = p;
    if (!copied) {
        SetToken(start, p);
        return true;
    }
    return AppendTokenBytes(run, p - run) && TokenFromBuffer();
}

bool TextReader::NextTokenToString(String& text)
{
    bool found = NextToken();
    text.AssignBytes(token, tokenLength);
    return found;
}

int32_t TextReader::CompareToken(const char* text) const
{
    const char* p = token != nullptr ? token : kNoText;
    const char* end = p + tokenLength;
    if (text == nullptr)
        text = kNoText;
    for (;;) {
        if (p >= end)
            return *text == 0 ? 0 : -1;
        if (*text == 0)
            return 1;
        uint32_t a = NextUpperIn(p, end);
        uint32_t b = Utf8NextUpperChar(text);
        if (a != b)
            return a < b ? -1 : 1;
    }
}

// Markup.

bool TextReader::NextMarkupToken()
{
    SetToken(nullptr, nullptr);
    attributeOffset = -1;
    for (;;) {
        const char* p = tokenCursor;
        if (p == nullptr) {
            if (!ReadLine())
                return false;
            continue;
        }
        while (p < lineEnd && uint8_t(*p) < 33)
            ++p;
        if (p >= lineEnd) {
            if (!ReadLine())
                return false;
            continue;
        }
        if (*p != '<')
            return MarkupText(p);
        switch (MarkupTag(p)) {
        case MarkupTagResult::tag:
            return true;
        case MarkupTagResult::comment:
            continue;
        case MarkupTagResult::failed:
            SetToken(nullptr, nullptr);
            attributeOffset = -1;
            return false;
        }
    }
}

// Copies a tag to the token buffer (bytes below 32 as blanks), reading on across lines. A comment is
// passed over without being copied; the cursor then stands after it.
TextReader::MarkupTagResult TextReader::MarkupTag(const char* p)
{
    tokenUsed = 0;
    attributeOffset = -1;
    bool comment = false;
    char previous = 0;
    char beforePrevious = 0;
    for (;;) {
        const char* end = lineEnd;
        if (!comment && !ReserveTokenBytes(end - p))
            return MarkupTagResult::failed;
        while (p < end) {
            char byte = *p++;
            if (comment) {
                if (byte == '>' && previous == '-' && beforePrevious == '-') {
                    tokenCursor = p;
                    tokenUsed = 0;
                    return MarkupTagResult::comment;
                }
                beforePrevious = previous;
                previous = byte;
                continue;
            }
            if (uint8_t(byte) < 32)
                byte = ' ';
            if (byte == ' ' && attributeOffset < 0)
                attributeOffset = int32_t(tokenUsed);
            tokenBuffer[tokenUsed++] = byte;
            if (byte == '>') {
                tokenCursor = p;
                return TokenFromBuffer() ? MarkupTagResult::tag : MarkupTagResult::failed;
            }
            if (tokenUsed == 4 && std::memcmp(tokenBuffer, "<!--", 4) == 0) {
                comment = true;
                previous = beforePrevious = '-';
            }
        }
        // The tag goes on in the next line, with nothing put between; the input may end first.
        if (!ReadLine())
            return MarkupTagResult::failed;
        p = lineStart;
    }
}

bool TextReader::MarkupText(const char* p)
{
    tokenUsed = 0;
    for (;;) {
        const char* end = lineEnd;
        const char* stop = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
        if (stop == nullptr)
            stop = end;
        int64_t start = tokenUsed;
        if (!AppendTokenBytes(p, stop - p))
            return false;
        for (int64_t i = start; i < tokenUsed; ++i) {
            if (uint8_t(tokenBuffer[i]) < 32)
                tokenBuffer[i] = ' ';
        }
        if (stop < end) {
            tokenCursor = stop;
            break;
        }
        // The run goes on in the next line, with nothing put between.
        if (!ReadLine())
            break;
        p = lineStart;
    }
    while (tokenUsed > 0 && uint8_t(tokenBuffer[tokenUsed - 1]) < 33)
        --tokenUsed;
    if (tokenUsed == 0)
        return false;
    return TokenFromBuffer();
}

bool TextReader::IsTag(const char* name) const
{
    if (name == nullptr || token == nullptr || tokenLength < 1 || token[0] != '<')
        return false;
    const char* end = token + tokenLength;
    const char* after = MatchNoCase(token + 1, end, name);
    return after != nullptr && after < end && (*after == '>' || *after == '/' || uint8_t(*after) < 33);
}

bool TextReader::IsTagInList(const char* names) const
{
    if (names == nullptr)
        return false;
    String word;
    const char* cursor = names;
    while (word.TakeTrimmedField(cursor, ' ')) {
        if (IsTag(word.CStr()))
            return true;
    }
    return false;
}

bool TextReader::IsEmptyOrEndTag() const
{
    if (token == nullptr || tokenLength < 1 || token[0] != '<')
        return false;
    const char* p = token + 1;
    const char* end = token + tokenLength;
    while (p < end && *p == ' ')
        ++p;
    if (p < end && *p == '/')
        return true;
    const char* last = end;
    while (last > token + 1 && (last[-1] == '>' || last[-1] == ' '))
        --last;
    return last > token + 1 && last[-1] == '/';
}

void TextReader::TagName(String& name) const
{
    name.AssignCStr("");
    if (token == nullptr || tokenLength < 1 || token[0] != '<')
        return;
    const char* p = token + 1;
    const char* end = token + tokenLength;
    while (p < end && *p == ' ')
        ++p;
    const char* start = p;
    while (p < end && *p != '>' && *p != '/' && uint8_t(*p) >= 33)
        ++p;
    name.AssignBytes(start, int32_t(p - start));
}

bool TextReader::NextAttribute(String& name, String& value)
{
    name.AssignCStr("");
    value.AssignCStr("");
    if (attributeOffset < 0 || token != tokenBuffer || attributeOffset > tokenLength)
        return false;
    const char* p = tokenBuffer + attributeOffset;
    const char* end = tokenBuffer + tokenLength;
    while (p < end && *p == ' ')
        ++p;
    const char* nameStart = p;
    while (p < end && *p != ' ' && *p != '=' && *p != '/' && *p != '>')
        ++p;
    attributeOffset = int32_t(p - tokenBuffer);
    if (p == nameStart)
        return false;
    name.AssignBytes(nameStart, int32_t(p - nameStart));
    const char* q = p;
    while (q < end && *q == ' ')
        ++q;
    if (q < end && *q == '=') {
        ++q;
        while (q < end && *q == ' ')
            ++q;
        if (q < end && *q == '"') {
            const char* valueStart = ++q;
            while (q < end && *q != '"' && *q != '>')
                ++q;
            value.AssignBytes(valueStart, int32_t(q - valueStart));
            DecodeEntitiesInPlace(value);
            if (q < end && *q == '"')
                ++q;
        } else {
            // Only quoted values are read; an unquoted one is passed over, not taken for a name.
            while (q < end && *q != ' ' && *q != '>')
                ++q;
        }
        attributeOffset = int32_t(q - tokenBuffer);
    }
    return true;
}

// +1 for a start tag, -1 for an end tag, 0 for an empty tag, a declaration or processing instruction
// and for text.
int32_t TextReader::TagDepthChange() const
{
    if (token == nullptr || tokenLength < 2 || token[0] != '<' || token[1] == '?' || token[1] == '!')
        return 0;
    if (!IsEmptyOrEndTag())
        return 1;
    const char* p = token + 1;
    while (p < token + tokenLength && *p == ' ')
        ++p;
    return p < token + tokenLength && *p == '/' ? -1 : 0;
}

bool TextReader::ReadElementContent(String& text)
{
    text.AssignCStr("");
    if (TagDepthChange() != 1)
        return false;
    int32_t depth = 1;
    while (NextMarkupToken()) {
        if (token[0] != '<') {
            text.AppendBytes(token, tokenLength);
            continue;
        }
        depth += TagDepthChange();
        if (depth == 0)
            break;
    }
    DecodeEntitiesInPlace(text);
    return true;
}

bool TextReader::ReadElementText(String& text, const char* name)
{
    if (!IsTag(name)) {
        text.AssignCStr("");
        return false;
    }
    return ReadElementContent(text);
}

bool TextReader::ReadElementContentToHeapText(HeapText& field)
{
    String text;
    bool found = ReadElementContent(text);
    SetHeapTextFromString(field, text);
    return found;
}

void TextReader::SkipElement()
{
    if (TagDepthChange() != 1)
        return;
    int32_t depth = 1;
    while (depth > 0 && !IsErrorPending() && NextMarkupToken())
        depth += TagDepthChange();
}

bool TextReader::SkipElementAndNext()
{
    SkipElement();
    return NextMarkupToken();
}

// AttributeList.

AttributeList::~AttributeList()
{
    Clear();
}

void AttributeList::Clear()
{
    for (int32_t i = 0; i < count; ++i) {
        SetHeapText(names[i], nullptr);
        SetHeapText(values[i], nullptr);
    }
    count = 0;
}

void AttributeList::ReadAll(TextReader& reader)
{
    Clear();
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (count == kCapacity)
            continue;
        names[count] = name.NewHeapText();
        values[count] = value.NewHeapText();
        if (names[count] != nullptr)
            ++count;
        else
            SetHeapText(values[count], nullptr);
    }
}

int32_t AttributeList::IndexOf(const char* name) const
{
    for (int32_t i = 0; i < count; ++i) {
        if (CompareHeapTextNoCase(names[i], name == nullptr ? kNoText : name) == 0)
            return i;
    }
    return -1;
}

void AttributeList::RemoveAt(int32_t i)
{
    SetHeapText(names[i], nullptr);
    SetHeapText(values[i], nullptr);
    for (int32_t j = i + 1; j < count; ++j) {
        names[j - 1] = names[j];
        values[j - 1] = values[j];
    }
    --count;
    names[count] = nullptr;
    values[count] = nullptr;
}

bool AttributeList::PopFirstName(String& name)
{
    if (count == 0)
        return false;
    name.AssignHeapText(names[0]);
    RemoveAt(0);
    return true;
}

bool AttributeList::PopFirst(String& name, String& value)
{
    if (count == 0)
        return false;
    name.AssignHeapText(names[0]);
    value.AssignHeapText(values[0]);
    RemoveAt(0);
    return true;
}

bool AttributeList::Has(const char* name) const
{
    return IndexOf(name) >= 0;
}

bool AttributeList::Get(const char* name, String& value) const
{
    int32_t i = IndexOf(name);
    value.AssignHeapText(i >= 0 ? values[i] : nullptr);
    return i >= 0;
}

void AttributeList::Remove(const char* name)
{
    int32_t i = IndexOf(name);
    if (i >= 0)
        RemoveAt(i);
}

bool AttributeList::Take(const char* name, String& value)
{
    int32_t i = IndexOf(name);
    value.AssignHeapText(i >= 0 ? values[i] : nullptr);
    if (i < 0)
        return false;
    RemoveAt(i);
    return true;
}

}  // namespace vek
