// Preferences: the program's settings, read from and written to the preferences store.
#pragma once

#include <cstdint>
#include <string>

namespace vek {

// The domain of the program's preferences: the user's own "VEK Preferences" and the shared
// "VEK Globals" (PreferenceStore::Open).
constexpr char kPreferencesDomain[] = "VEK/ZO";

// The settings the preferences keep. Defaults as a new user has them.
struct ProgramSettings {
    int32_t language = 0;          // "Language": the UI language, 0-12
    bool languageFromSystem = true;  // "LangFromSystem"
    std::string copyTable;           // "CopyTable": the copy settings' text, kept as read
    char dateFormat = 0;             // "Dateformat": 0 until one was read
    bool autoRecalc = true;          // "AutoRecalc"
    bool checkFiles = true;          // "CheckFiles"
    bool colorPrint = false;         // "ColorPrint"
    int32_t pixFactor = 2;           // "PixFactor": 1-3
    bool serveWeb = false;           // "ServeDuvODE"
    int32_t webPort = 7412;          // "DuvodePort": 81-65535
    std::string webAddress = "127.0.0.1";  // "DuvodeAddress": the IPv4 address the web service listens on
};

// The settings of this run.
ProgramSettings& Settings();

// Reads the settings: "Language" and "CopyTable" and "Dateformat" from the shared file, then from the
// user's (which overrides); the rest from the user's only; then the recent files. A value of the
// wrong form leaves the setting as it was; a port outside 81-65535 and a pixel factor outside 1-3 are
// ignored; a recent-file count above 8 becomes 8. The offered languages are marked, and the UI
// language set unless it is taken from the system.
void LoadPreferences();
// Writes the settings into the user's file (replaced whole, never in place).
void SavePreferences();

}  // namespace vek
