// SieRecord: tokens of an SIE line, its dates and amounts, the checksum and the file reader.
#include "files/sie/SieRecord.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

#include "foundation/streams/ByteFile.h"
#include "foundation/strings/CodePages.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/Utf8.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

constexpr bool IsSieBlank(char byte)
{
    return uint8_t(byte) <= ' ';
}

}  // namespace

// --- Tokens ------------------------------------------------------------------------------------------

void SieRecord::Parse(const char* start, const char* end)
{
    tokens.clear();
    // Unescaping never lengthens a text, so the buffer never grows while tokens point into it.
    if (unescaped.size() < size_t(end - start))
        unescaped.resize(size_t(end - start));
    char* out = unescaped.data();
    int32_t depth = 0;
    const char* p = start;
    while (true) {
        while (p < end && IsSieBlank(*p))
            ++p;
        if (p >= end)
            break;
        SieToken token;
        if (*p == '"') {
            ++p;
            char* first = out;
            while (p < end && *p != '"') {
                if (*p == '\\' && p + 1 < end && (p[1] == '"' || p[1] == '\\'))
                    ++p;
                *out++ = *p++;
            }
            if (p < end)
                ++p;  // the closing quote
            token.text = first;
            token.length = int32_t(out - first);
            token.quoted = true;
        } else if (*p == '{') {
            ++p;
            ++depth;
            token.text = "{";
            token.length = 1;
            token.kind = SieTokenKind::listOpen;
        } else if (*p == '}') {
            ++p;
            if (depth > 0)
                --depth;
            token.text = "}";
            token.length = 1;
            token.kind = SieTokenKind::listClose;
        } else {
            const char* first = p;
            while (p < end && !IsSieBlank(*p) && !(depth > 0 && *p == '}'))
                ++p;
            token.text = first;
            token.length = int32_t(p - first);
        }
        tokens.push_back(token);
    }
}

// --- Dates -------------------------------------------------------------------------------------------

namespace {

// Whether all-digit dates of eight (YYYYMMDD) or six (YYMMDD) digits name a day of the calendar;
// other texts are left to the date reader.
bool IsCalendarDigits(std::string_view text)
{
    if (text.size() != 8 && text.size() != 6)
        return true;
    int32_t digits[8] = {};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return true;
        digits[i] = text[i] - '0';
    }
    const int32_t* p = digits;
    int32_t year = p[0] * 10 + p[1];
    if (text.size() == 8) {
        year = year * 100 + p[2] * 10 + p[3];
        p += 2;
    } else {
        year += year < kDefaultPivotYear % 100 ? 2000 : 1900;
    }
    int32_t month = p[2] * 10 + p[3];
    int32_t day = p[4] * 10 + p[5];
    return year >= 1900 && day >= 1 && day <= DaysInMonth(year, month);
}

}  // namespace

PackedDate PackSieDate(std::string_view text)
{
    if (!IsCalendarDigits(text))
        return 0;
    DateTime date;
    date.pivot = kDefaultPivotYear;
    date.ParseBytes(text.data(), int32_t(text.size() < 64 ? text.size() : 64));
    if (!date.HasDate())
        return 0;
    date.ExtendToPeriodEdge(-1);
    return PackDateClamped(date.year, date.month, date.day);
}

char SieAccountClassOfNumber(std::string_view number)
{
    if (number.empty())
        return 0;
    char first = number.front();
    if (first == '1')
        return 'T';
    if (first == '2')
        return 'S';
    if (first == '3')
        return 'I';
    if (first >= '4' && first <= '9')
        return 'K';
    return 0;
}

// --- Amounts -----------------------------------------------------------------------------------------

int32_t FormatSieAmount(char* buffer, double value)
{
    if (!std::isfinite(value)) {
        std::memcpy(buffer, "0.00", 4);
        return 4;
    }
    if (std::fabs(value) < 1e15) {
        NumberFormat format;
        format.decimalSeparator = u'.';
        format.thousandsSeparator = 0;
        format.mode = NumberMode::Fixed;
        format.decimals = 2;
        char* cursor = buffer;
        CursorPutDouble(cursor, value, format);
        int32_t n = int32_t(cursor - buffer);
        if (std::memchr(buffer, 'e', size_t(n)) == nullptr && std::memchr(buffer, 'E', size_t(n)) == nullptr &&
            BytesToDouble(buffer, n) == value)
            return n;
    }
    // More decimals, or a magnitude the customary form writes with an exponent: the shortest plain
    // decimal that reads back, else the one with the fewest decimals that does.
    std::to_chars_result shortest =
        std::to_chars(buffer, buffer + kSieAmountCapacity - 3, value, std::chars_format::fixed);
    int32_t n = int32_t(shortest.ptr - buffer);
    if (BytesToDouble(buffer, n) == value) {
        if (std::memchr(buffer, '.', size_t(n)) == nullptr) {
            std::memcpy(buffer + n, ".00", 3);
            n += 3;
        }
        return n;
    }
    char candidate[kSieAmountCapacity];
    for (int32_t decimals = 2; decimals <= 24; ++decimals) {
        std::to_chars_result result =
            std::to_chars(candidate, candidate + kSieAmountCapacity, value, std::chars_format::fixed, decimals);
        if (result.ec == std::errc() && BytesToDouble(candidate, int32_t(result.ptr - candidate)) == value) {
            std::memcpy(buffer, candidate, size_t(result.ptr - candidate));
            return int32_t(result.ptr - candidate);
        }
    }
    return n;
}

// --- Checksum ----------------------------------------------------------------------------------------

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int32_t bit = 0; bit < 8; ++bit)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

void SieChecksum::AddByte(uint8_t byte)
{
    crc = kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

void SieChecksum::AddToken(std::string_view utf8, int32_t encoding)
{
    const char* p = utf8.data();
    const char* end = p + utf8.size();
    if (!IsCodePageEncoding(encoding)) {
        for (; p < end; ++p)
            AddByte(uint8_t(*p));
        return;
    }
    while (p < end) {
        uint32_t c = Utf8NextCharIn(p, end);
        uint8_t byte = CodePageByteFromChar(c, encoding);
        AddByte(byte != 0 || c == 0 ? byte : uint8_t('?'));
    }
}

// --- File reader -------------------------------------------------------------------------------------

namespace {

constexpr int64_t kSieReaderStartBytes = 65536;

}  // namespace

SieFileReader::SieFileReader() = default;

SieFileReader::~SieFileReader()
{
    Close();
}

bool SieFileReader::Open(const FilePath& path)
{
    Close();
    file = NewByteFile();
    buffer.reset(new (std::nothrow) char[size_t(kSieReaderStartBytes)]);
    if (!file || !buffer) {
        SetOutOfMemoryError();
        return false;
    }
    if (!file->OpenForRead(path.CStr()))
        return false;
    capacity = kSieReaderStartBytes;
    open = true;
    inputStart = readPosition = inputEnd = buffer.get();
    sourcePosition = 0;
    if (Refill() >= 3 && std::memcmp(readPosition, "\xEF\xBB\xBF", 3) == 0)
        readPosition += 3;
    return true;
}

void SieFileReader::Close()
{
    if (open)
        file->Close();
    open = false;
}

int64_t SieFileReader::Refill()
{
    if (!open)
        return 0;
    ForgetLine();
    char* start = buffer.get();
    int64_t kept = inputEnd - readPosition;
    sourcePosition += readPosition - inputStart;
    if (kept > 0 && readPosition != start)
        std::memmove(start, readPosition, size_t(kept));
    inputStart = readPosition = start;
    inputEnd = start + kept;
    // The unread bytes are one line whose end has not come, or has come as a last CR or LF that the
    // next byte may pair with.
    bool ended = kept > 0 && (start[kept - 1] == '\r' || start[kept - 1] == '\n');
    int64_t content = ended ? kept - 1 : kept;
    if (content > kMaxSieRecordBytes)
        return CutLine(kept);
    if (kept == capacity) {
        int64_t wanted = capacity * 2;
        std::unique_ptr<char[]> larger(new (std::nothrow) char[size_t(wanted)]);
        if (!larger) {
            SetOutOfMemoryError();
            readPosition = inputEnd;
            Close();
            return 0;
        }
        std::memcpy(larger.get(), start, size_t(kept));
        buffer = std::move(larger);
        capacity = wanted;
        start = buffer.get();
        inputStart = readPosition = start;
        inputEnd = start + kept;
    }
    int64_t got = file->Read(start + kept, capacity - kept);
    inputEnd = start + kept + (got > 0 ? got : 0);
    return got > 0 ? got : 0;
}

int64_t SieFileReader::CutLine(int64_t kept)
{
    // The line is delivered as its line end alone, at the position where it started.
    cutPositions.push_back(sourcePosition);
    char* start = buffer.get();
    if (start[kept - 1] == '\r' || start[kept - 1] == '\n') {
        start[0] = start[kept - 1];
        int64_t got = file->Read(start + 1, capacity - 1);
        inputEnd = start + 1 + (got > 0 ? got : 0);
        return 1 + (got > 0 ? got : 0);
    }
    while (true) {
        int64_t got = file->Read(start, capacity);
        if (got <= 0) {
            start[0] = '\n';
            inputEnd = start + 1;
            return 1;
        }
        for (int64_t i = 0; i < got; ++i) {
            if (start[i] == '\r' || start[i] == '\n') {
                std::memmove(start, start + i, size_t(got - i));
                inputEnd = start + (got - i);
                return got - i;
            }
        }
    }
}

bool SieFileReader::TakeCutLine()
{
    if (nextCut >= cutPositions.size() || LineLength() != 0 || LinePosition() != cutPositions[nextCut])
        return false;
    ++nextCut;
    return true;
}

// --- Encoding survey ---------------------------------------------------------------------------------

void SieEncodingSurvey::Add(const char* bytes, int64_t n)
{
    if (n <= 0)
        return;
    if (atStart) {
        // A mark cut across pieces is not looked for: the first piece of a file is never that short.
        atStart = false;
        if (n >= 3 && uint8_t(bytes[0]) == 0xEF && uint8_t(bytes[1]) == 0xBB && uint8_t(bytes[2]) == 0xBF)
            byteOrderMark = true;
    }
    // Only the head of the file is looked at line by line: the SIE labels of the first 9 lines and
    // "#FORMAT", which stands among the first records of every file.
    for (int64_t i = 0; i < n && lineNumber < kSurveyedLines; ++i)
        TakeLineByte(bytes[i]);
    // Pieces small enough for the 32-bit lengths of the UTF-8 walk.
    constexpr int64_t kPiece = 1 << 20;
    for (int64_t done = 0; done < n; done += kPiece)
        Classify(bytes + done, n - done < kPiece ? n - done : kPiece);
}

void SieEncodingSurvey::Classify(const char* bytes, int64_t n)
{
    if (sawBadUtf8)
        return;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes);
    const uint8_t* end = p + n;
    // Finish a sequence that the last piece cut short.
    while (carryLength > 0 && carryLength < int32_t(sizeof carry) && p < end) {
        carry[carryLength++] = char(*p++);
        uint8_t lead = uint8_t(carry[0]);
        int32_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (carryLength == need || carryLength == 4) {
            if (Utf8Classify(carry, carryLength) == 1)
                sawBadUtf8 = true;
            carryLength = 0;
        }
    }
    if (sawBadUtf8 || p >= end)
        return;
    // Keep an incomplete sequence at the end for the next piece.
    int64_t length = end - p;
    int64_t cut = length;
    for (int64_t back = 1; back <= 3 && back <= length; ++back) {
        uint8_t byte = p[length - back];
        if (byte < 0x80)
            break;
        if (byte >= 0xC0) {
            int32_t need = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            if (back < need)
                cut = length - back;
            break;
        }
    }
    const char* text = reinterpret_cast<const char*>(p);
    // Runs of ASCII are passed over eight bytes at a time; the rest is judged by the UTF-8 walk.
    int64_t i = 0;
    while (i < cut) {
        while (i + 8 <= cut) {
            uint64_t word;
            std::memcpy(&word, text + i, sizeof word);
            if ((word & 0x8080808080808080ULL) != 0)
                break;
            i += 8;
        }
        int64_t runEnd = i;
        while (runEnd < cut && uint8_t(text[runEnd]) >= 0x80)
            ++runEnd;
        // A run of non-ASCII bytes ends before an ASCII byte, which no sequence continues into.
        if (runEnd > i) {
            int32_t verdict = Utf8Classify(text + i, int32_t(runEnd - i));
            if (verdict == 1 || (runEnd < cut && !Utf8IsValid(text + i, int32_t(runEnd - i + 1)))) {
                sawBadUtf8 = true;
                return;
            }
            sawNonAscii = true;
            i = runEnd;
        } else {
            ++i;
        }
    }
    carryLength = int32_t(length - cut);
    std::memcpy(carry, text + cut, size_t(carryLength));
    if (carryLength > 0)
        sawNonAscii = true;
}

void SieEncodingSurvey::TakeLineByte(char byte)
{
    if (byte == '\n' && lastWasCr) {
        lastWasCr = false;
        return;
    }
    lastWasCr = byte == '\r';
    if (byte == '\r' || byte == '\n') {
        EndLine();
        return;
    }
    if (lineLength < int32_t(sizeof line))
        line[lineLength++] = byte;
}

void SieEncodingSurvey::EndLine()
{
    ++lineNumber;
    std::string_view text(line, size_t(lineLength));
    if (lineNumber == 1 && byteOrderMark && text.size() >= 3)
        text.remove_prefix(3);
    if (lineNumber <= 9 &&
        (text.find("#SIETYP") != std::string_view::npos || text.find("#FLAGGA") != std::string_view::npos))
        sawSieLabel = true;
    if (!sawFormat) {
        SieRecord record;
        record.Parse(text);
        if (record.LabelIs("#FORMAT")) {
            sawFormat = true;
            std::string_view name = record.At(1).View();
            size_t n = name.size() < sizeof formatName - 1 ? name.size() : sizeof formatName - 1;
            std::memcpy(formatName, name.data(), n);
            formatName[n] = 0;
        }
    }
    lineLength = 0;
}

SieFileSurvey SieEncodingSurvey::Finish()
{
    if (lineLength > 0)
        EndLine();
    if (carryLength > 0) {
        // A sequence that the end of the file cut short is no UTF-8.
        sawBadUtf8 = true;
        carryLength = 0;
    }
    SieFileSurvey survey;
    survey.isSie = sawSieLabel;
    int32_t named = sawFormat ? EncodingFromName(formatName) : -1;
    if (byteOrderMark)
        survey.encoding = kEncodingUtf8;
    else if (named >= 0 && named != kEncodingPc8)
        survey.encoding = named;
    else
        survey.encoding = sawNonAscii && !sawBadUtf8 ? kEncodingUtf8 : kEncodingPc8;
    return survey;
}

bool SurveySieFile(const FilePath& path, SieFileSurvey& survey)
{
    std::unique_ptr<ByteFile> file = NewByteFile();
    if (!file) {
        SetOutOfMemoryError();
        return false;
    }
    if (!file->OpenForRead(path.CStr()))
        return false;
    SieEncodingSurvey reader;
    constexpr int64_t kPiece = 65536;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kPiece]);
    if (!buffer) {
        file->Close();
        SetOutOfMemoryError();
        return false;
    }
    int64_t size = file->GetSize();
    int64_t total = 0;
    while (true) {
        int64_t got = file->Read(buffer.get(), kPiece);
        if (got <= 0)
            break;
        reader.Add(buffer.get(), got);
        total += got;
    }
    file->Close();
    if (total < size) {
        path.ReportError(message::kReadFailed);
        return false;
    }
    survey = reader.Finish();
    return true;
}

}  // namespace vek
