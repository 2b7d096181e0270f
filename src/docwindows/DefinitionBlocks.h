// DefinitionBlocks: what the windows share about definitions on the clipboard ("## Selection",
// "## Formula", "## Subset", "## WebUser", "## Authorizations" blocks) and the HTML rows of
// definition sections.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vek {

class SubsetList;
class TextWriter;
struct StampedText;

// Paste titles by the kind of definition the clipboard holds (text numbers): one block, several
// blocks, selections and formulas mixed.
constexpr int32_t kPasteSelection = 3125;
constexpr int32_t kPasteSelections = 3126;
constexpr int32_t kPasteFormula = 3128;
constexpr int32_t kPasteFormulas = 3129;
constexpr int32_t kPasteSelectionsAndFormulas = 3132;
constexpr int32_t kPasteSubset = 3133;
constexpr int32_t kPasteSubsets = 3134;
constexpr int32_t kPasteWebUser = 7217;
constexpr int32_t kPasteWebUsers = 2508;
constexpr int32_t kPasteAuthorizations = 7210;

// The paste title of what a text holds, read line by line: the header lines (matched at the start
// of a line's first field, so "## WebUsers" counts as "## WebUser") run through the states of the
// paste titles; 0 when the text holds no definition. A header of another kind after the first one
// leaves the state as it is.
int32_t GetDefinitionKindOfText(std::string_view text);
// The same of the clipboard's text (0 when it holds none).
int32_t GetClipboardSectionKind();

// True when the kind is not 0 and is in the zero-terminated list (null: no list).
bool ListContainsKind(int32_t kind, const int16_t* acceptedKinds);

// Cleans a pasted text in place: tabs become blanks; other control characters except CR are dropped;
// blanks before a CR are removed, and the blanks at the end (after the last CR).
void CleanPastedText(std::string& text);

// Subsets through the clipboard: every subset of the list as a "## Subset" block (replacing what the
// clipboard held); and the "## Subset" and "## Selection" blocks of the clipboard's text read into the
// list (a subset of a name the list holds is read again). False when a line of a block was damaged
// (what could be read is kept).
void WriteSubsetsToClipboard(const SubsetList& list);
bool ReadSubsetsFromClipboard(SubsetList& list);

// HTML rows, each text escaped: a cell ("<td width=\"W\"> text </td>", without a width when it is 0
// or less), a row of a label and a value cell, and a row of a label (by text number) and a stamp's
// display form (nothing for an empty stamp).
void WriteHtmlTextCell(TextWriter& stream, const char* text, int32_t width);
void WriteHtmlTwoCellRow(TextWriter& stream, const char* label, const char* value, int32_t width);
void WriteHtmlLabelRow(TextWriter& stream, const StampedText& stamp, int32_t labelText);

}  // namespace vek
