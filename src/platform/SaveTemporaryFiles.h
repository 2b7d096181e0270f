// SaveTemporaryFiles: the temporary files of saves in progress, removed when the program is ended by a
// signal, and those left by ended processes cleared by the next save to their folder.
#pragma once

#include <cstdint>
#include <string>

namespace vek {

// Every save's temporary file is named ".vek-save-" + the saving process's id + "-" + 8 hex digits,
// in the folder of its target, so that a stale one tells whose it was.
constexpr char kSaveTemporaryPrefix[] = ".vek-save-";

// The name of a new temporary file in `folder` (which ends in "/"), for this process.
std::string MakeSaveTemporaryName(const std::string& folder);

// Removes from `folder` (ending in "/") the temporary files whose process no longer runs. Names of
// other forms, and those of running processes, are left alone.
void RemoveStaleSaveTemporaries(const std::string& folder);

// While registered, a temporary file is removed if SIGTERM or SIGINT ends the program. The table
// is fixed (the handler may not allocate): a save beyond its size goes on unregistered (-1).
int32_t RegisterSaveTemporary(const std::string& path);
void UnregisterSaveTemporary(int32_t slot);

// Installs the handlers of SIGTERM and SIGINT (not where the signal is ignored): each removes the
// registered files, then the signal takes its course as before. Called once at start-up.
void InstallSaveTemporaryCleanup();

}  // namespace vek
