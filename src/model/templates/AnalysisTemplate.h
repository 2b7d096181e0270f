// AnalysisTemplate: what the five analysis kinds share (window place, display settings, notes, subset
// references, export and page options), with the keyed lines that store it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/memory/BlockPtr.h"
#include "foundation/strings/OwnedText.h"
#include "model/selections/SubsetRefList.h"
#include "model/templates/Template.h"

namespace vek {

// How an analysis is exported: the block is copied as one unit between templates and into table
// windows. Separator codes: 0 the system's separator, 1 none, 2 CR LF, 160 a no-break space, any
// other value the character itself.
//
//   | field                     | default | key                                |
//   |---------------------------|---------|------------------------------------|
//   | encoding (encoding id)    | 0 UTF-8 | "xeE" short name, always written   |
//   | format 0 text 1 HTML 2 XML| 0       | "xew" (1), "xex" (2)               |
//   | decimalSeparator          | 0       | "xed" char code, when nonzero      |
//   | thousandsSeparator        | 1       | "xem" char code, always written    |
//   | fieldSeparator            | 9       | "xef" char code, when not 9        |
//   | quote                     | 1       | "xeq" char code, when not 1        |
//   | lineEnd                   | 0       | "xen" char code, when nonzero      |
//   | flags k t s e r u & l     | 0       | "xek" "xet" ... alone, when set    |
//   | flags h a                 | 1       | "xeh" "xea" alone, when clear      |
//   | width W, height H         | 0       | "xeW" "xeH" int, when nonzero      |
struct ExportOptions {
    int32_t encoding = 0;
    int32_t format = 0;
    int32_t decimalSeparator = 0;
    int32_t thousandsSeparator = 1;
    int32_t fieldSeparator = 9;
    int32_t quote = 1;
    int32_t lineEnd = 0;
    bool flagK = false;
    bool windowTitle = false;  // flag t ("wintitle")
    bool notes = false;        // flag s ("notes")
    bool definition = false;   // flag e ("definition")
    bool columnTitles = false; // flag r ("coltitles")
    bool headers = true;       // flag h ("headers")
    bool dataRows = true;      // flag a ("datarows")
    bool flagU = false;
    int32_t width = 0;   // W
    int32_t height = 0;  // H
    bool flagAmpersand = false;  // &
    bool flagL = false;

    // The attributes of an "export-options" element ("format", "wintitle", "notes", "definition",
    // "coltitles", "headers", "datarows", "decsep", "thousep"; names without regard to case), read
    // from the reader's current tag to its end. Values that mean nothing leave their field; unknown
    // attributes are passed over.
    void ReadXmlAttributes(TextReader& reader, Base& base);

    bool operator==(const ExportOptions&) const = default;
};

// A layout block of the page options: bytes owned by the options (null for none).
using PageLayoutBlock = BlockPtr<uint8_t>;

// How an analysis is printed. The three layout blocks are opaque bytes of the printing layer.
//
//   | field             | default | key                                         |
//   |-------------------|---------|---------------------------------------------|
//   | t u c d a         | 1       | "xpt" "xpu" "xpc" "xpd" "xpa", when 0       |
//   | m n h i           | 0       | "xpm" "xpn" "xph" "xpi", when set           |
//   | mode (in "-asp")  | 3       | "xpp" with its character, when not 3        |
//   | layout c m w      | none    | "xLc" "xLm" "xLw" blob                      |
struct PageOptions {
    bool flagT = true;
    bool flagU = true;
    bool flagM = false;
    bool flagN = false;
    bool flagC = true;
    bool flagD = true;
    bool flagA = true;
    bool flagH = false;
    bool flagI = false;
    int32_t mode = 3;
    PageLayoutBlock layoutC;
    PageLayoutBlock layoutM;
    PageLayoutBlock layoutW;

    PageOptions() = default;
    ~PageOptions();
    PageOptions(PageOptions&&) noexcept = default;
    PageOptions& operator=(PageOptions&&) noexcept = default;
    PageOptions(const PageOptions&) = delete;
    PageOptions& operator=(const PageOptions&) = delete;
    // The words and copies of the three blocks; false, with the blocks that could not be copied
    // null, when memory runs short.
    [[nodiscard]] bool CopyFrom(const PageOptions& other);
};

// The chart keys shared by the kinds that draw charts: "Gx" with one character of "-1235Xalu" (its
// index; written when not 0) and "Gy" with "+" for the flag.
struct ChartOptions {
    int32_t chartIndex = 0;
    bool flagY = false;

    // The current line's key (field cursor after it) is "Gx" or "Gy"; a value not in its list leaves
    // the setting.
    void ReadKeyLine(std::string_view key, TextReader& reader);
    void Write(TextWriter& writer) const;
};

// The char-code value form: 35 "##", 160 "#B", 2 "#F", other codes 33-127 the character itself,
// every other code "#" and its decimal number.
void WriteCharCode(TextWriter& writer, const char* key, int32_t code);
// The next field (at most 8 bytes) read back: "#B" 160, "#F" 2, "##" 35, "#" and a number that
// number modulo 65536 (0 when it does not parse), any other field its first byte; 0 for no field.
int32_t ReadCharCode(TextReader& reader);
// "W" followed by the letter at `index` in "NLBPR" and the line end (nothing for an index outside).
void WriteViewLetter(TextWriter& writer, int32_t index);

// True when the reader's current line holds a key of the
// shared part: 'x' keys and 's' subset references.
bool IsSharedTemplateKey(const TextReader& reader);

// What the five analysis kinds share. Its key lines (every key starts with 'x', subset references
// with 's') are written by WriteDefinition after the header line, in a fixed order; the kinds write
// their own keys after these and read them first, handing the rest to this class.
class AnalysisTemplate : public Template {
public:
    AnalysisTemplate(TemplateKind kind, Base& base);
    ~AnalysisTemplate() override;

    // --- Window and display ----------------------------------------------------------------------
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
    int16_t displayE = 0;
    int16_t displayT = 0;
    int16_t widthM = 0;
    bool autoOpen = false;  // "xo": opened when the base is read
    bool flagC = false;
    bool flagZ = false;
    bool flagW = true;

    ConstHeapText NotesText() const { return notes.Get(); }
    void SetNotesText(const char* text) { notes.Set(text); }

    ExportOptions& Export() { return exportOptions; }
    const ExportOptions& Export() const { return exportOptions; }
    PageOptions& Page() { return pageOptions; }
    const PageOptions& Page() const { return pageOptions; }

    // The stored form of the subsets a window of this template starts with ('s' keys).
    SubsetRefList& SubsetRefs() { return subsetRefs; }
    const SubsetRefList& SubsetRefs() const { return subsetRefs; }

    // Copies from the base's defaults template of the same kind: bottom and right, E, T and M, the
    // export and page options; sets flag c and clears flag z.
    void ApplyKindDefaults();
    // The width M when it lies in 32..800, else the fallback.
    int32_t GetWidthM(int32_t fallback) const;

    // --- Virtual operations ------------------------------------------------------------------------
    // Change 63 rewrites the links in the notes text.
    void OnBaseChange(const ChangeRecord& record) override;
    // Clears auto-open, flags c and z; sets flag w.
    void Reset() override;
    // Keys beginning with 's' (subset references) and 'x'; others are ignored.
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    // Definitions of the bullet-form files have export flag t inverted.
    void FinishRead(const TemplateReadContext& context) override;
    // The header line and the shared keys.
    void WriteDefinition(TextWriter& writer) const override;
    // The export format becomes XML.
    void ClearSettings() override;
    // "notestext" (exact) sets the notes text.
    void SetOption(const char* optionName, const char* value) override;
    int64_t StoredSize() const override;

protected:
    // The shared keys without the header line (WriteDefinition writes both).
    void WriteSharedKeys(TextWriter& writer) const;

private:
    void ReadExportKey(char letter, TextReader& reader);
    void ReadPageKey(char letter, TextReader& reader);

    OwnedText notes;
    SubsetRefList subsetRefs;
    ExportOptions exportOptions;
    PageOptions pageOptions;
};

}  // namespace vek
