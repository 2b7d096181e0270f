// DebugText: the program's diagnostic output on stderr and the report of a failed assertion.
#include "foundation/messages/DebugText.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/messages/Assert.h"

#include "foundation/strings/Utf8.h"

namespace vek {

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

void AssertionFailed(const char* condition, const char* file, int line)
{
    std::string text = std::string("Assertion failed: ") + condition + " (" + file + ":" + std::to_string(line) + ")";
    DebugMessage(text.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace vek
