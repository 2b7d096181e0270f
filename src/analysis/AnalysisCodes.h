// AnalysisCodes: small helpers of the analysis kinds (column names, value ranges); the one-letter codes
// their templates store are in the model (AnalysisCodeLetters).
#pragma once

#include <cstdint>

#include "analysis/AnalysisCodeLetters.h"

namespace vek {

class String;

// Year lengths, one per kind of quantity. Rates (the turnover rate, interest) are quoted per year
// of 365 days, as banks and accounts count them; the elapsed time in years (the time-functions
// variable T) measures time, so it takes the mean year with its leap day.
inline constexpr double kRateDaysPerYear = 365.0;
inline constexpr double kElapsedDaysPerYear = 365.25;

// True when a column name would read as part of a formula: it begins with a formula function name
// followed by a blank or "(", with an operator of the formula language, or with "#", "!", "(", ")".
bool IsReservedColumnName(const char* text);

// True when a value range is too narrow to draw: high - low <= 0.0001, or (high - low) x 10000 <=
// |high| + |low|.
bool IsDegenerateRange(double low, double high);
// Adds the condition that a value range stands for ("low…high", ">low", "<high", nothing when
// neither bound is finite). A text that already holds something becomes "(text)&condition".
void AppendValueRangeCondition(double low, double high, String& condition);

}  // namespace vek
