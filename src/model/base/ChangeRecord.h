// ChangeRecord: one change of a base, its code and its typed payload, and the receivers of changes.
#pragma once

#include <cstdint>
#include <variant>

namespace vek {

class Base;
class BitSet;
class TimeScale;
class Macro;
class Subset;
class LinkRename;
class SaveSetup;
class ImportSetup;
class DimensionImportSetupBase;

// Change codes of ChangeRecord::code, of every layer (the files layer posts the setups' codes), so
// that one list says what each number means. A code without a name is still passed to every receiver.
enum ChangeCode : int32_t {
    kChangeBaseRenamed = 3,
    kChangeBaseOpened = 4,
    kChangeBaseClosing = 5,
    kChangeModifiedFlag = 6,
    kChangeSaveKind = 8,
    // Codes 9 and 10 are posted by editors still to come; they only mark the base modified.
    kChangeBaseSetting = 9,
    kChangeBaseSettingOther = 10,
    kChangeComponents = 11,
    kChangeComponentsDeleted = 12,
    kChangeSelectionRelevant = 13,
    kChangeDimensionInUse = 14,
    kChangeDimensionHasComponents = 15,
    kChangeSingularName = 16,
    kChangePluralName = 17,
    kChangeComponentDisplay = 18,
    kChangeCodeMode = 19,
    kChangeTextMode = 20,
    kChangeHostMode = 21,
    kChangeDisplayCombination = 22,
    kChangeOptionX = 23,
    kChangeOptionI = 24,
    kChangeColumnWidths = 25,
    kChangeDimImportRead = 26,  // a dimension import setup was read (DimImportPayload)
    kChangeCardContents = 27,
    kChangeCards = 28,
    kChangeCardNumberDigits = 29,
    kChangeValueFormat = 30,
    kChangeDimensionsInUse = 31,
    kChangeValueCount = 32,
    kChangeDimensionCaptionWidth = 33,
    kChangeFieldCaptionWidth = 34,
    kChangeCardTextCaption = 35,
    kChangeLineTextCaption = 36,
    kChangeValueFieldName = 37,
    kChangeReferenceDate = 38,
    kChangeLineIndexMap = 39,
    kChangeLineLinksToIndices = 40,
    kChangeLineLinksBack = 41,
    // Save setups and import setups (SaveSetupPayload, ImportSetupPayload).
    kChangeSaveSetupRenamed = 42,
    kChangeSaveSetupChanged = 43,
    kChangeSaveSetupAdded = 44,
    kChangeSaveSetupDeleted = 45,
    kChangeImportSetupRenamed = 46,
    kChangeImportSetupRead = 47,
    kChangeImportSetupAdded = 48,
    kChangeImportSetupDeleted = 49,
    kChangeTimeScaleRenamed = 50,
    kChangeTimeScaleRead = 51,
    kChangeTimeScaleAdded = 52,
    kChangeTimeScaleDeleted = 53,
    kChangeMacroRenamed = 54,
    kChangeMacroChanged = 55,
    kChangeMacroAdded = 56,
    kChangeMacroDeleted = 57,
    kChangeSubset = 58,
    kChangeSubsetOther = 59,
    kChangeSubsetModified = 60,
    kChangeSubsetCreated = 61,
    kChangeSubsetDeleted = 62,
    kChangeLinkRename = 63,
    kChangeDefaultTemplate = 64,
    kChangeNamedObject = 65,
};

// The arguments of a change beyond its code, base and dimension: one payload kind per group of codes.
struct NoPayload {};
// Codes 30, 37: the value field (0-23).
struct ValueFieldPayload {
    int32_t field = 0;
};
// Codes 32, 33, 34: the new value minus the old.
struct DifferencePayload {
    int32_t difference = 0;
};
// Codes 6, 14, 15, 39: the new state of a flag.
struct FlagPayload {
    bool on = false;
};
// Code 12: the deleted components (pool indices) of the record's dimension.
struct DeletedComponentsPayload {
    const BitSet* components = nullptr;
};
// Codes 50-53.
struct TimeScalePayload {
    TimeScale* timeScale = nullptr;
};
// Codes 54-57.
struct MacroPayload {
    Macro* macro = nullptr;
};
// Codes 58-62; `templateOwn` when the subset is a template's own; `oldName` the name before a
// rename (code 58).
struct SubsetPayload {
    Subset* subset = nullptr;
    bool templateOwn = false;
    const char* oldName = nullptr;
};
// Code 63.
struct LinkRenamePayload {
    LinkRename* linkRename = nullptr;
};
// Codes 42-45 (the files layer's save setups).
struct SaveSetupPayload {
    SaveSetup* saveSetup = nullptr;
};
// Codes 46-49 (the files layer's import setups).
struct ImportSetupPayload {
    ImportSetup* importSetup = nullptr;
};
// Code 26 (a dimension import setup was read).
struct DimImportPayload {
    DimensionImportSetupBase* setup = nullptr;
};
using ChangePayload = std::variant<NoPayload, ValueFieldPayload, DifferencePayload, FlagPayload, DeletedComponentsPayload,
                                   TimeScalePayload, MacroPayload, SubsetPayload, LinkRenamePayload, SaveSetupPayload,
                                   ImportSetupPayload, DimImportPayload>;

// One change of a base, built on the stack by its poster and handed to Base::HandleChange,
// BroadcastChange and every receiver. Objects named by the payload are not owned; they must live
// until the change has been handled (a change posted while another is handled waits in a queue,
// whose copy keeps its own copy of the deleted components).
struct ChangeRecord {
    int32_t code = 0;
    Base* base = nullptr;
    int32_t dimension = 0;  // codes 11, 12, 14-25
    ChangePayload payload;

    ChangeRecord() = default;
    ChangeRecord(int32_t code, Base* base) : code(code), base(base) {}
    ChangeRecord(int32_t code, Base* base, ChangePayload payload) : code(code), base(base), payload(payload) {}

    // The payload of a kind, or null when the record carries another.
    template <typename Payload>
    const Payload* Get() const
    {
        return std::get_if<Payload>(&payload);
    }
    // Shorthands for the payloads receivers read most; 0, false or null when the record has none.
    int32_t ValueField() const { return Get<ValueFieldPayload>() ? Get<ValueFieldPayload>()->field : 0; }
    int32_t Difference() const { return Get<DifferencePayload>() ? Get<DifferencePayload>()->difference : 0; }
    bool Flag() const { return Get<FlagPayload>() && Get<FlagPayload>()->on; }
    const BitSet* DeletedComponents() const
    {
        return Get<DeletedComponentsPayload>() ? Get<DeletedComponentsPayload>()->components : nullptr;
    }
    TimeScale* GetTimeScale() const { return Get<TimeScalePayload>() ? Get<TimeScalePayload>()->timeScale : nullptr; }
    Macro* GetMacro() const { return Get<MacroPayload>() ? Get<MacroPayload>()->macro : nullptr; }
    bool IsTemplateSubset() const { return Get<SubsetPayload>() && Get<SubsetPayload>()->templateOwn; }
    // Change 63: every receiver that owns texts applies it (LinkRename::ApplyToText on each).
    const LinkRename* GetLinkRename() const { return Get<LinkRenamePayload>() ? Get<LinkRenamePayload>()->linkRename : nullptr; }
};

// Where a receiver registered with Base::AddReceiver learns of changes; HandleChange visits the
// stages in this order (after the base's own work and the 32 dimensions).
enum class ChangeStage : int32_t {
    Dependents,        // every change
    SecondDependents,  // code 13, and code 58 unless the subset is a template's own
    Templates,         // code 63 only: the template tree, pre-order
    TimeScales,        // code 63 only
    Subsets,
    WebUsers,
};
constexpr int32_t kChangeStageCount = 6;

// Anything that learns of a base's changes: dependent objects, named-object lists, windows.
class ChangeReceiver {
public:
    virtual ~ChangeReceiver();
    virtual void OnBaseChange(const ChangeRecord& record) = 0;
};

}  // namespace vek
