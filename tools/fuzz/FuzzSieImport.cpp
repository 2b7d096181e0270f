// SIE files from outside: the encoding survey, the record tokenizer and the import into a base, then
// what the import made saved as a text base and read back, and exported as SIE and imported again.
// Nothing may be read or written outside its buffer; the base file must give back the same figures
// (cards, lines, sums per account); the export must import again with every line and amount, and
// its import must export to the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "files/format/BaseFileRecord.h"
#include "files/basefiles/BaseFiles.h"
#include "files/sections/BaseSectionWriter.h"
#include "files/setups/SaveSettings.h"
#include "files/sie/SieExport.h"
#include "files/sie/SieImport.h"
#include "files/sie/SieSummary.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/BaseProtection.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

// The base as a text base in memory, as a save writes it.
std::string SaveText(Base& base)
{
    SaveSettings settings;
    settings.FromBase(base);
    settings.SetFormat(kSaveFormatText);
    base.SetupDimensionOrder();
    TextWriter writer;
    WriteBaseSections(base, writer, settings);
    return std::string(writer.BufferedBytes());
}

// Reads a text base of this version that SaveText wrote; false when it did not read to its end.
bool LoadText(Base& base, std::string_view text, const FilePath& file)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    record.state.kind = kFileText;
    record.state.version = kBaseFileVersion;
    TextReader reader(text.data(), int64_t(text.size()));
    BaseProtection protection(&base);
    bool read = ReadBaseSections(base, reader, file, protection);
    return read && !IsErrorPending();
}

std::string Export(Base& base)
{
    SaveSettings settings;
    settings.FromBase(base);
    settings.SetFormat(kSaveFormatSie);
    for (int32_t d = 2; d < 8; ++d)
        settings.SetSieDimension(d, d);
    TextWriter writer;
    SieExport exporter(base, settings, writer, nullptr);
    exporter.WriteSie();
    return std::string(writer.BufferedBytes());
}

struct Figures {
    int32_t cards = 0;
    int32_t lines = 0;
    double magnitude = 0.0;
};

Figures FiguresOf(const Base& base)
{
    Figures figures;
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        ++figures.cards;
        for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
            for (CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line)) {
                double value = base.GetLineValue(line, 0);
                if (!std::isfinite(value))
                    std::abort();  // the import stores finite amounts only
                ++figures.lines;
                figures.magnitude += std::fabs(value);
            }
        }
    }
    return figures;
}

std::string_view WithoutGen(std::string_view text, std::string& buffer)
{
    size_t gen = text.find("#GEN ");
    if (gen == std::string_view::npos)
        return text;
    buffer.assign(text);
    buffer.erase(gen, text.find('\n', gen) - gen);
    return buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ClearError();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FilePath name;
    name.SetFromSystemPath("/fuzz/Bolag.se");
    auto base = std::make_unique<Base>(name, 0);
    if (!ImportSieBytes(*base, bytes, name)) {
        ClearError();
        return 0;
    }
    SieSummary summary = SummarizeSieBase(*base);
    Figures figures = FiguresOf(*base);

    // Saved and read back: the same figures.
    auto reloaded = std::make_unique<Base>(name, 0);
    if (!LoadText(*reloaded, SaveText(*base), name))
        std::abort();  // what the program saved must read back
    if (!(SummarizeSieBase(*reloaded) == summary))
        std::abort();

    // Exported and imported again: every card, line and amount.
    std::string exported = Export(*reloaded);
    if (IsErrorPending()) {
        ClearError();
        return 0;
    }
    auto again = std::make_unique<Base>(name, 0);
    if (!ImportSieBytes(*again, exported, name))
        std::abort();  // what the export writes is an SIE file
    Figures back = FiguresOf(*again);
    if (back.cards != figures.cards || back.lines != figures.lines ||
        std::fabs(back.magnitude - figures.magnitude) > 1e-6 * (1.0 + figures.magnitude))
        std::abort();
    if (SummarizeSieBase(*again).linesWithoutAccount != 0)
        std::abort();  // they went out under the placeholder account
    // And the export of that import is the export itself, but for "#GEN".
    std::string secondExport = Export(*again);
    std::string a;
    std::string b;
    if (!IsErrorPending() && WithoutGen(secondExport, b) != WithoutGen(exported, a))
        std::abort();
    ClearError();
    return 0;
}
