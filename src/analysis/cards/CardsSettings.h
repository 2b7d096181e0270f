// CardsSettings: what a cards template holds besides its selection, and what the computation reads.
#pragma once

#include <array>
#include <cstdint>

#include "analysis/cards/CardsColumns.h"

namespace vek {

class Base;

// Content of groups and of lines: none, the selected ones, or all of them.
enum class CardsContent : int32_t { None = 0, Selected = 1, All = 2 };
inline constexpr const char* kCardsContentLetters = "NSA";

// The text-export choices of the cards and lines templates ("xtnh", "xtna").
inline constexpr int32_t kTextExportHeaders = 4102;
inline constexpr int32_t kTextExportAll = 4103;

// One column of a cards analysis as its template stores it.
struct CardsColumn {
    int32_t shown = 0;
    int32_t itemDisplay = -1;    // index into "CHTNMPR"; -1 the window's default
    int32_t decimals = 0;        // index into "0123456FTM"; -1 the base's decimals of the field
    int32_t signColouring = 0;   // index into "-RG"
    int32_t width = 0;           // pixels; 0 the window's default

    bool operator==(const CardsColumn&) const = default;
};

// The cards settings of a template (every field a 32-bit word as stored).
struct CardsSettings {
    CardsContent groupsContent = CardsContent::Selected;
    CardsContent linesContent = CardsContent::Selected;
    int32_t dateStyle = 0;  // index into "STWFGHUV"
    int32_t gcFlag = 0;
    int32_t sortKeyCount = 1;  // 1-8
    std::array<CardsSortKey, kMaxCardsSortKeys> sortKeys{};
    int32_t textExportChoice = kTextExportAll;
    std::array<CardsColumn, cards_column::kCount> columns{};

    // Every setting zero; both contents 1; text export 4103; the given date style; every column
    // shown with the window's item display, except the date, origin, notes and signatures; the
    // decimals of each value field the base's default (followed until a definition sets them, so
    // that a template made before the base's options were read writes what a new one writes); one
    // sort key on the card id, ascending.
    void SetDefaults(const Base& base, int32_t currentDateStyle);
    // The decimals code of value field i: the column's own, or the base's while none was set.
    int32_t ValueDecimals(const Base& base, int32_t i) const;

    bool operator==(const CardsSettings&) const = default;
};

}  // namespace vek
