// TextMatcher: a compiled condition over texts (words that must occur, whole-text patterns, "\").
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"
#include "foundation/strings/String.h"

namespace vek {

// How a text condition is read.
enum class TextMatcherMode {
    // Typing shortcuts normalised; "|", "±", "&", "¬" and brackets combine terms.
    Expression,
    // The whole text is one term, as typed: a plain word runs to the end of the text.
    SingleTerm,
};

// The case modes that Compile applies to the text first (CStrChangeCase); any other value keeps it.
inline constexpr int32_t kTextMatcherKeepCase = 5;

// A condition over texts. Its terms are a plain word that must occur in the text, "\" and a wildcard
// pattern that must match the whole text, and "\" alone for the empty text; the boolean layer and its
// repairs are those of number conditions. Comparisons ignore case (characters below U+0800 through the
// upper-case table) except in pattern atoms marked exact with "^".
//
// Patterns: "*" any characters, "?" one character, "a…f" a range, "{x;y}" alternatives (typed "(x;y)"
// is rewritten with braces), an atom followed by "+" once or more, by ":" any number of times, a quoted
// text taken literally, "^" making the next atom exact.
//
// Compiled block, one allocator block:
//
//   | piece   | contents                                                                       |
//   |---------|--------------------------------------------------------------------------------|
//   | header  | two 32-bit words: offset of the word pool, offset of the state table            |
//   | ops     | PatternOp each; the last has code 0                                             |
//   | words   | the plain words, each ending in a 0 byte, padded to a multiple of 4 bytes       |
//   | states  | PatternState each                                                               |
//
// Matching allocates nothing and reads each character of a text once per pattern.
class TextMatcher {
public:
    // Limits of one condition; a text that needs more is refused.
    static constexpr int32_t kMaxOps = 128;
    static constexpr int32_t kMaxWordBytes = 1024;
    static constexpr int32_t kMaxStates = 1030;

    TextMatcher() = default;
    ~TextMatcher();
    TextMatcher(const TextMatcher&) = delete;
    TextMatcher& operator=(const TextMatcher&) = delete;
    // Moving hands the block over; the source is left empty.
    TextMatcher(TextMatcher&& other) noexcept;
    TextMatcher& operator=(TextMatcher&& other) noexcept;

    // Compiles the text and rewrites it in canonical form: a missing ")", "}" or closing quote
    // inserted, "\" put in for an empty word, "(" and ")" of patterns written as braces, "**" as "*",
    // surplus text dropped. `caseMode` 0-3 changes the case of the text first (upper, lower, first
    // letter, each word). Returns 0. A text nested deeper than kMaxConditionNesting or needing more
    // than the limits above (or whose canonical form exceeds kConditionTextLimit bytes) is refused with
    // message::kConditionTooDeep or message::kConditionTooLarge: the matcher is left empty (it passes
    // every text) and the text as given, as when memory runs short (which returns 0).
    [[nodiscard]] int32_t Compile(String& text, int32_t caseMode, TextMatcherMode mode = TextMatcherMode::Expression);
    // A name pattern as typed (case kept): false when the pattern is empty or refused, so that the
    // matcher, which would then pass every text, is never used to pick what to delete.
    [[nodiscard]] bool CompileNamePattern(const char* pattern);

    // Whether a text passes. An empty or null text gives EmptyTextResult().
    bool MatchesString(const String& text) const { return MatchesCStr(text.CStr()); }
    bool MatchesCStr(const char* text) const;
    bool MatchesHeapText(ConstHeapText text) const { return MatchesCStr(text); }
    // As MatchesHeapText, but a word or pattern that fails on the stored text is tried again on its
    // display form (links shown as their link texts), which `registry.FormatText(String&, const char*)`
    // gives, when that form is not empty; "\" alone gives false here.
    template <typename Registry>
    bool MatchesDisplayText(ConstHeapText text, const Registry& registry) const
    {
        if (text == nullptr || *text == 0 || block == nullptr)
            return emptyTextResult;
        String display;
        registry.FormatText(display, text);
        return Run(text, display.IsEmpty() ? nullptr : display.CStr());
    }

    // What the condition gives for an empty text (true for an empty condition).
    bool EmptyTextResult() const { return emptyTextResult; }
    // True when there is no block: every text passes.
    bool IsEmpty() const { return block == nullptr; }
    void Clear();

private:
    // Runs the ops over a non-empty text; `display`, when not null, is the second chance of words and
    // patterns.
    bool Run(const char* text, const char* display) const;

    char* block = nullptr;  // an allocator block as above, or null
    bool emptyTextResult = true;
};

// Deletes the objects of a named-object list (its DeleteMatching) whose names match a name pattern;
// an empty or refused pattern deletes nothing. The count deleted.
template <typename List>
int32_t DeleteObjectsMatching(List& list, const char* pattern)
{
    TextMatcher matcher;
    if (!matcher.CompileNamePattern(pattern))
        return 0;
    return list.DeleteMatching([&matcher](const char* name) { return matcher.MatchesCStr(name); });
}

}  // namespace vek
