#include "foundation/PlatformUtilities.h"

#include <pwd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "foundation/BlockAllocator.h"
#include "foundation/CString.h"
#include "foundation/DateTime.h"
#include "foundation/DisplayServices.h"
#include "foundation/String.h"
#include "foundation/Utf8.h"

namespace vek {

namespace {

// The difference between local seconds since the day-number epoch and the event clock.
double eventTimeOrigin = 0.0;

constexpr double kRandomModulus = 2147483647.0;
double randomSeed = 1.0;

constexpr double kPowersOfTen[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

constexpr const char* kOsNames[] = {
    "Unknown OS",  "Mac OS 7",    "Mac OS 8-9",  "Mac OS X",    "Windows 9x",    "Windows NT4",
    "Windows 2000", "Windows XP", "Windows Vista", "Mac OS 10.3", "Mac OS 10.4", "Mac OS 10.5",
    "Mac OS 10.6", "Mac OS 10.7", "Mac OS 10.8", "Mac OS 10.9", "Windows Seven",
    // Codes up to 16 are those that existing statistics and pages already carry; 17 is ours for Linux.
    "Linux",
};
constexpr const char* kMemorySizeNames[] = {
    "Unknown mem", "32 MB",  "48 MB",  "64 MB",  "96 MB",  "128 MB", "192 MB", "256 MB",
    "384 MB",      "512 MB", "768 MB", "1 GB",   "1.5 GB", "2 GB",   "3 GB",   "4 GB",
    "6 GB",        "8 GB",   "12 GB",  "16 GB",  "24 GB",  "32 GB",  "48 GB",  "64 GB",
    "96 GB",       "128 GB", "192 GB", "256 GB", "384 GB", "512 GB", "768 GB", "1 TB",
};
constexpr const char* kWordWidthNames[] = {nullptr, "32 bits", "32/64 bits", "64 bits"};

template <size_t N>
const char* NameOfCode(const char* const (&names)[N], int32_t code)
{
    return code >= 0 && size_t(code) < N ? names[code] : names[0];
}

template <size_t N>
int32_t CodeOfName(const char* const (&names)[N], const char* name)
{
    if (!name)
        return 0;
    for (size_t code = 1; code < N; ++code) {
        if (CStrEqualNoCase(names[code], name))
            return int32_t(code);
    }
    return 0;
}

struct ThreadStartBlock {
    ThreadFunction function;
    void* argument;
};

void* ThreadTrampoline(void* raw)
{
    auto* block = static_cast<ThreadStartBlock*>(raw);
    ThreadFunction function = block->function;
    void* argument = block->argument;
    MemFree(block);
    function(argument);
    return nullptr;
}

}  // namespace

// --- Time -------------------------------------------------------------------------------------------

double EventTime()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

int64_t CurrentTimeMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int64_t TickCount()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 60 + int64_t(now.tv_nsec) * 60 / 1000000000;
}

int64_t TickDeadlineToMs(int64_t deadlineTicks) { return CurrentTimeMs() + 16 * (deadlineTicks - TickCount()); }

void GetCurrentDateTime(DateTime& dateTime)
{
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    dateTime.year = int16_t(local.tm_year + 1900);
    dateTime.month = int16_t(local.tm_mon + 1);
    dateTime.day = int16_t(local.tm_mday);
    dateTime.hour = int16_t(local.tm_hour);
    dateTime.minute = int16_t(local.tm_min);
    dateTime.second = int16_t(local.tm_sec > 59 ? 59 : local.tm_sec);  // a leap second is not a DateTime
    dateTime.kind = DateTimeKind::Second;
}

void SetEventTimeOrigin()
{
    DateTime now;
    GetCurrentDateTime(now);
    eventTimeOrigin = now.ToSeconds() - EventTime();
}

double EventTimeToLocalSeconds(double eventTime) { return eventTime + eventTimeOrigin; }

void Delay(int64_t ms) { DelaySince(ms, CurrentTimeMs()); }

void DelaySince(int64_t ms, int64_t startMs)
{
    FlushFrontWindow();
    while (true) {
        int64_t remaining = ms - (CurrentTimeMs() - startMs);
        if (remaining <= 0)
            return;
        timespec pause{};
        pause.tv_sec = time_t(remaining / 1000);
        pause.tv_nsec = long(remaining % 1000) * 1000000;
        nanosleep(&pause, nullptr);
    }
}

// --- Threads ----------------------------------------------------------------------------------------

pthread_t StartDetachedThread(ThreadFunction function, void* argument)
{
    auto* block = static_cast<ThreadStartBlock*>(MemAlloc(int32_t(sizeof(ThreadStartBlock))));
    if (!block)
        return pthread_t();
    block->function = function;
    block->argument = argument;
    pthread_t thread{};
    if (pthread_create(&thread, nullptr, ThreadTrampoline, block) != 0) {
        MemFree(block);
        return pthread_t();
    }
    pthread_detach(thread);
    return thread;
}

// --- Numbers ----------------------------------------------------------------------------------------

int32_t ClassifyDouble(double x)
{
    if (std::isnan(x))
        return 5;
    if (x > 1e308)
        return 3;
    if (x < -1e308)
        return 4;
    if (x > 0.0)
        return 1;
    if (x < 0.0)
        return 2;
    return 0;
}

double SignOf(double x)
{
    if (x > 0.0)
        return 1.0;
    if (x < 0.0)
        return -1.0;
    return 0.0;
}

int32_t CompareDoubles(double a, double b)
{
    if (a > b)
        return 1;
    if (a < b)
        return -1;
    bool aNan = std::isnan(a);
    bool bNan = std::isnan(b);
    if (aNan && !bNan)
        return 1;
    if (bNan && !aNan)
        return -1;
    return 0;
}

double PowerOfTen(int32_t n)
{
    if (n >= 0 && n <= 15)
        return kPowersOfTen[n];
    if (n < 0 && n >= -15)
        return kPowersOfTen[15 + n] * 1e-15;
    return std::pow(10.0, double(n));
}

int32_t DecimalExponent(double x)
{
    // Infinity would never leave the dividing loop.
    if (!(x > 0.0) || std::isinf(x))
        return 0;
    int32_t e = 0;
    while (x >= 1e8) {
        x /= 1e8;
        e += 8;
    }
    while (x >= 1e4) {
        x /= 1e4;
        e += 4;
    }
    while (x >= 100.0) {
        x /= 100.0;
        e += 2;
    }
    while (x >= 10.0) {
        x /= 10.0;
        e += 1;
    }
    while (x < 1e-7) {
        x *= 1e8;
        e -= 8;
    }
    while (x < 1e-3) {
        x *= 1e4;
        e -= 4;
    }
    while (x < 0.1) {
        x *= 100.0;
        e -= 2;
    }
    while (x < 1.0) {
        x *= 10.0;
        e -= 1;
    }
    return e;
}

int32_t FloorLog2(int32_t n) { return n < 2 ? 0 : 31 - __builtin_clz(uint32_t(n)); }

int32_t FloorLog2Int64(int64_t n) { return n < 2 ? 0 : 63 - __builtin_clzll(uint64_t(n)); }

void SetRandomUnitSeed(double seed)
{
    double reduced = std::isfinite(seed) ? std::fmod(std::fabs(std::trunc(seed)), kRandomModulus) : 0.0;
    randomSeed = reduced == 0.0 ? 1.0 : reduced;
}

void SeedRandomUnit()
{
    double first = double(TickCount());
    double second = double(TickCount());
    SetRandomUnitSeed(first * 425420.0 + second);
}

double RandomUnit()
{
    randomSeed = std::fmod(randomSeed * 75.0, kRandomModulus);
    return randomSeed / kRandomModulus;
}

void SwapBytes16(void* p)
{
    auto* bytes = static_cast<uint8_t*>(p);
    std::swap(bytes[0], bytes[1]);
}

void SwapBytes32(void* p)
{
    auto* bytes = static_cast<uint8_t*>(p);
    std::swap(bytes[0], bytes[3]);
    std::swap(bytes[1], bytes[2]);
}

// --- Memory -----------------------------------------------------------------------------------------

void MemZero(void* p, int32_t n)
{
    if (n > 0)
        std::memset(p, 0, size_t(n));
}

void MemFill(void* p, int32_t n, uint8_t byte)
{
    if (n > 0)
        std::memset(p, byte, size_t(n));
}

void MemSwap(void* a, void* b, int32_t n)
{
    auto* x = static_cast<uint8_t*>(a);
    auto* y = static_cast<uint8_t*>(b);
    for (int32_t i = 0; i < n; ++i)
        std::swap(x[i], y[i]);
}

int32_t MemCompare(const void* a, const void* b, int32_t n)
{
    if (n <= 0)
        return 0;
    int result = std::memcmp(a, b, size_t(n));
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

// --- The system -------------------------------------------------------------------------------------

const char* OsName(int32_t code) { return NameOfCode(kOsNames, code); }
const char* MemorySizeName(int32_t code) { return NameOfCode(kMemorySizeNames, code); }
const char* WordWidthName(int32_t code) { return NameOfCode(kWordWidthNames, code); }
int32_t OsCodeFromName(const char* name) { return CodeOfName(kOsNames, name); }
int32_t MemorySizeCodeFromName(const char* name) { return CodeOfName(kMemorySizeNames, name); }
int32_t WordWidthCodeFromName(const char* name) { return CodeOfName(kWordWidthNames, name); }

void FormatMemoryAndWidth(String& text, int32_t memoryCode, int32_t widthCode)
{
    text.AssignCStr(MemorySizeName(memoryCode));
    if (widthCode >= 2) {
        text.AppendCStr(", ");
        text.AppendCStr(WordWidthName(widthCode));
    }
}

int32_t GetSystemVersionCode() { return kLinuxSystemCode; }

int32_t MemorySizeClassOf(int64_t bytes)
{
    constexpr int64_t kMegabyte = 1024 * 1024;
    constexpr int32_t kLastCode = 31;
    int32_t code = 0;
    // Code k starts at 32 MB * 2^((k - 1) / 2), and half as much again for even k.
    for (int32_t k = 1; k <= kLastCode; ++k) {
        int64_t start = (k % 2 == 1 ? 32 : 48) * kMegabyte << ((k - 1) / 2);
        if (bytes < start)
            break;
        code = k;
    }
    return code;
}

int32_t GetMemorySizeClass()
{
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return MemorySizeClassOf(int64_t(pages) * pageSize);
}

int32_t GetWordWidthCode() { return 0; }

void CopyUserName(char* buffer)
{
    const char* name = nullptr;
    passwd entry{};
    passwd* found = nullptr;
    char scratch[1024];
    if (getpwuid_r(geteuid(), &entry, scratch, sizeof scratch, &found) == 0 && found)
        name = found->pw_name;
    if (!name || !*name)
        name = std::getenv("USER");
    CStrCopyLimited(buffer, kSystemNameCapacity, name);
}

void CopyComputerName(char* buffer)
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        name[0] = 0;
    CStrCopyLimited(buffer, kSystemNameCapacity, name);
}

void GetSystemInfo(SystemInfo& info)
{
    info = SystemInfo();
    info.systemVersionCode = GetSystemVersionCode();
    info.memorySizeClass = GetMemorySizeClass();
    info.wordWidthCode = GetWordWidthCode();
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    info.processorCount = processors > 0 ? int32_t(processors) : 1;
    CopyUserName(info.userName);
}

// --- Diagnostics ------------------------------------------------------------------------------------

void MakeDebugText(const char* text, uint8_t* out)
{
    int32_t length = 0;
    const char* p = text ? text : "";
    while (*p && length < kDebugTextLimit) {
        uint32_t c = Utf8NextChar(p);
        char plain;
        switch (c) {
        case 0xC4: plain = 'A'; break;  // Ä
        case 0xD6: plain = 'O'; break;  // Ö
        case 0xE4: plain = 'a'; break;  // ä
        case 0xF6: plain = 'o'; break;  // ö
        default: plain = c > 127 ? '.' : char(c); break;
        }
        out[1 + length++] = uint8_t(plain);
    }
    out[0] = uint8_t(length);
}

void DebugMessage(const char* text)
{
    uint8_t converted[1 + kDebugTextLimit];
    MakeDebugText(text, converted);
    std::fwrite(converted + 1, 1, converted[0], stderr);
    std::fputc('\n', stderr);
}

}  // namespace vek
