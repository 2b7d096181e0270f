// vek-tool expr: compiles a text of one of the expression languages and shows what it does.
#pragma once

#include "VekToolCommon.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vektool {

// The options of `vek-tool expr KIND TEXT [--base FILE] [--dimension N] [--var NAME=VALUE]... [--test VALUE]...`.
struct ExprOptions {
    std::string text;
    const char* basePath = nullptr;  // --base FILE, or none
    int dimension = 1;               // --dimension N, 1-32 as users count
    std::vector<std::pair<std::string, double>> variables;  // --var NAME=VALUE
    std::vector<std::string> tests;                         // --test VALUE
};

// One function a kind. Each prints the canonical text on the first line, then what its kind shows; a
// text that cannot be compiled gives its numbered message on stderr and exit status 1.
int ExprCondition(const ExprOptions& options);
// A refused condition text: its numbered message (a code of MakeConditionMessage) on stderr; returns 1.
int ReportConditionRefused(int32_t code, std::string_view text);
int ExprPattern(const ExprOptions& options);
int ExprFormula(const ExprOptions& options);
int ExprSubset(const ExprOptions& options);

}  // namespace vektool
