// Diagnostic commands on files, one command per run:
//
//   vek-tool import-summary FILE   imports an SIE (or base) file into a new base and prints, one item a
//                                  line and tab-separated: "cards N", "lines N", then "account HOST SUM"
//                                  for every account the voucher lines use (sums over every card but
//                                  the opening-balance card, sorted by host code), then "ib HOST SUM"
//                                  for the opening balances. Sums have two decimals and a ".".
//   vek-tool export-sie FILE OUT   reads FILE as import-summary does and writes the base as SIE 4.
//   vek-tool summary FILE          opens a base file and prints, tab-separated: "dimension", its number,
//                                  its plural name and its component count for every dimension in
//                                  use; "cards N"; "lines N"; then "sum", the column number, its name
//                                  and the sum of every line's value in that column, with the column's
//                                  decimals (all of them for a full-precision column) and a ".".
//   vek-tool save FILE OUT         opens a base file and saves it to OUT, in the form OUT's extension
//                                  names ("vkx" a text base).
//
// Exit status: 0 done, 1 the file could not be read or written (the message on stderr), 2 usage.
#include "files/BaseFileType.h"
#include "files/BaseFiles.h"
#include "files/SieExport.h"
#include "files/SieSummary.h"
#include "foundation/messages/AlertMessageHandler.h"
#include "foundation/messages/Message.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "model/Base.h"
#include "platform/FilePath.h"
#include "startup/StartServices.h"

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
                 "       vek-tool export-sie FILE OUT\n"
                 "       vek-tool summary FILE\n"
                 "       vek-tool save FILE OUT\n");
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

// Closes a base that OpenBaseFile opened.
struct BaseCloser {
    void operator()(Base* base) const { (void)vek::CloseBase(base, vek::CloseMode::WindowsOnly); }
};
using OpenedBase = std::unique_ptr<Base, BaseCloser>;

// A new base holding the file, whose kind detection tells (an SIE file is imported, a base file read).
OpenedBase LoadFile(const FilePath& path)
{
    return OpenedBase(vek::OpenBaseFile(path, nullptr, vek::kReadSkipOpenDirect));
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
    OpenedBase base = LoadFile(path);
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
    OpenedBase base = LoadFile(path);
    if (!base)
        return ReportFailure("import", file);
    FilePath target = CommandLinePath(out);
    if (!vek::SaveSieFile(*base, target, nullptr))
        return ReportFailure("export", out);
    return 0;
}

// A sum with the decimals of its column (0-6; a full-precision column in general form).
void PrintColumnSum(double value, int32_t decimals)
{
    vek::NumberFormat format;
    format.decimalSeparator = u'.';
    format.thousandsSeparator = 0;
    if (decimals >= 0 && decimals <= 6) {
        format.mode = vek::NumberMode::Fixed;
        format.decimals = decimals;
    }
    char buffer[vek::kMaxNumberTextBytes + 1];
    char* cursor = buffer;
    vek::CursorPutDouble(cursor, value == 0.0 ? 0.0 : value, format);
    *cursor = 0;
    std::fputs(buffer, stdout);
}

int Summary(const char* file)
{
    OpenedBase base = LoadFile(CommandLinePath(file));
    if (!base)
        return ReportFailure("open", file);
    for (int32_t d = 0; d < int32_t(vek::kDimensionCount); ++d) {
        if (!base->IsDimensionInUse(d))
            continue;
        vek::String name;
        base->DimensionPluralName(d, name);
        std::printf("dimension\t%d\t%s\t%d\n", d + 1, name.CStr(), base->CountComponents(d));
    }
    std::printf("cards\t%d\n", base->CardCount());
    std::printf("lines\t%d\n", base->LineCount());
    int32_t columns = base->ValueCount();
    double sums[vek::kValueFieldCount] = {};
    double values[vek::kValueFieldCount];
    for (vek::Card* card = base->FirstCard(); card != base->ChainEnd(); card = base->NextCard(card)) {
        for (vek::CardGroup* group = base->FirstGroup(card); group != nullptr; group = base->NextGroup(group)) {
            for (vek::CardLine* line = base->FirstLine(group); line != nullptr; line = base->NextLine(line)) {
                base->GetLineValues(line, values);
                for (int32_t i = 0; i < columns; ++i)
                    sums[i] += values[i];
            }
        }
    }
    for (int32_t i = 0; i < columns; ++i) {
        vek::String name;
        base->GetValueFieldName(i, name);
        std::printf("sum\t%d\t%s\t", i + 1, name.CStr());
        PrintColumnSum(sums[i], base->ValueFormat(i));
        std::fputc('\n', stdout);
    }
    return 0;
}

int SaveCopy(const char* file, const char* out)
{
    OpenedBase base = LoadFile(CommandLinePath(file));
    if (!base)
        return ReportFailure("open", file);
    if (!vek::SaveBaseToPath(*base, CommandLinePath(out), nullptr))
        return ReportFailure("save", out);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    vek::StartServices();
    // Messages go to stderr, and no question waits for an answer.
    vek::AlertMessageHandler messages;
    if (argc == 3 && std::strcmp(argv[1], "import-summary") == 0)
        return ImportSummary(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "export-sie") == 0)
        return ExportSie(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "summary") == 0)
        return Summary(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "save") == 0)
        return SaveCopy(argv[2], argv[3]);
    PrintUsage();
    return 2;
}
