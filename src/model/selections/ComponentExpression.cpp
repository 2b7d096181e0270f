// ComponentExpression: the tokenizer, the compiler and the simplifier of subset expressions.
//
// Tokens (blanks before a token are skipped):
//
//   | token          | text                                                         |
//   |----------------|--------------------------------------------------------------|
//   | and            | "&"                                                          |
//   | or             | "|", or a run of two or more "+"                             |
//   | exclusive or   | "±" or "+-"                                                  |
//   | not            | "¬", or a run of two or more "-"                             |
//   | open, close    | "(", ")"                                                     |
//   | root           | "\"                                                          |
//   | top, inner     | "!", "?"                                                     |
//   | leaf           | "¶"                                                          |
//   | range          | "…", "_", or a run of two or more "."                        |
//   | up             | "^"                                                          |
//   | text, host     | "=", "@" (followed by a pattern text)                        |
//   | word           | anything else: a component, quoted with ' or " when needed   |
//
// Grammar, each level repeating while its operator follows:
//   or    := xor { "|" xor }                 → 3
//   xor   := and { "±" and }                 → 4
//   and   := unary { "&" unary | "¬" unary } → 2, 6 (tokens that are no operator here are skipped)
//   unary := "¬" unary → 5 | "(" or ")" | atom
#include "model/selections/ComponentExpression.h"

#include <cstring>
#include <string>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "model/base/Base.h"
#include "model/dimensions/Component.h"
#include "model/selections/ComponentExpressionText.h"
#include "model/expressions/ConditionCompiler.h"
#include "model/expressions/TextMatcher.h"

namespace vek {

namespace {

using SubsetStep = ComponentExpressionStep;
using expressiontext::Token;
using expressiontext::TokenAt;

class SubsetCompiler {
public:
    SubsetCompiler(Base& base, int32_t d, std::string_view source, ExpressionSimplify simplify)
        : base(base), d(d), text(source), simplify(simplify)
    {
    }

    // False when the compilation failed (its message already reported).
    bool Run();

    std::vector<SubsetStep> ops;
    std::string pool;

private:
    // Each parser gives the index of the first op of the operand it produced, or -1 for none.
    int64_t ParseOr();
    int64_t ParseXor();
    int64_t ParseAnd();
    int64_t ParseUnary();
    int64_t ParseAtom();
    int64_t ParseWordOperand(const Token& word);
    int64_t ParsePattern(bool host);
    bool Resolve(const Token& word, uint32_t& number);
    int64_t Emit(uint32_t code, uint32_t argument);
    int64_t Join(int64_t left, int64_t right, uint32_t op);
    bool Simplify(int64_t left, int64_t right, uint32_t op);
    void Complement(int64_t start);
    void KeepLeft(int64_t right) { ops.resize(size_t(right)); }
    void KeepRight(int64_t left, int64_t right) { ops.erase(ops.begin() + left, ops.begin() + right); }
    void Replace(int64_t left, uint32_t code);
    void FailTooDeep();

    Token Peek() const { return TokenAt(text, position); }
    void Consume(const Token& token) { position = token.end; }

    Base& base;
    int32_t d;
    std::string_view text;
    ExpressionSimplify simplify;
    size_t position = 0;
    int32_t depth = 0;
    bool failed = false;
};

bool SubsetCompiler::Run()
{
    // At the outermost level a stray ")" is dropped, so the or-level reads to the end of the text.
    ParseOr();
    return !failed;
}

int64_t SubsetCompiler::ParseOr()
{
    int64_t left = ParseXor();
    for (;;) {
        if (failed)
            return -1;
        Token token = Peek();
        if (token.kind != Token::Or)
            return left;
        Consume(token);
        int64_t right = ParseXor();
        left = Join(left, right, kExprOr);
    }
}

int64_t SubsetCompiler::ParseXor()
{
    int64_t left = ParseAnd();
    for (;;) {
        if (failed)
            return -1;
        Token token = Peek();
        if (token.kind != Token::Xor)
            return left;
        Consume(token);
        int64_t right = ParseAnd();
        left = Join(left, right, kExprXor);
    }
}

int64_t SubsetCompiler::ParseAnd()
{
    int64_t left = ParseUnary();
    for (;;) {
        if (failed)
            return -1;
        Token token = Peek();
        switch (token.kind) {
        case Token::And:
        case Token::Not: {
            Consume(token);
            int64_t right = ParseUnary();
            left = Join(left, right, token.kind == Token::And ? kExprAnd : kExprAndNot);
            break;
        }
        case Token::Or:
        case Token::Xor:
        case Token::End:
            return left;
        case Token::Close:
            if (depth > 0)
                return left;
            Consume(token);
            break;
        default:
            // A token that is no operator here is dropped.
            Consume(token);
            break;
        }
    }
}

int64_t SubsetCompiler::ParseUnary()
{
    // Runs of "¬" are counted rather than recursed into: a double complement cancels.
    int32_t complements = 0;
    Token token = Peek();
    while (token.kind == Token::Not) {
        Consume(token);
        ++complements;
        token = Peek();
    }
    int64_t start = -1;
    if (token.kind == Token::Open) {
        if (depth >= ComponentExpression::kMaxNesting) {
            FailTooDeep();
            return -1;
        }
        Consume(token);
        ++depth;
        start = ParseOr();
        --depth;
        if (failed)
            return -1;
        // ParseOr stops only at ")" or at the end of the text.
        Token close = Peek();
        if (close.kind == Token::Close)
            Consume(close);
    } else {
        start = ParseAtom();
    }
    if (start < 0 || failed)
        return -1;
    for (int32_t i = 0; i < complements; ++i)
        Complement(start);
    return start;
}

void SubsetCompiler::Complement(int64_t start)
{
    if (int64_t(ops.size()) > start + 1 && ops.back().code == kExprComplement)
        ops.pop_back();
    else
        ops.push_back(SubsetStep{kExprComplement, 0});
}

int64_t SubsetCompiler::ParseAtom()
{
    Token token = Peek();
    switch (token.kind) {
    case Token::Word:
        Consume(token);
        return ParseWordOperand(token);
    case Token::Root:
        Consume(token);
        if (position < text.size() && text[position] == '\\') {
            ++position;
            return Emit(kExprEmpty, 0);
        }
        return Emit(kExprRoot, 0);
    case Token::Top:
    case Token::Inner:
    case Token::Leaf: {
        Consume(token);
        Token word = Peek();
        bool alone = word.kind != Token::Word;
        uint32_t code = token.kind == Token::Top ? (alone ? kExprTopLevel : kExprAlone)
                        : token.kind == Token::Inner ? (alone ? kExprInner : kExprInnerBelow)
                                                     : (alone ? kExprLeaves : kExprLeavesBelow);
        if (alone)
            return Emit(code, 0);
        Consume(word);
        uint32_t number = 0;
        if (!Resolve(word, number))
            return -1;
        return Emit(code, number);
    }
    case Token::Up: {
        Consume(token);
        Token word = Peek();
        if (word.kind != Token::Word)
            return -1;  // "^" alone names nothing
        Consume(word);
        uint32_t number = 0;
        if (!Resolve(word, number))
            return -1;
        return Emit(kExprAncestors, number);
    }
    case Token::Text:
    case Token::Host:
        Consume(token);
        return ParsePattern(token.kind == Token::Host);
    default:
        return -1;
    }
}

int64_t SubsetCompiler::ParseWordOperand(const Token& word)
{
    uint32_t number = 0;
    if (!Resolve(word, number))
        return -1;
    Token next = Peek();
    switch (next.kind) {
    case Token::Top:
        Consume(next);
        return Emit(kExprAlone, number);
    case Token::Inner:
        Consume(next);
        return Emit(kExprInnerBelow, number);
    case Token::Leaf:
        Consume(next);
        return Emit(kExprLeavesBelow, number);
    case Token::Up:
        Consume(next);
        return Emit(kExprAncestors, number);
    case Token::Range: {
        Consume(next);
        Token second = Peek();
        if (second.kind != Token::Word)
            return Emit(kExprSubtree, number);  // a range without its end is the first alone
        Consume(second);
        uint32_t last = 0;
        if (!Resolve(second, last))
            return -1;
        Token bang = Peek();
        bool withoutSubtree = bang.kind == Token::Top;
        if (withoutSubtree)
            Consume(bang);
        if (last == number)
            // From a component to itself: its subtree, or with "!" the component alone.
            return Emit(withoutSubtree ? kExprAlone : kExprSubtree, number);
        int64_t start = Emit(kExprRange, number);
        Emit(withoutSubtree ? kExprRangeToLast : kExprRange, last);
        return start;
    }
    default:
        return Emit(kExprSubtree, number);
    }
}

int64_t SubsetCompiler::ParsePattern(bool host)
{
    std::string pattern;
    size_t end = expressiontext::ReadPatternText(text, position, pattern);
    position = end;
    // A condition the text matcher refuses fails the expression now rather than admitting every
    // component when it runs.
    TextMatcher matcher;
    int32_t refused = ComponentExpression::CompileMatcher(base, d, host ? kExprHost : kExprText, pattern.c_str(), matcher);
    if (refused != 0) {
        Message message;
        std::string_view shown = pattern;
        if (!shown.empty() && shown[0] == ComponentExpression::kGroupMarker)
            shown.remove_prefix(1);
        MakeConditionMessage(message, refused, shown);
        base.ShowErrorAlert(message);
        failed = true;
        return -1;
    }
    uint32_t at = uint32_t(pool.size());
    pool.append(pattern);
    pool.push_back('\0');
    uint32_t code = host ? kExprHost : kExprText;
    Token up = Peek();
    if (up.kind == Token::Up) {
        Consume(up);
        code = host ? kExprHostUp : kExprTextUp;
    }
    return Emit(code, at);
}

bool SubsetCompiler::Resolve(const Token& word, uint32_t& number)
{
    std::string_view typed = text.substr(word.wordBegin, word.wordEnd - word.wordBegin);
    number = base.ResolveComponent(d, typed.data(), int32_t(typed.size()));
    if (number != uint32_t(d))
        return true;
    // Base::ResolveComponent reads a blank text as "no component" and says nothing; a quoted blank
    // word names no component either, and the user is told so.
    bool blank = typed.find_first_not_of(' ') == std::string_view::npos;
    if (blank) {
        Message message;
        message.code = message::kUnknownComponent;
        message.AddTextBytes(typed.data(), int32_t(typed.size()));
        String name;
        base.DimensionSingularName(d, name);
        message.AddText(name.CStr());
        base.ShowErrorAlert(message);
    }
    failed = true;
    return false;
}

void SubsetCompiler::FailTooDeep()
{
    Message message;
    message.code = message::kSubsetNestedTooDeeply;
    message.AddTextBytes(text.data(), int32_t(text.size()));
    String limit;
    limit.AssignInt(ComponentExpression::kMaxNesting);
    message.AddText(limit.CStr());
    base.ShowErrorAlert(message);
    failed = true;
}

int64_t SubsetCompiler::Emit(uint32_t code, uint32_t argument)
{
    ops.push_back(SubsetStep{code, argument});
    return int64_t(ops.size()) - 1;
}

int64_t SubsetCompiler::Join(int64_t left, int64_t right, uint32_t op)
{
    if (right < 0)
        return left;  // a missing right operand drops the operator
    if (left < 0) {
        // Nothing on the left: "¬" is the complement of the right, the other operators drop.
        if (op == kExprAndNot)
            Complement(right);
        return right;
    }
    // A right operand that ends in a complement turns "&" into "¬" and "¬" into "&".
    if ((op == kExprAnd || op == kExprAndNot) && int64_t(ops.size()) > right + 1 &&
        ops.back().code == kExprComplement) {
        ops.pop_back();
        op = op == kExprAnd ? kExprAndNot : kExprAnd;
    }
    if (simplify == ExpressionSimplify::Off || !Simplify(left, right, op))
        ops.push_back(SubsetStep{op, 0});
    return left;
}

void SubsetCompiler::Replace(int64_t left, uint32_t code)
{
    ops.resize(size_t(left));
    ops.push_back(SubsetStep{code, 0});
}

// The rules that decide a binary op by the tree. Two subtrees are either nested or disjoint, so two
// single components always decide. True when the op was settled here (nothing more to append).
bool SubsetCompiler::Simplify(int64_t left, int64_t right, uint32_t op)
{
    int64_t leftLength = right - left;
    int64_t rightLength = int64_t(ops.size()) - right;
    if (leftLength > 2 || rightLength != 1)
        return false;
    const SubsetStep a = ops[size_t(left)];
    const SubsetStep b = ops[size_t(right)];
    bool leftRange = leftLength == 2 && a.code == kExprRange;
    if (leftLength == 2 && !leftRange)
        return false;
    const RecordPool& pool = base.ComponentPool();

    if (leftRange) {
        // A range never holds the root.
        if (b.code == kExprRoot && op == kExprAnd) {
            Replace(left, kExprEmpty);
            return true;
        }
        return false;
    }

    if (a.code == kExprSubtree && b.code == kExprSubtree) {
        const Component* ca = base.ComponentAt(a.argument);
        const Component* cb = base.ComponentAt(b.argument);
        if (ca == nullptr || cb == nullptr)
            return false;
        if (a.argument == b.argument) {
            if (op == kExprAnd || op == kExprOr)
                KeepLeft(right);
            else
                Replace(left, kExprEmpty);
            return true;
        }
        if (Component::IsAncestorOrSelf(pool, ca, cb)) {
            switch (op) {
            case kExprOr: KeepLeft(right); return true;
            case kExprAnd: KeepRight(left, right); return true;
            case kExprXor: ops.push_back(SubsetStep{kExprAndNot, 0}); return true;
            default: return false;
            }
        }
        if (Component::IsAncestorOrSelf(pool, cb, ca)) {
            switch (op) {
            case kExprOr: KeepRight(left, right); return true;
            case kExprAnd: KeepLeft(right); return true;
            case kExprXor:
                std::swap(ops[size_t(left)], ops[size_t(right)]);
                ops.push_back(SubsetStep{kExprAndNot, 0});
                return true;
            default: Replace(left, kExprEmpty); return true;
            }
        }
        switch (op) {
        case kExprOr: return false;
        case kExprXor: ops.push_back(SubsetStep{kExprOr, 0}); return true;
        case kExprAndNot: KeepLeft(right); return true;
        default: Replace(left, kExprEmpty); return true;
        }
    }

    auto isPlain = [](uint32_t code) { return code == kExprRoot || code == kExprEmpty || code == kExprSubtree; };
    if (b.code == kExprEmpty && isPlain(a.code)) {
        if (op == kExprAnd)
            Replace(left, kExprEmpty);
        else
            KeepLeft(right);
        return true;
    }
    if (a.code == kExprEmpty && isPlain(b.code)) {
        if (op == kExprOr || op == kExprXor)
            KeepRight(left, right);
        else
            Replace(left, kExprEmpty);
        return true;
    }
    if (a.code == kExprRoot && b.code == kExprRoot) {
        switch (op) {
        case kExprOr:
        case kExprAnd: KeepLeft(right); return true;
        case kExprAndNot: Replace(left, kExprEmpty); return true;
        default: return false;
        }
    }
    if (a.code == kExprRoot && b.code == kExprSubtree) {
        switch (op) {
        case kExprAndNot: KeepLeft(right); return true;
        case kExprAnd: Replace(left, kExprEmpty); return true;
        default: return false;
        }
    }
    if (a.code == kExprSubtree && b.code == kExprRoot) {
        switch (op) {
        case kExprAnd: Replace(left, kExprEmpty); return true;
        case kExprAndNot: KeepLeft(right); return true;
        case kExprXor: ops.push_back(SubsetStep{kExprOr, 0}); return true;
        default: return false;
        }
    }
    if (a.code == kExprSubtree && (b.code == kExprAlone || b.code == kExprInnerBelow || b.code == kExprLeavesBelow)) {
        const Component* c = base.ComponentAt(a.argument);
        const Component* y = base.ComponentAt(b.argument);
        if (c == nullptr || y == nullptr || !Component::IsAncestorOrSelf(pool, c, y))
            return false;
        switch (op) {
        case kExprOr: KeepLeft(right); return true;
        case kExprXor: ops.push_back(SubsetStep{kExprAndNot, 0}); return true;
        case kExprAnd: KeepRight(left, right); return true;
        default: return false;
        }
    }
    return false;
}

}  // namespace

bool ComponentExpression::Compile(Base& base, int32_t d, std::string_view text, ExpressionSimplify simplify)
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return false;
    // Control characters read as blanks, a NUL ends the text, and the text is cut to its limit.
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    if (text.size() > size_t(kMaxTextBytes))
        text = text.substr(0, size_t(Utf8SafeCut(text, kMaxTextBytes)));
    std::string source(text);
    for (char& c : source) {
        if (uint8_t(c) < 0x20)
            c = ' ';
    }

    SubsetCompiler compiler(base, d, source, simplify);
    if (!compiler.Run())
        return false;
    if (compiler.ops.empty()) {
        block.reset();
        return true;
    }
    compiler.ops.push_back(SubsetStep{kExprEnd, 0});
    size_t opsBytes = compiler.ops.size() * sizeof(SubsetStep);
    size_t poolOffset = 4 + opsBytes;
    size_t total = poolOffset + compiler.pool.size();
    auto* bytes = static_cast<uint8_t*>(MemAlloc(int32_t(total)));
    if (bytes == nullptr) {
        SetOutOfMemoryError();
        return false;
    }
    uint16_t distance = uint16_t(poolOffset);
    uint16_t zero = 0;
    std::memcpy(bytes, &distance, 2);
    std::memcpy(bytes + 2, &zero, 2);
    std::memcpy(bytes + 4, compiler.ops.data(), opsBytes);
    if (!compiler.pool.empty())
        std::memcpy(bytes + poolOffset, compiler.pool.data(), compiler.pool.size());
    block.reset(bytes);
    return true;
}

std::span<const ComponentExpressionStep> ComponentExpression::Steps() const
{
    if (!block)
        return {};
    uint16_t distance = 0;
    std::memcpy(&distance, block.get(), 2);
    auto* first = reinterpret_cast<const SubsetStep*>(block.get() + 4);
    size_t count = (distance - 4) / sizeof(SubsetStep);
    return {first, count - 1};
}

std::span<ComponentExpressionStep> ComponentExpression::MutableSteps()
{
    std::span<const SubsetStep> steps = Steps();
    return {const_cast<SubsetStep*>(steps.data()), steps.size()};
}

const char* ComponentExpression::PoolText(uint32_t position) const
{
    if (!block)
        return "";
    uint16_t distance = 0;
    std::memcpy(&distance, block.get(), 2);
    int32_t size = MemBlockSize(block.get());
    if (int64_t(distance) + position >= size)
        return "";
    return reinterpret_cast<const char*>(block.get() + distance + position);
}

}  // namespace vek
