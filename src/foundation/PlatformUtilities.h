#pragma once

#include <pthread.h>

#include <cstdint>

namespace vek {

class String;

// Small services over the operating system and the processor that the rest of the program uses
// instead of calling the system directly. The current local date and time (GetCurrentDateTime) is
// declared with DateTime and written here.

// --- Time -------------------------------------------------------------------------------------------

// The monotonic event clock in seconds (not related to the time of day).
double EventTime();
// The event clock in milliseconds; every time-out and rate limit compares such counts.
int64_t CurrentTimeMs();
// The event clock in ticks of 1/60 s.
int64_t TickCount();
// A deadline given in ticks, on the millisecond clock: CurrentTimeMs() + 16 * (deadline - TickCount()).
int64_t TickDeadlineToMs(int64_t deadlineTicks);

// Start-up: remembers the difference between the local time (in seconds since the day-number epoch of
// DateTime) and the event clock, so that event times can be turned into local times.
void SetEventTimeOrigin();
// An event time as local seconds since the day-number epoch (valid after SetEventTimeOrigin).
double EventTimeToLocalSeconds(double eventTime);

// Flushes the front window's drawing, then sleeps until `ms` milliseconds have passed since `startMs`
// (a CurrentTimeMs value); Delay counts from now.
void Delay(int64_t ms);
void DelaySince(int64_t ms, int64_t startMs);

// --- Threads ----------------------------------------------------------------------------------------

using ThreadFunction = void (*)(void* argument);
// Runs function(argument) on a new detached thread and returns its id; 0 when no thread could be
// started (the function is then not called).
pthread_t StartDetachedThread(ThreadFunction function, void* argument);

// --- Numbers ----------------------------------------------------------------------------------------

// 0 zero, 1 positive, 2 negative, 3 above 1e308, 4 below -1e308, 5 not a number.
int32_t ClassifyDouble(double x);
// 1.0 for positive values, -1.0 for negative ones, 0.0 for zero and not-a-number.
double SignOf(double x);
// 1 when a > b, -1 when a < b; a NaN sorts after every number, two NaNs are equal.
int32_t CompareDoubles(double a, double b);
// 10^n: from a table for -15 <= n <= 15 (10^(15 + n) * 1e-15 for negative n), else pow(10, n).
double PowerOfTen(int32_t n);
// The power of ten of the leading digit of x (1 gives 0, 999 gives 2, 0.05 gives -2); 0 for a value
// that is not positive and finite.
int32_t DecimalExponent(double x);
// floor(log2 n) for n >= 2; 0 for 0, 1 and negative n.
int32_t FloorLog2(int32_t n);
int32_t FloorLog2Int64(int64_t n);
// The process-wide random unit: seed = fmod(seed * 75, 2147483647), returning seed / 2147483647, in
// (0, 1). SeedRandomUnit seeds it from the tick counter at start-up; a seed that would make the
// sequence stick at 0 is taken as 1.
double RandomUnit();
void SeedRandomUnit();
void SetRandomUnitSeed(double seed);
// Reverse the bytes at p in place.
void SwapBytes16(void* p);
void SwapBytes32(void* p);

// --- Memory -----------------------------------------------------------------------------------------

// n <= 0 does nothing (MemCompare gives 0).
void MemZero(void* p, int32_t n);
void MemFill(void* p, int32_t n, uint8_t byte);
void MemSwap(void* a, void* b, int32_t n);
// -1, 0 or 1 by the first differing byte, taken as unsigned.
int32_t MemCompare(const void* a, const void* b, int32_t n);

// --- The system -------------------------------------------------------------------------------------

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
// The user's and the computer's name as NUL-terminated UTF-8 in a 32-byte buffer, cut at a whole
// character; empty when the system does not tell.
constexpr int32_t kSystemNameCapacity = 32;
void CopyUserName(char* buffer);
void CopyComputerName(char* buffer);

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

// --- Diagnostics ------------------------------------------------------------------------------------

// The program's assertion output, on stderr: the text as at most 250 characters of plain ASCII
// ("Ä", "Ö", "ä", "ö" become "A", "O", "a", "o", any other character above 127 becomes ".").
void DebugMessage(const char* text);
// The converted text as a length-byte string: out[0] the length, then the bytes (251 bytes at most).
constexpr int32_t kDebugTextLimit = 250;
void MakeDebugText(const char* text, uint8_t* out);

}  // namespace vek
