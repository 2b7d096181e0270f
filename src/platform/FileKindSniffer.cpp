// FileKindSniffer: telling the kind of a file from its first bytes and lines.
#include "platform/FileKindSniffer.h"

#include <string>

#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextStreams.h"
#include "platform/FilePath.h"
#include "platform/ForkFile.h"

namespace vek {

static constexpr int32_t kHeadBytes = 256;
static constexpr int32_t kSniffedLines = 9;
static constexpr char kBullet[] = "\xE2\x80\xA2";  // U+2022

static uint32_t LineFlags(const std::string& line)
{
    uint32_t flags = 0;
    if (CStrStartsWithNoCase(line.c_str(), "##VEK-Text"))
        flags |= kFileKindBaseText;
    std::string bullets = std::string(kBullet) + kBullet + kBullet + "VEK-Text";
    if (CStrStartsWithNoCase(line.c_str(), bullets.c_str()))
        flags |= kFileKindBulletText;
    if (CStrFind(line.c_str(), "#SIETYP") >= 0 || CStrFind(line.c_str(), "#FLAGGA") >= 0)
        flags |= kFileKindSie;
    return flags;
}

uint32_t SniffFileFlags(const FilePath& path)
{
    uint32_t flags = 0;
    ForkFile fork;
    if (fork.OpenForRead(path)) {
        std::string head(static_cast<size_t>(kHeadBytes), '\0');
        head.resize(static_cast<size_t>(fork.Read(head.data(), kHeadBytes)));
        fork.Close();
        if (!head.empty())
            flags |= kFileKindNotEmpty | kFileKindNotApplication;
        if (head.compare(0, 5, "##Uxe") == 0 || head.compare(0, 5, "\x05\x13Uxe") == 0)
            flags |= kFileKindContainer;
        if (head.compare(0, 6, "\xA5\xA5\xA5Uxe") == 0)
            flags |= kFileKindOldContainer;
        FileTextReader reader;
        if (!head.empty() && reader.Open(path.CStr())) {
            for (int32_t line = 0; line < kSniffedLines && reader.ReadLine(); ++line)
                flags |= LineFlags(std::string(reader.LineStart(), static_cast<size_t>(reader.LineLength())));
            reader.Close();
        }
    }
    String extension;
    path.GetExtension(extension);
    if (CStrEqualNoCase(extension.CStr(), "txt"))
        flags |= kFileKindText;
    return flags;
}

bool SniffFileKind(const FilePath& path, uint32_t kindMask)
{
    return (SniffFileFlags(path) & kindMask) != 0;
}

}  // namespace vek
