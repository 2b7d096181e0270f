#pragma once

#include "foundation/memory/BitSet.h"

namespace vek {

class TimeScale;

// What a checkpoint keeps of a base (Base::TakeCheckpoint, Base::RollBack), so that an import can be
// undone: the cards and the components that were live when it was taken, as sets of pool indices.
// Of the named objects it keeps the last time scale (the ones after it go) and marks every macro
// present (the unmarked ones go). The other lists (save setups, import setups, templates) add what
// they need to find their own additions here when they come.
// A checkpoint that could not be taken (memory ran short) is not valid, and rolling back to it does
// nothing; rolling back uses it up.
struct BaseCheckpoint {
    BitSet cards;
    BitSet components;
    TimeScale* lastTimeScale = nullptr;  // null: the base had none
    bool valid = false;
};

}  // namespace vek
