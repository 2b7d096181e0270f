// SaveSetup and SaveSetupList: named, stored save settings of a base, kept in name order.
#pragma once

#include <cstdint>

#include "files/setups/SaveSettings.h"
#include "foundation/strings/HeapText.h"
#include "model/named/NamedList.h"
#include "model/named/NamedObjects.h"

namespace vek {

class Base;
class SaveSetupList;
class TextReader;
class TextWriter;

// The record size that memory reports and the save's size estimate count for a save setup.
constexpr int32_t kSaveSetupRecordSize = 1140;

// A named, stored set of save settings of a base. The save-setup list of the base owns every setup:
// constructing one inserts it in name order, destroying one takes it out.
class SaveSetup {
public:
    // Default settings; the name as CleanObjectName makes it (text 4300 when nothing is left);
    // inserted in name order; change 44.
    SaveSetup(SaveSetupList& list, const char* name);
    // Leaves the list; change 45 (none while the whole list is being released).
    ~SaveSetup();
    SaveSetup(const SaveSetup&) = delete;
    SaveSetup& operator=(const SaveSetup&) = delete;

    SaveSetupList& List() const { return list; }
    ConstHeapText GetName() const { return name; }
    // Re-sorts the setup under the cleaned name; change 42. Nothing happens when the cleaned name is
    // empty or stays the same byte for byte.
    void Rename(const char* newName);

    SaveSettings& Settings() { return settings; }
    const SaveSettings& Settings() const { return settings; }
    // Change 43, posted by an editor when it has changed the settings.
    void NotifyChanged();

    SaveSetup* Next() const { return next; }
    // The mark a base checkpoint sets on every setup present (a rollback deletes the others).
    bool KeepMark() const { return keepMark; }
    void SetKeepMark(bool on) { keepMark = on; }

    // The section lines after the "##SaveSetup" marker, up to the next section marker ("##" or
    // "•••", left as the reader's current line, restarted) or the end of input, into settings reset
    // first; stops when the cancel flag is set. Change 43 at the end.
    void Read(TextReader& reader);
    // The marker line with the name, the keyed lines (SaveSettings::WriteKeyLines), an empty line.
    void Write(TextWriter& writer) const;

private:
    friend class SaveSetupList;
    template <typename T>
    friend void InsertInNamedChain(T*& first, T* item);
    template <typename T>
    friend bool RemoveFromNamedChain(T*& first, T* item);
    template <typename T>
    friend T* FindInNamedChain(T* first, const char* name, int32_t length);

    void SetName(const char* text);
    void Post(int32_t code);

    SaveSetupList& list;
    SaveSetup* next = nullptr;
    HeapText name = nullptr;
    SaveSettings settings;
    bool keepMark = false;
};

// The save setups of one base, singly linked in ascending name order (CompareTextsNoCaseNullLast;
// a name equal to an existing one goes in front of it).
class SaveSetupList : public NamedList<SaveSetupList, SaveSetup> {
public:
    explicit SaveSetupList(Base* base);
    // Deletes every setup without posting changes (the base is going away).
    ~SaveSetupList();

    // 1140 bytes per setup.
    int64_t GetMemoryUse() const { return int64_t{count} * kSaveSetupRecordSize; }

    // A "##SaveSetup" section whose marker line is the reader's current line, the field cursor after
    // the marker: the name is the next field (empty: text 4300 and " 1"); an existing setup of that
    // name is read again in place, else a new one is made. Null only when no setup can be had.
    SaveSetup* ReadSection(TextReader& reader);
    // Every setup in list order (SaveSetup::Write), then an empty line; nothing for an empty list.
    void WriteSections(TextWriter& writer) const;

private:
    friend class SaveSetup;

    void Add(SaveSetup* setup);
    void Remove(SaveSetup* setup);
};

}  // namespace vek
