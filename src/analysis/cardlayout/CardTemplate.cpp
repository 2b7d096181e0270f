// CardTemplate: reading and writing the card window's layout lines.
#include "analysis/cardlayout/CardTemplate.h"

#include <algorithm>
#include <string_view>

#include "analysis/TableTemplatePart.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"

namespace vek {

namespace {

constexpr int32_t kCardWindowDefaultWidth = 500;
constexpr int32_t kCardWindowMinimumWidth = 350;
constexpr int32_t kCardWindowDefaultHeight = 180;
constexpr int32_t kCardWindowNotesHeight = 93;
constexpr int32_t kCardWindowMinimumHeight = 121;
// The older layout line: dimension 0, dimension 1, text, value 0, dimensions 2-31.
constexpr int32_t kOlderLayoutFieldCount = 34;

// A width field; an empty or missing field is 0.
int32_t ReadCardLayoutWidth(TextReader& reader)
{
    int32_t width = 0;
    ReadWidthField(reader, width);
    return width;
}

// A separator and the width; nothing after the separator for 0.
void PutCardLayoutWidth(TextWriter& writer, int32_t width)
{
    writer.PutSeparator();
    if (width != 0)
        writer.PutInt(width);
}

}  // namespace

CardTemplate::CardTemplate(Base& base) : AnalysisTemplate(TemplateKind::Card, base) {}

CardTemplate::~CardTemplate() = default;

int32_t CardTemplate::WindowWidth() const
{
    int32_t width = right != 0 ? right : kCardWindowDefaultWidth;
    return std::max(width, kCardWindowMinimumWidth);
}

int32_t CardTemplate::WindowHeight() const
{
    int32_t height = bottom != 0 ? bottom : kCardWindowDefaultHeight;
    if (layout.notesShown)
        height -= kCardWindowNotesHeight;
    return std::max(height, kCardWindowMinimumHeight);
}

void CardTemplate::Reset()
{
    AnalysisTemplate::Reset();
    layout = CardLayout{};
    otherLines.Clear();
    sharedKeysRead = false;
}

void CardTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    if (ReadOwnKey(reader, context))
        return;
    if (IsSharedTemplateKey(reader)) {
        sharedKeysRead = true;
        AnalysisTemplate::ReadKeyLine(reader, context);
        return;
    }
    otherLines.Keep(reader);
}

bool CardTemplate::ReadOwnKey(TextReader& reader, const TemplateReadContext& context)
{
    std::string_view key = PeekKey(reader);
    if (key == "wL") {
        (void)reader.NextFieldRaw();
        layout.textWidth = ReadCardLayoutWidth(reader);
    } else if (key == "wV") {
        (void)reader.NextFieldRaw();
        for (int32_t& width : layout.valueWidths)
            width = ReadCardLayoutWidth(reader);
    } else if (key == "wD") {
        (void)reader.NextFieldRaw();
        for (int32_t& width : layout.dimensionWidths)
            width = ReadCardLayoutWidth(reader);
    } else if (key == "Nx") {
        layout.notesShown = true;
    } else if (key == "xW" && context.IsBulletFile()) {
        (void)reader.NextFieldRaw();
        int32_t fields[kOlderLayoutFieldCount] = {};
        for (int32_t& field : fields)
            field = ReadCardLayoutWidth(reader);
        layout.dimensionWidths[0] = fields[0];
        layout.dimensionWidths[1] = fields[1];
        layout.textWidth = fields[2];
        layout.valueWidths.fill(0);
        layout.valueWidths[0] = fields[3];
        for (int32_t d = 2; d < 32; ++d)
            layout.dimensionWidths[size_t(d)] = fields[d + 2];
    } else {
        return false;
    }
    return true;
}

bool CardTemplate::SharedKeysAtDefaults() const
{
    TextWriter now;
    WriteSharedKeys(now);
    CardTemplate fresh(GetBase());
    TextWriter defaults;
    fresh.WriteSharedKeys(defaults);
    return now.BufferedBytes() == defaults.BufferedBytes();
}

void CardTemplate::WriteDefinition(TextWriter& writer) const
{
    WriteHeaderLine(writer);
    if (sharedKeysRead || !SharedKeysAtDefaults())
        WriteSharedKeys(writer);
    const Base& base = GetBase();
    if (layout.textWidth != 0)
        writer.WriteKeyIntLine("wL", layout.textWidth);
    const int32_t valueCount = std::clamp(base.ValueCount(), 0, int32_t(layout.valueWidths.size()));
    if (std::any_of(layout.valueWidths.begin(), layout.valueWidths.begin() + valueCount,
                    [](int32_t width) { return width != 0; })) {
        writer.PutText("wV");
        for (int32_t v = 0; v < valueCount; ++v)
            PutCardLayoutWidth(writer, layout.valueWidths[size_t(v)]);
        writer.EndRow();
    }
    bool dimensionWidthSet = false;
    for (int32_t d = 0; d < int32_t(layout.dimensionWidths.size()); ++d)
        dimensionWidthSet = dimensionWidthSet || (base.IsDimensionInUse(d) && layout.dimensionWidths[size_t(d)] != 0);
    if (dimensionWidthSet) {
        writer.PutText("wD");
        for (int32_t d = 0; d < int32_t(layout.dimensionWidths.size()); ++d)
            PutCardLayoutWidth(writer, base.IsDimensionInUse(d) ? layout.dimensionWidths[size_t(d)] : 0);
        writer.EndRow();
    }
    if (layout.notesShown) {
        writer.PutText("Nx");
        writer.EndRow();
    }
    otherLines.Write(writer);
}

int64_t CardTemplate::StoredSize() const
{
    return AnalysisTemplate::StoredSize() + 232;
}

}  // namespace vek
