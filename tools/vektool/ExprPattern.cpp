// vek-tool expr pattern: a text condition's canonical text and its result for each --test text.
#include "ExprCommand.h"

#include <cstdio>

#include "foundation/strings/String.h"
#include "model/expressions/TextMatcher.h"

namespace vektool {

int ExprPattern(const ExprOptions& options)
{
    vek::String text;
    text.AssignBytes(options.text);
    vek::TextMatcher matcher;
    if (int32_t refused = matcher.Compile(text, vek::kTextMatcherKeepCase))
        return ReportConditionRefused(refused, options.text);
    std::printf("%s\n", text.CStr());
    for (const std::string& test : options.tests)
        std::printf("%s\t%s\n", test.c_str(), matcher.MatchesCStr(test.c_str()) ? "true" : "false");
    return 0;
}

}  // namespace vektool
