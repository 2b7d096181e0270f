#pragma once

#include <cstdint>

namespace vek {

class String;

// Facts of the machine beyond the codes and 32-byte names that the foundation's platform utilities
// give (GetSystemVersionCode, GetMemorySizeClass, CopyUserName, CopyComputerName): the names as whole
// texts and the processor count. None of them fails: what cannot be found out gives an empty name.

// The current user's full name (the first field of the account's comment), or the login name when
// the account has none.
void GetUserNameString(String& out);
// The machine's host name.
void GetComputerNameString(String& out);
// Always 0 (no further memory detail is kept).
int32_t GetMemoryDetail();
// Processors online, at least 1.
int32_t GetProcessorCount();

}  // namespace vek
