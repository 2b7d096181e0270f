// SystemFacts: the user and computer names, memory size class, processor count and system codes.
#include "platform/SystemFacts.h"

#include <pwd.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

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

// The account the program runs as, read once per question from the user database; the login from
// the environment when the database does not know the account.
struct Account {
    std::string login;
    std::string fullName;  // the first field of the account's comment; may be empty
};

Account CurrentAccount()
{
    Account account;
    long wanted = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(wanted > 0 ? static_cast<size_t>(wanted) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        account.login = found->pw_name ? found->pw_name : "";
        std::string comment = found->pw_gecos ? found->pw_gecos : "";
        account.fullName = comment.substr(0, comment.find(','));
    }
    if (account.login.empty()) {
        const char* login = getlogin();
        if (!login || !*login)
            login = std::getenv("USER");
        account.login = login ? login : "";
    }
    return account;
}

}  // namespace

// --- Codes that describe a machine, and their names ---------------------------------------------------

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

int32_t GetMemoryDetail() { return 0; }

int32_t GetProcessorCount()
{
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count < 1 ? 1 : static_cast<int32_t>(count);
}

// --- Names ------------------------------------------------------------------------------------------

void GetUserNameString(String& out)
{
    Account account = CurrentAccount();
    out.AssignCStr(!account.fullName.empty() ? account.fullName.c_str() : account.login.c_str());
    out.ComposeAccents();
}

void GetComputerNameString(String& out)
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        name[0] = 0;
    out.AssignCStr(name);
}

void CopyUserName(char* buffer) { CStrCopyLimited(buffer, kSystemNameCapacity, CurrentAccount().login.c_str()); }

void CopyComputerName(char* buffer)
{
    String name;
    GetComputerNameString(name);
    CStrCopyLimited(buffer, kSystemNameCapacity, name.CStr());
}

// --- The machine's description ----------------------------------------------------------------------

void GetSystemInfo(SystemInfo& info)
{
    info = SystemInfo();
    info.systemVersionCode = GetSystemVersionCode();
    info.memorySizeClass = GetMemorySizeClass();
    info.wordWidthCode = GetWordWidthCode();
    info.processorCount = GetProcessorCount();
    CopyUserName(info.userName);
}

}  // namespace vek
