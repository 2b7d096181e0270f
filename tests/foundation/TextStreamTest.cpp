// Tests of the file text streams: encodings, line breaks across buffers, and failed or cancelled saves.
#include "foundation/streams/TextStreams.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CodePages.h"
#include "foundation/streams/MemoryByteFile.h"
#include "support/InMemoryFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/Utf8.h"

namespace vek {
namespace {

// The streams over the in-memory files (MemoryByteFile.h), emptied after each test; the same streams
// over the platform's files are tested in tests/platform/ForkByteFileTest.cpp.
class TextStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        MemoryFiles().Clear();
        ClearError();
    }

    static std::string PathOf(const char* name) { return std::string("/streams/") + name; }
    static std::string Contents(const std::string& path) { return MemoryFiles().Get(path).value_or(""); }
    static void Put(const std::string& path, const std::string& bytes) { MemoryFiles().Put(path, bytes); }
};

std::vector<std::string> LinesOf(FileTextReader& reader)
{
    std::vector<std::string> lines;
    while (reader.ReadLine())
        lines.emplace_back(reader.LineStart(), size_t(reader.LineLength()));
    return lines;
}

TEST_F(TextStreamTest, WriterMarksNewFilesAndAppends)
{
    std::string path = PathOf("a.txt");
    {
        FileTextWriter writer;
        ASSERT_TRUE(writer.Open(path.c_str()));
        writer.PutText("abc");
        ASSERT_TRUE(writer.Close());
    }
    EXPECT_EQ(Contents(path), "\xEF\xBB\xBF" "abc");
    {
        FileTextWriter writer;
        ASSERT_TRUE(writer.Open(path.c_str(), kTextFileAppend));
        writer.PutText("d");
        ASSERT_TRUE(writer.Close());
    }
    EXPECT_EQ(Contents(path), "\xEF\xBB\xBF" "abcd");
    {
        FileTextWriter writer;
        ASSERT_TRUE(writer.Open(path.c_str(), kTextFileNoByteOrderMark));
        writer.PutText("abc");
        ASSERT_TRUE(writer.Close());
    }
    EXPECT_EQ(Contents(path), "abc");
    // Appending to an empty file writes the mark first.
    std::string empty = PathOf("empty.txt");
    Put(empty, "");
    FileTextWriter writer;
    ASSERT_TRUE(writer.Open(empty.c_str(), kTextFileAppend));
    writer.PutText("x");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(Contents(empty), "\xEF\xBB\xBF" "x");
}

TEST_F(TextStreamTest, WriterEncodings)
{
    std::string path = PathOf("u16.txt");
    FileTextWriter writer;
    ASSERT_TRUE(writer.SetEncoding(kEncodingUtf16Le));
    ASSERT_TRUE(writer.Open(path.c_str()));
    writer.PutText("a");
    writer.EndRow();
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(Contents(path), std::string("\xFF\xFE" "a\0\r\0", 6));
}

TEST_F(TextStreamTest, ShorterRewriteLeavesNoTail)
{
    std::string path = PathOf("r.txt");
    Put(path, std::string(100, 'o'));
    FileTextWriter writer;
    ASSERT_TRUE(writer.Open(path.c_str()));
    writer.PutText("0123456789");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(Contents(path), "\xEF\xBB\xBF" "0123456789");
}

TEST_F(TextStreamTest, AFailedWriteLeavesTheOldFile)
{
    std::string path = PathOf("keep.txt");
    Put(path, "old contents");
    // The capacity makes the new contents' writes fail midway, as a full disk does.
    MemoryFiles().SetCapacity(20000);
    bool closed;
    {
        FileTextWriter writer;
        ASSERT_TRUE(writer.Open(path.c_str()));
        for (int32_t i = 0; i < 1000; ++i)
            writer.WriteLine("a line of the new contents that will not all fit");
        closed = writer.Close();
    }
    EXPECT_FALSE(closed);
    EXPECT_EQ(GetPendingError().message.code, message::kWriteFailed);
    EXPECT_EQ(Contents(path), "old contents");
    EXPECT_EQ(MemoryFiles().FileCount(), 1);
}

TEST_F(TextStreamTest, ACancelledWriteLeavesTheOldFile)
{
    std::string path = PathOf("keep.txt");
    Put(path, "old");
    FileTextWriter writer;
    ASSERT_TRUE(writer.Open(path.c_str()));
    writer.WriteLine("new");
    SetCancelledError();
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(Contents(path), "old");
}

TEST_F(TextStreamTest, OpeningAMissingFileReportsIt)
{
    FileTextReader reader;
    EXPECT_FALSE(reader.Open(PathOf("missing.txt").c_str()));
    EXPECT_EQ(GetPendingError().message.code, message::kCannotOpen);
    EXPECT_FALSE(reader.ReadLine());
    ClearError();
    FileTextWriter writer;
    EXPECT_FALSE(writer.Open(PathOf("a folder/").c_str()));
    EXPECT_NE(GetPendingError().message.code, 0);
    writer.PutText("dropped");
    EXPECT_TRUE(writer.Close());
}

TEST_F(TextStreamTest, ReaderSkipsTheByteOrderMark)
{
    std::string path = PathOf("bom.txt");
    Put(path, "\xEF\xBB\xBF" "first\r\nsecond");
    FileTextReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    EXPECT_EQ(LinesOf(reader), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(reader.Encoding(), kEncodingUtf8);
}

TEST_F(TextStreamTest, LinesLongerThanTheBufferComeWhole)
{
    // Guards against delivering a long line as pieces of 10240 bytes, each parsed as a line.
    std::string path = PathOf("long.txt");
    std::string single(30000, 'x');
    Put(path, single);
    FileTextReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    EXPECT_EQ(LinesOf(reader), std::vector<std::string>{single});

    std::string middle(100000, 'm');
    middle[77777] = '\t';
    Put(path, "head\r" + middle + "\r\ntail\r");
    FileTextReader again;
    ASSERT_TRUE(again.Open(path.c_str()));
    ASSERT_TRUE(again.ReadLine());
    ASSERT_TRUE(again.ReadLine());
    EXPECT_EQ(again.LinePosition(), 5);
    String field;
    ASSERT_TRUE(again.NextFieldToString(field));
    EXPECT_EQ(field.Length(), String::kGrowthLimit);  // a String holds at most this much
    EXPECT_EQ(again.LineLength(), 100000);
    ASSERT_TRUE(again.ReadLine());
    EXPECT_EQ(std::string(again.LineStart(), size_t(again.LineLength())), "tail");
    EXPECT_EQ(again.LinePosition(), 5 + 100000 + 2);
    EXPECT_FALSE(again.ReadLine());
}

TEST_F(TextStreamTest, ALongLineWithoutMemoryIsNotCutIntoLines)
{
    std::string path = PathOf("long.txt");
    Put(path, std::string(30000, 'x') + "\rafter\r");
    FileTextReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    MemFailAllocationsAfter(0);
    bool read = reader.ReadLine();
    MemFailAllocationsAfter(-1);
    EXPECT_FALSE(read);
    EXPECT_EQ(GetPendingError().message.code, message::kOutOfMemory);
    EXPECT_FALSE(reader.ReadLine());  // no piece of the line is read as a line of its own
}

TEST_F(TextStreamTest, LineBreaksAcrossBufferBoundaries)
{
    // CR LF pairs and UTF-16 units that straddle the refills.
    std::string path = PathOf("many.txt");
    std::string bytes;
    std::vector<std::string> expected;
    for (int32_t i = 0; bytes.size() < 50000; ++i) {
        std::string line = std::string(size_t(i % 37), 'a' + char(i % 26)) + std::to_string(i);
        bytes += line + (i % 3 == 0 ? "\r\n" : (i % 3 == 1 ? "\r" : "\n"));
        expected.push_back(line);
    }
    Put(path, bytes);
    FileTextReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    EXPECT_EQ(LinesOf(reader), expected);
    EXPECT_EQ(reader.LineCount(), int64_t(expected.size()));

    std::string wide = "\xFF\xFE";
    for (char c : bytes) {
        wide += c;
        wide += '\0';
    }
    Put(path, wide);
    FileTextReader utf16;
    ASSERT_TRUE(utf16.Open(path.c_str()));
    EXPECT_EQ(utf16.Encoding(), kEncodingUtf16Le);
    EXPECT_EQ(LinesOf(utf16), expected);
}

TEST_F(TextStreamTest, RoundTripsThroughAllNineEncodings)
{
    std::string path = PathOf("round.txt");
    for (int32_t id = 0; id < kEncodingCount; ++id) {
        SCOPED_TRACE(id);
        // Every character of the page (its upper half), or a mixed text for the Unicode encodings.
        std::vector<std::string> lines;
        std::string upper;
        for (int32_t b = 0x80; b <= 0xFF; ++b) {
            char bytes[4] = {};
            uint32_t codePoint = CodePageCharToUnicode(uint8_t(b), id >= kEncodingSystem ? id : kEncodingLatin1);
            if (codePoint < 0x20 || (codePoint >= 0x80 && codePoint < 0xA0))
                continue;  // control characters would end lines or fields
            upper.append(bytes, size_t(Utf8EncodeChar(bytes, codePoint)));
        }
        if (id < kEncodingSystem)
            upper += "\xE2\x82\xAC\xE4\xB8\xAD";  // the euro sign and a CJK character
        lines.push_back("plain\tfields");
        lines.push_back(upper);
        lines.push_back("");
        lines.push_back("last");
        {
            FileTextWriter writer;
            ASSERT_TRUE(writer.SetEncoding(id));
            ASSERT_TRUE(writer.Open(path.c_str()));
            for (const std::string& line : lines) {
                writer.PutText(line.c_str());
                writer.PutRawChar('\r');
                writer.PutRawChar('\n');
            }
            ASSERT_TRUE(writer.Close());
        }
        FileTextReader reader;
        // The 8-bit pages carry no mark: the reader is told, as a caller with an import setup is.
        if (id >= kEncodingSystem)
            reader.SetEncoding(id);
        ASSERT_TRUE(reader.Open(path.c_str()));
        EXPECT_EQ(reader.Encoding(), id);
        EXPECT_EQ(LinesOf(reader), lines);
    }
}

TEST_F(TextStreamTest, TheCharactersLineChoosesTheCodePage)
{
    std::string path = PathOf("mac.txt");
    Put(path, "##VEK-Text\t061231\r##Characters\rU\t\x80\xE7\xCB\xE5\xCC\rname\t\x8A\r");
    std::string aUmlaut = "\xC3\xA4";
    {
        FileTextReader reader;
        ASSERT_TRUE(reader.Open(path.c_str()));
        EXPECT_EQ(reader.Encoding(), kEncodingMacRoman);
        std::vector<std::string> lines = LinesOf(reader);
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[3], "name\t" + aUmlaut);
    }
    {
        // An 8-bit page the caller chose stays.
        FileTextReader reader;
        reader.SetEncoding(kEncodingPc8);
        ASSERT_TRUE(reader.Open(path.c_str()));
        EXPECT_EQ(reader.Encoding(), kEncodingPc8);
    }
    Put(path, "##Characters\rU\t\xC4\xC1\xC0\xC2\xC3\r\xE4\r");
    FileTextReader latin;
    ASSERT_TRUE(latin.Open(path.c_str()));
    EXPECT_EQ(latin.Encoding(), kEncodingLatin1);
    EXPECT_EQ(LinesOf(latin).back(), aUmlaut);
    // A mark wins over the caller's page.
    Put(path, std::string("\xFE\xFF\0a", 4));
    FileTextReader marked;
    marked.SetEncoding(kEncodingMacRoman);
    ASSERT_TRUE(marked.Open(path.c_str()));
    EXPECT_EQ(marked.Encoding(), kEncodingUtf16Be);
    EXPECT_EQ(LinesOf(marked), std::vector<std::string>{"a"});
}

TEST_F(TextStreamTest, DetectFileCharSet)
{
    std::string path = PathOf("d.txt");
    Put(path, "\xFF\xFEx\0");
    int32_t markLength = 0;
    EXPECT_EQ(DetectFileCharSet(path.c_str(), markLength), kEncodingUtf16Le);
    EXPECT_EQ(markLength, 2);
    EXPECT_EQ(DetectFileCharSet(PathOf("none").c_str(), markLength), -1);
}

TEST_F(TextStreamTest, SeekReadsOnFromAPosition)
{
    std::string path = PathOf("seek.txt");
    Put(path, "alpha\rbeta\rgamma\r");
    FileTextReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    ASSERT_TRUE(reader.ReadLine());
    reader.Seek(11);
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(std::string(reader.LineStart(), size_t(reader.LineLength())), "gamma");
    EXPECT_EQ(reader.LinePosition(), 11);
    reader.Seek(0);
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(std::string(reader.LineStart(), size_t(reader.LineLength())), "alpha");
}

TEST_F(TextStreamTest, ChunkedWriterJoinsItsChunks)
{
    ChunkedTextWriter writer;
    std::string expected;
    for (int32_t i = 0; expected.size() < 40000; ++i) {
        std::string row = "row " + std::to_string(i);
        writer.PutText(row.c_str());
        writer.PutSeparator();
        writer.PutSeparator();
        writer.EndRow();  // trailing separators go, also when a chunk was filed between them
        expected += row + "\r";
    }
    // A single write larger than a chunk is written whole.
    std::string big(50000, 'b');
    writer.PutTextBytes(big.data(), int32_t(big.size()));
    expected += big;
    EXPECT_GT(writer.ChunkCount(), 2);
    EXPECT_EQ(writer.TotalSize(), int64_t(expected.size()));
    char* joined = writer.JoinChunks();
    ASSERT_NE(joined, nullptr);
    EXPECT_EQ(MemBlockSize(joined), int32_t(expected.size()));
    EXPECT_EQ(std::string(joined, expected.size()), expected);
    EXPECT_EQ(writer.TotalSize(), int64_t(expected.size()));
    MemFree(joined);
}

}  // namespace
}  // namespace vek
