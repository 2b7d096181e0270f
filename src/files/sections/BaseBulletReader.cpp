// The older bullet-marked base text (read only). Its sections, each marked by three bullets "•••"
// (U+2022, read from the system code page) in place of "##":
//
//   | marker               | read as                                                                |
//   |----------------------|------------------------------------------------------------------------|
//   | "•••VEK-Text"        | nothing (the header line)                                              |
//   | "•••Password" TAB p  | "##Protection"                                                         |
//   | "•••DBSettings"      | "##BaseOptions"                                                        |
//   | "•••ImportSetup" TAB n| "##ImportSetup" (kept)                                                 |
//   | "•••CustomPeriods" TAB n | "##TimeScale"                                                      |
//   | "•••Dim" c TAB singular TAB plural TAB display text | dimension c - 49 ("1" the first, "P"   |
//   |                      | the 32nd): "-" option lines, then code TAB text TAB host code          |
//   | "•••Cards"           | "-D", "-LN", "C" and "G" as in "##Cards"; "L" + component of dimension |
//   |                      | 2 TAB text TAB amount TAB components of dimensions 3..32; "N" + notes  |
//   |                      | text; "S" + stamp 1 TAB stamp 2 TAB stamp 3 TAB stamp 4 TAB notes stamp |
//   | "•••Templates"       | "##Templates" (a definition starts "T" + kind letter, not "#")         |
//   | "•••Defaults"        | "##Defaults" (likewise)                                                |
//   | "•••Commands"        | "##Commands"                                                           |
//   | "•••End"             | the end                                                                |
//
// Notes come in "N" lines: the first sets them, each further one is appended after a carriage
// return, except after a line of 251 characters (the most one line held), which the next continues.
#include "files/sections/BaseSectionReader.h"

#include <cstring>

#include "files/format/BaseFileFormat.h"
#include "files/format/BaseFileLog.h"
#include "files/format/BaseFileRecord.h"
#include "files/format/BaseFileType.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/services/Clock.h"
#include "foundation/streams/TextReader.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "model/named/NamedObjects.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

constexpr std::string_view kBullets = "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2";
constexpr std::string_view kBullet = "\xE2\x80\xA2";
// A notes line of this many characters ("N" included) was full: the next one continues it.
constexpr int32_t kFullNotesLine = 251;
// "•••Dim" + c: the dimension is the code of c less this.
constexpr int32_t kDimensionCharBase = 49;

bool StartsWithBulletBytes(const char* p, int32_t n, std::string_view prefix)
{
    return n >= int32_t(prefix.size()) && std::memcmp(p, prefix.data(), prefix.size()) == 0;
}

int32_t CountBulletCharacters(const char* p, int32_t n)
{
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i)
        count += (static_cast<unsigned char>(p[i]) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

double BulletAmount(const char* text, int32_t n)
{
    if (n <= 0)
        return 0.0;
    double value = BytesToDouble(text, n);
    return value == value ? value : 0.0;
}

}  // namespace

SectionReadResult BaseSectionReader::ReadBulletSections()
{
    if (!Importing())
        record.Info().SetText(BaseFileInfo::programVersion, OldVersionName());
    bool haveLine = reader.ReadLine();
    while (haveLine) {
        if (Stopped())
            return SectionReadResult::stopped;
        reader.RestartLine();
        if (!reader.NextField() || !StartsWithBulletBytes(reader.Token(), reader.TokenLength(), kBullets)) {
            haveLine = reader.ReadLine();
            continue;
        }
        std::string_view name(reader.Token() + kBullets.size(), size_t(reader.TokenLength()) - kBullets.size());
        if (StartsWithAsciiNoCase(name, "End"))
            return Finish(SectionReadResult::complete);
        if (StartsWithAsciiNoCase(name, "VEK-Text") || name.empty()) {
            haveLine = reader.ReadLine();
            continue;
        }
        if (StartsWithAsciiNoCase(name, "Password")) {
            ReadProtection();
        } else if (StartsWithAsciiNoCase(name, "DBSettings")) {
            ReadBaseOptions();
        } else if (StartsWithAsciiNoCase(name, "ImportSetup")) {
            KeepBulletSection(BaseFileSection::ImportSetup);
        } else if (StartsWithAsciiNoCase(name, "CustomPeriods")) {
            ReadTimeScale();
        } else if (StartsWithAsciiNoCase(name, "Dim")) {
            ReadBulletDimension(name.substr(3));
        } else if (StartsWithAsciiNoCase(name, "Cards")) {
            ReadCardsSection(CardsForm::Bullet);
        } else if (StartsWithAsciiNoCase(name, "Templates")) {
            ReadTemplates();
        } else if (StartsWithAsciiNoCase(name, "Defaults")) {
            ReadDefaults();
        } else if (StartsWithAsciiNoCase(name, "Commands")) {
            if (Importing()) {
                base.LogOperation("commands section", nullptr, kLogSkipped);
                SkipSection();
            } else {
                record.openDirect = false;
                KeepBulletSection(BaseFileSection::Commands);
            }
        } else {
            ReportSkippedSection(message::kUnknownSection, name);
            SkipSection();
        }
        if (Stopped())
            return GetPendingError().message.code == message::kBaseFileDamaged ? SectionReadResult::damaged
                                                                            : SectionReadResult::stopped;
        haveLine = reader.LineStart() != nullptr;
    }
    if (Stopped())
        return SectionReadResult::stopped;
    return FinishIncomplete();
}

void BaseSectionReader::ReadBulletDimension(std::string_view rest)
{
    int32_t d = rest.empty() ? -1 : static_cast<unsigned char>(rest[0]) - kDimensionCharBase;
    if (d < 0 || d >= int32_t(kDimensionCount)) {
        String name;
        name.AssignCStr("Dim");
        name.AppendBytes(rest.data(), int32_t(rest.size()));
        ReportSkippedSection(message::kDimensionOutOfRange, {name.CStr(), size_t(name.Length())});
        SkipSection();
        return;
    }
    Dimension& dimension = base.GetDimension(d);
    String text;
    if (reader.NextFieldToString(text) && !text.IsEmpty())
        dimension.SetSingularName(text.CStr());
    if (reader.NextFieldToString(text) && !text.IsEmpty())
        dimension.SetPluralName(text.CStr());
    if (reader.NextFieldToString(text) && !text.IsEmpty())
        dimension.SetDisplayText(text.CStr());
    ReadDimensionLines(d);
}

void BaseSectionReader::KeepBulletSection(BaseFileSection section)
{
    KeptSection keeping;
    keeping.section = section;
    // The marker of today, then what followed the bullet marker on its line.
    reader.RestartLine();
    (void)reader.NextFieldRaw();
    const char* afterMarker = reader.Token() + reader.TokenLength();
    std::string first(SectionMarker(section));
    first.append(afterMarker, size_t(reader.LineEnd() - afterMarker));
    if (section == BaseFileSection::ImportSetup) {
        String name;
        String key;
        reader.NextFieldToString(name);
        if (NameLookupKey(name.CStr(), name.Length(), key))
            keeping.name.assign(key.CStr(), size_t(key.Length()));
    }
    keeping.lines.push_back(std::move(first));
    while (!Stopped() && reader.ReadLine()) {
        const char* p = reader.LineStart();
        int32_t n = reader.LineLength();
        if (StartsWithBulletBytes(p, n, kBullet) || AtSectionMarker())
            break;
        keeping.lines.emplace_back(p, size_t(n));
    }
    base.LogOperation("kept section", keeping.lines.front().c_str(), kLogReading);
    kept.Add(std::move(keeping));
}

bool BaseSectionReader::StartsWithBullet(const char* p, int32_t n)
{
    return StartsWithBulletBytes(p, n, kBullet);
}

bool BaseSectionReader::ReadBulletCardsLine(const char* p, int32_t n)
{
    switch (p[0]) {
    case 'N':
        ReadBulletNotes({p, size_t(n)});
        return true;
    case 'S':
        if (card != nullptr) {
            // Stamps end in a user code, which may end in a blank: their fields are taken raw.
            static constexpr int32_t kSlots[] = {kStampCreated, kStampModified, kStampSignatureE,
                                                 kStampSignatureP, kStampNotes};
            (void)reader.NextFieldRaw();
            card->stamps[kSlots[0]].Parse(reader.Token() + 1, reader.TokenLength() - 1);
            for (int32_t i = 1; i < 5; ++i) {
                if (reader.NextFieldRaw())
                    card->stamps[kSlots[i]].Parse(reader.Token(), reader.TokenLength());
                else
                    card->stamps[kSlots[i]].Clear();
            }
        }
        return true;
    default:
        break;
    }
    if (!reader.NextField())
        return true;
    std::string_view key(reader.Token(), size_t(reader.TokenLength()));
    switch (key[0]) {
    case '-':
        return ReadCardsOption(key);
    case 'C': {
        bool ok = ReadCardLine(key);
        bulletNotesLength = -1;
        return ok;
    }
    case 'G':
        return ReadGroupLine(key);
    case 'L':
        return ReadBulletLine(key);
    default:
        return true;
    }
}

void BaseSectionReader::ReadBulletNotes(std::string_view line)
{
    if (card == nullptr || skippingCard)
        return;
    String notes;
    if (bulletNotesLength >= 0 && card->notes != nullptr) {
        notes.AssignBytes(card->notes, HeapTextLength(card->notes));
        if (bulletNotesLength != kFullNotesLine)
            notes.AppendChar('\r');
    }
    notes.AppendBytes(line.data() + 1, int32_t(line.size() - 1));
    SetHeapText(card->notes, notes.CStr());
    bulletNotesLength = CountBulletCharacters(line.data(), int32_t(line.size()));
}

bool BaseSectionReader::ReadBulletLine(std::string_view key)
{
    if (skippingCard)
        return true;
    if (card == nullptr) {
        ReportDamage(message::kBaseFileDamaged);
        return false;
    }
    uint32_t numbers[kLineSlotCount];
    for (int32_t slot = 0; slot < kLineSlotCount; ++slot)
        numbers[slot] = uint32_t(slot + 1);
    numbers[0] = ResolveReference(1, key.data() + 1, int32_t(key.size() - 1));
    HeapText text = nullptr;
    reader.NextLongTextField(text);
    double values[kValueFieldCount] = {};
    if (reader.NextField())
        values[0] = BulletAmount(reader.Token(), reader.TokenLength());
    for (int32_t slot = 1; slot < kLineSlotCount && reader.NextField(); ++slot) {
        if (reader.TokenLength() > 0)
            numbers[slot] = ResolveReference(slot + 1, reader.Token(), reader.TokenLength());
    }
    if (IsErrorPending()) {
        SetHeapText(text, nullptr);
        return false;
    }
    return AddCardLine(values, numbers, text);
}

}  // namespace vek
