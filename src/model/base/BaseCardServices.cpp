// Stepping and ordering card keys, and checkpoints that let an import be undone.
#include "model/base/Base.h"

#include "foundation/strings/OwnedText.h"
#include "model/base/BaseCheckpoint.h"
#include "model/base/BaseFileHooks.h"
#include "model/dates/DateExpression.h"
#include "model/dimensions/Dimension.h"
#include "model/named/WebUser.h"
#include "model/named/Macro.h"
#include "model/dates/TimeScale.h"
#include "model/templates/TemplateTree.h"
#include "model/selections/Subset.h"
#include "model/selections/SubsetList.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"

namespace vek {

// --- Card keys ---------------------------------------------------------------------------------------

void Base::NextCardKey(CardKey& out, const CardKey& key) const
{
    int32_t largest = MaxForDigits(CardNumberDigits());
    if (key.number < largest) {
        out.date = key.date;
        out.number = key.number + 1;
    } else {
        out.date = NextPackedDate(key.date);
        out.number = 1;
    }
}

void Base::PreviousCardKey(CardKey& out, const CardKey& key) const
{
    if (key.number >= 2) {
        out.date = key.date;
        out.number = key.number - 1;
    } else {
        out.date = PreviousPackedDate(key.date);
        out.number = MaxForDigits(CardNumberDigits());
    }
}

void Base::GetBoundaryCardKey(CardKey& out, CardEdge edge) const
{
    if (CardCount() == 0) {
        CardKeyOfYearEdge(out, edge == CardEdge::First ? -1 : 1, 0);
        return;
    }
    GetCardKey(edge == CardEdge::First ? FirstCard() : LastCard(), out);
}

int32_t Base::CompareCardsByKey(const Card* a, const Card* b, SortDirection order) const
{
    if (!a || !b)
        return a == b ? 0 : (a ? -1 : 1);
    CardKey keyA, keyB;
    GetCardKey(a, keyA);
    GetCardKey(b, keyB);
    int32_t byKey = CardKeyLess(keyA, keyB) ? -1 : (CardKeyLess(keyB, keyA) ? 1 : 0);
    return order == SortDirection::Descending ? -byKey : byKey;
}

// --- Checkpoints -------------------------------------------------------------------------------------

namespace {

// Marks the pool's records that are not on its free list. Unlike MarkLiveCards this does not stop for
// the cancel flag: a checkpoint that marked nothing would make a rollback remove every record.
bool MarkPoolRecords(BitSet& set, const RecordPool& pool)
{
    if (!set.Resize(pool.ElementCount()))
        return false;
    set.SetAll(1);
    for (uint32_t free = pool.FreeHead(); free != kNoRecord;) {
        set.SetBit(int32_t(free), false);
        free = static_cast<const PoolRecordHeader*>(pool.At(free))->next;
    }
    return true;
}

// Turns the set of records live at the checkpoint into the set of records added since: complemented,
// and extended to the pool's current size with the new positions marked. False when memory runs short.
bool MarkAddedSince(BitSet& set, int32_t elements)
{
    int32_t old = set.Count();
    set.Invert();
    return elements <= old || set.ResizeFill(elements, true);
}

}  // namespace

std::string Base::SubsetSectionsText(const SubsetList& list)
{
    TextWriter writer;
    list.WriteSections(writer);
    return std::string(writer.BufferedBytes());
}

// Subsets that an import added, replaced or changed go, and those kept come back from their text. They
// are read aside first and join the base's list as a file's subsets do, so that formulas that name
// each other resolve whatever their order.
void Base::RestoreSubsets(const std::string& text)
{
    if (SubsetSectionsText(*subsets) == text)
        return;
    SubsetList aside(*this, SubsetListKind::Global, SubsetListPosting::Quiet);
    TextReader reader(text.data(), int64_t(text.size()));
    bool haveLine = reader.ReadLine();
    while (haveLine && !IsErrorPending()) {
        reader.RestartLine();
        if (!reader.NextField() || std::string_view(reader.Token(), size_t(reader.TokenLength())) != "##Subset") {
            haveLine = reader.ReadLine();
            continue;
        }
        // The text was written by this program: its lines are all taken.
        SubsetLineError error = SubsetLineError::None;
        (void)aside.ReadSection(reader, error);
        haveLine = reader.LineStart() != nullptr;
    }
    subsets->DeleteAll();
    subsets->TakeFrom(aside);
}

BaseCheckpoint::BaseCheckpoint() = default;

BaseCheckpoint::~BaseCheckpoint()
{
    Detach();
}

void BaseCheckpoint::Detach()
{
    if (base == nullptr)
        return;
    for (BaseCheckpoint** link = &base->checkpoint; *link != nullptr; link = &(*link)->outer) {
        if (*link == this) {
            *link = outer;
            break;
        }
    }
    base = nullptr;
    outer = nullptr;
}

void Base::TakeCheckpoint(BaseCheckpoint& taken)
{
    // A checkpoint may be taken again; it forgets what it kept before.
    taken.Detach();
    taken.timeScaleTexts.Clear();
    taken.macroTexts.Clear();
    taken.keptTexts.clear();
    taken.keptFields.fill(0);
    taken.base = this;
    taken.outer = checkpoint;
    checkpoint = &taken;
    taken.modified = modified;
    taken.lastTimeScale = timeScales->Last();
    macros->SetKeepMarks();
    templates->MarkAll(true);
    templates->KeepTexts(taken.templateTexts, taken.defaultTemplateTexts);
    for (TimeScale* timeScale = timeScales->First(); timeScale != nullptr; timeScale = timeScale->Next())
        taken.timeScaleTexts.Keep(*timeScale);
    for (Macro* macro = macros->First(); macro != nullptr; macro = macro->Next())
        taken.macroTexts.Keep(*macro);
    taken.subsetTexts = SubsetSectionsText(*subsets);
    taken.valueCount = ValueCount();
    taken.generatedCodeCounters = generatedCodeCounters;
    taken.options = std::make_unique<BaseOptions>(this);
    taken.webUsers = std::make_unique<WebUserList>(this);
    bool copied = taken.options->CopyFrom(options) && taken.webUsers->CopyFrom(*webUsers);
    for (int32_t d = 0; d < int32_t(kDimensionCount) && copied; ++d)
        copied = dimensions[size_t(d)]->TakeOptions(taken.dimensions[size_t(d)]);
    copied = copied && (!fileData || fileData->TakeCheckpoint());
    taken.valid = copied && MarkPoolRecords(taken.cards, cards.cardPool) &&
                  MarkPoolRecords(taken.components, componentPool);
    if (!taken.valid)
        SetOutOfMemoryError();
}

void Base::KeepComponentTexts(int32_t d, ComponentTextField field)
{
    auto bit = uint8_t(1u << uint32_t(field));
    for (BaseCheckpoint* taken = checkpoint; taken != nullptr; taken = taken->outer) {
        if (!taken->valid || (taken->keptFields[size_t(d)] & bit) != 0)
            continue;
        taken->keptFields[size_t(d)] |= bit;
        // Components added since the checkpoint go at the rollback; only the older ones need their texts.
        Component* root = Root(d);
        for (Component* c = root->NextInSubtree(componentPool, root); c != root;
             c = c->NextInSubtree(componentPool, root)) {
            HeapText text = ComponentText(*c, field);
            if (text == nullptr || int32_t(c->number) >= taken->components.Count() ||
                !taken->components.GetBit(int32_t(c->number)))
                continue;
            BaseCheckpoint::KeptText kept{c->number, field, OwnedText()};
            if (!kept.text.CopyFrom(text)) {
                SetOutOfMemoryError();
                return;
            }
            taken->keptTexts.push_back(std::move(kept));
        }
    }
}

void Base::RollBack(BaseCheckpoint& taken)
{
    if (!taken.valid || taken.base != this)
        return;
    taken.valid = false;
    // Named objects first: each deletion and each reading back posts its own change.
    macros->DeleteUnmarked();
    timeScales->DeleteAfter(taken.lastTimeScale);
    taken.macroTexts.RestoreChanged();
    templates->RestoreTexts(taken.templateTexts, taken.defaultTemplateTexts);
    RestoreSubsets(taken.subsetTexts);
    taken.subsetTexts.clear();
    taken.timeScaleTexts.RestoreChanged();
    if (fileData)
        fileData->RollBack();
    taken.lastTimeScale = nullptr;
    if (!webUsers->Equals(*taken.webUsers) && !webUsers->CopyFrom(*taken.webUsers))
        SetOutOfMemoryError();
    taken.webUsers.reset();
    if (!MarkAddedSince(taken.cards, cards.cardPool.ElementCount()) ||
        !MarkAddedSince(taken.components, componentPool.ElementCount())) {
        SetOutOfMemoryError();
        taken.Detach();
        return;
    }
    DeleteMarkedCards(taken.cards);

    // The roots are never removed. Groups and lines of the remaining cards that name a removed
    // component fall back to the root of its dimension before the component goes.
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
        taken.components.SetBit(d, false);
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        bool any = false;
        for (Component* component = Root(d)->NextInPreorder(componentPool); component && !component->IsRoot();
             component = component->NextInPreorder(componentPool)) {
            if (taken.components.GetBit(int32_t(component->number))) {
                any = true;
                break;
            }
        }
        if (!any)
            continue;
        ClearDeletedReferences(d, taken.components);
        DeleteMarkedComponents(taken.components, d);
        RebuildComponentIndexes(d);
        SetDimensionChanged(d);
    }
    // The texts a case conversion changed (the same byte length, so each goes back in place), then
    // the options of the dimensions, whose indexes are rebuilt in the old modes.
    for (BaseCheckpoint::KeptText& kept : taken.keptTexts) {
        SetHeapBlock(ComponentText(*ComponentAt(kept.component), kept.field), kept.text.Get());
        SetDimensionChanged(int32_t(ComponentAt(kept.component)->Dimension(componentPool)));
    }
    taken.keptTexts.clear();
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
        dimensions[size_t(d)]->RestoreOptions(taken.dimensions[size_t(d)]);
    generatedCodeCounters = taken.generatedCodeCounters;
    NotifyChangedDimensions();
    FlushCardChanges();
    SetValueCount(taken.valueCount);
    // The base options through their setters, which post what changes.
    const BaseOptions& old = *taken.options;
    SetCardNumberDigits(old.cardNumberDigits);
    SetDimensionCaptionWidth(old.dimensionCaptionWidth);
    SetFieldCaptionWidth(old.fieldCaptionWidth);
    SetCardTextCaption(old.cardTextCaption.Get());
    SetLineTextCaption(old.lineTextCaption.Get());
    for (int32_t i = 0; i < kValueFieldCount; ++i) {
        SetValueFormat(i, old.valueFormats[size_t(i)]);
        SetValueFieldName(i, old.valueFieldNames[size_t(i)].Get());
    }
    SetReferenceDate(*old.referenceDate);
    taken.options.reset();
    UpdateDimensionsInUse();
    SetModified(taken.modified);
    taken.Detach();
}

}  // namespace vek
