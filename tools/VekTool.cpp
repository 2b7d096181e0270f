// Diagnostic commands on files, one command per run:
//
//   vek-tool import-summary FILE   imports an SIE (or base) file into a new base and prints, one item a
//                                  line and tab-separated: "cards N", "lines N", then "account HOST SUM"
//                                  for every account the voucher lines use (sums over every card but
//                                  the opening-balance card, sorted by host code), then "ib HOST SUM"
//                                  for the opening balances. Sums have two decimals and a ".".
//   vek-tool export-sie FILE OUT   reads FILE as import-summary does and writes the base as SIE 4.
//
// Exit status: 0 done, 1 the file could not be read or written (the message on stderr), 2 usage.
#include "files/SieExport.h"
#include "files/SieImport.h"
#include "files/SieSummary.h"
#include "foundation/Message.h"
#include "foundation/NumberFormat.h"
#include "foundation/PendingError.h"
#include "foundation/String.h"
#include "model/Base.h"
#include "platform/FilePath.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <memory>

namespace {

using vek::Base;
using vek::FilePath;

void PrintUsage()
{
    std::fprintf(stderr,
                 "usage: vek-tool import-summary FILE\n"
                 "       vek-tool export-sie FILE OUT\n");
}

// The pending error's text on stderr; a generic line when none is pending.
int ReportFailure(const char* what, const char* path)
{
    vek::PendingError& error = vek::GetPendingError();
    if (error.flag != 0 && error.message.code > 0) {
        vek::String text;
        error.message.Format(text);
        std::fprintf(stderr, "vek-tool: %s\n", text.CStr());
    } else {
        std::fprintf(stderr, "vek-tool: %s failed: %s\n", what, path);
    }
    vek::ClearError();
    return 1;
}

// A path given on the command line is taken against the current folder, as a shell user means it.
FilePath CommandLinePath(const char* text)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(text, error);
    return FilePath(error ? std::string(text) : absolute.string());
}

// A base holding the file: SIE files are imported, other files opened as bases.
std::unique_ptr<Base> LoadFile(const FilePath& path)
{
    return vek::OpenSieFileAsNewBase(path);
}

// Two decimals with "." whatever the locale; a sum that rounds to zero prints as 0.00.
void PrintAmount(double value)
{
    vek::NumberFormat format;
    format.decimalSeparator = u'.';
    format.thousandsSeparator = 0;
    format.mode = vek::NumberMode::Fixed;
    format.decimals = 2;
    double rounded = std::round(value * 100.0) / 100.0;
    if (rounded == 0.0) {
        std::fputs("0.00", stdout);
        return;
    }
    char buffer[vek::kMaxNumberTextBytes + 1];
    char* cursor = buffer;
    vek::CursorPutDouble(cursor, value, format);
    *cursor = 0;
    std::fputs(buffer, stdout);
}

int ImportSummary(const char* file)
{
    FilePath path = CommandLinePath(file);
    std::unique_ptr<Base> base = LoadFile(path);
    if (!base)
        return ReportFailure("import", file);
    vek::SieSummary summary = vek::SummarizeSieBase(*base);
    std::printf("cards\t%d\n", summary.voucherCards);
    std::printf("lines\t%d\n", summary.voucherLines);
    for (const auto& [host, sum] : summary.accountSums) {
        std::printf("account\t%s\t", host.c_str());
        PrintAmount(sum);
        std::fputc('\n', stdout);
    }
    for (const auto& [host, sum] : summary.openingBalances) {
        std::printf("ib\t%s\t", host.c_str());
        PrintAmount(sum);
        std::fputc('\n', stdout);
    }
    return 0;
}

int ExportSie(const char* file, const char* out)
{
    FilePath path = CommandLinePath(file);
    std::unique_ptr<Base> base = LoadFile(path);
    if (!base)
        return ReportFailure("import", file);
    FilePath target = CommandLinePath(out);
    if (!vek::SaveSieFile(*base, target, nullptr))
        return ReportFailure("export", out);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "import-summary") == 0)
        return ImportSummary(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "export-sie") == 0)
        return ExportSie(argv[2], argv[3]);
    PrintUsage();
    return 2;
}
