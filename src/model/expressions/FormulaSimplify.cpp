// FormulaSimplify: constant folding and the rewriting rules applied after every operation a compiler emits.
#include "model/expressions/FormulaCode.h"

#include <cstring>
#include <numbers>

namespace vek {

namespace {

using namespace formula_op;

// Enough rewrites for any code of kFormulaMaxCode words; a guard against rules that would undo
// each other, never reached by the rules below.
constexpr int32_t kFormulaRewriteGuard = 4 * kFormulaMaxCode;

bool IsFormulaOperationWord(FormulaCodeWord word) { return !IsFormulaPush(word) && word != kEnd; }

// The first word of the operand whose last word is at `last`.
int32_t FormulaOperandStart(const FormulaCode& code, int32_t last)
{
    int32_t need = 1;
    for (int32_t i = last; i >= 0; --i) {
        need += FormulaOperandCount(code.words[i]) - 1;
        if (need == 0)
            return i;
    }
    return 0;
}

// Operands are ranges [begin, end) of code words.
struct FormulaOperand {
    int32_t begin;
    int32_t end;

    bool IsSingle() const { return end - begin == 1; }
};

// A new tail of the code, put together from ranges of the old code and single words.
class FormulaCodeTail {
public:
    explicit FormulaCodeTail(FormulaCode& code) : code(code) {}

    FormulaCodeTail& Add(FormulaOperand range)
    {
        std::memcpy(words + count, code.words + range.begin, size_t(range.end - range.begin) * sizeof(FormulaCodeWord));
        count += range.end - range.begin;
        return *this;
    }
    FormulaCodeTail& Add(FormulaCodeWord word)
    {
        words[count++] = word;
        return *this;
    }
    // Replaces the code from `from` on. No rule makes the code longer, so the words always fit.
    void CommitAt(int32_t from)
    {
        std::memcpy(code.words + from, words, size_t(count) * sizeof(FormulaCodeWord));
        code.wordCount = from + count;
    }

private:
    FormulaCode& code;
    FormulaCodeWord words[kFormulaMaxCode];
    int32_t count = 0;
};

class FormulaRewriter {
public:
    explicit FormulaRewriter(FormulaCode& code) : code(code) {}

    bool ApplyPairRule();
    bool ApplyEndRule();

private:
    FormulaCodeWord Word(int32_t i) const { return code.words[i]; }
    bool IsConstant(FormulaOperand operand) const { return operand.IsSingle() && IsFormulaConstant(Word(operand.begin)); }
    bool IsVariable(FormulaOperand operand) const { return operand.IsSingle() && IsFormulaVariable(Word(operand.begin)); }
    double& Constant(FormulaOperand operand) { return code.constants[FormulaConstantIndex(Word(operand.begin))]; }
    FormulaOperand OperandEndingAt(int32_t last) const { return {FormulaOperandStart(code, last), last + 1}; }
    // The last word of an operand, and the operand without it.
    FormulaCodeWord LastOp(FormulaOperand operand) const { return Word(operand.end - 1); }
    FormulaOperand WithoutLast(FormulaOperand operand) const { return {operand.begin, operand.end - 1}; }
    // The operands of a binary operation that ends an operand (its last word).
    void SplitBinary(FormulaOperand operand, FormulaOperand& first, FormulaOperand& second) const
    {
        second = OperandEndingAt(operand.end - 2);
        first = {operand.begin, second.begin};
    }
    void RemoveWords(int32_t at, int32_t n)
    {
        std::memmove(code.words + at, code.words + at + n, size_t(code.wordCount - at - n) * sizeof(FormulaCodeWord));
        code.wordCount -= n;
    }

    bool FoldUnary(FormulaCodeWord op, FormulaOperand a);
    bool RewriteUnary(FormulaCodeWord op, FormulaOperand a);
    bool RewriteBinary(FormulaCodeWord op, FormulaOperand a, FormulaOperand b);
    bool RewriteWithConstantSecond(FormulaCodeWord op, FormulaOperand a, FormulaOperand b);
    bool RewriteWithVariables(FormulaCodeWord op, FormulaOperand a, FormulaOperand b);
    bool RewriteFunctionPairs(FormulaCodeWord op, FormulaOperand a, FormulaOperand b);

    FormulaCode& code;
};

// Pairs of adjacent operations anywhere in the code: the second applies to the result of the first.
bool FormulaRewriter::ApplyPairRule()
{
    for (int32_t i = 1; i < code.wordCount; ++i) {
        FormulaCodeWord first = Word(i - 1);
        FormulaCodeWord second = Word(i);
        if (!IsFormulaOperationWord(first) || !IsFormulaOperationWord(second))
            continue;
        auto keepFirstOnly = [&](FormulaCodeWord word) {
            code.words[i - 1] = word;
            RemoveWords(i, 1);
            return true;
        };
        auto dropBoth = [&] {
            RemoveWords(i - 1, 2);
            return true;
        };
        switch (first) {
        case kAbs:
            if (second == kAbs)
                return keepFirstOnly(kAbs);
            if (second == kSqr)
                return keepFirstOnly(kSqr);
            break;
        case kSign:
            if (second == kSign)
                return keepFirstOnly(kSign);
            break;
        case kNegate:
            switch (second) {
            case kAdd: return keepFirstOnly(kSubtract);
            case kSubtract: return keepFirstOnly(kAdd);
            case kMultiply:
            case kDivide:
                code.words[i - 1] = second;
                code.words[i] = kNegate;
                return true;
            case kAbs: return keepFirstOnly(kAbs);
            case kSqr: return keepFirstOnly(kSqr);
            case kNegate: return dropBoth();
            default: break;
            }
            break;
        case kSqrt:
            // sqrt then sqr is not dropped: the root of a negative number must stay undefined.
            if (second == kAbs)
                return keepFirstOnly(kSqrt);
            break;
        case kSqr:
            if (second == kAbs)
                return keepFirstOnly(kSqr);
            if (second == kSqrt)
                return keepFirstOnly(kAbs);
            break;
        // A power then its logarithm gives the number back. The reverse pairs are kept: the
        // logarithm of a negative number must stay undefined, not come back as the number.
        case kExp:
            if (second == kLn)
                return dropBoth();
            break;
        case kExp2:
            if (second == kLog2)
                return dropBoth();
            break;
        case kExp10:
            if (second == kLog10)
                return dropBoth();
            break;
        case kTruth:
            if (second == kAnd || second == kOr || second == kTruth)
                return keepFirstOnly(second);
            break;
        case kComplement:
            if (second == kTruth)
                return keepFirstOnly(kComplement);
            if (second == kComplement)
                return dropBoth();
            break;
        default:
            if (first >= kEqual && first <= kOr && second == kTruth)
                return keepFirstOnly(first);
            break;
        }
    }
    return false;
}

bool FormulaRewriter::ApplyEndRule()
{
    if (code.wordCount < 2)
        return false;
    int32_t last = code.wordCount - 1;
    FormulaCodeWord op = Word(last);
    switch (FormulaOperandCount(op)) {
    case 1:
        return RewriteUnary(op, OperandEndingAt(last - 1));
    case 2: {
        FormulaOperand b = OperandEndingAt(last - 1);
        FormulaOperand a = OperandEndingAt(b.begin - 1);
        return RewriteBinary(op, a, b);
    }
    default:
        return false;
    }
}

bool FormulaRewriter::RewriteUnary(FormulaCodeWord op, FormulaOperand a)
{
    if (IsFormulaFunction(op) && IsConstant(a)) {
        Constant(a) = FormulaUnary(op, Constant(a));
        code.wordCount = a.end;
        return true;
    }
    // -((-a) * b) -> a * b, and the same for /.
    if (op == kNegate && !a.IsSingle() && (LastOp(a) == kMultiply || LastOp(a) == kDivide)) {
        FormulaOperand first, second;
        SplitBinary(a, first, second);
        if (!first.IsSingle() && LastOp(first) == kNegate) {
            FormulaCodeTail(code).Add(WithoutLast(first)).Add(second).Add(LastOp(a)).CommitAt(a.begin);
            return true;
        }
    }
    return false;
}

bool FormulaRewriter::RewriteBinary(FormulaCodeWord op, FormulaOperand a, FormulaOperand b)
{
    bool foldable = (op >= kAdd && op <= kPower) || op == kMax || op == kMin || op == kAnd || op == kOr;
    if (foldable && IsConstant(a) && IsConstant(b)) {
        Constant(a) = FormulaBinary(op, Constant(a), Constant(b));
        code.wordCount = a.end;
        return true;
    }
    if (IsConstant(b) && RewriteWithConstantSecond(op, a, b))
        return true;
    // A constant before a variable goes second, where the rules above find it.
    if (IsConstant(a) && IsVariable(b) && (op == kAdd || op == kMultiply || op == kAnd || op == kOr)) {
        std::swap(code.words[a.begin], code.words[b.begin]);
        return true;
    }
    // e ^ x, 2 ^ x, 10 ^ x.
    if (op == kPower && IsConstant(a)) {
        double base = Constant(a);
        FormulaCodeWord function = base == std::numbers::e ? kExp : base == 2.0 ? kExp2 : base == 10.0 ? kExp10 : kEnd;
        if (function != kEnd) {
            FormulaCodeTail(code).Add(b).Add(function).CommitAt(a.begin);
            return true;
        }
    }
    if (RewriteWithVariables(op, a, b))
        return true;
    return RewriteFunctionPairs(op, a, b);
}

bool FormulaRewriter::RewriteWithConstantSecond(FormulaCodeWord op, FormulaOperand a, FormulaOperand b)
{
    double c = Constant(b);
    auto keepFirst = [&] {
        code.wordCount = a.end;
        return true;
    };
    auto replaceSecond = [&](FormulaCodeWord function) {
        FormulaCodeTail(code).Add(a).Add(function).CommitAt(a.begin);
        return true;
    };
    switch (op) {
    case kAdd:
    case kSubtract:
        if (c == 0.0)
            return keepFirst();
        if (op == kSubtract) {
            Constant(b) = -c;
            code.words[b.end] = kAdd;
            return true;
        }
        break;
    case kMultiply:
    case kDivide:
        if (c == 1.0)
            return keepFirst();
        if (op == kDivide) {
            // Only where the reciprocal is exact (a power of two): x / 10 must stay x / 10, or
            // '3/10=0.3' would be false.
            int exponent = 0;
            double reciprocal = 1.0 / c;
            if (std::isfinite(c) && std::isfinite(reciprocal) && std::fabs(std::frexp(c, &exponent)) == 0.5 &&
                1.0 / reciprocal == c && std::fabs(std::frexp(reciprocal, &exponent)) == 0.5) {
                Constant(b) = reciprocal;
                code.words[b.end] = kMultiply;
                return true;
            }
        }
        break;
    case kPower:
        if (c == 1.0)
            return keepFirst();
        if (c == 2.0)
            return replaceSecond(kSqr);
        if (c == 0.5)
            return replaceSecond(kSqrt);
        break;
    case kAnd:
    case kOr: {
        bool truth = FormulaTruth(c);
        if ((op == kAnd) != truth) {
            // x & false -> 0, x | true -> 1: x is dropped.
            Constant(b) = truth ? 1.0 : 0.0;
            FormulaCodeTail(code).Add(b).CommitAt(a.begin);
            return true;
        }
        return replaceSecond(kTruth);
    }
    default:
        break;
    }
    if (a.IsSingle())
        return false;
    FormulaCodeWord inner = LastOp(a);
    FormulaOperand first, second;
    SplitBinary(a, first, second);
    // (x + c1) + c2 -> x + (c1 + c2); (x * c1) * c2 -> x * (c1 * c2).
    if ((op == kAdd || op == kMultiply) && inner == op && IsConstant(second)) {
        Constant(second) = FormulaBinary(op, Constant(second), c);
        code.wordCount = a.end;
        return true;
    }
    // (c1 + x) + c2, (c1 - x) + c2, (c1 * x) * c2, (c1 / x) * c2: c1 takes c2 in.
    bool sameFamily = op == kAdd ? (inner == kAdd || inner == kSubtract)
                                 : op == kMultiply && (inner == kMultiply || inner == kDivide);
    if (sameFamily && IsConstant(first)) {
        Constant(first) = FormulaBinary(op, Constant(first), c);
        code.wordCount = a.end;
        return true;
    }
    return false;
}

bool FormulaRewriter::RewriteWithVariables(FormulaCodeWord op, FormulaOperand a, FormulaOperand b)
{
    if (!IsVariable(b))
        return false;
    FormulaCodeWord v = Word(b.begin);
    if (IsVariable(a) && Word(a.begin) == v) {
        switch (op) {
        case kMultiply:
            FormulaCodeTail(code).Add(v).Add(kSqr).CommitAt(a.begin);
            return true;
        case kSubtract:
            if (code.constantCount >= kFormulaMaxConstants)
                return false;
            code.constants[code.constantCount] = 0.0;
            FormulaCodeTail(code).Add(FormulaCodeWord(kConstant + code.constantCount++)).CommitAt(a.begin);
            return true;
        case kAnd:
        case kOr:
            FormulaCodeTail(code).Add(v).Add(kTruth).CommitAt(a.begin);
            return true;
        default:
            return false;
        }
    }
    if (a.IsSingle())
        return false;
    FormulaCodeWord inner = LastOp(a);
    FormulaOperand first, second;
    SplitBinary(a, first, second);
    if (!IsVariable(second) || Word(second.begin) != v)
        return false;
    // (a - v) + v and (a + v) - v -> a.
    if ((op == kAdd && inner == kSubtract) || (op == kSubtract && inner == kAdd)) {
        code.wordCount = first.end;
        return true;
    }
    // (a & v) & v -> a & v, and the same for |.
    if ((op == kAnd || op == kOr) && inner == op) {
        code.wordCount = a.end;
        return true;
    }
    return false;
}

bool FormulaRewriter::RewriteFunctionPairs(FormulaCodeWord op, FormulaOperand a, FormulaOperand b)
{
    if (a.IsSingle())
        return false;
    FormulaCodeWord left = LastOp(a);
    FormulaCodeWord right = b.IsSingle() ? kEnd : LastOp(b);
    // (-a) + b -> b - a; (-a) - b -> -(a + b).
    if (left == kNegate && op == kAdd) {
        FormulaCodeTail(code).Add(b).Add(WithoutLast(a)).Add(kSubtract).CommitAt(a.begin);
        return true;
    }
    if (left == kNegate && op == kSubtract) {
        FormulaCodeTail(code).Add(WithoutLast(a)).Add(b).Add(kAdd).Add(kNegate).CommitAt(a.begin);
        return true;
    }
    // "&" and "|" need no truth of their left operand.
    if (left == kTruth && (op == kAnd || op == kOr)) {
        FormulaCodeTail(code).Add(WithoutLast(a)).Add(b).Add(op).CommitAt(a.begin);
        return true;
    }
    if (left != right)
        return false;
    FormulaCodeWord combined = kEnd;
    if (left == kSqrt && (op == kMultiply || op == kDivide))
        combined = op;  // sqrt a * sqrt b -> sqrt(a * b)
    else if ((left == kExp || left == kExp2 || left == kExp10) && (op == kMultiply || op == kDivide))
        combined = op == kMultiply ? kAdd : kSubtract;  // exp a * exp b -> exp(a + b)
    else if ((left == kLn || left == kLog2 || left == kLog10) && (op == kAdd || op == kSubtract))
        combined = op == kAdd ? kMultiply : kDivide;  // ln a + ln b -> ln(a * b)
    if (combined == kEnd)
        return false;
    FormulaCodeTail(code).Add(WithoutLast(a)).Add(WithoutLast(b)).Add(combined).Add(left).CommitAt(a.begin);
    return true;
}

}  // namespace

void SimplifyFormulaCode(FormulaCode& code)
{
    FormulaRewriter rewriter(code);
    for (int32_t guard = 0; guard < kFormulaRewriteGuard; ++guard) {
        if (!rewriter.ApplyPairRule() && !rewriter.ApplyEndRule())
            break;
    }
    int32_t used = 0;
    for (int32_t i = 0; i < code.wordCount; ++i) {
        if (IsFormulaConstant(code.words[i]) && FormulaConstantIndex(code.words[i]) + 1 > used)
            used = FormulaConstantIndex(code.words[i]) + 1;
    }
    code.constantCount = used;
}

}  // namespace vek
