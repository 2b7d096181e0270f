// AnalysisKinds: the table of the analysis kinds (template class and engine of each), registered with
// the model at start-up and read by the computation interface.
#include "analysis/AnalysisKinds.h"

#include <new>

#include "analysis/AnalysisComputation.h"
#include "analysis/cardlayout/CardTemplate.h"
#include "analysis/cards/CardsAnalysis.h"
#include "analysis/cards/CardsTemplate.h"
#include "analysis/componentfunctions/ComponentFunctionsAnalysis.h"
#include "analysis/componentfunctions/ComponentFunctionsTemplate.h"
#include "analysis/components/ComponentsAnalysis.h"
#include "analysis/components/ComponentsTemplate.h"
#include "analysis/lines/LinesAnalysis.h"
#include "analysis/lines/LinesTemplate.h"
#include "analysis/timefunctions/TimeFunctionsAnalysis.h"
#include "analysis/timefunctions/TimeFunctionsTemplate.h"
#include "model/templates/TemplateKindRegistry.h"

namespace vek {

namespace {

using ComputationFactory = std::unique_ptr<AnalysisComputation>(const Template& node);

template <class KindTemplate>
std::unique_ptr<Template> MakeKindTemplate(Base& base)
{
    return std::unique_ptr<Template>(new (std::nothrow) KindTemplate(base));
}

// The template must be of the kind's own class: one made before the kinds were registered is a
// placeholder, which no engine computes.
template <class KindTemplate, class KindAnalysis>
std::unique_ptr<AnalysisComputation> MakeKindAnalysis(const Template& node)
{
    const auto* definition = dynamic_cast<const KindTemplate*>(&node);
    if (definition == nullptr)
        return nullptr;
    return std::make_unique<KindAnalysis>(*definition);
}

struct AnalysisKindEntry {
    TemplateKind kind;
    TemplateFactory* makeTemplate;
    ComputationFactory* makeComputation;  // null while the kind has no engine
};

constexpr AnalysisKindEntry kAnalysisKinds[] = {
    {TemplateKind::Cards, &MakeKindTemplate<CardsTemplate>, &MakeKindAnalysis<CardsTemplate, CardsAnalysis>},
    {TemplateKind::Lines, &MakeKindTemplate<LinesTemplate>, &MakeKindAnalysis<LinesTemplate, LinesAnalysis>},
    {TemplateKind::Components, &MakeKindTemplate<ComponentsTemplate>,
     &MakeKindAnalysis<ComponentsTemplate, ComponentsAnalysis>},
    {TemplateKind::TimeFunctions, &MakeKindTemplate<TimeFunctionsTemplate>,
     &MakeKindAnalysis<TimeFunctionsTemplate, TimeFunctionsAnalysis>},
    {TemplateKind::ComponentFunctions, &MakeKindTemplate<ComponentFunctionsTemplate>,
     &MakeKindAnalysis<ComponentFunctionsTemplate, ComponentFunctionsAnalysis>},
    // The card window's layout: a template of its own, computed by nobody.
    {TemplateKind::Card, &MakeKindTemplate<CardTemplate>, nullptr},
};

}  // namespace

ResultRowReader::~ResultRowReader() = default;

AnalysisComputation::~AnalysisComputation() = default;

ShownLineReader::~ShownLineReader() = default;

bool AnalysisComputation::ReadShownLines(ShownLineReader&) const
{
    return false;
}

std::unique_ptr<AnalysisComputation> MakeAnalysisComputation(const Template& node)
{
    for (const AnalysisKindEntry& entry : kAnalysisKinds) {
        if (entry.kind == node.Kind())
            return entry.makeComputation != nullptr ? entry.makeComputation(node) : nullptr;
    }
    return nullptr;
}

void RegisterAnalysisLayerServices()
{
    static TemplateKindRegistry registry;
    for (const AnalysisKindEntry& entry : kAnalysisKinds)
        registry.Register(entry.kind, entry.makeTemplate);
    Service<TemplateKindRegistry>::Register(&registry);
}

}  // namespace vek
