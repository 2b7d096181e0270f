// Preferences: the keys of the program's settings, read at start-up and written when they change.
#include "app/Preferences.h"

#include <algorithm>

#include "app/RecentFiles.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/strings/String.h"
#include "platform/PreferenceStore.h"

namespace vek {

namespace {

ProgramSettings programSettings;

// Keys of the preferences files.
constexpr char kKeyLanguage[] = "Language";
constexpr char kKeyLanguageFromSystem[] = "LangFromSystem";
constexpr char kKeyCopyTable[] = "CopyTable";
constexpr char kKeyDateFormat[] = "Dateformat";
constexpr char kKeyAutoRecalc[] = "AutoRecalc";
constexpr char kKeyCheckFiles[] = "CheckFiles";
constexpr char kKeyColorPrint[] = "ColorPrint";
constexpr char kKeyPixFactor[] = "PixFactor";
constexpr char kKeyServeWeb[] = "ServeDuvODE";
constexpr char kKeyWebPort[] = "DuvodePort";
constexpr char kKeyWebAddress[] = "DuvodeAddress";
constexpr char kDefaultWebAddress[] = "127.0.0.1";
constexpr char kKeyRecentCount[] = "VEK5.RecentFile";
constexpr char kKeyRecentFullPaths[] = "RecentFullpaths";
constexpr char kKeyRecentSubmenu[] = "RecentSubmenu";

// The languages the program offers, in the order its language popup lists them.
constexpr int32_t kOfferedLanguages[] = {0, 2, 7, 6, 3, 9, 10, 5, 12};

void ReadSharedKeys(const PreferenceStore& store, ProgramSettings& settings)
{
    (void)store.GetLanguage(kKeyLanguage, settings.language);
    String text;
    if (store.Contains(kKeyCopyTable)) {
        store.GetString(kKeyCopyTable, text);
        settings.copyTable = text.CStr();
    }
    store.GetString(kKeyDateFormat, text);
    if (text.Length() > 0)
        settings.dateFormat = text.CStr()[0];
}

}  // namespace

ProgramSettings& Settings() { return programSettings; }

void LoadPreferences()
{
    ProgramSettings& settings = programSettings;
    for (int32_t language : kOfferedLanguages)
        SetLanguageAvailable(language, true);
    PreferenceStore shared;
    shared.Open(kPreferencesDomain, 1);
    PreferenceStore user;
    user.Open(kPreferencesDomain, 0);
    ReadSharedKeys(shared, settings);
    ReadSharedKeys(user, settings);
    (void)user.GetBool(kKeyLanguageFromSystem, settings.languageFromSystem);
    if (!settings.languageFromSystem)
        SetUiLanguage(settings.language);
    (void)user.GetBool(kKeyAutoRecalc, settings.autoRecalc);
    (void)user.GetBool(kKeyCheckFiles, settings.checkFiles);
    (void)user.GetBool(kKeyColorPrint, settings.colorPrint);
    int32_t number = 0;
    if (user.GetInt(kKeyPixFactor, number) && number >= 1 && number <= 3)
        settings.pixFactor = number;
    (void)user.GetBool(kKeyServeWeb, settings.serveWeb);
    // A port beyond 65535 would be cut to another port by the socket layer.
    if (user.GetInt(kKeyWebPort, number) && number > 80 && number <= 65535)
        settings.webPort = number;
    if (user.Contains(kKeyWebAddress)) {
        String address;
        user.GetString(kKeyWebAddress, address);
        settings.webAddress = address.Length() > 0 ? address.CStr() : kDefaultWebAddress;
    }
    RecentFileList& recent = RecentFiles();
    if (user.GetInt(kKeyRecentCount, number))
        recent.count = std::clamp(number, 0, kRecentFileSlots);
    (void)user.GetBool(kKeyRecentFullPaths, recent.fullPaths);
    (void)user.GetBool(kKeyRecentSubmenu, recent.submenu);
    LoadRecentFiles(user);
}

void SavePreferences()
{
    const ProgramSettings& settings = programSettings;
    const RecentFileList& recent = RecentFiles();
    PreferenceStore user;
    user.Open(kPreferencesDomain, 0);
    user.SetLanguage(kKeyLanguage, settings.language);
    user.SetBool(kKeyLanguageFromSystem, settings.languageFromSystem);
    if (settings.dateFormat != 0) {
        const char format[2] = {settings.dateFormat, '\0'};
        user.SetString(kKeyDateFormat, format);
    }
    user.SetBool(kKeyAutoRecalc, settings.autoRecalc);
    user.SetBool(kKeyCheckFiles, settings.checkFiles);
    user.SetInt(kKeyRecentCount, recent.count);
    user.SetBool(kKeyRecentFullPaths, recent.fullPaths);
    user.SetBool(kKeyRecentSubmenu, recent.submenu);
    user.SetBool(kKeyColorPrint, settings.colorPrint);
    user.SetInt(kKeyPixFactor, settings.pixFactor);
    user.SetBool(kKeyServeWeb, settings.serveWeb);
    user.SetInt(kKeyWebPort, settings.webPort);
    if (settings.webAddress != kDefaultWebAddress)
        user.SetString(kKeyWebAddress, settings.webAddress.c_str());
    // Closing writes the file through a temporary file renamed over it.
}

}  // namespace vek
