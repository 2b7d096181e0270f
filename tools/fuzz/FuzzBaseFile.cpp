// Fuzzes the reading of base files: kind detection over the bytes, then the section reader over
// them as a text base. A text that reads completely holds finite amounts only, and must also save
// stably, even with raw bytes of the input put into its texts: written, read back into a new base and
// written again, it gives the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/format/BaseFileFormat.h"
#include "files/format/BaseFileRecord.h"
#include "files/format/BaseFileType.h"
#include "files/basefiles/BaseFiles.h"
#include "files/sections/BaseSectionReader.h"
#include "files/sections/BaseSectionWriter.h"
#include "files/setups/SaveSettings.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/BaseProtection.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

// Reads the text into the base as a text base of this version; true when it read to "##End".
bool ReadText(Base& base, const char* bytes, int64_t n)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    record.state.kind = kFileText;
    record.state.version = kBaseFileVersion;
    int32_t bom = 0;
    int32_t encoding = DetectCharSet(bytes, int32_t(n < 4000 ? n : 4000), bom);
    // As the file reader does: a text base with a NUL byte is damaged (UTF-16 aside).
    NulByteScan nul;
    if (encoding != 1 && encoding != 2)
        nul.Feed(bytes, n);
    if (nul.Found())
        return false;
    TextReader reader(bytes + bom, n - bom);
    if (encoding >= 0)
        reader.SetEncoding(encoding);
    BaseProtection work(&base);
    FilePath file("/fuzz.vkx");
    bool read = ReadBaseSections(base, reader, file, work);
    ClearError();
    return read;
}

void Write(Base& base, TextWriter& writer)
{
    SaveSettings settings;
    settings.FromBase(base);
    settings.SetFormat(kSaveFormatText);
    base.SetupDimensionOrder();
    WriteBaseSections(base, writer, settings);
    ClearError();
}

// Amounts read are finite: one that is not refuses the file.
void CheckAmounts(const Base& base)
{
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
            for (CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line)) {
                for (int32_t i = 0; i < base.ValueCount(); ++i) {
                    if (!std::isfinite(base.GetLineValue(line, i)))
                        std::abort();
                }
            }
        }
    }
}

// Puts bytes of the input (NUL bytes, tabs, line breaks and all) where the writer must keep its
// fields whole: a card title, a line text, and a new component.
void PutRawTexts(Base& base, const char* input, size_t size)
{
    // Texts in a base are UTF-8 (what comes from outside is decoded first): bytes above 127 become
    // "?", control bytes stay as they are.
    std::string copy(input, size);
    for (char& c : copy) {
        if (static_cast<unsigned char>(c) > 127)
            c = '?';
    }
    const char* bytes = copy.data();
    int32_t n = int32_t(size < 48 ? size : 48);
    if (n == 0)
        return;
    Card* card = base.FirstCard();
    if (card != base.ChainEnd()) {
        SetHeapText(card->title, nullptr);
        card->title = NewHeapTextFromBytes(bytes, n);
        CardGroup* group = base.FirstGroup(card);
        if (CardLine* line = group != nullptr ? base.FirstLine(group) : nullptr)
            line->SetTextField(NewHeapTextFromBytes(bytes + size - size_t(n), n));
    }
    std::string code(bytes, size_t(n < 12 ? n : 12));
    code.resize(std::strlen(code.c_str()));
    // Through the base, which keeps a component's texts by its rules (one line, trimmed, its case).
    std::string text(bytes, size_t(n));
    text.resize(std::strlen(text.c_str()));
    base.AddComponent(1, code.c_str(), text.c_str(), text.c_str());
    base.NotifyChangedDimensions();
    base.FlushCardChanges();
    ClearError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ClearError();
    const char* bytes = reinterpret_cast<const char*>(data);
    BaseFileState state;
    DetectBaseFileTypeInBytes(state, bytes, int64_t(size));

    Base base(FilePath(), 0);
    if (!ReadText(base, bytes, int64_t(size)))
        return 0;
    CheckAmounts(base);
    PutRawTexts(base, bytes, size);
    TextWriter first;
    Write(base, first);
    Base again(FilePath(), 0);
    if (!ReadText(again, first.BufferedBytes().data(), int64_t(first.BufferedBytes().size())))
        std::abort();  // what the program wrote must read back
    TextWriter second;
    Write(again, second);
    if (first.BufferedBytes() != second.BufferedBytes())
        std::abort();
    return 0;
}
