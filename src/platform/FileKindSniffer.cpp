#include "platform/FileKindSniffer.h"

#include <cstring>
#include <string>

#include "foundation/CString.h"
#include "foundation/String.h"
#include "foundation/Utf8.h"
#include "platform/FilePath.h"
#include "platform/ForkFile.h"

namespace vek {

static constexpr int32_t kHeadBytes = 256;
static constexpr int32_t kSniffedLines = 9;
// The nine lines are looked for in this much of the file.
static constexpr int64_t kLineSampleBytes = 16384;
static constexpr char kBullet[] = "\xE2\x80\xA2";  // U+2022
static constexpr uint8_t kMacRomanBullet = 0xA5;

// The sample as UTF-8 text: UTF-16 after its byte-order mark, UTF-8 as it is, other bytes as Mac Roman
// as far as the markers go (its bullet byte becomes U+2022; the markers are otherwise ASCII).
static std::string SampleAsUtf8(const std::string& bytes)
{
    auto fromUtf16 = [&](bool littleEndian) {
        std::string out;
        const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data()) + 2;
        const uint8_t* end = reinterpret_cast<const uint8_t*>(bytes.data()) + bytes.size();
        while (end - p >= 2) {
            char16_t unit = littleEndian ? NextUtf16LeUnit(p) : NextUtf16BeUnit(p);
            char encoded[4];
            out.append(encoded, static_cast<size_t>(Utf8EncodeChar(encoded, unit)));
        }
        return out;
    };
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE)
        return fromUtf16(true);
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF)
        return fromUtf16(false);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return bytes.substr(3);
    if (Utf8Classify(bytes.data(), static_cast<int32_t>(bytes.size())) != 1)
        return bytes;
    std::string out;
    for (char c : bytes) {
        if (static_cast<uint8_t>(c) == kMacRomanBullet)
            out += kBullet;
        else if (c != 0)
            out.push_back(c);
    }
    return out;
}

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

uint32_t SniffFileFlags(const FilePath& path, uint32_t type, uint32_t creator)
{
    uint32_t flags = 0;
    ForkFile fork;
    if (fork.OpenForRead(path)) {
        std::string sample(static_cast<size_t>(kLineSampleBytes), '\0');
        sample.resize(static_cast<size_t>(fork.Read(sample.data(), kLineSampleBytes)));
        fork.Close();
        std::string head = sample.substr(0, kHeadBytes);
        if (!head.empty())
            flags |= kFileKindNotEmpty | kFileKindNotApplication;
        if (head.compare(0, 5, "##Uxe") == 0 || head.compare(0, 5, "\x05\x13Uxe") == 0)
            flags |= kFileKindContainer;
        if (head.compare(0, 6, "\xA5\xA5\xA5Uxe") == 0)
            flags |= kFileKindOldContainer;
        std::string text = SampleAsUtf8(sample);
        size_t at = 0;
        for (int32_t line = 0; line < kSniffedLines && at < text.size(); ++line) {
            size_t end = text.find_first_of("\r\n", at);
            if (end == std::string::npos)
                end = text.size();
            std::string content = text.substr(at, end - at);
            content.resize(strnlen(content.c_str(), content.size()));
            flags |= LineFlags(content);
            at = end + ((text.compare(end, 2, "\r\n") == 0) ? 2 : 1);
        }
    }
    if (type == kFileTypeText || type == kFileTypeUtf8Text)
        flags |= kFileKindText;
    if (type == FourCharCode("APPL") || creator == FourCharCode("MACS"))
        flags &= ~kFileKindNotApplication;
    String extension;
    path.GetExtension(extension);
    if (CStrEqualNoCase(extension.CStr(), "txt"))
        flags |= kFileKindText;
    return flags;
}

bool SniffFileKind(const FilePath& path, uint32_t type, uint32_t creator, uint32_t kindMask)
{
    return (SniffFileFlags(path, type, creator) & kindMask) != 0;
}

}  // namespace vek
