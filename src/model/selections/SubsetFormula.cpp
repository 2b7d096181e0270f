#include "model/selections/SubsetFormula.h"

#include <string>
#include <vector>

#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/expressions/ConditionCompiler.h"
#include "model/expressions/ExpressionTextBuilder.h"
#include "model/base/ModelServices.h"

namespace vek {

SubsetOperand::~SubsetOperand() = default;
SubsetOperandList::~SubsetOperandList() = default;

namespace {

// Formulas reached through operands nest at most this deep; a deeper chain is refused like a cycle,
// which bounds the recursion of evaluation and of the cycle search.
constexpr int32_t kMaxFormulaNesting = SubsetFormula::kMaxSubsetFormulaNesting;

constexpr std::string_view kFormulaNotText = "\xC2\xAC";
constexpr std::string_view kFormulaXorText = "\xC2\xB1";

// Length of the operator at p ("&", "(", ")", "|", "¬", "±", runs of two or more "+" or "-"), 0 when
// none starts there. The end of the text is an operator of length 0 too: callers test it apart.
int32_t FormulaOperatorLength(std::string_view text, size_t p)
{
    if (p >= text.size())
        return 0;
    char c = text[p];
    if (c == '&' || c == '(' || c == ')' || c == '|')
        return 1;
    if (text.substr(p, 2) == kFormulaNotText || text.substr(p, 2) == kFormulaXorText)
        return 2;
    if (c == '+' || c == '-') {
        size_t end = p;
        while (end < text.size() && text[end] == c)
            ++end;
        return end - p >= 2 ? int32_t(end - p) : 0;
    }
    return 0;
}

bool IsFormulaBreak(std::string_view text, size_t p)
{
    return p >= text.size() || FormulaOperatorLength(text, p) > 0;
}

// Bytes of `name` and of the text at p that agree without regard to case, less the blanks that end
// that stretch; `unmatched` gets the bytes of the name left over.
int32_t MatchOperandName(std::string_view text, size_t p, std::string_view name, int32_t& unmatched)
{
    const char* t = text.data() + p;
    const char* tEnd = text.data() + text.size();
    const char* n = name.data();
    const char* nEnd = name.data() + name.size();
    while (t < tEnd && n < nEnd) {
        const char* tNext = t;
        const char* nNext = n;
        if (Utf8NextUpperCharIn(tNext, tEnd) != Utf8NextUpperCharIn(nNext, nEnd))
            break;
        t = tNext;
        n = nNext;
    }
    unmatched = int32_t(nEnd - n);
    int32_t matched = int32_t(t - (text.data() + p));
    while (matched > 0 && text[p + size_t(matched) - 1] == ' ')
        --matched;
    return matched;
}

// The length of a leading "cards", "groups" or "unbalanced" and the blanks after it, when a further
// word follows in the token; else 0.
size_t KeywordPrefixLength(std::string_view token)
{
    for (std::string_view word : {std::string_view("cards"), std::string_view("groups"), std::string_view("unbalanced")}) {
        if (token.size() <= word.size() || token[word.size()] != ' ' ||
            CStrCompareNoCase(token.substr(0, word.size()), word) != 0)
            continue;
        size_t end = word.size();
        while (end < token.size() && token[end] == ' ')
            ++end;
        return end < token.size() ? end : 0;
    }
    return 0;
}

}  // namespace

// One compilation: a recursive-descent parser over the normalized text that appends postfix ops,
// folding each with the one before it.
class SubsetFormulaCompiler {
public:
    SubsetFormulaCompiler(SubsetFormula& formula, std::string_view text) : formula(formula), text(text) {}

    // Parses the whole text; false when it nests too deep (the ops are then unusable).
    bool Run()
    {
        bool any = ParseExpression(0);
        while (!tooDeep && position < text.size()) {
            // Surplus text after a whole expression: reported and dropped.
            if (!Recover())
                break;
            if (!any && ParseExpression(0))
                any = true;
        }
        return !tooDeep;
    }
    std::vector<SubsetFormulaOp>& Ops() { return ops; }

private:
    void SkipBlanks()
    {
        while (position < text.size() && text[position] == ' ')
            ++position;
    }
    // After an operator: blanks and stray "&", "|", "±".
    void SkipAfterOperator()
    {
        for (;;) {
            if (position < text.size() && (text[position] == ' ' || text[position] == '&' || text[position] == '|'))
                ++position;
            else if (text.substr(position, 2) == kFormulaXorText)
                position += 2;
            else
                return;
        }
    }
    bool AtEnd()
    {
        SkipBlanks();
        return position >= text.size();
    }

    // Reports the token up to the next operator (4707 unless empty or already reported) and skips it
    // with the operators that follow. False when nothing was skipped.
    bool Recover()
    {
        size_t start = position;
        SkipBlanks();
        size_t tokenStart = position;
        while (!IsFormulaBreak(text, position))
            ++position;
        std::string_view token = text.substr(tokenStart, position - tokenStart);
        while (!token.empty() && token.back() == ' ')
            token.remove_suffix(1);
        if (!token.empty() && tokenStart != reportedAt)
            Report(message::kUnknownSubsetOperand, token);
        while (position < text.size()) {
            int32_t n = FormulaOperatorLength(text, position);
            if (n == 0 && text[position] != ' ')
                break;
            position += size_t(n > 0 ? n : 1);
        }
        return position > start;
    }

    void Report(int32_t code, std::string_view token)
    {
        if (Service<ModelServices>::Get().IsWebRequestActive())
            return;
        Message message;
        message.code = code;
        message.AddTextBytes(token.data(), int32_t(token.size()));
        if (code == message::kSubsetFormulaCycle)
            message.AddText(std::to_string(kMaxFormulaNesting).c_str());
        formula.GetBase().ShowErrorAlert(message);
    }

    void Append(SubsetOp op, SubsetOperand* operand = nullptr)
    {
        SubsetOp last = ops.empty() ? SubsetOp::End : ops.back().code;
        switch (op) {
        case SubsetOp::Not:
            if (last == SubsetOp::Not) {
                ops.pop_back();
                return;
            }
            break;
        case SubsetOp::And:
        case SubsetOp::AndNot:
            if (last == SubsetOp::Not) {
                ops.back().code = op == SubsetOp::And ? SubsetOp::AndNot : SubsetOp::And;
                return;
            }
            break;
        case SubsetOp::Cards:
            if (last == SubsetOp::Cards)
                return;
            if (last == SubsetOp::Groups) {
                ops.back().code = SubsetOp::Cards;
                return;
            }
            break;
        case SubsetOp::Groups:
            if (last == SubsetOp::Cards || last == SubsetOp::Groups)
                return;
            break;
        case SubsetOp::Unbalanced:
            if (last == SubsetOp::Unbalanced || last == SubsetOp::AllUnbalanced)
                return;
            break;
        default:
            break;
        }
        ops.push_back({op, operand});
    }

    // Right operand of a binary operator: tried again after each bad token until the text ends.
    template <typename Parse>
    bool ParseRight(Parse parse)
    {
        for (;;) {
            if (parse())
                return true;
            if (tooDeep || AtEnd() || !Recover())
                return false;
        }
    }

    bool ParseExpression(int32_t depth)
    {
        if (depth > kMaxConditionNesting) {
            tooDeep = true;
            return false;
        }
        while (!ParseTerm(depth)) {
            if (tooDeep || AtEnd() || !Recover())
                return false;
        }
        for (;;) {
            SkipBlanks();
            if (position >= text.size() || text[position] != '|')
                return true;
            ++position;
            SkipAfterOperator();
            if (!ParseRight([&] { return ParseTerm(depth); }))
                return true;
            Append(SubsetOp::Or);
        }
    }

    bool ParseTerm(int32_t depth)
    {
        if (!ParseFactor(depth))
            return false;
        for (;;) {
            SkipBlanks();
            if (text.substr(position, 2) != kFormulaXorText)
                return true;
            position += 2;
            SkipAfterOperator();
            if (!ParseRight([&] { return ParseFactor(depth); }))
                return true;
            Append(SubsetOp::Xor);
        }
    }

    bool ParseFactor(int32_t depth)
    {
        if (!ParsePrimary(depth))
            return false;
        for (;;) {
            SkipBlanks();
            SubsetOp op;
            if (position < text.size() && text[position] == '&') {
                op = SubsetOp::And;
                ++position;
            } else if (text.substr(position, 2) == kFormulaNotText) {
                op = SubsetOp::AndNot;
                position += 2;
            } else {
                return true;
            }
            SkipAfterOperator();
            if (!ParseRight([&] { return ParsePrimary(depth); }))
                return true;
            Append(op);
        }
    }

    bool ParsePrimary(int32_t depth)
    {
        if (depth > kMaxConditionNesting) {
            tooDeep = true;
            return false;
        }
        SkipBlanks();
        if (position >= text.size())
            return false;
        if (text[position] == '(') {
            ++position;
            SkipAfterOperator();
            if (!ParseExpression(depth + 1))
                return false;
            SkipBlanks();
            if (position < text.size() && text[position] == ')')
                ++position;
            return true;
        }
        if (text.substr(position, 2) == kFormulaNotText) {
            position += 2;
            SkipAfterOperator();
            if (!ParsePrimary(depth + 1))
                return false;
            Append(SubsetOp::Not);
            return true;
        }
        return ParseOperand(depth);
    }

    struct Best {
        SubsetOperand* operand = nullptr;
        SubsetOp code = SubsetOp::End;
        int32_t matched = 0;
        int32_t unmatched = 999;
    };

    void Consider(SubsetOperandList* list, SubsetOp code, Best& best) const
    {
        if (list == nullptr)
            return;
        for (int32_t i = 0, n = list->OperandCount(); i < n; ++i) {
            SubsetOperand* operand = list->OperandAt(i);
            if (operand == nullptr || operand->OperandName().empty())
                continue;
            int32_t unmatched = 0;
            int32_t matched = MatchOperandName(text, position, operand->OperandName(), unmatched);
            if (matched > best.matched || (matched == best.matched && matched > 0 && unmatched < best.unmatched))
                best = {operand, code, matched, unmatched};
        }
    }

    bool ParseOperand(int32_t depth)
    {
        Best best;
        Consider(formula.ownerSelections, SubsetOp::Selection, best);
        Consider(formula.furtherList, SubsetOp::Subset, best);
        Consider(formula.globalList, SubsetOp::Subset, best);
        constexpr std::pair<std::string_view, SubsetOp> keywords[] = {
            {"cards", SubsetOp::Cards}, {"groups", SubsetOp::Groups}, {"unbalanced", SubsetOp::Unbalanced}};
        for (const auto& [word, code] : keywords) {
            int32_t unmatched = 0;
            int32_t matched = MatchOperandName(text, position, word, unmatched);
            if (matched > best.matched && matched > 1)
                best = {nullptr, code, matched, unmatched};
        }
        size_t wordEnd = position;
        while (wordEnd < text.size() && text[wordEnd] != ' ' && !IsFormulaBreak(text, wordEnd))
            ++wordEnd;
        if (best.matched == 0 || position + size_t(best.matched) < wordEnd)
            return false;
        size_t start = position;
        position += size_t(best.matched);
        switch (best.code) {
        case SubsetOp::Selection:
        case SubsetOp::Subset:
            if (LeadsBack(best.operand)) {
                Report(message::kSubsetFormulaCycle, text.substr(start, size_t(best.matched)));
                reportedAt = start;
                position = start;
                return false;
            }
            Append(best.code, best.operand);
            return true;
        case SubsetOp::Cards:
        case SubsetOp::Groups:
            if (!ParsePrimary(depth + 1)) {
                position = start;
                return false;
            }
            Append(best.code);
            return true;
        default: {
            size_t afterWord = position;
            size_t opsBefore = ops.size();
            if (ParsePrimary(depth + 1)) {
                Append(SubsetOp::Unbalanced);
            } else {
                position = afterWord;
                ops.resize(opsBefore);
                Append(SubsetOp::AllUnbalanced);
            }
            return true;
        }
        }
    }

    // An operand whose formula is this one, or reaches it, would make evaluation loop.
    bool LeadsBack(SubsetOperand* operand) const
    {
        SubsetFormula* other = operand->OperandFormula();
        return other != nullptr && other->Reaches(&formula);
    }

    SubsetFormula& formula;
    std::string_view text;
    size_t position = 0;
    size_t reportedAt = std::string_view::npos;
    bool tooDeep = false;
    std::vector<SubsetFormulaOp> ops;
};

SubsetFormula::SubsetFormula(Base& base, SubsetOperandList* global, SubsetOperandList* further,
                             SubsetOperandList* ownerSelections)
    : base(base), globalList(global), furtherList(further), ownerSelections(ownerSelections)
{
}

SubsetFormula::~SubsetFormula() = default;

void SubsetFormula::SetLists(SubsetOperandList* global, SubsetOperandList* further, SubsetOperandList* owner)
{
    globalList = global;
    furtherList = further;
    ownerSelections = owner;
}

void SubsetFormula::Free()
{
    code.reset();
    result.reset();
    evaluated = false;
}

void SubsetFormula::ReleaseResult()
{
    result.reset();
    evaluated = false;
}

int32_t SubsetFormula::OpCount() const
{
    int32_t n = 0;
    if (code)
        while (code[size_t(n)].code != SubsetOp::End)
            ++n;
    return n;
}

void SubsetFormula::SetText(String& text)
{
    evaluated = false;
    NormalizeConditionText(text);
    std::string normalized(text.View());
    SubsetFormulaCompiler compiler(*this, normalized);
    if (!compiler.Run()) {
        Message message;
        MakeConditionMessage(message, message::kConditionTooDeep, normalized);
        base.ShowErrorAlert(message);
        code.reset();
        return;
    }
    std::vector<SubsetFormulaOp>& ops = compiler.Ops();
    if (ops.empty()) {
        code.reset();
    } else {
        code = std::make_unique<SubsetFormulaOp[]>(ops.size() + 1);
        for (size_t i = 0; i < ops.size(); ++i)
            code[i] = ops[i];
        code[ops.size()] = {};
    }
    FormatText(text, FormulaSpacing::Kept);
}

void SubsetFormula::FormatText(String& out, FormulaSpacing spacing) const
{
    out.SetLength(0);
    if (!code)
        return;
    std::string_view separator = spacing == FormulaSpacing::Kept ? " " : "";
    ExpressionTextBuilder builder;
    for (const SubsetFormulaOp* op = code.get(); op->code != SubsetOp::End; ++op) {
        switch (op->code) {
        case SubsetOp::Not: builder.PrefixOperator(kFormulaNotText, 4); break;
        case SubsetOp::Or: builder.Combine("|", 1, separator); break;
        case SubsetOp::Xor: builder.Combine(kFormulaXorText, 2, separator); break;
        case SubsetOp::And: builder.Combine("&", 3, separator); break;
        case SubsetOp::AndNot: builder.Combine(kFormulaNotText, 3, separator); break;
        case SubsetOp::Cards: builder.PrefixFunction("cards"); break;
        case SubsetOp::Groups: builder.PrefixFunction("groups"); break;
        case SubsetOp::Unbalanced: builder.PrefixFunction("unbalanced"); break;
        case SubsetOp::AllUnbalanced: builder.PushOperand("unbalanced"); break;
        case SubsetOp::Selection:
        case SubsetOp::Subset: builder.PushOperand(op->operand->OperandName()); break;
        case SubsetOp::End: break;
        }
    }
    builder.AppendTo(out);
}

void SubsetFormula::WriteLine(TextWriter& writer, const char* key) const
{
    String text;
    FormatText(text, FormulaSpacing::Written);
    if (text.IsEmpty())
        return;
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutFieldText(text.View());
    writer.EndRow();
}

bool SubsetFormula::RefersToOperand(const SubsetOperand* operand) const
{
    if (code)
        for (const SubsetFormulaOp* op = code.get(); op->code != SubsetOp::End; ++op)
            if (op->operand != nullptr && op->operand == operand)
                return true;
    return false;
}

bool SubsetFormula::RefersToSubset(const Subset* subset) const
{
    if (code && subset != nullptr)
        for (const SubsetFormulaOp* op = code.get(); op->code != SubsetOp::End; ++op)
            if (op->code == SubsetOp::Subset && op->operand->OperandSubset() == subset)
                return true;
    return false;
}

bool SubsetFormula::Reaches(const SubsetFormula* other) const
{
    return ReachesGuarded(other, 0);
}

bool SubsetFormula::ReachesGuarded(const SubsetFormula* other, int32_t depth) const
{
    if (this == other)
        return true;
    // A formula met again on the path is a cycle that does not pass `other`; too deep a chain counts
    // as reaching it, so that it is refused.
    if (visiting)
        return false;
    if (depth > kMaxFormulaNesting)
        return true;
    if (!code)
        return false;
    visiting = true;
    bool found = false;
    for (const SubsetFormulaOp* op = code.get(); op->code != SubsetOp::End && !found; ++op) {
        if (op->operand == nullptr)
            continue;
        const SubsetFormula* next = op->operand->OperandFormula();
        found = next != nullptr && next->ReachesGuarded(other, depth + 1);
    }
    visiting = false;
    return found;
}

bool SubsetFormula::NeedsEvaluation() const
{
    return NeedsEvaluationGuarded(0);
}

bool SubsetFormula::NeedsEvaluationGuarded(int32_t depth) const
{
    // Without code there is nothing to compute: Evaluate only drops the result.
    if (!code)
        return false;
    if (!evaluated)
        return true;
    if (visiting || depth > kMaxFormulaNesting)
        return false;
    visiting = true;
    bool needs = false;
    for (const SubsetFormulaOp* op = code.get(); op->code != SubsetOp::End && !needs; ++op) {
        if (op->operand == nullptr)
            continue;
        const SubsetFormula* next = op->operand->OperandFormula();
        needs = next != nullptr && next->NeedsEvaluationGuarded(depth + 1);
    }
    visiting = false;
    return needs;
}

void SubsetFormula::OnBaseChange(const ChangeRecord& record)
{
    switch (record.code) {
    case kChangeComponents:
    case kChangeCardContents:
    case kChangeCards:
    case kChangeValueCount:
        evaluated = false;
        break;
    case kChangeSubsetOther:
        if (const SubsetPayload* payload = record.Get<SubsetPayload>(); payload && RefersToSubset(payload->subset))
            evaluated = false;
        break;
    default:
        break;
    }
}

bool SubsetFormula::RenameInText(String& text, std::string_view oldName, std::string_view newName)
{
    std::string_view source = text.View();
    std::string out;
    bool replaced = false;
    size_t p = 0;
    while (p < source.size()) {
        int32_t n = FormulaOperatorLength(source, p);
        if (n > 0 || source[p] == ' ') {
            size_t step = size_t(n > 0 ? n : 1);
            out.append(source.substr(p, step));
            p += step;
            continue;
        }
        size_t end = p;
        while (!IsFormulaBreak(source, end))
            ++end;
        // "cards", "groups" and "unbalanced" before a name are kept as they stand, so that the name
        // after them is renamed too.
        if (size_t keyword = KeywordPrefixLength(source.substr(p, end - p)); keyword > 0) {
            out.append(source.substr(p, keyword));
            p += keyword;
            continue;
        }
        size_t tokenEnd = end;
        while (tokenEnd > p && source[tokenEnd - 1] == ' ')
            --tokenEnd;
        std::string_view token = source.substr(p, tokenEnd - p);
        if (!oldName.empty() && CStrCompareNoCase(token, oldName) == 0) {
            out.append(newName);
            replaced = true;
        } else {
            out.append(source.substr(p, end - p));
        }
        p = end;
    }
    if (replaced)
        text.AssignBytes(out);
    return replaced;
}

}  // namespace vek
