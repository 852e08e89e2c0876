#include "check/seats.hpp"

#include <array>
#include <string>

#include "diagnostic/unreachable.hpp"

namespace brell {
namespace {

using enum Seat;
using enum FunctionKind;

constexpr std::string_view kComputedKeyNote =
    "an ordering position names a column; the computed key is an add away";

constexpr std::array<SeatCell, 18> kSeatTable = {{
    {Condition, Scalar, true, ""},
    {Condition, Aggregate, false, "summarize first, then keep"},
    {Condition, Window, false, "add the place as a column, then keep"},
    {Value, Scalar, true, ""},
    {Value, Aggregate, true, "the whole table's answer, or each group's with by"},
    {Value, Window, true, "after a sort settles the order; rank names its own"},
    {GroupAnswer, Scalar, false, "stands inside an aggregate's argument"},
    {GroupAnswer, Aggregate, true, "one level; an aggregate cannot hold another"},
    {GroupAnswer, Window, false, ""},
    {OrderingKey, Scalar, false, kComputedKeyNote},
    {OrderingKey, Aggregate, false, kComputedKeyNote},
    {OrderingKey, Window, false, kComputedKeyNote},
    {Filler, Scalar, true, ""},
    {Filler, Aggregate, false, "make it a column with add ... by, then fill"},
    {Filler, Window, false, "make it a column with sort then add, then fill"},
    {CellValue, Scalar, true, ""},
    {CellValue, Aggregate, true, "the answer when two rows want one cell"},
    {CellValue, Window, false, ""},
}};

}  // namespace

std::string_view seat_name(Seat seat) {
    switch (seat) {
        case Condition:
            return "condition";
        case Value:
            return "value";
        case GroupAnswer:
            return "group_answer";
        case OrderingKey:
            return "ordering_key";
        case Filler:
            return "filler";
        case CellValue:
            return "cell_value";
    }
    return "condition";
}

std::string_view seat_example(Seat seat) {
    switch (seat) {
        case Condition:
            return "keep where ...";
        case Value:
            return "add [name] as ...";
        case GroupAnswer:
            return "summarize [name] as ...";
        case OrderingKey:
            return "sort ..., rank(...)";
        case Filler:
            return "fill_missing [x] as ...";
        case CellValue:
            return "widen ... value ...";
    }
    return "";
}

std::span<const SeatCell> seat_table() {
    return kSeatTable;
}

const SeatCell& seat_cell(Seat seat, FunctionKind kind) {
    // Seats in order, three kinds each, in the order scalar, aggregate, window.
    const auto kind_place = kind == Scalar ? 0 : kind == Aggregate ? 1 : 2;
    return kSeatTable[static_cast<std::size_t>(seat) * 3 + static_cast<std::size_t>(kind_place)];
}

Diagnostic seat_refusal(Seat seat, FunctionKind kind, const std::string& answer_name, Span span) {
    if (seat_cell(seat, kind).stands) unreachable("only a refused cell of the seat table refuses");
    const std::string& name = answer_name;
    std::string message;
    if (seat == Seat::Condition && kind == FunctionKind::Aggregate) {
        message =
            "`keep` decides one row at a time, so it cannot ask a question about a whole group. "
            "Summarize first, then keep: `then summarize [n] as row_count() by [g] then keep where "
            "[n] > 5`";
    } else if (seat == Seat::Condition) {
        message =
            "a place is worked out over the rows that are left, so it cannot be what chooses them. "
            "Make it a column first: `then add [place] as rank([revenue] descending) then keep "
            "where [place] <= 3`. For the first rows of each group, `then sort [revenue] "
            "descending then take 3 by [g]` says it in one step";
    } else if (seat == Seat::GroupAnswer && kind == FunctionKind::Scalar) {
        message = "`summarize` returns one row for each group, so `[" + name +
                  "]` has to be a value that spans the group. Wrap it: `total(...)`, "
                  "`average(...)`, `first(...)`, or count the rows with `row_count()`";
    } else if (seat == Seat::GroupAnswer) {
        message =
            "`summarize` returns one row for each group, and a place is worked out for every "
            "row, so `[" +
            name +
            "]` has nowhere to go. Add it before the summarize, or ask for the value you "
            "want here: `largest(...)`, `first(...)`, `row_count()`";
    } else if (seat == Seat::Filler && kind == FunctionKind::Aggregate) {
        message =
            "`fill_missing` fills one row at a time, so it cannot use a value that spans a group. "
            "Work it out with `summarize` first";
    } else if (seat == Seat::Filler) {
        message =
            "`fill_missing` fills each hole from its own row, and a value that looks along the "
            "rows needs their order settled first. Fill down in `add`, where the sort is asked "
            "for: `then sort [day] then add [x] as latest([x])`";
    } else {
        message =
            "a place is worked out over the rows that are left, so it cannot be what fills a cell. "
            "Make it a column first: `then add [place] as rank([x] descending)`, then widen from "
            "that";
    }
    return Diagnostic::illegal(std::move(message), span);
}

}  // namespace brell
