#include "analysis/cards/CardsSettings.h"

#include "model/base/Base.h"

namespace vek {

void CardsSettings::SetDefaults(const Base& base, int32_t currentDateStyle)
{
    *this = CardsSettings();
    dateStyle = currentDateStyle;
    for (int32_t column = 0; column < cards_column::kCount; ++column) {
        TableColumn& record = columns[size_t(column)];
        record.shown = column == cards_column::kDate || column == cards_column::kOrigin ||
                               column == cards_column::kNotes || column == cards_column::kSignatures
                           ? 0
                           : 1;
        int32_t field = ValueFieldOfCardsColumn(column);
        if (field >= 0)
            record.decimals = -1;
    }
    (void)base;
}

int32_t CardsSettings::ValueDecimals(const Base& base, int32_t i) const
{
    return TableValueDecimals(columns[size_t(cards_column::kFirstValue + i)], base, i);
}

}  // namespace vek
