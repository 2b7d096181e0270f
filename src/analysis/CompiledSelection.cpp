#include "analysis/CompiledSelection.h"

#include "model/base/Base.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

CompiledSelection::CompiledSelection(Base& base, const SelectionTexts& texts, SelectionCheck runCheck)
    : selection(base, base.GlobalSubsetOperands()), check(runCheck)
{
    selection.ApplyTexts(texts);
}

CompiledSelection::~CompiledSelection() = default;

}  // namespace vek
