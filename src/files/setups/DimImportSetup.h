// DimImportSetup: the import setup of one dimension and its "##DimImport" section.
#pragma once

#include <cstdint>

#include "files/setups/ImportSetup.h"
#include "files/setups/ImportSetupSettings.h"
#include "model/base/BaseFileHooks.h"

namespace vek {

class Base;
class TextReader;
class TextWriter;

// How a text file of components is read into one dimension. A base keeps at most one per dimension
// (Base::FindDimensionImportSetup); the dimension import of the dimension editor uses it, and this
// version stores and carries it.
class DimImportSetup final : public DimensionImportSetupBase {
public:
    DimImportSetup(Base& base, int32_t dimension);
    ~DimImportSetup() override;

    int32_t Dimension() const { return dimension; }
    DimImportSettings& Settings() { return settings; }
    const DimImportSettings& Settings() const { return settings; }

    // The setup of dimension d, made when it has none (null for d outside 0-31).
    static DimImportSetup* Of(Base& base, int32_t d);
    static const DimImportSetup* Find(const Base& base, int32_t d);

    // The lines after the "##DimImport" marker, into settings reset first, up to the next section
    // marker (left as the reader's current line) or the end of input; nothing is fatal. Change 26.
    void Read(TextReader& reader, const SetupReadContext& context);
    void Read(TextReader& reader) { Read(reader, SetupReadContext{}); }
    // The marker line with the dimension's number (d + 1), the keyed lines, an empty line.
    void Write(TextWriter& writer) const;

private:
    Base& base;
    int32_t dimension;
    DimImportSettings settings;
};

}  // namespace vek
