// BaseLinkRegistry: finding, opening and writing the targets of a base's card, macro and template links.
#include "model/links/BaseLinkRegistry.h"

#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/base/ModelServices.h"
#include "model/templates/Template.h"
#include "model/named/Macro.h"

namespace vek {

// --- Services --------------------------------------------------------------------------------------------

NoteLinkServices::~NoteLinkServices() = default;

Base* NoteLinkServices::OpenBaseFile(const FilePath&)
{
    return nullptr;
}

void NoteLinkServices::OpenCardWindow(Base&, Card&, int32_t) {}

void NoteLinkServices::RunMacro(Macro&) {}

void NoteLinkServices::BeginWebLink(TextWriter& writer, const char* cssClass)
{
    writer.PutText("<a");
    if (cssClass != nullptr && *cssClass != 0) {
        writer.PutText(" class=\"");
        writer.PutEscapedText(cssClass);
        writer.PutText("\"");
    }
    writer.PutText(" href=\"?");
}

bool NoteLinkServices::WebLinksPlain()
{
    return false;
}

template <>
NoteLinkServices& Service<NoteLinkServices>::Headless()
{
    static NoteLinkServices services;
    return services;
}

namespace {

NoteLinkServices& LinkServices()
{
    return Service<NoteLinkServices>::Get();
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The length of a base prefix at the start of the text ("[", a name, "]" and the blanks after it), 0
// when there is none; `name` gets the name.
int32_t BasePrefixLength(std::string_view text, std::string_view& name)
{
    if (text.empty() || text[0] != '[')
        return 0;
    size_t close = text.find(']');
    if (close == std::string_view::npos)
        return 0;
    name = text.substr(1, close - 1);
    size_t end = close + 1;
    while (end < text.size() && text[end] == ' ')
        ++end;
    return int32_t(end);
}

// Writes the closing part of a gateway link: the quote, ">", the escaped text and "</a>".
void EndWebLink(TextWriter& writer, const String& text)
{
    writer.PutText("\">");
    writer.PutEscapedText(text);
    writer.PutText("</a>");
}

void SetMissingTargetError(int32_t code, const String& target)
{
    SetErrorCode(code);
    GetPendingError().message.AddText(target.CStr());
}

}  // namespace

// --- NoteLinkType ----------------------------------------------------------------------------------------

NoteLinkType::NoteLinkType(Base& base, const char* attribute, int32_t labelTextId)
    : LinkKind(attribute, labelTextId), base(base)
{
}

NoteLinkType::~NoteLinkType() = default;

Base* NoteLinkType::FindBase(String& target, bool open) const
{
    std::string_view name;
    int32_t prefix = BasePrefixLength(target.View(), name);
    if (prefix == 0)
        return &base;
    String fileName;
    fileName.AssignBytes(name);
    target.Delete(0, prefix);
    String other;
    for (Base* each = Base::FirstBase(); each != nullptr; each = each->NextBase()) {
        each->GetFileName(other);
        if (other.View() == fileName.View())
            return each;
    }
    // A base is named by its file name alone and is looked for beside the linking base: a name with a
    // "/" would let a text open files anywhere.
    if (!open || fileName.IsEmpty() || fileName.Find(0, "/") >= 0)
        return nullptr;
    FilePath file;
    file.SetPathRelativeTo(fileName.View(), &base.Path());
    return LinkServices().OpenBaseFile(file);
}

void NoteLinkType::SplitTarget(String& target, String& text)
{
    std::string_view name;
    int32_t prefix = BasePrefixLength(target.View(), name);
    if (prefix > 0) {
        String own;
        base.GetFileName(own);
        if (own.View() == name) {
            std::string_view textName;
            int32_t textPrefix = BasePrefixLength(text.View(), textName);
            if (textPrefix > 0 && textName == name)
                text.Delete(0, textPrefix);
            target.Delete(0, prefix);
        }
    }
    target.Trim();
    text.Trim();
}

bool NoteLinkType::Resolve(String& target, String&)
{
    return TargetExists(target);
}

void NoteLinkType::Open(const String& target)
{
    OpenTarget(target);
}

void NoteLinkType::Normalize(String& target, String& text)
{
    SplitTarget(target, text);
}

// --- CardLinkType ----------------------------------------------------------------------------------------

CardLinkType::CardLinkType(Base& base) : NoteLinkType(base, "card", text::kCardName) {}

CardLinkType::~CardLinkType() = default;

Card* CardLinkType::FindCard(const String& target, bool open, Base*& owner, int32_t& line) const
{
    line = 0;
    String rest;
    rest.Assign(target);
    owner = FindBase(rest, open);
    if (owner == nullptr)
        return nullptr;
    std::string_view text = rest.View();
    size_t hash = text.find('#');
    std::string_view key = text.substr(0, hash);
    // YYMMDD-number, or YYYYMMDD-number for the years that need eight digits.
    size_t dash = key.find('-');
    if (key.size() <= 7 || (dash != 6 && dash != 8))
        return nullptr;
    for (size_t i = 0; i < key.size(); ++i) {
        if (i != dash && !IsDigit(key[i]))
            return nullptr;
    }
    if (hash != std::string_view::npos) {
        std::string_view number = text.substr(hash + 1);
        if (number.empty() || number.size() > 9)
            return nullptr;
        for (char c : number) {
            if (!IsDigit(c))
                return nullptr;
            line = line * 10 + (c - '0');
        }
        if (line < 1)
            return nullptr;
    }
    CardKey wanted;
    ParseCardKey(wanted, key.data(), int32_t(key.size()), 0);
    if (wanted.date == 0)
        return nullptr;
    Card* card = owner->FindCardAtOrAfter(wanted);
    if (card == nullptr || card == owner->ChainEnd())
        return nullptr;
    CardKey found;
    owner->GetCardKey(card, found);
    return CardKeyEquals(found, wanted) ? card : nullptr;
}

bool CardLinkType::TargetExists(const String& target)
{
    Base* owner = nullptr;
    int32_t line = 0;
    return FindCard(target, false, owner, line) != nullptr;
}

void CardLinkType::OpenTarget(const String& target)
{
    Base* owner = nullptr;
    int32_t line = 0;
    if (Card* card = FindCard(target, true, owner, line))
        LinkServices().OpenCardWindow(*owner, *card, line);
}

void CardLinkType::WriteHtml(TextWriter& writer, const String& target, const String& text)
{
    bool plain = Service<ModelServices>::Get().IsWebRequestActive() && LinkServices().WebLinksPlain();
    Base* owner = nullptr;
    int32_t line = 0;
    if (plain || FindCard(target, false, owner, line) == nullptr) {
        LinkKind::WriteHtml(writer, target, text);
        return;
    }
    String code;
    owner->GetLinkCode(code);
    String key;
    key.Assign(target);
    std::string_view ignored;
    key.Delete(0, BasePrefixLength(key.View(), ignored));
    int32_t hash = key.Find(0, "#");
    if (hash >= 0)
        key.Truncate(hash);
    LinkServices().BeginWebLink(writer, nullptr);
    writer.PutText("card=");
    writer.PutEscapedText(code);
    writer.PutText(":");
    writer.PutEscapedText(key);
    EndWebLink(writer, text);
}

// --- MacroLinkType ---------------------------------------------------------------------------------------

MacroLinkType::MacroLinkType(Base& base) : NoteLinkType(base, "macro", text::kMacroName) {}

MacroLinkType::~MacroLinkType() = default;

bool MacroLinkType::TargetExists(const String& target)
{
    String name;
    name.Assign(target);
    Base* owner = FindBase(name, false);
    return owner != nullptr && owner->Macros().Find(name.CStr()) != nullptr;
}

void MacroLinkType::OpenTarget(const String& target)
{
    String name;
    name.Assign(target);
    Base* owner = FindBase(name, true);
    Macro* macro = owner != nullptr ? owner->Macros().Find(name.CStr()) : nullptr;
    if (macro == nullptr) {
        SetMissingTargetError(message::kNoSuchMacro, target);
        return;
    }
    LinkServices().RunMacro(*macro);
}

// --- TemplateLinkType ------------------------------------------------------------------------------------

TemplateLinkType::TemplateLinkType(Base& base) : NoteLinkType(base, "template", text::kTemplateName) {}

TemplateLinkType::~TemplateLinkType() = default;

bool TemplateLinkType::TargetExists(const String& target)
{
    String path;
    path.Assign(target);
    Base* owner = FindBase(path, false);
    return owner != nullptr && owner->FindTemplate(path.CStr()) != nullptr;
}

void TemplateLinkType::OpenTarget(const String& target)
{
    String path;
    path.Assign(target);
    Base* owner = FindBase(path, true);
    Template* node = owner != nullptr ? owner->FindTemplate(path.CStr()) : nullptr;
    if (node == nullptr) {
        SetMissingTargetError(message::kNoSuchObject, target);
        return;
    }
    owner->Templates().Open(node, nullptr, 4);  // 4: a window already open is opened anew
}

void TemplateLinkType::WriteHtml(TextWriter& writer, const String& target, const String& text)
{
    String path;
    path.Assign(target);
    Base* owner = FindBase(path, false);
    bool gateway = !Service<ModelServices>::Get().IsWebRequestActive() || !LinkServices().WebLinksPlain();
    const Template* node = owner != nullptr && gateway ? owner->FindTemplate(path.CStr()) : nullptr;
    if (node == nullptr) {
        LinkKind::WriteHtml(writer, target, text);
        return;
    }
    // The gateway names a template by its kind's short code and its link path.
    String address;
    node->GetLinkPath(address);
    LinkServices().BeginWebLink(writer, nullptr);
    writer.PutText(node->GetTypeCode());
    writer.PutText("=");
    writer.PutEscapedText(address);
    EndWebLink(writer, text);
}

// --- BaseLinkRegistry ------------------------------------------------------------------------------------

BaseLinkRegistry::BaseLinkRegistry(Base& base) : LinkRegistry("data")
{
    mapHost.AssignCStr(kDefaultMapHost);
    AddKind(std::make_unique<CardLinkType>(base));
    AddKind(std::make_unique<MacroLinkType>(base));
    AddKind(std::make_unique<TemplateLinkType>(base));
}

BaseLinkRegistry::~BaseLinkRegistry() = default;

void BaseLinkRegistry::CleanLink(String& target, String& text) const
{
    if (mapHost.IsEmpty() || target.Find(0, mapHost.CStr()) < 0)
        return;
    for (const char* name : {"e", "n", "scale"}) {
        target.RemoveQueryParam(name);
        text.RemoveQueryParam(name);
    }
}

}  // namespace vek
