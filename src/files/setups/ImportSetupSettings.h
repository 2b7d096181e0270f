// Field definitions and the settings of import setups and dimension import setups, with the keyed
// lines they are stored as in a base file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/dimensions/Component.h"

namespace vek {

class TextReader;
class TextWriter;

// One part of a field definition: which characters of which field of a record it takes.
struct FieldSpec {
    static constexpr int32_t kMaxField = 1023;
    static constexpr int32_t kMaxPosition = 4095;

    int32_t field = 0;   // separated field, from 1; 0 none
    int32_t begin = 0;   // first position inside the field, from 1; 0 = 1
    int32_t end = 0;     // last position, inclusive; 0 = to the end of the field
    std::string text;    // constant text (record conditions; the default of text getters); empty: unset
    std::string suffix;  // written after the value when parts are joined; empty: unset

    bool IsEmpty() const { return field == 0 && begin == 0 && end == 0 && text.empty() && suffix.empty(); }
    bool operator==(const FieldSpec&) const = default;
};

// A field definition: a chain of parts "part + part + ...". After reading it is normalised: no part
// is empty, and a part that had only a suffix has given it to the part before.
struct FieldDefinition {
    std::vector<FieldSpec> parts;

    bool IsEmpty() const { return parts.empty(); }
    void Clear() { parts.clear(); }
    void Normalise();
    bool operator==(const FieldDefinition&) const = default;

    // The rest of the reader's line, after the key. The items are fields of a letter and its value:
    // "F", "B", "E" numbers (out of range: ignored), "T", "S" texts; "+" starts the next part ("+"
    // and a number above 31 first appends that character to the current part's suffix). The old
    // form (files before 19961213) is three numbers field, begin, end and the constant text.
    void Read(TextReader& reader, bool oldForm);
    // The key and the items on one line; nothing for an empty definition.
    void Write(TextWriter& writer, const char* key) const;
};

// How the record reader sees a text file (TextImportReader). The defaults are the setup's.
struct ImportReaderSettings {
    int32_t encoding = 0;        // CodePages.h ids 0-8
    bool fixedPositions = false;
    uint16_t terminator = 13;
    uint16_t separator = 9;
    uint16_t decimalChar = '.';
    bool countBytes = false;     // UTF-8 with fixed positions: positions count bytes
    int32_t skipRecords = 0;     // 0-999
    std::string translateFrom;
    std::string translateTo;
    std::string skipChars;       // keep their position, left out of values
    std::string dropChars;       // removed before positions are counted
    bool dropControlChars = true;

    bool UsesByteCounts() const { return countBytes && encoding == 0; }
    bool operator==(const ImportReaderSettings&) const = default;
};

// The case codes of card, note and line texts: 0 and 1 unchanged, 2 upper, 3 lower, 4 first letter
// upper, 5 each word capitalised; written as a letter of "--ULSW".
inline constexpr const char* kCaseLetters = "--ULSW";
// The date formats of card dates, by index.
inline constexpr std::array<const char*, 8> kImportDateFormats = {
    "YYMMDD", "YYDDMM", "MMDDYY", "DDMMYY", "Y/M/D", "Y/D/M", "M/D/Y", "D/M/Y"};

// How a line-field record looks components up.
enum class ComponentLookup : uint8_t { ByCode = 0, ByText = 1, ByHost = 2 };
inline constexpr const char* kLookupLetters = "CTH";
// What the import does with a component value that is not found (letters "-CHN").
enum class NotFoundAction : uint8_t { Generated = 0, HashCode = 1, HostAsCode = 2, UnderNearestHost = 3 };
inline constexpr const char* kNotFoundLetters = "-CHN";

constexpr int32_t kAmountColumnCount = 24;

// One line-field record: which fields of a line record give each dimension's component and each
// amount.
struct LineFields {
    std::array<FieldDefinition, kDimensionCount> dimensions;
    FieldDefinition lineText;                                  // "LZ"
    std::array<FieldDefinition, kAmountColumnCount> amounts;   // "LVA" .. "LVX"
    std::array<double, kAmountColumnCount> factors;            // "V"
    bool keepZeroLines = false;                                // "ZK": lines whose amounts are all 0 are made
    int32_t lineTextCase = 0;                                  // "ZC"
    std::array<ComponentLookup, kDimensionCount> lookup;       // "ZS" n
    std::array<uint8_t, kDimensionCount> zeroPad{};            // "ZF" n: 0 or 2-8
    std::array<NotFoundAction, kDimensionCount> notFound{};    // "ZN" n

    LineFields();
    bool IsEmpty() const;
    bool operator==(const LineFields&) const = default;
};

// The settings of an import setup.
struct ImportSetupSettings : ImportReaderSettings {
    // The ten field definitions of the card, by index.
    enum Field : int32_t { CardCondition, LineCondition, KeyText, CardDate, CardText, CardNotes,
                           StampCreated, StampChanged, StampFurther1, StampFurther2, kFieldCount };

    int32_t recordsPerCard = 1;  // 1-99
    int32_t recordsPerLine = 1;  // 1-99
    int32_t dateFormat = 0;      // index into kImportDateFormats
    int32_t cardTextCase = 0;
    int32_t cardNoteCase = 0;
    std::array<FieldDefinition, kFieldCount> fields;
    std::vector<LineFields> lineFields;

    void Reset() { *this = ImportSetupSettings(); }
    bool operator==(const ImportSetupSettings&) const = default;
};

// The settings of a dimension import setup (no decimal character of its own).
struct DimImportSettings : ImportReaderSettings {
    int32_t structureMode = 0;   // "CILP"
    int32_t lookupMode = 0;      // "CTH"
    int32_t rpValue = 0;         // 0-9
    int32_t zeroPad = 0;         // 0 or 2-8
    int32_t rMode = 1;           // "rW" 0, "rX" 1, "rR" 2
    int32_t hMode = 0;           // "HW" 0, "HX" 1, "HC" 2, "HR" 3
    FieldDefinition codeField;
    FieldDefinition textField;
    FieldDefinition hostField;
    FieldDefinition structureField;

    DimImportSettings();
    void Reset() { *this = DimImportSettings(); }
    bool operator==(const DimImportSettings&) const = default;
};

}  // namespace vek
