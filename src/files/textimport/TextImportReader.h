// TextImportReader: records and fields of a foreign text file, cut as an import setup describes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/setups/ImportSetupSettings.h"

namespace vek {

class ByteFile;
struct StampedText;

// Reads a text file record by record in its own encoding (UTF-8, UTF-16 LE or BE, or an 8-bit code
// page) and hands out the values of field definitions as UTF-8. A record ends at the setup's
// terminator (which is not part of it); a terminator CR or LF stands for any line end (CR, LF or
// CR LF). Fields are cut between separators, or by position from the whole record. In separator
// mode a field that begins with a double quote runs to its closing quote: separators and line ends
// inside are its text (a line end a blank), a doubled quote is one quote, and the quotes are no
// part of the value; a quote that is never closed is an ordinary character. The reader holds at most kBufferBytes of the
// file at a time.
//
// Damage is reported through the pending error, naming the file and the record's line, and ends the
// reading (NextRecord gives false): a record longer than the buffer (3817), and a record whose bytes
// are not text in the setup's encoding (3850: bad UTF-8, a NUL byte, an odd number of UTF-16 bytes,
// or a byte-order mark of another encoding). Read errors of the file are reported by the file (606)
// and end the input. The cancel flag ends the reading at the next record.
class TextImportReader {
public:
    static constexpr int32_t kBufferBytes = 10240;

    // The settings are read, not owned; they must outlive the reader.
    explicit TextImportReader(const ImportReaderSettings& settings);
    ~TextImportReader();
    TextImportReader(const TextImportReader&) = delete;
    TextImportReader& operator=(const TextImportReader&) = delete;

    // Builds the character classes, opens the file and rewinds it. False, with the file's error
    // pending, when it cannot be opened.
    [[nodiscard]] bool Open(const char* path);
    void Close();

    // n bytes at a file position; the count read.
    int64_t ReadAt(void* buffer, int64_t position, int64_t n);
    // The file position of the current read position, and continuing from another.
    int64_t Tell() const;
    void Seek(int64_t position);
    // Back to the first record, after a byte-order mark; the record count goes back to 0.
    void Rewind();

    // The next record; false at the end of the input, on damage (the error pending) or when the
    // cancel flag is set.
    [[nodiscard]] bool NextRecord();
    // The current record and the next n - 1 records as one (separated by the separator in separator
    // mode). Records that would not fit in kBufferBytes: 3817 pending, false.
    [[nodiscard]] bool JoinRecords(int32_t n);
    // The number of records delivered, which is the line of the current record in messages.
    int64_t RecordCount() const { return recordCount; }
    // The current record's bytes in the file's encoding.
    std::string_view Record() const { return {recordStart, size_t(recordEnd - recordStart)}; }
    const std::string& Path() const { return path; }

    // One more than the separators in the current record.
    int32_t CountFields() const;
    // The value of one part, appended to `out` as UTF-8.
    void ExtractField(std::string& out, const FieldSpec& part) const;

    // Getters over a whole field definition; each replaces `out`.
    // The values concatenated, blanks trimmed at both ends.
    void GetText(std::string& out, const FieldDefinition& definition) const;
    // Each value followed by its part's suffix, untrimmed.
    void GetTextWithSuffixes(std::string& out, const FieldDefinition& definition) const;
    // The same with a tab before every part after the first.
    void GetTabbedText(std::string& out, const FieldDefinition& definition) const;
    // The non-empty values with the suffix of the part before each between them, trimmed; empty:
    // the first part's constant text; then the case code 2-5 applied.
    void GetJoinedText(std::string& out, const FieldDefinition& definition, int32_t caseCode) const;
    // GetText, or the first part's constant text when that is empty, read as a stamped text.
    void GetStamp(StampedText& stamp, const FieldDefinition& definition) const;
    // True when every part's value equals its constant text byte for byte (a part without one
    // matches only an empty value); an empty definition matches every record.
    bool MatchesConstants(const FieldDefinition& definition) const;
    // The values joined by single blanks, and whether every part matched as in MatchesConstants.
    bool GetWordsAndMatch(std::string& out, const FieldDefinition& definition) const;
    // The arithmetic text of an amount split over several parts with operators in the suffixes, each
    // term cleaned into its number (ParseAmount). False when a term that is not empty gives no finite
    // number: `out` then holds that term as read, and no formula may be made of it.
    [[nodiscard]] bool GetAmountExpression(std::string& out, const FieldDefinition& definition, uint16_t decimalChar) const;

    // The setup window's position grid: a character as shown (blanks, skipped and dropped
    // characters and U+FEFF as "."), a whole record, and at most 1000 bytes of one field.
    uint32_t PreviewChar(uint32_t character) const;
    void PreviewRecord(std::string& out, int32_t width) const;
    void PreviewField(std::string& out, int32_t field) const;

private:
    // How far a scan of the buffer for the end of the record came.
    enum class RecordScan { found, notFound, openQuote };

    bool Fill();
    // The end of the record that begins at `from`: its terminator's place and length. With `quotes`,
    // terminators inside a quoted field are text; openQuote when the data ends inside one.
    // `final`: no more data can come behind dataEnd for this record.
    RecordScan ScanRecord(const char* from, const char*& at, int32_t& length, bool quotes, bool final) const;
    // The length of the terminator at p, 0 when none is there, -1 when only more data can tell.
    int32_t TerminatorAt(const char* p, bool final) const;
    int32_t SeparatorAt(const char* p, const char* end) const;
    uint32_t UnitAt(const char* p) const;
    bool IsQuoteAt(const char* p, const char* end) const { return quoting && p < end && UnitAt(p) == '"'; }
    // The closing quote of the quoted field that opens at `open`, a doubled quote being one quote of
    // the text; false when none comes before `end` (or when a quote at `end` might be doubled by data
    // not read yet, with `more`).
    bool FindClosingQuote(const char* open, const char* end, bool more, const char*& close) const;
    // The separator that ends the field beginning at p, or `end`.
    const char* FieldEnd(const char* p, const char* end) const;
    bool CheckRecord();
    void ReportRecord(int32_t code, std::string_view extra);
    void BuildClasses();
    bool IsSkipped(uint32_t c) const { return c < skipSet.size() && skipSet[c]; }
    bool IsDropped(uint32_t c) const { return dropActive && c < dropSet.size() && dropSet[c]; }
    uint32_t Translate(uint32_t c) const { return !translation.empty() && c < 65536 ? translation[c] : c; }
    // The bytes of field n (from 1) of the current record; empty when the record has fewer. A quoted
    // field gives its text without the quotes, built in `unquoted`.
    std::string_view SelectField(int32_t n, std::string& unquoted) const;
    void AppendValue(std::string& out, std::string_view selection, int32_t begin, int32_t end) const;
    // The next character of the selection and the bytes it took.
    uint32_t NextChar(const char*& p, const char* end) const;

    const ImportReaderSettings& settings;
    std::string path;
    std::unique_ptr<ByteFile> file;
    std::unique_ptr<char[]> buffer;
    int64_t bufferPosition = 0;  // file position of buffer[0]
    char* readPosition = nullptr;
    char* dataEnd = nullptr;
    bool atEnd = false;
    bool skipLineFeed = false;  // the last record ended at a CR that closed a full buffer
    bool bomMismatch = false;  // the file's byte-order mark names another encoding
    int64_t recordCount = 0;
    std::unique_ptr<char[]> joinBuffer;
    const char* recordStart = nullptr;
    const char* recordEnd = nullptr;

    int32_t unitSize = 1;
    char terminator[4] = {};
    int32_t terminatorLength = 1;
    char separator[4] = {};
    int32_t separatorLength = 1;
    // A terminator CR or LF ends a record at CR, LF and CR LF alike, as files come with any of them.
    bool lineEnds = false;
    // In separator mode a field that begins with a double quote runs to its closing quote.
    bool quoting = false;
    std::vector<uint16_t> codePageMap;   // 8-bit encodings: byte to character (0: skipped or dropped)
    std::vector<uint16_t> translation;   // empty when no pair differs
    std::vector<bool> skipSet;
    std::vector<bool> dropSet;
    bool dropActive = false;
};

// The number in a cleaned amount text: digits, "-" and an exponent are kept, the decimal character
// becomes ".", everything else (thousands separators, currency signs, blanks) is left out. The minus
// sign U+2212 is a "-", and brackets around the number make it negative ("(12.00)"). NaN when what
// is left is not one number: no digit, two decimal points, a second sign, a sign between digits, a
// bracket without its partner, or a value beyond the range of a double. An "e" that has no digit
// before it or no exponent after it is a letter of a currency name and is left out too.
double ParseAmount(std::string_view text, uint16_t decimalChar);
// True when the text, trailing blanks ignored, ends with one of "+-*/^()".
bool EndsWithOperator(std::string_view text);
// Prepends "0" until the text is at least width bytes long.
void PadWithZeros(std::string& text, int32_t width);

}  // namespace vek
