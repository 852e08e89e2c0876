#pragma once

#include <string>
#include <vector>

#include "check/checked_pipeline.hpp"

namespace brell {

// The pipeline as one R pipe chain over a data frame named after the source table: one dplyr
// call per step, or a few for a step that takes several.
std::string write_dplyr(const CheckedPipeline& checked, const std::vector<SharedColumns>& tables);

// The names written in one pair of brackets.
std::vector<std::string> names_of(const ColumnList& list);

// The calls of the steps that change the table's shape, given the table each receives.
std::vector<std::string> add_combinations_calls(const AddCombinations& combinations,
                                                const std::vector<TableColumn>& table);
std::vector<std::string> lengthen_calls(const Lengthen& lengthen,
                                        const std::vector<TableColumn>& table);
std::vector<std::string> widen_calls(const Widen& widen, const std::vector<TableColumn>& table);

}  // namespace brell
