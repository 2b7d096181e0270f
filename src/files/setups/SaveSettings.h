// SaveSettings: what a save writes, in which file format, and which sections it holds.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/strings/HeapText.h"
#include "model/base/Base.h"
#include "model/base/BaseFileHooks.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

class FilePath;
class SaveSetupList;
class TextReader;
class TextWriter;

// File formats of a save.
constexpr int32_t kSaveFormatContainerN = 1;  // block container, variant "N" (a base)
constexpr int32_t kSaveFormatContainerB = 2;  // block container, variant "B"
constexpr int32_t kSaveFormatContainerU = 3;  // block container, variant "U" (a template file)
constexpr int32_t kSaveFormatText = 5;        // plain sectioned text ("##VEK-Text")
constexpr int32_t kSaveFormatSie = 12;        // SIE 4 export

// Which components of a dimension a save writes (dimensionSaveMode, sieSaveMode); letters "ACUN".
constexpr int32_t kSaveModeAll = 0;
constexpr int32_t kSaveModeUsedWithAncestors = 1;
constexpr int32_t kSaveModeUsed = 2;
constexpr int32_t kSaveModeNone = 3;  // the dimension is not saved

// How "##Cards" names the components of a dimension (cardsReferenceMode); letters "CHT".
constexpr int32_t kCardsReferenceCode = 0;
constexpr int32_t kCardsReferenceHost = 1;
constexpr int32_t kCardsReferenceText = 2;

// What the save selection filters (filterLevel); letters "CGL".
constexpr int32_t kFilterCards = 0;
constexpr int32_t kFilterGroups = 1;
constexpr int32_t kFilterLines = 2;

// SIE dimension number of the account dimension ("K").
constexpr int32_t kSieAccountDimension = -1;
constexpr int32_t kSieMaxDimension = 50;

// The sections a save may write, one flag each; the order is that of their "S" keys
// ("SH" "SP" "SW" "SB" "SS" "SI" "ST" "SX" "SD" "SC" "SU" "SM" "SG").
enum class SaveSection : int32_t {
    Characters,
    Protection,
    WebUsers,
    BaseOptions,
    SaveSetup,
    ImportSetup,
    TimeScale,
    Macro,
    Dimension,
    Cards,
    Subset,
    Templates,
    Defaults,
};
constexpr int32_t kSaveSectionCount = 13;

// The SIE export's texts and flags, named by their keys in the "##SaveSetup" section: company name
// (RC), organisation number (RO), free text (RN), voucher series (RV); write accounts (Rk), dimensions
// and objects (Rd), vouchers (Rv), registration dates (Rr), components without host code by their
// code (Ru).
enum class SieText : int32_t { RC, RO, RN, RV };
constexpr int32_t kSieTextCount = 4;
enum class SieFlag : int32_t { Rk, Rd, Rv, Rr, Ru };
constexpr int32_t kSieFlagCount = 5;

// Which optional parts a base has, for SaveSettings::FromBase. A part stated as present keeps its
// section on (every section writer skips what is empty), so an unknown part is stated present.
struct BaseContents {
    bool compress = true;
    bool hasPassword = true;
    bool hasWebUsers = true;
    bool hasSaveSetups = true;
    bool hasImportSetups = true;
    bool hasTimeScales = true;
    bool hasMacros = true;
    bool hasSubsets = true;
    bool hasTemplates = true;
};

// The record through which every save runs: the format, the sections, per dimension which components
// and how cards name them, the cards to save and the SIE export's fields. A save setup keeps one; a
// save without one makes a temporary one from the base (FromBase). While a file loads or saves, the
// base holds one as its current settings (Base::SetSaveSettings).
//
// Every setter ignores a value outside its range, so a record always writes keys that read back into
// the same record. Dimensions d are indices 0..31 (the file and the option words number them from 1).
//
// The card selection is kept as SelectionTexts of the base whose "B" lines were read; a record made
// without a base has none until one is given (EditCardSelection).
class SaveSettings : public BaseSaveSettings {
public:
    // The defaults (Reset).
    SaveSettings();
    ~SaveSettings() override;
    SaveSettings(const SaveSettings&) = delete;
    SaveSettings& operator=(const SaveSettings&) = delete;

    // Format 1, compression on, every section on, cardFlag off, every save mode 0, no selection,
    // filter level 0, no template filter, reference modes 0, dimension order all 0, no SIE texts,
    // every SIE flag on, sieDimension all 0, sieSaveMode all 1.
    void Reset();
    // Copies every field. False when memory ran short for a text (that text is then empty).
    [[nodiscard]] bool CopyFrom(const SaveSettings& other);
    bool Equals(const SaveSettings& other) const;

    // The defaults adjusted to a base: format from its save kind; sections off for what the base
    // lacks (no cards; no dimension in use; the parts `contents` states absent); save mode 3 for
    // every dimension not in use; dimension 2 (index 1) is the SIE account dimension when in use.
    void FromBase(const Base& base, const BaseContents& contents);
    // The same with what the Base answers itself: its password, web users, time scales and macros.
    // Its save setups, import setups, subsets, templates and compression are taken as present (on).
    void FromBase(const Base& base);

    // One option word of the command language's save command ("C+", "D3U", "FS", "T=Sales*",
    // "s=Monthly" ...). False, with nothing changed, for a word it does not know. "s=" copies the
    // setup of that name from `setups` (false when there is none).
    [[nodiscard]] bool ApplyOption(std::string_view word, const SaveSetupList* setups);
    // "vek": compression on and format 1 unless it is 2; "vkx": format 5. Others change nothing.
    void ApplyFileExtension(const FilePath& path);

    // The save mode that applies to d: sieSaveMode for format 12, else dimensionSaveMode.
    int32_t SaveModeOf(int32_t d) const;

    // --- Fields --------------------------------------------------------------------------------
    int32_t Format() const { return format; }
    void SetFormat(int32_t value);  // 1, 2, 3, 5 or 12
    bool Compress() const { return compress != 0; }
    void SetCompress(bool on) { compress = on ? 1 : 0; }
    bool SavesSection(SaveSection section) const { return sections[size_t(section)] != 0; }
    void SetSavesSection(SaveSection section, bool on) { sections[size_t(section)] = on ? 1 : 0; }
    void SetAllSections(bool on);
    // Set by the option "Fs"; kept and copied with the record, not stored in files.
    bool CardFlag() const { return cardFlag != 0; }
    void SetCardFlag(bool on) { cardFlag = on ? 1 : 0; }

    int32_t DimensionSaveMode(int32_t d) const;
    void SetDimensionSaveMode(int32_t d, int32_t mode);  // 0..3
    int32_t CardsReferenceMode(int32_t d) const override;
    void SetCardsReferenceMode(int32_t d, int32_t mode);  // 0..2
    // Position i shows dimension entry (0: the dimension of that position, -1: none). Position 0 is
    // always dimension 0; an entry naming the position's own dimension is stored as 0.
    int32_t DimensionOrderEntry(int32_t i) const override;
    void SetDimensionOrderEntry(int32_t i, int32_t entry);  // i 1..31, entry -1..31

    // The card selection as texts (null when none: every card is saved). A save compiles it into
    // its filter (SaveFilter.h); the texts are written back as they were read.
    const SelectionTexts* CardSelection() const { return selection.get(); }
    // The selection, made empty for the base when there is none (or when it belongs to another base).
    SelectionTexts& EditCardSelection(Base& base);
    // True when the selection restricts anything.
    bool HasSelection() const;
    // One keyed line of the selection without its "B" (key, tab, value). False when the key is no
    // key of a selection or the line holds a line break.
    [[nodiscard]] bool AddSelectionLine(Base& base, std::string_view line);
    void ClearSelection() { selection.reset(); }

    bool TemplateLinesOnly() const { return templateLinesOnly != 0; }
    void SetTemplateLinesOnly(bool on) { templateLinesOnly = on ? 1 : 0; }
    int32_t FilterLevel() const { return filterLevel; }
    void SetFilterLevel(int32_t level);  // 0..2
    // Name pattern of the templates to save; null for all.
    ConstHeapText TemplateFilterText() const { return templateFilterText; }
    void SetTemplateFilterText(const char* text);
    bool OpenTemplatesOnly() const { return openTemplatesOnly != 0; }
    void SetOpenTemplatesOnly(bool on) { openTemplatesOnly = on ? 1 : 0; }

    ConstHeapText GetSieText(SieText which) const { return sieTexts[size_t(which)]; }
    void SetSieText(SieText which, const char* text);
    bool GetSieFlag(SieFlag which) const { return sieFlags[size_t(which)] != 0; }
    void SetSieFlag(SieFlag which, bool on) { sieFlags[size_t(which)] = on ? 1 : 0; }
    // 0 none, -1 the account dimension, 1..50 an SIE dimension.
    int32_t SieDimension(int32_t d) const;
    void SetSieDimension(int32_t d, int32_t number);  // d 1..31, number -1..50
    int32_t SieSaveMode(int32_t d) const;
    void SetSieSaveMode(int32_t d, int32_t mode);  // 0..3

    // --- Keyed lines of the "##SaveSetup" section ----------------------------------------------
    // Applies the reader's current line (field cursor at the line start). Unknown keys, damaged lines
    // and values out of range change nothing; "B" lines need the base (without one they are
    // skipped). False only for a section marker (the caller stops).
    bool ReadKeyLine(TextReader& reader, Base* base);
    // The lines of every field that differs from its default, in the order of their keys; no marker
    // and no closing empty line. Texts go in the long-text form, so no line break can end a line.
    void WriteKeyLines(TextWriter& writer) const;

private:
    void ReleaseTexts();

    int32_t format = kSaveFormatContainerN;
    int32_t compress = 1;
    std::array<int32_t, kSaveSectionCount> sections{};
    int32_t cardFlag = 0;
    std::array<int32_t, kDimensionCount> dimensionSaveMode{};
    std::unique_ptr<SelectionTexts> selection;
    int32_t templateLinesOnly = 0;
    int32_t filterLevel = kFilterCards;
    HeapText templateFilterText = nullptr;
    int32_t openTemplatesOnly = 0;
    std::array<int32_t, kDimensionCount> cardsReferenceMode{};
    std::array<int32_t, kDimensionCount> dimensionOrder{};
    std::array<HeapText, kSieTextCount> sieTexts{};
    std::array<int32_t, kSieFlagCount> sieFlags{};
    std::array<int32_t, kDimensionCount> sieDimension{};
    std::array<int32_t, kDimensionCount> sieSaveMode{};
};

// A text (without LF) as the base-file reader gives it back from a line: bytes that are no UTF-8
// decoded as the reader decodes them, characters beyond U+FFFF as U+FFFD, a letter followed by a
// combining mark as the precomposed letter; CR separates lines read one by one. Texts cleaned of
// control characters go through it, so that what is written reads back byte for byte.
std::string TextAsRead(std::string_view text);

// The smaller of (the largest of 18 x dimensions + 45, 222, 17 x dimensions + 63, 17 x rows + 153)
// + 77 and the screen height less 21: the height of the save-setup window.
int32_t SaveSetupWindowHeight(int32_t dimensions, int32_t rows, int32_t screenHeight);

}  // namespace vek
