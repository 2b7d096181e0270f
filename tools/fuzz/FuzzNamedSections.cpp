// The base-file sections of time scales, macros, web users and the password, read from any bytes:
// reading must stay inside its input and keep each object's invariants (periods ascending with
// unique starts, labels of at most 63 bytes, no control characters in names and labels), and what
// the objects write must read back into objects that write the same bytes again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/strings/CString.h"
#include "foundation/strings/HeapText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/BaseProtection.h"
#include "model/named/Macro.h"
#include "model/dates/TimeScale.h"
#include "model/named/WebUser.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckCleanText(ConstHeapText text, int32_t limit)
{
    if (text == nullptr)
        return;
    int32_t n = HeapTextLength(text);
    Check(n <= limit);
    for (int32_t i = 0; i < n; ++i)
        Check(uint8_t(text[i]) >= 32);
}

struct Objects {
    TimeScaleList timeScales{nullptr};
    MacroList macros{nullptr};
    WebUserList webUsers{nullptr};
    BaseProtection protection{nullptr};
};

// The dispatch of the base-file reader: section names compared as prefixes without regard to case,
// the line a section reader stopped at looked at again.
void ReadSections(TextReader& reader, Objects& objects)
{
    bool haveLine = reader.ReadLine();
    while (haveLine) {
        String field;
        if (reader.NextFieldToString(field)) {
            const char* marker = field.CStr();
            bool read = true;
            if (CStrStartsWithNoCase(marker, "##Protection"))
                (void)objects.protection.Read(reader);
            else if (CStrStartsWithNoCase(marker, "##WebUsers"))
                objects.webUsers.Read(reader);
            else if (CStrStartsWithNoCase(marker, "##TimeScale"))
                objects.timeScales.ReadSection(reader);
            else if (CStrStartsWithNoCase(marker, "##Macro"))
                objects.macros.ReadSection(reader);
            else
                read = false;
            if (read && reader.LineStart() != nullptr)
                continue;
        }
        haveLine = reader.ReadLine();
    }
}

void CheckInvariants(const Objects& objects)
{
    for (TimeScale* scale = objects.timeScales.First(); scale != nullptr; scale = scale->Next()) {
        CheckCleanText(scale->GetName(), 1 << 20);
        for (int32_t i = 0; i < scale->PeriodCount(); ++i) {
            Check(scale->PeriodStart(i).date != 0);
            if (i > 0)
                Check(CardKeyLess(scale->PeriodStart(i - 1), scale->PeriodStart(i)));
            CheckCleanText(scale->PeriodLabel(i), kMaxPeriodLabelBytes);
        }
    }
    int32_t macros = 0;
    for (Macro* macro = objects.macros.First(); macro != nullptr; macro = macro->Next()) {
        CheckCleanText(macro->GetName(), 1 << 20);
        Check(objects.macros.Find(macro->GetName()) != nullptr || macro->GetName() == nullptr);
        ++macros;
    }
    Check(macros == objects.macros.Count());
    for (int32_t i = 0; i < objects.webUsers.Count(); ++i) {
        const WebUser* user = objects.webUsers.At(i);
        Check(user->name != nullptr);
        CheckCleanText(user->name, 1 << 20);
        CheckCleanText(user->password, 1 << 20);
        if (i > 0)
            Check(CompareTextsNoCaseNullLast(objects.webUsers.At(i - 1)->name, user->name) < 0);
    }
}

std::string WriteSections(Objects& objects)
{
    // Reading puts macros in front; their sorted order is the one both sides share.
    objects.macros.Sort();
    TextWriter writer;
    objects.protection.Write(writer);
    objects.webUsers.WriteSection(writer);
    objects.timeScales.WriteSections(writer);
    objects.macros.WriteSections(writer);
    return std::string(writer.BufferedBytes());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Long texts of 4201 to 4203 bytes ending in the continuation marker are ambiguous in the
    // long-text form itself; inputs stay below that length.
    if (size > 4096)
        return 0;
    ClearError();
    std::vector<char> bytes(data, data + size);
    Objects first;
    TextReader reader(bytes.data(), int64_t(bytes.size()));
    ReadSections(reader, first);
    CheckInvariants(first);
    std::string written = WriteSections(first);

    Objects second;
    TextReader back(written.data(), int64_t(written.size()));
    ReadSections(back, second);
    CheckInvariants(second);
    Check(WriteSections(second) == written);
    return 0;
}
