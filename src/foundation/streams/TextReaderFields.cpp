// Fields of a TextReader line: tab-separated texts, numbers, long texts written in pieces and byte
// fields.
#include "foundation/streams/TextReader.h"

#include <cstring>
#include <span>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/BlockCompressor.h"
#include "foundation/strings/CString.h"
#include "foundation/numbers/IntegerText.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

// A byte field expands into at most this many bytes; the zero-run form stops a little earlier.
constexpr int32_t kByteFieldBytes = 36864;
constexpr int32_t kZeroRunLimit = 36608;
// A piece of a long text field: 4198 to 4200 bytes (never a character cut) and the marker "/==".
constexpr int32_t kLongPieceMin = 4198 + 3;
constexpr int32_t kLongPieceMax = 4200 + 3;
constexpr char kLongMarker[] = "/==";

int32_t UpperHexDigitValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
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
            if (wanted > TextReader::kLargestBuffer)
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

}  // namespace vek
