// Writing text through the text writer to a file: rows of fields as exports and base files write them,
// plain text lines, escaped markup, and the same rows in an 8-bit code page. Each run writes about
// 16 MB to a temporary file (page cache, so the figure is the writer's, not the disk's). Goal: at least
// 300 MB/s for rows and lines in UTF-8. Measured on 8 shared cores under load (MiB/s): tagged lines
// about 570; rows about 190 (C stdio 125), where the integer writers take some 38 % and the
// kernel's page cache some 35 % of the time.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "foundation/strings/CodePages.h"
#include "platform/DescriptorTextWriter.h"

namespace {

using namespace vek;

constexpr int64_t kBytesPerRun = 16 << 20;

struct TemporaryFile {
    TemporaryFile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vek-textwriter-bench-XXXXXX").string();
        int fd = mkstemp(pattern.data());
        if (fd >= 0)
            ::close(fd);
        path = pattern;
    }
    ~TemporaryFile() { ::unlink(path.c_str()); }
    FileDescriptor Open() const { return FileDescriptor(::open(path.c_str(), O_WRONLY | O_TRUNC)); }
    std::string path;
};

// Line texts of a card: a date, a text with a few accented letters, an account code.
const std::vector<std::string>& Texts()
{
    static const std::vector<std::string> texts = {
        "Kontorsmaterial", "Hyra lokal f\xC3\xB6r mars", "Telefon", "Resa G\xC3\xB6teborg \xE2\x80\x93 Malm\xC3\xB6",
        "Bankavgift", "Konsultarvode enligt avtal", "R\xC3\xA4nta", "Porto",
    };
    return texts;
}

// The bytes a file holds.
int64_t FileSize(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

// One run writes rows until about kBytesPerRun bytes are out; the rate counts the file's real size.
template <typename WriteOne>
void RunWriter(benchmark::State& state, int32_t encoding, WriteOne writeOne)
{
    TemporaryFile file;
    int64_t total = 0;
    for (auto _ : state) {
        DescriptorTextWriter writer;
        if (!writer.SetEncoding(encoding)) {
            state.SkipWithError("encoding");
            return;
        }
        // Opening truncates the previous run's file; freeing its pages is not part of this run.
        state.PauseTiming();
        FileDescriptor descriptor = file.Open();
        state.ResumeTiming();
        writer.Open(std::move(descriptor), ByteOrderMarkChoice::write);
        int64_t estimate = 0;
        for (int32_t i = 0; estimate < kBytesPerRun; ++i)
            estimate += writeOne(writer, i);
        if (!writer.Close()) {
            state.SkipWithError("write failed");
            return;
        }
        state.PauseTiming();
        total += FileSize(file.path);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(total);
}

// A row of six fields: number, date digits, text, account, amount as integer cents, empty trailing
// fields trimmed by EndRow.
int64_t WriteRow(TextWriter& writer, int32_t i)
{
    const std::string& text = Texts()[static_cast<std::size_t>(i) % Texts().size()];
    writer.PutInt(i);
    writer.PutSeparator();
    writer.PutIntDigits(240101 + i % 28, 6);
    writer.PutSeparator();
    writer.PutText(text.c_str());
    writer.PutSeparator();
    writer.PutInt(1900 + i % 97);
    writer.PutSeparator();
    writer.PutInt64(int64_t{i} * 12345 % 100000000);
    writer.PutSeparator();
    writer.PutSeparator();
    writer.EndRow();
    return 30 + static_cast<int64_t>(text.size());
}

void BM_RowsUtf8(benchmark::State& state)
{
    RunWriter(state, kEncodingUtf8, WriteRow);
}
BENCHMARK(BM_RowsUtf8)->Unit(benchmark::kMillisecond);

void BM_RowsMacRoman(benchmark::State& state)
{
    RunWriter(state, kEncodingMacRoman, WriteRow);
}
BENCHMARK(BM_RowsMacRoman)->Unit(benchmark::kMillisecond);

void BM_RowsUtf16(benchmark::State& state)
{
    RunWriter(state, kEncodingUtf16Le, WriteRow);
}
BENCHMARK(BM_RowsUtf16)->Unit(benchmark::kMillisecond);

// The same rows through C stdio with its default buffer, for scale on the machine at hand.
void BM_RowsStdioForScale(benchmark::State& state)
{
    TemporaryFile file;
    int64_t total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::FILE* out = std::fopen(file.path.c_str(), "wb");
        state.ResumeTiming();
        if (out == nullptr) {
            state.SkipWithError("open");
            return;
        }
        int64_t written = 0;
        for (int32_t i = 0; written < kBytesPerRun; ++i) {
            const std::string& text = Texts()[static_cast<std::size_t>(i) % Texts().size()];
            int n = std::fprintf(out, "%d\t%06d\t%s\t%d\t%lld\r", i, 240101 + i % 28, text.c_str(), 1900 + i % 97,
                                 static_cast<long long>(int64_t{i} * 12345 % 100000000));
            written += n > 0 ? n : 0;
        }
        std::fclose(out);
        total += written;
    }
    state.SetBytesProcessed(total);
}
BENCHMARK(BM_RowsStdioForScale)->Unit(benchmark::kMillisecond);

// Tagged lines of about 80 bytes, as a base file's sections are written.
void BM_TaggedLinesUtf8(benchmark::State& state)
{
    std::string line = "Leverant\xC3\xB6rsfaktura 2024-0117, kontering enligt avtal, betald via bankgiro";
    RunWriter(state, kEncodingUtf8, [&](TextWriter& writer, int32_t) {
        writer.WriteTaggedLine('T', line.c_str());
        return static_cast<int64_t>(line.size()) + 3;
    });
}
BENCHMARK(BM_TaggedLinesUtf8)->Unit(benchmark::kMillisecond);

// Table cells of an HTML export: escaped texts with entities on.
void BM_EscapedCellsUtf8(benchmark::State& state)
{
    RunWriter(state, kEncodingUtf8, [](TextWriter& writer, int32_t i) {
        const std::string& text = Texts()[static_cast<std::size_t>(i) % Texts().size()];
        writer.SetUseHtmlEntities(true);
        writer.WriteElementLine("td", text.c_str());
        return static_cast<int64_t>(text.size()) + 10;
    });
}
BENCHMARK(BM_EscapedCellsUtf8)->Unit(benchmark::kMillisecond);

}  // namespace
