// vek-tool analyze: the result rows of a template of a base, in display order.
#include "VekToolCommands.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "analysis/AnalysisComputation.h"
#include "analysis/AnalysisHost.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/PackedDate.h"
#include "model/templates/Template.h"

namespace vektool {

namespace {

// A text as one field: tabs become blanks and line breaks the two characters "\r".
void PrintField(const char* text)
{
    std::putchar('\t');
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '\t')
            std::putchar(' ');
        else if (*p == '\r' || *p == '\n')
            std::fputs("\\r", stdout);
        else
            std::putchar(*p);
    }
}

// Each row as one line: its cells separated by tabs, texts as fields, numbers as column sums.
class PrintedRows final : public vek::ResultRowReader {
public:
    void Row(std::span<const vek::ResultCell> cells) override
    {
        bool first = true;
        for (const vek::ResultCell& cell : cells) {
            if (first && cell.kind == vek::ResultCell::Kind::Text)
                std::fputs(cell.text.c_str(), stdout);
            else if (cell.kind == vek::ResultCell::Kind::Text)
                PrintField(cell.text.c_str());
            else if (!first)
                std::putchar('\t');
            if (cell.kind == vek::ResultCell::Kind::Number)
                PrintColumnSum(cell.number, 7);
            first = false;
        }
        std::putchar('\n');
    }
};

}  // namespace

int Analyze(Arguments arguments)
{
    using namespace vek;
    const char* password = TakePassword(arguments);
    PackedDate from = MakePackedDate(1900, 1, 1);
    PackedDate to = kEndDate;
    bool fromGiven = false;
    bool toGiven = false;
    std::vector<const char*> positional;
    for (size_t i = 0; i < arguments.size(); ++i) {
        bool isFrom = std::strcmp(arguments[i], "--from") == 0;
        if (isFrom || std::strcmp(arguments[i], "--to") == 0) {
            if (i + 1 >= arguments.size())
                return ReportUsage();
            const char* text = arguments[++i];
            PackedDate date = ParsePackedDate(text, int32_t(std::strlen(text)), isFrom ? -1 : 1);
            if (date == 0)
                return ReportUsage();
            (isFrom ? from : to) = date;
            (isFrom ? fromGiven : toGiven) = true;
            continue;
        }
        positional.push_back(arguments[i]);
    }
    if (positional.size() != 2)
        return ReportUsage();
    const char* file = positional[0];
    const char* path = positional[1];
    OpenedBase base = LoadFile(CommandLinePath(file), password);
    if (!base)
        return ReportFailure("open", file);
    Template* node = base->FindTemplate(path);
    if (!node || node->IsGroup()) {
        std::fprintf(stderr, "vek-tool: the base has no template \"%s\"\n", path);
        return 1;
    }
    std::unique_ptr<AnalysisComputation> computation = MakeAnalysisComputation(*node);
    if (!computation) {
        std::fprintf(stderr, "vek-tool: templates of the kind \"%s\" cannot be computed yet\n",
                     TemplateKindName(node->Kind()));
        return 1;
    }
    AnalysisPeriod period;
    if (fromGiven)
        period.from = from;
    if (toGiven)
        period.to = to;
    computation->SetPeriod(period);
    AnalysisHost host;
    computation->Compute(host);
    // A run that could not complete says so on stderr; the rows it has are printed all the same.
    int status = IsErrorPending() ? ReportFailure("analyze", file) : 0;
    PrintedRows printed;
    computation->ReadRows(printed);
    return status;
}

}  // namespace vektool
