// BaseFileInfo and BaseFileRecord: who saved a base file and what the file code keeps per base.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "files/format/BaseFileType.h"
#include "files/setups/ImportSetup.h"
#include "files/sections/KeptSections.h"
#include "files/setups/SaveSetup.h"
#include "foundation/strings/HeapText.h"
#include "model/base/Base.h"
#include "model/base/BaseFileHooks.h"
#include "model/base/SavedSections.h"

namespace vek {

// Who saved a base file: the "v", "t", "s", "m", "u" and "c" lines of its "##Characters" section.
struct BaseFileInfo {
    enum Item : int32_t { programVersion, platform, system, computer, user };
    static constexpr int32_t kTextCount = 5;

    BaseFileInfo() = default;
    ~BaseFileInfo();
    BaseFileInfo(const BaseFileInfo&) = delete;
    BaseFileInfo& operator=(const BaseFileInfo&) = delete;

    ConstHeapText Text(Item item) const { return texts[size_t(item)]; }
    void SetText(Item item, const char* text);
    void Clear();
    // This program, this machine, this user and now.
    void FillForThisProgram();

    std::array<HeapText, kTextCount> texts{};
    double saveTime = 0.0;  // seconds since the day-number epoch (DateTime::ToSeconds); 0 for none
};

// What the base-file code keeps per base: the save setups, the sections kept as read, who saved the
// file, the state of the running read, the line-history and compression settings and the marks of a
// load or save. Made on first use and owned by the base (Base::FileData).
class BaseFileRecord final : public BaseFileData {
public:
    explicit BaseFileRecord(Base& base);
    ~BaseFileRecord() override;

    // The base's record, made when it has none (a base without one cannot lose anything: the record
    // holds nothing but defaults until something is stored).
    static BaseFileRecord& Of(Base& base);
    static const BaseFileRecord* Find(const Base& base);

    // The save and import setups present are marked and their texts kept (an import adds setups and
    // may read an existing one again under its name), and so are the dimension import setups; an
    // import may replace kept sections as well as add them, so the checkpoint keeps a copy of those too.
    [[nodiscard]] bool TakeCheckpoint() override;
    void RollBack() override;

    ImportSetupList& ImportSetups() { return importSetups; }
    const ImportSetupList& ImportSetups() const { return importSetups; }
    SaveSetupList& SaveSetups() { return saveSetups; }
    const SaveSetupList& SaveSetups() const { return saveSetups; }
    KeptSections& Kept() { return kept; }
    const KeptSections& Kept() const { return kept; }
    BaseFileInfo& Info() { return info; }
    const BaseFileInfo& Info() const { return info; }

    // The state of the file being read (BaseFileState::kind 0 when none).
    BaseFileState state;
    // The base records card sources ("LH" of "##BaseOptions", the "H" lines of "##Cards").
    bool lineHistory = false;
    // Blocks of a container are compressed when the base is saved as one.
    bool compress = true;
    // The last load or save was given up.
    bool cancelled = false;
    // The open-direct steps run after the load: cleared by the read flag kReadSkipOpenDirect and by
    // a "##Commands" section, which takes their place.
    bool openDirect = true;
    // The modification time of the base's file when it was last read or written (0: not known).
    double fileTime = 0.0;
    // XML input files being read into the base, each imported by the one before.
    int32_t xmlInputDepth = 0;

private:
    Base& base;
    SaveSetupList saveSetups;
    ImportSetupList importSetups;
    KeptSections kept;
    KeptSections keptAtCheckpoint;
    SavedSections<SaveSetup> keptSetups;
    SavedSections<ImportSetup> keptImportSetups;
    // The section texts of the dimension import setups at the checkpoint (empty: none).
    std::array<std::string, kDimensionCount> keptDimImports;
    BaseFileInfo info;
};

}  // namespace vek
