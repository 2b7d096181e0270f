// Identifiers: making, replacing and numbering the names that formulas refer to, and conditions.
#include "foundation/strings/Identifiers.h"

#include <cstring>
#include <string>

#include "foundation/strings/CharTables.h"
#include "foundation/numbers/CursorWriters.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

OperatorWordMatcher operatorWordMatcher = nullptr;

// Replaces the whole text only when all of it fits, so that an expression is never cut in half.
bool AssignWholeText(String& text, const std::string& bytes)
{
    auto n = int32_t(bytes.size());
    if (bytes.size() > size_t(String::kGrowthLimit) || text.Reserve(n) < n)
        return false;
    text.AssignBytes(bytes.data(), n);
    return true;
}

bool IsNameDigit(char c)
{
    return c >= '0' && c <= '9';
}

int32_t CountCharsBetween(const char* p, const char* end)
{
    int32_t count = 0;
    while (p < end) {
        Utf8NextCharIn(p, end);
        ++count;
    }
    return count;
}

}  // namespace

bool IsIdentifierChar(uint32_t codePoint, int32_t flags)
{
    uint32_t c = ToUpperChar(FoldAccentChar(codePoint));
    if (c == '#' || c == '.' || c == '_' || (c >= 'A' && c <= 'Z'))
        return true;
    if (c >= '0' && c <= '9')
        return (flags & kIdentifierStart) == 0;
    if (c == ' ')
        return (flags & kIdentifierBlanks) != 0;
    return false;
}

void MakeIdentifier(String& text, const char* prefix, int32_t flags)
{
    const char* p = text.CStr();
    const char* end = p + text.Length();
    while (p < end && *p == ' ')
        ++p;
    while (end > p && end[-1] == ' ')
        --end;
    const int32_t innerFlags = flags & ~kIdentifierStart;
    std::string identifier;
    bool anyAllowed = false;
    while (p < end) {
        const char* start = p;
        uint32_t c = Utf8NextCharIn(p, end);
        if (c != ' ' && IsIdentifierChar(c, innerFlags)) {
            identifier.append(start, size_t(p - start));
            anyAllowed = true;
        } else if (c == ' ' && (flags & kIdentifierBlanks) != 0) {
            identifier.push_back(' ');
        } else {
            identifier.push_back('.');
        }
    }
    bool hasPrefix = prefix && *prefix;
    if (!anyAllowed) {
        text.AssignCStr(hasPrefix ? prefix : "");
        return;
    }
    if (!IsIdentifierChar(Utf8DecodeChar(identifier.c_str()), flags)) {
        const char* first = hasPrefix ? prefix : "V";
        identifier.insert(0, first, size_t(Utf8CharLength(first)));
    }
    text.AssignBytes(identifier.data(), int32_t(identifier.size()));
}

void SetOperatorWordMatcher(OperatorWordMatcher matcher)
{
    operatorWordMatcher = matcher;
}

void ReplaceIdentifier(String& text, const char* name, const char* replacement, int32_t flags)
{
    if (!name || !*name)
        return;
    if (!replacement)
        replacement = "";
    const auto nameLength = int32_t(std::strlen(name));
    const auto replacementLength = int32_t(std::strlen(replacement));
    const int32_t startFlags = flags & (kIdentifierStart | kIdentifierBlanks);
    const int32_t innerFlags = flags & kIdentifierBlanks;
    int32_t position = 0;
    while (position < text.Length()) {
        const char* data = text.CStr();
        const char* end = data + text.Length();
        const char* p = data + position;
        uint32_t c = Utf8NextCharIn(p, end);
        if (c == ' ' || !IsIdentifierChar(c, startFlags)) {
            position = int32_t(p - data);
            continue;
        }
        while (p < end) {
            const char* next = p;
            if (!IsIdentifierChar(Utf8NextCharIn(next, end), innerFlags))
                break;
            p = next;
        }
        const int32_t identifierEnd = int32_t(p - data);
        bool matches = identifierEnd - position >= nameLength &&
                       std::memcmp(data + position, name, size_t(nameLength)) == 0;
        for (int32_t i = position + nameLength; matches && i < identifierEnd; ++i)
            matches = data[i] == ' ';
        if (matches) {
            int32_t expected = text.Length() - nameLength + replacementLength;
            text.ReplaceRangeBytes(position, nameLength, replacement, replacementLength);
            if (text.Length() != expected)
                return;  // the text cannot grow: later names stay as they are too
            position += replacementLength;
            continue;
        }
        if ((flags & kIdentifierOperators) != 0 && operatorWordMatcher) {
            int32_t word = operatorWordMatcher(data + position, text.Length() - position);
            if (word > 0) {
                position += word < text.Length() - position ? word : text.Length() - position;
                continue;
            }
        }
        position = identifierEnd;
    }
}

void IncrementTrailingNumber(String& text)
{
    std::string bytes(text.CStr(), size_t(text.Length()));
    size_t start = bytes.size();
    while (start > 0 && IsNameDigit(bytes[start - 1]))
        --start;
    if (start == bytes.size()) {
        if (bytes.empty() || bytes.back() != ' ')
            bytes.push_back(' ');
        bytes.push_back('1');
    } else {
        // Counted in the digits themselves, so a run of any length goes up by one.
        size_t i = bytes.size();
        while (i > start && bytes[i - 1] == '9')
            bytes[--i] = '0';
        if (i > start)
            ++bytes[i - 1];
        else
            bytes.insert(start, 1, '1');
    }
    AssignWholeText(text, bytes);
}

void IncrementNameSuffix(String& text)
{
    std::string bytes(text.CStr(), size_t(text.Length()));
    char last = bytes.empty() ? '\0' : bytes.back();
    bool letterAlone = bytes.size() == 1 || (bytes.size() > 1 && (bytes[bytes.size() - 2] == ' ' ||
                                                                  bytes[bytes.size() - 2] == '.'));
    if (((last >= 'A' && last <= 'Y') || (last >= 'a' && last <= 'y')) && letterAlone) {
        ++bytes.back();
    } else if (IsNameDigit(last)) {
        size_t i = bytes.size();
        while (i > 0 && bytes[i - 1] == '9')
            bytes[--i] = '0';
        if (i > 0 && IsNameDigit(bytes[i - 1]))
            ++bytes[i - 1];
        else
            bytes.insert(i, 1, '1');
    } else {
        bytes.append(".1");
    }
    AssignWholeText(text, bytes);
}

void ParenthesizeIfNeeded(String& text)
{
    const char* p = text.CStr();
    const char* end = p + text.Length();
    if (p == end)
        return;
    Utf8NextCharIn(p, end);
    bool needed = false;
    // By characters: the byte 0xB1 also ends other letters (ñ, б) that do not bind at all.
    while (p < end && !needed) {
        uint32_t c = Utf8NextCharIn(p, end);
        needed = c == '|' || c == 0x00B1;
    }
    if (!needed)
        return;
    std::string bytes;
    bytes.reserve(size_t(text.Length()) + 2);
    bytes.push_back('(');
    bytes.append(text.CStr(), size_t(text.Length()));
    bytes.push_back(')');
    AssignWholeText(text, bytes);
}

void AppendAndCondition(String& text, const char* condition)
{
    if (!condition || !*condition || std::strcmp(condition, text.CStr()) == 0)
        return;
    if (text.IsEmpty()) {
        text.AssignCStr(condition);
        return;
    }
    String right;
    right.AssignCStr(condition);
    ParenthesizeIfNeeded(right);
    String left;
    left.Assign(text);
    ParenthesizeIfNeeded(left);
    std::string bytes(left.CStr(), size_t(left.Length()));
    bytes.push_back('&');
    bytes.append(right.CStr(), size_t(right.Length()));
    AssignWholeText(text, bytes);
}

void StripQuotes(String& text)
{
    text.RemoveAll('"');
    text.RemoveAll('\'');
}

PrefixMatcher::PrefixMatcher(const char* typedName, const char* breakChars)
{
    std::string upper;
    const char* p = typedName ? typedName : "";
    while (*p) {
        char encoded[kMaxUtf8CharBytes];
        int32_t n = Utf8EncodeChar(encoded, ToUpperChar(Utf8NextChar(p)));
        upper.append(encoded, size_t(n));
    }
    typed.AssignBytes(upper.data(), int32_t(upper.size()));
    checkBreaks = breakChars != nullptr;
    breaks.AssignCStr(breakChars);
}

int32_t PrefixMatcher::Offer(const char* candidate, int32_t a, int32_t b)
{
    if (!candidate)
        return 0;
    const char* t = typed.CStr();
    const char* typedEnd = t + typed.Length();
    const char* c = candidate;
    const char* candidateEnd = c + std::strlen(c);
    int32_t matched = 0;
    while (t < typedEnd && c < candidateEnd) {
        const char* nextT = t;
        const char* nextC = c;
        if (Utf8NextCharIn(nextT, typedEnd) != ToUpperChar(Utf8NextCharIn(nextC, candidateEnd)))
            break;
        t = nextT;
        c = nextC;
        ++matched;
    }
    if (matched == 0 || matched < bestMatched)
        return 0;
    if (checkBreaks && t < typedEnd) {
        const char* next = t;
        uint32_t following = Utf8NextCharIn(next, typedEnd);
        bool isBreak = false;
        for (const char* q = breaks.CStr(); *q && !isBreak;)
            isBreak = ToUpperChar(Utf8NextChar(q)) == following;
        if (!isBreak)
            return 0;
    }
    int32_t remaining = CountCharsBetween(c, candidateEnd);
    if (matched == bestMatched && remaining >= bestRemaining)
        return 0;
    best.AssignCStr(candidate);
    bestMatched = matched;
    bestRemaining = remaining;
    bestTypedBytes = int32_t(t - typed.CStr());
    valueA = a;
    valueB = b;
    return t == typedEnd && remaining == 0 ? 1 : 0;
}

void PrefixMatcher::Apply(String& text) const
{
    std::string bytes(best.CStr(), size_t(best.Length()));
    bytes.append(typed.CStr() + bestTypedBytes, size_t(typed.Length() - bestTypedBytes));
    text.AssignBytes(bytes.data(), int32_t(bytes.size()));
}

void PrefixMatcher::Rest(String& text) const
{
    const char* p = typed.CStr() + bestTypedBytes;
    while (*p == ' ')
        ++p;
    text.AssignCStr(p);
}

}  // namespace vek
