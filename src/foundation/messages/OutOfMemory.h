// CatchOutOfMemory: where an operation ends when the standard containers below it run out of memory.
#pragma once

#include <new>

#include "foundation/messages/PendingError.h"

namespace vek {

// The one out-of-memory policy for code on standard containers: std::bad_alloc rises to the top of
// the operation (a command, an import, a read, a save, a user action), which runs its work through
// this. The work ends there, the pending error becomes 600 and `failed` is the answer, so that the
// caller rolls back as for any other failure. Nothing below the top of an operation catches it; our
// own containers and the block allocator report failure instead of throwing.
template <class Result, class Work>
Result CatchOutOfMemory(Result failed, Work&& work)
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        SetOutOfMemoryError();
        return failed;
    }
}

}  // namespace vek
