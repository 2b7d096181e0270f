// DateExpression: a card key stated absolutely or relative to calendar, base or time scale.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/numbers/CardKey.h"
#include "foundation/strings/HeapText.h"
#include "foundation/strings/OwnedText.h"

namespace vek {

class Base;
class String;
class TextReader;
class TextWriter;
struct ChangeRecord;
struct DateTime;

// How a date expression states its key. 1..7 are the unit words of the table "Day", "Week",
// "Month", "Quarter", "Year", "File", "Reference"; 8 and 9 keep the period label or the time-scale
// name as the expression's text.
enum class DateUnit : int32_t {
    Absolute = 0,
    Day = 1,
    Week = 2,
    Month = 3,
    Quarter = 4,
    Year = 5,
    File = 6,       // the base's first or last card
    Reference = 7,  // the base's reference date
    Period = 8,     // a time-scale period named by its label
    TimeScale = 9,  // the period of a time scale that holds today
};

// Bytes kept of a period label or time-scale name: what one base-file field can carry back.
constexpr int32_t kDateExpressionTextLimit = 127;
// Room for every text form of an expression with its NUL: a key (23 bytes), a blank, the text and a
// signed offset (11 bytes).
constexpr int32_t kDateExpressionTextCapacity = 168;

// The kind of base file a field is read from: the older bullet-marked files write units as marker
// characters.
enum class DateFieldStyle : int32_t { Sections, Bullets };

// An edit field that shows an expression's text; the window layer's text fields implement it.
class TextFieldLink {
public:
    virtual ~TextFieldLink();
    virtual void SetText(std::string_view text) = 0;
    // The text being edited in the field; false (nothing fetched) for a field that cannot tell.
    virtual bool FetchText(String& out) const;
};

// A card key stated absolutely (240131-5) or relative to the calendar, the base's cards, its
// reference date or a time scale (Month-1, Year, File, Reference+7, a period label), with a signed
// offset in the unit's steps (days for File and Reference, periods for time scales). It keeps the
// expression and the key it stands for now (`Value`), and recomputes the key after every change of
// unit, offset or text, and on the base changes that can move it (DependsOnChange).
//
// The side is -1 for the start of the period the expression names (selections use it for "from")
// and +1 for its end ("to", and the base's reference date). No text makes it fail: a text it cannot
// read leaves the empty key, which the readers of files and fields turn into "File".
class DateExpression {
public:
    // Value 0, unit Absolute, offset 0, no text. A side below 0 is -1, any other +1. The base may be
    // null: then "File" stands for the current year, "Reference" for today and no time scale exists.
    DateExpression(Base* base, int32_t side);
    ~DateExpression();
    DateExpression(const DateExpression&) = delete;
    DateExpression& operator=(const DateExpression&) = delete;

    const CardKey& Value() const { return value; }
    Base* GetBase() const { return base; }
    DateUnit Unit() const { return unit; }
    int32_t Side() const { return side; }
    int32_t Offset() const { return offset; }
    // The period label (Period) or time-scale name (TimeScale); null otherwise.
    ConstHeapText Text() const { return text.Get(); }

    // Resets value, unit, offset and text.
    void Clear();
    // Copies value, unit, offset and text (not the side or the base), then resolves.
    void Assign(const DateExpression& other);
    // An absolute key: unit Absolute, offset 0, no text.
    void SetValue(const CardKey& key);
    // The offset given (0 unless said), no text, then resolves. A unit outside 0..9 is ignored;
    // Period and TimeScale have no text this way and so become File.
    void SetUnit(DateUnit newUnit, int32_t newOffset = 0);

    // Reads a typed or stored expression (blanks at both ends ignored): a unit word with an offset
    // ("Mon-1", "q", "Year + 2"), a period label or time-scale name with an offset, or an absolute
    // key ("240131", "240131-5", "20280229"), also after a leading key as in the display form
    // ("240301-001 Month-1"). True when the expression now stands for a key; false leaves unit
    // Absolute and the empty key. Never reads beyond `length` bytes (a null text reads as empty).
    [[nodiscard]] bool Parse(const char* bytes, int32_t length);
    [[nodiscard]] bool ParseCString(const char* cString);
    // Parse; a text that cannot be read becomes "File". The string then holds the display form.
    void ParseAndNormalize(String& string);
    // The first unit of "Day" .. "Reference" whose name starts with the text, without regard to
    // case ("m" gives Month, "q" Quarter); Absolute for an empty text and when none does.
    static DateUnit UnitFromName(std::string_view name);

    // Recomputes the key for today's local date, or for the given day (a day without a date gives
    // the empty key for the calendar units).
    void Resolve();
    void ResolveOn(const DateTime& today);

    // Text forms, each at most kDateExpressionTextCapacity - 1 bytes. The unit part: nothing for an
    // absolute key; the unit name or the stored text, then the offset when it is not 0, a positive
    // one with "+" (Month+1, Month-2, Year).
    void CursorPutUnitText(char*& cursor) const;
    // The display form: the key with the base's card-number digits and, when a unit is set, a blank
    // and the unit part ("240301-001 Month-1").
    void CursorPutDisplay(char*& cursor) const;
    void ToText(String& string) const;
    // Into a buffer of kDateExpressionTextCapacity bytes, NUL-terminated.
    void FormatToBuffer(char* buffer) const;
    void ShowIn(TextFieldLink& field) const;

    // Same side and unit, and: equal values for Absolute, equal offsets for units 1..7, equal
    // offsets and texts for Period and TimeScale.
    bool Equals(const DateExpression& other) const;
    // Unit File with offset 0.
    bool IsPlainFile() const;

    // Offers a base change: when it can move the key (code 0 for any unit but Absolute, 27 and 28
    // for File, 38 for Reference, 51 and 53 for Period and TimeScale), the key is recomputed. True
    // when the key changed; the field (may be null) then shows the new display form. Code 29 (card
    // number digits) only shows the expression again in the field and answers false.
    bool DependsOnChange(const ChangeRecord& record, TextFieldLink* field);

    // The base-file form: the writer's separator, then for an absolute key the date alone (YYMMDD)
    // when its number is the side's default (1 from, open end to), else the key with its number; for
    // Period and TimeScale the key, a blank and the unit part; for units 1..7 the unit part alone.
    void Write(TextWriter& writer) const;
    // Reads the next field (at most 127 bytes); an empty field leaves the expression. A field that
    // does not read as an expression gives "File".
    void Read(TextReader& reader, DateFieldStyle style = DateFieldStyle::Sections);

private:
    bool ParseNamed(std::string_view part);
    bool ParseUnitWord(std::string_view part);
    bool ParseTimeScaleText(std::string_view part, DateUnit asUnit);
    void ParseAbsolute(std::string_view whole);
    void SetText(std::string_view newText);
    void BecomePlainFile(const DateTime& today);
    int32_t CardNumberDigits() const;

    CardKey value;
    Base* base;
    DateUnit unit = DateUnit::Absolute;
    int32_t side;
    int32_t offset = 0;
    OwnedText text;
};

// A keyed line with two expressions (a selection's or an axis's "from" and "to"): nothing when both
// are plain File; else the key, `from` (an empty field when it is plain File), `to` unless it is
// plain File, and the row end.
void WriteDateRange(TextWriter& writer, const char* key, const DateExpression& from, const DateExpression& to);

}  // namespace vek
