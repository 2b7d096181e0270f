// Markup of TextReader (tags, text runs, attributes, elements), the name=value pairs of a plain line,
// and AttributeList.
#include "foundation/streams/TextReader.h"

#include <cstring>

#include "foundation/strings/CString.h"
#include "foundation/strings/HeapText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

bool IsBlank(char byte)
{
    return byte == ' ' || byte == '\t';
}

// The end of the start of [p, end) that equals the name without regard to case, or null.
const char* MatchNoCase(const char* p, const char* end, const char* name)
{
    while (*name != 0) {
        if (p >= end)
            return nullptr;
        if (Utf8NextUpperChar(name) != Utf8NextUpperCharIn(p, end))
            return nullptr;
    }
    return p;
}

void DecodeEntitiesInPlace(String& text)
{
    text.SetLength(CStrDecodeEntities(text.Data()));
}

}  // namespace

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
        if (CompareHeapTextNoCase(names[i], name == nullptr ? "" : name) == 0)
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
