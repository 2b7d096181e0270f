// The keyed lines of a "##SaveSetup" section: reading and writing SaveSettings.
//
// Key (first field)        Fields            Setting
// "F" + N B U T S          -                 format 1, 2, 3, 5, 12
// "FZ" + sign              -                 compress
// "S" + H P W B S I T X D C U M G + sign     the section flags in SaveSection order
// "DF" / "RF"              letters "ACUN"    dimensionSaveMode / sieSaveMode, the first for dimension 1
// "DL"                     letters "CHT"     cardsReferenceMode
// "B" + selection key      as the selection  one keyed line of the card selection (SelectionTexts)
// "CT" + sign              -                 templateLinesOnly
// "G" + G L                -                 filterLevel 1, 2 ("GC", level 0, is never written)
// "TF"                     long text         templateFilterText
// "TO" + sign              -                 openTemplatesOnly
// "M" + n (2-32)           m (2-32) or "-"   dimensionOrder: position n shows dimension m; "-" none
// "RC" "RO" "RN" "RV"      long text         the SIE texts
// "R" + k d v r u + sign   -                 the SIE flags
// "RD" + n (2-32)          number, "K", "-"  sieDimension: 1-50 as is, other numbers 1, "K" -1, "-" 0
// A sign is "+" or "-" directly after the key. Keys are compared with case ("Rd" and "RD" differ).
// Only values that differ from the defaults are written; anything unknown or out of range is skipped.

#include <string>
#include <string_view>

#include "files/setups/SaveSettings.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/Utf8.h"
#include "model/named/NamedObjects.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

namespace {

constexpr std::string_view kSectionLetters = "HPWBSITXDCUMG";
constexpr std::string_view kSaveModeLetters = "ACUN";
constexpr std::string_view kReferenceLetters = "CHT";
constexpr std::string_view kFilterLetters = "CGL";
constexpr std::string_view kSieTextKeys[kSieTextCount] = {"RC", "RO", "RN", "RV"};
constexpr std::string_view kSieFlagLetters = "kdvru";

// A whole field as an integer: an optional "-", then 1 to 9 digits and nothing else.
bool ParseWholeInt(std::string_view text, int32_t& value)
{
    bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty() || text.size() > 9)
        return false;
    int32_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    value = negative ? -number : number;
    return true;
}

// The dimension index of a key's 1-based number n (2-32) after its key letters; -1 for none.
int32_t KeyDimension(std::string_view digits)
{
    int32_t number = 0;
    if (digits.size() > 2 || !ParseWholeInt(digits, number) || digits[0] == '-' || number < 2 || number > int32_t(kDimensionCount))
        return -1;
    return number - 1;
}

std::string_view CurrentField(const TextReader& reader)
{
    return {reader.Token(), size_t(reader.TokenLength())};
}

// Calls set(d, position of the letter in `letters`) for each character of the field, the first for
// dimension 0; a character that is no letter of `letters` leaves its dimension alone.
template <typename Set>
void ReadLetters(TextReader& reader, std::string_view letters, Set&& set)
{
    if (!reader.NextField())
        return;
    std::string_view field = CurrentField(reader);
    int32_t d = -1;
    for (char c : field) {
        if (Utf8IsContinuation(static_cast<uint8_t>(c)))
            continue;
        if (++d >= int32_t(kDimensionCount))
            break;
        size_t at = letters.find(c);
        if (at != std::string_view::npos)
            set(d, int32_t(at));
    }
}

// The letters of the first dimensions up to the last one whose value is not `defaultValue`; empty
// when every value is the default.
template <typename Get>
std::string LettersOf(std::string_view letters, int32_t defaultValue, Get&& get)
{
    int32_t count = 0;
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (get(d) != defaultValue)
            count = d + 1;
    }
    std::string text;
    for (int32_t d = 0; d < count; ++d)
        text.push_back(letters[size_t(get(d))]);
    return text;
}

void WriteKeyOnly(TextWriter& writer, const char* key)
{
    writer.PutText(key);
    writer.EndRow();
}

void WriteLongTextLine(TextWriter& writer, std::string_view key, ConstHeapText text)
{
    if (text == nullptr)
        return;
    writer.PutTextBytes(key.data(), int32_t(key.size()));
    writer.PutSeparator();
    writer.PutLongText(text);
    writer.EndRow();
}

}  // namespace

bool SaveSettings::ReadKeyLine(TextReader& reader, Base* base)
{
    if (!reader.NextField())
        return true;  // an empty line
    std::string_view key = CurrentField(reader);
    if (key.empty())
        return true;  // a line of blanks, or one that starts with a tab
    if (IsSectionMarker(key.data(), int32_t(key.size())))
        return false;
    char second = key.size() > 1 ? key[1] : '\0';
    char sign = key.size() == 3 ? key[2] : '\0';
    switch (key[0]) {
    case 'F':
        if (key.size() == 2) {
            constexpr std::string_view letters = "NBUTS";
            constexpr int32_t formats[] = {kSaveFormatContainerN, kSaveFormatContainerB, kSaveFormatContainerU,
                                           kSaveFormatText, kSaveFormatSie};
            size_t at = letters.find(second);
            if (at != std::string_view::npos)
                format = formats[at];
        } else if (second == 'Z') {
            TextReader::SetFlagFromSign(compress, sign);
        }
        break;
    case 'S': {
        size_t at = kSectionLetters.find(second);
        if (key.size() == 3 && at != std::string_view::npos)
            TextReader::SetFlagFromSign(sections[at], sign);
        break;
    }
    case 'D':
        if (key == "DF")
            ReadLetters(reader, kSaveModeLetters, [this](int32_t d, int32_t mode) { dimensionSaveMode[size_t(d)] = mode; });
        else if (key == "DL")
            ReadLetters(reader, kReferenceLetters, [this](int32_t d, int32_t mode) { cardsReferenceMode[size_t(d)] = mode; });
        break;
    case 'B':
        if (base != nullptr)
            (void)EditCardSelection(*base).ReadKeyLine(key.substr(1), reader);
        break;
    case 'C':
        if (key.size() == 3 && second == 'T')
            TextReader::SetFlagFromSign(templateLinesOnly, sign);
        break;
    case 'G':
        if (key.size() == 2) {
            size_t at = kFilterLetters.find(second);
            if (at != std::string_view::npos && at > 0)
                filterLevel = int32_t(at);
        }
        break;
    case 'T':
        if (key == "TF") {
            HeapText text = nullptr;
            if (reader.NextLongTextField(text))
                SetTemplateFilterText(text);
            SetHeapText(text, nullptr);
        } else if (key.size() == 3 && second == 'O') {
            TextReader::SetFlagFromSign(openTemplatesOnly, sign);
        }
        break;
    case 'M': {
        int32_t position = KeyDimension(key.substr(1));
        if (position < 0 || !reader.NextField())
            break;
        std::string_view value = CurrentField(reader);
        int32_t number = 0;
        if (value == "-")
            dimensionOrder[size_t(position)] = -1;
        else if (ParseWholeInt(value, number))
            SetDimensionOrderEntry(position, number >= 2 && number <= int32_t(kDimensionCount) ? number - 1 : -1);
        break;
    }
    case 'R':
        if (key.size() == 2) {
            for (int32_t i = 0; i < kSieTextCount; ++i) {
                if (key == kSieTextKeys[i]) {
                    HeapText text = nullptr;
                    if (reader.NextLongTextField(text))
                        SetSieText(SieText(i), text);
                    SetHeapText(text, nullptr);
                }
            }
            if (key == "RF")
                ReadLetters(reader, kSaveModeLetters, [this](int32_t d, int32_t mode) { sieSaveMode[size_t(d)] = mode; });
        } else if (key.size() == 3 && kSieFlagLetters.find(second) != std::string_view::npos) {
            TextReader::SetFlagFromSign(sieFlags[kSieFlagLetters.find(second)], sign);
        }
        if (second == 'D') {
            int32_t d = KeyDimension(key.substr(2));
            if (d < 0 || !reader.NextField())
                break;
            std::string_view value = CurrentField(reader);
            int32_t number = 0;
            if (value == "-")
                sieDimension[size_t(d)] = 0;
            else if (value == "K")
                sieDimension[size_t(d)] = kSieAccountDimension;
            else if (ParseWholeInt(value, number))
                sieDimension[size_t(d)] = number >= 1 && number <= kSieMaxDimension ? number : 1;
        }
        break;
    default:
        break;
    }
    return true;
}

void SaveSettings::WriteKeyLines(TextWriter& writer) const
{
    switch (format) {
    case kSaveFormatContainerB: WriteKeyOnly(writer, "FB"); break;
    case kSaveFormatContainerU: WriteKeyOnly(writer, "FU"); break;
    case kSaveFormatText: WriteKeyOnly(writer, "FT"); break;
    case kSaveFormatSie: WriteKeyOnly(writer, "FS"); break;
    default: break;
    }
    if (compress == 0)
        writer.WriteKeyFlagLine("FZ", false);
    for (size_t i = 0; i < sections.size(); ++i) {
        if (sections[i] == 0) {
            const char key[3] = {'S', kSectionLetters[i], '\0'};
            writer.WriteKeyFlagLine(key, false);
        }
    }
    std::string letters = LettersOf(kSaveModeLetters, kSaveModeAll, [this](int32_t d) { return dimensionSaveMode[size_t(d)]; });
    writer.WriteKeyTextLine("DF", letters.c_str());
    letters = LettersOf(kReferenceLetters, kCardsReferenceCode, [this](int32_t d) { return cardsReferenceMode[size_t(d)]; });
    writer.WriteKeyTextLine("DL", letters.c_str());
    if (HasSelection())
        selection->Write(writer, 'B');
    if (templateLinesOnly != 0)
        writer.WriteKeyFlagLine("CT", true);
    if (filterLevel != kFilterCards) {
        const char key[3] = {'G', kFilterLetters[size_t(filterLevel)], '\0'};
        WriteKeyOnly(writer, key);
    }
    WriteLongTextLine(writer, "TF", templateFilterText);
    if (openTemplatesOnly != 0)
        writer.WriteKeyFlagLine("TO", true);
    for (int32_t i = 1; i < int32_t(kDimensionCount); ++i) {
        int32_t entry = dimensionOrder[size_t(i)];
        if (entry == 0)
            continue;
        std::string key = "M" + std::to_string(i + 1);
        std::string value = entry < 0 ? "-" : std::to_string(entry + 1);
        writer.WriteKeyTextLine(key.c_str(), value.c_str());
    }
    // The SIE fields are written whatever the format, so that a setup switched away from SIE and
    // back keeps them.
    for (SieText which : {SieText::RC, SieText::RO, SieText::RV, SieText::RN})
        WriteLongTextLine(writer, kSieTextKeys[size_t(which)], sieTexts[size_t(which)]);
    for (SieFlag which : {SieFlag::Rr, SieFlag::Ru, SieFlag::Rk, SieFlag::Rd, SieFlag::Rv}) {
        if (sieFlags[size_t(which)] == 0) {
            const char key[3] = {'R', kSieFlagLetters[size_t(which)], '\0'};
            writer.WriteKeyFlagLine(key, false);
        }
    }
    letters = LettersOf(kSaveModeLetters, kSaveModeUsedWithAncestors, [this](int32_t d) { return sieSaveMode[size_t(d)]; });
    writer.WriteKeyTextLine("RF", letters.c_str());
    for (int32_t d = 1; d < int32_t(kDimensionCount); ++d) {
        int32_t number = sieDimension[size_t(d)];
        if (number == 0)
            continue;
        std::string key = "RD" + std::to_string(d + 1);
        std::string value = number == kSieAccountDimension ? "K" : std::to_string(number);
        writer.WriteKeyTextLine(key.c_str(), value.c_str());
    }
}

}  // namespace vek
