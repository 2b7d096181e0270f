// DebugText: the program's diagnostic output on stderr, as plain ASCII.
#pragma once

#include <cstdint>

namespace vek {

// The program's diagnostic output (also the assertions' of Assert.h), on stderr: the text as at most 250 characters of plain ASCII
// ("Ä", "Ö", "ä", "ö" become "A", "O", "a", "o", any other character above 127 becomes ".").
void DebugMessage(const char* text);
// The converted text as a length-byte string: out[0] the length, then the bytes (251 bytes at most).
constexpr int32_t kDebugTextLimit = 250;
void MakeDebugText(const char* text, uint8_t* out);

}  // namespace vek
