// The text side of subset expressions: tokens, pattern texts and quoting, shared by the compiler and
// the formatter so that what one writes the other reads back unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vek::expressiontext {

struct Token {
    enum Kind { End, And, Or, Xor, Not, Open, Close, Root, Top, Inner, Leaf, Range, Up, Text, Host, Word };
    Kind kind = End;
    size_t begin = 0;  // after the blanks before the token
    size_t end = 0;    // just after the token
    // A word's own text: inside its quotes, or up to the next delimiter (blanks there included).
    size_t wordBegin = 0;
    size_t wordEnd = 0;
    bool quoted = false;
};

// The token at `position` (blanks before it skipped).
Token TokenAt(std::string_view text, size_t position);

// Reads the pattern text after "=" or "@" from `position`: a quoted text, a bracketed group (kept
// without its brackets behind the group marker, missing closing quotes and brackets supplied), or a
// run up to "&", "|", "±", "¬", ")" or "^" with its blanks trimmed. Returns the position after it.
size_t ReadPatternText(std::string_view text, size_t position, std::string& out);

// Appends a word so that it reads back as itself: bare when it can be, else in single quotes, or in
// double quotes when it holds a single quote. False (nothing appended) when it holds both quotes.
bool AppendWord(std::string& out, std::string_view word);
// Appends a pattern text from the pool as ReadPatternText reads it back.
void AppendPatternText(std::string& out, std::string_view poolText);

}  // namespace vek::expressiontext
