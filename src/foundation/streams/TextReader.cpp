// TextReader: finding line breaks, decoding the input encodings, and the lines and tokens of a text.
#include "foundation/streams/TextReader.h"

#include <bit>
#include <cstring>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/CharTables.h"
#include "foundation/strings/CodePages.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"
#include "foundation/strings/Utf8Sequence.h"

namespace vek {

namespace {

// The line buffer starts at this size and grows with the lines it must hold.
constexpr int64_t kLineBufferBytes = 16372;
constexpr int32_t kCharMapEntries = 65536;
constexpr int32_t kDetectionSampleBytes = 4000;

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

uint64_t Load64(const char* p)
{
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// High bit set in each byte of the word that equals `byte` (exact for the lowest such byte).
uint64_t BytesEqual(uint64_t word, uint8_t byte)
{
    uint64_t x = word ^ (kOnes * byte);
    return (x - kOnes) & ~x & kHighBits;
}

// The first CR or LF in [p, end), or end.
const char* FindByteBreak(const char* p, const char* end)
{
    if constexpr (std::endian::native == std::endian::little) {
        while (end - p >= 8) {
            uint64_t word = Load64(p);
            uint64_t hits = BytesEqual(word, 10) | BytesEqual(word, 13);
            if (hits != 0)
                return p + (std::countr_zero(hits) >> 3);
            p += 8;
        }
    }
    while (p < end && *p != 10 && *p != 13)
        ++p;
    return p;
}

uint32_t Utf16UnitAt(const char* p, bool bigEndian)
{
    auto first = uint8_t(p[0]);
    auto second = uint8_t(p[1]);
    return bigEndian ? (uint32_t(first) << 8) | second : (uint32_t(second) << 8) | first;
}

// The first CR or LF unit in [p, end), or end (an odd last byte is no unit).
const char* FindUtf16Break(const char* p, const char* end, bool bigEndian)
{
    for (; end - p >= 2; p += 2) {
        uint32_t unit = Utf16UnitAt(p, bigEndian);
        if (unit == 10 || unit == 13)
            return p;
    }
    return end;
}

// A byte's UTF-8 form: up to 3 bytes and, in the fourth, their count (stored 4 bytes at a time).
struct EncodedByte {
    char bytes[4];
};

}  // namespace

TextReader::TextReader() = default;

TextReader::TextReader(const char* start, int64_t n)
{
    if (start != nullptr && n > 0) {
        inputStart = readPosition = start;
        inputEnd = start + n;
    }
}

TextReader::TextReader(const TextWriter& writer)
    : TextReader(writer.BufferedBytes().data(), int64_t(writer.BufferedBytes().size()))
{
}

TextReader::~TextReader()
{
    MemFree(lineBuffer);
    MemFree(charMap);
    MemFree(byteTable);
    MemFree(tokenBuffer);
    MemFree(byteFieldBuffer);
}

int64_t TextReader::Refill()
{
    return 0;
}

void TextReader::Seek(int64_t)
{
}

void TextReader::ForgetLine()
{
    rawLineStart = lineStart = lineEnd = fieldCursor = tokenCursor = nullptr;
}

void TextReader::SetEncoding(int32_t id)
{
    encoding = id;
    inputIsUtf8 = false;
    MemFree(byteTable);
    byteTable = nullptr;
}

void TextReader::SetEncodingByName(const char* name)
{
    if (name == nullptr)
        return;
    int32_t id = EncodingFromName(name);
    if (id >= 0)
        SetEncoding(id);
}

void TextReader::SetCharMapping(uint32_t from, uint32_t to)
{
    if (from == to || from >= uint32_t(kCharMapEntries) || to >= uint32_t(kCharMapEntries))
        return;
    if (charMap == nullptr) {
        charMap = static_cast<uint16_t*>(MemAlloc(kCharMapEntries * int32_t(sizeof(uint16_t))));
        if (charMap == nullptr)
            return;
        for (int32_t i = 0; i < kCharMapEntries; ++i)
            charMap[i] = uint16_t(i);
    }
    charMap[from] = uint16_t(to);
    MemFree(byteTable);
    byteTable = nullptr;
}

void TextReader::SetCharMappings(const char* from, const char* to)
{
    if (from == nullptr || to == nullptr)
        return;
    while (*from != 0 && *to != 0) {
        uint32_t source = Utf8NextChar(from);
        uint32_t target = Utf8NextChar(to);
        if (source > 32)
            SetCharMapping(source, target);
    }
}

bool TextReader::EnsureLineBuffer(int64_t bytes)
{
    if (bytes <= lineCapacity)
        return true;
    int64_t wanted = lineCapacity < kLineBufferBytes ? kLineBufferBytes : lineCapacity;
    while (wanted < bytes && wanted <= kLargestBuffer / 2)
        wanted *= 2;
    if (wanted < bytes)
        wanted = bytes;
    char* fresh = wanted <= kLargestBuffer ? static_cast<char*>(MemAlloc(int32_t(wanted))) : nullptr;
    if (fresh == nullptr) {
        SetOutOfMemoryError();
        return false;
    }
    MemFree(lineBuffer);
    lineBuffer = fresh;
    lineCapacity = wanted;
    return true;
}

void TextReader::StartLine(const char* start, const char* end)
{
    lineStart = fieldCursor = tokenCursor = start;
    lineEnd = end;
}

bool TextReader::BuildByteTable()
{
    const CodePage* page = CodePageTable(encoding);
    if (page == nullptr)
        return false;
    byteTable = static_cast<uint32_t*>(MemAlloc(256 * int32_t(sizeof(uint32_t))));
    if (byteTable == nullptr) {
        SetOutOfMemoryError();
        return false;
    }
    byteTableAscii = true;
    for (int32_t byte = 0; byte < 256; ++byte) {
        uint32_t codePoint = byte < 0x80 ? uint32_t(byte) : (*page)[byte - 0x80];
        if (charMap != nullptr && byte != 0)
            codePoint = charMap[codePoint];
        if (byte < 0x80 && codePoint != uint32_t(byte))
            byteTableAscii = false;
        EncodedByte encoded{};
        encoded.bytes[3] = char(Utf8EncodeChar(encoded.bytes, codePoint));
        std::memcpy(&byteTable[byte], &encoded, sizeof encoded);
    }
    return true;
}

bool TextReader::ConvertBytes(const char* start, const char* end)
{
    if (byteTable == nullptr && !BuildByteTable())
        return false;
    // Every byte gives at most 3 bytes; the stores write 4.
    if (!EnsureLineBuffer(3 * (end - start) + 4))
        return false;
    char* out = lineBuffer;
    const char* p = start;
    while (p < end) {
        if (byteTableAscii) {
            while (end - p >= 8 && (Load64(p) & kHighBits) == 0) {
                std::memcpy(out, p, 8);
                out += 8;
                p += 8;
            }
            if (p >= end)
                break;
        }
        EncodedByte encoded;
        std::memcpy(&encoded, &byteTable[uint8_t(*p++)], sizeof encoded);
        std::memcpy(out, encoded.bytes, 4);
        out += encoded.bytes[3];
    }
    *out = 0;
    StartLine(lineBuffer, out);
    return true;
}

bool TextReader::ConvertUtf8(const char* start, const char* end)
{
    if (!EnsureLineBuffer(3 * (end - start) + 1))
        return false;
    char* out = lineBuffer;
    const auto* p = reinterpret_cast<const uint8_t*>(start);
    const auto* stop = reinterpret_cast<const uint8_t*>(end);
    while (p < stop) {
        if (*p < 0x80 && charMap == nullptr) {
            *out++ = char(*p++);
            continue;
        }
        utf8::Sequence sequence = utf8::Decode(p, stop);
        uint32_t codePoint = sequence.bad ? kReplacementChar : sequence.codePoint;
        if (charMap != nullptr)
            codePoint = charMap[codePoint];
        out += Utf8EncodeChar(out, codePoint);
        p += sequence.length;
    }
    *out = 0;
    StartLine(lineBuffer, out);
    return true;
}

bool TextReader::ConvertUtf16(const char* start, const char* end)
{
    bool bigEndian = encoding == kEncodingUtf16Be;
    int64_t units = (end - start) / 2;
    if (!EnsureLineBuffer(3 * units + 4))
        return false;
    char* out = lineBuffer;
    const char* p = start;
    while (end - p >= 2) {
        uint32_t unit = Utf16UnitAt(p, bigEndian);
        p += 2;
        if (utf8::IsHighSurrogate(unit) && end - p >= 2 && utf8::IsLowSurrogate(Utf16UnitAt(p, bigEndian))) {
            // A character beyond U+FFFF: one replacement for the pair.
            p += 2;
            unit = kReplacementChar;
        } else if (utf8::IsHighSurrogate(unit) || utf8::IsLowSurrogate(unit)) {
            unit = kReplacementChar;
        }
        if (charMap != nullptr)
            unit = charMap[unit];
        out += Utf8EncodeChar(out, unit);
    }
    if (p < end)
        out += Utf8EncodeChar(out, kReplacementChar);
    *out = 0;
    StartLine(lineBuffer, out);
    return true;
}

bool TextReader::ComposeLine()
{
    const char* source = lineStart;
    const char* end = lineEnd;
    int64_t length = end - source;
    // Composing only shortens, so a line in the line buffer is rewritten in place.
    if (source != lineBuffer) {
        if (!EnsureLineBuffer(length + 1))
            return false;
    }
    char* out = lineBuffer;
    const auto* p = reinterpret_cast<const uint8_t*>(source);
    const auto* stop = reinterpret_cast<const uint8_t*>(end);
    while (p < stop) {
        utf8::Sequence sequence = utf8::Decode(p, stop);
        int32_t n = sequence.length;
        if (!sequence.bad && stop - p > n + 1 && p[n] == 0xCC) {
            utf8::Sequence mark = utf8::Decode(p + n, stop);
            if (!mark.bad && mark.codePoint >= 0x300 && mark.codePoint <= 0x33F) {
                uint32_t composed = ComposeWithMark(sequence.codePoint, mark.codePoint);
                if (composed != 0) {
                    out += Utf8EncodeChar(out, composed);
                    p += n + mark.length;
                    continue;
                }
            }
        }
        std::memmove(out, p, size_t(n));
        out += n;
        p += n;
    }
    *out = 0;
    StartLine(lineBuffer, out);
    return true;
}

// Finds the first CR or LF from p (or end) and judges the bytes before it as UTF-8 in the same pass.
// The line's end is real, so a sequence it cuts is bad.
const char* TextReader::ScanUtf8Line(const char* p, const char* end, LineScan& scan)
{
    const auto* q = reinterpret_cast<const uint8_t*>(p);
    const auto* stop = reinterpret_cast<const uint8_t*>(end);
    for (;;) {
        if constexpr (std::endian::native == std::endian::little) {
            while (stop - q >= 8) {
                uint64_t word = Load64(reinterpret_cast<const char*>(q));
                uint64_t breaks = BytesEqual(word, 10) | BytesEqual(word, 13);
                uint64_t high = word & kHighBits;
                if ((breaks | high) == 0) {
                    q += 8;
                    continue;
                }
                int32_t breakAt = breaks != 0 ? std::countr_zero(breaks) : 64;
                int32_t highAt = high != 0 ? std::countr_zero(high) : 64;
                if (breakAt < highAt)
                    return reinterpret_cast<const char*>(q + (breakAt >> 3));
                q += highAt >> 3;
                break;
            }
        }
        if (q >= stop)
            return end;
        uint8_t lead = *q;
        if (lead < 0x80) {
            if (lead == 10 || lead == 13)
                return reinterpret_cast<const char*>(q);
            ++q;
            continue;
        }
        // Two-byte letters are by far the most frequent.
        if (lead >= 0xC2 && lead <= 0xDF && stop - q >= 2 && (q[1] & 0xC0) == 0x80) {
            if (scan.kind == LineKind::ascii)
                scan.kind = LineKind::valid;
            if (lead == 0xCC)
                scan.marks = true;
            q += 2;
            continue;
        }
        utf8::Sequence sequence = utf8::Decode(q, stop);
        if (sequence.bad) {
            scan.multiByte = scan.kind != LineKind::ascii;
            scan.kind = LineKind::bad;
            const char* lineBreak = FindByteBreak(reinterpret_cast<const char*>(q), end);
            // A lead byte whose sequence runs well-formed into the line end: a character cut short.
            scan.cutAtEnd = utf8::Decode(q, reinterpret_cast<const uint8_t*>(lineBreak)).cutShort;
            return lineBreak;
        }
        if (sequence.length == 4)
            scan.kind = LineKind::withFourByte;
        else if (scan.kind == LineKind::ascii)
            scan.kind = LineKind::valid;
        q += sequence.length;
    }
}

// A bad line in UTF-8 input is an older file in the system code page only while nothing says that the
// input is UTF-8: no well-formed multi-byte sequence before, none in the line, and not just a character
// that the line end cut short (what a text cut at a byte count leaves behind). Otherwise one bad byte
// would turn every later line of a UTF-8 file into the wrong characters.
bool TextReader::TakesBadLineAsSystemCodePage(const char* start, const char* end, const LineScan& scan) const
{
    if (!checkUtf8 || inputIsUtf8 || scan.multiByte || scan.cutAtEnd)
        return false;
    const auto* p = reinterpret_cast<const uint8_t*>(start);
    const auto* stop = reinterpret_cast<const uint8_t*>(end);
    while (p < stop) {
        utf8::Sequence sequence = utf8::Decode(p, stop);
        if (!sequence.bad && sequence.length > 1)
            return false;
        p += sequence.length;
    }
    return true;
}

bool TextReader::ConvertLine(const char* start, const char* end, const LineScan& scan)
{
    bool mayHoldMarks = true;
    bool done;
    if (encoding == kEncodingUtf8) {
        if (scan.kind == LineKind::bad && TakesBadLineAsSystemCodePage(start, end, scan)) {
            SetEncoding(kEncodingSystem);
            done = ConvertBytes(start, end);
        } else if ((scan.kind == LineKind::ascii || scan.kind == LineKind::valid) && charMap == nullptr) {
            StartLine(start, end);
            mayHoldMarks = scan.marks;
            done = true;
        } else {
            done = ConvertUtf8(start, end);
        }
        if (encoding == kEncodingUtf8 && scan.kind != LineKind::ascii)
            inputIsUtf8 = true;
    } else if (IsUtf16Encoding(encoding)) {
        done = ConvertUtf16(start, end);
    } else {
        done = ConvertBytes(start, end);
    }
    if (!done)
        return false;
    if (composeMarks && mayHoldMarks && lineEnd - lineStart > 2 &&
        std::memchr(lineStart + 1, 0xCC, size_t(lineEnd - lineStart - 1)) != nullptr)
        return ComposeLine();
    return true;
}

TextReader::Decoded TextReader::DecodeLine(bool final)
{
    const char* p = readPosition;
    const char* end = inputEnd;
    if (p == nullptr || p >= end)
        return Decoded::none;
    int32_t unit = IsUtf16Encoding(encoding) ? 2 : 1;
    bool bigEndian = encoding == kEncodingUtf16Be;
    LineScan scan;
    const char* lineBreak;
    if (encoding == kEncodingUtf8)
        lineBreak = ScanUtf8Line(p, end, scan);
    else
        lineBreak = unit == 1 ? FindByteBreak(p, end) : FindUtf16Break(p, end, bigEndian);
    const char* next = end;
    if (end - lineBreak >= unit) {
        // One more unit must be seen: CR LF and LF CR are one break.
        if (end - lineBreak < 2 * unit && !final)
            return Decoded::incomplete;
        uint32_t first = unit == 1 ? uint8_t(*lineBreak) : Utf16UnitAt(lineBreak, bigEndian);
        next = lineBreak + unit;
        if (end - next >= unit) {
            uint32_t second = unit == 1 ? uint8_t(*next) : Utf16UnitAt(next, bigEndian);
            if (second == (first == 13 ? 10u : 13u))
                next += unit;
        }
    } else {
        if (!final)
            return Decoded::incomplete;
        lineBreak = end;
    }
    if (!ConvertLine(p, lineBreak, scan))
        return Decoded::none;
    rawLineStart = p;
    readPosition = next;
    ++lineCount;
    return Decoded::line;
}

bool TextReader::ReadLine()
{
    ForgetLine();
    for (;;) {
        Decoded decoded = DecodeLine(false);
        if (decoded == Decoded::line)
            return true;
        if (decoded == Decoded::none && readPosition != nullptr && readPosition < inputEnd)
            return false;  // the line could not be decoded
        if (Refill() > 0)
            continue;
        return DecodeLine(true) == Decoded::line;
    }
}

void TextReader::RestartLine()
{
    fieldCursor = tokenCursor = lineStart;
}

int32_t DetectCharSet(const char* sample, int32_t n, int32_t& bomLength)
{
    bomLength = 0;
    if (sample == nullptr || n <= 0)
        return -1;
    const auto* bytes = reinterpret_cast<const uint8_t*>(sample);
    for (int32_t id : {kEncodingUtf16Be, kEncodingUtf16Le, kEncodingUtf8}) {
        std::span<const uint8_t> mark = ByteOrderMark(id);
        if (size_t(n) >= mark.size() && std::memcmp(bytes, mark.data(), mark.size()) == 0) {
            bomLength = int32_t(mark.size());
            return id;
        }
    }
    static constexpr char kSampleLine[] = "##Characters";
    int32_t at = CStrFindInBytes(sample, n, kSampleLine);
    if (at >= 0) {
        int32_t p = at + int32_t(sizeof kSampleLine) - 1;
        while (p < n && (bytes[p] == 13 || bytes[p] == 10 || bytes[p] == 9))
            ++p;
        static constexpr uint8_t kMacRoman[] = {'U', 9, 0x80, 0xE7, 0xCB, 0xE5, 0xCC};
        static constexpr uint8_t kLatin1[] = {'U', 9, 0xC4, 0xC1, 0xC0, 0xC2, 0xC3};
        if (n - p >= int32_t(sizeof kMacRoman)) {
            if (std::memcmp(bytes + p, kMacRoman, sizeof kMacRoman) == 0)
                return kEncodingMacRoman;
            if (std::memcmp(bytes + p, kLatin1, sizeof kLatin1) == 0)
                return kEncodingLatin1;
        }
    }
    int32_t little = 0;
    int32_t big = 0;
    for (int32_t i = 0; i + 1 < n; i += 2) {
        if (bytes[i] != 0 && bytes[i + 1] == 0)
            ++little;
        else if (bytes[i] == 0 && bytes[i + 1] != 0)
            ++big;
    }
    if (little > n / 4)
        return kEncodingUtf16Le;
    if (big > n / 4)
        return kEncodingUtf16Be;
    switch (Utf8Classify(sample, n)) {
    case 1:
        return kEncodingSystem;
    case 2:
        return kEncodingUtf8;
    default:
        return -1;
    }
}

int32_t DetectFileCharSet(const char* path, int32_t& bomLength)
{
    bomLength = 0;
    std::unique_ptr<ByteFile> file = NewByteFile();
    if (file == nullptr || !file->OpenForRead(path))
        return -1;
    char sample[kDetectionSampleBytes];
    int64_t got = file->Read(sample, kDetectionSampleBytes);
    file->Close();
    return DetectCharSet(sample, int32_t(got), bomLength);
}

bool HasLineBreakOrTab(const char* text)
{
    if (text == nullptr)
        return false;
    int32_t length = CStrLength(text);
    for (int32_t i = 0; i + 2 < length; ++i) {
        if (text[i] == 9 || text[i] == 10 || text[i] == 13)
            return true;
    }
    return false;
}

}  // namespace vek
