// QueryString: percent escapes, and adding, setting, finding and removing fields of URL queries.
#include "foundation/streams/QueryString.h"
#include "foundation/numbers/CursorWriters.h"

#include <cstring>

#include "foundation/strings/String.h"

namespace vek {

namespace {


bool IsQuerySeparator(char c) { return c == '&' || c == '?'; }

// Upper-case hexadecimal digits only: links written here never hold lower-case escapes.
int32_t HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A value byte that must be escaped to read back as itself: control bytes; "+" (the blank's stand-in);
// the separators "&" and "?", "=" and the escape character "%", which would otherwise let a value add
// fields of its own; "/", after which a reader forgets the field; "#", which ends the query of a link;
// and every byte of a multi-byte character (bytes above 127).
bool NeedsPercentEscape(uint8_t byte)
{
    return byte < 32 || byte >= 128 || byte == '+' || byte == '&' || byte == '=' || byte == '?' ||
           byte == '%' || byte == '/' || byte == '#';
}

std::string_view TextOf(const char* text) { return text ? std::string_view(text) : std::string_view(); }

// The end (position of the next separator, or the length) of the field that starts at `start`.
size_t FieldEnd(std::string_view text, size_t start)
{
    size_t end = start;
    while (end < text.size() && !IsQuerySeparator(text[end]))
        ++end;
    return end;
}

bool FieldHasName(std::string_view field, std::string_view name)
{
    return field.size() > name.size() && field.substr(0, name.size()) == name && field[name.size()] == '=';
}

bool FieldEquals(std::string_view field, std::string_view name, std::string_view value)
{
    return field.size() == name.size() + 1 + value.size() && FieldHasName(field, name) &&
           field.substr(name.size() + 1) == value;
}

// Removes every field that `matches` accepts, with the separator after it; a matching field at the end
// goes with the separator before it.
template <typename Match>
void RemoveFields(String& query, Match matches)
{
    int32_t start = 0;
    while (start < query.Length()) {
        std::string_view text(query.CStr(), size_t(query.Length()));
        int32_t end = static_cast<int32_t>(FieldEnd(text, size_t(start)));
        if (matches(text.substr(size_t(start), size_t(end - start)))) {
            if (end < query.Length()) {
                query.Delete(start, end + 1 - start);
                continue;
            }
            query.Truncate(start > 0 ? start - 1 : 0);
            return;
        }
        start = end + 1;
    }
}

// Calls `visit` (field) for each field of the query until it returns true.
template <typename Visit>
void ForEachField(std::string_view query, Visit visit)
{
    size_t start = 0;
    while (true) {
        size_t end = FieldEnd(query, start);
        if (visit(query.substr(start, end - start)) || end >= query.size())
            return;
        start = end + 1;
    }
}

void AssignDecodedValue(String& out, std::string_view value)
{
    out.AssignBytes(value.data(), static_cast<int32_t>(value.size()));
    out.DecodeQueryValue();
}

// Rebuilds a text unit by unit into a String of bounded length; a unit that does not fit ends the
// text, so an escape is never cut in half.
class UnitWriter {
public:
    explicit UnitWriter(int64_t wanted)
    {
        int32_t want = wanted > String::kGrowthLimit ? String::kGrowthLimit : static_cast<int32_t>(wanted);
        limit = out.Reserve(want);
    }
    bool Put(const char* bytes, int32_t n)
    {
        if (stopped || out.Length() + n > limit) {
            stopped = true;
            return false;
        }
        out.AppendBytes(bytes, n);
        return true;
    }
    bool PutPercent(uint8_t byte)
    {
        char escape[3] = {'%', kHexDigits[byte >> 4], kHexDigits[byte & 15]};
        return Put(escape, 3);
    }
    const String& Text() const { return out; }

private:
    String out;
    int32_t limit = 0;
    bool stopped = false;
};

}  // namespace

void String::AppendPercentByte(uint8_t byte)
{
    if (Reserve(Length() + 3) < Length() + 3)
        return;
    char escape[3] = {'%', kHexDigits[byte >> 4], kHexDigits[byte & 15]};
    AppendBytes(escape, 3);
}

void String::AppendQueryParam(const char* name, const char* value)
{
    std::string_view nameText = TextOf(name);
    std::string_view valueText = TextOf(value);
    bool needsSeparator = !IsEmpty() && data[length - 1] != '?' && data[length - 1] != '&';
    int64_t added = (needsSeparator ? 1 : 0) + int64_t(nameText.size()) + 1;
    for (char c : valueText)
        added += NeedsPercentEscape(static_cast<uint8_t>(c)) ? 3 : 1;
    // The whole field or nothing: a field cut short would carry a wrong value.
    int64_t wanted = length + added;
    if (wanted > kGrowthLimit || Reserve(static_cast<int32_t>(wanted)) < wanted)
        return;
    if (needsSeparator)
        AppendChar(std::memchr(data, '?', size_t(length)) ? '&' : '?');
    AppendBytes(nameText.data(), static_cast<int32_t>(nameText.size()));
    AppendChar('=');
    for (char c : valueText) {
        uint8_t byte = static_cast<uint8_t>(c);
        if (byte == ' ')
            AppendChar('+');
        else if (NeedsPercentEscape(byte))
            AppendPercentByte(byte);
        else
            AppendChar(c);
    }
}

void String::SetQueryParam(const char* name, const char* value)
{
    RemoveQueryParam(name);
    AppendQueryParam(name, value);
}

void String::RemoveQueryParam(const char* name)
{
    std::string_view nameText = TextOf(name);
    RemoveFields(*this, [&](std::string_view field) { return FieldHasName(field, nameText); });
}

void String::RemoveQueryField(const char* name, const char* value)
{
    std::string_view nameText = TextOf(name);
    std::string_view valueText = TextOf(value);
    RemoveFields(*this, [&](std::string_view field) { return FieldEquals(field, nameText, valueText); });
}

void String::TidyQuery()
{
    int32_t written = 0;
    for (int32_t i = 0; i < length; ++i) {
        if (data[i] == '&' && (written == 0 || data[written - 1] == '&'))
            continue;
        data[written++] = data[i];
    }
    if (written > 0 && data[written - 1] == '&')
        --written;
    SetLength(written);
}

void String::EscapeUrlSpecials()
{
    int64_t wanted = length;
    for (int32_t i = 0; i < length; ++i) {
        char c = data[i];
        if (c == '%' || c == '<' || c == '"' || c == '>')
            wanted += 2;
    }
    if (wanted == length)
        return;
    UnitWriter writer(wanted);
    for (int32_t i = 0; i < length; ++i) {
        char c = data[i];
        bool fits = (c == '%' || c == '<' || c == '"' || c == '>') ? writer.PutPercent(static_cast<uint8_t>(c))
                                                                     : writer.Put(&c, 1);
        if (!fits)
            break;
    }
    Assign(writer.Text());
}

void String::DecodeQueryValue()
{
    for (int32_t i = 0; i < length; ++i) {
        if (data[i] == '+')
            data[i] = ' ';
    }
    DecodePercent();
}

// From the end backwards, so that a "%" that an escape stands for never starts another escape. The
// decoded tail is built at the end of the buffer: the write position never falls below the read
// position, so the text can be decoded in place and then moved to the front.
void String::DecodePercent()
{
    int32_t tail = length;
    for (int32_t i = length - 1; i >= 0; --i) {
        char c = data[i];
        if (c == '%' && length - tail >= 2) {
            int32_t high = HexDigitValue(data[tail]);
            int32_t low = HexDigitValue(data[tail + 1]);
            if (high >= 0 && low >= 0) {
                tail += 2;
                data[--tail] = static_cast<char>(high * 16 + low);
                continue;
            }
        }
        data[--tail] = c;
    }
    int32_t decoded = length - tail;
    std::memmove(data, data + tail, size_t(decoded));
    SetLength(decoded);
}

bool QueryHasField(std::string_view query, std::string_view name, std::string_view value)
{
    bool found = false;
    ForEachField(query, [&](std::string_view field) { return found = FieldEquals(field, name, value); });
    return found;
}

bool QueryHasParam(std::string_view query, std::string_view name)
{
    bool found = false;
    ForEachField(query, [&](std::string_view field) { return found = field == name || FieldHasName(field, name); });
    return found;
}

void QueryGetParam(std::string_view query, std::string_view name, String& value)
{
    value.AssignCStr("");
    ForEachField(query, [&](std::string_view field) {
        if (!FieldHasName(field, name))
            return false;
        AssignDecodedValue(value, field.substr(name.size() + 1));
        return true;
    });
}

void QueryGetParamAt(std::string_view query, std::string_view name, int32_t index, String& value)
{
    value.AssignCStr("");
    if (index < 0)
        return;
    int32_t seen = 0;
    ForEachField(query, [&](std::string_view field) {
        if (!FieldHasName(field, name) || field.size() == name.size() + 1)
            return false;
        if (seen++ < index)
            return false;
        AssignDecodedValue(value, field.substr(name.size() + 1));
        return true;
    });
}

bool NextQueryPair(std::string_view& cursor, String& name, String& value)
{
    constexpr size_t kNone = std::string_view::npos;
    size_t fieldStart = 0;
    size_t equals = kNone;
    for (size_t i = 0; i <= cursor.size(); ++i) {
        if (i == cursor.size() || IsQuerySeparator(cursor[i])) {
            if (fieldStart != kNone && equals != kNone && equals > fieldStart) {
                name.AssignBytes(cursor.data() + fieldStart, static_cast<int32_t>(equals - fieldStart));
                AssignDecodedValue(value, cursor.substr(equals + 1, i - equals - 1));
                cursor.remove_prefix(i < cursor.size() ? i + 1 : i);
                return true;
            }
            fieldStart = i + 1;
            equals = kNone;
        } else if (cursor[i] == '/') {
            fieldStart = kNone;
            equals = kNone;
        } else if (cursor[i] == '=' && fieldStart != kNone) {
            equals = i;
        }
    }
    cursor.remove_prefix(cursor.size());
    name.AssignCStr("");
    value.AssignCStr("");
    return false;
}

}  // namespace vek
