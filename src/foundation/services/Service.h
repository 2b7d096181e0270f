// Service<T>: the one way a lower layer reaches an implementation that a higher layer registers.
#pragma once

#include <atomic>

#include "foundation/messages/Assert.h"

namespace vek {

// A process-wide service whose interface T a lower layer declares and a higher layer implements (the
// display, the clipboard, the clock, the files of the text streams...). Each layer registers its real
// implementations in its registration function, which the start-up function calls before anything
// else runs; until then, and in every run without the higher layer, Get answers with the headless
// implementation, which the interface's own source defines by specializing Headless:
//
//     template <> ClipboardService& Service<ClipboardService>::Headless() { ... }
//
// and which its header declares next to the interface, so that no caller instantiates it unseen.
// T may also be a function type (a maker of objects), whose pointer is then what is registered.
//
// Registering is meant for start-up and for tests (ScopedService); the pointer is atomic so that a
// background thread that asks for a service never reads a torn value.
template <class T>
class Service {
public:
    // Registers the implementation (null returns to the headless one). The caller keeps the object
    // alive while it is registered.
    static void Register(T* implementation) { registered.store(implementation, std::memory_order_release); }
    // The registered implementation, or the headless one.
    static T& Get()
    {
        T* implementation = registered.load(std::memory_order_acquire);
        return implementation != nullptr ? *implementation : Headless();
    }
    // The registered implementation; null while the headless one serves.
    static T* Registered() { return registered.load(std::memory_order_acquire); }
    // The implementation without the higher layer.
    static T& Headless();

private:
    static inline std::atomic<T*> registered{nullptr};
};

// Registers a replacement (a test's fake) for its lifetime and then puts back whatever was registered
// before, so that one test's fake never leaks into the next.
template <class T>
class ScopedService {
public:
    explicit ScopedService(T* replacement) : previous(Service<T>::Registered()), replacement(replacement)
    {
        Service<T>::Register(replacement);
    }
    ~ScopedService()
    {
        // Replacements end in the reverse order of their start; otherwise this would put back a
        // service whose replacement is still alive.
        VEK_ASSERT(Service<T>::Registered() == replacement);
        Service<T>::Register(previous);
    }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    T* previous;
    T* replacement;
};

}  // namespace vek
