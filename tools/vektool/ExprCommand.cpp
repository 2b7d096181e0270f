// vek-tool expr: reads the options and hands the text to its kind.
#include "ExprCommand.h"
#include "VekToolCommands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "foundation/messages/Message.h"
#include "foundation/strings/String.h"
#include "model/expressions/ConditionCompiler.h"

namespace vektool {

namespace {

struct ExprKind {
    const char* word;
    int (*run)(const ExprOptions&);
};

constexpr ExprKind kExprKinds[] = {
    {"condition", ExprCondition},
    {"pattern", ExprPattern},
    {"formula", ExprFormula},
    {"subset", ExprSubset},
};

int ExprUsage(const char* why)
{
    std::fprintf(stderr, "vek-tool expr: %s\n", why);
    return 2;
}

}  // namespace

int ReportConditionRefused(int32_t code, std::string_view text)
{
    vek::Message message;
    vek::MakeConditionMessage(message, code, text);
    vek::String shown;
    message.Format(shown);
    std::fprintf(stderr, "vek-tool: message %d: %s\n", int(code), shown.CStr());
    return 1;
}

int Expr(Arguments arguments)
{
    const char* kindWord = arguments[0];
    ExprOptions options;
    options.text = arguments[1];
    for (size_t i = 2; i < arguments.size(); ++i) {
        std::string_view option = arguments[i];
        if (i + 1 >= arguments.size())
            return ExprUsage("an option without its value");
        const char* value = arguments[++i];
        if (option == "--base") {
            options.basePath = value;
        } else if (option == "--dimension") {
            char* end = nullptr;
            long number = std::strtol(value, &end, 10);
            if (end == value || *end != 0 || number < 1 || number > 32)
                return ExprUsage("--dimension takes 1-32");
            options.dimension = int(number);
        } else if (option == "--var") {
            const char* equals = std::strchr(value, '=');
            if (equals == nullptr || equals == value)
                return ExprUsage("--var takes NAME=VALUE");
            char* end = nullptr;
            double number = std::strtod(equals + 1, &end);
            if (end == equals + 1 || *end != 0)
                return ExprUsage("--var takes NAME=VALUE with a number");
            options.variables.emplace_back(std::string(value, equals), number);
        } else if (option == "--test") {
            options.tests.emplace_back(value);
        } else {
            return ExprUsage("unknown option");
        }
    }
    for (const ExprKind& kind : kExprKinds) {
        if (std::strcmp(kind.word, kindWord) == 0)
            return kind.run(options);
    }
    return ExprUsage("KIND is one of condition, pattern, formula, subset");
}

}  // namespace vektool
