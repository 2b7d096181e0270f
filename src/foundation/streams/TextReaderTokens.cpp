// The configurable tokenizer of TextReader and the token buffer that the tokenizer and the markup
// reader copy tokens into.
#include "foundation/streams/TextReader.h"

#include <cstring>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

constexpr char kNoText[] = "";
constexpr int64_t kTokenBufferBytes = 2048;

}  // namespace

void TextReader::SetToken(const char* start, const char* end)
{
    token = start != nullptr ? start : kNoText;
    tokenLength = start != nullptr ? int32_t(end - start) : 0;
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
        while (wanted < tokenUsed + n + 1 && wanted <= kLargestBuffer / 2)
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
        uint32_t a = Utf8NextUpperCharIn(p, end);
        uint32_t b = Utf8NextUpperChar(text);
        if (a != b)
            return a < b ? -1 : 1;
    }
}

}  // namespace vek
