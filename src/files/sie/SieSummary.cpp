// SieSummary: the vouchers, lines and per-account sums of an imported base, to check an import.
#include "files/sie/SieSummary.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "files/sie/SieImport.h"
#include "model/base/Base.h"

namespace vek {

namespace {

constexpr int32_t kAccountSlot = 0;  // base dimension 1

}  // namespace

SieSummary SummarizeSieBase(const Base& base)
{
    SieSummary summary;
    // Sums build up in accumulators found once per account component, not by a text look-up per line;
    // each account's lines are still added one by one in chain order, so every sum is the same to the
    // last bit. Two components with one host code share an accumulator, as they share a key.
    struct Accumulator {
        const char* key;
        double sum = 0.0;
        bool opening;
    };
    std::vector<Accumulator> accumulators;
    std::map<std::pair<std::string, bool>, int32_t> byKey;
    std::vector<int32_t> ofComponent[2];  // [opening]: component index -> accumulator, -1 not yet known
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        const bool opening = IsSieOpeningBalanceCard(*card);
        std::vector<int32_t>& slots = ofComponent[opening ? 1 : 0];
        if (!opening)
            ++summary.voucherCards;
        for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
            for (CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line)) {
                if (!opening)
                    ++summary.voucherLines;
                double value = base.GetLineValue(line, 0);
                uint32_t index = base.GetLineComponent(line, kAccountSlot);
                const Component* account = base.ComponentAt(index);
                if (account == nullptr || account->IsRoot()) {
                    if (!opening)
                        ++summary.linesWithoutAccount;
                    continue;
                }
                if (index >= slots.size())
                    slots.resize(size_t(index) + 1, -1);
                int32_t& slot = slots[index];
                if (slot < 0) {
                    const char* key = account->host != nullptr ? account->host : account->code;
                    auto [found, added] = byKey.try_emplace({std::string(key), opening}, int32_t(accumulators.size()));
                    if (added)
                        accumulators.push_back({key, 0.0, opening});
                    slot = found->second;
                }
                accumulators[size_t(slot)].sum += value;
                if (opening)
                    summary.openingTotal += value;
            }
        }
    }
    for (const Accumulator& accumulator : accumulators)
        (accumulator.opening ? summary.openingBalances : summary.accountSums)[accumulator.key] = accumulator.sum;
    return summary;
}

}  // namespace vek
