#pragma once

#include <string>
#include <vector>

#include "check/checked_pipeline.hpp"

namespace brell::polars {

// The pipeline as one polars expression: the source table, then the method calls of every step,
// one call to a line.
std::string write_polars(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables);

// What one step's calls are written from: the step, the table it receives, and the sort in force.
struct PolarsStep {
    const Step& step;
    const std::vector<TableColumn>& table;
    const Sort* sort;
    bool order_read;  // whether a later step or the result reads the order the step leaves
};

using Calls = std::vector<std::string>;

// The calls of the steps that bring in another table or change the table's shape.
Calls matching_calls(const Matching& matching, bool negated);
Calls join_calls(const Join& join);
Calls add_rows_calls(const PolarsStep& at, const AddRows& add_rows);
Calls add_combinations_calls(const PolarsStep& at, const AddCombinations& combinations);
Calls lengthen_calls(const PolarsStep& at, const Lengthen& lengthen);
Calls widen_calls(const PolarsStep& at, const Widen& widen);

// The sort step as a call: `sort(["a"], descending=[True], nulls_last=True)`.
std::string sort_call(const Sort& sort);

// The names of the columns of a list, in order.
std::vector<std::string> names_of(const ColumnList& list);
std::vector<std::string> names_of(const std::vector<TableColumn>& table);

}  // namespace brell::polars
