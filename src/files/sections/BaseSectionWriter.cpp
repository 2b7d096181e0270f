// Writing the sections of a base file.
#include "files/sections/BaseSectionWriter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "files/format/AmountText.h"
#include "files/format/BaseFileFormat.h"
#include "files/format/BaseFileRecord.h"
#include "files/setups/DimImportSetup.h"
#include "files/setups/SaveFilter.h"
#include "files/setups/SaveSettings.h"
#include "files/setups/SaveSetup.h"
#include "foundation/memory/BitSet.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/DateTime.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/base/BaseProtection.h"
#include "model/dates/DateExpression.h"
#include "model/dimensions/Dimension.h"
#include "model/named/Macro.h"
#include "model/named/NamedObjects.h"
#include "model/dates/TimeScale.h"
#include "model/selections/SubsetList.h"
#include "model/named/WebUser.h"

namespace vek {

namespace {

// Above this many bytes PutLongText splits a text over lines.
constexpr int32_t kLongTextSplitBytes = 4208;

void WriteMarkerLine(TextWriter& writer, const char* marker)
{
    writer.PutText(marker);
    writer.EndRow();
}

void WriteSectionMarkerLine(TextWriter& writer, BaseFileSection section)
{
    PutSectionMarker(writer, section);
    writer.EndRow();
}

// True when the long-text form (TextWriter::PutLongText) writes the text as it stands: one piece, and
// no line break, tab, zero byte or byte that the form uses as a code.
bool WrittenAsItStands(const char* text, int32_t n)
{
    if (n > kLongTextSplitBytes)
        return false;
    for (int32_t i = 0; i < n; ++i) {
        char c = text[i];
        if (uint8_t(c) <= 4 || BreaksField(c))
            return false;
    }
    return true;
}

// A text field that must not break its line: as it stands when it can, else in the long-text form.
void PutTextField(TextWriter& writer, ConstHeapText text)
{
    if (text == nullptr)
        return;
    int32_t n = HeapTextLength(text);
    if (WrittenAsItStands(text, n))
        writer.PutTextBytes(text, n);
    else
        writer.PutLongText(text);
}

class SectionWriter {
public:
    SectionWriter(Base& base, TextWriter& writer, const SaveSettings& settings)
        : base(base), writer(writer), settings(settings), record(BaseFileRecord::Of(base))
    {
    }

    void WriteAll();
    void WriteCards();

private:
    bool Saves(SaveSection section) const { return settings.SavesSection(section) && !IsErrorPending(); }
    void WriteCharacters();
    void WriteBaseOptions();
    // Key, separator and text as a field; nothing for an empty text.
    void WriteKeyFieldLine(const char* key, ConstHeapText text)
    {
        if (HeapTextLength(text) == 0)
            return;
        writer.PutText(key);
        writer.PutSeparator();
        writer.PutFieldHeapText(text);
        writer.EndRow();
    }
    void WriteDimensions();
    void WriteDimension(int32_t position, int32_t d);
    void WriteKept(BaseFileSection section) { record.Kept().Write(writer, section); }
    // "##Templates" with the templates that pass the settings' filter (no section when none does).
    void WriteTemplates();
    // "##Defaults" with the six defaults templates and an empty line.
    void WriteDefaults();
    void WriteCard(const Card* card);
    // The component as the "##Cards" section names it in dimension d (nothing for a root).
    void PutReference(int32_t d, uint32_t number);
    // The same text, copied once per component for the lines of a save into `arena`, where every
    // text is followed by kArenaPadding bytes: short texts are then copied in one fixed-size move.
    struct ReferenceText {
        uint32_t offset = 0;
        int32_t length = -1;  // -1: not looked up yet
    };
    static constexpr int32_t kArenaPadding = 16;
    const ReferenceText& Reference(int32_t d, uint32_t number);
    void WriteLine(const CardLine* line, int32_t columns, const int32_t* formats);

    Base& base;
    TextWriter& writer;
    const SaveSettings& settings;
    BaseFileRecord& record;
    // Per position of the dimension order (position 0 is the group dimension): its dimension or -1.
    int32_t positions = 0;
    int32_t dimensionAt[kDimensionCount] = {};
    int32_t referenceMode[kDimensionCount] = {};
    std::vector<ReferenceText> references;  // by component number
    std::vector<char> arena;
    std::vector<char> row;                  // the line being put together
    const SaveFilter* filter = nullptr;     // while the cards are written: what the settings select
};

void SectionWriter::WriteAll()
{
    if (Saves(SaveSection::Characters))
        WriteCharacters();
    if (Saves(SaveSection::Protection) && base.Protection().HasProtection())
        base.Protection().Write(writer);
    if (Saves(SaveSection::WebUsers))
        base.WebUsers().WriteSection(writer);
    if (Saves(SaveSection::BaseOptions))
        WriteBaseOptions();
    if (Saves(SaveSection::TimeScale) && base.TimeScales().Count() > 0)
        base.TimeScales().WriteSections(writer);
    if (Saves(SaveSection::SaveSetup))
        record.SaveSetups().WriteSections(writer);
    if (Saves(SaveSection::ImportSetup))
        record.ImportSetups().WriteSections(writer);
    if (Saves(SaveSection::Macro) && base.Macros().Count() > 0) {
        // The list keeps the newest macro first; written in name order, a file reads back into
        // the same list and writes again the same bytes.
        base.Macros().Sort();
        base.Macros().WriteSections(writer);
    }
    if (Saves(SaveSection::Dimension))
        WriteDimensions();
    if (Saves(SaveSection::Cards))
        WriteCards();
    if (Saves(SaveSection::Subset))
        base.Subsets().WriteSections(writer);
    if (Saves(SaveSection::Templates))
        WriteTemplates();
    if (Saves(SaveSection::Defaults) && base.Templates().HasChangedDefaults())
        WriteDefaults();
    // Commands act on the whole base: they go with its options.
    if (Saves(SaveSection::BaseOptions))
        WriteKept(BaseFileSection::Commands);
    if (!IsErrorPending())
        WriteSectionMarkerLine(writer, BaseFileSection::End);
}

void SectionWriter::WriteTemplates()
{
    TemplateNameFilter filter;
    filter.SetPattern(settings.TemplateFilterText());
    bool any = false;
    for (Template* node = base.Templates().Root().NextInTree(); node->Parent() != nullptr && !any;
         node = node->NextInTree())
        any = !node->IsGroup() && filter.Matches(*node);
    if (!any)
        return;
    WriteSectionMarkerLine(writer, BaseFileSection::Templates);
    (void)base.Templates().WriteDefinitions(writer, filter);
}

void SectionWriter::WriteDefaults()
{
    WriteSectionMarkerLine(writer, BaseFileSection::Defaults);
    base.Templates().WriteDefaultDefinitions(writer);
    writer.EndRow();
}

void SectionWriter::WriteCharacters()
{
    WriteSectionMarkerLine(writer, BaseFileSection::Characters);
    for (const CharacterRow& row : kCharacterRows) {
        const char key[] = {row.key, '\0'};
        writer.WriteKeyTextLine(key, row.reference);
    }
    if (settings.Format() != kSaveFormatText) {
        BaseFileInfo now;
        now.FillForThisProgram();
        static_assert(kSaverKeys.size() == size_t(BaseFileInfo::kTextCount));
        for (int32_t i = 0; i < BaseFileInfo::kTextCount; ++i) {
            const char key[] = {kSaverKeys[size_t(i)], '\0'};
            writer.WriteKeyHeapTextLine(key, now.Text(BaseFileInfo::Item(i)));
        }
        DateTime time;
        time.SetFromSeconds(now.saveTime);
        String text;
        time.FormatString(text);
        const char key[] = {kSaveTimeKey, '\0'};
        writer.WriteKeyTextLine(key, text.CStr());
    }
    writer.EndRow();
}

void SectionWriter::WriteBaseOptions()
{
    WriteSectionMarkerLine(writer, BaseFileSection::BaseOptions);
    writer.WriteKeyIntLine("CN", base.CardNumberDigits());
    int32_t columns = base.ValueCount();
    writer.PutText("CD");
    for (int32_t i = 0; i < columns; ++i) {
        int32_t format = base.ValueFormat(i);
        writer.PutSeparator();
        writer.PutChar(uint32_t(kDecimalsLetters[size_t(format >= 0 && format <= 9 ? format : 0)]));
    }
    writer.EndRow();
    WriteKeyFieldLine("CT", base.CardTextCaptionField());
    WriteKeyFieldLine("LT", base.LineTextCaptionField());
    bool anyName = false;
    for (int32_t i = 0; i < columns; ++i)
        anyName = anyName || base.ValueFieldNameField(i) != nullptr;
    if (anyName) {
        writer.PutText("LV");
        for (int32_t i = 0; i < columns; ++i) {
            writer.PutSeparator();
            writer.PutFieldHeapText(base.ValueFieldNameField(i));
        }
        writer.EndRow();
    }
    if (columns > 1)
        writer.WriteKeyIntLine("LN", columns);
    if (record.lineHistory)
        WriteMarkerLine(writer, "LH");
    const DateExpression& reference = base.ReferenceDate();
    if (reference.Unit() != DateUnit::Absolute || reference.Value().date != 0) {
        writer.PutText("R");
        reference.Write(writer);
        writer.EndRow();
    }
    writer.EndRow();
}

void SectionWriter::WriteDimensions()
{
    // Each dimension's import setup follows its section; those of dimensions not written follow the
    // last one, so that none is lost.
    bool written[kDimensionCount] = {};
    for (int32_t position = 0; position < base.DimensionOrderCount() && !IsErrorPending(); ++position) {
        int32_t d = base.DimensionOrderAt(position);
        if (d < 0 || d >= int32_t(kDimensionCount) || !base.IsDimensionInUse(d))
            continue;
        if (settings.SaveModeOf(d) == kSaveModeNone)
            continue;
        WriteDimension(position, d);
        if (const DimImportSetup* setup = DimImportSetup::Find(base, d))
            setup->Write(writer);
        written[d] = true;
    }
    for (int32_t d = 0; d < int32_t(kDimensionCount) && !IsErrorPending(); ++d) {
        const DimImportSetup* setup = DimImportSetup::Find(base, d);
        if (setup != nullptr && !written[d])
            setup->Write(writer);
    }
}

void SectionWriter::WriteDimension(int32_t position, int32_t d)
{
    PutSectionMarker(writer, BaseFileSection::Dimension);
    writer.PutSeparator();
    writer.PutInt(position + 1);
    writer.EndRow();
    base.GetDimension(d).WriteOptions(writer);
    int32_t mode = settings.SaveModeOf(d);
    BitSet used;
    if (mode == kSaveModeUsed || mode == kSaveModeUsedWithAncestors) {
        base.MarkUsedComponents(used, d);
        if (mode == kSaveModeUsedWithAncestors)
            base.MarkAncestors(used, d);
    }
    const RecordPool& pool = base.ComponentPool();
    Component* root = base.Root(d);
    bool first = true;
    for (Component* c = root->NextInSubtree(pool, root); c != root && !IsErrorPending(); c = c->NextInSubtree(pool, root)) {
        if (mode != kSaveModeAll && !used.GetBit(int32_t(c->number)))
            continue;
        // Option lines start with "-" up to "--": a first code that does too needs the "--".
        if (first && c->code != nullptr && c->code[0] == '-')
            WriteMarkerLine(writer, "--");
        first = false;
        // A line that starts with "##" (or the bullet marker) starts a section; the blank in front,
        // which the base takes out of every code it reads, keeps such a code a code.
        if (IsSectionMarker(c->code, HeapTextLength(c->code)))
            writer.PutTextBytes(" ", 1);
        writer.PutFieldHeapText(c->code);
        writer.PutSeparator();
        writer.PutFieldHeapText(c->text);
        writer.PutSeparator();
        writer.PutFieldHeapText(c->host);
        writer.EndRow();
    }
    writer.EndRow();
}

void SectionWriter::PutReference(int32_t d, uint32_t number)
{
    if (number < kDimensionCount)
        return;  // a root: no component
    const Component* component = base.ComponentAt(number);
    if (component == nullptr)
        return;
    switch (referenceMode[d]) {
    case kCardsReferenceHost:
        writer.PutFieldHeapText(component->host);
        break;
    case kCardsReferenceText:
        writer.PutFieldHeapText(component->text);
        break;
    default:
        writer.PutFieldHeapText(component->code);
        break;
    }
}

const SectionWriter::ReferenceText& SectionWriter::Reference(int32_t d, uint32_t number)
{
    static const ReferenceText kNone{0, 0};
    if (number < kDimensionCount || number >= references.size())
        return kNone;
    ReferenceText& reference = references[number];
    if (reference.length < 0) {
        const Component* component = base.ComponentAt(number);
        ConstHeapText text = nullptr;
        if (component != nullptr) {
            text = referenceMode[d] == kCardsReferenceHost   ? component->host
                   : referenceMode[d] == kCardsReferenceText ? component->text
                                                             : component->code;
        }
        int32_t length = HeapTextLength(text);
        reference.offset = uint32_t(arena.size());
        reference.length = length;
        arena.insert(arena.end(), text, text + length);
        arena.insert(arena.end(), size_t(kArenaPadding), '\0');
        // As PutFieldText writes it: blanks for what a field cannot hold.
        char* copy = arena.data() + reference.offset;
        if (std::any_of(copy, copy + length, BreaksField)) {
            writer.NoteReplacedText({text, size_t(length)});
            reference.length = int32_t(FieldTextLength({copy, size_t(length)}));
            std::replace_if(copy, copy + reference.length, BreaksField, ' ');
        }
    }
    return reference;
}

void SectionWriter::WriteCards()
{
    positions = base.DimensionOrderCount();
    if (positions < 1)
        positions = 1;
    for (int32_t p = 0; p < int32_t(kDimensionCount); ++p) {
        dimensionAt[p] = p < base.DimensionOrderCount() ? base.DimensionOrderAt(p) : -1;
        referenceMode[p] = settings.CardsReferenceMode(p);
    }
    dimensionAt[0] = 0;

    WriteSectionMarkerLine(writer, BaseFileSection::Cards);
    bool options = false;
    for (int32_t p = 0; p < positions; ++p) {
        int32_t d = dimensionAt[p];
        if (d < 0 || referenceMode[d] == kCardsReferenceCode)
            continue;
        writer.PutText("-D");
        writer.PutChar(uint32_t(kReferenceModeLetters[size_t(referenceMode[d])]));
        writer.PutSeparator();
        writer.PutInt(p + 1);
        writer.EndRow();
        options = true;
    }
    if (base.ValueCount() > 1) {
        writer.WriteKeyIntLine("-LN", base.ValueCount());
        options = true;
    }
    if (options)
        writer.EndRow();
    references.assign(size_t(base.ComponentPool().ElementCount()), ReferenceText());
    arena.clear();
    std::unique_ptr<SaveFilter> ownFilter = SaveFilter::FromSettings(base, settings);
    filter = ownFilter.get();
    for (Card* card = base.FirstCard(); card != base.ChainEnd() && !IsErrorPending(); card = base.NextCard(card)) {
        if (filter == nullptr || filter->CardPasses(card))
            WriteCard(card);
    }
    filter = nullptr;
}

// One "L" line, put together in `row` and handed to the writer at once: amounts, text, then the
// component of each further position of the dimension order.
void SectionWriter::WriteLine(const CardLine* line, int32_t columns, const int32_t* formats)
{
    HeapText text = line->Text();
    int32_t textLength = HeapTextLength(text);
    bool plainText = textLength == 0 || WrittenAsItStands(text, textLength);
    // Room for the amounts, the text and the separators; references are added as they come.
    size_t bound = 2 + size_t(columns) * (kMaxAmountTextBytes + 1) + (plainText ? size_t(textLength) : 0) +
                   size_t(positions);
    if (row.size() < bound + 256)
        row.resize(bound + 256);
    char* cursor = row.data();
    *cursor++ = 'L';
    double values[kValueFieldCount];
    base.GetLineValues(line, values);
    for (int32_t i = 0; i < columns; ++i) {
        if (i > 0)
            *cursor++ = '\t';
        CursorPutAmount(cursor, values[i], formats[i]);
    }
    *cursor++ = '\t';
    if (plainText) {
        if (textLength > 0)
            std::memcpy(cursor, text, size_t(textLength));
        cursor += textLength;
    } else {
        writer.PutTextBytes(row.data(), int32_t(cursor - row.data()));
        writer.PutLongText(text);
        cursor = row.data();
    }
    int32_t slots = base.DimsInUse();
    for (int32_t p = 1; p < positions; ++p) {
        int32_t d = dimensionAt[p];
        const ReferenceText* reference = d >= 1 && d - 1 < slots ? &Reference(d, base.GetLineComponent(line, d - 1)) : nullptr;
        size_t used = size_t(cursor - row.data());
        size_t needed = used + 1 + size_t(reference != nullptr ? reference->length : 0) + kArenaPadding + size_t(positions);
        if (needed > row.size()) {
            row.resize(needed * 2);
            cursor = row.data() + used;
        }
        *cursor++ = '\t';
        if (reference != nullptr && reference->length > 0) {
            const char* text = arena.data() + reference->offset;
            if (reference->length <= kArenaPadding)
                std::memcpy(cursor, text, size_t(kArenaPadding));
            else
                std::memcpy(cursor, text, size_t(reference->length));
            cursor += reference->length;
        }
    }
    while (cursor > row.data() && cursor[-1] == '\t')
        --cursor;
    writer.PutTextBytes(row.data(), int32_t(cursor - row.data()));
    writer.EndRow();
}

void SectionWriter::WriteCard(const Card* card)
{
    CardKey key;
    base.GetCardKey(card, key);
    int32_t digits = base.CardNumberDigits();
    while (digits < 9 && key.number > MaxForDigits(digits))
        ++digits;
    char text[kCardKeyTextCapacity + 1];
    text[0] = 'C';
    char* cursor = text + 1;
    CursorPutCardKey(cursor, key, digits);
    writer.PutTextBytes(text, int32_t(cursor - text));
    if (card->title != nullptr) {
        writer.PutSeparator();
        PutTextField(writer, card->title);
    }
    writer.EndRow();

    if (card->notes != nullptr) {
        char stamp[kStampedTextCapacity + 1];
        stamp[0] = 'N';
        cursor = stamp + 1;
        card->stamps[kStampNotes].CursorPutCompact(cursor);
        writer.PutTextBytes(stamp, int32_t(cursor - stamp));
        writer.PutSeparator();
        writer.PutLongText(card->notes);
        writer.EndRow();
    }
    static constexpr int32_t kChangeSlots[] = {kStampCreated, kStampModified, kStampSignatureE, kStampSignatureP};
    bool anyStamp = false;
    for (int32_t slot : kChangeSlots)
        anyStamp = anyStamp || !card->stamps[slot].IsEmpty();
    if (anyStamp) {
        writer.PutText("S");
        for (int32_t i = 0; i < 4; ++i) {
            if (i > 0)
                writer.PutSeparator();
            char stamp[kStampedTextCapacity];
            cursor = stamp;
            card->stamps[kChangeSlots[i]].CursorPutCompact(cursor);
            writer.PutTextBytes(stamp, int32_t(cursor - stamp));
        }
        writer.EndRow();
    }

    int32_t columns = base.ValueCount();
    int32_t formats[kValueFieldCount];
    for (int32_t i = 0; i < columns; ++i)
        formats[i] = base.ValueFormat(i);
    for (const CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
        if (group->firstLine == kNoRecord || (filter != nullptr && !filter->GroupPasses(group)))
            continue;
        writer.PutText("G");
        PutReference(0, uint32_t(group->key));
        writer.EndRow();
        for (const CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line)) {
            if (filter == nullptr || filter->LinePasses(line))
                WriteLine(line, columns, formats);
        }
    }
    if (record.lineHistory)
        base.CardSources().WriteLine(writer, card->index);
    writer.EndRow();
}

}  // namespace

void PutSectionMarker(TextWriter& writer, BaseFileSection section)
{
    std::string_view marker = SectionMarker(section);
    writer.PutTextBytes(marker.data(), int32_t(marker.size()));
}

void WriteBaseSections(Base& base, TextWriter& writer, const SaveSettings& settings)
{
    SectionWriter(base, writer, settings).WriteAll();
}

void WriteCardsSection(Base& base, TextWriter& writer, const SaveSettings& settings)
{
    SectionWriter(base, writer, settings).WriteCards();
}

}  // namespace vek
