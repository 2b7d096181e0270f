// SecureRandom: the system's random bytes, read until the span is full.
#include "platform/SecureRandom.h"

#include <cerrno>
#include <sys/random.h>

namespace vek {

bool FillSecureRandom(std::span<uint8_t> bytes)
{
    size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        filled += size_t(got);
    }
    return true;
}

}  // namespace vek
