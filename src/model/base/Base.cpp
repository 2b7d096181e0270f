// Base: the chain of open bases, change delivery to receivers, modification, loading and closing.
#include "model/base/Base.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "foundation/memory/BitSet.h"
#include "foundation/strings/CString.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/LogFileHandler.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/base/BaseCheckpoint.h"
#include "model/base/BaseFileHooks.h"
#include "model/links/BaseLinkRegistry.h"
#include "model/base/BaseProtection.h"
#include "model/dates/DateExpression.h"
#include "model/dimensions/Dimension.h"
#include "model/links/LinkRename.h"
#include "model/named/Macro.h"
#include "model/dates/TimeScale.h"
#include "model/base/ModelServices.h"
#include "model/selections/SubsetList.h"
#include "model/named/WebUser.h"
#include "model/templates/TemplateTree.h"

namespace vek {

namespace {

constexpr int32_t kLogClosed = 15;

// A change waiting while another is being handled. The queue keeps its own copy of the deleted
// components of change 12, whose poster frees its set as soon as the post returns.
struct QueuedChange {
    Base* target;  // null: every open base and all windows (BroadcastChange)
    ChangeRecord record;
    std::unique_ptr<BitSet> components;
    std::unique_ptr<LinkRename> rename;  // change 63: the record's own copy while it waits
};

// The chain of open bases and what the program keeps about it: the current base, the base each
// named-object menu was last built for, and the changes waiting to be handled.
struct BaseChain {
    Base* first = nullptr;
    Base* current = nullptr;
    Base* menuBuiltFor[kBaseMenuCount] = {};
    std::deque<QueuedChange> queue;
    bool dispatching = false;
};

BaseChain& Chain()
{
    static BaseChain chain;
    return chain;
}

void ResetMenuMarker(BaseMenu menu, const Base* base)
{
    Base*& marker = Chain().menuBuiltFor[int32_t(menu)];
    if (marker == base)
        marker = nullptr;
}

}  // namespace

BaseSaveSettings::~BaseSaveSettings() = default;

DimensionImportSetupBase::~DimensionImportSetupBase() = default;

BaseFileData::~BaseFileData() = default;

ChangeReceiver::~ChangeReceiver() = default;

// --- Change dispatch -------------------------------------------------------------------------------

namespace {

void Deliver(Base* target, const ChangeRecord& record);

// Handles a change now when nothing else is being handled, else queues it; the outermost call
// then handles the queue in posting order.
void Dispatch(Base* target, const ChangeRecord& record)
{
    BaseChain& chain = Chain();
    if (chain.dispatching) {
        QueuedChange queued{target, record, nullptr, nullptr};
        if (const BitSet* deleted = record.DeletedComponents()) {
            queued.components = std::make_unique<BitSet>();
            if (!queued.components->BitSetCopy(*deleted)) {
                // Without memory for the copy the change cannot wait: handle it at once.
                Deliver(target, record);
                return;
            }
            queued.record.payload = DeletedComponentsPayload{queued.components.get()};
        }
        // A rename record lives on its poster's stack and changes its prefix for each base it is
        // posted to: the waiting change keeps a copy of the record as it was posted.
        if (const LinkRename* rename = record.GetLinkRename()) {
            queued.rename = std::make_unique<LinkRename>(*rename);
            queued.record.payload = LinkRenamePayload{queued.rename.get()};
        }
        chain.queue.push_back(std::move(queued));
        return;
    }
    chain.dispatching = true;
    Deliver(target, record);
    while (!chain.queue.empty()) {
        QueuedChange next = std::move(chain.queue.front());
        chain.queue.pop_front();
        Deliver(next.target, next.record);
    }
    chain.dispatching = false;
}

}  // namespace

class BaseChangeAccess {
public:
    static void Apply(Base& base, const ChangeRecord& record) { base.ApplyChange(record); }
};

namespace {

void Deliver(Base* target, const ChangeRecord& record)
{
    if (target != nullptr) {
        BaseChangeAccess::Apply(*target, record);
        return;
    }
    for (Base* base = Base::FirstBase(); base != nullptr;) {
        Base* next = base->NextBase();
        BaseChangeAccess::Apply(*base, record);
        base = next;
    }
    Service<ModelServices>::Get().NotifyAllWindows(record);
}

}  // namespace

void BroadcastChange(const ChangeRecord& record)
{
    Dispatch(nullptr, record);
}

void Base::HandleChange(const ChangeRecord& record)
{
    Dispatch(this, record);
}

void Base::Notify(int32_t code)
{
    HandleChange(ChangeRecord(code, this));
}

void Base::NotifyDimension(int32_t code, int32_t dimension)
{
    ChangeRecord record(code, this);
    record.dimension = dimension;
    HandleChange(record);
}

void Base::AddReceiver(ChangeStage stage, ChangeReceiver* receiver)
{
    if (receiver != nullptr)
        receivers[size_t(stage)].push_back(receiver);
}

void Base::RemoveReceiver(ChangeStage stage, ChangeReceiver* receiver)
{
    auto& list = receivers[size_t(stage)];
    auto found = std::find(list.begin(), list.end(), receiver);
    if (found == list.end())
        return;
    // While the list is being walked, the slot is only emptied; the walk compacts it afterwards.
    if (receiversWalking > 0)
        *found = nullptr;
    else
        list.erase(found);
}

void Base::PassToReceivers(ChangeStage stage, const ChangeRecord& record)
{
    auto& list = receivers[size_t(stage)];
    ++receiversWalking;
    // Receivers added during the walk are reached too; removed ones are skipped.
    for (size_t i = 0; i < list.size(); ++i) {
        if (ChangeReceiver* receiver = list[i])
            receiver->OnBaseChange(record);
    }
    if (--receiversWalking == 0) {
        for (auto& each : receivers)
            each.erase(std::remove(each.begin(), each.end(), nullptr), each.end());
    }
}

void Base::ApplyChange(const ChangeRecord& record)
{
    int32_t code = record.code;
    bool ownDimension = record.base == this && record.dimension >= 0 && record.dimension < int32_t(kDimensionCount);
    // 1. Flags and cached totals.
    if (code == kChangeComponents && ownDimension)
        dimensionChanged[size_t(record.dimension)] = false;
    if (code == kChangeCards && record.base == this)
        cards.cardsChanged = false;
    if (code == kChangeComponents || code == kChangeComponentsDeleted)
        componentTextMemory = 0;
    if (code == kChangeCardContents || code == kChangeCards)
        cards.cardTextMemory = 0;
    // 2. The base's own work, only for its own changes (a broadcast of another base's opening or
    // closing reaches it too).
    if (record.base == this)
        DoOwnWork(record);
    // 3. The dimensions.
    for (auto& dimension : dimensions)
        dimension->HandleChange(record);
    // 4. Dependent objects.
    PassToReceivers(ChangeStage::Dependents, record);
    bool templateSubset = record.IsTemplateSubset();
    if (code == kChangeSelectionRelevant || (code == kChangeSubset && !templateSubset))
        PassToReceivers(ChangeStage::SecondDependents, record);
    // 5. Link renames reach the templates and the time scales.
    if (code == kChangeLinkRename) {
        templates->PassChange(record);
        PassToReceivers(ChangeStage::Templates, record);
        if (const LinkRename* rename = record.GetLinkRename(); rename != nullptr && record.base == this) {
            bool changed = false;
            for (TimeScale* scale = timeScales->First(); scale != nullptr; scale = scale->Next())
                changed = scale->ApplyLinkRename(*rename) || changed;
            if (changed)
                SetModified(true);
        }
        PassToReceivers(ChangeStage::TimeScales, record);
    }
    // 6. Subsets, web users, the base's windows.
    PassToReceivers(ChangeStage::Subsets, record);
    PassToReceivers(ChangeStage::WebUsers, record);
    Service<ModelServices>::Get().NotifyBaseWindows(record, *this);
    // 7. The reference date.
    if (options.referenceDate->DependsOnChange(record, nullptr))
        Notify(kChangeReferenceDate);
}

void Base::DoOwnWork(const ChangeRecord& record)
{
    int32_t code = record.code;
    // Subset changes (58-62) say when the subset is a template's own.
    bool templateSubset = record.IsTemplateSubset();
    switch (code) {
    case kChangeSaveKind:
    case kChangeBaseSetting:
    case kChangeBaseSettingOther:
    case kChangeCodeMode:
    case kChangeTextMode:
    case kChangeHostMode:
    case kChangeDisplayCombination:
    case kChangeOptionX:
    case kChangeOptionI:
    case kChangeColumnWidths:
    case kChangeDimImportRead:
    case kChangeSaveSetupChanged:
    case kChangeImportSetupRead:
    case kChangeTimeScaleRead:
    case kChangeDefaultTemplate:
    case kChangeCardNumberDigits:
    case kChangeValueFormat:
    case kChangeDimensionsInUse:
    case kChangeValueCount:
    case kChangeReferenceDate:
        SetModified(true);
        break;
    case kChangeComponents:
        UpdateDimensionsInUse();
        SetModified(true);
        break;
    case kChangeComponentsDeleted:
        if (record.DeletedComponents() != nullptr && record.dimension >= 0 && record.dimension < int32_t(kDimensionCount))
            ClearDeletedReferences(record.dimension, *record.DeletedComponents());
        SetModified(true);
        break;
    case kChangePluralName:
        ResetMenuMarker(BaseMenu::Dimensions, this);
        break;
    case kChangeCardContents:
    case kChangeCards: {
        int32_t needed = CardNumberDigitsNeeded();
        if (needed > options.cardNumberDigits)
            SetCardNumberDigits(needed);
        SetModified(true);
        break;
    }
    case kChangeSaveSetupRenamed:
    case kChangeSaveSetupAdded:
    case kChangeSaveSetupDeleted:
        SetModified(true);
        ResetMenuMarker(BaseMenu::SaveSetups, this);
        break;
    case kChangeImportSetupRenamed:
    case kChangeImportSetupAdded:
    case kChangeImportSetupDeleted:
        SetModified(true);
        ResetMenuMarker(BaseMenu::ImportSetups, this);
        break;
    case kChangeTimeScaleRenamed:
    case kChangeTimeScaleAdded:
    case kChangeTimeScaleDeleted:
        SetModified(true);
        ResetMenuMarker(BaseMenu::TimeScales, this);
        break;
    case kChangeMacroRenamed:
    case kChangeMacroChanged:
    case kChangeMacroAdded:
    case kChangeMacroDeleted:
        SetModified(true);
        ResetMenuMarker(BaseMenu::Macros, this);
        break;
    case kChangeSubset:
    case kChangeSubsetCreated:
    case kChangeSubsetDeleted:
        if (!templateSubset) {
            SetModified(true);
            ResetMenuMarker(BaseMenu::Subsets, this);
        }
        break;
    case kChangeSubsetModified:
        if (!templateSubset)
            SetModified(true);
        break;
    case kChangeNamedObject:
        SetModified(true);
        ResetMenuMarker(BaseMenu::NamedObjects, this);
        break;
    case kChangeLinkRename:
        if (const LinkRename* rename = record.GetLinkRename())
            RewriteCardLinks(*rename);
        break;
    default:
        break;
    }
}

// --- Chain of open bases ---------------------------------------------------------------------------

Base* Base::FirstBase()
{
    return Chain().first;
}

int32_t Base::OpenBaseCount()
{
    int32_t count = 0;
    for (Base* base = FirstBase(); base != nullptr; base = base->nextBase)
        ++count;
    return count;
}

Base* Base::CurrentBase()
{
    return Chain().current;
}

void Base::SetCurrentBase(Base* base)
{
    Chain().current = base;
    Service<ModelServices>::Get().CurrentBaseChanged(base);
}

Base* Base::MenuBuiltFor(BaseMenu menu)
{
    return Chain().menuBuiltFor[int32_t(menu)];
}

void Base::SetMenuBuiltFor(BaseMenu menu, Base* base)
{
    Chain().menuBuiltFor[int32_t(menu)] = base;
}

// --- Construction and destruction ------------------------------------------------------------------

Base::Base(const FilePath& filePath, int32_t untitled)
    : untitledNumber(untitled),
      componentPool(int32_t(sizeof(Component)), kComponentRecordSize),
      timeScales(std::make_unique<TimeScaleList>(this)),
      macros(std::make_unique<MacroList>(this))
{
    path.Assign(filePath);
    // Append at the end of the chain, in the order the bases were opened.
    Base** link = &Chain().first;
    while (*link != nullptr)
        link = &(*link)->nextBase;
    *link = this;

    webUsers = std::make_unique<WebUserList>(this);
    protection = std::make_unique<BaseProtection>(this);

    for (uint32_t d = 0; d < kDimensionCount; ++d) {
        Component* root = static_cast<Component*>(componentPool.Alloc());
        if (root != nullptr) {
            root->prevSibling = root->number;
            root->parent = kNoRecord;
            root->firstChild = kNoRecord;
        }
        dimensions[d] = std::make_unique<Dimension>(*this, int32_t(d));
    }
    if (componentPool.ElementCount() < int32_t(kDimensionCount))
        SetOutOfMemoryError();
    SetupDimensionOrder();
    templates = std::make_unique<TemplateTree>(*this);
    linkRegistry = std::make_unique<BaseLinkRegistry>(*this);
    subsets = std::make_unique<SubsetList>(*this, SubsetListKind::Global);
    globalSubsetOperands = subsets.get();

    statusWindow = Service<ModelServices>::Get().CreateStatusWindow(*this);
    modified = false;
    BroadcastChange(ChangeRecord(kChangeBaseOpened, this));
}

Base::~Base()
{
    if (logHandler) {
        String name;
        GetFileName(name);
        LogOperation("database", name.CStr(), kLogClosed);
    }
    FlushAlerts(true);
    if (Chain().current == this)
        SetCurrentBase(nullptr);
    for (Base** link = &Chain().first; *link != nullptr; link = &(*link)->nextBase) {
        if (*link == this) {
            *link = nextBase;
            break;
        }
    }
    for (int32_t menu = 0; menu < kBaseMenuCount; ++menu)
        ResetMenuMarker(BaseMenu(menu), this);
    // Changes waiting for this base can no longer be handled.
    auto& queue = Chain().queue;
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [this](const QueuedChange& change) {
                                   return change.target == this || change.record.base == this;
                               }),
                queue.end());
    ChangeRecord closing(kChangeBaseClosing, this);
    if (Chain().dispatching)
        Deliver(nullptr, closing);  // the base goes now; its closing cannot wait in the queue
    else
        BroadcastChange(closing);

    // A checkpoint still held by its taker can no longer roll anything back.
    for (BaseCheckpoint* taken = checkpoint; taken != nullptr; taken = taken->outer) {
        taken->base = nullptr;
        taken->valid = false;
    }
    // Subsets hold selections, which leave the base's receivers as they go.
    globalSubsetOperands = nullptr;
    subsets.reset();
    lineIndexMap.reset();
    ReleaseCardTexts();
    for (int32_t i = int32_t(kDimensionCount); i < componentPool.ElementCount(); ++i) {
        Component* c = ComponentAt(uint32_t(i));
        SetHeapText(c->code, nullptr);
        SetHeapText(c->text, nullptr);
        SetHeapText(c->host, nullptr);
    }
    for (auto& dimension : dimensions)
        dimension.reset();
    for (auto& setup : dimensionImportSetups)
        setup.reset();
}

void Base::SetFileData(std::unique_ptr<BaseFileData> data)
{
    fileData = std::move(data);
}

// --- Modified state, loading, closing --------------------------------------------------------------

void Base::SetModified(bool flag)
{
    if (flag == modified)
        return;
    modified = flag;
    if (Chain().current == this)
        Service<ModelServices>::Get().EnableBaseMenus(*this, modified);
    HandleChange(ChangeRecord(kChangeModifiedFlag, this, FlagPayload{flag}));
}

void Base::NotifyChangedDimensions()
{
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (dimensionChanged[size_t(d)])
            NotifyDimension(kChangeComponents, d);
    }
}

void Base::FlushCardChanges()
{
    if (cards.cardsChanged)
        Notify(kChangeCards);
}

void Base::FinishLoad()
{
    for (auto& dimension : dimensions)
        dimension->FinishLoad();
    if (options.cardTextCaption.IsNull())
        Notify(kChangeCardTextCaption);
    if (options.lineTextCaption.IsNull())
        Notify(kChangeLineTextCaption);
    for (int32_t i = 0; i < kValueFieldCount; ++i) {
        if (options.valueFieldNames[size_t(i)].IsNull())
            HandleChange(ChangeRecord(kChangeValueFieldName, this, ValueFieldPayload{i}));
    }
    if (untitledNumber != 0)
        NameUntitled();
}

void Base::NameUntitled()
{
    // The name itself is made from the number whenever it is asked for (GetFileName).
    if (statusWindow)
        Notify(kChangeBaseRenamed);
}

void Base::GetFileName(String& out) const
{
    if (untitledNumber != 0) {
        out.AssignCStr(LoadText(text::kUntitled));
        out.AppendChar(' ');
        out.AppendInt(untitledNumber);
        out.AppendCStr(".vek");
        return;
    }
    path.GetFileName(out);
}

bool Base::CanClose(CloseMode mode)
{
    ModelServices& services = Service<ModelServices>::Get();
    if (!services.CanCloseBaseWindows(*this, mode))
        return false;
    if (mode == CloseMode::WindowsOnly)
        return true;
    String name;
    GetFileName(name);
    if (modified) {
        Message message;
        message.code = message::kSaveChanges;
        message.AddText(name.CStr());
        message.AddNumber(text::kSave);
        message.AddNumber(text::kCancel);
        message.AddNumber(text::kDontSave);
        message.answer = 1;  // unattended: keep the base and its changes
        switch (ReportMessage(message)) {
        case 0:
            return services.SaveBase(*this) && !IsErrorPending();
        case 2:
            return true;
        default:
            return false;
        }
    }
    if (mode == CloseMode::ConfirmContents && (CardCount() > 0 || CountComponentsInUse() > 0)) {
        Message message;
        message.code = message::kCloseUnsaved;
        message.AddText(name.CStr());
        message.AddNumber(text::kClose);
        message.AddNumber(text::kCancel);
        message.answer = 0;  // nothing is lost: the base is not modified
        return ReportMessage(message) == 0;
    }
    return true;
}

}  // namespace vek
