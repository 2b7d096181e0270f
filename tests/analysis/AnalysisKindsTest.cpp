// The analysis kinds as the start-up registers them: which template class each kind is made as, which
// kinds compute, and what a program without the kinds keeps of their definitions.
#include "analysis/AnalysisKinds.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/AnalysisComputation.h"
#include "analysis/AnalysisHost.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/templates/KeptKindTemplate.h"
#include "model/templates/TemplateKindRegistry.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

std::string DefinitionText(const Template& node)
{
    TextWriter writer;
    writer.SetLineEndChar('\n');
    node.WriteDefinition(writer);
    return std::string(writer.BufferedBytes());
}

void ReadDefinitionText(Template& node, const std::string& text)
{
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());  // the header line
    node.ReadDefinition(reader, TemplateReadContext{});
}

class RowCount final : public ResultRowReader {
public:
    void Row(std::span<const ResultCell>) override { ++rows; }
    int32_t rows = 0;
};

class AnalysisKindsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base.SetValueCount(2);
        base.AddComponent(0, "S", "Sales", nullptr);
        base.SetupDimensionOrder();
    }
    void TearDown() override { ClearError(); }

    Base base{FilePath("/tmp/analysis-kinds.vek"), 0};
};

struct KindCase {
    TemplateKind kind;
    bool computes;  // an engine is built for the kind
};
constexpr KindCase kKindCases[] = {
    {TemplateKind::Cards, true},
    {TemplateKind::Lines, true},
    {TemplateKind::Components, true},
    {TemplateKind::TimeFunctions, true},
    {TemplateKind::ComponentFunctions, true},
};

TEST_F(AnalysisKindsTest, EveryKindIsRegisteredAndComputesWhereItHasAnEngine)
{
    for (const KindCase& c : kKindCases) {
        SCOPED_TRACE(TemplateKindName(c.kind));
        ASSERT_NE(Service<TemplateKindRegistry>::Get().Factory(c.kind), nullptr);
        std::unique_ptr<Template> node = base.NewTemplate(c.kind);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->Kind(), c.kind);
        std::unique_ptr<AnalysisComputation> computation = MakeAnalysisComputation(*node);
        EXPECT_EQ(computation != nullptr, c.computes);
        if (computation == nullptr)
            continue;
        // An empty base computes without a message and reads back at least its header row.
        computation->SetPeriod(AnalysisPeriod{});
        AnalysisHost host;
        computation->Compute(host);
        EXPECT_FALSE(IsErrorPending());
        RowCount count;
        computation->ReadRows(count);
        // A time-functions table without periods has no rows at all.
        if (c.kind != TemplateKind::TimeFunctions) {
            EXPECT_GE(count.rows, 1);
        }
    }
    EXPECT_EQ(base.NewTemplate(TemplateKind::Group), nullptr);
    EXPECT_EQ(base.NewTemplate(TemplateKind::Subset), nullptr);
}

// What a definition keeps without the kinds: its lines, except the text and chart export choices
// ("xt" keys) and empty lines, which the shared part reads and does not keep.
std::string WithoutExportChoices(const std::string& text)
{
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.rfind("xt", 0) != 0)
            out += line + "\n";
    }
    return out;
}

// A program without the analysis layer (nothing registered) makes every kind as the kept-lines
// placeholder: the kind's own key lines that its class wrote read and write back unchanged, in their
// order, and nothing computes the template.
TEST_F(AnalysisKindsTest, WithoutTheKindsTheirOwnKeyLinesAreKept)
{
    const struct {
        TemplateKind kind;
        const char* header;
        const char* ownKeys;  // read into the kind's own class first, so that it writes more than its defaults
    } cases[] = {
        {TemplateKind::Cards, "#C\tx\n", "P\tI,T,VB\nD\t3F\nR\tRG\nS\tAN\nQ1T\tCA\tDN\tTD\tVD\nQ2VA\tCA\tDN\tTA\tVB\nxtnh\n"},
        {TemplateKind::Lines, "#L\tx\n", "Q\tB\nH\tB+E\n+\t2.5\nIE\nwC\t40\nxtgh\n"},
        {TemplateKind::TimeFunctions, "#T\tx\n", ""},
        {TemplateKind::Components, "#P\tx\n", "Zz\tkept as read\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TemplateKindName(c.kind));
        std::unique_ptr<Template> own = base.NewTemplate(c.kind);
        ASSERT_NE(own, nullptr);
        ReadDefinitionText(*own, std::string(c.header) + c.ownKeys);
        std::string written = DefinitionText(*own);

        TemplateKindRegistry nothing;
        ScopedService<TemplateKindRegistry> withoutKinds(&nothing);
        std::unique_ptr<Template> kept = base.NewTemplate(c.kind);
        ASSERT_NE(kept, nullptr);
        EXPECT_NE(dynamic_cast<KeptKindTemplate*>(kept.get()), nullptr);
        ReadDefinitionText(*kept, written);
        EXPECT_EQ(DefinitionText(*kept), WithoutExportChoices(written));
        EXPECT_EQ(MakeAnalysisComputation(*kept), nullptr);
    }
}

}  // namespace
}  // namespace vek
