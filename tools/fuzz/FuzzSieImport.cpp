// SIE files from outside: the encoding survey, the record tokenizer and the import into a base, then
// the export of what was imported and the import of that export. Nothing may be read or written
// outside its buffer, and the export of an import must import again.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "files/SaveSettings.h"
#include "files/SieExport.h"
#include "files/SieImport.h"
#include "files/SieSummary.h"
#include "foundation/PendingError.h"
#include "foundation/TextWriter.h"
#include "model/Base.h"
#include "platform/FilePath.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vek;
    ClearError();
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FilePath name;
    name.SetFromSystemPath("/fuzz/Bolag.se");
    auto base = std::make_unique<Base>(name, 0);
    if (!ImportSieBytes(*base, bytes, name)) {
        ClearError();
        return 0;
    }
    SummarizeSieBase(*base);

    SaveSettings settings;
    settings.FromBase(*base);
    settings.SetFormat(kSaveFormatSie);
    for (int32_t d = 2; d < 8; ++d)
        settings.SetSieDimension(d, d);
    TextWriter writer;
    SieExport exporter(*base, settings, writer, nullptr);
    exporter.WriteSie();
    if (IsErrorPending()) {
        ClearError();
        return 0;
    }
    std::string exported(writer.BufferedBytes());
    auto again = std::make_unique<Base>(name, 0);
    if (!ImportSieBytes(*again, exported, name))
        std::abort();  // what the export writes is an SIE file
    // Every line written comes from a line of the base.
    if (again->LineCount() > base->LineCount())
        std::abort();
    SieSummary second = SummarizeSieBase(*again);
    if (second.linesWithoutAccount != 0)
        std::abort();
    ClearError();
    return 0;
}
