// FileKindSniffer: the kinds of file the program knows, as flags told from a file's first lines.
#pragma once

#include <cstdint>

namespace vek {

class FilePath;

// The kinds of file the program knows, told from a file's first bytes and lines. Flags:
constexpr uint32_t kFileKindNotEmpty = 1;
constexpr uint32_t kFileKindNotApplication = 2;  // not empty (files carry no application type here)
constexpr uint32_t kFileKindText = 4;            // named *.txt
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

// The flags of a file, known by its extension and content. Text markers are compared without case.
// Lines are read through the library's file text reader, which finds the file's encoding. A file that
// cannot be opened reports 605 and gives only the flags of its name.
uint32_t SniffFileFlags(const FilePath& path);
// Whether the file's flags share a bit with the kind mask.
bool SniffFileKind(const FilePath& path, uint32_t kindMask);

}  // namespace vek
