// Identifiers: the names that formulas and expressions refer to, and the editing of expressions.
#pragma once

#include <cstdint>

#include "foundation/strings/String.h"

namespace vek {

// Identifiers are the names that formulas and expressions refer to (value fields, columns, rows,
// subsets). A character counts after case and accent folding, so accented Latin letters are allowed
// and Greek or Cyrillic letters are not.

// Flags of the identifier operations.
inline constexpr int32_t kIdentifierStart = 1;       // the first character: no digit
inline constexpr int32_t kIdentifierBlanks = 2;      // blanks belong to the identifier
inline constexpr int32_t kIdentifierOperators = 4;   // ReplaceIdentifier: step over operator words

// "#", ".", "_" and A..Z (after folding) always; digits unless kIdentifierStart; a blank only with
// kIdentifierBlanks.
bool IsIdentifierChar(uint32_t codePoint, int32_t flags);

// Makes a text an identifier: blanks are trimmed, inner blanks become "." (unless kIdentifierBlanks),
// every other character that is not allowed becomes "."; when the first character may not start an
// identifier (kIdentifierStart), the prefix's first character ("V" without a prefix) is put in front.
// A text in which no character was allowed (or an empty one) becomes the prefix (empty without).
// "3 Sales/Q1" gives "V3.Sales.Q1" with kIdentifierStart and "3.Sales.Q1" without.
void MakeIdentifier(String& text, const char* prefix, int32_t flags);

// Renames an identifier inside a formula or expression text: at every identifier (a first character
// allowed with `flags`, then characters allowed without kIdentifierStart) whose text is `name`, byte for
// byte, followed only by blanks, the name is replaced by `replacement`; other identifiers are stepped
// over whole, so "Sales+SalesTax" renaming Sales changes only the first. With kIdentifierOperators an
// operator word of the formula language (see SetOperatorWordMatcher) is stepped over by itself even
// where blanks join it to the next word. An empty or null name changes nothing; when the text cannot
// grow the replacement is not made.
void ReplaceIdentifier(String& text, const char* name, const char* replacement, int32_t flags);

// The formula language's operator words belong to the formula compiler, which registers a matcher at
// start-up: it gives the byte length of the operator word at the start of the n bytes, or 0. Without
// one no word counts as an operator word.
using OperatorWordMatcher = int32_t (*)(const char* bytes, int32_t n);
void SetOperatorWordMatcher(OperatorWordMatcher matcher);

// Replaces a trailing run of digits by its value + 1 ("Report 9" gives "Report 10"); without one
// appends a blank (unless the text ends with one) and "1" ("Report" gives "Report 1").
void IncrementTrailingNumber(String& text);
// The next variant of a name: a last letter A..Y or a..y standing alone or after a blank or "." is
// replaced by the next letter ("Plan A" gives "Plan B"); a last digit counts up with carry ("Plan9"
// gives "Plan10"); otherwise ".1" is appended ("Plan" gives "Plan.1").
void IncrementNameSuffix(String& text);

// Wraps the text in "(" and ")" when it holds "|" or "±" after its first character (operators that
// bind less than "&").
void ParenthesizeIfNeeded(String& text);
// Joins a condition to a text with "&", parenthesizing both as needed. An empty or null condition, or
// one equal to the text, changes nothing; an empty text becomes the condition.
void AppendAndCondition(String& text, const char* condition);
// Removes every double quote and apostrophe.
void StripQuotes(String& text);

// Finds, among offered candidates, the one that best continues a typed name (a code typed in
// front of more text, say). Candidates are compared by characters without regard to case.
class PrefixMatcher {
public:
    // `breaks`: the characters that may follow a matched part of the typed name; null accepts any.
    explicit PrefixMatcher(const char* typed, const char* breaks = nullptr);
    PrefixMatcher(const PrefixMatcher&) = delete;
    PrefixMatcher& operator=(const PrefixMatcher&) = delete;

    // Offers a candidate with two values of the caller's. The matched length is the number of leading
    // characters of the candidate equal to the typed name. The candidate is rejected when it matches
    // nothing or less than the best so far, when the typed name goes on after the match with a
    // character that is not a break (while breaks are given), or when it matches no more than the best
    // and leaves no fewer of its own characters. Otherwise it becomes the best, and the result is 1
    // when it matches the whole typed name exactly (else 0; also 0 when rejected).
    int32_t Offer(const char* candidate, int32_t a, int32_t b);

    bool HasBest() const { return bestMatched > 0; }
    const String& Best() const { return best; }
    int32_t MatchedLength() const { return bestMatched; }     // characters
    int32_t RemainingLength() const { return bestRemaining; } // characters of the best after the match
    int32_t ValueA() const { return valueA; }
    int32_t ValueB() const { return valueB; }
    // The typed name (upper-cased) with its matched part replaced by the best candidate.
    void Apply(String& text) const;
    // The typed name (upper-cased) after its matched part, leading blanks skipped.
    void Rest(String& text) const;

private:
    String typed;   // upper-cased
    String breaks;
    bool checkBreaks = false;
    String best;
    int32_t bestMatched = 0;
    int32_t bestRemaining = 0;
    int32_t bestTypedBytes = 0;  // bytes of the typed name that the best matched
    int32_t valueA = 0;
    int32_t valueB = 0;
};

}  // namespace vek
