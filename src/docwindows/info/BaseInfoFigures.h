// BaseInfoFigures: the figures of one open base that the base info window and its HTML page show.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vek {

class Base;

// Per dimension 0-31 and, at kBaseInfoTotal, the sums over them.
constexpr int32_t kBaseInfoTotal = 32;

struct BaseInfoDimensionFigures {
    int32_t components = 0;
    // Components that a line (dimension 0: a group key) names.
    int32_t used = 0;
    // Those and every host above them, each counted once.
    int32_t usedWithHosts = 0;
};

// The figures, computed in one pass over the cards (BaseInfoFigures::Compute).
struct BaseInfoFigures {
    int64_t memoryUse = 0;  // bytes the base holds in memory (Base::GetMemoryUse)
    int64_t fileSize = 0;   // bytes of the base file; 0 without one
    double fileTime = 0;    // the file's modification time (seconds of the date-time epoch); 0 none
    int32_t cards = 0;
    int32_t groups = 0;
    int32_t lines = 0;
    int32_t cardsWithText = 0;
    int32_t cardsWithNotes = 0;
    int32_t linesWithText = 0;
    std::string firstCardKey;  // empty without cards
    std::string lastCardKey;
    // The highest dimension with components (0 when only dimension 0 or none has any).
    int32_t highestWithComponents = 0;
    std::array<BaseInfoDimensionFigures, kBaseInfoTotal + 1> dimensions{};

    // Walks the base's cards in date order once; standard containers let std::bad_alloc rise.
    static BaseInfoFigures Compute(Base& base);
};

}  // namespace vek
