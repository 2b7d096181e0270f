// SieSummary: the figures by which an SIE import is checked against another reader of the file.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace vek {

class Base;

// The figures by which an imported accounting file is checked against another reader of the same
// file: the voucher cards, their lines, and the sums per account, apart from the opening balances.
// Accounts are known by their host code (the SIE account number; the code when there is none).
struct SieSummary {
    int32_t voucherCards = 0;   // every card but the opening-balance card
    int32_t voucherLines = 0;
    int32_t linesWithoutAccount = 0;
    std::map<std::string, double> accountSums;          // over the voucher cards
    std::map<std::string, double> openingBalances;      // the opening-balance card's lines
    double openingTotal = 0.0;

    bool operator==(const SieSummary&) const = default;
};

// Sums the first value of every line by the line's account (base dimension 1).
SieSummary SummarizeSieBase(const Base& base);

}  // namespace vek
