// TextMatcher: running a compiled text condition over texts.
#include "model/expressions/TextMatcher.h"

#include <cstring>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CharTables.h"
#include "foundation/strings/Utf8.h"
#include "model/expressions/PatternBlock.h"

namespace vek {

namespace {

// Whether the word occurs in the text, characters compared after case folding.
bool TextContainsWord(const char* text, const char* word)
{
    if (*word == 0)
        return true;
    for (const char* start = text; *start != 0; Utf8NextChar(start)) {
        const char* t = start;
        const char* w = word;
        for (;;) {
            if (*w == 0)
                return true;
            if (*t == 0)
                return false;  // every later start is shorter still
            if (Utf8NextUpperChar(t) != Utf8NextUpperChar(w))
                break;
        }
    }
    return false;
}

// The states that the automaton is in, kept as a set per character: each state enters a list at most
// once per character (`mark` holds the character's generation), so a list never outgrows the states
// and the walk never repeats work, however the pattern loops.
class PatternRun {
public:
    PatternRun(const PatternState* states, int32_t stateCount) : states(states), stateCount(stateCount)
    {
        std::memset(mark, 0, sizeof(mark[0]) * size_t(stateCount));
    }

    bool Matches(int32_t first, const char* text)
    {
        int16_t* current = listA;
        int16_t* next = listB;
        int32_t count = 0;
        bool accepted = false;
        ++generation;
        AddClosure(first, current, count, accepted);
        const char* p = text;
        while (*p != 0) {
            uint32_t c = Utf8NextChar(p);
            uint32_t folded = ToUpperChar(c);
            ++generation;
            int32_t nextCount = 0;
            accepted = false;
            for (int32_t i = 0; i < count; ++i) {
                const PatternState& state = states[current[i]];
                if (Reads(state, c, folded))
                    AddClosure(state.next, next, nextCount, accepted);
            }
            int16_t* swap = current;
            current = next;
            next = swap;
            count = nextCount;
            if (count == 0)
                return accepted && *p == 0;
        }
        return accepted;
    }

private:
    static bool Reads(const PatternState& state, uint32_t c, uint32_t folded)
    {
        switch (state.kind) {
        case kStateAny:
            return true;
        case kStateChar:
            return folded == state.lower;
        case kStateCharExact:
            return c == state.lower;
        case kStateRange:
            return folded >= state.lower && folded <= state.upper;
        case kStateRangeExact:
            return c >= state.lower && c <= state.upper;
        default:
            return false;
        }
    }

    // Adds the reading states reachable from `start` without reading; notes the accepting state.
    void AddClosure(int32_t start, int16_t* list, int32_t& count, bool& accepted)
    {
        int32_t top = 0;
        pending[top++] = int16_t(start);
        while (top > 0) {
            int32_t s = pending[--top];
            if (s < 0 || s >= stateCount || mark[s] == generation)
                continue;
            mark[s] = generation;
            const PatternState& state = states[s];
            if (state.kind != kStateSplit) {
                list[count++] = int16_t(s);
            } else if (state.next == -1) {
                accepted = true;
            } else {
                pending[top++] = state.other;
                pending[top++] = state.next;
            }
        }
    }

    const PatternState* states;
    int32_t stateCount;
    uint32_t generation = 0;
    uint32_t mark[TextMatcher::kMaxStates];
    int16_t listA[TextMatcher::kMaxStates];
    int16_t listB[TextMatcher::kMaxStates];
    // Each state is expanded once per closure and pushes at most two.
    int16_t pending[2 * TextMatcher::kMaxStates + 1];
};

}  // namespace

TextMatcher::~TextMatcher()
{
    MemFree(block);
}

TextMatcher::TextMatcher(TextMatcher&& other) noexcept : block(other.block), emptyTextResult(other.emptyTextResult)
{
    other.block = nullptr;
    other.emptyTextResult = true;
}

TextMatcher& TextMatcher::operator=(TextMatcher&& other) noexcept
{
    if (this != &other) {
        MemFree(block);
        block = other.block;
        emptyTextResult = other.emptyTextResult;
        other.block = nullptr;
        other.emptyTextResult = true;
    }
    return *this;
}

void TextMatcher::Clear()
{
    MemFree(block);
    block = nullptr;
    emptyTextResult = true;
}

bool TextMatcher::MatchesCStr(const char* text) const
{
    if (text == nullptr || *text == 0 || block == nullptr)
        return emptyTextResult;
    return Run(text, nullptr);
}

bool TextMatcher::Run(const char* text, const char* display) const
{
    PatternBlockHeader header;
    std::memcpy(&header, block, sizeof(header));
    const auto* ops = reinterpret_cast<const PatternOp*>(block + sizeof(header));
    const char* words = block + header.wordsOffset;
    const auto* states = reinterpret_cast<const PatternState*>(block + header.statesOffset);
    int32_t stateCount = (MemBlockSize(block) - header.statesOffset) / int32_t(sizeof(PatternState));

    bool stack[kMaxOps + 1];
    int32_t top = -1;  // every op that pops finds its operands: the compiler sees to it
    for (const PatternOp* op = ops;; ++op) {
        bool result;
        switch (op->code) {
        case kPatternOpWord:
            result = TextContainsWord(text, words + op->argument) ||
                     (display != nullptr && TextContainsWord(display, words + op->argument));
            break;
        case kPatternOpPattern: {
            PatternRun run(states, stateCount);
            result = run.Matches(op->argument, text) || (display != nullptr && run.Matches(op->argument, display));
            break;
        }
        case kPatternOpEmpty:
            result = *text == 0 && display == nullptr;
            break;
        case kPatternOpNot:
            stack[top] = !stack[top];
            continue;
        case kPatternOpXor:
            --top;
            stack[top] = stack[top] != stack[top + 1];
            continue;
        case kPatternOpOr:
            if (stack[top])
                op += op->argument;
            else
                --top;
            continue;
        case kPatternOpAnd:
            if (!stack[top])
                op += op->argument;
            else
                --top;
            continue;
        default:
            return top >= 0 && stack[top];
        }
        stack[++top] = result;
    }
}

}  // namespace vek
