#pragma once

#include <string>
#include <vector>

#include "check/checked_pipeline.hpp"

namespace brell {

// The pipeline as one PySpark expression: `spark.table(...)` followed by one chained method call
// per line, each indented four spaces, the whole in one pair of parentheses.
std::string write_pyspark(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables);

namespace pyspark {

// The method calls of one step, in order, each without its leading dot.
using Calls = std::vector<std::string>;

// What one step's calls are written from: the step, the table it receives, the table it hands
// on, and the sort in force.
struct StepAt {
    const Step& step;
    const std::vector<TableColumn>& table;
    const std::vector<TableColumn>& outgoing;
    const Sort* sort;
    bool order_read;  // whether a later step or the result reads the order the step leaves
};

// `calls` with an `orderBy(keys)` after them when the order the step leaves is read after it.
Calls ordered_by(const StepAt& at, Calls calls, const std::string& keys);

// The calls of the steps that reshape the table or bring in another one (pyspark_reshape.cpp,
// pyspark_pivots.cpp).
Calls matching_calls(const StepAt& at, const Matching& matching, bool negated);
Calls join_calls(const StepAt& at, const Join& join);
Calls add_rows_calls(const AddRows& add_rows);
Calls add_combinations_calls(const StepAt& at, const AddCombinations& combinations);
Calls lengthen_calls(const StepAt& at, const Lengthen& lengthen);
Calls widen_calls(const StepAt& at, const Widen& widen);

// "select(...)" of the wanted columns when a call leaves them in another order, else nothing.
Calls in_order(const std::vector<std::string>& left_in, const std::vector<std::string>& wanted);

}  // namespace pyspark
}  // namespace brell
