#pragma once

#include "parse/syntax_tree.hpp"

namespace brell {

// Whether a summarize item is one aggregate whose argument reads each row alone (no aggregate,
// no window, no rank), so that the argument can be worked out on the whole table before the
// rows are grouped, and each group's answer taken of that column: the same answer as working
// it out over each group's own rows. `row_count()` and an aggregate of a column are such items.
bool aggregates_row_wise_argument(const Value& item);

}  // namespace brell
