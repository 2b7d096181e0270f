// AnalysisKinds: the analysis layer's kinds, registered with the model at start-up.
#pragma once

namespace vek {

// Registers the analysis layer's services: the template class of every analysis kind with the
// model's template registry (Service<TemplateKindRegistry>). Called once by the start-up function,
// after the model's and the files' services.
void RegisterAnalysisLayerServices();

}  // namespace vek
