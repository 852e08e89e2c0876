#pragma once

#include <string>
#include <vector>

#include "check/checked_pipeline.hpp"
#include "plan/planned_step.hpp"

namespace brell::pandas {

// The pipeline as one pandas expression: the source table, then one chained method call (or a
// few) per step, each on its own line.
std::string write_pandas(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables);

using Calls = std::vector<std::string>;

// `sort_values(...)` for a sort step; take writes it again after it.
std::string sort_call(const Sort& sort);

// The calls of the steps that bring in another table or change the table's shape.
Calls matching_calls(const Matching& matching, bool negated);
Calls spell(const PlannedStep& at, const Join& join);
Calls spell(const PlannedStep& at, const AddRows& add_rows);
Calls spell(const PlannedStep& at, const AddCombinations& combinations);
Calls spell(const PlannedStep& at, const Lengthen& lengthen);
Calls spell(const PlannedStep& at, const Widen& widen);

}  // namespace brell::pandas
