#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace vek {

class Base;
class FilePath;
struct Card;

// Texts of what the import makes.
constexpr const char* kSieOpeningBalanceTitle = "IB";

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
// day before the financial year. Accounts and objects that the file uses without declaring them
// are made (without a name) rather than dropped, and a file without "#FNAMN" gets a company named
// after the file, so that no amount of the file is lost. Other records are skipped.
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

// The card on which the import keeps the opening balances (the export writes it back as "#IB").
bool IsSieOpeningBalanceCard(const Card& card);

}  // namespace vek
