// Field definitions and the defaults of import and dimension import settings.
//
// A field definition on its line (after the key), one item a tab-separated field:
//
//   | item      | meaning                                                        |
//   |-----------|----------------------------------------------------------------|
//   | "F" n     | field number 1-1023                                            |
//   | "B" n     | first position 1-4095                                          |
//   | "E" n     | last position 1-4095                                           |
//   | "T" text  | constant text                                                  |
//   | "S" text  | suffix                                                         |
//   | "+"       | the next part starts ("+" n, n above 31: character n is first  |
//   |           | appended to the current part's suffix)                         |
//
// Old form (files before 19961213): field, begin, end as three numbers, then the constant text.
#include "files/setups/ImportSetupSettings.h"

#include <charconv>

#include "foundation/strings/Utf8.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

namespace {

// A whole decimal number (an optional "-" and at most 9 digits) in `out`; false for anything else.
bool ParseSettingNumber(const char* bytes, int32_t n, int32_t& out)
{
    if (n <= 0 || n > 10)
        return false;
    const char* end = bytes + n;
    auto [ptr, error] = std::from_chars(bytes, end, out);
    return error == std::errc() && ptr == end;
}

void TakeRanged(int32_t& target, const char* bytes, int32_t n, int32_t low, int32_t high)
{
    int32_t value = 0;
    if (ParseSettingNumber(bytes, n, value) && value >= low && value <= high)
        target = value;
}

void PutItem(TextWriter& writer, char letter, const std::string& value)
{
    writer.PutSeparator();
    writer.PutRawChar(uint8_t(letter));
    writer.PutTextBytes(value.data(), int32_t(value.size()));
}

void PutNumberItem(TextWriter& writer, char letter, int32_t value)
{
    writer.PutSeparator();
    writer.PutRawChar(uint8_t(letter));
    writer.PutInt(value);
}

}  // namespace

void FieldDefinition::Normalise()
{
    std::vector<FieldSpec> kept;
    kept.reserve(parts.size());
    for (FieldSpec& part : parts) {
        if (part.IsEmpty())
            continue;
        bool onlySuffix = part.field == 0 && part.begin == 0 && part.end == 0 && part.text.empty();
        if (onlySuffix) {
            // A suffix with no part before it has nothing to follow.
            if (!kept.empty())
                kept.back().suffix += part.suffix;
            continue;
        }
        kept.push_back(std::move(part));
    }
    parts = std::move(kept);
}

void FieldDefinition::Read(TextReader& reader, bool oldForm)
{
    parts.clear();
    parts.emplace_back();
    if (oldForm) {
        FieldSpec& part = parts.back();
        int32_t* targets[3] = {&part.field, &part.begin, &part.end};
        const int32_t highs[3] = {FieldSpec::kMaxField, FieldSpec::kMaxPosition, FieldSpec::kMaxPosition};
        for (int32_t i = 0; i < 3; ++i) {
            if (!reader.NextField())
                break;
            TakeRanged(*targets[i], reader.Token(), reader.TokenLength(), 1, highs[i]);
        }
        if (reader.NextFieldRaw())
            part.text.assign(reader.Token(), size_t(reader.TokenLength()));
        Normalise();
        return;
    }
    while (reader.NextFieldRaw()) {
        const char* item = reader.Token();
        int32_t n = reader.TokenLength();
        if (n < 1)
            continue;
        FieldSpec& part = parts.back();
        switch (item[0]) {
        case 'F':
            TakeRanged(part.field, item + 1, n - 1, 1, FieldSpec::kMaxField);
            break;
        case 'B':
            TakeRanged(part.begin, item + 1, n - 1, 1, FieldSpec::kMaxPosition);
            break;
        case 'E':
            TakeRanged(part.end, item + 1, n - 1, 1, FieldSpec::kMaxPosition);
            break;
        case 'T':
            part.text.assign(item + 1, size_t(n - 1));
            break;
        case 'S':
            part.suffix.assign(item + 1, size_t(n - 1));
            break;
        case '+': {
            int32_t code = 0;
            if (ParseSettingNumber(item + 1, n - 1, code) && code > 31 && code <= 0xFFFF) {
                char bytes[4];
                part.suffix.append(bytes, size_t(Utf8EncodeChar(bytes, uint32_t(code))));
            }
            parts.emplace_back();
            break;
        }
        default:
            break;
        }
    }
    Normalise();
}

void FieldDefinition::Write(TextWriter& writer, const char* key) const
{
    if (parts.empty())
        return;
    writer.PutText(key);
    bool first = true;
    for (const FieldSpec& part : parts) {
        if (part.IsEmpty())
            continue;
        if (!first) {
            writer.PutSeparator();
            writer.PutRawChar('+');
        }
        first = false;
        if (part.field != 0)
            PutNumberItem(writer, 'F', part.field);
        if (part.begin != 0)
            PutNumberItem(writer, 'B', part.begin);
        if (part.end != 0)
            PutNumberItem(writer, 'E', part.end);
        if (!part.text.empty())
            PutItem(writer, 'T', part.text);
        if (!part.suffix.empty())
            PutItem(writer, 'S', part.suffix);
    }
    writer.EndRow();
}

LineFields::LineFields()
{
    factors.fill(1.0);
    lookup.fill(ComponentLookup::ByHost);
    notFound.fill(NotFoundAction::Generated);
}

bool LineFields::IsEmpty() const
{
    for (const FieldDefinition& definition : dimensions) {
        if (!definition.IsEmpty())
            return false;
    }
    for (const FieldDefinition& definition : amounts) {
        if (!definition.IsEmpty())
            return false;
    }
    return lineText.IsEmpty();
}

DimImportSettings::DimImportSettings()
{
    FieldDefinition* defaults[] = {&codeField, &textField, &hostField};
    for (int32_t i = 0; i < 3; ++i) {
        defaults[i]->parts.emplace_back();
        defaults[i]->parts.back().field = i + 1;
    }
}

}  // namespace vek
