// vek-tool's commands on whole files: summary, import-summary of an SIE or base file, export-sie, save.
#include "VekToolCommands.h"

#include "files/format/BaseFileType.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/SaveSettings.h"
#include "files/sie/SieExport.h"
#include "files/sie/SieSummary.h"
#include "foundation/messages/PendingError.h"
#include "model/base/BaseProtection.h"
#include "model/selections/SelectionTexts.h"
#include "model/selections/SubsetList.h"
#include "model/templates/TemplateTree.h"
#include "foundation/strings/String.h"

#include <cstdio>

namespace vektool {

namespace {

// The kind of file an input is, as opening tells it; the output may not replace it with another.
int32_t InputKind(const char* file)
{
    vek::BaseFileState state;
    vek::DetectBaseFileType(state, CommandLinePath(file));
    vek::ClearError();  // an input that cannot be read is reported by the load
    return state.kind;
}

// A command that reads FILE and writes OUT: the input's kind, taken before the load, and its base.
struct Rewrite {
    const char* file = nullptr;
    const char* out = nullptr;
    const char* password = nullptr;
    const char* selection = nullptr;  // the subset whose lines alone are written, or null
    int32_t kind = 0;
    OpenedBase base;
};

// Opens the input of a rewrite; 0 when its base is open, else the exit status to return.
int OpenRewrite(Arguments arguments, const char* failure, Rewrite& rewrite)
{
    // The options in either order.
    rewrite.password = TakePassword(arguments);
    rewrite.selection = TakeOption(arguments, "--selection");
    if (rewrite.password == nullptr)
        rewrite.password = TakePassword(arguments);
    if (arguments.size() != 2)
        return ReportUsage();
    rewrite.file = arguments[0];
    rewrite.out = arguments[1];
    rewrite.kind = InputKind(rewrite.file);
    rewrite.base = LoadFile(CommandLinePath(rewrite.file), rewrite.password);
    if (!rewrite.base)
        return ReportFailure(failure, rewrite.file);
    if (rewrite.selection != nullptr && rewrite.base->Subsets().FindByName(rewrite.selection) == nullptr) {
        std::fprintf(stderr, "vek-tool: %s has no subset \"%s\"\n", rewrite.file, rewrite.selection);
        return 1;
    }
    return 0;
}

// Save settings of the base in `format` that write only the cards, groups and lines the subset
// admits: a card selection whose subset formula names the subset, filtering down to lines.
void SelectSubset(vek::Base& base, const char* subset, int32_t format, vek::SaveSettings& settings)
{
    settings.FromBase(base);
    settings.SetFormat(format);
    vek::SelectionTexts& selection = settings.EditCardSelection(base);
    selection.SetSubsetText(subset);
    settings.SetFilterLevel(vek::kFilterLines);
}

}  // namespace

int ImportSummary(Arguments arguments)
{
    int status = 0;
    OpenedBase base = OpenOnlyBase(arguments, "import", status);
    if (!base)
        return status;
    PrintImportSummary(*base);
    return 0;
}

void PrintImportSummary(const vek::Base& base)
{
    vek::SieSummary summary = vek::SummarizeSieBase(base);
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
}

int ExportSie(Arguments arguments)
{
    Rewrite rewrite;
    if (int status = OpenRewrite(arguments, "import", rewrite); status != 0)
        return status;
    vek::FilePath output = CommandLinePath(rewrite.out);
    vek::SaveSettings settings;
    if (rewrite.selection != nullptr)
        SelectSubset(*rewrite.base, rewrite.selection, vek::kSaveFormatSie, settings);
    if (!vek::MayWriteOverInput(CommandLinePath(rewrite.file), rewrite.kind, output, vek::kSaveFormatSie) ||
        !vek::SaveSieFile(*rewrite.base, output, rewrite.selection != nullptr ? &settings : nullptr))
        return ReportFailure("export", rewrite.out);
    return 0;
}

int Summary(Arguments arguments)
{
    int status = 0;
    OpenedBase base = OpenOnlyBase(arguments, "open", status);
    if (!base)
        return status;
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

int Templates(Arguments arguments)
{
    int status = 0;
    OpenedBase base = OpenOnlyBase(arguments, "open", status);
    if (!base)
        return status;
    vek::String path;
    for (vek::Template* node = base->Templates().Root().NextInTree(); node->Parent() != nullptr;
         node = node->NextInTree()) {
        node->GetPathName(path);
        const char* kind = node->IsGroup() ? "Group" : vek::TemplateKindName(node->Kind());
        if (kind[0] == '\0')
            kind = "Card";
        std::printf("%s\t%s\n", path.CStr(), kind);
    }
    return 0;
}

int SaveCopy(Arguments arguments)
{
    Rewrite rewrite;
    if (int status = OpenRewrite(arguments, "open", rewrite); status != 0)
        return status;
    vek::Base& base = *rewrite.base;
    // The password given is the saved base's: it keys a container and goes into its protection.
    if (rewrite.password != nullptr && !base.Protection().SetPassword(rewrite.password))
        return ReportFailure("save", rewrite.out);
    vek::FilePath output = CommandLinePath(rewrite.out);
    int32_t format = vek::SaveFormatForPath(base, output);
    vek::SaveSettings settings;
    if (rewrite.selection != nullptr) {
        SelectSubset(base, rewrite.selection, format, settings);
        settings.ApplyFileExtension(output);
    }
    if (!vek::MayWriteOverInput(CommandLinePath(rewrite.file), rewrite.kind, output, format) ||
        !vek::SaveBaseToPath(base, output, rewrite.selection != nullptr ? &settings : nullptr))
        return ReportFailure("save", rewrite.out);
    return 0;
}

}  // namespace vektool
