// LinkRegistry: link markup inside plain texts, its display form, HTML form and canonical markup.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "foundation/strings/String.h"
#include "platform/FilePath.h"

namespace vek {

class LinkRegistry;
class TextWriter;

// What a found link points at.
enum class LinkType : int32_t {
    None = 0,
    File = 1,        // a file on this machine
    Url = 2,         // a web (or "file:") URL
    Registered = 3,  // a kind registered in the registry (a card, a macro, a template)
};

// Bytes an attribute name of a kind keeps.
constexpr int32_t kLinkAttributeLimit = 15;

// A kind of link recognised in texts by its attribute name (`name="target"`, or `<a name="target">`
// with a link text). The registry owns its kinds.
class LinkKind {
public:
    // The attribute is cut to kLinkAttributeLimit bytes; `labelTextId` names the kind in the link
    // dialog (a kind with an empty attribute is not offered there).
    LinkKind(const char* attribute, int32_t labelTextId);
    virtual ~LinkKind();
    LinkKind(const LinkKind&) = delete;
    LinkKind& operator=(const LinkKind&) = delete;

    std::string_view Attribute() const { return {attribute, size_t(attributeLength)}; }
    int32_t LabelTextId() const { return labelTextId; }
    LinkRegistry* Registry() const { return registry; }

    // True when the target names an object of this kind; may update the link text from it.
    virtual bool Resolve(String& target, String& text) = 0;
    // Follows the link (opens the object).
    virtual void Open(const String& target) = 0;
    // Puts target and text in their normal form; the default leaves both.
    virtual void Normalize(String& target, String& text);
    // The link in an HTML page; the default writes the link text escaped.
    virtual void WriteHtml(TextWriter& writer, const String& target, const String& text);

private:
    friend class LinkRegistry;
    LinkRegistry* registry = nullptr;
    char attribute[kLinkAttributeLimit + 1] = {};
    int32_t attributeLength = 0;
    int32_t labelTextId = 0;
};

// One link found in a text, and where its markup stands in the source.
struct LinkScanner {
    LinkType type = LinkType::None;
    LinkKind* kind = nullptr;  // for LinkType::Registered
    String text;               // the link text as shown
    String target;
    int32_t markupStart = 0;   // byte offset of the link's markup in the source
    int32_t markupLength = 0;

    void Clear();
    void CopyFrom(const LinkScanner& other);
};

// Where a link stands in a text's display form and in its source.
struct LinkTextSpan {
    int32_t displayStart = 0;
    int32_t displayLength = 0;
    int32_t markupStart = 0;
    int32_t markupLength = 0;
};

// The link kinds a text may hold, and every operation that reads or writes link markup. Three markups:
//
//   | form      | written as                                   | link text                          |
//   |-----------|----------------------------------------------|------------------------------------|
//   | anchor    | <a NAME="target">text</a>  ("<A " too)        | the text trimmed; empty: "link"    |
//   | attribute | NAME="target"  (NAME byte-wise, no case)      | the target                         |
//   | bare URL  | scheme//rest (shttp: http: https: file: ftp:  | the rest without a trailing "/"    |
//   |           | afp: vnc:), ending before a byte below 33 or  |                                    |
//   |           | one of "{[()]}"                               |                                    |
//
// NAME is "href" (a URL; a value with a "." before any ":" gets "http://" in front), "file" (a file)
// or a registered kind's attribute (kinds are tried newest first). Anything that does not complete
// one of these forms stays plain text. Scanning never reads past the text's NUL.
class LinkRegistry {
public:
    explicit LinkRegistry(const char* name);
    virtual ~LinkRegistry();
    LinkRegistry(const LinkRegistry&) = delete;
    LinkRegistry& operator=(const LinkRegistry&) = delete;

    const char* Name() const { return name.CStr(); }
    // Adds a kind at the head of the list (the newest kind is tried first).
    LinkKind& AddKind(std::unique_ptr<LinkKind> kind);
    const std::vector<std::unique_ptr<LinkKind>>& Kinds() const { return kinds; }
    // Relative file-link targets are taken against this folder (none: against the working folder).
    void SetBaseFolder(const FilePath& folder) { baseFolder = folder; }
    const FilePath& BaseFolder() const { return baseFolder; }
    // A CSS class written into URL anchors of HTML output (empty: none).
    void SetAnchorClass(const char* cssClass) { anchorClass.AssignCStr(cssClass); }

    // Called for every link found, with its target and its link text; the default changes nothing.
    virtual void CleanLink(String& target, String& text) const;

    // True when the text holds link markup (a null text holds none).
    bool HasLinks(const char* text) const;
    // Finds the next link at or after `position` (an offset into the NUL-terminated text): `plain`
    // receives the plain text before it, `scanner` the link (type None at the end of the text, with
    // `plain` holding the rest); `position` moves behind the link.
    void NextLink(const char* text, int32_t& position, LinkScanner& scanner, String& plain) const;
    // The display form: plain segments and link texts in order (a plain segment that begins with a CR
    // gets a blank in front when something precedes it). `offsetMap`, when given, gets one entry per
    // source byte: the display offset it maps to (every byte of a link's markup maps into its link
    // text). When `position` (a display offset, -1 for none) falls within a link text, `found` (when
    // given) receives that link with its markup span; the answer tells whether one was found.
    // `spans`, when given, receives every link in order.
    bool Convert(const char* text, String& display, std::vector<uint16_t>* offsetMap = nullptr, int32_t position = -1,
                 LinkScanner* found = nullptr, std::vector<LinkTextSpan>* spans = nullptr) const;
    // The text itself when it holds no links, else its display form built in `buffer`.
    const char* DisplayText(const char* text, String& buffer) const;
    // The display form (a plain copy when the text holds no links; empty for null).
    void FormatText(String& out, const char* text) const;
    void FormatInPlace(String& text) const;
    void AppendDisplayText(TextWriter& writer, const char* text) const;

    // The text for an HTML page: escaped when it holds no links, else WriteHtmlText.
    void WriteText(TextWriter& writer, const char* text) const;
    // Plain segments escaped; URL links (not "file:") as anchors with the anchor class; registered
    // kinds through their WriteHtml; file links and "file:" URLs as "<tt>" text "</tt>". Targets and
    // texts are escaped for where they stand.
    void WriteHtmlText(TextWriter& writer, const char* text) const;
    // As WriteHtmlText, but only URL links (not "file:") become anchors (without a class); every
    // other link is written as its link text.
    void WriteUrlAnchors(TextWriter& writer, const char* text) const;

    // Mode 1: every link rewritten in its canonical markup (registered kinds first resolve and
    // normalise it); mode 4: the display form; other modes leave the text.
    void ApplyTextMode(String& text, int32_t mode) const;
    // Classifies a text dropped on or typed into the link dialog (see the source); the answer is the
    // scanner's new type, its target the cleaned text (or the resolved file path).
    LinkType ClassifyTarget(LinkScanner& scanner, const char* text) const;
    // The link in its canonical markup.
    static void ToMarkup(const LinkScanner& scanner, String& out);
    // Replaces the link's markup span in the source by ToMarkup and updates the span's length.
    static void ReplaceInSource(LinkScanner& scanner, String& source);
    // Follows a link: a URL in the browser, a file with its default program, a registered kind
    // through its Open. False when nothing could be opened.
    bool OpenLink(const LinkScanner& scanner) const;
    // The file a file link names, relative targets taken against the base folder.
    void ResolveFileTarget(const LinkScanner& scanner, FilePath& out) const;
    // File links only: opens the folder that holds the linked file; false (with the message pending)
    // when it cannot, and for every other kind of link.
    bool RevealLinkedFile(const LinkScanner& scanner) const;
    // A file link whose file holds no data: a folder, a missing or an empty file.
    bool LinkedFileHasNoData(const LinkScanner& scanner) const;

private:
    // The kind whose attribute ends just before `end` (byte-wise), or null.
    LinkKind* KindEndingAt(const char* text, int32_t end) const;
    void WriteLinkHtml(TextWriter& writer, const LinkScanner& link, bool anchorsOnly) const;
    // The text with its plain stretches escaped and its links as WriteLinkHtml writes them.
    void WriteHtmlLinks(TextWriter& writer, const char* text, bool anchorsOnly) const;

    String name;
    std::vector<std::unique_ptr<LinkKind>> kinds;  // newest first
    FilePath baseFolder;
    String anchorClass;
};

// The URL schemes recognised in texts, in matching order ("shttp:" before "http:").
std::span<const std::string_view> LinkUrlSchemes();

}  // namespace vek
