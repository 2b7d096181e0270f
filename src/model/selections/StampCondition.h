// StampCondition: a test on one change stamp of a card, its time and its user code.
#pragma once

#include <cstdint>

#include "foundation/numbers/PackedTimestamp.h"
#include "foundation/strings/OwnedText.h"
#include "model/selections/KeyPattern.h"
#include "model/expressions/TextMatcher.h"

namespace vek {

class Base;
class String;
class TextReader;
class TextWriter;

// A test on one stamp of a card: a stamp pattern over its time (StampPattern) and a text condition
// over its user code (TextMatcher, case kept). Either part may be missing; a condition with neither
// is not present and passes every stamp. The texts are kept in their normal form.
class StampCondition {
public:
    StampCondition() = default;
    StampCondition(const StampCondition&) = delete;
    StampCondition& operator=(const StampCondition&) = delete;

    // Compiles both texts for the base and keeps them normalised; null or empty texts clear their
    // part. A text refused by its compiler (too deep or too large) leaves that part empty and its text
    // as given; the answer is then that message's number, else 0.
    [[nodiscard]] int32_t SetTexts(Base* base, const char* dateText, const char* userText);
    // Compiles the date text again (dates relative to today or to the base's cards move).
    void Recompile(Base* base);
    bool IsPresent() const { return !dateText.IsNull() || !userText.IsNull(); }
    bool Matches(const StampedText& stamp) const;

    ConstHeapText DateText() const { return dateText.Get(); }
    ConstHeapText UserText() const { return userText.Get(); }

    // Two fields: the date text and the user text; SetTexts's answer.
    [[nodiscard]] int32_t ReadFields(Base* base, TextReader& reader);
    // key, separator, date text, separator, user text as one line; nothing when not present.
    void Write(TextWriter& writer, const char* key) const;
    void Clear();

private:
    StampPattern pattern;
    OwnedText dateText;
    TextMatcher user;
    OwnedText userText;
};

}  // namespace vek
