// ConditionCompiler: the boolean layer shared by number conditions and text conditions, and the
// normaliser of typing shortcuts.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vek {

class String;
struct Message;

// The operator characters of the condition languages, after normalisation.
inline constexpr uint32_t kConditionOr = '|';
inline constexpr uint32_t kConditionXor = 0x00B1;       // "±"
inline constexpr uint32_t kConditionAnd = '&';
inline constexpr uint32_t kConditionNot = 0x00AC;       // "¬", prefix not and infix and-not
inline constexpr uint32_t kConditionUndefined = '\\';  // undefined value, empty text, pattern lead
inline constexpr uint32_t kConditionRange = 0x2026;     // "…"
inline constexpr uint32_t kConditionNotEqual = 0x2260;  // "≠"
inline constexpr uint32_t kConditionLessEqual = 0x2264;     // "≤"
inline constexpr uint32_t kConditionGreaterEqual = 0x2265;  // "≥"

// A typed condition is cut to this many bytes before it is compiled. A canonical text that grows
// beyond it (numbers written out, brackets inserted) is refused, because reading it back would cut it
// and give another condition.
inline constexpr int32_t kConditionTextLimit = 1023;
// Brackets, braces and prefix "¬" nest at most this deep; deeper texts are refused, which keeps the
// compiler's recursion and the evaluators' stacks of truth values bounded.
inline constexpr int32_t kMaxConditionNesting = 100;
// Compilations of one text: a repaired text is compiled again until it comes back unchanged, at most
// this many times.
inline constexpr int32_t kMaxConditionPasses = 8;
// Entries of an evaluator's stack of truth values.
inline constexpr int32_t kConditionStackSize = 128;

// Whether the character (0 at the end) ends a value of the comparison languages: a bracket, a
// comparison, a boolean operator or "…". Each language may end its values at more.
bool EndsConditionValue(uint32_t c);

// Rewrites the typing shortcuts in place: two or more "." and each "_" become "…", two or more "-"
// become "¬", two or more "+" become "|", "+-" becomes "±". Text between a pair of double or single
// quotes is copied unchanged; an unclosed quote leaves the rest of the text unchanged.
void NormalizeConditionText(String& text);

// The message of a refused compilation (`code` is message::kConditionTooDeep or
// message::kConditionTooLarge), with the text and the limits as its arguments.
void MakeConditionMessage(Message& message, int32_t code, std::string_view text);

// The working state of one compilation: the text being rewritten into its canonical form, a cursor
// into it, and the ops written so far. It parses the boolean layer (or-expression, "±", "&", "¬",
// brackets) and its repairs; each language parses its own terms in ParseTerm. Positions are byte
// positions into the text; the text holds no NUL before its end.
class ConditionCompiler {
public:
    // One op as the compilation collects it; each language packs its own block from these.
    struct Op {
        int32_t code = 0;
        int32_t argument = 0;  // skip count of "|" and "&", or the term's argument
        double first = 0;
        double second = 0;
    };
    // The op codes of one language.
    struct Codes {
        int32_t notCode;
        int32_t xorCode;
        int32_t orCode;
        int32_t andCode;
    };

    // A comparison character as bits ("=" 1, ">" 2, "<" 4; the two-way signs as two bits), 0 for
    // any other character; a run of them spells one comparison.
    static int32_t ComparisonBits(uint32_t c);

    ConditionCompiler(String& text, const Codes& codes);
    virtual ~ConditionCompiler();
    ConditionCompiler(const ConditionCompiler&) = delete;
    ConditionCompiler& operator=(const ConditionCompiler&) = delete;

    // Parses an or-expression from the start of the text, then cuts the text where parsing stopped
    // and resolves the skip counts. False when the text nests deeper than kMaxConditionNesting (the
    // text and ops are then unusable).
    [[nodiscard]] bool ParseExpression();
    // The deepest the stack of truth values grows while the ops run (0 for no op).
    int32_t StackDepth() const;
    const std::vector<Op>& Ops() const { return ops; }

protected:
    // Parses one term at the cursor and writes its ops (none when nothing usable is there). Terms
    // that nest call Enter/Leave around their inner parts.
    virtual void ParseTerm(int32_t depth) = 0;

    // The character at a byte position (0 at the end) and the bytes it takes.
    uint32_t CharAt(int32_t at) const;
    int32_t CharLength(int32_t at) const;
    void Emit(int32_t code, int32_t argument = 0, double first = 0, double second = 0);
    // Inserts one ASCII byte at the cursor and steps over it.
    void InsertAndStep(char byte);
    // False (and the compilation fails) when depth is beyond the limit.
    bool DepthAllowed(int32_t depth);
    bool Failed() const { return failed; }

    String& text;
    int32_t pos = 0;
    std::vector<Op> ops;

private:
    void ParseOr(int32_t depth);
    void ParseXor(int32_t depth);
    void ParseAnd(int32_t depth);
    void ParsePrimary(int32_t depth);
    // Deletes every "|", "±" and "&" at the cursor.
    void DeleteDoubledOperators();
    // The "|" or "&" at opIndex, whose right operand starts at rightStart: dropped when that operand
    // wrote no op, else its skip count becomes the operand's length.
    void FinishChain(size_t opIndex, size_t rightStart);
    void ResolveSkipCounts();

    Codes codes;
    bool failed = false;
};

}  // namespace vek
