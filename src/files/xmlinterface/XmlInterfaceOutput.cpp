// Answers to XML request files, and the handler that writes messages into an answer.
#include "files/xmlinterface/XmlInterface.h"

#include "files/ProgramVersion.h"
#include "files/xmlinterface/XmlErrorReports.h"
#include "files/xmlinterface/XmlInterfaceSupport.h"
#include "foundation/memory/BitSet.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextStreams.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/HeapText.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/dimensions/Component.h"
#include "model/dimensions/Dimension.h"
#include "model/expressions/TextMatcher.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

int32_t activeXmlErrorHandlers = 0;

// The text matcher of a "filter" attribute, compiled as typed (case kept).
void CompileFilter(TextMatcher& matcher, const String& typed)
{
    String text;
    text.Assign(typed);
    (void)matcher.Compile(text, kTextMatcherKeepCase);
}

// --- "version" ----------------------------------------------------------------------------------

void AnswerVersion(TextWriter& writer)
{
    writer.PutText("<version");
    writer.PutAttribute("date", kProgramDateText);
    writer.PutAttribute("code", kPlatformNameText);
    writer.PutText(">");
    writer.PutEscapedText(kProgramVersionText);
    writer.WriteLine("</version>");
    writer.EndRow();
}

// --- "dimensions" -------------------------------------------------------------------------------

// Non-root components of dimension d whose bits are set.
int32_t CountMarked(const Base& base, int32_t d, const BitSet& set)
{
    int32_t count = 0;
    const RecordPool& pool = base.ComponentPool();
    Component* root = base.Root(d);
    for (Component* c = root->NextInSubtree(pool, root); c != root; c = c->NextInSubtree(pool, root)) {
        if (set.GetBit(int32_t(c->number)))
            ++count;
    }
    return count;
}

void WriteUsageCounts(Base& base, TextWriter& writer, int32_t d)
{
    BitSet used;
    base.MarkUsedComponents(used, d);
    if (IsErrorPending())
        return;
    int32_t inUse = CountMarked(base, d, used);
    base.MarkAncestors(used, d);
    writer.PutIntAttribute("total", base.CountComponents(d));
    writer.PutIntAttribute("active", CountMarked(base, d, used));
    writer.PutIntAttribute("inuse", inUse);
}

void AnswerDimensions(Base& base, TextWriter& writer, TextReader& reader)
{
    int32_t only = -1;
    String name;
    TextMatcher filter;
    bool hasName = false;
    bool hasFilter = false;
    bool usage = false;
    bool badUsage = false;
    String attribute;
    String value;
    while (reader.NextAttribute(attribute, value)) {
        if (CStrEqualNoCase(attribute.CStr(), "num")) {
            int32_t number = 0;
            if (ParseXmlInteger(value, number) && number >= 1 && number <= int32_t(kDimensionCount))
                only = number - 1;
        } else if (CStrEqualNoCase(attribute.CStr(), "name")) {
            name.Assign(value);
            hasName = true;
        } else if (CStrEqualNoCase(attribute.CStr(), "filter")) {
            CompileFilter(filter, value);
            hasFilter = true;
        } else if (CStrEqualNoCase(attribute.CStr(), "usage")) {
            if (CStrEqualNoCase(value.CStr(), "on"))
                usage = true;
            else if (CStrEqualNoCase(value.CStr(), "off"))
                usage = false;
            else
                badUsage = true;
        } else {
            ReportUnknownXmlWord(base, attribute.CStr());
        }
    }
    if (badUsage)
        writer.WriteLine("<error>unknown usage attribute value</error>");
    writer.WriteLine("<dimensionlist>");
    String singular;
    String plural;
    for (int32_t d = 0; d < int32_t(kDimensionCount) && !IsErrorPending(); ++d) {
        if ((only >= 0 && d != only) || !base.IsDimensionInUse(d))
            continue;
        base.DimensionSingularName(d, singular);
        base.DimensionPluralName(d, plural);
        if (hasName && !CStrEqualNoCase(name.CStr(), singular.CStr()) && !CStrEqualNoCase(name.CStr(), plural.CStr()))
            continue;
        if (hasFilter && !filter.MatchesString(singular) && !filter.MatchesString(plural))
            continue;
        writer.PutText("<dimension");
        writer.PutIntAttribute("num", d + 1);
        writer.PutAttribute("singular", singular.CStr());
        writer.PutAttribute("plural", plural.CStr());
        if (usage)
            WriteUsageCounts(base, writer, d);
        writer.WriteLine("/>");
    }
    writer.WriteLine("</dimensionlist>");
    writer.EndRow();
}

// --- "components" -------------------------------------------------------------------------------

struct ComponentFilter {
    bool hasText = false;
    bool hasHost = false;
    bool hasFilter = false;
    String text;
    String host;
    TextMatcher filter;
    int32_t levels = -1;  // -1: every level
};

bool PassesComponentFilter(const ComponentFilter& filter, const Dimension& dimension, const Component& component,
                           int32_t depth)
{
    if (filter.levels >= 0 && depth > filter.levels)
        return false;
    if (filter.hasText && CompareHeapTextByKind(component.text, filter.text.CStr(), dimension.TextMode()) != 0)
        return false;
    if (filter.hasHost && CompareHeapTextByKind(component.host, filter.host.CStr(), dimension.HostMode()) != 0)
        return false;
    if (filter.hasFilter && !filter.filter.MatchesHeapText(component.code) &&
        !filter.filter.MatchesHeapText(component.text) && !filter.filter.MatchesHeapText(component.host))
        return false;
    return true;
}

void WriteComponentsOf(Base& base, TextWriter& writer, int32_t d, const char* code, const ComponentFilter& filter)
{
    const Dimension& dimension = base.GetDimension(d);
    const RecordPool& pool = base.ComponentPool();
    Component* root = base.Root(d);
    Component* start = root;
    if (code != nullptr) {
        start = dimension.FindByCode(code);
        if (start == nullptr)
            return;
    }
    bool opened = false;
    int32_t depth = 0;
    Component* c = start == root ? start->NextInSubtreeWithDepth(pool, start, depth) : start;
    while (c != nullptr && (c != start || !opened) && !IsErrorPending()) {
        if (c == root)
            break;
        if (PassesComponentFilter(filter, dimension, *c, depth)) {
            if (!opened) {
                String singular;
                String plural;
                base.DimensionSingularName(d, singular);
                base.DimensionPluralName(d, plural);
                writer.PutText("<dimension");
                writer.PutIntAttribute("num", d + 1);
                writer.PutAttributeAllowEmpty("singular", singular.CStr());
                writer.PutAttributeAllowEmpty("plural", plural.CStr());
                writer.WriteLine(">");
                opened = true;
            }
            writer.PutText("<component");
            writer.PutAttributeAllowEmpty("code", c->code != nullptr ? c->code : "");
            writer.PutAttributeAllowEmpty("text", c->text != nullptr ? c->text : "");
            writer.PutAttributeAllowEmpty("host", c->host != nullptr ? c->host : "");
            if (filter.levels > 1)
                writer.PutIntAttribute("level", depth);
            writer.WriteLine("/>");
        }
        Component* next = c->NextInSubtreeWithDepth(pool, start, depth);
        if (next == start)
            break;
        c = next;
    }
    if (opened)
        writer.WriteLine("</dimension>");
}

void AnswerComponents(Base& base, TextWriter& writer, TextReader& reader)
{
    int32_t only = -1;
    bool badDimension = false;
    String code;
    bool hasCode = false;
    ComponentFilter filter;
    String attribute;
    String value;
    while (reader.NextAttribute(attribute, value)) {
        const char* word = attribute.CStr();
        if (CStrEqualNoCase(word, "dim")) {
            only = base.FindDimensionByName(value.CStr());
            if (only < 0) {
                ReportBadXmlValue(base, value.CStr(), word);
                badDimension = true;
            }
        } else if (CStrEqualNoCase(word, "code")) {
            code.Assign(value);
            hasCode = true;
        } else if (CStrEqualNoCase(word, "text")) {
            filter.text.Assign(value);
            filter.hasText = true;
        } else if (CStrEqualNoCase(word, "host")) {
            filter.host.Assign(value);
            filter.hasHost = true;
        } else if (CStrEqualNoCase(word, "filter")) {
            CompileFilter(filter.filter, value);
            filter.hasFilter = true;
        } else if (CStrEqualNoCase(word, "levels")) {
            int32_t levels = 0;
            if (ParseXmlInteger(value, levels) && levels >= 0)
                filter.levels = levels;
            else
                ReportBadXmlValue(base, value.CStr(), word);
        } else {
            ReportUnknownXmlWord(base, word);
        }
    }
    writer.WriteLine("<componentlist>");
    for (int32_t d = 0; d < int32_t(kDimensionCount) && !badDimension && !IsErrorPending(); ++d) {
        if ((only >= 0 && d != only) || !base.DimensionHasComponents(d))
            continue;
        WriteComponentsOf(base, writer, d, hasCode ? code.CStr() : nullptr, filter);
    }
    writer.WriteLine("</componentlist>");
    writer.EndRow();
}

// --- The walk over the requests -----------------------------------------------------------------

void ReportNeedsBase(TextReader& reader)
{
    String name;
    reader.TagName(name);
    Message message;
    message.code = message::kXmlRequestNeedsBase;
    message.AddText(name.CStr());
    ReportMessage(message);
}

// An unknown tag of a request file: reported through the base (its XML-error flag is on) or, with
// no base, directly.
void SkipUnknownRequest(Base* base, TextReader& reader)
{
    if (base != nullptr) {
        SkipUnknownXmlElement(*base, reader);
        return;
    }
    Message message;
    message.code = message::kXmlUnknownElement;
    message.AddTextBytes(reader.Token(), reader.TokenLength());
    ReportMessage(message);
    reader.SkipElement();
}

void AnswerRequests(Base* base, TextWriter& writer, TextReader& reader, const char* requestName)
{
    // Whether the root element was opened and not closed: a file that ends then was cut short (a
    // request element that is not closed takes the root's end tag as its own).
    bool rootOpen = false;
    while (!IsErrorPending() && reader.NextMarkupToken()) {
        if (reader.Token()[0] != '<')
            continue;
        if (reader.IsTag("?xml")) {
            TakeDeclaredEncoding(reader);
        } else if (reader.IsTag("VEK-xml-input")) {
            rootOpen = !reader.IsEmptyOrEndTag();
        } else if (reader.IsTag("/VEK-xml-input")) {
            rootOpen = false;
        } else if (reader.IsTag("version")) {
            AnswerVersion(writer);
            reader.SkipElement();
        } else if (!reader.IsTagInList("dimensions components templates template")) {
            SkipUnknownRequest(base, reader);
        } else if (base == nullptr) {
            ReportNeedsBase(reader);
            reader.SkipElement();
        } else if (reader.IsTag("dimensions")) {
            AnswerDimensions(*base, writer, reader);
            reader.SkipElement();
        } else if (reader.IsTag("components")) {
            AnswerComponents(*base, writer, reader);
            reader.SkipElement();
        } else if (reader.IsTag("templates")) {
            AnswerTemplateList(*base, writer, reader);
            reader.SkipElement();
        } else {
            // Reads the element's content itself, up to its end tag.
            AnswerTemplate(*base, writer, reader);
        }
    }
    if (rootOpen && !IsErrorPending()) {
        Message message;
        message.code = message::kXmlFileCutShort;
        message.AddText(requestName);
        message.AddText("VEK-xml-input");
        ReportMessage(message);
    }
}

}  // namespace

XmlErrorHandler::XmlErrorHandler(TextWriter& writer) : writer(writer)
{
    ++activeXmlErrorHandlers;
}

XmlErrorHandler::~XmlErrorHandler()
{
    --activeXmlErrorHandlers;
}

int32_t XmlErrorHandler::ShowMessage(const Message& message)
{
    if (message.code == 0 || message.code == kMessageCancelled)
        return message.answer;
    String text;
    message.Format(text);
    writer.WriteElementLineOptional("error", text.CStr());
    return message.answer;
}

int32_t XmlErrorHandler::ActiveCount()
{
    return activeXmlErrorHandlers;
}

void WriteXmlInterfaceOutput(Base* base, TextWriter& writer, TextReader& requests, const char* requestName)
{
    XmlErrorHandler handler(writer);
    ScopedXmlErrorReports reports(base);
    writer.WriteXmlDeclaration();
    writer.EndRow();
    writer.WriteLine("<VEK-xml-output>");
    writer.EndRow();
    AnswerRequests(base, writer, requests, requestName);
    // The reason the walk stopped goes in before the end tag: after it, the answer would not be a
    // well-formed document.
    ReportPendingError();
    ClearError();
    writer.WriteLine("</VEK-xml-output>");
    writer.EndRow();
}

bool WriteXmlInterfaceOutputFile(Base* base, TextReader& requests, const char* requestName, const FilePath& output)
{
    FileTextWriter writer;
    writer.SetLineEnd("\n");
    if (!writer.Open(output.CStr()))
        return false;
    WriteXmlInterfaceOutput(base, writer, requests, requestName);
    return writer.Close();
}

bool WriteXmlInterfaceOutputFile(Base* base, const FilePath& requests, const FilePath& output)
{
    String requestName;
    requests.GetFileName(requestName);
    // A request file that cannot be opened leaves its message pending and gives no requests: the
    // answer then holds that message.
    FileTextReader reader;
    (void)reader.Open(requests.CStr());
    bool written = WriteXmlInterfaceOutputFile(base, reader, requestName.CStr(), output);
    reader.Close();
    return written;
}

}  // namespace vek
