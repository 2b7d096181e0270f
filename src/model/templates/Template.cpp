// Template: the kind table, the tree walk, path names and the reading of a stored definition.
#include "model/templates/Template.h"

#include <vector>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/LinkCode.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/expressions/TextMatcher.h"

namespace vek {

namespace {

// The kind table: type name, short code, header letter.
struct TemplateKindRow {
    TemplateKind kind;
    const char* typeName;
    const char* typeCode;
    char letter;
};

constexpr TemplateKindRow kTemplateKindRows[] = {
    {TemplateKind::Group, "", "templates", 0},
    {TemplateKind::Cards, "Cards", "cards", 'C'},
    {TemplateKind::Lines, "Lines", "lines", 'L'},
    {TemplateKind::Components, "Components", "comps", 'P'},
    {TemplateKind::TimeFunctions, "Time Functions", "tfunc", 'T'},
    {TemplateKind::ComponentFunctions, "Component Functions", "cfunc", 'R'},
    {TemplateKind::Subset, "", "templates", 'S'},
    {TemplateKind::Card, "", "templates", 'K'},
};

const TemplateKindRow* FindKindRow(TemplateKind kind)
{
    for (const TemplateKindRow& row : kTemplateKindRows) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

// The bullet that opens a section line of the older file forms (U+2022).
constexpr std::string_view kTemplateBullet = "\xE2\x80\xA2";

}  // namespace

const char* TemplateKindName(TemplateKind kind)
{
    const TemplateKindRow* row = FindKindRow(kind);
    return row != nullptr ? row->typeName : "";
}

const char* TemplateTypeCode(TemplateKind kind)
{
    const TemplateKindRow* row = FindKindRow(kind);
    return row != nullptr ? row->typeCode : "templates";
}

char TemplateHeaderLetter(TemplateKind kind)
{
    const TemplateKindRow* row = FindKindRow(kind);
    return row != nullptr ? row->letter : 0;
}

bool TemplateKindFromLetter(char letter, TemplateKind& kind)
{
    if (letter == 0)
        return false;
    for (const TemplateKindRow& row : kTemplateKindRows) {
        if (row.letter == letter) {
            kind = row.kind;
            return true;
        }
    }
    return false;
}

// --- Template ---------------------------------------------------------------------------------------

Template::Template(TemplateKind kind, Base& base) : kind(kind), base(base) {}

Template::~Template()
{
    // Members are released one after another, so that a long group does not recurse once per member.
    while (firstChild != nullptr) {
        std::unique_ptr<Template> next = std::move(firstChild->nextSibling);
        firstChild = std::move(next);
    }
}

Template* Template::NextInTree() const
{
    if (firstChild != nullptr)
        return firstChild.get();
    const Template* node = this;
    while (node->parent != nullptr) {
        if (node->nextSibling != nullptr)
            return node->nextSibling.get();
        node = node->parent;
    }
    return const_cast<Template*>(node);
}

bool Template::IsWithin(const Template* group, const Template* node)
{
    for (; node != nullptr; node = node->parent) {
        if (node == group)
            return true;
    }
    return false;
}

void Template::GetPathName(String& out) const
{
    out.SetLength(0);
    if (parent == nullptr) {
        out.AppendHeapText(name.Get());  // a template outside the tree: its own name
        return;
    }
    std::vector<const Template*> chain;
    for (const Template* node = this; node->parent != nullptr; node = node->parent)
        chain.push_back(node);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin())
            out.AppendCStr(": ");
        out.AppendHeapText((*it)->name.Get());
    }
}

int32_t Template::ComparePath(const char* text) const
{
    String path;
    GetPathName(path);
    int32_t order = CStrCompareNoCase(path.CStr(), text != nullptr ? text : "");
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

void Template::GetLinkCode(String& out) const
{
    out.AssignCStr(name.CStr());
    MakeLinkCode(out);
}

void Template::GetLinkPath(String& out) const
{
    base.GetFileName(out);
    MakeLinkCode(out);
    std::vector<const Template*> chain;
    for (const Template* node = this; node != nullptr && (node->parent != nullptr || node == this); node = node->parent)
        chain.push_back(node);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        String code;
        (*it)->GetLinkCode(code);
        out.AppendCStr(":");
        out.Append(code);
    }
}

void Template::ReadDefinition(TextReader& reader, const TemplateReadContext& context)
{
    Reset();
    while (!IsErrorPending() && reader.ReadLine()) {
        if (!reader.NextFieldRaw())
            continue;  // a line without a field
        std::string_view first(reader.Token(), size_t(reader.TokenLength()));
        bool header = context.IsBulletFile()
                          ? first.starts_with('T') || first.starts_with(kTemplateBullet) || first.starts_with("##")
                          : first.starts_with('#');
        reader.RestartLine();
        if (header)
            break;
        ReadKeyLine(reader, context);
    }
    FinishRead(context);
}

void Template::WriteHeaderLine(TextWriter& writer) const
{
    char letter = TemplateHeaderLetter(kind);
    if (letter == 0)
        return;
    writer.PutChar('#');
    writer.PutChar(uint8_t(letter));
    writer.PutSeparator();
    String path;
    GetPathName(path);
    writer.PutFieldText({path.CStr(), size_t(path.Length())});
    writer.EndRow();
}

void Template::OnBaseChange(const ChangeRecord&) {}
void Template::Reset() {}
void Template::ReadKeyLine(TextReader&, const TemplateReadContext&) {}
void Template::FinishRead(const TemplateReadContext&) {}

void Template::WriteDefinition(TextWriter& writer) const
{
    WriteHeaderLine(writer);
}

void Template::ClearSettings() {}
void Template::ReadXml(TextReader&) {}
void Template::CollectSelectionComponents(BitSet&) {}
void Template::CollectSelectedLines(BitSet&) {}
void Template::SetOption(const char*, const char*) {}

Template* Template::DeriveTemplate(Template* from)
{
    return from;
}

int64_t Template::StoredSize() const
{
    return MemBlockFootprint(name.Get()) + 44;
}

// --- TemplateGroup ----------------------------------------------------------------------------------

TemplateGroup::TemplateGroup(Base& base) : Template(TemplateKind::Group, base) {}
TemplateGroup::~TemplateGroup() = default;

// --- TemplateNameFilter -----------------------------------------------------------------------------

struct TemplateNameFilter::Compiled {
    TextMatcher matcher;
};

TemplateNameFilter::TemplateNameFilter() = default;
TemplateNameFilter::~TemplateNameFilter() = default;

void TemplateNameFilter::SetPattern(const char* pattern)
{
    compiled.reset();
    if (pattern == nullptr || pattern[0] == '\0')
        return;
    auto made = std::make_unique<Compiled>();
    String text;
    text.AssignCStr(pattern);
    (void)made->matcher.Compile(text, kTextMatcherKeepCase);
    if (!made->matcher.IsEmpty())
        compiled = std::move(made);
}

bool TemplateNameFilter::IsEmpty() const
{
    return compiled == nullptr;
}

bool TemplateNameFilter::Matches(const Template& node) const
{
    if (compiled == nullptr)
        return true;
    String path;
    node.GetPathName(path);
    if (compiled->matcher.MatchesString(path))
        return true;
    String joined;
    const char* p = path.CStr();
    while (*p != '\0') {
        if (p[0] == ':' && p[1] == ' ') {
            joined.AppendChar(':');
            p += 2;
        } else {
            joined.AppendBytes(p, 1);
            ++p;
        }
    }
    return compiled->matcher.MatchesString(joined);
}

}  // namespace vek
