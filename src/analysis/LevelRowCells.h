// LevelRowCells: the level and label cells that every hierarchical analysis prints before its values.
#pragma once

#include <vector>

#include "analysis/AnalysisComputation.h"

namespace vek {

class Base;
struct LevelRow;

// Appends the row's level (1-based) and its label: two blanks of indent per depth, then the dimension's
// plural name for a dimension root, or the component's code and text.
void AppendLevelRowCells(Base& base, const LevelRow& row, std::vector<ResultCell>& cells);

}  // namespace vek
