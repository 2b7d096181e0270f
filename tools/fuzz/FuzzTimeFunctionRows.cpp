// The "## Selection" and "## Formula" text blocks of time-functions rows from any bytes, then a run
// of the analysis over a one-card base: reading must stay inside its input, formulas of any shape
// must compile and be checked for cycles, and every period kind must end.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "analysis/timefunctions/TimeFunctionFormulaRow.h"
#include "analysis/timefunctions/TimeFunctionSelectionRow.h"
#include "analysis/timefunctions/TimeFunctionsComputation.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

Base& FuzzBase()
{
    static Base* base = [] {
        auto* made = new Base(FilePath(), 1);
        made->SetUnattended(true);
        made->SetValueCount(2);
        CardKey key{MakePackedDate(2024, 2, 29), 1};
        if (Card* card = made->CreateCard(key))
            if (CardGroup* group = made->FindOrAddGroup(card, 0))
                if (CardLine* line = made->CreateLine(group)) {
                    const double values[2] = {12.5, -3.0};
                    made->SetLineValues(line, values);
                }
        return made;
    }();
    return *base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    MessageCatcher quiet;
    ClearError();
    Base& base = FuzzBase();
    TimeFunctionsComputation computation(base);
    computation.AddSelectionRow("A");
    computation.AddFormulaRow("F", "A*2");
    TextReader reader(reinterpret_cast<const char*>(data + 1), int64_t(size - 1));
    // Each head line starts a row of its kind; the row reads up to the next head.
    bool atHead = reader.ReadLine();
    for (int32_t blocks = 0; atHead && blocks < 64; ++blocks) {
        std::string_view line(reader.LineStart(), size_t(reader.LineLength()));
        TimeFunctionRow* row = nullptr;
        if (line.starts_with("## Formula"))
            row = &computation.AddFormulaRow("F", "");
        else
            row = &computation.AddSelectionRow("A");
        atHead = row->ReadText(reader);
    }
    ClearError();
    computation.SetAxis(CardKey{MakePackedDate(2024, 1, 1), 1}, CardKey{MakePackedDate(2024, 3, 31), kOpenEndNumber});
    computation.SetPeriodKind(TimeFunctionPeriodKind(data[0] % kPeriodKindCount));
    AnalysisHost host;
    computation.Compute(host);
    TextWriter writer;
    for (const auto& row : computation.Rows())
        row->WriteText(writer);
    ClearError();
    return 0;
}
