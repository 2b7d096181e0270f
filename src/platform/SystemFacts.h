// SystemFacts: the machine and its user: system and memory codes and their names, the user's and the
// computer's names, the processor count, and the machine's description record.
#pragma once

#include <cstdint>

namespace vek {

class String;

// None of these fails: what cannot be found out gives an empty name or the code 0.

// --- Codes that describe a machine, and their names ---------------------------------------------------

// Names of the codes that describe a machine (an operating system, a memory size, a processor word
// width). An unknown code gives the first row: "Unknown OS", "Unknown mem"; WordWidthName gives null
// outside 1..3. The reverse lookups ignore case and give 0 for an unlisted name.
const char* OsName(int32_t code);
const char* MemorySizeName(int32_t code);
const char* WordWidthName(int32_t code);
int32_t OsCodeFromName(const char* name);
int32_t MemorySizeCodeFromName(const char* name);
int32_t WordWidthCodeFromName(const char* name);
// The memory name, and for a width code of 2 or more ", " and the width name.
void FormatMemoryAndWidth(String& text, int32_t memoryCode, int32_t widthCode);

// The operating-system code of this machine. Linux has the code 17 ("Linux"), added after the codes of
// the systems the program ran on before.
constexpr int32_t kLinuxSystemCode = 17;
int32_t GetSystemVersionCode();
// The installed memory as a MemorySizeName code: 0 below 32 MB, then two codes per doubling
// (32 MB 1, 48 MB 2, 64 MB 3, ...), at most 31 (1 TB).
int32_t GetMemorySizeClass();
int32_t MemorySizeClassOf(int64_t bytes);
// The processor word-width code: 0, not determined.
int32_t GetWordWidthCode();
// Always 0 (no further memory detail is kept).
int32_t GetMemoryDetail();
// Processors online, at least 1.
int32_t GetProcessorCount();

// --- Names ------------------------------------------------------------------------------------------

// The current user's full name (the first field of the account's comment), or the login name when
// the account has none.
void GetUserNameString(String& out);
// The machine's host name.
void GetComputerNameString(String& out);

// The user's login name and the computer's name as NUL-terminated UTF-8 in a 32-byte buffer, cut at
// a whole character.
constexpr int32_t kSystemNameCapacity = 32;
void CopyUserName(char* buffer);
void CopyComputerName(char* buffer);

// --- The machine's description ----------------------------------------------------------------------

// The 68-byte description of the machine.
struct SystemInfo {
    int32_t reserved = 0;
    int32_t bytesInUse = 56;
    int32_t systemVersionCode = 0;
    int32_t memorySizeClass = 0;
    int32_t wordWidthCode = 0;
    int32_t processorCount = 0;
    char userName[kSystemNameCapacity] = {};
    uint8_t padding[12] = {};
};
static_assert(sizeof(SystemInfo) == 68);
void GetSystemInfo(SystemInfo& info);

}  // namespace vek
