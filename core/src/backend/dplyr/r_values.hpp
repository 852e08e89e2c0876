#pragma once

#include <string>
#include <vector>

#include "parse/column_type.hpp"
#include "parse/syntax_tree.hpp"

namespace brell {

// One checked value as one R expression, for dplyr's data masking, over the table the step
// reads (whose column types choose how a comparison or a conversion is spelled).
std::string write_r_value(const Value& value, const std::vector<TableColumn>& table);

}  // namespace brell
