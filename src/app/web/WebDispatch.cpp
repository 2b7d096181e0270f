// WebDispatch: the page a query asks for, the login form and sessions, and the page handlers.
#include "app/web/WebDispatch.h"

#include <initializer_list>

#include "app/web/WebPages.h"
#include "app/web/WebRequest.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/QueryString.h"
#include "foundation/streams/SessionTable.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/named/WebUser.h"
#include "model/templates/Template.h"
#include "model/templates/TemplateTree.h"

namespace vek {

namespace {

// What the pages still to come answer: their windows (analyses, cards, base information) are not in
// this version yet.
constexpr char kPageNotAvailable[] = "This page is not available yet.";

WebRequest& ThisRequest() { return *CurrentWebRequest(); }

void WriteLines(TextWriter& writer, std::initializer_list<const char*> lines)
{
    for (const char* line : lines) {
        writer.PutText(line);
        writer.EndRow();
    }
}

void QueryParam(const char* name, String& value)
{
    QueryGetParam(ThisRequest().query, name, value);
}

void WriteWebError(TextWriter& writer, const char* text)
{
    writer.PutText("<br/>");
    writer.PutText("Web-VEK error: ");
    writer.PutMarkupEscaped(text);
    writer.EndRow();
}

// The first glossary word that the asked word begins with, without regard to case.
void WriteGlossaryTerm(TextWriter& writer, std::string_view word)
{
    static constexpr struct {
        const char* word;
        int32_t text;
    } kGlossary[] = {{"bases", text::kWebDatabases}, {"page", text::kWebPage},      {"prev", text::kWebPreviousPage},
                     {"next", text::kWebNextPage},   {"first", text::kWebFirstPage}, {"last", text::kWebLastPage},
                     {"all", text::kWebAllPages}};
    for (const auto& entry : kGlossary) {
        std::string_view term(entry.word);
        if (word.size() >= term.size() && CStrEqualNoCase(word.substr(0, term.size()), term)) {
            writer.PutMarkupEscaped(LoadText(entry.text));
            return;
        }
    }
}

void BaseFileName(const Base& base, String& name) { base.GetFileName(name); }

void WriteFrameStart(TextWriter& writer, const char* title, Base* base, Template* current, bool markBaseInfo)
{
    WriteWebPageHead(writer, title);
    if (ThisRequest().menusMask & kMenusSidePanel)
        WriteSidePanel(writer, base, current, markBaseInfo);
    WriteMiddlePanel(writer);
}

void WriteLoginForm(TextWriter& writer, Base& base)
{
    const WebRequest& request = ThisRequest();
    String title;
    BaseFileName(base, title);
    title.AppendCStr(": ");
    title.AppendCStr(LoadText(text::kWebLoginTitle));
    WriteWebPageHead(writer, title.CStr());
    if (request.menusMask & kMenusSidePanel)
        WriteSidePanel(writer, nullptr, nullptr, false);
    WriteMiddlePanel(writer);
    BeginRightPanel(writer, 1);
    writer.WriteHtmlComment("login title");
    WriteAnalysisTitleBlock(writer, &base, LoadText(text::kWebLoginTitle), true);
    writer.WriteHtmlComment("login form");
    String code;
    GetBaseLinkCode(base, code);
    WriteLines(writer, {"<tr><td>"});
    writer.PutText("<form action=\"");
    writer.PutMarkupEscaped(request.context.gateway.CStr());
    WriteLines(writer, {"\" method=\"post\" name=\"loginform\">", "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\">"});
    writer.PutText("<tr><td class=\"login\">");
    writer.PutMarkupEscaped(LoadText(text::kWebUserName));
    WriteLines(writer, {"</td><td><input type=\"text\" name=\"username\"/></td></tr>"});
    writer.PutText("<tr><td class=\"login\">");
    writer.PutMarkupEscaped(LoadText(text::kWebPassword));
    WriteLines(writer, {"</td><td><input type=\"password\" name=\"password\"/></td></tr>"});
    writer.PutText("<tr><td/><td>");
    writer.PutText("<input type=\"hidden\" name=\"base\" value=\"");
    writer.PutString(code);
    WriteLines(writer, {"\"/>", "<input type=\"submit\" name=\"action\" value=\"Login\"/>", "</td></tr>", "</table>",
                        "</form>", "</td></tr>", "<script language=\"JavaScript\">\n<!--",
                        "window.document.loginform.username.focus();", "// -->\n</script>"});
    writer.WriteHtmlComment("cookies note");
    WriteLines(writer, {"<tr><td class=\"notes\">", "<p class=\"notes\">"});
    writer.PutMarkupEscaped(LoadText(text::kWebCookiesNote));
    WriteLines(writer, {"</p>", "</td></tr>"});
    EndRightPanel(writer);
    WriteWebPageTail(writer);
}

// The login form's post: a right name and password log the session in to the base; either way the
// browser goes on to the page it asked for, which shows the form again when the login failed.
void WebLogin(TextWriter& writer)
{
    WebRequest& request = ThisRequest();
    String baseCode;
    QueryParam("base", baseCode);
    Base* base = FindOpenBaseByCode(baseCode.CStr());
    if (base == nullptr) {
        WriteWebError(writer, "Database not found");
        return;
    }
    String key;
    MakeWebSessionKey(*base, request.clientId, key);
    String remembered;
    String extra;
    WebSessions().Get(key.CStr(), remembered, extra);
    if (std::string_view(remembered.CStr()) == "ok")
        remembered.AssignCStr("");
    String name;
    QueryParam("username", name);
    String password;
    QueryParam("password", password);
    const WebUserList& users = base->WebUsers();
    if (request.clientId.size() > 4 && users.CheckLogin(name.CStr(), password.CStr()))
        WebSessions().Set(key.CStr(), "ok", users.Find(name.CStr())->name);
    password.WipeAndClear();
    String url;
    url.Assign(request.context.gateway);
    url.AppendCStr("?");
    url.Append(remembered);
    WriteLines(writer, {"<head>"});
    writer.WriteHtmlContentTypeMeta();
    writer.EndRow();
    writer.PutText("<meta http-equiv=refresh content=\"0; url=");
    writer.PutMarkupEscaped(url.CStr());
    WriteLines(writer, {"\">", "</head>", "<body>"});
    writer.PutText("<a href=\"");
    writer.PutMarkupEscaped(url.CStr());
    writer.PutText("\"><img alt=\"");
    writer.PutMarkupEscaped(LoadText(text::kWebShow));
    writer.PutText("\" src=\"");
    String image;
    image.Assign(request.context.documentRoot);
    image.Append(request.context.images);
    image.AppendCStr("ShowPanel.gif");
    writer.PutMarkupEscaped(image.CStr());
    WriteLines(writer, {"\"/></a>", "</body>"});
}

void WebLogout(TextWriter& writer)
{
    String baseCode;
    QueryParam("logout", baseCode);
    Base* base = FindOpenBaseByCode(baseCode.CStr());
    if (base == nullptr) {
        WriteWebError(writer, "Database not found");
        return;
    }
    String key;
    MakeWebSessionKey(*base, ThisRequest().clientId, key);
    WebSessions().Remove(key.CStr());
}

void WriteMenuPage(TextWriter& writer, std::string_view path)
{
    if (!path.empty() && path.front() == '=')
        path.remove_prefix(1);
    Base* base = nullptr;
    Template* node = FindBaseAndTemplateByCode(base, path);
    if (base && !WriteLoginPage(writer, *base))
        return;
    ApplyWebPageLanguage();
    String title;
    if (base && node && node->Parent()) {
        BaseFileName(*base, title);
        title.AppendCStr(": ");
        String pathName;
        node->GetPathName(pathName);
        title.Append(pathName);
    } else {
        title.AssignCStr(LoadText(text::kWebDatabases));
    }
    WriteFrameStart(writer, title.CStr(), base, node, false);
    BeginRightPanel(writer, 1);
    EndRightPanel(writer);
    WriteWebPageTail(writer);
}

// A page of a base whose content is not built yet: it is guarded by the login all the same, so that a
// later version only fills the right panel in.
void WriteUnavailablePage(TextWriter& writer, Base& base, Template* node, bool markBaseInfo)
{
    if (!WriteLoginPage(writer, base))
        return;
    ApplyWebPageLanguage();
    String title;
    BaseFileName(base, title);
    WriteFrameStart(writer, title.CStr(), &base, node, markBaseInfo);
    WriteMessageRow(writer, kPageNotAvailable);
    WriteWebPageTail(writer);
}

void WriteAnalysisPage(TextWriter& writer, std::string_view path)
{
    Base* base = nullptr;
    Template* node = FindBaseAndTemplateByCode(base, path);
    if (base && node && node->Parent() && !node->IsGroup()) {
        WriteUnavailablePage(writer, *base, node, false);
        return;
    }
    if (base && !WriteLoginPage(writer, *base))
        return;
    WriteWebPageHead(writer, LoadText(text::kWebDatabases));
    WriteSidePanel(writer, base, nullptr, false);
    WriteMiddlePanel(writer);
    WriteMessageRow(writer, base ? "Template not found" : "Database not found");
    WriteWebPageTail(writer);
}

void WriteBasePage(TextWriter& writer, std::string_view code, bool markBaseInfo)
{
    Base* base = FindOpenBaseByCode(code);
    if (base == nullptr) {
        WriteWebError(writer, "Database not found");
        return;
    }
    WriteUnavailablePage(writer, *base, nullptr, markBaseInfo);
}

// Restores what a request changes, whatever way the dispatch ends.
class WebRequestScope {
public:
    explicit WebRequestScope(WebRequest& request) : previous(CurrentWebRequest())
    {
        request.savedLanguage = UiLanguage();
        SetCurrentWebRequest(&request);
    }
    ~WebRequestScope()
    {
        SetUiLanguage(CurrentWebRequest()->savedLanguage);
        SetCurrentWebRequest(previous);
    }
    WebRequestScope(const WebRequestScope&) = delete;
    WebRequestScope& operator=(const WebRequestScope&) = delete;

private:
    WebRequest* previous;
};

}  // namespace

Base* FindOpenBaseByCode(std::string_view text)
{
    for (Base* base = Base::FirstBase(); base; base = base->NextBase()) {
        String code;
        GetBaseLinkCode(*base, code);
        if (text.starts_with(std::string_view(code.CStr(), size_t(code.Length()))))
            return base;
    }
    return nullptr;
}

Template* FindBaseAndTemplateByCode(Base*& base, std::string_view path)
{
    size_t colon = path.find(':');
    base = FindOpenBaseByCode(path.substr(0, colon));
    if (base == nullptr)
        return nullptr;
    Template* node = &base->Templates().Root();
    while (colon != std::string_view::npos) {
        path.remove_prefix(colon + 1);
        colon = path.find(':');
        std::string_view segment = path.substr(0, colon);
        Template* found = nullptr;
        for (Template* child = node->FirstChild(); child && !found; child = child->NextSibling()) {
            String code;
            child->GetLinkCode(code);
            if (segment.starts_with(std::string_view(code.CStr(), size_t(code.Length()))))
                found = child;
        }
        if (found == nullptr)
            return nullptr;
        node = found;
    }
    return node;
}

bool WriteLoginPage(TextWriter& writer, Base& base)
{
    WebRequest& request = ThisRequest();
    const WebUserList& users = base.WebUsers();
    if (!users.HasUsers())
        return true;
    if (request.context.singleSignOnName.Length() > 0) {
        const WebUser* user = users.Find(request.context.singleSignOnName.CStr());
        if (user && user->sb) {
            request.webUser = user;
            return true;
        }
    }
    if (request.clientId.size() <= 4)
        return false;
    String key;
    MakeWebSessionKey(base, request.clientId, key);
    String value;
    String extra;
    WebSessions().Get(key.CStr(), value, extra);
    if (std::string_view(value.CStr()) == "ok") {
        // A session of a user the base no longer has is logged out: without its user it would pass
        // with no restrictions at all.
        if (const WebUser* user = users.Find(extra.CStr())) {
            WebSessions().Touch(key.CStr());
            request.webUser = user;
            return true;
        }
        WebSessions().Remove(key.CStr());
    }
    String query;
    query.AssignBytes(request.query.data(), int32_t(request.query.size()));
    WebSessions().Set(key.CStr(), query.CStr(), nullptr);
    WriteLoginForm(writer, base);
    return false;
}

void DispatchWebRequest(TextWriter& writer, std::string_view query, std::string_view clientId,
                        std::string_view environment)
{
    WebRequest request;
    request.query = query;
    request.clientId = clientId;
    ReadGatewayEnvironment(request.context, environment);
    WebRequestScope scope(request);

    String value;
    QueryGetParam(query, "lang", value);
    request.requestLanguage = WebLanguageFromCode(value.CStr());
    QueryGetParam(query, "format", value);
    request.requestFormat = WebLanguageFromCode(value.CStr());
    if (request.requestLanguage >= 0)
        SetUiLanguage(request.requestLanguage);
    if (QueryHasParam(query, "menus")) {
        QueryGetParam(query, "menus", value);
        request.menusMask = ParseMenusParameter(value.CStr(), request.menusMask);
    }

    QueryGetParam(query, "term", value);
    if (value.Length() > 0) {
        WriteGlossaryTerm(writer, value.CStr());
        return;
    }
    if (QueryHasParam(query, "username")) {
        WebLogin(writer);
        return;
    }
    if (QueryHasParam(query, "logout")) {
        WebLogout(writer);
        WriteMenuPage(writer, {});
        return;
    }
    if (QueryHasParam(query, "templates")) {
        QueryGetParam(query, "templates", value);
        WriteMenuPage(writer, value.CStr());
        return;
    }
    for (const char* kind : {"cards", "lines", "comps", "tfunc", "cfunc"}) {
        if (QueryHasParam(query, kind)) {
            QueryGetParam(query, kind, value);
            WriteAnalysisPage(writer, value.CStr());
            return;
        }
    }
    if (QueryHasParam(query, "card")) {
        QueryGetParam(query, "card", value);
        WriteBasePage(writer, value.CStr(), false);
        return;
    }
    if (QueryHasParam(query, "baseinfo")) {
        QueryGetParam(query, "baseinfo", value);
        WriteBasePage(writer, value.CStr(), true);
        return;
    }
    if (QueryHasParam(query, "version")) {
        WriteProgramInfoPage(writer);
        return;
    }
    WriteMenuPage(writer, {});
}

}  // namespace vek
