// The text form of Dictionary: reading and writing through the text streams.
#include "foundation/memory/Dictionary.h"

#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextStreams.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

void Dictionary::WriteTo(TextWriter& writer)
{
    for (int32_t i = 0; i < entries.Count(); ++i) {
        const Record* record = RecordAt(i);
        if (record == nullptr)
            continue;
        writer.PutHeapText(record->key);
        writer.PutSeparator();
        writer.PutHeapText(record->value);
        writer.EndRow();
    }
    modified = false;
}

bool Dictionary::SaveToFile(const char* path)
{
    FileTextWriter writer;
    if (!writer.Open(path))
        return false;
    WriteTo(writer);
    return writer.Close();
}

bool Dictionary::ReadFrom(TextReader& reader)
{
    bool complete = true;
    String key;
    String value;
    while (reader.ReadLine()) {
        if (!reader.NextFieldToString(key) || key.IsEmpty())
            continue;
        // Raw, so that a value keeps the blanks it ends in.
        reader.NextFieldRawToString(value);
        if (!SetText(key.CStr(), value.CStr()))
            complete = false;
    }
    modified = false;
    return complete;
}

bool Dictionary::LoadFromFile(const char* path)
{
    bool errorBefore = IsErrorPending();
    FileTextReader reader;
    if (!reader.Open(path))
        return false;
    bool complete = ReadFrom(reader);
    // A read failure ends the lines early; it shows as the pending error the file set.
    return complete && (errorBefore || !IsErrorPending());
}

}  // namespace vek
