#include "files/SieRecord.h"

#include <cstring>
#include <memory>

#include "foundation/ByteFile.h"
#include "foundation/CodePages.h"
#include "foundation/DateTime.h"
#include "foundation/PendingError.h"
#include "foundation/TextIds.h"
#include "foundation/Utf8.h"
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

PackedDate PackSieDate(std::string_view text)
{
    DateTime date;
    date.pivot = kDefaultPivotYear;
    date.ParseBytes(text.data(), int32_t(text.size() < 64 ? text.size() : 64));
    if (!date.HasDate())
        return 0;
    date.ExtendToPeriodEdge(-1);
    return PackDateClamped(date.year, date.month, date.day);
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
