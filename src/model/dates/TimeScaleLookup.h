#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/numbers/CardKey.h"
#include "foundation/services/Service.h"

namespace vek {

class Base;
class String;

// What date expressions need of a base's time scales: finding a period label or a time-scale name
// that a typed text names, and the card key at one edge of a period. The time-scale code registers
// its implementation at start-up (Service<TimeScaleLookup>); until one is registered the headless
// lookup answers: no text names a period or a time scale, and an expression that named one falls
// back to "File".
//
// `base` is the expression's base, null for an expression that belongs to none. `side` is -1 for
// the start of a period and +1 for its end.
class TimeScaleLookup {
public:
    virtual ~TimeScaleLookup();

    // A period label of the base's time scales that `text` names; its stored spelling goes to
    // `label`. False when no label matches.
    virtual bool FindPeriodLabel(const Base* base, std::string_view text, String& label) const = 0;
    // The same for the names of the base's time scales.
    virtual bool FindTimeScaleName(const Base* base, std::string_view text, String& name) const = 0;

    // The key at the `side` edge of the period `offset` periods from the one labelled `label`
    // (earlier periods for a negative offset; how an offset beyond the time scale's ends is answered
    // is the time scale's rule). False when no period has that label any more.
    virtual bool PeriodKey(const Base* base, std::string_view label, int32_t offset, int32_t side,
                           CardKey& key) const = 0;
    // The same for the period of the time scale named `name` that holds the key `day` (today).
    // False when the base has no time scale of that name any more.
    virtual bool TimeScaleKey(const Base* base, std::string_view name, const CardKey& day,
                              int32_t offset, int32_t side, CardKey& key) const = 0;
};

// The lookup without time scales: every question is answered with false.
template <>
TimeScaleLookup& Service<TimeScaleLookup>::Headless();

}  // namespace vek
