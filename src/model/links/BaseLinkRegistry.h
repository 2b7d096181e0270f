// BaseLinkRegistry: the link kinds of a base (cards, macros, templates) in its notes texts.
#pragma once

#include <cstdint>

#include "foundation/services/Service.h"
#include "text/LinkRegistry.h"

namespace vek {

class Base;
class FilePath;
class Macro;
class String;
class TextWriter;
struct Card;

// What the base's links need of the layers above the model and of the template tree: opening base
// files, card windows, running macros, the templates of a base and the web gateway's links. Every
// operation has the headless answer here (nothing can be opened or run, there is no template, links
// go to the gateway's page "?"); the layers that have the real thing override what they provide and
// register through Service<NoteLinkServices>.
class NoteLinkServices {
public:
    virtual ~NoteLinkServices();

    // Opens a base file (read as a document); null when it cannot be read.
    virtual Base* OpenBaseFile(const FilePath& path);
    // Opens the card window on a card, at line `line` (0: none).
    virtual void OpenCardWindow(Base& base, Card& card, int32_t line);
    // Runs the macro's commands.
    virtual void RunMacro(Macro& macro);
    // Starts an HTML link to the web gateway: "<a", the class (when given), " href=\"", the gateway
    // address and the current parameters; the kind writes its address part after it.
    virtual void BeginWebLink(TextWriter& writer, const char* cssClass);
    // True while a web request is answered whose context asks for plain links (no gateway links).
    virtual bool WebLinksPlain();
};

template <>
NoteLinkServices& Service<NoteLinkServices>::Headless();

// A link kind bound to a base. A target may begin with a base prefix, "[", a base's file name, "]"
// and blanks: the object is then in that base; without one it is in the kind's own base.
class NoteLinkType : public LinkKind {
public:
    NoteLinkType(Base& base, const char* attribute, int32_t labelTextId);
    ~NoteLinkType() override;

    Base& OwnBase() const { return base; }
    // Takes the base prefix off the target and gives the open base whose file name equals it (the own
    // base without a prefix). When `open` is set and no open base has that file, the file (in the own
    // base's folder) is opened. Null when there is no such base.
    Base* FindBase(String& target, bool open) const;

    virtual bool TargetExists(const String& target) = 0;
    virtual void OpenTarget(const String& target) = 0;
    // Drops a prefix that names the own base from target and text; trims blanks at both ends of both.
    virtual void SplitTarget(String& target, String& text);

    bool Resolve(String& target, String& text) override;
    void Open(const String& target) override;
    void Normalize(String& target, String& text) override;

private:
    Base& base;
};

// "card": a card key as YYMMDD-number (YYYYMMDD-number outside 1928-2027), optionally followed by "#"
// and a line number of 1 or more.
class CardLinkType : public NoteLinkType {
public:
    explicit CardLinkType(Base& base);
    ~CardLinkType() override;

    bool TargetExists(const String& target) override;
    void OpenTarget(const String& target) override;
    void WriteHtml(TextWriter& writer, const String& target, const String& text) override;

    // The card the target names in `owner` (the base the prefix names), or null; `line` gets the line
    // number after "#" (0 without one).
    Card* FindCard(const String& target, bool open, Base*& owner, int32_t& line) const;
};

// "macro": a macro name. Opening a missing macro leaves message 3823 pending and runs nothing.
class MacroLinkType : public NoteLinkType {
public:
    explicit MacroLinkType(Base& base);
    ~MacroLinkType() override;

    bool TargetExists(const String& target) override;
    void OpenTarget(const String& target) override;
};

// "template": a template path name. Opening a missing template leaves message 3824 pending.
class TemplateLinkType : public NoteLinkType {
public:
    explicit TemplateLinkType(Base& base);
    ~TemplateLinkType() override;

    bool TargetExists(const String& target) override;
    void OpenTarget(const String& target) override;
    void WriteHtml(TextWriter& writer, const String& target, const String& text) override;
};

// The base's registry "data" with its three kinds. Links whose target names the map service's host
// lose the query parameters "e", "n" and "scale" (a position that would otherwise follow the link
// everywhere) in target and text.
class BaseLinkRegistry : public LinkRegistry {
public:
    // The host that marks map links unless another is set.
    static constexpr const char* kDefaultMapHost = "maps.";

    explicit BaseLinkRegistry(Base& base);
    ~BaseLinkRegistry() override;

    void SetMapHost(const char* host) { mapHost.AssignCStr(host); }
    void CleanLink(String& target, String& text) const override;

private:
    String mapHost;
};

}  // namespace vek
