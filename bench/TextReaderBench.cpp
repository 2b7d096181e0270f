// Benchmarks of FileTextReader: a large file read line by line as UTF-8 and through a code page.
#include "foundation/streams/TextStreams.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>

#include "foundation/strings/CodePages.h"

// Reading a 100 MB UTF-8 text file line by line through FileTextReader: as UTF-8 (lines used in
// place), and through a code-page conversion of every byte (the same file read as Windows Latin 1).
// The file is made once in $TMPDIR before any timing and removed at exit.

namespace {

constexpr int64_t kFileBytes = 100 * 1000 * 1000;

// Lines like those of a base file or an import: tab-separated fields of 20 to 150 bytes, mostly
// ASCII with some two-byte letters, CR line ends.
std::string MakeFile()
{
    const char* base = std::getenv("TMPDIR");
    std::string path = std::string(base != nullptr && base[0] != 0 ? base : "/tmp") + "/vek-reader-bench-XXXXXX";
    int fd = mkstemp(path.data());
    if (fd < 0)
        std::abort();
    close(fd);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::mt19937 generator(4711);
    const char* words[] = {"Konto", "1930", "Bank", "r\xC3\xA4kning", "kostnadsst\xC3\xA4lle", "-12 500,00",
                           "projekt", "K\xC3\xB6p", "2024-03-31", "Leverant\xC3\xB6r", "moms", "25"};
    std::string line;
    int64_t written = 0;
    while (written < kFileBytes) {
        line.clear();
        int32_t fields = 2 + int32_t(generator() % 12);
        for (int32_t i = 0; i < fields; ++i) {
            if (i > 0)
                line += '\t';
            line += words[generator() % std::size(words)];
        }
        line += '\r';
        std::fwrite(line.data(), 1, line.size(), file);
        written += int64_t(line.size());
    }
    std::fclose(file);
    return path;
}

const std::string& BenchFile()
{
    static const std::string path = [] {
        std::string made = MakeFile();
        static std::string removeAtExit;
        removeAtExit = made;
        std::atexit([] { unlink(removeAtExit.c_str()); });
        return made;
    }();
    return path;
}

void ReadAllLines(benchmark::State& state, int32_t encoding)
{
    const std::string& path = BenchFile();
    int64_t bytes = 0;
    for (auto _ : state) {
        vek::FileTextReader reader;
        if (!reader.Open(path.c_str()))
            state.SkipWithError("cannot open the file");
        if (encoding >= 0)
            reader.SetEncoding(encoding);
        int64_t lines = 0;
        while (reader.ReadLine()) {
            ++lines;
            benchmark::DoNotOptimize(reader.LineStart());
        }
        benchmark::DoNotOptimize(lines);
        bytes += kFileBytes;
    }
    state.SetBytesProcessed(bytes);
}

void BM_FileTextReaderUtf8(benchmark::State& state)
{
    ReadAllLines(state, -1);
}
BENCHMARK(BM_FileTextReaderUtf8)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_FileTextReaderCodePage(benchmark::State& state)
{
    ReadAllLines(state, vek::kEncodingLatin1);
}
BENCHMARK(BM_FileTextReaderCodePage)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
