// DefinitionBlocks: the kind of definition on the clipboard, pasted-text cleaning, and HTML rows.
#include "docwindows/DefinitionBlocks.h"

#include "foundation/messages/LocalizedText.h"
#include "foundation/numbers/PackedTimestamp.h"
#include "foundation/services/Clipboard.h"
#include "foundation/streams/TextWriter.h"
#include "model/selections/SubsetList.h"

namespace vek {

namespace {

enum class DefinitionHeader { None, Selection, Formula, Subset, WebUser, Authorizations };

DefinitionHeader HeaderOfField(std::string_view field)
{
    struct Known {
        std::string_view header;
        DefinitionHeader kind;
    };
    static constexpr Known kHeaders[] = {
        {"## Selection", DefinitionHeader::Selection}, {"## Formula", DefinitionHeader::Formula},
        {"## Subset", DefinitionHeader::Subset},       {"## WebUser", DefinitionHeader::WebUser},
        {"## Authorizations", DefinitionHeader::Authorizations},
    };
    for (const Known& known : kHeaders) {
        if (field.substr(0, known.header.size()) == known.header)
            return known.kind;
    }
    return DefinitionHeader::None;
}

// The state table of the paste title: from the current state and a header, the next state.
int32_t NextDefinitionState(int32_t state, DefinitionHeader header)
{
    switch (state) {
    case 0:
        switch (header) {
        case DefinitionHeader::Selection: return kPasteSelection;
        case DefinitionHeader::Formula: return kPasteFormula;
        case DefinitionHeader::Subset: return kPasteSubset;
        case DefinitionHeader::WebUser: return kPasteWebUser;
        case DefinitionHeader::Authorizations: return kPasteAuthorizations;
        case DefinitionHeader::None: return 0;
        }
        return 0;
    case kPasteSelection:
    case kPasteSelections:
        if (header == DefinitionHeader::Selection)
            return kPasteSelections;
        return header == DefinitionHeader::Formula ? kPasteSelectionsAndFormulas : state;
    case kPasteFormula:
    case kPasteFormulas:
        if (header == DefinitionHeader::Formula)
            return kPasteFormulas;
        return header == DefinitionHeader::Selection ? kPasteSelectionsAndFormulas : state;
    case kPasteSubset:
        return header == DefinitionHeader::Subset ? kPasteSubsets : state;
    case kPasteWebUser:
        return header == DefinitionHeader::WebUser ? kPasteWebUsers : state;
    default:
        return state;
    }
}

}  // namespace

int32_t GetDefinitionKindOfText(std::string_view text)
{
    int32_t state = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        std::string_view field = line.substr(0, line.find('\t'));
        DefinitionHeader header = HeaderOfField(field);
        if (header != DefinitionHeader::None)
            state = NextDefinitionState(state, header);
        at = end + 1;
    }
    return state;
}

int32_t GetClipboardSectionKind()
{
    std::string text = Service<ClipboardService>::Get().GetText();
    return text.empty() ? 0 : GetDefinitionKindOfText(text);
}

bool ListContainsKind(int32_t kind, const int16_t* acceptedKinds)
{
    if (kind == 0 || acceptedKinds == nullptr)
        return false;
    for (const int16_t* entry = acceptedKinds; *entry != 0; ++entry) {
        if (*entry == kind)
            return true;
    }
    return false;
}

void CleanPastedText(std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\t') {
            out.push_back(' ');
        } else if (c == '\r') {
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
            out.push_back('\r');
        } else if (static_cast<uint8_t>(c) >= 32) {
            out.push_back(c);
        }
    }
    // The last line's end stays: a pasted line keeps its CR.
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    text = std::move(out);
}

void WriteSubsetsToClipboard(const SubsetList& list)
{
    ClipboardWriter writer;
    list.WriteBlocks(writer);
}

bool ReadSubsetsFromClipboard(SubsetList& list)
{
    ClipboardReader reader;
    SubsetLineError error = SubsetLineError::None;
    list.ReadBlocks(reader, error);
    return error == SubsetLineError::None;
}

void WriteHtmlTextCell(TextWriter& stream, const char* text, int32_t width)
{
    if (width > 0) {
        stream.PutText("<td width=\"");
        stream.PutInt(width);
        stream.PutText("\"> ");
    } else {
        stream.PutText("<td> ");
    }
    stream.PutEscapedText(text);
    stream.PutText(" </td>");
    stream.EndRow();
}

void WriteHtmlTwoCellRow(TextWriter& stream, const char* label, const char* value, int32_t width)
{
    stream.WriteLine("<tr>");
    WriteHtmlTextCell(stream, label, width);
    WriteHtmlTextCell(stream, value, 0);
    stream.WriteLine("</tr>");
}

void WriteHtmlLabelRow(TextWriter& stream, const StampedText& stamp, int32_t labelText)
{
    if (stamp.IsEmpty())
        return;
    char shown[kStampedTextCapacity];
    stamp.Format(shown);
    stream.PutText("<tr><td width=\"80\">");
    stream.PutEscapedText(LoadText(labelText));
    stream.PutText("</td><td>");
    stream.PutEscapedText(shown);
    stream.PutText("</td></tr>");
    stream.EndRow();
}

}  // namespace vek
