// LinkRegistry: scanning texts for link markup and writing links as display text, HTML and markup.
#include "text/LinkRegistry.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "foundation/streams/TextWriter.h"
#include "platform/Sockets.h"

namespace vek {

namespace {

constexpr std::array<std::string_view, 7> kUrlSchemes = {"shttp:", "http:", "https:", "file:", "ftp:", "afp:", "vnc:"};
constexpr std::string_view kEmptyLinkText = "link";
constexpr std::string_view kFileAttribute = "file";
constexpr std::string_view kHrefAttribute = "href";

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool StartsWithNoCaseAscii(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(text[i]) != LowerAscii(prefix[i]))
            return false;
    }
    return true;
}

// The first case-insensitive occurrence of `pattern` at or after `from`, or npos.
size_t FindNoCaseAscii(std::string_view text, std::string_view pattern, size_t from)
{
    for (size_t i = from; i + pattern.size() <= text.size(); ++i) {
        if (StartsWithNoCaseAscii(text.substr(i), pattern))
            return i;
    }
    return std::string_view::npos;
}

bool EndsWithAt(std::string_view text, size_t end, std::string_view suffix)
{
    return end >= suffix.size() && text.substr(end - suffix.size(), suffix.size()) == suffix;
}

bool EndsUrl(char c)
{
    return static_cast<unsigned char>(c) < 33 || std::strchr("{[()]}", c) != nullptr;
}

void AssignTrimmed(String& out, std::string_view text)
{
    out.AssignBytes(text);
    out.Trim();
}

// The attribute-form target: control bytes removed, blanks trimmed.
void AssignCleanTarget(String& out, std::string_view text)
{
    out.SetLength(0);
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 32)
            out.AppendChar(c);
    }
    out.Trim();
}

// The value of attribute `name` in an anchor's attribute list ("name=" without regard to case, at the
// start or after a blank): quoted, single-quoted, or up to the next blank.
bool FindAnchorAttribute(std::string_view attributes, std::string_view name, std::string_view& value)
{
    if (name.empty())
        return false;
    for (size_t at = FindNoCaseAscii(attributes, name, 0); at != std::string_view::npos;
         at = FindNoCaseAscii(attributes, name, at + 1)) {
        size_t equals = at + name.size();
        if (equals >= attributes.size() || attributes[equals] != '=')
            continue;
        if (at > 0 && static_cast<unsigned char>(attributes[at - 1]) > ' ')
            continue;
        size_t start = equals + 1;
        char quote = start < attributes.size() ? attributes[start] : 0;
        size_t end;
        if (quote == '"' || quote == '\'') {
            ++start;
            end = attributes.find(quote, start);
        } else {
            end = attributes.find(' ', start);
        }
        if (end == std::string_view::npos)
            end = attributes.size();
        value = attributes.substr(start, end - start);
        return true;
    }
    return false;
}

// The display offset as a 16-bit map entry.
uint16_t MapEntry(int32_t offset)
{
    return offset > 0xFFFF ? uint16_t(0xFFFF) : uint16_t(offset);
}

// Only these schemes become anchors in HTML: an anchor's href in a text may name any scheme
// ("javascript:", "data:"), and a page must not turn such a value into a link that runs or loads
// something. "file:" URLs are written as plain text anyway.
bool IsAnchorScheme(std::string_view target)
{
    for (std::string_view scheme : kUrlSchemes)
        if (scheme != "file:" && StartsWithNoCaseAscii(target, scheme))
            return true;
    return false;
}

}  // namespace

std::span<const std::string_view> LinkUrlSchemes()
{
    return kUrlSchemes;
}

// --- LinkKind ------------------------------------------------------------------------------------------

LinkKind::LinkKind(const char* attribute, int32_t labelTextId) : labelTextId(labelTextId)
{
    std::string_view name = attribute != nullptr ? attribute : "";
    attributeLength = int32_t(std::min<size_t>(name.size(), kLinkAttributeLimit));
    std::memcpy(this->attribute, name.data(), size_t(attributeLength));
    this->attribute[attributeLength] = 0;
}

LinkKind::~LinkKind() = default;

void LinkKind::Normalize(String&, String&) {}

void LinkKind::WriteHtml(TextWriter& writer, const String&, const String& text)
{
    writer.PutEscapedText(text);
}

// --- LinkScanner ---------------------------------------------------------------------------------------

void LinkScanner::Clear()
{
    type = LinkType::None;
    kind = nullptr;
    text.SetLength(0);
    target.SetLength(0);
    markupStart = 0;
    markupLength = 0;
}

void LinkScanner::CopyFrom(const LinkScanner& other)
{
    type = other.type;
    kind = other.kind;
    text.Assign(other.text);
    target.Assign(other.target);
    markupStart = other.markupStart;
    markupLength = other.markupLength;
}

// --- LinkRegistry --------------------------------------------------------------------------------------

LinkRegistry::LinkRegistry(const char* name)
{
    this->name.AssignCStr(name);
}

LinkRegistry::~LinkRegistry() = default;

LinkKind& LinkRegistry::AddKind(std::unique_ptr<LinkKind> kind)
{
    kind->registry = this;
    kinds.insert(kinds.begin(), std::move(kind));
    return *kinds.front();
}

void LinkRegistry::CleanLink(String&, String&) const {}

LinkKind* LinkRegistry::KindEndingAt(const char* text, int32_t end) const
{
    std::string_view view(text, size_t(end));
    for (const auto& kind : kinds) {
        if (kind->attributeLength > 0 && EndsWithAt(view, size_t(end), kind->Attribute()))
            return kind.get();
    }
    return nullptr;
}

bool LinkRegistry::HasLinks(const char* text) const
{
    if (text == nullptr)
        return false;
    std::string_view view(text);
    for (size_t i = 0; i < view.size(); ++i) {
        char c = view[i];
        if (c == '<' && i + 2 < view.size() && (view[i + 1] == 'a' || view[i + 1] == 'A') && view[i + 2] == ' ')
            return true;
        if (c == '/' && i + 1 < view.size() && view[i + 1] == '/') {
            for (std::string_view scheme : kUrlSchemes) {
                if (EndsWithAt(view, i, scheme))
                    return true;
            }
        }
        if (c == '=' && i + 1 < view.size() && view[i + 1] == '"' &&
            (EndsWithAt(view, i, kFileAttribute) || KindEndingAt(text, int32_t(i)) != nullptr))
            return true;
    }
    return false;
}

void LinkRegistry::NextLink(const char* text, int32_t& position, LinkScanner& scanner, String& plain) const
{
    scanner.Clear();
    plain.SetLength(0);
    if (text == nullptr)
        return;
    std::string_view view(text);
    size_t from = position < 0 ? 0 : std::min(size_t(position), view.size());
    auto found = [&](size_t markupStart, size_t markupEnd) {
        plain.AssignBytes(view.substr(from, markupStart - from));
        scanner.markupStart = int32_t(markupStart);
        scanner.markupLength = int32_t(markupEnd - markupStart);
        position = int32_t(markupEnd);
        CleanLink(scanner.target, scanner.text);
        // A link always shows something that can be clicked.
        if (scanner.text.IsEmpty())
            scanner.text.AssignBytes(kEmptyLinkText);
    };
    for (size_t i = from; i < view.size(); ++i) {
        char c = view[i];
        if (c == '<' && i + 2 < view.size() && (view[i + 1] == 'a' || view[i + 1] == 'A') && view[i + 2] == ' ') {
            size_t close = view.find('>', i + 3);
            if (close == std::string_view::npos)
                continue;
            std::string_view attributes = view.substr(i + 3, close - i - 3);
            std::string_view value;
            LinkType type = LinkType::None;
            LinkKind* kind = nullptr;
            if (FindAnchorAttribute(attributes, kHrefAttribute, value)) {
                type = LinkType::Url;
            } else if (FindAnchorAttribute(attributes, kFileAttribute, value)) {
                type = LinkType::File;
            } else {
                for (const auto& each : kinds) {
                    if (FindAnchorAttribute(attributes, each->Attribute(), value)) {
                        type = LinkType::Registered;
                        kind = each.get();
                        break;
                    }
                }
            }
            size_t end = FindNoCaseAscii(view, "</a>", close + 1);
            if (type == LinkType::None || end == std::string_view::npos)
                continue;
            scanner.type = type;
            scanner.kind = kind;
            if (type == LinkType::Url) {
                // A host name without a scheme ("www.example.org").
                size_t dot = value.find('.');
                if (dot != std::string_view::npos && dot < value.find(':'))
                    scanner.target.AssignCStr("http://");
                scanner.target.AppendBytes(value);
            } else {
                scanner.target.AssignBytes(value);
            }
            AssignTrimmed(scanner.text, view.substr(close + 1, end - close - 1));
            found(i, end + 4);
            return;
        }
        if (c == '=' && i + 1 < view.size() && view[i + 1] == '"') {
            size_t nameLength = 0;
            LinkKind* kind = nullptr;
            if (EndsWithAt(view, i, kFileAttribute)) {
                nameLength = kFileAttribute.size();
            } else if ((kind = KindEndingAt(text, int32_t(i))) != nullptr) {
                nameLength = size_t(kind->attributeLength);
            }
            size_t closeQuote = nameLength > 0 ? view.find('"', i + 2) : std::string_view::npos;
            if (nameLength == 0 || i - nameLength < from || closeQuote == std::string_view::npos)
                continue;
            AssignCleanTarget(scanner.target, view.substr(i + 2, closeQuote - i - 2));
            if (scanner.target.IsEmpty())
                continue;
            scanner.type = kind != nullptr ? LinkType::Registered : LinkType::File;
            scanner.kind = kind;
            scanner.text.Assign(scanner.target);
            found(i - nameLength, closeQuote + 1);
            return;
        }
        if (c == '/' && i + 1 < view.size() && view[i + 1] == '/') {
            std::string_view scheme;
            for (std::string_view each : kUrlSchemes) {
                if (EndsWithAt(view, i, each)) {
                    scheme = each;
                    break;
                }
            }
            if (scheme.empty() || i - scheme.size() < from)
                continue;
            size_t rest = i + 2;
            size_t end = rest;
            while (end < view.size() && !EndsUrl(view[end]))
                ++end;
            if (end == rest)
                continue;
            scanner.type = LinkType::Url;
            scanner.target.AssignBytes(view.substr(i - scheme.size(), end - (i - scheme.size())));
            std::string_view shown = view.substr(rest, end - rest);
            if (shown.size() > 1 && shown.back() == '/')
                shown.remove_suffix(1);
            scanner.text.AssignBytes(shown);
            found(i - scheme.size(), end);
            return;
        }
    }
    plain.AssignBytes(view.substr(from));
    position = int32_t(view.size());
}

bool LinkRegistry::Convert(const char* text, String& display, std::vector<uint16_t>* offsetMap, int32_t position,
                           LinkScanner* found, std::vector<LinkTextSpan>* spans) const
{
    display.SetLength(0);
    if (offsetMap != nullptr)
        offsetMap->clear();
    if (spans != nullptr)
        spans->clear();
    if (text == nullptr)
        return false;
    bool answer = false;
    LinkScanner scanner;
    String plain;
    int32_t at = 0;
    int32_t length = int32_t(std::strlen(text));
    while (at < length) {
        NextLink(text, at, scanner, plain);
        if (!plain.IsEmpty() && plain.CStr()[0] == '\r' && !display.IsEmpty())
            display.AppendChar(' ');
        if (offsetMap != nullptr) {
            for (int32_t i = 0; i < plain.Length(); ++i)
                offsetMap->push_back(MapEntry(display.Length() + i));
        }
        display.Append(plain);
        if (scanner.type == LinkType::None)
            break;
        int32_t linkStart = display.Length();
        if (offsetMap != nullptr) {
            // Markup bytes map onto the link text one by one, the surplus onto its last byte.
            int32_t last = scanner.text.Length() > 0 ? scanner.text.Length() - 1 : 0;
            for (int32_t i = 0; i < scanner.markupLength; ++i)
                offsetMap->push_back(MapEntry(linkStart + std::min(i, last)));
        }
        display.Append(scanner.text);
        if (spans != nullptr)
            spans->push_back({linkStart, display.Length() - linkStart, scanner.markupStart, scanner.markupLength});
        if (found != nullptr && !answer && position >= linkStart && position < display.Length()) {
            found->CopyFrom(scanner);
            answer = true;
        }
    }
    return answer;
}

const char* LinkRegistry::DisplayText(const char* text, String& buffer) const
{
    if (!HasLinks(text))
        return text;
    Convert(text, buffer);
    return buffer.CStr();
}

void LinkRegistry::FormatText(String& out, const char* text) const
{
    if (HasLinks(text))
        Convert(text, out);
    else
        out.AssignCStr(text != nullptr ? text : "");
}

void LinkRegistry::FormatInPlace(String& text) const
{
    if (!HasLinks(text.CStr()))
        return;
    String display;
    Convert(text.CStr(), display);
    text.Assign(display);
}

void LinkRegistry::AppendDisplayText(TextWriter& writer, const char* text) const
{
    String buffer;
    const char* shown = DisplayText(text, buffer);
    if (shown != nullptr)
        writer.PutText(shown);
}

void LinkRegistry::WriteText(TextWriter& writer, const char* text) const
{
    if (HasLinks(text))
        WriteHtmlText(writer, text);
    else if (text != nullptr)
        writer.PutEscapedText(text);
}

void LinkRegistry::WriteLinkHtml(TextWriter& writer, const LinkScanner& link, bool anchorsOnly) const
{
    bool webUrl = link.type == LinkType::Url && !link.target.View().starts_with("file:");
    if (webUrl && !IsAnchorScheme(link.target.View())) {
        writer.PutEscapedText(link.text);
    } else if (webUrl) {
        writer.PutText("<a");
        if (!anchorsOnly && !anchorClass.IsEmpty()) {
            writer.PutText(" class=\"");
            writer.PutEscapedText(anchorClass);
            writer.PutText("\"");
        }
        // The target is escaped too: an anchor's value may hold a quote or "<" that would otherwise
        // end the attribute and let the text write markup of its own into the page.
        writer.PutText(" href=\"");
        writer.PutEscapedText(link.target);
        writer.PutText("\">");
        writer.PutEscapedText(link.text);
        writer.PutText("</a>");
    } else if (anchorsOnly) {
        writer.PutEscapedText(link.text);
    } else if (link.type == LinkType::Registered && link.kind != nullptr) {
        link.kind->WriteHtml(writer, link.target, link.text);
    } else {
        writer.PutText("<tt>");
        writer.PutEscapedText(link.text);
        writer.PutText("</tt>");
    }
}

void LinkRegistry::WriteHtmlText(TextWriter& writer, const char* text) const { WriteHtmlLinks(writer, text, false); }

void LinkRegistry::WriteUrlAnchors(TextWriter& writer, const char* text) const { WriteHtmlLinks(writer, text, true); }

void LinkRegistry::WriteHtmlLinks(TextWriter& writer, const char* text, bool anchorsOnly) const
{
    if (text == nullptr)
        return;
    LinkScanner scanner;
    String plain;
    int32_t at = 0;
    int32_t length = int32_t(std::strlen(text));
    while (at < length) {
        NextLink(text, at, scanner, plain);
        writer.PutEscapedText(plain);
        if (scanner.type == LinkType::None)
            break;
        WriteLinkHtml(writer, scanner, anchorsOnly);
    }
}

void LinkRegistry::ApplyTextMode(String& text, int32_t mode) const
{
    if (mode == 4) {
        FormatInPlace(text);
        return;
    }
    if (mode != 1 || !HasLinks(text.CStr()))
        return;
    String result;
    String plain;
    String markup;
    LinkScanner scanner;
    int32_t at = 0;
    while (at < text.Length()) {
        NextLink(text.CStr(), at, scanner, plain);
        result.Append(plain);
        if (scanner.type == LinkType::None)
            break;
        if (scanner.type == LinkType::Registered && scanner.kind != nullptr) {
            scanner.kind->Resolve(scanner.target, scanner.text);
            scanner.kind->Normalize(scanner.target, scanner.text);
        }
        ToMarkup(scanner, markup);
        result.Append(markup);
    }
    text.Assign(result);
}

LinkType LinkRegistry::ClassifyTarget(LinkScanner& scanner, const char* text) const
{
    String clean;
    clean.AssignCStr(text != nullptr ? text : "");
    clean.Trim();
    if (StartsWithNoCaseAscii(clean.View(), "<a href=\"")) {
        clean.Delete(0, 9);
        int32_t quote = clean.Find(0, "\"");
        if (quote >= 0)
            clean.Truncate(quote);
    }
    String shown;
    shown.Assign(scanner.text);
    auto accept = [&](LinkType type, LinkKind* kind) {
        scanner.type = type;
        scanner.kind = kind;
        scanner.target.Assign(clean);
        scanner.text.Assign(shown);
        return type;
    };
    if (scanner.type == LinkType::Registered && scanner.kind != nullptr && scanner.kind->Resolve(clean, shown))
        return accept(LinkType::Registered, scanner.kind);
    for (const auto& kind : kinds) {
        if (kind->Resolve(clean, shown))
            return accept(LinkType::Registered, kind.get());
    }
    for (std::string_view scheme : kUrlSchemes) {
        if (clean.View().starts_with(scheme))
            return accept(LinkType::Url, nullptr);
    }
    if (clean.View().starts_with("www."))
        return accept(LinkType::Url, nullptr);
    if (!clean.IsEmpty() && LooksLikeFilePath(clean.CStr(), 0)) {
        FilePath file;
        file.SetPathRelativeTo(clean.View(), baseFolder.IsEmpty() ? nullptr : &baseFolder);
        if (file.Exists()) {
            clean.AssignBytes(file.Text());
            return accept(LinkType::File, nullptr);
        }
    }
    scanner.type = LinkType::None;
    scanner.kind = nullptr;
    scanner.target.Assign(clean);
    return LinkType::None;
}

void LinkRegistry::ToMarkup(const LinkScanner& scanner, String& out)
{
    out.SetLength(0);
    if (scanner.target.IsEmpty() || scanner.type == LinkType::None) {
        out.Assign(scanner.text);
        return;
    }
    std::string_view target = scanner.target.View();
    std::string_view text = scanner.text.View();
    std::string_view name = scanner.type == LinkType::Url    ? kHrefAttribute
                            : scanner.type == LinkType::File ? kFileAttribute
                            : scanner.kind != nullptr        ? scanner.kind->Attribute()
                                                             : std::string_view();
    if (scanner.type == LinkType::Url) {
        size_t separator = target.find("://");
        if (separator != std::string_view::npos) {
            std::string_view bare = target.substr(separator + 3);
            if (!bare.empty() && bare.back() == '/')
                bare.remove_suffix(1);
            if (text.empty() || text == bare) {
                out.Assign(scanner.target);
                return;
            }
        }
    } else if (text.empty() || text == target) {
        out.AppendBytes(name);
        out.AppendCStr("=\"");
        out.Append(scanner.target);
        out.AppendChar('"');
        return;
    }
    out.AppendCStr("<a ");
    out.AppendBytes(name);
    out.AppendCStr("=\"");
    out.Append(scanner.target);
    out.AppendCStr("\">");
    out.Append(scanner.text);
    out.AppendCStr("</a>");
}

void LinkRegistry::ReplaceInSource(LinkScanner& scanner, String& source)
{
    String markup;
    ToMarkup(scanner, markup);
    int32_t start = std::clamp(scanner.markupStart, 0, source.Length());
    int32_t length = std::clamp(scanner.markupLength, 0, source.Length() - start);
    source.ReplaceRangeBytes(start, length, markup.View());
    scanner.markupStart = start;
    scanner.markupLength = markup.Length();
}

bool LinkRegistry::OpenLink(const LinkScanner& scanner) const
{
    switch (scanner.type) {
    case LinkType::Url:
        return OpenUrlInBrowser(scanner.target.CStr()) == 0;
    case LinkType::File: {
        FilePath file;
        ResolveFileTarget(scanner, file);
        return file.OpenWithDefaultApp();
    }
    case LinkType::Registered:
        if (scanner.kind == nullptr)
            return false;
        scanner.kind->Open(scanner.target);
        return true;
    case LinkType::None:
        break;
    }
    return false;
}

void LinkRegistry::ResolveFileTarget(const LinkScanner& scanner, FilePath& out) const
{
    out.SetPathRelativeTo(scanner.target.View(), baseFolder.IsEmpty() ? nullptr : &baseFolder);
}

bool LinkRegistry::RevealLinkedFile(const LinkScanner& scanner) const
{
    if (scanner.type != LinkType::File || scanner.target.IsEmpty())
        return false;
    FilePath file;
    ResolveFileTarget(scanner, file);
    return file.OpenEnclosingFolder();
}

bool LinkRegistry::LinkedFileHasNoData(const LinkScanner& scanner) const
{
    if (scanner.type != LinkType::File)
        return false;
    FilePath file;
    ResolveFileTarget(scanner, file);
    return !file.Exists() || file.IsFolder() || file.GetDataSize() == 0;
}

}  // namespace vek
