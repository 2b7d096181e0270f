// Dictionary: storing, finding and rehashing text and number values under text keys.
#include "foundation/memory/Dictionary.h"

#include "foundation/strings/CString.h"
#include "foundation/numbers/IntegerText.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

bool StartsLikeNumber(const char* text)
{
    return text != nullptr && (text[0] == '-' || (text[0] >= '0' && text[0] <= '9'));
}

// Large enough for any number text the cursor writers produce.
constexpr int32_t kNumberBufferBytes = 128;

}  // namespace

Dictionary::Dictionary(int32_t expectedCount)
    : entries(int32_t(sizeof(Record)), 0), index(expectedCount, 0, KeyOfRecord, kKeyKindExact)
{
}

Dictionary::~Dictionary()
{
    Clear();
}

const char* Dictionary::KeyOfRecord(const void* record)
{
    return static_cast<const Record*>(record)->key;
}

Dictionary::Record* Dictionary::RecordAt(int32_t i) const
{
    return static_cast<Record*>(const_cast<PagedArray&>(entries).At(i));
}

Dictionary::Record* Dictionary::Find(const char* key) const
{
    return static_cast<Record*>(index.Find(key));
}

void Dictionary::Clear()
{
    for (int32_t i = 0; i < entries.Count(); ++i) {
        if (Record* record = RecordAt(i)) {
            SetHeapText(record->key, nullptr);
            SetHeapText(record->value, nullptr);
        }
    }
    (void)index.Reset(0);
    entries.Truncate(0);
    modified = true;
}

bool Dictionary::Rehash()
{
    bool resized = index.Reset(3 * entries.Count());
    for (int32_t i = 0; i < entries.Count(); ++i) {
        // The old size held every entry before, so there is room for all of them again.
        if (Record* record = RecordAt(i))
            (void)index.Add(record);
    }
    return resized;
}

bool Dictionary::SetText(const char* key, const char* value)
{
    if (key == nullptr || key[0] == 0)
        return true;
    if (value == nullptr)
        value = "";
    modified = true;
    if (Record* record = Find(key)) {
        SetHeapText(record->value, value);
        return value[0] == 0 || record->value != nullptr;
    }

    // A new record: every piece is made before anything changes.
    HeapText keyCopy = NewHeapText(key);
    HeapText valueCopy = NewHeapText(value);
    int32_t slot = entries.Count();
    Record* record = nullptr;
    if (keyCopy != nullptr && (value[0] == 0 || valueCopy != nullptr))
        record = static_cast<Record*>(entries.AtGrow(slot));
    if (record == nullptr) {
        SetHeapText(keyCopy, nullptr);
        SetHeapText(valueCopy, nullptr);
        return false;
    }
    record->key = keyCopy;
    record->value = valueCopy;
    if (!index.Add(record)) {
        // Only an index that could not grow before is full; taking the record back leaves all as it was.
        record->key = nullptr;
        record->value = nullptr;
        entries.Truncate(slot);
        SetHeapText(keyCopy, nullptr);
        SetHeapText(valueCopy, nullptr);
        return false;
    }
    if (index.NeedsRebuild())
        (void)Rehash();
    return true;
}

bool Dictionary::SetInt(const char* key, int32_t value)
{
    char text[kNumberBufferBytes];
    IntToCStr(text, value);
    return SetText(key, text);
}

bool Dictionary::SetDouble(const char* key, double value)
{
    char text[kNumberBufferBytes];
    DoubleToCStr(text, value);
    return SetText(key, text);
}

bool Dictionary::Contains(const char* key) const
{
    return Find(key) != nullptr;
}

void Dictionary::GetText(const char* key, String& value) const
{
    if (const Record* record = Find(key))
        value.AssignHeapText(record->value);
}

void Dictionary::GetHeapText(const char* key, HeapText& field) const
{
    const Record* record = Find(key);
    SetHeapBlock(field, record != nullptr ? record->value : nullptr);
}

void Dictionary::GetInt(const char* key, int32_t& value) const
{
    const Record* record = Find(key);
    if (record != nullptr && StartsLikeNumber(record->value))
        value = TextToIntRounded(record->value);
}

void Dictionary::GetDouble(const char* key, double& value) const
{
    const Record* record = Find(key);
    if (record != nullptr && StartsLikeNumber(record->value))
        value = TextToDouble(record->value);
}

bool Dictionary::GetEntry(int32_t i, String& key, String& value) const
{
    const Record* record = RecordAt(i);
    if (record == nullptr)
        return false;
    key.AssignHeapText(record->key);
    value.AssignHeapText(record->value);
    return true;
}

}  // namespace vek
