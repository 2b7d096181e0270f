// SieRecord and SieFileReader: one SIE line split into tokens, the checksum, and reading the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/numbers/PackedDate.h"
#include "foundation/streams/TextReader.h"

namespace vek {

class ByteFile;
class FilePath;

// The longest line the SIE import takes as a record. The longest records of real files are a few
// hundred bytes; a longer line is passed over with a message, so that one damaged line cannot make
// the import hold many times the file in memory (its tokens take more room than its bytes).
constexpr int32_t kMaxSieRecordBytes = 1 << 20;

// One record of an SIE file, split into tokens. A record is one line: a label ("#TRANS"), then
// fields separated by blanks or tabs. The field forms found in files of other programs:
//
//   form                  example                 token
//   plain word            1930   -1250.00         the bytes up to the next blank, tab (or "}"
//                                                 inside an object list)
//   quoted text           "Kaffe \"Java\""        the text between the quotes; \" stands for a
//                                                 quote and \\ for a backslash, any other
//                                                 backslash is itself; an unclosed quote runs to
//                                                 the line end
//   object list           {1 "2"  6 P1}  { }  {}  listOpen, the words inside, listClose
//
// "{" opens a list only at the start of a token; "}" closes one wherever it stands inside a list,
// and stands for itself as a token of its own outside one (the "}" line that ends a voucher).
enum class SieTokenKind : uint8_t { word, listOpen, listClose };

struct SieToken {
    const char* text = "";
    int32_t length = 0;
    SieTokenKind kind = SieTokenKind::word;
    bool quoted = false;

    std::string_view View() const { return {text, size_t(length)}; }
    bool Is(std::string_view other) const { return View() == other; }
    bool IsWord() const { return kind == SieTokenKind::word; }
};

// The tokens of one line. Plain tokens point into the line, unescaped quoted ones into the
// record's own buffer: both stay valid until the next Parse (and while the line lives).
class SieRecord {
public:
    SieRecord() = default;
    SieRecord(const SieRecord&) = delete;
    SieRecord& operator=(const SieRecord&) = delete;

    void Parse(const char* start, const char* end);
    void Parse(std::string_view line) { Parse(line.data(), line.data() + line.size()); }

    int32_t Count() const { return int32_t(tokens.size()); }
    // The token at i; past the end an empty word.
    const SieToken& At(int32_t i) const { return i >= 0 && i < Count() ? tokens[size_t(i)] : empty; }
    // The first token is the label: a word starting with "#", compared exactly.
    bool LabelIs(std::string_view label) const { return Count() > 0 && tokens[0].IsWord() && tokens[0].Is(label); }
    bool IsEmpty() const { return tokens.empty(); }

private:
    std::vector<SieToken> tokens;
    std::vector<char> unescaped;  // sized to the line before parsing, so it never moves meanwhile
    SieToken empty;
};

// An SIE date (YYYYMMDD; shorter forms are read with two-digit years in 1940..2039) as a packed
// date; 0 when the text holds no date. Digits that are no calendar date (20231301, 21000229, a
// year before 1900) give 0 as well: a date is never moved to a neighbouring one.
PackedDate PackSieDate(std::string_view text);

// What a reader keeps of a field: SIE readers drop blanks and control characters at both ends.
inline std::string_view SieTrimmed(std::string_view text)
{
    while (!text.empty() && uint8_t(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && uint8_t(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

// The account class that an account number implies by its first digit: "1" 'T', "2" 'S', "3" 'I',
// "4"-"9" 'K'; 0 for other first characters. A "#KTYP" record can give another one.
char SieAccountClassOfNumber(std::string_view number);

// An amount as SIE files hold it: a plain decimal with "." and "-" for negatives, two decimals when
// they give the value exactly (what amounts in books have) and otherwise the fewest that read back
// as the value; never an exponent, a grouping or "inf". A value that is not finite writes "0.00"
// (the caller reports it). Returns the bytes written, at most kSieAmountCapacity, no NUL.
constexpr int32_t kSieAmountCapacity = 400;
int32_t FormatSieAmount(char* buffer, double value);

// The "#KSUMMA" checksum: CRC-32 (the common polynomial, reflected, complemented) over the bytes of
// every token of every record between the opening "#KSUMMA" and the closing one, as the file holds
// them: quoted texts without their quotes and escapes, no blanks, no braces of object lists.
class SieChecksum {
public:
    // A token's text (UTF-8, as the reader decoded it), turned back into the file's encoding.
    void AddToken(std::string_view utf8, int32_t encoding);
    uint32_t Value() const { return ~crc; }

private:
    void AddByte(uint8_t byte);

    uint32_t crc = 0xFFFFFFFFu;
};

// Reads an SIE file like FileTextReader, but never holds more than about twice kMaxSieRecordBytes: a
// longer line is delivered as an empty line, which TakeCutLine then tells apart from a real one. A
// UTF-8 byte-order mark is skipped.
class SieFileReader final : public TextReader {
public:
    SieFileReader();
    ~SieFileReader() override;

    // False when the file cannot be opened or the buffer cannot be had (the error pending).
    [[nodiscard]] bool Open(const FilePath& path);
    void Close();

    int64_t Refill() override;
    // True, once, when the current line stands for a line that was too long.
    bool TakeCutLine();

private:
    // Drops the unread bytes (the start of a line too long) and the rest of that line from the file.
    int64_t CutLine(int64_t kept);

    std::unique_ptr<ByteFile> file;
    std::unique_ptr<char[]> buffer;
    int64_t capacity = 0;
    bool open = false;
    std::vector<int64_t> cutPositions;  // LinePosition of each cut line, ascending
    size_t nextCut = 0;
};

// What the first reading of an SIE file found: the encoding to read it in, and whether it looks
// like an SIE file at all (one of its first 9 lines holds "#SIETYP" or "#FLAGGA").
struct SieFileSurvey {
    int32_t encoding = 8;  // kEncodingPc8
    bool isSie = false;
};

// The encoding rules for SIE bytes: the encoding that "#FORMAT" names; "PC8" (the only name the
// format defines) and a missing record mean CP437, except that bytes that are valid UTF-8 and not
// plain ASCII are read as UTF-8 (many programs write UTF-8 and still claim PC8). A UTF-8
// byte-order mark means UTF-8.
class SieEncodingSurvey {
public:
    static constexpr int32_t kSurveyedLines = 200;

    // Feed the file's bytes in order, in pieces of any size.
    void Add(const char* bytes, int64_t n);
    SieFileSurvey Finish();

private:
    void Classify(const char* bytes, int64_t n);
    void TakeLineByte(char byte);
    void EndLine();

    char carry[4] = {};   // an incomplete UTF-8 sequence at the end of the last piece
    int32_t carryLength = 0;
    bool sawNonAscii = false;
    bool sawBadUtf8 = false;
    bool atStart = true;
    bool byteOrderMark = false;
    int64_t firstBytesSeen = 0;
    // The first bytes of the current line, enough for the label and a short value.
    char line[96] = {};
    int32_t lineLength = 0;
    int32_t lineNumber = 0;
    bool lastWasCr = false;
    bool sawSieLabel = false;
    char formatName[32] = {};
    bool sawFormat = false;
};

// Reads the whole file once through the survey; false (a message of the file layer pending) when the
// file cannot be read.
[[nodiscard]] bool SurveySieFile(const FilePath& path, SieFileSurvey& survey);

}  // namespace vek
