// Template: a node of a base's template tree (a template group or an analysis template), and the kind
// table that names the kinds.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "foundation/strings/HeapText.h"
#include "foundation/strings/OwnedText.h"

namespace vek {

class Base;
class BitSet;
class String;
class TextReader;
class TextWriter;
class TemplateMenuItem;
struct ChangeRecord;

// The kind of a node. Group is a template group; Subset (6) names only the subset kind of the
// base-file reader: no template of it is ever made.
enum class TemplateKind : int32_t {
    Group = 0,
    Cards = 1,
    Lines = 2,
    Components = 3,
    TimeFunctions = 4,
    ComponentFunctions = 5,
    Subset = 6,
    Card = 10,
};

// The kind table.
// The type name used in template lists ("Cards", "Time Functions"); "" for groups and kind 10.
const char* TemplateKindName(TemplateKind kind);
// The short code of web paths and link texts ("cards", "comps"; "templates" for groups and kind 10).
const char* TemplateTypeCode(TemplateKind kind);
// The letter that opens a stored definition ('C', 'L', 'P', 'T', 'R', 'S' for 6, 'K'); 0 for none.
char TemplateHeaderLetter(TemplateKind kind);
// The kind a header letter names; false for a letter that names none.
bool TemplateKindFromLetter(char letter, TemplateKind& kind);
// Kinds 1-5: the five analysis kinds.
constexpr bool IsAnalysisKind(TemplateKind kind)
{
    return kind >= TemplateKind::Cards && kind <= TemplateKind::ComponentFunctions;
}

// How definitions being read are to be taken: the kind and version of the file they come from
// (the file-type numbers of the files layer: 5 is today's text base, 6 and 7 the older bullet forms).
struct TemplateReadContext {
    int32_t fileKind = 5;
    int32_t version = 20121122;
    bool IsBulletFile() const { return fileKind == 6 || fileKind == 7; }
};

// A node of a base's template tree: the unnamed root group, a named template group, or a template of
// one of the kinds (the analysis kinds and the card layout derive from AnalysisTemplate).
// The tree links are kept by the base's template tree (TemplateTree::Insert and its sisters);
// a group owns its members, and destroying a node destroys its members. Members of a group are in
// ascending order of their names without regard to case; equal names keep their insertion order.
//
// A template's definition is stored as keyed text lines: a header line ("#", the kind's letter, a
// tab and the path name) and key lines. The virtual operations read and write them; each kind reads
// its own keys and hands the others to its base class.
class Template {
public:
    Template(TemplateKind kind, Base& base);
    virtual ~Template();
    Template(const Template&) = delete;
    Template& operator=(const Template&) = delete;

    TemplateKind Kind() const { return kind; }
    bool IsGroup() const { return kind == TemplateKind::Group; }
    Base& GetBase() const { return base; }

    // --- Tree -------------------------------------------------------------------------------------
    // Null for the root and for templates outside the tree (defaults, templates made by windows).
    Template* Parent() const { return parent; }
    Template* FirstChild() const { return firstChild.get(); }
    Template* NextSibling() const { return nextSibling.get(); }
    // The first member's previous sibling is the last member.
    Template* PreviousSibling() const { return previousSibling; }
    // The next node in pre-order: the first member, else the next sibling, else the next sibling of
    // the nearest enclosing group that has one; at the end of the walk the root (a node without a
    // parent). A walk starts at the root and stops when it comes back to a node without a parent.
    Template* NextInTree() const;
    // True when `group` is the node itself or one of its enclosing groups.
    static bool IsWithin(const Template* group, const Template* node);

    // --- Names ------------------------------------------------------------------------------------
    // The node's own name; null for the root and for defaults templates.
    ConstHeapText GetName() const { return name.Get(); }
    const char* NameCStr() const { return name.CStr(); }
    // Only the tree operations rename a node in the tree (its place follows the name).
    void SetName(const char* text) { name.Set(text); }
    // The names of the enclosing groups (root excluded), outermost first, and the node's own name,
    // joined by ": ".
    void GetPathName(String& out) const;
    // -1, 0 or 1: the path name against a text, without regard to case.
    int32_t ComparePath(const char* text) const;
    // The 4-character link code of the node's name.
    void GetLinkCode(String& out) const;
    // The link code of the base's file name, then those of the enclosing groups and the node, joined
    // by ":", outermost first.
    void GetLinkPath(String& out) const;
    const char* GetTypeCode() const { return TemplateTypeCode(kind); }

    // --- Marks ------------------------------------------------------------------------------------
    bool MenuMark() const { return menuMark; }
    void SetMenuMark(bool on) { menuMark = on; }
    // Set on every node when the base takes a checkpoint; a rollback removes the nodes without it.
    bool KeepMark() const { return keepMark; }
    void SetKeepMark(bool on) { keepMark = on; }
    // The node's item in the template menus while they are built (not owned).
    TemplateMenuItem* MenuItem() const { return menuItem; }
    void SetMenuItem(TemplateMenuItem* item) { menuItem = item; }

    // --- Definition -------------------------------------------------------------------------------
    // Reads a definition whose header line the reader has just passed: Reset, then every line up to
    // the next header line ("#" in today's files; "T" or a bullet in the older forms) goes to
    // ReadKeyLine with its field cursor at the line start; lines without a field are skipped; the end
    // of input and the cancel flag also stop it; then FinishRead. The line that stopped the reading
    // is left current (restarted) for the section reader.
    void ReadDefinition(TextReader& reader, const TemplateReadContext& context);
    // The header line: "#", the kind's letter, a tab and the path name (nothing for a group).
    void WriteHeaderLine(TextWriter& writer) const;

    // --- Virtual operations -------------------------------------------------------------------------
    virtual void OnBaseChange(const ChangeRecord& record);
    // Back to the state a definition is read into.
    virtual void Reset();
    // One key line, the reader's field cursor at the start of the line. Unknown keys are ignored.
    virtual void ReadKeyLine(TextReader& reader, const TemplateReadContext& context);
    // After the last key line of a definition.
    virtual void FinishRead(const TemplateReadContext& context);
    // The header line, then the keys.
    virtual void WriteDefinition(TextWriter& writer) const;
    virtual void ClearSettings();
    // The XML-like text of a template (the kinds read theirs).
    virtual void ReadXml(TextReader& reader);
    // Marks the components the template's selection names (per dimension, in the pool's numbering).
    virtual void CollectSelectionComponents(BitSet& components);
    // Marks the lines (pool indices) the template's selection takes.
    virtual void CollectSelectedLines(BitSet& lines);
    // A named option of the command language and the XML interface; unknown names are ignored.
    virtual void SetOption(const char* optionName, const char* value);
    // The template a window derives from this one; the template itself here.
    virtual Template* DeriveTemplate(Template* from);
    // The bytes the template takes, by the documented record sizes.
    virtual int64_t StoredSize() const;

private:
    friend class TemplateLinks;

    TemplateKind kind;
    Base& base;
    Template* parent = nullptr;
    std::unique_ptr<Template> firstChild;
    std::unique_ptr<Template> nextSibling;
    Template* previousSibling = nullptr;
    OwnedText name;
    TemplateMenuItem* menuItem = nullptr;
    bool menuMark = false;
    bool keepMark = false;
};

// A template group (kind 0): a node that only holds members.
class TemplateGroup final : public Template {
public:
    explicit TemplateGroup(Base& base);
    ~TemplateGroup() override;
};

// An optional compiled name pattern over template path names (the text matcher's language).
class TemplateNameFilter {
public:
    TemplateNameFilter();
    ~TemplateNameFilter();
    TemplateNameFilter(const TemplateNameFilter&) = delete;
    TemplateNameFilter& operator=(const TemplateNameFilter&) = delete;

    // An empty or null pattern makes the filter pass every node.
    void SetPattern(const char* pattern);
    bool IsEmpty() const;
    // True when the filter is empty, or the pattern matches the node's path name, or failing that the
    // path name with every ": " written ":".
    bool Matches(const Template& node) const;

private:
    struct Compiled;
    std::unique_ptr<Compiled> compiled;
};

}  // namespace vek
