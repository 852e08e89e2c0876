#pragma once

#include <string_view>

#include "parse/syntax_tree.hpp"

namespace brell {

// The two data problems a widen fails on rather than lose rows without a word, and what each
// failure says.

// A row whose name `giving` does not list (a row with a missing name fills no column and is not
// one).
inline constexpr std::string_view kUnlistedNameMessage =
    "this holds a value that `giving` does not list, so widening would drop those rows without "
    "saying so. Add it to `giving`, or keep only the rows you meant first";

// Two rows with the same identifying values and the same name, missing names included, when the
// cell is not an aggregate: nothing says which of them wins.
inline constexpr std::string_view kSharedCellMessage =
    "two rows want the same cell, and nothing here says which of them wins. Say what to do about "
    "that with `value average(...)` or `value first(...)`, or summarize before widening";

// Whether the widen fails when two rows want one cell: its value is not an aggregate.
bool widen_fails_on_shared_cells(const Widen& widen);

}  // namespace brell
