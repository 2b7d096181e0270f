// SieImport: reading an SIE file into a new base, with its messages and the texts of what it makes.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "foundation/numbers/PackedDate.h"

namespace vek {

class Base;
class FilePath;
struct Card;

// The base dimension that holds the company of an SIE file (its "#FNAMN"), whose components key
// the groups of the cards.
constexpr int32_t kSieCompanyDimension = 0;

// Messages of the SIE import. Damage met while reading is reported at the end of the import, one
// message per kind: @0 the file, @1 the line of the first case, @2 what it found there, @3 how many
// lines of the file have that damage.
// Texts of what the import makes. The opening-balance card is titled "IB" for the reader; it is
// known by its first stamp, which carries the code below and the last day of the financial year.
constexpr const char* kSieOpeningBalanceTitle = "IB";
constexpr const char* kSieOpeningBalanceStamp = "#IB";

// SIE 4 import: turns the chart of accounts, the SIE dimensions and objects, the opening balances
// of the current year ("#IB" with index 0) and the vouchers of an SIE file into components, cards
// and lines of a base.
//
//   base dimension   holds
//   0 (the groups)   the company, the group key of every imported line
//   1                the accounts under the classes "K", "I", "T", "S"; code = class + number,
//                    host code = the SIE account number
//   2, 3, ...        the SIE dimensions in order of appearance ("#UNDERDIM" shares its parent's),
//                    then "Serie"/"Serier" when vouchers carry a series
//
// Each "#VER" becomes a card at its date (the next free number of the day) titled "number: text";
// each of its "#TRANS" records a line with the account, the objects, the series, the amount as the
// first value and the transaction text. The opening balances go on one card titled "IB" dated the
// day before the financial year (IsSieOpeningBalanceCard). Accounts and objects that the file uses
// without declaring them are made (without a name) rather than dropped, and a file without "#FNAMN"
// gets a company named after the file, so that no amount of the file is lost. Other records are
// skipped.
//
// What cannot be imported as it stands is imported as far as it can be and reported (see the
// messages above): amounts that are not finite numbers are never stored, dates that are no calendar
// dates are never moved to a neighbouring day, codes never hold what a base file cannot write, and
// no code of the file is merged with another one by the base's code rules.
//
// The reader of file kind 12: reads the file into the base as it goes. False when the file cannot
// be read, is not an SIE file (message 3830), or the work was stopped (cancel flag or a pending
// error); what was read stays in the base then, and the caller undoes it (ImportSieFile).
[[nodiscard]] bool ImportSie(Base& base, const FilePath& path);

// The same over SIE bytes in memory; `name` stands for the file in messages and names the company
// of a file without one.
[[nodiscard]] bool ImportSieBytes(Base& base, std::string_view bytes, const FilePath& name);

// Imports an SIE file into an open base as one step: on failure the base is rolled back to what it
// held before (cards, components and the dimension names the import set), and the pending error
// says why.
[[nodiscard]] bool ImportSieFile(Base& base, const FilePath& path);

// A new base (taking the file's path, as a base opened from any file does) holding the SIE file;
// null, with the error pending, when the file cannot be read or is not an SIE file.
std::unique_ptr<Base> OpenSieFileAsNewBase(const FilePath& path);

// The card on which the import keeps the opening balances (the export writes it back as "#IB"),
// known by the stamp the import gives it, never by a title a user can type.
bool IsSieOpeningBalanceCard(const Card& card);
// The last day of the financial year that the opening balances open; 0 when the file named none.
PackedDate SieOpeningBalanceYearEnd(const Card& card);

}  // namespace vek
