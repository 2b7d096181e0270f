// LevelDefinition: the row definition of the hierarchical analyses and its "P" and "K" lines.
#include "analysis/LevelDefinition.h"

#include "analysis/AnalysisCodeLetters.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

namespace {

struct LevelCodeEntry {
    int32_t code;
    char letter;
};

constexpr LevelCodeEntry kLevelCodeLetters[] = {{6, '5'},   {10, 'B'}, {11, 'N'}, {12, 'O'}, {13, 'R'},
                                                {15, 'M'},  {16, 'V'}, {19, 'G'}, {21, 'U'}, {22, 'D'}};
constexpr const char* kLevelDisplayLetters = "CHTNMPR";

}  // namespace

char LevelCodeLetter(int32_t code)
{
    for (const LevelCodeEntry& entry : kLevelCodeLetters) {
        if (entry.code == code)
            return entry.letter;
    }
    return '-';
}

void ParseLevelCodeLetter(int32_t& code, char letter)
{
    // "-" is what the writer puts for a code without a letter: it reads back as no code, so that a
    // stored definition keeps its bytes.
    if (letter == '-') {
        code = 0;
        return;
    }
    for (const LevelCodeEntry& entry : kLevelCodeLetters) {
        if (entry.letter == letter)
            code = entry.code;
    }
}

void LevelDefinition::RemoveRepeatedDimensions()
{
    int32_t kept = 0;
    for (int32_t level = 0; level < levelCount; ++level) {
        bool repeated = false;
        for (int32_t earlier = 0; earlier < kept; ++earlier)
            repeated = repeated || dimension[size_t(earlier)] == dimension[size_t(level)];
        if (repeated)
            continue;
        if (kept != level) {
            size_t to = size_t(kept);
            size_t from = size_t(level);
            dimension[to] = dimension[from];
            depthLimit[to] = depthLimit[from];
            flat[to] = flat[from];
            filter[to] = filter[from];
            levelCode[to] = levelCode[from];
            displayCode[to] = displayCode[from];
        }
        ++kept;
    }
    levelCount = kept;
}

void LevelDefinition::ReadDimensionsLine(TextReader& reader)
{
    int32_t read = 0;
    std::array<int32_t, kMaxLevels> numbers{};
    int32_t n = 0;
    while (read < kMaxLevels && reader.NextFieldInt(n)) {
        if (n < 1 || n > 32)
            break;
        numbers[size_t(read++)] = n - 1;
    }
    if (read == 0)
        return;
    for (int32_t level = 0; level < read; ++level)
        dimension[size_t(level)] = numbers[size_t(level)];
    levelCount = read;
}

void LevelDefinition::WriteDimensionsLine(TextWriter& writer) const
{
    writer.PutChar('P');
    for (int32_t level = 0; level < levelCount; ++level) {
        writer.PutSeparator();
        writer.PutInt(dimension[size_t(level)] + 1);
    }
    writer.EndRow();
}

void LevelDefinition::ReadOptionsLine(TextReader& reader)
{
    for (int32_t level = 0; level < kMaxLevels; ++level) {
        if (!reader.NextFieldRaw())
            return;
        const char* letters = reader.Token();
        int32_t length = reader.TokenLength();
        size_t l = size_t(level);
        if (length > 0) {
            if (letters[0] == 'F')
                flat[l] = 1;
            else if (letters[0] == 'H')
                flat[l] = 0;
        }
        if (length > 1) {
            if (letters[1] == 'U')
                filter[l] = LevelFilter::InUse;
            else if (letters[1] == 'A')
                filter[l] = LevelFilter::All;
            else if (letters[1] == 'Z')
                filter[l] = LevelFilter::NonZero;
        }
        if (length > 2)
            depthLimit[l] = letters[2] >= '1' && letters[2] <= '0' + kMaxDepthLimit ? uint16_t(letters[2] - '0') : 0;
        if (length > 3)
            ParseLevelCodeLetter(levelCode[l], letters[3]);
        if (length > 4)
            ParseLetterOf(kLevelDisplayLetters, displayCode[l], letters[4]);
        if (length > 4 && letters[4] == '-')
            displayCode[l] = -1;
    }
}

void LevelDefinition::WriteOptionsLine(TextWriter& writer) const
{
    writer.PutChar('K');
    for (int32_t level = 0; level < levelCount; ++level) {
        size_t l = size_t(level);
        writer.PutSeparator();
        writer.PutChar(flat[l] != 0 ? 'F' : 'H');
        writer.PutChar(filter[l] == LevelFilter::InUse ? 'U' : filter[l] == LevelFilter::NonZero ? 'Z' : 'A');
        writer.PutChar(depthLimit[l] >= 1 && depthLimit[l] <= kMaxDepthLimit ? uint8_t('0' + depthLimit[l]) : 'A');
        writer.PutChar(uint8_t(LevelCodeLetter(levelCode[l])));
        char display = LetterAt(kLevelDisplayLetters, displayCode[l]);
        writer.PutChar(uint8_t(display != 0 ? display : '-'));
    }
    writer.EndRow();
}

}  // namespace vek
