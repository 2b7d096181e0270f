// ComponentExpression: running a program on a stack of bit sets, and writing it back as text.
#include "model/selections/ComponentExpression.h"

#include <string>

#include "foundation/memory/BitSet.h"
#include "foundation/memory/BitSetStack.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/dimensions/Component.h"
#include "model/selections/ComponentExpressionText.h"
#include "model/dimensions/Dimension.h"
#include "model/expressions/ExpressionTextBuilder.h"
#include "model/expressions/TextMatcher.h"

namespace vek {

namespace {

using SubsetStep = ComponentExpressionStep;

// What an operand that names a component no longer in the dimension is written as.
constexpr std::string_view kEmptySetText = "\\\\";

// The component an op names when it still is a member of the dimension; null when it has gone
// (an op that names no member names nothing, and walks never start from a freed record).
const Component* MemberAt(const Base& base, const BitSet& members, uint32_t number)
{
    if (number >= uint32_t(members.Count()) || !members.GetBit(int32_t(number)))
        return nullptr;
    const Component* component = base.ComponentAt(number);
    return component != nullptr && !component->IsRoot() ? component : nullptr;
}

void MarkAncestorsBelowRoot(const RecordPool& pool, const Component* c, BitSet& set)
{
    for (; c != nullptr && !c->IsRoot(); c = c->Parent(pool))
        set.SetBit(int32_t(c->number), true);
}

// Ops 21-24: the components whose text (21, 22) or host code (23, 24) passes the condition, with
// their ancestors below the root for 22 and 24.
void MarkPatternMatches(const Base& base, int32_t d, uint32_t code, const char* poolText, BitSet& set)
{
    TextMatcher matcher;
    (void)ComponentExpression::CompileMatcher(base, d, code, poolText, matcher);  // refused when compiled
    const RecordPool& pool = base.ComponentPool();
    const Component* root = base.Root(d);
    bool host = code == kExprHost || code == kExprHostUp;
    bool up = code == kExprTextUp || code == kExprHostUp;
    for (const Component* c = root->NextInSubtree(pool, root); c != root; c = c->NextInSubtree(pool, root)) {
        if (!matcher.MatchesHeapText(host ? c->host : c->text))
            continue;
        if (up)
            MarkAncestorsBelowRoot(pool, c, set);
        else
            set.SetBit(int32_t(c->number), true);
    }
}

// Sets the bits of what one operand op names.
void MarkOperand(const Base& base, int32_t d, const ComponentExpression& expression, const SubsetStep* step,
                 const BitSet& members, BitSet& set)
{
    const RecordPool& pool = base.ComponentPool();
    const Component* root = base.Root(d);
    switch (step->code) {
    case kExprRoot:
        set.SetBit(d, true);
        return;
    case kExprEmpty:
        return;
    case kExprTopLevel:
        for (const Component* c = root->FirstChild(pool); c != nullptr; c = c->NextSibling(pool))
            set.SetBit(int32_t(c->number), true);
        return;
    case kExprInner:
    case kExprLeaves:
        for (const Component* c = root->NextInSubtree(pool, root); c != root; c = c->NextInSubtree(pool, root)) {
            bool hasChildren = c->firstChild != kNoRecord;
            bool wanted = step->code == kExprLeaves ? !hasChildren : hasChildren && c->parent != root->number;
            if (wanted)
                set.SetBit(int32_t(c->number), true);
        }
        return;
    case kExprText:
    case kExprTextUp:
    case kExprHost:
    case kExprHostUp:
        MarkPatternMatches(base, d, step->code, expression.PoolText(step->argument), set);
        return;
    default:
        break;
    }
    if (step->code == kExprSubtree && step->argument == uint32_t(d)) {
        // A component that went may have been replaced by the root: the whole dimension.
        Component::MarkSubtree(pool, root, set);
        return;
    }
    const Component* top = MemberAt(base, members, step->argument);
    if (top == nullptr)
        return;
    switch (step->code) {
    case kExprSubtree:
        Component::MarkSubtree(pool, top, set);
        return;
    case kExprAncestors:
        MarkAncestorsBelowRoot(pool, top, set);
        return;
    case kExprAlone:
        set.SetBit(int32_t(top->number), true);
        return;
    case kExprInnerBelow:
    case kExprLeavesBelow:
        for (const Component* c = top->NextInSubtree(pool, top); c != top; c = c->NextInSubtree(pool, top)) {
            bool hasChildren = c->firstChild != kNoRecord;
            if (hasChildren == (step->code == kExprInnerBelow))
                set.SetBit(int32_t(c->number), true);
        }
        return;
    case kExprRange: {
        // From the first to the last in pre-order; a last one that comes before the first is never
        // met, and the walk then stops at the end of the dimension.
        const Component* last = MemberAt(base, members, step[1].argument);
        bool withSubtree = step[1].code == kExprRange;
        const Component* c = top;
        for (; c != nullptr && !c->IsRoot() && c != last; c = c->NextInPreorder(pool))
            set.SetBit(int32_t(c->number), true);
        if (c == last && last != nullptr) {
            if (withSubtree)
                Component::MarkSubtree(pool, last, set);
            else
                set.SetBit(int32_t(last->number), true);
        }
        return;
    }
    default:
        return;
    }
}

}  // namespace

int32_t ComponentExpression::CompileMatcher(const Base& base, int32_t d, uint32_t code, const char* poolText,
                                            TextMatcher& matcher)
{
    bool host = code == kExprHost || code == kExprHostUp;
    bool group = poolText[0] == kGroupMarker;
    String condition;
    if (group && !host) {
        condition.AssignCStr(poolText + 1);
    } else if (group) {
        condition.AppendChar('(');
        condition.AppendCStr(poolText + 1);
        condition.AppendChar(')');
    } else {
        condition.AssignCStr(poolText);
    }
    const Dimension& dimension = base.GetDimension(d);
    return matcher.Compile(condition, host ? dimension.HostMode() : dimension.TextMode(),
                           group && !host ? TextMatcherMode::Expression : TextMatcherMode::SingleTerm);
}

void ComponentExpression::Run(const Base& base, int32_t d, BitSet& out) const
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    const RecordPool& pool = base.ComponentPool();
    const Component* root = base.Root(d);
    int32_t poolCount = pool.ElementCount();
    BitSet members(poolCount);
    bool admitAll = !block || members.Count() != poolCount;
    BitSetStack stack(poolCount);
    if (!admitAll) {
        members.SetAll(0);
        Component::MarkSubtree(pool, root, members);
        std::span<const SubsetStep> steps = Steps();
        for (size_t i = 0; i < steps.size() && !admitAll; ++i) {
            const SubsetStep* step = &steps[i];
            switch (step->code) {
            case kExprAnd:
            case kExprOr:
            case kExprXor:
            case kExprAndNot: {
                BitSet* right = stack.Top(0);
                BitSet* left = stack.Top(1);
                if (left == nullptr)
                    break;
                if (step->code == kExprAnd)
                    left->And(*right);
                else if (step->code == kExprOr)
                    left->Or(*right);
                else if (step->code == kExprXor)
                    left->Xor(*right);
                else
                    left->AndNot(*right);
                stack.Pop();
                break;
            }
            case kExprComplement:
                if (BitSet* top = stack.Top(0))
                    top->Invert();
                break;
            default: {
                BitSet* set = stack.Push();
                if (set == nullptr) {
                    SetOutOfMemoryError();
                    break;
                }
                MarkOperand(base, d, *this, step, members, *set);
                // The second op of a range belongs to the first.
                if (step->code == kExprRange && i + 1 < steps.size())
                    ++i;
                break;
            }
            }
            if (IsErrorPending())
                admitAll = true;
        }
        if (stack.Top(0) == nullptr)
            admitAll = true;
    }
    const BitSet* result = admitAll ? nullptr : stack.Top(0);
    // The result decides each component of the dimension, the root first.
    for (const Component* c = root; c != nullptr;) {
        out.SetBit(int32_t(c->number), result == nullptr || result->GetBit(int32_t(c->number)));
        c = c->NextInSubtree(pool, root);
        if (c == root)
            break;
    }
}

void ComponentExpression::FormatText(const Base& base, int32_t d, String& out, std::string_view separator) const
{
    out.SetLength(0);
    std::span<const SubsetStep> steps = Steps();
    if (steps.empty() || d < 0 || d >= int32_t(kDimensionCount))
        return;
    const RecordPool& pool = base.ComponentPool();
    BitSet members(pool.ElementCount());
    members.SetAll(0);
    Component::MarkSubtree(pool, base.Root(d), members);

    std::string text;
    // A component that has gone from the dimension names nothing, and is written as the empty set.
    auto codeOf = [&](uint32_t number, std::string& into) {
        const Component* c = MemberAt(base, members, number);
        if (c == nullptr || c->code == nullptr || !expressiontext::AppendWord(into, c->code))
            return false;
        return true;
    };
    if (steps.size() == 1 && steps[0].code == kExprSubtree) {
        const Component* c = MemberAt(base, members, steps[0].argument);
        if (c != nullptr) {
            String display;
            base.FormatComponent(display, c, d);
            if (expressiontext::AppendWord(text, display.View()) || codeOf(steps[0].argument, text)) {
                out.AppendBytes(text);
                return;
            }
        }
    }

    ExpressionTextBuilder builder;
    for (size_t i = 0; i < steps.size(); ++i) {
        const SubsetStep& step = steps[i];
        text.clear();
        const char* suffix = nullptr;
        switch (step.code) {
        case kExprAnd: builder.Combine("&", 3, separator); continue;
        case kExprOr: builder.Combine("|", 1, separator); continue;
        case kExprXor: builder.Combine("\xC2\xB1", 2, separator); continue;
        case kExprAndNot: builder.Combine("\xC2\xAC", 3, separator); continue;
        case kExprComplement: builder.PrefixOperator("\xC2\xAC", 4); continue;
        case kExprRoot: builder.PushOperand("\\"); continue;
        case kExprEmpty: builder.PushOperand(kEmptySetText); continue;
        case kExprTopLevel: builder.PushOperand("!"); continue;
        case kExprInner: builder.PushOperand("?"); continue;
        case kExprLeaves: builder.PushOperand("\xC2\xB6"); continue;
        case kExprSubtree:
            if (step.argument == uint32_t(d)) {
                // The root's subtree, the whole dimension: the complement of the empty set.
                builder.PushOperand(kEmptySetText);
                builder.PrefixOperator("\xC2\xAC", 4);
                continue;
            }
            suffix = "";
            break;
        case kExprAncestors: suffix = "^"; break;
        case kExprAlone: suffix = "!"; break;
        case kExprInnerBelow: suffix = "?"; break;
        case kExprLeavesBelow: suffix = "\xC2\xB6"; break;
        case kExprRange: {
            bool paired = i + 1 < steps.size();
            const SubsetStep& last = paired ? steps[i + 1] : step;
            if (paired)
                ++i;
            if (!codeOf(step.argument, text) || (text.append("\xE2\x80\xA6"), !codeOf(last.argument, text))) {
                text.assign(kEmptySetText.data(), kEmptySetText.size());
                break;
            }
            if (last.code == kExprRangeToLast)
                text.push_back('!');
            break;
        }
        case kExprText:
        case kExprTextUp:
        case kExprHost:
        case kExprHostUp:
            text.push_back(step.code <= kExprTextUp ? '=' : '@');
            expressiontext::AppendPatternText(text, PoolText(step.argument));
            if (step.code == kExprTextUp || step.code == kExprHostUp)
                text.push_back('^');
            break;
        default:
            text.assign(kEmptySetText.data(), kEmptySetText.size());
            break;
        }
        if (suffix != nullptr) {
            if (codeOf(step.argument, text))
                text.append(suffix);
            else
                text.assign(kEmptySetText.data(), kEmptySetText.size());
        }
        builder.PushOperand(text);
    }
    builder.AppendTo(out);
}

}  // namespace vek
