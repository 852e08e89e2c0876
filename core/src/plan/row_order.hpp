#pragma once

#include <span>
#include <vector>

#include "parse/syntax_tree.hpp"

namespace brell {

// Whether a sort has said what order the rows are in, after a step, given whether it had before:
// `sort` settles it; summarize, add_rows, drop_duplicates, lengthen, widen and join unsettle it;
// every other verb leaves it as it was. (The checker also unsettles it when a step takes away a
// column the sort ordered by.)
bool order_settled_after(const StepNode& step, bool settled_before);

// Whether the step's answer depends on the order its rows arrive in: every `take`, and a step
// whose values read the rows in order (`running_total`, `row_number`, `previous`, ...) or hold an
// ordered aggregate (`first`, `last`, `join_rows`).
bool reads_row_order(const Step& step);

// For each step, whether anything after it depends on the order of the rows it leaves: a later
// step that reads the order, through steps that pass the order on, or the result, which is
// promised in order unless its last order-changing step left the order unsettled. A step whose
// order nobody reads need not sort, nor put back an order a window shuffled.
std::vector<bool> order_read_after(std::span<const Step> steps);

}  // namespace brell
