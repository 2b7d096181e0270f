// SelectorRow: the one-line text field in which expressions are typed, with menus that insert their
// pieces; the pattern and date-unit rows whose menus are fixed tables.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gui/editing/TextField.h"

namespace vek {

class Window;

// What a click or key on a row opens: None the text field's context menu, Token a menu that replaces
// the token at the caret, Insert a menu that replaces the selection.
enum class SelectorMenuMode : int32_t { None = 0, Token = 1, Insert = 2 };

// The message kind of a row's insert menus (its item requests reach the row's HandleMessage).
constexpr int32_t kSelectorMenuKind = 1500;
// The mark at the right edge of an enabled row, where a click opens the token menu.
constexpr int32_t kSelectorMarkWidth = 6;

// One entry of an insert menu: the character or word inserted and the text number that names it (0
// for a word, which names itself). An entry with nothing to insert is a separator line.
struct SelectorMenuEntry {
    const char* insert = nullptr;
    int32_t textId = 0;
};

// The fixed menus.
std::span<const SelectorMenuEntry> PatternMenuEntries();        // 19 entries
std::span<const SelectorMenuEntry> ShortPatternMenuEntries();   // 12
std::span<const SelectorMenuEntry> ComponentOperatorEntries();  // 17
std::span<const SelectorMenuEntry> SubsetOperatorEntries();     // 11
std::span<const SelectorMenuEntry> DateUnitRowEntries();        // 20
std::span<const SelectorMenuEntry> DateUnitEntries();           // 7

// How a menu's entries are drawn: operators show the character and, 15 pixels further, its name;
// name lists just the name.
enum class SelectorMenuLook : int32_t { Operators, Names };

// The base of the rows: a text field whose right-most pixels are a mark with an arrow while it is
// enabled. A plain click in the text edits; a click on the mark or with command opens the token menu,
// option (or a secondary click on the mark) the insert menu, a secondary click elsewhere the context
// menu; an arrow key with option, command or control does the same from the keyboard.
class SelectorRow : public TextField {
public:
    SelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id, bool finish);
    ~SelectorRow() override;

    CommandTarget* Notify(int32_t code) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    int32_t KeyDown(InputEvent& event, Pane* pane) override;
    void HandleMessage(MenuRequest& record) override;
    void Draw() override;

    // Runs the menu of the current mode at the event (pane coordinates) for the selection start..end;
    // answers the chosen entry or -1. The base runs the row's insert menu, when it has one.
    virtual int32_t OpenSelectorMenu(InputEvent& event, int32_t start, int32_t end);
    // The token around a selection (byte offsets, in and out); the base leaves it unchanged.
    virtual void GetTokenRange(int32_t& start, int32_t& length);

    // The mode a click opens (-1: an ordinary text click), and whether it sets the pending flag.
    static int32_t ClickMenuMode(const InputEvent& event, bool insideMark, bool& pending);
    // Opens the menu of the mode set: selects the token first in token mode (restoring the selection
    // afterwards unless the choice forgot it).
    void RunSelectorMenu(InputEvent& event, int32_t start, int32_t end);

    SelectorMenuMode MenuMode() const { return menuMode; }
    void SetMenuMode(SelectorMenuMode mode) { menuMode = mode; }
    bool IsMenuPending() const { return pending; }
    void SetModesAllowed(bool token, bool insert);
    // The mark (pane coordinates), empty while the row is disabled.
    Rect MarkRect() const;

protected:
    // Runs a menu of entries at the event; the chosen entry's text replaces the selection. Answers the
    // chosen entry or -1.
    int32_t RunEntryMenu(InputEvent& event, std::span<const SelectorMenuEntry> entries, SelectorMenuLook look);
    // The same for names (each inserted as it is), the initial one marked first.
    int32_t RunNameMenu(InputEvent& event, const std::vector<std::string>& names, int32_t initial);
    // After a token-mode choice the selection is left where the choice put it.
    void ForgetSavedSelection() { savedStart = -1; }
    void SelectToken();

private:
    struct MenuLine {
        std::string insert;
        std::string shown;
        int32_t textId = 0;
        bool separator = false;
    };
    int32_t RunLines(InputEvent& event, int32_t initial);
    void UpdateTextArea();

    SelectorMenuMode menuMode = SelectorMenuMode::None;
    bool pending = false;
    bool tokenAllowed = true;
    bool insertAllowed = true;
    int32_t savedStart = -1;
    int32_t savedLength = 0;
    std::vector<MenuLine> lines;
    SelectorMenuLook look = SelectorMenuLook::Operators;
};

// A row whose menu in both modes is one fixed table of pattern pieces.
class PatternSelectorRow : public SelectorRow {
public:
    PatternSelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id, std::span<const SelectorMenuEntry> entries);
    ~PatternSelectorRow() override;
    int32_t OpenSelectorMenu(InputEvent& event, int32_t start, int32_t end) override;

private:
    std::span<const SelectorMenuEntry> entries;
};

// The row of date-unit expressions: operators and the date units in both modes.
class DateUnitSelectorRow final : public PatternSelectorRow {
public:
    DateUnitSelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id);
    ~DateUnitSelectorRow() override;
};

// The pattern rows with the 19-entry pattern menu and with the 12-entry one; owned by the window.
PatternSelectorRow* CreatePatternSelectorRow(Window& window, const OriginSize& frame, int32_t id);
PatternSelectorRow* CreateShortPatternSelectorRow(Window& window, const OriginSize& frame, int32_t id);

}  // namespace vek
