// The template requests of XML request files and the template definitions of XML base input files.
#include "files/xmlinterface/XmlInterfaceSupport.h"

#include <memory>

#include "files/xmlinterface/XmlInterface.h"
#include "files/xmlinterface/XmlErrorReports.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/templates/AnalysisTemplate.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/templates/Template.h"

namespace vek {

namespace {

// The kinds that "template" elements define and compute: cards, lines and components.
TemplateKind DefinableKind(const char* word)
{
    int32_t kind = TemplateKindFromXmlWord(word);
    return kind >= 1 && kind <= 3 ? TemplateKind(kind) : TemplateKind::Group;
}

// Reads up to the end tag of the current start tag; true when anything but blanks and comments stood
// before it. Nesting is counted, not recursed into, so any depth is safe.
bool SkipElementContent(TextReader& reader)
{
    bool content = false;
    int64_t depth = 1;
    while (depth > 0 && !IsErrorPending() && reader.NextMarkupToken()) {
        const char* token = reader.Token();
        if (token[0] != '<') {
            content = true;
            continue;
        }
        if (token[1] == '?' || token[1] == '!')
            continue;
        if (reader.IsEmptyOrEndTag()) {
            const char* p = token + 1;
            while (*p == ' ')
                ++p;
            if (*p == '/') {
                --depth;
                continue;
            }
        } else {
            ++depth;
        }
        content = true;
    }
    return content;
}

// Lets the template read the content of the reader's current "template" start tag (its kind's XML
// reader). The placeholders of the kinds read nothing yet: the content they leave is skipped and,
// when there was any, reported, since the template then has its default settings.
void ReadTemplateContent(Template& node, TextReader& reader, const char* name)
{
    if (reader.IsEmptyOrEndTag())
        return;
    node.ReadXml(reader);
    if (!reader.IsTag("template") || reader.IsEmptyOrEndTag())
        return;
    if (!SkipElementContent(reader) || IsErrorPending())
        return;
    Message message;
    message.code = message::kXmlTemplateKindUnavailable;
    message.AddText(name);
    message.AddText(XmlWordOfTemplateKind(int32_t(node.Kind())));
    node.GetBase().ShowErrorAlert(message);
}

// The "<error>template name="..." not found</error>" line.
void WriteTemplateNotFound(TextWriter& writer, const char* name)
{
    writer.PutText("<error>template");
    writer.PutAttributeAllowEmpty("name", name);
    writer.WriteLine(" not found</error>");
}

}  // namespace

void AnswerTemplateList(Base& base, TextWriter& writer, TextReader& reader)
{
    String groupPath;
    TemplateNameFilter filter;
    int32_t kind = 0;
    bool badKind = false;
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (CStrEqualNoCase(name.CStr(), "name")) {
            groupPath.Assign(value);
        } else if (CStrEqualNoCase(name.CStr(), "filter")) {
            filter.SetPattern(value.CStr());
        } else if (CStrEqualNoCase(name.CStr(), "type")) {
            kind = TemplateKindFromXmlWord(value.CStr());
            badKind = kind == 0;
        } else {
            ReportUnknownXmlWord(base, name.CStr());
        }
    }
    if (badKind)
        writer.WriteLine("<error>unknown template type</error>");
    Template* start = groupPath.IsEmpty() ? nullptr : base.FindTemplate(groupPath.CStr());
    if (start == nullptr)
        start = &base.Templates().Root();
    writer.WriteLine("<templatelist>");
    // Pre-order from the start through its subtree; the walk ends where it would leave the subtree
    // or come back to the root.
    const Template* root = &base.Templates().Root();
    String path;
    for (Template* node = start; node != nullptr;) {
        if (node != root && IsAnalysisKind(node->Kind()) && (kind == 0 || int32_t(node->Kind()) == kind) &&
            filter.Matches(*node)) {
            node->GetPathName(path);
            writer.PutText("<template");
            writer.PutAttribute("name", path.CStr());
            writer.PutAttribute("type", XmlWordOfTemplateKind(int32_t(node->Kind())));
            writer.WriteLine("/>");
        }
        Template* next = node->NextInTree();
        if (next == nullptr || next->Parent() == nullptr || !Template::IsWithin(start, next))
            break;
        node = next;
    }
    writer.WriteLine("</templatelist>");
    writer.EndRow();
}

void AnswerTemplate(Base& base, TextWriter& writer, TextReader& reader)
{
    String path;
    bool hasName = false;
    TemplateKind kind = TemplateKind::Group;
    bool badKind = false;
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (CStrEqualNoCase(name.CStr(), "name")) {
            path.Assign(value);
            hasName = true;
        } else if (CStrEqualNoCase(name.CStr(), "type")) {
            kind = DefinableKind(value.CStr());
            badKind = kind == TemplateKind::Group;
        } else {
            ReportUnknownXmlWord(base, name.CStr());
        }
    }
    if (badKind)
        writer.WriteLine("<error>unknown template type</error>");
    // The request computes a copy: settings given in the request never change the base's template,
    // and a template made for the request is not kept.
    std::unique_ptr<Template> work;
    if (hasName) {
        Template* found = base.FindTemplate(path.CStr());
        if (found == nullptr || !IsAnalysisKind(found->Kind())) {
            WriteTemplateNotFound(writer, path.CStr());
            reader.SkipElement();
            return;
        }
        work = base.Templates().Duplicate(*found);
    } else if (kind != TemplateKind::Group) {
        work = base.NewTemplate(kind);
        path.AssignCStr(XmlWordOfTemplateKind(int32_t(kind)));
    } else {
        writer.WriteLine("<error>no template type or name specified</error>");
        reader.SkipElement();
        return;
    }
    if (!work) {
        SetOutOfMemoryError();
        reader.SkipElement();
        return;
    }
    work->ClearSettings();
    ReadTemplateContent(*work, reader, path.CStr());
    if (IsErrorPending())
        return;
    // Computing a result needs the analyses, which this version does not have.
    Message message;
    message.code = message::kXmlTemplateResultUnavailable;
    message.AddText(path.CStr());
    ReportMessage(message);
    writer.EndRow();
}

void ReadXmlTemplateDefinition(Base& base, TextReader& reader)
{
    String path;
    TemplateKind kind = TemplateKind::Group;
    struct FlagAttribute {
        const char* name;
        bool given;
        bool value;
    };
    FlagAttribute flags[] = {{"opendirect", false, false},
                             {"calcdirect", false, false},
                             {"zoomdirect", false, false},
                             {"webvisible", false, false}};
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (CStrEqualNoCase(name.CStr(), "name")) {
            path.Assign(value);
            continue;
        }
        if (CStrEqualNoCase(name.CStr(), "type")) {
            kind = DefinableKind(value.CStr());
            continue;
        }
        bool known = false;
        for (FlagAttribute& flag : flags) {
            if (CStrEqualNoCase(name.CStr(), flag.name)) {
                known = true;
                if (ReadOnOffAttribute(base, flag.name, value.CStr(), flag.value))
                    flag.given = true;
            }
        }
        if (!known)
            ReportUnknownXmlWord(base, name.CStr());
    }
    path.Trim(' ');
    if (kind == TemplateKind::Group || path.IsEmpty()) {
        reader.SkipElement();
        return;
    }
    std::unique_ptr<Template> made = base.NewTemplate(kind);
    if (!made) {
        SetOutOfMemoryError();
        reader.SkipElement();
        return;
    }
    auto* analysis = static_cast<AnalysisTemplate*>(made.get());
    if (flags[0].given)
        analysis->autoOpen = flags[0].value;
    if (flags[1].given)
        analysis->flagC = flags[1].value;
    if (flags[2].given)
        analysis->flagZ = flags[2].value;
    if (flags[3].given)
        analysis->flagW = flags[3].value;
    ReadTemplateContent(*made, reader, path.CStr());
    if (IsErrorPending())
        return;
    // A template of that path name is replaced; the new one takes its place in the tree. A group of
    // that name stays with its members (the new template gets a name of its own beside it).
    if (Template* old = base.FindTemplate(path.CStr()); old != nullptr && !old->IsGroup() && old->Parent() != nullptr)
        base.Templates().Remove(old);
    if (base.Templates().Insert(std::move(made), path.CStr()) == nullptr && !IsErrorPending())
        SetOutOfMemoryError();
}

}  // namespace vek
