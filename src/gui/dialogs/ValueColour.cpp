// ValueColour: sign colouring by the non-zero threshold of the shared value rules.
#include "gui/dialogs/ValueColour.h"

namespace vek {

constexpr int32_t kColourBlack = 10;
constexpr int32_t kColourRed = 13;
constexpr int32_t kColourGreen = 19;
// A value counts as non-zero when it is at least this far from zero.
constexpr double kNonZero = 5.2e-7;

int32_t ValueColour(double number, SignColouring mode)
{
    if (mode == SignColouring::None)
        return kColourBlack;
    // NaN compares false on both sides and stays black; infinities fall on their sign's side.
    if (number <= -kNonZero)
        return kColourRed;
    if (mode == SignColouring::NegativeRedPositiveGreen && number >= kNonZero)
        return kColourGreen;
    return kColourBlack;
}

}  // namespace vek
