// ImportSetup and ImportSetupList: named import setups of a base and their "##ImportSetup" sections.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "files/setups/ImportSetupSettings.h"
#include "foundation/strings/HeapText.h"
#include "model/named/NamedList.h"

namespace vek {

class Base;
class ImportSetupList;
class TextReader;
class TextWriter;

// What a section reader knows of the file it reads setups from.
struct SetupReadContext {
    // Field definitions in the old form of three numbers and a text (files before 19961213).
    bool oldFieldForm = false;
    // Files of 20000109 and before were written without "PX": drop control characters starts off.
    bool oldDropControl = false;
    // Called for a line that is passed over (an unknown key, a value out of range), with the line.
    std::function<void(std::string_view line)> passedOver;
};

// The keyed lines of a "##ImportSetup" section (the marker line excluded), in the stated order:
// "FX", "A", "CB"/"CC", "PX"/"PI", "PS", "T", "S", "D", "RC", "RL", "RX", "CF", "CT", "CS", "CR", "CN",
// "M", "LX" "LC" "LL" "LI" "LT" "LN" "Lc" "Lm" "Le" "La", then the line-field records separated by
// "-": "L" n per dimension (n the dimension's number), "LZ", "LV" and the column letter, "V" with the
// factors, "ZK", "ZC", "ZF" n, "ZN" n, "ZS" n. `columns` is the base's number of value columns:
// columns up to it are written, and beyond it only what a setup holds there.
void WriteImportSetupLines(TextWriter& writer, const ImportSetupSettings& settings, const Base* base);
// Reads keyed lines into the settings (reset first) up to the next section marker ("##" other than
// "## Linefields", or "•••"; left as the reader's current line) or the end of input. A "## Linefields"
// line starts a line-field record as "-" does. Nothing is fatal: unknown keys and values out of
// range are passed over (and told to the context). At the end every definition is normalised,
// empty line-field records are dropped, and an "H" line turns every not-found action to "H".
void ReadImportSetupLines(TextReader& reader, ImportSetupSettings& settings, const SetupReadContext& context);

// A named import setup of a base. The list owns every setup: constructing one inserts it in name
// order (change 48), destroying one takes it out (change 49).
class ImportSetup {
public:
    // The name as CleanObjectName makes it ("Import setup" when nothing is left).
    ImportSetup(ImportSetupList& list, const char* name);
    ~ImportSetup();
    ImportSetup(const ImportSetup&) = delete;
    ImportSetup& operator=(const ImportSetup&) = delete;

    ImportSetupList& List() const { return list; }
    ConstHeapText GetName() const { return name; }
    // Re-sorts the setup under the cleaned name; change 46. Nothing for an empty or unchanged name.
    void Rename(const char* newName);

    ImportSetupSettings& Settings() { return settings; }
    const ImportSetupSettings& Settings() const { return settings; }

    ImportSetup* Next() const { return next; }
    bool KeepMark() const { return keepMark; }
    void SetKeepMark(bool on) { keepMark = on; }

    // The lines after the marker (ReadImportSetupLines); change 47.
    void Read(TextReader& reader, const SetupReadContext& context);
    void Read(TextReader& reader) { Read(reader, SetupReadContext{}); }
    // The marker line with the name, then the keyed lines.
    void Write(TextWriter& writer) const;

private:
    friend class ImportSetupList;
    template <typename T>
    friend void InsertInNamedChain(T*& first, T* item);
    template <typename T>
    friend bool RemoveFromNamedChain(T*& first, T* item);
    template <typename T>
    friend T* FindInNamedChain(T* first, const char* name, int32_t length);

    void SetName(const char* text);
    void Post(int32_t code);

    ImportSetupList& list;
    ImportSetup* next = nullptr;
    HeapText name = nullptr;
    ImportSetupSettings settings;
    bool keepMark = false;
};

// The import setups of one base, singly linked in ascending name order.
class ImportSetupList : public NamedList<ImportSetupList, ImportSetup> {
public:
    explicit ImportSetupList(Base* base);
    // Deletes every setup without posting changes.
    ~ImportSetupList();

    // A "##ImportSetup" section whose marker line is the reader's current line, the field cursor
    // after the marker: the name is the next field (empty: "Import setup 1"); a setup of that name is
    // read again in place, else a new one is made.
    ImportSetup* ReadSection(TextReader& reader, const SetupReadContext& context);
    // Every setup in list order, each followed by an empty line.
    void WriteSections(TextWriter& writer) const;

private:
    friend class ImportSetup;

    void Add(ImportSetup* setup);
    void Remove(ImportSetup* setup);
};

}  // namespace vek
