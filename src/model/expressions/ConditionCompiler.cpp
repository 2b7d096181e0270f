// ConditionCompiler: the boolean layer of the condition languages, the shortcut normaliser and the
// message of a refused condition.
#include "model/expressions/ConditionCompiler.h"

#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

constexpr const char* kRangeText = "\xE2\x80\xA6";  // "…"
constexpr const char* kNotText = "\xC2\xAC";        // "¬"
constexpr const char* kXorText = "\xC2\xB1";        // "±"

// The index of the closing quote after `open`, or -1.
int32_t FindClosingQuote(std::string_view bytes, size_t open)
{
    size_t close = bytes.find(bytes[open], open + 1);
    return close == std::string_view::npos ? -1 : int32_t(close);
}

size_t ShortcutRunLength(std::string_view bytes, size_t at, char byte)
{
    size_t end = at;
    while (end < bytes.size() && bytes[end] == byte)
        ++end;
    return end - at;
}

}  // namespace

bool EndsConditionValue(uint32_t c)
{
    switch (c) {
    case 0:
    case '&':
    case '(':
    case ')':
    case '<':
    case '=':
    case '>':
    case '|':
    case kConditionNot:
    case kConditionXor:
    case kConditionRange:
        return true;
    default:
        return false;
    }
}

// Every character the rules look at is ASCII, and no byte of a multi-byte UTF-8 character is, so the
// rewrite can walk bytes.
void NormalizeConditionText(String& text)
{
    std::string_view bytes = text.View();
    if (bytes.find_first_of("._-+'\"") == std::string_view::npos)
        return;
    String out;
    out.Reserve(text.Length() * 3);
    size_t i = 0;
    while (i < bytes.size()) {
        char byte = bytes[i];
        if (byte == '"' || byte == '\'') {
            int32_t close = FindClosingQuote(bytes, i);
            size_t end = close < 0 ? bytes.size() : size_t(close) + 1;
            out.AppendBytes(bytes.substr(i, end - i));
            i = end;
        } else if (byte == '.' && ShortcutRunLength(bytes, i, '.') >= 2) {
            out.AppendCStr(kRangeText);
            i += ShortcutRunLength(bytes, i, '.');
        } else if (byte == '_') {
            out.AppendCStr(kRangeText);
            ++i;
        } else if (byte == '-' && ShortcutRunLength(bytes, i, '-') >= 2) {
            out.AppendCStr(kNotText);
            i += ShortcutRunLength(bytes, i, '-');
        } else if (byte == '+' && ShortcutRunLength(bytes, i, '+') >= 2) {
            out.AppendChar('|');
            i += ShortcutRunLength(bytes, i, '+');
        } else if (byte == '+' && i + 1 < bytes.size() && bytes[i + 1] == '-') {
            out.AppendCStr(kXorText);
            i += 2;
        } else {
            out.AppendChar(byte);
            ++i;
        }
    }
    text.Assign(out);
}

void MakeConditionMessage(Message& message, int32_t code, std::string_view text)
{
    message.Clear();
    message.code = code;
    message.AddTextBytes(text.data(), int32_t(text.size()));
    if (code == message::kConditionTooDeep) {
        String limit;
        limit.AssignInt(kMaxConditionNesting);
        message.AddText(limit.CStr());
    }
}

int32_t ConditionCompiler::ComparisonBits(uint32_t c)
{
    switch (c) {
    case '=':
        return 1;
    case '>':
        return 2;
    case '<':
        return 4;
    case kConditionNotEqual:
        return 6;
    case kConditionGreaterEqual:
        return 3;
    case kConditionLessEqual:
        return 5;
    default:
        return 0;
    }
}

ConditionCompiler::ConditionCompiler(String& text, const Codes& codes) : text(text), codes(codes) {}

ConditionCompiler::~ConditionCompiler() = default;

uint32_t ConditionCompiler::CharAt(int32_t at) const
{
    return at < text.Length() ? Utf8DecodeChar(text.CStr() + at) : 0;
}

int32_t ConditionCompiler::CharLength(int32_t at) const
{
    return at < text.Length() ? Utf8CharLength(text.CStr() + at) : 0;
}

void ConditionCompiler::Emit(int32_t code, int32_t argument, double first, double second)
{
    ops.push_back(Op{code, argument, first, second});
}

void ConditionCompiler::InsertAndStep(char byte)
{
    int32_t before = text.Length();
    text.InsertChar(pos, byte);
    if (text.Length() > before)
        ++pos;
    else
        failed = true;  // the text is at its growth limit: nothing sensible can follow
}

bool ConditionCompiler::DepthAllowed(int32_t depth)
{
    if (depth > kMaxConditionNesting)
        failed = true;
    return !failed;
}

bool ConditionCompiler::ParseExpression()
{
    pos = 0;
    ops.clear();
    ParseOr(0);
    if (failed)
        return false;
    text.Truncate(pos);
    ResolveSkipCounts();
    return true;
}

void ConditionCompiler::DeleteDoubledOperators()
{
    for (;;) {
        uint32_t c = CharAt(pos);
        if (c != kConditionOr && c != kConditionXor && c != kConditionAnd)
            return;
        text.Delete(pos, CharLength(pos));
    }
}

void ConditionCompiler::FinishChain(size_t opIndex, size_t rightStart)
{
    if (ops.size() == rightStart)
        ops.pop_back();  // no right operand: the op (still the last one) goes
    else
        ops[opIndex].argument = int32_t(ops.size() - rightStart);
}

// An operator whose operand was deleted as unreadable stays in the text but is not compiled: the
// condition is what its other operand says (for "¬", the negation of it). So every op that pops finds
// its operands.
void ConditionCompiler::ParseOr(int32_t depth)
{
    size_t start = ops.size();
    ParseXor(depth);
    while (!failed && CharAt(pos) == kConditionOr) {
        pos += CharLength(pos);
        DeleteDoubledOperators();
        bool haveLeft = ops.size() > start;
        size_t opIndex = ops.size();
        if (haveLeft)
            Emit(codes.orCode);
        size_t rightStart = ops.size();
        ParseXor(depth);
        if (haveLeft)
            FinishChain(opIndex, rightStart);
    }
}

void ConditionCompiler::ParseXor(int32_t depth)
{
    size_t start = ops.size();
    ParseAnd(depth);
    while (!failed && CharAt(pos) == kConditionXor) {
        pos += CharLength(pos);
        DeleteDoubledOperators();
        bool haveLeft = ops.size() > start;
        size_t rightStart = ops.size();
        ParseAnd(depth);
        if (haveLeft && ops.size() > rightStart)
            Emit(codes.xorCode);
    }
}

void ConditionCompiler::ParseAnd(int32_t depth)
{
    size_t start = ops.size();
    ParsePrimary(depth);
    for (;;) {
        if (failed)
            return;
        uint32_t c = CharAt(pos);
        if (c != kConditionAnd && c != kConditionNot)
            return;
        pos += CharLength(pos);
        if (c == kConditionAnd)
            DeleteDoubledOperators();
        bool haveLeft = ops.size() > start;
        size_t opIndex = ops.size();
        if (haveLeft)
            Emit(codes.andCode);
        size_t rightStart = ops.size();
        ParsePrimary(depth);
        if (c == kConditionNot && ops.size() > rightStart)
            Emit(codes.notCode);
        if (haveLeft)
            FinishChain(opIndex, rightStart);
    }
}

void ConditionCompiler::ParsePrimary(int32_t depth)
{
    if (!DepthAllowed(depth))
        return;
    for (;;) {
        uint32_t c = CharAt(pos);
        if (c == '(') {
            ++pos;
            ParseOr(depth + 1);
            if (failed)
                return;
            if (CharAt(pos) == ')')
                ++pos;
            else
                InsertAndStep(')');
            return;
        }
        if (c == kConditionNot) {
            int32_t length = CharLength(pos);
            if (CharAt(pos + length) == kConditionNot) {
                text.Delete(pos, 2 * length);  // "¬¬" cancels out; read the primary again
                continue;
            }
            pos += length;
            size_t operandStart = ops.size();
            ParsePrimary(depth + 1);
            if (ops.size() > operandStart)
                Emit(codes.notCode);
            return;
        }
        ParseTerm(depth);
        return;
    }
}

// Each "|" or "&" first holds the length of its right operand. A jump that lands on an op of the
// same code would jump again there (the top it tests is unchanged), so the chain is followed to its
// final landing place once, here.
void ConditionCompiler::ResolveSkipCounts()
{
    int32_t count = int32_t(ops.size());
    for (int32_t i = 0; i < count; ++i) {
        int32_t code = ops[size_t(i)].code;
        if (code != codes.orCode && code != codes.andCode)
            continue;
        int32_t land = i + ops[size_t(i)].argument + 1;
        while (land < count && ops[size_t(land)].code == code)
            land += ops[size_t(land)].argument + 1;
        ops[size_t(i)].argument = land - i - 1;
    }
}

// On the path that takes no jump every term pushes, "±", "|" and "&" pop one, "¬" leaves the depth;
// a jump skips ops whose net effect is zero and leaves the same depth, so this path is the deepest.
int32_t ConditionCompiler::StackDepth() const
{
    int32_t depth = 0;
    int32_t deepest = 0;
    for (const Op& op : ops) {
        if (op.code == codes.notCode)
            continue;
        if (op.code == codes.xorCode || op.code == codes.orCode || op.code == codes.andCode)
            --depth;
        else
            ++depth;
        if (depth > deepest)
            deepest = depth;
    }
    return deepest;
}

}  // namespace vek
