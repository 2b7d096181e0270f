// CardFilter: which cards, groups and lines an operation over a base's cards counts.
#pragma once

#include "foundation/numbers/CardKey.h"
#include "model/cards/Card.h"

namespace vek {

// What the saving code lets through of a base's cards while it writes them (a key range and a
// selection's tests on cards, groups and lines); the base keeps the one installed (Base::SetCardFilter)
// and counts only what passes when it marks the components its cards use. Every test passes by
// default, and the default range holds every card.
class CardFilter {
public:
    virtual ~CardFilter();
    // The first and the last key let through (both included; a last key dated kEndDate is open).
    virtual void KeyRange(CardKey& from, CardKey& to) const;
    virtual bool PassesCard(const Card& card) const;
    virtual bool PassesGroup(const Card& card, const CardGroup& group) const;
    virtual bool PassesLine(const Card& card, const CardGroup& group, const CardLine& line) const;
};

}  // namespace vek
