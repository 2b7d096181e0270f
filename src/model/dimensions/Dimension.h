// Dimension: one of a base's 32 dimensions, with its names, modes, display and component indexes.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/strings/HeapText.h"
#include "foundation/strings/OwnedText.h"

namespace vek {

class LinkRename;
class Base;
class HashTable;
class String;
class TextReader;
class TextWriter;
struct ChangeRecord;
struct Component;
enum class ComponentTextField : uint8_t;

// Case modes: positions in "ULDWSN". Modes 0-3 convert, 4 keeps and compares exactly, 5 keeps and
// compares without regard to case. Codes accept only 0, 1, 4 and 5.
constexpr int32_t kCaseUpper = 0;
constexpr int32_t kCaseLower = 1;
constexpr int32_t kCaseCapitalize = 2;
constexpr int32_t kCaseWords = 3;
constexpr int32_t kCaseExact = 4;
constexpr int32_t kCaseKeep = 5;
constexpr const char* kCaseModeLetters = "ULDWSN";
// Display combinations: positions in this table.
constexpr const char* kDisplayCombinations[] = {"C", "H", "T", "CT", "HT", "CH", "CHT"};
constexpr int32_t kDisplayCombinationCount = 7;
// Default column widths in pixels; stored widths outside 24..500 read as these.
constexpr int32_t kDefaultCodeWidth = 80;
constexpr int32_t kDefaultTextWidth = 160;
constexpr int32_t kDefaultHostWidth = 80;
// The record size that memory reports count for a dimension.
constexpr int32_t kDimensionRecordSize = 76;
// The largest index size ("-EC", "-EH") an option line may state; a larger one is cut to it. No
// dimension holds that many components, so only a damaged or hostile file states more.
constexpr int32_t kMaxIndexSize = 1 << 24;

// Column display letters of analysis columns: positions in "CHTNMPR".
int32_t DisplayCodeFromLetter(char letter);  // -1 for a letter not in it
char DisplayLetterFromCode(int32_t code);     // '-' for a negative code
int32_t DisplayCodeToItemIndex(int32_t code);
int32_t DisplayItemIndexToCode(int32_t item);

// The options of a dimension: its case modes, display, flags, names, column widths and the sizes its
// indexes are made for. A dimension holds one; a base checkpoint keeps a copy to put back when an
// import that changed them is rolled back.
struct DimensionOptions {
    int32_t codeMode = kCaseUpper;
    int32_t textMode = kCaseKeep;
    int32_t hostMode = kCaseKeep;
    int32_t display = 3;
    bool optionX = false;
    OwnedText singularName;
    OwnedText pluralName;
    int32_t optionI = 1;
    int32_t codeWidth = 0;
    int32_t textWidth = 0;
    int32_t hostWidth = 0;
    // Expected entries of the indexes: a hint, kept and written as stated; a table is never made for
    // many more entries than the dimension holds (Dimension::RebuildIndex).
    int32_t codeIndexSize = 10;
    int32_t hostIndexSize = 10;

    // Becomes a copy of `other`; false when memory ran short for a name (the other fields are copied).
    [[nodiscard]] bool CopyFrom(const DimensionOptions& other);
};

// What a base checkpoint keeps of a dimension (Dimension::TakeOptions): its options and which of its
// indexes existed.
struct DimensionCheckpoint {
    DimensionOptions options;
    bool hasCodeIndex = false;
    bool hasHostIndex = false;
};

// One of the 32 dimensions of a base: its names, case modes, display, column widths, two flags and
// the hash indexes of its components by code and by host code. The components themselves live in the
// base's component pool (Component.h).
class Dimension {
public:
    Dimension(Base& base, int32_t number);
    ~Dimension();
    Dimension(const Dimension&) = delete;
    Dimension& operator=(const Dimension&) = delete;

    Base& GetBase() const { return base; }
    int32_t Number() const { return number; }

    void HandleChange(const ChangeRecord& record);
    // Posts a change with the code, the base and this dimension, then refreshes `inUse`.
    void Notify(int32_t code);
    void FinishLoad() {}
    int64_t GetMemoryUse() const;
    bool IsDefault() const;
    // Refreshes the cached in-use and has-components flags, posting 14 and 15 when they change.
    void RefreshUseFlags();
    // Change 63: rewrites the links in the texts of the dimension's components; change 11 follows when
    // any text changed.
    void ApplyLinkRename(const LinkRename& rename);

    int32_t CodeMode() const { return options.codeMode; }
    int32_t TextMode() const { return options.textMode; }
    int32_t HostMode() const { return options.hostMode; }
    int32_t Display() const { return options.display; }
    bool OptionX() const { return options.optionX; }
    int32_t OptionI() const { return options.optionI; }
    ConstHeapText SingularNameField() const { return options.singularName.Get(); }
    ConstHeapText PluralNameField() const { return options.pluralName.Get(); }
    bool InUse() const { return inUse; }
    bool HasComponents() const { return hasComponents; }
    int32_t CodeIndexSize() const { return options.codeIndexSize; }
    int32_t HostIndexSize() const { return options.hostIndexSize; }
    bool HasCodeIndex() const { return codeIndex != nullptr; }
    bool HasHostIndex() const { return hostIndex != nullptr; }

    // Setters: each returns at once when the value does not change.
    void SetCodeMode(int32_t mode);
    void SetTextMode(int32_t mode);
    void SetHostMode(int32_t mode);
    void SetCodeModeLetter(char letter);
    void SetTextModeLetter(char letter);
    void SetHostModeLetter(char letter);
    void SetDisplay(int32_t combination);
    void SetDisplayText(const char* text);
    void SetOptionX(bool flag);
    void SetOptionI(int32_t value);
    void SetOptionILetter(char letter);
    void SetSingularName(const char* text);
    void SetPluralName(const char* text);
    void SetCodeWidth(int32_t width);
    void SetTextWidth(int32_t width);
    void SetHostWidth(int32_t width);
    int32_t GetCodeWidth() const;
    int32_t GetTextWidth() const;
    int32_t GetHostWidth() const;
    int32_t StoredCodeWidth() const { return options.codeWidth; }
    int32_t StoredTextWidth() const { return options.textWidth; }
    int32_t StoredHostWidth() const { return options.hostWidth; }

    // Removes every blank from the code, trims text and host, then converts the three by the modes.
    void NormalizeTexts(String& code, String& text, String& host) const;
    // Enters the component into the indexes (creating them on first use, growing them when full).
    void IndexComponent(Component* component);
    // Takes the component out of both indexes; false when another component with an equal key stands
    // in its way, and only a rebuild can take it out.
    [[nodiscard]] bool UnindexComponent(const Component* component);
    Component* FindByCode(const char* text) const;
    Component* FindByHost(const char* text) const;
    void RebuildCodeIndex(bool check);
    void RebuildHostIndex(bool check);

    // One option line (the reader stands after the key field); unknown keys are ignored. False when
    // the line asks for an index larger than kMaxIndexSize, which is then taken instead; the caller
    // reports it.
    [[nodiscard]] bool ReadOption(TextReader& reader, const char* key);
    void WriteOptions(TextWriter& writer) const;
    // A copy of the options; false when memory runs short for the names.
    [[nodiscard]] bool TakeOptions(DimensionCheckpoint& out) const;
    // Puts the options back as they were taken, without converting the component texts (the
    // checkpoint puts back their own texts first); posts the change of each option that differs and
    // rebuilds the indexes in the restored modes and sizes.
    void RestoreOptions(const DimensionCheckpoint& taken);

private:
    friend class DimensionTestAccess;

    void SetName(OwnedText& field, const char* text, int32_t code);
    void ConvertComponentTexts(ComponentTextField which, int32_t mode);
    void RebuildIndex(std::unique_ptr<HashTable>& index, int32_t& expected, bool check, bool host);

    Base& base;
    int32_t number;
    DimensionOptions options;
    bool inUse = false;
    bool hasComponents = false;
    std::unique_ptr<HashTable> codeIndex;
    std::unique_ptr<HashTable> hostIndex;
};

}  // namespace vek
