// vek-tool aggregate and transform: a batch operation over the lines a template's analysis shows.
#include "VekToolCommands.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "analysis/AnalysisComputation.h"
#include "analysis/AnalysisHost.h"
#include "analysis/batch/BatchLineSource.h"
#include "analysis/batch/CardAggregation.h"
#include "analysis/batch/CardTransformation.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "model/templates/Template.h"

namespace vektool {

namespace {

// The options after the keywords, in any order: --save OUT (required), --user CODE (the initials of
// the change stamp, which nobody can be asked for here) and --password TEXT.
struct BatchOptions {
    const char* out = nullptr;
    const char* user = nullptr;
    const char* password = nullptr;
};

bool TakeBatchOptions(Arguments& arguments, BatchOptions& options)
{
    for (bool taken = true; taken;) {
        taken = false;
        if (const char* value = TakeOption(arguments, "--save")) {
            options.out = value;
            taken = true;
        } else if (const char* user = TakeOption(arguments, "--user")) {
            options.user = user;
            taken = true;
        } else if (const char* password = TakePassword(arguments)) {
            options.password = password;
            taken = true;
        }
    }
    return options.out != nullptr && arguments.size() >= 2;
}

void ReportRefusedWord(const char* word)
{
    vek::Message message;
    message.code = vek::message::kCommandWordRefused;
    message.AddText(word);
    (void)vek::ReportMessage(message);
}

// Runs `operation` over the computed template; the base is saved only when it succeeded.
template <typename Engine, typename Parse>
int RunBatch(Arguments arguments, const char* verb, Parse parse)
{
    using namespace vek;
    BatchOptions options;
    if (!TakeBatchOptions(arguments, options))
        return ReportUsage();
    const char* file = arguments[0];
    const char* path = arguments[1];
    OpenedBase base = LoadFile(CommandLinePath(file), options.password);
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
    computation->SetPeriod(AnalysisPeriod{});
    AnalysisHost host;
    computation->Compute(host);
    if (IsErrorPending())
        return ReportFailure(verb, file);

    Engine engine(*base);
    for (size_t i = 2; i < arguments.size(); ++i) {
        if (!parse(engine, arguments[i])) {
            ReportRefusedWord(arguments[i]);
            ClearError();
        }
    }
    if (options.user) {
        StampedText stamp;
        PackedDate today = TodayPackedDate();
        stamp.timestamp = MakePackedTimestamp(PackedDateYear(today), PackedDateMonth(today), PackedDateDay(today), 0, 0);
        std::strncpy(stamp.code, options.user, sizeof stamp.code - 1);
        engine.SetChangeStamp(stamp);
    }
    ComputationLineSource source(*computation, path);
    if (!engine.Run(source, host))
        return ReportFailure(verb, file);
    computation.reset();
    if (!SaveBaseToPath(*base, CommandLinePath(options.out), nullptr))
        return ReportFailure("save", options.out);
    return 0;
}

}  // namespace

int Aggregate(Arguments arguments)
{
    return RunBatch<vek::CardAggregation>(arguments, "aggregate", [](vek::CardAggregation& engine, const char* word) {
        return engine.ParseOptions(word);
    });
}

int Transform(Arguments arguments)
{
    return RunBatch<vek::CardTransformation>(arguments, "transform",
                                             [](vek::CardTransformation& engine, const char* word) {
                                                 return engine.ParseOption(word);
                                             });
}

}  // namespace vektool
