// Tests of ComponentExpression and ExpressionTextBuilder: compiling subset expressions over a small
// tree, the repairs and simplifications, the admitted sets, and the canonical text read back stable.
#include "model/selections/ComponentExpression.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/dimensions/Component.h"
#include "model/expressions/ExpressionTextBuilder.h"
#include "synthetic/SyntheticBase.h"

namespace vek {
namespace {

constexpr int32_t kDim = 1;

// Dimension 1:        A "Assets"         B "Debts"        C "Costs" (host H1)   X&Y "Odd"
//                     ├ A1 "Cash"        └ B1 "Loans"
//                     │ ├ A11 "Petty"
//                     │ └ A12 "Bank"
//                     └ A2 "Stock"
class ComponentExpressionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(), 1);
        base->SetUnattended(true);
        const char* rows[][3] = {{"A", "Assets", nullptr}, {"A1", "Cash", nullptr}, {"A11", "Petty", nullptr},
                                 {"A12", "Bank", nullptr},  {"A2", "Stock", nullptr}, {"B", "Debts", nullptr},
                                 {"B1", "Loans", nullptr},  {"C", "Costs", "H1"},     {"X&Y", "Odd", nullptr}};
        for (const auto& row : rows)
            ASSERT_NE(base->AddComponent(kDim, row[0], row[1], row[2]), nullptr);
        base->AddComponent(2, "Q", nullptr, nullptr);  // another dimension, never touched
    }
    void TearDown() override
    {
        base.reset();
        ClearError();
    }

    // The admitted components of dimension 1 in pre-order, "\" for the root, joined by blanks.
    std::string Admitted(const ComponentExpression& expression, ExpressionSimplify = ExpressionSimplify::On)
    {
        BitSet set(base->ComponentPool().ElementCount());
        set.SetAll(0);
        set.SetBit(kDim + 1, true);  // another dimension's bit, which Run must leave
        expression.Run(*base, kDim, set);
        EXPECT_TRUE(set.GetBit(kDim + 1));
        std::string out;
        const RecordPool& pool = base->ComponentPool();
        const Component* root = base->Root(kDim);
        const Component* c = root;
        do {
            if (set.GetBit(int32_t(c->number))) {
                if (!out.empty())
                    out += ' ';
                out += c->IsRoot() ? "\\" : c->code;
            }
            c = c->NextInSubtree(pool, root);
        } while (c != root);
        return out;
    }

    std::string Canonical(const ComponentExpression& expression, const char* separator = "")
    {
        String text;
        expression.FormatText(*base, kDim, text, separator);
        return text.CStr();
    }

    std::unique_ptr<Base> base;
};

struct ExpressionCase {
    const char* text;
    const char* canonical;
    const char* admitted;
};

TEST_F(ComponentExpressionTest, CompilesRepairsSimplifiesAndAdmits)
{
    const ExpressionCase cases[] = {
        // No program: the whole dimension, the root included.
        {"", "", "\\ A A1 A11 A12 A2 B B1 C X&Y"},
        {"   ", "", "\\ A A1 A11 A12 A2 B B1 C X&Y"},
        {"^", "", "\\ A A1 A11 A12 A2 B B1 C X&Y"},
        // The root: lines without a component, and its complement.
        {"\\", "\\", "\\"},
        {"\xC2\xAC\\", "\xC2\xAC\\", "A A1 A11 A12 A2 B B1 C X&Y"},
        {"\\\\", "\\\\", ""},
        {"--\\", "\xC2\xAC\\", "A A1 A11 A12 A2 B B1 C X&Y"},
        // A component admits its subtree; a single component is written as its display text.
        {"A", "A Assets", "A A1 A11 A12 A2"},
        {"a1", "A1 Cash", "A1 A11 A12"},
        {"Cash", "A1 Cash", "A1 A11 A12"},
        {"A1 whatever", "A1 Cash", "A1 A11 A12"},
        {"'A'", "A Assets", "A A1 A11 A12 A2"},
        {"'X&Y'", "'X&Y Odd'", "X&Y"},
        {"\"X&Y\"|B1", "'X&Y'|B1", "B1 X&Y"},
        // Suffixes and prefixes.
        {"A1!", "A1!", "A1"},
        {"!A1", "A1!", "A1"},
        {"A?", "A?", "A1"},
        {"A1?", "A1?", "\\ "},
        {"A\xC2\xB6", "A\xC2\xB6", "A11 A12 A2"},
        {"\xC2\xB6 A", "A\xC2\xB6", "A11 A12 A2"},
        {"A11^", "A11^", "A A1 A11"},
        {"^A11", "A11^", "A A1 A11"},
        {"!", "!", "A B C X&Y"},
        {"?", "?", "A1"},
        {"\xC2\xB6", "\xC2\xB6", "A11 A12 A2 B1 C X&Y"},
        // Ranges: the last one's subtree unless "!" follows; a range to itself is the component.
        {"A\xE2\x80\xA6" "B", "A\xE2\x80\xA6" "B", "A A1 A11 A12 A2 B B1"},
        {"A..B!", "A\xE2\x80\xA6" "B!", "A A1 A11 A12 A2 B"},
        {"'A'_'B'", "A\xE2\x80\xA6" "B", "A A1 A11 A12 A2 B B1"},
        {"A\xE2\x80\xA6" "A", "A Assets", "A A1 A11 A12 A2"},
        {"A\xE2\x80\xA6" "A!", "A!", "A"},
        {"A1...A2", "A1\xE2\x80\xA6" "A2", "A1 A11 A12 A2"},
        {"A\xE2\x80\xA6", "A Assets", "A A1 A11 A12 A2"},
        // A last one before the first: the walk runs to the end of the dimension.
        {"B\xE2\x80\xA6" "A1", "B\xE2\x80\xA6" "A1", "B B1 C X&Y"},
        // Two single components: the tree decides.
        {"A|A1", "A Assets", "A A1 A11 A12 A2"},
        {"A1|A", "A Assets", "A A1 A11 A12 A2"},
        {"A&A1", "A1 Cash", "A1 A11 A12"},
        {"A1&A", "A1 Cash", "A1 A11 A12"},
        {"A\xC2\xB1" "A", "\\\\", ""},
        {"A&A", "A Assets", "A A1 A11 A12 A2"},
        {"A\xC2\xAC" "A", "\\\\", ""},
        {"A\xC2\xB1" "A1", "A\xC2\xAC" "A1", "A A2"},
        {"A1\xC2\xB1" "A", "A\xC2\xAC" "A1", "A A2"},
        {"A\xC2\xAC" "A1", "A\xC2\xAC" "A1", "A A2"},
        {"A1\xC2\xAC" "A", "\\\\", ""},
        {"A|B", "A|B", "A A1 A11 A12 A2 B B1"},
        {"A\xC2\xB1" "B", "A|B", "A A1 A11 A12 A2 B B1"},
        {"A--B", "A Assets", "A A1 A11 A12 A2"},
        {"A&B", "\\\\", ""},
        // The empty set and the root as operands.
        {"A|\\\\", "A Assets", "A A1 A11 A12 A2"},
        {"A&\\\\", "\\\\", ""},
        {"\\\\|A", "A Assets", "A A1 A11 A12 A2"},
        {"\\\\--A", "\\\\", ""},
        {"\\|\\", "\\", "\\"},
        {"\\&\\", "\\", "\\"},
        {"\\--\\", "\\\\", ""},
        {"\\--A", "\\", "\\"},
        {"\\&A", "\\\\", ""},
        {"A&\\", "\\\\", ""},
        {"A..B&\\", "\\\\", ""},
        {"A--\\", "A Assets", "A A1 A11 A12 A2"},
        {"A+-\\", "A|\\", "\\ A A1 A11 A12 A2"},
        // A component with a part of its own subtree.
        {"A|A1!", "A Assets", "A A1 A11 A12 A2"},
        {"A+-A1?", "A\xC2\xAC" "A1?", "A A1 A11 A12 A2"},
        {"A&A1\xC2\xB6", "A1\xC2\xB6", "A11 A12"},
        {"A1|A!", "A1|A!", "A A1 A11 A12"},
        // Complements: "&¬" is "¬", "¬¬" is "&", a double complement cancels.
        {"A&\xC2\xAC" "A1", "A\xC2\xAC" "A1", "A A2"},
        {"A\xC2\xAC\xC2\xAC" "A1", "A1 Cash", "A1 A11 A12"},
        {"\xC2\xAC\xC2\xAC" "A", "A Assets", "A A1 A11 A12 A2"},
        {"\xC2\xAC(\xC2\xAC" "A)", "A Assets", "A A1 A11 A12 A2"},
        {"\xC2\xAC" "A&B1", "\xC2\xAC" "A&B1", "B1"},
        {"A|\xC2\xAC" "B", "A|\xC2\xAC" "B", "\\ A A1 A11 A12 A2 C X&Y"},
        // Brackets where reading back needs them, on both sides.
        {"(A|B)\xC2\xAC" "A1", "(A|B)\xC2\xAC" "A1", "A A2 B B1"},
        {"A\xC2\xAC(A1\xC2\xAC" "A11)", "A\xC2\xAC(A1\xC2\xAC" "A11)", "A A11 A2"},
        {"A\xC2\xAC(A1&\xC2\xAC" "A11)", "A\xC2\xAC(A1\xC2\xAC" "A11)", "A A11 A2"},
        {"(A|B)&(A1|B1)", "(A|B)&(A1|B1)", "A1 A11 A12 B1"},
        {"A|(B|C)", "A|(B|C)", "A A1 A11 A12 A2 B B1 C"},
        {"A|B|C", "A|B|C", "A A1 A11 A12 A2 B B1 C"},
        {"(A\xC2\xAC" "A1)\xC2\xAC" "B", "(A\xC2\xAC" "A1)\xC2\xAC" "B", "A A2"},
        {"A\xC2\xB1(B|C)", "A\xC2\xB1(B|C)", "A A1 A11 A12 A2 B B1 C"},
        {"\xC2\xAC(A|B)", "\xC2\xAC(A|B)", "\\ C X&Y"},
        // Repairs: missing operands, brackets, stray tokens.
        {"A&", "A Assets", "A A1 A11 A12 A2"},
        {"&A", "A Assets", "A A1 A11 A12 A2"},
        {"|A|", "A Assets", "A A1 A11 A12 A2"},
        {"(A|B", "A|B", "A A1 A11 A12 A2 B B1"},
        {"A)|B", "A|B", "A A1 A11 A12 A2 B B1"},
        {"((A))", "A Assets", "A A1 A11 A12 A2"},
        {"()", "", "\\ A A1 A11 A12 A2 B B1 C X&Y"},
        {"A!B", "A!", "A"},
        {"A++B", "A|B", "A A1 A11 A12 A2 B B1"},
        {"A | B", "A|B", "A A1 A11 A12 A2 B B1"},
        {"^\xC2\xAC" "A", "\xC2\xAC" "A", "\\ B B1 C X&Y"},
        // Text and host conditions: one term, unless "=" is followed by a bracketed group.
        {"=cash", "=cash", "A1"},
        {"= cash ", "=cash", "A1"},
        {"=(cash|bank)", "=(cash|bank)", "A1 A12"},
        {"=cash|bank", "=cash|A12", "A1 A12"},
        {"=cash^", "=cash^", "A A1"},
        {"=\\c*", "=\\c*", "A1 C"},
        {"@H1", "@H1", "C"},
        {"@h1^", "@h1^", "C"},
        {"@(H1)", "@(H1)", ""},
        {"=", "=", "A A1 A11 A12 A2 B B1 C X&Y"},
        {"=(cash", "=(cash)", "A1"},
        {"=((cash)|(bank", "=((cash)|(bank))", "A1 A12"},
        {"=('x)'|cash)", "=('x)'|cash)", ""},  // the quotes keep the group whole; the matcher reads 'x
        {"='  cash'", "='  cash'", ""},
        {"=\"it's\"", "=it's", ""},
        {"='a&b'", "='a&b'", ""},
        {"='(a'", "='(a'", ""},
        {"=a--b", "=a--b", ""},
        {"A&\xC2\xAC=cash", "A\xC2\xAC=cash", "A A11 A12 A2"},
    };
    for (const ExpressionCase& c : cases) {
        SCOPED_TRACE(c.text);
        ComponentExpression expression;
        ASSERT_TRUE(expression.Compile(*base, kDim, c.text));
        EXPECT_EQ(Canonical(expression), c.canonical);
        std::string admitted = Admitted(expression);
        std::string wanted = c.admitted;
        if (wanted == "\\ ")
            wanted.clear();
        EXPECT_EQ(admitted, wanted);

        // The canonical text reads back as the same program, admitting the same.
        for (const char* separator : {"", " "}) {
            ComponentExpression again;
            ASSERT_TRUE(again.Compile(*base, kDim, Canonical(expression, separator)));
            EXPECT_EQ(Canonical(again), Canonical(expression));
            EXPECT_EQ(Admitted(again), admitted);
        }
        // Without the simplifications the set is the same.
        ComponentExpression plain;
        ASSERT_TRUE(plain.Compile(*base, kDim, c.text, ExpressionSimplify::Off));
        EXPECT_EQ(Admitted(plain), admitted);
    }
}

TEST_F(ComponentExpressionTest, RefusesUnknownComponentsAndDeepNestingAndKeepsTheFormerProgram)
{
    const std::string deep32 = std::string(32, '(') + "A" + std::string(32, ')');
    const std::string deep33 = std::string(33, '(') + "A" + std::string(33, ')');
    const std::string deepGroup = "=(" + std::string(120, '(') + "x";
    struct RefusedCase {
        std::string text;
        int32_t message;
    };
    const RefusedCase cases[] = {
        {"Z", message::kUnknownComponent},
        {"A|Z", message::kUnknownComponent},
        {"A\xE2\x80\xA6Z", message::kUnknownComponent},
        {"!Z", message::kUnknownComponent},
        {"Z^", message::kUnknownComponent},
        {"''", message::kUnknownComponent},
        {"A|' '", message::kUnknownComponent},
        {deep33, message::kSubsetNestedTooDeeply},
        {"\xC2\xAC" + deep33, message::kSubsetNestedTooDeeply},
        {deepGroup, message::kConditionTooDeep},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.text);
        ComponentExpression expression;
        ASSERT_TRUE(expression.Compile(*base, kDim, "B"));
        MessageCatcher catcher;
        EXPECT_FALSE(expression.Compile(*base, kDim, c.text));
        EXPECT_EQ(catcher.Code(), c.message);
        EXPECT_EQ(Canonical(expression), "B Debts");
        EXPECT_EQ(Admitted(expression), "B B1");
        ClearError();
    }
    ComponentExpression limit;
    ASSERT_TRUE(limit.Compile(*base, kDim, deep32));
    EXPECT_EQ(Canonical(limit), "A Assets");
}

TEST_F(ComponentExpressionTest, AnyBytesCompileWithinTheirLimit)
{
    // Control bytes read as blanks, a NUL ends the text, and texts beyond 8000 bytes are cut.
    ComponentExpression expression;
    ASSERT_TRUE(expression.Compile(*base, kDim, std::string_view("A\t|\nB\0|C", 7)));
    EXPECT_EQ(Canonical(expression), "A|B");
    std::string longText;
    while (longText.size() < 9000)
        longText += "A1|";
    longText += "C";
    ASSERT_TRUE(expression.Compile(*base, kDim, longText));
    EXPECT_EQ(Admitted(expression), "A1 A11 A12");
    std::string bytes;
    for (int32_t i = 1; i < 256; ++i)
        bytes.push_back(char(i));
    ComponentExpression junk;
    (void)junk.Compile(*base, kDim, bytes);
    ClearError();
}

// Regression (found by fuzzing): a typed text within 1023 bytes may have a longer canonical text,
// which was cut when read back, so it named other components or failed.
TEST_F(ComponentExpressionTest, ACanonicalTextLongerThanTheTypedLimitReadsBackWhole)
{
    std::string typed = "'X&Y'";
    while (typed.size() < 1000)
        typed += "|B|'X&Y'";
    ASSERT_LE(typed.size(), size_t(ComponentExpression::kTypedTextBytes));
    ComponentExpression expression;
    ASSERT_TRUE(expression.Compile(*base, kDim, typed));
    std::string spaced = Canonical(expression, " ");
    ASSERT_GT(spaced.size(), size_t(ComponentExpression::kTypedTextBytes));
    ComponentExpression again;
    ASSERT_TRUE(again.Compile(*base, kDim, spaced));
    EXPECT_EQ(Canonical(again), Canonical(expression));
    EXPECT_EQ(Admitted(again), "B B1 X&Y");
}

TEST_F(ComponentExpressionTest, CancelFlagAdmitsTheWholeDimension)
{
    ComponentExpression expression;
    ASSERT_TRUE(expression.Compile(*base, kDim, "A1!"));
    SetCancelledError();
    EXPECT_EQ(Admitted(expression), "\\ A A1 A11 A12 A2 B B1 C X&Y");
    ClearError();
    EXPECT_EQ(Admitted(expression), "A1");
}

// Random texts over random trees: the simplifications never change the admitted set, the canonical
// text reads back as itself, and it admits what the text it came from admits.
class RandomExpressionWriter {
public:
    RandomExpressionWriter(SyntheticRandom& random, const std::vector<std::string>& codes)
        : random(random), codes(codes)
    {
    }

    std::string Expression(int32_t depth)
    {
        if (depth <= 0 || random.Below(3) == 0)
            return Atom();
        static const char* const kOperators[] = {"&", "|", "\xC2\xB1", "\xC2\xAC", "++", "+-", "--", " & ", " | "};
        std::string left = Expression(depth - 1);
        std::string right = Expression(depth - 1);
        std::string text;
        switch (random.Below(6)) {
        case 0: text = "(" + left + ")"; break;
        case 1: text = "\xC2\xAC" + left; break;
        default: text = left; break;
        }
        text += kOperators[random.Below(9)];
        text += random.Below(4) == 0 ? "(" + right + ")" : right;
        if (random.Below(25) == 0)
            text += ")";  // a stray bracket
        if (random.Below(25) == 0)
            text.insert(0, "(");  // an unclosed one
        return text;
    }

private:
    std::string Code() { return codes[size_t(random.Below(int32_t(codes.size())))]; }

    std::string Atom()
    {
        switch (random.Below(16)) {
        case 0: return "\\";
        case 1: return "\\\\";
        case 2: return "!";
        case 3: return "?";
        case 4: return "\xC2\xB6";
        case 5: return Code() + "!";
        case 6: return Code() + "?";
        case 7: return Code() + "\xC2\xB6";
        case 8: return Code() + "^";
        case 9: return "!" + Code();
        case 10: return Code() + "\xE2\x80\xA6" + Code();
        case 11: return Code() + ".." + Code() + "!";
        case 12: return "\xC2\xAC" + Code();
        default: return Code();
        }
    }

    SyntheticRandom& random;
    const std::vector<std::string>& codes;
};

TEST_F(ComponentExpressionTest, RandomTextsKeepTheirSetThroughSimplifyingAndRereading)
{
    SyntheticRandom random(20261210);
    for (int32_t tree = 0; tree < 40; ++tree) {
        base = std::make_unique<Base>(FilePath(), 1);
        base->SetUnattended(true);
        // Codes extend their parent's code by one digit, so the prefix rule builds the tree.
        std::vector<std::string> codes;
        int32_t count = 2 + random.Below(12);
        for (int32_t i = 0; i < count; ++i) {
            std::string code = codes.empty() || random.Below(3) == 0 ? std::string() : codes[size_t(random.Below(int32_t(codes.size())))];
            code += char('1' + random.Below(3));
            ASSERT_NE(base->AddComponent(kDim, code.c_str(), nullptr, nullptr), nullptr);
            codes.push_back(code);
        }
        RandomExpressionWriter writer(random, codes);
        for (int32_t k = 0; k < 60; ++k) {
            std::string text = writer.Expression(1 + random.Below(4));
            SCOPED_TRACE(text);
            ComponentExpression expression;
            ASSERT_TRUE(expression.Compile(*base, kDim, text));
            ComponentExpression plain;
            ASSERT_TRUE(plain.Compile(*base, kDim, text, ExpressionSimplify::Off));
            std::string admitted = Admitted(expression);
            EXPECT_EQ(Admitted(plain), admitted);
            std::string canonical = Canonical(expression);
            ComponentExpression again;
            ASSERT_TRUE(again.Compile(*base, kDim, canonical));
            EXPECT_EQ(Canonical(again), canonical);
            EXPECT_EQ(Admitted(again), admitted);
            // The unsimplified program's text means the same as well.
            ComponentExpression plainAgain;
            ASSERT_TRUE(plainAgain.Compile(*base, kDim, Canonical(plain, " "), ExpressionSimplify::Off));
            EXPECT_EQ(Admitted(plainAgain), admitted);
        }
    }
}

}  // namespace
}  // namespace vek
