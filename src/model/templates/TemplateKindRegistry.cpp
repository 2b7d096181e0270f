// TemplateKindRegistry: the template factories of the analysis kinds and the card layout, registered by the analysis layer.
#include "model/templates/TemplateKindRegistry.h"

#include <new>

#include "model/templates/KeptCardTemplate.h"
#include "model/templates/KeptKindTemplate.h"

namespace vek {

namespace {

// The slot of an analysis kind (1-5 → 0-4), of the card layout (10 → 5), or -1.
int32_t RegistrySlot(TemplateKind kind)
{
    if (kind == TemplateKind::Card)
        return 5;
    return IsAnalysisKind(kind) ? int32_t(kind) - int32_t(TemplateKind::Cards) : -1;
}

}  // namespace

template <>
TemplateKindRegistry& Service<TemplateKindRegistry>::Headless()
{
    // Never filled: without the analysis layer every kind is kept as read.
    static TemplateKindRegistry headless;
    return headless;
}

void TemplateKindRegistry::Register(TemplateKind kind, TemplateFactory* factory)
{
    int32_t slot = RegistrySlot(kind);
    if (slot >= 0)
        factories[size_t(slot)] = factory;
}

TemplateFactory* TemplateKindRegistry::Factory(TemplateKind kind) const
{
    int32_t slot = RegistrySlot(kind);
    return slot >= 0 ? factories[size_t(slot)] : nullptr;
}

std::unique_ptr<Template> TemplateKindRegistry::Make(TemplateKind kind, Base& base) const
{
    if (RegistrySlot(kind) < 0)
        return nullptr;
    if (TemplateFactory* factory = Factory(kind))
        return factory(base);
    if (kind == TemplateKind::Card)
        return std::unique_ptr<Template>(new (std::nothrow) KeptCardTemplate(base));
    return std::unique_ptr<Template>(new (std::nothrow) KeptKindTemplate(kind, base));
}

}  // namespace vek
