// BaseSectionReader: reading the sections of a base file line by line, with their checks and counts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "files/format/BaseFileFormat.h"
#include "files/setups/ImportSetup.h"
#include "files/sections/KeptSections.h"
#include "foundation/strings/HeapText.h"
#include "foundation/strings/String.h"
#include "model/dimensions/Component.h"

namespace vek {

class Base;
class BaseFileRecord;
class BaseProtection;
class FilePath;
class SaveSettings;
class SubsetList;
class TextReader;
struct Card;
struct CardGroup;

// Looks for a NUL byte in the bytes of a text base, fed in pieces: no text in a base can hold one,
// so a file with one is damaged (and its texts would be cut at it).
class NulByteScan {
public:
    void Feed(const char* bytes, int64_t n);
    bool Found() const { return offset >= 0; }
    // The position of the first NUL byte in all bytes fed; -1 when none.
    int64_t Offset() const { return offset; }

private:
    int64_t fed = 0;
    int64_t offset = -1;
};

// Counts lines as the text reader does (CR, LF and CR LF each end one), over bytes fed in pieces:
// the line (from 1) that the next byte belongs to.
class LineCounter {
public:
    void Feed(const char* bytes, int64_t n);
    int64_t Line() const { return line; }

private:
    bool afterCr = false;
    int64_t line = 1;
};

// How a run of the section reader ended.
enum class SectionReadResult {
    complete,    // "##End" was read
    incomplete,  // the input ended without "##End": what it held was read, and message 3829 shown
    damaged,     // a line the format does not allow (message 3816 pending)
    stopped,     // the cancel flag was set (by a section reader, an answer or an earlier error)
};

// True when the run read the file (complete, or incomplete with what it held).
constexpr bool IsRead(SectionReadResult result)
{
    return result == SectionReadResult::complete || result == SectionReadResult::incomplete;
}

// Reads the sectioned text of a base file (after its header line) into a base: every "##" section
// goes to the reader of its object, unknown sections are reported (3818, through the base's error
// alert) and skipped, unknown keys inside a section are skipped. A "##Dimension" or "##DimImport"
// section whose number is outside 1..32 is reported (3832, the same way) and skipped. The sections
// this version builds no objects from are kept as read (KeptSections), collected aside and joined
// to the base's record when the read ends well; so are the subsets read ("##Subset"), which then join
// the base's global subsets (one of the same name is replaced).
//
// Input that ends without "##End" is read as far as it goes: the message 3829 that names the file
// and says it is incomplete is shown, and the read counts as done (incomplete), so that the user
// can rescue the data. A line the format cannot hold (a card line without its key, a line before
// the first card, a reference mode for a dimension outside 1..32, a column count outside 1..24, a
// component code that would start a section) stops the read with 3816 pending, naming the file and
// the line; what was read stays in the base, and the caller drops the base or rolls the import
// back. The base's
// current save settings (Base::SaveSettings, a SaveSettings record) receive the "-D" reference
// modes of "##Cards"; the base's file record (BaseFileRecord) gives the file state (version, flags,
// amount columns) and receives BaseFileInfo and the line-history setting.
class BaseSectionReader {
public:
    // `file` names the file in messages; `protection` receives the "##Protection" password.
    BaseSectionReader(Base& base, TextReader& reader, const FilePath& file, BaseProtection& protection);
    ~BaseSectionReader();
    BaseSectionReader(const BaseSectionReader&) = delete;
    BaseSectionReader& operator=(const BaseSectionReader&) = delete;

    // From the reader's next line to "##End" or the end of input.
    [[nodiscard]] SectionReadResult ReadSections();
    // The same for the older bullet-marked text (BaseBulletReader.cpp): "•••" in place of "##",
    // up to "•••End". Its templates, defaults, import setups and commands are kept in the form of
    // "##" sections, so that the base saves as a base of today.
    [[nodiscard]] SectionReadResult ReadBulletSections();

private:
    bool Importing() const;
    bool Stopped() const;
    // Sets the pending error (unless one is pending) with the file name and the current line.
    void ReportDamage(int32_t code);
    // An amount that is no finite number refuses the file, naming it, the line and the text.
    void ReportAmountNotFinite(std::string_view text);
    // Shows a section that is skipped (`name` as @0, the file and the line) through the base's
    // error alert, whose answer may stop the read.
    void ReportSkippedSection(int32_t code, std::string_view name);
    // Shows the current line, a dimension option that asks for a larger index than a dimension can
    // use (3808, with the file and the line), through the base's error alert.
    void ReportIndexTooLarge();
    // Reads lines up to the next section marker (left current) or the end of input.
    void SkipSection();
    // Collects the section whose marker is the current line (the field cursor after the marker),
    // up to the next section marker, into `kept`.
    void KeepSection(BaseFileSection section);
    // The end of a run that read the file: the kept sections join the base's.
    SectionReadResult Finish(SectionReadResult result);
    // The input ended before the end marker: reports the file as incomplete, then Finish.
    SectionReadResult FinishIncomplete();
    // The dimension (0..31) that the marker line's number names; outside 1..32 the section is
    // reported and skipped, and the answer is -1.
    int32_t ReadDimensionNumber(BaseFileSection section);
    // The current line's first field when it is a section marker.
    bool AtSectionMarker();

    void ReadCharacters();
    void ReadProtection();
    void ReadWebUsers();
    void ReadBaseOptions();
    void ReadSaveSetup();
    void ReadImportSetup();
    // What the setups' readers are told of this file.
    SetupReadContext SetupContext();
    void ReadTimeScale();
    void ReadMacro();
    void ReadDimension();
    void ReadDimensionImport();
    void ReadCommands();
    // "##Templates" and "##Defaults": the base reads the definitions as this file's kind gives them.
    void StartTemplateReading();
    void ReadTemplates();
    void ReadDefaults();
    // One "##Subset" section into the subsets read aside (they join the base's when the read ends
    // well); a line that cannot be taken stops the read with 3865 or 3866, naming file and line.
    void ReadSubset();
    // The options and components of dimension d, up to the next section marker.
    void ReadDimensionLines(int32_t d);

    // The bullet form (BaseBulletReader.cpp).
    void ReadBulletDimension(std::string_view rest);
    // One line of a bullet cards section (not empty, not a marker); false stops the section.
    bool ReadBulletCardsLine(const char* p, int32_t n);
    // Whether the line starts with a bullet, as the markers of that form do.
    static bool StartsWithBullet(const char* p, int32_t n);
    bool ReadBulletLine(std::string_view key);
    void ReadBulletNotes(std::string_view key);
    // Keeps the section whose marker is the current line as the "##" section of today.
    void KeepBulletSection(BaseFileSection section);
    int32_t bulletNotesLength = -1;  // the length of the card's last "N" line; -1 before one

    // "##Cards" (BaseCardsReader.cpp), and the older bullet "Cards" section: one loop over the lines
    // of either, up to the next section marker (left as the reader's current line); the card being
    // read is finished at the end.
    enum class CardsForm { Current, Bullet };
    void ReadCardsSection(CardsForm form);
    // One line of a "##Cards" section (not empty, not a marker); false stops the section.
    bool ReadCardsLine();
    bool ReadCardsOption(std::string_view key);
    bool ReadCardLine(std::string_view key);
    void ReadNotesLine(std::string_view key);
    void ReadStampsLine(std::string_view key);
    bool ReadGroupLine(std::string_view key);
    bool ReadLineLine(std::string_view key);
    // Adds a line with its values, components and text (taken over) to the current group (the
    // card's first when there is none yet); false, the text freed, when it cannot be made.
    bool AddCardLine(const double* values, const uint32_t* numbers, HeapText text);
    void FinishCard();

    Base& base;
    TextReader& reader;
    const FilePath& file;
    BaseProtection& protection;
    BaseFileRecord& record;
    SaveSettings* settings = nullptr;  // the base's current settings
    bool ownsSettings = false;         // made for this read, removed at its end
    KeptSections kept;                 // the sections kept as read, until the read ends well
    std::unique_ptr<SubsetList> subsets;  // the subsets read, until the read ends well (made on use)

    // "##Cards" state.
    Card* card = nullptr;
    CardGroup* group = nullptr;
    bool skippingCard = false;  // the last "C" line could not make its card: its lines are skipped
    int64_t cardCount = 0;
    // References resolved by code, by their text: a file names the same components over and over,
    // and a lookup here spares the dimension's index. Direct-mapped, sized by the components of the
    // base when it is made (on first use).
    struct ReferenceEntry {
        uint32_t number;
        uint8_t dimension;
        uint8_t length;  // 0: empty
        char text[26];
    };
    static constexpr int32_t kMinReferenceCacheBits = 12;
    static constexpr int32_t kMaxReferenceCacheBits = 18;
    std::unique_ptr<ReferenceEntry[]> referenceCache;
    int32_t referenceCacheBits = kMinReferenceCacheBits;

    // The component a "##Cards" reference names in dimension d (read by the dimension's mode; an
    // unknown one is reported and made); the root d for an empty reference. `entry` is the cache slot
    // of a reference by code (ReferenceSlot), null for none.
    uint32_t ResolveReference(int32_t d, const char* text, int32_t n);
    uint32_t ResolveReference(int32_t d, const char* text, int32_t n, ReferenceEntry* entry);
    ReferenceEntry* ReferenceSlot(int32_t d, const char* text, int32_t n);

    // References to components that did not exist, per kind (code, host code, text): the first is
    // shown as it comes (naming its dimension), the others are counted and told once at the end of
    // the read, with the first one's line, so that a file naming millions of new codes does not give millions of messages.
    struct UnknownReferences {
        int64_t count = 0;
        int64_t line = 0;
        String first;
    };
    std::array<UnknownReferences, 3> unknownReferences;
    void ReportUnknownReferences();
};

}  // namespace vek
