// BaseFileSettings: what a base holds for SaveSettings, and ScopedSaveSettings for one save.
#pragma once

#include <memory>

#include "files/setups/SaveSettings.h"

namespace vek {

class Base;

// What the base holds, as SaveSettings::FromBase needs to know it: its password, web users, save
// setups, import setups, time scales, macros, subsets and templates (the kept sections of those not
// built yet), and its compression setting.
BaseContents ContentsOf(Base& base);
// Settings made from the base's defaults (SaveSettings::FromBase with ContentsOf).
std::unique_ptr<SaveSettings> MakeSaveSettingsFromBase(Base& base);

// Puts settings in the base's place for the time of a load or a save (the base's current settings,
// from which it takes its dimension order and the reference modes of its lines) and puts the base's
// own settings back at the end.
class ScopedSaveSettings {
public:
    ScopedSaveSettings(Base& base, std::unique_ptr<SaveSettings> settings);
    ~ScopedSaveSettings();
    ScopedSaveSettings(const ScopedSaveSettings&) = delete;
    ScopedSaveSettings& operator=(const ScopedSaveSettings&) = delete;

    SaveSettings& Settings() { return *current; }

private:
    Base& base;
    SaveSettings* current;
    std::unique_ptr<SaveSettings> saved;  // a copy of the base's own settings, or none
};

}  // namespace vek
