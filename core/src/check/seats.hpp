#pragma once

#include <span>
#include <string>
#include <string_view>

#include "diagnostic/diagnostic.hpp"

#include "parse/vocabulary.hpp"

namespace brell {

// The places in a step where a value stands.
enum class Seat { Condition, Value, GroupAnswer, OrderingKey, Filler, CellValue };

// One cell of the seat table: whether a kind of value may stand in a seat, and the note it
// carries (empty for none).
struct SeatCell {
    Seat seat;
    FunctionKind kind;
    bool stands;
    std::string_view note;
};

// The seat's name as listed ("condition", "group_answer", ...).
std::string_view seat_name(Seat seat);

// Where the seat is in a sentence, as a short pattern ("keep where ...").
std::string_view seat_example(Seat seat);

// Every cell: six seats in order, each with the kinds scalar, aggregate, window.
std::span<const SeatCell> seat_table();

// The cell for one seat and kind.
const SeatCell& seat_cell(Seat seat, FunctionKind kind);

// The refusal of a value whose kind may not stand in a seat: the checker's enforcement of the
// table's refused cells. `answer_name` names the made column where the message needs it.
Diagnostic seat_refusal(Seat seat, FunctionKind kind, const std::string& answer_name, Span span);

}  // namespace brell
