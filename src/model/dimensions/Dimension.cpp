// Dimension: case modes, display, widths, option lines and the component indexes of a dimension.
#include "model/dimensions/Dimension.h"

#include <cstdint>
#include <cstring>

#include "foundation/strings/CString.h"
#include "foundation/memory/HashTable.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/dimensions/Component.h"
#include "model/links/LinkRename.h"

namespace vek {

namespace {

constexpr const char* kColumnDisplayLetters = "CHTNMPR";
constexpr const char* kOptionILetters = "FSD";

const char* ComponentCodeKey(const void* entry)
{
    return static_cast<const Component*>(entry)->code;
}

const char* ComponentHostKey(const void* entry)
{
    return static_cast<const Component*>(entry)->host;
}

// Entries a table is made for at least, whatever the dimension holds: a stated expected count up to
// this is taken as it stands.
constexpr int32_t kTableEntriesTaken = 1024;

// The entries to make a table for: the expected count, but not many more than the `held` entries
// it takes now, so that an expected count stated in a file cannot make the base allocate a table
// for components it does not have; the table grows as they come.
int32_t DimensionTableEntries(int32_t expected, int32_t held)
{
    int32_t bound = held > kTableEntriesTaken / 2 ? (held > INT32_MAX / 2 ? INT32_MAX : 2 * held) : kTableEntriesTaken;
    return expected < bound ? expected : bound;
}

int32_t LetterIndex(const char* table, char letter)
{
    if (letter == '\0')
        return -1;
    const char* found = std::strchr(table, letter);
    return found == nullptr ? -1 : int32_t(found - table);
}

bool DisplayShowsCodes(int32_t display)
{
    return display == 0 || display == 3 || display == 5 || display == 6;
}

bool DisplayShowsTexts(int32_t display)
{
    return display == 2 || display == 3 || display == 4 || display == 6;
}

bool DisplayShowsHosts(int32_t display)
{
    return display == 1 || display == 4 || display == 5 || display == 6;
}

int32_t WidthOrDefault(int32_t stored, int32_t fallback)
{
    return stored < 24 || stored > 500 ? fallback : stored;
}

}  // namespace

int32_t DisplayCodeFromLetter(char letter)
{
    return LetterIndex(kColumnDisplayLetters, letter);
}

char DisplayLetterFromCode(int32_t code)
{
    if (code < 0 || code >= int32_t(std::strlen(kColumnDisplayLetters)))
        return '-';
    return kColumnDisplayLetters[code];
}

int32_t DisplayCodeToItemIndex(int32_t code)
{
    return code < 0 ? 0 : code + 2;
}

int32_t DisplayItemIndexToCode(int32_t item)
{
    return item == 0 ? -1 : item - 2;
}

Dimension::Dimension(Base& base, int32_t number) : base(base), number(number) {}

Dimension::~Dimension() = default;

void Dimension::HandleChange(const ChangeRecord& record)
{
    if (record.code == kChangeComponents && record.dimension == number)
        RefreshUseFlags();
    if (record.code == kChangeLinkRename && record.base == &base && record.GetLinkRename() != nullptr)
        ApplyLinkRename(*record.GetLinkRename());
}

void Dimension::ApplyLinkRename(const LinkRename& rename)
{
    const RecordPool& pool = base.ComponentPool();
    Component* root = base.Root(number);
    if (root == nullptr)
        return;
    bool changed = false;
    for (Component* c = root->NextInSubtree(pool, root); c != root; c = c->NextInSubtree(pool, root))
        changed = rename.ApplyToText(c->text) || changed;
    if (changed) {
        base.SetDimensionChanged(number);
        Notify(kChangeComponents);
    }
}

void Dimension::Notify(int32_t code)
{
    ChangeRecord record(code, &base);
    record.dimension = number;
    base.HandleChange(record);
    RefreshUseFlags();
}

void Dimension::RefreshUseFlags()
{
    bool nowInUse = base.IsDimensionInUse(number);
    bool nowHasComponents = base.DimensionHasComponents(number);
    if (nowInUse != inUse) {
        inUse = nowInUse;
        ChangeRecord record(kChangeDimensionInUse, &base, FlagPayload{inUse});
        record.dimension = number;
        base.HandleChange(record);
    }
    if (nowHasComponents != hasComponents) {
        hasComponents = nowHasComponents;
        ChangeRecord record(kChangeDimensionHasComponents, &base, FlagPayload{hasComponents});
        record.dimension = number;
        base.HandleChange(record);
    }
}

int64_t Dimension::GetMemoryUse() const
{
    int64_t bytes = kDimensionRecordSize;
    if (codeIndex)
        bytes += codeIndex->MemorySize();
    if (hostIndex)
        bytes += hostIndex->MemorySize();
    return bytes;
}

bool Dimension::IsDefault() const
{
    return options.singularName.IsNull() && options.pluralName.IsNull() && options.codeMode == kCaseUpper && options.textMode == kCaseKeep &&
           options.hostMode == kCaseKeep && options.display == 3 && options.optionI == 1 && options.codeWidth == 0 && options.textWidth == 0 &&
           options.hostWidth == 0;
}

void Dimension::ConvertComponentTexts(ComponentTextField which, int32_t mode)
{
    // A checkpoint keeps the texts as they are, to put them back when the change is rolled back.
    base.KeepComponentTexts(number, which);
    const RecordPool& pool = base.ComponentPool();
    Component* root = base.Root(number);
    for (Component* c = root->NextInSubtree(pool, root); c != root; c = c->NextInSubtree(pool, root)) {
        HeapText& field = ComponentText(*c, which);
        if (field != nullptr)
            CStrChangeCase(field, mode);  // keeps the byte length, so the block still fits
    }
}

void Dimension::SetCodeMode(int32_t mode)
{
    if (mode == options.codeMode || mode < 0 || mode > kCaseKeep || mode == kCaseCapitalize || mode == kCaseWords)
        return;
    options.codeMode = mode;
    if (mode <= kCaseWords)
        ConvertComponentTexts(ComponentTextField::Code, mode);
    RebuildCodeIndex(false);
    Notify(kChangeCodeMode);
    if (mode <= kCaseWords && DisplayShowsCodes(options.display))
        Notify(kChangeComponentDisplay);
}

void Dimension::SetTextMode(int32_t mode)
{
    if (mode == options.textMode || mode < 0 || mode > kCaseKeep)
        return;
    options.textMode = mode;
    if (mode <= kCaseWords)
        ConvertComponentTexts(ComponentTextField::Text, mode);
    Notify(kChangeTextMode);
    if (mode <= kCaseWords && DisplayShowsTexts(options.display))
        Notify(kChangeComponentDisplay);
}

void Dimension::SetHostMode(int32_t mode)
{
    if (mode == options.hostMode || mode < 0 || mode > kCaseKeep)
        return;
    options.hostMode = mode;
    if (mode <= kCaseWords)
        ConvertComponentTexts(ComponentTextField::Host, mode);
    RebuildHostIndex(false);
    Notify(kChangeHostMode);
    if (mode <= kCaseWords && DisplayShowsHosts(options.display))
        Notify(kChangeComponentDisplay);
}

void Dimension::SetCodeModeLetter(char letter)
{
    int32_t mode = LetterIndex(kCaseModeLetters, letter);
    if (mode >= 0)
        SetCodeMode(mode);
}

void Dimension::SetTextModeLetter(char letter)
{
    int32_t mode = LetterIndex(kCaseModeLetters, letter);
    if (mode >= 0)
        SetTextMode(mode);
}

void Dimension::SetHostModeLetter(char letter)
{
    int32_t mode = LetterIndex(kCaseModeLetters, letter);
    if (mode >= 0)
        SetHostMode(mode);
}

void Dimension::SetDisplay(int32_t combination)
{
    if (combination == options.display || combination < 0 || combination >= kDisplayCombinationCount)
        return;
    options.display = combination;
    Notify(kChangeDisplayCombination);
    Notify(kChangeComponentDisplay);
}

void Dimension::SetDisplayText(const char* text)
{
    if (text == nullptr)
        return;
    for (int32_t combination = kDisplayCombinationCount - 1; combination >= 0; --combination) {
        if (std::strcmp(kDisplayCombinations[combination], text) == 0) {
            SetDisplay(combination);
            return;
        }
    }
}

void Dimension::SetOptionX(bool flag)
{
    if (flag == options.optionX)
        return;
    options.optionX = flag;
    Notify(kChangeOptionX);
}

void Dimension::SetOptionI(int32_t value)
{
    if (value == options.optionI || value < 0 || value > 2)
        return;
    options.optionI = value;
    Notify(kChangeOptionI);
}

void Dimension::SetOptionILetter(char letter)
{
    int32_t value = LetterIndex(kOptionILetters, letter);
    if (value >= 0)
        SetOptionI(value);
}

void Dimension::SetName(OwnedText& field, const char* text, int32_t code)
{
    if (text != nullptr && (*text == '\0' || std::strcmp(text, LoadText(text::kDimensionName0 + number)) == 0))
        text = nullptr;
    if (CStrEqualNullAsEmpty(field.CStr(), text))
        return;
    field.Set(text);
    base.SetModified(true);
    Notify(code);
}

void Dimension::SetSingularName(const char* text)
{
    SetName(options.singularName, text, kChangeSingularName);
}

void Dimension::SetPluralName(const char* text)
{
    SetName(options.pluralName, text, kChangePluralName);
}

void Dimension::SetCodeWidth(int32_t width)
{
    if (width == kDefaultCodeWidth)
        width = 0;
    if (width == options.codeWidth)
        return;
    options.codeWidth = width;
    Notify(kChangeColumnWidths);
}

void Dimension::SetTextWidth(int32_t width)
{
    if (width == kDefaultTextWidth)
        width = 0;
    if (width == options.textWidth)
        return;
    options.textWidth = width;
    Notify(kChangeColumnWidths);
}

void Dimension::SetHostWidth(int32_t width)
{
    if (width == kDefaultHostWidth)
        width = 0;
    if (width == options.hostWidth)
        return;
    options.hostWidth = width;
    Notify(kChangeColumnWidths);
}

int32_t Dimension::GetCodeWidth() const
{
    return WidthOrDefault(options.codeWidth, kDefaultCodeWidth);
}

int32_t Dimension::GetTextWidth() const
{
    return WidthOrDefault(options.textWidth, kDefaultTextWidth);
}

int32_t Dimension::GetHostWidth() const
{
    return WidthOrDefault(options.hostWidth, kDefaultHostWidth);
}

void Dimension::NormalizeTexts(String& code, String& text, String& host) const
{
    // A component's texts are fields of one line of a base file: a tab or a line break in them
    // becomes a blank (and so leaves a code).
    for (String* field : {&code, &text, &host}) {
        char* bytes = field->Data();
        for (int32_t i = 0; i < field->Length(); ++i) {
            if (bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')
                bytes[i] = ' ';
        }
    }
    code.RemoveAll(' ');
    text.Trim(' ');
    host.Trim(' ');
    CStrChangeCase(code.Data(), options.codeMode);
    CStrChangeCase(text.Data(), options.textMode);
    CStrChangeCase(host.Data(), options.hostMode);
}

void Dimension::IndexComponent(Component* component)
{
    // The component is already in the tree, so a rebuild enters it too.
    // A table made for fewer entries than expected (DimensionTableEntries) is rebuilt when full,
    // keeping the expected count.
    if (component->code != nullptr) {
        if (!codeIndex)
            codeIndex = std::make_unique<HashTable>(DimensionTableEntries(options.codeIndexSize, 1), 0,
                                                    ComponentCodeKey, options.codeMode);
        bool added = codeIndex->Add(component);
        if (!added || codeIndex->Count() > options.codeIndexSize) {
            options.codeIndexSize = 2 * (codeIndex->Count() + (added ? 0 : 1));
            RebuildCodeIndex(false);
        } else if (codeIndex->NeedsRebuild()) {
            RebuildCodeIndex(false);
        }
    }
    if (component->host != nullptr) {
        if (!hostIndex)
            hostIndex = std::make_unique<HashTable>(DimensionTableEntries(options.hostIndexSize, 1), 0,
                                                    ComponentHostKey, options.hostMode);
        bool added = hostIndex->Add(component);
        if (!added || hostIndex->Count() > options.hostIndexSize) {
            options.hostIndexSize = 2 * (hostIndex->Count() + (added ? 0 : 1));
            RebuildHostIndex(false);
        } else if (hostIndex->NeedsRebuild()) {
            RebuildHostIndex(false);
        }
    }
}

bool Dimension::UnindexComponent(const Component* component)
{
    bool exact = true;
    // Remove takes out the first entry of the key's probe sequence, which is the one Find gives;
    // when that is another component with an equal key, only a rebuild can take this one out.
    if (codeIndex && component->code != nullptr) {
        if (codeIndex->Find(component->code) == component)
            codeIndex->Remove(component);
        else
            exact = false;
    }
    if (hostIndex && component->host != nullptr) {
        if (hostIndex->Find(component->host) == component)
            hostIndex->Remove(component);
        else
            exact = false;
    }
    return exact;
}

Component* Dimension::FindByCode(const char* text) const
{
    return codeIndex ? static_cast<Component*>(codeIndex->Find(text)) : nullptr;
}

Component* Dimension::FindByHost(const char* text) const
{
    return hostIndex ? static_cast<Component*>(hostIndex->Find(text)) : nullptr;
}

void Dimension::RebuildCodeIndex(bool check)
{
    RebuildIndex(codeIndex, options.codeIndexSize, check, false);
}

void Dimension::RebuildHostIndex(bool check)
{
    RebuildIndex(hostIndex, options.hostIndexSize, check, true);
}

void Dimension::RebuildIndex(std::unique_ptr<HashTable>& index, int32_t& expected, bool check, bool host)
{
    const RecordPool& pool = base.ComponentPool();
    Component* root = base.Root(number);
    ComponentTextField which = host ? ComponentTextField::Host : ComponentTextField::Code;
    int32_t found = 0;
    for (Component* c = root->NextInSubtree(pool, root); c != root; c = c->NextInSubtree(pool, root)) {
        if (ComponentText(*c, which) != nullptr)
            ++found;
    }
    if (check && found == 0) {
        index.reset();
        return;
    }
    if (!index && !check)
        return;
    if (expected < found)
        expected = found;
    // A new table also takes the current key mode.
    index = std::make_unique<HashTable>(DimensionTableEntries(expected, found), 0,
                                        host ? ComponentHostKey : ComponentCodeKey,
                                        host ? options.hostMode : options.codeMode);
    for (Component* c = root->NextInSubtree(pool, root); c != root; c = c->NextInSubtree(pool, root)) {
        if (ComponentText(*c, which) != nullptr && !index->Add(c))
            break;  // no memory for the slots: the index finds less until the next rebuild
    }
}

}  // namespace vek
