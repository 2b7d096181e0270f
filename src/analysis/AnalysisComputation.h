// AnalysisComputation: the one interface through which every caller computes an analysis of any kind.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "foundation/numbers/PackedDate.h"

namespace vek {

class AnalysisHost;
class Base;
class Template;
struct Card;
struct CardGroup;
struct CardLine;

// The period a caller asks for. An end that is not given is the kind's own: the cards analysis runs
// from the calendar's start to its open end, the lines analysis over the base's first to last card
// date, the time functions over the template's axis.
struct AnalysisPeriod {
    std::optional<PackedDate> from;
    std::optional<PackedDate> to;

    // The ends not given closed at the base's first and last card dates (the calendar's start and open
    // end for a base without cards), as the kinds over a base's card dates take them.
    [[nodiscard]] std::pair<PackedDate, PackedDate> OverCardDates(const Base& base) const;
};

// One cell of a result row: nothing, a text, or a number that the reader formats.
struct ResultCell {
    enum class Kind : int32_t { Empty, Text, Number };

    Kind kind = Kind::Empty;
    std::string text;
    double number = 0.0;

    static ResultCell Blank() { return ResultCell{}; }
    static ResultCell OfText(std::string_view value) { return ResultCell{Kind::Text, std::string(value), 0.0}; }
    static ResultCell OfNumber(double value) { return ResultCell{Kind::Number, std::string(), value}; }
};

// Takes the result rows of a computation in display order.
class ResultRowReader {
public:
    virtual ~ResultRowReader();
    // One row, its cells in column order. A row without cells separates two blocks of a result.
    virtual void Row(std::span<const ResultCell> cells) = 0;
};

// Takes the card lines a result shows, card by card in key order: the source of the batch operations
// (aggregating and transforming cards).
class ShownLineReader {
public:
    virtual ~ShownLineReader();
    // False stops the reading.
    virtual bool Line(Card* card, CardGroup* group, CardLine* line) = 0;
};

// A computation of one analysis, made for a template with a copy of its settings (MakeAnalysisComputation).
// The caller sets the period, computes through its host and reads the rows; the kind's own engine
// stays behind this interface, so that no caller switches on kinds. Standard containers: std::bad_alloc
// rises to the operation.
class AnalysisComputation {
public:
    virtual ~AnalysisComputation();

    // The period (or axis) of the next Compute.
    virtual void SetPeriod(const AnalysisPeriod& period) = 0;
    // Computes the rows. A run that cannot complete leaves its message pending and keeps the rows so
    // far, as the kind's engine says.
    virtual void Compute(AnalysisHost& host) = 0;
    // The result as a table: the column names first, then the rows in display order (a kind whose
    // result has several blocks separates them by an empty row).
    virtual void ReadRows(ResultRowReader& reader) const = 0;
    // The card lines of the last result, in card order; false when the kind shows no card lines or
    // the reader stopped.
    virtual bool ReadShownLines(ShownLineReader& reader) const;
};

// A computation of the template's kind with the template's settings; null for a group and for a
// template made before the kinds were registered.
[[nodiscard]] std::unique_ptr<AnalysisComputation> MakeAnalysisComputation(const Template& node);

}  // namespace vek
