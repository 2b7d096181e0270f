// LevelRowCells: the level and label cells that every hierarchical analysis prints before its values.
#include "analysis/LevelRowCells.h"

#include "analysis/LevelTree.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/dimensions/Component.h"

namespace vek {

void AppendLevelRowCells(Base& base, const LevelRow& row, std::vector<ResultCell>& cells)
{
    String level;
    level.AssignInt(row.level + 1);
    cells.push_back(ResultCell::OfText(level.CStr()));
    String shown;
    for (int32_t k = 0; k < row.depth; ++k)
        shown.AppendCStr("  ");
    const Component* component = base.ComponentAt(row.component);
    if (component && component->IsRoot()) {
        String name;
        base.DimensionPluralName(int32_t(row.component), name);
        shown.AppendCStr(name.CStr());
    } else if (component) {
        if (component->code)
            shown.AppendCStr(component->code);
        if (component->text) {
            shown.AppendChar(' ');
            shown.AppendCStr(component->text);
        }
    }
    cells.push_back(ResultCell::OfText(shown.CStr()));
}

}  // namespace vek
