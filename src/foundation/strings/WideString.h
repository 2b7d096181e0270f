// WideString: a growable UTF-16 text shaped like String, for the places that want 16-bit text.
#pragma once

#include <cstdint>

namespace vek {

// A growable UTF-16 text shaped like String, for the places that want 16-bit text. The first 111
// units live inside the object; growth is capped at 32500 units. Truncating operations keep what fits
// (never splitting a surrogate pair), refusing ones change nothing. The unit at Length() is always 0.
class WideString {
public:
    static constexpr int32_t kInlineCapacity = 111;
    static constexpr int32_t kGrowthLimit = 32500;

    WideString();
    ~WideString();
    WideString(const WideString&) = delete;
    WideString& operator=(const WideString&) = delete;

    int32_t Length() const { return length; }
    int32_t Capacity() const { return capacity; }
    bool HasHeapBuffer() const { return heap != nullptr; }
    const char16_t* Units() const { return data; }

    // Room for `wanted` units (cut to 32500); returns the units the caller may use, or the current
    // capacity when a new buffer cannot be had. A new buffer holds (wanted + 31) rounded down to a
    // multiple of 4 units.
    int32_t Reserve(int32_t wanted);

    void Assign(const WideString& other);  // truncating
    // One unit per UTF-8 character; null gives the empty text. Bad bytes and characters beyond U+FFFF
    // become U+FFFD. Truncating.
    void AssignUtf8(const char* text);
    void AssignUtf8Bytes(const char* bytes, int32_t n);
    void Append(const WideString& other);  // truncating
    void AppendUtf8(const char* text);  // null ignored; truncating
    void AppendUnit(char16_t unit);  // refusing
    void RemoveAt(int32_t i);  // for 0 <= i < Length()
    // Joins each unit and a following combining mark into the precomposed character where one exists.
    void ComposeAccents();

private:
    void AppendUtf8Bytes(const char* bytes, int32_t n);

    int32_t length = 0;
    int32_t capacity = kInlineCapacity;
    char16_t* data;
    char16_t* heap = nullptr;
    char16_t inlineBuffer[kInlineCapacity + 1];
};

}  // namespace vek
