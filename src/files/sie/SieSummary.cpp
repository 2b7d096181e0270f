// SieSummary: the vouchers, lines and per-account sums of an imported base, to check an import.
#include "files/sie/SieSummary.h"

#include "files/sie/SieImport.h"
#include "model/base/Base.h"

namespace vek {

namespace {

constexpr int32_t kAccountSlot = 0;  // base dimension 1

}  // namespace

SieSummary SummarizeSieBase(const Base& base)
{
    SieSummary summary;
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        bool opening = IsSieOpeningBalanceCard(*card);
        if (!opening)
            ++summary.voucherCards;
        for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
            for (CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line)) {
                if (!opening)
                    ++summary.voucherLines;
                double value = base.GetLineValue(line, 0);
                const Component* account = base.ComponentAt(base.GetLineComponent(line, kAccountSlot));
                if (account == nullptr || account->IsRoot()) {
                    if (!opening)
                        ++summary.linesWithoutAccount;
                    continue;
                }
                const char* key = account->host != nullptr ? account->host : account->code;
                if (opening) {
                    summary.openingBalances[key] += value;
                    summary.openingTotal += value;
                } else {
                    summary.accountSums[key] += value;
                }
            }
        }
    }
    return summary;
}

}  // namespace vek
