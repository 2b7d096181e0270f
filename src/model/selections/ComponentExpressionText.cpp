// Tokens, pattern texts and quoting of subset expressions.
#include "model/selections/ComponentExpressionText.h"

#include "model/selections/ComponentExpression.h"

namespace vek::expressiontext {

namespace {

bool StartsWith(std::string_view text, size_t i, std::string_view prefix)
{
    return text.size() - i >= prefix.size() && text.compare(i, prefix.size(), prefix) == 0;
}

constexpr std::string_view kNotSign = "\xC2\xAC";        // "¬"
constexpr std::string_view kPlusMinusSign = "\xC2\xB1";  // "±"
constexpr std::string_view kPilcrowSign = "\xC2\xB6";    // "¶"
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";   // "…"

// A character that ends a bare word, or a two-character operator that starts here.
bool EndsWord(std::string_view text, size_t i)
{
    switch (text[i]) {
    case '&': case '|': case ')': case '!': case '?': case '^': case '=': case '@':
        return true;
    case '+':
        return i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-');
    case '-':
        return i + 1 < text.size() && text[i + 1] == '-';
    case '.':
        return i + 1 < text.size() && text[i + 1] == '.';
    default:
        return StartsWith(text, i, kNotSign) || StartsWith(text, i, kPlusMinusSign) ||
               StartsWith(text, i, kPilcrowSign) || StartsWith(text, i, kEllipsis);
    }
}

// A character that ends a bare pattern text.
bool EndsPattern(std::string_view text, size_t i)
{
    switch (text[i]) {
    case '&': case '|': case ')': case '^':
        return true;
    default:
        return StartsWith(text, i, kNotSign) || StartsWith(text, i, kPlusMinusSign);
    }
}

size_t RunOf(std::string_view text, size_t i, char c)
{
    while (i < text.size() && text[i] == c)
        ++i;
    return i;
}

}  // namespace

Token TokenAt(std::string_view text, size_t position)
{
    Token token;
    size_t i = position;
    while (i < text.size() && text[i] == ' ')
        ++i;
    token.begin = i;
    token.end = i + 1;
    if (i >= text.size()) {
        token.kind = Token::End;
        token.end = i;
        return token;
    }
    char c = text[i];
    char next = i + 1 < text.size() ? text[i + 1] : '\0';
    switch (c) {
    case '&': token.kind = Token::And; return token;
    case '|': token.kind = Token::Or; return token;
    case '(': token.kind = Token::Open; return token;
    case ')': token.kind = Token::Close; return token;
    case '\\': token.kind = Token::Root; return token;
    case '!': token.kind = Token::Top; return token;
    case '?': token.kind = Token::Inner; return token;
    case '_': token.kind = Token::Range; return token;
    case '^': token.kind = Token::Up; return token;
    case '=': token.kind = Token::Text; return token;
    case '@': token.kind = Token::Host; return token;
    case '+':
        if (next == '+') {
            token.kind = Token::Or;
            token.end = RunOf(text, i, '+');
            return token;
        }
        if (next == '-') {
            token.kind = Token::Xor;
            token.end = i + 2;
            return token;
        }
        break;
    case '-':
        if (next == '-') {
            token.kind = Token::Not;
            token.end = RunOf(text, i, '-');
            return token;
        }
        break;
    case '.':
        if (next == '.') {
            token.kind = Token::Range;
            token.end = RunOf(text, i, '.');
            return token;
        }
        break;
    case '\'':
    case '"': {
        size_t close = text.find(c, i + 1);
        token.kind = Token::Word;
        token.quoted = true;
        token.wordBegin = i + 1;
        token.wordEnd = close == std::string_view::npos ? text.size() : close;
        token.end = close == std::string_view::npos ? text.size() : close + 1;
        return token;
    }
    default:
        break;
    }
    struct Sign {
        std::string_view bytes;
        Token::Kind kind;
    };
    static constexpr Sign kSigns[] = {
        {kNotSign, Token::Not}, {kPlusMinusSign, Token::Xor}, {kPilcrowSign, Token::Leaf}, {kEllipsis, Token::Range}};
    for (const Sign& sign : kSigns) {
        if (StartsWith(text, i, sign.bytes)) {
            token.kind = sign.kind;
            token.end = i + sign.bytes.size();
            return token;
        }
    }
    size_t end = i + 1;
    while (end < text.size() && !EndsWord(text, end))
        ++end;
    token.kind = Token::Word;
    token.wordBegin = i;
    token.wordEnd = end;
    token.end = end;
    return token;
}

size_t ReadPatternText(std::string_view text, size_t position, std::string& out)
{
    out.clear();
    size_t i = position;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i >= text.size())
        return i;
    char c = text[i];
    if (c == '\'' || c == '"') {
        size_t close = text.find(c, i + 1);
        size_t end = close == std::string_view::npos ? text.size() : close;
        out.assign(text.substr(i + 1, end - i - 1));
        return close == std::string_view::npos ? text.size() : close + 1;
    }
    if (c == '(') {
        // The group runs to its matching bracket; brackets inside quotes do not count. What the text
        // leaves open is closed, so that the group is written back balanced.
        out.push_back(ComponentExpression::kGroupMarker);
        int32_t depth = 1;
        size_t j = i + 1;
        while (j < text.size()) {
            char k = text[j];
            if (k == '\'' || k == '"') {
                size_t close = text.find(k, j + 1);
                if (close == std::string_view::npos) {
                    out.append(text.substr(j));
                    out.push_back(k);
                    j = text.size();
                    break;
                }
                out.append(text.substr(j, close + 1 - j));
                j = close + 1;
                continue;
            }
            if (k == '(') {
                ++depth;
            } else if (k == ')') {
                if (--depth == 0)
                    return j + 1;
            }
            out.push_back(k);
            ++j;
        }
        out.append(size_t(depth - 1), ')');
        return j;
    }
    size_t end = i;
    while (end < text.size() && !EndsPattern(text, end))
        ++end;
    size_t last = end;
    while (last > i && text[last - 1] == ' ')
        --last;
    out.assign(text.substr(i, last - i));
    return end;
}

bool AppendWord(std::string& out, std::string_view word)
{
    Token token = TokenAt(word, 0);
    bool bare = !word.empty() && token.kind == Token::Word && !token.quoted && token.begin == 0 &&
                token.end == word.size() && word.back() != ' ';
    if (bare) {
        out.append(word);
        return true;
    }
    char quote = word.find('\'') == std::string_view::npos ? '\'' : '"';
    if (quote == '"' && word.find('"') != std::string_view::npos)
        return false;
    out.push_back(quote);
    out.append(word);
    out.push_back(quote);
    return true;
}

void AppendPatternText(std::string& out, std::string_view poolText)
{
    if (!poolText.empty() && poolText[0] == ComponentExpression::kGroupMarker) {
        out.push_back('(');
        out.append(poolText.substr(1));
        out.push_back(')');
        return;
    }
    std::string back;
    if (ReadPatternText(poolText, 0, back) == poolText.size() && back == poolText) {
        out.append(poolText);
        return;
    }
    // Texts typed in quotes never hold their own quote, so one of the two always fits.
    out.push_back(poolText.find('\'') == std::string_view::npos ? '\'' : '"');
    char quote = out.back();
    out.append(poolText);
    out.push_back(quote);
}

}  // namespace vek::expressiontext
