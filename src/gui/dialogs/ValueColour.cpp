// ValueColour: sign colouring by the non-zero threshold of the shared value rules.
#include "gui/dialogs/ValueColour.h"

namespace vek {

constexpr int32_t kSignColourBlack = 10;
constexpr int32_t kSignColourRed = 13;
constexpr int32_t kSignColourGreen = 19;
// A value counts as non-zero when it is at least this far from zero.
constexpr double kSignNonZero = 5.2e-7;

int32_t ValueColour(double number, SignColouring mode)
{
    if (mode == SignColouring::None)
        return kSignColourBlack;
    // NaN compares false on both sides and stays black; infinities fall on their sign's side.
    if (number <= -kSignNonZero)
        return kSignColourRed;
    if (mode == SignColouring::NegativeRedPositiveGreen && number >= kSignNonZero)
        return kSignColourGreen;
    return kSignColourBlack;
}

}  // namespace vek
