// BaseCheckpoint: what a base keeps so that an import into it can be undone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/memory/BitSet.h"
#include "foundation/strings/OwnedText.h"
#include "model/base/BaseOptions.h"
#include "model/dimensions/Component.h"
#include "model/dimensions/Dimension.h"
#include "model/base/SavedSections.h"

namespace vek {

class Base;
class Macro;
class TimeScale;
class WebUserList;

// What a checkpoint keeps of a base (Base::TakeCheckpoint, Base::RollBack), so that an import can be
// undone. It covers everything an import can change:
//   - the cards and components that were live, as sets of pool indices (later ones go);
//   - the last time scale (the ones after it go) and a mark on every macro (the unmarked ones go);
//     the section texts of the time scales and macros present, which an import may read again;
//   - the section text of the base's subsets, which an import may add to or replace;
//   - the base options, the value count, the options of every dimension and the web users;
//   - the component texts of a dimension whose case mode an import changes (kept when the
//     conversion happens, Base::KeepComponentTexts);
//   - through BaseFileData, the named objects of the files layer (save setups);
//   - the modified mark.
// A checkpoint that could not be taken (memory ran short) is not valid, and rolling back to it does
// nothing; rolling back uses it up. While valid it is known to its base, and it must not outlive it.
class BaseCheckpoint {
public:
    BaseCheckpoint();
    ~BaseCheckpoint();
    BaseCheckpoint(const BaseCheckpoint&) = delete;
    BaseCheckpoint& operator=(const BaseCheckpoint&) = delete;

    bool IsValid() const { return valid; }

private:
    friend class Base;

    // Leaves the base's chain of checkpoints.
    void Detach();

    // A component text as it was before a case conversion.
    struct KeptText {
        uint32_t component;
        ComponentTextField field;
        OwnedText text;
    };

    Base* base = nullptr;                     // the base while the checkpoint is taken
    BaseCheckpoint* outer = nullptr;          // a checkpoint of the same base taken before this one
    bool valid = false;
    bool modified = false;
    BitSet cards;
    BitSet components;
    TimeScale* lastTimeScale = nullptr;       // null: the base had none
    SavedSections<TimeScale> timeScaleTexts;
    SavedSections<Macro> macroTexts;
    // The definitions of the template tree and of the defaults templates (a read may replace
    // templates of the same path, so the old ones are read back from here).
    std::string templateTexts;
    std::string defaultTemplateTexts;
    // The "##Subset" sections of the base's subsets (read back whole when they changed).
    std::string subsetTexts;
    std::unique_ptr<BaseOptions> options;
    int32_t valueCount = 0;
    std::array<DimensionCheckpoint, kDimensionCount> dimensions;
    std::array<int32_t, kDimensionCount> generatedCodeCounters{};
    std::unique_ptr<WebUserList> webUsers;
    std::vector<KeptText> keptTexts;
    std::array<uint8_t, kDimensionCount> keptFields{};  // bit 1 << field: texts kept for d
};

}  // namespace vek
