// The template definitions of a base file's "##Templates" and "##Defaults" sections.
//
// Both sections are runs of definitions (Template::ReadDefinition gives the lines of one):
//
//   | line                          | meaning                                                        |
//   |-------------------------------|----------------------------------------------------------------|
//   | "#" letter TAB path           | a definition of the kind the letter names ("T" letter in the   |
//   |                               | bullet forms); in "##Defaults" the path is empty               |
//   | key lines                     | the definition's keys                                          |
//   | "##..." (bullet: "•...")      | the next section: the run ends                                 |
//
// Letters: C cards, L lines, P components, T time functions, R component functions, K card layout
// (S names the subset kind, of which no template is made). In "##Templates" a letter that names no
// analysis kind ends the run, and so does T in text files older than 19961018; other lines between
// definitions are skipped.
#include "model/templates/TemplateTree.h"

#include <string>

#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek {

namespace {

// Text files before this version had no time-functions kind: a "T" there is not a definition.
constexpr int32_t kFirstVersionWithTimeFunctions = 19961018;
constexpr std::string_view kSectionBullet = "\xE2\x80\xA2";

enum class DefinitionLine {
    Header,   // a definition's header line
    Section,  // a section marker: the run ends
    Other,
};

// What the reader's current line is (its field cursor is left at the line start); `letter` gets the
// header's kind letter.
DefinitionLine ClassifyDefinitionLine(TextReader& reader, const TemplateReadContext& context, char& letter)
{
    std::string_view line(reader.LineStart() != nullptr ? reader.LineStart() : "", size_t(reader.LineLength()));
    if (line.starts_with("##") || (context.IsBulletFile() && line.starts_with(kSectionBullet)))
        return DefinitionLine::Section;
    char opener = context.IsBulletFile() ? 'T' : '#';
    if (line.size() >= 2 && line[0] == opener && (line.size() == 2 || line[2] == '\t')) {
        letter = line[1];
        return DefinitionLine::Header;
    }
    return DefinitionLine::Other;
}

// Reads lines until one that is not Other (left current) or the end; false at the end.
bool NextDefinitionLine(TextReader& reader, bool haveLine, const TemplateReadContext& context, char& letter,
                        DefinitionLine& kind)
{
    while (!IsErrorPending()) {
        if (!haveLine && !reader.ReadLine())
            return false;
        haveLine = false;
        kind = ClassifyDefinitionLine(reader, context, letter);
        if (kind != DefinitionLine::Other)
            return true;
    }
    return false;
}

// The header line's path field.
void HeaderPath(TextReader& reader, String& path)
{
    reader.RestartLine();
    (void)reader.NextFieldRaw();
    if (!reader.NextFieldToString(path))
        path.SetLength(0);
}

}  // namespace

void TemplateTree::ReadDefinitions(TextReader& reader, const std::function<void(Template&)>& onEach)
{
    const TemplateReadContext context = reading;
    bool haveLine = false;
    char letter = 0;
    DefinitionLine kind = DefinitionLine::Other;
    String path;
    while (NextDefinitionLine(reader, haveLine, context, letter, kind)) {
        haveLine = false;
        TemplateKind templateKind = TemplateKind::Group;
        bool known = kind == DefinitionLine::Header && TemplateKindFromLetter(letter, templateKind);
        bool ends = !known || templateKind == TemplateKind::Card ||
                    (templateKind == TemplateKind::TimeFunctions && context.fileKind == 5 &&
                     context.version > 0 && context.version < kFirstVersionWithTimeFunctions);
        if (ends) {
            reader.RestartLine();
            return;
        }
        HeaderPath(reader, path);
        std::unique_ptr<Template> made = NewTemplate(templateKind);
        if (made == nullptr) {
            // No template of this kind: its key lines are passed over.
            haveLine = NextDefinitionLine(reader, false, context, letter, kind);
            if (!haveLine)
                return;
            continue;
        }
        made->ReadDefinition(reader, context);
        haveLine = reader.LineStart() != nullptr && !IsErrorPending();
        // The template of the path is replaced. Where a group holds the path, the template of that
        // name beside it is meant (a group is never taken out with its members).
        Template* existing = Find(path.CStr());
        if (existing != nullptr && existing->IsGroup()) {
            Template* group = existing;
            existing = nullptr;
            for (Template* m = group->NextSibling(); m != nullptr && CStrCompareNoCase(m->NameCStr(), group->NameCStr()) == 0;
                 m = m->NextSibling()) {
                if (!m->IsGroup()) {
                    existing = m;
                    break;
                }
            }
        }
        if (existing != nullptr && !existing->IsGroup())
            Remove(existing);
        Template* inserted = Insert(std::move(made), path.CStr());
        if (inserted != nullptr && onEach)
            onEach(*inserted);
        if (!haveLine)
            return;
        reader.RestartLine();
    }
}

void TemplateTree::ReadDefaultDefinitions(TextReader& reader)
{
    const TemplateReadContext context = reading;
    bool haveLine = false;
    char letter = 0;
    DefinitionLine kind = DefinitionLine::Other;
    while (NextDefinitionLine(reader, haveLine, context, letter, kind)) {
        haveLine = false;
        TemplateKind templateKind = TemplateKind::Group;
        if (kind == DefinitionLine::Section) {
            reader.RestartLine();
            return;
        }
        Template* defaults = TemplateKindFromLetter(letter, templateKind) ? GetDefault(templateKind) : nullptr;
        if (defaults == nullptr)
            continue;  // a letter of no defaults template: its lines are passed over
        defaults->ReadDefinition(reader, context);
        haveLine = reader.LineStart() != nullptr && !IsErrorPending();
        if (!haveLine)
            return;
    }
}

int32_t TemplateTree::WriteDefinitions(TextWriter& writer, const TemplateNameFilter& filter) const
{
    int32_t written = 0;
    for (Template* node = root->NextInTree(); node->Parent() != nullptr && !IsErrorPending();
         node = node->NextInTree()) {
        if (node->IsGroup() || !filter.Matches(*node))
            continue;
        node->WriteDefinition(writer);
        ++written;
    }
    return written;
}

void TemplateTree::WriteDefaultDefinitions(TextWriter& writer) const
{
    for (const std::unique_ptr<Template>& defaults : defaultTemplates) {
        if (defaults != nullptr)
            defaults->WriteDefinition(writer);
    }
}

bool TemplateTree::HasChangedDefaults() const
{
    for (const std::unique_ptr<Template>& defaults : defaultTemplates) {
        if (defaults == nullptr)
            continue;
        std::unique_ptr<Template> fresh = const_cast<TemplateTree*>(this)->NewTemplate(defaults->Kind());
        if (fresh == nullptr)
            return true;
        TextWriter now;
        TextWriter initial;
        defaults->WriteDefinition(now);
        fresh->WriteDefinition(initial);
        if (now.BufferedBytes() != initial.BufferedBytes())
            return true;
    }
    return false;
}

void TemplateTree::KeepTexts(std::string& tree, std::string& defaults) const
{
    TextWriter treeWriter;
    (void)WriteDefinitions(treeWriter, TemplateNameFilter());
    tree.assign(treeWriter.BufferedBytes());
    TextWriter defaultsWriter;
    WriteDefaultDefinitions(defaultsWriter);
    defaults.assign(defaultsWriter.BufferedBytes());
}

void TemplateTree::RestoreTexts(const std::string& tree, const std::string& defaults)
{
    std::string nowTree;
    std::string nowDefaults;
    KeepTexts(nowTree, nowDefaults);
    const TemplateReadContext saved = reading;
    reading = TemplateReadContext{};
    if (nowTree != tree) {
        RemoveAll();
        TextReader reader(tree.data(), int64_t(tree.size()));
        ReadDefinitions(reader);
    }
    if (nowDefaults != defaults) {
        // Fresh templates first: a key at its default value is not written, so reading into the
        // changed ones would keep the change.
        for (size_t i = 0; i < defaultTemplates.size(); ++i) {
            if (defaultTemplates[i] != nullptr) {
                std::unique_ptr<Template> fresh = NewTemplate(defaultTemplates[i]->Kind());
                if (fresh != nullptr)
                    defaultTemplates[i] = std::move(fresh);
            }
        }
        TextReader reader(defaults.data(), int64_t(defaults.size()));
        ReadDefaultDefinitions(reader);
        base.Notify(kChangeDefaultTemplate);
    }
    reading = saved;
}

}  // namespace vek
