// Macro and MacroList: named command texts of a base, made and destroyed through their list.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/strings/HeapText.h"
#include "foundation/strings/OwnedText.h"
#include "model/named/NamedList.h"

namespace vek {

class Base;
class HashTable;
class MacroList;
class ObjectMenu;
class TextReader;
class TextWriter;

// The record size that memory reports count for a macro (its command text comes on top).
constexpr int32_t kMacroRecordSize = 40;

// A named command text of a base. Macros appear in the base's macro menus (the ':' characters of the
// name build the menu path), may run when the base opens, and are started from links in notes. The
// macro list of the base owns every macro: MacroList::Create makes one and MacroList::Delete
// destroys it.
class Macro {
public:
    Macro(const Macro&) = delete;
    Macro& operator=(const Macro&) = delete;

    MacroList& List() const { return list; }
    ConstHeapText GetName() const { return name.Get(); }
    // Takes the macro out of the list and its name index and puts it back under the new name;
    // change 54. Nothing happens when the (cleaned) name stays the same byte for byte.
    void Rename(const char* newName);

    ConstHeapText Commands() const { return commands.Get(); }
    // Null or empty stores none. Posts nothing: the editor posts NotifyChanged when it is done.
    void SetCommands(const char* text);
    // Change 55.
    void NotifyChanged();

    // "A": shown also in the second macro menu; "S": run with the base's start-up macros;
    // "P": kept for the macro editor (a protected macro).
    bool FlagA() const { return flagA != 0; }
    bool FlagS() const { return flagS != 0; }
    bool FlagP() const { return flagP != 0; }
    void SetFlagA(bool on) { flagA = on ? 1 : 0; }
    void SetFlagS(bool on) { flagS = on ? 1 : 0; }
    void SetFlagP(bool on) { flagP = on ? 1 : 0; }
    // Runs the commands for the base of the list (Base::RunCommandSource, named after the macro). A
    // macro that runs already is refused with message 7106: a macro never starts itself again,
    // directly or through others. Logs "macro" Executing and Completed when the base has a log.
    void Run();
    // Set while the macro's commands run; a running macro is written with "S-".
    bool IsRunning() const { return running; }
    void SetRunning(bool on) { running = on; }
    // The mark a base checkpoint sets on every macro present (a rollback deletes the others).
    bool KeepMark() const { return keepMark; }
    void SetKeepMark(bool on) { keepMark = on; }

    Macro* Next() const { return next; }
    // The previous macro; the first macro's is the last one.
    Macro* Prev() const { return prev; }

    int64_t GetMemoryUse() const;

    // The section lines after the "##Macro" marker, up to the next section marker (left as the
    // reader's current line, restarted) or the end of input; stops when the cancel flag is set.
    // "M" reads the command text (long-text field), "A", "S", "P" set their flag from the sign after
    // the key; other lines are skipped. Change 55 at the end.
    void Read(TextReader& reader);
    // The marker line with the name, the "M" line, the flag lines "A", "S", "P" and an empty line.
    void Write(TextWriter& writer) const;

private:
    friend class MacroList;
    friend class NamedList<MacroList, Macro>;
    template <typename T>
    friend T* FindInNamedChain(T* first, const char* name, int32_t length);

    // No commands, flags clear; put at the front of the list; change 56. The name is stored as
    // CleanObjectName makes it (no control characters, no blanks at either end).
    Macro(MacroList& list, const char* name);
    // Leaves the list; change 57 (none while the whole list is being released).
    ~Macro();

    void SetName(const char* text);
    void Post(int32_t code);

    MacroList& list;
    Macro* next = nullptr;
    Macro* prev = nullptr;
    OwnedText name;
    OwnedText commands;
    int32_t flagA = 0;
    int32_t flagS = 0;
    int32_t flagP = 0;
    bool running = false;
    bool keepMark = false;
};

// The macros of one base: doubly linked, newest first until sorted (the first macro's `prev` is the
// last one), with a sorted flag and a name index made on first lookup and dropped when a macro leaves
// or is renamed.
class MacroList : public NamedList<MacroList, Macro> {
public:
    explicit MacroList(Base* base);
    // Deletes every macro without posting changes (the base is going away).
    ~MacroList();

    bool IsSorted() const { return sorted; }

    // As NamedList::Find, through the name index.
    Macro* Find(const char* name, int32_t length = -1) const;
    // Sorts by name (CompareTextsNoCaseNullLast) when not sorted and more than one macro exists.
    void Sort();

    // 40 bytes per macro, the command texts and the name index.
    int64_t GetMemoryUse() const;

    // Sorts the macros, adds each one's item (mode 0) to the macro menu by its menu path and, for the
    // macros flagged "A", also to the second macro menu: a submenu of `secondParent` titled with
    // text 2555, made on first use.
    void BuildMenu(ObjectMenu& macroMenu, ObjectMenu& secondParent);

    // A "##Macro" section whose marker line is the reader's current line, the field cursor after the
    // marker: the name is the next field (empty: text 7100 and " 1"); an existing macro of that name
    // is read again in place, else a new one is made at the front (change 56). Null only when no name
    // can be had.
    Macro* ReadSection(TextReader& reader);
    // Every macro in list order (Macro::Write), then an empty line.
    void WriteSections(TextWriter& writer) const;

private:
    friend class Macro;

    void Add(Macro* macro);
    void Remove(Macro* macro);
    bool BuildIndex() const;

    bool sorted = true;
    mutable std::unique_ptr<HashTable> index;
};

}  // namespace vek
