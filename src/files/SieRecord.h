#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/PackedDate.h"

namespace vek {

class FilePath;

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
// date; 0 when the text holds no date. Years outside 1900..9999 are clamped into it.
PackedDate PackSieDate(std::string_view text);

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
