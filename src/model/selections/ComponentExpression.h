// ComponentExpression: subset expressions that name a set of components of one dimension.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "foundation/memory/BlockPtr.h"

namespace vek {

class Base;
class BitSet;
class String;
class TextMatcher;

// Op codes of a compiled subset expression. Operand ops push the set they name; the others combine
// the sets on top of the stack.
enum ComponentExpressionOp : uint32_t {
    kExprEnd = 1,
    kExprAnd = 2,            // "&": intersection of the two on top
    kExprOr = 3,             // "|": union
    kExprXor = 4,            // "±": symmetric difference
    kExprComplement = 5,     // "¬" before an operand: complement of the top
    kExprAndNot = 6,         // "¬" between operands: the left less the right
    kExprRoot = 9,           // "\": the root alone (lines without a component of the dimension)
    kExprEmpty = 10,         // "\\": nothing
    kExprTopLevel = 11,      // "!": the children of the root
    kExprInner = 12,         // "?": components with children whose parent is not the root
    kExprLeaves = 13,        // "¶": every component without children
    kExprSubtree = 14,       // code: the component and its whole subtree
    kExprRange = 15,         // code "…" code: two ops, first and last (with the last one's subtree)
    kExprRangeToLast = 16,   // code "…" code "!": the second op when the last one's subtree is left out
    kExprAncestors = 17,     // code "^": the component and its ancestors below the root
    kExprAlone = 18,         // code "!": the component alone
    kExprInnerBelow = 19,    // code "?": components with children strictly inside its subtree
    kExprLeavesBelow = 20,   // code "¶": leaves strictly inside its subtree
    kExprText = 21,          // "=" text: components whose text passes the condition
    kExprTextUp = 22,        // "=" text "^": those and their ancestors below the root
    kExprHost = 23,          // "@" text: components whose host code passes the condition
    kExprHostUp = 24,        // "@" text "^": those and their ancestors below the root
};

// One op: its code and its argument (a component number, or the position of a text in the pool).
struct ComponentExpressionStep {
    uint32_t code;
    uint32_t argument;
};
static_assert(sizeof(ComponentExpressionStep) == 8);

// Whether the compiler simplifies binary ops by the shape of the tree. Off only to check that the
// rules never change what an expression admits.
enum class ExpressionSimplify : uint8_t { On, Off };

// A compiled subset expression ("1910", "19…29", "3¶", "=cash*", "(1|2)¬15") over the components of one
// dimension: a short postfix program simplified by the shape of the component tree, run on a stack of
// bit sets, and written back as canonical text.
//
// The program is one allocator block:
//
//   | offset       | contents                                                            |
//   |--------------|---------------------------------------------------------------------|
//   | 0            | distance from the block start to the text pool, unsigned 16-bit     |
//   | 2            | 0, 16-bit (keeps the ops on a 4-byte boundary)                      |
//   | 4            | the ops, 8 bytes each (code, argument), the last one kExprEnd       |
//   | pool         | the pattern texts of ops 21-24, each ending in a zero byte          |
//
// A pattern text that was typed as a bracketed group "(…)" is kept without its brackets behind the
// group marker byte 0x01 (compiling reads control characters as blanks, so no typed text begins with
// it). A text has at most kMaxTextBytes bytes, so the ops stay inside the 16-bit distance.
//
// No program (an empty text, or nothing usable in it) admits the whole dimension, root included.
class ComponentExpression {
public:
    // Longest text a user types; callers cut typed texts to it (at a character boundary).
    static constexpr int32_t kTypedTextBytes = 1023;
    // Longest text compiled; longer texts are cut. A canonical text can be longer than the typed text
    // it came from (codes for prefixes, quotes, brackets, blanks), and must still read back whole;
    // at one op per byte at most, the ops stay inside the 16-bit distance.
    static constexpr int32_t kMaxTextBytes = 8000;
    // Deepest nesting of brackets; deeper texts are refused with message 3925.
    static constexpr int32_t kMaxNesting = 32;
    static constexpr char kGroupMarker = '\x01';

    ComponentExpression() = default;
    ComponentExpression(ComponentExpression&&) noexcept = default;
    ComponentExpression& operator=(ComponentExpression&&) noexcept = default;

    // Compiles `text` for dimension d of `base`. Words are resolved by Base::ResolveComponent, which
    // asks the user or reports message 3903 when no component matches. Returns false, and this
    // expression is left as it was, when a word names no component, when brackets nest deeper than
    // kMaxNesting (message 3925), or when memory runs short (error 600 pending). Otherwise true: this
    // holds the new program, or none when the text holds nothing usable.
    [[nodiscard]] bool Compile(Base& base, int32_t d, std::string_view text,
                               ExpressionSimplify simplify = ExpressionSimplify::On);
    void Reset() { block.reset(); }

    bool HasProgram() const { return block != nullptr; }
    // The ops before the end op (empty without a program).
    std::span<const ComponentExpressionStep> Steps() const;
    std::span<ComponentExpressionStep> MutableSteps();
    // The pool text an op 21-24 names (with its group marker when it was a group).
    const char* PoolText(uint32_t position) const;

    // Sets the bits of every component of d in `out` (the root included) to what the program admits;
    // other bits are left. Without a program, or when the cancel flag stops the run (or memory runs
    // short, error 600 pending), every component of d is admitted.
    void Run(const Base& base, int32_t d, BitSet& out) const;

    // Replaces `out` with the canonical text; `separator` (a blank or nothing) goes on both sides of
    // binary operators. Empty without a program.
    void FormatText(const Base& base, int32_t d, String& out, std::string_view separator) const;

    // Compiles the condition of an op 21-24 into `matcher`: the text of a component ("=") is tested
    // against a bracketed group as a full condition and otherwise against one term; the host code
    // ("@") always against one term. The dimension's text or host mode is the case mode. Returns
    // TextMatcher::Compile's answer: 0, or the number of the message that refused the condition.
    static int32_t CompileMatcher(const Base& base, int32_t d, uint32_t code, const char* poolText,
                                  TextMatcher& matcher);

private:
    BlockPtr<uint8_t> block;
};

}  // namespace vek
