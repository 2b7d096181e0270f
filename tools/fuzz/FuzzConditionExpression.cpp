// Number conditions typed by users: compiling never fails on a text short of the limits, stays inside
// its bytes, and gives a canonical text that compiles to itself and to a condition that means the same.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <vector>

#include "foundation/strings/String.h"
#include "model/expressions/ValueCondition.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    // An exact-size copy, so that the sanitizer sees any read past the end.
    std::vector<char> bytes(data, data + size);
    String text;
    text.AssignBytes(bytes.data(), int32_t(size));
    String typed;
    typed.Assign(text);

    ValueCondition first;
    if (first.Compile(text) != 0) {
        Check(first.IsEmpty());
        Check(text.View() == typed.View());
        return 0;
    }
    String again;
    again.Assign(text);
    ValueCondition second;
    Check(second.Compile(again) == 0);
    Check(again.View() == text.View());
    Check(first.IsEmpty() == second.IsEmpty());

    const double values[] = {0, -1, 1, 2.5, 5, 10, 1e300, -1e300, std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    for (double value : values)
        Check(first.Matches(value) == second.Matches(value));
    return 0;
}
