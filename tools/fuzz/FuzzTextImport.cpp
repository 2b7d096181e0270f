// The record reader of the text import with a setup, both from any bytes. The first two bytes give
// the length of the "##ImportSetup" lines that follow; the rest is the data file. Reading must stay
// inside its buffers, hand out UTF-8 only, end damage with one of its own messages, and the setup
// must write lines that read back into the same settings.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/setups/ImportSetup.h"
#include "files/textimport/TextImportReader.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Service.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/streams/MemoryByteFile.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"

namespace {

using namespace vek;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

ImportSetupSettings ReadSetup(std::string_view text)
{
    TextReader reader(text.data(), int64_t(text.size()));
    ImportSetupSettings settings;
    ReadImportSetupLines(reader, settings, SetupReadContext{});
    return settings;
}

void CheckValue(const std::string& value)
{
    Check(Utf8IsValid(value.data(), int32_t(value.size())));
}

void Exercise(const TextImportReader& reader, const ImportSetupSettings& settings, const FieldDefinition& definition)
{
    std::string value;
    reader.GetText(value, definition);
    CheckValue(value);
    (void)ParseAmount(value, settings.decimalChar);
    reader.GetJoinedText(value, definition, 5);
    CheckValue(value);
    reader.GetTabbedText(value, definition);
    CheckValue(value);
    (void)reader.GetAmountExpression(value, definition, settings.decimalChar);
    CheckValue(value);
    (void)reader.MatchesConstants(definition);
    (void)reader.GetWordsAndMatch(value, definition);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 65536)
        return 0;
    static ByteFileMaker* memoryFiles = &MakeMemoryByteFile;
    static ScopedService<ByteFileMaker> files(memoryFiles);
    ClearError();
    size_t setupLength = (size_t(data[0]) | size_t(data[1]) << 8) % (size - 1);
    std::string_view setupText(reinterpret_cast<const char*>(data) + 2, setupLength);
    std::string_view fileBytes(reinterpret_cast<const char*>(data) + 2 + setupLength, size - 2 - setupLength);

    ImportSetupSettings settings = ReadSetup(setupText);
    TextWriter writer;
    WriteImportSetupLines(writer, settings, nullptr);
    std::string written(writer.BufferedBytes());
    Check(ReadSetup(written) == settings);

    MemoryFiles().Put("/fuzz/data.txt", fileBytes);
    TextImportReader reader(settings);
    if (!reader.Open("/fuzz/data.txt"))
        return 0;
    for (int32_t records = 0; records < 200 && reader.NextRecord(); ++records) {
        if (settings.recordsPerLine > 1 && !reader.JoinRecords(settings.recordsPerLine))
            break;
        Check(reader.CountFields() >= 1);
        for (const FieldDefinition& definition : settings.fields)
            Exercise(reader, settings, definition);
        for (const LineFields& record : settings.lineFields) {
            for (const FieldDefinition& definition : record.dimensions)
                Exercise(reader, settings, definition);
            for (const FieldDefinition& definition : record.amounts)
                Exercise(reader, settings, definition);
        }
        std::string preview;
        reader.PreviewRecord(preview, 200);
        CheckValue(preview);
        reader.PreviewField(preview, 2);
        CheckValue(preview);
    }
    int32_t code = GetPendingError().message.code;
    Check(!IsErrorPending() || code == message::kImportRecordTooLong || code == message::kImportWrongEncoding);
    ClearError();
    return 0;
}
