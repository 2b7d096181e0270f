// Names, captions and settings of a base, its windows, memory report and dimension order.
#include "model/base/Base.h"

#include <algorithm>
#include <cstring>

#include "foundation/memory/BitSet.h"
#include "foundation/strings/CString.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/services/TextMeasure.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/dates/DateExpression.h"
#include "model/dimensions/Dimension.h"
#include "model/base/ModelServices.h"
#include "model/named/WebUser.h"
#include "model/base/BaseFileHooks.h"
#include "model/dates/TimeScale.h"
#include "model/named/Macro.h"
#include "model/templates/TemplateTree.h"

namespace vek {

namespace {

// Stores a caption: null for an empty text or one equal to its default.
bool StoreCaption(OwnedText& field, const char* text, const char* defaultText)
{
    if (text != nullptr && (*text == '\0' || (defaultText != nullptr && std::strcmp(text, defaultText) == 0)))
        text = nullptr;
    if (CStrEqualNullAsEmpty(field.CStr(), text))
        return false;
    field.Set(text);
    return true;
}

void DefaultValueFieldName(int32_t i, String& out)
{
    out.AssignCStr(LoadText(text::kValueField));
    out.AppendChar(' ');
    out.AppendInt(i + 1);
}

int64_t RoundUpToKilobyte(int64_t bytes)
{
    return (bytes + 1023) / 1024 * 1024;
}

}  // namespace

// --- Names and captions ----------------------------------------------------------------------------

void Base::DimensionSingularName(int32_t d, String& out) const
{
    out.SetLength(0);
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    ConstHeapText name = GetDimension(d).SingularNameField();
    out.AssignCStr(name != nullptr ? name : LoadText(text::kDimensionName0 + d));
}

void Base::DimensionPluralName(int32_t d, String& out) const
{
    out.SetLength(0);
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    ConstHeapText name = GetDimension(d).PluralNameField();
    out.AssignCStr(name != nullptr ? name : LoadText(text::kDimensionName0 + d));
}

void Base::CardTextCaption(String& out) const
{
    out.AssignCStr(!options.cardTextCaption.IsNull() ? options.cardTextCaption.Get() : LoadText(text::kCardTextCaption));
}

void Base::LineTextCaption(String& out) const
{
    out.AssignCStr(!options.lineTextCaption.IsNull() ? options.lineTextCaption.Get() : LoadText(text::kLineTextCaption));
}

void Base::GetValueFieldName(int32_t i, String& out) const
{
    out.SetLength(0);
    if (i < 0 || i >= kValueFieldCount)
        return;
    if (!options.valueFieldNames[size_t(i)].IsNull())
        out.AssignCStr(options.valueFieldNames[size_t(i)].Get());
    else
        DefaultValueFieldName(i, out);
}

ConstHeapText Base::ValueFieldNameField(int32_t i) const
{
    return i < 0 || i >= kValueFieldCount ? nullptr : options.valueFieldNames[size_t(i)].Get();
}

int32_t Base::ValueFormat(int32_t i) const
{
    return i < 0 || i >= kValueFieldCount ? kDefaultValueFormat : options.valueFormats[size_t(i)];
}

void Base::GetFieldCaption(int32_t code, String& out) const
{
    out.SetLength(0);
    if (code >= 1 && code <= 32)
        DimensionSingularName(code - 1, out);
    else if (code >= 33 && code <= 64)
        DimensionPluralName(code - 33, out);
    else if (code == 65)
        CardTextCaption(out);
    else if (code == 66)
        LineTextCaption(out);
    else if (code >= 67 && code <= 90)
        GetValueFieldName(code - 67, out);
    else if (code > 99)
        out.AssignCStr(LoadText(code));
}

int32_t Base::GetFieldCaptionWidth(int32_t code, int32_t minimum) const
{
    String caption;
    GetFieldCaption(code, caption);
    int32_t width = MeasureTextWidth(std::string_view(caption.CStr(), size_t(caption.Length())));
    return std::max(width, minimum);
}

void Base::FillFieldCaption(int32_t code, char* buffer, int32_t capacity) const
{
    if (buffer == nullptr || capacity <= 0)
        return;
    String caption;
    GetFieldCaption(code, caption);
    int32_t n = std::min(caption.Length(), capacity - 1);
    while (n > 0 && n < caption.Length() && (static_cast<unsigned char>(caption.CStr()[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(buffer, caption.CStr(), size_t(n));
    buffer[n] = '\0';
}

// --- Setters ---------------------------------------------------------------------------------------

void Base::SetCardTextCaption(const char* text)
{
    if (!StoreCaption(options.cardTextCaption, text, LoadText(text::kCardTextCaption)))
        return;
    SetModified(true);
    Notify(kChangeCardTextCaption);
}

void Base::SetLineTextCaption(const char* text)
{
    if (!StoreCaption(options.lineTextCaption, text, LoadText(text::kLineTextCaption)))
        return;
    SetModified(true);
    Notify(kChangeLineTextCaption);
}

void Base::SetValueFieldName(int32_t i, const char* text)
{
    if (i < 0 || i >= kValueFieldCount)
        return;
    String defaultName;
    DefaultValueFieldName(i, defaultName);
    if (!StoreCaption(options.valueFieldNames[size_t(i)], text, defaultName.CStr()))
        return;
    SetModified(true);
    HandleChange(ChangeRecord(kChangeValueFieldName, this, ValueFieldPayload{i}));
}

void Base::SetDimensionCaptionWidth(int32_t width)
{
    width = std::clamp(width, kMinDimensionCaptionWidth, kMaxDimensionCaptionWidth);
    if (width == options.dimensionCaptionWidth)
        return;
    ChangeRecord record(kChangeDimensionCaptionWidth, this, DifferencePayload{width - options.dimensionCaptionWidth});
    options.dimensionCaptionWidth = width;
    HandleChange(record);
}

void Base::SetFieldCaptionWidth(int32_t width)
{
    width = std::clamp(width, kMinFieldCaptionWidth, kMaxFieldCaptionWidth);
    if (width == options.fieldCaptionWidth)
        return;
    ChangeRecord record(kChangeFieldCaptionWidth, this, DifferencePayload{width - options.fieldCaptionWidth});
    options.fieldCaptionWidth = width;
    HandleChange(record);
}

void Base::SetCardNumberDigits(int32_t digits)
{
    digits = std::clamp(digits, 1, 9);
    if (digits == options.cardNumberDigits)
        return;
    options.cardNumberDigits = digits;
    Notify(kChangeCardNumberDigits);
}

void Base::SetValueFormat(int32_t i, int32_t format)
{
    if (i < 0 || i >= kValueFieldCount)
        return;
    if (format == 8 || format == 9)
        format = 0;
    if (format == options.valueFormats[size_t(i)])
        return;
    options.valueFormats[size_t(i)] = format;
    HandleChange(ChangeRecord(kChangeValueFormat, this, ValueFieldPayload{i}));
}

void Base::SetReferenceDate(const DateExpression& expression)
{
    CardKey old = options.referenceDate->Value();
    options.referenceDate->Assign(expression);
    const CardKey& now = options.referenceDate->Value();
    if (now.date != old.date || now.number != old.number)
        Notify(kChangeReferenceDate);
}

void Base::SetLineIndexMap(bool on)
{
    if (on == (lineIndexMap != nullptr))
        return;
    if (on) {
        lineIndexMap = std::make_unique<BitSet>();
        if (!lineIndexMap->Resize(cards.linePool.ElementCount())) {
            lineIndexMap.reset();
            SetOutOfMemoryError();
            return;
        }
        lineIndexMap->SetAll(0);
    } else {
        lineIndexMap.reset();
    }
    HandleChange(ChangeRecord(kChangeLineIndexMap, this, FlagPayload{on}));
}

int32_t Base::CardNumberDigitsNeeded() const
{
    int32_t highest = 9;
    Card* end = ChainEnd();
    for (Card* card = FirstCard(); card != end; card = NextCard(card))
        highest = std::max(highest, card->number);
    int32_t digits = 0;
    for (int32_t rest = highest; rest > 0; rest /= 10)
        ++digits;
    return std::clamp(digits, 1, 9);
}

// --- Windows, memory, dimension order, menus -------------------------------------------------------

void Base::OpenInfoWindow(int32_t flags)
{
    if ((flags & 8) == 0 && infoWindow != nullptr) {
        infoWindow->Activate(flags);
        return;
    }
    BaseWindowLink* window = Service<ModelServices>::Get().OpenBaseInfoWindow(*this, flags);
    if (window != nullptr && (flags & (1 | 8)) == 0)
        infoWindow = window;
}

void Base::ForgetInfoWindow(BaseWindowLink* window)
{
    if (infoWindow == window)
        infoWindow = nullptr;
}

BaseMemoryUse Base::GetMemoryUse()
{
    int64_t used = kBaseRecordSize;
    for (const auto& dimension : dimensions)
        used += dimension->GetMemoryUse();
    used += componentPool.DocumentedBytes();
    used += cards.RecordBytes();
    used += ComponentTextMemory();
    used += CardTextMemory();
    if (lineIndexMap)
        used += lineIndexMap->MemorySize();
    used += webUsers->StoredSize();
    used += timeScales->GetMemoryUse();
    used += macros->GetMemoryUse();  // with the name index
    used += templates->EstimateMemory();
    BaseMemoryUse use;
    use.used = RoundUpToKilobyte(used);
    use.free = RoundUpToKilobyte(cards.FreeRecordBytes());
    return use;
}

void Base::SetSaveSettings(std::unique_ptr<BaseSaveSettings> settings)
{
    saveSettings = std::move(settings);
}

DimensionImportSetupBase* Base::GetDimensionImportSetup(int32_t d)
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return nullptr;
    auto& setup = dimensionImportSetups[size_t(d)];
    if (!setup)
        setup = Service<ModelServices>::Get().NewDimensionImportSetup(*this, d);
    return setup.get();
}

DimensionImportSetupBase* Base::FindDimensionImportSetup(int32_t d) const
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return nullptr;
    return dimensionImportSetups[size_t(d)].get();
}

void Base::SetDimensionImportSetup(int32_t d, std::unique_ptr<DimensionImportSetupBase> setup)
{
    if (d >= 0 && d < int32_t(kDimensionCount))
        dimensionImportSetups[size_t(d)] = std::move(setup);
}

void Base::DropDimensionImportSetup(int32_t d)
{
    if (d >= 0 && d < int32_t(kDimensionCount))
        dimensionImportSetups[size_t(d)].reset();
}

int32_t Base::DimensionOrderIndex(int32_t d) const
{
    for (int32_t i = 0; i < dimensionOrderCount; ++i) {
        if (dimensionOrder[size_t(i)] == d)
            return i;
    }
    return d;
}

void Base::SetupDimensionOrder()
{
    for (int32_t i = 0; i < int32_t(kDimensionCount); ++i)
        dimensionOrder[size_t(i)] = saveSettings ? saveSettings->DimensionOrderEntry(i) : 0;
    for (int32_t d = int32_t(kDimensionCount) - 1; d >= 1; --d) {
        int32_t& entry = dimensionOrder[size_t(d)];
        if (entry == 0)
            entry = IsDimensionInUse(d) ? d : -1;
        else if (entry < 0 || entry >= int32_t(kDimensionCount) || !IsDimensionInUse(entry))
            entry = -1;
    }
    dimensionOrderCount = 0;
    for (int32_t i = int32_t(kDimensionCount) - 1; i >= 0; --i) {
        if (dimensionOrder[size_t(i)] != -1) {
            dimensionOrderCount = i + 1;
            break;
        }
    }
}

void Base::EnableBaseMenus()
{
    Service<ModelServices>::Get().EnableBaseMenus(*this, modified);
}

// --- Dimensions ------------------------------------------------------------------------------------

bool Base::DimensionHasComponents(int32_t d) const
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return false;
    const Component* root = Root(d);
    return root != nullptr && root->firstChild != kNoRecord;
}

bool Base::IsDimensionInUse(int32_t d) const
{
    if (d < 0 || d >= int32_t(kDimensionCount) || !dimensions[size_t(d)])
        return false;
    return DimensionHasComponents(d) || !GetDimension(d).IsDefault();
}

int32_t Base::FindDimensionByName(const char* text) const
{
    String name;
    name.AssignCStr(text);
    String cleaned;
    for (int32_t i = 0; i < name.Length(); ++i) {
        if (static_cast<unsigned char>(name.CStr()[i]) >= 32)
            cleaned.AppendChar(name.CStr()[i]);
    }
    cleaned.Trim(' ');
    if (cleaned.IsEmpty())
        return -1;
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        const Dimension& dimension = GetDimension(d);
        if ((dimension.PluralNameField() != nullptr && CStrEqualNoCase(dimension.PluralNameField(), cleaned.CStr())) ||
            (dimension.SingularNameField() != nullptr &&
             CStrEqualNoCase(dimension.SingularNameField(), cleaned.CStr())))
            return d;
    }
    // A number 1..32 in the text.
    const char* digits = cleaned.CStr();
    while (*digits != '\0' && (*digits < '0' || *digits > '9'))
        ++digits;
    int32_t number = 0;
    int32_t count = 0;
    while (*digits >= '0' && *digits <= '9' && count < 3) {
        number = number * 10 + (*digits - '0');
        ++digits;
        ++count;
    }
    if (count > 0 && count < 3 && number >= 1 && number <= 32)
        return number - 1;
    return -1;
}

// --- BaseOptions -----------------------------------------------------------------------------------

BaseOptions::BaseOptions(Base* base) : referenceDate(std::make_unique<DateExpression>(base, 1))
{
    valueFormats.fill(kDefaultValueFormat);
}

BaseOptions::~BaseOptions() = default;

bool BaseOptions::CopyFrom(const BaseOptions& other)
{
    cardNumberDigits = other.cardNumberDigits;
    dimensionCaptionWidth = other.dimensionCaptionWidth;
    fieldCaptionWidth = other.fieldCaptionWidth;
    valueFormats = other.valueFormats;
    referenceDate->Assign(*other.referenceDate);
    bool copied = cardTextCaption.CopyFrom(other.cardTextCaption.Get()) &&
                  lineTextCaption.CopyFrom(other.lineTextCaption.Get());
    for (size_t i = 0; i < valueFieldNames.size() && copied; ++i)
        copied = valueFieldNames[i].CopyFrom(other.valueFieldNames[i].Get());
    return copied;
}

}  // namespace vek
