// The one-million-card, five-line synthetic base that the model benchmarks measure against.
#pragma once

#include "synthetic/SyntheticBase.h"

namespace vek {
class Base;
}

namespace vek::bench {

// One million cards of five lines, five dimensions of 1000 components, one value a line, seed 7.
SyntheticBaseOptions MillionCardOptions();

// A base built from MillionCardOptions once per program, on first use, unattended and with its
// dimension order set up; null when it could not be built.
Base* MillionCardBase();

}  // namespace vek::bench
