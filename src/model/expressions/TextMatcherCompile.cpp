// TextMatcher::Compile: text conditions and their patterns into one block of ops, words and states.
#include "model/expressions/TextMatcher.h"

#include <cstring>
#include <memory>
#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/CharTables.h"
#include "foundation/strings/Utf8.h"
#include "model/expressions/ConditionCompiler.h"
#include "model/expressions/PatternBlock.h"

namespace vek {

namespace {

constexpr ConditionCompiler::Codes kPatternCodes{kPatternOpNot, kPatternOpXor, kPatternOpOr, kPatternOpAnd};

// A successor not yet known while a pattern is built; none is left once it is packed.
constexpr int32_t kUnpatched = -3;

bool EndsWord(uint32_t c)
{
    return c == 0 || c == ')' || c == kConditionAnd || c == kConditionOr || c == kConditionXor || c == kConditionNot;
}

// Characters that end a sequence of a pattern unless an item handles them.
bool IsPatternSpecial(uint32_t c)
{
    switch (c) {
    case 0:
    case '"':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ':':
    case ';':
    case '?':
    case '\\':
    case '^':
    case '{':
    case '|':
    case '}':
    case kConditionNot:
    case kConditionXor:
    case kConditionRange:
        return true;
    default:
        return false;
    }
}

// A piece of automaton: its entry state (-1 for a piece that reads nothing and passes straight on)
// and its loose exits, each a state number times 2 plus the successor slot (0 next, 1 other).
struct PatternFragment {
    int32_t start = -1;
    std::vector<int32_t> exits;
};

class PatternCompiler final : public ConditionCompiler {
public:
    explicit PatternCompiler(String& text) : ConditionCompiler(text, kPatternCodes) {}
    ~PatternCompiler() override;

    // The whole text as one term (SingleTerm): the text is cut where the term ends.
    [[nodiscard]] bool ParseSingleTerm();
    // Fits the limits of a TextMatcher.
    bool FitsLimits() const;
    // One block: header, ops (ending in op 0), words, states. Null when memory runs short.
    char* Pack() const;

private:
    void ParseTerm(int32_t depth) override;
    void ParseWord(bool toTheEnd);
    // "\" and a pattern: op 2 with the pattern's first state.
    void ParsePatternTerm(int32_t depth);

    PatternFragment ParseAlternatives(int32_t depth);
    PatternFragment ParseSequence(int32_t depth);
    // False when no atom starts at the cursor (a "^" before no atom is read on its own).
    bool ParseAtom(int32_t depth, PatternFragment& atom);
    PatternFragment ParseQuote(bool exact);

    int32_t NewState(int32_t kind, uint32_t lower = 0, uint32_t upper = 0);
    void Patch(const std::vector<int32_t>& exits, int32_t target);
    PatternFragment Concatenate(PatternFragment first, PatternFragment second);
    PatternFragment Alternate(PatternFragment first, PatternFragment second);
    PatternFragment Repeat(PatternFragment atom, bool orNone);
    PatternFragment Star();

    std::vector<PatternState> states;
    std::vector<char> words;
};

PatternCompiler::~PatternCompiler() = default;

bool PatternCompiler::ParseSingleTerm()
{
    pos = 0;
    ops.clear();
    if (CharAt(0) == kConditionUndefined && CharAt(1) != 0)
        ParsePatternTerm(0);
    else if (CharAt(0) == kConditionUndefined)
        ParseTerm(0);
    else
        ParseWord(true);
    if (Failed())
        return false;
    text.Truncate(pos);
    return true;
}

void PatternCompiler::ParseTerm(int32_t depth)
{
    if (CharAt(pos) != kConditionUndefined) {
        ParseWord(false);
        return;
    }
    uint32_t after = CharAt(pos + 1);
    if (after == ')' || after == kConditionAnd || after == kConditionOr || after == kConditionXor ||
        after == kConditionNot || after == 0) {
        ++pos;
        Emit(kPatternOpEmpty);
        return;
    }
    ParsePatternTerm(depth);
}

void PatternCompiler::ParseWord(bool toTheEnd)
{
    int32_t start = pos;
    if (toTheEnd)
        pos = text.Length();
    else
        while (!EndsWord(CharAt(pos)))
            pos += CharLength(pos);
    if (pos == start) {
        InsertAndStep('\\');
        Emit(kPatternOpEmpty);
        return;
    }
    Emit(kPatternOpWord, int32_t(words.size()));
    words.insert(words.end(), text.CStr() + start, text.CStr() + pos);
    words.push_back(0);
}

void PatternCompiler::ParsePatternTerm(int32_t depth)
{
    ++pos;  // the "\"
    PatternFragment pattern = ParseAlternatives(depth);
    int32_t accept = NewState(kStateSplit);
    states[size_t(accept)].next = -1;
    states[size_t(accept)].other = -1;
    Patch(pattern.exits, accept);
    Emit(kPatternOpPattern, pattern.start >= 0 ? pattern.start : accept);
}

PatternFragment PatternCompiler::ParseAlternatives(int32_t depth)
{
    PatternFragment result = ParseSequence(depth);
    while (!Failed() && CharAt(pos) == ';') {
        ++pos;
        result = Alternate(std::move(result), ParseSequence(depth));
    }
    return result;
}

// A "*" right after another adds nothing ("**" is "*") and leaves the text.
PatternFragment PatternCompiler::ParseSequence(int32_t depth)
{
    PatternFragment result;
    bool afterStar = false;
    while (!Failed()) {
        if (CharAt(pos) == '*') {
            if (afterStar) {
                text.Delete(pos, 1);
                continue;
            }
            ++pos;
            result = Concatenate(std::move(result), Star());
            afterStar = true;
            continue;
        }
        PatternFragment atom;
        if (!ParseAtom(depth, atom))
            break;
        afterStar = false;
        if (CharAt(pos) == '+' || CharAt(pos) == ':') {
            bool orNone = CharAt(pos) == ':';
            ++pos;
            atom = Repeat(std::move(atom), orNone);
        }
        result = Concatenate(std::move(result), std::move(atom));
    }
    return result;
}

bool PatternCompiler::ParseAtom(int32_t depth, PatternFragment& atom)
{
    bool exact = false;
    while (CharAt(pos) == '^') {
        exact = true;
        ++pos;
    }
    uint32_t c = CharAt(pos);
    if (c == '{' || c == '(') {
        if (!DepthAllowed(depth + 1))
            return false;
        text.Data()[pos] = '{';
        ++pos;
        atom = ParseAlternatives(depth + 1);
        if (Failed())
            return false;
        if (CharAt(pos) == '}' || CharAt(pos) == ')') {
            text.Data()[pos] = '}';
            ++pos;
        } else {
            InsertAndStep('}');
        }
        return true;
    }
    if (c == '?') {
        ++pos;
        atom.start = NewState(kStateAny);
        atom.exits = {2 * atom.start};
        return true;
    }
    if (c == '\'' || c == '"') {
        atom = ParseQuote(exact);
        return true;
    }
    if (IsPatternSpecial(c))
        return exact;  // a "^" before no atom stands alone
    pos += CharLength(pos);
    uint32_t lower = exact ? c : ToUpperChar(c);
    uint32_t upper = lower;
    bool range = false;
    if (CharAt(pos) == kConditionRange) {
        int32_t rangeLength = CharLength(pos);
        uint32_t last = CharAt(pos + rangeLength);
        if (IsPatternSpecial(last)) {
            // No second character: the "…" goes and the first character stands alone.
            text.Delete(pos, rangeLength);
        } else {
            pos += rangeLength + CharLength(pos + rangeLength);
            upper = exact ? last : ToUpperChar(last);
            range = true;
        }
    }
    int32_t kind = range ? (exact ? kStateRangeExact : kStateRange) : (exact ? kStateCharExact : kStateChar);
    atom.start = NewState(kind, lower, upper);
    atom.exits = {2 * atom.start};
    return true;
}

// Each character up to the same quote is one state; a missing closing quote is put at the end.
PatternFragment PatternCompiler::ParseQuote(bool exact)
{
    uint32_t quote = CharAt(pos);
    ++pos;
    PatternFragment result;
    for (;;) {
        uint32_t c = CharAt(pos);
        if (c == quote) {
            ++pos;
            break;
        }
        if (c == 0) {
            InsertAndStep(char(quote));
            break;
        }
        pos += CharLength(pos);
        PatternFragment one;
        one.start = NewState(exact ? kStateCharExact : kStateChar, exact ? c : ToUpperChar(c));
        one.exits = {2 * one.start};
        result = Concatenate(std::move(result), std::move(one));
    }
    return result;
}

int32_t PatternCompiler::NewState(int32_t kind, uint32_t lower, uint32_t upper)
{
    // Code points above U+FFFF do not occur in texts (they decode as U+FFFD).
    states.push_back(PatternState{kind, uint16_t(upper), uint16_t(lower), kUnpatched, kUnpatched});
    return int32_t(states.size()) - 1;
}

void PatternCompiler::Patch(const std::vector<int32_t>& exits, int32_t target)
{
    for (int32_t exit : exits) {
        PatternState& state = states[size_t(exit / 2)];
        (exit % 2 == 0 ? state.next : state.other) = int16_t(target);
    }
}

PatternFragment PatternCompiler::Concatenate(PatternFragment first, PatternFragment second)
{
    if (first.start < 0)
        return second;
    if (second.start < 0)
        return first;
    Patch(first.exits, second.start);
    first.exits = std::move(second.exits);
    return first;
}

PatternFragment PatternCompiler::Alternate(PatternFragment first, PatternFragment second)
{
    int32_t split = NewState(kStateSplit);
    PatternFragment result;
    result.start = split;
    if (first.start >= 0) {
        states[size_t(split)].next = int16_t(first.start);
        result.exits = std::move(first.exits);
    } else {
        result.exits.push_back(2 * split);
    }
    if (second.start >= 0) {
        states[size_t(split)].other = int16_t(second.start);
        result.exits.insert(result.exits.end(), second.exits.begin(), second.exits.end());
    } else {
        result.exits.push_back(2 * split + 1);
    }
    return result;
}

// "+" (orNone false): the atom, then a split back to it or on. ":": a split before the atom, to it or
// on, the atom coming back to the split. An atom that reads nothing stays as it is.
PatternFragment PatternCompiler::Repeat(PatternFragment atom, bool orNone)
{
    if (atom.start < 0)
        return atom;
    int32_t split = NewState(kStateSplit);
    states[size_t(split)].next = int16_t(atom.start);
    Patch(atom.exits, split);
    PatternFragment result;
    result.start = orNone ? split : atom.start;
    result.exits = {2 * split + 1};
    return result;
}

PatternFragment PatternCompiler::Star()
{
    int32_t split = NewState(kStateSplit);
    int32_t any = NewState(kStateAny);
    states[size_t(split)].next = int16_t(any);
    states[size_t(any)].next = int16_t(split);
    PatternFragment result;
    result.start = split;
    result.exits = {2 * split + 1};
    return result;
}

bool PatternCompiler::FitsLimits() const
{
    return int32_t(ops.size()) + 1 <= TextMatcher::kMaxOps && int32_t(words.size()) <= TextMatcher::kMaxWordBytes &&
           int32_t(states.size()) <= TextMatcher::kMaxStates;
}

char* PatternCompiler::Pack() const
{
    int32_t opBytes = int32_t((ops.size() + 1) * sizeof(PatternOp));
    int32_t wordBytes = (int32_t(words.size()) + 3) & ~3;
    PatternBlockHeader header;
    header.wordsOffset = int32_t(sizeof(header)) + opBytes;
    header.statesOffset = header.wordsOffset + wordBytes;
    int32_t size = header.statesOffset + int32_t(states.size() * sizeof(PatternState));
    auto* block = static_cast<char*>(MemAlloc(size));
    if (block == nullptr)
        return nullptr;
    std::memset(block, 0, size_t(size));
    std::memcpy(block, &header, sizeof(header));
    auto* packedOps = reinterpret_cast<PatternOp*>(block + sizeof(header));
    for (size_t i = 0; i < ops.size(); ++i)
        packedOps[i] = PatternOp{ops[i].code, int16_t(ops[i].argument)};
    packedOps[ops.size()] = PatternOp{kPatternOpEnd, 0};
    if (!words.empty())
        std::memcpy(block + header.wordsOffset, words.data(), words.size());
    if (!states.empty())
        std::memcpy(block + header.statesOffset, states.data(), states.size() * sizeof(PatternState));
    return block;
}

}  // namespace

bool TextMatcher::CompileNamePattern(const char* pattern)
{
    String text;
    text.AssignCStr(pattern != nullptr ? pattern : "");
    (void)Compile(text, kTextMatcherKeepCase);
    return !IsEmpty();
}

int32_t TextMatcher::Compile(String& text, int32_t caseMode, TextMatcherMode mode)
{
    Clear();
    String work;
    work.Assign(text);
    work.Truncate(int32_t(std::strlen(work.CStr())));
    work.Truncate(Utf8SafeCut(work.View(), kConditionTextLimit));
    // As for number conditions, the repaired text is compiled again until it comes back unchanged.
    std::unique_ptr<PatternCompiler> compiler;
    String before;
    for (int32_t pass = 0; pass < kMaxConditionPasses; ++pass) {
        before.Assign(work);
        if (mode == TextMatcherMode::Expression)
            NormalizeConditionText(work);
        CStrChangeCase(work.Data(), caseMode);
        compiler = std::make_unique<PatternCompiler>(work);
        if (!work.IsEmpty()) {
            bool parsed =
                mode == TextMatcherMode::Expression ? compiler->ParseExpression() : compiler->ParseSingleTerm();
            if (!parsed || compiler->StackDepth() >= kConditionStackSize)
                return message::kConditionTooDeep;
        }
        if (work.View() == before.View())
            break;
    }
    if (!compiler->FitsLimits() || work.Length() > kConditionTextLimit)
        return message::kConditionTooLarge;
    if (!compiler->Ops().empty()) {
        char* packed = compiler->Pack();
        if (packed == nullptr)
            return 0;
        block = packed;
        emptyTextResult = Run("", nullptr);
    }
    text.Assign(work);
    return 0;
}

}  // namespace vek
