// BaseFileSettings: the contents of a base as a save sees them, and save settings scoped to a base.
#include "files/basefiles/BaseFileSettings.h"

#include "files/format/BaseFileRecord.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/base/BaseProtection.h"
#include "model/named/Macro.h"
#include "model/selections/SubsetList.h"
#include "model/dates/TimeScale.h"
#include "model/named/WebUser.h"

namespace vek {

BaseContents ContentsOf(Base& base)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    BaseContents contents;
    contents.compress = record.compress;
    contents.hasPassword = base.Protection().HasProtection();
    contents.hasWebUsers = base.WebUsers().HasUsers();
    contents.hasSaveSetups = !record.SaveSetups().IsEmpty();
    contents.hasImportSetups = record.ImportSetups().Count() > 0;
    contents.hasTimeScales = base.TimeScales().Count() > 0;
    contents.hasMacros = base.Macros().Count() > 0;
    contents.hasSubsets = base.Subsets().Count() > 0;
    contents.hasTemplates = base.Templates().Count() > 0;
    return contents;
}

std::unique_ptr<SaveSettings> MakeSaveSettingsFromBase(Base& base)
{
    auto settings = std::make_unique<SaveSettings>();
    settings->FromBase(base, ContentsOf(base));
    return settings;
}

ScopedSaveSettings::ScopedSaveSettings(Base& base, std::unique_ptr<SaveSettings> settings)
    : base(base), current(settings.get())
{
    if (auto* own = dynamic_cast<const SaveSettings*>(base.SaveSettings())) {
        saved = std::make_unique<SaveSettings>();
        if (!saved->CopyFrom(*own))
            saved.reset();
    }
    base.SetSaveSettings(std::move(settings));
    base.SetupDimensionOrder();
}

ScopedSaveSettings::~ScopedSaveSettings()
{
    base.SetSaveSettings(std::move(saved));
    base.SetupDimensionOrder();
}

}  // namespace vek
