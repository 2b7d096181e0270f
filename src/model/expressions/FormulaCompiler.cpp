// FormulaCompiler: reading a formula text into postfix code while writing its canonical spelling.
#include "model/expressions/FormulaCode.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>

#include "foundation/messages/TextIds.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "model/expressions/FormulaVariableIndex.h"

namespace vek {

namespace {

using namespace formula_op;

constexpr std::string_view kFormulaNotSign = "\u00AC";
constexpr std::string_view kFormulaPiSign = "\u03C0";
constexpr std::string_view kFormulaNoBreakSpace = "\u00A0";
constexpr double kFormulaPi = 3.141592653589793;
// A number takes at most this many bytes of the text; the rest is not read.
constexpr int32_t kFormulaNumberLimit = 255;
constexpr double kFormulaExponentCap = 100000.0;

bool IsFormulaDigit(char c) { return c >= '0' && c <= '9'; }

int32_t FormulaRadixDigit(char c, int32_t radix)
{
    int32_t digit = c >= '0' && c <= '9' ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : 99;
    return digit < radix ? digit : -1;
}

int32_t FormulaNameChars(std::string_view text)
{
    int32_t count = 0;
    for (const char* p = text.data(); p < text.data() + text.size(); ++count)
        Utf8NextCharIn(p, text.data() + text.size());
    return count;
}

// A separator of the process-wide pair as UTF-8 bytes; empty for 0.
std::string FormulaSeparatorBytes(char16_t separator)
{
    char buffer[4];
    if (separator == 0)
        return {};
    return std::string(buffer, size_t(Utf8EncodeChar(buffer, separator)));
}

class FormulaParser {
public:
    FormulaParser(std::string_view text, int32_t variableCount, const FormulaVariable* variables,
                  const FormulaVariableIndex* index, FormulaCode& code)
        : text(text), variableCount(variables ? std::min(variableCount, kFormulaMaxVariables) : 0),
          variables(variables), index(index), code(code)
    {
        SeparatorPair separators = GetSeparators();
        decimalSeparator = FormulaSeparatorBytes(separators.decimalSeparator);
        thousandsSeparator = FormulaSeparatorBytes(separators.thousandsSeparator);
        if (thousandsSeparator == "." || thousandsSeparator == ",")
            thousandsSeparator.clear();  // "." and "," always mark the decimal point
    }

    int32_t Run(String& canonical);

private:
    // --- the grammar, lowest precedence first
    void ParseOr();
    void ParseAnd();
    void ParseNot();
    void ParseSum();
    void ParseTerm();
    void ParseFactor();
    void ParsePrimary();
    void ParseArguments(FormulaCodeWord op);
    void ParseBracket(char closer);
    bool ParseVariable(int32_t minChars, int32_t maxChars);
    bool ParseFunction();
    bool ParseRadixNumber();
    void ParseDecimalNumber();
    void ParsePercent(double value);

    // --- the text
    bool AtEnd() const { return pos >= text.size(); }
    std::string_view Rest() const { return text.substr(pos); }
    bool Next(std::string_view what) const { return Rest().substr(0, what.size()) == what; }
    bool Take(std::string_view what)
    {
        if (!Next(what))
            return false;
        pos += what.size();
        return true;
    }
    void SkipBlanks()
    {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    }
    // The name read from `start` to the current position is written in its table spelling.
    void Respell(size_t start, const char* spelling)
    {
        out.append(text.substr(copied, start - copied));
        out.append(spelling);
        copied = pos;
    }

    // --- the code
    bool Stopped() const { return refusal != 0; }
    void Emit(FormulaCodeWord word);
    void PushConstant(double value);
    void PushUndefined() { PushConstant(std::numeric_limits<double>::quiet_NaN()); }
    bool EnterNesting()
    {
        if (++nesting > kFormulaMaxNesting && refusal == 0)
            refusal = message::kFormulaTooDeep;
        return !Stopped();
    }
    void LeaveNesting() { --nesting; }

    std::string_view text;
    size_t pos = 0;
    int32_t variableCount;
    const FormulaVariable* variables;
    const FormulaVariableIndex* index;
    FormulaCode& code;
    std::string decimalSeparator;
    std::string thousandsSeparator;

    int32_t refusal = 0;
    int32_t nesting = 0;
    // The closing brackets of the brackets still open, innermost last.
    std::string closers;
    // The canonical text of text[0, copied).
    std::string out;
    size_t copied = 0;
};

int32_t FormulaParser::Run(String& canonical)
{
    ParseOr();
    if (Stopped())
        return refusal;
    out.append(text.substr(copied, pos - copied));
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    out.append(closers.rbegin(), closers.rend());
    if (out.size() > size_t(String::kGrowthLimit))
        return message::kFormulaTooLong;
    canonical.AssignBytes(out);
    return 0;
}

void FormulaParser::Emit(FormulaCodeWord word)
{
    if (Stopped())
        return;
    if (code.wordCount >= kFormulaMaxCode) {
        refusal = message::kFormulaTooLong;
        return;
    }
    code.words[code.wordCount++] = word;
    if (!IsFormulaPush(word) && word != kRandom)
        SimplifyFormulaCode(code);
}

void FormulaParser::PushConstant(double value)
{
    if (Stopped())
        return;
    if (code.constantCount >= kFormulaMaxConstants) {
        refusal = message::kFormulaTooLong;
        return;
    }
    code.constants[code.constantCount] = value;
    Emit(FormulaCodeWord(kConstant + code.constantCount++));
}

// or-expression: and-expression { "|" and-expression }.
void FormulaParser::ParseOr()
{
    ParseAnd();
    while (!Stopped()) {
        SkipBlanks();
        if (!Take("|"))
            break;
        ParseAnd();
        Emit(kOr);
    }
}

// and-expression: not-expression { "&" not-expression }.
void FormulaParser::ParseAnd()
{
    ParseNot();
    while (!Stopped()) {
        SkipBlanks();
        if (!Take("&"))
            break;
        ParseNot();
        Emit(kAnd);
    }
}

// not-expression: "¬" not-expression, or a sum and any number of comparisons with a sum, left to
// right. Each "¬" is its operand's truth taken from 1.
void FormulaParser::ParseNot()
{
    int32_t nots = 0;
    for (SkipBlanks(); Take(kFormulaNotSign); SkipBlanks())
        ++nots;
    ParseSum();
    while (!Stopped()) {
        SkipBlanks();
        FormulaCodeWord op = kEnd;
        for (const FormulaWord& comparison : kFormulaComparisons) {
            if (Take(comparison.spelling)) {
                op = comparison.op;
                break;
            }
        }
        if (op == kEnd)
            break;
        ParseSum();
        Emit(op);
    }
    for (; nots > 0; --nots) {
        Emit(kTruth);
        Emit(kComplement);
    }
}

void FormulaParser::ParseSum()
{
    ParseTerm();
    while (!Stopped()) {
        SkipBlanks();
        FormulaCodeWord op = Take("+") ? kAdd : Take("-") ? kSubtract : kEnd;
        if (op == kEnd)
            break;
        ParseTerm();
        Emit(op);
    }
}

void FormulaParser::ParseTerm()
{
    ParseFactor();
    while (!Stopped()) {
        SkipBlanks();
        FormulaCodeWord op = Take("*") ? kMultiply : Take("/") ? kDivide : Take(":") ? kRemainder : kEnd;
        if (op == kEnd)
            break;
        ParseFactor();
        Emit(op);
    }
}

// factor: unary "+" (ignored) and "-" (negation), a primary, and "**" or "^" with a factor
// (right-associative, binding tighter than the negation before it: '-2^2' is -4).
void FormulaParser::ParseFactor()
{
    int32_t negations = 0;
    for (SkipBlanks(); !AtEnd(); SkipBlanks()) {
        if (Take("+"))
            continue;
        if (!Take("-"))
            break;
        ++negations;
    }
    ParsePrimary();
    SkipBlanks();
    if (!Stopped() && (Take("**") || Take("^"))) {
        if (EnterNesting()) {
            ParseFactor();
            Emit(kPower);
        }
        LeaveNesting();
    }
    for (; negations > 0; --negations)
        Emit(kNegate);
}

void FormulaParser::ParsePrimary()
{
    SkipBlanks();
    if (Stopped())
        return;
    if (ParseVariable(3, kFormulaNameCapacity) || ParseFunction() || ParseVariable(1, 2) || ParseRadixNumber())
        return;
    if (!AtEnd() && (IsFormulaDigit(text[pos]) || text[pos] == '.' || text[pos] == ',')) {
        ParseDecimalNumber();
        return;
    }
    if (Take("("))
        return ParseBracket(')');
    if (Take("["))
        return ParseBracket(']');
    if (Take("{"))
        return ParseBracket('}');
    size_t start = pos;
    int32_t piLength = MatchFormulaName(Rest(), "pi");
    if (piLength > 0) {
        pos += size_t(piLength);
        Respell(start, "pi");
        return ParsePercent(kFormulaPi);
    }
    if (Take(kFormulaPiSign))
        return ParsePercent(kFormulaPi);
    // Anything else is the undefined value, reading nothing: the text ends here.
    PushUndefined();
}

// The longest name of minChars..maxChars characters that the text starts with.
bool FormulaParser::ParseVariable(int32_t minChars, int32_t maxChars)
{
    int32_t best = -1;
    int32_t bestChars = 0;
    int32_t bestLength = 0;
    if (index != nullptr)
        best = index->FindLongestPrefix(Rest(), minChars, maxChars, bestLength);
    for (int32_t i = 0; index == nullptr && i < variableCount; ++i) {
        const char* name = variables[i].name;
        std::string_view view(name, strnlen(name, kFormulaNameCapacity));
        int32_t chars = FormulaNameChars(view);
        if (chars < minChars || chars > maxChars || chars <= bestChars)
            continue;
        int32_t length = MatchFormulaName(Rest(), view);
        if (length > 0) {
            best = i;
            bestChars = chars;
            bestLength = length;
        }
    }
    if (best < 0)
        return false;
    size_t start = pos;
    pos += size_t(bestLength);
    std::string spelling(variables[best].name, strnlen(variables[best].name, kFormulaNameCapacity));
    Respell(start, spelling.c_str());
    Emit(FormulaCodeWord(kVariable + best));
    return true;
}

bool FormulaParser::ParseFunction()
{
    for (const FormulaWord& function : kFormulaFunctions) {
        int32_t length = MatchFormulaName(Rest(), function.spelling);
        if (length <= 0)
            continue;
        size_t start = pos;
        pos += size_t(length);
        Respell(start, function.spelling);
        SkipBlanks();
        ParseArguments(function.op);
        return true;
    }
    return false;
}

// "if" takes up to three or-expressions and "max" and "min" any number, separated by ";"; then a
// closing bracket left open by the arguments (the one of 'max(3;7)') is read. "ran" takes nothing,
// every other function one factor ('sqrt(2)*3' is the root of 2 times 3).
void FormulaParser::ParseArguments(FormulaCodeWord op)
{
    if (op == kRandom) {
        Emit(kRandom);
        return;
    }
    if (EnterNesting()) {
        if (op == kIf || op == kMax || op == kMin) {
            size_t openBefore = closers.size();
            ParseOr();
            int32_t count = 1;
            for (SkipBlanks(); !Stopped() && (op != kIf || count < 3) && Take(";"); SkipBlanks()) {
                ParseOr();
                ++count;
                if (op != kIf)
                    Emit(op);
            }
            if (op == kIf) {
                for (; count < 3; ++count)
                    PushUndefined();
                Emit(kIf);
            }
            if (!Stopped() && closers.size() > openBefore && Take(std::string_view(&closers.back(), 1))) {
                closers.pop_back();
                SkipBlanks();
            }
        } else {
            ParseFactor();
            Emit(op);
        }
    }
    LeaveNesting();
}

// A closing bracket is read only when it is the one of the innermost bracket still open; a bracket
// without one stays open and is closed at the end of the text.
void FormulaParser::ParseBracket(char closer)
{
    if (EnterNesting()) {
        closers.push_back(closer);
        ParseOr();
        SkipBlanks();
        if (!Stopped() && Take(std::string_view(&closers.back(), 1))) {
            closers.pop_back();
            SkipBlanks();
        }
    }
    LeaveNesting();
}

// "0x" or "$" and hexadecimal digits, "#" and octal digits; "." or "," starts the fraction, blanks
// are skipped. Taken only when a digit of the radix follows the prefix.
bool FormulaParser::ParseRadixNumber()
{
    int32_t radix = 0;
    size_t prefix = 0;
    if (Next("0x") || Next("0X")) {
        radix = 16;
        prefix = 2;
    } else if (Next("$")) {
        radix = 16;
        prefix = 1;
    } else if (Next("#")) {
        radix = 8;
        prefix = 1;
    } else {
        return false;
    }
    size_t start = pos;
    size_t limit = std::min(text.size(), start + size_t(kFormulaNumberLimit));
    size_t p = start + prefix;
    while (p < limit && text[p] == ' ')
        ++p;
    if (p >= limit || FormulaRadixDigit(text[p], radix) < 0)
        return false;
    double value = 0.0;
    double scale = 1.0;
    bool fraction = false;
    for (; p < limit; ++p) {
        char c = text[p];
        int32_t digit = FormulaRadixDigit(c, radix);
        if (digit >= 0) {
            if (fraction) {
                scale /= radix;
                value += digit * scale;
            } else {
                value = value * radix + digit;
            }
        } else if ((c == '.' || c == ',') && !fraction) {
            fraction = true;
        } else if (c != ' ') {
            break;
        }
    }
    pos = p;
    ParsePercent(value);
    return true;
}

// Digits with blanks, no-break spaces and the thousands separator skipped; ".", "," and the decimal
// separator mark the decimal point (only the last one counts); then perhaps "E" or "e", signs and a
// decimal exponent. The digits are read by BytesToDouble, so the value is the nearest double.
void FormulaParser::ParseDecimalNumber()
{
    size_t limit = std::min(text.size(), pos + size_t(kFormulaNumberLimit));
    std::string digits;
    bool anyDigit = false;
    // Reads the digits of a mantissa or an exponent into `into`.
    auto readDigits = [&](std::string& into, bool& sawDigit) {
        while (pos < limit) {
            std::string_view rest = text.substr(pos, limit - pos);
            char c = text[pos];
            if (IsFormulaDigit(c)) {
                into.push_back(c);
                sawDigit = true;
                ++pos;
            } else if (c == '.' || c == ',') {
                into.push_back('.');
                ++pos;
            } else if (c == ' ') {
                ++pos;
            } else if (rest.starts_with(kFormulaNoBreakSpace)) {
                pos += kFormulaNoBreakSpace.size();
            } else if (!thousandsSeparator.empty() && rest.starts_with(thousandsSeparator)) {
                pos += thousandsSeparator.size();
            } else if (!decimalSeparator.empty() && rest.starts_with(decimalSeparator)) {
                into.push_back('.');
                pos += decimalSeparator.size();
            } else {
                break;
            }
        }
    };
    readDigits(digits, anyDigit);
    double value = BytesToDouble(digits);
    if (anyDigit && pos < limit && (text[pos] == 'e' || text[pos] == 'E')) {
        size_t p = pos + 1;
        bool negative = false;
        for (; p < limit && (text[p] == '+' || text[p] == '-' || text[p] == ' '); ++p)
            negative ^= text[p] == '-';
        if (p < limit && IsFormulaDigit(text[p])) {
            pos = p;
            std::string exponentDigits;
            bool sawDigit = false;
            readDigits(exponentDigits, sawDigit);
            double exponent = std::min(BytesToDouble(exponentDigits), kFormulaExponentCap);
            if (exponent == std::trunc(exponent)) {
                // One correctly rounded reading of digits and exponent.
                digits += negative ? "e-" : "e";
                digits += std::to_string(int32_t(exponent));
                value = BytesToDouble(digits);
            } else {
                value *= std::pow(10.0, negative ? -exponent : exponent);
            }
        }
    }
    ParsePercent(value);
}

// A number followed by "%" is divided by 100.
void FormulaParser::ParsePercent(double value)
{
    SkipBlanks();
    if (Take("%"))
        value /= 100.0;
    PushConstant(value);
}

}  // namespace

// The bytes of `text` from its start that match `name` character by character without regard to
// case, or -1 when the text does not start with the name. An empty name never matches.
int32_t MatchFormulaName(std::string_view text, std::string_view name)
{
    if (name.empty())
        return -1;
    const char* p = text.data();
    const char* textEnd = p + text.size();
    const char* q = name.data();
    const char* nameEnd = q + name.size();
    while (q < nameEnd) {
        if (p >= textEnd || Utf8NextUpperCharIn(p, textEnd) != Utf8NextUpperCharIn(q, nameEnd))
            return -1;
    }
    return int32_t(p - text.data());
}

int32_t CompileFormulaText(std::string_view text, int32_t variableCount, const FormulaVariable* variables,
                           const FormulaVariableIndex* index, FormulaCode& code, String& canonical)
{
    code.constantCount = 0;
    code.wordCount = 0;
    FormulaParser parser(text, variableCount, variables, index, code);
    return parser.Run(canonical);
}

}  // namespace vek
