#include "platform/SystemFacts.h"

#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "foundation/String.h"

namespace vek {

int32_t GetMemoryDetail()
{
    return 0;
}

int32_t GetProcessorCount()
{
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count < 1 ? 1 : static_cast<int32_t>(count);
}

void GetUserNameString(String& out)
{
    out.Truncate(0);
    long wanted = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(wanted > 0 ? static_cast<size_t>(wanted) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        std::string comment = found->pw_gecos ? found->pw_gecos : "";
        std::string fullName = comment.substr(0, comment.find(','));
        out.AssignCStr(!fullName.empty() ? fullName.c_str() : found->pw_name);
    } else if (const char* login = getlogin()) {
        out.AssignCStr(login);
    }
    out.ComposeAccents();
}

void GetComputerNameString(String& out)
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        name[0] = 0;
    out.AssignCStr(name);
}

}  // namespace vek
