#pragma once

#include <cstdint>

namespace vek {

class Base;
class BitSet;
class TimeScale;
class Macro;
class Subset;
class LinkRename;

// Change codes of ChangeRecord::code. Codes without a name here are still passed to every receiver.
enum ChangeCode : int32_t {
    kChangeBaseRenamed = 3,
    kChangeBaseOpened = 4,
    kChangeBaseClosing = 5,
    kChangeModifiedFlag = 6,
    kChangeSaveKind = 8,
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
    kChangeLinkRename = 63,
    kChangeNamedObject = 65,
};

// One change of a base, built on the stack by its poster and handed to Base::HandleChange,
// BroadcastChange and every receiver. Object arguments are not owned; they must live until the
// change has been handled (a change posted while another is handled waits in a queue, whose copy
// keeps its own copy of `components`).
struct ChangeRecord {
    int32_t code = 0;
    Base* base = nullptr;
    int32_t dimension = 0;  // codes 11, 12, 14-25
    int32_t argument = 0;   // a value-field index (30, 37) or a difference (32, 33, 34)
    int32_t flag = 0;       // a flag or new value (6, 14, 15, 39); 1 when the subset of 58-62 is a template's own
    int64_t moreArguments[3] = {};  // further arguments of other posters
    const BitSet* components = nullptr;  // code 12: the deleted components
    void* moreObjects[3] = {};  // further object arguments of other posters
    TimeScale* timeScale = nullptr;    // codes 50-53
    Macro* macro = nullptr;            // codes 54-57
    Subset* subset = nullptr;          // codes 58-62
    LinkRename* linkRename = nullptr;  // code 63

    ChangeRecord() = default;
    ChangeRecord(int32_t code, Base* base) : code(code), base(base) {}
};

// Anything that learns of a base's changes: dependent objects, named-object lists, windows.
class ChangeReceiver {
public:
    virtual ~ChangeReceiver();
    virtual void OnBaseChange(const ChangeRecord& record) = 0;
};

}  // namespace vek
