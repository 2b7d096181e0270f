// WebPages: the frame every web page shares (head, side panel with its menu boxes, middle panel, right
// panel with its page bar, tail), the links that keep the request's settings, and the program page.
#pragma once

#include <cstdint>
#include <string_view>

namespace vek {

class Base;
class String;
class Template;
class TemplateNameFilter;
class TextWriter;

// Every builder writes into the reply writer of the request being answered (CurrentWebRequest) and
// escapes every text it puts into the page for where it goes: markup escapes in text and attribute
// values, so a query or a name can never close an attribute or open a tag. A "line" is the text and
// the writer's line end (LF for replies).

// "<head>" with the content type, icon and stylesheet links and the escaped title, then "<body>" and
// the opening of the main table's row.
void WriteWebPageHead(TextWriter& writer, const char* title);
void WriteWebPageTail(TextWriter& writer);

enum class WebLinkClass { None, Menu, Data };
// Starts a link to the gateway in `out`: "<a", the class, " href=\"", the gateway, "?", then the
// fields that keep the request's language, format and menus where they differ from the defaults,
// each followed by "&". The caller appends its own fields (link codes, which need no escaping) and
// "\">".
void BeginWebLink(String& out, WebLinkClass linkClass);
// The query with its "menus" field set to the letters of the current mask XOR bit, or removed when
// that gives the default mask.
void ToggleMenusParam(String& query, int32_t bit);

// The "page" parameter of the query: 1 when absent; kPageSingle, kPageAll, kPageLast for "single",
// "all", "last"; otherwise the number rounded, at least 1.
constexpr int32_t kPageAll = -2;
constexpr int32_t kPageLast = -3;
constexpr int32_t kPageSingle = -4;
int32_t ParsePageParameter(std::string_view query);

// True when a template in the group's subtree (the group itself included) is an analysis template
// that is visible on the web and passes the filter.
bool GroupHasVisibleTemplates(const TemplateNameFilter& filter, const Template& group);

// The side panel: the databases menu (the open bases, a logout button for those the session is
// logged in to), the templates menu of the base (with base information when the user may see it),
// and the preferences menu (languages and number formats).
void WriteSidePanel(TextWriter& writer, Base* base, Template* current, bool markBaseInfo);
void WriteMiddlePanel(TextWriter& writer);
// Opens the right panel, with the page bar of a result of `pageCount` pages.
void BeginRightPanel(TextWriter& writer, int32_t pageCount);
void EndRightPanel(TextWriter& writer);
// The title row of the right panel; with the base line the base's file name comes first.
void WriteAnalysisTitleBlock(TextWriter& writer, const Base* base, const char* title, bool withBaseLine);
// A whole right panel of one page that holds the text (escaped).
void WriteMessageRow(TextWriter& writer, const char* text);

// The program page: the program's title and the platform. Nothing about the user, the computer, the
// process or its times: anyone who reaches the gateway may ask for this page.
void WriteProgramInfoPage(TextWriter& writer);

}  // namespace vek
