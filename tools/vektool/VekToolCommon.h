// What every vek-tool command shares: command-line paths, opening a base, reporting a failure, printing sums.
#pragma once

#include "model/base/Base.h"
#include "platform/FilePath.h"

#include <cstdint>
#include <memory>
#include <span>

namespace vektool {

// The arguments after the command word.
using Arguments = std::span<char* const>;

// The pending error's text on stderr (a generic line naming `what` and `path` when none is pending);
// returns exit status 1.
int ReportFailure(const char* what, const char* path);

// A path given on the command line is taken against the current folder, as a shell user means it.
vek::FilePath CommandLinePath(const char* text);

// Closes a base that OpenBaseFile opened.
struct BaseCloser {
    void operator()(vek::Base* base) const;
};
using OpenedBase = std::unique_ptr<vek::Base, BaseCloser>;

// A new base holding the file, whose kind detection tells (an SIE file is imported, a base file read).
// The password (may be null) answers the question of a file that has one.
OpenedBase LoadFile(const vek::FilePath& path, const char* password = nullptr);

// Arguments that fit no form of the command: a line on stderr; returns exit status 2.
int ReportUsage();

// The one base that a command of the form "COMMAND FILE [--password TEXT]" names. Null, with the exit
// status in `status`, after the usage or the failure (reported with `verb`) is printed.
OpenedBase OpenOnlyBase(Arguments& arguments, const char* verb, int& status);

// Takes a trailing option (its name, e.g. "--selection", and a text) off the arguments: the text, or
// null when they end otherwise.
const char* TakeOption(Arguments& arguments, const char* name);
// Takes a trailing "--password TEXT" off the arguments: the text, or null when they end otherwise.
const char* TakePassword(Arguments& arguments);

// Two decimals with "." whatever the locale; a sum that rounds to zero prints as 0.00.
void PrintAmount(double value);

// A sum with the decimals of its column (0-6; a full-precision column in general form).
void PrintColumnSum(double value, int32_t decimals);

}  // namespace vektool
