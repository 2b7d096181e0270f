#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/PackedDate.h"

namespace vek {

class Base;
class FilePath;
class ProgressDisplay;
class SaveSettings;
class TextWriter;
struct Card;
struct Component;

// The progress steps of the dimensions: 33 + their index (the vouchers show text::kCards).
constexpr int32_t kSieDimensionStepBase = 33;

// Writes a base as an SIE 4 file (records "#...", one per line) under the SIE fields of save settings:
// the company texts (RC, RO, RN), the voucher series (RV), which base dimension holds the accounts and
// which become SIE dimensions (sieDimension), which components each writes (sieSaveMode) and which
// parts are written (Rk accounts, Rd dimensions and objects, Rv vouchers, Rr registration dates, Ru
// components without host code by their code).
//
// What is written so that another program reads it as meant, whatever the machine's settings:
// amounts with "." and two decimals, no grouping; dates YYYYMMDD; voucher numbers the card's date
// with a four-digit year followed by its number; texts in quotes with \" and \\ for quotes and
// backslashes and blanks for control characters; codes quoted when they hold a blank or a special
// character. The opening-balance card that the SIE import makes (IsSieOpeningBalanceCard; the latest
// one) goes back out as "#RAR 0" and "#IB 0" records, so that a file exported and imported again has
// the same vouchers and balances. The writer's encoding and line ends are the caller's (SaveSieFile:
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
    // Whether the component has a code to write; reports it (once) when it has none.
    bool CanWriteCode(int32_t d, const Component& component);
    void WriteHeader();
    void WriteDimensionRecords(int32_t d, int32_t number);
    void WriteOpeningBalances();
    void WriteVoucher(const Card& card);
    void WriteVoucherNumber(const Card& card);
    void WriteAmount(double value);
    // The line's component in d (the group's key for dimension 0).
    uint32_t ComponentOnLine(int32_t d, uint32_t groupKey, const struct CardLine* line) const;
    // The base dimension of an SIE dimension number; -1 when none has it.
    int32_t DimensionOfSieNumber(int32_t number) const;
    bool IsAccountWritable(uint32_t account);

    Base& base;
    const SaveSettings& settings;
    TextWriter& writer;
    ProgressDisplay* progress;
    int32_t accountDimension = -1;
    const Card* openingCard = nullptr;
    std::vector<bool> reported;  // by component number
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
