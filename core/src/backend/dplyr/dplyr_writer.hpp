#pragma once

#include <string>
#include <vector>

#include "check/checked_pipeline.hpp"
#include "plan/planned_step.hpp"

namespace brell {

// The pipeline as one R pipe chain over a data frame named after the source table: one dplyr
// call per step, or a few for a step that takes several.
std::string write_dplyr(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables);

// The calls of one step, in order.
using Calls = std::vector<std::string>;

// The names written in one pair of brackets.
std::vector<std::string> names_of(const ColumnList& list);

// The calls of the steps that change the table's shape.
Calls spell(const PlannedStep& at, const AddCombinations& combinations);
Calls spell(const PlannedStep& at, const Lengthen& lengthen);
Calls spell(const PlannedStep& at, const Widen& widen);

}  // namespace brell
