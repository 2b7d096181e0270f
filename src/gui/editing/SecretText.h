// SecretText: a byte string that wipes every buffer it gives up, for text that may be a password.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vek {

// Zeroes a buffer so that the compiler cannot drop the stores as dead.
void WipeBytes(void* bytes, size_t n);

// Hands out memory like std::allocator and wipes it before giving it back.
template <class T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <class U>
    WipingAllocator(const WipingAllocator<U>&) {}
    T* allocate(size_t n) { return std::allocator<T>().allocate(n); }
    void deallocate(T* p, size_t n)
    {
        WipeBytes(p, n * sizeof(T));
        std::allocator<T>().deallocate(p, n);
    }
    friend bool operator==(const WipingAllocator&, const WipingAllocator&) { return true; }
};

// The string a growing edit text lives in: a buffer left behind by growth is wiped by the allocator,
// the inline (short-string) buffer and the last heap buffer by Wipe and the destructor.
class SecretText {
public:
    using Bytes = std::basic_string<char, std::char_traits<char>, WipingAllocator<char>>;

    SecretText() = default;
    ~SecretText() { Wipe(); }
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;

    // Zeroes the whole capacity, then empties the text.
    void Wipe();
    void Assign(std::string_view text);
    void Replace(size_t at, size_t count, std::string_view with);

    std::string_view View() const { return {bytes.data(), bytes.size()}; }
    size_t Size() const { return bytes.size(); }
    char operator[](size_t i) const { return bytes[i]; }

private:
    Bytes bytes;
};

}  // namespace vek
