// TimeFunctionRowDefinition: what selection and formula rows share.
#include "analysis/TimeFunctionRowDefinition.h"

#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/ChangeRecord.h"
#include "model/links/LinkRename.h"
#include "analysis/timefunctions/TimeFunctionsTemplate.h"

namespace vek {

namespace {

// The documented size of a row record without its texts: links, kind, name and label pointers and
// the display settings.
constexpr int64_t kRowRecordSize = 56;

}  // namespace

TimeFunctionRowDefinition::TimeFunctionRowDefinition(TimeFunctionsTemplate& owner, TimeFunctionRowKind kind)
    : owner(owner), kind(kind)
{
}

TimeFunctionRowDefinition::~TimeFunctionRowDefinition() = default;

Base& TimeFunctionRowDefinition::GetBase() const { return owner.GetBase(); }

const char* TimeFunctionRowDefinition::DisplayName() const
{
    return label.Length() > 0 ? label.CStr() : name.CStr();
}

void TimeFunctionRowDefinition::OnBaseChange(const ChangeRecord& record)
{
    if (const LinkRename* rename = record.GetLinkRename(); rename != nullptr)
        rename->ApplyToText(label.Field());
}

void TimeFunctionRowDefinition::CopyCommonFrom(const TimeFunctionRowDefinition& other)
{
    name.Set(other.name.Get());
    label.Set(other.label.Get());
    display = other.display;
}

void TimeFunctionRowDefinition::WriteNameLine(TextWriter& writer, const char* key) const
{
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutFieldHeapText(name.Get());
    writer.PutSeparator();
    writer.PutLongText(label.Get());
    writer.EndRow();
}

int64_t TimeFunctionRowDefinition::CommonStoredSize() const
{
    return kRowRecordSize + MemBlockFootprint(name.Get()) + MemBlockFootprint(label.Get());
}

}  // namespace vek
