// TextImportReader: the record reader of the text import, its field getters and amount cleaning.
//
// The buffer holds kBufferBytes of the file from bufferPosition on:
//
//   buffer            readPosition                       dataEnd       buffer + kBufferBytes
//   | records handed out | rest not yet cut into records   | free space  |
//
// A record is cut when its whole terminator lies before dataEnd; otherwise the rest moves to the
// front and the buffer is filled behind it. A rest that fills the whole buffer is a record too long
// to read (3817). At the end of the file the rest is the last record, without a terminator.
#include "files/textimport/TextImportReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "files/format/AmountText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

constexpr uint32_t kPreviewDot = '.';
// U+2212, the minus sign of typeset figures, which some programs export.
constexpr std::string_view kMinusSign = "\xE2\x88\x92";

// The bytes of a character in the file's encoding: up to 3 for UTF-8, 2 for UTF-16, 1 for a code
// page (0 when the page has no byte for it).
int32_t EncodeInFile(char* out, uint32_t c, int32_t encoding)
{
    if (encoding == kEncodingUtf8)
        return Utf8EncodeChar(out, c);
    if (encoding == kEncodingUtf16Le) {
        out[0] = char(c & 0xFF);
        out[1] = char((c >> 8) & 0xFF);
        return 2;
    }
    if (encoding == kEncodingUtf16Be) {
        out[0] = char((c >> 8) & 0xFF);
        out[1] = char(c & 0xFF);
        return 2;
    }
    out[0] = char(CodePageByteFromChar(c, encoding));
    return out[0] != 0 || c == 0 ? 1 : 0;
}

// The characters of a UTF-8 setting text, each beyond U+FFFF as U+FFFD.
std::vector<uint32_t> SettingChars(const std::string& text)
{
    std::vector<uint32_t> chars;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end)
        chars.push_back(Utf8NextCharIn(p, end));
    return chars;
}

// The length of a well-formed UTF-8 sequence at p (1-4 bytes, no NUL), or 0.
int32_t WellFormedUtf8(const uint8_t* p, const uint8_t* end)
{
    uint8_t b = p[0];
    if (b == 0)
        return 0;
    if (b < 0x80)
        return 1;
    int32_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (n == 0 || b > 0xF4 || end - p < n)
        return 0;
    for (int32_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    }
    if (n == 3 && b == 0xE0 && p[1] < 0xA0)
        return 0;  // overlong
    if (n == 3 && b == 0xED && p[1] >= 0xA0)
        return 0;  // surrogate
    if (n == 4 && ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] >= 0x90)))
        return 0;
    return n;
}

void TrimBlanks(std::string& text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    size_t last = text.find_last_not_of(' ');
    text.erase(last + 1);
    text.erase(0, first);
}

void AppendUtf8(std::string& out, uint32_t c)
{
    char bytes[4];
    out.append(bytes, size_t(Utf8EncodeChar(bytes, c)));
}

}  // namespace

TextImportReader::TextImportReader(const ImportReaderSettings& readerSettings) : settings(readerSettings) {}

TextImportReader::~TextImportReader()
{
    Close();
}

void TextImportReader::BuildClasses()
{
    int32_t encoding = settings.encoding;
    bool eightBit = IsCodePageEncoding(encoding);
    unitSize = IsUtf16Encoding(encoding) ? 2 : 1;
    // Sets hold code points, or byte values for the 8-bit pages.
    auto member = [&](uint32_t c) -> uint32_t { return eightBit && c >= 128 ? CodePageByteFromChar(c, encoding) : c; };
    skipSet.assign(65536, false);
    dropSet.assign(65536, false);
    dropActive = false;
    for (uint32_t c = 0; c < 32; ++c)
        skipSet[c] = true;
    for (uint32_t c : SettingChars(settings.skipChars)) {
        uint32_t m = member(c);
        if (m != 0 && m < 65536)
            skipSet[m] = true;
    }
    if (settings.dropControlChars) {
        for (uint32_t c = 0; c < 32; ++c)
            dropSet[c] = true;
        dropActive = true;
    }
    for (uint32_t c : SettingChars(settings.dropChars)) {
        uint32_t m = member(c);
        if (m != 0 && m < 65536) {
            dropSet[m] = true;
            dropActive = true;
        }
    }
    translation.clear();
    std::vector<uint32_t> from = SettingChars(settings.translateFrom);
    std::vector<uint32_t> to = SettingChars(settings.translateTo);
    size_t pairs = std::min(from.size(), to.size());
    for (size_t i = 0; i < pairs; ++i) {
        if (from[i] == to[i] || from[i] >= 65536)
            continue;
        if (translation.empty()) {
            translation.resize(65536);
            for (uint32_t c = 0; c < 65536; ++c)
                translation[c] = uint16_t(c);
        }
        translation[from[i]] = uint16_t(to[i] < 65536 ? to[i] : kReplacementChar);
    }
    codePageMap.clear();
    if (eightBit) {
        codePageMap.resize(256);
        for (uint32_t b = 0; b < 256; ++b) {
            bool hidden = b != 0 && (skipSet[b] || (dropActive && dropSet[b]));
            codePageMap[b] = hidden ? 0 : uint16_t(Translate(CodePageCharToUnicode(uint8_t(b), encoding)));
        }
    }
    terminatorLength = EncodeInFile(terminator, settings.terminator, encoding);
    separatorLength = EncodeInFile(separator, settings.separator, encoding);
    lineEnds = settings.terminator == '\r' || settings.terminator == '\n';
    quoting = !settings.fixedPositions && separatorLength > 0 && settings.separator != '"';
}

bool TextImportReader::Open(const char* filePath)
{
    Close();
    path = filePath != nullptr ? filePath : "";
    BuildClasses();
    buffer = std::make_unique<char[]>(size_t(kBufferBytes));
    file = NewByteFile();
    if (!file) {
        SetOutOfMemoryError();
        return false;
    }
    if (!file->OpenForRead(path.c_str())) {
        file.reset();
        return false;
    }
    Rewind();
    return !IsErrorPending();
}

void TextImportReader::Close()
{
    if (file) {
        file->Close();
        file.reset();
    }
    buffer.reset();
    joinBuffer.reset();
    readPosition = dataEnd = nullptr;
    recordStart = recordEnd = nullptr;
}

int64_t TextImportReader::ReadAt(void* target, int64_t position, int64_t n)
{
    if (!file || n <= 0)
        return 0;
    file->SetPosition(position);
    int64_t got = file->Read(target, n);
    // The buffer no longer follows the file position.
    Seek(Tell());
    return got;
}

int64_t TextImportReader::Tell() const
{
    if (!buffer)
        return 0;
    return bufferPosition + (readPosition - buffer.get());
}

void TextImportReader::Seek(int64_t position)
{
    if (!file || !buffer)
        return;
    bufferPosition = position;
    file->SetPosition(position);
    readPosition = dataEnd = buffer.get();
    atEnd = false;
    skipLineFeed = false;
}

void TextImportReader::Rewind()
{
    if (!file || !buffer)
        return;
    uint8_t head[16] = {};
    file->SetPosition(0);
    int64_t got = file->Read(head, sizeof head);
    int32_t bomLength = 0;
    int32_t bomEncoding = -1;
    if (got >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
        bomLength = 3;
        bomEncoding = kEncodingUtf8;
    } else if (got >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
        bomLength = 2;
        bomEncoding = kEncodingUtf16Le;
    } else if (got >= 2 && head[0] == 0xFE && head[1] == 0xFF) {
        bomLength = 2;
        bomEncoding = kEncodingUtf16Be;
    }
    // A mark of another encoding says that the setup does not fit the file; only UTF-8 and UTF-16
    // marks are told apart from text.
    bomMismatch = bomEncoding >= 0 && bomEncoding != settings.encoding;
    Seek(bomLength);
    recordCount = 0;
    recordStart = recordEnd = nullptr;
    Fill();
}

bool TextImportReader::Fill()
{
    char* start = buffer.get();
    int64_t rest = dataEnd - readPosition;
    if (readPosition != start) {
        std::memmove(start, readPosition, size_t(rest));
        bufferPosition += readPosition - start;
        readPosition = start;
        dataEnd = start + rest;
    }
    int64_t room = kBufferBytes - rest;
    if (room <= 0)
        return false;
    int64_t got = file->Read(dataEnd, room);
    if (got <= 0) {
        atEnd = true;
        return false;
    }
    dataEnd += got;
    return true;
}

uint32_t TextImportReader::UnitAt(const char* p) const
{
    const auto* u = reinterpret_cast<const uint8_t*>(p);
    if (unitSize == 1)
        return u[0];
    return settings.encoding == kEncodingUtf16Le ? uint32_t(u[0] | (u[1] << 8)) : uint32_t((u[0] << 8) | u[1]);
}

int32_t TextImportReader::TerminatorAt(const char* p, bool final) const
{
    int64_t left = dataEnd - p;
    if (lineEnds) {
        uint32_t unit = UnitAt(p);
        if (unit == '\n')
            return unitSize;
        if (unit != '\r')
            return 0;
        // A CR at the end of the data may be the first half of a CR LF.
        if (left < 2 * unitSize)
            return atEnd || final ? unitSize : -1;
        return UnitAt(p + unitSize) == '\n' ? 2 * unitSize : unitSize;
    }
    if (terminatorLength <= 0 || p[0] != terminator[0])
        return 0;
    if (left < terminatorLength)
        return std::memcmp(p, terminator, size_t(left)) == 0 && !atEnd ? -1 : 0;
    return std::memcmp(p, terminator, size_t(terminatorLength)) == 0 ? terminatorLength : 0;
}

int32_t TextImportReader::SeparatorAt(const char* p, const char* end) const
{
    if (separatorLength <= 0 || end - p < separatorLength || p[0] != separator[0])
        return 0;
    return std::memcmp(p, separator, size_t(separatorLength)) == 0 ? separatorLength : 0;
}

bool TextImportReader::FindClosingQuote(const char* open, const char* end, bool more, const char*& close) const
{
    for (const char* q = open + unitSize; q + unitSize <= end; q += unitSize) {
        if (UnitAt(q) != '"')
            continue;
        const char* next = q + unitSize;
        if (next + unitSize <= end && UnitAt(next) == '"') {
            q = next;  // a doubled quote
            continue;
        }
        if (next + unitSize > end && more)
            return false;
        close = q;
        return true;
    }
    return false;
}

const char* TextImportReader::FieldEnd(const char* p, const char* end) const
{
    const char* close = nullptr;
    if (IsQuoteAt(p, end) && FindClosingQuote(p, end, false, close))
        p = close + unitSize;
    for (; p + unitSize <= end; p += unitSize) {
        if (SeparatorAt(p, end) != 0)
            return p;
    }
    return end;
}

TextImportReader::RecordScan TextImportReader::ScanRecord(const char* from, const char*& at, int32_t& length,
                                                          bool quotes, bool final) const
{
    const char* p = from;
    bool fieldStart = true;
    while (p + unitSize <= dataEnd) {
        if (quotes && fieldStart && IsQuoteAt(p, dataEnd)) {
            const char* close = nullptr;
            if (!FindClosingQuote(p, dataEnd, !atEnd && !final, close))
                return RecordScan::openQuote;
            p = close + unitSize;
            fieldStart = false;
            continue;
        }
        fieldStart = false;
        int32_t terminatorHere = TerminatorAt(p, final);
        if (terminatorHere < 0)
            return RecordScan::notFound;
        if (terminatorHere > 0) {
            at = p;
            length = terminatorHere;
            return RecordScan::found;
        }
        if (quotes) {
            if (int32_t separatorHere = SeparatorAt(p, dataEnd)) {
                p += separatorHere;
                fieldStart = true;
                continue;
            }
        }
        p += unitSize;
    }
    return RecordScan::notFound;
}

bool TextImportReader::NextRecord()
{
    if (!file || !buffer || IsErrorPending())
        return false;
    if (bomMismatch) {
        recordCount = 1;
        ReportRecord(message::kImportWrongEncoding, EncodingShortName(settings.encoding));
        return false;
    }
    for (;;) {
        if (skipLineFeed && dataEnd - readPosition >= unitSize) {
            if (UnitAt(readPosition) == '\n')
                readPosition += unitSize;
            skipLineFeed = false;
        }
        const char* at = nullptr;
        int32_t length = 0;
        bool full = readPosition == buffer.get() && dataEnd - readPosition >= kBufferBytes;
        bool quotes = quoting;
        RecordScan scan = ScanRecord(readPosition, at, length, quotes, false);
        // A quote that no later byte closes is an ordinary character, and so is one whose field
        // would not fit in the buffer.
        if (scan == RecordScan::openQuote && (atEnd || full)) {
            quotes = false;
            scan = ScanRecord(readPosition, at, length, quotes, false);
        }
        // A full buffer that ends in a CR: the record ends there, and a LF that follows belongs to it.
        if (scan != RecordScan::found && full) {
            scan = ScanRecord(readPosition, at, length, quotes, true);
            skipLineFeed = scan == RecordScan::found && lineEnds && at + length == dataEnd && UnitAt(at) == '\r';
        }
        if (scan == RecordScan::found) {
            recordStart = readPosition;
            recordEnd = at;
            readPosition = const_cast<char*>(at) + length;
            ++recordCount;
            return CheckRecord();
        }
        if (!atEnd) {
            if (full) {
                ++recordCount;
                recordStart = recordEnd = nullptr;
                ReportRecord(message::kImportRecordTooLong, std::to_string(kBufferBytes));
                return false;
            }
            Fill();
            if (IsErrorPending())
                return false;  // the file could not be read (606)
            continue;
        }
        if (readPosition == dataEnd)
            return false;
        recordStart = readPosition;
        recordEnd = dataEnd;
        readPosition = dataEnd;
        ++recordCount;
        return CheckRecord();
    }
}

bool TextImportReader::CheckRecord()
{
    const auto* p = reinterpret_cast<const uint8_t*>(recordStart);
    const auto* end = reinterpret_cast<const uint8_t*>(recordEnd);
    bool good = true;
    if (unitSize == 2) {
        good = (end - p) % 2 == 0;
    } else if (settings.encoding == kEncodingUtf8) {
        while (p < end) {
            if (*p >= 0x20 && *p < 0x80) {
                ++p;
                continue;
            }
            int32_t n = WellFormedUtf8(p, end);
            if (n == 0) {
                good = false;
                break;
            }
            p += n;
        }
    } else {
        good = std::memchr(p, 0, size_t(end - p)) == nullptr;
    }
    if (!good)
        ReportRecord(message::kImportWrongEncoding, EncodingShortName(settings.encoding));
    return good;
}

void TextImportReader::ReportRecord(int32_t code, std::string_view extra)
{
    if (IsErrorPending())
        return;
    SetErrorCode(code);
    Message& message = GetPendingError().message;
    message.AddFileName(path.c_str());
    std::string line = std::to_string(recordCount);
    message.AddText(line.c_str());
    message.AddTextBytes(extra.data(), int32_t(extra.size()));
}

bool TextImportReader::JoinRecords(int32_t n)
{
    if (n <= 1 || recordStart == nullptr)
        return true;
    if (!joinBuffer)
        joinBuffer = std::make_unique<char[]>(size_t(kBufferBytes));
    char* out = joinBuffer.get();
    int64_t used = recordEnd - recordStart;
    std::memmove(out, recordStart, size_t(used));
    for (int32_t i = 1; i < n; ++i) {
        if (!NextRecord())
            break;
        int64_t extra = (settings.fixedPositions ? 0 : separatorLength) + (recordEnd - recordStart);
        if (used + extra > kBufferBytes) {
            ReportRecord(message::kImportRecordTooLong, std::to_string(kBufferBytes));
            return false;
        }
        if (!settings.fixedPositions) {
            std::memcpy(out + used, separator, size_t(separatorLength));
            used += separatorLength;
        }
        std::memcpy(out + used, recordStart, size_t(recordEnd - recordStart));
        used += recordEnd - recordStart;
    }
    if (IsErrorPending())
        return false;
    recordStart = out;
    recordEnd = out + used;
    return true;
}

std::string_view TextImportReader::SelectField(int32_t n, std::string& unquoted) const
{
    const char* p = recordStart;
    const char* end = recordEnd;
    if (p == nullptr)
        return {};
    for (int32_t i = 1; i < n; ++i) {
        const char* s = FieldEnd(p, end);
        if (s == end)
            return {};
        p = s + separatorLength;
    }
    const char* stop = FieldEnd(p, end);
    const char* close = nullptr;
    if (!IsQuoteAt(p, stop) || !FindClosingQuote(p, stop, false, close))
        return {p, size_t(stop - p)};
    // The text between the quotes with each doubled quote made one and each line end a blank (no
    // text of a base holds a line break), then what follows the closing quote up to the separator.
    unquoted.clear();
    char blank[4];
    int32_t blankLength = EncodeInFile(blank, ' ', settings.encoding);
    for (const char* q = p + unitSize; q < close; q += unitSize) {
        uint32_t unit = UnitAt(q);
        if (unit == '\r' || unit == '\n') {
            unquoted.append(blank, size_t(blankLength));
            if (unit == '\r' && q + unitSize < close && UnitAt(q + unitSize) == '\n')
                q += unitSize;
            continue;
        }
        unquoted.append(q, size_t(unitSize));
        if (unit == '"')
            q += unitSize;
    }
    unquoted.append(close + unitSize, size_t(stop - close - unitSize));
    return unquoted;
}

int32_t TextImportReader::CountFields() const
{
    int32_t count = 1;
    if (recordStart == nullptr || separatorLength <= 0)
        return count;
    for (const char* p = FieldEnd(recordStart, recordEnd); p != recordEnd; p = FieldEnd(p + separatorLength, recordEnd))
        ++count;
    return count;
}

uint32_t TextImportReader::NextChar(const char*& p, const char* end) const
{
    if (unitSize == 2) {
        const auto* u = reinterpret_cast<const uint8_t*>(p);
        p += 2;
        uint32_t unit = settings.encoding == kEncodingUtf16Le ? uint32_t(u[0] | (u[1] << 8)) : uint32_t((u[0] << 8) | u[1]);
        // Each half of a pair takes its position; characters beyond U+FFFF are not kept.
        return unit >= 0xD800 && unit <= 0xDFFF ? kReplacementChar : unit;
    }
    if (!codePageMap.empty())
        return uint8_t(*p++);
    uint32_t c = Utf8NextCharIn(p, end);
    return c > 0xFFFF ? kReplacementChar : c;
}

void TextImportReader::AppendValue(std::string& out, std::string_view selection, int32_t begin, int32_t end) const
{
    const char* p = selection.data();
    const char* stop = p + selection.size();
    bool byteCounts = settings.UsesByteCounts();
    bool eightBit = !codePageMap.empty();
    int32_t position = 1;
    while (p < stop && position <= end) {
        const char* start = p;
        if (unitSize == 2 && stop - p < 2)
            break;
        bool continuation = unitSize == 1 && !eightBit && Utf8IsContinuation(uint8_t(*p));
        uint32_t c = NextChar(p, stop);
        if (IsDropped(c))
            continue;
        int32_t width = byteCounts ? int32_t(p - start) : 1;
        // A selection that begins inside a character leaves the character out.
        if (position >= begin && !continuation && !IsSkipped(c)) {
            if (eightBit) {
                uint32_t mapped = codePageMap[c];
                if (mapped != 0)
                    AppendUtf8(out, mapped);
            } else {
                AppendUtf8(out, Translate(c));
            }
        }
        position += width;
    }
}

void TextImportReader::ExtractField(std::string& out, const FieldSpec& part) const
{
    if (recordStart == nullptr)
        return;
    std::string unquoted;
    std::string_view selection;
    if (settings.fixedPositions) {
        if (part.begin == 0 && part.end == 0)
            return;
        selection = Record();
    } else {
        if (part.field == 0 && part.begin == 0 && part.end == 0)
            return;
        selection = SelectField(part.field != 0 ? part.field : 1, unquoted);
    }
    int32_t length = int32_t(selection.size()) / unitSize;
    int32_t begin = part.begin != 0 ? part.begin : 1;
    int32_t end = part.end != 0 ? std::min(part.end, length) : length;
    if (begin > end)
        return;
    if (settings.fixedPositions || part.begin > 1) {
        AppendValue(out, selection, begin, end);
        return;
    }
    // A whole field of printable ASCII that no class touches goes over as it stands.
    if (unitSize == 1 && codePageMap.empty() && translation.empty() && end == length) {
        bool plain = true;
        for (char c : selection) {
            uint8_t b = uint8_t(c);
            if (b < 0x20 || b >= 0x80 || skipSet[b] || (dropActive && dropSet[b])) {
                plain = false;
                break;
            }
        }
        if (plain) {
            out.append(selection);
            return;
        }
    }
    AppendValue(out, selection, begin, end);
}

void TextImportReader::GetText(std::string& out, const FieldDefinition& definition) const
{
    out.clear();
    for (const FieldSpec& part : definition.parts)
        ExtractField(out, part);
    TrimBlanks(out);
}

void TextImportReader::GetTextWithSuffixes(std::string& out, const FieldDefinition& definition) const
{
    out.clear();
    for (const FieldSpec& part : definition.parts) {
        ExtractField(out, part);
        out += part.suffix;
    }
}

void TextImportReader::GetTabbedText(std::string& out, const FieldDefinition& definition) const
{
    out.clear();
    bool first = true;
    for (const FieldSpec& part : definition.parts) {
        if (!first)
            out += '\t';
        first = false;
        ExtractField(out, part);
        out += part.suffix;
    }
}

void TextImportReader::GetJoinedText(std::string& out, const FieldDefinition& definition, int32_t caseCode) const
{
    out.clear();
    std::string value;
    for (size_t i = 0; i < definition.parts.size(); ++i) {
        value.clear();
        ExtractField(value, definition.parts[i]);
        if (value.empty())
            continue;
        if (!out.empty() && i > 0)
            out += definition.parts[i - 1].suffix;
        out += value;
    }
    TrimBlanks(out);
    if (out.empty() && !definition.parts.empty())
        out = definition.parts.front().text;
    if (caseCode >= 2 && caseCode <= 5 && !out.empty()) {
        CStrChangeCase(out.data(), caseCode - 2);
        out.resize(std::strlen(out.c_str()));
    }
}

void TextImportReader::GetStamp(StampedText& stamp, const FieldDefinition& definition) const
{
    std::string text;
    GetText(text, definition);
    if (text.empty() && !definition.parts.empty())
        text = definition.parts.front().text;
    stamp.ParseCStr(text.c_str());
}

bool TextImportReader::MatchesConstants(const FieldDefinition& definition) const
{
    std::string value;
    for (const FieldSpec& part : definition.parts) {
        value.clear();
        ExtractField(value, part);
        if (value != part.text)
            return false;
    }
    return true;
}

bool TextImportReader::GetWordsAndMatch(std::string& out, const FieldDefinition& definition) const
{
    out.clear();
    bool matched = true;
    std::string value;
    for (const FieldSpec& part : definition.parts) {
        value.clear();
        ExtractField(value, part);
        if (value != part.text)
            matched = false;
        if (!out.empty())
            out += ' ';
        out += value;
    }
    return matched;
}

bool TextImportReader::GetAmountExpression(std::string& out, const FieldDefinition& definition, uint16_t decimalChar) const
{
    out.clear();
    if (definition.parts.empty())
        return true;
    // A term that is not a number would be read by the formula compiler as something else: a date
    // "2024-01-05" as a difference, "--5" as a negation.
    auto cleanTerm = [&](std::string& term) {
        TrimBlanks(term);
        if (term.empty())
            return true;
        double value = ParseAmount(term, decimalChar);
        if (!std::isfinite(value))
            return false;
        char text[kMaxAmountTextBytes];
        char* cursor = text;
        CursorPutExactAmount(cursor, value);
        term.assign(text, size_t(cursor - text));
        return true;
    };
    auto refuse = [&](std::string& term) {
        out.swap(term);
        return false;
    };
    std::string term;
    ExtractField(term, definition.parts.front());
    for (size_t i = 1; i < definition.parts.size(); ++i) {
        const std::string& suffix = definition.parts[i - 1].suffix;
        if (EndsWithOperator(suffix)) {
            if (!cleanTerm(term))
                return refuse(term);
            out += term;
            out += suffix;
            term.clear();
        } else {
            term += suffix;
        }
        ExtractField(term, definition.parts[i]);
    }
    if (!cleanTerm(term))
        return refuse(term);
    out += term;
    out += definition.parts.back().suffix;
    return true;
}

uint32_t TextImportReader::PreviewChar(uint32_t character) const
{
    if (character == ' ' || character == 0xFEFF || IsSkipped(character) || IsDropped(character))
        return kPreviewDot;
    return Translate(character);
}

void TextImportReader::PreviewRecord(std::string& out, int32_t width) const
{
    out.clear();
    if (recordStart == nullptr)
        return;
    const char* p = recordStart;
    int32_t shown = 0;
    while (p < recordEnd && shown < width) {
        const char* start = p;
        if (unitSize == 2 && recordEnd - p < 2)
            break;
        uint32_t c = NextChar(p, recordEnd);
        if (!codePageMap.empty()) {
            uint32_t mapped = codePageMap[c];
            AppendUtf8(out, mapped == 0 || mapped == ' ' ? kPreviewDot : mapped);
            ++shown;
            continue;
        }
        AppendUtf8(out, PreviewChar(c));
        ++shown;
        if (settings.UsesByteCounts()) {
            for (const char* extra = start + 1; extra < p && shown < width; ++extra, ++shown)
                out += '.';
        }
    }
}

void TextImportReader::PreviewField(std::string& out, int32_t field) const
{
    out.clear();
    if (recordStart == nullptr)
        return;
    std::string unquoted;
    std::string_view selection = settings.fixedPositions ? Record() : SelectField(field, unquoted);
    const char* p = selection.data();
    const char* end = p + selection.size();
    while (p < end && out.size() < 1000) {
        if (unitSize == 2 && end - p < 2)
            break;
        uint32_t c = NextChar(p, end);
        uint32_t shown = !codePageMap.empty() ? codePageMap[c] : (IsSkipped(c) || IsDropped(c) ? 0 : Translate(c));
        if (shown == 0) {
            if (settings.fixedPositions)
                out += '.';
            continue;
        }
        AppendUtf8(out, shown);
    }
}

// --- Amount texts ---------------------------------------------------------------------------------

double ParseAmount(std::string_view text, uint16_t decimalChar)
{
    // The kept characters, with the decimal character as "."; an "e" only between a digit and an
    // exponent.
    char kept[64];
    int32_t n = 0;
    bool digits = false;
    bool point = false;
    bool sign = false;
    bool exponent = false;
    bool digitsSinceSign = false;
    bool exponentDigits = false;
    size_t i = 0;
    auto decimalAt = [&](size_t at) -> size_t {
        // The decimal character's length at `at` in UTF-8 text, or 0.
        char bytes[4];
        int32_t length = Utf8EncodeChar(bytes, decimalChar);
        if (at + size_t(length) <= text.size() && std::memcmp(text.data() + at, bytes, size_t(length)) == 0)
            return size_t(length);
        return 0;
    };
    // Accounts write a negative amount in brackets: "(12.00)".
    bool opened = false;
    bool closed = false;
    while (i < text.size()) {
        char c = text[i];
        if (text.compare(i, kMinusSign.size(), kMinusSign) == 0) {
            c = '-';
            i += kMinusSign.size() - 1;
        }
        if (size_t length = decimalAt(i)) {
            if (point || exponent)
                return NAN;
            point = true;
            if (n >= 60)
                return NAN;
            kept[n++] = '.';
            i += length;
            continue;
        }
        ++i;
        if (closed && c >= '0' && c <= '9')
            return NAN;
        if (c == '(') {
            if (opened || sign || digits)
                return NAN;
            opened = true;
            continue;
        }
        if (c == ')') {
            if (!opened || closed || !digits)
                return NAN;
            closed = true;
            continue;
        }
        if (c >= '0' && c <= '9') {
            if (n >= 60 && !exponent) {
                // Beyond what a double holds anyway: drop fraction digits, refuse integer digits.
                if (point)
                    continue;
                return NAN;
            }
            if (n >= 63)
                return NAN;
            kept[n++] = c;
            if (exponent)
                exponentDigits = true;
            else
                digits = true;
            digitsSinceSign = true;
            continue;
        }
        if (c == '-') {
            if (exponent && !exponentDigits && kept[n - 1] != '-') {
                kept[n++] = '-';
                continue;
            }
            // One sign, before the digits or right after them ("12.50-").
            if (sign || exponent || opened)
                return NAN;
            sign = true;
            if (digits && i < text.size() && text.find_first_of("0123456789", i) != std::string_view::npos)
                return NAN;
            digitsSinceSign = false;
            continue;
        }
        if ((c == 'e' || c == 'E') && digits && !exponent) {
            // An exponent only when digits follow (after an optional "-").
            size_t j = i;
            if (j < text.size() && text[j] == '-')
                ++j;
            if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
                exponent = true;
                kept[n++] = 'e';
            }
            continue;
        }
    }
    (void)digitsSinceSign;
    if (!digits || opened != closed)
        return NAN;
    kept[n] = '\0';
    double value = BytesToDouble(kept, n);
    if (!std::isfinite(value))
        return NAN;
    return sign || closed ? -value : value;
}

bool EndsWithOperator(std::string_view text)
{
    size_t last = text.find_last_not_of(' ');
    if (last == std::string_view::npos)
        return false;
    return std::strchr("+-*/^()", text[last]) != nullptr && text[last] != '\0';
}

void PadWithZeros(std::string& text, int32_t width)
{
    if (int32_t(text.size()) < width)
        text.insert(0, size_t(width - int32_t(text.size())), '0');
}

}  // namespace vek
