#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// One checked value as one R expression, for dplyr's data masking, over the table the step
// reads (whose column types choose how a comparison or a conversion is spelled).
std::string write_r_value(const Value& value, const std::vector<TableColumn>& table);

// What `pivot_wider` is given as `values_fn` for a cell that is one aggregate of one column, or
// nothing when the aggregate reads no column (`row_count()`) and so has no cell function.
std::optional<std::string> cell_function(const Call& aggregate);

}  // namespace brell
