// DimImportSetup: reading and writing the "##DimImport" section of a dimension import setup.
//
//   | key          | value                                                      |
//   |--------------|------------------------------------------------------------|
//   | "FX" / "FV"  | fixed positions on / off                                   |
//   | "A" name     | encoding (old files: the letter after "A")                 |
//   | "CB" / "CC"  | count bytes on / off                                       |
//   | "PX" / "PI"  | drop control characters on / off; "PS" the drop characters |
//   | "T", "S"     | terminator, separator (8-bit codes; negative: + 256)       |
//   | "RX" n       | records skipped (0-999)                                    |
//   | "RP" c       | "0"-"8", or "P" for 9                                      |
//   | "RF" n       | zero-pad width 2-8                                         |
//   | "rW" "rX" "rR", "HW" "HX" "HC" "HR" | the "r" and "H" modes               |
//   | "CF" "CT" "CS" | translate from, translate to, skip characters            |
//   | "M"c, "N"c   | structure mode ("CILP"), lookup mode ("CTH")               |
//   | "LC" "LT" "LH" "LP" | code, text, host and structure field definitions    |
//
// The lines "FX" to "S", "RX" and "CF" to "CS" are those of import setups (SetupFields.cpp), but this
// section matches every key by its leading letters ("CBX" reads as "CB") and takes 8-bit codes.
#include "files/setups/DimImportSetup.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "files/format/BaseFileFormat.h"
#include "files/sections/BaseSectionWriter.h"
#include "files/setups/SetupFields.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/named/NamedObjects.h"

namespace vek {

namespace {

constexpr const char* kStructureLetters = "CILP";
constexpr const char* kRModeKeys[] = {"rW", "rX", "rR"};
constexpr const char* kHModeKeys[] = {"HW", "HX", "HC", "HR"};

// One line of the setup's own keys; false when it is passed over.
bool ReadDimKey(TextReader& reader, std::string_view key, DimImportSettings& settings, bool oldForm)
{
    char first = key[0];
    char second = key.size() >= 2 ? key[1] : '\0';
    int32_t value = 0;
    switch (first) {
    case 'H':
        for (int32_t i = 0; i < 4; ++i) {
            if (key == kHModeKeys[i]) {
                settings.hMode = i;
                return true;
            }
        }
        return false;
    case 'r':
        for (int32_t i = 0; i < 3; ++i) {
            if (key == kRModeKeys[i]) {
                settings.rMode = i;
                return true;
            }
        }
        return false;
    case 'L':
        if (second == 'C' || second == 'T' || second == 'H' || second == 'P') {
            FieldDefinition& definition = second == 'C'   ? settings.codeField
                                          : second == 'T' ? settings.textField
                                          : second == 'H' ? settings.hostField
                                                          : settings.structureField;
            definition.Read(reader, oldForm);
            return true;
        }
        return false;
    case 'M':
    case 'N': {
        const char* letters = first == 'M' ? kStructureLetters : kLookupLetters;
        const char* found = second != '\0' ? std::strchr(letters, second) : nullptr;
        if (found == nullptr)
            return false;
        (first == 'M' ? settings.structureMode : settings.lookupMode) = int32_t(found - letters);
        return true;
    }
    case 'R':
        if (second == 'P') {
            char letter = '\0';
            if (!reader.NextFieldChar(letter))
                return false;
            if (letter == 'P')
                settings.rpValue = 9;
            else if (letter >= '0' && letter <= '8')
                settings.rpValue = letter - '0';
            else
                return false;
            return true;
        }
        if (second == 'F') {
            if (!NextSetupFieldNumber(reader, value) || value < 2 || value > 8)
                return false;
            settings.zeroPad = value;
            return true;
        }
        return false;
    default:
        return false;
    }
}

}  // namespace

DimImportSetup::DimImportSetup(Base& owner, int32_t d) : base(owner), dimension(d) {}

DimImportSetup::~DimImportSetup() = default;

DimImportSetup* DimImportSetup::Of(Base& base, int32_t d)
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return nullptr;
    if (auto* setup = dynamic_cast<DimImportSetup*>(base.FindDimensionImportSetup(d)))
        return setup;
    auto made = std::make_unique<DimImportSetup>(base, d);
    DimImportSetup* result = made.get();
    base.SetDimensionImportSetup(d, std::move(made));
    return result;
}

const DimImportSetup* DimImportSetup::Find(const Base& base, int32_t d)
{
    return dynamic_cast<const DimImportSetup*>(base.FindDimensionImportSetup(d));
}

void DimImportSetup::Read(TextReader& reader, const SetupReadContext& context)
{
    settings.Reset();
    if (context.oldDropControl)
        settings.dropControlChars = false;
    ReadSetupSectionLines(
        reader, context,
        [&](std::string_view key) {
            return ReadImportReaderKey(reader, key, settings, kDimImportSetupKeyForm) ||
                   ReadDimKey(reader, key, settings, context.oldFieldForm);
        },
        nullptr);
    settings.codeField.Normalise();
    settings.textField.Normalise();
    settings.hostField.Normalise();
    // Only the structure modes "L" and "P" take the structure from a field.
    if (settings.structureMode == 2 || settings.structureMode == 3)
        settings.structureField.Normalise();
    else
        settings.structureField.Clear();
    base.HandleChange(ChangeRecord(kChangeDimImportRead, &base, DimImportPayload{this}));
}

void DimImportSetup::Write(TextWriter& writer) const
{
    PutSectionMarker(writer, BaseFileSection::DimImport);
    writer.PutSeparator();
    writer.PutInt(dimension + 1);
    writer.EndRow();
    // "T" and "S" are 8-bit codes in this section.
    WriteImportReaderHead(writer, settings, kDimImportSetupKeyForm);
    if (settings.skipRecords != 0)
        WriteSetupKeyNumber(writer, "RX", settings.skipRecords);
    if (settings.rpValue == 9) {
        writer.PutText("RP");
        writer.PutSeparator();
        writer.PutText("P");
        writer.EndRow();
    } else if (settings.rpValue >= 1 && settings.rpValue <= 8) {
        WriteSetupKeyNumber(writer, "RP", settings.rpValue);
    }
    if (settings.zeroPad != 0)
        WriteSetupKeyNumber(writer, "RF", settings.zeroPad);
    WriteSetupKey(writer, kRModeKeys[settings.rMode]);
    WriteSetupKey(writer, kHModeKeys[settings.hMode]);
    WriteImportReaderTranslation(writer, settings);
    char modeKey[3] = {'M', kStructureLetters[settings.structureMode], '\0'};
    WriteSetupKey(writer, modeKey);
    modeKey[0] = 'N';
    modeKey[1] = kLookupLetters[settings.lookupMode];
    WriteSetupKey(writer, modeKey);
    settings.codeField.Write(writer, "LC");
    settings.textField.Write(writer, "LT");
    settings.hostField.Write(writer, "LH");
    settings.structureField.Write(writer, "LP");
    writer.EndRow();
}

}  // namespace vek
