// The base's template tree: the factory, the defaults templates, finding, inserting, removing,
// duplicating, listing and opening templates.
#include "model/templates/TemplateTree.h"

#include <iterator>
#include <new>
#include <vector>

#include "foundation/messages/PendingError.h"
#include "foundation/services/Service.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/templates/AnalysisTemplate.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "model/named/NamedObjects.h"
#include "model/expressions/TextMatcher.h"
#include "model/templates/TemplateKindRegistry.h"

namespace vek {

namespace {

// The defaults templates are kept in the order they are made: kinds 10, 1, 2, 3, 4, 5.
constexpr TemplateKind kDefaultTemplateKinds[] = {TemplateKind::Card,       TemplateKind::Cards,
                                                  TemplateKind::Lines,      TemplateKind::Components,
                                                  TemplateKind::TimeFunctions, TemplateKind::ComponentFunctions};

int32_t DefaultTemplateSlot(TemplateKind kind)
{
    for (size_t i = 0; i < std::size(kDefaultTemplateKinds); ++i) {
        if (kDefaultTemplateKinds[i] == kind)
            return int32_t(i);
    }
    return -1;
}

// Groups nest at most this deep (the tree is walked and destroyed recursively in places, and no
// menu can show more).
constexpr int32_t kMaxTemplateDepth = 64;

// Bytes memory reports count for a node of the tree.
constexpr int64_t kTemplateNodeEstimate = 224;

// A path text trimmed of blanks at both ends.
void TrimmedPath(const char* path, String& out)
{
    out.AssignCStr(path != nullptr ? path : "");
    out.Trim();
}

// The last component of a path (the text after the last ':', trimmed); empty when none.
void LastPathComponent(const char* path, String& out)
{
    String rest;
    TrimmedPath(path, rest);
    out.SetLength(0);
    String part;
    while (!rest.IsEmpty()) {
        SplitPathHead(rest, part);
        if (!part.IsEmpty())
            out.Assign(part);
    }
}

}  // namespace

// The links of the tree: a group owns its first member, each member owns the next; the first
// member's previous sibling is the last one.
class TemplateLinks {
public:
    // Links the node into the group after the members whose names are not greater than its own.
    static Template& LinkInOrder(Template& group, std::unique_ptr<Template> node)
    {
        Template* previous = nullptr;
        for (Template* member = group.firstChild.get(); member != nullptr; member = member->nextSibling.get()) {
            if (CStrCompareNoCase(member->NameCStr(), node->NameCStr()) > 0)
                break;
            previous = member;
        }
        Template& linked = *node;
        linked.parent = &group;
        if (previous == nullptr) {
            linked.nextSibling = std::move(group.firstChild);
            group.firstChild = std::move(node);
        } else {
            linked.nextSibling = std::move(previous->nextSibling);
            previous->nextSibling = std::move(node);
        }
        Template* next = linked.nextSibling.get();
        Template* first = group.firstChild.get();
        if (previous != nullptr)
            linked.previousSibling = previous;
        else
            linked.previousSibling = next != nullptr ? next->previousSibling : &linked;
        if (next != nullptr)
            next->previousSibling = &linked;
        else
            first->previousSibling = &linked;
        return linked;
    }

    // Takes the node out of its group; the caller owns it.
    static std::unique_ptr<Template> Unlink(Template& node)
    {
        Template* group = node.parent;
        std::unique_ptr<Template> owned;
        Template* next = node.nextSibling.get();
        if (group->firstChild.get() == &node) {
            owned = std::move(group->firstChild);
            group->firstChild = std::move(node.nextSibling);
            if (next != nullptr)
                next->previousSibling = node.previousSibling;
        } else {
            Template* previous = node.previousSibling;
            owned = std::move(previous->nextSibling);
            previous->nextSibling = std::move(node.nextSibling);
            if (next != nullptr)
                next->previousSibling = previous;
            else
                group->firstChild->previousSibling = previous;
        }
        node.parent = nullptr;
        node.previousSibling = nullptr;
        return owned;
    }
};

// --- Factory and defaults ---------------------------------------------------------------------------

std::unique_ptr<Template> TemplateTree::NewTemplate(TemplateKind kind)
{
    return Service<TemplateKindRegistry>::Get().Make(kind, base);
}

TemplateTree::TemplateTree(Base& base) : base(base)
{
    root = std::make_unique<TemplateGroup>(base);
    for (size_t i = 0; i < std::size(kDefaultTemplateKinds); ++i)
        defaultTemplates[i] = NewTemplate(kDefaultTemplateKinds[i]);
}

Template* TemplateTree::GetDefault(TemplateKind kind) const
{
    int32_t slot = DefaultTemplateSlot(kind);
    return slot >= 0 ? defaultTemplates[size_t(slot)].get() : nullptr;
}

void TemplateTree::ResetDefault(TemplateKind kind)
{
    int32_t slot = DefaultTemplateSlot(kind);
    if (slot < 0)
        return;
    defaultTemplates[size_t(slot)].reset();
    defaultTemplates[size_t(slot)] = NewTemplate(kind);
    base.Notify(kChangeDefaultTemplate);
}

TemplateTree::~TemplateTree() = default;

// --- Finding ----------------------------------------------------------------------------------------

Template* TemplateTree::FindPath(Template* start, const char* path, String& remainder) const
{
    Template* current = start != nullptr ? start : root.get();
    String rest;
    TrimmedPath(path, rest);
    String component;
    while (true) {
        SplitPathHead(rest, component);
        if (component.IsEmpty()) {
            remainder.SetLength(0);
            return current;
        }
        Template* found = nullptr;
        for (Template* member = current->FirstChild(); member != nullptr; member = member->NextSibling()) {
            int32_t order = CStrCompareNoCase(member->NameCStr(), component.CStr());
            if (order >= 0) {
                if (order == 0)
                    found = member;
                break;
            }
        }
        if (found == nullptr) {
            remainder.Assign(component);
            if (!rest.IsEmpty()) {
                remainder.AppendCStr(": ");
                remainder.Append(rest);
            }
            return current;
        }
        current = found;
        if (rest.IsEmpty()) {
            remainder.SetLength(0);
            return current;
        }
    }
}

Template* TemplateTree::Find(const char* path) const
{
    String trimmed;
    TrimmedPath(path, trimmed);
    if (trimmed.IsEmpty())
        return nullptr;
    String remainder;
    Template* node = FindPath(nullptr, trimmed.CStr(), remainder);
    return remainder.IsEmpty() && node != root.get() ? node : nullptr;
}

// --- Inserting and removing -------------------------------------------------------------------------

Template* TemplateTree::Insert(std::unique_ptr<Template> node, const char* path)
{
    if (node == nullptr)
        return nullptr;
    String remainder;
    Template* current = FindPath(nullptr, path, remainder);
    if (remainder.IsEmpty()) {
        // The whole path names a node already: the template goes beside it under the same name.
        if (current == root.get())
            return nullptr;  // an empty path
        LastPathComponent(path, remainder);
        current = current->Parent();
    }
    if (!current->IsGroup() && current->Parent() != nullptr) {
        // A template on the way becomes a group of its name that holds it.
        Template* group = current->Parent();
        std::unique_ptr<Template> old = TemplateLinks::Unlink(*current);
        auto made = std::make_unique<TemplateGroup>(base);
        made->SetName(old->NameCStr());
        String first;
        String rest;
        rest.Assign(remainder);
        SplitPathHead(rest, first);
        if (CStrCompareNoCase(old->NameCStr(), first.CStr()) == 0) {
            String renamed;
            renamed.AssignCStr(old->NameCStr());
            renamed.AppendCStr(" 1");
            old->SetName(renamed.CStr());
        }
        Template& linkedGroup = TemplateLinks::LinkInOrder(*group, std::move(made));
        TemplateLinks::LinkInOrder(linkedGroup, std::move(old));
        current = &linkedGroup;
    }
    int32_t depth = 0;
    for (const Template* node = current; node->Parent() != nullptr; node = node->Parent())
        ++depth;
    String component;
    while (true) {
        SplitPathHead(remainder, component);
        if (remainder.IsEmpty())
            break;
        if (depth + 1 >= kMaxTemplateDepth) {
            // No deeper groups: the rest of the path stays in the template's name, so nothing is lost
            // and the same path always lands in the same place.
            component.AppendCStr(": ");
            component.Append(remainder);
            break;
        }
        ++depth;
        auto made = std::make_unique<TemplateGroup>(base);
        made->SetName(component.CStr());
        current = &TemplateLinks::LinkInOrder(*current, std::move(made));
    }
    node->SetName(component.CStr());
    Template& linked = TemplateLinks::LinkInOrder(*current, std::move(node));
    base.Notify(kChangeNamedObject);
    return &linked;
}

void TemplateTree::Remove(Template* node)
{
    if (node == nullptr || node->Parent() == nullptr || &node->GetBase() != &base)
        return;
    Template* group = node->Parent();
    TemplateLinks::Unlink(*node).reset();
    while (group != root.get() && group->FirstChild() == nullptr) {
        Template* above = group->Parent();
        TemplateLinks::Unlink(*group).reset();
        group = above;
    }
    base.Notify(kChangeNamedObject);
}

void TemplateTree::RemoveAll()
{
    if (root->FirstChild() == nullptr)
        return;
    while (Template* first = root->FirstChild())
        TemplateLinks::Unlink(*first).reset();
    base.Notify(kChangeNamedObject);
}

// Removes every node that `matches` (with its members); the number of nodes matched.
template <typename Predicate>
static int32_t RemoveTemplatesWhere(TemplateTree& tree, Predicate&& matches)
{
    std::vector<Template*> doomed;
    Template& root = tree.Root();
    for (Template* node = root.NextInTree(); node->Parent() != nullptr;) {
        if (matches(*node)) {
            doomed.push_back(node);
            // Its members go with it: the walk goes on after its subtree.
            Template* after = node;
            while (after->Parent() != nullptr && after->NextSibling() == nullptr)
                after = after->Parent();
            node = after->Parent() != nullptr ? after->NextSibling() : after;
        } else {
            node = node->NextInTree();
        }
    }
    for (Template* node : doomed)
        tree.Remove(node);
    return int32_t(doomed.size());
}

int32_t TemplateTree::RemoveMatching(const char* pattern)
{
    if (pattern == nullptr || pattern[0] == '\0')
        return 0;
    TextMatcher matcher;
    String text;
    text.AssignCStr(pattern);
    (void)matcher.Compile(text, kTextMatcherKeepCase);
    if (matcher.IsEmpty())
        return 0;
    String path;
    return RemoveTemplatesWhere(*this, [&](const Template& node) {
        node.GetPathName(path);
        return matcher.MatchesString(path);
    });
}

void TemplateTree::RemoveUnmarked()
{
    (void)RemoveTemplatesWhere(*this, [](const Template& node) { return !node.KeepMark(); });
}

void TemplateTree::MarkAll(bool keep)
{
    for (Template* node = root->NextInTree(); node->Parent() != nullptr; node = node->NextInTree())
        node->SetKeepMark(keep);
}

// --- Duplicating ------------------------------------------------------------------------------------

std::unique_ptr<Template> TemplateTree::Duplicate(const Template& source)
{
    std::unique_ptr<Template> copy = NewTemplate(source.Kind());
    if (copy == nullptr)
        return nullptr;
    base.SetupDimensionOrder();
    TextWriter writer;
    source.WriteDefinition(writer);
    TextReader reader(writer);
    if (reader.ReadLine()) {  // the header line
        // The definition was just written by this program: it is read as today's text base.
        TemplateReadContext saved = reading;
        reading = TemplateReadContext{};
        copy->ReadDefinition(reader, reading);
        reading = saved;
    }
    return copy;
}

Template* TemplateTree::Duplicate(const Template& source, const char* path)
{
    if (path == nullptr || Find(path) != nullptr)
        return nullptr;
    std::unique_ptr<Template> copy = Duplicate(source);
    if (copy == nullptr)
        return nullptr;
    return Insert(std::move(copy), path);
}

// --- Counting, listing, opening ---------------------------------------------------------------------

int32_t TemplateTree::Count() const
{
    int32_t count = 0;
    for (Template* node = root->NextInTree(); node->Parent() != nullptr; node = node->NextInTree())
        count += node->IsGroup() ? 0 : 1;
    return count;
}

int64_t TemplateTree::EstimateMemory() const
{
    int64_t nodes = 0;
    for (Template* node = root->NextInTree(); node->Parent() != nullptr; node = node->NextInTree())
        ++nodes;
    return nodes * kTemplateNodeEstimate;
}

void TemplateTree::List(TextWriter& writer, const char* groupPath, const TemplateNameFilter& filter) const
{
    Template* top = groupPath != nullptr ? Find(groupPath) : nullptr;
    if (top == nullptr)
        top = root.get();
    String path;
    for (Template* node = top; node != nullptr;) {
        if (!node->IsGroup() && filter.Matches(*node)) {
            writer.PutText(TemplateKindName(node->Kind()));
            writer.PutSeparator();
            node->GetPathName(path);
            writer.PutFieldText(path.View());
            writer.EndRow();
        }
        node = node->NextInTree();
        if (node->Parent() == nullptr || !Template::IsWithin(top, node))
            break;
    }
}

BaseWindowLink* TemplateTree::Open(Template* node, Template* origin, int32_t flags)
{
    if (node == nullptr)
        return nullptr;
    if (node->IsGroup()) {
        for (Template* member = node->FirstChild(); member != nullptr && !IsErrorPending();
             member = member->NextSibling())
            (void)Open(member, nullptr, flags);
        return nullptr;
    }
    if (!IsAnalysisKind(node->Kind()))
        return nullptr;
    return Service<ModelServices>::Get().OpenTemplateWindow(*node, origin, flags);
}

// The members of a group into its menu; a submenu that cannot be made takes its members into the
// group's own menu.
static void AddTemplateMenuItems(ObjectMenu& menu, Template& group)
{
    for (Template* member = group.FirstChild(); member != nullptr; member = member->NextSibling()) {
        std::string_view title(member->NameCStr());
        if (!member->IsGroup()) {
            menu.AddTemplateItem(*member, title, member->MenuMark());
            continue;
        }
        ObjectMenu* submenu = menu.FindSubmenu(title);
        if (submenu == nullptr)
            submenu = menu.AddSubmenu(title);
        AddTemplateMenuItems(submenu != nullptr ? *submenu : menu, *member);
    }
}

void TemplateTree::BuildMenus(ObjectMenu& menu)
{
    AddTemplateMenuItems(menu, *root);
}

void TemplateTree::OpenAutoOpen()
{
    for (Template* node = root->NextInTree(); node->Parent() != nullptr && !IsErrorPending();
         node = node->NextInTree()) {
        auto* analysis = dynamic_cast<AnalysisTemplate*>(node);
        if (analysis != nullptr && analysis->autoOpen && IsAnalysisKind(node->Kind()))
            (void)Open(node, nullptr, 0);
    }
}

void TemplateTree::PassChange(const ChangeRecord& record)
{
    for (Template* node = root->NextInTree(); node->Parent() != nullptr; node = node->NextInTree())
        node->OnBaseChange(record);
}

// --- The base's shorthands ------------------------------------------------------------------------

std::unique_ptr<Template> Base::NewTemplate(TemplateKind kind)
{
    return templates->NewTemplate(kind);
}

Template* Base::FindTemplate(const char* path) const
{
    return templates->Find(path);
}

}  // namespace vek
