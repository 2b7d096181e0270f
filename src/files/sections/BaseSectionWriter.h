// BaseSectionWriter: writing the sections of a base in the order the reader expects.
#pragma once

#include <cstdint>

#include "files/format/BaseFileFormat.h"

namespace vek {

class Base;
class SaveSettings;
class TextWriter;
struct Card;

// Writes the sections of a base, each only when the settings ask for it and the base has something
// for it, in the order the reader expects: "##Characters", "##Protection", "##WebUsers",
// "##BaseOptions", "##TimeScale", "##SaveSetup", "##ImportSetup", "##Macro", the dimensions in the
// settings' order ("##Dimension" with the position, each followed by its "##DimImport"), "##Cards",
// "##Subset", "##Templates", "##Defaults", "##Commands", then "##End". Stops without "##End" as soon
// as the cancel flag is set (the caller then drops the file).
//
// The sections this version builds no objects from are written back as they were read
// (KeptSections), each under its own section flag; commands go with "##BaseOptions", a dimension's
// import setup with the dimensions (after the last written one when its own dimension is not).
//
// Texts that may hold line breaks or tabs (card titles, notes, line texts) go in the long-text form,
// so that no line of the file breaks inside them. Amounts are written as CursorPutAmount makes
// them, which reads back as the same value. A card without lines is written with its title, notes
// and stamps; groups without lines are not written (the reader would drop them).
// Text files (format 5) carry no lines of who saved them.
void WriteBaseSections(Base& base, TextWriter& writer, const SaveSettings& settings);

// The section's marker, without the line end (a separator and a name or number may follow).
void PutSectionMarker(TextWriter& writer, BaseFileSection section);

// The "##Cards" section alone.
void WriteCardsSection(Base& base, TextWriter& writer, const SaveSettings& settings);

}  // namespace vek
