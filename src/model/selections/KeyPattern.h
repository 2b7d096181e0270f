// KeyPattern: compiled conditions over card keys (CardKeyPattern) and change stamps (StampPattern).
#pragma once

#include <cstdint>

#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "model/expressions/ConditionProgram.h"

namespace vek {

class Base;
class String;

// What the values of a pattern are read as.
enum class KeyPatternKind : int32_t { CardKey, Stamp };

// A compiled pattern: a comparison program over keys, or none (every key passes). Both kinds of
// pattern share it: a card key is held as (date << 32 | number) and a stamp as its timestamp, so that
// one unsigned comparison orders either; a value stands for its first and last key (a date for the
// whole day). A key without a date (date 0, timestamp 0) is held as 0 and is what "\" asks for.
// Compiling never fails on what the user typed: the text is normalised (typing shortcuts, blanks
// removed, comparisons in one spelling, date expressions in their own text, a missing ")" put in)
// and handed back in that form. A card-key value that reads as no date (a text without digits) is
// the key without a date and is kept as typed; an empty value before "…" opens the range at its
// start; a stamp value that gives no time is dropped.
class KeyPattern {
public:
    KeyPattern() = default;
    ~KeyPattern();
    KeyPattern(const KeyPattern&) = delete;
    KeyPattern& operator=(const KeyPattern&) = delete;
    KeyPattern(KeyPattern&&) noexcept = default;
    KeyPattern& operator=(KeyPattern&&) noexcept = default;

    // Values are date expressions of the base (DateExpression: "240131", "Month-1", a period
    // label); a stamp pattern also takes YYMMDDhhmm digits. Returns 0, or message::kConditionTooDeep
    // or message::kConditionTooLarge for a text refused whole: the pattern is then empty and the text
    // as given. Memory running short leaves the pattern empty and returns 0.
    [[nodiscard]] int32_t Compile(String& text, Base* base, KeyPatternKind kind);
    bool Matches(uint64_t key) const { return program.Matches(key, key == 0); }
    bool IsEmpty() const { return program.IsEmpty(); }
    void Clear() { program.Clear(); }

    // The ops, ending in op 0 (null for none); for tests and dumps.
    const ConditionProgram<uint64_t>::Op* Ops() const { return program.Ops(); }

    static uint64_t FromCardKey(const CardKey& key)
    {
        return key.date == 0 ? 0 : (uint64_t(key.date) << 32) | uint32_t(key.number);
    }

private:
    ConditionProgram<uint64_t> program;
};

// A condition over card keys ("240101…240131", ">=Month-1", "\").
class CardKeyPattern {
public:
    [[nodiscard]] int32_t Compile(String& text, Base* base) { return pattern.Compile(text, base, KeyPatternKind::CardKey); }
    bool Matches(const CardKey& key) const { return pattern.Matches(KeyPattern::FromCardKey(key)); }
    bool IsEmpty() const { return pattern.IsEmpty(); }
    void Clear() { pattern.Clear(); }
    const KeyPattern& Pattern() const { return pattern; }

private:
    KeyPattern pattern;
};

// A condition over the time of a change stamp ("Month", "2401311430…2401311800", "\").
class StampPattern {
public:
    [[nodiscard]] int32_t Compile(String& text, Base* base) { return pattern.Compile(text, base, KeyPatternKind::Stamp); }
    bool Matches(PackedTimestamp time) const { return pattern.Matches(time); }
    bool IsEmpty() const { return pattern.IsEmpty(); }
    void Clear() { pattern.Clear(); }
    const KeyPattern& Pattern() const { return pattern; }

private:
    KeyPattern pattern;
};

}  // namespace vek
