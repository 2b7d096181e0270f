// WebPages: the page frame, its menus and page bar, the links of the web pages, and the program page.
#include "app/web/WebPages.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "app/AboutBox.h"
#include "app/web/WebRequest.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/QueryString.h"
#include "foundation/streams/SessionTable.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/named/WebUser.h"
#include "model/templates/AnalysisTemplate.h"
#include "model/templates/Template.h"
#include "model/templates/TemplateTree.h"

namespace vek {

namespace {

const WebRequest& Request()
{
    // The builders run only inside DispatchWebRequest; a request of defaults keeps a stray call from
    // reading through null.
    static const WebRequest outside;
    const WebRequest* request = CurrentWebRequest();
    return request ? *request : outside;
}

void PutLine(TextWriter& writer, const char* text)
{
    writer.PutText(text);
    writer.EndRow();
}

void PutEscapedLine(TextWriter& writer, const char* text)
{
    writer.PutMarkupEscaped(text);
    writer.EndRow();
}

// The document root, the images folder and the file: where the page's images are.
void PutImagePath(TextWriter& writer, const char* file)
{
    const WebRequestContext& context = Request().context;
    String path;
    path.Assign(context.documentRoot);
    path.Append(context.images);
    path.AppendCStr(file);
    writer.PutMarkupEscaped(path.CStr());
}

// The gateway, "?" and the query, escaped for an attribute.
void PutGatewayUrl(TextWriter& writer, const String& query)
{
    String url;
    url.Assign(Request().context.gateway);
    url.AppendCStr("?");
    url.Append(query);
    writer.PutMarkupEscaped(url.CStr());
}

void CurrentQuery(String& query)
{
    std::string_view text = Request().query;
    query.AssignBytes(text.data(), int32_t(text.size()));
}

// A logged-in session of this client for the base: its key holds "ok".
bool SessionLoggedIn(const Base& base)
{
    const WebRequest& request = Request();
    if (request.clientId.size() <= 4)
        return false;
    String key;
    MakeWebSessionKey(base, request.clientId, key);
    String value;
    String extra;
    WebSessions().Get(key.CStr(), value, extra);
    return std::string_view(value.CStr()) == "ok";
}

void WriteMenuBoxHeader(TextWriter& writer, int32_t titleText, int32_t bit)
{
    bool hidden = (Request().menusMask & bit) == 0;
    String query;
    CurrentQuery(query);
    ToggleMenusParam(query, bit);
    PutLine(writer, "<table class=\"menu\" cellspacing=\"0\" cellpadding=\"0\">");
    PutLine(writer, "<tr>");
    writer.PutText("<th class=\"menutitle\">");
    writer.PutMarkupEscaped(LoadText(titleText));
    PutLine(writer, "</th>");
    writer.PutText("<th class=\"menubutton\"><a href=\"");
    PutGatewayUrl(writer, query);
    writer.PutText("\"><img alt=\"");
    writer.PutMarkupEscaped(LoadText(hidden ? text::kWebShow : text::kWebHide));
    writer.PutText("\" src=\"");
    PutImagePath(writer, hidden ? "ShowMenu.gif" : "HideMenu.gif");
    PutLine(writer, "\"/></a></th>");
    PutLine(writer, "</tr>");
}

void WriteMenuBoxCorner(TextWriter& writer)
{
    writer.PutText("<tr><td/><td align=\"right\"><img class=\"menucorner\" src=\"");
    PutImagePath(writer, "MenuCorner.gif");
    PutLine(writer, "\"/></td></tr>");
}

void EndMenuBox(TextWriter& writer)
{
    PutLine(writer, "</table>");
    PutLine(writer, "<br/>");
    writer.EndRow();
}

void BeginMenuLevelRow(TextWriter& writer, int32_t level, bool selected)
{
    writer.PutText("<tr><td class=\"menulevel");
    writer.PutInt(level);
    writer.PutText("\">");
    if (selected)
        writer.PutText("<span class=\"selected\">");
}

void EndMenuLevelRow(TextWriter& writer, bool selected)
{
    if (selected)
        writer.PutText("</span>");
    PutLine(writer, "</td></tr>");
}

enum class TreeNodeState { Normal, Collapsed, Expanded };

void WriteTreeNodeImage(TextWriter& writer, TreeNodeState state)
{
    writer.PutText("<img src=\"");
    PutImagePath(writer, state == TreeNodeState::Collapsed  ? "NodeCollapsed.gif"
                         : state == TreeNodeState::Expanded ? "NodeExpanded.gif"
                                                            : "NodeNormal.gif");
    writer.PutText("\"/>");
}

void WriteLanguageFlag(TextWriter& writer, int32_t language)
{
    writer.PutText("<img class=\"flag\" src=\"");
    std::string file = std::string(GetWebLanguageCode(language)) + ".gif";
    PutImagePath(writer, file.c_str());
    writer.PutText("\"/>");
    writer.PutMarkupEscaped(GetWebLanguageName(language));
}

// One row choosing a page language ("lang") or number format ("format").
void WriteChoiceMenuItem(TextWriter& writer, const char* field, int32_t language, bool selected)
{
    writer.PutText("<tr><td class=\"menuitem\">");
    if (selected) {
        writer.PutText("<span class=\"selected\">");
    } else {
        String query;
        CurrentQuery(query);
        query.RemoveQueryParam(field);
        query.TidyQuery();
        String fields;
        fields.AssignCStr(field);
        fields.AppendCStr("=");
        fields.AppendCStr(GetWebLanguageCode(language));
        if (query.Length() > 0) {
            fields.AppendCStr("&");
            fields.Append(query);
        }
        writer.PutText("<a class=\"menu\" href=\"");
        PutGatewayUrl(writer, fields);
        writer.PutText("\">");
    }
    WriteLanguageFlag(writer, language);
    writer.PutText(selected ? "</span>" : "</a>");
    PutLine(writer, "</td></tr>");
}

constexpr int32_t kWebLanguageOrder[] = {0, 12, 5};

void WriteDatabaseMenu(TextWriter& writer, const Base* current, const String& linkPrefix)
{
    writer.WriteHtmlComment("database menu");
    WriteMenuBoxHeader(writer, text::kWebDatabases, kMenusDatabases);
    if (Request().menusMask & kMenusDatabases) {
        for (Base* base = Base::FirstBase(); base; base = base->NextBase()) {
            String code;
            GetBaseLinkCode(*base, code);
            String name;
            base->GetFileName(name);
            bool selected = base == current;
            writer.PutText("<tr><td class=\"menuitem\">");
            if (selected)
                writer.PutText("<span class=\"selected\">");
            writer.PutString(linkPrefix);
            writer.PutText("templates=");
            writer.PutString(code);
            writer.PutText("\">");
            writer.PutMarkupEscaped(name.CStr());
            writer.PutText("</a>");
            if (selected)
                writer.PutText("</span>");
            writer.PutText("</td>");
            if (SessionLoggedIn(*base)) {
                writer.EndRow();
                writer.PutText("<td>");
                writer.PutString(linkPrefix);
                writer.PutText("logout=");
                writer.PutString(code);
                writer.PutText("\"><img src=\"");
                PutImagePath(writer, "Logout.gif");
                PutLine(writer, "\"/></a></td>");
            }
            PutLine(writer, "</tr>");
        }
        WriteMenuBoxCorner(writer);
    }
    EndMenuBox(writer);
}

void WriteTemplateMenu(TextWriter& writer, Base& base, Template* current, bool markBaseInfo, const String& linkPrefix)
{
    writer.WriteHtmlComment("template menu");
    WriteMenuBoxHeader(writer, text::kWebTemplates, kMenusTemplates);
    if (Request().menusMask & kMenusTemplates) {
        Template& root = base.Templates().Root();
        if (current == nullptr)
            current = &root;
        String baseCode;
        GetBaseLinkCode(base, baseCode);
        const WebUser* user = Request().webUser;
        TemplateNameFilter filter;
        if (user)
            filter.SetPattern(user->templateFilter);
        bool infoRow = user == nullptr || user->bi != 0;
        if (infoRow) {
            BeginMenuLevelRow(writer, 0, markBaseInfo);
            writer.PutString(linkPrefix);
            writer.PutText("baseinfo=");
            writer.PutString(baseCode);
            writer.PutText("\">");
            WriteTreeNodeImage(writer, TreeNodeState::Normal);
            writer.PutMarkupEscaped(LoadText(text::kBaseInfoTitle));
            writer.PutText("</a>");
            EndMenuLevelRow(writer, markBaseInfo);
            if (root.FirstChild())
                PutLine(writer, "<tr><td class=\"menuseparator\"/></tr>");
        }
        // Pre-order below the root, descending only into the groups that hold the current template.
        int32_t level = 0;
        const Template* node = root.FirstChild();
        while (node) {
            if (GroupHasVisibleTemplates(filter, *node)) {
                bool selected = node == current;
                BeginMenuLevelRow(writer, level, selected);
                String path;
                node->GetLinkPath(path);
                writer.PutString(linkPrefix);
                writer.PutText(node->GetTypeCode());
                writer.PutText("=");
                writer.PutString(path);
                writer.PutText("\">");
                WriteTreeNodeImage(writer, !node->IsGroup()                     ? TreeNodeState::Normal
                                           : Template::IsWithin(node, current) ? TreeNodeState::Expanded
                                                                               : TreeNodeState::Collapsed);
                writer.PutMarkupEscaped(node->NameCStr());
                writer.PutText("</a>");
                EndMenuLevelRow(writer, selected);
            }
            if (node->FirstChild() && Template::IsWithin(node, current)) {
                node = node->FirstChild();
                ++level;
                continue;
            }
            while (node && node != &root && !node->NextSibling()) {
                node = node->Parent();
                --level;
            }
            node = node && node != &root ? node->NextSibling() : nullptr;
        }
        WriteMenuBoxCorner(writer);
    }
    EndMenuBox(writer);
}

void WritePreferencesMenu(TextWriter& writer)
{
    writer.WriteHtmlComment("preferences menu");
    WriteMenuBoxHeader(writer, text::kWebPreferences, kMenusPreferences);
    if (Request().menusMask & kMenusPreferences) {
        writer.PutText("<tr><td class=\"menuitem\">");
        writer.PutMarkupEscaped(LoadText(text::kWebLanguage));
        PutLine(writer, ":</td></tr>");
        for (int32_t language : kWebLanguageOrder)
            WriteChoiceMenuItem(writer, "lang", language, language == UiLanguage());
        PutLine(writer, "<tr><td class=\"menuseparator\"/></tr>");
        writer.PutText("<tr><td class=\"menuitem\">");
        writer.PutMarkupEscaped(LoadText(text::kWebNumberFormat));
        PutLine(writer, ":</td></tr>");
        for (int32_t language : kWebLanguageOrder)
            WriteChoiceMenuItem(writer, "format", language, language == GetWebPageFormat());
        WriteMenuBoxCorner(writer);
    }
    EndMenuBox(writer);
}

void WritePageButton(TextWriter& writer, const String& linkBase, const char* page, const char* image, int32_t altText)
{
    writer.PutText("<a href=\"");
    String url;
    url.Assign(linkBase);
    url.AppendCStr(page);
    writer.PutMarkupEscaped(url.CStr());
    writer.PutText("\"><img src=\"");
    PutImagePath(writer, image);
    writer.PutText("\" alt=\"");
    writer.PutMarkupEscaped(LoadText(altText));
    PutLine(writer, "\" width=\"23\" height=\"23\"/></a>");
}

void WriteEmptyPageButton(TextWriter& writer)
{
    writer.PutText("<img src=\"");
    PutImagePath(writer, "EmptyPage.gif");
    PutLine(writer, "\" width=\"23\" height=\"23\"/>");
}

void WritePageBar(TextWriter& writer, int32_t pageCount)
{
    int32_t page = ParsePageParameter(Request().query);
    if (page == kPageSingle || pageCount <= 1)
        return;
    if (page == kPageLast)
        page = pageCount;
    bool all = page == kPageAll;
    String query;
    CurrentQuery(query);
    query.RemoveQueryParam("page");
    query.TidyQuery();
    String linkBase;
    linkBase.Assign(Request().context.gateway);
    linkBase.AppendCStr("?");
    linkBase.Append(query);
    linkBase.AppendCStr("&page=");
    auto number = [](int32_t n) { return std::to_string(n); };
    PutLine(writer, "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\" width=\"100%\">");
    PutLine(writer, "<tr>");
    PutLine(writer, "<td class=\"pagebuttons\">");
    if (page <= 1 && !all)
        WriteEmptyPageButton(writer);
    else
        WritePageButton(writer, linkBase, "1", "FirstPage.gif", text::kWebFirstPage);
    if (page > 1)
        WritePageButton(writer, linkBase, number(page - 1).c_str(), "PrevPage.gif", text::kWebPreviousPage);
    else
        WriteEmptyPageButton(writer);
    if (page >= 1 && page < pageCount)
        WritePageButton(writer, linkBase, number(page + 1).c_str(), "NextPage.gif", text::kWebNextPage);
    else
        WriteEmptyPageButton(writer);
    if ((page >= 1 && page < pageCount) || all)
        WritePageButton(writer, linkBase, "last", "LastPage.gif", text::kWebLastPage);
    else
        WriteEmptyPageButton(writer);
    PutLine(writer, "</td>");
    if (!all) {
        PutLine(writer, "<td class=\"pagenums\" align=\"right\">");
        WritePageButton(writer, linkBase, "all", "AllPages.gif", text::kWebAllPages);
        writer.PutText("<span class=\"pagebar\">");
        writer.PutMarkupEscaped(LoadText(text::kWebPage));
        writer.PutText((" " + number(page) + " / " + number(pageCount)).c_str());
        PutLine(writer, "</span>");
        PutLine(writer, "</td>");
    }
    PutLine(writer, "</tr>");
    PutLine(writer, "</table>");
}

}  // namespace

void WriteWebPageHead(TextWriter& writer, const char* title)
{
    const WebRequestContext& context = Request().context;
    PutLine(writer, "<head>");
    writer.WriteHtmlContentTypeMeta();
    writer.EndRow();
    for (const char* rel : {"icon", "shortcut icon"}) {
        writer.PutText("<link rel=\"");
        writer.PutText(rel);
        writer.PutText("\" href=\"");
        PutImagePath(writer, "favicon.ico");
        PutLine(writer, "\" type=\"image/x-icon\"/>");
    }
    writer.PutText("<link rel=\"stylesheet\" type=\"text/css\" href=\"");
    String stylesheet;
    stylesheet.Assign(context.documentRoot);
    stylesheet.Append(context.stylesheet);
    writer.PutMarkupEscaped(stylesheet.CStr());
    PutLine(writer, "\"/>");
    writer.PutText("<title>");
    writer.PutMarkupEscaped(title);
    PutLine(writer, "</title>");
    PutLine(writer, "</head>");
    PutLine(writer, "<body>");
    PutLine(writer, "<table class=\"main\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">");
    PutLine(writer, "<tr valign=\"top\">");
}

void WriteWebPageTail(TextWriter& writer)
{
    PutLine(writer, "</tr>");
    PutLine(writer, "</table>");
    PutLine(writer, "</body>");
}

void BeginWebLink(String& out, WebLinkClass linkClass)
{
    const WebRequest& request = Request();
    out.AssignCStr("<a");
    if (linkClass == WebLinkClass::Menu)
        out.AppendCStr(" class=\"menu\"");
    else if (linkClass == WebLinkClass::Data)
        out.AppendCStr(" class=\"data\"");
    out.AppendCStr(" href=\"");
    // The gateway's path comes from the gateway itself, but is escaped all the same: a quote in it
    // must not end the attribute.
    TextWriter escaper;
    escaper.PutMarkupEscaped(request.context.gateway.CStr());
    std::string_view gateway = escaper.BufferedBytes();
    out.AppendBytes(gateway.data(), int32_t(gateway.size()));
    out.AppendCStr("?");
    if (request.requestLanguage >= 0 && request.requestLanguage != GetWebUserLanguage()) {
        out.AppendCStr("lang=");
        out.AppendCStr(GetWebLanguageCode(request.requestLanguage));
        out.AppendCStr("&amp;");
    }
    if (request.requestFormat >= 0 && request.requestFormat != GetWebUserFormat()) {
        out.AppendCStr("format=");
        out.AppendCStr(GetWebLanguageCode(request.requestFormat));
        out.AppendCStr("&amp;");
    }
    if (request.menusMask != kMenusDefault) {
        String letters;
        FormatMenusMask(letters, request.menusMask);
        out.AppendCStr("menus=");
        out.Append(letters);
        out.AppendCStr("&amp;");
    }
}

void ToggleMenusParam(String& query, int32_t bit)
{
    int32_t mask = Request().menusMask ^ bit;
    query.RemoveQueryParam("menus");
    query.TidyQuery();
    if (mask == kMenusDefault)
        return;
    String letters;
    FormatMenusMask(letters, mask);
    // The query is the part after "?": fields are joined by "&" (the letters need no escapes).
    if (query.Length() > 0)
        query.AppendCStr("&");
    query.AppendCStr("menus=");
    query.Append(letters);
}

int32_t ParsePageParameter(std::string_view query)
{
    if (!QueryHasParam(query, "page"))
        return 1;
    String value;
    QueryGetParam(query, "page", value);
    if (std::string_view(value.CStr()) == "single")
        return kPageSingle;
    if (std::string_view(value.CStr()) == "all")
        return kPageAll;
    if (std::string_view(value.CStr()) == "last")
        return kPageLast;
    double number = std::strtod(value.CStr(), nullptr);
    if (!(number >= 1))
        return 1;
    return number > 1e9 ? 1000000000 : int32_t(std::lround(number));
}

bool GroupHasVisibleTemplates(const TemplateNameFilter& filter, const Template& group)
{
    const Template* node = &group;
    while (true) {
        auto* analysis = dynamic_cast<const AnalysisTemplate*>(node);
        if (analysis && analysis->flagW && filter.Matches(*node))
            return true;
        if (node->FirstChild()) {
            node = node->FirstChild();
            continue;
        }
        while (node != &group && !node->NextSibling())
            node = node->Parent();
        if (node == &group)
            return false;
        node = node->NextSibling();
    }
}

void WriteSidePanel(TextWriter& writer, Base* base, Template* current, bool markBaseInfo)
{
    String linkPrefix;
    BeginWebLink(linkPrefix, WebLinkClass::Menu);
    writer.WriteHtmlComment("side panel");
    PutLine(writer, "<td class=\"sidepanel\">");
    PutLine(writer, "<br/><br/>");
    writer.EndRow();
    WriteDatabaseMenu(writer, base, linkPrefix);
    if (base)
        WriteTemplateMenu(writer, *base, current, markBaseInfo, linkPrefix);
    WritePreferencesMenu(writer);
    PutLine(writer, "</td>");
    writer.EndRow();
}

void WriteMiddlePanel(TextWriter& writer)
{
    const WebRequest& request = Request();
    if ((request.menusMask & kMenusFrame) == 0) {
        PutLine(writer, "<td width=\"10\">");
        PutLine(writer, "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\" width=\"10\">");
        if (ParsePageParameter(request.query) != kPageSingle)
            PutLine(writer, "<tr><td class=\"toppanel\"/></tr>");
        PutLine(writer, "</table>");
        PutLine(writer, "</td>");
        writer.EndRow();
        return;
    }
    bool sidePanel = (request.menusMask & kMenusSidePanel) != 0;
    String query;
    CurrentQuery(query);
    ToggleMenusParam(query, kMenusSidePanel);
    writer.WriteHtmlComment("middle panel");
    PutLine(writer, "<td class=\"sidemarg\"/>");
    PutLine(writer, "<td class=\"middlepanel\">");
    writer.PutText("<a href=\"");
    PutGatewayUrl(writer, query);
    writer.PutText("\"><img alt=\"");
    writer.PutMarkupEscaped(LoadText(sidePanel ? text::kWebHide : text::kWebShow));
    writer.PutText("\" src=\"");
    PutImagePath(writer, sidePanel ? "HidePanel.gif" : "ShowPanel.gif");
    PutLine(writer, "\"/></a>");
    PutLine(writer, "</td>");
    writer.EndRow();
}

void BeginRightPanel(TextWriter& writer, int32_t pageCount)
{
    const WebRequest& request = Request();
    writer.WriteHtmlComment("right panel");
    PutLine(writer, "<td width=\"100%\">");
    PutLine(writer, "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\" width=\"100%\">");
    if (ParsePageParameter(request.query) == kPageSingle && (request.menusMask & kMenusFrame) == 0)
        return;
    PutLine(writer, "<tr><td class=\"toppanel\">");
    WritePageBar(writer, pageCount);
    PutLine(writer, "</td></tr>");
}

void EndRightPanel(TextWriter& writer)
{
    PutLine(writer, "</table>");
    PutLine(writer, "</td>");
}

void WriteAnalysisTitleBlock(TextWriter& writer, const Base* base, const char* title, bool withBaseLine)
{
    PutLine(writer, "<tr><td class=\"analysistitle\">");
    PutLine(writer, "<hr/>");
    if (withBaseLine && base) {
        String name;
        base->GetFileName(name);
        writer.PutText("<span class=\"basetitle\">");
        writer.PutMarkupEscaped(name.CStr());
        PutLine(writer, "</span><br/>");
    } else if (title == nullptr || *title == '\0') {
        PutLine(writer, "</td></tr>");
        return;
    }
    writer.PutText("<span class=\"analysistitle\">");
    writer.PutMarkupEscaped(title);
    PutLine(writer, "</span><br/>");
    PutLine(writer, "</td></tr>");
}

void WriteMessageRow(TextWriter& writer, const char* text)
{
    BeginRightPanel(writer, 1);
    PutLine(writer, "<tr><td>");
    PutLine(writer, "<br/>");
    PutEscapedLine(writer, text);
    PutLine(writer, "</td></tr>");
    EndRightPanel(writer);
}

void WriteProgramInfoPage(TextWriter& writer)
{
    ApplyWebPageLanguage();
    WriteWebPageHead(writer, "VEK program info");
    if (Request().menusMask & kMenusSidePanel)
        WriteSidePanel(writer, nullptr, nullptr, false);
    WriteMiddlePanel(writer);
    BeginRightPanel(writer, 1);
    WriteAnalysisTitleBlock(writer, nullptr, "VEK program info", false);
    writer.WriteHtmlComment("VEK info");
    PutLine(writer, "<tr><td class=\"baseinfo\">");
    PutLine(writer, "<table class=\"baseinfo\" border=0 cellspacing=0 cellpadding=2>");
    struct Row {
        const char* label;
        std::string value;
    };
    const Row rows[] = {{"Program:", GetProgramTitle()}, {"Code:", GetPlatformName()}};
    for (const Row& row : rows) {
        writer.PutText("<tr><td>");
        writer.PutText(row.label);
        writer.PutText("</td><td>");
        writer.PutMarkupEscaped(row.value.c_str());
        PutLine(writer, "</td></tr>");
    }
    PutLine(writer, "</table>");
    PutLine(writer, "</td></tr>");
    EndRightPanel(writer);
    WriteWebPageTail(writer);
}

}  // namespace vek
