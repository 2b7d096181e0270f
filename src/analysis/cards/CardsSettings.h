// CardsSettings: what a cards template holds besides its selection, and what the computation reads.
#pragma once

#include <array>
#include <cstdint>

#include "analysis/TableTemplatePart.h"
#include "analysis/cards/CardsColumns.h"

namespace vek {

class Base;

// Content of groups and of lines: none, the selected ones, or all of them.
enum class CardsContent : int32_t { None = 0, Selected = 1, All = 2 };
inline constexpr const char* kCardsContentLetters = "NSA";

// The cards settings of a template (every field a 32-bit word as stored).
struct CardsSettings {
    CardsContent groupsContent = CardsContent::Selected;
    CardsContent linesContent = CardsContent::Selected;
    int32_t dateStyle = 0;  // index into "STWFGHUV"
    int32_t gcFlag = 0;
    int32_t sortKeyCount = 1;  // 1-8
    std::array<CardsSortKey, kMaxCardsSortKeys> sortKeys{};
    int32_t textExportChoice = kTextExportAll;
    std::array<TableColumn, cards_column::kCount> columns{};

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
