#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "model/Component.h"

namespace vek {

class Base;
class BaseFileRecord;
class BaseProtection;
class FilePath;
class SaveSettings;
class TextReader;
struct Card;
struct CardGroup;

// Messages of the section reader. Each names the file (@0) and the line (@1).
constexpr int32_t kMessageUnknownSection = 3818;    // @0 the section, @1 the file, @2 the line
constexpr int32_t kMessageBaseFileTruncated = 3815;  // the file ends before "##End"
constexpr int32_t kMessageBaseFileDamaged = 3816;    // a line that a base file cannot hold

// True when a code, once its blanks are removed (as components store codes), would start a section
// marker ("##" or "•••"): written at the start of its line in a dimension section, it would break
// the file. No base file can hold such a code.
bool CodeStartsSection(const char* text, int32_t n);

// How a run of the section reader ended.
enum class SectionReadResult {
    complete,   // "##End" was read
    truncated,  // the input ended without "##End" (message 3815 pending)
    damaged,    // a line the format does not allow (message 3816 pending)
    stopped,    // the cancel flag was set (by a section reader, an answer or an earlier error)
};

// Reads the sectioned text of a base file (after its header line) into a base: every "##" section
// goes to the reader of its object, unknown sections are reported (3818, through the base's error
// alert) and skipped, unknown keys inside a section are skipped.
//
// A read that does not end in "##End" (truncated) or meets a line the format cannot hold (a card
// line without its key, a line before the first card, a dimension number outside 1..32, a column
// count outside 1..24) stops with the numbered message pending, naming the file and the line; what
// was read stays in the base, and the caller drops the base or rolls the import back. The base's
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

private:
    bool Importing() const;
    bool Stopped() const;
    // Sets the pending error (unless one is pending) with the file name and the current line.
    void ReportDamage(int32_t code);
    void ReportUnknownSection(std::string_view name);
    // Reads lines up to the next section marker (left current) or the end of input.
    void SkipSection();
    // The current line's first field when it is a section marker.
    bool AtSectionMarker();

    void ReadCharacters();
    void ReadProtection();
    void ReadWebUsers();
    void ReadBaseOptions();
    void ReadSaveSetup();
    void ReadTimeScale();
    void ReadMacro();
    void ReadDimension();
    void ReadDimensionImport();
    void ReadCommands();

    // "##Cards" (BaseCardsReader.cpp).
    void ReadCards();
    bool ReadCardsOption(std::string_view key);
    bool ReadCardLine(std::string_view key);
    void ReadNotesLine(std::string_view key);
    void ReadStampsLine(std::string_view key);
    bool ReadGroupLine(std::string_view key);
    bool ReadLineLine(std::string_view key);
    void FinishCard();
    // The component a "##Cards" reference names in dimension d (read by the dimension's mode; an
    // unknown one is reported and made); the root d for an empty reference.
    uint32_t ResolveReference(int32_t d, const char* text, int32_t n);

    Base& base;
    TextReader& reader;
    const FilePath& file;
    BaseProtection& protection;
    BaseFileRecord& record;
    SaveSettings* settings = nullptr;  // the base's current settings
    bool ownsSettings = false;         // made for this read, removed at its end
    bool sawCommands = false;

    // "##Cards" state.
    Card* card = nullptr;
    CardGroup* group = nullptr;
    bool skippingCard = false;  // the last "C" line could not make its card: its lines are skipped
    int64_t cardCount = 0;
    // Per dimension, the last reference resolved by code and its component: consecutive lines
    // mostly name the same components.
    struct ReferenceCache {
        std::array<char, 48> text{};
        int32_t length = -1;
        uint32_t number = 0;
    };
    std::array<ReferenceCache, kDimensionCount> referenceCache{};
};

}  // namespace vek
