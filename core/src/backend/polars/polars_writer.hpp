#pragma once

#include <string>
#include <vector>

#include "check/checked_pipeline.hpp"
#include "plan/planned_step.hpp"

namespace brell::polars {

// The pipeline as one polars expression: the source table, then the method calls of every step,
// one call to a line.
std::string write_polars(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables);

using Calls = std::vector<std::string>;

// The calls of the steps that bring in another table or change the table's shape.
Calls matching_calls(const Matching& matching, bool negated, bool order_read);
Calls spell(const PlannedStep&, const Join& join);
Calls spell(const PlannedStep& at, const AddRows& add_rows);
Calls spell(const PlannedStep& at, const AddCombinations& combinations);
Calls spell(const PlannedStep& at, const Lengthen& lengthen);
Calls spell(const PlannedStep& at, const Widen& widen);

// The sort step as a call: `sort(["a"], descending=[True], nulls_last=True)`.
std::string sort_call(const Sort& sort);

// The names of the columns of a list, in order.
std::vector<std::string> names_of(const ColumnList& list);
std::vector<std::string> names_of(const std::vector<TableColumn>& table);

}  // namespace brell::polars
