// What the files layer keeps per base and what the model reads of it, as interfaces the model owns.
#pragma once

#include <cstdint>

namespace vek {

// What the model reads of the base's current save settings, which the file layer defines and
// derives from this class.
class BaseSaveSettings {
public:
    virtual ~BaseSaveSettings();
    // Entry i of the 32-entry dimension order (0 = not given).
    virtual int32_t DimensionOrderEntry(int32_t i) const = 0;
    // How imported card lines name components of d: 0 code, 1 host code, 2 text.
    virtual int32_t CardsReferenceMode(int32_t d) const = 0;
};

// A dimension's import setup; the file layer defines it and makes it through ModelServices.
class DimensionImportSetupBase {
public:
    virtual ~DimensionImportSetupBase();
};

// What the base-file code (the files library) keeps per base: save setups, who saved the file, the
// state of a running read. The base only owns it (Base::FileData).
class BaseFileData {
public:
    virtual ~BaseFileData();
    // Checkpoints reach the named objects the files layer keeps (save setups): TakeCheckpoint keeps
    // what exists now (false when memory runs short), RollBack removes what was added since and
    // puts back what was changed.
    [[nodiscard]] virtual bool TakeCheckpoint() { return true; }
    virtual void RollBack() {}
};

}  // namespace vek
