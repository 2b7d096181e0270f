// SeparatorPopup: the popup that chooses a separator character, and the separator codes' texts.
#pragma once

#include <cstdint>
#include <string>

#include "gui/lists/PopupButton.h"

namespace vek {

// Separator codes as settings keep them: 0 the default character, 1 none, 2 the pair CR LF, 3 a
// divider in a letter string; anything else is the character itself.
constexpr uint16_t kSeparatorDefault = 0;
constexpr uint16_t kSeparatorNone = 1;
constexpr uint16_t kSeparatorReturnLineFeed = 2;
constexpr uint16_t kSeparatorDivider = 3;

// Kinds (the low four bits of a kind argument) and the letter strings they offer.
enum class SeparatorKind : int32_t { Decimal = 0, Grouping = 1, Field = 2, Quote = 3, LineEnd = 4, LineEndShort = 5 };
// Kind bit that keeps the leading Default item and its divider.
constexpr int32_t kSeparatorKeepDefault = 16;

// The code a letter of a letter string stands for: D default, N none, C CR LF, - divider, T tab,
// R CR, L LF, B no-break space; any other letter its own character.
uint16_t SeparatorLetterCode(char letter);
// The character a code means for a kind: a character code is itself; none gives 0; default, CR LF,
// the divider and a byte-order mark give the process's decimal or grouping separator for those
// kinds and the code itself for the others.
uint32_t ResolveSeparatorCode(uint32_t code, SeparatorKind kind);
// The bytes a separator writes: default the platform's line end, 2 CR LF, else the character in UTF-8.
std::string SeparatorText(uint16_t code);
// The text of a code in a separator popup (defaultCharacter is the kind's default; listOpen the long
// form the open list shows: "(default)" after the default, "(LF)" and "(CR)" after those names).
std::string SeparatorItemText(uint16_t code, uint16_t defaultCharacter, bool listOpen);

// The letters of its kind, then the other value (a code not among them) when there is one, a
// divider and "Other…", which runs the separator dialog. The chosen code is stored in the bound
// variable; a change is reported upward with ControlChanged.
class SeparatorPopup final : public PopupButton {
public:
    // kind: a SeparatorKind in the low four bits, with kSeparatorKeepDefault where wanted.
    SeparatorPopup(Pane& enclosure, const OriginSize& frame, int32_t id, uint16_t& variable, int32_t kind,
                   int32_t titleTextId);
    ~SeparatorPopup() override;

    CommandTarget* PopupNotify(PopupItemRecord& record) override;

    // Selects the letter of the code, or makes it the other value (never CR LF), and stores it.
    void SetValue(uint16_t code);
    // The item of a code among the letters; -1 when it is none of them.
    int32_t ItemOfCode(uint16_t code) const;
    const std::string& Letters() const { return letters; }
    uint16_t OtherValue() const { return otherValue; }
    uint16_t DefaultCharacter() const { return defaultCharacter; }

private:
    void StoreValue(uint16_t code);
    void ChooseOther();
    int32_t LetterCount() const { return int32_t(letters.size()); }
    bool HasOther() const { return otherValue != 0; }

    uint16_t& variable;
    std::string letters;
    uint16_t defaultCharacter = 0;
    uint16_t otherValue = 0;  // 0: no other item
    int32_t titleTextId = 0;
};

// Makes a separator popup at the point with the title and (when above 0) the label width, and moves
// the point 19 pixels down for the next row.
SeparatorPopup* AddSeparatorPopup(Pane& enclosure, Point& point, int32_t titleTextId, int32_t id, uint16_t& variable,
                                  int32_t kind, int32_t labelWidth);

}  // namespace vek
