#include "check/seats.hpp"

#include <array>

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

}  // namespace brell
