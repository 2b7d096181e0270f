// WebRequest: the state of the web request being answered: its texts, the gateway's settings, the
// logged-in web user, the page language and format, and which menus show.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/strings/String.h"

namespace vek {

class Base;
class SessionTable;
struct WebUser;

// What the gateway says about itself in the environment line of a request: where links, images and
// the stylesheet are, and a user name the outside web server vouches for.
struct WebRequestContext {
    String gateway;           // "gateway": the gateway's URL path; links and forms point to it
    String documentRoot;      // "document-root": put before every image and stylesheet path
    String stylesheet;        // "stylesheet"
    String images;            // "images": the folder of the page images, after the document root
    String singleSignOnName;  // "shib-name"

    WebRequestContext();
};

// Reads the environment line (attributes name="value", entities decoded) into the context; names
// other than the five above are passed over.
void ReadGatewayEnvironment(WebRequestContext& context, std::string_view environment);

// Bits of the menus mask: which parts of the page frame show.
constexpr int32_t kMenusFrame = 1;        // the middle panel and the menus' state
constexpr int32_t kMenusSidePanel = 2;
constexpr int32_t kMenusDatabases = 4;
constexpr int32_t kMenusTemplates = 8;
constexpr int32_t kMenusPreferences = 16;
constexpr int32_t kMenusDefault = 15;

// The request being answered. It exists only inside DispatchWebRequest, on the listener thread, under
// the UI lock.
struct WebRequest {
    std::string_view query;
    std::string_view clientId;
    WebRequestContext context;
    // The logged-in user of the base the page is about, or null (no restrictions: the base has no web
    // users). Cleared at the start of every request.
    const WebUser* webUser = nullptr;
    int32_t requestLanguage = -1;  // from "lang": a web language index, or -1
    int32_t requestFormat = -1;    // from "format"
    int32_t savedLanguage = 0;     // the UI language before the request
    int32_t menusMask = kMenusDefault;
};

// The request being answered, or null outside one.
WebRequest* CurrentWebRequest();
// Only DispatchWebRequest sets it, for the time of one request.
void SetCurrentWebRequest(WebRequest* request);
// True while a web request is being answered.
bool IsWebRequestActive();
// The web service's sessions (created by the first request, never freed).
SessionTable& WebSessions();

// Web languages: index 0 "US" "English", 12 "SE" "Svenska", 5 "FI" "Suomi"; any other index gives
// those of 0.
const char* GetWebLanguageCode(int32_t language);
const char* GetWebLanguageName(int32_t language);
// The index of a web language code after upper-casing ("se" is Swedish); -1 for any other text.
int32_t WebLanguageFromCode(std::string_view code);

// The current web user's language ("LG") when set, else the UI language before the request.
int32_t GetWebUserLanguage();
// The request's language when given, else GetWebUserLanguage.
int32_t GetWebPageLanguage();
// Makes GetWebPageLanguage the UI language.
void ApplyWebPageLanguage();
// The current web user's number format: its language (the "FR" of the user), -1 without one.
int32_t GetWebUserFormat();
int32_t GetWebPageFormat();

// Menus mask letters: "none" gives 0; "S", "D", "T", "P" set 2, 4, 8, 16 and their lower-case letters
// clear them; other characters are passed over. Bit 1 is set only by the default.
int32_t ParseMenusParameter(std::string_view text, int32_t mask);
// "none" when bit 1 is clear, else the letters S, D, T, P, each upper case when its bit is set.
void FormatMenusMask(String& out, int32_t mask);

// The link code of a base's file name: what links name it by.
void GetBaseLinkCode(const Base& base, String& code);
// The session key of a browser session and a base: the client id, a tab, the base's link code and the
// long link code of its whole path. Two open bases whose file names share a link code never share a
// session, and a login never follows a code to a base other than the one it was made for.
void MakeWebSessionKey(const Base& base, std::string_view clientId, String& key);

}  // namespace vek
