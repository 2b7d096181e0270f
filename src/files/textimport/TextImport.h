// TextImport: turning a foreign text file into cards and lines of a base through an import setup.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/numbers/PackedDate.h"

namespace vek {

class Base;
class FilePath;
class ImportSetup;

// Imports the file into the base as the setup describes (Base::ImportTextFile): card records make
// cards (dated by "LI", titled by "LT", noted by "LN", stamped by "Lc" "Lm" "Le" "La"), line records
// make lines through every line-field record of the setup, components that a lookup does not find
// are made by the not-found action (Base::CreateImportedComponent), and so is a constant code of a
// line field that names no component, when a line first takes it. With the base's line history on,
// each card records the file and the line of its card record (Base::CardSources). Line records that
// follow a record the setup takes neither as a card nor as a line are reported once (3858), with the
// first one's line and their count; the rest of the file is imported.
//
// The first damage ends the import with the message pending, naming the file and its line: a
// record too long (3817) or not in the setup's encoding (3856), a date that is no calendar date in
// the setup's form (3855; it is never moved to a neighbouring day), an amount that is not a number
// (3513; never counted as 0), or an amount expression that gives no number (3859). Amount
// expressions are formulas over the cleaned terms of their parts: a term that is not a number is
// refused as a plain amount is (3513), and an expression the formula compiler would read only in
// part (a surplus closing bracket) is refused too (3853).
// False then, or when the file cannot be read or the work was cancelled; what was made by then
// stays in the base, and the caller undoes it (ImportTextFileWithUndo).
[[nodiscard]] bool ImportTextFile(Base& base, const FilePath& path, const ImportSetup& setup);

// The import as one step: on failure or cancellation the base is rolled back to what it held
// before (cards, components, value columns, setups, the modified mark), and the pending error says
// why. Out of memory counts as a failure (600).
[[nodiscard]] bool ImportTextFileWithUndo(Base& base, const FilePath& path, const ImportSetup& setup);

// Card dates of the text import by the setup's date format (ImportSetupSettings::dateFormat):
//   0 "YYMMDD": six digits YYMMDD or eight YYYYMMDD must be a calendar date; shorter texts are
//     completed to the earliest date they can mean (ParsePackedDate);
//   1-3 "YYDDMM", "MMDDYY", "DDMMYY": six digits in that order (eight with a four-digit year);
//   4-7 "Y/M/D", "Y/D/M", "M/D/Y", "D/M/Y": three runs of digits separated by anything else.
// A time of day after the date ("05.01.2024 10:30", "2024-01-05T10:30:00Z", "050124 1030") is
// passed over.
// Years: two digits 00-27 are 2000-2027 and 28-99 1928-1999; three digits count from 1900 (124 is
// 2024); four digits from 1900 on are that year. False for anything that is not a calendar date
// (a month 13, 30 February, a year 1000-1899): the date is never moved to a neighbouring day.
bool ParseImportDate(std::string_view text, int32_t format, PackedDate& date);
bool ParseSixDigitDate(std::string_view text, int32_t format, PackedDate& date);
bool ParseSeparatedDate(std::string_view text, int32_t format, PackedDate& date);

}  // namespace vek
