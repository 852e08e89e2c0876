#pragma once

#include <string_view>
#include <vector>

#include "check/step_checks.hpp"

namespace brell {

// The refusal of a step that reads the order of the rows (a `take`, or `first`, `last` or
// `join_rows`) when the step named `unsettled_by` (a join, summarize, ...) has left the rows in
// no particular order and no sort has settled it since: each engine would give other rows.
Verdict unsettled_order_refusal(const Step& step, std::string_view unsettled_by,
                                const std::vector<TableColumn>& table);

}  // namespace brell
