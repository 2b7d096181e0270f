// Assert: VEK_ASSERT, the check of a programmer's promise, live in Debug and sanitizer builds.
#pragma once

// VEK_ASSERT(condition) stops the program with the condition, file and line on stderr when the
// condition is false. It is for programmer errors only: what input can make false (a bad byte,
// length, date or expression) is reported with a numbered message instead, never asserted.
//
// Live in Debug builds and in every sanitizer build (VEK_SANITIZE); compiled out elsewhere, where the
// condition is not evaluated (but still compiled, so it cannot rot). A condition therefore never has
// an effect the program needs.
#if !defined(NDEBUG) || defined(VEK_SANITIZE)
#define VEK_ASSERTS_ENABLED 1
#else
#define VEK_ASSERTS_ENABLED 0
#endif

#if VEK_ASSERTS_ENABLED
#define VEK_ASSERT(condition) \
    (static_cast<bool>(condition) ? static_cast<void>(0) : ::vek::AssertionFailed(#condition, __FILE__, __LINE__))
#else
#define VEK_ASSERT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#endif

namespace vek {

// Writes "Assertion failed: <condition> (<file>:<line>)" through DebugMessage and aborts.
[[noreturn]] void AssertionFailed(const char* condition, const char* file, int line);

}  // namespace vek
