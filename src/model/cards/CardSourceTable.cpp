#include "model/cards/CardSourceTable.h"

#include "foundation/memory/BlockAllocator.h"
#include "foundation/memory/CallbackSort.h"
#include "foundation/strings/HeapText.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "platform/FilePath.h"

namespace vek {

// Pool indices of cards stay below this, so the arrays' sizes fit their 32-bit counts.
constexpr int64_t kCardIndexLimit = 0x7ffff000;

CardSourceTable::CardSourceTable()
{
    Init();
}

CardSourceTable::~CardSourceTable()
{
    Free();
}

void CardSourceTable::Init()
{
    Free();
    // Slot 0 stands for "no source" and never holds a text.
    if (texts.Resize(1))
        texts.Set(0, nullptr);
    if (sources.Setup(kInitialCards, 1))
        sources.Fill(0);
    if (numbers.Setup(kInitialCards, kInitialNumberMaximum))
        numbers.Fill(0);
}

void CardSourceTable::Free()
{
    for (int32_t i = 1; i < texts.Count(); ++i)
        MemFree(texts.Get(i));
    texts.Free();
    sources.Free();
    numbers.Free();
    sortPositions.Free();
    current = 0;
}

int64_t CardSourceTable::StoredSize() const
{
    return sources.MemorySize() + numbers.MemorySize() + 72;
}

const char* CardSourceTable::SourceText(int32_t index) const
{
    if (index < 1 || index >= texts.Count())
        return nullptr;
    return static_cast<const char*>(texts.Get(index));
}

int32_t CardSourceTable::AddSource(const char* text, int32_t length)
{
    String wanted;
    if (text && length > 0)
        wanted.AssignBytes(text, length);
    // Recently added sources are the likely ones, so the search runs from the last.
    for (int32_t i = texts.Count() - 1; i >= 1; --i) {
        if (CompareHeapTextNoCase(static_cast<const char*>(texts.Get(i)), wanted.CStr()) == 0)
            return i;
    }
    if (texts.Count() < 1)
        return 0;
    HeapText copy = NewHeapText(wanted.CStr());
    if (!copy && !wanted.IsEmpty())
        return 0;
    int32_t index = texts.Count();
    if (!texts.Resize(index + 1)) {
        MemFree(copy);
        return 0;
    }
    texts.Set(index, copy);
    if (uint32_t(index) > sources.Maximum() && !sources.SetMaximum(index)) {
        MemFree(copy);
        (void)texts.Resize(index);
        return 0;
    }
    sortPositions.Free();
    return index;
}

void CardSourceTable::BeginSource(int32_t& previous, const FilePath& path)
{
    String name;
    path.GetFileName(name);
    BeginSourceText(previous, name.CStr());
}

void CardSourceTable::BeginSourceText(int32_t& previous, const char* name)
{
    previous = current;
    int32_t length = 0;
    while (name && name[length])
        ++length;
    current = AddSource(name, length);
}

bool CardSourceTable::Reach(uint32_t card)
{
    if (card >= kCardIndexLimit)
        return false;
    int32_t old = sources.Count();
    if (int32_t(card) < old && int32_t(card) < numbers.Count())
        return true;
    int64_t wanted = int64_t(card) + old / 4 + 1024;
    if (wanted > kCardIndexLimit)
        wanted = kCardIndexLimit;
    int32_t n = int32_t(wanted);
    int32_t oldNumbers = numbers.Count();
    if (!sources.Resize(n))
        return false;
    if (!numbers.Resize(n)) {
        (void)sources.Resize(old);
        return false;
    }
    for (int32_t i = old; i < n; ++i)
        sources.Set(i, 0);
    for (int32_t i = oldNumbers; i < n; ++i)
        numbers.Set(i, 0);
    return true;
}

void CardSourceTable::Record(uint32_t card, int32_t number)
{
    if (current == 0) {
        Clear(card);
        return;
    }
    if (!Reach(card))
        return;
    sources.Set(int32_t(card), uint32_t(current));
    if (number < 0)
        number = 0;
    if (uint32_t(number) > numbers.Maximum() && !numbers.SetMaximum(number))
        number = 0;
    numbers.Set(int32_t(card), uint32_t(number));
}

void CardSourceTable::Assign(uint32_t card, const char* text, int32_t length, int32_t number)
{
    int32_t saved = current;
    current = AddSource(text, length);
    Record(card, number);
    current = saved;
}

void CardSourceTable::Clear(uint32_t card)
{
    if (card < uint32_t(sources.Count()))
        sources.Set(int32_t(card), 0);
    if (card < uint32_t(numbers.Count()))
        numbers.Set(int32_t(card), 0);
}

void CardSourceTable::ReadLine(TextReader& reader, uint32_t card)
{
    String text;
    (void)reader.NextFieldToString(text);
    int32_t number = 0;
    (void)reader.NextFieldInt(number);
    Assign(card, text.CStr(), text.Length(), number);
}

void CardSourceTable::WriteLine(TextWriter& writer, uint32_t card) const
{
    int32_t source = CardSource(card);
    if (source == 0)
        return;
    writer.PutText("H");
    writer.PutSeparator();
    writer.PutText(SourceText(source));
    if (int32_t number = CardNumber(card); number != 0) {
        writer.PutSeparator();
        writer.PutInt(number);
    }
    writer.EndRow();
}

int32_t CardSourceTable::CardSource(uint32_t card) const
{
    return card < kCardIndexLimit ? int32_t(sources.Get(int32_t(card))) : 0;
}

int32_t CardSourceTable::CardNumber(uint32_t card) const
{
    return card < kCardIndexLimit ? int32_t(numbers.Get(int32_t(card))) : 0;
}

void CardSourceTable::Format(String& out, uint32_t card) const
{
    out.AssignCStr("");
    int32_t source = CardSource(card);
    if (source == 0)
        return;
    out.AppendCStr(SourceText(source));
    int32_t number = CardNumber(card);
    if (number != 0) {
        out.AppendChar(':');
        out.AppendInt(number);
    }
}

namespace {

struct SourceSortContext {
    PointerArray* texts;
    DynArray* order;
};

int32_t CompareSourceTexts(void* context, int32_t i, int32_t j)
{
    auto* sort = static_cast<SourceSortContext*>(context);
    return CompareTextsNoCaseNullLast(static_cast<const char*>(sort->texts->Get(sort->order->Get(i))),
                                      static_cast<const char*>(sort->texts->Get(sort->order->Get(j))));
}

void SwapSourceOrder(void* context, int32_t i, int32_t j)
{
    static_cast<SourceSortContext*>(context)->order->SwapElements(i, j);
}

}  // namespace

void CardSourceTable::BuildSortOrder()
{
    int32_t n = texts.Count() - 1;
    DynArray order;
    if (n < 1 || !order.Resize(n) || !sortPositions.Resize(n + 1)) {
        sortPositions.Free();
        return;
    }
    for (int32_t i = 0; i < n; ++i)
        order.Set(i, i + 1);
    SourceSortContext context{&texts, &order};
    SortCallbacks callbacks;
    callbacks.compare = CompareSourceTexts;
    callbacks.compareContext = &context;
    callbacks.swap = SwapSourceOrder;
    callbacks.swapContext = &context;
    QuickSortRange(callbacks, 0, n - 1);
    sortPositions.Set(0, 0);
    for (int32_t i = 0; i < n; ++i)
        sortPositions.Set(order.Get(i), i + 1);
}

int32_t CardSourceTable::Compare(uint32_t a, uint32_t b)
{
    int32_t sourceA = CardSource(a);
    int32_t sourceB = CardSource(b);
    if (sourceA != sourceB) {
        if (sourceA == 0 || sourceB == 0)
            return sourceA == 0 ? -1 : 1;
        if (sortPositions.Count() != texts.Count())
            BuildSortOrder();
        int32_t positionA, positionB;
        if (sortPositions.Count() == texts.Count()) {
            positionA = sortPositions.Get(sourceA);
            positionB = sortPositions.Get(sourceB);
        } else {
            // Without memory for the order, compare the texts themselves.
            positionA = CompareTextsNoCaseNullLast(SourceText(sourceA), SourceText(sourceB));
            positionB = 0;
        }
        if (positionA != positionB)
            return positionA < positionB ? -1 : 1;
    }
    int32_t numberA = CardNumber(a);
    int32_t numberB = CardNumber(b);
    return numberA < numberB ? -1 : (numberA > numberB ? 1 : 0);
}

}  // namespace vek
