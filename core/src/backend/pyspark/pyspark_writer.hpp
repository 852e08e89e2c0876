#pragma once

#include <string>
#include <vector>

#include "check/checked_pipeline.hpp"
#include "plan/planned_step.hpp"

namespace brell {

// The pipeline as one PySpark expression: `spark.table(...)` followed by one chained method call
// per line, each indented four spaces, the whole in one pair of parentheses.
std::string write_pyspark(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables);

namespace pyspark {

// The method calls of one step, in order, each without its leading dot.
using Calls = std::vector<std::string>;

// `calls` with an `orderBy(keys)` after them when the order the step leaves is read after it.
Calls ordered_by(const PlannedStep& at, Calls calls, const std::string& keys);

// The calls of the steps that reshape the table or bring in another one (pyspark_reshape.cpp,
// pyspark_pivots.cpp).
Calls matching_calls(const PlannedStep& at, const Matching& matching, bool negated);
Calls spell(const PlannedStep& at, const Join& join);
Calls spell(const PlannedStep&, const AddRows& add_rows);
Calls spell(const PlannedStep& at, const AddCombinations& combinations);
Calls spell(const PlannedStep& at, const Lengthen& lengthen);
Calls spell(const PlannedStep& at, const Widen& widen);

// "select(...)" of the wanted columns when a call leaves them in another order, else nothing.
Calls in_order(const std::vector<std::string>& left_in, const std::vector<std::string>& wanted);

}  // namespace pyspark
}  // namespace brell
