// TemplateKindRegistry: the template factories of the analysis kinds, registered by the analysis layer.
#pragma once

#include <array>
#include <memory>

#include "foundation/services/Service.h"
#include "model/templates/Template.h"

namespace vek {

// A maker of a new template of one kind for a base, outside the tree; null when memory runs short.
using TemplateFactory = std::unique_ptr<Template>(Base& base);

// Which template class stands for each analysis kind (1-5) and for the card layout (10). The model
// knows the kinds only by number; the analysis layer, which defines their template classes, registers
// one registry at start-up (Service<TemplateKindRegistry>). A kind without a factory, and every kind
// while nobody registered (the headless registry is empty), is made as a KeptKindTemplate (the card
// layout as a KeptCardTemplate), which keeps the kind's own key lines as read: a program without the
// analysis layer loses no byte of a template.
class TemplateKindRegistry {
public:
    // Gives the kind its factory (null takes it back); kinds other than 1-5 and 10 are passed over.
    void Register(TemplateKind kind, TemplateFactory* factory);
    // The factory registered for the kind, or null.
    [[nodiscard]] TemplateFactory* Factory(TemplateKind kind) const;
    // A new template of the kind for the base: the registered factory's, else the kept-lines
    // placeholder. Null for kinds other than 1-5 and 10 or when memory runs short.
    [[nodiscard]] std::unique_ptr<Template> Make(TemplateKind kind, Base& base) const;

private:
    std::array<TemplateFactory*, 6> factories{};
};

template <>
TemplateKindRegistry& Service<TemplateKindRegistry>::Headless();

}  // namespace vek
