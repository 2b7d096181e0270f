// "##SaveSetup" sections read from any bytes: reading must stay inside its input and keep the
// settings within their ranges, and what the setups write must read back into setups that write the
// same bytes again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/setups/SaveSetup.h"
#include "foundation/strings/CString.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The base-file reader's dispatch: the section name compared as a prefix without regard to case,
// the line the section reader stopped at looked at again.
void ReadSections(TextReader& reader, SaveSetupList& list)
{
    bool haveLine = reader.ReadLine();
    while (haveLine) {
        String field;
        if (reader.NextFieldToString(field) && CStrStartsWithNoCase(field.CStr(), "##SaveSetup")) {
            list.ReadSection(reader);
            if (reader.LineStart() != nullptr)
                continue;
        }
        haveLine = reader.ReadLine();
    }
}

void CheckInvariants(const SaveSetupList& list)
{
    int32_t count = 0;
    for (const SaveSetup* setup = list.First(); setup != nullptr; setup = setup->Next()) {
        Check(setup->GetName() != nullptr);
        Check(list.Find(setup->GetName()) != nullptr);
        if (setup->Next() != nullptr)
            Check(CompareTextsNoCaseNullLast(setup->GetName(), setup->Next()->GetName()) <= 0);
        const SaveSettings& settings = setup->Settings();
        for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
            Check(settings.DimensionSaveMode(d) >= kSaveModeAll && settings.DimensionSaveMode(d) <= kSaveModeNone);
            Check(settings.SieSaveMode(d) >= kSaveModeAll && settings.SieSaveMode(d) <= kSaveModeNone);
            Check(settings.CardsReferenceMode(d) >= kCardsReferenceCode &&
                  settings.CardsReferenceMode(d) <= kCardsReferenceText);
            Check(settings.DimensionOrderEntry(d) >= -1 && settings.DimensionOrderEntry(d) < int32_t(kDimensionCount));
            Check(settings.SieDimension(d) >= kSieAccountDimension && settings.SieDimension(d) <= kSieMaxDimension);
        }
        Check(settings.FilterLevel() >= kFilterCards && settings.FilterLevel() <= kFilterLines);
        ++count;
    }
    Check(count == list.Count());
}

std::string WriteSections(const SaveSetupList& list)
{
    TextWriter writer;
    list.WriteSections(writer);
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
    SaveSetupList first(nullptr);
    TextReader reader(bytes.data(), int64_t(bytes.size()));
    ReadSections(reader, first);
    CheckInvariants(first);
    std::string written = WriteSections(first);

    SaveSetupList second(nullptr);
    TextReader back(written.data(), int64_t(written.size()));
    ReadSections(back, second);
    CheckInvariants(second);
    Check(WriteSections(second) == written);
    return 0;
}
