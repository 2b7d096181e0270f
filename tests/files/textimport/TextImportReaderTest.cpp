// The record reader of the text import: records and fields in every encoding, and the getters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/setups/ImportSetupSettings.h"
#include "files/textimport/TextImportReader.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "foundation/strings/CodePages.h"

namespace vek {
namespace {

using test::ScratchFolder;

FieldSpec Part(int32_t field, int32_t begin = 0, int32_t end = 0, std::string text = {}, std::string suffix = {})
{
    FieldSpec part;
    part.field = field;
    part.begin = begin;
    part.end = end;
    part.text = std::move(text);
    part.suffix = std::move(suffix);
    return part;
}

FieldDefinition Definition(std::vector<FieldSpec> parts)
{
    FieldDefinition definition;
    definition.parts = std::move(parts);
    return definition;
}

class TextImportReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    // Every record's value of one definition (GetText).
    std::vector<std::string> Values(const std::string& bytes, const FieldDefinition& definition)
    {
        std::vector<std::string> values;
        TextImportReader reader(settings);
        EXPECT_TRUE(reader.Open(folder.Write("data.txt", bytes).c_str()));
        std::string value;
        while (reader.NextRecord()) {
            reader.GetText(value, definition);
            values.push_back(value);
        }
        return values;
    }

    ImportReaderSettings settings;
    ScratchFolder folder;
};

TEST_F(TextImportReaderTest, RecordsInEveryEncodingGiveTheSameValues)
{
    // "Zoé;Öl" and "x;y" in each encoding, CR LF line ends, with the encoding's byte-order mark.
    const std::u16string text = u"Zo\u00E9;\u00D6l\r\nx;y";
    for (int32_t encoding = 0; encoding < kEncodingCount; ++encoding) {
        SCOPED_TRACE(EncodingShortName(encoding));
        std::string bytes;
        std::span<const uint8_t> mark = ByteOrderMark(encoding);
        bytes.assign(mark.begin(), mark.end());
        for (char16_t c : text) {
            if (encoding == kEncodingUtf8) {
                char utf8[4];
                int32_t n = c < 0x80 ? (utf8[0] = char(c), 1) : (utf8[0] = char(0xC0 | (c >> 6)), utf8[1] = char(0x80 | (c & 0x3F)), 2);
                bytes.append(utf8, size_t(n));
            } else if (encoding == kEncodingUtf16Le) {
                bytes += char(c & 0xFF);
                bytes += char(c >> 8);
            } else if (encoding == kEncodingUtf16Be) {
                bytes += char(c >> 8);
                bytes += char(c & 0xFF);
            } else {
                bytes += char(CodePageByteFromChar(c, encoding));
            }
        }
        settings.encoding = encoding;
        settings.separator = ';';
        // Terminator 13 stands for any line end, CR LF among them.
        EXPECT_EQ(Values(bytes, Definition({Part(1), Part(2)})), (std::vector<std::string>{"Zoé\xC3\x96l", "xy"}));
        EXPECT_EQ(Values(bytes, Definition({Part(2, 1, 1)})), (std::vector<std::string>{"Ö", "y"}));
    }
}

TEST_F(TextImportReaderTest, FieldsByNumberAndPosition)
{
    settings.separator = ',';
    settings.terminator = 10;
    const std::string data = "abcdef,two\nlast";  // the last record has no terminator
    struct Row {
        const char* name;
        FieldSpec part;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"letters 2-4", Part(1, 2, 4), {"bcd", "ast"}},
        {"2 to the end", Part(1, 2, 0), {"bcdef", "ast"}},
        {"end beyond the field", Part(1, 5, 99), {"ef", ""}},
        {"field 3 of two", Part(3), {"", ""}},
        {"field 2", Part(2), {"two", ""}},
        {"unset part", Part(0), {"", ""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Values(data, Definition({row.part})), row.expected);
    }
    settings.fixedPositions = true;
    EXPECT_EQ(Values(data, Definition({Part(0, 5, 8)})), (std::vector<std::string>{"ef,t", ""}));
    EXPECT_EQ(Values(data, Definition({Part(7)})), (std::vector<std::string>{"", ""}));  // no position: unset
}

// Every record as its fields 1-3 between tabs and, after "|", the field count.
std::vector<std::string> FieldsOfRecords(const ImportReaderSettings& settings, const std::string& path)
{
    std::vector<std::string> records;
    TextImportReader reader(settings);
    EXPECT_TRUE(reader.Open(path.c_str()));
    std::string fields;
    while (reader.NextRecord()) {
        reader.GetTabbedText(fields, Definition({Part(1), Part(2), Part(3)}));
        records.push_back(fields + "|" + std::to_string(reader.CountFields()));
    }
    EXPECT_FALSE(IsErrorPending());
    return records;
}

// Delimited files from other programs: a quoted field shifted the fields after it when its text held
// the separator, and kept its quotes; a setup whose terminator is CR read a file of LF line ends as
// one record. Files without quotes read as they always did.
TEST_F(TextImportReaderTest, QuotedFieldsAndEveryKindOfLineEnd)
{
    struct Row {
        const char* name;
        uint16_t terminator;
        std::string data;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"no quotes", 10, "a,b,c\nd\n", {"a\tb\tc|3", "d\t\t|1"}},
        {"a separator inside quotes", 10, "\"a,b\",c\n", {"a,b\tc\t|2"}},
        {"the amount of a bank file", 10, "07/01/2024,\"Rent\",\"1,200.00\"\n", {"07/01/2024\tRent\t1,200.00|3"}},
        {"a doubled quote", 10, "\"say \"\"hi\"\"\",x\n", {"say \"hi\"\tx\t|2"}},
        {"an empty quoted field", 10, "\"\",x\n", {"\tx\t|2"}},
        {"a line end inside quotes", 10, "\"a\r\nb\",c\nd\n", {"a b\tc\t|2", "d\t\t|1"}},
        {"text after the closing quote", 10, "\"a\"b,c\n", {"ab\tc\t|2"}},
        {"a quote inside a field", 10, "a\"b,c\n", {"a\"b\tc\t|2"}},
        {"a quote never closed", 10, "\"a,b\nc\n", {"\"a\tb\t|2", "c\t\t|1"}},
        {"a quote at the end of the file", 10, "a,\"", {"a\t\"\t|2"}},
        {"LF ends, terminator CR", 13, "a,b\nc\n", {"a\tb\t|2", "c\t\t|1"}},
        {"CR LF ends, terminator CR", 13, "a,b\r\nc", {"a\tb\t|2", "c\t\t|1"}},
        {"CR ends, terminator LF", 10, "a\rb\r\n\nc", {"a\t\t|1", "b\t\t|1", "\t\t|1", "c\t\t|1"}},
        {"another terminator keeps line ends in records", ';', "a\nb;c\r\n", {"ab\t\t|1", "c\t\t|1"}},
    };
    settings.separator = ',';
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings.terminator = row.terminator;
        EXPECT_EQ(FieldsOfRecords(settings, folder.Write("data.txt", row.data)), row.expected);
    }
    // UTF-16: quotes and line ends are 16-bit units.
    settings.encoding = kEncodingUtf16Be;
    settings.terminator = 13;
    std::string wide;
    for (char c : std::string("\"a,\"\"b\",c\nd"))
        wide += std::string{'\0', c};
    EXPECT_EQ(FieldsOfRecords(settings, folder.Write("wide.txt", wide)),
              (std::vector<std::string>{"a,\"b\tc\t|2", "d\t\t|1"}));
    // In fixed positions a quote is a character like others.
    settings = ImportReaderSettings();
    settings.terminator = 10;
    settings.fixedPositions = true;
    EXPECT_EQ(Values("\"a,b\"\n", Definition({Part(0, 1, 3)})), (std::vector<std::string>{"\"a,"}));
}

// A CR that closes a full buffer ends its record, and the LF after it in the next fill is no record
// of its own.
TEST_F(TextImportReaderTest, LineEndSplitAcrossTheBuffer)
{
    settings.terminator = 13;
    std::string full(TextImportReader::kBufferBytes - 1, 'x');
    TextImportReader reader(settings);
    ASSERT_TRUE(reader.Open(folder.Write("split.txt", "a\n" + full + "\r\nb\r\n").c_str()));
    std::vector<size_t> sizes;
    while (reader.NextRecord())
        sizes.push_back(reader.Record().size());
    EXPECT_FALSE(IsErrorPending());
    EXPECT_EQ(sizes, (std::vector<size_t>{1, full.size(), 1}));
}

TEST_F(TextImportReaderTest, CharacterClassesAndByteCounts)
{
    settings.terminator = 10;
    settings.fixedPositions = true;
    // Skipped characters keep their position; dropped ones take none; translation maps pairs.
    settings.skipChars = "-";
    settings.dropChars = "*";
    settings.translateFrom = "ab";
    settings.translateTo = "AB";
    EXPECT_EQ(Values("a-b**cd\n", Definition({Part(0, 1, 4)})), (std::vector<std::string>{"ABc"}));
    // Count bytes: "é" takes two positions; a selection that begins inside it leaves it out.
    settings = ImportReaderSettings();
    settings.terminator = 10;
    settings.fixedPositions = true;
    settings.countBytes = true;
    EXPECT_EQ(Values("\xC3\xA9xyz\n", Definition({Part(0, 3, 4)})), (std::vector<std::string>{"xy"}));
    EXPECT_EQ(Values("\xC3\xA9xyz\n", Definition({Part(0, 2, 3)})), (std::vector<std::string>{"x"}));
    settings.countBytes = false;
    EXPECT_EQ(Values("\xC3\xA9xyz\n", Definition({Part(0, 2, 3)})), (std::vector<std::string>{"xy"}));
}

TEST_F(TextImportReaderTest, GettersJoinSuffixesCasesAndConstants)
{
    settings.separator = ';';
    settings.terminator = 10;
    TextImportReader reader(settings);
    ASSERT_TRUE(reader.Open(folder.Write("g.txt", "H; north ;;shop;12;3\n").c_str()));
    ASSERT_TRUE(reader.NextRecord());
    EXPECT_EQ(reader.CountFields(), 6);
    std::string out;
    FieldDefinition joined = Definition({Part(2, 0, 0, {}, "-"), Part(3, 0, 0, {}, "/"), Part(4)});
    reader.GetJoinedText(out, joined, 2);
    EXPECT_EQ(out, "NORTH /SHOP");  // the empty value between takes no suffix of its own
    reader.GetTextWithSuffixes(out, joined);
    EXPECT_EQ(out, " north -/shop");
    reader.GetTabbedText(out, joined);
    EXPECT_EQ(out, " north -\t/\tshop");
    reader.GetJoinedText(out, Definition({Part(3, 0, 0, "default")}), 0);
    EXPECT_EQ(out, "default");
    EXPECT_TRUE(reader.MatchesConstants(Definition({Part(1, 0, 0, "H"), Part(3)})));
    EXPECT_FALSE(reader.MatchesConstants(Definition({Part(1, 0, 0, "L")})));
    EXPECT_FALSE(reader.GetWordsAndMatch(out, Definition({Part(1, 0, 0, "H"), Part(4)})));
    EXPECT_EQ(out, "H shop");
    EXPECT_TRUE(reader.GetAmountExpression(out, Definition({Part(5, 0, 0, {}, "*"), Part(6)}), '.'));
    EXPECT_EQ(out, "12*3");
    StampedText stamp;
    reader.GetStamp(stamp, Definition({Part(3, 0, 0, "2403011200ABC")}));
    EXPECT_STREQ(stamp.code, "ABC");
}

TEST_F(TextImportReaderTest, LongRecordsAndJoinsAreRefusedNotCut)
{
    settings.terminator = 10;
    std::string longRecord(TextImportReader::kBufferBytes, 'x');
    TextImportReader reader(settings);
    ASSERT_TRUE(reader.Open(folder.Write("long.txt", "a\n" + longRecord + "\nb\n").c_str()));
    ASSERT_TRUE(reader.NextRecord());
    EXPECT_FALSE(reader.NextRecord());
    EXPECT_EQ(GetPendingError().message.code, message::kImportRecordTooLong);
    ClearError();

    // One byte less than the buffer still reads, with its terminator in the next fill.
    TextImportReader fits(settings);
    ASSERT_TRUE(fits.Open(folder.Write("fits.txt", "a\n" + longRecord.substr(1) + "\nb").c_str()));
    std::vector<size_t> sizes;
    while (fits.NextRecord())
        sizes.push_back(fits.Record().size());
    EXPECT_FALSE(IsErrorPending());
    EXPECT_EQ(sizes, (std::vector<size_t>{1, size_t(TextImportReader::kBufferBytes - 1), 1}));

    // Joins that would not fit are refused; those that fit take the separator between records.
    settings.separator = ',';
    TextImportReader joins(settings);
    ASSERT_TRUE(joins.Open(folder.Write("join.txt", "a\nb\nc\n" + longRecord.substr(1) + "\n").c_str()));
    ASSERT_TRUE(joins.NextRecord());
    ASSERT_TRUE(joins.JoinRecords(2));
    EXPECT_EQ(joins.Record(), "a,b");
    ASSERT_TRUE(joins.NextRecord());
    EXPECT_FALSE(joins.JoinRecords(2));
    EXPECT_EQ(GetPendingError().message.code, message::kImportRecordTooLong);
}

}  // namespace
}  // namespace vek
