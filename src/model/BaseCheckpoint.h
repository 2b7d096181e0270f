#pragma once

#include "foundation/BitSet.h"

namespace vek {

// What a checkpoint keeps of a base (Base::TakeCheckpoint, Base::RollBack), so that an import can be
// undone: the cards and the components that were live when it was taken, as sets of pool indices.
// The lists of named objects (save setups, import setups, time scales, templates, macros) add what
// they need to find their own additions here when they come.
// A checkpoint that could not be taken (memory ran short) is not valid, and rolling back to it does
// nothing; rolling back uses it up.
struct BaseCheckpoint {
    BitSet cards;
    BitSet components;
    bool valid = false;
};

}  // namespace vek
