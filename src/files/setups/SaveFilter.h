// SaveFilter: which cards, groups and lines a save writes, from the save settings' card selection.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/memory/BitSet.h"
#include "model/cards/Card.h"
#include "model/selections/Selection.h"

namespace vek {

class Base;
class SaveSettings;
class SelectionTexts;

// The lines the templates a save writes select (each template's selected lines), for "only lines of
// saved templates". Registered by the template layer at start-up; false when it cannot give them
// (the filter then passes every line the selection passes).
using TemplateLineCollector = bool (*)(Base& base, const SaveSettings& settings, BitSet& lines);
void SetTemplateLineCollector(TemplateLineCollector collector);

// A compiled card selection with its filter level (0 cards, 1 also groups, 2 also lines) and, when
// asked for, the set of lines the saved templates select.
//
//   card passes   its key lies in the range, its title and notes pass, and (when the selection says
//                 anything about lines) one of its groups holds a line that passes the selection;
//   group passes  level 0: every group; else its key is admitted and one of its lines passes;
//   line passes   level 0 and 1: every line; else it is in the template lines (when there are
//                 any) and passes the selection.
// A card is chosen by its lines at every level: the level only says how much of a chosen card is
// written, so that a component or value condition is never ignored.
class SaveFilter {
public:
    // A filter from selection texts (null: no selection, only the template lines). Prepares the
    // selection (its subset formula); IsErrorPending tells when the cancel flag stopped that.
    SaveFilter(Base& base, const SelectionTexts* texts, int32_t filterLevel, std::unique_ptr<BitSet> templateLines);
    ~SaveFilter();
    SaveFilter(const SaveFilter&) = delete;
    SaveFilter& operator=(const SaveFilter&) = delete;

    // The filter the settings ask for, or null when they select every card: format 12 with a
    // selection, other formats with the dimension or card section on and a selection, or "only lines
    // of saved templates" on.
    static std::unique_ptr<SaveFilter> FromSettings(Base& base, const SaveSettings& settings);

    bool CardPasses(const Card* card) const;
    bool GroupPasses(const CardGroup* group) const;
    bool LinePasses(const CardLine* line) const;
    const Selection& GetSelection() const { return selection; }
    int32_t FilterLevel() const { return filterLevel; }

private:
    // A line that the selection and the template lines both pass, whatever the level.
    bool LineMatches(const CardLine* line) const;
    bool GroupMatches(const CardGroup* group) const;

    Base& base;
    Selection selection;
    int32_t filterLevel;
    std::unique_ptr<BitSet> templateLines;
    bool linesMatter = false;  // the selection or the template lines restrict lines
};

}  // namespace vek
