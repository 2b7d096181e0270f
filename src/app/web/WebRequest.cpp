// WebRequest: the gateway's environment line, the web languages, the menus mask and the session table.
#include "app/web/WebRequest.h"

#include <memory>

#include "foundation/messages/LocalizedText.h"
#include "foundation/streams/LinkCode.h"
#include "foundation/streams/SessionTable.h"
#include "foundation/streams/TextReader.h"
#include "foundation/strings/CString.h"
#include "model/base/Base.h"
#include "model/named/WebUser.h"

namespace vek {

namespace {

struct WebLanguage {
    int32_t index;
    const char* code;
    const char* name;
};
constexpr WebLanguage kWebLanguages[] = {{0, "US", "English"}, {12, "SE", "Svenska"}, {5, "FI", "Suomi"}};

const WebLanguage& WebLanguageOf(int32_t language)
{
    for (const WebLanguage& entry : kWebLanguages) {
        if (entry.index == language)
            return entry;
    }
    return kWebLanguages[0];
}

// Set by DispatchWebRequest for the time of one request; only the listener thread answers requests,
// under the UI lock, and every reader runs inside a request.
WebRequest* currentWebRequest = nullptr;

}  // namespace

WebRequestContext::WebRequestContext()
{
    gateway.AssignCStr("vek.cgi");
    stylesheet.AssignCStr("vek.css");
    images.AssignCStr("images/");
}

void ReadGatewayEnvironment(WebRequestContext& context, std::string_view environment)
{
    TextReader reader(environment.data(), int64_t(environment.size()));
    if (!reader.ReadLine())
        return;
    struct Key {
        const char* name;
        String& field;
    };
    const Key keys[] = {{"gateway", context.gateway},
                        {"document-root", context.documentRoot},
                        {"stylesheet", context.stylesheet},
                        {"images", context.images},
                        {"shib-name", context.singleSignOnName}};
    String name;
    String value;
    while (reader.NextLineAttribute(name, value)) {
        for (const Key& key : keys) {
            if (CStrEqual(name.CStr(), key.name))
                key.field.Assign(value);
        }
    }
}

WebRequest* CurrentWebRequest() { return currentWebRequest; }

void SetCurrentWebRequest(WebRequest* request) { currentWebRequest = request; }

bool IsWebRequestActive() { return currentWebRequest != nullptr; }

SessionTable& WebSessions()
{
    // Never freed: the listener thread may still answer a request while the program ends.
    static SessionTable* sessions = new SessionTable();
    return *sessions;
}

const char* GetWebLanguageCode(int32_t language) { return WebLanguageOf(language).code; }

const char* GetWebLanguageName(int32_t language) { return WebLanguageOf(language).name; }

int32_t WebLanguageFromCode(std::string_view code)
{
    for (const WebLanguage& entry : kWebLanguages) {
        if (CStrEqualNoCase(code, std::string_view(entry.code)))
            return entry.index;
    }
    return -1;
}

int32_t GetWebUserLanguage()
{
    const WebRequest* request = currentWebRequest;
    if (request && request->webUser && request->webUser->language >= 0)
        return request->webUser->language;
    return request ? request->savedLanguage : UiLanguage();
}

int32_t GetWebPageLanguage()
{
    const WebRequest* request = currentWebRequest;
    if (request && request->requestLanguage >= 0)
        return request->requestLanguage;
    return GetWebUserLanguage();
}

void ApplyWebPageLanguage()
{
    int32_t language = GetWebPageLanguage();
    if (language >= 0)
        SetUiLanguage(language);
}

int32_t GetWebUserFormat()
{
    const WebRequest* request = currentWebRequest;
    if (!request || !request->webUser || request->webUser->secondLanguage < 0)
        return -1;
    return request->webUser->secondLanguage;
}

int32_t GetWebPageFormat()
{
    const WebRequest* request = currentWebRequest;
    if (request && request->requestFormat >= 0)
        return request->requestFormat;
    return GetWebUserFormat();
}

int32_t ParseMenusParameter(std::string_view text, int32_t mask)
{
    if (text == "none")
        return 0;
    static constexpr struct {
        char letter;
        int32_t bit;
    } kLetters[] = {{'S', kMenusSidePanel}, {'D', kMenusDatabases}, {'T', kMenusTemplates}, {'P', kMenusPreferences}};
    for (char c : text) {
        for (const auto& entry : kLetters) {
            if (c == entry.letter)
                mask |= entry.bit;
            else if (c == entry.letter + ('a' - 'A'))
                mask &= ~entry.bit;
        }
    }
    return mask;
}

void FormatMenusMask(String& out, int32_t mask)
{
    if ((mask & kMenusFrame) == 0) {
        out.AssignCStr("none");
        return;
    }
    out.AssignCStr("");
    const char letters[] = {'S', 'D', 'T', 'P'};
    const int32_t bits[] = {kMenusSidePanel, kMenusDatabases, kMenusTemplates, kMenusPreferences};
    for (int32_t i = 0; i < 4; ++i)
        out.AppendChar((mask & bits[i]) ? letters[i] : char(letters[i] + ('a' - 'A')));
}

void GetBaseLinkCode(const Base& base, String& code)
{
    base.GetFileName(code);
    MakeLinkCode(code);
}

void MakeWebSessionKey(const Base& base, std::string_view clientId, String& key)
{
    key.AssignBytes(clientId.data(), int32_t(clientId.size()));
    key.AppendCStr("\t");
    String code;
    GetBaseLinkCode(base, code);
    key.Append(code);
    // An untitled base has no path; its file name (its untitled number) tells it apart then.
    String path;
    path.AssignBytes(base.Path().Text().data(), int32_t(base.Path().Text().size()));
    if (path.Length() == 0)
        base.GetFileName(path);
    MakeLongLinkCode(path);
    key.Append(path);
}

}  // namespace vek
