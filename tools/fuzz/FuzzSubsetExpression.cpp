// Subset expressions typed by users, over a small fixed tree: compiling any bytes must stay inside
// them and end; a compiled text's canonical form must read back as the same canonical form and admit
// the same components, and the simplifications must never change what is admitted.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/selections/ComponentExpression.h"

namespace {

using namespace vek;

constexpr int32_t kDim = 1;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Dimension 1: A (A1 (A11, A12), A2), B (B1), C with a host code, and codes that need quotes.
Base& FixedBase()
{
    static std::unique_ptr<Base> base = [] {
        auto made = std::make_unique<Base>(FilePath(), 1);
        made->SetUnattended(true);
        const char* rows[][3] = {{"A", "Assets", nullptr}, {"A1", "Cash", nullptr}, {"A11", "Petty", nullptr},
                                 {"A12", "Bank", nullptr},  {"A2", "Stock", nullptr}, {"B", "Debts", nullptr},
                                 {"B1", "Loans (old)", nullptr}, {"C", "Costs", "H1"}, {"X&Y", "It's odd", nullptr},
                                 {"Q'\"", "Both", nullptr}, {"_U", "Under", nullptr}, {"(P", "Paren", nullptr}};
        for (const auto& row : rows)
            made->AddComponent(kDim, row[0], row[1], row[2]);
        return made;
    }();
    return *base;
}

std::string Canonical(const Base& base, const ComponentExpression& expression, std::string_view separator)
{
    String text;
    expression.FormatText(base, kDim, text, separator);
    return std::string(text.View());
}

std::vector<uint32_t> Admitted(const Base& base, const ComponentExpression& expression)
{
    BitSet set(base.ComponentPool().ElementCount());
    set.SetAll(0);
    expression.Run(base, kDim, set);
    std::vector<uint32_t> words(set.Words(), set.Words() + set.WordCount());
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    static MessageCatcher quiet;
    Base& base = FixedBase();
    // An exact-size copy, so that the sanitizer sees any read past the end.
    std::vector<char> bytes(data, data + size);
    // Typed texts are cut by their callers; the canonical text of one may be longer and reads back whole.
    std::string_view text(bytes.data(), std::min(bytes.size(), size_t(ComponentExpression::kTypedTextBytes)));

    ComponentExpression expression;
    bool compiled = expression.Compile(base, kDim, text);
    ClearError();
    if (!compiled)
        return 0;
    std::vector<uint32_t> admitted = Admitted(base, expression);

    ComponentExpression plain;
    Check(plain.Compile(base, kDim, text, ExpressionSimplify::Off));
    Check(Admitted(base, plain) == admitted);

    std::string canonical = Canonical(base, expression, "");
    for (std::string_view separator : {std::string_view(""), std::string_view(" ")}) {
        ComponentExpression again;
        Check(again.Compile(base, kDim, Canonical(base, expression, separator)));
        Check(Canonical(base, again, "") == canonical);
        Check(Admitted(base, again) == admitted);
    }
    ClearError();
    return 0;
}
