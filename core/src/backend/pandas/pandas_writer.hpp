#pragma once

#include <string>
#include <vector>

#include "check/checked_pipeline.hpp"

namespace brell::pandas {

// The pipeline as one pandas expression: the source table, then one chained method call (or a
// few) per step, each on its own line.
std::string write_pandas(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables);

// What one step's calls are written from: the step, the table it receives and the sort in force.
struct PandasStep {
    const Step& step;
    const std::vector<TableColumn>& table;
    const Sort* sort;
    bool order_read;  // whether a later step or the result reads the order the step leaves
    // For a join: the other table's columns worth merging (its keys, and those a later step
    // reads), or empty for all of them.
    std::vector<std::string> join_taken = {};
};

// `sort_values(...)` for a sort step; take writes it again after it.
std::string sort_call(const Sort& sort);

// The calls of the steps that bring in another table or change the table's shape.
std::vector<std::string> matching_calls(const Matching& matching, bool negated);
// `taken`: the other table's columns to merge, its keys among them; empty for all of them.
std::vector<std::string> join_calls(const Join& join, const std::vector<std::string>& taken);
std::vector<std::string> add_rows_calls(const AddRows& add_rows);
std::vector<std::string> add_combinations_calls(const AddCombinations& combinations);
std::vector<std::string> lengthen_calls(const Lengthen& lengthen);
std::vector<std::string> widen_calls(const PandasStep& at, const Widen& widen);

}  // namespace brell::pandas
