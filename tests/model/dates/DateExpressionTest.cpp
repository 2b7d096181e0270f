#include "model/dates/DateExpression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/numbers/DateTime.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/base/ModelServices.h"
#include "model/dates/TimeScaleLookup.h"

namespace vek {
namespace {

CardKey Key(int32_t year, int32_t month, int32_t day, int32_t number)
{
    return CardKey{MakePackedDate(year, month, day), number};
}

DateTime Day(int32_t year, int32_t month, int32_t day)
{
    DateTime date;
    date.year = int16_t(year);
    date.month = int16_t(month);
    date.day = int16_t(day);
    date.kind = DateTimeKind::Day;
    return date;
}

// "2028-02-29 #7", "2028-02-29 #end", "empty".
std::string KeyText(const CardKey& key)
{
    if (key.date == 0)
        return key.number == 0 ? "empty" : "no date #" + std::to_string(key.number);
    char buffer[kPackedDateTextCapacity];
    FormatPackedDateStyled(buffer, key.date, 2);
    std::string text = buffer;
    text += key.number == kOpenEndNumber ? " #end" : " #" + std::to_string(key.number);
    return text;
}

std::string Display(const DateExpression& expression)
{
    String text;
    expression.ToText(text);
    return text.CStr();
}

std::string UnitPart(const DateExpression& expression)
{
    char buffer[kDateExpressionTextCapacity];
    char* cursor = buffer;
    expression.CursorPutUnitText(cursor);
    return std::string(buffer, cursor);
}

// Parses from a buffer of exactly the text's length, so that the sanitizer sees any read past it.
bool ParseExact(DateExpression& expression, const std::string& text)
{
    std::vector<char> bytes(text.begin(), text.end());
    return expression.Parse(bytes.data(), int32_t(bytes.size()));
}

// A time scale "Seasons" with the periods Spring, Summer, Autumn and Winter starting on the first
// of March, June, September and December 2024. Offsets beyond the ends stay at the first or last
// period; the last one ends on 28 February 2025. Labels and the name match without regard to case.
// "Long" names a period whose label is longer than an expression keeps.
class FakeTimeScales : public TimeScaleLookup {
public:
    struct Period {
        std::string label;
        CardKey start;
    };
    std::vector<Period> periods = {{"Spring", Key(2024, 3, 1, 1)},
                                   {"Summer", Key(2024, 6, 1, 1)},
                                   {"Autumn", Key(2024, 9, 1, 1)},
                                   {"Winter", Key(2024, 12, 1, 1)}};
    std::string name = "Seasons";
    std::string longLabel;
    mutable int32_t calls = 0;

    FakeTimeScales()
    {
        for (int i = 0; i < 100; ++i)
            longLabel += "\xC3\xA9";  // e with acute accent, two bytes
    }

    bool FindPeriodLabel(const Base*, std::string_view text, String& label) const override
    {
        ++calls;
        if (EqualNoCase(text, "Long")) {
            label.AssignCStr(longLabel.c_str());
            return true;
        }
        int32_t i = IndexOf(text);
        if (i < 0)
            return false;
        label.AssignCStr(periods[size_t(i)].label.c_str());
        return true;
    }
    bool FindTimeScaleName(const Base*, std::string_view text, String& found) const override
    {
        ++calls;
        if (name.empty() || !EqualNoCase(text, name))
            return false;
        found.AssignCStr(name.c_str());
        return true;
    }
    bool PeriodKey(const Base*, std::string_view label, int32_t offset, int32_t side, CardKey& key) const override
    {
        ++calls;
        if (label == longLabel.substr(0, label.size()) && !label.empty()) {
            key = Key(2030, 1, 1, 1);
            return true;
        }
        int32_t i = IndexOf(label);
        if (i < 0)
            return false;
        key = Edge(int64_t(i) + offset, side);
        return true;
    }
    bool TimeScaleKey(const Base*, std::string_view scale, const CardKey& day, int32_t offset, int32_t side,
                      CardKey& key) const override
    {
        ++calls;
        if (name.empty() || scale != name)
            return false;
        int32_t i = -1;
        for (size_t p = 0; p < periods.size(); ++p) {
            if (periods[p].start.date <= day.date)
                i = int32_t(p);
        }
        key = Edge(int64_t(i) + offset, side);
        return true;
    }

    void Remove(const std::string& label)
    {
        for (size_t p = 0; p < periods.size(); ++p) {
            if (periods[p].label == label)
                periods.erase(periods.begin() + long(p));
        }
    }

private:
    static bool EqualNoCase(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        }
        return true;
    }
    int32_t IndexOf(std::string_view label) const
    {
        for (size_t p = 0; p < periods.size(); ++p) {
            if (EqualNoCase(label, periods[p].label))
                return int32_t(p);
        }
        return -1;
    }
    CardKey Edge(int64_t i, int32_t side) const
    {
        int64_t last = int64_t(periods.size()) - 1;
        i = std::clamp(i, int64_t(0), last);
        if (side < 0)
            return periods[size_t(i)].start;
        if (i == last)
            return Key(2025, 2, 28, kOpenEndNumber);
        CardKey end = periods[size_t(i + 1)].start;
        end.date = PreviousPackedDate(end.date);
        end.number = kOpenEndNumber;
        return end;
    }
};

class RecordingField : public TextFieldLink {
public:
    std::string text;
    int32_t calls = 0;
    void SetText(std::string_view newText) override
    {
        text = std::string(newText);
        ++calls;
    }
};

class DateExpressionTest : public ::testing::Test {
protected:
    FakeTimeScales timeScales;
    ScopedService<TimeScaleLookup> registeredTimeScales{&timeScales};
};

// Every unit with positive, negative and zero offsets on both sides, across year ends and leap days
// (2028-02-29 exists, 2100-02-29 does not). Without a base, "File" stands for today's year and
// "Reference" for today.
TEST_F(DateExpressionTest, UnitsResolveAgainstToday)
{
    struct Case {
        const char* text;
        int32_t side;
        DateTime today;
        DateUnit unit;
        int32_t offset;
        CardKey expected;
    };
    const int32_t end = kOpenEndNumber;
    const Case cases[] = {
        {"Day", -1, Day(2024, 12, 31), DateUnit::Day, 0, Key(2024, 12, 31, 1)},
        {"Day+1", 1, Day(2024, 12, 31), DateUnit::Day, 1, Key(2025, 1, 1, end)},
        {"Day-1", -1, Day(2028, 3, 1), DateUnit::Day, -1, Key(2028, 2, 29, 1)},
        {"Day+1", 1, Day(2100, 2, 28), DateUnit::Day, 1, Key(2100, 3, 1, end)},
        {"Day-366", -1, Day(2029, 1, 1), DateUnit::Day, -366, Key(2028, 1, 1, 1)},
        {"Week", -1, Day(2024, 12, 31), DateUnit::Week, 0, Key(2024, 12, 30, 1)},
        {"Week", 1, Day(2024, 12, 31), DateUnit::Week, 0, Key(2025, 1, 5, end)},
        {"Week-1", -1, Day(2025, 1, 1), DateUnit::Week, -1, Key(2024, 12, 23, 1)},
        {"Week+1", -1, Day(2028, 2, 24), DateUnit::Week, 1, Key(2028, 2, 28, 1)},
        {"Week+1", 1, Day(2028, 2, 24), DateUnit::Week, 1, Key(2028, 3, 5, end)},
        {"Month", -1, Day(2028, 2, 15), DateUnit::Month, 0, Key(2028, 2, 1, 1)},
        {"Month", 1, Day(2028, 2, 15), DateUnit::Month, 0, Key(2028, 2, 29, end)},
        {"Month+1", 1, Day(2028, 1, 31), DateUnit::Month, 1, Key(2028, 2, 29, end)},
        {"Month-1", -1, Day(2025, 1, 15), DateUnit::Month, -1, Key(2024, 12, 1, 1)},
        {"Month+12", 1, Day(2099, 2, 1), DateUnit::Month, 12, Key(2100, 2, 28, end)},
        {"Quarter+1", -1, Day(2024, 11, 15), DateUnit::Quarter, 1, Key(2025, 1, 1, 1)},
        {"Quarter+1", 1, Day(2024, 11, 15), DateUnit::Quarter, 1, Key(2025, 3, 31, end)},
        {"Quarter-1", 1, Day(2028, 5, 1), DateUnit::Quarter, -1, Key(2028, 3, 31, end)},
        {"Quarter", -1, Day(2028, 2, 29), DateUnit::Quarter, 0, Key(2028, 1, 1, 1)},
        {"Year+1", -1, Day(2027, 6, 30), DateUnit::Year, 1, Key(2028, 1, 1, 1)},
        {"Year+1", 1, Day(2027, 6, 30), DateUnit::Year, 1, Key(2028, 12, 31, end)},
        {"Year-1", 1, Day(2100, 1, 1), DateUnit::Year, -1, Key(2099, 12, 31, end)},
        {"Year", 1, Day(2028, 2, 29), DateUnit::Year, 0, Key(2028, 12, 31, end)},
        {"File", -1, Day(2028, 6, 15), DateUnit::File, 0, Key(2028, 1, 1, 1)},
        {"File", 1, Day(2028, 6, 15), DateUnit::File, 0, Key(2028, 12, 31, end)},
        {"File+1", 1, Day(2028, 6, 15), DateUnit::File, 1, Key(2029, 1, 1, end)},
        {"File-306", 1, Day(2028, 6, 15), DateUnit::File, -306, Key(2028, 2, 29, end)},
        {"Reference", 1, Day(2028, 2, 28), DateUnit::Reference, 0, Key(2028, 2, 28, end)},
        {"Reference+1", -1, Day(2028, 2, 28), DateUnit::Reference, 1, Key(2028, 2, 29, 1)},
        {"Reference-1", 1, Day(2100, 3, 1), DateUnit::Reference, -1, Key(2100, 2, 28, end)},
        {"Reference+7", -1, Day(2027, 12, 28), DateUnit::Reference, 7, Key(2028, 1, 4, 1)},
        {"Day+0", 1, Day(2028, 2, 29), DateUnit::Day, 0, Key(2028, 2, 29, end)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " side " + std::to_string(c.side));
        DateExpression expression(nullptr, c.side);
        ASSERT_TRUE(expression.ParseCString(c.text));
        expression.ResolveOn(c.today);
        EXPECT_EQ(expression.Unit(), c.unit);
        EXPECT_EQ(expression.Offset(), c.offset);
        EXPECT_EQ(expression.Text(), nullptr);
        EXPECT_EQ(KeyText(expression.Value()), KeyText(c.expected));
    }
}

// Unit words are prefixes of the unit names in any case, with the offset after them; a leading
// key (the display form) or a word that names nothing is passed over.
TEST_F(DateExpressionTest, UnitWordsAndTheirTextForm)
{
    struct Case {
        const char* text;
        DateUnit unit;
        int32_t offset;
        const char* unitPart;
    };
    const Case cases[] = {
        {"Mon-1", DateUnit::Month, -1, "Month-1"},
        {"q", DateUnit::Quarter, 0, "Quarter"},
        {"YEAR + 2", DateUnit::Year, 2, "Year+2"},
        {"d", DateUnit::Day, 0, "Day"},
        {"w-0", DateUnit::Week, 0, "Week"},
        {"f", DateUnit::File, 0, "File"},
        {"r+7", DateUnit::Reference, 7, "Reference+7"},
        {"  month\t ", DateUnit::Month, 0, "Month"},
        {"240301-001 Month-1", DateUnit::Month, -1, "Month-1"},
        {"next month", DateUnit::Month, 0, "Month"},
        {"Reference-30", DateUnit::Reference, -30, "Reference-30"},
        {"Day+2147483647", DateUnit::Day, INT32_MAX, "Day+2147483647"},
        {"Day-2147483648", DateUnit::Day, INT32_MIN, "Day-2147483648"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DateExpression expression(nullptr, -1);
        ASSERT_TRUE(ParseExact(expression, c.text));
        EXPECT_EQ(expression.Unit(), c.unit);
        EXPECT_EQ(expression.Offset(), c.offset);
        EXPECT_EQ(UnitPart(expression), c.unitPart);

        // The display form is the key, a blank and the unit part, and reads back as the same.
        std::string display = Display(expression);
        EXPECT_EQ(display.substr(display.find(' ') + 1), c.unitPart);
        DateExpression again(nullptr, -1);
        ASSERT_TRUE(ParseExact(again, display));
        EXPECT_TRUE(again.Equals(expression));
    }
    EXPECT_EQ(DateExpression::UnitFromName("m"), DateUnit::Month);
    EXPECT_EQ(DateExpression::UnitFromName("REF"), DateUnit::Reference);
    EXPECT_EQ(DateExpression::UnitFromName(""), DateUnit::Absolute);
    EXPECT_EQ(DateExpression::UnitFromName("Monthly"), DateUnit::Absolute);
    EXPECT_EQ(DateExpression::UnitFromName("Referencee"), DateUnit::Absolute);
    EXPECT_EQ(DateExpression::UnitFromName(std::string_view("M\0x", 3)), DateUnit::Absolute);
}

TEST_F(DateExpressionTest, AbsoluteKeys)
{
    struct Case {
        const char* text;
        int32_t side;
        CardKey expected;
        const char* display;
    };
    const int32_t end = kOpenEndNumber;
    const Case cases[] = {
        {"240131", 1, Key(2024, 1, 31, end), "240131-999"},
        {"240131", -1, Key(2024, 1, 31, 1), "240131-001"},
        {"240131-5", -1, Key(2024, 1, 31, 5), "240131-005"},
        {"240131-5", 1, Key(2024, 1, 31, 5), "240131-005"},
        // The largest number the base's three digits show is the open end on the "to" side.
        {"240131-999", 1, Key(2024, 1, 31, end), "240131-999"},
        {"240131-999", -1, Key(2024, 1, 31, 999), "240131-999"},
        {"20280229", -1, Key(2028, 2, 29, 1), "20280229-001"},
        {"20280229-7", 1, Key(2028, 2, 29, 7), "20280229-007"},
        {"000229", -1, Key(2000, 2, 29, 1), "000229-001"},
        {"21000229", -1, Key(2100, 2, 28, 1), "21000228-001"},
        {"240231", 1, Key(2024, 2, 29, end), "240229-999"},
        {"24 01 31", -1, Key(2024, 1, 31, 1), "240131-001"},
        {" 2412 ", 1, Key(2024, 12, 31, end), "241231-999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " side " + std::to_string(c.side));
        DateExpression expression(nullptr, c.side);
        ASSERT_TRUE(ParseExact(expression, c.text));
        EXPECT_EQ(expression.Unit(), DateUnit::Absolute);
        EXPECT_EQ(expression.Text(), nullptr);
        EXPECT_EQ(KeyText(expression.Value()), KeyText(c.expected));
        EXPECT_EQ(Display(expression), c.display);
        DateExpression again(nullptr, c.side);
        ASSERT_TRUE(ParseExact(again, Display(expression)));
        EXPECT_TRUE(again.Equals(expression));
    }
}

// Texts that name nothing never fail hard: the expression is left absolute with the empty key (or
// with whatever key the digits of the text make), and every text form stays within its room.
TEST_F(DateExpressionTest, BadTexts)
{
    const char* nothing[] = {"", "   ", "xyz", "+", "-", "-5", "+-", "Monthly", "Summers", "\xFF\xFE\x80",
                             "\t", "--3"};
    for (const char* text : nothing) {
        SCOPED_TRACE(text);
        DateExpression expression(nullptr, 1);
        expression.SetValue(Key(2024, 1, 1, 1));
        EXPECT_FALSE(ParseExact(expression, text));
        EXPECT_EQ(expression.Unit(), DateUnit::Absolute);
        EXPECT_EQ(KeyText(expression.Value()), "empty");
    }
    EXPECT_FALSE(DateExpression(nullptr, 1).ParseCString(nullptr));
    EXPECT_FALSE(DateExpression(nullptr, 1).Parse("240131", -3));

    std::string huge(300, '9');
    std::string hugeWord = "Day+" + std::string(40, '9');
    const std::string odd[] = {huge, hugeWord, "Year+99999999999", "Week-2147483648", "Quarter+2147483647",
                               "99-99-99", "240131-99999999999999", "Q2", std::string("2401\0" "31", 7),
                               "240131 ¥$|", "Summer+Winter", "Seasons++", "0", "-240131"};
    for (const std::string& text : odd) {
        for (int32_t side : {-1, 1}) {
            SCOPED_TRACE(text + " side " + std::to_string(side));
            DateExpression expression(nullptr, side);
            (void)ParseExact(expression, text);
            PackedDate date = expression.Value().date;
            if (date != 0) {
                EXPECT_GE(PackedDateYear(date), kFirstPackedYear);
                EXPECT_LE(PackedDateYear(date), kLastPackedYear);
                EXPECT_LE(PackedDateDay(date), DaysInMonthOfPackedDate(date));
            }
            char buffer[kDateExpressionTextCapacity + 8];
            std::memset(buffer, 'x', sizeof buffer);
            expression.FormatToBuffer(buffer);
            EXPECT_LT(std::strlen(buffer), size_t(kDateExpressionTextCapacity));
        }
    }
    // Extreme offsets stay within the calendar.
    DateExpression far(nullptr, 1);
    ASSERT_TRUE(far.ParseCString("Year+2147483647"));
    far.ResolveOn(Day(2028, 2, 29));
    EXPECT_EQ(KeyText(far.Value()), KeyText(Key(9999, 12, 31, kOpenEndNumber)));
    ASSERT_TRUE(far.ParseCString("Day-2147483648"));
    far.ResolveOn(Day(2028, 2, 29));
    EXPECT_EQ(KeyText(far.Value()), KeyText(Key(1900, 1, 1, kOpenEndNumber)));
}

TEST_F(DateExpressionTest, TimeScalePeriodsAndNames)
{
    struct Case {
        const char* text;
        int32_t side;
        DateUnit unit;
        const char* stored;
        int32_t offset;
        CardKey expected;
        const char* display;
    };
    const int32_t end = kOpenEndNumber;
    const Case cases[] = {
        {"Summer+1", -1, DateUnit::Period, "Summer", 1, Key(2024, 9, 1, 1), "240901-001 Summer+1"},
        {"summer - 1", 1, DateUnit::Period, "Summer", -1, Key(2024, 5, 31, end), "240531-999 Summer-1"},
        {"240601-001 Summer", -1, DateUnit::Period, "Summer", 0, Key(2024, 6, 1, 1), "240601-001 Summer"},
        {"Winter+5", 1, DateUnit::Period, "Winter", 5, Key(2025, 2, 28, end), "250228-999 Winter+5"},
        // Today (below) is in autumn.
        {"Seasons", -1, DateUnit::TimeScale, "Seasons", 0, Key(2024, 9, 1, 1), "240901-001 Seasons"},
        {"seasons-1", 1, DateUnit::TimeScale, "Seasons", -1, Key(2024, 8, 31, end), "240831-999 Seasons-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DateExpression expression(nullptr, c.side);
        ASSERT_TRUE(ParseExact(expression, c.text));
        expression.ResolveOn(Day(2024, 10, 15));
        EXPECT_EQ(expression.Unit(), c.unit);
        ASSERT_NE(expression.Text(), nullptr);
        EXPECT_STREQ(expression.Text(), c.stored);
        EXPECT_EQ(expression.Offset(), c.offset);
        EXPECT_EQ(KeyText(expression.Value()), KeyText(c.expected));
        EXPECT_EQ(Display(expression), c.display);
        DateExpression again(nullptr, c.side);
        ASSERT_TRUE(ParseExact(again, Display(expression)));
        EXPECT_TRUE(again.Equals(expression));
    }

    // A unit word comes before a label: "q" is the quarter even with labels to match.
    DateExpression quarter(nullptr, -1);
    ASSERT_TRUE(quarter.ParseCString("q"));
    EXPECT_EQ(quarter.Unit(), DateUnit::Quarter);

    // A label longer than a base-file field can carry is kept cut before a whole character.
    DateExpression longLabel(nullptr, -1);
    ASSERT_TRUE(longLabel.ParseCString("Long+2"));
    EXPECT_EQ(longLabel.Unit(), DateUnit::Period);
    ASSERT_NE(longLabel.Text(), nullptr);
    size_t kept = std::strlen(longLabel.Text());
    EXPECT_EQ(kept, size_t(126));
    EXPECT_TRUE(Utf8IsValid(longLabel.Text(), int32_t(kept)));
    char buffer[kDateExpressionTextCapacity];
    longLabel.FormatToBuffer(buffer);
    EXPECT_EQ(std::string(buffer), "20300101-001 " + std::string(longLabel.Text()) + "+2");

    // Without time scales no text names a period.
    ScopedService<TimeScaleLookup> noTimeScales(nullptr);
    DateExpression none(nullptr, -1);
    EXPECT_FALSE(none.ParseCString("Summer"));
    EXPECT_EQ(none.Unit(), DateUnit::Absolute);
}

// A period label or time scale that goes away turns the expression into "File".
TEST_F(DateExpressionTest, VanishedPeriodBecomesFile)
{
    DateExpression period(nullptr, -1);
    ASSERT_TRUE(period.ParseCString("Summer+1"));
    DateExpression scale(nullptr, 1);
    ASSERT_TRUE(scale.ParseCString("Seasons"));

    timeScales.Remove("Summer");
    RecordingField field;
    EXPECT_TRUE(period.DependsOnChange(ChangeRecord(51, nullptr), &field));
    EXPECT_EQ(period.Unit(), DateUnit::File);
    EXPECT_EQ(period.Offset(), 0);
    EXPECT_EQ(period.Text(), nullptr);
    EXPECT_TRUE(period.IsPlainFile());
    EXPECT_EQ(field.text, Display(period));

    // Code 52 (a time scale added) does not concern it; 53 (one deleted) does.
    timeScales.name.clear();
    EXPECT_FALSE(scale.DependsOnChange(ChangeRecord(52, nullptr), nullptr));
    EXPECT_EQ(scale.Unit(), DateUnit::TimeScale);
    scale.DependsOnChange(ChangeRecord(53, nullptr), nullptr);
    EXPECT_TRUE(scale.IsPlainFile());

    // SetUnit gives a time-scale unit no text, so it cannot stay one.
    DateExpression set(nullptr, 1);
    set.SetUnit(DateUnit::Period);
    EXPECT_TRUE(set.IsPlainFile());
}

TEST_F(DateExpressionTest, DependsOnChange)
{
    RecordingField field;
    // A date far from today, so that resolving again for today moves the key.
    DateExpression month(nullptr, -1);
    ASSERT_TRUE(month.ParseCString("Month-1"));
    month.ResolveOn(Day(1950, 6, 15));
    EXPECT_FALSE(month.DependsOnChange(ChangeRecord(kChangeCards, nullptr), &field));
    EXPECT_FALSE(month.DependsOnChange(ChangeRecord(kChangeReferenceDate, nullptr), &field));
    EXPECT_FALSE(month.DependsOnChange(ChangeRecord(54, nullptr), &field));
    EXPECT_EQ(field.calls, 0);
    EXPECT_TRUE(month.DependsOnChange(ChangeRecord(0, nullptr), &field));
    EXPECT_EQ(field.text, Display(month));
    EXPECT_EQ(field.calls, 1);
    // Nothing moved the second time.
    EXPECT_FALSE(month.DependsOnChange(ChangeRecord(0, nullptr), &field));
    EXPECT_EQ(field.calls, 1);

    DateExpression file(nullptr, 1);
    file.SetUnit(DateUnit::File);
    file.ResolveOn(Day(1950, 6, 15));
    EXPECT_TRUE(file.DependsOnChange(ChangeRecord(kChangeCardContents, nullptr), nullptr));
    file.ResolveOn(Day(1950, 6, 15));
    EXPECT_TRUE(file.DependsOnChange(ChangeRecord(kChangeCards, nullptr), nullptr));

    DateExpression reference(nullptr, 1);
    reference.SetUnit(DateUnit::Reference);
    reference.ResolveOn(Day(1950, 6, 15));
    EXPECT_FALSE(reference.DependsOnChange(ChangeRecord(kChangeCards, nullptr), nullptr));
    EXPECT_TRUE(reference.DependsOnChange(ChangeRecord(kChangeReferenceDate, nullptr), nullptr));

    // An absolute key never moves; code 29 only shows the expression again.
    DateExpression absolute(nullptr, 1);
    ASSERT_TRUE(absolute.ParseCString("240131"));
    EXPECT_FALSE(absolute.DependsOnChange(ChangeRecord(0, nullptr), &field));
    EXPECT_EQ(field.calls, 1);
    EXPECT_FALSE(absolute.DependsOnChange(ChangeRecord(kChangeCardNumberDigits, nullptr), &field));
    EXPECT_EQ(field.calls, 2);
    EXPECT_EQ(field.text, "240131-999");
    EXPECT_FALSE(absolute.DependsOnChange(ChangeRecord(kChangeCardNumberDigits, nullptr), nullptr));
}

TEST_F(DateExpressionTest, EqualsAssignAndClear)
{
    DateExpression a(nullptr, -1);
    DateExpression b(nullptr, -1);
    ASSERT_TRUE(a.ParseCString("Month-1"));
    ASSERT_TRUE(b.ParseCString("mon - 1"));
    b.ResolveOn(Day(2000, 1, 1));
    EXPECT_TRUE(a.Equals(b));  // relative units compare by offset, not by the key of the moment
    ASSERT_TRUE(b.ParseCString("Month-2"));
    EXPECT_FALSE(a.Equals(b));
    DateExpression otherSide(nullptr, 1);
    ASSERT_TRUE(otherSide.ParseCString("Month-1"));
    EXPECT_FALSE(a.Equals(otherSide));

    ASSERT_TRUE(a.ParseCString("240131-5"));
    ASSERT_TRUE(b.ParseCString("240131-5"));
    EXPECT_TRUE(a.Equals(b));
    ASSERT_TRUE(b.ParseCString("240131-6"));
    EXPECT_FALSE(a.Equals(b));

    ASSERT_TRUE(a.ParseCString("Summer+1"));
    ASSERT_TRUE(b.ParseCString("SUMMER+1"));
    EXPECT_TRUE(a.Equals(b));
    ASSERT_TRUE(b.ParseCString("Autumn+1"));
    EXPECT_FALSE(a.Equals(b));

    // Assign copies unit, offset and text and resolves on this side.
    otherSide.Assign(a);
    EXPECT_EQ(otherSide.Side(), 1);
    EXPECT_EQ(otherSide.Unit(), DateUnit::Period);
    EXPECT_STREQ(otherSide.Text(), "Summer");
    EXPECT_EQ(KeyText(otherSide.Value()), KeyText(Key(2024, 11, 30, kOpenEndNumber)));
    otherSide.Assign(otherSide);
    EXPECT_STREQ(otherSide.Text(), "Summer");

    otherSide.Clear();
    EXPECT_EQ(otherSide.Unit(), DateUnit::Absolute);
    EXPECT_EQ(otherSide.Text(), nullptr);
    EXPECT_EQ(KeyText(otherSide.Value()), "empty");

    // A unit outside the table is ignored.
    a.SetUnit(DateUnit::Year);
    a.SetUnit(static_cast<DateUnit>(42));
    a.SetUnit(static_cast<DateUnit>(-1));
    EXPECT_EQ(a.Unit(), DateUnit::Year);
}

TEST_F(DateExpressionTest, ParseAndNormalize)
{
    struct Case {
        const char* text;
        int32_t side;
        DateUnit unit;
        const char* unitPart;  // the display form ends with it
    };
    const Case cases[] = {
        {"", 1, DateUnit::File, " File"},
        {"nonsense", -1, DateUnit::File, " File"},
        {"mon-1", -1, DateUnit::Month, " Month-1"},
        {"240131", 1, DateUnit::Absolute, "240131-999"},
        {"summer", 1, DateUnit::Period, " Summer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DateExpression expression(nullptr, c.side);
        String text;
        text.AssignCStr(c.text);
        expression.ParseAndNormalize(text);
        EXPECT_EQ(expression.Unit(), c.unit);
        std::string shown = text.CStr();
        EXPECT_EQ(shown, Display(expression));
        ASSERT_GE(shown.size(), std::strlen(c.unitPart));
        EXPECT_EQ(shown.substr(shown.size() - std::strlen(c.unitPart)), c.unitPart);
    }
}

// The base-file field of each kind of expression, and reading it back.
TEST_F(DateExpressionTest, WriteAndReadFields)
{
    struct Case {
        const char* text;
        int32_t side;
        const char* field;
    };
    const Case cases[] = {
        {"240131", 1, "240131"},
        {"240131", -1, "240131"},
        {"240131-5", -1, "240131-5"},
        {"240131-5", 1, "240131-5"},
        {"240131-999", -1, "240131-999"},
        {"20280229", 1, "20280229"},
        {"21001231-12", -1, "21001231-12"},
        {"Month-1", -1, "Month-1"},
        {"Year", 1, "Year"},
        {"Reference+7", 1, "Reference+7"},
        {"File", 1, "File"},
        {"Summer+1", -1, "240901-1 Summer+1"},
        {"Seasons-1", 1, "240831-2147483647 Seasons-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DateExpression expression(nullptr, c.side);
        ASSERT_TRUE(expression.ParseCString(c.text));
        if (expression.Unit() == DateUnit::TimeScale)
            expression.ResolveOn(Day(2024, 10, 15));
        TextWriter writer;
        writer.PutText("R");
        expression.Write(writer);
        writer.EndRow();
        EXPECT_EQ(std::string(writer.BufferedBytes()), std::string("R\t") + c.field + "\r");

        TextReader reader(writer);
        ASSERT_TRUE(reader.ReadLine());
        ASSERT_TRUE(reader.NextField());
        DateExpression back(nullptr, c.side);
        back.Read(reader);
        EXPECT_TRUE(back.Equals(expression));
        if (expression.Unit() != DateUnit::TimeScale) {
            EXPECT_EQ(KeyText(back.Value()), KeyText(expression.Value()));
        }
    }
}

// A period whose label is unknown when the field is read (the time scales come later in the file)
// falls back to the key stored before the label; the label's digits are no part of that key.
TEST_F(DateExpressionTest, StoredPeriodKeyWithoutItsTimeScale)
{
    ScopedService<TimeScaleLookup> noTimeScales(nullptr);
    DateExpression expression(nullptr, -1);
    ASSERT_TRUE(expression.ParseCString("240401-1 Q2+1"));
    EXPECT_EQ(expression.Unit(), DateUnit::Absolute);
    EXPECT_EQ(KeyText(expression.Value()), KeyText(Key(2024, 4, 1, 1)));
    ASSERT_TRUE(expression.ParseCString("240401-2 2025-Q2"));
    EXPECT_EQ(KeyText(expression.Value()), KeyText(Key(2024, 4, 1, 2)));
}

TEST_F(DateExpressionTest, ReadingFields)
{
    struct Case {
        const char* line;  // the key field "R" comes first
        DateFieldStyle style;
        DateUnit unit;
        CardKey expected;  // absolute results only
    };
    const Case cases[] = {
        {"R\txyz", DateFieldStyle::Sections, DateUnit::File, {}},
        {"R\t$", DateFieldStyle::Sections, DateUnit::File, {}},
        {"R\t$", DateFieldStyle::Bullets, DateUnit::Month, {}},
        {"R\t#", DateFieldStyle::Bullets, DateUnit::Day, {}},
        {"R\t\xC2\xA5", DateFieldStyle::Bullets, DateUnit::Year, {}},          // yen sign
        {"R\t\xC6\x92", DateFieldStyle::Bullets, DateUnit::File, {}},          // florin
        {"R\t\xE2\x88\xAB", DateFieldStyle::Bullets, DateUnit::File, {}},      // integral
        {"R\t|", DateFieldStyle::Bullets, DateUnit::Reference, {}},
        {"R\t95/01/31", DateFieldStyle::Bullets, DateUnit::Absolute, Key(1995, 1, 31, 1)},
        {"R\t95:01:31", DateFieldStyle::Bullets, DateUnit::Absolute, Key(1995, 1, 31, 1)},
        {"R\tmonth", DateFieldStyle::Bullets, DateUnit::Month, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TextReader reader(c.line, int64_t(std::strlen(c.line)));
        ASSERT_TRUE(reader.ReadLine());
        ASSERT_TRUE(reader.NextField());
        DateExpression expression(nullptr, -1);
        expression.Read(reader, c.style);
        EXPECT_EQ(expression.Unit(), c.unit);
        if (c.unit == DateUnit::Absolute) {
            EXPECT_EQ(KeyText(expression.Value()), KeyText(c.expected));
        } else {
            EXPECT_NE(expression.Value().date, PackedDate(0));
        }
    }

    // An empty field, and no field at all, leave the expression as it was.
    for (const char* line : {"R\t\tMonth", "R"}) {
        SCOPED_TRACE(line);
        TextReader reader(line, int64_t(std::strlen(line)));
        ASSERT_TRUE(reader.ReadLine());
        ASSERT_TRUE(reader.NextField());
        DateExpression expression(nullptr, -1);
        ASSERT_TRUE(expression.ParseCString("Year-1"));
        expression.Read(reader);
        EXPECT_EQ(expression.Unit(), DateUnit::Year);
        EXPECT_EQ(expression.Offset(), -1);
    }

    // A field longer than an expression is read cut, never past its buffer.
    std::string line = "R\t" + std::string(400, '7') + " " + std::string(400, 'x');
    TextReader reader(line.data(), int64_t(line.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextField());
    DateExpression expression(nullptr, 1);
    expression.Read(reader);
    EXPECT_EQ(expression.Unit(), DateUnit::Absolute);
    EXPECT_NE(expression.Value().date, PackedDate(0));
}

TEST_F(DateExpressionTest, WriteDateRange)
{
    struct Case {
        const char* from;
        const char* to;
        const char* line;
    };
    const Case cases[] = {
        {"File", "File", ""},
        {"File", "Month", "K\t\tMonth\r"},
        {"Year-1", "File", "K\tYear-1\r"},
        {"240101", "241231", "K\t240101\t241231\r"},
        {"File+1", "File-1", "K\tFile+1\tFile-1\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.to);
        DateExpression from(nullptr, -1);
        DateExpression to(nullptr, 1);
        ASSERT_TRUE(from.ParseCString(c.from));
        ASSERT_TRUE(to.ParseCString(c.to));
        TextWriter writer;
        WriteDateRange(writer, "K", from, to);
        EXPECT_EQ(std::string(writer.BufferedBytes()), c.line);
        if (*c.line == 0)
            continue;

        // Read back into expressions that start as plain File, as a template's do.
        TextReader reader(writer);
        ASSERT_TRUE(reader.ReadLine());
        ASSERT_TRUE(reader.NextField());
        DateExpression fromBack(nullptr, -1);
        DateExpression toBack(nullptr, 1);
        fromBack.SetUnit(DateUnit::File);
        toBack.SetUnit(DateUnit::File);
        fromBack.Read(reader);
        toBack.Read(reader);
        EXPECT_TRUE(fromBack.Equals(from));
        EXPECT_TRUE(toBack.Equals(to));
    }
}

class DateExpressionBaseTest : public DateExpressionTest {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    HeadlessModelServices services;
    ScopedService<ModelServices> registeredServices{&services};
};

// "File" is the base's first or last card (the current year while it has none), moved by days.
TEST_F(DateExpressionBaseTest, FileFollowsTheCards)
{
    Base base(FilePath(), 0);
    DateExpression from(&base, -1);
    DateExpression to(&base, 1);
    from.SetUnit(DateUnit::File);
    to.SetUnit(DateUnit::File);
    CardKey yearStart;
    CardKey yearEnd;
    CardKeyOfYearEdge(yearStart, -1, 0);
    CardKeyOfYearEdge(yearEnd, 1, 0);
    EXPECT_EQ(KeyText(from.Value()), KeyText(yearStart));
    EXPECT_EQ(KeyText(to.Value()), KeyText(yearEnd));

    CardKey first = Key(2028, 2, 29, 3);
    CardKey last = Key(2100, 12, 31, 7);
    ASSERT_NE(base.CreateCard(first), nullptr);
    ASSERT_NE(base.CreateCard(last), nullptr);
    EXPECT_TRUE(from.DependsOnChange(ChangeRecord(kChangeCards, &base), nullptr));
    EXPECT_TRUE(to.DependsOnChange(ChangeRecord(kChangeCardContents, &base), nullptr));
    EXPECT_EQ(KeyText(from.Value()), KeyText(Key(2028, 2, 29, 1)));
    EXPECT_EQ(KeyText(to.Value()), KeyText(Key(2100, 12, 31, kOpenEndNumber)));
    EXPECT_FALSE(from.DependsOnChange(ChangeRecord(kChangeCards, &base), nullptr));

    struct Case {
        const char* text;
        int32_t side;
        CardKey expected;
    };
    const Case cases[] = {
        {"File-1", -1, Key(2028, 2, 28, 1)},
        {"File+1", -1, Key(2028, 3, 1, 1)},
        {"File+1", 1, Key(2101, 1, 1, kOpenEndNumber)},
        {"File-365", 1, Key(2099, 12, 31, kOpenEndNumber)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " side " + std::to_string(c.side));
        DateExpression expression(&base, c.side);
        ASSERT_TRUE(expression.ParseCString(c.text));
        EXPECT_EQ(KeyText(expression.Value()), KeyText(c.expected));
    }
}

// "Reference" is the base's reference date, or today while the base has none, moved by days.
TEST_F(DateExpressionBaseTest, ReferenceFollowsTheBase)
{
    Base base(FilePath(), 0);
    DateExpression reference(&base, 1);
    reference.SetUnit(DateUnit::Reference);
    CardKey today;
    CardKeyOfDay(today, 1, 0);
    EXPECT_EQ(KeyText(reference.Value()), KeyText(today));

    DateExpression date(nullptr, 1);
    ASSERT_TRUE(date.ParseCString("20281231"));
    base.SetReferenceDate(date);
    EXPECT_TRUE(reference.DependsOnChange(ChangeRecord(kChangeReferenceDate, &base), nullptr));
    EXPECT_EQ(KeyText(reference.Value()), KeyText(Key(2028, 12, 31, kOpenEndNumber)));

    DateExpression after(&base, -1);
    ASSERT_TRUE(after.ParseCString("Reference+1"));
    EXPECT_EQ(KeyText(after.Value()), KeyText(Key(2029, 1, 1, 1)));
    ASSERT_TRUE(after.ParseCString("Reference-306"));
    EXPECT_EQ(KeyText(after.Value()), KeyText(Key(2028, 2, 29, 1)));
}

// Regression: a base whose own reference date is "Reference+1" counted from itself, so each change
// 38 it posted moved it another day and posted 38 again, up to the year 9999.
TEST_F(DateExpressionBaseTest, ReferenceDateStatedAsReferenceStaysPut)
{
    Base base(FilePath(), 0);
    DateExpression tomorrow(&base, 1);
    ASSERT_TRUE(tomorrow.ParseCString("Reference+1"));
    base.SetReferenceDate(tomorrow);
    CardKey expected;
    CardKeyOfDay(expected, 1, 1);
    EXPECT_EQ(KeyText(base.ReferenceDate().Value()), KeyText(expected));
    base.Notify(kChangeReferenceDate);
    base.Notify(0);
    EXPECT_EQ(KeyText(base.ReferenceDate().Value()), KeyText(expected));
}

// The base's card-number digits shape the display form and the open end typed as a number.
TEST_F(DateExpressionBaseTest, CardNumberDigitsOfTheBase)
{
    Base base(FilePath(), 0);
    base.SetCardNumberDigits(5);
    DateExpression to(&base, 1);
    ASSERT_TRUE(to.ParseCString("240131-99999"));
    EXPECT_EQ(to.Value().number, kOpenEndNumber);
    EXPECT_EQ(Display(to), "240131-99999");
    ASSERT_TRUE(to.ParseCString("240131-999"));
    EXPECT_EQ(to.Value().number, 999);
    EXPECT_EQ(Display(to), "240131-00999");

    RecordingField field;
    base.SetCardNumberDigits(3);
    EXPECT_FALSE(to.DependsOnChange(ChangeRecord(kChangeCardNumberDigits, &base), &field));
    EXPECT_EQ(field.text, "240131-999");
}

}  // namespace
}  // namespace vek
