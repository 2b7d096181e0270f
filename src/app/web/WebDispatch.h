// WebDispatch: answering one web request: choosing the page, the login sessions, and the page handlers.
#pragma once

#include <string_view>

namespace vek {

class Base;
class Template;
class TextWriter;

// Answers one request of the gateway into the writer (UTF-8, LF line ends). Runs on the listener
// thread with the UI lock held; the UI language is changed for the page and restored before it
// returns. The page is chosen by the names of the query's fields, in this order: "term" (a glossary
// word), "username" (the login form's post), "logout", "templates", "cards" / "lines" / "comps" /
// "tfunc" / "cfunc", "card", "baseinfo", "version"; otherwise the menu page.
void DispatchWebRequest(TextWriter& writer, std::string_view query, std::string_view clientId,
                        std::string_view environment);

// The first open base whose file name's link code begins the text, or null.
Base* FindOpenBaseByCode(std::string_view text);
// Follows a ":"-separated code path: the base by its first segment, then one child of the current
// group per segment (the first whose name's link code begins the segment). The node reached (the
// base's template root when only the base matched), or null with `base` null when no base matched or
// with `base` set when a later segment matched nothing.
Template* FindBaseAndTemplateByCode(Base*& base, std::string_view path);

// Whether the request may see pages of the base. True for a base without web users, for the
// single-sign-on name of a user allowed to enter by it, and for a session logged in to this base as a
// user the base still has (that user becomes the request's web user). Otherwise the session
// remembers the query, the login form is written (nothing for a client id of 4 characters or fewer)
// and the answer is false.
bool WriteLoginPage(TextWriter& writer, Base& base);

}  // namespace vek
