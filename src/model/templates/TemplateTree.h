// TemplateTree: a base's tree of templates and its defaults templates.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "model/templates/Template.h"

namespace vek {

class Base;
class BaseWindowLink;
class ObjectMenu;
class String;
class TextReader;
class TextWriter;
struct ChangeRecord;

// The templates of one base: the unnamed root group with the named groups and templates below it,
// and the defaults templates of kinds 10, 1, 2, 3, 4, 5. The base owns it (Base::Templates) and it
// lives as long as the base; every change it makes is posted as the base's change (64 for the
// defaults, 65 for the tree).
class TemplateTree {
public:
    // The root group and the defaults templates, made for the base.
    explicit TemplateTree(Base& base);
    ~TemplateTree();
    TemplateTree(const TemplateTree&) = delete;
    TemplateTree& operator=(const TemplateTree&) = delete;

    // The template factory: a new template of kind 1-5 or 10 for the base, outside the tree (kinds
    // 1-5 as the template registry makes them); null for any other kind or when memory runs short.
    [[nodiscard]] std::unique_ptr<Template> NewTemplate(TemplateKind kind);
    // The unnamed root group.
    Template& Root() const { return *root; }
    // The defaults template of kinds 1-5 and 10; null for any other kind.
    Template* GetDefault(TemplateKind kind) const;
    // Replaces the defaults template of the kind by a new one; change 64.
    void ResetDefault(TemplateKind kind);

    // The deepest node reached along the ': '-joined path from `start` (the root when null), and in
    // `remainder` the part of the path not found (empty when the whole path was found).
    Template* FindPath(Template* start, const char* path, String& remainder) const;
    // The node whose path name is the text (the first of equal names), or null.
    Template* Find(const char* path) const;
    // Puts a template that is not in the tree at the path, making the groups the path names (a
    // template on the way becomes a group of its name holding it); change 65. The template, or null
    // for an empty path (nothing inserted, the template dropped).
    Template* Insert(std::unique_ptr<Template> node, const char* path);
    // Takes a node and its members out of the tree and destroys them; groups left empty above it go
    // too (never the root); change 65. Nothing for the root or a node outside the tree.
    void Remove(Template* node);
    // Every node of the tree; change 65 when anything was removed.
    void RemoveAll();
    // Every node whose path name matches the pattern (text matcher); the number removed. An empty or
    // refused pattern removes nothing.
    int32_t RemoveMatching(const char* pattern);
    // Every node without its keep mark (a rollback to a checkpoint).
    void RemoveUnmarked();
    // Sets or clears the keep mark of every node.
    void MarkAll(bool keep);
    // A new template of the source's kind with its settings, made through its stored definition:
    // outside the tree (first form), or inserted at the path (second form; null when the path names
    // a node already or memory runs short).
    [[nodiscard]] std::unique_ptr<Template> Duplicate(const Template& source);
    Template* Duplicate(const Template& source, const char* path);
    // Nodes of kinds other than groups.
    int32_t Count() const;
    // 224 bytes for every node of the tree, groups included.
    int64_t EstimateMemory() const;
    // One row per template in pre-order: type name, separator, path name. With a group path, only
    // that node's subtree (the whole tree when the path names nothing).
    void List(TextWriter& writer, const char* groupPath, const TemplateNameFilter& filter) const;
    // The window of a node through the window services (null without a display); a group opens each
    // member in turn and gives null. Flags: 2 bring an open window forward, 4 reopen, 8 skip the
    // search for an open window, 16 drop a window whose result is empty.
    BaseWindowLink* Open(Template* node, Template* origin, int32_t flags);
    // One item per node in tree order under its parent's: a group as a submenu of its name (found by
    // its title or made) holding its members, a template as a template item; `menu` stands for the root.
    void BuildMenus(ObjectMenu& menu);
    // Opens every template of kinds 1-5 marked to open when the base is read, in tree order.
    void OpenAutoOpen();
    // Change 63 to every node of the tree, in pre-order.
    void PassChange(const ChangeRecord& record);

    // The definitions of a "##Templates" section, from the reader's next line up to a section marker
    // or a header whose letter names no analysis kind (left current, restarted) or the end of input.
    // Each replaces the template of its path (where a group holds the path, the template of that
    // name beside it; the group and its members stay); `onEach` (when given) learns of each template
    // read. Stops at the cancel flag.
    void ReadDefinitions(TextReader& reader, const std::function<void(Template&)>& onEach = {});
    // The definitions of a "##Defaults" section into the defaults templates of their kinds, up to
    // the next section marker (left current, restarted) or the end of input.
    void ReadDefaultDefinitions(TextReader& reader);
    // Every template in pre-order that passes the filter; the number written.
    int32_t WriteDefinitions(TextWriter& writer, const TemplateNameFilter& filter) const;
    // The six defaults templates in their order (10, 1, 2, 3, 4, 5).
    void WriteDefaultDefinitions(TextWriter& writer) const;
    // True when a defaults template differs from a new one of its kind.
    bool HasChangedDefaults() const;
    // The definitions of every template and of the defaults templates, for a checkpoint.
    void KeepTexts(std::string& tree, std::string& defaults) const;
    // Puts the tree and the defaults back as the kept definitions describe them, each only when it
    // differs now.
    void RestoreTexts(const std::string& tree, const std::string& defaults);
    // How template definitions being read are taken (the base-file reader sets it for a read).
    const TemplateReadContext& Reading() const { return reading; }
    void SetReading(const TemplateReadContext& context) { reading = context; }

private:
    Base& base;
    std::unique_ptr<Template> root;
    // The defaults templates of kinds 10, 1, 2, 3, 4, 5 (in that order).
    std::array<std::unique_ptr<Template>, 6> defaultTemplates;
    TemplateReadContext reading;
};

}  // namespace vek
