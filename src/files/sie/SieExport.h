// SieExport: the SIE export of a base and the messages it reports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/numbers/PackedDate.h"

namespace vek {

class Base;
class FilePath;
class SaveFilter;
class ProgressDisplay;
class SaveSettings;
class TextWriter;
struct Card;
struct Component;

// A component that has no host code and may not be written by its code: @0 its code, @1 the name of
// its dimension. Reported once per component and export.
// Lines without an account: @0 the first voucher that has them, @1 the account they are written
// under, @2 how many lines. Reported once per export.
// Two codes of one dimension that the file's character set writes alike: @0, @1 the codes, @2 the
// dimension's name. Reported once per code.
// Amounts that are not numbers, written as 0: @0 the first voucher, @1 how many lines.
// The account under which lines without one are written (with its name), so that every voucher
// keeps all its lines and balances.
constexpr const char* kSieNoAccountCode = "UTANKONTO";
constexpr const char* kSieNoAccountName = "Rader utan konto";
// The progress step of the vouchers; the dimensions show 33 + their index.
constexpr int32_t kSieDimensionStepBase = 33;

// Writes a base as an SIE 4 file (records "#...", one per line) under the SIE fields of save settings:
// the company texts (RC, RO, RN), the voucher series (RV), which base dimension holds the accounts and
// which become SIE dimensions (sieDimension), which components each writes (sieSaveMode) and which
// parts are written (Rk accounts, Rd dimensions and objects, Rv vouchers, Rr registration dates, Ru
// components without host code by their code).
//
// What is written so that another program reads it as meant, whatever the machine's settings:
// amounts as plain decimals with "." (FormatSieAmount); dates YYYYMMDD; texts in quotes with \" and
// \\ for quotes and backslashes and blanks for control characters, without the blanks at their ends
// that a reader drops; codes quoted when they hold a blank or a special character. A card titled
// "number: text" (as the import titles vouchers) goes out as that voucher number and text; other
// cards get the card's date with a four-digit year followed by its number. So a file exported,
// imported and exported again gives the same bytes (but for "#GEN").
//
// Nothing is dropped or merged silently: lines without an account go out under kSieNoAccountCode,
// amounts that are not numbers as 0, each reported once with a count; codes that the writer's
// character set makes alike are reported. The opening-balance card that the SIE import makes
// (IsSieOpeningBalanceCard; the latest one) goes back out as "#RAR 0" (with the year end the import
// kept) and "#IB 0" records. The writer's encoding and line ends are the caller's (SaveSieFile:
// CP437 to match "#FORMAT PC8", CR LF).
class SieExport {
public:
    // The progress display may be null.
    SieExport(Base& base, const SaveSettings& settings, TextWriter& writer, ProgressDisplay* progress);
    SieExport(const SieExport&) = delete;
    SieExport& operator=(const SieExport&) = delete;

    // The whole file; stops after the record at hand when the cancel flag is set.
    void WriteSie();
    // Its parts: the "#KONTO", "#DIM" and "#OBJEKT" records; the opening balances and the vouchers.
    void WriteSieAccountsAndObjects();
    void WriteSieVouchers();
    // A component's SIE code (host code, or code where allowed), quoted when needed. False, with
    // nothing written, for a component that has no code to write (reported once).
    bool WriteSieComponentCode(int32_t d, const Component& component);

private:
    // Whether the component has a code to write; reports it (once) when it has none, and reports a
    // code that the writer's character set makes alike another one of the dimension.
    bool CanWriteCode(int32_t d, const Component& component);
    // The code the file holds for the component (host code, or code where allowed; trimmed).
    std::string_view SieCode(const Component& component) const;
    void CheckCollision(int32_t d, const Component& component);
    // The account of a line for the records: its component, or null for the placeholder account.
    const Component* LineAccount(uint32_t account);
    void WriteAccountCode(const Component* account);
    void WriteAccountType(const Component& account);
    void ReportTotals();
    void WriteHeader();
    void WriteDimensionRecords(int32_t d, int32_t number);
    void WriteOpeningBalances();
    void WriteVoucher(const Card& card);
    void WriteVoucherNumber(const Card& card);
    void WriteAmount(double value, const Card& card);
    void NoteVoucher(std::string& first, const Card& card);
    // The line's component in d (the group's key for dimension 0).
    uint32_t ComponentOnLine(int32_t d, uint32_t groupKey, const struct CardLine* line) const;
    // The base dimension of an SIE dimension number; -1 when none has it.
    int32_t DimensionOfSieNumber(int32_t number) const;

    Base& base;
    const SaveSettings& settings;
    TextWriter& writer;
    ProgressDisplay* progress;
    int32_t accountDimension = -1;
    const Card* openingCard = nullptr;
    std::vector<bool> reported;  // by component number
    std::vector<bool> checked;   // by component number: looked at for collisions
    // Per dimension: the bytes of each code written, and the component that has them.
    std::vector<std::unordered_map<std::string, uint32_t>> writtenCodes;
    const SaveFilter* filter = nullptr;  // while the vouchers are written: what the selection takes
    bool needsNoAccount = false;  // some voucher line has no account
    int64_t linesWithoutAccount = 0;
    std::string firstWithoutAccount;
    int64_t amountsNotNumbers = 0;
    std::string firstNotNumber;
};

// Eight digits YYYYMMDD; nothing for 0.
void WriteSieDate(TextWriter& writer, PackedDate date);
// A text in quotes as SIE wants it (see SieExport).
void WriteSieQuoted(TextWriter& writer, std::string_view text);

// The SIE variant of saving: writes the file through a temporary file that replaces the target only
// when everything was written (a failed or cancelled export leaves the old file as it was), in CP437
// with CR LF line ends. Null settings: those of the base (SaveSettings::FromBase) as format 12. The
// progress display may be null. False, with the error pending, when the file could not be written or
// the export was stopped.
[[nodiscard]] bool SaveSieFile(Base& base, const FilePath& path, const SaveSettings* settings,
                               ProgressDisplay* progress = nullptr);

}  // namespace vek
