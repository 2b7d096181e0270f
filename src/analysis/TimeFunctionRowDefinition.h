// TimeFunctionRowDefinition: the stored record of one row of a time-functions template.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/strings/OwnedText.h"
#include "analysis/TimeFunctionRowDisplay.h"

namespace vek {

class Base;
class TextWriter;
class TimeFunctionsTemplate;
struct ChangeRecord;

enum class TimeFunctionRowKind : int32_t { Selection = 0, Formula = 1 };

// A row of a time-functions template: a selection row (TimeFunctionSelectionDefinition) or a formula
// row (TimeFunctionFormulaDefinition). The template owns its rows; a row knows its template and
// base. The name identifies the row within its kind; the label is what the window shows and may hold
// links.
class TimeFunctionRowDefinition {
public:
    virtual ~TimeFunctionRowDefinition();
    TimeFunctionRowDefinition(const TimeFunctionRowDefinition&) = delete;
    TimeFunctionRowDefinition& operator=(const TimeFunctionRowDefinition&) = delete;

    TimeFunctionRowKind Kind() const { return kind; }
    bool IsSelection() const { return kind == TimeFunctionRowKind::Selection; }
    bool IsFormula() const { return kind == TimeFunctionRowKind::Formula; }
    TimeFunctionsTemplate& Owner() const { return owner; }
    Base& GetBase() const;

    ConstHeapText Name() const { return name.Get(); }
    const char* NameCStr() const { return name.CStr(); }
    void SetName(const char* text) { name.Set(text); }
    ConstHeapText Label() const { return label.Get(); }
    const char* LabelCStr() const { return label.CStr(); }
    void SetLabel(const char* text) { label.Set(text); }
    // The label when it holds something, else the name.
    const char* DisplayName() const;

    TimeFunctionRowDisplay& Display() { return display; }
    const TimeFunctionRowDisplay& Display() const { return display; }

    // A link rename (change 63) rewrites the links in the label.
    void OnBaseChange(const ChangeRecord& record);

    // The row's key lines ("VN" ... "VZ" or "FN" ... "FZ").
    virtual void Write(TextWriter& writer) const = 0;
    // The bytes the row takes, by the documented record sizes.
    virtual int64_t StoredSize() const = 0;
    // A copy of every setting, owned by the given template (which may belong to another base).
    virtual std::unique_ptr<TimeFunctionRowDefinition> CopyFor(TimeFunctionsTemplate& newOwner) const = 0;

protected:
    TimeFunctionRowDefinition(TimeFunctionsTemplate& owner, TimeFunctionRowKind kind);
    // Name, label and display settings.
    void CopyCommonFrom(const TimeFunctionRowDefinition& other);
    // The first line ("VN" or "FN"): key, name, label.
    void WriteNameLine(TextWriter& writer, const char* key) const;
    int64_t CommonStoredSize() const;

private:
    TimeFunctionsTemplate& owner;
    TimeFunctionRowKind kind;
    OwnedText name;
    OwnedText label;
    TimeFunctionRowDisplay display;
};

}  // namespace vek
