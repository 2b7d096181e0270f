// Tests of DescriptorTextWriter: byte-order marks, large output across flushes, and failed writes.
#include "platform/DescriptorTextWriter.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "foundation/strings/CodePages.h"

namespace vek {
namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vek-textwriter-XXXXXX").string();
        int fd = mkstemp(pattern.data());
        ASSERT_GE(fd, 0);
        ::close(fd);
        path = pattern;
    }
    void TearDown() override { ::unlink(path.c_str()); }

    FileDescriptor OpenFile() const { return FileDescriptor(::open(path.c_str(), O_WRONLY | O_TRUNC)); }

    std::string path;
};

TEST_F(TextFileTest, ByteOrderMarks)
{
    struct Case {
        int32_t encoding;
        ByteOrderMarkChoice mark;
        std::string expected;
    };
    const Case cases[] = {
        {kEncodingUtf8, ByteOrderMarkChoice::write, "\xEF\xBB\xBF" "abc\r"},
        {kEncodingUtf8, ByteOrderMarkChoice::omit, "abc\r"},
        {kEncodingUtf16Le, ByteOrderMarkChoice::write, std::string("\xFF\xFE" "a\0b\0c\0\r\0", 10)},
        {kEncodingUtf16Be, ByteOrderMarkChoice::write, std::string("\xFE\xFF\0a\0b\0c\0\r", 10)},
        {kEncodingMacRoman, ByteOrderMarkChoice::write, "abc\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        DescriptorTextWriter writer;
        ASSERT_TRUE(writer.SetEncoding(c.encoding));
        writer.Open(OpenFile(), c.mark);
        writer.WriteLine("abc");
        EXPECT_TRUE(writer.Close());
        EXPECT_EQ(ReadFile(path), c.expected);
    }
}

TEST_F(TextFileTest, LargeOutputAndRowsAcrossFlushes)
{
    std::string expected;
    {
        DescriptorTextWriter writer;
        writer.Open(OpenFile(), ByteOrderMarkChoice::omit);
        // The buffer is full after the first separator; the second makes it flush. The separator kept
        // back at the flush is still trimmed by EndRow.
        std::string field(BufferedTextWriter::kBufferSize - 1, 'f');
        writer.PutText(field.c_str());
        writer.PutSeparator();
        writer.PutSeparator();
        writer.EndRow();
        expected = field + "\r";
        // One write larger than the buffer is written whole.
        std::string big(3 * BufferedTextWriter::kBufferSize + 5, 'g');
        writer.WriteLine(big.c_str());
        expected += big + "\r";
        for (int i = 0; i < 5000; ++i) {
            writer.PutInt(i);
            writer.PutSeparator();
            writer.PutText("row");
            writer.EndRow();
            expected += std::to_string(i) + "\trow\r";
        }
        // Closed by the destructor.
    }
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(TextFileTest, FailedWritesAreReported)
{
    DescriptorTextWriter writer;
    writer.WriteLine("before open: dropped");
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_TRUE(writer.Close());

    // A device that is always full fails every write.
    FileDescriptor full(::open("/dev/full", O_WRONLY));
    if (!full.IsValid())
        GTEST_SKIP() << "no /dev/full";
    writer.Open(std::move(full), ByteOrderMarkChoice::omit);
    writer.WriteLine("lost");
    EXPECT_FALSE(writer.Close());
    EXPECT_TRUE(writer.HasFailed());

    writer.Open(FileDescriptor(), ByteOrderMarkChoice::write);
    EXPECT_FALSE(writer.IsOpen());
}

}  // namespace
}  // namespace vek
