// Selection texts and subset formulas from any bytes: the keyed lines of a definition, the
// "<selection>" element and a typed formula. Reading must stay inside its input, compiling must end,
// and the compiled selection must test the base's lines without reading outside them.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/memory/BitSet.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/selections/Selection.h"
#include "model/selections/SelectionTexts.h"
#include "model/selections/SubsetFormula.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

// Two subsets named "A" and "A B" with fixed lines.
struct NamedLines : SubsetOperand {
    explicit NamedLines(std::string name) : name(std::move(name)) {}
    std::string_view OperandName() const override { return name; }
    bool MarkOperandLines(BitSet& lines) override
    {
        lines.SetBit(0, true);
        return true;
    }
    SubsetFormula* OperandFormula() override { return nullptr; }
    const Subset* OperandSubset() const override { return nullptr; }
    std::string name;
};
struct TwoSubsets : SubsetOperandList {
    int32_t OperandCount() const override { return 2; }
    SubsetOperand* OperandAt(int32_t i) const override { return i == 0 ? &first : &second; }
    mutable NamedLines first{"A"};
    mutable NamedLines second{"A B"};
};

Base& FuzzBase()
{
    static Base* base = [] {
        auto* made = new Base(FilePath(), 1);
        made->SetUnattended(true);
        made->AddComponent(1, "X", nullptr, nullptr);
        made->AddComponent(2, "Y", nullptr, nullptr);
        made->UpdateDimensionsInUse();
        made->SetupDimensionOrder();
        CardKey key{MakePackedDate(2024, 1, 1), 1};
        if (Card* card = made->CreateCard(key))
            if (CardGroup* group = made->FindOrAddGroup(card, 0))
                (void)made->CreateLine(group);
        static TwoSubsets subsets;
        made->SetGlobalSubsetOperands(&subsets);
        return made;
    }();
    return *base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    MessageCatcher quiet;
    ClearError();
    Base& base = FuzzBase();
    const char* text = reinterpret_cast<const char*>(data + 1);
    int64_t length = int64_t(size - 1);
    SelectionTexts texts(base);
    switch (data[0] % 3) {
    case 0: {
        TextReader reader(text, length);
        while (reader.ReadLine() && !IsErrorPending()) {
            if (reader.NextField())
                (void)texts.ReadKeyLine(std::string_view(reader.Token(), size_t(reader.TokenLength())), reader,
                                        data[0] & 4 ? SelectionKeyForm::Old : SelectionKeyForm::Prefixed);
        }
        break;
    }
    case 1: {
        TextReader reader(text, length);
        texts.ReadXml(reader);
        break;
    }
    default: {
        String formulaText;
        formulaText.AssignBytes(std::string_view(text, size_t(length)));
        texts.SetSubsetText(formulaText.CStr());
        break;
    }
    }
    ClearError();
    Selection selection(base, nullptr);
    selection.ApplyTexts(texts);
    if (selection.Prepare(SelectionCheck::None)) {
        BitSet lines(base.CardRecords().linePool.ElementCount());
        lines.SetAll(0);
        (void)selection.MarkMatchingLines(lines);
    }
    TextWriter writer;
    texts.Write(writer, 'x');
    texts.WriteXml(writer);
    ClearError();
    return 0;
}
