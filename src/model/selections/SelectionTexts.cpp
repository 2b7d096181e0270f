#include "model/selections/SelectionTexts.h"

#include <string>

#include "foundation/messages/PendingError.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/OptionLetters.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/selections/Selection.h"

namespace vek {

namespace {

// A typed or stored text is cut to this many bytes, as every condition text is.
constexpr int32_t kSelectionTextLimit = 1023;

void SetCutText(OwnedText& field, std::string_view text)
{
    if (text.size() > size_t(kSelectionTextLimit)) {
        size_t cut = size_t(kSelectionTextLimit);
        while (cut > 0 && (uint8_t(text[cut]) & 0xC0) == 0x80)
            --cut;  // not inside a character
        text = text.substr(0, cut);
    }
    std::string copy(text);
    field.Set(copy.empty() ? nullptr : copy.c_str());
}

// "name" followed by digits: the number, 0 when there are none, -1 when anything else follows.
int32_t NumberAfter(std::string_view name, std::string_view prefix)
{
    return CStrNumberAfterPrefixNoCase(name, prefix, 3);
}

bool NameIs(std::string_view name, std::string_view word)
{
    return CStrCompareNoCase(name, word) == 0;
}

// The reader's current field as a view (valid until the next field).
std::string_view ReaderField(const TextReader& reader)
{
    return {reader.Token(), size_t(reader.TokenLength())};
}

}  // namespace

SelectionTexts::SelectionTexts(Base& base) : base(base), from(&base, -1), to(&base, +1)
{
    from.SetUnit(DateUnit::File);
    to.SetUnit(DateUnit::File);
}

SelectionTexts::~SelectionTexts() = default;

void SelectionTexts::Clear()
{
    for (OwnedText& text : dimensions)
        text.Set(nullptr);
    from.SetUnit(DateUnit::File);
    to.SetUnit(DateUnit::File);
    cardTitle.Set(nullptr);
    lineText.Set(nullptr);
    notes.Set(nullptr);
    for (OwnedText& text : values)
        text.Set(nullptr);
    subset.Set(nullptr);
}

void SelectionTexts::Assign(const SelectionTexts& other)
{
    if (&other == this)
        return;
    for (size_t d = 0; d < dimensions.size(); ++d)
        dimensions[d].Set(other.dimensions[d].Get());
    from.Assign(other.from);
    to.Assign(other.to);
    cardTitle.Set(other.cardTitle.Get());
    lineText.Set(other.lineText.Get());
    notes.Set(other.notes.Get());
    for (size_t i = 0; i < values.size(); ++i)
        values[i].Set(other.values[i].Get());
    subset.Set(other.subset.Get());
}

void SelectionTexts::Capture(const Selection& selection)
{
    String text;
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        selection.Components().FormatDimension(d, text, "");
        dimensions[size_t(d)].Set(text.IsEmpty() ? nullptr : text.CStr());
    }
    from.Assign(selection.From());
    to.Assign(selection.To());
    cardTitle.Set(selection.CardTitleText());
    lineText.Set(selection.LineTextText());
    notes.Set(selection.NotesText());
    for (int32_t i = 0; i < kMaxValueCount; ++i)
        values[size_t(i)].Set(selection.ValueText(i));
    subset.Set(selection.SubsetText());
}

bool SelectionTexts::Equals(const SelectionTexts& other) const
{
    auto same = [](const OwnedText& a, const OwnedText& b) { return CompareHeapText(a.Get(), b.CStr()) == 0 && a.IsNull() == b.IsNull(); };
    for (size_t d = 0; d < dimensions.size(); ++d)
        if (!same(dimensions[d], other.dimensions[d]))
            return false;
    for (size_t i = 0; i < values.size(); ++i)
        if (!same(values[i], other.values[i]))
            return false;
    return from.Equals(other.from) && to.Equals(other.to) && same(cardTitle, other.cardTitle) &&
           same(lineText, other.lineText) && same(notes, other.notes) && same(subset, other.subset);
}

bool SelectionTexts::IsRestricted() const
{
    for (const OwnedText& text : dimensions)
        if (!text.IsNull())
            return true;
    for (const OwnedText& text : values)
        if (!text.IsNull())
            return true;
    return !from.IsPlainFile() || !to.IsPlainFile() || !cardTitle.IsNull() || !lineText.IsNull() ||
           !notes.IsNull() || !subset.IsNull();
}

void SelectionTexts::CollectNamedComponents(BitSet& components) const
{
    Selection compiled(base, base.GlobalSubsetOperands());
    compiled.ApplyTexts(*this);
    compiled.Components().CollectNamedComponents(components);
}

void SelectionTexts::MarkSelectedLines(BitSet& lines) const
{
    Selection compiled(base, base.GlobalSubsetOperands());
    compiled.ApplyTexts(*this);
    if (compiled.Prepare(SelectionCheck::None))
        (void)compiled.MarkMatchingLines(lines);
}

int64_t SelectionTexts::StoredSize() const
{
    int64_t size = 0;
    auto add = [&size](const OwnedText& text) { size += text.IsNull() ? 0 : text.Length() + 1; };
    for (const OwnedText& text : dimensions)
        add(text);
    for (const OwnedText& text : values)
        add(text);
    add(cardTitle);
    add(lineText);
    add(notes);
    add(subset);
    return size;
}

ConstHeapText SelectionTexts::DimensionText(int32_t d) const
{
    return d >= 0 && d < int32_t(kDimensionCount) ? dimensions[size_t(d)].Get() : nullptr;
}

void SelectionTexts::SetDimensionText(int32_t d, const char* text)
{
    if (d >= 0 && d < int32_t(kDimensionCount))
        SetCutText(dimensions[size_t(d)], text != nullptr ? text : "");
}

ConstHeapText SelectionTexts::ValueText(int32_t i) const
{
    return i >= 0 && i < kMaxValueCount ? values[size_t(i)].Get() : nullptr;
}

void SelectionTexts::SetValueText(int32_t i, const char* text)
{
    if (i >= 0 && i < kMaxValueCount)
        SetCutText(values[size_t(i)], text != nullptr ? text : "");
}

bool SelectionTexts::SetOption(std::string_view name, std::string_view value)
{
    if (int32_t n = NumberAfter(name, "dim"); n >= 1 && n <= int32_t(kDimensionCount)) {
        SetCutText(dimensions[size_t(n - 1)], value);
        return true;
    }
    if (int32_t n = NumberAfter(name, "value"); n >= 0) {
        int32_t field = n == 0 ? 0 : n - 1;
        if (field >= base.ValueCount())
            return false;
        SetCutText(values[size_t(field)], value);
        return true;
    }
    if (NameIs(name, "cardtitle")) {
        SetCutText(cardTitle, value);
    } else if (NameIs(name, "linetext")) {
        SetCutText(lineText, value);
    } else if (NameIs(name, "notes")) {
        SetCutText(notes, value);
    } else if (NameIs(name, "cardfrom") || NameIs(name, "cardto")) {
        // Narrows the range only: a later start or an earlier end.
        bool isFrom = NameIs(name, "cardfrom");
        DateExpression date(&base, isFrom ? -1 : +1);
        if (!date.Parse(value.data(), int32_t(value.size())))
            return true;
        DateExpression& target = isFrom ? from : to;
        if (isFrom ? CardKeyGreater(date.Value(), target.Value()) : CardKeyLess(date.Value(), target.Value()))
            target.Assign(date);
    } else {
        return false;
    }
    return true;
}

bool SelectionTexts::ReadKeyLine(std::string_view key, TextReader& reader, SelectionKeyForm form)
{
    if (key.empty())
        return false;
    auto readText = [&reader](OwnedText& field) {
        reader.NextFieldRaw();
        SetCutText(field, ReaderField(reader));
    };
    auto readDates = [&] {
        from.Read(reader);
        to.Read(reader);
    };
    char letter = key[0];
    if (form == SelectionKeyForm::Old) {
        switch (letter) {
        case 'C':
        case 'K': readDates(); return true;
        case 'L': readText(lineText); return true;
        case 'V': readText(values[0]); return true;
        case 'Y': readText(cardTitle); return true;
        default:
            if (letter >= '1' && letter <= '6' && key.size() == 1) {
                readText(dimensions[size_t(letter - '1')]);
                return true;
            }
            return false;
        }
    }
    switch (letter) {
    case 'A': readText(notes); return true;
    case 'C': readDates(); return true;
    case 'D': {
        int32_t n = NumberAfter(key, "D");
        if (n < 1 || n > int32_t(kDimensionCount))
            return false;
        readText(dimensions[size_t(n - 1)]);
        return true;
    }
    case 'L': readText(lineText); return true;
    case 'S': readText(subset); return true;
    case 'V': {
        int32_t i = key.size() == 2 ? IndexFromDigitOrLetter(key[1]) : -1;
        if (i < 0)
            return false;
        if (i >= kMaxValueCount)
            i = 0;
        readText(values[size_t(i)]);
        return true;
    }
    case 'Y': readText(cardTitle); return true;
    default: return false;
    }
}

void SelectionTexts::Write(TextWriter& writer, char prefix) const
{
    char key[4] = {prefix, 0, 0, 0};
    auto line = [&](char letter, const OwnedText& text) {
        if (text.IsNull())
            return;
        key[1] = letter;
        key[2] = 0;
        writer.WriteKeyHeapTextLine(key, text.Get());
    };
    auto dimensionLine = [&](int32_t number, int32_t d) {
        writer.PutRawChar(uint8_t(prefix));
        writer.PutRawChar('D');
        writer.PutInt(number);
        writer.PutSeparator();
        writer.PutFieldHeapText(dimensions[size_t(d)].Get());
        writer.EndRow();
    };
    std::array<bool, kDimensionCount> written{};
    std::array<bool, kDimensionCount> positionTaken{};
    for (int32_t i = 0; i < base.DimensionOrderCount(); ++i) {
        int32_t d = base.DimensionOrderAt(i);
        if (d < 0 || d >= int32_t(kDimensionCount))
            continue;
        positionTaken[size_t(i)] = true;
        if (dimensions[size_t(d)].IsNull())
            continue;
        dimensionLine(i + 1, d);
        written[size_t(d)] = true;
    }
    // A dimension outside the order (no components yet) keeps its expression under its own number,
    // which is what the reader takes, wherever the order leaves that position free.
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (!written[size_t(d)] && !positionTaken[size_t(d)] && !dimensions[size_t(d)].IsNull())
            dimensionLine(d + 1, d);
    }
    key[1] = 'C';
    WriteDateRange(writer, key, from, to);
    line('Y', cardTitle);
    line('L', lineText);
    line('A', notes);
    for (int32_t i = 0; i < base.ValueCount() && i < kMaxValueCount; ++i) {
        if (values[size_t(i)].IsNull())
            continue;
        key[1] = 'V';
        key[2] = LetterFromIndex(i);
        writer.WriteKeyHeapTextLine(key, values[size_t(i)].Get());
    }
    line('S', subset);
}

void SelectionTexts::WriteXml(TextWriter& writer) const
{
    writer.WriteLine("<selection>");
    String text;
    from.ToText(text);
    writer.WriteElementLineOptional("from", text.CStr());
    to.ToText(text);
    writer.WriteElementLineOptional("to", text.CStr());
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (dimensions[size_t(d)].IsNull())
            continue;
        base.DimensionSingularName(d, text);
        writer.PutText("<dim");
        writer.PutIntAttribute("num", d + 1);
        writer.PutAttribute("name", text.CStr());
        writer.PutText(">");
        writer.PutMarkupEscaped(dimensions[size_t(d)].CStr());
        writer.WriteLine("</dim>");
    }
    writer.WriteElementLine("cardtitle", cardTitle.Get());
    writer.WriteElementLine("linetext", lineText.Get());
    writer.WriteElementLine("notes", notes.Get());
    for (int32_t i = 0; i < kMaxValueCount; ++i) {
        if (values[size_t(i)].IsNull())
            continue;
        std::string name = i == 0 ? "value" : "value" + std::to_string(i + 1);
        writer.WriteElementLine(name.c_str(), values[size_t(i)].Get());
    }
    writer.WriteElementLine("subset", subset.Get());
    writer.WriteLine("</selection>");
}

void SelectionTexts::ReadXml(TextReader& reader)
{
    Clear();
    String name;
    String value;
    String content;
    String tag;
    while (!IsErrorPending() && reader.NextMarkupToken()) {
        if (reader.Token()[0] != '<')
            continue;
        if (reader.IsTag("/selection"))
            return;
        if (reader.IsEmptyOrEndTag())
            continue;
        reader.TagName(tag);
        bool isDim = NameIs(tag.View(), "dim");
        int32_t valueNumber = NumberAfter(tag.View(), "value");
        if (isDim || valueNumber >= 0) {
            // "value" is the first field, "value2" the second; attributes name it otherwise.
            // "num" is exact and wins over "name": a default name written out ("Dimension 1") does
            // not name its dimension when read back, and its digit would name another one.
            int32_t index = isDim ? -1 : (valueNumber == 0 ? 0 : valueNumber - 1);
            int32_t numbered = -1;
            while (reader.NextAttribute(name, value)) {
                if (NameIs(name.View(), "num")) {
                    int32_t n = NumberAfter(value.View(), "");
                    numbered = n >= 1 ? n - 1 : -1;
                } else if (NameIs(name.View(), "name")) {
                    index = isDim ? base.FindDimensionByName(value.CStr()) : base.FindValueFieldByName(value.CStr());
                }
            }
            if (numbered >= 0)
                index = numbered;
            reader.ReadElementContent(content);
            if (isDim && index >= 0 && index < int32_t(kDimensionCount))
                SetCutText(dimensions[size_t(index)], content.View());
            else if (!isDim && index >= 0 && index < kMaxValueCount)
                SetCutText(values[size_t(index)], content.View());
            continue;
        }
        OwnedText* field = nullptr;
        DateExpression* date = nullptr;
        if (reader.IsTag("from"))
            date = &from;
        else if (reader.IsTag("to"))
            date = &to;
        else if (reader.IsTag("cardtitle"))
            field = &cardTitle;
        else if (reader.IsTag("linetext"))
            field = &lineText;
        else if (reader.IsTag("notes"))
            field = &notes;
        else if (reader.IsTag("subset"))
            field = &subset;
        if (field == nullptr && date == nullptr) {
            reader.SkipElement();
            continue;
        }
        reader.ReadElementContent(content);
        if (field != nullptr) {
            SetCutText(*field, content.View());
        } else if (!date->ParseCString(content.CStr())) {
            date->SetUnit(DateUnit::File);
        }
    }
}

}  // namespace vek
