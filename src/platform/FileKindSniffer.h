#pragma once

#include <cstdint>

namespace vek {

class FilePath;

// The kinds of file the program knows, told from a file's first bytes and lines. Flags:
constexpr uint32_t kFileKindNotEmpty = 1;
constexpr uint32_t kFileKindNotApplication = 2;  // not empty, and not typed as an application
constexpr uint32_t kFileKindText = 4;            // typed "TEXT" or "UTF8", or named *.txt
constexpr uint32_t kFileKindContainer = 8;       // begins with "##Uxe", or 05 13 "Uxe"
constexpr uint32_t kFileKindBaseText = 16;       // one of the first 9 lines begins with "##VEK-Text"
constexpr uint32_t kFileKindOldContainer = 32;   // begins with A5 A5 A5 "Uxe"
constexpr uint32_t kFileKindBulletText = 64;     // one of the first 9 lines begins with "•••VEK-Text"
constexpr uint32_t kFileKindSie = 128;           // one of the first 9 lines holds "#SIETYP" or "#FLAGGA"
// The masks the open dialogs use.
constexpr uint32_t kFileKindsAny = 1;
constexpr uint32_t kFileKindsNoApplications = 2;
constexpr uint32_t kFileKindsText = 4;
constexpr uint32_t kFileKindsBaseAndInterchange = 248;

// The flags of a file. `type` and `creator` are the four-character codes known for it (0 for none):
// "TEXT" and "UTF8" add 4, "APPL" and the creator "MACS" remove 2. Text markers are compared without
// case. Lines are read through the library's file text reader, which finds the file's encoding. A file
// that cannot be opened reports 605 and gives 0.
uint32_t SniffFileFlags(const FilePath& path, uint32_t type, uint32_t creator);
// Whether the file's flags share a bit with the kind mask.
bool SniffFileKind(const FilePath& path, uint32_t type, uint32_t creator, uint32_t kindMask);

}  // namespace vek
