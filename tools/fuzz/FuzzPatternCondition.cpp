// Text conditions and patterns typed by users: compiling stays inside its bytes and limits, and gives
// a canonical text that compiles to itself and to a matcher that means the same; matching any text
// stays inside its arrays. The first byte picks the mode and the case mode.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "foundation/strings/String.h"
#include "model/expressions/TextMatcher.h"

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
    if (size < 1 || size > 4096)
        return 0;
    TextMatcherMode mode = (data[0] & 1) != 0 ? TextMatcherMode::SingleTerm : TextMatcherMode::Expression;
    int32_t caseMode = (data[0] >> 1) % 6;
    // An exact-size copy, so that the sanitizer sees any read past the end.
    std::vector<char> bytes(data + 1, data + size);
    int32_t n = int32_t(bytes.size());
    String text;
    text.AssignBytes(bytes.data(), n);
    String typed;
    typed.Assign(text);

    TextMatcher first;
    if (first.Compile(text, caseMode, mode) != 0) {
        Check(first.IsEmpty());
        Check(text.View() == typed.View());
        return 0;
    }
    String again;
    again.Assign(text);
    TextMatcher second;
    Check(second.Compile(again, caseMode, mode) == 0);
    Check(again.View() == text.View());
    Check(first.EmptyTextResult() == second.EmptyTextResult());

    // A few texts and the condition's own texts as subjects.
    const char* samples[] = {"", "a", "abc", "ABC", "xyz", "*", "a b", "\xC3\xA9t\xC3\xA9",
                             "\xE2\x80\xA6", "aaaaaaaaab"};
    for (const char* sample : samples)
        Check(first.MatchesCStr(sample) == second.MatchesCStr(sample));
    Check(first.MatchesCStr(typed.CStr()) == second.MatchesCStr(typed.CStr()));
    Check(first.MatchesCStr(text.CStr()) == second.MatchesCStr(text.CStr()));
    return 0;
}
